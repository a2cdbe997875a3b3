#include "ShippedShaders.h"

#include "core/FileTable.h"
#include "opengl/ShaderProgram.h"

#include <cstdlib>
#include <string>

ShippedShaders::ShippedShaders()
{
    const char* source = getenv("PENDREL_SOURCE_DIR");
    GetFileTable().SetRoot((std::string(source ? source : ".") + "/demo/").c_str());
    FileTableRebuild("data");
    ShaderSetRoot("shaders/GLSL/");
}

ShippedShaders::~ShippedShaders()
{
    GetFileTable().SetRoot("");
    FileTableRebuild("no such folder");
}

ShaderProgram* ShippedShaders::Load(const char* name) const { return ShaderLoad(name); }
