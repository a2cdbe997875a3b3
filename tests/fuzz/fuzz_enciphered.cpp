// Enciphered files: the table name up to the first zero byte, the file's bytes after it.
#include "FuzzStreams.h"
#include "FuzzTarget.h"

#include <string>

namespace
{
// Names the writer could not produce would land outside the tree: keep the fuzzed part to plain parts.
std::string TableName(const std::string& raw)
{
    std::string name;
    for (char c : raw)
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '_')
            name += c;
    if (name.empty() || name.front() == '/' || name.back() == '/' || name.find("//") != std::string::npos)
        name = "secret.bin";
    return name.substr(0, 200);
}
} // namespace

FUZZ_TARGET(enciphered)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const FuzzSplit input = FuzzSplitAtZero(data, size);
    const std::string& folder = FuzzFreshFolder();
    if (!FuzzWriteFile(folder, "encrypteddata/" + TableName(input.first), input.rest.data(), input.rest.size()))
        return 0;
    FuzzMountTree(folder.c_str());
    FuzzReadEveryEntry(data, size, 4);
    FuzzUnmount();
    return 0;
}
