#include "opengl/JpegCodec.h"

#include "core/LogError.h"
#include "opengl/Image.h"
#include "opengl/ImageByteStream.h"

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace
{
constexpr size_t kJpegBufferSize = 4096;

struct JpegErrorManager
{
    jpeg_error_mgr base;
    jmp_buf jump;
};

void ReportJpegMessage(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    LogError("JPEG - %s\n", text);
}

// libjpeg's own exit ends the process; ours unwinds to the caller's setjmp.
[[noreturn]] void ErrorExit(j_common_ptr info)
{
    ReportJpegMessage(info);
    longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

jpeg_error_mgr* InstallErrorManager(JpegErrorManager& manager)
{
    jpeg_error_mgr* base = jpeg_std_error(&manager.base);
    base->error_exit = ErrorExit;
    base->output_message = ReportJpegMessage;
    return base;
}

struct JpegSource
{
    jpeg_source_mgr base;
    ImageByteSource* stream;
    JOCTET* buffer;
    bool startOfFile;
};

void InitSource(j_decompress_ptr info)
{
    reinterpret_cast<JpegSource*>(info->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr info)
{
    JpegSource* source = reinterpret_cast<JpegSource*>(info->src);
    size_t count = source->stream->Read(source->buffer, kJpegBufferSize);
    if (count == 0)
    {
        if (source->startOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        // An end-of-image marker lets libjpeg finish the rows it has.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = count;
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = info->src;
    while (size_t(count) > source->bytes_in_buffer)
    {
        count -= long(source->bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

void InstallSource(jpeg_decompress_struct& info, ImageByteSource& stream)
{
    JpegSource* source = static_cast<JpegSource*>(
        (*info.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, sizeof(JpegSource)));
    source->buffer = static_cast<JOCTET*>(
        (*info.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, kJpegBufferSize));
    source->stream = &stream;
    source->startOfFile = true;
    source->base.init_source = InitSource;
    source->base.fill_input_buffer = FillInputBuffer;
    source->base.skip_input_data = SkipInputData;
    source->base.resync_to_restart = jpeg_resync_to_restart;
    source->base.term_source = TermSource;
    source->base.bytes_in_buffer = 0;
    source->base.next_input_byte = nullptr;
    info.src = &source->base;
}

// RGB and YCbCr decode to RGB, greyscale is expanded; CMYK and YCCK have no
// RGB conversion in libjpeg.
bool ChooseOutputColourSpace(jpeg_decompress_struct& info)
{
    switch (info.jpeg_color_space)
    {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
        info.out_color_space = JCS_RGB;
        return true;
    default:
        return false;
    }
}

struct JpegDestination
{
    jpeg_destination_mgr base;
    ImageByteSink* sink;
    JOCTET* buffer;
};

void InitDestination(j_compress_ptr info)
{
    JpegDestination* destination = reinterpret_cast<JpegDestination*>(info->dest);
    destination->buffer = static_cast<JOCTET*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, kJpegBufferSize));
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = kJpegBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    JpegDestination* destination = reinterpret_cast<JpegDestination*>(info->dest);
    if (!destination->sink->Write(destination->buffer, kJpegBufferSize))
        ERREXIT(info, JERR_FILE_WRITE);
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = kJpegBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    JpegDestination* destination = reinterpret_cast<JpegDestination*>(info->dest);
    const size_t count = kJpegBufferSize - destination->base.free_in_buffer;
    if (count > 0 && !destination->sink->Write(destination->buffer, count))
        ERREXIT(info, JERR_FILE_WRITE);
    if (!destination->sink->Flush())
        ERREXIT(info, JERR_FILE_WRITE);
}

void InstallDestination(jpeg_compress_struct& info, ImageByteSink& sink)
{
    JpegDestination* destination = static_cast<JpegDestination*>((*info.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, sizeof(JpegDestination)));
    destination->sink = &sink;
    destination->buffer = nullptr;
    destination->base.init_destination = InitDestination;
    destination->base.empty_output_buffer = EmptyOutputBuffer;
    destination->base.term_destination = TermDestination;
    info.dest = &destination->base;
}

// Everything between setjmp and a longjmp lives in plain structs: no
// destructor is skipped when libjpeg bails out.
Image* Decode(jpeg_decompress_struct& info, JpegErrorManager& error, ImageByteSource& stream,
              const char* name)
{
    Image* volatile image = nullptr;
    if (setjmp(error.jump))
    {
        LogError("JPG_ImageLoadHandler - could not read %s.\n", name);
        delete image;
        return nullptr;
    }
    InstallSource(info, stream);
    jpeg_read_header(&info, TRUE);
    if (!ChooseOutputColourSpace(info))
    {
        LogError("JPG_ImageLoadHandler - %s is in an unsupported colour space.\n", name);
        return nullptr;
    }
    // The size is known from the header: refuse before libjpeg sets up (and, for a progressive file,
    // reads the whole file into) buffers of that size.
    jpeg_calc_output_dimensions(&info);
    if (info.output_components != 3)
    {
        LogError("JPG_ImageLoadHandler - unsupported layout %ux%ux%d in %s.\n", info.output_width,
                 info.output_height, info.output_components, name);
        return nullptr;
    }
    if (info.output_width > kJpegMaxSide || info.output_height > kJpegMaxSide ||
        uint64_t(info.output_width) * info.output_height > kJpegMaxPixels)
    {
        LogError("JPG_ImageLoadHandler - %s is too large (%ux%u).\n", name, info.output_width,
                 info.output_height);
        return nullptr;
    }
    jpeg_start_decompress(&info);
    image = new Image;
    if (!image->Allocate(kImageFormatRGB, info.output_width, info.output_height))
        ERREXIT1(&info, JERR_OUT_OF_MEMORY, 0);
    const size_t stride = size_t(info.output_width) * info.output_components;
    while (info.output_scanline < info.output_height)
    {
        JSAMPROW row = image->pixels + size_t(info.output_scanline) * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return image;
}

bool Encode(jpeg_compress_struct& info, JpegErrorManager& error, const Image& image, ImageByteSink& sink)
{
    if (setjmp(error.jump))
    {
        LogError("JPG_ImageSaveHandler - could not write the image.\n");
        return false;
    }
    InstallDestination(info, sink);
    info.image_width = image.width;
    info.image_height = image.height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t stride = size_t(image.width) * 3;
    while (info.next_scanline < info.image_height)
    {
        JSAMPROW row = image.pixels + size_t(info.next_scanline) * stride;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}
} // namespace

Image* JPG_ImageLoadHandler(ImageByteSource& source, const char* name)
{
    jpeg_decompress_struct info;
    JpegErrorManager error;
    info.err = InstallErrorManager(error);
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kJpegMaxWorkingMemory;
    Image* image = Decode(info, error, source, name);
    jpeg_destroy_decompress(&info);
    return image;
}

bool JPG_ImageSaveHandler(const Image& image, ImageByteSink& sink)
{
    if (image.format != kImageFormatRGB || !image.pixels || image.width == 0 || image.height == 0 ||
        image.width > JPEG_MAX_DIMENSION || image.height > JPEG_MAX_DIMENSION)
    {
        LogError("JPG_ImageSaveHandler - unsupported pixel format.\n");
        return false;
    }
    jpeg_compress_struct info;
    JpegErrorManager error;
    info.err = InstallErrorManager(error);
    jpeg_create_compress(&info);
    const bool written = Encode(info, error, image, sink);
    jpeg_destroy_compress(&info);
    return written;
}
