#include "fx/FXElementKinds.h"

#include "fx/EBillboard.h"
#include "fx/EParticleSystem.h"
#include "fx/ERibbon.h"

// One line per kind.
void FXInstallElementKinds()
{
    EBillboardInstallPool();
    EParticleSystemInstallPool();
    ERibbonInstallPool();
}
