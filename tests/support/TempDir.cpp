#include "support/TempDir.h"

#include "core/pd_ofstream.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

TempDir::TempDir()
{
    char pattern[] = "/tmp/pendrel-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    m_path = made ? made : "";
}

TempDir::~TempDir()
{
    if (!m_path.empty())
        RemoveTree(m_path);
}

std::string TempDir::PathOf(const std::string& relative) const
{
    return m_path + "/" + relative;
}

bool TempDir::WriteFile(const std::string& relative, const void* bytes, size_t count) const
{
    const std::string path = PathOf(relative);
    CreateFoldersAlongPath(path.c_str());
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = fwrite(bytes, 1, count, file) == count;
    return fclose(file) == 0 && written;
}

bool TempDir::WriteFile(const std::string& relative, const std::string& text) const
{
    return WriteFile(relative, text.data(), text.size());
}

bool TempDir::Resize(const std::string& relative, uint64_t size) const
{
    return truncate(PathOf(relative).c_str(), static_cast<off_t>(size)) == 0;
}

bool TempDir::MakeFolder(const std::string& relative) const
{
    const std::string path = PathOf(relative);
    CreateFoldersAlongPath((path + "/").c_str());
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string TempDir::ReadFile(const std::string& relative) const
{
    std::string content;
    FILE* file = fopen(PathOf(relative).c_str(), "rb");
    if (!file)
        return content;
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, count);
    fclose(file);
    return content;
}

bool TempDir::Exists(const std::string& relative) const
{
    struct stat status;
    return stat(PathOf(relative).c_str(), &status) == 0;
}

void RemoveTree(const std::string& path)
{
    struct stat status;
    if (lstat(path.c_str(), &status) != 0)
        return;
    if (S_ISDIR(status.st_mode))
    {
        // Give back write and search rights first, so a test that locked a
        // folder down does not leave it behind.
        chmod(path.c_str(), 0700);
        if (DIR* folder = opendir(path.c_str()))
        {
            while (const dirent* item = readdir(folder))
            {
                const std::string name = item->d_name;
                if (name != "." && name != "..")
                    RemoveTree(path + "/" + name);
            }
            closedir(folder);
        }
        rmdir(path.c_str());
    }
    else
        unlink(path.c_str());
}
