// Bitmap font files: the text layout read by key, every count and place checked.
#include "FuzzTarget.h"

#include "frontend/FontFile.h"

FUZZ_TARGET(font)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    FontFileData font;
    FixedString256 why;
    FontFileParse(reinterpret_cast<const char*>(data), size, font, why);
    return 0;
}
