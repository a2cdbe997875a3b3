#include "game/ActorScriptAPI.h"

#include "core/Hash.h"
#include "core/LogError.h"
#include "core/Mat4.h"
#include "core/Vec2.h"
#include "cross/AnimBuffer.h"
#include "cross/Model.h"
#include "game/Actor.h"
#include "game/EntityRegistry.h"
#include "game/EntityScriptClass.h"
#include "game/InstanceTable.h"
#include "game/TolvanFixedUpdate.h"
#include "opengl/Texture.h"
#include "script/ScriptArguments.h"

#include <cmath>
#include <unordered_map>

PENDREL_SCRIPT_CLASS(Actor, "Actor");

const char kActorClassName[] = "Actor";

namespace
{
constexpr Vec3 kSocketWorldOffset(0.0f, 0.0f, 2.5f);
constexpr float kSocketWorldTilt = 0.2f;

struct ActorScriptState
{
    // The timing actor's instance each flip-book depends on, held so that
    // its render instance outlives the flip-book.
    std::unordered_map<const Actor*, std::pair<HSQUIRRELVM, HSQOBJECT>> timingHolds;
    uint32_t alternateToggle = 1;
    bool socketErrorReported = false;
};
ActorScriptState g_actors;
using Actors = EntityScriptClass<Actor>;

void DropTimingHold(const Actor* actor)
{
    auto held = g_actors.timingHolds.find(actor);
    if (held == g_actors.timingHolds.end())
        return;
    auto [vm, object] = held->second;
    g_actors.timingHolds.erase(held);
    sq_release(vm, &object);
}

void ReleaseAnimation(ActorRenderInstance& instance)
{
    if (instance.m_animBuffer)
        AnimRelease(instance.m_animBuffer);
    instance.m_animBuffer = nullptr;
}

SQInteger ActorReleaseHook(SQUserPointer area, SQInteger)
{
    auto* actor = static_cast<Actor*>(area);
    if (!Actors::Forget(actor))
        return 0;
    EntityRegistryRemove(actor);
    DropTimingHold(actor);
    ReleaseAnimation(actor->m_actorInstance);
    actor->~Actor();
    return 0;
}

Vec3* ArgVec3(HSQUIRRELVM vm, SQInteger index)
{
    Vec3* vector = nullptr;
    return ScriptCheckInstance(vm, index, vector) ? vector : nullptr;
}

SQInteger Actor_constructor(HSQUIRRELVM vm)
{
    Actor* actor = nullptr;
    return Actors::Construct(vm, ActorReleaseHook, actor);
}

// Every method takes its actor through this: never constructed is refused.
#define ACTOR_THIS(vm, name)                                                                                     \
    Actor* name = ScriptGetActor(vm, 1);                                                                         \
    if (!name)                                                                                                   \
        return SQ_ERROR;

SQInteger Actor_SetGraphic(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    Model* model = nullptr;
    const GraphicArgument argument = ReadGraphicArgument(vm, model);
    if (argument == GraphicArgument::Bad)
        return ScriptBadArgument(vm);
    if (argument == GraphicArgument::Ignored)
        return 0;
    actor->m_actorInstance.SetModel(model);
    actor->m_collisionSphereCount = model ? static_cast<uint32_t>(Model::GetSphereCount(model)) : 0;
    if (model)
        actor->SetRenderInstance(&actor->m_actorInstance);
    return 0;
}

SQInteger Actor_DoesHaveGraphic(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    return ScriptReturnBool(vm, actor->m_actorInstance.m_model != nullptr);
}

void SetBit(uint32_t& flags, uint32_t bit, bool on)
{
    flags = on ? (flags | bit) : (flags & ~bit);
}

SQInteger Actor_SetVisible(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    bool visible = false;
    ScriptArgBool(vm, 2, visible);
    SetBit(actor->m_flags, kEntityVisible, visible);
    return 0;
}

SQInteger Actor_SetAnimation(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    const char* path = nullptr;
    if (!ScriptArgString(vm, 2, path))
        return ScriptBadArgument(vm);
    ActorRenderInstance& instance = actor->m_actorInstance;
    AnimBuffer* buffer = AnimCache(path, kAnimCacheScriptMaximum, 0);
    ReleaseAnimation(instance);
    instance.m_animBuffer = buffer;
    instance.m_animation = 0;
    instance.m_flags |= kRenderInstanceAnimationPlaying;
    instance.m_animationTime = 0.0f;
    instance.m_animationLength = buffer ? buffer->GetLength(0) : 0.0f;
    return 0;
}

SQInteger Actor_PlayAnimation(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    bool play = false;
    ScriptArgBool(vm, 2, play);
    SetBit(actor->m_actorInstance.m_flags, kRenderInstanceAnimationPlaying, play);
    return 0;
}

SQInteger Actor_SetIsAnimationLooped(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    bool looped = false;
    ScriptArgBool(vm, 2, looped);
    actor->m_actorInstance.m_looping = looped ? 1 : 0;
    return 0;
}

float AnimationLength(const Actor& actor)
{
    const AnimBuffer* buffer = actor.m_actorInstance.m_animBuffer;
    return buffer ? buffer->GetLength(0) : 0.0f;
}

SQInteger Actor_GetCurrentAnimationLength(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    return ScriptReturnFloat(vm, AnimationLength(*actor));
}

SQInteger Actor_GetScale(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    return ScriptReturnFloat(vm, actor->m_actorInstance.m_scale);
}

SQInteger Actor_SetScale(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    ScriptArgFloat(vm, 2, actor->m_actorInstance.m_scale);
    return 0;
}

SQInteger Actor_SetScaleUV(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    ScriptArgFloat(vm, 2, actor->m_actorInstance.m_textureScale[0]);
    ScriptArgFloat(vm, 3, actor->m_actorInstance.m_textureScale[1]);
    return 0;
}

SQInteger Actor_SetOffsetUV(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    ScriptArgFloat(vm, 2, actor->m_actorInstance.m_textureOffset[0]);
    ScriptArgFloat(vm, 3, actor->m_actorInstance.m_textureOffset[1]);
    return 0;
}

SQInteger Actor_SetRotateUV(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    ScriptArgFloat(vm, 2, actor->m_actorInstance.m_textureRotation);
    return 0;
}

SQInteger Actor_HideMesh(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    const char* name = nullptr;
    bool hide = true;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    ScriptArgBool(vm, 3, hide);
    actor->m_actorInstance.HideMesh(name, hide);
    return 0;
}

// A texture that fails to load is reported by the loader and installs nothing.
SQInteger Actor_SetTexture(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    const char* materialName = nullptr;
    const char* path = nullptr;
    if (!ScriptArgString(vm, 2, materialName) || !ScriptArgString(vm, 3, path))
        return ScriptBadArgument(vm);
    Texture* texture = TextureLoad(path, true);
    if (!texture)
        return 0;
    ActorRenderInstance& instance = actor->m_actorInstance;
    const uint32_t hash = HashString(materialName);
    bool replaced = false;
    for (ActorTextureOverride& entry : instance.m_textureOverrides)
    {
        if (entry.nameHash != hash)
            continue;
        TextureRelease(&entry.texture);
        entry.texture = texture;
        replaced = true;
        break;
    }
    if (!replaced)
        instance.AddTextureOverride(materialName, texture);
    instance.m_flags |= kRenderInstanceTextureOverrides;
    return 0;
}

void ReleaseFrameTextures(ActorRenderInstance& instance)
{
    for (Texture*& texture : instance.m_frameTextures)
        TextureRelease(&texture);
    instance.m_frameTextures.clear();
}

SQInteger Actor_SetAnimiationTextures(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    const char* prefix = nullptr;
    const char* suffix = nullptr;
    int first = 0;
    int last = 0;
    if (!ScriptArgString(vm, 2, prefix) || !ScriptArgString(vm, 3, suffix) || !ScriptArgInt(vm, 4, first) ||
        !ScriptArgInt(vm, 5, last))
        return ScriptBadArgument(vm);
    Actor* timing = ScriptGetActor(vm, 6);
    if (!timing)
        return SQ_ERROR;
    if (last < first)
        return sq_throwerror(vm, "SetAnimiationTextures: the last texture comes before the first");
    ActorRenderInstance& instance = actor->m_actorInstance;
    ReleaseFrameTextures(instance);
    for (int number = first; number <= last; ++number)
    {
        FixedString<256> path;
        path.Format("%s%s%d%s", prefix, number < 10 ? "0" : "", number, suffix);
        instance.m_frameTextures.push_back(TextureLoad(path, true));
    }
    const int count = last - first + 1;
    instance.m_timePerTexture = AnimationLength(*timing) / static_cast<float>(count);
    instance.m_frameDriver = &timing->m_actorInstance;
    DropTimingHold(actor);
    if (timing != actor)
    {
        HSQOBJECT held;
        sq_getstackobj(vm, 6, &held);
        sq_addref(vm, &held);
        g_actors.timingHolds[actor] = {vm, held};
    }
    instance.m_flags |= kRenderInstanceTextureOverrides;
    return 0;
}

SQInteger Actor_GetSocketIndexByName(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    const char* name = nullptr;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    const Model* model = actor->m_actorInstance.m_model;
    return ScriptReturnInt(vm, model ? model->GetSocketIndexByName(0, name) : -1);
}

void NormaliseAxes(Mat4& m)
{
    for (int column = 0; column < 3; ++column)
    {
        Vec3 axis(m[column * 4], m[column * 4 + 1], m[column * 4 + 2]);
        Vec3Normalize(axis);
        m[column * 4] = axis.x;
        m[column * 4 + 1] = axis.y;
        m[column * 4 + 2] = axis.z;
    }
}

// The socket's world matrix, or false when the actor has no model, no
// animation, no such socket or a socket on a joint outside the pose.
bool SocketWorldMatrix(const Actor& actor, int socketIndex, Mat4& out)
{
    const ActorRenderInstance& instance = actor.m_actorInstance;
    const Model* model = instance.m_model;
    const AnimBuffer* buffer = instance.m_animBuffer;
    const ModelMesh* mesh = model && Model::GetMeshCount(model) > 0 ? model->GetMesh(0) : nullptr;
    if (!mesh || !buffer || socketIndex < 0 || socketIndex >= mesh->GetSocketCount())
        return false;
    const ModelSocket& socket = mesh->sockets[static_cast<size_t>(socketIndex)];
    const int joint = socket.joint;
    if (joint <= 0 || joint >= kActorBoneMatrices || joint >= buffer->GetJointCount())
        return false;
    Mat4 world = actor.m__matrix;
    for (int element = 0; element < 11; ++element)
        if (element % 4 != 3)
            world[element] *= instance.m_scale;
    out = Mat4Multiply(Mat4Multiply(Mat4Multiply(world, instance.m_bones[joint]), buffer->GetJointBindMatrix(joint)),
                       socket.matrix);
    NormaliseAxes(out);
    return true;
}

Mat4 SocketMatrixOrOrigin(const Actor& actor, int socketIndex)
{
    Mat4 matrix;
    if (SocketWorldMatrix(actor, socketIndex, matrix))
        return matrix;
    if (!g_actors.socketErrorReported)
    {
        g_actors.socketErrorReported = true;
        LogError("Socket Error: Trying to access socket on an object that either does not have an animation or "
                 "does not have a socket at that index.  Placing object at 0,0,0 \n");
    }
    return Mat4Identity();
}

SQInteger Actor_GetSocketMatrix(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    int socket = 0;
    Mat4* out = nullptr;
    if (!ScriptArgInt(vm, 2, socket) || !ScriptCheckInstance(vm, 3, out))
        return SQ_ERROR;
    *out = SocketMatrixOrOrigin(*actor, socket);
    return 0;
}

SQInteger Actor_GetSocketPosition(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    int socket = 0;
    Vec3* out = ArgVec3(vm, 3);
    if (!ScriptArgInt(vm, 2, socket) || !out)
        return SQ_ERROR;
    *out = Mat4GetTranslation(SocketMatrixOrOrigin(*actor, socket));
    return 0;
}

SQInteger Actor_GetSocketMatWorldSpace(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    Mat4* out = nullptr;
    if (!ScriptCheckInstance(vm, 3, out))
        return SQ_ERROR;
    Mat4 offset = Mat4Identity();
    Mat4SetTranslation(offset, kSocketWorldOffset);
    Mat4 tilt = Mat4Identity();
    Mat4SetRotationAxisAngle(tilt, kSocketWorldTilt, Vec3(1.0f, 0.0f, 0.0f));
    *out = Mat4Multiply(actor->m__matrix, Mat4Multiply(offset, tilt));
    return 0;
}

SQInteger Actor_StepOnAlternateUpdates(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    actor->m_stepParity = g_actors.alternateToggle;
    g_actors.alternateToggle = (g_actors.alternateToggle == 1) ? 2 : 1;
    return 0;
}

SQInteger Actor_GetValidStepInterval(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    return ScriptReturnBool(vm, actor->m_stepParity == GetStepParity());
}

SQInteger Actor_InertialessForce(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    const Vec3* force = ArgVec3(vm, 2);
    if (!force)
        return SQ_ERROR;
    actor->AddInertialessForce(*force);
    return 0;
}

bool ReadPair(HSQUIRRELVM vm, Vec2& pair)
{
    return ScriptArgFloat(vm, 2, pair.x) && ScriptArgFloat(vm, 3, pair.y);
}

SQInteger Actor_FaceXZ(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    Vec2 direction(0.0f, 0.0f);
    if (!ReadPair(vm, direction))
        return ScriptBadArgument(vm);
    actor->FaceXZ(direction);
    return 0;
}

SQInteger Actor_FaceXY(HSQUIRRELVM vm)
{
    ACTOR_THIS(vm, actor);
    Vec2 direction(0.0f, 0.0f);
    if (!ReadPair(vm, direction))
        return ScriptBadArgument(vm);
    if (direction.x == 0.0f && direction.y == 0.0f)
        return sq_throwerror(vm, "FaceXY: trying to face actor with zero vector.\n");
    actor->FaceXY(direction);
    return 0;
}

#undef ACTOR_THIS

const ScriptVarDesc* ActorMembers()
{
    Actor& sample = Actors::Sample();
    static const ScriptVarDesc rows[] = {
        Actors::MatrixMember(),
        Actors::PositionMember(),
        ScriptVarNested("m__velocity", kScriptVarEmbedded, "Vec3", Actors::OffsetOf(&sample.m__velocity)),
        ScriptVarMember("m__fade", kScriptVarFloat, Actors::OffsetOf(&sample.m__fade)),
        ScriptVarMember("m__netid", kScriptVarInt, Actors::OffsetOf(&sample.m__netid)),
        ScriptVarEnd(),
    };
    return rows;
}

const InstanceNativeKind kActorKind = {
    const_cast<char*>(kActorClassName),
    Actors::PositionOf,
    [](const void* native) {
        return Actors::IsConstructed(native) ? static_cast<const Actor*>(native)->m_stepParity : 0u;
    },
    [](const void* native, int32_t& out) {
        if (!Actors::IsConstructed(native))
            return false;
        out = static_cast<const Actor*>(native)->m__netid;
        return true;
    },
};
} // namespace

Actor* ScriptGetActor(HSQUIRRELVM vm, SQInteger index)
{
    return Actors::Get(vm, index, "the actor was never constructed");
}

void RegisterActorScriptAPI(HSQUIRRELVM vm)
{
    // A new VM starts a new game: its actors take parities from 1 again.
    g_actors.alternateToggle = 1;
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kActorClassName, sizeof(Actor), ActorMembers(), Actor_constructor)
        .AddMethod("Created", EntityScriptCreated<Actor, ScriptGetActor>, "x")
        .AddMethod("Destroyed", EntityScriptDestroyed<Actor, ScriptGetActor>, "x")
        .AddMethod("Step", EntityScriptStep, "xn")
        .AddMethod("SetGraphic", Actor_SetGraphic, "xs")
        .AddMethod("DoesHaveGraphic", Actor_DoesHaveGraphic, "x")
        .AddMethod("SetVisible", Actor_SetVisible, "xb")
        .AddMethod("SetAnimation", Actor_SetAnimation, "xs")
        .AddMethod("PlayAnimation", Actor_PlayAnimation, "xb")
        .AddMethod("SetIsAnimationLooped", Actor_SetIsAnimationLooped, "xb")
        .AddMethod("GetCurrentAnimationLength", Actor_GetCurrentAnimationLength, "x")
        .AddMethod("GetScale", Actor_GetScale, "x")
        .AddMethod("SetScale", Actor_SetScale, "xn")
        .AddMethod("SetScaleUV", Actor_SetScaleUV, "xnn")
        .AddMethod("SetOffsetUV", Actor_SetOffsetUV, "xnn")
        .AddMethod("SetRotateUV", Actor_SetRotateUV, "xn")
        .AddMethod("HideMesh", Actor_HideMesh, "xsb")
        .AddMethod("SetTexture", Actor_SetTexture, "xss")
        .AddMethod("SetAnimiationTextures", Actor_SetAnimiationTextures, "xssnnx")
        .AddMethod("GetSocketIndexByName", Actor_GetSocketIndexByName, "xs")
        .AddMethod("GetSocketMatrix", Actor_GetSocketMatrix, "xix")
        .AddMethod("GetSocketPosition", Actor_GetSocketPosition, "xix")
        .AddMethod("GetSocketMatWorldSpace", Actor_GetSocketMatWorldSpace, "xsx")
        .AddMethod("StepOnAlternateUpdates", Actor_StepOnAlternateUpdates, "x")
        .AddMethod("GetValidStepInterval", Actor_GetValidStepInterval, "x")
        .AddMethod("InertialessForce", Actor_InertialessForce, "xx")
        .AddMethod("FaceXZ", Actor_FaceXZ, "xnn")
        .AddMethod("FaceXY", Actor_FaceXY, "xnn");
    InstanceTableAddNativeKind(kActorKind);
}
