#include "frontend/HudScriptAPI.h"

#include "frontend/ElementScriptAPI.h"
#include "frontend/LeaderBoard.h"
#include "frontend/PlayerInfo.h"
#include "frontend/PopUpWindow.h"
#include "frontend/UpgradeBar.h"
#include "frontend/UpgradeMenu.h"
#include "frontend/UpgradePoint.h"
#include "script/ScriptArguments.h"

#include <cstddef>

PENDREL_SCRIPT_CLASS(PopUpWindow, "PopUpWindow");
PENDREL_SCRIPT_CLASS(PlayerInfo, "PlayerInfo");
PENDREL_SCRIPT_CLASS(UpgradePoint, "UpgradePoint");
PENDREL_SCRIPT_CLASS(UpgradeBar, "UpgradeBar");
PENDREL_SCRIPT_CLASS(UpgradeMenu, "UpgradeMenu");
PENDREL_SCRIPT_CLASS(LeaderBoard, "LeaderBoard");

// The classes are not plain records, but the members bound here lie at fixed
// places all the same (no virtual bases).
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace
{

constexpr char kPopUpWindowClass[] = "PopUpWindow";
constexpr char kPlayerInfoClass[] = "PlayerInfo";
constexpr char kUpgradePointClass[] = "UpgradePoint";
constexpr char kUpgradeBarClass[] = "UpgradeBar";
constexpr char kUpgradeMenuClass[] = "UpgradeMenu";
constexpr char kLeaderBoardClass[] = "LeaderBoard";
constexpr char kSprite[] = "Sprite";
constexpr char kAnimSprite[] = "AnimSprite";
constexpr char kColour[] = "rgba8888";
constexpr char kVec2[] = "Vec2";
constexpr char kBasicText[] = "BasicText";

template <class T> T* Arg(HSQUIRRELVM vm, SQInteger index, const char* className)
{
    return ScriptCheckInstance<T>(vm, index, className);
}

#define THIS_OR_FAIL(Type, name, className)                                                                            \
    Type* name = Arg<Type>(vm, 1, className);                                                                          \
    if (!name)                                                                                                         \
        return SQ_ERROR;

// Adding a bar to a menu and a point to a bar: the item's class is checked,
// and its instance lives as long as the holder that points at it.
template <class Holder, const char* HolderName, class Item, const char* ItemName, void (Holder::*Add)(Item*)>
SQInteger AddHeld(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(Holder, holder, HolderName);
    Item* item = Arg<Item>(vm, 2, ItemName);
    if (!item)
        return SQ_ERROR;
    (holder->*Add)(item);
    ElementScriptHoldArgument(vm, 2, holder);
    return 0;
}

SQInteger LeaderBoard_SetElements(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(LeaderBoard, board, kLeaderBoardClass);
    const Button* button = Arg<Button>(vm, 2, "Button");
    if (!button)
        return SQ_ERROR;
    board->SetElements(*button);
    return 0;
}

SQInteger LeaderBoard_SetUpMenu(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(LeaderBoard, board, kLeaderBoardClass);
    int id = 0;
    int timeFormat = 0;
    if (!ScriptArgInt(vm, 2, id) || !ScriptArgInt(vm, 3, timeFormat))
        return ScriptBadArgument(vm);
    board->SetUpMenu(id, timeFormat);
    return 0;
}

SQInteger UpgradeMenu_CheckIfThereAreAnyPoints(HSQUIRRELVM vm)
{
    THIS_OR_FAIL(UpgradeMenu, menu, kUpgradeMenuClass);
    return ScriptReturnInt(vm, menu->CheckIfThereAreAnyPoints());
}

#define MEMBER(Type, name, kind) ScriptVarMember(#name, kind, offsetof(Type, name))
#define NESTED(Type, name, nestedClass) ScriptVarNested(#name, kScriptVarEmbedded, nestedClass, offsetof(Type, name))

const ScriptVarDesc kPopUpWindowMembers[] = {
    MEMBER(PopUpWindow, x, kScriptVarInt),
    MEMBER(PopUpWindow, y, kScriptVarInt),
    MEMBER(PopUpWindow, PanDirection, kScriptVarInt),
    MEMBER(PopUpWindow, width, kScriptVarInt),
    MEMBER(PopUpWindow, height, kScriptVarInt),
    MEMBER(PopUpWindow, Rotation, kScriptVarFloat),
    MEMBER(PopUpWindow, Scale, kScriptVarFloat),
    NESTED(PopUpWindow, Color, kColour),
    NESTED(PopUpWindow, TitleColor, kColour),
    NESTED(PopUpWindow, WorthColor, kColour),
    MEMBER(PopUpWindow, StartAlpha, kScriptVarInt),
    MEMBER(PopUpWindow, EndAlpha, kScriptVarInt),
    NESTED(PopUpWindow, TopImage, kAnimSprite),
    NESTED(PopUpWindow, MiddleImage, kAnimSprite),
    NESTED(PopUpWindow, BottomImage, kAnimSprite),
    NESTED(PopUpWindow, ButtonToPress, kAnimSprite),
    NESTED(PopUpWindow, DisplayImage, kSprite),
    NESTED(PopUpWindow, BackgroundDisplayImage, kSprite),
    NESTED(PopUpWindow, TextBoxParams, kSprite),
    MEMBER(PopUpWindow, State, kScriptVarInt),
    MEMBER(PopUpWindow, TriggerForBackgroundExpanding, kScriptVarFloat),
    MEMBER(PopUpWindow, TriggerForIconFadein, kScriptVarFloat),
    MEMBER(PopUpWindow, TriggerForText, kScriptVarFloat),
    MEMBER(PopUpWindow, TriggerForDisappear, kScriptVarFloat),
    MEMBER(PopUpWindow, Cancel, kScriptVarInt),
    NESTED(PopUpWindow, ProgressBar, kAnimSprite),
    NESTED(PopUpWindow, ProgressBarOld, kAnimSprite),
    NESTED(PopUpWindow, ProgressBarNew, kAnimSprite),
    NESTED(PopUpWindow, FrontFrameProgressBar, kAnimSprite),
    NESTED(PopUpWindow, MidFrameProgressBar, kAnimSprite),
    NESTED(PopUpWindow, BackFrameProgressBar, kAnimSprite),
    MEMBER(PopUpWindow, RealWidth, kScriptVarFloat),
    MEMBER(PopUpWindow, ShowProgressBar, kScriptVarInt),
    NESTED(PopUpWindow, MaxSizeofACharacter, kVec2),
    MEMBER(PopUpWindow, ProgressBarXFactor, kScriptVarFloat),
    MEMBER(PopUpWindow, NextRankYFactor, kScriptVarFloat),
    MEMBER(PopUpWindow, ProgressBarInsideXFactor, kScriptVarFloat),
    ScriptVarEnd(),
};

const ScriptVarDesc kUpgradePointMembers[] = {
    MEMBER(UpgradePoint, Cost, kScriptVarInt),
    MEMBER(UpgradePoint, State, kScriptVarInt),
    NESTED(UpgradePoint, PointImage, kAnimSprite),
    NESTED(UpgradePoint, TopImage, kAnimSprite),
    NESTED(UpgradePoint, MiddleImage, kAnimSprite),
    NESTED(UpgradePoint, BottomImage, kAnimSprite),
    MEMBER(UpgradePoint, StartAlpha, kScriptVarInt),
    MEMBER(UpgradePoint, EndAlpha, kScriptVarInt),
    ScriptVarEnd(),
};

const ScriptVarDesc kUpgradeBarMembers[] = {
    MEMBER(UpgradeBar, x, kScriptVarInt),
    MEMBER(UpgradeBar, y, kScriptVarInt),
    MEMBER(UpgradeBar, CurrentlySelected, kScriptVarInt),
    MEMBER(UpgradeBar, TempSelected, kScriptVarInt),
    NESTED(UpgradeBar, Icon, kSprite),
    NESTED(UpgradeBar, IconGlow, kSprite),
    NESTED(UpgradeBar, LeftArrow, kAnimSprite),
    NESTED(UpgradeBar, RightArrow, kAnimSprite),
    NESTED(UpgradeBar, Cross, kAnimSprite),
    MEMBER(UpgradeBar, StartAlpha, kScriptVarInt),
    MEMBER(UpgradeBar, EndAlpha, kScriptVarInt),
    MEMBER(UpgradeBar, LenthOfBar, kScriptVarInt),
    ScriptVarEnd(),
};

const ScriptVarDesc kUpgradeMenuMembers[] = {
    MEMBER(UpgradeMenu, x, kScriptVarInt),
    MEMBER(UpgradeMenu, y, kScriptVarInt),
    MEMBER(UpgradeMenu, width, kScriptVarInt),
    MEMBER(UpgradeMenu, height, kScriptVarInt),
    MEMBER(UpgradeMenu, CurrentlySelected, kScriptVarInt),
    NESTED(UpgradeMenu, SelectedImage, kSprite),
    NESTED(UpgradeMenu, SingleBackgroundImage, kSprite),
    NESTED(UpgradeMenu, TopBackGroundImage, kSprite),
    NESTED(UpgradeMenu, BottomBackGroundImage, kSprite),
    NESTED(UpgradeMenu, MiddleBackGroundImage, kSprite),
    NESTED(UpgradeMenu, UpArrow, kSprite),
    NESTED(UpgradeMenu, DownArrow, kSprite),
    NESTED(UpgradeMenu, Callout, kSprite),
    MEMBER(UpgradeMenu, YOffset, kScriptVarInt),
    MEMBER(UpgradeMenu, UnSpentPoints, kScriptVarInt),
    MEMBER(UpgradeMenu, FrameScaleX, kScriptVarFloat),
    MEMBER(UpgradeMenu, FrameScaleY, kScriptVarFloat),
    MEMBER(UpgradeMenu, FrameOffsetX, kScriptVarInt),
    MEMBER(UpgradeMenu, FrameOffsetY, kScriptVarInt),
    MEMBER(UpgradeMenu, SpacingBasedOnHeight, kScriptVarFloat),
    MEMBER(UpgradeMenu, StartingState, kScriptVarInt),
    MEMBER(UpgradeMenu, FirstAlign, kScriptVarInt),
    MEMBER(UpgradeMenu, MouseOverRide, kScriptVarInt),
    ScriptVarEnd(),
};

const ScriptVarDesc kPlayerInfoMembers[] = {
    MEMBER(PlayerInfo, x, kScriptVarInt),
    MEMBER(PlayerInfo, y, kScriptVarInt),
    NESTED(PlayerInfo, ScoreMultiplerImage, kAnimSprite),
    NESTED(PlayerInfo, ScoreMultiplerFrame, kAnimSprite),
    MEMBER(PlayerInfo, RenderScoreMultipler, kScriptVarInt),
    NESTED(PlayerInfo, PulseImage, kSprite),
    NESTED(PlayerInfo, RightScoreMultiplerFrame, kAnimSprite),
    NESTED(PlayerInfo, DragonIcon, kAnimSprite),
    NESTED(PlayerInfo, UnSpentPointsSymbol, kAnimSprite),
    NESTED(PlayerInfo, FireBar, kAnimSprite),
    NESTED(PlayerInfo, FireBarBackground, kAnimSprite),
    NESTED(PlayerInfo, FireBarFrontCap, kAnimSprite),
    NESTED(PlayerInfo, FireBarMiddle, kAnimSprite),
    NESTED(PlayerInfo, FireBarBackCap, kAnimSprite),
    NESTED(PlayerInfo, FireBarRightFrontCap, kAnimSprite),
    NESTED(PlayerInfo, FireBarRightBackCap, kAnimSprite),
    NESTED(PlayerInfo, PowerUpSymbol, kAnimSprite),
    NESTED(PlayerInfo, PowerUpSymbolFrame, kAnimSprite),
    NESTED(PlayerInfo, RightPowerUpSymbolFrame, kAnimSprite),
    NESTED(PlayerInfo, TextPosition, kVec2),
    NESTED(PlayerInfo, BarAndScoreOffset, kVec2),
    NESTED(PlayerInfo, PowerUpOffset, kVec2),
    NESTED(PlayerInfo, Color, kColour),
    NESTED(PlayerInfo, Text, kBasicText),
    MEMBER(PlayerInfo, TextAlign, kScriptVarInt),
    MEMBER(PlayerInfo, RealBarWidth, kScriptVarFloat),
    MEMBER(PlayerInfo, RealBarX, kScriptVarInt),
    MEMBER(PlayerInfo, ShowPowerUp, kScriptVarInt),
    MEMBER(PlayerInfo, ShowUnspeantPoints, kScriptVarInt),
    MEMBER(PlayerInfo, Rank, kScriptVarInt),
    MEMBER(PlayerInfo, IsMoving, kScriptVarInt),
    MEMBER(PlayerInfo, StartIndex, kScriptVarInt),
    MEMBER(PlayerInfo, EndIndex, kScriptVarInt),
    MEMBER(PlayerInfo, TimePassed, kScriptVarFloat),
    MEMBER(PlayerInfo, TimeTrigger, kScriptVarFloat),
    NESTED(PlayerInfo, StartColor, kColour),
    NESTED(PlayerInfo, EndColor, kColour),
    NESTED(PlayerInfo, PlayerTextPosition, kVec2),
    MEMBER(PlayerInfo, ShowMultipler, kScriptVarInt),
    ScriptVarEnd(),
};

const ScriptVarDesc kLeaderBoardMembers[] = {
    MEMBER(LeaderBoard, x, kScriptVarInt),
    MEMBER(LeaderBoard, y, kScriptVarInt),
    ScriptVarNested("Menu", kScriptVarEmbedded, "Menu", offsetof(LeaderBoard, menu)),
    MEMBER(LeaderBoard, CurrentPage, kScriptVarInt),
    MEMBER(LeaderBoard, MaxPage, kScriptVarInt),
    MEMBER(LeaderBoard, m_MaxNumberOfRecords, kScriptVarInt),
    MEMBER(LeaderBoard, Waiting, kScriptVarInt),
    MEMBER(LeaderBoard, CurrentSection, kScriptVarInt),
    MEMBER(LeaderBoard, ButtonsPerPage, kScriptVarInt),
    MEMBER(LeaderBoard, MaxPagesForwholeboard, kScriptVarInt),
    MEMBER(LeaderBoard, OnBoard, kScriptVarInt),
    ScriptVarEnd(),
};

void RegisterLeaderBoard(HSQUIRRELVM vm)
{
    using L = LeaderBoard;
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kLeaderBoardClass, sizeof(L), kLeaderBoardMembers, ElementScriptConstruct<L>)
        .AddMethod("SetElements", LeaderBoard_SetElements, "xx")
        .AddMethod("SetUpMenu", LeaderBoard_SetUpMenu, "xii")
        .AddMethod("Input", ScriptCommand<&L::Input, L>, "xi")
        .AddMethod("Update", ScriptCommand<&L::Update, L>, "xn")
        .AddMethod("Render", ScriptCommand<&L::Render, L>, "x")
        .AddMethod("Init", ScriptCommand<&L::Init, L>, "x");
}

void RegisterPopUpWindow(HSQUIRRELVM vm)
{
    using W = PopUpWindow;
    constexpr const char* N = kPopUpWindowClass;
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, N, sizeof(W), kPopUpWindowMembers, ElementScriptConstruct<W>)
        .AddMethod("SetDecription", ScriptCommand<&W::SetDecription, W>, "xs")
        .AddMethod("SetTitle", ScriptCommand<&W::SetTitle, W>, "xs")
        .AddMethod("SetWorth", ScriptCommand<&W::SetWorth, W>, "xs")
        .AddMethod("SetNextRank", ScriptCommand<&W::SetNextRank, W>, "xs")
        .AddMethod("SetFont", ScriptCommandMakingTextures<&W::SetFont, W>, "xs")
        .AddMethod("AutoAlignComponents", ScriptCommand<&W::AutoAlignComponents, W>, "x")
        .AddMethod("Update", ScriptCommand<&W::Update, W>, "xn")
        .AddMethod("Render", ScriptCommand<&W::Render, W>, "x")
        .AddMethod("Init", ScriptCommand<&W::Init, W>, "x");
}

void RegisterUpgrades(HSQUIRRELVM vm)
{
    using P = UpgradePoint;
    using B = UpgradeBar;
    using M = UpgradeMenu;
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kUpgradePointClass, sizeof(P), kUpgradePointMembers, ElementScriptConstruct<P>)
        .AddMethod("Update", ScriptCommand<&P::Update, P>, "xn")
        .AddMethod("Render", ScriptCommand<&P::Render, P>, "x");
    ScriptBindClass(handle, vm, kUpgradeBarClass, sizeof(B), kUpgradeBarMembers, ElementScriptConstruct<B>)
        .AddMethod("AddPoint", AddHeld<B, kUpgradeBarClass, P, kUpgradePointClass, &B::AddPoint>, "xx")
        .AddMethod("AutoAlignBar", ScriptCommand<&B::AutoAlignBar, B>, "x")
        .AddMethod("Update", ScriptCommand<&B::Update, B>, "xn")
        .AddMethod("Render", ScriptCommand<&B::Render, B>, "x");
    ScriptBindClass(handle, vm, kUpgradeMenuClass, sizeof(M), kUpgradeMenuMembers, ElementScriptConstruct<M>)
        .AddMethod("AddBar", AddHeld<M, kUpgradeMenuClass, B, kUpgradeBarClass, &M::AddBar>, "xx")
        .AddMethod("Input", ScriptCommand<&M::Input, M>, "xi")
        .AddMethod("ReCalculateAvailablePoints",
                   ScriptCommand<&M::ReCalculateAvailablePoints, M>, "xi")
        .AddMethod("CheckIfThereAreAnyPoints", UpgradeMenu_CheckIfThereAreAnyPoints, "x")
        .AddMethod("AutoAlignMenu", ScriptCommand<&M::AutoAlignMenu, M>, "x")
        .AddMethod("IncreaseAllByOne", ScriptCommand<&M::IncreaseAllByOne, M>, "x")
        .AddMethod("Update", ScriptCommand<&M::Update, M>, "xn")
        .AddMethod("Render", ScriptCommand<&M::Render, M>, "x");
}

void RegisterPlayerInfo(HSQUIRRELVM vm)
{
    using I = PlayerInfo;
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kPlayerInfoClass, sizeof(I), kPlayerInfoMembers, ElementScriptConstruct<I>)
        .AddMethod("SetScore", ScriptCommand<&I::SetScore, I>, "xs")
        .AddMethod("SetPlayerName", ScriptCommand<&I::SetPlayerName, I>, "xs")
        .AddMethod("SetFont", ScriptCommandMakingTextures<&I::SetFont, I>, "xs")
        .AddMethod("SetPlayerFont", ScriptCommandMakingTextures<&I::SetPlayerFont, I>, "xs")
        .AddMethod("AutoAlignComponents", ScriptCommand<&I::AutoAlignComponents, I>, "xi")
        .AddMethod("Update", ScriptCommand<&I::Update, I>, "xn")
        .AddMethod("Render", ScriptCommand<&I::Render, I>, "x");
}
} // namespace

void RegisterHudScriptAPI(HSQUIRRELVM vm)
{
    RegisterPopUpWindow(vm);
    RegisterUpgrades(vm);
    RegisterPlayerInfo(vm);
    RegisterLeaderBoard(vm);
}
