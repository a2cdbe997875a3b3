#pragma once
// The world's rigid-sphere mover: each registered physics entity is a sphere
// that falls under the gravity and the forces added to it, is swept against
// the terrain up to three times a step with slide, push-out and an optional
// bounce, and is put back where it started when it ends the step inside the
// terrain. Surface kind 1 never pushes upward.

void SetGravity(float gravity);
float GetGravity();

// One fixed step of physics for every registered entity in physics.
void WorldStepEntities(float dt);
