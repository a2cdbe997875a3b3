#include "fx/ERibbon.h"

#include "core/CatmullRom.h"
#include "fx/FXDefinitions.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXElementPool.h"
#include "fx/FXPool.h"

#include <cmath>
#include <memory>

namespace
{
// Two extrapolated ends beside one point per segment.
constexpr int kMaxControlPoints = kFXMaxRibbonSegments + 2;

struct RibbonState
{
    FXPool<FXRibbonSegment, kFXMaxRibbonSegments> segments;
    std::unique_ptr<FXRibbonControlPoint[]> points{new FXRibbonControlPoint[kMaxControlPoints]};
};

RibbonState& State()
{
    static RibbonState state;
    return state;
}

class RibbonPool : public FXElementPoolOf<ERibbon, kFXMaxRibbons>
{
public:
    void Reset() override
    {
        FXElementPoolOf::Reset();
        State().segments.Reset();
    }
};

void ReleaseSegments(FXRibbonSegment* segment)
{
    while (segment != nullptr)
    {
        FXRibbonSegment* next = segment->next;
        segment->next = nullptr;
        State().segments.Release(segment);
        segment = next;
    }
}

// A point beyond the neighbour, continuing the line from the point before it.
FXRibbonControlPoint Extrapolated(const FXRibbonControlPoint& neighbour, const FXRibbonControlPoint& before)
{
    FXRibbonControlPoint point = neighbour;
    point.left = neighbour.left + (neighbour.left - before.left);
    point.right = neighbour.right + (neighbour.right - before.right);
    return point;
}

void AddPair(FXDrawBatch& batch, const Vec3& left, const Vec3& right, const Vec3& rgb, float alpha, float v)
{
    batch.SetColour(FXColourByte(rgb.x), FXColourByte(rgb.y), FXColourByte(rgb.z), FXColourByte(alpha));
    batch.SetTexcoord(0.0f, v);
    batch.AddVertex(left.x, left.y, left.z);
    batch.SetTexcoord(1.0f, v);
    batch.AddVertex(right.x, right.y, right.z);
}

void AddPointPair(FXDrawBatch& batch, const FXRibbonControlPoint& point)
{
    AddPair(batch, point.left, point.right, Vec3(point.red, point.green, point.blue), point.alpha, point.v);
}

Vec3 Rgb(const FXRibbonControlPoint& point)
{
    return Vec3(point.red, point.green, point.blue);
}

// The pairs strictly between p[1] and p[2]; false once the batch is full.
bool AddSpan(FXDrawBatch& batch, const FXRibbonControlPoint* p, int subdivisions, float vStep)
{
    for (int i = 1; i < subdivisions; ++i)
    {
        if (batch.IsFull())
            return false;
        const float t = static_cast<float>(i) / static_cast<float>(subdivisions);
        const Vec3 left = CatmullRomVec3(t, p[0].left, p[1].left, p[2].left, p[3].left);
        const Vec3 right = CatmullRomVec3(t, p[0].right, p[1].right, p[2].right, p[3].right);
        const Vec3 rgb = CatmullRomVec3(t, Rgb(p[0]), Rgb(p[1]), Rgb(p[2]), Rgb(p[3]));
        float alpha = CatmullRom(t, p[0].alpha, p[1].alpha, p[2].alpha, p[3].alpha);
        alpha = alpha < 0.0f ? 0.0f : (alpha > 255.0f ? 255.0f : alpha);
        AddPair(batch, left, right, rgb, alpha, p[1].v + static_cast<float>(i) * vStep);
    }
    return true;
}
} // namespace

void ERibbon::Start()
{
    const InterpDef* curves[kFXRibbonCurveCount] = {&def->sizeCurve, &def->redCurve,   &def->greenCurve,
                                                    &def->blueCurve, &def->alphaCurve, &def->spinSpeedCurve};
    for (int i = 0; i < kFXRibbonCurveCount; ++i)
        cursors[i].SetDef(curves[i]);
    scrollCursor.SetDef(&def->textureScrollCurve);
    segments = nullptr;
    widthAdd = FXRandomUnit() * def->sizeRandomAddMax;
    scroll = FXRandomUnit();
}

void ERibbon::Stop()
{
    ReleaseSegments(segments);
    segments = nullptr;
}

void ERibbon::SetParamScalar(float value, int32_t kind)
{
    if (kind == kFXParamSizeAdd)
        widthAdd += value;
}

void ERibbon::Update(float dt)
{
    scroll += scrollCursor.GetVatT(Age()) * dt;
    if (scroll > 1.0f)
        scroll -= 1.0f;
    else if (scroll < 0.0f)
        scroll += 1.0f;
    if (FXRibbonSegment* segment = State().segments.Take())
    {
        const Mat4& matrix = owner->matrix;
        segment->position = Mat4GetTranslation(matrix);
        segment->axis = Mat4TransformPoint(matrix, Vec3(1, 0, 0)) - segment->position;
        segment->timer.Start();
        segment->next = segments;
        segments = segment;
    }
    DropOldSegments();
}

void ERibbon::DropOldSegments()
{
    const float lifeTime = def->ribbonElementLifeTime;
    if (segments == nullptr)
        return;
    if (segments->timer.GetTime() > lifeTime)
    {
        Stop();
        return;
    }
    for (FXRibbonSegment* segment = segments; segment->next != nullptr; segment = segment->next)
    {
        if (segment->next->timer.GetTime() > lifeTime)
        {
            ReleaseSegments(segment->next);
            segment->next = nullptr;
            return;
        }
    }
}

int ERibbon::SegmentCount() const
{
    int count = 0;
    for (const FXRibbonSegment* segment = segments; segment != nullptr; segment = segment->next)
        ++count;
    return count;
}

int ERibbon::SubdivisionsPerSpan() const
{
    const float lod = owner->lod;
    float n = def->segmentsBetween;
    if (lod == 0.0f)
        n = def->lodSegmentsBetween;
    else if (lod != 1.0f)
        n = (1.0f - lod) * def->lodSegmentsBetween + lod * def->segmentsBetween;
    if (std::isnan(n) || n < 1.0f)
        return 0;
    // More pairs than the batch holds could never be drawn.
    if (n >= static_cast<float>(kFXMaxDrawVertices))
        return kFXMaxDrawVertices;
    return static_cast<int>(n);
}

FXRibbonControlPoint ERibbon::ControlPoint(const FXRibbonSegment& segment, float v)
{
    FXRibbonControlPoint point;
    const float a = segment.timer.GetTime();
    const float w = widthAdd + cursors[kFXRibbonWidth].GetVatT(a);
    point.left = segment.position - segment.axis * w;
    point.right = segment.position + segment.axis * w;
    point.red = cursors[kFXRibbonRed].GetVatT(a) * 255.0f;
    point.green = cursors[kFXRibbonGreen].GetVatT(a) * 255.0f;
    point.blue = cursors[kFXRibbonBlue].GetVatT(a) * 255.0f;
    point.alpha = owner->GetFade() * 255.0f * cursors[kFXRibbonAlpha].GetVatT(a);
    point.v = v;
    point.age = a;
    return point;
}

// Fills points[1..n] from the newest segment on and the two ends; returns n.
int ERibbon::BuildControlPoints()
{
    FXRibbonControlPoint* points = State().points.get();
    int n = 0;
    for (const FXRibbonSegment* segment = segments; segment != nullptr && n < kFXMaxRibbonSegments;
         segment = segment->next, ++n)
        points[n + 1] = ControlPoint(*segment, scroll + static_cast<float>(n) * def->textureUseLength);
    if (n >= 2)
    {
        points[0] = Extrapolated(points[1], points[2]);
        points[n + 1] = Extrapolated(points[n], points[n - 1]);
    }
    return n;
}

void ERibbon::Render(const Mat4& /*instanceMatrix*/)
{
    FXDrawBatch* batch = FXGetDrawBatch();
    if (batch == nullptr || segments == nullptr || segments->next == nullptr)
        return;
    batch->BeginItem(def->texture, def->blend);
    batch->SetStrip(true);
    const int subdivisions = SubdivisionsPerSpan();
    const int n = BuildControlPoints();
    const FXRibbonControlPoint* points = State().points.get();
    const float vStep = subdivisions > 0 ? def->textureUseLength / static_cast<float>(subdivisions) : 0.0f;
    AddPointPair(*batch, points[1]);
    for (int k = 1; k < n; ++k)
    {
        if (!AddSpan(*batch, points + k - 1, subdivisions, vStep))
            break;
        AddPointPair(*batch, points[k + 1]);
    }
    batch->EndItem();
}

int FXFreeRibbonSegmentCount()
{
    return State().segments.FreeCount();
}

void ERibbonInstallPool()
{
    static RibbonPool pool;
    FXSetElementPool(kFXRibbon, &pool);
}
