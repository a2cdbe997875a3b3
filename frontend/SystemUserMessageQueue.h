#pragma once
// Short notices for the player, shown one at a time in a fixed box over the
// picture while they fade out, each for its own full display time.

#include "core/FixedString.h"
#include "core/RealTimer.h"

#include <memory>

class BasicText;

constexpr int kSystemMessageSlots = 100;
constexpr float kSystemMessageSeconds = 3.0f;
constexpr int kSystemMessageBoxX = 100;
constexpr int kSystemMessageBoxY = 100;
constexpr int kSystemMessageBoxWidth = 400;
constexpr int kSystemMessageBoxHeight = 200;

struct SystemUserMessageQueue
{
    std::unique_ptr<BasicText> font;
    FixedString256 fontName;
    float displayTime = kSystemMessageSeconds;
    FixedString256 messages[kSystemMessageSlots];
    int count = 0;
    RealTimer timer;

    SystemUserMessageQueue();
    ~SystemUserMessageQueue();
};

void SysMsgCreate();
// Frees the font too: call it while the display is still up.
void SysMsgDestroy();
// Null between SysMsgDestroy and SysMsgCreate.
SystemUserMessageQueue* SysMsgQueue();

void SysMsgLoadFont(const char* fontName);
void SysMsgAdd(const char* text, bool queue);
void SysMsgStep();
void SysMsgDraw();
// The alpha the message on show is drawn with, 0 when none is.
int SysMsgAlpha();
