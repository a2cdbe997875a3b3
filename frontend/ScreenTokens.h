#pragma once
// The token walk of the screen and screen element files: tokens separated by
// tab, carriage return and line feed, '#' comments, at most 127 characters,
// with the token in hand kept for the optional entries that look ahead.

#include "core/Tokenizer.h"

class ScreenTokens
{
public:
    ScreenTokens(const char* text, int length) { m_tokenizer.SetText(text, length); }

    // Takes the next token into hand; false (with an empty hand) at the end.
    bool Next();
    const char* Hand() const { return m_hand; }
    bool HandIs(const char* word) const;
    // A label, then a value taken into hand.
    bool LabelledValue() { return Next() && Next(); }
    bool Float(float& value);
    bool Int(int& value);
    bool LabelledFloat(float& value) { return Next() && Float(value); }
    bool LabelledInt(int& value) { return Next() && Int(value); }

private:
    Tokenizer m_tokenizer;
    char m_hand[128] = {};
    bool m_atEnd = false;
};
