#pragma once
// A unique scratch folder under /tmp for one test, removed with everything in
// it when the fixture goes out of scope.

#include <cstddef>
#include <cstdint>
#include <string>

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, without a trailing '/'.
    const std::string& Path() const { return m_path; }
    // The folder's path with a trailing '/', ready to take a relative name.
    std::string Root() const { return m_path + "/"; }
    // Path() + "/" + relative.
    std::string PathOf(const std::string& relative) const;

    // Writes the bytes to the relative name, creating the folders along it.
    bool WriteFile(const std::string& relative, const void* bytes, size_t count) const;
    bool WriteFile(const std::string& relative, const std::string& text) const;
    // Grows or cuts the relative file to `size` bytes. What it gains reads as
    // zeros and takes no disk, so a test can offer a reader gigabytes.
    bool Resize(const std::string& relative, uint64_t size) const;
    bool MakeFolder(const std::string& relative) const;
    // The whole content of a relative name, or empty when it does not open.
    std::string ReadFile(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

private:
    std::string m_path;
};

// Removes a file or a folder with everything below it.
void RemoveTree(const std::string& path);
