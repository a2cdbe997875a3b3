#pragma once
// Sweeping a sphere along a motion against one triangle, the step on which the
// terrain's sphere sweep and the world physics rest.

#include "core/Vec3.h"
#include "core/Vec4.h"

// The sphere (centre, radius) moves along motion; normal is the triangle's
// unit face normal. On a hit, distance is how far the sphere travels along
// the motion's direction (world units) before it touches the face, a corner
// or an edge, and contactNormal (when asked) the unit normal of that contact.
// Only motion into the face can hit, and a sphere that already reaches the
// plane at the start can only be stopped by a corner or an edge. Among equal
// distances an edge wins over a corner or the face, and a later edge over an
// earlier one. Without a hit distance is the largest float.
bool SphereSweepTriangle(const Vec3 triangle[3], const Vec3& normal, const Vec4& sphere, const Vec3& motion,
                         float* distance, Vec3* contactNormal);
