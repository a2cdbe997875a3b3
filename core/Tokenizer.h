#pragma once
// Splits a text held in memory into tokens. Tokens are separated by a set of
// separator characters (tab, carriage return and line feed unless a reader
// chooses others); runs of separators make no empty tokens, and '#' starts a
// comment that runs to the end of its line. Tokens are copied into the
// caller's buffer, so walking a text allocates nothing.
//
// Text readers share one global tokenizer through the Token* wrappers: a
// reader resets it before use and stops it after.

#include "core/FixedString.h"

#include <cstdint>

class Tokenizer
{
public:
    Tokenizer();

    // Starts a text (not owned, not terminated) with the default separators.
    void SetText(const char* text, int length);
    // Adds the characters to the separator set.
    void SetSeparators(const char* characters);
    void DefaultSeparators();
    // The characters become the whole separator set (the grid and tile map
    // readers split on commas alone, leaving line ends inside tokens).
    void SetOnlySeparators(const char* characters);
    // Only line ends separate, so tabs and blanks belong to tokens.
    void SetLineSeparators();
    void Stop();
    // Stops and restores the default separators for the next reader.
    void Reset();

    // The index of the next character to look at, -1 once the text is used up.
    int GetPosition() const { return m_position; }
    bool IsActive() const { return m_active != 0; }

    // Stores the next non-empty token in the buffer, cut to size - 1
    // characters, and returns whether there was one. `end` is set with the
    // text's last token (or when no token is left); once the end is reached,
    // further calls store nothing.
    bool NextToken(bool* end, char* buffer, int size);

private:
    bool IsSeparator(char c) const { return m_isSeparator[static_cast<unsigned char>(c)]; }
    void SeparatorsChanged();
    int FindSeparator(int from) const;
    int FindComment(int from, int before) const;
    int FindLineEnd(int from) const;
    void CopyToken(int from, int to, char* buffer, int size) const;
    void SkipSeparators(bool* end);
    bool RawStep(bool* end, char* buffer, int size);

    const char* m_text = nullptr;
    int32_t m_length = 0;
    int32_t m_position = 0;
    int32_t m_active = 0;
    FixedString256 m_separators;
    // The separator set as a lookup by byte, rebuilt whenever the set changes.
    bool m_isSeparator[256] = {};
};

// Further tokenizers, handed around by pointer.
Tokenizer* TokenizerCreate();
void TokenizerDestroy(Tokenizer* tokenizer);
void TokenizerSetText(Tokenizer* tokenizer, const char* text, int length);
void TokenizerSetSeparators(Tokenizer* tokenizer, const char* characters);
void TokenizerStop(Tokenizer* tokenizer);
void TokenizerReset(Tokenizer* tokenizer);
bool TokenizerNextToken(Tokenizer* tokenizer, bool* end, char* buffer, int size);

// The global tokenizer.
Tokenizer& GetTokenizer();
void TokenSetText(const char* text, int length);
void TokenSetSeparators(const char* characters);
void TokenDefaultSeparators();
void TokenSetOnlySeparators(const char* characters);
void TokenSetLineSeparators();
void TokenStop();
void TokenReset();
int TokenGetPosition();
bool TokenNext(bool* end, char* buffer, int size);
// The next token that holds more than line ends, with its leading and
// trailing line ends cut (for the readers that split on commas alone).
bool TokenNextWithoutLineEnds(bool& end, char* buffer, int size);
