#include "ShippedShaders.h"

#include "core/FileTable.h"
#include "opengl/ShaderProgram.h"

#include <cstdlib>
#include <string>

// The entries keep full paths, so the root goes back at once: nothing
// written below the root (the GL information log) lands in the source tree.
ShippedShaders::ShippedShaders()
{
    const std::string root = FileTableGetRoot();
    const char* source = getenv("PENDREL_SOURCE_DIR");
    GetFileTable().SetRoot((std::string(source ? source : ".") + "/demo/").c_str());
    FileTableRebuild("data");
    GetFileTable().SetRoot(root.c_str());
    ShaderSetRoot("shaders/GLSL/");
}

ShippedShaders::~ShippedShaders()
{
    FileTableRebuild("no such folder");
}

ShaderProgram* ShippedShaders::Load(const char* name) const
{
    return ShaderLoad(name);
}
