#pragma once
// Saving and loading the script's progress, to a local file below the data
// root or to the platform's cloud files. A save replaces the whole file at
// once, so a crash or a full disk keeps the old one. A load reads the whole
// file and hands out its tokens (split on TAB, CR and LF) one by one through
// a tokenizer of its own, which the shared readers cannot disturb.

#include "core/Tokenizer.h"
#include "online/Composer.h"

#include <cstdint>
#include <memory>

enum SaveLoadResult : int32_t
{
    kLoadReady = 1,
    kLoadFailed = 3,
};

class SaveLoadFunctions
{
public:
    // The longest token handed out is one less.
    static constexpr int kTokenBytes = 128;

    SaveLoadFunctions() = default;
    SaveLoadFunctions(const SaveLoadFunctions&) = delete;
    SaveLoadFunctions& operator=(const SaveLoadFunctions&) = delete;

    // Writes the composer's text and frees the composer, whatever happened.
    // False when nothing was written: a composer without a buffer writes
    // nothing rather than emptying the save.
    bool WriteToFile(composer& text, const char* name, bool toCloud);
    int32_t SetupFileAndInitParser(const char* name, bool fromCloud);
    // The next token, or "" when there is none (or no load).
    const char* GetToken();
    void CleanUpParser();
    int32_t IsFinishedLoading() const;

    composer m_composer;

private:
    bool LoadLocal(const char* name);
    bool LoadCloud(const char* name);

    std::unique_ptr<char[]> m_loadBuffer;
    Tokenizer m_tokenizer;
    char m_token[kTokenBytes] = {};
};
