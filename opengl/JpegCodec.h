#pragma once
// JPEG through libjpeg, with our own source and destination managers over
// the byte streams and an error manager that returns to the caller instead
// of ending the process.

#include <cstdint>

class Image;
class ImageByteSource;
class ImageByteSink;

// Sides beyond this are refused before anything is allocated: no texture
// could hold them.
constexpr uint32_t kJpegMaxSide = 16384;

// A new RGB image, or null after a report: for a file that is not a JPEG,
// one that ends early, and one in CMYK or another colour space that has no
// RGB conversion. Greyscale files come back as RGB.
Image* JPG_ImageLoadHandler(ImageByteSource& source, const char* name);

// Writes an RGB image at quality 100, baseline. False after a report for any
// other format or when the sink fails.
bool JPG_ImageSaveHandler(const Image& image, ImageByteSink& sink);
