#pragma once
// Finding a material layer's texture for a model: beside the model, then
// through the file table below the model's folder and each folder above it.

class Texture;

// The texture with one more reference, or null after the report
// "Could not find texture %s for model %s\n".
Texture* ModelFindTexture(const char* layerName, const char* modelPath);

// The file-table pattern that finds `name` in `folder` or any folder below
// it, both taken literally.
void ModelTexturePattern(const char* folder, const char* name, char* out, int capacity);
