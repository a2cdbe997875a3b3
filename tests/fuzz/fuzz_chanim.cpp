// Animation files, whole in memory: read, appended to a buffer and posed.
#include "FuzzTarget.h"

#include "cross/AnimBuffer.h"

#include <vector>

FUZZ_TARGET(chanim)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    AnimFile file;
    if (!AnimFileParse(data, size, false, "fuzz.chanim", 1, file))
        return 0;
    AnimBuffer buffer(64);
    if (!buffer.Append(file, "fuzz.chanim"))
        return 0;
    std::vector<Mat4> pose(size_t(buffer.GetJointCount()) + 1);
    for (int i = 0; i < buffer.GetAnimationCount(); ++i)
        buffer.EvaluateTime(i, 1.37f, pose.data());
    return 0;
}
