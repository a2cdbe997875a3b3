#include "FrontendDrawTest.h"

#include "core/FileTable.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ShaderProgram.h"
#include "opengl/TextureBuiltins.h"
#include "tests/opengl/ShippedShaders.h"

#include <GL/glew.h>

void FrontendDrawTest::SetUp()
{
    GLDrawTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    {
        ShippedShaders shaders;
        m_hud = shaders.Load("hud");
    }
    ASSERT_NE(m_hud, nullptr) << m_reports.Text();
    ShaderBind(m_hud);
    TextureBuiltinsCreate();
    GLOrtho(0.0f, float(kGLTestWidth), float(kGLTestHeight), 0.0f, -1.0f, 1.0f);
    GLLoadMatrix(Mat4Identity());
    // As the overlay draws.
    GLBlendAlpha();
    ASSERT_TRUE(m_dir.MakeFolder("data"));
    Mount();
}

void FrontendDrawTest::TearDown()
{
    if (!IsSkipped())
    {
        TextureBuiltinsDestroy();
        ShaderBind(nullptr);
        ShaderRelease(m_hud);
    }
    FileTableRebuild("no such folder");
    GLDrawTest::TearDown();
}

void FrontendDrawTest::Mount()
{
    FileTableMountDataTree(m_dir.Root().c_str());
}

void FrontendDrawTest::WriteFont(const std::string& relative, const FontWriterFont& font)
{
    const std::string path = m_dir.PathOf("data/" + relative);
    const std::string folder = path.substr(0, path.rfind('/'));
    ASSERT_TRUE(m_dir.MakeFolder(folder.substr(m_dir.Path().size() + 1)));
    ASSERT_TRUE(FontWriteFiles(font, folder, path.substr(path.rfind('/') + 1)));
    Mount();
}

void FrontendDrawTest::WriteData(const std::string& relative, const std::string& text)
{
    ASSERT_TRUE(m_dir.WriteFile("data/" + relative, text));
    Mount();
}

void FrontendDrawTest::Clear()
{
    PrimFlush();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
}

void FrontendDrawTest::Capture()
{
    m_pixels = GLTestReadPixels();
}

Rgba FrontendDrawTest::Pixel(int x, int y) const
{
    const size_t at = (size_t(kGLTestHeight - 1 - y) * kGLTestWidth + size_t(x)) * 4;
    return {m_pixels[at], m_pixels[at + 1], m_pixels[at + 2], m_pixels[at + 3]};
}

int FrontendDrawTest::LitIn(int x0, int y0, int x1, int y1) const
{
    int lit = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            lit += Lit(x, y) ? 1 : 0;
    return lit;
}
