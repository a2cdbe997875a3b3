// Mounting a large data tree beside a plain readdir-and-stat walk of it, and
// reading archive members through the stream against inflating the same
// bytes with zlib directly.

#include "core/FileTable.h"
#include "core/pd_ifstream.h"
#include "tools/formats/ArchiveWriter.h"

#include <benchmark/benchmark.h>
#include <minizip/unzip.h>
#include <zlib.h>

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
constexpr int kArchives = 50;
constexpr int kMembersPerArchive = 1000;
constexpr int kLooseFiles = 10000;
constexpr int kLooseFolders = 100;

std::string MakeRoot(const char* tag)
{
    std::string pattern = std::string("/tmp/pendrel-bench-") + tag + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    return std::string(mkdtemp(buffer.data())) + "/";
}

void RemoveRoot(const std::string& root)
{
    const std::string command = "rm -rf '" + root + "'";
    if (system(command.c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", root.c_str());
}

// Text-like bytes that deflate about as well as game data does.
std::string SampleBytes(size_t size, unsigned seed)
{
    static const char* const kWords[] = {"vertex ", "normal ", "0.25 ", "-1.5 ",  "texture ", "joint ",
                                         "frame ",  "12 ",     "\n",    "model ", "7 ",       "alpha "};
    std::string bytes;
    unsigned state = seed * 2654435761u + 1;
    while (bytes.size() < size)
    {
        state = state * 1103515245u + 12345u;
        bytes += kWords[(state >> 16) % 12];
    }
    bytes.resize(size);
    return bytes;
}

struct MountTree
{
    std::string root;
    MountTree()
    {
        root = MakeRoot("mount");
        mkdir((root + "data").c_str(), 0777);
        const std::string member = SampleBytes(64, 1);
        for (int a = 0; a < kArchives; ++a)
        {
            ArchiveWriter writer;
            writer.Open((root + "data/pack" + std::to_string(a) + ".darnix").c_str());
            for (int m = 0; m < kMembersPerArchive; ++m)
                writer.AddMember(("a" + std::to_string(a) + "/m" + std::to_string(m) + ".txt").c_str(),
                                 member);
            writer.Close();
        }
        for (int f = 0; f < kLooseFolders; ++f)
        {
            const std::string folder = root + "data/f" + std::to_string(f);
            mkdir(folder.c_str(), 0777);
            for (int i = 0; i < kLooseFiles / kLooseFolders; ++i)
                if (FILE* file = fopen((folder + "/l" + std::to_string(i) + ".txt").c_str(), "wb"))
                {
                    fputs("loose", file);
                    fclose(file);
                }
        }
    }
    ~MountTree() { RemoveRoot(root); }
};

MountTree& SharedMountTree()
{
    static MountTree tree;
    return tree;
}

void BM_MountTree(benchmark::State& state)
{
    MountTree& tree = SharedMountTree();
    FileWatchInit(tree.root.c_str());
    for (auto _ : state)
    {
        FileTableRebuild("data");
        benchmark::DoNotOptimize(FileTableSize());
    }
    const double entries = static_cast<double>(FileTableSize());
    state.counters["entries"] = entries;
    // Seconds per 10,000 entries (shown as a rate inverted: time per unit).
    state.counters["time_per_10k_entries"] = benchmark::Counter(
        entries / 10000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    FileWatchInit("");
    FileTableRebuild("none");
}
BENCHMARK(BM_MountTree)->Unit(benchmark::kMillisecond)->Iterations(5);

// The anchor: a plain readdir-and-stat walk of the same tree (archives are
// stat'ed like any file; their members are not listed).
size_t WalkFolder(const std::string& folder)
{
    size_t items = 0;
    DIR* listing = opendir(folder.c_str());
    if (!listing)
        return 0;
    while (const dirent* item = readdir(listing))
    {
        if (item->d_name[0] == '.')
            continue;
        const std::string path = folder + "/" + item->d_name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            continue;
        ++items;
        if (S_ISDIR(info.st_mode))
            items += WalkFolder(path);
    }
    closedir(listing);
    return items;
}

void BM_PlainReaddirStatWalk(benchmark::State& state)
{
    MountTree& tree = SharedMountTree();
    size_t items = 0;
    for (auto _ : state)
    {
        items = WalkFolder(tree.root + "data");
        benchmark::DoNotOptimize(items);
    }
    state.counters["items"] = double(items);
}
BENCHMARK(BM_PlainReaddirStatWalk)->Unit(benchmark::kMillisecond)->Iterations(5);

constexpr int kFillerMembers = 1000;
constexpr int kReadMembers = 64;

struct ReadTree
{
    std::string root;
    size_t memberSize;
    std::vector<std::string> names;
    std::vector<std::string> deflated; // each member's raw deflate stream
    std::vector<size_t> sizes;

    explicit ReadTree(size_t size) : memberSize(size)
    {
        root = MakeRoot("read");
        mkdir((root + "data").c_str(), 0777);
        const std::string archive = root + "data/members.darnix";
        ArchiveWriter writer;
        writer.Open(archive.c_str());
        // Small members first, so that finding the measured ones by a scan of
        // the directory would cost something.
        for (int i = 0; i < kFillerMembers; ++i)
            writer.AddMember(("filler/" + std::to_string(i)).c_str(), std::string("x"));
        for (int i = 0; i < kReadMembers; ++i)
        {
            names.push_back("read/member" + std::to_string(i) + ".bin");
            writer.AddMember(names.back().c_str(), SampleBytes(size, i + 7));
        }
        writer.Close();
        ExtractRawStreams(archive);
    }
    ~ReadTree() { RemoveRoot(root); }

    void ExtractRawStreams(const std::string& archive)
    {
        unzFile zip = unzOpen64(archive.c_str());
        for (const std::string& name : names)
        {
            int method = 0;
            int level = 0;
            unzLocateFile(zip, name.c_str(), 1);
            unz_file_info64 info;
            unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0);
            unzOpenCurrentFile2(zip, &method, &level, 1);
            std::string raw(info.compressed_size, '\0');
            unzReadCurrentFile(zip, &raw[0], static_cast<unsigned>(raw.size()));
            unzCloseCurrentFile(zip);
            deflated.push_back(raw);
            sizes.push_back(info.uncompressed_size);
        }
        unzClose(zip);
    }
};

ReadTree& TreeOfSize(size_t size)
{
    static ReadTree small(4 << 10);
    static ReadTree large(64 << 10);
    return size == small.memberSize ? small : large;
}

void BM_ReadMemberThroughStream(benchmark::State& state, bool forgetPlaces)
{
    ReadTree& tree = TreeOfSize(static_cast<size_t>(state.range(0)));
    FileWatchInit(tree.root.c_str());
    FileTableRebuild("data");
    if (forgetPlaces)
        for (const std::string& name : tree.names)
            FileTableFindEntry(name.c_str())->memberPlaceKnown = 0;
    std::vector<char> buffer(tree.memberSize);
    size_t next = 0;
    for (auto _ : state)
    {
        pd_ifstream stream(tree.names[next].c_str(), kOpenTable, 0, kInReadBinary);
        benchmark::DoNotOptimize(stream.Read(buffer.data(), buffer.size()));
        next = (next + 1) % tree.names.size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * tree.memberSize));
    FileWatchInit("");
    FileTableRebuild("none");
}

void BM_ReadMember_Stream(benchmark::State& state)
{
    BM_ReadMemberThroughStream(state, false);
}
void BM_ReadMember_StreamScanningByName(benchmark::State& state)
{
    BM_ReadMemberThroughStream(state, true);
}

void BM_ReadMember_PlainInflate(benchmark::State& state)
{
    ReadTree& tree = TreeOfSize(static_cast<size_t>(state.range(0)));
    std::vector<unsigned char> buffer(tree.memberSize);
    size_t next = 0;
    for (auto _ : state)
    {
        const std::string& raw = tree.deflated[next];
        z_stream stream = {};
        inflateInit2(&stream, -MAX_WBITS);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
        stream.avail_in = static_cast<uInt>(raw.size());
        stream.next_out = buffer.data();
        stream.avail_out = static_cast<uInt>(buffer.size());
        benchmark::DoNotOptimize(inflate(&stream, Z_FINISH));
        benchmark::DoNotOptimize(crc32(0, buffer.data(), static_cast<uInt>(tree.sizes[next])));
        inflateEnd(&stream);
        next = (next + 1) % tree.deflated.size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * tree.memberSize));
}

BENCHMARK(BM_ReadMember_Stream)->Arg(4 << 10)->Arg(64 << 10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadMember_StreamScanningByName)->Arg(4 << 10)->Arg(64 << 10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadMember_PlainInflate)->Arg(4 << 10)->Arg(64 << 10)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
