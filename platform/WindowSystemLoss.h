#pragma once
// The X server under the main window going away (killed, or its session
// ended). Xlib's own answer to a broken connection is exit(), which runs the
// static destructors while the game's objects still stand; watched, the loss
// is only noted, Xlib's calls on the dead connection return, and the shell's
// pump ends the run as a quit would.

struct SDL_Window;

// Watches the connection of the window's X display; nothing for a window of
// another window system. Watching the same connection again changes nothing.
void WindowSystemLossWatch(SDL_Window* window);

// True once the watched connection broke.
bool WindowSystemLost();
