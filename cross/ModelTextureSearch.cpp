#include "cross/ModelTextureSearch.h"

#include "core/FileTable.h"
#include "core/FixedString.h"
#include "core/LogError.h"
#include "opengl/Texture.h"

#include <cstring>
#include <string>

namespace
{
constexpr int kCandidateCount = 3;
const char* const kReplacementExtensions[] = {".dds", ".chtex"};

void AppendLiteral(std::string& pattern, const char* text)
{
    for (const char* c = text; *c; ++c)
    {
        if (strchr(".^$[]\\*+?|()", *c))
            pattern += '\\';
        pattern += *c;
    }
}

// The name as stored, then with its extension replaced (or one appended).
FixedString128 Candidate(const char* name, int which)
{
    FixedString128 candidate(name);
    if (which == 0)
        return candidate;
    char* slash = strrchr(candidate.data(), '/');
    char* dot = strrchr(slash ? slash : candidate.data(), '.');
    if (dot)
        *dot = 0;
    candidate.Append(kReplacementExtensions[which - 1]);
    return candidate;
}

// The part of a path up to and including its last '/', or empty.
FixedString256 FolderOf(const char* path)
{
    FixedString256 folder(path);
    char* slash = strrchr(folder.data(), '/');
    if (slash)
        slash[1] = 0;
    else
        folder.Clear();
    return folder;
}

// "a/b/" becomes "a/", "a/" becomes "".
void GoUp(FixedString256& folder)
{
    char* text = folder.data();
    const int length = folder.Length();
    if (length > 0)
        text[length - 1] = 0;
    char* slash = strrchr(text, '/');
    if (slash)
        slash[1] = 0;
    else
        folder.Clear();
}

Texture* WalkFolders(const char* modelFolder, const char* candidate)
{
    for (FixedString256 folder(modelFolder); strchr(folder, '/'); GoUp(folder))
    {
        char pattern[1024];
        ModelTexturePattern(folder, candidate, pattern, sizeof(pattern));
        FileTableIterator it;
        it.Begin(pattern);
        if (it.NotEqual(FileTableEnd()))
            if (Texture* texture = TextureLoad(it.Name(), true))
                return texture;
    }
    return nullptr;
}

Texture* FindCandidate(const char* modelFolder, const char* candidate)
{
    FixedString256 beside(modelFolder);
    beside.Append(candidate);
    if (Texture* texture = TextureLoad(beside, false))
        return texture;
    return WalkFolders(modelFolder, candidate);
}
} // namespace

void ModelTexturePattern(const char* folder, const char* name, char* out, int capacity)
{
    // Anchored at the start too, so "b/" never finds a texture under "ab/".
    std::string pattern = "^";
    AppendLiteral(pattern, folder);
    pattern += "(.*/)?";
    AppendLiteral(pattern, name);
    pattern += '$';
    if (capacity <= 0)
        return;
    const size_t length = std::min(pattern.size(), size_t(capacity - 1));
    memcpy(out, pattern.data(), length);
    out[length] = 0;
}

Texture* ModelFindTexture(const char* layerName, const char* modelPath)
{
    const FixedString256 folder = FolderOf(modelPath);
    for (int which = 0; which < kCandidateCount; ++which)
        if (Texture* texture = FindCandidate(folder, Candidate(layerName, which)))
            return texture;
    LogError("Could not find texture %s for model %s\n", layerName, modelPath);
    return nullptr;
}
