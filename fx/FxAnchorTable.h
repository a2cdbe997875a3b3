#pragma once
// The viewpoints effects measure their distance from: refreshed by the fixed
// step from the view being played, before the effects are stepped.

#include "core/Mat4.h"
#include "core/Vec3.h"

#include <cstdint>

constexpr int kFxMaxAnchors = 4;

// A view matrix (rigid world-to-view) and a second matrix; either may be null.
struct FxAnchorPair
{
    const Mat4* matrixA;
    const Mat4* matrixB;
};

struct FXAnchor
{
    const Mat4* matrixA = nullptr; // points at copyA, or null
    const Mat4* matrixB = nullptr; // points at copyB, or null
    Mat4 copyA = Mat4Identity();
    Mat4 copyB = Mat4Identity();
    Vec3 position{0, 0, 0};
    Vec3 velocity{0, 0, 0};
};

struct FxAnchorTable
{
    int32_t count = 0;
    FXAnchor anchors[kFxMaxAnchors];
};

FxAnchorTable& FxGetAnchorTable();
// Pairs beyond the table's four are left out.
void FxAnchorTable_Update(const FxAnchorPair* pairs, int count, float dt);
Vec3 FxAnchorGetPosition(int index);
// The nearest anchor at any distance, the lowest index on a tie; -1 with none.
int FxAnchorFindNearest(const Vec3& position);
