#pragma once
// The five built-in 4 x 4 textures, made by render-system initialisation
// and deleted at shutdown; never cached in the file table.

class Texture;

enum TextureBuiltinId
{
    kTextureDefaultBlack,
    kTextureDefaultWhite,
    kTextureDefaultClear,
    kTextureDefaultCheck,
    kTextureSsaoRandom,
    kTextureBuiltinCount,
};

void TextureBuiltinsCreate();
void TextureBuiltinsDestroy();
// Null before TextureBuiltinsCreate.
Texture* TextureBuiltin(TextureBuiltinId id);
