// Closures written as bytecode and read back. The image is this VM's own: it starts with the stream tag
// that tells bytecode from source, then a header that pins the integer, float and instruction formats, then
// the function prototype tree. Reading trusts nothing: counts are bounded, strings and lists are read
// element by element as the bytes arrive, and every instruction is checked against its function (registers,
// literals, nested functions, free variables, jump targets) before anything can run it.
#include "SqOpcodes.h"
#include "SqState.h"
#include "SqVM.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{
const char kMagic[4] = {'S', 'Q', 'P', 'B'};
constexpr uint32_t kFormatVersion = 1;
constexpr uint32_t kMaxCount = 1u << 24; // no list or string of a script comes near this
constexpr int kMaxNesting = 200;         // nested functions; the compiler bounds its nesting lower
constexpr SQInteger kMaxRegisters = 0xFFFF;

enum LiteralTag : uint8_t
{
    TagNull,
    TagInteger,
    TagFloat,
    TagBool,
    TagString
};

class Writer
{
public:
    Writer(SQWRITEFUNC f, SQUserPointer up) : m_write(f), m_up(up) {}
    bool Bytes(const void* data, size_t size)
    {
        if (!m_ok || size == 0)
            return m_ok;
        m_ok = m_write(m_up, const_cast<void*>(data), SQInteger(size)) == SQInteger(size);
        return m_ok;
    }
    template <class T> bool Raw(T value) { return Bytes(&value, sizeof(value)); }
    bool Count(size_t n) { return Raw(uint32_t(n)); }
    bool Literal(const Value& v)
    {
        switch (v._type)
        {
        case OT_NULL:
            return Raw(uint8_t(TagNull));
        case OT_INTEGER:
            return Raw(uint8_t(TagInteger)) && Raw(v.Int());
        case OT_FLOAT:
            return Raw(uint8_t(TagFloat)) && Raw(v.Float());
        case OT_BOOL:
            return Raw(uint8_t(TagBool)) && Raw(uint8_t(v.Int() != 0));
        case OT_STRING:
            return Raw(uint8_t(TagString)) && Count(size_t(v.Str()->len)) &&
                   Bytes(v.Str()->data, size_t(v.Str()->len));
        default:
            return false;
        }
    }
    bool Proto(const SQFunctionProto* p)
    {
        bool ok = Literal(p->sourceName) && Literal(p->name) && Raw(int32_t(p->nparams)) &&
                  Raw(int32_t(p->ndefaults)) && Raw(int32_t(p->maxStack)) && Raw(uint8_t(p->varParams)) &&
                  Raw(uint8_t(p->generator)) && Raw(uint8_t(p->simpleCall)) && Count(p->literals.size());
        for (const Value& k : p->literals)
            ok = ok && Literal(k);
        ok = ok && Count(p->code.size()) && Bytes(p->code.data(), p->code.size() * sizeof(SQInstruction));
        ok = ok && Count(p->functions.size());
        for (const Value& f : p->functions)
            ok = ok && Proto(f.Proto());
        ok = ok && Count(p->outers.size());
        for (const SQOuterInfo& o : p->outers)
            ok = ok && Raw(uint8_t(o.fromStack)) && Raw(int32_t(o.index)) && Literal(o.name);
        ok = ok && Count(p->locals.size());
        for (const SQLocalInfo& l : p->locals)
            ok = ok && Literal(l.name) && Raw(int32_t(l.reg)) && Raw(int32_t(l.startPc)) &&
                 Raw(int32_t(l.endPc));
        ok = ok && Count(p->lines.size());
        for (const SQLineInfo& l : p->lines)
            ok = ok && Raw(int32_t(l.pc)) && Raw(int32_t(l.line));
        return ok;
    }
    bool Ok() const { return m_ok; }

private:
    SQWRITEFUNC m_write;
    SQUserPointer m_up;
    bool m_ok = true;
};

// What follows the stream tag.
bool WriteHeader(Writer& w)
{
    return w.Bytes(kMagic, sizeof(kMagic)) &&
           w.Raw(kFormatVersion) && w.Raw(uint8_t(sizeof(SQInteger))) && w.Raw(uint8_t(sizeof(SQFloat))) &&
           w.Raw(uint8_t(sizeof(SQInstruction))) && w.Raw(uint8_t(OP_LINE + 1));
}

// Whether each instruction's operands stay inside its function: the interpreter indexes registers,
// literals, nested functions and free variables without checks of its own.
class CodeChecker
{
public:
    CodeChecker(const SQFunctionProto& p, const SQFunctionProto* parent) : m_p(p), m_parent(parent) {}
    bool Check()
    {
        const size_t n = m_p.code.size();
        if (n == 0 || m_p.code[n - 1].op != OP_RETURN)
            return false; // running off the end is impossible only after a final return
        // A compare-and-jump is followed by a word holding the distance, never run as an instruction.
        m_data.assign(n, false);
        for (size_t pc = 0; pc + 1 < n; pc++)
        {
            if (m_p.code[pc].op >= OP_JLT && m_p.code[pc].op <= OP_JNE)
                m_data[++pc] = true;
        }
        for (size_t pc = 0; pc < n; pc++)
        {
            const SQInstruction& i = m_p.code[pc];
            if (m_data[pc])
            {
                if (!Target(pc + 1, i.sbx))
                    return false;
                continue;
            }
            if (!Instruction(i, pc))
                return false;
        }
        return Debug() && Outers();
    }

private:
    bool Reg(SQInteger r) const { return r >= 0 && r < m_p.maxStack; }
    bool Regs(SQInteger first, SQInteger count) const { return first >= 0 && first + count <= m_p.maxStack; }
    bool Lit(SQInteger k) const { return k >= 0 && size_t(k) < m_p.literals.size(); }
    bool RegOrLit(bool literal, SQInteger v) const { return literal ? Lit(v) : Reg(v); }
    bool OptionalReg(SQInteger r) const { return r == NO_REG || Reg(r); }
    // Jumps are relative to the instruction after the jump, and land on an instruction.
    bool Target(size_t next, int32_t distance) const
    {
        const int64_t to = int64_t(next) + distance;
        return to >= 0 && to < int64_t(m_p.code.size()) && !m_data[size_t(to)];
    }
    bool Instruction(const SQInstruction& i, size_t pc) const
    {
        switch (i.op)
        {
        case OP_LOADK:
            return Reg(i.a) && Lit(i.sbx);
        case OP_LOADINT:
        case OP_NEWTABLE:
        case OP_NEWARRAY:
        case OP_LOADBOOL:
        case OP_THROW:
        case OP_GETBASE:
        case OP_GETROOT:
            return Reg(i.a);
        case OP_LOADNULL:
            return Regs(i.a, i.b);
        case OP_MOVE:
        case OP_APPEND:
        case OP_NEG:
        case OP_NOT:
        case OP_BNOT:
        case OP_INC:
        case OP_TYPEOF:
        case OP_CLONE:
        case OP_RESUME:
            return Reg(i.a) && Reg(i.b);
        case OP_GETOUTER:
            return Reg(i.a) && i.b < m_p.outers.size();
        case OP_SETOUTER:
            return i.a < m_p.outers.size() && Reg(i.b);
        case OP_GET:
        case OP_SET:
        case OP_DELETE:
        case OP_INSTANCEOF:
        case OP_IN:
            return Reg(i.a) && Reg(i.b) && Reg(i.c);
        case OP_GETK:
            return Reg(i.a) && Reg(i.b) && Lit(i.c);
        case OP_SETK:
            return Reg(i.a) && Lit(i.b) && Reg(i.c);
        case OP_NEWSLOT:
            return Reg(i.a) && RegOrLit(i.x & 1, i.b) && Reg(i.c);
        case OP_NEWMEMBER:
            return Reg(i.a) && Reg(i.b) && Reg(i.c) && (!(i.x & 1) || Reg(i.b - 1));
        case OP_CALL:
        case OP_TAILCALL:
            return Regs(i.a, i.b + 1);
        case OP_PREPCALL:
            return Regs(i.a, 2) && Reg(i.b) && Reg(i.c);
        case OP_PREPCALLK:
            return Regs(i.a, 2) && Reg(i.b) && Lit(i.c);
        case OP_CLOSURE:
            return Reg(i.a) && i.b < m_p.functions.size() && Regs(i.c, m_p.functions[i.b].Proto()->ndefaults);
        case OP_RETURN:
        case OP_YIELD:
            return !i.x || Reg(i.a);
        case OP_JMP:
            return Target(pc + 1, i.sbx);
        case OP_JZ:
        case OP_JNZ:
            return Reg(i.a) && Target(pc + 1, i.sbx);
        case OP_ADD:
        case OP_SUB:
        case OP_MUL:
        case OP_DIV:
        case OP_MOD:
        case OP_BAND:
        case OP_BOR:
        case OP_BXOR:
        case OP_SHL:
        case OP_SHR:
        case OP_USHR:
        case OP_EQ:
        case OP_NE:
        case OP_CMP3:
            return Reg(i.a) && Reg(i.b) && RegOrLit(i.x != 0, i.c);
        case OP_LT:
        case OP_LE:
        case OP_GT:
        case OP_GE:
            return Reg(i.a) && Reg(i.b) && RegOrLit(i.x & 1, i.c);
        case OP_JLT:
        case OP_JLE:
        case OP_JGT:
        case OP_JGE:
        case OP_JEQ:
        case OP_JNE:
            return pc + 1 < m_p.code.size() && m_data[pc + 1] && Reg(i.b) && RegOrLit(i.x & 1, i.c);
        case OP_FOREACH:
            return Regs(i.a, 4) && Target(pc + 1, i.sbx);
        case OP_CLASS:
            return Reg(i.a) && OptionalReg(i.b) && OptionalReg(i.c);
        case OP_PUSHTRAP:
            return Reg(i.a) && Target(pc + 1, i.sbx);
        case OP_POPTRAP:
        case OP_LINE:
            return true;
        case OP_CLOSE:
            return i.a <= m_p.maxStack;
        default:
            return false;
        }
    }
    bool Debug() const
    {
        const SQInteger n = SQInteger(m_p.code.size());
        for (const SQLocalInfo& l : m_p.locals)
            if (l.name._type != OT_STRING || !Reg(l.reg) || l.startPc < 0 || l.startPc > l.endPc ||
                l.endPc > n)
                return false;
        for (const SQLineInfo& l : m_p.lines)
            if (l.pc < 0 || l.pc > n)
                return false;
        return true;
    }
    // A free variable is a register of the enclosing function or one of its own free variables.
    bool Outers() const
    {
        for (const SQOuterInfo& o : m_p.outers)
        {
            if (!m_parent || o.index < 0)
                return false;
            if (o.fromStack ? o.index >= m_parent->maxStack : size_t(o.index) >= m_parent->outers.size())
                return false;
        }
        return true;
    }

    const SQFunctionProto& m_p;
    const SQFunctionProto* m_parent;
    std::vector<bool> m_data; // words that hold a jump distance
};

class Reader
{
public:
    Reader(SQVM* v, SQREADFUNC f, SQUserPointer up) : m_v(v), m_read(f), m_up(up) {}
    bool Bytes(void* data, size_t size)
    {
        if (size == 0)
            return true;
        if (m_read(m_up, data, SQInteger(size)) == SQInteger(size))
            return true;
        m_short = true;
        return false;
    }
    // Whether a failure came from the stream ending or failing rather than from what it held.
    bool Short() const { return m_short; }
    template <class T> bool Raw(T& value) { return Bytes(&value, sizeof(value)); }
    bool Count(uint32_t& n) { return Raw(n) && n <= kMaxCount; }
    bool Int(SQInteger& out)
    {
        int32_t value;
        if (!Raw(value))
            return false;
        out = value;
        return true;
    }
    bool Flag(bool& out)
    {
        uint8_t b;
        if (!Raw(b) || b > 1)
            return false;
        out = b != 0;
        return true;
    }
    bool Literal(Value& out)
    {
        uint8_t tag;
        if (!Raw(tag))
            return false;
        switch (tag)
        {
        case TagNull:
            out.Null();
            return true;
        case TagInteger:
        {
            SQInteger i;
            if (!Raw(i))
                return false;
            out = Value(i);
            return true;
        }
        case TagFloat:
        {
            SQFloat f;
            if (!Raw(f))
                return false;
            out = Value(f);
            return true;
        }
        case TagBool:
        {
            bool b;
            if (!Flag(b))
                return false;
            out = Value(b);
            return true;
        }
        case TagString:
            return String(out);
        default:
            return false;
        }
    }
    // What follows the stream tag.
    bool Header()
    {
        char magic[4];
        uint32_t version;
        uint8_t intSize, floatSize, instructionSize, opcodes;
        return Bytes(magic, sizeof(magic)) &&
               std::equal(magic, magic + 4, kMagic) && Raw(version) && version == kFormatVersion &&
               Raw(intSize) && intSize == sizeof(SQInteger) && Raw(floatSize) &&
               floatSize == sizeof(SQFloat) && Raw(instructionSize) &&
               instructionSize == sizeof(SQInstruction) && Raw(opcodes) && opcodes == OP_LINE + 1;
    }
    // The whole tree is read before any function is checked: a nested function's free variables
    // refer to its parent's, which follow the nested functions in the image.
    bool Tree(Value& out) { return Proto(out, 0) && CheckTree(*out.Proto(), nullptr); }

private:
    static bool CheckTree(const SQFunctionProto& p, const SQFunctionProto* parent)
    {
        if (!CodeChecker(p, parent).Check())
            return false;
        for (const Value& f : p.functions)
            if (!CheckTree(*f.Proto(), &p))
                return false;
        return true;
    }
    bool Proto(Value& out, int depth)
    {
        if (depth > kMaxNesting)
            return false;
        SQFunctionProto* p = new SQFunctionProto();
        out = Value(OT_FUNCPROTO, p);
        bool simpleCall;
        if (!Literal(p->sourceName) || !Literal(p->name) || !Int(p->nparams) || !Int(p->ndefaults) ||
            !Int(p->maxStack) || !Flag(p->varParams) || !Flag(p->generator) || !Flag(simpleCall))
            return false;
        p->simpleCall = !p->varParams && !p->generator; // the fast call path relies on it
        if (p->maxStack < 1 || p->maxStack > kMaxRegisters || p->nparams < 1 ||
            p->nparams + (p->varParams ? 1 : 0) > p->maxStack || p->ndefaults < 0 ||
            p->ndefaults >= p->nparams)
            return false;
        const bool ok = List(p->literals, [this](Value& k) { return Literal(k); }) &&
                        List(p->code, [this](SQInstruction& i) { return Bytes(&i, sizeof(i)); }) &&
                        List(p->functions, [this, depth](Value& f) { return Proto(f, depth + 1); }) &&
                        List(p->outers, [this](SQOuterInfo& o)
                             { return Flag(o.fromStack) && Int(o.index) && Literal(o.name); }) &&
                        List(p->locals, [this](SQLocalInfo& l)
                             { return Literal(l.name) && Int(l.reg) && Int(l.startPc) && Int(l.endPc); }) &&
                        List(p->lines, [this](SQLineInfo& l) { return Int(l.pc) && Int(l.line); });
        return ok;
    }
    // A count, then that many elements read one by one: a bogus count fails at the end of the bytes
    // instead of reserving memory for them.
    template <class T, class F> bool List(std::vector<T>& out, F readOne)
    {
        uint32_t n;
        if (!Count(n))
            return false;
        for (uint32_t k = 0; k < n; k++)
        {
            out.emplace_back();
            if (!readOne(out.back()))
                return false;
        }
        return true;
    }
    bool String(Value& out)
    {
        uint32_t len;
        if (!Count(len))
            return false;
        std::string text;
        char chunk[256];
        while (text.size() < len)
        {
            const size_t part = std::min(sizeof(chunk), size_t(len) - text.size());
            if (!Bytes(chunk, part))
                return false;
            text.append(chunk, part);
        }
        out = MakeString(m_v->ss, text.data(), SQInteger(text.size()));
        return true;
    }

    SQVM* m_v;
    SQREADFUNC m_read;
    SQUserPointer m_up;
    bool m_short = false;
};

SQRESULT Fail(SQVM* v, const char* message)
{
    v->Raise("%s", message);
    return SQ_ERROR;
}
} // namespace

// The failures report what 3.0 reports for its own image: the stream tag on its own, then the rest.
SQRESULT sq_writeclosure(HSQUIRRELVM v, SQWRITEFUNC writef, SQUserPointer up)
{
    const Value* o = Typed(v, -1, OT_CLOSURE);
    if (!o)
        return SQ_ERROR;
    const SQClosure* c = o->Closure();
    if (!c->outers.empty())
        return Fail(v, "a closure with free variables cannot be serialized");
    Writer w(writef, up);
    if (!w.Raw(uint16_t(SQ_BYTECODE_STREAM_TAG)))
        return Fail(v, "io error");
    bool ok = WriteHeader(w) && w.Proto(c->Proto()) && w.Count(c->defaults.size());
    for (const Value& d : c->defaults)
    {
        if (!ok)
            break;
        if (d._type != OT_NULL && d._type != OT_INTEGER && d._type != OT_FLOAT && d._type != OT_BOOL &&
            d._type != OT_STRING)
            return Fail(v, "a default parameter value of this type cannot be serialized");
        ok = w.Literal(d);
    }
    if (!ok)
        return Fail(v, "io error (write function failure)");
    return SQ_OK;
}

namespace
{
SQRESULT FailRead(SQVM* v, const Reader& r)
{
    return Fail(v, r.Short() ? "io error, read function failure, the origin stream could be corrupted/trucated"
                             : "invalid or corrupted closure stream");
}
} // namespace

SQRESULT sq_readclosure(HSQUIRRELVM v, SQREADFUNC readf, SQUserPointer up)
{
    Reader r(v, readf, up);
    uint16_t tag;
    if (!r.Raw(tag))
        return Fail(v, "io error");
    if (tag != SQ_BYTECODE_STREAM_TAG)
        return Fail(v, "invalid stream");
    Value proto;
    if (!r.Header() || !r.Tree(proto))
        return FailRead(v, r);
    uint32_t ndefaults;
    if (!r.Count(ndefaults) || SQInteger(ndefaults) != proto.Proto()->ndefaults)
        return FailRead(v, r);
    SQClosure* c = SQClosure::Create(v->ss, proto);
    Value cv(OT_CLOSURE, c);
    for (uint32_t k = 0; k < ndefaults; k++)
    {
        if (!r.Literal(c->defaults[k]))
            return FailRead(v, r);
    }
    v->Push(cv);
    return SQ_OK;
}
