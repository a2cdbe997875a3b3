#pragma once
// The demo tree's shader programs, as the two vertex paths load them.

#include <string>

struct ShaderProgram;

// The demo's shader folder in the source tree, ending with '/'.
std::string ShippedShaderFolder();

// Builds "<folder><name>.glsl" without the file table; the caller deletes it
// with ShaderDeleteGL and delete. Null when the file cannot be read.
ShaderProgram* BuildShippedProgram(const char* name);
