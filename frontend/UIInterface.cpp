#include "frontend/UIInterface.h"

#include "audio/Sound.h"
#include "core/FileTable.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"
#include "frontend/BasicText.h"
#include "frontend/UIScreenReader.h"
#include "frontend/UIWidget.h"

#include <cmath>
#include <cstring>

namespace
{
BasicText* MakeFileFont(const char* path)
{
    return new BasicText(path);
}

UIInterface::FontMaker g_fontMaker = MakeFileFont;
} // namespace

UIInterface& GetUIInterface()
{
    static UIInterface ui;
    return ui;
}

void UIInterface::SetFontMaker(FontMaker maker)
{
    g_fontMaker = maker ? maker : MakeFileFont;
}

BasicText* UIInterface::MakeFont(const char* path)
{
    return g_fontMaker(path);
}

std::shared_ptr<BasicText> UIInterface::SharedFont(const char* path)
{
    for (const auto& [name, font] : m_fonts)
        if (strcmp(name.c_str(), path) == 0)
            return font;
    std::shared_ptr<BasicText> font(MakeFont(path));
    m_fonts.emplace_back(FixedString256(path), font);
    return font;
}

// ---- items and screens

const UIFontInfo& UIItem::FontInForce() const
{
    return hasFontInfo ? fontInfo : screen->fontInfo;
}

ScreenElementRect UIItem::Rect(uint32_t hash, int index) const
{
    return ScreenElementDataGetRect(screen->owner->ElementsFor(*this), hash, 0, index);
}

void UIItem::Register(int key, UIPropertyKind kind, void* field)
{
    properties[key] = {kind, field};
}

int UIScreen::FindItem(uint32_t hash) const
{
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i]->nameHash == hash)
            return int(i);
    return -1;
}

void UIScreen::Select(int index)
{
    if (index == selected)
        return;
    selected = index;
    owner->PlaySound(2);
    const UIItem& item = *items[size_t(index)];
    if (!item.functionSelected.IsEmpty())
        owner->CallSelectFunction(item.functionSelected);
}

// ---- the system

bool UIInterface::LoadScreens(const char* directory, const char* file)
{
    m_dataDirectory = directory;
    m_screenFile = file;
    FixedString256 path;
    path.Format("%s/%s", directory, file);
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open screen Item data %s failed.\n", path.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, kScreenFileBound, bytes))
        return false;
    return ReadScreens(directory, reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

bool UIInterface::ReadScreens(const char* directory, const char* text, int length)
{
    m_dataDirectory = directory;
    const bool read = UIScreenReader(*this, text, length).Read();
    m_current = m_next = 0;
    // The first screen is entered as any other, so it starts on a usable item
    // even when a label comes first.
    if (UIScreen* screen = CurrentScreen())
        EnterScreen(*screen);
    LinkMasters();
    return read;
}

void UIInterface::Shutdown()
{
    m_screens.clear();
    m_fonts.clear();
    ScreenElementDataClear(m_screenElements);
    ScreenElementDataClear(m_sharedElements);
    m_loadedElementFile.Clear();
    m_current = m_next = 0;
    m_fadeRunning = false;
    m_shownFade = 1.0f;
}

void UIInterface::EnterScreen(UIScreen& screen)
{
    EnterScreenElements(screen);
    for (size_t i = 0; i < screen.items.size(); ++i)
        if (screen.items[i]->Usable())
        {
            screen.selected = int(i);
            break;
        }
}

void UIInterface::LinkMasters()
{
    for (auto& screen : m_screens)
        for (size_t i = 0; i < screen->items.size(); ++i)
        {
            if (screen->items[i]->type != kUIMaster)
                continue;
            UIMaster& master = static_cast<UIMaster&>(*screen->items[i]->widget);
            master.leftIndex = screen->FindItem(master.leftHash);
            master.rightIndex = screen->FindItem(master.rightHash);
            for (int child : {master.leftIndex, master.rightIndex})
                if (child >= 0)
                    screen->items[size_t(child)]->redirectIndex = int32_t(i);
        }
}

UIScreen* UIInterface::CurrentScreen() const
{
    if (m_current < 0 || m_current >= int(m_screens.size()))
        return nullptr;
    return m_screens[size_t(m_current)].get();
}

const ScreenElementData& UIInterface::ElementsFor(const UIItem& item) const
{
    return item.backgroundStretch ? m_sharedElements : m_screenElements;
}

void UIInterface::EnterScreenElements(const UIScreen& screen)
{
    if (strcmp(screen.elementFile, m_loadedElementFile) == 0)
        return;
    ScreenElementDataClear(m_screenElements);
    ScreenElementDataLoad(m_screenElements, m_dataDirectory, screen.elementFile);
    m_loadedElementFile = screen.elementFile;
}

void UIInterface::SetViewport(int width, int height, int x, int y)
{
    m_viewport[0] = float(width);
    m_viewport[1] = float(height);
    m_viewport[2] = float(x);
    m_viewport[3] = float(y);
    FitViewport();
}

void UIInterface::AddAspectRatio(float aspect)
{
    for (int i = 0; i < m_aspectCount; ++i)
        if (m_aspects[i] == aspect)
            return;
    if (m_aspectCount == kUIAspectSlots)
        return;
    m_aspects[m_aspectCount++] = aspect;
    if (m_viewport[0] != 0.0f)
        FitViewport();
}

void UIInterface::FitViewport()
{
    float width = m_viewport[0], height = m_viewport[1];
    // An empty viewport (a minimised window) keeps the last fit.
    if (!SetScreenProperties(m_sharedElements, int(width), int(height), int(m_viewport[2]), int(m_viewport[3])))
        return;
    float x = m_viewport[2], y = m_viewport[3];
    if (m_aspectCount > 0)
    {
        const float aspect = width / height;
        int best = 0;
        for (int i = 1; i < m_aspectCount; ++i)
            if (std::fabs(m_aspects[i] - aspect) < std::fabs(m_aspects[best] - aspect))
                best = i;
        if (std::fabs(m_aspects[best] - aspect) != 0.0f)
        {
            if (m_aspects[best] > aspect)
            {
                const float fitted = width / m_aspects[best];
                y = (height - fitted) * 0.5f;
                height = fitted;
            }
            else
            {
                const float fitted = height * m_aspects[best];
                x = (width - fitted) * 0.5f;
                width = fitted;
            }
        }
    }
    SetScreenProperties(m_screenElements, int(width), int(height), int(x), int(y));
}

void UIInterface::SetSoundName(const char* name, int index)
{
    if (index >= 0 && index < kUISoundSlots)
        m_soundNames[index] = name;
}

void UIInterface::PlaySound(int slot) const
{
    if (!m_soundNames[slot].IsEmpty())
        PlaySoundByName(m_soundNames[slot], SST_FEFX);
}

void UIInterface::CallButtonFunction(const char* name) const
{
    if (m_buttonHandler)
        m_buttonHandler(name);
}

void UIInterface::CallSelectFunction(const char* name) const
{
    if (m_selectHandler)
        m_selectHandler(name);
}

void UIInterface::SetCursorPosition(float x, float y)
{
    m_cursor[0] = x;
    m_cursor[1] = y;
}

bool UIInterface::AcceptsInput() const
{
    return m_enabled && !m_fadeRunning && CurrentScreen();
}

void UIInterface::ChangeScreenByName(uint32_t nameHash, bool instant)
{
    for (size_t i = 0; i < m_screens.size(); ++i)
    {
        if (m_screens[i]->nameHash != nameHash)
            continue;
        if (int(i) == m_current)
            return;
        m_fadeTimer.Start();
        if (instant)
            m_fadeTimer.AddTime(m_fadeDuration);
        m_fadeRunning = true;
        m_next = int(i);
        return;
    }
}

void UIInterface::Update(float)
{
    const float half = m_fadeDuration * 0.5f;
    const float t = m_fadeRunning ? m_fadeTimer.GetTime() : 0.0f;
    float target = 1.0f;
    if (m_fadeRunning)
        target = std::fmin(std::fmax(t < half ? 1.0f - t / half : (t - half) / half, 0.0f), 1.0f);
    m_shownFade += 0.2f * (target - m_shownFade);
    if (m_enabled && m_fadeRunning)
    {
        if (m_current != m_next && t > half)
        {
            m_current = m_next;
            EnterScreen(*m_screens[size_t(m_current)]);
        }
        if (t > m_fadeDuration)
            m_fadeRunning = false;
    }
    if (AcceptsInput())
        HoverTest();
}

void UIInterface::HoverTest()
{
    UIScreen& screen = *CurrentScreen();
    int candidate = -1;
    for (size_t i = 0; i < screen.items.size(); ++i)
    {
        UIItem& item = *screen.items[i];
        if (!item.visible || !item.enabled)
            continue;
        const uint8_t inside = item.widget->HitTest(m_cursor) ? 1 : 0;
        if (inside == item.hovered)
            continue;
        item.hovered = inside;
        if (inside && m_hoverSelect)
        {
            if (item.Usable())
                candidate = int(i);
            else if (item.redirectIndex != -1)
                candidate = item.redirectIndex;
        }
    }
    const bool selectedHovered = screen.selected >= 0 && screen.selected < int(screen.items.size()) &&
                                 screen.items[size_t(screen.selected)]->hovered;
    if (m_hoverSelect && candidate >= 0 && !selectedHovered)
        screen.Select(candidate);
}

void UIInterface::RenderItems() const
{
    const UIScreen* screen = CurrentScreen();
    if (!m_enabled || !screen)
        return;
    for (size_t i = 0; i < screen->items.size(); ++i)
        if (screen->items[i]->visible)
            screen->items[i]->widget->Render(int(i) == screen->selected);
}

void UIInterface::Activate(UIItem& item, bool withMouse, const float* cursor)
{
    if (!item.visible || !item.enabled || !item.widget->IsSelectable())
        return;
    PlaySound(0);
    item.widget->Activate(withMouse, cursor);
}

void UIInterface::ClickInput(bool withMouse)
{
    if (!AcceptsInput())
        return;
    UIScreen& screen = *CurrentScreen();
    if (!withMouse)
    {
        if (screen.selected >= 0 && screen.selected < int(screen.items.size()))
            Activate(*screen.items[size_t(screen.selected)], false, nullptr);
        return;
    }
    for (auto& item : screen.items)
        if (item->enabled && item->widget->IsSelectable() && item->widget->HitTest(m_cursor))
        {
            Activate(*item, true, m_cursor);
            return;
        }
}

void UIInterface::TabForward()
{
    if (!AcceptsInput())
        return;
    UIScreen& screen = *CurrentScreen();
    const int count = int(screen.items.size());
    for (int step = 1; step < count; ++step)
    {
        const int index = (screen.selected + step) % count;
        if (index >= 0 && screen.items[size_t(index)]->Usable())
        {
            screen.Select(index);
            return;
        }
    }
}

void UIInterface::TabBack()
{
    if (!AcceptsInput())
        return;
    UIScreen& screen = *CurrentScreen();
    const int count = int(screen.items.size());
    for (int step = 1; step < count; ++step)
    {
        const int index = ((screen.selected - step) % count + count) % count;
        if (screen.items[size_t(index)]->Usable())
        {
            screen.Select(index);
            return;
        }
    }
}

void UIInterface::InputLeft()
{
    if (!AcceptsInput())
        return;
    UIScreen& screen = *CurrentScreen();
    if (screen.selected >= 0 && screen.selected < int(screen.items.size()))
        screen.items[size_t(screen.selected)]->widget->InputLeft();
}

void UIInterface::InputRight()
{
    if (!AcceptsInput())
        return;
    UIScreen& screen = *CurrentScreen();
    if (screen.selected >= 0 && screen.selected < int(screen.items.size()))
        screen.items[size_t(screen.selected)]->widget->InputRight();
}

void UIInterface::InputBack()
{
    if (!AcceptsInput())
        return;
    UIScreen& screen = *CurrentScreen();
    if (screen.items.empty() || screen.backItemName.IsEmpty())
        return;
    const int index = screen.FindItem(HashString(screen.backItemName));
    if (index < 0)
        return;
    UIItem& item = *screen.items[size_t(index)];
    if (!item.visible || !item.enabled)
        return;
    if (item.focusable)
        screen.Select(index);
    Activate(item, false, nullptr);
}

const char* UIInterface::GetCurrentScreenName() const
{
    const UIScreen* screen = CurrentScreen();
    return screen ? screen->name.c_str() : "";
}

UIItem* UIInterface::FindItemByName(uint32_t nameHash) const
{
    for (const auto& screen : m_screens)
        for (const auto& item : screen->items)
            if (item->nameHash == nameHash)
                return item.get();
    return nullptr;
}
