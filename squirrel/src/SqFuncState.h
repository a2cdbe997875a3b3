// Code generation state for one function being compiled: registers, locals, outers, literals and jumps.
#pragma once

#include "SqObject.h"
#include "SqOpcodes.h"

#include <map>
#include <string>
#include <utility>

struct SQSharedState;

struct SQLocalVar
{
    Value name;
    SQInteger reg;
    bool captured;
    size_t debugIndex; // its entry in the prototype's local variable table
};

// Thrown when a function needs more stack slots than one frame may have; the compiler reports it.
struct SQTooManyLocals
{
};

struct SQFuncState
{
    // A frame holds 'this', the parameters, the locals and the temporaries in at most this many slots.
    static constexpr SQInteger kMaxStackSlots = 256;

    SQFuncState(SQSharedState* ss, SQFuncState* parent, const Value& sourceName);
    SQSharedState* ss;
    SQFuncState* parent;
    Value protoValue;
    SQFunctionProto* proto;
    std::vector<SQLocalVar> locals;
    SQInteger freeReg = 0;
    SQInteger line = 0;
    SQInteger activeTraps = 0;
    std::map<std::pair<SQInteger, SQRawObjectVal>, SQInteger> literalIndex;

    SQInteger Emit(uint8_t op, SQInteger a = 0, SQInteger b = 0, SQInteger c = 0, SQInteger x = 0);
    SQInteger EmitJump(uint8_t op, SQInteger a = 0); // returns the pc of the jump to patch
    SQInteger Pc() const { return SQInteger(proto->code.size()); }
    void PatchJump(SQInteger pc, SQInteger target);
    void PatchToHere(SQInteger pc) { PatchJump(pc, Pc()); }
    void PatchListToHere(const std::vector<SQInteger>& pcs);
    SQInstruction& At(SQInteger pc) { return proto->code[size_t(pc)]; }

    SQInteger Literal(const Value& v);
    SQInteger StringLiteral(const std::string& s);

    SQInteger AllocReg();
    void FreeReg(SQInteger reg);
    SQInteger ActiveLocals() const { return SQInteger(locals.size()); }
    bool IsTemp(SQInteger reg) const { return reg >= ActiveLocals(); }

    SQInteger DeclareLocal(const Value& name); // at the next free register
    // Moves the debug record of the local in 'reg' after the others: listings, which run from the last
    // record back, then name it first.
    void ListLocalFirst(SQInteger reg);
    SQInteger FindLocal(const Value& name) const;
    SQInteger FindOuter(const Value& name); // resolves through enclosing functions, -1 if none
    void RemoveLocalsAbove(SQInteger count);
    bool AnyCapturedFrom(SQInteger localCount) const;
    void SetLine(SQInteger l) { line = l; }
    // Closes the debug ranges of the locals still active when the function ends.
    void Finish();
};
