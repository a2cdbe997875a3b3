#include "platform/DisplayModeManager.h"

#include "core/LogError.h"

#include <algorithm>

void Resolution::Set(int width, int height)
{
    m_Width = width;
    m_Height = height;
    m_FullScreenCompatible = 0;
}

void DisplayModeManager::Init()
{
    if (m_initialised)
    {
        EmptyFunction(
            "Warning: Display Mode Manager Is already Initialized and is now destroying itself and re "
            "initializing \n");
        Reset();
    }
    DisplayMode mode;
    for (int i = 0; EnumDisplayMode(mode, i); ++i)
    {
        m_modes.push_back(mode);
        if (HasResolution(mode.width, mode.height))
            continue;
        Resolution resolution;
        resolution.Set(mode.width, mode.height);
        resolution.m_FullScreenCompatible = 1;
        m_resolutions.push_back(resolution);
        if (mode.width >= m_largestWidth && mode.height > m_largestHeight)
        {
            m_largestWidth = mode.width;
            m_largestHeight = mode.height;
        }
    }
    SortResolutions();
    m_initialised = true;
}

void DisplayModeManager::Reset()
{
    m_modes.clear();
    m_resolutions.clear();
    m_largestWidth = 0;
    m_largestHeight = 0;
    m_initialised = false;
}

Resolution DisplayModeManager::GetUniqueResolution(int index) const
{
    if (index < 0 || index >= GetNumberOfUniqueResolutions())
    {
        LogError("Pendrel Display no resolution at index %d of %d\n", index, GetNumberOfUniqueResolutions());
        return Resolution();
    }
    return m_resolutions[index];
}

DisplayMode DisplayModeManager::GetMode(int index) const
{
    return index >= 0 && index < GetNumberOfModes() ? m_modes[index] : DisplayMode();
}

int DisplayModeManager::GetIndexOfResolution(int width, int height) const
{
    for (int i = GetNumberOfUniqueResolutions() - 1; i >= 0; --i)
    {
        if (m_resolutions[i].m_Width == width && m_resolutions[i].m_Height == height)
            return i;
    }
    EmptyFunction("Preset Resolution currently not supported by graphics card \n");
    if (m_resolutions.empty())
        return -1;
    return GetNumberOfUniqueResolutions() / 2;
}

void DisplayModeManager::AddUniqueResolution(int width, int height)
{
    if (HasResolution(width, height))
    {
        EmptyFunction("Resolution already in the Display Mode Manager: %d x %d", width, height);
        return;
    }
    if (width >= m_largestWidth || height >= m_largestHeight)
        return;
    Resolution resolution;
    resolution.Set(width, height);
    m_resolutions.push_back(resolution);
    SortResolutions();
}

void DisplayModeManager::SetMinimumUniqueResolution(int minWidth, int minHeight)
{
    const auto tooSmall = [minWidth, minHeight](const Resolution& r)
    { return r.m_Width < minWidth || r.m_Height < minHeight; };
    m_resolutions.erase(std::remove_if(m_resolutions.begin(), m_resolutions.end(), tooSmall),
                        m_resolutions.end());
}

bool DisplayModeManager::HasResolution(int width, int height) const
{
    for (const Resolution& r : m_resolutions)
    {
        if (r.m_Width == width && r.m_Height == height)
            return true;
    }
    return false;
}

void DisplayModeManager::SortResolutions()
{
    std::sort(m_resolutions.begin(), m_resolutions.end(),
              [](const Resolution& a, const Resolution& b)
              { return a.m_Width != b.m_Width ? a.m_Width < b.m_Width : a.m_Height < b.m_Height; });
}

DisplayModeManager& GetDisplayModeManager()
{
    static DisplayModeManager manager;
    return manager;
}
