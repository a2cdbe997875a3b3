#include "tools/formats/ArchiveWriter.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <cstring>

ArchiveWriter::~ArchiveWriter()
{
    Close();
}

bool ArchiveWriter::Open(const char* path)
{
    Close();
    m_failed = false;
    m_zip = zipOpen64(path, APPEND_STATUS_CREATE);
    return m_zip != nullptr;
}

bool ArchiveWriter::AddMember(const char* name, const void* bytes, size_t count, Method method)
{
    if (!m_zip)
        return false;
    zip_fileinfo info;
    memset(&info, 0, sizeof info);
    const int compression = method == kDeflated ? Z_DEFLATED : 0;
    const int level = method == kDeflated ? Z_DEFAULT_COMPRESSION : 0;
    const bool large = count >= 0xFFFFFFFFu;
    bool ok = zipOpenNewFileInZip64(m_zip, name, &info, nullptr, 0, nullptr, 0, nullptr, compression, level,
                                    large ? 1 : 0) == ZIP_OK;
    if (ok && count > 0)
        ok = zipWriteInFileInZip(m_zip, bytes, static_cast<unsigned>(count)) == ZIP_OK;
    ok = zipCloseFileInZip(m_zip) == ZIP_OK && ok;
    m_failed |= !ok;
    return ok;
}

bool ArchiveWriter::AddMember(const char* name, const std::string& bytes, Method method)
{
    return AddMember(name, bytes.data(), bytes.size(), method);
}

bool ArchiveWriter::AddFolder(const char* name)
{
    std::string folder = name;
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return AddMember(folder.c_str(), nullptr, 0, kStored);
}

bool ArchiveWriter::Close()
{
    if (!m_zip)
        return !m_failed;
    const bool closed = zipClose(m_zip, nullptr) == ZIP_OK;
    m_zip = nullptr;
    return closed && !m_failed;
}
