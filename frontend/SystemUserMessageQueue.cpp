#include "frontend/SystemUserMessageQueue.h"

#include "frontend/BasicText.h"

#include <cmath>

namespace
{
std::unique_ptr<SystemUserMessageQueue> g_queue;
} // namespace

SystemUserMessageQueue::SystemUserMessageQueue() = default;
SystemUserMessageQueue::~SystemUserMessageQueue() = default;

void SysMsgCreate()
{
    g_queue = std::make_unique<SystemUserMessageQueue>();
}

void SysMsgDestroy()
{
    g_queue.reset();
}

SystemUserMessageQueue* SysMsgQueue()
{
    return g_queue.get();
}

void SysMsgLoadFont(const char* fontName)
{
    if (!g_queue)
        return;
    g_queue->fontName = fontName;
    g_queue->font = std::make_unique<BasicText>(fontName);
}

void SysMsgAdd(const char* text, bool queue)
{
    if (!g_queue || !text)
        return;
    SystemUserMessageQueue& q = *g_queue;
    if (q.count >= kSystemMessageSlots || (q.count != 0 && !queue))
        return;
    q.messages[q.count] = text;
    ++q.count;
    if (q.count == 1)
        q.timer.Start();
}

void SysMsgStep()
{
    if (!g_queue)
        return;
    SystemUserMessageQueue& q = *g_queue;
    if (q.count < 1 || q.timer.GetTime() <= q.displayTime)
        return;
    for (int i = 1; i < q.count; ++i)
        q.messages[i - 1] = q.messages[i];
    --q.count;
    q.timer.Start();
}

int SysMsgAlpha()
{
    if (!g_queue || g_queue->count < 1 || g_queue->displayTime <= 0.0f)
        return 0;
    const float t = std::fmin(g_queue->timer.GetTime() / g_queue->displayTime, 1.0f);
    return int(std::nearbyint((1.0f - t) * 255.0f));
}

void SysMsgDraw()
{
    if (!g_queue || g_queue->count < 1 || g_queue->displayTime <= 0.0f || !g_queue->font)
        return;
    const uint32_t colour = 0x00FFFFFFu | (uint32_t(SysMsgAlpha()) << 24);
    g_queue->font->DrawString(g_queue->messages[0], colour, kSystemMessageBoxX, kSystemMessageBoxY,
                              kSystemMessageBoxWidth, kSystemMessageBoxHeight, -1, kAlignCentre, kAlignCentre, 1.0f,
                              -1);
}
