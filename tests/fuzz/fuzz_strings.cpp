// Game strings: a string file's rows added from memory, then looked up by the identifiers they hold.
#include "FuzzTarget.h"

#include "core/StringKeeper.h"

#include <string>

FUZZ_TARGET(strings)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    StringKeeper keeper;
    const std::string text(reinterpret_cast<const char*>(data), size);
    keeper.AddFromText(text.c_str(), int(text.size()));
    size_t start = 0;
    for (int lines = 0; lines < 64 && start < text.size(); ++lines)
    {
        const size_t end = text.find_first_of("\t\r\n", start);
        keeper.GetString(text.substr(start, end == std::string::npos ? std::string::npos : end - start).c_str());
        const size_t next = text.find('\n', start);
        if (next == std::string::npos)
            break;
        start = next + 1;
    }
    keeper.GetString("");
    return 0;
}
