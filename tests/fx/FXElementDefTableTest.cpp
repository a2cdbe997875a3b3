// The element table made entry by entry reads like the plain array of
// reset elements it replaces: on seeded orders of first reads and writes,
// every entry starts at the reset value, keeps what was written into it and
// stays at its address while later entries are made.
#include "fx/FXDefinitions.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace
{
// The fields a fresh element is compared on: its scalars with a reset value
// other than zero, and a curve from each group.
void ExpectResetValue(const FXElementDef& element)
{
    const FXElementDef reset;
    EXPECT_EQ(element.type, reset.type);
    EXPECT_EQ(element.texture, reset.texture);
    EXPECT_EQ(element.billboardMode, reset.billboardMode);
    EXPECT_EQ(element.scalingDistanceFinishMultiplySize, reset.scalingDistanceFinishMultiplySize);
    EXPECT_EQ(element.shader, nullptr);
    EXPECT_EQ(element.model, nullptr);
    EXPECT_EQ(element.anim, nullptr);
    EXPECT_EQ(element.sizeCurve.keyCount, 0);
    EXPECT_EQ(element.particleCurves[kFXParticleCurves - 1].keyCount, 0);
    EXPECT_EQ(element.spawnCurves[0].keyCount, 0);
    EXPECT_EQ(element.lightCurves[kFXLightCurves - 1].keyCount, 0);
}
} // namespace

TEST(FXElementDefTable, ReadsLikeThePlainArrayOnSeededOrders)
{
    for (uint32_t seed = 1; seed <= 20; ++seed)
    {
        std::mt19937 random(seed);
        auto array = std::make_unique<FXElementDef[]>(kFXMaxElementDefs);
        FXElementDefTable table;
        std::vector<const FXElementDef*> addresses(kFXMaxElementDefs, nullptr);
        for (int step = 0; step < 400; ++step)
        {
            const int index = int(random() % kFXMaxElementDefs);
            FXElementDef& entry = table[index];
            if (addresses[size_t(index)] == nullptr)
            {
                ExpectResetValue(entry);
                addresses[size_t(index)] = &entry;
            }
            ASSERT_EQ(&entry, addresses[size_t(index)]) << "seed " << seed << " entry " << index;
            EXPECT_EQ(entry.type, array[size_t(index)].type);
            EXPECT_EQ(entry.lifeTime, array[size_t(index)].lifeTime);
            EXPECT_EQ(entry.sizeCurve.keyCount, array[size_t(index)].sizeCurve.keyCount);
            // Both take the same write.
            const float lifeTime = float(random() % 100);
            for (FXElementDef* element : {&entry, &array[size_t(index)]})
            {
                element->type = int32_t(step % 4);
                element->lifeTime = lifeTime;
                element->sizeCurve.AddKey(lifeTime, 1.0f);
            }
        }
    }
}
