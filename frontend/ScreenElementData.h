#pragma once
// Named screen rectangles with their textures, each given for one or more
// layout screens; a lookup takes the layout nearest the real screen and
// scales its rectangle to it.

#include "core/StreamBytes.h"

#include <cstdint>
#include <vector>

class Texture;

// A thousand elements of a few layouts each take a twentieth of this.
constexpr FileSizeBound kScreenElementFileBound = {"screen element file", 16ull << 20};

constexpr int kScreenElementTextures = 64;
// A screen's file names tens of elements, each laid out for a few screens;
// the readers keep the first ones of a file that holds more.
constexpr int kScreenElementMaxElements = 4096;
constexpr int kScreenElementMaxVariants = 32;
// Imitations deeper than this are taken for a loop and cut.
constexpr int kScreenElementImitationDepth = 8;

struct ScreenProperties
{
    float aspect = 1.0f;
    float width = 0.0f;
    float height = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    int32_t player = 0;
};

struct ScreenElementVariant
{
    float aspect = 0.0f;
    float layoutHeight = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float height = 0.0f;
    float width = 0.0f;
    Texture* textures[kScreenElementTextures] = {};
    int32_t textureCount = 0;
    int32_t player = 0;
};

struct ScreenElementRecord
{
    uint32_t nameHash = 0;
    uint32_t imitatedHash = 0;
    uint8_t imitates = 0;
    std::vector<ScreenElementVariant> variants;
};

struct ScreenElementRect
{
    int x = 0;
    int y = 0;
    int height = 0;
    int width = 0;
    Texture* texture = nullptr;
    bool found = false;
};

class ScreenElementData
{
public:
    ScreenElementData() = default;
    ~ScreenElementData();
    ScreenElementData(const ScreenElementData&) = delete;
    ScreenElementData& operator=(const ScreenElementData&) = delete;

    ScreenProperties screen;
    std::vector<ScreenElementRecord> records;
};

// How the sets get and give back textures; the engine's go through the
// texture cache, a reader without a display gives none. Null puts the
// cache back.
struct ScreenTextureSource
{
    Texture* (*load)(const char* path);
    void (*release)(Texture** holder);
};
void ScreenElementDataSetTextureSource(const ScreenTextureSource* source);
// Through the current source, for readers of the same files; `report` asks
// the cache to report a texture it cannot make.
Texture* ScreenElementTextureLoad(const char* path, bool report);
void ScreenElementTextureRelease(Texture** holder);

// Appends the file's elements; false after a report when it does not open
// or is damaged (the whole elements read before the damage are kept).
bool ScreenElementDataLoad(ScreenElementData& set, const char* directory, const char* file);
bool ScreenElementDataRead(ScreenElementData& set, const char* directory, const char* text, int length);
// The bytes of directory/file, tagged as screen element data in the file
// table; false after one report when it does not open or cannot be read
// whole.
bool ScreenElementFileReadAll(const char* directory, const char* file, std::vector<uint8_t>& bytes);
// The one report of a file whose elements or layouts went past their bounds,
// each line begun with the reader's name.
void ScreenElementReportLeftOut(const char* reader, int elements, int variants);
void ScreenElementDataClear(ScreenElementData& set);
// An empty screen is refused (false), leaving the properties as they were.
bool SetScreenProperties(ScreenProperties& screen, int width, int height, int x, int y);
bool SetScreenProperties(ScreenElementData& set, int width, int height, int x, int y);
void GetScreenSizeFloats(const ScreenElementData& set, float& width, float& height);
// Not found (an empty rectangle without a texture) for a name not in the set.
ScreenElementRect ScreenElementDataGetRect(const ScreenElementData& set, uint32_t nameHash, int player,
                                           int textureIndex);

// A position or size in pixels from a file's numbers: cut toward zero, NaN as 0, and held within
// 2^24 pixels either way, so a few of them added stay inside the int range.
int ScreenCoordinate(float value);

// The variant nearest the screen (aspect first, then layout height; the
// earlier on a tie) of a non-empty list, and its rectangle on the screen.
const ScreenElementVariant& ScreenElementChooseVariant(const ScreenProperties& screen,
                                                       const std::vector<ScreenElementVariant>& variants);
ScreenElementRect ScreenElementVariantRect(const ScreenProperties& screen, const ScreenElementVariant& variant,
                                           int textureIndex);
