#pragma once
// A script VM with the message and instance natives, and a small native class
// "Walker" standing for an actor: its object holds a position, a step parity
// and a network id that the instance table reads through its type tag.
#include "../script/ScriptTestFixture.h"

#include <squirrel.h>

class ScriptWorldTest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override;
    void SetUp() override;
    void TearDown() override;

    void UpdateMessages();
    // Runs InstanceStep for the named class with the given step parity.
    void StepClass(const char* className, float dt, uint32_t parity, bool profile = false);
    // Runs a script and answers whether it raised an error; the flag is reset after.
    bool RaisesError(const std::string& code);
};
