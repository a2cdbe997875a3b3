#pragma once
// Installs the pools of the sound, mesh, spawn and light elements.

void FXInstallSceneKinds();
