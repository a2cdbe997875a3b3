#pragma once
// Reads the screen file into the UI: the shared element file, then screens
// of items. Words the reader does not know as types are reported and read as
// labels; a file cut inside a screen keeps the whole screens before it.
// Screens and items past their bounds are read and left out, with one report
// for the file.

#include "frontend/ScreenTokens.h"

class UIInterface;
class UIItem;
class UIScreen;
struct UIFontInfo;
struct UITextBlock;

class UIScreenReader
{
public:
    UIScreenReader(UIInterface& ui, const char* text, int length) : m_ui(ui), m_tokens(text, length) {}

    bool Read();

    ScreenTokens& Tokens() { return m_tokens; }
    // A label and a name or "NONE": its hash, or -1 for "NONE".
    bool NameHash(uint32_t& hash);
    bool TextBlock(UIItem& item, UITextBlock& text);
    bool Cut(const char* where);

private:
    bool ReadScreens();
    bool ReadScreen(UIScreen& screen);
    bool ReadFontInfo(UIFontInfo& info);
    bool ReadItem(UIScreen& screen, UIItem& item);
    bool Boolean(uint8_t& value);

    UIInterface& m_ui;
    ScreenTokens m_tokens;
    int m_droppedScreens = 0;
    int m_droppedItems = 0;
};
