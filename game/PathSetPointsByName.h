#pragma once
// Fills a path from the locator path of a name.

class Path;

// Clears the path and adds every point of the first locator path of that
// name, in order. An unknown name reports and leaves the path empty; points
// past the path's capacity are refused with a report.
bool PathSetPointsByName(Path& path, const char* name);
