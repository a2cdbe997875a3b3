#include "ShippedShaders.h"

#include "opengl/ShaderProgram.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

std::string ShippedShaderFolder()
{
    const char* source = getenv("PENDREL_SOURCE_DIR");
    return std::string(source ? source : ".") + "/demo/data/shaders/GLSL/";
}

ShaderProgram* BuildShippedProgram(const char* name)
{
    std::ifstream file(ShippedShaderFolder() + name + ".glsl", std::ios::binary);
    if (!file)
        return nullptr;
    std::stringstream text;
    text << file.rdbuf();
    std::string contents = text.str();
    std::vector<char> buffer(contents.begin(), contents.end());
    buffer.push_back(0);
    const char* vertex = nullptr;
    const char* fragment = nullptr;
    if (!ShaderSplitSource(buffer.data(), &vertex, &fragment))
        return nullptr;
    ShaderProgram* program = new ShaderProgram;
    program->name = name;
    Set_ShaderProgram_FromStrings(program, vertex, fragment);
    return program;
}
