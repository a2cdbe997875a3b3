#include "fx/FxAnchorTable.h"

#include <cmath>

FxAnchorTable& FxGetAnchorTable()
{
    static FxAnchorTable table;
    return table;
}

namespace
{
void UpdateAnchor(FXAnchor& anchor, const FxAnchorPair& pair, float dt)
{
    if (pair.matrixA != nullptr)
    {
        anchor.copyA = *pair.matrixA;
        anchor.matrixA = &anchor.copyA;
        const Vec3 old = anchor.position;
        Mat4 eye;
        Mat4InverseRigid(eye, anchor.copyA);
        anchor.position = Mat4TransformPointDivW(eye, Vec3(0, 0, 0));
        if (dt > 0.0f)
            anchor.velocity = (anchor.position - old) * (1.0f / dt);
    }
    else
    {
        anchor.matrixA = nullptr;
    }
    if (pair.matrixB != nullptr)
    {
        anchor.copyB = *pair.matrixB;
        anchor.matrixB = &anchor.copyB;
    }
    else
    {
        anchor.matrixB = nullptr;
    }
}
} // namespace

void FxAnchorTable_Update(const FxAnchorPair* pairs, int count, float dt)
{
    FxAnchorTable& table = FxGetAnchorTable();
    if (count < 0 || pairs == nullptr)
        count = 0;
    if (count > kFxMaxAnchors)
        count = kFxMaxAnchors;
    for (int i = 0; i < count; ++i)
        UpdateAnchor(table.anchors[i], pairs[i], dt);
    table.count = count;
}

Vec3 FxAnchorGetPosition(int index)
{
    const FxAnchorTable& table = FxGetAnchorTable();
    if (index < 0 || index >= kFxMaxAnchors)
        return Vec3(0, 0, 0);
    return table.anchors[index].position;
}

int FxAnchorFindNearest(const Vec3& position)
{
    const FxAnchorTable& table = FxGetAnchorTable();
    int best = -1;
    float bestDistance = INFINITY;
    for (int i = 0; i < table.count; ++i)
    {
        const float d = Vec3LengthSquared(table.anchors[i].position - position);
        if (d < bestDistance || best < 0)
        {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}
