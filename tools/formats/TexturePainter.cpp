#include "tools/formats/TexturePainter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr float kTwoPi = 6.2831853f;

struct Colour
{
    float r, g, b, a = 1.0f;
};

Colour Mix(const Colour& a, const Colour& b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour Scale(const Colour& c, float k)
{
    return {c.r * k, c.g * k, c.b * k, c.a};
}

float Smooth(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float Hash(int x, int y, int seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFFFF) / float(0xFFFFFF);
}

int Wrap(int i, int period)
{
    return ((i % period) + period) % period;
}

// Value noise on a lattice of `cells` across the unit square, wrapping at its
// edges so the texture tiles.
float Noise(float u, float v, int cells, int seed)
{
    const float x = u * float(cells), y = v * float(cells);
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = Smooth(0, 1, x - float(x0)), fy = Smooth(0, 1, y - float(y0));
    const auto at = [&](int dx, int dy) { return Hash(Wrap(x0 + dx, cells), Wrap(y0 + dy, cells), seed); };
    const float top = at(0, 0) + (at(1, 0) - at(0, 0)) * fx;
    const float bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * fx;
    return top + (bottom - top) * fy;
}

// Octaves of noise, each twice as fine and half as strong: 0 to 1.
float Fbm(float u, float v, int cells, int octaves, int seed)
{
    float sum = 0, weight = 0.5f, total = 0;
    for (int o = 0; o < octaves; ++o)
    {
        sum += Noise(u, v, cells << o, seed + o * 17) * weight;
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

// Thin dark lines where the noise crosses its middle: cracks and ripples.
float Ridge(float u, float v, int cells, int seed)
{
    return 1.0f - std::fabs(Fbm(u, v, cells, 3, seed) * 2.0f - 1.0f);
}

float Frac(float x)
{
    return x - std::floor(x);
}

Colour Grass(float u, float v)
{
    const Colour dark{0.16f, 0.36f, 0.12f}, light{0.42f, 0.66f, 0.24f}, earth{0.45f, 0.35f, 0.2f};
    const float patches = Fbm(u, v, 4, 4, 1);
    const float blades = Noise(u * 1.0f, v, 64, 2) * 0.6f + Noise(u, v, 32, 3) * 0.4f;
    Colour c = Mix(dark, light, patches * 0.8f + blades * 0.5f - 0.15f);
    c = Mix(c, earth, Smooth(0.32f, 0.22f, patches) * 0.7f);
    // A scatter of flowers.
    if (Hash(int(u * 48), int(v * 48), 9) > 0.985f)
        c = Hash(int(u * 48), int(v * 48), 10) > 0.5f ? Colour{0.95f, 0.9f, 0.4f} : Colour{0.95f, 0.95f, 0.95f};
    return c;
}

Colour Field(float u, float v)
{
    const Colour wheat{0.86f, 0.7f, 0.32f}, furrow{0.5f, 0.36f, 0.18f};
    const float rows = 0.5f + 0.5f * std::sin((v * 12.0f + Fbm(u, v, 4, 2, 5) * 0.6f) * kTwoPi);
    const float grain = Noise(u, v, 64, 6);
    Colour c = Mix(furrow, wheat, Smooth(0.15f, 0.55f, rows) * (0.75f + 0.35f * grain));
    return Scale(c, 0.85f + 0.3f * Fbm(u, v, 4, 3, 7));
}

Colour Hedge(float u, float v)
{
    const Colour shade{0.07f, 0.2f, 0.07f}, leaf{0.25f, 0.5f, 0.18f};
    const float leaves = Noise(u, v, 32, 11) * 0.5f + Noise(u, v, 16, 12) * 0.3f + Noise(u, v, 64, 13) * 0.2f;
    return Mix(shade, leaf, Smooth(0.3f, 0.75f, leaves));
}

Colour Earth(float u, float v)
{
    const Colour dark{0.3f, 0.2f, 0.12f}, light{0.58f, 0.44f, 0.28f};
    Colour c = Mix(dark, light, Fbm(u, v, 4, 5, 21));
    if (Noise(u, v, 48, 22) > 0.82f) // pebbles
        c = Mix(c, Colour{0.65f, 0.62f, 0.58f}, 0.7f);
    return c;
}

Colour Rock(float u, float v)
{
    const Colour dark{0.3f, 0.29f, 0.28f}, light{0.66f, 0.64f, 0.6f}, moss{0.3f, 0.42f, 0.18f};
    const float body = Fbm(u, v, 8, 5, 31);
    Colour c = Mix(dark, light, body * 1.2f - 0.1f + 0.15f * Noise(u, v, 64, 34));
    c = Scale(c, 1.0f - 0.45f * Smooth(0.94f, 0.99f, Ridge(u, v, 16, 32)));
    return Mix(c, moss, Smooth(0.6f, 0.75f, Fbm(u, v, 3, 3, 33)) * 0.6f);
}

Colour Water(float u, float v)
{
    const Colour deep{0.05f, 0.2f, 0.4f}, shallow{0.15f, 0.45f, 0.65f}, foam{0.8f, 0.9f, 0.95f};
    const float warp = Fbm(u, v, 4, 3, 41);
    const float waves = 0.5f + 0.5f * std::sin((v * 8.0f + warp * 1.5f) * kTwoPi);
    Colour c = Mix(deep, shallow, waves * 0.6f + Fbm(u, v, 2, 3, 42) * 0.4f);
    return Mix(c, foam, Smooth(0.93f, 0.99f, Ridge(u, v, 8, 43)) * 0.8f);
}

// Horizontal planks, each of its own shade, with grain and dark gaps.
Colour Wood(float u, float v)
{
    const int planks = 6;
    const int plank = int(v * planks);
    const float across = Frac(v * planks);
    const Colour dark{0.33f, 0.2f, 0.1f}, light{0.62f, 0.42f, 0.24f};
    const float grain =
        0.5f + 0.5f * std::sin((u * 3.0f + Fbm(u, v, 4, 3, 50 + plank) * 2.0f + float(plank) * 0.37f) * kTwoPi * 4.0f);
    Colour c = Mix(dark, light, 0.35f + 0.4f * grain * Hash(plank, 0, 51) + 0.25f * Hash(plank, 1, 52));
    const float gap = Smooth(0.0f, 0.06f, across) * Smooth(1.0f, 0.94f, across);
    return Scale(c, 0.35f + 0.65f * gap);
}

// Overlapping rounded shapes in offset rows, each row's lower edge over the
// next: roof tiles (`round` small) or scales (`round` large).
Colour Overlap(float u, float v, int columns, int rows, const Colour& low, const Colour& high, const Colour& rim,
               int seed)
{
    const int row = int(v * rows);
    const float shift = (row & 1) ? 0.5f : 0.0f;
    const float x = u * columns + shift;
    const int column = int(std::floor(x));
    const float lx = Frac(x) - 0.5f, ly = Frac(v * rows);
    // Distance from the shape's bottom arc: 1 at its rim.
    const float arc = std::sqrt(lx * lx * 4.0f + (ly - 0.1f) * (ly - 0.1f) * 1.1f);
    const float tint = Hash(Wrap(column, columns), row, seed);
    Colour c = Mix(low, high, 0.3f + 0.7f * ly * (0.6f + 0.4f * tint));
    c = Mix(c, rim, Smooth(0.82f, 0.98f, arc));
    c = Scale(c, 0.85f + 0.3f * Noise(u, v, 32, seed + 1));
    return c;
}

Colour Roof(float u, float v)
{
    return Overlap(u, v, 8, 8, {0.45f, 0.12f, 0.08f}, {0.78f, 0.32f, 0.18f}, {0.22f, 0.06f, 0.04f}, 60);
}

Colour Scales(float u, float v)
{
    return Overlap(u, v, 8, 8, {0.28f, 0.06f, 0.05f}, {0.72f, 0.2f, 0.1f}, {0.95f, 0.65f, 0.2f}, 70);
}

// Blocks of grey stone in courses, each its own shade, with mortar between.
Colour Stone(float u, float v)
{
    const int courses = 8, blocks = 4;
    const int course = int(v * courses);
    const float x = u * blocks + ((course & 1) ? 0.5f : 0.0f);
    const int block = int(std::floor(x));
    const float lx = Frac(x), ly = Frac(v * courses);
    const float tint = Hash(Wrap(block, blocks), course, 80);
    const Colour dark{0.36f, 0.35f, 0.34f}, light{0.7f, 0.68f, 0.62f}, mortar{0.22f, 0.21f, 0.2f};
    Colour c = Mix(dark, light, 0.25f + 0.45f * tint + 0.4f * Fbm(u, v, 8, 3, 81) - 0.2f);
    const float edge = std::min({lx * 6.0f, (1.0f - lx) * 6.0f, ly * 3.0f, (1.0f - ly) * 3.0f});
    return Mix(mortar, c, Smooth(0.05f, 0.2f, edge));
}

// Cream plaster held in a frame of dark timbers with a brace.
Colour Timbered(float u, float v)
{
    const Colour plaster{0.88f, 0.82f, 0.68f}, timber{0.3f, 0.19f, 0.1f};
    Colour c = Scale(plaster, 0.85f + 0.2f * Fbm(u, v, 8, 3, 90));
    const float post = std::min({std::fabs(u - 0.03f), std::fabs(u - 0.5f), std::fabs(u - 0.97f)});
    const float beam = std::min({std::fabs(v - 0.03f), std::fabs(v - 0.5f), std::fabs(v - 0.97f)});
    const float brace = std::fabs((u - 0.03f) - (v - 0.5f) * 0.94f);
    const bool braced = u < 0.5f && v > 0.5f;
    if (post < 0.035f || beam < 0.03f || (braced && brace < 0.03f))
        c = Scale(timber, 0.8f + 0.4f * Noise(u, v, 32, 91));
    return c;
}

Colour Canvas(float u, float v)
{
    const Colour cloth{0.9f, 0.88f, 0.8f};
    const float weave = 0.9f + 0.1f * std::sin(u * kTwoPi * 32.0f) * std::sin(v * kTwoPi * 32.0f);
    const float seam = std::fabs(Frac(v * 4.0f) - 0.5f) > 0.47f ? 0.7f : 1.0f;
    return Scale(cloth, weave * seam * (0.9f + 0.1f * Noise(u, v, 8, 100)));
}

Colour Metal(float u, float v)
{
    const Colour steel{0.55f, 0.58f, 0.64f}, bright{0.9f, 0.92f, 0.95f};
    const float brushed = Noise(u, v * 0.1f, 64, 110) * 0.3f + Fbm(u, v, 4, 3, 111) * 0.7f;
    return Mix(steel, bright, brushed);
}

// A wing's skin: dark red, lighter between the veins that fan from the arm.
Colour Membrane(float u, float v)
{
    const Colour skin{0.42f, 0.1f, 0.08f}, light{0.7f, 0.28f, 0.15f}, vein{0.2f, 0.04f, 0.03f};
    Colour c = Mix(skin, light, Fbm(u, v, 4, 3, 125) * 0.8f + v * 0.3f);
    const float veins = std::fabs(Frac(u * 3.0f + v * 0.6f) - 0.5f);
    return Mix(c, vein, Smooth(0.44f, 0.49f, veins) * 0.7f);
}

// A bright crystal with facet streaks, drawn by the glowing effect's model.
Colour Crystal(float u, float v)
{
    const Colour core{0.45f, 0.95f, 1.0f}, edge{0.8f, 1.0f, 1.0f};
    const float facets = Frac((u + v * 0.3f) * 4.0f);
    return Mix(core, edge, Smooth(0.7f, 1.0f, facets) + 0.3f * Fbm(u, v, 4, 2, 120));
}

// The tabard over the knight's armour: blue with a gold cross.
Colour Tabard(float u, float v)
{
    const bool cross = std::fabs(u - 0.5f) < 0.08f || std::fabs(v - 0.4f) < 0.08f;
    const Colour cloth = cross ? Colour{0.95f, 0.78f, 0.2f} : Colour{0.12f, 0.2f, 0.6f};
    return Scale(cloth, 0.85f + 0.2f * Noise(u, v, 16, 130));
}

// Inside an ellipse centred on (cx, cy) with half-axes rx, ry: 1 at the
// centre, 0 on the rim, negative outside.
float Ellipse(float x, float y, float cx, float cy, float rx, float ry)
{
    const float dx = (x - cx) / rx, dy = (y - cy) / ry;
    return 1.0f - std::sqrt(dx * dx + dy * dy);
}

// Inside the triangle a, b, c (any winding).
bool InTriangle(float x, float y, const float a[2], const float b[2], const float c[2])
{
    const auto side = [&](const float p[2], const float q[2]) {
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0]);
    };
    const float s0 = side(a, b), s1 = side(b, c), s2 = side(c, a);
    return (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0);
}

// The dragon's head in profile, facing right, inside a gold frame.
Colour Portrait(float x, float y)
{
    const Colour frame{0.85f, 0.65f, 0.2f};
    if (x < 0.05f || x > 0.95f || y < 0.05f || y > 0.95f)
        return Scale(frame, 0.75f + 0.35f * Noise(x, y, 16, 140));
    Colour c = Mix(Colour{0.35f, 0.2f, 0.45f}, Colour{0.08f, 0.06f, 0.18f}, y);
    const float horn1[3][2] = {{0.36f, 0.34f}, {0.5f, 0.3f}, {0.2f, 0.1f}};
    const float horn2[3][2] = {{0.3f, 0.4f}, {0.4f, 0.36f}, {0.12f, 0.2f}};
    if (InTriangle(x, y, horn1[0], horn1[1], horn1[2]) || InTriangle(x, y, horn2[0], horn2[1], horn2[2]))
        c = Mix(Colour{0.95f, 0.9f, 0.75f}, Colour{0.6f, 0.55f, 0.45f}, (0.4f - y) * 3.0f);
    const float head = std::max({Ellipse(x, y, 0.42f, 0.45f, 0.18f, 0.15f), Ellipse(x, y, 0.64f, 0.52f, 0.22f, 0.09f),
                                 Ellipse(x, y, 0.32f, 0.72f, 0.12f, 0.28f)});
    const float jaw = Ellipse(x, y, 0.6f, 0.62f, 0.2f, 0.05f);
    if (head > 0 || jaw > 0)
    {
        const float body = std::max(head, jaw);
        c = Mix(Colour{0.4f, 0.06f, 0.04f}, Colour{0.85f, 0.25f, 0.12f}, body * 2.0f + 0.2f - (y - 0.4f));
        c = Scale(c, 0.8f + 0.4f * Overlap(x, y, 12, 12, {0.5f, 0.5f, 0.5f}, {1, 1, 1}, {0.3f, 0.3f, 0.3f}, 141).r);
        if (body < 0.08f)
            c = Scale(c, 0.35f); // outline
    }
    const float eye = Ellipse(x, y, 0.5f, 0.42f, 0.045f, 0.03f);
    if (eye > 0)
        c = std::fabs(x - 0.5f) < 0.008f ? Colour{0.05f, 0.02f, 0.0f} : Colour{1.0f, 0.85f, 0.15f};
    if (Ellipse(x, y, 0.82f, 0.49f, 0.012f, 0.01f) > 0)
        c = Colour{0.1f, 0.02f, 0.02f}; // nostril
    const float tooth[3][2] = {{0.7f, 0.57f}, {0.74f, 0.57f}, {0.72f, 0.62f}};
    if (InTriangle(x, y, tooth[0], tooth[1], tooth[2]))
        c = Colour{0.98f, 0.96f, 0.9f};
    // A wisp of flame from the mouth.
    const float flame = Ellipse(x, y, 0.93f, 0.57f, 0.1f, 0.04f);
    if (flame > 0 && x < 0.95f)
        c = Mix(Colour{1.0f, 0.5f, 0.1f}, Colour{1.0f, 0.95f, 0.5f}, flame * 2.0f);
    return c;
}

using Painter = Colour (*)(float u, float v);

struct NamedPainter
{
    const char* name;
    Painter paint;
};

const NamedPainter kPainters[] = {
    {"grass", Grass},   {"field", Field},     {"hedge", Hedge},   {"earth", Earth},       {"rock", Rock},
    {"water", Water},   {"wood", Wood},       {"roof", Roof},     {"scales", Scales},     {"stone", Stone},
    {"walls", Timbered}, {"canvas", Canvas},  {"metal", Metal},   {"crystal", Crystal},   {"tabard", Tabard},
    {"membrane", Membrane}, {"portrait", Portrait},
};

uint8_t Byte(float value)
{
    return uint8_t(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}
} // namespace

bool TexturePaint(const char* pattern, uint32_t width, uint32_t height, std::vector<uint8_t>& rgba)
{
    for (const NamedPainter& painter : kPainters)
    {
        if (strcmp(painter.name, pattern) != 0)
            continue;
        rgba.assign(size_t(width) * height * 4, 255);
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
            {
                const Colour c = painter.paint((float(x) + 0.5f) / float(width), (float(y) + 0.5f) / float(height));
                uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
                p[0] = Byte(c.r);
                p[1] = Byte(c.g);
                p[2] = Byte(c.b);
                p[3] = Byte(c.a);
            }
        return true;
    }
    return false;
}
