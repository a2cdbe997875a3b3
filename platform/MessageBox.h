#pragma once
// A warning notice with one OK button over the game. It waits for the player,
// so tests install their own presenter; without a display nothing waits: the
// text goes to the log and the call answers at once.

// Shows the text; `modal` holds every window of the program until the box is
// closed. Answers whether the notice was given.
using MessageBoxPresenter = bool (*)(const char* text, bool modal);

// Installs a presenter; null restores the window system's.
void MessageBoxSetPresenter(MessageBoxPresenter presenter);
bool MessageBoxShowWarning(const char* text, bool modal);

// True when a window system can be reached (an X11 or Wayland display is named).
bool MessageBoxHasDisplay();
