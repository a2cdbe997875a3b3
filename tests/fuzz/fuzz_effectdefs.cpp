// Effect definition files: keywords, numbers and curves through the shared
// tokenizer into the fixed definition tables.
#include "FuzzTarget.h"

#include "fx/FXDefinitions.h"
#include "fx/FXEffectFile.h"

#include <climits>

namespace
{
ShaderProgram* NoShader(const char*)
{
    return nullptr;
}
Model* NoModel(const char*)
{
    return nullptr;
}
AnimBuffer* NoAnim(const char*, uint32_t)
{
    return nullptr;
}
} // namespace

FUZZ_TARGET(effectdefs)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    if (size > INT_MAX)
        return 0;
    FXSetResourceLoaders(FXResourceLoaders{NoShader, NoModel, NoAnim});
    FXBuildKeywordTables();
    FXClearDefinitions();
    // Twice: the second effect is placed after the first one's elements.
    for (int pass = 0; pass < 2; ++pass)
        FXParseEffectText("fuzz.csv", reinterpret_cast<const char*>(data), static_cast<int>(size));
    const FXDefinitionTables& tables = FXGetDefinitionTables();
    volatile float seen = 0.0f;
    for (int i = 0; i < tables.effectCount; ++i)
        for (int e = 0; e < tables.effects[i].elementCount; ++e)
        {
            const FXElementDef* element = FXGetElementDef(tables.effects[i].firstElement + e);
            if (element != nullptr && element->sizeCurve.keyCount > 0)
                seen = seen + element->sizeCurve.keys[element->sizeCurve.keyCount - 1].value;
        }
    FXClearDefinitions();
    return 0;
}
