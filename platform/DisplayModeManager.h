#pragma once
// The adapter's modes and the sorted list of unique resolutions that the
// options menu offers the player.

#include "platform/DisplayMode.h"

#include <cstdint>
#include <vector>

struct Resolution
{
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    uint8_t m_FullScreenCompatible = 0;

    void Set(int width, int height);
    bool IsCompatibleWithFullScreen() const { return m_FullScreenCompatible != 0; }
};

class DisplayModeManager
{
public:
    void Init();
    void Reset();

    int GetNumberOfUniqueResolutions() const { return static_cast<int>(m_resolutions.size()); }
    // Out of range gives a zero resolution, so callers never read past the list.
    Resolution GetUniqueResolution(int index) const;
    // The last matching index; when absent, the middle one; -1 on an empty list.
    int GetIndexOfResolution(int width, int height) const;
    void AddUniqueResolution(int width, int height);
    void SetMinimumUniqueResolution(int minWidth, int minHeight);

    int GetNumberOfModes() const { return static_cast<int>(m_modes.size()); }
    // Out of range gives a zero mode.
    DisplayMode GetMode(int index) const;
    int GetLargestWidth() const { return m_largestWidth; }
    int GetLargestHeight() const { return m_largestHeight; }
    bool IsInitialised() const { return m_initialised; }

private:
    bool HasResolution(int width, int height) const;
    void SortResolutions();

    std::vector<DisplayMode> m_modes;
    std::vector<Resolution> m_resolutions;
    int m_largestWidth = 0;
    int m_largestHeight = 0;
    bool m_initialised = false;
};

DisplayModeManager& GetDisplayModeManager();
