#pragma once
// The demo tree's shader programs, loaded as the game loads them: the demo
// source folder mounted as the data root, programs through ShaderLoad.

struct ShaderProgram;

class ShippedShaders
{
public:
    ShippedShaders();
    ~ShippedShaders();
    ShippedShaders(const ShippedShaders&) = delete;
    ShippedShaders& operator=(const ShippedShaders&) = delete;

    // ShaderLoad of the program; give it back with ShaderRelease.
    ShaderProgram* Load(const char* name) const;
};
