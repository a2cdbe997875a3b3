#pragma once
// A trail: a segment dropped at the instance every update, joined at drawing
// into one Catmull-Rom smoothed strip whose width, colour and alpha follow
// each segment's age and whose texture scrolls along it.

#include "core/Interp.h"
#include "core/Vec3.h"
#include "fx/FXInstance.h"
#include "fx/FXelementBase.h"

#include <cstdint>

constexpr int kFXMaxRibbons = 64;
constexpr int kFXMaxRibbonSegments = 4096;

struct FXRibbonSegment
{
    Vec3 position{0, 0, 0};
    Vec3 axis{1, 0, 0};
    FXTimer timer;
    FXRibbonSegment* next = nullptr;
    int32_t liveIndex = -1;
};

// Built per segment when drawing.
struct FXRibbonControlPoint
{
    Vec3 left;
    Vec3 right;
    float red, green, blue;
    float alpha;
    float v;
    float age;
};

enum FXRibbonCurve
{
    kFXRibbonWidth,
    kFXRibbonRed,
    kFXRibbonGreen,
    kFXRibbonBlue,
    kFXRibbonAlpha,
    kFXRibbonSpin,
    kFXRibbonCurveCount,
};

class ERibbon : public FXelementBase
{
public:
    void Update(float dt) override;
    void Render(const Mat4& instanceMatrix) override;
    void Start() override;
    void Stop() override;
    void SetParamScalar(float value, int32_t kind) override;

    int SegmentCount() const;
    // The subdivisions per span at the owner's level of detail.
    int SubdivisionsPerSpan() const;

    FXRibbonSegment* segments = nullptr;
    float widthAdd = 0.0f;
    Interp cursors[kFXRibbonCurveCount];
    float scroll = 0.0f;
    Interp scrollCursor;

private:
    void DropOldSegments();
    FXRibbonControlPoint ControlPoint(const FXRibbonSegment& segment, float v);
    int BuildControlPoints();
};

int FXFreeRibbonSegmentCount();
void ERibbonInstallPool();
