#pragma once
// The model cache: models are kept in the file table under their path
// (kind 'bufm'), shared by every holder and freed with the last release.
// A fixed table of known model paths lets scripts hide those models at once.

#include "core/FixedString.h"

class Model;
struct ShaderBucket;

constexpr int kBufferModelRows = 170;

struct BufferModelRow
{
    FixedString128 path;
    Model* model = nullptr;
};

// The cached model with one more reference, or a newly loaded one; null
// after a report when it cannot be loaded.
Model* ModelCache(const char* path);
// Drops one reference; the last one (or any for a model not cached) frees it.
void ModelRelease(Model* model);

// Reads the file into the model, replacing what it held only when the whole
// file, its side files and its buffers were made; false otherwise, the
// model untouched.
bool ModelLoad(Model* model, const char* path);
// The same, for the hot-reload listener.
bool ModelReload(Model* model, const char* path);

// The table's rows; paths are filled before start-up.
BufferModelRow* ModelBufferModelTable();
void ModelBufferModelSetPath(int row, const char* path);
// Sets the mask flag of the table's model of that path; nothing when the
// path is not in the table or its model is not loaded.
void ModelBufferModelMask(const char* name);
void ModelBufferModelsUnmaskAll();

// The model name that gets the static foliage bucket when cached.
constexpr char kFoliageModelName[] = "gFoliageModels";
// The render queue installs its static "basic16" bucket here.
void ModelSetFoliageShaderBucket(ShaderBucket* bucket);
ShaderBucket* ModelGetFoliageShaderBucket();
