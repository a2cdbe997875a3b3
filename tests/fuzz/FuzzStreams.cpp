#include "FuzzStreams.h"

#include "core/ArchiveCache.h"
#include "core/FileTable.h"
#include "core/pd_ifstream.h"

#include <string>
#include <vector>

void FuzzMountTree(const char* folder)
{
    GetFileTable().SetRoot(folder);
    FileTableRebuild("data");
    FileTableAddDirectory("encrypteddata", "", true);
}

namespace
{
void ReadSteered(const char* name, const uint8_t* steer, size_t steerSize)
{
    pd_ifstream stream(name, kOpenTable, steerSize > 0 ? steer[0] & 1 : 0, kInReadBinary);
    if (!stream.IsOpen())
        return;
    const uint32_t size = stream.Size();
    std::vector<uint8_t> whole(size_t(size) + 1);
    stream.Read(whole.data(), size);
    for (size_t i = 0; i < steerSize && i < 32; ++i)
    {
        const uint8_t step = steer[i];
        switch (step % 5)
        {
        case 0:
            stream.SeekSet(uint32_t(step) * 7u % (size + 2u));
            break;
        case 1:
            stream.Skip(int32_t(step) - 128);
            break;
        case 2:
            stream.Seek(-int64_t(step), kSeekEnd);
            break;
        case 3:
        {
            uint16_t values[8];
            stream.ReadU16Array(values, step % 9);
            break;
        }
        default:
        {
            uint8_t record[64];
            stream.ReadFormatted(record, "bslfLd", step % 3);
            break;
        }
        }
        uint32_t word = 0;
        stream.ReadU32(word);
        stream.Tell();
    }
}
} // namespace

void FuzzReadEveryEntry(const uint8_t* steer, size_t steerSize, int limit)
{
    std::vector<std::string> names;
    for (const auto& entry : GetFileTable().Entries())
    {
        if (int(names.size()) >= limit)
            break;
        names.push_back(entry.first.c_str());
    }
    for (const std::string& name : names)
        ReadSteered(name.c_str(), steer, steerSize);
}

void FuzzUnmount()
{
    FileTableRebuild("no such folder");
    ArchiveCacheClear();
}
