#include "SqFuncState.h"

#include "SqState.h"

SQFuncState::SQFuncState(SQSharedState* s, SQFuncState* p, const Value& sourceName) : ss(s), parent(p)
{
    proto = new SQFunctionProto();
    protoValue = Value(OT_FUNCPROTO, proto);
    proto->sourceName = sourceName;
}

SQInteger SQFuncState::Emit(uint8_t op, SQInteger a, SQInteger b, SQInteger c, SQInteger x)
{
    if (proto->lines.empty() || proto->lines.back().line != line)
        proto->lines.push_back({Pc(), line});
    SQInstruction i;
    i.op = op;
    i.x = uint8_t(x);
    i.a = uint16_t(a);
    i.b = uint16_t(b);
    i.c = uint16_t(c);
    proto->code.push_back(i);
    return Pc() - 1;
}

SQInteger SQFuncState::EmitJump(uint8_t op, SQInteger a)
{
    SQInteger pc = Emit(op, a);
    At(pc).sbx = 0;
    return pc;
}

void SQFuncState::PatchJump(SQInteger pc, SQInteger target)
{
    At(pc).sbx = int32_t(target - (pc + 1));
}

void SQFuncState::PatchListToHere(const std::vector<SQInteger>& pcs)
{
    for (SQInteger pc : pcs)
        PatchToHere(pc);
}

SQInteger SQFuncState::Literal(const Value& v)
{
    auto key = std::make_pair(SQInteger(v._type), v._unVal.raw);
    auto it = literalIndex.find(key);
    if (it != literalIndex.end())
        return it->second;
    SQInteger index = SQInteger(proto->literals.size());
    proto->literals.push_back(v);
    literalIndex[key] = index;
    return index;
}

SQInteger SQFuncState::StringLiteral(const std::string& s)
{
    return Literal(MakeString(ss, s.data(), SQInteger(s.size())));
}

SQInteger SQFuncState::AllocReg()
{
    if (freeReg >= kMaxStackSlots)
        throw SQTooManyLocals();
    SQInteger reg = freeReg++;
    if (freeReg > proto->maxStack)
        proto->maxStack = freeReg;
    return reg;
}

void SQFuncState::FreeReg(SQInteger reg)
{
    if (reg >= ActiveLocals() && reg == freeReg - 1)
        freeReg--;
}

void SQFuncState::ListLocalFirst(SQInteger reg)
{
    const size_t from = locals[size_t(reg)].debugIndex;
    const SQLocalInfo record = proto->locals[from];
    proto->locals.erase(proto->locals.begin() + std::ptrdiff_t(from));
    proto->locals.push_back(record);
    for (SQLocalVar& l : locals)
        if (l.debugIndex > from)
            l.debugIndex--;
    locals[size_t(reg)].debugIndex = proto->locals.size() - 1;
}

SQInteger SQFuncState::DeclareLocal(const Value& name)
{
    SQInteger reg = SQInteger(locals.size());
    if (reg >= kMaxStackSlots)
        throw SQTooManyLocals();
    locals.push_back({name, reg, false, proto->locals.size()});
    proto->locals.push_back({name, reg, Pc(), -1});
    if (freeReg < reg + 1)
        freeReg = reg + 1;
    if (freeReg > proto->maxStack)
        proto->maxStack = freeReg;
    return reg;
}

SQInteger SQFuncState::FindLocal(const Value& name) const
{
    for (size_t i = locals.size(); i-- > 0;)
        if (RawEqual(locals[i].name, name))
            return locals[i].reg;
    return -1;
}

SQInteger SQFuncState::FindOuter(const Value& name)
{
    for (size_t i = 0; i < proto->outers.size(); i++)
        if (RawEqual(proto->outers[i].name, name))
            return SQInteger(i);
    if (!parent)
        return -1;
    SQInteger reg = parent->FindLocal(name);
    if (reg >= 0)
    {
        for (SQLocalVar& l : parent->locals)
            if (l.reg == reg)
                l.captured = true;
        proto->outers.push_back({true, reg, name});
        return SQInteger(proto->outers.size()) - 1;
    }
    SQInteger outer = parent->FindOuter(name);
    if (outer < 0)
        return -1;
    proto->outers.push_back({false, outer, name});
    return SQInteger(proto->outers.size()) - 1;
}

void SQFuncState::RemoveLocalsAbove(SQInteger count)
{
    while (SQInteger(locals.size()) > count)
    {
        proto->locals[locals.back().debugIndex].endPc = Pc();
        locals.pop_back();
    }
    freeReg = count;
}

void SQFuncState::Finish()
{
    // A jump that lands on a return becomes that return (the jump slots of fused compares stay jumps).
    std::vector<SQInstruction>& code = proto->code;
    for (size_t pc = 0; pc < code.size(); pc++)
    {
        bool slot = pc > 0 && code[pc - 1].op >= OP_JLT && code[pc - 1].op <= OP_JNE;
        if (code[pc].op != OP_JMP || slot)
            continue;
        SQInteger target = SQInteger(pc) + 1 + code[pc].sbx;
        if (target >= 0 && target < SQInteger(code.size()) && code[size_t(target)].op == OP_RETURN)
            code[pc] = code[size_t(target)];
    }
    for (SQLocalInfo& l : proto->locals)
        if (l.endPc < 0)
            l.endPc = Pc();
}

bool SQFuncState::AnyCapturedFrom(SQInteger localCount) const
{
    for (size_t i = size_t(localCount); i < locals.size(); i++)
        if (locals[i].captured)
            return true;
    return false;
}
