// Linked into every test binary (the support library is an object library).

#include <dlfcn.h>
#include <glob.h>
#include <initializer_list>

// Libraries of the window system keep memory in their globals for the life
// of the process; the leak checker must not count it against the tests.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace
{
// Mesa's software driver holds memory from its globals and is unloaded when
// SDL lets go of OpenGL, after which the checker sees that memory as lost.
// Held loaded, the memory stays reachable.
__attribute__((constructor)) void KeepSoftwareGLDriverLoaded()
{
    for (const char* pattern : {"/usr/lib/*/dri/swrast_dri.so", "/usr/lib*/dri/swrast_dri.so"})
    {
        glob_t found = {};
        if (glob(pattern, 0, nullptr, &found) == 0)
            for (size_t i = 0; i < found.gl_pathc; ++i)
                dlopen(found.gl_pathv[i], RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        globfree(&found);
    }
}
} // namespace
