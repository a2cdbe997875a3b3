#include "frontend/ScreenElementManager.h"

#include "core/FixedString.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "frontend/FrontendElement.h"
#include "frontend/ScreenTokens.h"

#include <cstring>
#include <string>

namespace
{
Texture* LoadElementTexture(const char* path)
{
    Texture* texture = ScreenElementTextureLoad(path, false);
    if (!texture)
        LogError("Texture not found: %s \n", path);
    return texture;
}

// A layout of zero or negative size would divide by zero when scaled.
bool UsableLayout(float layoutWidth, float layoutHeight)
{
    if (layoutWidth > 0.0f && layoutHeight > 0.0f)
        return true;
    LogError("Screen element manager: a layout of %g x %g refused.\n", double(layoutWidth), double(layoutHeight));
    return false;
}
} // namespace

class ScreenElementManagerReader
{
public:
    ScreenElementManagerReader(ScreenElementManager& manager, const char* folder, const char* text, int length,
                               bool singleVariant)
        : m_manager(manager), m_folder(folder), m_tokens(text, length), m_singleVariant(singleVariant)
    {
    }

    bool Read()
    {
        const bool read = ReadBlocks();
        ScreenElementReportLeftOut("Screen element manager", m_droppedElements, m_droppedVariants);
        return read;
    }

private:
    bool ReadBlocks()
    {
        if (!m_tokens.Next())
            return true;
        for (;;)
        {
            bool read = true;
            if (m_tokens.HandIs("PLAYER"))
                read = m_tokens.Int(m_manager.m_screen.player) || Fail("a player number");
            else if (m_tokens.HandIs("SCREEN_ELEMENT_BEGIN"))
                read = ReadElement();
            else if (m_tokens.HandIs("ANIM_SCREEN_ELEMENT_BEGIN"))
                read = ReadAnimatedElement();
            else
                return Fail("an element block");
            if (!read)
                return false;
            // The word that closed the block, or the player number, is behind
            // us; at the end of the text the load ends.
            if (!m_tokens.Next())
                return true;
        }
    }

    bool Fail(const char* expected)
    {
        LogError("Screen element manager: expected %s at \"%s\".\n", expected, m_tokens.Hand());
        return false;
    }

    std::string PathOf(const char* name) const
    {
        FixedString256 path;
        path.Format("%s/%s", m_folder, name);
        return path.c_str();
    }

    // Layout width, a label and the layout height, then width, height, x and
    // y as label-value pairs.
    bool ReadLayout(float& layoutWidth, float& layoutHeight, float (&rect)[4])
    {
        return m_tokens.Float(layoutWidth) && m_tokens.LabelledFloat(layoutHeight) &&
               m_tokens.LabelledFloat(rect[0]) && m_tokens.LabelledFloat(rect[1]) &&
               m_tokens.LabelledFloat(rect[2]) && m_tokens.LabelledFloat(rect[3]);
    }

    // Past the bounds, elements and layouts are still read, to find the end
    // of the block, but load no textures and are left out.
    bool ReadElement()
    {
        if (!m_tokens.LabelledValue())
            return Fail("an element name");
        const bool keep = m_kept < kScreenElementMaxElements;
        ManagedScreenElement element;
        element.nameHash = HashString(m_tokens.Hand());
        std::vector<std::string> texturePaths;
        bool ended = !m_tokens.Next();
        while (!ended && m_tokens.HandIs("SCREEN_WIDTH"))
        {
            float layoutWidth = 0.0f;
            float rect[4] = {};
            ScreenElementVariant variant;
            if (!ReadLayout(layoutWidth, variant.layoutHeight, rect) || !m_tokens.LabelledValue())
                return Fail("a layout, a rectangle and a texture");
            const std::string path = strcmp(m_tokens.Hand(), "NONE") == 0 ? std::string() : PathOf(m_tokens.Hand());
            ended = !m_tokens.Next();
            if (!UsableLayout(layoutWidth, variant.layoutHeight))
                continue;
            variant.aspect = layoutWidth / variant.layoutHeight;
            variant.width = float(ScreenCoordinate(rect[0]));
            variant.height = float(ScreenCoordinate(rect[1]));
            variant.x = float(ScreenCoordinate(rect[2]));
            variant.y = float(ScreenCoordinate(rect[3]));
            variant.player = m_manager.m_screen.player;
            if (keep)
                Keep(element, texturePaths, variant, path);
        }
        if (!keep)
        {
            ++m_droppedElements;
            return true;
        }
        element.texturePaths = std::move(texturePaths);
        for (size_t i = 0; i < element.variants.size(); ++i)
        {
            if (element.texturePaths[i].empty())
                continue;
            ScreenElementVariant& variant = element.variants[i];
            variant.textures[0] = LoadElementTexture(element.texturePaths[i].c_str());
            variant.textureCount = variant.textures[0] ? 1 : 0;
        }
        if (!element.variants.empty())
        {
            m_manager.m_elements.push_back(std::move(element));
            ++m_kept;
        }
        return true;
    }

    // Single-variant mode keeps the variant of the smallest layout height,
    // the first of equals.
    void Keep(ManagedScreenElement& element, std::vector<std::string>& texturePaths,
              const ScreenElementVariant& variant, const std::string& path)
    {
        if (m_singleVariant && !element.variants.empty())
        {
            if (variant.layoutHeight >= element.variants.back().layoutHeight)
                return;
            element.variants.back() = variant;
            texturePaths.back() = path;
            return;
        }
        if (element.variants.size() == size_t(kScreenElementMaxVariants))
        {
            ++m_droppedVariants;
            return;
        }
        element.variants.push_back(variant);
        texturePaths.push_back(path);
    }

    bool ReadAnimatedElement()
    {
        if (!m_tokens.LabelledValue())
            return Fail("an animated element name");
        const bool keep = m_kept < kScreenElementMaxElements;
        AnimScreenElementPrototype dropped;
        if (keep)
        {
            m_manager.m_animated.emplace_back();
            ++m_kept;
        }
        else
            ++m_droppedElements;
        AnimScreenElementPrototype& prototype = keep ? m_manager.m_animated.back() : dropped;
        prototype.tag = HashString(m_tokens.Hand());
        bool ended = !m_tokens.Next();
        while (!ended && m_tokens.HandIs("SCREEN_WIDTH"))
        {
            float layoutWidth = 0.0f;
            float layoutHeight = 0.0f;
            float rect[4] = {};
            int frames = 0;
            if (!ReadLayout(layoutWidth, layoutHeight, rect) || !m_tokens.LabelledInt(frames) || frames < 0)
                return Fail("an animated layout and a frame count");
            // The count is the file's word: frames are read while the text has them.
            for (int i = 0; i < frames; ++i)
            {
                if (!m_tokens.LabelledValue())
                    return Fail("a frame");
                const std::string path = PathOf(m_tokens.Hand());
                if (!keep)
                    continue;
                if (Texture* frame = LoadElementTexture(path.c_str()))
                {
                    prototype.frames.push_back(frame);
                    prototype.framePaths.push_back(path);
                }
            }
            ended = !m_tokens.Next();
            if (UsableLayout(layoutWidth, layoutHeight))
                PlaceAnimated(prototype, layoutWidth, layoutHeight, rect);
        }
        return true;
    }

    void PlaceAnimated(AnimScreenElementPrototype& prototype, float layoutWidth, float layoutHeight,
                       const float (&rect)[4]) const
    {
        const ScreenProperties& screen = m_manager.m_screen;
        prototype.layoutHeight = layoutHeight;
        prototype.layoutAspect = layoutWidth / layoutHeight;
        prototype.width = ScreenCoordinate(rect[0] * (screen.width / layoutWidth));
        prototype.height = ScreenCoordinate(rect[1] * (screen.height / layoutHeight));
        prototype.x = ScreenCoordinate(rect[2] * (screen.width / layoutWidth));
        prototype.y = ScreenCoordinate(rect[3] * (screen.height / layoutHeight));
    }

    ScreenElementManager& m_manager;
    const char* m_folder;
    ScreenTokens m_tokens;
    bool m_singleVariant;
    int m_kept = 0;
    int m_droppedElements = 0;
    int m_droppedVariants = 0;
};

ScreenElementManager::~ScreenElementManager()
{
    for (ManagedScreenElement& element : m_elements)
        for (ScreenElementVariant& variant : element.variants)
            ScreenElementTextureRelease(&variant.textures[0]);
    for (AnimScreenElementPrototype& prototype : m_animated)
        for (Texture*& frame : prototype.frames)
            ScreenElementTextureRelease(&frame);
}

bool ScreenElementManager::Load(const char* folder, const char* file, bool singleVariant)
{
    std::vector<uint8_t> bytes;
    if (!ScreenElementFileReadAll(folder, file, bytes))
        return false;
    return Read(folder, reinterpret_cast<const char*>(bytes.data()), int(bytes.size()), singleVariant);
}

bool ScreenElementManager::Read(const char* folder, const char* text, int length, bool singleVariant)
{
    return ScreenElementManagerReader(*this, folder, text, length, singleVariant).Read();
}

bool ScreenElementManager::SetScreenProperties(int width, int height, int x, int y)
{
    return ::SetScreenProperties(m_screen, width, height, x, y);
}

const ManagedScreenElement* ScreenElementManager::Find(uint32_t nameHash) const
{
    for (const ManagedScreenElement& element : m_elements)
        if (element.nameHash == nameHash)
            return &element;
    return nullptr;
}

ScreenElementRect ScreenElementManager::Place(uint32_t nameHash) const
{
    const ManagedScreenElement* element = Find(nameHash);
    if (!element)
        return ScreenElementRect();
    return ScreenElementVariantRect(m_screen, ScreenElementChooseVariant(m_screen, element->variants), 0);
}

ScreenElementRect ScreenElementManager::PlaceWithReference(uint32_t nameHash) const
{
    const ManagedScreenElement* element = Find(nameHash);
    if (!element)
        return ScreenElementRect();
    const ScreenElementVariant& variant = ScreenElementChooseVariant(m_screen, element->variants);
    ScreenElementRect rect = ScreenElementVariantRect(m_screen, variant, 0);
    // A texture of the cache comes back with one more reference.
    if (rect.texture)
        rect.texture = ScreenElementTextureLoad(element->texturePaths[&variant - element->variants.data()].c_str(),
                                                false);
    return rect;
}

std::vector<Texture*> ScreenElementManager::FramesWithReferences(const AnimScreenElementPrototype& prototype) const
{
    std::vector<Texture*> frames;
    for (const std::string& path : prototype.framePaths)
        if (Texture* frame = ScreenElementTextureLoad(path.c_str(), false))
            frames.push_back(frame);
    return frames;
}

const AnimScreenElementPrototype* ScreenElementManager::FindAnimated(uint32_t nameHash) const
{
    for (const AnimScreenElementPrototype& prototype : m_animated)
        if (prototype.tag == nameHash)
            return &prototype;
    return nullptr;
}

void ScreenElementManager::GetScreenElementData(Sprite& sprite, uint32_t nameHash) const
{
    const ScreenElementRect rect = PlaceWithReference(nameHash);
    if (!rect.found)
        return;
    sprite.x = rect.x;
    sprite.y = rect.y;
    sprite.width = rect.width;
    sprite.height = rect.height;
    if (!rect.texture)
        return;
    if (sprite.animated)
    {
        AnimSprite& animated = static_cast<AnimSprite&>(sprite);
        animated.frames.push_back(rect.texture);
        animated.frameBorrowed.push_back(0);
        return;
    }
    sprite.ReleaseTexture();
    sprite.texture = rect.texture;
    sprite.textureBorrowed = 0;
}

void ScreenElementManager::GetAnimScreenElementData(AnimSprite& sprite, uint32_t nameHash) const
{
    const AnimScreenElementPrototype* prototype = FindAnimated(nameHash);
    if (!prototype)
        return;
    AnimSprite placed;
    placed.x = prototype->x;
    placed.y = prototype->y;
    placed.width = prototype->width;
    placed.height = prototype->height;
    placed.tag = prototype->tag;
    placed.layoutHeight = prototype->layoutHeight;
    placed.layoutAspect = prototype->layoutAspect;
    sprite = placed;
    for (Texture* frame : FramesWithReferences(*prototype))
    {
        sprite.frames.push_back(frame);
        sprite.frameBorrowed.push_back(0);
    }
}
