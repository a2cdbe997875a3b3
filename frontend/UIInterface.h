#pragma once
// The data-driven menu system: screens of items read from one screen file,
// each item a widget (button, label, master or list) placed by the screen
// element data. The fixed step feeds the cursor, clicks and the back key and
// eases the screen fade; the overlay draws the current screen.

#include "core/FixedString.h"
#include "core/RealTimer.h"
#include "core/StreamBytes.h"
#include "core/rgba8888.h"
#include "frontend/BasicText.h"
#include "frontend/ScreenElementData.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class UIItem;
class UIScreen;
class UIInterface;

// A game's screens, a few hundred items of a few hundred characters, take a
// hundredth of this.
constexpr FileSizeBound kScreenFileBound = {"screen file", 16ull << 20};
// A menu shows tens of items and a game has tens of screens; the reader keeps
// the first ones of a file that holds more.
constexpr int kUIMaxScreens = 256;
constexpr int kUIMaxItemsPerScreen = 256;

enum UIWidgetType : int32_t
{
    kUIButton = 0,
    kUILabel = 1,
    kUIRadioButton = 2,
    kUICheckBox = 3,
    kUIMaster = 4,
    kUIList = 5,
    kUITextBox = 6,
    kUIPic = 7,
};

enum UIState : int
{
    kUIStateNormal = 0,
    kUIStateSelected = 1,
    kUIStateHovered = 2,
    kUIStateDisabled = 3,
    kUIStatePressed = 4,
};

constexpr int kUIPropertyKeys = 18;
constexpr int kUIAspectSlots = 100;
constexpr int kUISoundSlots = 3;

struct UIFontInfo
{
    // Screens that name the same font file share it.
    std::shared_ptr<BasicText> font;
    float scale = 0.0f;
    float referenceHeight = 0.0f;
    uint8_t hasAlignment = 0;
    int32_t alignX = 2;
    int32_t alignY = 2;
    uint8_t hasColour = 0;
    rgba8888 colour{255, 255, 255, 255};
};

enum UIPropertyKind : uint8_t
{
    kUIPropertyNone,
    kUIPropertyInt,
    kUIPropertyBool,
    kUIPropertyString,
};

struct UIProperty
{
    UIPropertyKind kind = kUIPropertyNone;
    void* field = nullptr;
};

// What every widget but the base shows: its text and how it sits in its box.
struct UITextBlock
{
    FixedString256 text;
    uint32_t textIdHash = 0xFFFFFFFFu;
    int32_t hasText = 0;
    int32_t alignX = 0;
    int32_t alignY = 2;
};

class UIWidget
{
public:
    explicit UIWidget(UIItem& item) : m_item(item) {}
    virtual ~UIWidget() = default;
    virtual bool IsSelectable() const { return false; }
    virtual void Init();
    virtual void Reset() {}
    // False when the file ends inside the widget's data.
    virtual bool ReadItemData(class UIScreenReader& reader);
    virtual void Render(bool selected) const = 0;
    virtual void Activate(bool /*withMouse*/, const float* /*cursor*/) {}
    virtual bool HitTest(const float* cursor) const;
    virtual void InputLeft() {}
    virtual void InputRight() {}

    UITextBlock& Text() { return m_text; }
    UIItem& Item() const { return m_item; }

protected:
    UIItem& m_item;
    UITextBlock m_text;
};

class UIItem
{
public:
    int32_t type = -1;
    FixedString256 name;
    uint32_t nameHash = 0;
    uint8_t backgroundStretch = 0;
    uint8_t fadeWithScreenFade = 1;
    uint8_t focusable = 0;
    uint8_t visible = 1;
    uint8_t enabled = 1;
    uint32_t elementHash = 0;
    int32_t textureIndex = 0;
    FixedString64 functionSelected;
    std::unique_ptr<UIWidget> widget;
    UIScreen* screen = nullptr;
    UIProperty properties[kUIPropertyKeys];
    uint8_t hasFontInfo = 0;
    UIFontInfo fontInfo;
    uint8_t hovered = 0;
    int32_t redirectIndex = -1;
    int32_t alpha = 255;

    bool Usable() const { return focusable && visible && enabled; }
    const UIFontInfo& FontInForce() const;
    ScreenElementRect Rect(uint32_t hash, int textureIndex) const;
    void Register(int key, UIPropertyKind kind, void* field);
};

class UIScreen
{
public:
    std::vector<std::unique_ptr<UIItem>> items;
    FixedString128 elementFile;
    FixedString128 name;
    uint32_t nameHash = 0;
    FixedString128 backItemName;
    int32_t selected = 0;
    UIFontInfo fontInfo;
    UIInterface* owner = nullptr;

    int FindItem(uint32_t hash) const;
    void Select(int index);
};

class UIInterface
{
public:
    using NameHandler = void (*)(const char* name);
    // Makes the fonts of font information blocks; a reader without a
    // display installs one that makes none.
    using FontMaker = BasicText* (*)(const char* path);
    static void SetFontMaker(FontMaker maker);
    static BasicText* MakeFont(const char* path);
    // The font of the file, made once for all the screens that name it.
    std::shared_ptr<BasicText> SharedFont(const char* path);

    bool LoadScreens(const char* directory, const char* file);
    // The same from a text in memory (element files are still read from the tree).
    bool ReadScreens(const char* directory, const char* text, int length);
    // Frees the screens with their fonts and the element textures; call it
    // while the display is still up.
    void Shutdown();
    void SetFontDirectory(const char* path) { m_fontDirectory = path; }
    void SetViewport(int width, int height, int x, int y);
    void AddAspectRatio(float aspect);
    void Enable(bool on) { m_enabled = on ? 1 : 0; }
    bool IsEnabled() const { return m_enabled != 0; }
    void SetHoverSelect(bool on) { m_hoverSelect = on ? 1 : 0; }
    void SetSoundName(const char* name, int index);
    void SetButtonFunctionHandler(NameHandler handler) { m_buttonHandler = handler; }
    void SetSelectFunctionHandler(NameHandler handler) { m_selectHandler = handler; }
    void SetCursorPosition(float x, float y);
    void Update(float dt);
    void RenderItems() const;
    void ClickInput(bool withMouse);
    void TabForward();
    void TabBack();
    void InputLeft();
    void InputRight();
    void InputBack();
    void ChangeScreenByName(uint32_t nameHash, bool instant);
    const char* GetCurrentScreenName() const;
    // Width, height, x and y as last set.
    const float* GetViewport() const { return m_viewport; }

    UIScreen* CurrentScreen() const;
    int ScreenCount() const { return int(m_screens.size()); }
    float ShownFade() const { return m_shownFade; }
    const float* Cursor() const { return m_cursor; }
    UIItem* FindItemByName(uint32_t nameHash) const;
    // The element set an item's rectangles come from.
    const ScreenElementData& ElementsFor(const UIItem& item) const;
    const FixedString256& FontDirectory() const { return m_fontDirectory; }
    const ScreenElementData& ScreenElements() const { return m_screenElements; }

    void PlaySound(int slot) const;
    void CallButtonFunction(const char* name) const;
    void CallSelectFunction(const char* name) const;
    void Activate(UIItem& item, bool withMouse, const float* cursor);

private:
    friend class UIScreenReader;
    bool AcceptsInput() const;
    void EnterScreenElements(const UIScreen& screen);
    void EnterScreen(UIScreen& screen);
    void FitViewport();
    void HoverTest();
    void LinkMasters();

    std::vector<std::unique_ptr<UIScreen>> m_screens;
    std::vector<std::pair<FixedString256, std::shared_ptr<BasicText>>> m_fonts;
    int m_current = 0;
    int m_next = 0;
    RealTimer m_fadeTimer;
    bool m_fadeRunning = false;
    float m_fadeDuration = 0.8f;
    float m_shownFade = 1.0f;
    float m_cursor[2] = {};
    NameHandler m_buttonHandler = nullptr;
    NameHandler m_selectHandler = nullptr;
    ScreenElementData m_screenElements;
    ScreenElementData m_sharedElements;
    FixedString128 m_dataDirectory;
    FixedString128 m_screenFile;
    FixedString128 m_loadedElementFile;
    FixedString128 m_sharedElementFile;
    uint8_t m_enabled = 1;
    uint8_t m_hoverSelect = 0;
    FixedString256 m_fontDirectory;
    FixedString256 m_soundNames[kUISoundSlots];
    int m_aspectCount = 0;
    float m_aspects[kUIAspectSlots] = {};
    float m_viewport[4] = {};
};

UIInterface& GetUIInterface();
