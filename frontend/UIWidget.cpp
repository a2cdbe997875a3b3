#include "frontend/UIWidget.h"

#include "core/Hash.h"
#include "frontend/BasicText.h"
#include "frontend/Draw2D.h"
#include "frontend/UIScreenReader.h"
#include "opengl/PrimBatch.h"

#include <algorithm>

namespace
{
constexpr float kPressSeconds = 0.1f;
constexpr rgba8888 kWhite{255, 255, 255, 255};
constexpr rgba8888 kButtonColours[] = {
    {255, 255, 255, 255}, {255, 255, 0, 255}, {255, 255, 228, 255}, {190, 190, 190, 190}, {255, 200, 200, 255}};
constexpr rgba8888 kMasterColours[] = {
    {255, 255, 255, 255}, {255, 255, 0, 255}, {255, 255, 228, 255}, {220, 220, 220, 255}};

uint32_t Packed(const rgba8888& c)
{
    return uint32_t(c.r) | (uint32_t(c.g) << 8) | (uint32_t(c.b) << 16) | (uint32_t(c.a) << 24);
}

uint8_t ModulateChannel(uint8_t a, uint8_t b)
{
    return uint8_t(float(a) / 255.0f * (float(b) / 255.0f) * 255.0f);
}

rgba8888 Modulate(const rgba8888& a, const rgba8888& b)
{
    return {ModulateChannel(a.r, b.r), ModulateChannel(a.g, b.g), ModulateChannel(a.b, b.b),
            ModulateChannel(a.a, b.a)};
}

rgba8888 WithAlpha(rgba8888 c, float alpha)
{
    c.a = uint8_t(alpha);
    return c;
}

void DrawQuad(const ScreenElementRect& rect, float alpha)
{
    if (!rect.found || !rect.texture)
        return;
    PrimSetColorPacked(Packed(WithAlpha(kWhite, alpha)));
    Draw2D::TexturedQuad(float(rect.x), float(rect.y), float(rect.width), float(rect.height), rect.texture);
}

int StateOf(const UIItem& item, bool selected)
{
    int state = kUIStateNormal;
    if (item.hovered)
        state = kUIStateHovered;
    if (selected)
        state = kUIStateSelected;
    if (!item.enabled)
        state = kUIStateDisabled;
    return state;
}

void DrawText(const UIItem& item, const char* text, const ScreenElementRect& rect, const rgba8888& colour,
              int alignX, int alignY)
{
    const UIFontInfo& info = item.FontInForce();
    if (!info.font || !rect.found || !text[0])
        return;
    float scale = info.scale;
    const float screenHeight = item.screen->owner->ElementsFor(item).screen.height;
    if (info.referenceHeight > 0.0f)
        scale *= screenHeight / info.referenceHeight;
    info.font->DrawString(text, Packed(colour), rect.x, rect.y, rect.width, rect.height, -1, alignX, alignY, scale,
                          -1);
}
} // namespace

void UIWidget::Init()
{
    m_item.Register(0, kUIPropertyInt, &m_item.type);
    m_item.Register(1, kUIPropertyString, &m_item.name);
    m_item.Register(2, kUIPropertyInt, &m_item.nameHash);
    m_item.Register(3, kUIPropertyString, &m_text.text);
    m_item.Register(4, kUIPropertyInt, &m_text.textIdHash);
    m_item.Register(5, kUIPropertyInt, &m_text.hasText);
    m_item.Register(6, kUIPropertyInt, &m_item.elementHash);
    m_item.Register(7, kUIPropertyBool, &m_item.focusable);
    m_item.Register(8, kUIPropertyBool, &m_item.visible);
    m_item.Register(9, kUIPropertyBool, &m_item.enabled);
}

bool UIWidget::ReadItemData(UIScreenReader& reader)
{
    return reader.TextBlock(m_item, m_text);
}

bool UIWidget::HitTest(const float* cursor) const
{
    const ScreenElementRect rect = m_item.Rect(m_item.elementHash, 0);
    return rect.found && float(rect.x) <= cursor[0] && cursor[0] <= float(rect.x + rect.width) &&
           float(rect.y) <= cursor[1] && cursor[1] <= float(rect.y + rect.height);
}

// ---- UIButton

void UIButton::Reset()
{
    m_hasTarget = 0;
    m_targetHash = 0xFFFFFFFFu;
}

bool UIButton::ReadItemData(UIScreenReader& reader)
{
    if (!reader.TextBlock(m_item, m_text) || !reader.NameHash(m_targetHash))
        return false;
    m_hasTarget = m_targetHash != 0xFFFFFFFFu;
    if (!reader.Tokens().LabelledValue())
        return reader.Cut("a button function");
    m_functionName = reader.Tokens().HandIs("NONE") ? "" : reader.Tokens().Hand();
    return true;
}

void UIButton::Render(bool selected) const
{
    int state = StateOf(m_item, selected);
    if (m_pressTimer.IsStarted() && m_pressTimer.GetTime() < kPressSeconds)
        state = kUIStatePressed;
    const UIFontInfo& info = m_item.FontInForce();
    rgba8888 colour = kButtonColours[state];
    if (info.hasColour)
        colour = Modulate(colour, info.colour);
    const float fade = m_item.screen->owner->ShownFade();
    const ScreenElementRect rect = m_item.Rect(m_item.elementHash, state);
    DrawQuad(rect, fade * 255.0f);
    DrawText(m_item, m_text.text, rect, WithAlpha(colour, float(colour.a) * fade), m_text.alignX, m_text.alignY);
}

void UIButton::Activate(bool, const float*)
{
    m_pressTimer.Start();
    UIInterface& ui = *m_item.screen->owner;
    if (!m_functionName.IsEmpty())
        ui.CallButtonFunction(m_functionName);
    if (m_hasTarget)
        ui.ChangeScreenByName(m_targetHash, false);
}

// ---- UILabel

void UILabel::Init()
{
    UIWidget::Init();
    m_item.Register(11, kUIPropertyInt, &m_item.textureIndex);
    m_item.Register(15, kUIPropertyInt, &m_item.alpha);
    m_item.Register(16, kUIPropertyInt, &m_text.alignX);
    m_item.Register(17, kUIPropertyInt, &m_text.alignY);
}

void UILabel::Render(bool) const
{
    const float factor = m_item.fadeWithScreenFade ? m_item.screen->owner->ShownFade() : 1.0f;
    const ScreenElementRect rect = m_item.Rect(m_item.elementHash, m_item.textureIndex);
    DrawQuad(rect, float(m_item.alpha) * factor);
    rgba8888 colour = WithAlpha(kWhite, 255.0f * factor);
    const UIFontInfo& info = m_item.FontInForce();
    if (info.hasColour)
        colour = Modulate(colour, info.colour);
    DrawText(m_item, m_text.text, rect, colour, m_text.alignX, m_text.alignY);
}

// ---- UIMaster

void UIMaster::Reset()
{
    leftHash = rightHash = textElementHash = 0xFFFFFFFFu;
}

bool UIMaster::ReadItemData(UIScreenReader& reader)
{
    if (!reader.TextBlock(m_item, m_text) || !reader.NameHash(leftHash) || !reader.NameHash(rightHash))
        return false;
    if (!reader.Tokens().LabelledValue())
        return reader.Cut("a text element");
    textElementHash = HashString(reader.Tokens().Hand());
    return true;
}

void UIMaster::Render(bool selected) const
{
    const int state = StateOf(m_item, selected);
    const UIFontInfo& info = m_item.FontInForce();
    rgba8888 colour = kMasterColours[state];
    if (info.hasColour)
        colour = Modulate(colour, info.colour);
    const float fade = m_item.screen->owner->ShownFade();
    DrawQuad(m_item.Rect(m_item.elementHash, state), fade * 255.0f);
    DrawText(m_item, m_text.text, m_item.Rect(textElementHash, 0), WithAlpha(colour, float(colour.a) * fade),
             m_text.alignX, m_text.alignY);
}

void UIMaster::InputLeft()
{
    if (leftIndex >= 0)
        m_item.screen->owner->Activate(*m_item.screen->items[size_t(leftIndex)], false, nullptr);
}

void UIMaster::InputRight()
{
    if (rightIndex >= 0)
        m_item.screen->owner->Activate(*m_item.screen->items[size_t(rightIndex)], false, nullptr);
}

// ---- UIList

void UIList::Init()
{
    UIWidget::Init();
    m_item.Register(12, kUIPropertyInt, &rowCount);
    m_item.Register(13, kUIPropertyInt, &selectedRow);
    m_item.Register(14, kUIPropertyInt, &firstRow);
}

void UIList::Reset()
{
    m_rows.clear();
    rowCount = selectedRow = firstRow = 0;
}

bool UIList::ReadItemData(UIScreenReader& reader)
{
    if (!reader.TextBlock(m_item, m_text))
        return false;
    if (!reader.Tokens().LabelledValue())
        return reader.Cut("a list header");
    m_headerElementHash = HashString(reader.Tokens().Hand());
    if (!reader.Tokens().LabelledValue())
        return reader.Cut("a list row");
    m_rowElementHash = HashString(reader.Tokens().Hand());
    return true;
}

void UIList::AddRow(const char* text)
{
    m_rows.emplace_back(text);
    rowCount = int32_t(m_rows.size());
}

int UIList::RowsPerPage() const
{
    const ScreenElementRect item = m_item.Rect(m_item.elementHash, 0);
    const ScreenElementRect header = m_item.Rect(m_headerElementHash, 0);
    const ScreenElementRect row = m_item.Rect(m_rowElementHash, 0);
    const int pitch = row.y + row.height;
    if (pitch <= 0)
        return 0;
    const int start = header.y + header.height;
    return (item.y + item.height - start) / pitch;
}

ScreenElementRect UIList::RowRect(int row) const
{
    const ScreenElementRect header = m_item.Rect(m_headerElementHash, 0);
    ScreenElementRect rect = m_item.Rect(m_rowElementHash, 0);
    const int pitch = rect.y + rect.height;
    rect.x = header.x + rect.x;
    rect.y = header.y + header.height + rect.y + row * pitch;
    return rect;
}

void UIList::Render(bool) const
{
    const float fade = m_item.screen->owner->ShownFade();
    DrawQuad(m_item.Rect(m_item.elementHash, 0), fade * 255.0f);
    const ScreenElementRect header = m_item.Rect(m_headerElementHash, 0);
    DrawQuad(header, fade * 255.0f);
    const rgba8888 colour = WithAlpha(kWhite, 255.0f * fade);
    DrawText(m_item, m_text.text, header, colour, kAlignLeftTop, kAlignCentre);
    // Rows the script set beyond those held are not drawn.
    const int held = int(m_rows.size());
    const int count = std::min(RowsPerPage(), std::min(rowCount, held) - firstRow);
    for (int i = 0; i < count; ++i)
    {
        if (firstRow + i < 0)
            continue;
        const ScreenElementRect rect = RowRect(i);
        DrawQuad(rect, fade * 255.0f);
        DrawText(m_item, m_rows[size_t(firstRow + i)], rect, colour, kAlignLeftTop, kAlignCentre);
    }
}

void UIList::Activate(bool, const float* cursor)
{
    if (!cursor)
        return;
    const int perPage = RowsPerPage();
    for (int i = 0; i < perPage; ++i)
    {
        const ScreenElementRect rect = RowRect(i);
        if (float(rect.x) < cursor[0] && cursor[0] < float(rect.x + rect.width) && float(rect.y) < cursor[1] &&
            cursor[1] < float(rect.y + rect.height))
        {
            if (firstRow + i != selectedRow)
                selectedRow = firstRow + i;
            return;
        }
    }
}

std::unique_ptr<UIWidget> UIWidgetCreate(int type, UIItem& item)
{
    switch (type)
    {
    case kUIButton:
        return std::make_unique<UIButton>(item);
    case kUILabel:
        return std::make_unique<UILabel>(item);
    case kUIMaster:
        return std::make_unique<UIMaster>(item);
    case kUIList:
        return std::make_unique<UIList>(item);
    default:
        return nullptr;
    }
}
