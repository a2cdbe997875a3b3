#pragma once
// Four floats: colours, shader uniforms, planes (a, b, c, d) and spheres
// (centre x, y, z, radius).

struct Vec4
{
    float x, y, z, w;

    Vec4() = default;
    constexpr Vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};

inline void Vec4Set(Vec4& v, float x, float y, float z, float w)
{
    v = Vec4(x, y, z, w);
}
