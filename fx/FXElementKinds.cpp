#include "fx/FXElementKinds.h"

#include "fx/EBillboard.h"
#include "fx/EParticleSystem.h"
#include "fx/ERibbon.h"
#include "fx/FXSceneKinds.h"

// One line per kind.
void FXInstallElementKinds()
{
    EBillboardInstallPool();
    EParticleSystemInstallPool();
    ERibbonInstallPool();
    FXInstallSceneKinds(); // sound, mesh, spawn and light
}
