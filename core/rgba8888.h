#pragma once
// A colour of four bytes, as the front end and the console store them.

#include <cstdint>

struct rgba8888
{
    uint8_t r, g, b, a;

    rgba8888() = default;
    constexpr rgba8888(uint8_t r_, uint8_t g_, uint8_t b_, uint8_t a_) : r(r_), g(g_), b(b_), a(a_) {}
};

static_assert(sizeof(rgba8888) == 4, "colours are stored and uploaded as four bytes");
