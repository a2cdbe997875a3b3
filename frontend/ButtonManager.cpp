#include "frontend/ButtonManager.h"

#include "frontend/Button.h"
#include "opengl/GLState.h"
#include "opengl/Texture.h"
#include "platform/Input.h"
#include "platform/ScanCodes.h"

#include <GL/glew.h>

#include <algorithm>
#include <unordered_map>

namespace
{
// A texture's alpha as read back after its last upload.
struct AlphaPlane
{
    uint64_t serial = 0;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> alpha;
};

std::unordered_map<const Texture*, AlphaPlane>& AlphaPlanes()
{
    static std::unordered_map<const Texture*, AlphaPlane> planes;
    return planes;
}

const AlphaPlane& PlaneOf(Texture* texture)
{
    AlphaPlane& plane = AlphaPlanes()[texture];
    if (plane.serial == texture->m_uploadSerial && plane.width == texture->m_width &&
        plane.height == texture->m_height)
        return plane;
    plane.serial = texture->m_uploadSerial;
    plane.width = std::max(texture->m_width, 0);
    plane.height = std::max(texture->m_height, 0);
    plane.alpha.assign(size_t(plane.width) * size_t(plane.height), 0);
    if (!plane.alpha.empty() && texture->m_glName != 0)
    {
        GLBindTexture(0, texture);
        GLSelectTextureUnit(0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, plane.alpha.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
    return plane;
}
} // namespace

ButtonManager& GetButtonManager()
{
    static ButtonManager manager;
    return manager;
}

void ButtonManager::Add(Button* button)
{
    m_live.push_back(button);
}

void ButtonManager::Remove(Button* button)
{
    // During an update the walk goes on over the list: the place is only emptied.
    if (m_updating)
    {
        std::replace(m_live.begin(), m_live.end(), button, static_cast<Button*>(nullptr));
        m_emptied = true;
    }
    else
        m_live.erase(std::remove(m_live.begin(), m_live.end(), button), m_live.end());
    if (m_clicked == button)
    {
        m_clicked = nullptr;
        m_clickPending = false;
    }
    if (m_hovered == button)
        m_hovered = nullptr;
    for (Button* other : m_live)
        if (other)
            other->ForgetLinksTo(button);
}

int ButtonManager::AlphaAt(Texture* texture, float u, float v)
{
    if (!texture || !(u >= 0.0f && u <= 1.0f && v >= 0.0f && v <= 1.0f))
        return 0;
    const AlphaPlane& plane = PlaneOf(texture);
    if (plane.alpha.empty())
        return 0;
    // u or v of exactly 1 would land one past the last texel.
    const int column = std::min(int(float(plane.width) * u), plane.width - 1);
    const int row = std::min(int(float(plane.height) * v), plane.height - 1);
    return plane.alpha[size_t(row) * size_t(plane.width) + size_t(column)];
}

void ButtonManager::DropAlphaPlanes()
{
    AlphaPlanes().clear();
}

bool ButtonManager::UnderCursor(Button& button, float cursorX, float cursorY) const
{
    if (!button.enabled || !button.visible)
        return false;
    const Vec2 position = button.GetPosition();
    const Vec2 size = button.GetDimensions();
    if (!(size.x > 0.0f && size.y > 0.0f))
        return false;
    const float u = (cursorX - position.x) / size.x;
    const float v = (cursorY - position.y) / size.y;
    if (button.ExternalAlpha != 255.0f || !(u >= 0.0f && u <= 1.0f && v >= 0.0f && v <= 1.0f))
        return false;
    return AlphaAt(button.UpImage.CurrentTexture(), u, v) > 0;
}

void ButtonManager::Hover(Button& button)
{
    if (button.owner)
    {
        button.owner->ButtonHovered(button);
        m_hovered = &button;
        return;
    }
    button.SetState(kButtonOver);
    Button* connected = button.ConnectedButton;
    if (connected && connected->owner)
    {
        connected->owner->ButtonHovered(*connected);
        m_hovered = connected;
    }
}

void ButtonManager::Leave(Button& button)
{
    if (button.owner)
        button.owner->ButtonLeft(button);
    else if (button.State == kButtonOver)
        button.SetState(kButtonUp);
    if (m_hovered == &button)
        m_hovered = nullptr;
}

void ButtonManager::Update()
{
    int x = 0;
    int y = 0;
    InputGetMousePosition(x, y);
    // Pressed this frame, even when let go within it.
    Update(float(x), float(y), InputWasKeyPressed(MOUSE_BUTTON1));
}

void ButtonManager::Update(float cursorX, float cursorY, bool clickNewlyDown)
{
    // An owner told of a hover may add or end buttons: those added are not
    // tested until the next update, those ended leave an empty place.
    m_updating = true;
    const size_t count = m_live.size();
    for (size_t i = 0; i < count; ++i)
    {
        Button* button = m_live[i];
        if (button)
            TestButton(*button, cursorX, cursorY, clickNewlyDown);
    }
    m_updating = false;
    if (m_emptied)
        m_live.erase(std::remove(m_live.begin(), m_live.end(), static_cast<Button*>(nullptr)), m_live.end());
    m_emptied = false;
}

void ButtonManager::TestButton(Button& button, float cursorX, float cursorY, bool clickNewlyDown)
{
    if (!UnderCursor(button, cursorX, cursorY))
    {
        if (button.underCursor)
        {
            button.underCursor = 0;
            Leave(button);
        }
        return;
    }
    button.underCursor = 1;
    Hover(button);
    if (clickNewlyDown && !m_clickPending && m_live.end() != std::find(m_live.begin(), m_live.end(), &button))
    {
        button.SetState(kButtonDown);
        m_clicked = &button;
        m_clickedName = button.buttonName.c_str();
        m_clickPending = true;
    }
}

void ButtonManager::UpdateLastOver()
{
    for (Button* button : m_live)
        if (button && button->State == kButtonOver)
            m_hovered = button;
}

bool ButtonManager::TakeClicked(FixedString128& name)
{
    if (!m_clickPending)
        return false;
    name = m_clickedName;
    m_clickPending = false;
    return true;
}
