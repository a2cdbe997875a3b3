#include "tools/formats/SideAnimWriter.h"

#include "tools/formats/ByteWriter.h"

namespace
{
float CountOf(const std::optional<float>& given, size_t keys)
{
    return given ? *given : float(keys);
}

template <typename File>
void WriteHeader(ByteWriter& out, const char* magic, const File& file, size_t firstKeys)
{
    out.Raw(magic, 12);
    out.F32(file.version);
    out.U32(0);
    out.F32(file.rate);
    if (file.version == 0.0f)
        out.F32(CountOf(file.sharedKeyCount, firstKeys));
    out.U32(uint32_t(file.tracks.size()));
}
} // namespace

std::vector<uint8_t> UVSideWrite(const UVSideFile& file)
{
    ByteWriter out;
    WriteHeader(out, "UV Animation", file, file.tracks.empty() ? 0 : file.tracks[0].keys.size() / 2);
    for (const UVSideTrack& track : file.tracks)
    {
        out.Text(track.name, 64);
        if (file.version == 1.0f)
            out.F32(CountOf(track.keyCount, track.keys.size() / 2));
        out.U32(track.word);
        for (float value : track.keys)
            out.F32(value);
    }
    return std::move(out.Bytes());
}

std::vector<uint8_t> ObjSideWrite(const ObjSideFile& file)
{
    ByteWriter out;
    WriteHeader(out, "Object Anim ", file, file.tracks.empty() ? 0 : file.tracks[0].keys.size());
    for (const ObjSideTrack& track : file.tracks)
    {
        out.Text(track.name, 128);
        if (file.version == 1.0f)
            out.F32(CountOf(track.keyCount, track.keys.size()));
        out.U32(track.flags);
        for (const Mat4& key : track.keys)
            out.Matrix(key);
    }
    return std::move(out.Bytes());
}
