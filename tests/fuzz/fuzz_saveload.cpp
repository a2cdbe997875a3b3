// The save loader: a save file below the data root read whole and walked token by token, then written
// back through the composer and read once more.
#include "FuzzTarget.h"

#include "core/FileTable.h"
#include "online/SaveLoadFunctions.h"

#include <string>

namespace
{
// Every token takes at least one byte of the file, so the walk ends within its length.
void ReadTokens(SaveLoadFunctions& loader, size_t size, composer* copy)
{
    for (size_t guard = 0; guard <= size / 2 + 1; ++guard)
    {
        const std::string key = loader.GetToken();
        const std::string value = loader.GetToken();
        if (key.empty())
            break;
        if (copy)
            copy->AddToken(key.c_str(), value.c_str());
    }
}
} // namespace

FUZZ_TARGET(saveload)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const std::string& folder = FuzzFreshFolder();
    if (!FuzzWriteFile(folder, "save.sav", data, size))
        return 0;
    const std::string previousRoot = FileTableGetRoot();
    GetFileTable().SetRoot((folder + "/").c_str());
    SaveLoadFunctions loader;
    if (loader.SetupFileAndInitParser("save.sav", false) == kLoadReady)
    {
        composer copy;
        copy.Init(static_cast<int32_t>(size % 64));
        ReadTokens(loader, size, &copy);
        loader.WriteToFile(copy, "copy.sav", false);
        if (loader.SetupFileAndInitParser("copy.sav", false) == kLoadReady)
            ReadTokens(loader, size, nullptr);
    }
    loader.CleanUpParser();
    GetFileTable().SetRoot(previousRoot.c_str());
    return 0;
}
