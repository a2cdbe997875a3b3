#pragma once
// The application's console: made at start-up, fed the step's key events and
// drawn over the top half of the picture while it is open.

class Console;

void AppConsoleCreate();
void AppConsoleDestroy();
// Null outside AppConsoleCreate .. AppConsoleDestroy.
Console* AppGetConsole();
void AppConsoleProcessInputIfVisible();
void AppConsoleDrawIfVisible();
