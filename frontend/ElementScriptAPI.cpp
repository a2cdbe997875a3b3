#include "frontend/ElementScriptAPI.h"

#include "core/Vec3.h"
#include "frontend/ButtonManager.h"
#include "frontend/CurveBar.h"
#include "frontend/DropdownMenu.h"
#include "frontend/LoadingScreen.h"
#include "frontend/ScrollableMenu.h"
#include "frontend/Slider.h"
#include "script/ScriptArguments.h"

#include <SDL.h>

#include <cstddef>
#include <vector>

// The elements are not plain records, but the members bound here lie at
// fixed places all the same (no virtual bases).
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace
{

constexpr char kSpriteClass[] = "Sprite";
constexpr char kAnimSpriteClass[] = "AnimSprite";
constexpr char kButtonClass[] = "Button";
constexpr char kMenuClass[] = "Menu";
constexpr char kScrollableMenuClass[] = "ScrollableMenu";
constexpr char kSliderClass[] = "Slider";
constexpr char kDropdownMenuClass[] = "DropdownMenu";
constexpr char kCurveBarClass[] = "CurveBar";

// ---- instances kept alive by the elements that point at them

struct Hold
{
    const void* holder;
    HSQUIRRELVM vm;
    HSQOBJECT object;
};

std::vector<Hold>& Holds()
{
    static std::vector<Hold> holds;
    return holds;
}

void HoldArgument(HSQUIRRELVM vm, SQInteger index, const void* holder)
{
    Hold hold{holder, vm, {}};
    sq_resetobject(&hold.object);
    sq_getstackobj(vm, index, &hold.object);
    sq_addref(vm, &hold.object);
    Holds().push_back(hold);
}

// Releasing may end other elements whose own holds go then: take the
// matching ones out first.
template <class Match> void DropHolds(Match match)
{
    std::vector<Hold> dropped;
    std::vector<Hold>& holds = Holds();
    for (size_t i = 0; i < holds.size();)
    {
        if (match(holds[i]))
        {
            dropped.push_back(holds[i]);
            holds.erase(holds.begin() + std::ptrdiff_t(i));
        }
        else
            ++i;
    }
    for (Hold& hold : dropped)
        sq_release(hold.vm, &hold.object);
}

void DropHoldsWithin(const void* begin, size_t size)
{
    const char* first = static_cast<const char*>(begin);
    DropHolds(
        [first, size](const Hold& hold)
        {
            const char* at = static_cast<const char*>(hold.holder);
            return at >= first && at < first + size;
        });
}

// Textures and fonts are made in GL: without a context the elements keep none.
bool CanLoadTextures()
{
    return SDL_GL_GetCurrentContext() != nullptr;
}

template <class T> T* Arg(HSQUIRRELVM vm, SQInteger index, const char* className)
{
    return ScriptCheckInstance<T>(vm, index, className);
}

// A sprite, an animated sprite or a button; the error names the sprite class.
FrontendElement* ArgElement(HSQUIRRELVM vm, SQInteger index)
{
    if (ScriptIsInstanceOf(vm, index, kAnimSpriteClass))
        return Arg<AnimSprite>(vm, index, kAnimSpriteClass);
    if (ScriptIsInstanceOf(vm, index, kButtonClass))
        return Arg<Button>(vm, index, kButtonClass);
    return Arg<Sprite>(vm, index, kSpriteClass);
}

Sprite* ArgSprite(HSQUIRRELVM vm, SQInteger index)
{
    if (ScriptIsInstanceOf(vm, index, kAnimSpriteClass))
        return Arg<AnimSprite>(vm, index, kAnimSpriteClass);
    return Arg<Sprite>(vm, index, kSpriteClass);
}

bool ArgColour(HSQUIRRELVM vm, SQInteger index, rgba8888& colour)
{
    const rgba8888* given = Arg<rgba8888>(vm, index, "rgba8888");
    if (given)
        colour = *given;
    return given != nullptr;
}

// A Vec2 or a Vec3 instance; a Vec2 lies at z 0.
bool ArgPoint(HSQUIRRELVM vm, SQInteger index, Vec3& point)
{
    if (ScriptIsInstanceOf(vm, index, "Vec3"))
    {
        const Vec3* given = Arg<Vec3>(vm, index, "Vec3");
        if (given)
            point = *given;
        return given != nullptr;
    }
    const Vec2* flat = Arg<Vec2>(vm, index, "Vec2");
    if (!flat)
        return false;
    point = Vec3(flat->x, flat->y, 0.0f);
    return true;
}

template <class T> SQInteger Construct(HSQUIRRELVM vm)
{
    return ElementScriptConstruct<T>(vm);
}

#define THIS_OR_FAIL(Type, name, className)                                                                  \
    Type* name = ScriptCheckThis<Type>(vm, className);                                                     \
    if (!name)                                                                                               \
        return SQ_ERROR;

// ---- shared by the element classes

template <class T, const char* Name> SQInteger Element_SetVisible(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(T, element, Name);
    bool on = false;
    if (!ScriptArgBool(vm, 2, on))
        return ScriptBadArgument(vm);
    element->visible = on ? 1 : 0;
    return 0;
}

template <class T, const char* Name> SQInteger Element_SetPosition(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(T, element, Name);
    const Vec2* point = Arg<Vec2>(vm, 2, "Vec2");
    if (!point)
        return SQ_ERROR;
    element->SetPosition(point->x, point->y);
    return 0;
}

template <class T, const char* Name> SQInteger Element_GetPosition(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(T, element, Name);
    return ScriptPushNewValue(vm, "Vec2", element->GetPosition());
}

template <class T, const char* Name> SQInteger Element_GetDimensions(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(T, element, Name);
    return ScriptPushNewValue(vm, "Vec2", element->GetDimensions());
}

// Through the element's own slots, so that an override is reached.
template <class T, const char* Name> void AddElementMethods(ScriptClassHandle& handle)
{
    handle.AddMethod("SetVisible", Element_SetVisible<T, Name>, "xb")
        .AddMethod("SetPosition", Element_SetPosition<T, Name>, "xx")
        .AddMethod("GetPosition", Element_GetPosition<T, Name>, "x")
        .AddMethod("GetDimensions", Element_GetDimensions<T, Name>, "x")
        .AddMethod("Update", ScriptCommand<&FrontendElement::Update, T>, "xn")
        .AddMethod("Play", ScriptCommand<&FrontendElement::Play, T>, "x")
        .AddMethod("Render", ScriptCommand<&FrontendElement::Render, T>, "x")
        .AddMethod("Init", ScriptCommand<&FrontendElement::Init, T>, "x");
}

// ---- Sprite and AnimSprite
#define SPRITE_MEMBERS(Type)                                                                                 \
    ScriptVarMember("x", kScriptVarInt, offsetof(Type, x)),                                                  \
        ScriptVarMember("y", kScriptVarInt, offsetof(Type, y)),                                              \
        ScriptVarMember("PanDirection", kScriptVarInt, offsetof(Type, PanDirection)),                        \
        ScriptVarMember("width", kScriptVarInt, offsetof(Type, width)),                                      \
        ScriptVarMember("height", kScriptVarInt, offsetof(Type, height)),                                    \
        ScriptVarMember("Rotation", kScriptVarFloat, offsetof(Type, Rotation)),                              \
        ScriptVarMember("Scale", kScriptVarFloat, offsetof(Type, Scale))

const ScriptVarDesc kSpriteMembers[] = {
    SPRITE_MEMBERS(Sprite),
    ScriptVarNested("Color", kScriptVarEmbedded, "rgba8888", offsetof(Sprite, Color)),
    ScriptVarMember("StartAlpha", kScriptVarInt, offsetof(Sprite, StartAlpha)),
    ScriptVarMember("EndAlpha", kScriptVarInt, offsetof(Sprite, EndAlpha)),
    ScriptVarMember("ShouldRender", kScriptVarInt, offsetof(Sprite, ShouldRender)),
    ScriptVarMember("ExternalAlpha", kScriptVarFloat, offsetof(Sprite, ExternalAlpha)),
    ScriptVarEnd(),
};

const ScriptVarDesc kAnimSpriteMembers[] = {
    SPRITE_MEMBERS(AnimSprite),
    ScriptVarMember("AnimationSpeed", kScriptVarFloat, offsetof(AnimSprite, AnimationSpeed)),
    ScriptVarMember("CurrentFrame", kScriptVarInt, offsetof(AnimSprite, CurrentFrame)),
    // No script class views a texture: the member reads as null.
    ScriptVarNested("Texture", kScriptVarPointer, nullptr, offsetof(AnimSprite, texture)),
    ScriptVarNested("Color", kScriptVarEmbedded, "rgba8888", offsetof(AnimSprite, Color)),
    ScriptVarMember("StartAlpha", kScriptVarInt, offsetof(AnimSprite, StartAlpha)),
    ScriptVarMember("EndAlpha", kScriptVarInt, offsetof(AnimSprite, EndAlpha)),
    ScriptVarMember("ActAsSprite", kScriptVarInt, offsetof(AnimSprite, ActAsSprite)),
    ScriptVarMember("ShouldRender", kScriptVarInt, offsetof(AnimSprite, ShouldRender)),
    ScriptVarMember("ExternalAlpha", kScriptVarFloat, offsetof(AnimSprite, ExternalAlpha)),
    ScriptVarEnd(),
};

// ---- Button

SQInteger Button_SetConnectedButton(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(Button, button, kButtonClass);
    Button* connected = Arg<Button>(vm, 2, kButtonClass);
    if (!connected)
        return SQ_ERROR;
    // One connected button at a time, held while linked.
    DropHolds([button](const Hold& hold) { return hold.holder == button; });
    button->SetConnectedButton(connected);
    HoldArgument(vm, 2, button);
    return 0;
}

SQInteger Button_SetGoal(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(Button, button, kButtonClass);
    float values[5] = {};
    for (int i = 0; i < 5; ++i)
        if (!ScriptArgFloat(vm, 2 + i, values[i]))
            return ScriptBadArgument(vm);
    button->SetGoal(values[0], values[1], values[2], values[3], values[4]);
    return 0;
}

SQInteger Button_SetButtonDisabled(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(Button, button, kButtonClass);
    bool flag = true;
    if (sq_gettop(vm) >= 2 && !ScriptArgBool(vm, 2, flag))
        return ScriptBadArgument(vm);
    button->SetButtonDisabled(flag);
    return 0;
}

const ScriptVarDesc* ButtonMembers()
{
    static const ScriptVarDesc rows[] = {
        ScriptVarMember("x", kScriptVarInt, offsetof(Button, x)),
        ScriptVarMember("y", kScriptVarInt, offsetof(Button, y)),
        ScriptVarMember("PanDirection", kScriptVarInt, offsetof(Button, PanDirection)),
        ScriptVarMember("width", kScriptVarInt, offsetof(Button, width)),
        ScriptVarMember("height", kScriptVarInt, offsetof(Button, height)),
        ScriptVarMember("State", kScriptVarInt, offsetof(Button, State)),
        ScriptVarMember("Rotation", kScriptVarFloat, offsetof(Button, Rotation)),
        ScriptVarMember("Scale", kScriptVarFloat, offsetof(Button, Scale)),
        ScriptVarNested("Color", kScriptVarEmbedded, "rgba8888", offsetof(Button, Color)),
        ScriptVarNested("SelectedColor", kScriptVarEmbedded, "rgba8888", offsetof(Button, SelectedColor)),
        ScriptVarNested("UpImage", kScriptVarEmbedded, kAnimSpriteClass, offsetof(Button, UpImage)),
        ScriptVarNested("OverImage", kScriptVarEmbedded, kAnimSpriteClass, offsetof(Button, OverImage)),
        ScriptVarNested("LockedImage", kScriptVarEmbedded, kAnimSpriteClass, offsetof(Button, LockedImage)),
        ScriptVarNested("OverlayImage", kScriptVarEmbedded, kAnimSpriteClass, offsetof(Button, OverlayImage)),
        ScriptVarNested("SelectedImage", kScriptVarEmbedded, kAnimSpriteClass,
                        offsetof(Button, SelectedImage)),
        ScriptVarNested("DisabledImage", kScriptVarEmbedded, kAnimSpriteClass,
                        offsetof(Button, DisabledImage)),
        ScriptVarNested("LeftArrow", kScriptVarEmbedded, kAnimSpriteClass, offsetof(Button, LeftArrow)),
        ScriptVarNested("RightArrow", kScriptVarEmbedded, kAnimSpriteClass, offsetof(Button, RightArrow)),
        ScriptVarNested("LeftButton", kScriptVarPointer, kButtonClass, offsetof(Button, LeftButton)),
        ScriptVarNested("RightButton", kScriptVarPointer, kButtonClass, offsetof(Button, RightButton)),
        ScriptVarNested("UpButton", kScriptVarPointer, kButtonClass, offsetof(Button, UpButton)),
        ScriptVarNested("DownButton", kScriptVarPointer, kButtonClass, offsetof(Button, DownButton)),
        ScriptVarNested("ConnectedButton", kScriptVarPointer, kButtonClass,
                        offsetof(Button, ConnectedButton)),
        ScriptVarMember("ID", kScriptVarInt, offsetof(Button, ID)),
        ScriptVarMember("HasOverLay", kScriptVarInt, offsetof(Button, HasOverLay)),
        ScriptVarMember("IsLocked", kScriptVarInt, offsetof(Button, IsLocked)),
        ScriptVarMember("OverlayOffsetX", kScriptVarInt, offsetof(Button, OverlayOffsetX)),
        ScriptVarMember("OverlayOffsetY", kScriptVarInt, offsetof(Button, OverlayOffsetY)),
        ScriptVarMember("StartAlpha", kScriptVarInt, offsetof(Button, StartAlpha)),
        ScriptVarMember("EndAlpha", kScriptVarInt, offsetof(Button, EndAlpha)),
        ScriptVarMember("IsPlaying", kScriptVarInt, offsetof(Button, IsPlaying)),
        ScriptVarNested("AnimTransition", kScriptVarEmbedded, kAnimSpriteClass,
                        offsetof(Button, AnimTransition)),
        ScriptVarNested("ExtraTextOffset", kScriptVarEmbedded, "Vec2", offsetof(Button, ExtraTextOffset)),
        ScriptVarNested("TextOffset", kScriptVarEmbedded, "Vec2", offsetof(Button, TextOffset)),
        ScriptVarNested("OverlayTextOffset", kScriptVarEmbedded, "Vec2", offsetof(Button, OverlayTextOffset)),
        ScriptVarMember("AlignType", kScriptVarInt, offsetof(Button, AlignType)),
        ScriptVarNested("Text", kScriptVarEmbedded, "BasicText", offsetof(Button, Text)),
        ScriptVarMember("SelectedButtonOffsetX", kScriptVarInt, offsetof(Button, SelectedButtonOffsetX)),
        ScriptVarMember("m_GoalX", kScriptVarInt, offsetof(Button, m_GoalX)),
        ScriptVarMember("TimePassed", kScriptVarFloat, offsetof(Button, TimePassed)),
        ScriptVarMember("TimeTrigger", kScriptVarFloat, offsetof(Button, TimeTrigger)),
        ScriptVarMember("ShowLeftArrow", kScriptVarInt, offsetof(Button, ShowLeftArrow)),
        ScriptVarMember("ShowRightArrow", kScriptVarInt, offsetof(Button, ShowRightArrow)),
        ScriptVarNested("LeftArrowOffset", kScriptVarEmbedded, "Vec2", offsetof(Button, LeftArrowOffset)),
        ScriptVarNested("RightArrowOffset", kScriptVarEmbedded, "Vec2", offsetof(Button, RightArrowOffset)),
        ScriptVarMember("ShouldRender", kScriptVarInt, offsetof(Button, ShouldRender)),
        ScriptVarMember("BaseAlpha", kScriptVarFloat, offsetof(Button, BaseAlpha)),
        ScriptVarMember("ExternalAlpha", kScriptVarFloat, offsetof(Button, ExternalAlpha)),
        ScriptVarMember("HasGoal", kScriptVarInt, offsetof(Button, HasGoal)),
        ScriptVarMember("PulseAlpha", kScriptVarFloat, offsetof(Button, pulse)),
        ScriptVarMember("AlwaysPulse", kScriptVarInt, offsetof(Button, pulseOnUp)),
        ScriptVarMember("IsClickableWithMouse", kScriptVarInt, offsetof(Button, enabled)),
        ScriptVarEnd(),
    };
    return rows;
}

// ---- Menu and ScrollableMenu

template <class T, const char* Name> SQInteger Menu_AddButton(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(T, menu, Name);
    Button* button = Arg<Button>(vm, 2, kButtonClass);
    if (!button)
        return SQ_ERROR;
    menu->AddButton(button);
    HoldArgument(vm, 2, static_cast<Menu*>(menu));
    return 0;
}

template <class T, const char* Name> SQInteger Menu_Input(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(T, menu, Name);
    int code = 0;
    if (!ScriptArgInt(vm, 2, code))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, menu->Input(code));
}

template <class T, const char* Name> SQInteger Menu_ClearButtons(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(T, menu, Name);
    menu->ClearButtons();
    Menu* base = menu;
    DropHolds([base](const Hold& hold) { return hold.holder == base; });
    return 0;
}

template <class T, const char* Name> void AddMenuMethods(ScriptClassHandle& handle)
{
    handle.AddMethod("AddButton", Menu_AddButton<T, Name>, "xx")
        .AddMethod("Input", Menu_Input<T, Name>, "xi")
        .AddMethod("Update", ScriptCommand<&Menu::Update, T>, "xn")
        .AddMethod("AutoAlignButtons", ScriptCommand<&Menu::AutoAlignButtons, T>, "xi")
        .AddMethod("AutoAlignButtonsInGrid", ScriptCommand<&Menu::AutoAlignButtonsInGrid, T>, "xi")
        .AddMethod("SetAlpha", ScriptCommand<&Menu::SetAlpha, T>, "xn")
        .AddMethod("SetSelectedAlpha", ScriptCommand<&Menu::SetSelectedAlpha, T>, "xn")
        .AddMethod("SetSelectedLArrowsAlpha", ScriptCommand<&Menu::SetSelectedLArrowsAlpha, T>, "xn")
        .AddMethod("SetSelectedRArrowsAlpha", ScriptCommand<&Menu::SetSelectedRArrowsAlpha, T>, "xn")
        .AddMethod("Render", ScriptCommand<&T::Render, T>, "x");
}

const ScriptVarDesc kMenuMembers[] = {
    ScriptVarMember("x", kScriptVarInt, offsetof(Menu, x)),
    ScriptVarMember("y", kScriptVarInt, offsetof(Menu, y)),
    ScriptVarMember("ButtonOffsetX", kScriptVarInt, offsetof(Menu, ButtonOffsetX)),
    ScriptVarMember("ButtonOffsetY", kScriptVarInt, offsetof(Menu, ButtonOffsetY)),
    ScriptVarMember("SelectedButtonOffsetX", kScriptVarInt, offsetof(Menu, SelectedButtonOffsetX)),
    ScriptVarMember("State", kScriptVarInt, offsetof(Menu, State)),
    ScriptVarMember("ID", kScriptVarInt, offsetof(Menu, ID)),
    ScriptVarNested("CurrentButton", kScriptVarPointer, kButtonClass, offsetof(Menu, CurrentButton)),
    ScriptVarNested("StartPosition", kScriptVarEmbedded, "Vec2", offsetof(Menu, StartPosition)),
    ScriptVarNested("EndPosition", kScriptVarEmbedded, "Vec2", offsetof(Menu, EndPosition)),
    ScriptVarEnd(),
};

const ScriptVarDesc kScrollableMenuMembers[] = {
    ScriptVarMember("x", kScriptVarInt, offsetof(ScrollableMenu, x)),
    ScriptVarMember("y", kScriptVarInt, offsetof(ScrollableMenu, y)),
    ScriptVarMember("ButtonOffsetX", kScriptVarInt, offsetof(ScrollableMenu, ButtonOffsetX)),
    ScriptVarMember("ButtonOffsetY", kScriptVarInt, offsetof(ScrollableMenu, ButtonOffsetY)),
    ScriptVarMember("ScaleOffset", kScriptVarFloat, offsetof(ScrollableMenu, ScaleOffset)),
    ScriptVarMember("State", kScriptVarInt, offsetof(ScrollableMenu, State)),
    ScriptVarMember("ScrollingState", kScriptVarInt, offsetof(ScrollableMenu, ScrollingState)),
    ScriptVarMember("MoveDistance", kScriptVarInt, offsetof(ScrollableMenu, MoveDistance)),
    ScriptVarMember("NumberTillScrollingDown", kScriptVarInt,
                    offsetof(ScrollableMenu, NumberTillScrollingDown)),
    ScriptVarMember("NumberTillScrollingRight", kScriptVarInt,
                    offsetof(ScrollableMenu, NumberTillScrollingRight)),
    ScriptVarMember("ID", kScriptVarInt, offsetof(ScrollableMenu, ID)),
    ScriptVarNested("CurrentButton", kScriptVarPointer, kButtonClass,
                    offsetof(ScrollableMenu, CurrentButton)),
    ScriptVarMember("Fade", kScriptVarInt, offsetof(ScrollableMenu, Fade)),
    ScriptVarMember("FadeOffset", kScriptVarInt, offsetof(ScrollableMenu, FadeOffset)),
    ScriptVarEnd(),
};

// ---- Slider, DropdownMenu, CurveBar

const ScriptVarDesc kSliderMembers[] = {
    ScriptVarMember("x", kScriptVarInt, offsetof(Slider, x)),
    ScriptVarMember("y", kScriptVarInt, offsetof(Slider, y)),
    ScriptVarMember("ButtonOffsetX", kScriptVarInt, offsetof(Slider, ButtonOffsetX)),
    ScriptVarMember("ButtonOffsetY", kScriptVarInt, offsetof(Slider, ButtonOffsetY)),
    ScriptVarNested("Button", kScriptVarEmbedded, kButtonClass, offsetof(Slider, knob)),
    ScriptVarNested("Background", kScriptVarEmbedded, kSpriteClass, offsetof(Slider, Background)),
    ScriptVarMember("PercentbetweenTwoPoints", kScriptVarFloat, offsetof(Slider, PercentbetweenTwoPoints)),
    ScriptVarEnd(),
};

const ScriptVarDesc kDropdownMenuMembers[] = {
    ScriptVarMember("x", kScriptVarInt, offsetof(DropdownMenu, x)),
    ScriptVarMember("y", kScriptVarInt, offsetof(DropdownMenu, y)),
    ScriptVarMember("ButtonOffsetX", kScriptVarInt, offsetof(DropdownMenu, ButtonOffsetX)),
    ScriptVarMember("ButtonOffsetY", kScriptVarInt, offsetof(DropdownMenu, ButtonOffsetY)),
    ScriptVarNested("DisplayButton", kScriptVarEmbedded, kButtonClass, offsetof(DropdownMenu, DisplayButton)),
    ScriptVarNested("Background", kScriptVarEmbedded, kSpriteClass, offsetof(DropdownMenu, Background)),
    ScriptVarNested("DropDownMenu", kScriptVarEmbedded, kMenuClass, offsetof(DropdownMenu, DropDownMenu)),
    ScriptVarMember("CurrentState", kScriptVarInt, offsetof(DropdownMenu, CurrentState)),
    ScriptVarEnd(),
};

SQInteger CurveBar_AddPointPair(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(CurveBar, bar, kCurveBarClass);
    Vec3 first, second;
    if (!ArgPoint(vm, 2, first) || !ArgPoint(vm, 3, second))
        return SQ_ERROR;
    bar->AddPointPair(first, second);
    return 0;
}

SQInteger CurveBar_Render(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(CurveBar, bar, kCurveBarClass);
    float fill = 0.0f, step = 0.0f;
    rgba8888 full, start;
    bool spline = false;
    if (!ScriptArgFloat(vm, 2, fill) || !ScriptArgFloat(vm, 3, step))
        return ScriptBadArgument(vm);
    if (!ArgColour(vm, 4, full) || !ArgColour(vm, 5, start))
        return SQ_ERROR;
    if (!ScriptArgBool(vm, 6, spline))
        return ScriptBadArgument(vm);
    bar->Render(fill, step, full, start, spline);
    return 0;
}

// ---- globals

LoadingScreenRect RectOf(const FrontendElement& element)
{
    return {element.x, element.y, element.width, element.height};
}

SQInteger StartLoadingScreen(HSQUIRRELVM vm)
{
    LoadingScreenSetup setup;
    const FrontendElement* first = ArgElement(vm, 2);
    const FrontendElement* second = ArgElement(vm, 6);
    if (!first || !second)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 3, setup.loadingText) || !ScriptArgString(vm, 4, setup.firstFont) ||
        !ScriptArgString(vm, 7, setup.secondText) || !ScriptArgString(vm, 8, setup.secondFont))
        return ScriptBadArgument(vm);
    if (!ArgColour(vm, 5, setup.firstColour) || !ArgColour(vm, 9, setup.secondColour))
        return SQ_ERROR;
    setup.background = ArgSprite(vm, 10);
    setup.picture = setup.background ? ArgSprite(vm, 11) : nullptr;
    setup.spinner = setup.picture ? ArgSprite(vm, 12) : nullptr;
    if (!setup.spinner)
        return SQ_ERROR;
    if (!CanLoadTextures())
        setup.firstFont = setup.secondFont = "";
    setup.firstRect = RectOf(*first);
    setup.secondRect = RectOf(*second);
    LoadingScreen& screen = GetLoadingScreen();
    screen.Init(setup);
    screen.Start();
    screen.DrawFrame(0.0f);
    return 0;
}

SQInteger IsLoadingScreenAcitve(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, GetLoadingScreen().IsActive());
}

SQInteger SetLoadingScreenText(HSQUIRRELVM vm)
{
    const char* text = nullptr;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    GetLoadingScreen().SetText(text);
    return 0;
}

SQInteger FinishLoadingScreen(HSQUIRRELVM)
{
    GetLoadingScreen().Finish();
    GetLoadingScreen().Clear();
    return 0;
}

SQInteger SetMinLoadingScreenTime(HSQUIRRELVM vm)
{
    float seconds = 0.0f;
    if (!ScriptArgFloat(vm, 2, seconds))
        return ScriptBadArgument(vm);
    GetLoadingScreen().SetMinimumTime(seconds);
    return 0;
}

SQInteger UpdateButtonManager(HSQUIRRELVM)
{
    GetButtonManager().Update();
    return 0;
}

SQInteger UpdateButtonManagerLastOver(HSQUIRRELVM)
{
    GetButtonManager().UpdateLastOver();
    return 0;
}

SQInteger GetButtonClicked(HSQUIRRELVM vm)
{
    FixedString128 name;
    if (!GetButtonManager().TakeClicked(name))
        return 0;
    return ScriptReturnString(vm, name.c_str());
}

void RegisterSprites(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kSpriteClass, sizeof(Sprite), kSpriteMembers, Construct<Sprite>)
        .AddMethod("SetTexture", ScriptCommandMakingTextures<&Sprite::SetTexture, Sprite>, "xs");
    AddElementMethods<Sprite, kSpriteClass>(handle);
    ScriptBindClass(handle, vm, kAnimSpriteClass, sizeof(AnimSprite), kAnimSpriteMembers,
                    Construct<AnimSprite>)
        .AddMethod("AddTexture", ScriptCommandMakingTextures<&AnimSprite::AddTexture, AnimSprite>, "xs")
        .AddMethod("SetTexture", ScriptCommandMakingTextures<&Sprite::SetTexture, AnimSprite>, "xs")
        .AddMethod("Stop", ScriptCommand<&AnimSprite::Stop, AnimSprite>, "x")
        .AddMethod("Step", ScriptCommand<&AnimSprite::Step, AnimSprite>, "x")
        .AddMethod("Reset", ScriptCommand<&AnimSprite::Reset, AnimSprite>, "x");
    AddElementMethods<AnimSprite, kAnimSpriteClass>(handle);
    ScriptBindClass(handle, vm, kCurveBarClass, sizeof(CurveBar), nullptr, Construct<CurveBar>)
        .AddMethod("AddPointPair", CurveBar_AddPointPair, "xxx")
        .AddMethod("Render", CurveBar_Render, "xnnxxb");
}

void RegisterButton(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kButtonClass, sizeof(Button), ButtonMembers(), Construct<Button>)
        .AddMethod("SetState", ScriptCommand<&Button::SetState, Button>, "xi")
        .AddMethod("SetName", ScriptCommand<&Button::SetName, Button>, "xs")
        .AddMethod("SetOverlayText", ScriptCommand<&Button::SetOverlayText, Button>, "xs")
        .AddMethod("SetFontName", ScriptCommandMakingTextures<&Button::SetFontName, Button>, "xs")
        .AddMethod("SetConnectedButton", Button_SetConnectedButton, "xx")
        .AddMethod("SetGoal", Button_SetGoal, "xnnnnn")
        .AddMethod("SetButtonDisabled", Button_SetButtonDisabled, "xb", -1)
        .AddMethod("SetAllSpriteVariables", ScriptCommand<&Button::SetAllSpriteVariables, Button>, "x")
        .AddMethod("SetPositionToSprites", ScriptCommand<&Button::SetPositionToSprites, Button>, "x");
    AddElementMethods<Button, kButtonClass>(handle);
}

void RegisterMenus(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kMenuClass, sizeof(Menu), kMenuMembers, Construct<Menu>)
        .AddMethod("ResetCurrentButton", ScriptCommand<&Menu::ResetCurrentButton, Menu>, "xi")
        .AddMethod("SetButtonToUp", ScriptCommand<&Menu::SetButtonToUp, Menu>, "xi")
        .AddMethod("ClearButtons", Menu_ClearButtons<Menu, kMenuClass>, "x")
        .AddMethod("SetCurrentButtonToLast", ScriptCommand<&Menu::SetCurrentButtonToLast, Menu>, "x");
    AddMenuMethods<Menu, kMenuClass>(handle);
    ScriptBindClass(handle, vm, kScrollableMenuClass, sizeof(ScrollableMenu), kScrollableMenuMembers,
                    Construct<ScrollableMenu>)
        .AddMethod("ResetCurrentButton",
                   ScriptCommand<&ScrollableMenu::ResetCurrentButton, ScrollableMenu>, "x");
    AddMenuMethods<ScrollableMenu, kScrollableMenuClass>(handle);
    ScriptBindClass(handle, vm, kSliderClass, sizeof(Slider), kSliderMembers, Construct<Slider>)
        .AddMethod("Input", ScriptCommand<&Slider::Input, Slider>, "xi")
        .AddMethod("Update", ScriptCommand<&Slider::Update, Slider>, "xn")
        .AddMethod("AlignButtonToBar", ScriptCommand<&Slider::AlignButtonToBar, Slider>, "xi")
        .AddMethod("Render", ScriptCommand<&Slider::Render, Slider>, "x");
    ScriptBindClass(handle, vm, kDropdownMenuClass, sizeof(DropdownMenu), kDropdownMenuMembers,
                    Construct<DropdownMenu>)
        .AddMethod("Input", ScriptCommand<&DropdownMenu::Input, DropdownMenu>, "xi")
        .AddMethod("Update", ScriptCommand<&DropdownMenu::Update, DropdownMenu>, "xn")
        .AddMethod("Render", ScriptCommand<&DropdownMenu::Render, DropdownMenu>, "x")
        .AddMethod("AutoAlignComponents",
                   ScriptCommand<&DropdownMenu::AutoAlignComponents, DropdownMenu>, "x");
}
} // namespace

void RegisterElementScriptAPI(HSQUIRRELVM vm)
{
    RegisterSprites(vm);
    RegisterButton(vm);
    RegisterMenus(vm);
    ScriptBindGlobalFunction(vm, "StartLoadingScreen", StartLoadingScreen, ".xssxxssxxxx");
    ScriptBindGlobalFunction(vm, "IsLoadingScreenAcitve", IsLoadingScreenAcitve, ".");
    ScriptBindGlobalFunction(vm, "SetLoadingScreenText", SetLoadingScreenText, ".s");
    ScriptBindGlobalFunction(vm, "FinishLoadingScreen", FinishLoadingScreen, ".");
    ScriptBindGlobalFunction(vm, "SetMinLoadingScreenTime", SetMinLoadingScreenTime, ".n");
    ScriptBindGlobalFunction(vm, "UpdateButtonManager", UpdateButtonManager, ".");
    ScriptBindGlobalFunction(vm, "UpdateButtonManagerLastOver", UpdateButtonManagerLastOver, ".");
    ScriptBindGlobalFunction(vm, "GetButtonClicked", GetButtonClicked, ".");
}

Sprite* ElementScriptSprite(HSQUIRRELVM vm, SQInteger index)
{
    return ArgSprite(vm, index);
}

void ElementScriptReleaseHolds()
{
    DropHolds([](const Hold&) { return true; });
}

void ElementScriptHoldArgument(HSQUIRRELVM vm, SQInteger index, const void* holder)
{
    HoldArgument(vm, index, holder);
}

void ElementScriptDropHoldsWithin(const void* begin, size_t size)
{
    DropHoldsWithin(begin, size);
}

bool ElementScriptCanLoadTextures()
{
    return CanLoadTextures();
}
