#include "RenderFixture.h"

#include "core/FileTable.h"
#include "core/FolderListing.h"
#include "core/pd_ifstream.h"
#include "cross/Render.h"
#include "opengl/GLCaps.h"
#include "opengl/ImageLoader.h"
#include "opengl/Screenshot.h"
#include "opengl/ShippedShaders.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"
#include "support/DisplayTestSupport.h"

#include <cstdlib>

RenderSystemTest::RenderSystemTest() = default;
RenderSystemTest::~RenderSystemTest() = default;

void RenderSystemTest::StopRenderer()
{
    if (m_started)
        RenderShutdown();
    m_started = false;
    DestroyMainWindow();
}

void RenderSystemTest::SetUp()
{
    if (!DisplayAvailable())
        GTEST_SKIP() << "no display";
    // llvmpipe's rendering threads, ended at exit while the leak checker
    // stops the world, now and then crash its tracer.
    setenv("LP_NUM_THREADS", "0", 0);
    GetFileTable().SetRoot(m_temp.Root().c_str());
    m_shaders = std::make_unique<ShippedShaders>();
}

void RenderSystemTest::TearDown()
{
    if (m_started)
        RenderShutdown();
    if (!IsSkipped())
        DestroyMainWindow();
    RenderSetHooks(RenderHooks());
    RenderSetAmbientOcclusion(true);
    CommandLineSet("");
    GLCapsReset();
    m_shaders.reset();
    GetFileTable().SetRoot("");
}

bool RenderSystemTest::StartRenderer(const char* commandLine, bool vertexArrays)
{
    if (!CreateMainWindow(true))
        return false;
    CommandLineSet(commandLine);
    GLCapsReset();
    GLCapsSetClient(kGLCapVertexArrayObjects, vertexArrays);
    m_started = InitializeRenderSystem();
    return m_started;
}

bool RenderSystemTest::StartRendererAt(bool deferred, bool vertexArrays)
{
    RenderSetAmbientOcclusion(deferred);
    return StartRenderer("-windowed -rsize 256 144", vertexArrays);
}

std::vector<std::string> RenderSystemTest::ScreenshotFiles() const
{
    std::vector<FolderItem> items;
    std::vector<std::string> names;
    ListFolder(m_temp.Path().c_str(), items);
    for (const FolderItem& item : items)
        if (item.name.rfind("screenshot ", 0) == 0)
            names.push_back(item.name);
    return names;
}

std::unique_ptr<Image> RenderSystemTest::RenderFrame(float frameTime)
{
    for (const std::string& name : ScreenshotFiles())
        remove(m_temp.PathOf(name).c_str());
    ScreenshotRequest(true);
    RenderAll(frameTime);
    const std::vector<std::string> files = ScreenshotFiles();
    if (files.size() != 1)
        return nullptr;
    return std::unique_ptr<Image>(ImageLoader::new_MemoryImage(files[0].c_str(), kOpenRoot));
}

Pixel PixelAt(const Image& image, int x, int y)
{
    const uint32_t bytes = Image::BytesPerPixel(image.format);
    const uint8_t* p = image.pixels + (size_t(y) * image.width + size_t(x)) * bytes;
    if (image.format == kImageFormatBGR || image.format == kImageFormatBGRA)
        return Pixel{p[2], p[1], p[0]};
    return Pixel{p[0], p[1], p[2]};
}
