#include "support/TempDir.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool MakeFoldersAlong(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}
} // namespace

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

std::string TempDir::PathOf(const std::string& relative) const { return m_path + "/" + relative; }

bool TempDir::WriteFile(const std::string& relative, const void* bytes, size_t count) const
{
    const std::string path = PathOf(relative);
    if (!MakeFoldersAlong(path))
        return false;
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

bool TempDir::MakeFolder(const std::string& relative) const
{
    return MakeFoldersAlong(PathOf(relative) + "/");
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
