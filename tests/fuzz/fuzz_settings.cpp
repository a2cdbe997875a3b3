// The settings store: a key's file read, its values looked up, changed and written back.
#include "FuzzTarget.h"

#include "platform/SettingsStore.h"

#include <cstdlib>

FUZZ_TARGET(settings)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const std::string& folder = FuzzFreshFolder();
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    if (!FuzzWriteFile(folder, "Yrn/Fuzz.settings", data, size))
        return 0;
    SettingsStore store;
    store.Open("SOFTWARE\\Yrn\\Fuzz");
    uint32_t value = 0;
    for (const char* name : {"windowposx", "windowposy", "", "x"})
        store.ReadDword(name, value);
    store.SetDword("windowposx", value + 1);
    store.Save();
    SettingsStore again;
    again.Open("SOFTWARE\\Yrn\\Fuzz");
    again.ReadDword("windowposx", value);
    return 0;
}
