#include "online/storefront/StorefrontFiles.h"

#include "core/AtomicFile.h"
#include "core/FixedString.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool StorefrontMakeFolders(const char* path)
{
    FixedString256 partial;
    for (const char* p = path; *p; ++p)
    {
        if (*p == '/' && p != path)
            mkdir(partial, 0700);
        partial.AppendChar(*p);
    }
    mkdir(partial, 0700);
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode) && access(path, W_OK) == 0;
}

bool StorefrontReadText(const char* path, char* text, int size)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const ssize_t got = read(fd, text, static_cast<size_t>(size - 1));
    close(fd);
    if (got <= 0)
        return false;
    text[got] = 0;
    return true;
}

bool StorefrontWriteTextAtomically(const char* path, const char* text)
{
    char temporary[512];
    snprintf(temporary, sizeof temporary, "%s.%d.tmp", path, static_cast<int>(getpid()));
    const int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const size_t length = strlen(text);
    const bool written = write(fd, text, length) == static_cast<ssize_t>(length);
    close(fd);
    if (!written || rename(temporary, path) != 0)
    {
        unlink(temporary);
        return false;
    }
    return true;
}

bool StringIsDots(const char* name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

std::vector<std::string> StorefrontSplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

bool StorefrontReadFieldLines(const char* path, size_t maxBytes,
                              const std::function<void(const std::vector<std::string>&)>& reader)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, maxBytes))
        return false;
    StorefrontParseFieldLines(std::string(bytes.begin(), bytes.end()), reader);
    return true;
}

void StorefrontParseFieldLines(const std::string& text,
                               const std::function<void(const std::vector<std::string>&)>& reader)
{
    size_t start = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        reader(StorefrontSplitFields(text.substr(start, end - start)));
        start = end + 1;
    }
}
