#pragma once
// Keeps a second copy of the program from running: the first takes an
// exclusive lock on a file named after the instance name in the user's
// runtime folder ($XDG_RUNTIME_DIR, else /tmp); the lock ends with the
// process, however it ends.

#include "core/FixedString.h"

constexpr char kSingleInstanceName[] = "Quarn";

class SingleInstance
{
public:
    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance() { Release(); }

    // False when another instance holds the name. When the lock file cannot
    // be opened at all the failure is reported and the program may run.
    bool Acquire(const char* name);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

    // The name to lock: $PENDREL_INSTANCE when set (so engines can run side
    // by side), else "Quarn".
    static FixedString64 InstanceName();
    static FixedString256 LockPath(const char* name);

private:
    int m_fd = -1;
};
