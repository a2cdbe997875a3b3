#pragma once
// Named values under a key, the program's small persistent settings (the
// window position). A key such as "SOFTWARE\Yrn\Pendrel" is one text file
// below the user's configuration folder ($XDG_CONFIG_HOME, else
// ~/.config), here "Yrn/Pendrel.settings", one value a line:
//     windowposx=dword:00000040
// A value of another kind is kept as written and read as no DWORD.

#include "core/FixedString.h"

#include <cstdint>

class SettingsStore
{
public:
    static constexpr int kMaxValues = 32;
    // Longer files are not settings of ours and are not read.
    static constexpr int kMaxFileBytes = 16384;

    // Reads the key's file. False when there is none or it cannot be read;
    // the store is then empty and a write creates the file.
    bool Open(const char* key);

    bool ReadDword(const char* name, uint32_t& value) const;
    // Sets the value in memory; false after a report when the store is full.
    bool SetDword(const char* name, uint32_t value);
    // Rewrites the whole file (through a temporary file, so a crash never
    // leaves half a file), creating its folders; false after a report.
    bool Save() const;
    bool WriteDword(const char* name, uint32_t value) { return SetDword(name, value) && Save(); }

    // The file that holds the key; empty when no configuration folder is known.
    static FixedString256 PathOfKey(const char* key);

private:
    struct Value
    {
        FixedString64 name;
        FixedString64 text;
    };

    void ParseLine(const char* line);
    Value* Find(const char* name);
    const Value* Find(const char* name) const;

    FixedString256 m_path;
    Value m_values[kMaxValues];
    int m_count = 0;
};
