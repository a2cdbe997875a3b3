#include "opengl/GLCaps.h"

#include "support/gl/GLTestContext.h"
#include "core/FileTable.h"
#include "opengl/GLInfoLog.h"
#include "platform/Display.h"
#include "platform/Shell.h"
#include "support/DisplayTestSupport.h"
#include "support/TempDir.h"

#include <GL/glew.h>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <unistd.h>

namespace
{
const char* const kAllExtensions =
    "GL_ARB_multitexture GL_EXT_framebuffer_object GL_EXT_packed_depth_stencil "
    "GL_ARB_texture_non_power_of_two GL_ARB_vertex_array_object";

struct DecisionCase
{
    const char* what;
    const char* version;
    const char* extensions;
    bool wimpy;
    int deferred;
    int vertexArrays;
};

const DecisionCase kDecisionCases[] = {
    {"modern driver", "4.5 (Compatibility Profile) Mesa 22.3.6", kAllExtensions, false, 1, 1},
    {"exactly 3.0", "3.0 Mesa", kAllExtensions, false, 1, 1},
    {"two-digit major version", "10.0", kAllExtensions, false, 1, 1},
    {"version 2.1 with every extension", "2.1 Mesa 22.3.6", kAllExtensions, false, 0, 0},
    {"wimpy", "4.5", kAllExtensions, true, 0, 0},
    {"no vertex array objects", "3.3",
     "GL_EXT_framebuffer_object GL_EXT_packed_depth_stencil GL_ARB_texture_non_power_of_two", false, 1, 0},
    {"no packed depth-stencil", "3.3",
     "GL_EXT_framebuffer_object GL_ARB_texture_non_power_of_two GL_ARB_vertex_array_object", false, 0, 1},
    {"names that only begin like the wanted ones", "4.5",
     "GL_EXT_framebuffer_objectX GL_EXT_packed_depth_stencil GL_ARB_texture_non_power_of_two_extra "
     "GL_ARB_vertex_array_object2",
     false, 0, 0},
    {"names that only end like the wanted ones", "4.5", "XGL_ARB_vertex_array_object", false, 0, 0},
    {"null extension string", "4.5", nullptr, false, 0, 0},
    {"null version string", nullptr, kAllExtensions, false, 0, 0},
    {"empty strings", "", "", false, 0, 0},
};

void PrintTo(const DecisionCase& c, std::ostream* out)
{
    *out << c.what;
}

class GLCapsDecision : public testing::TestWithParam<DecisionCase>
{
};

TEST_P(GLCapsDecision, FollowsVersionExtensionsAndWimpy)
{
    const DecisionCase& c = GetParam();
    uint8_t hardware[kGLCapCount] = {9, 9};
    GLCapsDecide(c.version, c.extensions, c.wimpy, hardware);
    EXPECT_EQ(hardware[kGLCapDeferred], c.deferred) << c.what;
    EXPECT_EQ(hardware[kGLCapVertexArrayObjects], c.vertexArrays) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Drivers, GLCapsDecision, testing::ValuesIn(kDecisionCases));

// A data root of its own, so "tolvanGFX.log" lands where the test reads it.
class TemporaryRoot
{
public:
    TemporaryRoot()
    {
        FileWatchInit(m_folder.Path().c_str());
        GLInfoLogOpen();
    }
    ~TemporaryRoot()
    {
        GLInfoLogClose();
        FileWatchInit("");
    }
    std::string Log() const { return m_folder.ReadFile("tolvanGFX.log"); }

private:
    TempDir m_folder;
};

class GLCapsOnDriver : public GLContextTest
{
protected:
    void SetUp() override
    {
        GLCapsReset();
        GLContextTest::SetUp();
    }
    void TearDown() override
    {
        GLCapsReset();
        GLContextTest::TearDown();
    }
};

const char* const kDeferredUsed =
    "Using Frame buffer/SSAO/deferredlighting: hardware does, client does (default) \n";
const char* const kVertexArraysUsed =
    "Using Vertex array objects/default vertex attributes: hardware does, client does (default) \n";
const char* const kDeferredUnused =
    "Not using Frame buffer/SSAO/deferredlighting: hardware does not, client does (default) \n";
const char* const kVertexArraysUnused =
    "Not using Vertex array objects/default vertex attributes: hardware does not, client does (default) \n";

// Creates a context in a fresh process with the given environment and prints
// what the capability rows came to, for the parent to match.
void ReportCapsUnder(const char* name, const char* value)
{
    setenv(name, value, 1);
    if (!CreateMainWindow(true) || !DisplayCreate(64, 64, nullptr))
        _exit(2);
    GLCapsInit();
    fprintf(stderr, "deferred %d vertex arrays %d\n", GLCapsUsable(kGLCapDeferred) ? 1 : 0,
            GLCapsUsable(kGLCapVertexArrayObjects) ? 1 : 0);
    fflush(stderr);
    _exit(0);
}
} // namespace

TEST(GLCaps, VersionNumberIsTheLeadingDecimal)
{
    EXPECT_DOUBLE_EQ(GLVersionNumber("4.5 (Compatibility Profile) Mesa 22.3.6"), 4.5);
    EXPECT_DOUBLE_EQ(GLVersionNumber("2.1"), 2.1);
    EXPECT_DOUBLE_EQ(GLVersionNumber("3"), 3.0);
    EXPECT_DOUBLE_EQ(GLVersionNumber("OpenGL ES 3.2"), 0.0);
    EXPECT_DOUBLE_EQ(GLVersionNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(GLVersionNumber(nullptr), 0.0);
}

TEST(GLCaps, UsableNeedsBothFlagsAndIndexesOutsideTheTableAreNever)
{
    GLCapsReset();
    EXPECT_FALSE(GLCapsUsable(kGLCapDeferred));
    GLCapsSetClient(kGLCapDeferred, false);
    EXPECT_EQ(GLCapsRow(kGLCapDeferred).client, 0);
    EXPECT_FALSE(GLCapsUsable(-1));
    EXPECT_FALSE(GLCapsUsable(kGLCapCount));
    EXPECT_FALSE(GLCapsIsSupported(kGLCapCount));
    GLCapsSetClient(kGLCapCount, true);
    GLCapsReset();
}

TEST_F(GLCapsOnDriver, InitWritesTheDriverStringsAndTheRows)
{
    TemporaryRoot root;
    GLCapsInit();
    const std::string log = root.Log();
    const char* const labels[] = {"\nGL_VENDOR\t\t\t\t\t\n", "\nGL_RENDERER\t\t\t\t\n",
                                  "\nGL_VERSION\t\t\t\t\t\n", "\nGL_SHADING_LANGUAGE_VERSION\n",
                                  "\nGL_EXTENSIONS\t\t\t\t\n"};
    size_t at = 0;
    for (const char* label : labels)
    {
        const size_t found = log.find(label, at);
        ASSERT_NE(found, std::string::npos) << label;
        at = found;
    }
    const std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    EXPECT_NE(log.find("\nGL_VERSION\t\t\t\t\t\n" + version + "\n"), std::string::npos);

    // llvmpipe offers every path, so both rows are in use.
    EXPECT_TRUE(GLCapsUsable(kGLCapDeferred));
    EXPECT_TRUE(GLCapsUsable(kGLCapVertexArrayObjects));
    EXPECT_NE(log.find(std::string(kDeferredUsed) + kVertexArraysUsed), std::string::npos) << log;
}

TEST_F(GLCapsOnDriver, WimpyModeUsesNeitherPath)
{
    TemporaryRoot root;
    GLCapsSetWimpy();
    GLCapsInit();
    EXPECT_FALSE(GLCapsUsable(kGLCapDeferred));
    EXPECT_FALSE(GLCapsIsSupported(kGLCapVertexArrayObjects));
    EXPECT_NE(root.Log().find(std::string("Using wimpy mode") + kDeferredUnused + kVertexArraysUnused),
              std::string::npos)
        << root.Log();
}

TEST_F(GLCapsOnDriver, RowsAreComputedOnceARun)
{
    TemporaryRoot root;
    GLCapsInit();
    GLCapsSetWimpy();
    GLCapsInit();
    EXPECT_TRUE(GLCapsUsable(kGLCapDeferred));
}

// Mesa drops more than the named extension here (the framebuffer ones go
// too), so only the vertex-array row is certain.
TEST(GLCapsFrameShape, DriverWithoutVertexArrayObjectsGetsTheirEmulation)
{
    if (!DisplayAvailable())
        GTEST_SKIP() << "no display";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ReportCapsUnder("MESA_EXTENSION_OVERRIDE", "-GL_ARB_vertex_array_object"),
                testing::ExitedWithCode(0), "deferred [01] vertex arrays 0");
}

TEST(GLCapsFrameShape, Version21DriverGetsTheForwardFrame)
{
    if (!DisplayAvailable())
        GTEST_SKIP() << "no display";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ReportCapsUnder("MESA_GL_VERSION_OVERRIDE", "2.1"), testing::ExitedWithCode(0),
                "deferred 0 vertex arrays 0");
}
