#pragma once
// The effect textures, found by the lower-cased file name an element's
// TEXTURE names.

#include "core/FixedString.h"
#include "core/KeywordTable.h"

#include <cstdint>

class Texture;

constexpr int kFXMaxTextures = 256;

struct FXTextureSet
{
    FixedString128 folder;
    int32_t count = 0;
    Texture* textures[kFXMaxTextures] = {};
    KeywordTable keywords;
};

FXTextureSet& FXGetTextureSet();

// Loads every ".tga" file of the folder in listing order; a file that does
// not load takes no slot.
void FXLoadTextures(const char* folder);
void FXReleaseTextures();
// The slot of a texture name, -1 when no loaded texture has that name.
int FXFindTexture(const char* name);
// The key a texture file is found by: lower-cased, with everything from its
// last '.' on replaced by ".tga".
FixedString128 FXTextureKeyName(const char* fileName);
