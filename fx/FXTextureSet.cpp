#include "fx/FXTextureSet.h"

#include "core/FileTable.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "core/StringUtil.h"
#include "opengl/Texture.h"

#include <cstring>

FXTextureSet& FXGetTextureSet()
{
    static FXTextureSet set;
    return set;
}

FixedString128 FXTextureKeyName(const char* fileName)
{
    char lowered[128];
    StringCopyN(lowered, fileName, sizeof(lowered));
    StringToLower(lowered);
    if (char* dot = std::strrchr(lowered, '.'))
        *dot = 0;
    FixedString128 key;
    key.Format("%s.tga", lowered);
    return key;
}

void FXLoadTextures(const char* folder)
{
    FXTextureSet& set = FXGetTextureSet();
    set.folder.Format("%s", folder);
    FixedString256 pattern;
    pattern.Format("^%s/.*[.]tga$", folder);
    FileTableIterator it;
    for (it.Begin(pattern.c_str()); it.NotEqual(FileTableEnd()); it.Next())
    {
        if (set.count >= kFXMaxTextures)
        {
            LogError("Effect texture set full: %s left out (%d textures)\n", it.Name(), kFXMaxTextures);
            continue;
        }
        Texture* texture = TextureLoad(it.Name(), true);
        if (texture == nullptr)
            continue;
        set.textures[set.count] = texture;
        set.keywords.AddHash(HashString(FXTextureKeyName(it.FileName().c_str()).c_str()), set.count);
        ++set.count;
    }
}

void FXReleaseTextures()
{
    FXTextureSet& set = FXGetTextureSet();
    for (int i = 0; i < set.count; ++i)
        TextureRelease(&set.textures[i]);
    set.count = 0;
    set.keywords.Clear();
}

int FXFindTexture(const char* name)
{
    char lowered[128];
    StringCopyN(lowered, name, sizeof(lowered));
    StringToLower(lowered);
    return FXGetTextureSet().keywords.Find(HashString(lowered));
}
