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

// The checker copies the bounds of every dynamic TLS block it sees handed out
// (__tls_get_addr) and scans them at exit. For the GL driver's blocks it now
// and then keeps bounds that are no longer mapped (its guess of the C
// library's block header misreads them: google/sanitizers#1322), and the
// scan at exit crashes ("DTLS" in the report). Not followed, the driver's
// dynamic TLS is not scanned; nothing of ours is held only there.
extern "C" const char* __asan_default_options()
{
    return "intercept_tls_get_addr=0";
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
