#include "SqLocalText.h"

#include <cstdio>

namespace
{
const char* TypeWord(SQObjectType type)
{
    switch (type)
    {
    case OT_NULL:
        return "NULL";
    case OT_TABLE:
        return "TABLE";
    case OT_ARRAY:
        return "ARRAY";
    case OT_CLOSURE:
        return "CLOSURE";
    case OT_NATIVECLOSURE:
        return "NATIVECLOSURE";
    case OT_GENERATOR:
        return "GENERATOR";
    case OT_USERDATA:
        return "USERDATA";
    case OT_USERPOINTER:
        return "USERPOINTER";
    case OT_THREAD:
        return "THREAD";
    case OT_CLASS:
        return "CLASS";
    case OT_INSTANCE:
        return "INSTANCE";
    case OT_WEAKREF:
        return "WEAKREF";
    default:
        return nullptr;
    }
}

std::string Line(const SQChar* name, const char* value)
{
    return std::string("[") + name + "] " + value + "\n";
}
} // namespace

std::string SqLocalText(HSQUIRRELVM v, const SQChar* name)
{
    char number[32];
    switch (sq_gettype(v, -1))
    {
    case OT_INTEGER:
    {
        SQInteger value = 0;
        sq_getinteger(v, -1, &value);
        snprintf(number, sizeof number, "%d", int(value));
        return Line(name, number);
    }
    case OT_FLOAT:
    {
        SQFloat value = 0;
        sq_getfloat(v, -1, &value);
        snprintf(number, sizeof number, "%.14g", double(value));
        return Line(name, number);
    }
    case OT_BOOL:
    {
        SQBool value = SQFalse;
        sq_getbool(v, -1, &value);
        return Line(name, value ? "true" : "false");
    }
    case OT_STRING:
    {
        const SQChar* value = "";
        sq_getstring(v, -1, &value);
        return Line(name, (std::string("\"") + value + "\"").c_str());
    }
    default:
        break;
    }
    const char* word = TypeWord(sq_gettype(v, -1));
    return word ? Line(name, word) : std::string();
}
