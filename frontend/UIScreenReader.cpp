#include "frontend/UIScreenReader.h"

#include "core/Hash.h"
#include "core/KeywordTable.h"
#include "core/LogError.h"
#include "core/StringKeeper.h"
#include "frontend/BasicText.h"
#include "frontend/UIWidget.h"

#include <cctype>
#include <cstring>

namespace
{
constexpr uint32_t kNoHash = 0xFFFFFFFFu;
const char* const kTypeWords[] = {"BUTTON", "LABEL", "RADIOBUTTON", "CHECKBOX", "MASTER", "LIST", "TEXTBOX", "PIC"};

int TypeOfWord(const char* word)
{
    static KeywordTable table;
    if (table.Count() == 0)
        table.Build(kTypeWords, int(sizeof kTypeWords / sizeof kTypeWords[0]));
    char upper[128];
    size_t i = 0;
    for (; word[i] && i + 1 < sizeof upper; ++i)
        upper[i] = char(toupper(static_cast<unsigned char>(word[i])));
    upper[i] = 0;
    return table.Find(HashString(upper));
}

bool IsFalse(const char* word)
{
    return strcasecmp(word, "FALSE") == 0;
}
} // namespace

bool UIScreenReader::Cut(const char* where)
{
    LogError("Screen file ends inside %s.\n", where);
    return false;
}

bool UIScreenReader::Read()
{
    if (!m_tokens.LabelledValue())
        return Cut("the header");
    m_ui.m_sharedElementFile = m_tokens.Hand();
    ScreenElementDataLoad(m_ui.m_sharedElements, m_ui.m_dataDirectory, m_ui.m_sharedElementFile);
    const bool read = ReadScreens();
    if (m_droppedScreens > 0)
        LogError("Screen file: more than %d screens; the last %d are left out.\n", kUIMaxScreens, m_droppedScreens);
    if (m_droppedItems > 0)
        LogError("Screen file: screens of more than %d items; %d items are left out.\n", kUIMaxItemsPerScreen,
                 m_droppedItems);
    return read;
}

bool UIScreenReader::ReadScreens()
{
    while (m_tokens.Next() && m_tokens.HandIs("BEGIN_SCREEN"))
    {
        auto screen = std::make_unique<UIScreen>();
        screen->owner = &m_ui;
        if (!ReadScreen(*screen))
            return false;
        if (m_ui.m_screens.size() < size_t(kUIMaxScreens))
            m_ui.m_screens.push_back(std::move(screen));
        else
            ++m_droppedScreens;
    }
    return true;
}

bool UIScreenReader::ReadScreen(UIScreen& screen)
{
    if (!m_tokens.LabelledValue())
        return Cut("a screen name");
    screen.name = m_tokens.Hand();
    screen.nameHash = HashString(screen.name);
    if (!m_tokens.LabelledValue())
        return Cut("a back item");
    screen.backItemName = m_tokens.HandIs("NONE") ? "" : m_tokens.Hand();
    if (!m_tokens.LabelledValue())
        return Cut("an element file");
    screen.elementFile = m_tokens.Hand();
    if (!m_tokens.Next() || !ReadFontInfo(screen.fontInfo))
        return Cut("the screen's font");
    // The token after the last item closes the screen; the end of the text does too.
    while (m_tokens.Next() && m_tokens.HandIs("BEGIN_UI_ITEM"))
    {
        auto item = std::make_unique<UIItem>();
        item->screen = &screen;
        if (!ReadItem(screen, *item))
            return false;
        if (screen.items.size() < size_t(kUIMaxItemsPerScreen))
            screen.items.push_back(std::move(item));
        else
            ++m_droppedItems;
    }
    return true;
}

bool UIScreenReader::ReadFontInfo(UIFontInfo& info)
{
    if (!m_tokens.Next())
        return false;
    if (m_tokens.HandIs("COLOR_R"))
    {
        int channels[4] = {};
        for (int i = 0; i < 4; ++i)
            if ((i > 0 && !m_tokens.Next()) || !m_tokens.Int(channels[i]))
                return false;
        info.colour = rgba8888(uint8_t(channels[0]), uint8_t(channels[1]), uint8_t(channels[2]), uint8_t(channels[3]));
        info.hasColour = 1;
        if (!m_tokens.Next())
            return false;
    }
    if (!m_tokens.Next())
        return false;
    FixedString256 path;
    path.Format("%s/%s", m_ui.FontDirectory().c_str(), m_tokens.Hand());
    info.font = m_ui.SharedFont(path);
    if (!m_tokens.LabelledFloat(info.scale) || !m_tokens.Next())
        return false;
    if (m_tokens.HandIs("ALIGN_TYPE_HORIZONTAL"))
    {
        if (!m_tokens.Next())
            return false;
        info.alignX = m_tokens.HandIs("LEFT") ? 0 : m_tokens.HandIs("RIGHT") ? 1 : 2;
        if (!m_tokens.LabelledValue())
            return false;
        info.alignY = m_tokens.HandIs("TOP") ? 0 : m_tokens.HandIs("BOTTOM") ? 1 : 2;
        info.hasAlignment = 1;
        if (!m_tokens.Next())
            return false;
    }
    int referenceHeight = 0;
    if (!m_tokens.Int(referenceHeight))
        return false;
    info.referenceHeight = float(referenceHeight);
    return true;
}

bool UIScreenReader::Boolean(uint8_t& value)
{
    if (!m_tokens.Next())
        return false;
    value = IsFalse(m_tokens.Hand()) ? 0 : 1;
    return true;
}

bool UIScreenReader::ReadItem(UIScreen& screen, UIItem& item)
{
    if (!m_tokens.Next())
        return Cut("an item");
    item.type = TypeOfWord(m_tokens.Hand());
    item.widget = UIWidgetCreate(item.type, item);
    if (!item.widget)
    {
        // Only buttons, labels, masters and lists have widgets.
        LogError("Screen file: item type %s is read as a label.\n", m_tokens.Hand());
        item.type = kUILabel;
        item.widget = UIWidgetCreate(kUILabel, item);
    }
    item.widget->Init();
    if (!m_tokens.LabelledValue())
        return Cut("an item name");
    item.name = m_tokens.Hand();
    item.nameHash = HashString(item.name);
    if (!m_tokens.Next())
        return Cut("an item");
    if (m_tokens.HandIs("IS_BACKGROUND_STRETCH"))
    {
        if (!m_tokens.Next())
            return Cut("an item");
        item.backgroundStretch = m_tokens.HandIs("TRUE") ? 1 : 0;
        if (!m_tokens.Next())
            return Cut("an item");
    }
    if (m_tokens.HandIs("FADEWITHSCREENFADE"))
    {
        if (!m_tokens.Next())
            return Cut("an item");
        item.fadeWithScreenFade = m_tokens.HandIs("FALSE") ? 0 : 1;
        if (!m_tokens.Next())
            return Cut("an item");
    }
    if (!Boolean(item.focusable) || !m_tokens.Next())
        return Cut("an item");
    if (m_tokens.HandIs("FUNCTION_SELECTED"))
    {
        if (!m_tokens.Next())
            return Cut("an item");
        item.functionSelected = m_tokens.HandIs("NONE") ? "" : m_tokens.Hand();
        if (!m_tokens.Next())
            return Cut("an item");
    }
    if (!Boolean(item.visible) || !m_tokens.Next() || !Boolean(item.enabled) || !m_tokens.Next())
        return Cut("an item");
    if (m_tokens.HandIs("FONTINFORMATION"))
    {
        if (!ReadFontInfo(item.fontInfo) || !m_tokens.Next())
            return Cut("an item's font");
        item.hasFontInfo = 1;
    }
    if (!m_tokens.Next())
        return Cut("an item's element");
    item.elementHash = HashString(m_tokens.Hand());
    if (!item.widget->ReadItemData(*this))
        return false;
    (void)screen;
    if (!m_tokens.Next())
        return Cut("an item's end");
    return true;
}

bool UIScreenReader::NameHash(uint32_t& hash)
{
    if (!m_tokens.LabelledValue())
        return Cut("a name");
    hash = m_tokens.HandIs("NONE") ? kNoHash : HashString(m_tokens.Hand());
    return true;
}

bool UIScreenReader::TextBlock(UIItem& item, UITextBlock& text)
{
    if (!m_tokens.LabelledValue())
        return Cut("a text");
    if (m_tokens.HandIs("NONE"))
    {
        text.text.Clear();
        text.textIdHash = kNoHash;
        text.hasText = 0;
    }
    else
    {
        const char* found = StringKeeperGetString(m_tokens.Hand());
        text.text = found ? found : "";
        text.textIdHash = HashString(m_tokens.Hand());
        text.hasText = 1;
    }
    if (item.FontInForce().hasAlignment)
    {
        text.alignX = item.fontInfo.alignX;
        text.alignY = item.fontInfo.alignY;
    }
    return true;
}
