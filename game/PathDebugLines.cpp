#include "game/PathDebugLines.h"

#include "core/Path.h"
#include "opengl/PrimBatch.h"

#include <GL/glew.h>

void PathAddLinesToDebug(const Path& path)
{
    if (path.GetPointCount() < 2)
        return;
    PrimSetType(GL_LINES);
    PrimSetColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (int i = 0; i + 1 < path.GetPointCount(); ++i)
    {
        PrimVertexVec3(path.GetPoint(i).position);
        PrimVertexVec3(path.GetPoint(i + 1).position);
    }
    PrimEnd();
}
