#pragma once
// The script class "Prop" over the engine's Prop, held in the script
// instance: its model, its table of named mesh entries, hiding meshes, the
// places and facings of reference meshes, and the meshes chosen to drop in.
#include <squirrel.h>

class Prop;

extern const char kPropClassName[];

void RegisterPropScriptAPI(HSQUIRRELVM vm);

// The prop behind the instance at the index; null (with a script error set)
// when the value is no instance or its prop was never constructed.
Prop* ScriptGetProp(HSQUIRRELVM vm, SQInteger index);
// The matrix of the record's mesh entry, checked against the prop's current
// model; false when the index or its mesh is outside them.
bool PropMeshMatrix(const Prop& prop, uint32_t recordIndex, struct Mat4& out);
