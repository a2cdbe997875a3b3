#include "core/pd_ifstream.h"

#include "core/ArchiveCache.h"
#include "core/FileCipher.h"
#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/StringUtil.h"
#include "core/pd_streamlistener.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace
{
// Larger than any asset; a member that claims more is damaged or hostile.
constexpr uint64_t kMaxMemberBytes = 512ull << 20;
// Deflate cannot shrink data by more than about 1032 to 1.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr int kZipStored = 0;
constexpr int kZipDeflated = 8;

void TellOpened(const char* name)
{
    if (pd_streamlistener* listener = GetStreamListener())
        listener->FileOpened(name);
}

void TellRead(size_t count)
{
    if (pd_streamlistener* listener = GetStreamListener())
        listener->BytesRead(static_cast<unsigned>(std::min<size_t>(count, UINT_MAX)));
}

bool PlausibleMemberSize(const unz_file_info64& info, uint64_t archiveSize)
{
    if (info.uncompressed_size > kMaxMemberBytes || info.compressed_size > archiveSize)
        return false;
    if (info.compression_method == kZipStored)
        return info.uncompressed_size == info.compressed_size;
    if (info.compression_method == kZipDeflated)
        return info.uncompressed_size <= info.compressed_size * kMaxDeflateRatio + 64;
    return false; // no other method is ever written
}

bool CurrentMemberIs(unzFile archive, const char* name)
{
    char stored[FixedString256::kCapacity + 2];
    unz_file_info64 info;
    return unzGetCurrentFileInfo64(archive, &info, stored, sizeof stored, nullptr, 0, nullptr, 0) == UNZ_OK &&
           strcmp(stored, name) == 0;
}

// The cached place first; then the exact name, and only then any case, so a
// member that differs from another only by case is still found.
bool LocateMember(unzFile archive, const FileTableEntry& entry, const char* name)
{
    if (entry.memberPlaceKnown)
    {
        unz64_file_pos place;
        place.pos_in_zip_directory = entry.memberDirectoryOffset;
        place.num_of_file = entry.memberIndex;
        if (unzGoToFilePos64(archive, &place) == UNZ_OK && CurrentMemberIs(archive, name))
            return true;
        // The archive changed since it was mounted; a failed jump leaves no
        // current member, and the lookup by name needs one to start from.
        unzGoToFirstFile(archive);
    }
    const int kCaseSensitive = 1;
    const int kCaseBlind = 2;
    return unzLocateFile(archive, name, kCaseSensitive) == UNZ_OK ||
           unzLocateFile(archive, name, kCaseBlind) == UNZ_OK;
}

bool ReadWholeMember(unzFile archive, uint8_t* data, uint32_t size)
{
    uint32_t total = 0;
    while (total < size)
    {
        const unsigned piece = std::min<uint32_t>(size - total, 1u << 30);
        const int got = unzReadCurrentFile(archive, data + total, piece);
        if (got <= 0)
            return false;
        total += static_cast<uint32_t>(got);
    }
    return true;
}

void BuildModeText(uint32_t flags, char (&text)[3])
{
    int length = 0;
    if (flags & kInRead)
        text[length++] = 'r';
    if (flags & kInBinary)
        text[length++] = 'b';
    text[length] = 0;
}
} // namespace

FixedString16 FileExtensionOf(const char* name)
{
    FixedString16 extension;
    const char* dot = strrchr(name, '.');
    if (dot)
    {
        extension.Set(dot + 1);
        StringToUpper(extension.data());
    }
    return extension;
}

void SwapByteOrder(void* bytes, size_t size)
{
    uint8_t* data = static_cast<uint8_t*>(bytes);
    std::reverse(data, data + size);
}

pd_ifstream::pd_ifstream(const char* name, int mode, int swap, uint32_t flags)
    : m_swap(swap == 1 ? 1 : 0), m_name(name ? name : "")
{
    // Cut to the record, the name would open some other file.
    if (name && strlen(name) > static_cast<size_t>(FixedString256::kCapacity))
    {
        LogError("Pendrel File name too long, not opened: %.200s...\n", name);
        m_name.Clear();
        return;
    }
    char modeText[3];
    BuildModeText(flags, modeText);
    m_extension = FileExtensionOf(m_name);
    const bool canOpen = modeText[0] != 0 && !m_name.IsEmpty();

    switch (mode)
    {
    case kOpenPath:
        TellOpened(m_name);
        if (canOpen)
            OpenFile(m_name, modeText);
        break;
    case kOpenRoot:
    case kOpenRootToo:
    {
        TellOpened(m_name);
        const std::string path = std::string(FileTableGetRoot()) + m_name.c_str();
        // A path that does not fit would open some other, shorter name.
        if (canOpen && path.size() <= static_cast<size_t>(FixedString256::kCapacity))
            OpenFile(path.c_str(), modeText);
        break;
    }
    case kOpenTable:
        if (canOpen)
            OpenThroughTable(modeText);
        break;
    default:
        break;
    }
}

pd_ifstream::~pd_ifstream()
{
    Close();
}

void pd_ifstream::Close()
{
    m_archive.reset();
    if (m_file)
    {
        fclose(m_file);
        m_file = nullptr;
    }
}

// Folders open for reading too, and then fail every read; they are not files.
void pd_ifstream::OpenFile(const char* path, const char* modeText)
{
    m_file = fopen(path, modeText);
    if (!m_file)
        return;
    struct stat status;
    if (fstat(fileno(m_file), &status) != 0 || !S_ISREG(status.st_mode))
    {
        fclose(m_file);
        m_file = nullptr;
    }
}

void pd_ifstream::OpenThroughTable(const char* modeText)
{
    const FileTableEntry* entry = FileTableFindEntry(m_name);
    if (!entry)
        return;
    if (FileTablePathIsArchive(entry->path))
    {
        OpenArchiveMember(*entry);
        return;
    }
    // The key is as long as the name, and the base keys are only so long.
    if (entry->enciphered && !FileCipherKeyFits(m_name))
    {
        LogError("Error: Encryption Key Too Big: %s \n", m_name.c_str());
        return;
    }
    TellOpened(m_name);
    OpenFile(entry->path, modeText);
    if (m_file)
        m_enciphered = entry->enciphered;
}

bool pd_ifstream::OpenArchiveMember(const FileTableEntry& entry)
{
    const char* const archivePath = entry.path;
    uint64_t archiveSize = 0;
    unzFile archive = ArchiveCacheOpen(archivePath, archiveSize);
    if (!archive)
    {
        LogError("Pendrel File archive %s does not open for %s.\n", archivePath, m_name.c_str());
        return false;
    }
    unz_file_info64 info;
    if (!LocateMember(archive, entry, m_name) ||
        unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    {
        LogError("Pendrel File member %s is missing from archive %s.\n", m_name.c_str(), archivePath);
        return false;
    }
    if (!PlausibleMemberSize(info, archiveSize))
    {
        LogError("Pendrel File member %s of archive %s declares an impossible size.\n", m_name.c_str(),
                 archivePath);
        return false;
    }
    if (unzOpenCurrentFile(archive) != UNZ_OK)
    {
        LogError("Pendrel File member %s of archive %s does not open.\n", m_name.c_str(), archivePath);
        return false;
    }

    TellOpened(m_name);
    const uint32_t size = static_cast<uint32_t>(info.uncompressed_size);
    auto buffer = std::make_unique<pd_archivebuffer>();
    buffer->data = std::make_unique<uint8_t[]>(size > 0 ? size : 1);
    buffer->size = size;
    const bool read = ReadWholeMember(archive, buffer->data.get(), size);
    // Closing the member checks its CRC, now that all of it has been read.
    const int closed = unzCloseCurrentFile(archive);
    if (read && closed == UNZ_OK)
    {
        m_archive = std::move(buffer);
        return true;
    }
    if (!read)
        LogError("Pendrel File read of member %s of archive %s failed.\n", m_name.c_str(), archivePath);
    else
        LogError("Pendrel File member %s of archive %s fails its checksum.\n", m_name.c_str(), archivePath);
    ArchiveCacheForget(archivePath);
    return false;
}

bool pd_ifstream::Seek(int64_t offset, int whence)
{
    if (!IsOpen() || whence < kSeekStart || whence > kSeekEnd)
        return false;
    int64_t size;
    if (m_archive)
        size = m_archive->size;
    else
    {
        struct stat status;
        if (fstat(fileno(m_file), &status) != 0)
            return false;
        size = status.st_size;
    }
    const int64_t base = whence == kSeekStart     ? 0
                         : whence == kSeekCurrent ? static_cast<int64_t>(Tell())
                                                  : size;
    const int64_t wanted = base + offset;
    const int64_t position = std::clamp<int64_t>(wanted, 0, size);
    if (m_archive)
        m_archive->position = static_cast<uint32_t>(position);
    else if (fseeko(m_file, static_cast<off_t>(position), SEEK_SET) != 0)
        return false;
    return position == wanted;
}

uint64_t pd_ifstream::Tell() const
{
    if (m_archive)
        return m_archive->position;
    if (m_file)
    {
        const off_t position = ftello(m_file);
        return position > 0 ? static_cast<uint64_t>(position) : 0;
    }
    return 0;
}

uint64_t pd_ifstream::Size()
{
    Seek(0, kSeekEnd);
    const uint64_t size = Tell();
    Seek(0, kSeekStart);
    return size;
}

size_t pd_ifstream::Read(void* buffer, size_t count)
{
    TellRead(count);
    return ReadBytes(buffer, count);
}

size_t pd_ifstream::ReadRaw(void* buffer, size_t count)
{
    return ReadBytes(buffer, count);
}

size_t pd_ifstream::ReadBytes(void* buffer, size_t count)
{
    if (m_archive)
    {
        const size_t available = m_archive->size - m_archive->position;
        const size_t taken = std::min(count, available);
        memcpy(buffer, m_archive->data.get() + m_archive->position, taken);
        m_archive->position += static_cast<uint32_t>(taken);
        return taken;
    }
    if (!m_file)
        return 0;
    const off_t position = ftello(m_file);
    const size_t taken = fread(buffer, 1, count, m_file);
    if (m_enciphered)
        FileCipherApply(static_cast<uint8_t*>(buffer), taken, m_name, static_cast<uint64_t>(position));
    return taken;
}

bool pd_ifstream::ReadU8(uint8_t& value)
{
    value = 0xFF;
    if (m_archive)
    {
        if (m_archive->position >= m_archive->size)
            return false;
        value = m_archive->data[m_archive->position++];
        return true;
    }
    if (!m_file)
        return false;
    const off_t position = ftello(m_file);
    const int c = fgetc(m_file);
    if (c == EOF)
        return false; // the end marker is not data, so it is not deciphered
    value = static_cast<uint8_t>(c);
    if (m_enciphered)
        FileCipherApply(&value, 1, m_name, static_cast<uint64_t>(position));
    return true;
}

template <typename T> bool pd_ifstream::ReadValue(T& value)
{
    T read = 0;
    if (Read(&read, sizeof read) != sizeof read)
    {
        value = 0;
        return false;
    }
    if (m_swap)
        SwapByteOrder(&read, sizeof read);
    value = read;
    return true;
}

bool pd_ifstream::ReadU16(uint16_t& value)
{
    return ReadValue(value);
}
bool pd_ifstream::ReadU32(uint32_t& value)
{
    return ReadValue(value);
}
bool pd_ifstream::ReadU64(uint64_t& value)
{
    return ReadValue(value);
}

int pd_ifstream::ReadU16Array(uint16_t* values, int count)
{
    if (!values || count <= 0)
        return 0;
    if (!m_swap)
        return static_cast<int>(Read(values, 2 * static_cast<size_t>(count)) / 2);
    for (int i = 0; i < count; ++i)
        if (!ReadValue(values[i]))
            return i;
    return count;
}

namespace
{
int FieldBytes(char field)
{
    switch (field)
    {
    case 'b':
        return 1;
    case 's':
        return 2;
    case 'l':
    case 'f':
        return 4;
    case 'L':
    case 'd':
        return 8;
    default:
        return 0;
    }
}
} // namespace

int pd_ifstream::ReadFormatted(void* buffer, const char* format, int count)
{
    if (!buffer || !format || count <= 0)
        return 0;
    size_t recordBytes = 0;
    for (const char* field = format; *field; ++field)
        recordBytes += FieldBytes(*field);
    if (recordBytes == 0)
        return count;

    uint8_t* out = static_cast<uint8_t*>(buffer);
    if (!m_swap)
        return static_cast<int>(Read(out, recordBytes * count) / recordBytes);
    for (int i = 0; i < count; ++i)
    {
        uint8_t* record = out + recordBytes * i;
        if (Read(record, recordBytes) != recordBytes)
            return i;
        for (const char* field = format; *field; ++field)
        {
            const int bytes = FieldBytes(*field);
            if (bytes > 1)
                SwapByteOrder(record, bytes);
            record += bytes;
        }
    }
    return count;
}

bool FileExists(const char* name, int mode)
{
    const pd_ifstream stream(name, mode, 0, kInReadBinary);
    return stream.IsOpen();
}
