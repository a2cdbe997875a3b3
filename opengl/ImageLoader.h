#pragma once
// Images from files and back: the reader is chosen by the file's extension.

#include "core/StreamBytes.h"

#include <cstdint>

class Image;

// An 8192 x 8192 true-colour image with all its mip levels takes two thirds
// of this.
constexpr FileSizeBound kImageFileBound = {"texture", 512ull << 20};

class ImageLoader
{
public:
    // A new image of the file opened in the given stream mode, read as
    // "JPG", "TGA" or "DDS" by its upper-case extension; null for any other
    // extension (without a report), a file that does not open, or a bad or
    // too large file (with one report).
    static Image* new_MemoryImage(const char* path, int mode);
};

// Writes the image as "TGA" (BGR images) or "JPG" (RGB images) by the path's
// extension. False after a report when nothing or not everything was written.
bool ImageSave(const Image& image, const char* path);
