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
// And so are images of more pixels than this (192 MB as RGB): a file cut
// short still decodes to its full declared size, so a few hundred bytes
// could otherwise ask for the largest square the side allows.
constexpr uint64_t kJpegMaxPixels = uint64_t(8192) * 8192;
// libjpeg's own working memory (progressive files hold every coefficient of
// the image while decoding): beyond it the load fails instead of swapping.
constexpr long kJpegMaxWorkingMemory = 512L * 1024 * 1024;

// A new RGB image, or null after a report: for a file that is not a JPEG,
// one too large, and one in CMYK or another colour space that has no RGB
// conversion. Greyscale files come back as RGB. A file that ends early
// loads in full: libjpeg is handed an end-of-image marker, reports the
// premature end and fills the rows it never got; so do other damaged data
// that libjpeg recovers from with a warning.
Image* JPG_ImageLoadHandler(ImageByteSource& source, const char* name);

// Writes an RGB image at quality 100, baseline. False after a report for any
// other format or when the sink fails.
bool JPG_ImageSaveHandler(const Image& image, ImageByteSink& sink);
