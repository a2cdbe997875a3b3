#include "tools/formats/ScreenWriter.h"

#include <cctype>
#include <cstdio>

namespace
{
std::string Pair(const char* label, const std::string& value)
{
    return std::string(label) + "\t" + value + "\n";
}

std::string Number(float value)
{
    char text[32];
    snprintf(text, sizeof text, "%g", double(value));
    return text;
}

std::string FontBlock(const UIFontSpec& font)
{
    std::string text;
    if (font.hasColour)
        text += Pair("COLOR_R", std::to_string(font.colour[0])) + Pair("COLOR_G", std::to_string(font.colour[1])) +
                Pair("COLOR_B", std::to_string(font.colour[2])) + Pair("COLOR_A", std::to_string(font.colour[3]));
    text += Pair("FONT", font.file) + Pair("SCALE", Number(font.scale));
    if (!font.alignX.empty())
        text += Pair("ALIGN_TYPE_HORIZONTAL", font.alignX) + Pair("ALIGN_TYPE_VERTICAL", font.alignY);
    return text + Pair("REFERENCE_HEIGHT", std::to_string(font.referenceHeight));
}

std::string WidgetData(const UIItemSpec& item)
{
    std::string text = Pair("TEXT", item.text);
    std::string upper = item.type;
    for (char& c : upper)
        c = char(toupper(static_cast<unsigned char>(c)));
    if (upper == "BUTTON")
        return text + Pair("TARGET", item.first) + Pair("FUNCTION", item.second);
    if (upper == "MASTER")
        return text + Pair("LEFT", item.first) + Pair("RIGHT", item.second) + Pair("TEXT_ELEMENT", item.third);
    if (upper == "LIST")
        return text + Pair("HEADER", item.first) + Pair("ROW", item.second);
    return text;
}

std::string Item(const UIItemSpec& item)
{
    std::string text = "BEGIN_UI_ITEM\n" + item.type + "\n" + Pair("NAME", item.name);
    if (item.backgroundStretch)
        text += Pair("IS_BACKGROUND_STRETCH", "TRUE");
    if (!item.fadeWithScreen)
        text += Pair("FADEWITHSCREENFADE", "FALSE");
    text += Pair("FOCUSABLE", item.focusable);
    if (!item.functionSelected.empty())
        text += Pair("FUNCTION_SELECTED", item.functionSelected);
    text += Pair("VISIBLE", item.visible) + Pair("ENABLED", item.enabled);
    if (item.hasFont)
        text += "FONTINFORMATION\n" + FontBlock(item.font);
    return text + Pair("ELEMENT", item.element) + WidgetData(item) + "END_UI_ITEM\n";
}
} // namespace

std::string ScreenElementText(const std::vector<ScreenElementSpec>& elements, int player)
{
    std::string text = Pair("PLAYER", std::to_string(player));
    for (const ScreenElementSpec& e : elements)
    {
        text += "SCREEN_ELEMENT_BEGIN\n" + Pair("NAME", e.name);
        if (!e.imitates.empty())
            text += Pair("IMITATE_ELEMENT_NAME", e.imitates);
        text += Pair("SCREEN_WIDTH", std::to_string(e.layoutWidth)) +
                Pair("SCREEN_HEIGHT", std::to_string(e.layoutHeight)) + Pair("WIDTH", std::to_string(e.width)) +
                Pair("HEIGHT", std::to_string(e.height)) + Pair("X", std::to_string(e.x)) +
                Pair("Y", std::to_string(e.y));
        for (const std::string& texture : e.textures)
            text += Pair("TEXTURE", texture);
        text += "SCREEN_ELEMENT_END\n";
    }
    return text;
}

std::string ManagedElementText(const std::vector<ManagedElementSpec>& elements, int player)
{
    std::string text = Pair("PLAYER", std::to_string(player));
    for (const ManagedElementSpec& e : elements)
    {
        text += std::string(e.animated ? "ANIM_SCREEN_ELEMENT_BEGIN\n" : "SCREEN_ELEMENT_BEGIN\n") + Pair("NAME", e.name);
        for (const ScreenLayoutSpec& layout : e.layouts)
        {
            text += Pair("SCREEN_WIDTH", std::to_string(layout.layoutWidth)) +
                    Pair("SCREEN_HEIGHT", std::to_string(layout.layoutHeight)) +
                    Pair("WIDTH", std::to_string(layout.width)) + Pair("HEIGHT", std::to_string(layout.height)) +
                    Pair("X", std::to_string(layout.x)) + Pair("Y", std::to_string(layout.y));
            if (e.animated)
            {
                text += Pair("FRAMES", std::to_string(layout.textures.size()));
                for (const std::string& frame : layout.textures)
                    text += Pair("FRAME", frame);
            }
            else
            {
                text += Pair("TEXTURE", layout.textures.empty() ? std::string("NONE") : layout.textures[0]);
            }
        }
        text += "SCREEN_ELEMENT_END\n";
    }
    return text;
}

std::string UIScreenFileText(const std::string& sharedElementFile, const std::vector<UIScreenSpec>& screens)
{
    std::string text = Pair("SHARED_ELEMENTS", sharedElementFile);
    for (const UIScreenSpec& screen : screens)
    {
        text += "BEGIN_SCREEN\n" + Pair("NAME", screen.name) + Pair("BACK", screen.back) +
                Pair("ELEMENTS", screen.elementFile) + "FONTINFORMATION\n" + FontBlock(screen.font);
        for (const UIItemSpec& item : screen.items)
            text += Item(item);
        text += "END_SCREEN\n";
    }
    return text;
}
