#pragma once
// One fuzz target per reader or parser. A target file defines its entry with
//     FUZZ_TARGET(name)(const uint8_t* data, size_t size) { ...; return 0; }
// Built for libFuzzer, that is LLVMFuzzerTestOneInput of its own executable;
// built for replay, the entry registers under its name in the one replay
// driver, which CTest runs over the committed corpus.

#include <cstddef>
#include <cstdint>
#include <string>

#ifdef PENDREL_FUZZ_REPLAY
using FuzzEntry = int (*)(const uint8_t* data, size_t size);
bool RegisterFuzzTarget(const char* name, FuzzEntry entry);
#define FUZZ_TARGET(name)                                                                                   \
    static int FuzzEntry_##name(const uint8_t*, size_t);                                                    \
    [[maybe_unused]] static const bool kFuzzRegistered_##name = RegisterFuzzTarget(#name, FuzzEntry_##name); \
    static int FuzzEntry_##name
#else
#define FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput
#endif

// Reports go nowhere: a target runs millions of inputs, most of them refused with a report.
void FuzzSilenceReports();

// Screen element readers get no textures: a fuzzer has no GL.
void FuzzUseNoScreenTextures();

// A folder of this process's own, emptied on each call, removed at exit; its path ends without '/'.
const std::string& FuzzFreshFolder();

// Writes the bytes to folder + "/" + relative, creating the folders along it.
bool FuzzWriteFile(const std::string& folder, const std::string& relative, const void* bytes, size_t size);

// The input as text that ends at its first zero byte (or its end), and the bytes after that zero.
struct FuzzSplit
{
    std::string first;
    std::string rest;
};
FuzzSplit FuzzSplitAtZero(const uint8_t* data, size_t size);
