// Loading a model file into a record: read and check the whole file, build
// the GL objects, side sets and textures apart, and swap them in only when
// every part was made.

#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"
#include "cross/ModelCache.h"
#include "cross/ModelFile.h"
#include "cross/ModelTextureSearch.h"
#include "cross/ObjAnim.h"
#include "cross/UVAnim.h"
#include "opengl/GLBuffer.h"
#include "opengl/GLCaps.h"
#include "opengl/GLCheckError.h"

#include <cstring>

namespace
{
// Creates a buffer of the bytes; false when it could not be filled.
bool UploadBuffer(int kind, const void* bytes, size_t size, uint32_t& name)
{
    name = GLBufferCreate(kind, size);
    if (!name)
        return false;
    if (size == 0)
        return true;
    void* mapped = GLBufferMap(kind, name);
    if (!mapped)
        return false;
    memcpy(mapped, bytes, size);
    return GLBufferUnmap(kind, name);
}

bool UploadMesh(const ModelFileMesh& from, ModelMesh& mesh, const char* path)
{
    if (!UploadBuffer(kGLBufferVertex, from.vertices.data(), from.vertices.size(), mesh.vertexBuffer) ||
        !UploadBuffer(kGLBufferIndex, from.indices.data(), from.indices.size() * sizeof(uint16_t),
                      mesh.indexBuffer))
    {
        LogError("Model %s could not fill its GL buffers.\n", path);
        return false;
    }
    mesh.vertexMap = VertexMap_Create(mesh.vertexBuffer, mesh.indexBuffer, from.stride,
                                      int(from.attributes.size()), from.attributes.data());
    GL_CHECK_ERROR("ModelLoad");
    return true;
}

void TakeRecords(ModelFileMesh& from, ModelMesh& mesh)
{
    mesh.centre = from.centre;
    mesh.radius = from.radius;
    mesh.flags = from.flags;
    mesh.sortOrder = from.sortOrder;
    mesh.vertexCount = from.vertexCount;
    mesh.indexCount = uint32_t(from.indices.size());
    mesh.joints = std::move(from.joints);
    mesh.sockets = std::move(from.sockets);
    mesh.nodes = std::move(from.nodes);
    mesh.materials = std::move(from.materials);
}

void TieSideTracks(ModelMesh& mesh, UVAnimSet* uvAnims, ObjAnimSet* objAnims)
{
    for (ModelNode& node : mesh.nodes)
        node.objAnim = ObjAnimFind(objAnims, node.name);
    for (ModelMaterial& material : mesh.materials)
        for (int layer = 0; layer < kModelTextureLayers; ++layer)
            if (material.layerPresent[layer])
                material.layers[layer].uvAnim = UVAnimFind(uvAnims, material.layers[layer].name);
}

void FindTextures(ModelMesh& mesh, const char* path)
{
    for (ModelMaterial& material : mesh.materials)
        for (int layer = 0; layer < kModelTextureLayers; ++layer)
            if (material.layerPresent[layer] && !material.layers[layer].name.IsEmpty())
                material.layers[layer].texture = ModelFindTexture(material.layers[layer].name, path);
}

bool ReadModelFile(const char* path, ModelFile& file)
{
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open model %s failed.\n", path);
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, kModelFileBound, bytes))
        return false;
    return ModelFileParse(bytes.data(), bytes.size(), stream.SwapBytes(), path, file);
}

bool BuildContents(ModelFile& file, const char* path, ModelContents& contents)
{
    contents.centre = file.centre;
    contents.radius = file.radius;
    contents.spheres = std::move(file.spheres);
    const bool emulated = !GLCapsUsable(kGLCapVertexArrayObjects);
    // A vertex array bound now would take the new index buffers as its own.
    VertexMapBind(0);
    for (ModelFileMesh& from : file.meshes)
    {
        if (emulated)
            ModelConvertForEmulation(from);
        contents.meshes.emplace_back(new ModelMesh);
        ModelMesh& mesh = *contents.meshes.back();
        if (!UploadMesh(from, mesh, path))
            return false;
        TakeRecords(from, mesh);
        TieSideTracks(mesh, contents.uvAnims.get(), contents.objAnims.get());
    }
    return true;
}
} // namespace

bool ModelLoad(Model* model, const char* path)
{
    if (!model || !path)
        return false;
    if (strlen(path) >= sizeof(model->m_name))
    {
        LogError("Model path %s is too long.\n", path);
        return false;
    }
    ModelContents contents;
    contents.uvAnims = UVAnimRead(path);
    contents.objAnims = ObjAnimRead(path);
    ModelFile file;
    if (!ReadModelFile(path, file) || !BuildContents(file, path, contents))
        return false;
    for (const std::unique_ptr<ModelMesh>& mesh : contents.meshes)
        FindTextures(*mesh, path);
    // The old sets leave their lists as they go; the new ones enter.
    model->m_contents = std::move(contents);
    model->m_name = path;
    UVAnimEnter(model->GetUVAnims());
    ObjAnimEnter(model->GetObjAnims());
    return true;
}

bool ModelReload(Model* model, const char* path)
{
    return ModelLoad(model, path);
}
