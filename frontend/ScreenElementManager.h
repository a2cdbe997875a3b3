#pragma once
// The scripts' store of screen layouts. Screen element files are read into
// prototypes, one per layout (each with one texture), and animated
// prototypes whose places are scaled to the manager's screen as they are
// read; a script asks for an element by name and gets the layout that suits
// the screen, placed and scaled.

#include "frontend/ScreenElementData.h"

#include <cstdint>
#include <vector>

class Texture;

// A plain element's prototypes: its variants in file order, each holding
// its one texture (or none) at index 0.
struct ManagedScreenElement
{
    uint32_t nameHash = 0;
    std::vector<ScreenElementVariant> variants;
};

// An animated element: its place on the manager's screen (later layouts of
// a block replace earlier numbers) and every frame of every layout.
struct AnimScreenElementPrototype
{
    uint32_t tag = 0;
    float layoutHeight = 0.0f;
    float layoutAspect = 0.0f;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = -1;
    int32_t height = -1;
    std::vector<Texture*> frames;
};

class ScreenElementManager
{
public:
    ScreenElementManager() = default;
    ~ScreenElementManager();
    ScreenElementManager(const ScreenElementManager&) = delete;
    ScreenElementManager& operator=(const ScreenElementManager&) = delete;

    // Adds the file's elements; with `singleVariant` an element keeps only
    // its variant of the smallest layout height. False after a report when
    // the file does not open or is damaged (what was read before stays).
    bool Load(const char* folder, const char* file, bool singleVariant);
    bool Read(const char* folder, const char* text, int length, bool singleVariant);

    // An empty screen is refused, leaving the properties as they were.
    bool SetScreenProperties(int width, int height, int x, int y);
    const ScreenProperties& Screen() const { return m_screen; }
    // Width over height; 1 before a screen is set.
    float GetAspectRatio() const { return m_screen.aspect; }

    // The first element of the name, in the variant that suits the screen;
    // not found for an unknown name. The texture stays the manager's.
    ScreenElementRect Place(uint32_t nameHash) const;
    // The first animated prototype of the name; null for an unknown name.
    const AnimScreenElementPrototype* FindAnimated(uint32_t nameHash) const;

    const std::vector<ManagedScreenElement>& Elements() const { return m_elements; }
    const std::vector<AnimScreenElementPrototype>& AnimatedElements() const { return m_animated; }

private:
    friend class ScreenElementManagerReader;

    ScreenProperties m_screen;
    std::vector<ManagedScreenElement> m_elements;
    std::vector<AnimScreenElementPrototype> m_animated;
};
