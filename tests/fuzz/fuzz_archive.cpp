// ".darnix" archives: the input is the archive, mounted in a data tree, and every member read.
#include "FuzzStreams.h"
#include "FuzzTarget.h"

FUZZ_TARGET(archive)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const std::string& folder = FuzzFreshFolder();
    if (!FuzzWriteFile(folder, "data/fuzz.darnix", data, size))
        return 0;
    FuzzMountTree(folder.c_str());
    FuzzReadEveryEntry(data, size, 64);
    FuzzUnmount();
    return 0;
}
