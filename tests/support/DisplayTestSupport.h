#pragma once
// Whether a window system is there at all, for tests that need one.

// GL tests skip only when no display exists; with one, a failure is a failure.
bool DisplayAvailable();
