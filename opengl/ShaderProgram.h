#pragma once
// GLSL programs: one ".glsl" file per program, the vertex shader first and
// the fragment shader from the marker line "//!!FS" on. Every program binds
// the same attribute names to the same locations, so one vertex layout
// serves them all, and gets its samplers "Tex0" to "Tex2" set to texture
// units 0 to 2 whenever it is bound.

#include "core/FixedString.h"
#include "core/StreamBytes.h"

#include <cstdint>

struct ShaderProgram
{
    uint32_t program = 0;
    uint32_t vertexShader = 0;
    uint32_t fragmentShader = 0;
    // The name given at creation, then the file's full path once loaded.
    FixedString128 name;
};

// Ten thousand lines of GLSL take a tenth of this.
constexpr FileSizeBound kShaderFileBound = {"shader", 4ull << 20};

constexpr int kShaderAttributeCount = 12;
// The attribute bound at each location; location 0 is the built-in vertex position.
const char* ShaderAttributeName(int location);

void ShaderSetRoot(const char* path);
const char* ShaderGetRoot();

// The cached program "<root><name>.glsl" with one more reference; null after
// a report when the file cannot be opened or has no "//!!FS" marker.
ShaderProgram* ShaderLoad(const char* name);
// Rebuilds the program from the file in place; false (the old program
// stays) when the file cannot be read or has no marker.
bool ShaderReload(ShaderProgram* program, const char* path);
void ShaderRelease(ShaderProgram* program);

// Splits a whole file in place at the marker: the vertex source ends before
// the character preceding it, the fragment source starts at the marker line.
// A marker at the very first byte gives both the whole text. False without a marker.
bool ShaderSplitSource(char* text, const char** vertexSource, const char** fragmentSource);

// (Re)builds the program's GL objects; compile and link failures are
// reported with GL's log and the program is built all the same. False when
// a source is missing.
bool Set_ShaderProgram_FromStrings(ShaderProgram* program, const char* vertexSource,
                                   const char* fragmentSource);
// Deletes the GL objects; the record stays.
void ShaderDeleteGL(ShaderProgram* program);

// False, doing nothing, when the program is already current; null selects
// the fixed-function pipeline.
bool ShaderBind(ShaderProgram* program);
ShaderProgram* ShaderGetCurrent();
// GL program 0 without changing the current program (shutdown only).
void ShaderUnbindGL();

// Each looks the location up by name and does nothing when the program has
// no such uniform. The program need not be the one in use: GL's program is
// the current program's again afterwards.
void ShaderSetUniformInt(ShaderProgram* program, const char* name, int value);
void ShaderSetUniformFloat(ShaderProgram* program, const char* name, float value);
void ShaderSetUniformVec2(ShaderProgram* program, const char* name, const float* values);
void ShaderSetUniformVec3(ShaderProgram* program, const char* name, const float* values);
void ShaderSetUniformVec4Array(ShaderProgram* program, const char* name, int count, const float* values);
