#include "frontend/ScreenElementData.h"

#include "core/FileTable.h"
#include "core/FixedString.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"
#include "frontend/ScreenTokens.h"
#include "opengl/Texture.h"

#include <cmath>

namespace
{
Texture* LoadThroughCache(const char* path)
{
    return TextureLoad(path, true);
}

const ScreenTextureSource kTextureCache = {LoadThroughCache, TextureRelease};
ScreenTextureSource g_textures = kTextureCache;

void ReleaseVariant(ScreenElementVariant& variant)
{
    for (int i = 0; i < variant.textureCount; ++i)
        g_textures.release(&variant.textures[i]);
    variant.textureCount = 0;
}

class ElementReader
{
public:
    ElementReader(ScreenElementData& set, const char* directory, const char* text, int length)
        : m_set(set), m_directory(directory), m_tokens(text, length)
    {
    }

    bool Read()
    {
        const bool read = ReadBlocks();
        ScreenElementReportLeftOut("Screen element data", m_droppedElements, m_droppedVariants);
        return read;
    }

private:
    bool ReadBlocks()
    {
        while (m_tokens.Next())
        {
            if (m_tokens.HandIs("PLAYER"))
            {
                if (!m_tokens.Int(m_set.screen.player))
                    return Fail("a player number");
            }
            else if (m_tokens.HandIs("SCREEN_ELEMENT_BEGIN"))
            {
                if (!ReadElement())
                    return false;
            }
            else if (m_tokens.HandIs("ANIM_SCREEN_ELEMENT_BEGIN"))
            {
                if (!SkipAnimatedElement())
                    return false;
            }
            else
            {
                return Fail("an element block");
            }
        }
        return true;
    }

    bool Fail(const char* expected)
    {
        LogError("Screen element data: expected %s at \"%s\".\n", expected, m_tokens.Hand());
        return false;
    }

    // Past the bounds, elements and layouts are still read, to find the end
    // of the block, but load no textures and are left out.
    bool ReadElement()
    {
        const bool keep = m_keptElements < kScreenElementMaxElements;
        ScreenElementRecord record;
        if (!m_tokens.LabelledValue())
            return Fail("an element name");
        record.nameHash = HashString(m_tokens.Hand());
        if (!m_tokens.Next())
            return Fail("a variant");
        if (m_tokens.HandIs("IMITATE_ELEMENT_NAME"))
        {
            if (!m_tokens.Next())
                return Fail("the imitated name");
            record.imitatedHash = HashString(m_tokens.Hand());
            record.imitates = 1;
            if (!m_tokens.Next())
                return Fail("a variant");
        }
        while (m_tokens.HandIs("SCREEN_WIDTH"))
        {
            const bool keepVariant = keep && record.variants.size() < size_t(kScreenElementMaxVariants);
            ScreenElementVariant variant;
            const bool read = ReadVariant(variant, keepVariant);
            if (!read || variant.aspect <= 0.0f)
                ReleaseVariant(variant);
            if (!read)
                return false;
            if (variant.aspect <= 0.0f)
                continue;
            if (keepVariant)
                record.variants.push_back(variant);
            else if (keep)
                ++m_droppedVariants;
        }
        // The token in hand closes the block. An element without a layout
        // could never give a rectangle.
        if (!keep)
            ++m_droppedElements;
        else if (!record.variants.empty())
        {
            m_set.records.push_back(std::move(record));
            ++m_keptElements;
        }
        return true;
    }

    bool ReadVariant(ScreenElementVariant& variant, bool loadTextures)
    {
        float layoutWidth = 0.0f;
        if (!m_tokens.Float(layoutWidth) || !m_tokens.LabelledFloat(variant.layoutHeight) ||
            !m_tokens.LabelledFloat(variant.width) || !m_tokens.LabelledFloat(variant.height) ||
            !m_tokens.LabelledFloat(variant.x) || !m_tokens.LabelledFloat(variant.y))
            return Fail("a layout and a rectangle");
        variant.player = m_set.screen.player;
        bool dropReported = false;
        for (;;)
        {
            if (!m_tokens.Next())
                return Fail("the end of the element");
            if (!m_tokens.HandIs("TEXTURE"))
                break;
            if (!m_tokens.Next())
                return Fail("a texture name");
            if (variant.textureCount == kScreenElementTextures)
            {
                if (!dropReported)
                    LogError("Screen element data: textures past %d dropped.\n", kScreenElementTextures);
                dropReported = true;
                continue;
            }
            if (loadTextures)
                variant.textures[variant.textureCount++] = LoadTexture(m_tokens.Hand());
        }
        if (layoutWidth <= 0.0f || variant.layoutHeight <= 0.0f)
        {
            LogError("Screen element data: a layout of %g x %g refused.\n", double(layoutWidth),
                     double(variant.layoutHeight));
            return true;
        }
        variant.aspect = layoutWidth / variant.layoutHeight;
        return true;
    }

    Texture* LoadTexture(const char* name) const
    {
        if (strcmp(name, "NONE") == 0)
            return nullptr;
        FixedString256 path;
        path.Format("%s/%s", m_directory, name);
        return g_textures.load(path);
    }

    bool SkipAnimatedElement()
    {
        if (!m_tokens.LabelledValue() || !m_tokens.Next())
            return Fail("an animated element");
        while (m_tokens.HandIs("SCREEN_WIDTH"))
        {
            float value = 0.0f;
            int frames = 0;
            if (!m_tokens.Float(value) || !m_tokens.LabelledFloat(value) || !m_tokens.LabelledFloat(value) ||
                !m_tokens.LabelledFloat(value) || !m_tokens.LabelledFloat(value) || !m_tokens.LabelledFloat(value) ||
                !m_tokens.LabelledInt(frames) || frames < 0)
                return Fail("an animated layout");
            for (int i = 0; i < frames; ++i)
                if (!m_tokens.LabelledValue())
                    return Fail("a frame");
            if (!m_tokens.Next())
                return Fail("the end of the element");
        }
        return true;
    }

    ScreenElementData& m_set;
    const char* m_directory;
    ScreenTokens m_tokens;
    int m_keptElements = 0;
    int m_droppedElements = 0;
    int m_droppedVariants = 0;
};

const ScreenElementRecord* FindRecord(const ScreenElementData& set, uint32_t nameHash, int player)
{
    for (const ScreenElementRecord& record : set.records)
        if (record.nameHash == nameHash && record.variants[0].player == player)
            return &record;
    return nullptr;
}

ScreenElementRect GetRect(const ScreenElementData& set, uint32_t nameHash, int player, int textureIndex, int depth)
{
    const ScreenElementRecord* record = FindRecord(set, nameHash, player);
    if (!record)
        return ScreenElementRect();
    const ScreenElementVariant& variant = ScreenElementChooseVariant(set.screen, record->variants);
    if (!record->imitates)
        return ScreenElementVariantRect(set.screen, variant, textureIndex);
    if (depth >= kScreenElementImitationDepth)
        return ScreenElementRect();
    const ScreenElementRect own = ScreenElementVariantRect(set.screen, variant, 0);
    ScreenElementRect rect = GetRect(set, record->imitatedHash, player, textureIndex, depth + 1);
    if (!rect.found)
        return rect;
    rect.x = own.x - int(set.screen.x) + rect.x;
    rect.y = own.y - int(set.screen.y) + rect.y;
    return rect;
}
} // namespace

ScreenElementData::~ScreenElementData()
{
    ScreenElementDataClear(*this);
}

void ScreenElementDataSetTextureSource(const ScreenTextureSource* source)
{
    g_textures = source ? *source : kTextureCache;
}

bool ScreenElementDataRead(ScreenElementData& set, const char* directory, const char* text, int length)
{
    return ElementReader(set, directory, text, length).Read();
}

void ScreenElementReportLeftOut(const char* reader, int elements, int variants)
{
    if (elements > 0)
        LogError("%s: more than %d elements in one file; the last %d are left out.\n", reader,
                 kScreenElementMaxElements, elements);
    if (variants > 0)
        LogError("%s: elements of more than %d layouts; %d layouts are left out.\n", reader,
                 kScreenElementMaxVariants, variants);
}

bool ScreenElementFileReadAll(const char* directory, const char* file, std::vector<uint8_t>& bytes)
{
    FixedString256 path;
    path.Format("%s/%s", directory, file);
    FileTableSetResource(path, nullptr, kResourceScreenData);
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open screen element data %s failed.\n", path.c_str());
        return false;
    }
    return StreamReadAll(stream, kScreenElementFileBound, bytes);
}

bool ScreenElementDataLoad(ScreenElementData& set, const char* directory, const char* file)
{
    std::vector<uint8_t> bytes;
    if (!ScreenElementFileReadAll(directory, file, bytes))
        return false;
    return ScreenElementDataRead(set, directory, reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

void ScreenElementDataClear(ScreenElementData& set)
{
    for (ScreenElementRecord& record : set.records)
        for (ScreenElementVariant& variant : record.variants)
            ReleaseVariant(variant);
    set.records.clear();
}

bool SetScreenProperties(ScreenProperties& screen, int width, int height, int x, int y)
{
    if (width <= 0 || height <= 0)
        return false;
    screen.width = float(width);
    screen.height = float(height);
    screen.x = float(x);
    screen.y = float(y);
    screen.aspect = screen.width / screen.height;
    return true;
}

bool SetScreenProperties(ScreenElementData& set, int width, int height, int x, int y)
{
    return SetScreenProperties(set.screen, width, height, x, y);
}

const ScreenElementVariant& ScreenElementChooseVariant(const ScreenProperties& screen,
                                                       const std::vector<ScreenElementVariant>& variants)
{
    const ScreenElementVariant* best = &variants[0];
    float bestAspect = std::fabs(screen.aspect - best->aspect);
    float bestHeight = std::fabs(screen.height - best->layoutHeight);
    for (const ScreenElementVariant& variant : variants)
    {
        const float aspect = std::fabs(screen.aspect - variant.aspect);
        const float height = std::fabs(screen.height - variant.layoutHeight);
        if (aspect < bestAspect || (aspect == bestAspect && height < bestHeight))
        {
            best = &variant;
            bestAspect = aspect;
            bestHeight = height;
        }
    }
    return *best;
}

int ScreenCoordinate(float value)
{
    constexpr float kLimit = 16777216.0f;
    if (!(value > -kLimit))
        return value == value ? -int(kLimit) : 0;
    return value < kLimit ? int(value) : int(kLimit);
}

ScreenElementRect ScreenElementVariantRect(const ScreenProperties& s, const ScreenElementVariant& variant,
                                           int textureIndex)
{
    ScreenElementRect rect;
    rect.found = true;
    if (std::fabs(s.aspect - variant.aspect) == 0.0f && std::fabs(s.height - variant.layoutHeight) == 0.0f)
    {
        rect.x = ScreenCoordinate(variant.x + s.x);
        rect.y = ScreenCoordinate(variant.y + s.y);
        rect.height = ScreenCoordinate(variant.height);
        rect.width = ScreenCoordinate(variant.width);
    }
    else
    {
        const float layoutWidth = variant.aspect * variant.layoutHeight;
        rect.x = ScreenCoordinate(variant.x / layoutWidth * s.width + s.x);
        rect.y = ScreenCoordinate(variant.y / variant.layoutHeight * s.height + s.y);
        rect.width = ScreenCoordinate(variant.width / layoutWidth * s.width);
        rect.height = ScreenCoordinate(variant.height / variant.layoutHeight * s.height);
    }
    if (textureIndex >= 0 && textureIndex < variant.textureCount)
        rect.texture = variant.textures[textureIndex];
    return rect;
}

Texture* ScreenElementTextureLoad(const char* path, bool report)
{
    if (g_textures.load == LoadThroughCache)
        return TextureLoad(path, report);
    return g_textures.load(path);
}

void ScreenElementTextureRelease(Texture** holder)
{
    g_textures.release(holder);
}

void GetScreenSizeFloats(const ScreenElementData& set, float& width, float& height)
{
    width = set.screen.width;
    height = set.screen.height;
}

ScreenElementRect ScreenElementDataGetRect(const ScreenElementData& set, uint32_t nameHash, int player,
                                           int textureIndex)
{
    return GetRect(set, nameHash, player, textureIndex, 0);
}
