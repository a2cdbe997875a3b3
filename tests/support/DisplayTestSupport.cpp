#include "support/DisplayTestSupport.h"

#include <cstdlib>

// The engine draws only in X windows (its GL entry points load through GLX),
// so a Wayland session without an X display has no display for it.
bool DisplayAvailable()
{
    return getenv("DISPLAY") != nullptr;
}
