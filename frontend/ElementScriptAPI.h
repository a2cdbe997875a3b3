#pragma once
// The script classes of the front-end elements (sprites, buttons, menus,
// sliders, drop-down menus, curve bars) and the globals of the loading
// screen and the button manager.
#include "script/ScriptArguments.h"
#include "script/ScriptMethodRow.h"

#include <squirrel.h>

#include <cstddef>

void RegisterElementScriptAPI(HSQUIRRELVM vm);
// Before the VM closes: the instances that menus and buttons keep alive
// (their listed and connected buttons) are let go.
void ElementScriptReleaseHolds();

class Sprite;
class AnimSprite;
class Button;
class Menu;
class ScrollableMenu;
class Slider;
class DropdownMenu;
class CurveBar;
PENDREL_SCRIPT_CLASS(Sprite, "Sprite");
PENDREL_SCRIPT_CLASS(AnimSprite, "AnimSprite");
PENDREL_SCRIPT_CLASS(Button, "Button");
PENDREL_SCRIPT_CLASS(Menu, "Menu");
PENDREL_SCRIPT_CLASS(ScrollableMenu, "ScrollableMenu");
PENDREL_SCRIPT_CLASS(Slider, "Slider");
PENDREL_SCRIPT_CLASS(DropdownMenu, "DropdownMenu");
PENDREL_SCRIPT_CLASS(CurveBar, "CurveBar");

// A Sprite or an AnimSprite.
Sprite* ElementScriptSprite(HSQUIRRELVM vm, SQInteger index);
// The instance at the index stays alive while `holder` does: the release
// hook of the object that holds it calls ElementScriptDropHoldsWithin.
void ElementScriptHoldArgument(HSQUIRRELVM vm, SQInteger index, const void* holder);
void ElementScriptDropHoldsWithin(const void* begin, size_t size);
// Textures and fonts are made in GL: without a context elements keep none.
bool ElementScriptCanLoadTextures();
// A method row whose member loads a font or texture by the name it takes:
// without a context the call is checked, then skipped, so that scripts run
// the same in a headless host.
template <auto Function, class T> SQInteger ScriptCommandMakingTextures(HSQUIRRELVM vm)
{
    if (ElementScriptCanLoadTextures())
        return ScriptCommand<Function, T>(vm);
    const char* name = nullptr;
    if (!ScriptCheckThis<T>(vm))
        return SQ_ERROR;
    return ScriptArgString(vm, 2, name) ? 0 : ScriptBadArgument(vm);
}

// The release hook of a script class's object: its holds go, then the object.
template <class T> SQInteger ElementScriptReleaseHook(SQUserPointer area, SQInteger)
{
    ElementScriptDropHoldsWithin(area, sizeof(T));
    static_cast<T*>(area)->~T();
    return 0;
}

// The constructor of a script class whose instance holds a T.
template <class T> SQInteger ElementScriptConstruct(HSQUIRRELVM vm)
{
    if (!ScriptConstructInPlace<T>(vm))
        return sq_throwerror(vm, "the instance holds no native object");
    sq_setreleasehook(vm, 1, ElementScriptReleaseHook<T>);
    return 0;
}
