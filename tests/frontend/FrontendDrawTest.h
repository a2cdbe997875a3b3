#pragma once
// Drawing tests of the front end: a GL context with the "hud" program bound,
// the built-in textures, an orthographic space of pixels with y down, and a
// data tree in a temporary folder for fonts and screens.

#include "support/TempDir.h"
#include "support/gl/GLDrawTest.h"
#include "tools/formats/FontWriter.h"

#include <cstdint>
#include <string>
#include <vector>

struct ShaderProgram;

struct Rgba
{
    uint8_t r, g, b, a;
};

class FrontendDrawTest : public GLDrawTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes data/<relative>.fnt and its page, then mounts the tree again.
    void WriteFont(const std::string& relative, const FontWriterFont& font);
    void WriteData(const std::string& relative, const std::string& text);
    void Mount();

    void Clear();
    // Reads the frame back; probes then index it with y down from the top.
    void Capture();
    Rgba Pixel(int x, int y) const;
    bool Lit(int x, int y) const
    {
        const Rgba p = Pixel(x, y);
        return p.r > 128 || p.g > 128 || p.b > 128;
    }
    // Lit pixels inside the rectangle [x0, x1) x [y0, y1).
    int LitIn(int x0, int y0, int x1, int y1) const;

    TempDir m_dir;
    ShaderProgram* m_hud = nullptr;
    std::vector<uint8_t> m_pixels;
};
