#pragma once
// The script class "Locator": a handle on one locator of the store that
// answers null once the store is cleared or reloaded, and the globals that
// load, clear and search the locators.
#include <squirrel.h>

constexpr int kLocatorTypeSnorrikEnemySpawner = 65776;

void RegisterLocatorScriptAPI(HSQUIRRELVM vm);
