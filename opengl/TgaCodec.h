#pragma once
// Reads true-colour TGA files (plain and run-length, 24 and 32 bits, either
// origin) and writes 24-bit BGR screenshots.

#include <cstddef>
#include <cstdint>

class Image;
class ImageByteSink;

constexpr uint32_t kTgaHeaderSize = 18;

// A new BGR or BGRA image, top row first, or null after a report.
Image* TGA_ImageLoadHandler(const uint8_t* bytes, size_t size, const char* name);

// Only BGR images are written; false after a report when the image is of
// another format (nothing written) or the sink fails.
bool TGA_ImageSaveHandler(const Image& image, ImageByteSink& sink);
