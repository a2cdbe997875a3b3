#include "cross/Model.h"

#include "cross/ObjAnim.h"
#include "cross/UVAnim.h"
#include "opengl/GLBuffer.h"
#include "opengl/Texture.h"

#include <cstring>

ModelMesh::~ModelMesh()
{
    for (ModelMaterial& material : materials)
        for (ModelTextureLayer& layer : material.layers)
            TextureRelease(&layer.texture);
    VertexMapDestroy(vertexMap);
    if (vertexBuffer)
        GLBufferDelete(vertexBuffer);
    if (indexBuffer)
        GLBufferDelete(indexBuffer);
}

ModelContents::ModelContents() = default;
ModelContents::~ModelContents() = default;
ModelContents::ModelContents(ModelContents&&) noexcept = default;
ModelContents& ModelContents::operator=(ModelContents&&) noexcept = default;

ModelMesh* Model::GetMesh(int i) const
{
    if (i < 0 || i >= int(m_contents.meshes.size()))
        return nullptr;
    return m_contents.meshes[size_t(i)].get();
}

int Model::GetMeshCount(const Model* model)
{
    return model ? int(model->m_contents.meshes.size()) : 0;
}

VertexMap Model::GetMeshVertexMap(int i) const
{
    const ModelMesh* mesh = GetMesh(i);
    return mesh ? mesh->vertexMap : 0;
}

ModelMaterial* Model::GetMaterialRecord(int i, int j) const
{
    ModelMesh* mesh = GetMesh(i);
    if (!mesh || j < 0 || j >= mesh->GetMaterialCount())
        return nullptr;
    return &mesh->materials[size_t(j)];
}

bool Model::GetMaterialTextureNames(int i, int j, FixedString64& first, FixedString64& second) const
{
    first.Clear();
    second.Clear();
    const ModelMaterial* material = GetMaterialRecord(i, j);
    if (!material)
        return false;
    const char* name = material->layers[0].name;
    const char* bar = strchr(name, '|');
    if (!bar)
    {
        first = name;
        return true;
    }
    first.Set(name);
    first.data()[bar - name] = 0;
    second = bar + 1;
    return true;
}

ModelSocket* Model::GetSocket(int i, int j) const
{
    ModelMesh* mesh = GetMesh(i);
    if (!mesh || j < 0 || j >= mesh->GetSocketCount())
        return nullptr;
    return &mesh->sockets[size_t(j)];
}

int Model::GetSocketIndexByName(int i, const char* name) const
{
    const ModelMesh* mesh = GetMesh(i);
    if (!mesh || !name)
        return -1;
    for (int j = 0; j < mesh->GetSocketCount(); ++j)
        if (strcmp(mesh->sockets[size_t(j)].name, name) == 0)
            return j;
    return -1;
}

int Model::GetSocketJoint(int i, int j) const
{
    const ModelSocket* socket = GetSocket(i, j);
    return socket ? socket->joint : -1;
}

int Model::GetSphereCount(const Model* model)
{
    return model ? int(model->m_contents.spheres.size()) : -1;
}

const Vec4* Model::GetSpheres() const
{
    return m_contents.spheres.empty() ? nullptr : m_contents.spheres.data();
}

void Model::GetBoundingSphere(Vec3& centre, float& radius) const
{
    centre = m_contents.centre;
    radius = m_contents.radius;
}
