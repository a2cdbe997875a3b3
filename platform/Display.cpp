#include "platform/Display.h"

#include "core/Clock.h"
#include "core/LogError.h"
#include "platform/DisplayMode.h"
#include "platform/Shell.h"

#include <GL/glew.h>
#include <SDL.h>

#if defined(__SANITIZE_ADDRESS__)
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#endif

namespace
{
#if defined(__SANITIZE_ADDRESS__)
// Built with the leak checker only. A DRI driver keeps heaps in its globals
// for the life of the process and never frees them (Mesa's executable-code
// heap: two blocks of 56 bytes); the window system unloads the driver when it
// stops, and at exit the checker then finds those heaps lost, with no module
// left to name them by. Held loaded, they stay reachable. Mesa's EGL, which
// SDL's offscreen window system loads, keeps its display list the same way.
int PinDriverModule(dl_phdr_info* module, size_t, void*)
{
    const char* name = module->dlpi_name;
    const size_t length = name ? strlen(name) : 0;
    const bool driver = length > 7 && strcmp(name + length - 7, "_dri.so") == 0;
    if (driver || (name && strstr(name, "/libEGL_mesa.so")))
        dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

void KeepGLDriverLoadedForTheLeakChecker()
{
    dl_iterate_phdr(PinDriverModule, nullptr);
}
#else
void KeepGLDriverLoadedForTheLeakChecker()
{
}
#endif

struct DisplayState
{
    SDL_GLContext context = nullptr;
    bool fullScreen = false;
    bool modeChanged = false;
    int width = 0;
    int height = 0;
    int swapInterval = 0;
    int screenWidth = 0;
    int screenHeight = 0;
};

DisplayState g_display;

constexpr int kFallbackScreenWidth = 1280;
constexpr int kFallbackScreenHeight = 720;

int DesktopBits()
{
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0)
    {
        EmptyFunction("PD Display: could not retrieve display information. EnumDisplayDevices failed.\n");
        return 32;
    }
    return static_cast<int>(SDL_BITSPERPIXEL(desktop.format));
}

// A refused attribute means the visual will not be what was asked for: say
// which one, since the context that follows may then fail far from the cause.
bool SetGLAttribute(SDL_GLattr attribute, int value, const char* what)
{
    if (SDL_GL_SetAttribute(attribute, value) == 0)
        return true;
    LogError("Pendrel Display could not set the OpenGL attribute %s to %d: %s\n", what, value,
             SDL_GetError());
    return false;
}

bool SetGLAttributes(const DisplayPixelFormat& format)
{
    SDL_GL_ResetAttributes();
    return SetGLAttribute(SDL_GL_RED_SIZE, format.red, "red size") &&
           SetGLAttribute(SDL_GL_GREEN_SIZE, format.green, "green size") &&
           SetGLAttribute(SDL_GL_BLUE_SIZE, format.blue, "blue size") &&
           SetGLAttribute(SDL_GL_ALPHA_SIZE, format.alpha, "alpha size") &&
           SetGLAttribute(SDL_GL_DEPTH_SIZE, format.depth, "depth size") &&
           SetGLAttribute(SDL_GL_STENCIL_SIZE, format.stencil, "stencil size") &&
           SetGLAttribute(SDL_GL_DOUBLEBUFFER, 1, "double buffer") &&
           SetGLAttribute(SDL_GL_MULTISAMPLEBUFFERS, format.samples > 0 ? 1 : 0, "multisample buffers") &&
           SetGLAttribute(SDL_GL_MULTISAMPLESAMPLES, format.samples, "multisample samples");
}

// The window's visual is fixed when it is made, so a new pixel format needs a
// new window. Destroying the only window must not end the program.
bool RecreateMainWindow()
{
    const bool quitWasAllowed = QuitAllowed();
    QuitDisallow();
    DestroyMainWindow();
    const bool created = CreateMainWindow(false);
    if (quitWasAllowed)
        QuitAllow();
    return created;
}

bool CreateSurface(const DisplayAttributes& attributes)
{
    const int desktopBits = DesktopBits();
    if (!SetGLAttributes(DisplayChoosePixelFormat(desktopBits, attributes.samples)))
        return false;
    if (attributes.samples == 0)
        return RecreateMainWindow();

    // A driver without multisampled visuals still gets a picture; the refused
    // first try is no error of anyone's.
    const LogErrorHandler handler = GetLogErrorHandler();
    SetLogErrorHandler(nullptr);
    const bool multisampled = RecreateMainWindow();
    SetLogErrorHandler(handler);
    if (multisampled)
        return true;
    EmptyFunction("Pendrel Display no visual with %d samples, trying without.\n", attributes.samples);
    return SetGLAttributes(DisplayChoosePixelFormat(desktopBits, 0)) && RecreateMainWindow();
}

void SizeWindow(SDL_Window* window, int width, int height)
{
    EmptyFunction("Pendrel Display setting window size %d x %d (client area %d x %d).\n", width, height,
                  width, height);
    SDL_SetWindowSize(window, width, height);
}

void EnterFullScreen(SDL_Window* window)
{
    EmptyFunction("Pendrel Display fullscreen.\n");
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, 0, 0);
    SizeWindow(window, g_display.width, g_display.height);
    g_display.modeChanged = ChangeScreenMode(g_display.width, g_display.height, 32);
}

const char* GLStringOrEmpty(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

// What the driver gave, which may differ from what was asked; an attribute
// it cannot tell is shown as -1 rather than as a plausible zero.
int GetGLAttribute(SDL_GLattr attribute)
{
    int value = 0;
    return SDL_GL_GetAttribute(attribute, &value) == 0 ? value : -1;
}

void DescribePixelFormat()
{
    EmptyFunction("Pendrel Display pixel format chosen: color %d (alpha %d), depth %d, stencil %d.\n",
                  GetGLAttribute(SDL_GL_RED_SIZE) + GetGLAttribute(SDL_GL_GREEN_SIZE) +
                      GetGLAttribute(SDL_GL_BLUE_SIZE),
                  GetGLAttribute(SDL_GL_ALPHA_SIZE), GetGLAttribute(SDL_GL_DEPTH_SIZE),
                  GetGLAttribute(SDL_GL_STENCIL_SIZE));
}

bool CreateContext(SDL_Window* window)
{
    EmptyFunction(
        "Pendrel Display creating a default OpenGL context (WGL_ARB_create_context unsupported).\n");
    g_display.context = SDL_GL_CreateContext(window);
    if (!g_display.context)
    {
        LogError("Pendrel Display could not create an OpenGL context: %s\n", SDL_GetError());
        return false;
    }
    if (SDL_GL_MakeCurrent(window, g_display.context) != 0)
    {
        LogError("Pendrel Display could not make the OpenGL context current: %s\n", SDL_GetError());
        return false;
    }
    // Pinned before the entry points load: a context they cannot load from
    // still brought its driver in.
    KeepGLDriverLoadedForTheLeakChecker();
    // The entry points beyond OpenGL 1.1 are loaded once the context is current.
    const GLenum loaded = glewInit();
    if (loaded != GLEW_OK)
    {
        const char* driver = SDL_GetCurrentVideoDriver();
        LogError("Pendrel Display could not load the OpenGL entry points: %s (GLEW error %u, window system %s)\n",
                 reinterpret_cast<const char*>(glewGetErrorString(loaded)), unsigned(loaded),
                 driver ? driver : "none");
        return false;
    }
    DescribePixelFormat();
    EmptyFunction("Pendrel Display using OpenGL version %s, %s, %s\n", GLStringOrEmpty(GL_VERSION),
                  GLStringOrEmpty(GL_VENDOR), GLStringOrEmpty(GL_RENDERER));
    return true;
}

void SetSwapInterval(int interval)
{
    g_display.swapInterval = 0;
    if (SDL_GL_SetSwapInterval(interval) == 0)
        g_display.swapInterval = interval;
    else
        EmptyFunction("Pendrel Display swap interval %d not offered: %s\n", interval, SDL_GetError());
}
} // namespace

DisplayAttributes DisplayReadAttributes(const uint32_t* list)
{
    DisplayAttributes attributes;
    for (const uint32_t* code = list; code && *code != kDisplayAttributeEnd; ++code)
    {
        if (*code == kDisplayAttributeFullScreen)
            attributes.fullScreen = true;
        else if (*code >= kDisplayAttributeSwapInterval &&
                 *code <= kDisplayAttributeSwapInterval + kDisplayMaxSwapInterval)
            attributes.swapInterval = static_cast<int>(*code - kDisplayAttributeSwapInterval);
        else if (*code == kDisplayAttributeMultisample)
        {
            ++code;
            if (*code == kDisplayAttributeEnd)
                break;
            attributes.samples = static_cast<int>(*code < kDisplayMaxSamples ? *code : kDisplayMaxSamples);
        }
    }
    return attributes;
}

DisplayPixelFormat DisplayChoosePixelFormat(int desktopBits, int samples)
{
    DisplayPixelFormat format;
    if (desktopBits == 16)
    {
        format.red = 5;
        format.green = 6;
        format.blue = 5;
        format.alpha = 0;
    }
    format.samples = samples > 0 ? samples : 0;
    return format;
}

bool DisplayCreate(int width, int height, const uint32_t* attributeList)
{
    if (g_display.context)
        DisplayDestroy();
    if (width <= 0 || height <= 0)
    {
        LogError("Pendrel Display cannot open a display of %d x %d.\n", width, height);
        return false;
    }
    const DisplayAttributes attributes = DisplayReadAttributes(attributeList);
    g_display.fullScreen = attributes.fullScreen;
    g_display.width = width;
    g_display.height = height;
    if (attributes.fullScreen)
        DisplayGetScreenSize(g_display.width, g_display.height);
    else
        EmptyFunction("Pendrel Display windowed.\n");

    if (!CreateSurface(attributes))
    {
        DisplayDestroy();
        return false;
    }
    SDL_Window* window = GetMainWindow();
    if (attributes.fullScreen)
        EnterFullScreen(window);
    else
        SizeWindow(window, g_display.width, g_display.height);

    if (!CreateContext(window))
    {
        DisplayDestroy();
        return false;
    }
    SDL_ShowWindow(window);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    DisplayPresent();
    SetSwapInterval(attributes.swapInterval);
    return true;
}

void DisplayDestroy()
{
    DisplayConfineCursor(false);
    if (g_display.context)
    {
        // Releasing can only fail on a lost window system; the context goes anyway.
        if (SDL_GL_MakeCurrent(GetMainWindow(), nullptr) != 0)
            LogError("Pendrel Display could not release the OpenGL context: %s\n", SDL_GetError());
        SDL_GL_DeleteContext(g_display.context);
        g_display.context = nullptr;
    }
    if (g_display.modeChanged)
        RestoreDisplayMode();
    g_display.modeChanged = false;
    g_display.fullScreen = false;
    g_display.swapInterval = 0;
}

void DisplayReleaseWindow()
{
    DisplayConfineCursor(false);
    if (g_display.context && SDL_GL_MakeCurrent(GetMainWindow(), nullptr) != 0)
        LogError("Pendrel Display could not release the OpenGL context: %s\n", SDL_GetError());
}

bool DisplayAdoptWindow(int width, int height, bool fullScreen)
{
    SDL_Window* window = GetMainWindow();
    if (!g_display.context || !window || width <= 0 || height <= 0)
    {
        LogError("Pendrel Display cannot move the OpenGL context to a window of %d x %d.\n", width, height);
        return false;
    }
    if (g_display.modeChanged && !fullScreen)
        RestoreDisplayMode();
    g_display.modeChanged = g_display.modeChanged && fullScreen;
    g_display.fullScreen = fullScreen;
    g_display.width = width;
    g_display.height = height;
    if (fullScreen)
    {
        DisplayGetScreenSize(g_display.width, g_display.height);
        EnterFullScreen(window);
    }
    else
    {
        SizeWindow(window, width, height);
    }
    if (SDL_GL_MakeCurrent(window, g_display.context) != 0)
    {
        LogError("Pendrel Display could not make the OpenGL context current: %s\n", SDL_GetError());
        return false;
    }
    SDL_ShowWindow(window);
    SetSwapInterval(g_display.swapInterval);
    return true;
}

void DisplayPresent()
{
    if (SDL_Window* window = GetMainWindow())
        SDL_GL_SwapWindow(window);
    ClockTick();
}

bool DisplayIsFullScreen()
{
    return g_display.fullScreen;
}
int DisplayGetWidth()
{
    return g_display.width;
}
int DisplayGetHeight()
{
    return g_display.height;
}

float DisplayGetAspect()
{
    return g_display.height > 0 ? static_cast<float>(g_display.width) / static_cast<float>(g_display.height)
                                : 1.0f;
}

int DisplayGetSwapInterval()
{
    return g_display.swapInterval;
}

void DisplayGetScreenSize(int& width, int& height)
{
    if (g_display.screenWidth <= 0 || g_display.screenHeight <= 0)
    {
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0)
            DisplaySetScreenSize(desktop.w, desktop.h);
    }
    const bool known = g_display.screenWidth > 0 && g_display.screenHeight > 0;
    width = known ? g_display.screenWidth : kFallbackScreenWidth;
    height = known ? g_display.screenHeight : kFallbackScreenHeight;
}

void DisplaySetScreenSize(int width, int height)
{
    g_display.screenWidth = width;
    g_display.screenHeight = height;
}

// A confinement rectangle, not a grab: the window system keeps the cursor
// inside while the window has the mouse, and other programs are not locked out.
void DisplayConfineCursor(bool on)
{
    SDL_Window* window = GetMainWindow();
    if (!window)
        return;
    SDL_Rect client = {0, 0, 0, 0};
    SDL_GetWindowSize(window, &client.w, &client.h);
    if (SDL_SetWindowMouseRect(window, on ? &client : nullptr) != 0)
        LogError("Pendrel Display could not %s the cursor: %s\n", on ? "confine" : "release", SDL_GetError());
}

void GlBeginTriangles()
{
    glBegin(GL_TRIANGLES);
}
void GlBeginLines()
{
    glBegin(GL_LINES);
}
void GlVertex(float x, float y, float z)
{
    glVertex3f(x, y, z);
}
void GlEnd()
{
    glEnd();
}

void GlColor4(float r, float g, float b, float a)
{
    glVertexAttrib4f(1, r, g, b, a);
    glColor4f(r, g, b, a);
}
