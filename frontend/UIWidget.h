#pragma once
// The four widget kinds an item of a screen can hold.

#include "core/RealTimer.h"
#include "frontend/UIInterface.h"

class UIButton : public UIWidget
{
public:
    explicit UIButton(UIItem& item) : UIWidget(item) { m_text.alignX = 2; }
    bool IsSelectable() const override { return true; }
    void Reset() override;
    bool ReadItemData(UIScreenReader& reader) override;
    void Render(bool selected) const override;
    void Activate(bool withMouse, const float* cursor) override;

private:
    uint8_t m_hasTarget = 0;
    uint32_t m_targetHash = 0xFFFFFFFFu;
    FixedString64 m_functionName;
    RealTimer m_pressTimer;
};

class UILabel : public UIWidget
{
public:
    explicit UILabel(UIItem& item) : UIWidget(item) {}
    void Init() override;
    void Render(bool selected) const override;
};

class UIMaster : public UIWidget
{
public:
    explicit UIMaster(UIItem& item) : UIWidget(item) {}
    void Reset() override;
    bool ReadItemData(UIScreenReader& reader) override;
    void Render(bool selected) const override;
    void InputLeft() override;
    void InputRight() override;

    uint32_t leftHash = 0xFFFFFFFFu;
    uint32_t rightHash = 0xFFFFFFFFu;
    int32_t leftIndex = -1;
    int32_t rightIndex = -1;
    uint32_t textElementHash = 0;
};

class UIList : public UIWidget
{
public:
    explicit UIList(UIItem& item) : UIWidget(item) {}
    bool IsSelectable() const override { return true; }
    void Init() override;
    void Reset() override;
    bool ReadItemData(UIScreenReader& reader) override;
    void Render(bool selected) const override;
    void Activate(bool withMouse, const float* cursor) override;

    void AddRow(const char* text);
    int RowsPerPage() const;
    const FixedString128& Row(int index) const { return m_rows[size_t(index)]; }

    int32_t rowCount = 0;
    int32_t selectedRow = 0;
    int32_t firstRow = 0;

private:
    ScreenElementRect RowRect(int row) const;

    uint32_t m_headerElementHash = 0;
    uint32_t m_rowElementHash = 0;
    std::vector<FixedString128> m_rows;
};

// The widget of a type: buttons, labels, masters and lists; null for others.
std::unique_ptr<UIWidget> UIWidgetCreate(int type, UIItem& item);
