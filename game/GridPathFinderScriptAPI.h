#pragma once
// The script class "GridPathFinder": a grid of typed cells loaded from a grid
// file, searched for routes written into a "Path".
#include <squirrel.h>

void RegisterGridPathFinderScriptAPI(HSQUIRRELVM vm);
