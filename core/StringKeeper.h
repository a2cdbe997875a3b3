#pragma once
// The game strings: every text the player reads, looked up by identifier in
// the tables of the chosen language. A language's folder holds any number of
// ".csv" files whose rows are an identifier, a tab and the text; '#' starts a
// comment. Identifiers are keyed by their hash alone, so a later row with the
// same hash replaces an earlier one, in the same file or a later one.

#include "core/FixedString.h"
#include "core/StreamBytes.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

// Every text of a game in one language takes a few megabytes.
constexpr FileSizeBound kStringFileBound = {"string table", 64ull << 20};

class StringKeeper
{
public:
    // Empties the table and loads every string file below the folder, in file
    // table order. Returns whether any file was found.
    bool Init(int language, const char* folder);

    // Adds the rows of one string file held in memory.
    void AddFromText(const char* text, int length);
    void Add(const char* identifier, const char* text);
    void Clear();

    // The text of the identifier, or null. Texts stay where they are until
    // the table is emptied.
    const char* GetString(const char* identifier) const;
    const char* GetStringByHash(uint32_t hash) const;

    int GetLanguage() const { return m_language; }
    int Count() const { return static_cast<int>(m_strings.size()); }

private:
    void LoadFile(const char* name);
    char* NewSlot();

    int32_t m_language = 0;
    std::unordered_map<uint32_t, char*> m_strings;
    // The texts, in slots of a token's size packed into blocks: one
    // allocation for many rows.
    std::vector<std::unique_ptr<char[]>> m_blocks;
    size_t m_blockUsed = 0;
};

StringKeeper& GetStringKeeper();
bool StringKeeperInit(int language, const char* folder);
const char* StringKeeperGetString(const char* identifier);
int StringKeeperGetLang();
