#include "game/PropScriptAPI.h"

#include "core/Hash.h"
#include "core/Mat4.h"
#include "cross/Model.h"
#include "game/EntityRegistry.h"
#include "game/EntityScriptClass.h"
#include "game/InstanceTable.h"
#include "game/Prop.h"
#include "game/TileTerrainManager.h"
#include "script/ScriptArguments.h"

#include <cstring>
#include <vector>

PENDREL_SCRIPT_CLASS(Prop, "Prop");

const char kPropClassName[] = "Prop";

namespace
{
using Props = EntityScriptClass<Prop>;

bool Contains(const char* text, const char* part)
{
    return strstr(text, part) != nullptr;
}

SQInteger PropReleaseHook(SQUserPointer area, SQInteger)
{
    auto* prop = static_cast<Prop*>(area);
    if (!Props::Forget(prop))
        return 0;
    EntityRegistryRemove(prop);
    prop->~Prop();
    return 0;
}

SQInteger Prop_constructor(HSQUIRRELVM vm)
{
    Prop* prop = nullptr;
    const SQInteger result = Props::Construct(vm, PropReleaseHook, prop);
    if (SQ_FAILED(result))
        return result;
    EntityScriptRegister(prop);
    return 0;
}

#define PROP_THIS(vm, name)                                                                                      \
    Prop* name = ScriptGetProp(vm, 1);                                                                           \
    if (!name)                                                                                                   \
        return SQ_ERROR;

SQInteger Prop_SetGraphic(HSQUIRRELVM vm)
{
    PROP_THIS(vm, prop);
    Model* model = nullptr;
    const GraphicArgument argument = ReadGraphicArgument(vm, model);
    if (argument == GraphicArgument::Bad)
        return ScriptBadArgument(vm);
    if (!model)
        return 0;
    prop->m_propInstance.SetModel(model);
    prop->SetRenderInstance(&prop->m_propInstance);
    return 0;
}

SQInteger Prop_HashAllMeshNames(HSQUIRRELVM vm)
{
    PROP_THIS(vm, prop);
    prop->m_meshNames.clear();
    const Model* model = prop->m_propInstance.m_model;
    for (int mesh = 0; mesh < Model::GetMeshCount(model); ++mesh)
    {
        for (int material = 0; material < model->GetMesh(mesh)->GetMaterialCount(); ++material)
        {
            FixedString64 first;
            FixedString64 second;
            model->GetMaterialTextureNames(mesh, material, first, second);
            PropMeshRecord record;
            record.meshIndex = static_cast<uint32_t>(mesh);
            record.subIndex = static_cast<uint32_t>(material);
            record.firstName = first.c_str();
            record.secondName = second.c_str();
            record.fullName = model->GetMaterialRecord(mesh, material)->layers[0].name.c_str();
            record.firstHash = HashString(record.firstName);
            record.secondHash = HashString(record.secondName);
            prop->m_meshNames.push_back(record);
        }
    }
    return 0;
}

// The optional hide flag: true when absent or not a bool.
bool OptionalHide(HSQUIRRELVM vm, SQInteger index)
{
    SQBool hide = SQTrue;
    if (sq_gettop(vm) >= index && sq_gettype(vm, index) == OT_BOOL)
        sq_getbool(vm, index, &hide);
    return hide != SQFalse;
}

SQInteger Prop_HideMesh(HSQUIRRELVM vm)
{
    PROP_THIS(vm, prop);
    const char* name = nullptr;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    prop->m_propInstance.HideMesh(name, OptionalHide(vm, 3));
    return 0;
}

SQInteger Prop_HideMeshAllMeshThatContain(HSQUIRRELVM vm)
{
    PROP_THIS(vm, prop);
    const char* text = nullptr;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    const bool hide = OptionalHide(vm, 3);
    for (const PropMeshRecord& record : prop->m_meshNames)
        if (Contains(record.fullName, text))
            prop->m_propInstance.HideMesh(record.fullName, hide);
    return 0;
}

enum class MeshVector
{
    Position,
    Forward,
};

Vec3 VectorOf(const Mat4& matrix, MeshVector which)
{
    return which == MeshVector::Position ? Mat4GetTranslation(matrix) : Vec3(matrix[8], matrix[9], matrix[10]);
}

// Appends the vector of every record whose second name hashes as the name.
void CollectVectorsOfName(const Prop& prop, const char* name, MeshVector which, std::vector<Vec3>& out)
{
    const uint32_t hash = HashString(name);
    for (uint32_t i = 0; i < prop.m_meshNames.size(); ++i)
    {
        Mat4 matrix;
        if (prop.m_meshNames[i].secondHash == hash && PropMeshMatrix(prop, i, matrix))
            out.push_back(VectorOf(matrix, which));
    }
}

SQInteger PushVectorArray(HSQUIRRELVM vm, const std::vector<Vec3>& vectors)
{
    sq_newarray(vm, 0);
    for (const Vec3& vector : vectors)
    {
        if (SQ_FAILED(ScriptPushNewValue(vm, "Vec3", vector)))
            return SQ_ERROR;
        sq_arrayappend(vm, -2);
    }
    return 1;
}

SQInteger VectorsOfMeshesThatContain(HSQUIRRELVM vm, MeshVector which)
{
    PROP_THIS(vm, prop);
    const char* first = nullptr;
    const char* second = nullptr;
    if (!ScriptArgString(vm, 2, first) || !ScriptArgString(vm, 3, second))
        return ScriptBadArgument(vm);
    std::vector<const char*> names;
    for (const PropMeshRecord& record : prop->m_meshNames)
    {
        if (!Contains(record.secondName, first) || !Contains(record.secondName, second))
            continue;
        bool seen = false;
        for (const char* name : names)
            seen = seen || strcmp(name, record.secondName) == 0;
        if (!seen)
            names.push_back(record.secondName);
    }
    std::vector<Vec3> vectors;
    for (const char* name : names)
        CollectVectorsOfName(*prop, name, which, vectors);
    return PushVectorArray(vm, vectors);
}

SQInteger Prop_GetAllMeshPositionsFromMeshesThatContain(HSQUIRRELVM vm)
{
    return VectorsOfMeshesThatContain(vm, MeshVector::Position);
}

SQInteger Prop_GetAllMeshForwardsFromMeshesThatContain(HSQUIRRELVM vm)
{
    return VectorsOfMeshesThatContain(vm, MeshVector::Forward);
}

SQInteger Prop_GetAllMeshPositionsByInstanceName(HSQUIRRELVM vm)
{
    PROP_THIS(vm, prop);
    const char* name = nullptr;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    std::vector<Vec3> vectors;
    CollectVectorsOfName(*prop, name, MeshVector::Position, vectors);
    return PushVectorArray(vm, vectors);
}

SQInteger Prop_AddMeshToDropByTypeName(HSQUIRRELVM vm)
{
    PROP_THIS(vm, prop);
    const char* name = nullptr;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    const uint32_t hash = HashString(name);
    for (uint32_t i = 0; i < prop->m_meshNames.size(); ++i)
        if (prop->m_meshNames[i].secondHash == hash)
            prop->m_dropList.push_back(i);
    return 0;
}

SQInteger Prop_AddMeshToDropByInstanceName(HSQUIRRELVM vm)
{
    PROP_THIS(vm, prop);
    const char* name = nullptr;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    const uint32_t hash = HashString(name);
    for (uint32_t i = 0; i < prop->m_meshNames.size(); ++i)
    {
        if (prop->m_meshNames[i].firstHash == hash)
        {
            prop->m_dropList.push_back(i);
            break;
        }
    }
    return 0;
}

SQInteger Prop_AddAllMeshToDrop(HSQUIRRELVM vm)
{
    PROP_THIS(vm, prop);
    prop->m_dropList.clear();
    for (uint32_t i = 0; i < prop->m_meshNames.size(); ++i)
        prop->m_dropList.push_back(i);
    return 0;
}

// Each chosen mesh drops as the prop's own copy of its matrix, so other
// props of the same model stay where they are.
SQInteger Prop_TileTerrain_AddPropDropToTileTerrain(HSQUIRRELVM vm)
{
    PROP_THIS(vm, prop);
    for (uint32_t index : prop->m_dropList)
    {
        if (index >= prop->m_meshNames.size())
            continue;
        Mat4* matrix = prop->m_propInstance.OwnMeshMatrix(int(prop->m_meshNames[index].meshIndex));
        if (matrix)
            TileTerrainAddDrop(*matrix, &prop->m_propInstance);
    }
    return 0;
}

#undef PROP_THIS

const ScriptVarDesc* PropMembers()
{
    static const ScriptVarDesc rows[] = {
        Props::MatrixMember(),
        Props::PositionMember(),
        ScriptVarEnd(),
    };
    return rows;
}

const InstanceNativeKind kPropKind = {
    const_cast<char*>(kPropClassName),
    Props::PositionOf,
    nullptr,
    nullptr,
};
} // namespace

bool PropMeshMatrix(const Prop& prop, uint32_t recordIndex, Mat4& out)
{
    const Model* model = prop.m_propInstance.m_model;
    if (recordIndex >= prop.m_meshNames.size())
        return false;
    const int mesh = static_cast<int>(prop.m_meshNames[recordIndex].meshIndex);
    if (!model || mesh >= Model::GetMeshCount(model))
        return false;
    const ModelMesh* entry = model->GetMesh(mesh);
    out = entry->nodes.empty() ? Mat4Identity() : entry->nodes.front().matrix;
    return true;
}

Prop* ScriptGetProp(HSQUIRRELVM vm, SQInteger index)
{
    return Props::Get(vm, index, "the prop was never constructed");
}

void RegisterPropScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kPropClassName, sizeof(Prop), PropMembers(), Prop_constructor)
        .AddMethod("Created", EntityScriptCreated<Prop, ScriptGetProp>, "x")
        .AddMethod("Destroyed", EntityScriptDestroyed<Prop, ScriptGetProp>, "x")
        .AddMethod("Step", EntityScriptStep)
        .AddMethod("SetGraphic", Prop_SetGraphic, "xs")
        .AddMethod("HashAllMeshNames", Prop_HashAllMeshNames, "x")
        .AddMethod("HideMesh", Prop_HideMesh)
        .AddMethod("HideMeshAllMeshThatContain", Prop_HideMeshAllMeshThatContain)
        .AddMethod("GetAllMeshPositionsFromMeshesThatContain", Prop_GetAllMeshPositionsFromMeshesThatContain, "xss")
        .AddMethod("GetAllMeshForwardsFromMeshesThatContain", Prop_GetAllMeshForwardsFromMeshesThatContain, "xss")
        .AddMethod("GetAllMeshPositionsByInstanceName", Prop_GetAllMeshPositionsByInstanceName, "xs")
        .AddMethod("AddMeshToDropByTypeName", Prop_AddMeshToDropByTypeName, "xs")
        .AddMethod("AddMeshToDropByInstanceName", Prop_AddMeshToDropByInstanceName, "xs")
        .AddMethod("AddAllMeshToDrop", Prop_AddAllMeshToDrop, "x")
        .AddMethod("TileTerrain_AddPropDropToTileTerrain", Prop_TileTerrain_AddPropDropToTileTerrain, "x");
    InstanceTableAddNativeKind(kPropKind);
}
