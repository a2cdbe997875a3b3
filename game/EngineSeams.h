#pragma once
// Services the spine calls whose subsystems have not landed yet. Each does
// nothing for now; as a subsystem lands, its call here is replaced by the
// real one at the same place in the order.

#include <cstdint>

void SeamFrontEndUpdate(float dt);
