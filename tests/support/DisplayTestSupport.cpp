#include "support/DisplayTestSupport.h"

#include <cstdlib>

bool DisplayAvailable()
{
    return getenv("DISPLAY") || getenv("WAYLAND_DISPLAY");
}
