#pragma once
// The UI screen system in the application: set up with the display, fed the
// cursor, clicks and the back key each fixed step, drawn in the overlay and
// freed before the renderer shuts down.

void AppUIStart();
// Fits the screens to the render size again, after the window changed size.
void AppUIResize();
void AppUIMouseToFrontEnd();
void AppUIStep();
void AppUIDraw();
void AppUIShutdown();
