#include "cross/ModelCache.h"

#include "core/FileTable.h"
#include "cross/Model.h"
#include "opengl/ResourceCache.h"

#include <cstring>

namespace
{
struct ModelCacheState
{
    BufferModelRow rows[kBufferModelRows];
    ShaderBucket* foliageBucket = nullptr;
};

ModelCacheState& State()
{
    static ModelCacheState state;
    return state;
}

const char* const kFoliageModels[] = {kFoliageModelName};

// Every row holding the path points at the model (several rows may).
void RegisterInTable(Model* model)
{
    for (BufferModelRow& row : State().rows)
        if (!row.path.IsEmpty() && strcmp(row.path, model->m_name) == 0)
            row.model = model;
}

void UnregisterFromTable(const Model* model)
{
    for (BufferModelRow& row : State().rows)
        if (row.model == model)
            row.model = nullptr;
}

bool IsFoliage(const char* name)
{
    for (const char* foliage : kFoliageModels)
        if (strcmp(foliage, name) == 0)
            return true;
    return false;
}
} // namespace

Model* ModelCache(const char* path)
{
    if (!path)
        return nullptr;
    if (void* cached = ResourceCacheFind(path, kResourceBufferModel))
        return static_cast<Model*>(cached);
    std::unique_ptr<Model> model(new Model);
    if (!ModelLoad(model.get(), path))
        return nullptr;
    ResourceCacheStore(path, model.get(), kResourceBufferModel);
    RegisterInTable(model.get());
    if (IsFoliage(model->m_name))
        model->m_shaderBucket = State().foliageBucket;
    return model.release();
}

void ModelRelease(Model* model)
{
    if (!model || !ResourceCacheRelease(model->m_name, model))
        return;
    UnregisterFromTable(model);
    delete model;
}

BufferModelRow* ModelBufferModelTable()
{
    return State().rows;
}

void ModelBufferModelSetPath(int row, const char* path)
{
    if (row < 0 || row >= kBufferModelRows)
        return;
    State().rows[row].path = path;
    State().rows[row].model = nullptr;
}

void ModelBufferModelMask(const char* name)
{
    if (!name)
        return;
    for (BufferModelRow& row : State().rows)
        if (row.model && strcmp(row.path, name) == 0)
            row.model->m_mask = 1;
}

void ModelBufferModelsUnmaskAll()
{
    for (BufferModelRow& row : State().rows)
        if (row.model)
            row.model->m_mask = 0;
}

void ModelSetFoliageShaderBucket(ShaderBucket* bucket)
{
    State().foliageBucket = bucket;
}

ShaderBucket* ModelGetFoliageShaderBucket()
{
    return State().foliageBucket;
}
