#pragma once
// The networking switch the scripts turn on and off, and the frame's three
// network calls. While networking is off the frame skips the connections, the
// lobby state machine and the lock-step.

class NetworkCommunicator
{
public:
    static void Init();
    static void Close();
    static bool IsInitialised();
};

// The frame's part: failed peers reset, then (networking on) the connections
// ticked and read and the lobby machine run. The loading pump calls it too.
void NetworkFrame();
// Once per frame before the fixed steps: one lost connection handled.
void NetworkServiceLostConnection();
// The lock-step at the end of each fixed step's script phase: tick, report,
// and InGameStepSync while a step is released.
void NetworkStepSync(float dt);
