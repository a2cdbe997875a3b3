// Decoding 2048 x 2048 images through our readers, against references on
// the same bytes: libjpeg's own memory decode and the djpeg program for JPEG,
// a plain memcpy of the file for TGA and DDS.

#include "opengl/DdsReader.h"
#include "opengl/Image.h"
#include "opengl/ImageByteStream.h"
#include "opengl/JpegCodec.h"
#include "opengl/TgaCodec.h"
#include "tools/formats/DdsWriter.h"
#include "tools/formats/TgaWriter.h"

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr uint32_t kSide = 2048;

// A photograph-like picture: smooth shading with fine grain, so JPEG and the
// block encoder both have something to do.
std::vector<uint8_t> Picture(uint32_t channels)
{
    std::vector<uint8_t> pixels(size_t(kSide) * kSide * channels);
    uint32_t grain = 12345;
    for (uint32_t y = 0; y < kSide; ++y)
        for (uint32_t x = 0; x < kSide; ++x)
        {
            grain = grain * 1103515245u + 12345u;
            const int noise = int((grain >> 16) & 15) - 8;
            const float shade = 0.5f + 0.5f * std::sin(x * 0.01f) * std::cos(y * 0.013f);
            for (uint32_t k = 0; k < channels; ++k)
            {
                const int value = int(shade * (80 + 60 * k)) + int(x * 64 / kSide) + noise;
                pixels[(size_t(y) * kSide + x) * channels + k] = uint8_t(value < 0     ? 0
                                                                         : value > 255 ? 255
                                                                                       : value);
            }
        }
    return pixels;
}

const std::vector<uint8_t>& JpegFile()
{
    static const std::vector<uint8_t> file = []
    {
        std::vector<uint8_t> pixels = Picture(3);
        Image image;
        image.Wrap(kImageFormatRGB, kSide, kSide, pixels.data());
        MemoryByteSink sink;
        JPG_ImageSaveHandler(image, sink);
        return sink.Bytes();
    }();
    return file;
}

const std::vector<uint8_t>& TgaFile(bool topLeft)
{
    static std::vector<uint8_t> files[2];
    std::vector<uint8_t>& file = files[topLeft];
    if (file.empty())
    {
        const std::vector<uint8_t> pixels = Picture(4);
        file = TgaWrite(pixels.data(), kSide, kSide, {2, 32, topLeft, 0, 0, 0});
    }
    return file;
}

const std::vector<uint8_t>& DdsFile()
{
    static const std::vector<uint8_t> file = []
    {
        const std::vector<uint8_t> pixels = Picture(4);
        return DdsWrite(DxtFormat::DXT5, pixels.data(), kSide, kSide);
    }();
    return file;
}

void CountBytes(benchmark::State& state, size_t bytes)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void BM_JpegOurReader(benchmark::State& state)
{
    const std::vector<uint8_t>& file = JpegFile();
    for (auto _ : state)
    {
        MemoryByteSource source(file.data(), file.size());
        Image* image = JPG_ImageLoadHandler(source, "bench.jpg");
        benchmark::DoNotOptimize(image->pixels);
        delete image;
    }
    CountBytes(state, file.size());
}

void BM_JpegLibjpegMemory(benchmark::State& state)
{
    const std::vector<uint8_t>& file = JpegFile();
    std::vector<uint8_t> pixels(size_t(kSide) * kSide * 3);
    for (auto _ : state)
    {
        jpeg_decompress_struct info;
        jpeg_error_mgr error;
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_read_header(&info, TRUE);
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height)
        {
            JSAMPROW row = pixels.data() + size_t(info.output_scanline) * kSide * 3;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
    CountBytes(state, file.size());
}

// The djpeg program on the same file, process start included.
void BM_JpegDjpegProgram(benchmark::State& state)
{
    char path[] = "/tmp/pendrel_bench_XXXXXX.jpg";
    const int descriptor = mkstemps(path, 4);
    if (descriptor < 0 ||
        write(descriptor, JpegFile().data(), JpegFile().size()) != ssize_t(JpegFile().size()))
    {
        state.SkipWithError("no temporary file");
        return;
    }
    close(descriptor);
    const std::string command = std::string("djpeg -outfile /dev/null ") + path;
    for (auto _ : state)
        if (system(command.c_str()) != 0)
            state.SkipWithError("djpeg failed");
    unlink(path);
    CountBytes(state, JpegFile().size());
}

void BM_TgaOurReader(benchmark::State& state)
{
    const std::vector<uint8_t>& file = TgaFile(state.range(0) != 0);
    for (auto _ : state)
    {
        Image* image = TGA_ImageLoadHandler(file.data(), file.size(), "bench.tga");
        benchmark::DoNotOptimize(image->pixels);
        delete image;
    }
    CountBytes(state, file.size());
}

void BM_DdsOurReader(benchmark::State& state)
{
    const std::vector<uint8_t>& file = DdsFile();
    for (auto _ : state)
    {
        Image* image = DDS_ImageLoadHandler(file.data(), file.size(), "bench.dds");
        benchmark::DoNotOptimize(image->pixels);
        delete image;
    }
    CountBytes(state, file.size());
}

// The floor for readers that copy: the file's bytes into a fresh buffer.
void BM_MemcpyOfFile(benchmark::State& state)
{
    const std::vector<uint8_t>& file = state.range(0) == 0 ? DdsFile() : TgaFile(true);
    for (auto _ : state)
    {
        uint8_t* copy = static_cast<uint8_t*>(malloc(file.size()));
        memcpy(copy, file.data(), file.size());
        benchmark::DoNotOptimize(copy);
        free(copy);
    }
    CountBytes(state, file.size());
}
} // namespace

BENCHMARK(BM_JpegOurReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibjpegMemory)->Unit(benchmark::kMillisecond);
// Wall time: the decode runs in a child process, whose CPU time the default
// per-thread CPU clock never sees.
BENCHMARK(BM_JpegDjpegProgram)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_TgaOurReader)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DdsOurReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcpyOfFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
