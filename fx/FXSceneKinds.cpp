#include "fx/FXSceneKinds.h"

#include "fx/ELight.h"
#include "fx/EMesh.h"
#include "fx/ESound.h"
#include "fx/ESpawn.h"
#include "fx/FXDefinitions.h"
#include "fx/FXElementPool.h"

void FXInstallSceneKinds()
{
    static FXElementPoolOf<ESound, kESoundPoolSize> sounds;
    static FXElementPoolOf<EMesh, kEMeshPoolSize> meshes;
    static FXElementPoolOf<ESpawn, kESpawnPoolSize> spawns;
    static FXElementPoolOf<ELight, kELightPoolSize> lights;
    FXSetElementPool(kFXSound, &sounds);
    FXSetElementPool(kFXMesh, &meshes);
    FXSetElementPool(kFXSpawn, &spawns);
    FXSetElementPool(kFXLight, &lights);
}
