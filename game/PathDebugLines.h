#pragma once
// The debug view of a path: its segments as white lines.

class Path;

// Adds each segment to the primitive batch as a line; a path of fewer than
// two points adds nothing.
void PathAddLinesToDebug(const Path& path);
