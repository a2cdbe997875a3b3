#include "opengl/ImageLoader.h"

#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/StringUtil.h"
#include "core/pd_ifstream.h"
#include "core/pd_ofstream.h"
#include "opengl/DdsReader.h"
#include "opengl/Image.h"
#include "opengl/ImageByteStream.h"
#include "opengl/JpegCodec.h"
#include "opengl/TgaCodec.h"

#include <vector>

namespace
{
class InputStreamSource : public ImageByteSource
{
public:
    explicit InputStreamSource(pd_ifstream& stream) : m_stream(stream) {}
    size_t Read(void* buffer, size_t count) override { return m_stream.Read(buffer, count); }

private:
    pd_ifstream& m_stream;
};

class OutputStreamSink : public ImageByteSink
{
public:
    explicit OutputStreamSink(pd_ofstream& stream) : m_stream(stream) {}
    bool Write(const void* bytes, size_t count) override
    {
        return m_stream.IsOpen() && m_stream.Write(bytes, count) == count;
    }
    bool Flush() override
    {
        if (!m_stream.IsOpen())
            return false;
        m_stream.Flush();
        return true;
    }

private:
    pd_ofstream& m_stream;
};

Image* ReadWholeFile(pd_ifstream& stream, const char* path,
                     Image* (*reader)(const uint8_t*, size_t, const char*))
{
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, kImageFileBound, bytes))
        return nullptr;
    return reader(bytes.data(), bytes.size(), path);
}
} // namespace

Image* ImageLoader::new_MemoryImage(const char* path, int mode)
{
    pd_ifstream stream(path, mode, 0, kInReadBinary);
    if (!stream.IsOpen())
        return nullptr;
    const char* extension = stream.Extension();
    Image* image = nullptr;
    if (StringEquals(extension, "JPG"))
    {
        // Read in pieces, but a file past the bound is refused all the same.
        InputStreamSource source(stream);
        if (StreamWithinBound(stream, kImageFileBound))
            image = JPG_ImageLoadHandler(source, path);
    }
    else if (StringEquals(extension, "TGA"))
        image = ReadWholeFile(stream, path, TGA_ImageLoadHandler);
    else if (StringEquals(extension, "DDS"))
        image = ReadWholeFile(stream, path, DDS_ImageLoadHandler);
    stream.Close();
    return image;
}

bool ImageSave(const Image& image, const char* path)
{
    const FixedString16 extension = FileExtensionOf(path);
    const bool tga = StringEquals(extension, "TGA");
    if (!tga && !StringEquals(extension, "JPG"))
    {
        LogError("ImageSave - no writer for %s.\n", path);
        return false;
    }
    pd_ofstream stream(path, 0, kOutWrite | kOutBinary);
    if (!stream.IsOpen())
    {
        LogError("ImageSave - could not open %s.\n", path);
        return false;
    }
    OutputStreamSink sink(stream);
    const bool written = tga ? TGA_ImageSaveHandler(image, sink) : JPG_ImageSaveHandler(image, sink);
    stream.Close();
    return written;
}
