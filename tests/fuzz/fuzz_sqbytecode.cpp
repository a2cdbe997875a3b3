// Squirrel bytecode: whatever the reader accepts is run when it surely ends soon: no backward jump in
// any function (so no loop); and, once script functions exist, no class and at most one instruction that
// could run script code (a call, or an operator a metamethod could take over), so no recursion branches.
// The root table is empty: no library function to call.
#include "FuzzSquirrel.h"
#include "FuzzTarget.h"

#include "squirrel/src/SqOpcodes.h"
#include "squirrel/src/SqVM.h"

namespace
{
bool IsJump(uint8_t op)
{
    return op == OP_JMP || op == OP_JZ || op == OP_JNZ || op == OP_FOREACH || op == OP_PUSHTRAP;
}

bool IsCompareJump(uint8_t op)
{
    return op >= OP_JLT && op <= OP_JNE;
}

// Instructions that only move values or steer within the function.
bool NeverRunsScript(uint8_t op)
{
    switch (op)
    {
    case OP_LOADK:
    case OP_LOADINT:
    case OP_LOADNULL:
    case OP_LOADBOOL:
    case OP_MOVE:
    case OP_NEWTABLE:
    case OP_NEWARRAY:
    case OP_APPEND:
    case OP_JMP:
    case OP_JZ:
    case OP_JNZ:
    case OP_RETURN:
    case OP_YIELD:
    case OP_CLOSURE:
    case OP_GETOUTER:
    case OP_SETOUTER:
    case OP_LINE:
    case OP_CLOSE:
    case OP_PUSHTRAP:
    case OP_POPTRAP:
    case OP_THROW:
    case OP_GETBASE:
    case OP_GETROOT:
    case OP_NOT:
        return true;
    default:
        return false;
    }
}

struct Census
{
    bool backwardJump = false;
    bool nestedFunctions = false;
    bool classes = false;
    int mayRunScript = 0;
};

void Count(const SQFunctionProto& p, Census& census)
{
    const size_t n = p.code.size();
    for (size_t pc = 0; pc < n; ++pc)
    {
        const SQInstruction& i = p.code[pc];
        if ((IsJump(i.op) && i.sbx < 0) || (IsCompareJump(i.op) && pc + 1 < n && p.code[pc + 1].sbx < 0))
            census.backwardJump = true;
        census.classes = census.classes || i.op == OP_CLASS || i.op == OP_NEWMEMBER;
        if (!NeverRunsScript(i.op))
            ++census.mayRunScript;
    }
    census.nestedFunctions = census.nestedFunctions || !p.functions.empty();
    for (const Value& f : p.functions)
        Count(*f.Proto(), census);
}

bool EndsSurely(const SQFunctionProto& p)
{
    Census census;
    Count(p, census);
    if (census.backwardJump)
        return false;
    return !census.nestedFunctions || (!census.classes && census.mayRunScript <= 1);
}
} // namespace

FUZZ_TARGET(sqbytecode)(const uint8_t* data, size_t size)
{
    HSQUIRRELVM v = FuzzSharedVm();
    if (FuzzReadClosure(v, data, size))
    {
        std::vector<uint8_t> image;
        FuzzWriteClosure(v, image);
        if (EndsSurely(*v->At(-1).Closure()->Proto()))
        {
            sq_newtable(v);
            sq_call(v, 1, SQFalse, SQFalse);
        }
    }
    return 0;
}
