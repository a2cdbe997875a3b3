#include "support/DisplayTestSupport.h"

#include <cstdlib>

bool DisplayAvailable() { return getenv("DISPLAY") || getenv("WAYLAND_DISPLAY"); }

// The window system's session bus keeps a buffer the sanitizer cannot see it
// reach. Living here, the suppression comes with every test that opens a
// display.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }
