#pragma once
// Start-up and the per-frame pump of the storefront platform. Every online
// service checks the platform-up flag and answers its offline value while it
// is clear.

bool PlatformInit();
bool PlatformIsUp();
void PlatformRunCallbacks();
void PlatformShutdown();
