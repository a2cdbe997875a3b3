// The local storefront's text files of TAB-separated fields (statistics, lobbies): read line by line,
// each field parsed as the readers parse numbers.
#include "FuzzTarget.h"

#include "online/storefront/StorefrontFiles.h"

#include <cstdlib>

FUZZ_TARGET(fieldlines)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const std::string& folder = FuzzFreshFolder();
    if (!FuzzWriteFile(folder, "fields", data, size))
        return 0;
    size_t total = 0;
    StorefrontReadFieldLines((folder + "/fields").c_str(), 1 << 20, [&total](const std::vector<std::string>& fields) {
        for (const std::string& field : fields)
            total += field.size() + static_cast<size_t>(strtoull(field.c_str(), nullptr, 10) & 1);
    });
    // Every field comes from the file: together they cannot outgrow it.
    if (total > size * 2)
        abort();
    return 0;
}
