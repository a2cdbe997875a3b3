#pragma once
// Installs the pool of every element kind into the effect system's table.

void FXInstallElementKinds();
