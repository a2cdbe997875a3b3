// Model files, whole in memory: read and checked, then recast for the
// emulated vertex path as a load without vertex arrays would.
#include "FuzzTarget.h"

#include "cross/ModelFile.h"

FUZZ_TARGET(chmodel)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    ModelFile file;
    if (ModelFileParse(data, size, false, "fuzz.chmodel", file))
        for (ModelFileMesh& mesh : file.meshes)
            ModelConvertForEmulation(mesh);
    return 0;
}
