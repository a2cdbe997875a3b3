#pragma once
// Writes the text files of the UI: screen element data (named rectangles
// with textures per layout screen) and screen files (screens of items).

#include <string>
#include <vector>

struct ScreenElementSpec
{
    std::string name;
    int layoutWidth = 640;
    int layoutHeight = 480;
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    std::vector<std::string> textures; // "NONE" for an empty slot
    std::string imitates;              // empty: none
};

std::string ScreenElementText(const std::vector<ScreenElementSpec>& elements, int player = 0);

// The screen element manager's files: a block holds one or more layouts; a
// plain element's layout names one texture ("NONE" for none), an animated
// element's layout a list of frames.
struct ScreenLayoutSpec
{
    int layoutWidth = 640;
    int layoutHeight = 480;
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    std::vector<std::string> textures;
};

struct ManagedElementSpec
{
    std::string name;
    bool animated = false;
    std::vector<ScreenLayoutSpec> layouts;
};

std::string ManagedElementText(const std::vector<ManagedElementSpec>& elements, int player = 0);

struct UIFontSpec
{
    std::string file;
    float scale = 1.0f;
    int referenceHeight = 0;
    std::string alignX; // empty: no alignment entry
    std::string alignY = "MIDDLE";
    bool hasColour = false;
    int colour[4] = {255, 255, 255, 255};
};

struct UIItemSpec
{
    std::string type = "BUTTON";
    std::string name;
    bool backgroundStretch = false;
    bool fadeWithScreen = true;
    std::string focusable = "TRUE";
    std::string functionSelected; // empty: no entry
    std::string visible = "TRUE";
    std::string enabled = "TRUE";
    bool hasFont = false;
    UIFontSpec font;
    std::string element;
    std::string text = "NONE";
    // Buttons: target screen and function; masters: left, right and the
    // text element; lists: header and row elements.
    std::string first = "NONE";
    std::string second = "NONE";
    std::string third = "NONE";
};

struct UIScreenSpec
{
    std::string name;
    std::string back = "NONE";
    std::string elementFile;
    UIFontSpec font;
    std::vector<UIItemSpec> items;
};

std::string UIScreenFileText(const std::string& sharedElementFile, const std::vector<UIScreenSpec>& screens);
