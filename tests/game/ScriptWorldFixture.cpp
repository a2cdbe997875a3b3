#include "ScriptWorldFixture.h"

#include "core/Vec3.h"
#include "game/InstanceScriptAPI.h"
#include "game/InstanceSearchScriptAPI.h"
#include "game/InstanceTable.h"
#include "game/MessageManager.h"
#include "script/ScriptArguments.h"

namespace
{
const char kWalkerClass[] = "Walker";

struct Walker
{
    Vec3 position{0.0f, 0.0f, 0.0f};
    int32_t parity = 0;
    int32_t netId = -1;
};

const ScriptVarDesc kWalkerMembers[] = {
    ScriptVarMember("parity", kScriptVarInt, offsetof(Walker, parity)),
    ScriptVarMember("netId", kScriptVarInt, offsetof(Walker, netId)),
    ScriptVarEnd(),
};

SQInteger Walker_constructor(HSQUIRRELVM vm)
{
    Walker* walker = ScriptConstructInPlace<Walker>(vm);
    Vec3* position = nullptr;
    if (walker && sq_gettop(vm) >= 2 && ScriptCheckInstance(vm, 2, position))
        walker->position = *position;
    return 0;
}

const InstanceNativeKind kWalkerKind = {
    const_cast<char*>(kWalkerClass),
    [](const void* native, Vec3& out) {
        out = static_cast<const Walker*>(native)->position;
        return true;
    },
    [](const void* native) { return static_cast<uint32_t>(static_cast<const Walker*>(native)->parity); },
    [](const void* native, int32_t& out) {
        out = static_cast<const Walker*>(native)->netId;
        return true;
    },
};
} // namespace

void ScriptWorldTest::Register(HSQUIRRELVM vm)
{
    ScriptTest::Register(vm);
    RegisterMessageScriptAPI(vm);
    RegisterInstanceScriptAPI(vm);
    RegisterInstanceSearchScriptAPI(vm);
    ScriptClassHandle walker;
    ScriptBindClass(walker, vm, kWalkerClass, sizeof(Walker), kWalkerMembers, Walker_constructor);
    InstanceTableAddNativeKind(kWalkerKind);
}

void ScriptWorldTest::SetUp()
{
    ScriptTest::SetUp();
    GetMessageManager().Bind(vm());
}

void ScriptWorldTest::TearDown()
{
    MessageManagerClear();
    GetInstanceTable().Release(vm());
    ScriptSetErrorFlag(false);
    ScriptTest::TearDown();
}

void ScriptWorldTest::UpdateMessages()
{
    MessageManager_Update();
}

void ScriptWorldTest::StepClass(const char* className, float dt, uint32_t parity, bool profile)
{
    sq_pushroottable(vm());
    sq_pushstring(vm(), className, -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(vm(), -2)));
    GetInstanceTable().Step(vm(), -1, dt, parity, profile);
    sq_pop(vm(), 2);
}

bool ScriptWorldTest::RaisesError(const std::string& code)
{
    ScriptSetErrorFlag(false);
    ClearReports();
    Run(code);
    const bool raised = ScriptGetErrorFlag();
    ScriptSetErrorFlag(false);
    return raised;
}
