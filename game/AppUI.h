#pragma once
// The UI screen system in the application: set up with the display, fed the
// cursor, clicks and the back key each fixed step, drawn in the overlay and
// freed before the renderer shuts down.

void AppUIStart();
void AppUIMouseToFrontEnd();
void AppUIStep();
void AppUIDraw();
void AppUIShutdown();
