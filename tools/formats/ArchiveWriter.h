#pragma once
// Writes ".darnix" archives (zip files) for tests, benchmarks and the demo
// build: stored or deflated members, empty members and folder entries, names
// exactly as given.

#include <cstddef>
#include <string>

class ArchiveWriter
{
public:
    enum Method
    {
        kStored,
        kDeflated,
    };

    ArchiveWriter() = default;
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // Creates (or replaces) the archive file.
    bool Open(const char* path);
    bool AddMember(const char* name, const void* bytes, size_t count, Method method = kDeflated);
    bool AddMember(const char* name, const std::string& bytes, Method method = kDeflated);
    // A folder entry: the name followed by '/', no data.
    bool AddFolder(const char* name);
    // Writes the central directory; false when anything along the way failed.
    bool Close();

private:
    void* m_zip = nullptr;
    bool m_failed = false;
};
