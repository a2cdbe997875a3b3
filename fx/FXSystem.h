#pragma once
// The pools behind effect instances, shared by the handle and the instance.

#include <cstdint>

struct FXElementNode;
struct FXInstance;
class FXelementBase;

FXElementNode* FXTakeNode();
void FXReleaseNode(FXElementNode* node);
// Null when the type has no pool or its pool is empty.
FXelementBase* FXTakeElement(int32_t type);
void FXReleaseElement(int32_t type, FXelementBase* element);
