#include "SqCompiler.h"

#include "SqFuncState.h"
#include "SqLexer.h"
#include "SqState.h"
#include "SqVM.h"

#include <memory>

namespace
{

// Where an expression's value is; values are placed in registers only when needed.
enum ExpKind
{
    E_VOID,
    E_REG,    // value in register a
    E_LOCAL,  // local variable in register a (assignable)
    E_OUTER,  // captured variable a (assignable)
    E_FIELD,  // a[b], both registers (assignable)
    E_FIELDK, // a[K[b]] (assignable); root: unresolved name looked up through this, then the root table
    E_RELOC,  // instruction at pc a produces the value; its target register is set later
    E_CONST,  // compile-time value
};

struct Exp
{
    ExpKind kind = E_VOID;
    SQInteger a = 0;
    SQInteger b = 0;
    bool root = false;
    bool isBase = false;        // the object is 'base'
    SQInteger postIncMove = -1; // pc of the copy a postfix increment made of the old value
    Value constant;
};

struct CompileFailure
{
};

struct LoopTarget
{
    std::vector<SQInteger> breaks;
    std::vector<SQInteger> continues;
    SQInteger localCount;
    SQInteger traps;
    bool isSwitch;
};

class Compiler
{
public:
    Compiler(SQVM* vm, const char* src, SQInteger size, const char* sourceName)
        : vm(vm), ss(vm->ss), lex(src, size), sourceName(MakeString(vm->ss, sourceName))
    {
    }

    bool Compile(Value& out, SQCompileError& err)
    {
        try
        {
            SQFuncState main(ss, nullptr, sourceName);
            fs = &main;
            main.proto->name = MakeString(ss, "main");
            main.DeclareLocal(MakeString(ss, "this"));
            main.DeclareLocal(MakeString(ss, "vargv"));
            main.proto->nparams = 1;
            main.proto->varParams = true;
            main.proto->simpleCall = false;
            Lex();
            while (lex.token != TK_EOS)
            {
                Statement();
                if (prevToken != '}' && prevToken != ';')
                    OptionalSemicolon();
            }
            main.SetLine(lex.line); // the implicit return belongs to the end of the source
            main.Emit(OP_RETURN, 0, 0, 0, 0);
            main.Finish();
            out = main.protoValue;
            return true;
        }
        catch (CompileFailure&)
        {
            err = error;
            return false;
        }
        catch (SQTooManyLocals&)
        {
            err.message = "internal compiler error: too many locals";
            err.line = lex.ReportLine();
            err.column = lex.ReportColumn();
            return false;
        }
    }

private:
    SQVM* vm;
    SQSharedState* ss;
    SQLexer lex;
    Value sourceName;
    SQFuncState* fs = nullptr;
    int prevToken = 0;
    std::vector<LoopTarget> loops;
    SQCompileError error;

    [[noreturn]] void Fail(const std::string& msg)
    {
        error.message = msg;
        error.line = lex.ReportLine();
        error.column = lex.ReportColumn();
        throw CompileFailure();
    }
    void Lex()
    {
        prevToken = lex.token;
        if (!lex.Next())
        {
            error.message = lex.Error();
            error.line = lex.errorLine;
            error.column = lex.errorColumn;
            throw CompileFailure();
        }
    }
    [[noreturn]] void Expected(int token)
    {
        const char* text = SQLexer::TokenText(token);
        std::string t = text ? text : std::string(1, char(token));
        Fail("expected '" + t + "'");
    }
    void Expect(int token)
    {
        if (lex.token != token)
            Expected(token);
        Lex();
    }
    std::string ExpectIdentifier()
    {
        // 'constructor' is a keyword but serves wherever a name is expected
        if (lex.token == TK_CONSTRUCTOR)
        {
            Lex();
            return "constructor";
        }
        if (lex.token != TK_IDENTIFIER)
            Expected(TK_IDENTIFIER);
        std::string id = lex.text;
        Lex();
        return id;
    }
    Value Str(const std::string& s) { return MakeString(ss, s.data(), SQInteger(s.size())); }
    bool IsEndOfStatement() const
    {
        return lex.newlineBefore || lex.token == TK_EOS || lex.token == '}' || lex.token == ';';
    }
    void OptionalSemicolon()
    {
        if (lex.token == ';')
        {
            Lex();
            return;
        }
        if (!IsEndOfStatement())
            Fail("end of statement expected (; or lf)");
    }

    // A literal used as a key: instructions hold its index in 16 bits, so a function with more distinct
    // keys than that cannot be compiled rather than running with the wrong ones.
    SQInteger KeyLiteral(const Value& key)
    {
        const SQInteger k = fs->Literal(key);
        if (k > 0xFFFF)
            Fail("too many literals in one function");
        return k;
    }

    // ---- expression values to registers
    void FreeExp(const Exp& e)
    {
        if (e.kind == E_REG)
            fs->FreeReg(e.a);
        else if (e.kind == E_FIELD)
        {
            if (e.b > e.a)
            {
                fs->FreeReg(e.b);
                fs->FreeReg(e.a);
            }
            else
            {
                fs->FreeReg(e.a);
                fs->FreeReg(e.b);
            }
        }
        else if (e.kind == E_FIELDK)
        {
            fs->FreeReg(e.a);
        }
    }
    void LoadConst(const Value& v, SQInteger reg)
    {
        switch (v._type)
        {
        case OT_NULL:
            fs->Emit(OP_LOADNULL, reg, 1);
            break;
        case OT_BOOL:
            fs->Emit(OP_LOADBOOL, reg, v.Int());
            break;
        case OT_INTEGER:
        {
            SQInteger pc = fs->Emit(OP_LOADINT, reg);
            fs->At(pc).sbx = v.Int();
            break;
        }
        default:
        {
            SQInteger k = fs->Literal(v);
            SQInteger pc = fs->Emit(OP_LOADK, reg);
            fs->At(pc).sbx = int32_t(k);
        }
        }
    }
    // Puts the value in some register without moving locals.
    void Discharge(Exp& e)
    {
        switch (e.kind)
        {
        case E_OUTER:
            e.a = fs->Emit(OP_GETOUTER, 0, e.a);
            e.kind = E_RELOC;
            break;
        case E_FIELD:
            FreeExp(e);
            e.a = fs->Emit(OP_GET, 0, e.a, e.b);
            e.kind = E_RELOC;
            break;
        case E_FIELDK:
            FreeExp(e);
            e.a = fs->Emit(OP_GETK, 0, e.a, e.b, e.root ? 1 : 0);
            e.kind = E_RELOC;
            break;
        default:
            break;
        }
    }
    // Moves the value into reg, releasing the temporaries it occupied.
    void ToReg(Exp& e, SQInteger reg)
    {
        Discharge(e);
        FreeExp(e);
        EmitToReg(e, reg);
    }
    void EmitToReg(Exp& e, SQInteger reg)
    {
        switch (e.kind)
        {
        case E_RELOC:
            fs->At(e.a).a = uint16_t(reg);
            break;
        case E_CONST:
            LoadConst(e.constant, reg);
            break;
        case E_REG:
        case E_LOCAL:
            if (e.a != reg)
                fs->Emit(OP_MOVE, reg, e.a);
            break;
        default:
            fs->Emit(OP_LOADNULL, reg, 1);
            break;
        }
        e.kind = E_REG;
        e.a = reg;
    }
    SQInteger ToNextReg(Exp& e)
    {
        Discharge(e);
        FreeExp(e);
        SQInteger reg = fs->AllocReg();
        EmitToReg(e, reg);
        return reg;
    }
    SQInteger ToAnyReg(Exp& e)
    {
        Discharge(e);
        if (e.kind == E_REG || e.kind == E_LOCAL)
            return e.a;
        return ToNextReg(e);
    }
    Exp RegExp(SQInteger reg)
    {
        Exp e;
        e.kind = E_REG;
        e.a = reg;
        return e;
    }
    Exp ConstExp(const Value& v)
    {
        Exp e;
        e.kind = E_CONST;
        e.constant = v;
        return e;
    }
    Exp RelocExp(SQInteger pc)
    {
        Exp e;
        e.kind = E_RELOC;
        e.a = pc;
        return e;
    }
    // Emits a jump taken when e is false; returns the pc to patch.
    SQInteger JumpIfFalse(Exp& e) { return JumpIf(e, false); }
    // Emits a jump taken when e has the given truth; returns the pc to patch. A comparison just emitted is
    // fused with the jump.
    SQInteger JumpIf(Exp& e, bool whenTrue)
    {
        if (e.kind == E_RELOC)
        {
            SQInstruction& i = fs->At(e.a);
            static const uint8_t fused[][2] = {{OP_LT, OP_JLT}, {OP_LE, OP_JLE}, {OP_GT, OP_JGT},
                                               {OP_GE, OP_JGE}, {OP_EQ, OP_JEQ}, {OP_NE, OP_JNE}};
            for (const auto& f : fused)
            {
                if (i.op == f[0] && e.a == fs->Pc() - 1)
                {
                    i.op = f[1];
                    if (whenTrue)
                        i.x |= 2;
                    return fs->EmitJump(OP_JMP);
                }
            }
        }
        SQInteger reg = ToAnyReg(e);
        FreeExp(e);
        return fs->EmitJump(whenTrue ? OP_JNZ : OP_JZ, reg);
    }
    // Code compiled out of order (a loop's condition and increment) is cut and placed later; its jumps are
    // relative, so it moves intact.
    std::vector<SQInstruction> CutCode(SQInteger start, size_t linesBefore)
    {
        std::vector<SQInstruction> block(fs->proto->code.begin() + start, fs->proto->code.end());
        fs->proto->code.resize(size_t(start));
        fs->proto->lines.resize(linesBefore);
        return block;
    }
    SQInteger AppendCode(const std::vector<SQInstruction>& block)
    {
        SQInteger start = fs->Pc();
        for (const SQInstruction& i : block)
            fs->proto->code.push_back(i);
        return start;
    }
    // The loop condition goes after the body, so each iteration takes one jump, not two.
    void LoopTail(SQInteger toCondition, SQInteger bodyStart, const std::vector<SQInstruction>& condition,
                  SQInteger jumpInCondition)
    {
        fs->PatchToHere(toCondition);
        SQInteger at = AppendCode(condition);
        if (jumpInCondition >= 0)
            fs->PatchJump(at + jumpInCondition, bodyStart);
        else
            fs->PatchJump(fs->EmitJump(OP_JMP), bodyStart);
    }

    // ---- expressions
    // Nesting is bounded so a hostile script cannot exhaust the C stack of the compiler.
    struct NestingGuard
    {
        Compiler& c;
        explicit NestingGuard(Compiler& compiler) : c(compiler)
        {
            if (++c.nesting > 400)
                c.Fail("expression or block nested too deeply");
        }
        ~NestingGuard() { c.nesting--; }
    };
    SQInteger nesting = 0;

    Exp Expression()
    {
        NestingGuard guard(*this);
        Exp e = LogicalOr();
        switch (lex.token)
        {
        case '=':
        case TK_NEWSLOT:
        case TK_PLUSEQ:
        case TK_MINUSEQ:
        case TK_MULEQ:
        case TK_DIVEQ:
        case TK_MODEQ:
            return Assignment(e);
        case '?':
            return Ternary(e);
        default:
            return e;
        }
    }
    Exp Ternary(Exp& cond)
    {
        Lex();
        SQInteger jf = JumpIfFalse(cond);
        SQInteger reg = fs->AllocReg();
        fs->FreeReg(reg);
        Exp t = Expression();
        ToReg(t, reg);
        fs->freeReg = reg;
        SQInteger jend = fs->EmitJump(OP_JMP);
        fs->PatchToHere(jf);
        Expect(':');
        Exp f = Expression();
        ToReg(f, reg);
        fs->freeReg = reg;
        fs->AllocReg();
        fs->PatchToHere(jend);
        return RegExp(reg);
    }
    static uint8_t CompoundOp(int token)
    {
        switch (token)
        {
        case TK_PLUSEQ:
            return OP_ADD;
        case TK_MINUSEQ:
            return OP_SUB;
        case TK_MULEQ:
            return OP_MUL;
        case TK_DIVEQ:
            return OP_DIV;
        default:
            return OP_MOD;
        }
    }
    Exp StoreResult(SQInteger valueReg, const Exp& target)
    {
        bool temp = fs->IsTemp(valueReg);
        if (temp)
            fs->FreeReg(valueReg);
        FreeExp(target);
        if (!temp)
            return RegExp(valueReg);
        SQInteger reg = fs->AllocReg();
        if (reg != valueReg)
            fs->Emit(OP_MOVE, reg, valueReg);
        return RegExp(reg);
    }
    void Store(const Exp& target, SQInteger valueReg)
    {
        switch (target.kind)
        {
        case E_LOCAL:
            if (target.a != valueReg)
                fs->Emit(OP_MOVE, target.a, valueReg);
            break;
        case E_OUTER:
            fs->Emit(OP_SETOUTER, target.a, valueReg);
            break;
        case E_FIELD:
            fs->Emit(OP_SET, target.a, target.b, valueReg);
            break;
        case E_FIELDK:
            fs->Emit(OP_SETK, target.a, target.b, valueReg, target.root ? 1 : 0);
            break;
        default:
            Fail("can't assign expression");
        }
    }
    Exp Assignment(Exp& target)
    {
        int op = lex.token;
        if (target.kind != E_LOCAL && target.kind != E_OUTER && target.kind != E_FIELD &&
            target.kind != E_FIELDK)
            Fail("can't assign expression");
        if (op == TK_NEWSLOT && target.kind != E_FIELD && target.kind != E_FIELDK)
            Fail("can't 'create' a local slot");
        Lex();
        Exp value = Expression();
        if (op == '=')
        {
            if (target.kind == E_LOCAL)
            {
                ToReg(value, target.a);
                return RegExp(target.a);
            }
            SQInteger v = ToAnyReg(value);
            Store(target, v);
            return StoreResult(v, target);
        }
        if (op == TK_NEWSLOT)
        {
            SQInteger v = ToAnyReg(value);
            if (target.kind == E_FIELDK)
                fs->Emit(OP_NEWSLOT, target.a, target.b, v, 1);
            else
                fs->Emit(OP_NEWSLOT, target.a, target.b, v, 0);
            return StoreResult(v, target);
        }
        uint8_t arith = CompoundOp(op);
        if (target.kind == E_LOCAL)
        {
            SQInteger v = ToAnyReg(value);
            FreeExp(value);
            fs->Emit(arith, target.a, target.a, v);
            return RegExp(target.a);
        }
        SQInteger v = ToAnyReg(value);
        SQInteger cur = fs->AllocReg();
        Exp read = target;
        read.root = false;
        if (read.kind == E_OUTER)
            fs->Emit(OP_GETOUTER, cur, read.a);
        else if (read.kind == E_FIELD)
            fs->Emit(OP_GET, cur, read.a, read.b);
        else
            fs->Emit(OP_GETK, cur, read.a, read.b, target.root ? 1 : 0);
        fs->Emit(arith, cur, cur, v);
        Store(target, cur);
        fs->FreeReg(cur);
        if (v != cur)
            fs->FreeReg(v);
        FreeExp(target);
        SQInteger reg = fs->AllocReg();
        if (reg != cur)
            fs->Emit(OP_MOVE, reg, cur);
        return RegExp(reg);
    }

    Exp LogicalOr() { return ShortCircuitChain(TK_OR, OP_JNZ, [this] { return LogicalAnd(); }); }
    // the right side of '&&' takes the 'in' and 'instanceof' tests that follow it
    Exp LogicalAnd() { return ShortCircuitChain(TK_AND, OP_JZ, [this] { return Membership(); }); }
    template <class F> Exp ShortCircuitChain(int token, uint8_t jumpOp, F operand)
    {
        Exp e = operand();
        while (lex.token == token)
        {
            Lex();
            e = ShortCircuit(e, jumpOp, operand);
        }
        return e;
    }
    // 'in' and 'instanceof' bind as loosely as '&&' does, each side a whole bitwise expression, as
    // Squirrel 3.0 parses them.
    Exp Membership()
    {
        Exp e = Binary(0);
        while (lex.token == TK_IN || lex.token == TK_INSTANCEOF)
        {
            const uint8_t op = lex.token == TK_IN ? OP_IN : OP_INSTANCEOF;
            Lex();
            SQInteger l = ToAnyReg(e);
            Exp r = Binary(0);
            SQInteger rr = ToAnyReg(r);
            FreeExp(r);
            FreeExp(e);
            e = RelocExp(fs->Emit(op, 0, l, rr));
        }
        return e;
    }
    template <class F> Exp ShortCircuit(Exp& left, uint8_t jumpOp, F right)
    {
        Discharge(left);
        FreeExp(left);
        SQInteger reg = fs->AllocReg();
        EmitToReg(left, reg);
        SQInteger j = fs->EmitJump(jumpOp, reg);
        fs->FreeReg(reg);
        Exp r = right();
        ToNextReg(r); // lands in reg, freed above
        fs->PatchToHere(j);
        return RegExp(reg);
    }
    struct BinOp
    {
        int token;
        int level;
        uint8_t op;
    };
    static const BinOp* FindBinOp(int token)
    {
        static const BinOp ops[] = {
            {'|', 0, OP_BOR},
            {'^', 1, OP_BXOR},
            {'&', 2, OP_BAND},
            {TK_EQ, 3, OP_EQ},
            {TK_NE, 3, OP_NE},
            {TK_3WAYSCMP, 3, OP_CMP3},
            {'<', 4, OP_LT},
            {'>', 4, OP_GT},
            {TK_LE, 4, OP_LE},
            {TK_GE, 4, OP_GE},
            {TK_SHIFTL, 5, OP_SHL},
            {TK_SHIFTR, 5, OP_SHR},
            {TK_USHIFTR, 5, OP_USHR},
            {'+', 6, OP_ADD},
            {'-', 6, OP_SUB},
            {'*', 7, OP_MUL},
            {'/', 7, OP_DIV},
            {'%', 7, OP_MOD},
        };
        for (const BinOp& b : ops)
            if (b.token == token)
                return &b;
        return nullptr;
    }
    // Arithmetic and comparisons take a number or string literal as right operand directly.
    static bool TakesConstantOperand(uint8_t op) { return op < OP_JLT; }
    Exp Binary(int minLevel)
    {
        Exp left = Unary();
        for (;;)
        {
            const BinOp* op = FindBinOp(lex.token);
            if (!op || op->level < minLevel)
                return left;
            Lex();
            SQInteger l = ToAnyReg(left);
            Exp right = Binary(op->level + 1);
            if (right.kind == E_CONST && TakesConstantOperand(op->op) &&
                (right.constant._type == OT_INTEGER || right.constant._type == OT_FLOAT ||
                 right.constant._type == OT_STRING))
            {
                SQInteger k = fs->Literal(right.constant);
                if (k <= 0xFFFF)
                {
                    FreeExp(left);
                    left = RelocExp(fs->Emit(op->op, 0, l, k, 1));
                    continue;
                }
            }
            SQInteger r = ToAnyReg(right);
            if (r > l)
            {
                FreeExp(right);
                FreeExp(left);
            }
            else
            {
                FreeExp(left);
                FreeExp(right);
            }
            left = RelocExp(fs->Emit(op->op, 0, l, r));
        }
    }
    Exp UnaryOp(uint8_t op)
    {
        Lex();
        Exp e = Unary();
        SQInteger r = ToAnyReg(e);
        FreeExp(e);
        return RelocExp(fs->Emit(op, 0, r));
    }
    Exp Unary()
    {
        NestingGuard guard(*this); // prefix operators recurse once per operator
        switch (lex.token)
        {
        case '-':
        {
            Lex();
            if (lex.token == TK_INTEGER || lex.token == TK_FLOAT)
            {
                Exp e = Postfix(Factor());
                if (e.kind == E_CONST && e.constant._type == OT_INTEGER)
                    return ConstExp(Value(SQInteger(0u - uint32_t(e.constant.Int()))));
                if (e.kind == E_CONST && e.constant._type == OT_FLOAT)
                    return ConstExp(Value(-e.constant.Float()));
                SQInteger r = ToAnyReg(e);
                FreeExp(e);
                return RelocExp(fs->Emit(OP_NEG, 0, r));
            }
            Exp e = Unary();
            SQInteger r = ToAnyReg(e);
            FreeExp(e);
            return RelocExp(fs->Emit(OP_NEG, 0, r));
        }
        case '!':
            return UnaryOp(OP_NOT);
        case '~':
            return UnaryOp(OP_BNOT);
        case TK_TYPEOF:
            return UnaryOp(OP_TYPEOF);
        case TK_RESUME:
            return UnaryOp(OP_RESUME);
        case TK_CLONE:
            return UnaryOp(OP_CLONE);
        case TK_DELETE:
        {
            Lex();
            Exp e = Postfix(Factor());
            if (e.kind == E_LOCAL || e.kind == E_OUTER)
                Fail("cannot delete an (outer) local");
            if (e.kind != E_FIELD && e.kind != E_FIELDK)
                Fail("can't delete an expression");
            SQInteger key = e.b;
            if (e.kind == E_FIELDK)
            {
                key = fs->AllocReg();
                LoadConst(fs->proto->literals[size_t(e.b)], key);
                fs->FreeReg(key);
            }
            FreeExp(e);
            return RelocExp(fs->Emit(OP_DELETE, 0, e.a, key));
        }
        case TK_PLUSPLUS:
        case TK_MINUSMINUS:
        {
            int delta = lex.token == TK_PLUSPLUS ? 1 : -1;
            Lex();
            Exp e = Unary();
            return Increment(e, delta, false);
        }
        default:
            return Postfix(Factor());
        }
    }
    Exp Increment(Exp& target, int delta, bool postfix)
    {
        if (target.kind == E_LOCAL)
        {
            if (!postfix)
            {
                fs->Emit(OP_INC, target.a, target.a, 0, uint8_t(int8_t(delta)));
                return RegExp(target.a);
            }
            SQInteger reg = fs->AllocReg();
            SQInteger move = fs->Emit(OP_MOVE, reg, target.a);
            fs->Emit(OP_INC, target.a, target.a, 0, uint8_t(int8_t(delta)));
            Exp e = RegExp(reg);
            e.postIncMove = move;
            return e;
        }
        if (target.kind != E_OUTER && target.kind != E_FIELD && target.kind != E_FIELDK)
            Fail("can't '++' or '--' an expression");
        SQInteger cur = fs->AllocReg();
        if (target.kind == E_OUTER)
            fs->Emit(OP_GETOUTER, cur, target.a);
        else if (target.kind == E_FIELD)
            fs->Emit(OP_GET, cur, target.a, target.b);
        else
            fs->Emit(OP_GETK, cur, target.a, target.b, target.root ? 1 : 0);
        SQInteger next = fs->AllocReg();
        fs->Emit(OP_INC, next, cur, 0, uint8_t(int8_t(delta)));
        Store(target, next);
        fs->FreeReg(next);
        fs->FreeReg(cur);
        FreeExp(target);
        SQInteger reg = fs->AllocReg();
        SQInteger src = postfix ? cur : next;
        if (reg != src)
            fs->Emit(OP_MOVE, reg, src);
        return RegExp(reg);
    }

    Exp Postfix(Exp e)
    {
        for (;;)
        {
            switch (lex.token)
            {
            case '.':
            {
                Lex();
                std::string id;
                if (lex.token == TK_CONSTRUCTOR)
                {
                    id = "constructor";
                    Lex();
                }
                else
                {
                    id = ExpectIdentifier();
                }
                if (e.kind == E_CONST && e.constant._type == OT_TABLE)
                {
                    Value v;
                    if (!e.constant.Table()->Get(Str(id), v))
                        Fail("invalid constant [" + id + "]");
                    e = ConstExp(v);
                    break;
                }
                bool isBase = e.isBase;
                SQInteger obj = ToAnyReg(e);
                Exp f;
                f.kind = E_FIELDK;
                f.a = obj;
                f.b = KeyLiteral(Str(id));
                f.isBase = isBase;
                e = f;
                break;
            }
            case '[':
            {
                if (lex.newlineBefore)
                    Fail("cannot brake deref/or comma needed after [exp]=exp slot declaration");
                Lex();
                SQInteger obj = ToAnyReg(e);
                Exp key = Expression();
                SQInteger k = ToAnyReg(key);
                Expect(']');
                Exp f;
                f.kind = E_FIELD;
                f.a = obj;
                f.b = k;
                e = f;
                break;
            }
            case '(':
            {
                e = Call(e);
                break;
            }
            case TK_PLUSPLUS:
            case TK_MINUSMINUS:
            {
                if (lex.newlineBefore)
                    return e;
                int delta = lex.token == TK_PLUSPLUS ? 1 : -1;
                Lex();
                return Increment(e, delta, true);
            }
            default:
                return e;
            }
        }
    }
    Exp Call(Exp& callee)
    {
        SQInteger func;
        if ((callee.kind == E_FIELDK || callee.kind == E_FIELD) && !callee.isBase)
        {
            FreeExp(callee);
            func = fs->AllocReg();
            fs->AllocReg();
            fs->Emit(callee.kind == E_FIELDK ? OP_PREPCALLK : OP_PREPCALL, func, callee.a, callee.b,
                     callee.root ? 1 : 0);
        }
        else
        {
            func = ToNextReg(callee);
            SQInteger self = fs->AllocReg();
            fs->Emit(OP_MOVE, self, 0);
        }
        Lex();
        SQInteger nargs = 1;
        while (lex.token != ')')
        {
            Exp arg = Expression();
            ToNextReg(arg);
            nargs++;
            if (lex.token == ',')
            {
                Lex();
                if (lex.token == ')')
                    Fail("expression expected, found ')'");
            }
            else if (lex.token != ')' && lex.token != TK_EOS)
            {
                Expected(')');
            }
        }
        Lex();
        if (nargs > 255)
            Fail("too many arguments");
        fs->Emit(OP_CALL, func, nargs);
        fs->freeReg = func + 1;
        return RegExp(func);
    }

    static Exp VariableExp(ExpKind kind, SQInteger index)
    {
        Exp e;
        e.kind = kind;
        e.a = index;
        return e;
    }
    // An enum's name stands only before one of its members.
    Exp EnumMember(const std::string& enumName, const Value& members)
    {
        Expect('.');
        const std::string member = ExpectIdentifier();
        Value v;
        if (!members.Table()->Get(Str(member), v))
            Fail("invalid constant [" + enumName + "." + member + "]");
        return ConstExp(v);
    }
    Exp Identifier(const std::string& id)
    {
        Value name = Str(id);
        SQInteger reg = fs->FindLocal(name);
        if (reg >= 0)
            return VariableExp(E_LOCAL, reg);
        SQInteger outer = fs->FindOuter(name);
        if (outer >= 0)
            return VariableExp(E_OUTER, outer);
        Value constant;
        if (ss->constTable.Table()->Get(name, constant))
            return ConstExp(constant);
        Exp e;
        e.kind = E_FIELDK;
        e.a = 0;
        e.b = KeyLiteral(name);
        e.root = true;
        return e;
    }

    Exp Factor()
    {
        switch (lex.token)
        {
        case TK_STRING_LITERAL:
        {
            Exp e = ConstExp(Str(lex.text));
            Lex();
            return e;
        }
        case TK_INTEGER:
        {
            Exp e = ConstExp(Value(lex.intValue));
            Lex();
            return e;
        }
        case TK_FLOAT:
        {
            Exp e = ConstExp(Value(lex.floatValue));
            Lex();
            return e;
        }
        case TK_TRUE:
        case TK_FALSE:
        {
            Exp e = ConstExp(Value(lex.token == TK_TRUE));
            Lex();
            return e;
        }
        case TK_NULL:
            Lex();
            return ConstExp(Value());
        case TK_IDENTIFIER:
        {
            std::string id = lex.text;
            Lex();
            Exp e = Identifier(id);
            if (e.kind == E_CONST && e.constant._type == OT_TABLE)
                return EnumMember(id, e.constant);
            return e;
        }
        case TK_THIS:
            // 'this' is the function's first local, assignable like any other
            Lex();
            return VariableExp(E_LOCAL, 0);
        case TK_BASE:
        {
            Lex();
            SQInteger reg = fs->AllocReg();
            fs->Emit(OP_GETBASE, reg);
            Exp e = RegExp(reg);
            e.isBase = true;
            return e;
        }
        case TK_DOUBLE_COLON:
        {
            Lex();
            SQInteger reg = fs->AllocReg();
            fs->Emit(OP_GETROOT, reg);
            std::string id = ExpectIdentifier();
            Exp e;
            e.kind = E_FIELDK;
            e.a = reg;
            e.b = KeyLiteral(Str(id));
            return e;
        }
        case '(':
        {
            Lex();
            Exp e = Expression();
            while (lex.token == ',')
            { // comma expression: value of the last
                Lex();
                Discharge(e);
                if (e.kind == E_RELOC)
                    ToNextReg(e);
                FreeExp(e);
                e = Expression();
            }
            Expect(')');
            Discharge(e);
            return e;
        }
        case '[':
            return ArrayLiteral();
        case '{':
        {
            Lex();
            SQInteger reg = fs->AllocReg();
            TableLiteral(reg, '}');
            return RegExp(reg);
        }
        case TK_FUNCTION:
        {
            Lex();
            return FunctionExp("", false);
        }
        case '@':
        {
            Lex();
            return FunctionExp("", true);
        }
        case TK_CLASS:
        {
            Lex();
            return ClassExp();
        }
        case '-':
        case '!':
        case '~':
        case TK_TYPEOF:
        case TK_RESUME:
        case TK_CLONE:
        case TK_DELETE:
        case TK_PLUSPLUS:
        case TK_MINUSMINUS:
            return Unary();
        default:
            Fail("expression expected");
        }
    }
    Exp ArrayLiteral()
    {
        Lex();
        SQInteger reg = fs->AllocReg();
        SQInteger pc = fs->Emit(OP_NEWARRAY, reg, 0);
        SQInteger count = 0;
        while (lex.token != ']')
        {
            Exp v = Expression();
            SQInteger r = ToAnyReg(v);
            fs->Emit(OP_APPEND, reg, r);
            FreeExp(v);
            count++;
            if (lex.token == ',')
                Lex();
        }
        Lex();
        fs->At(pc).b = uint16_t(count > 0xFFFF ? 0xFFFF : count);
        return RegExp(reg);
    }
    // Members of a table literal or a class body, added to the object in register obj.
    // A table literal's table is made sized for its keys, which decides the order a foreach walks them in.
    void TableLiteral(SQInteger reg, int terminator)
    {
        SQInteger pc = fs->Emit(OP_NEWTABLE, reg);
        SQInteger keys = TableOrClassBody(reg, ',', terminator, false);
        fs->At(pc).b = uint16_t(keys < 0xFFFF ? keys : 0xFFFF);
    }
    // Returns how many slots the body declares.
    SQInteger TableOrClassBody(SQInteger obj, int separator, int terminator, bool isClass)
    {
        SQInteger keys = 0;
        while (lex.token != terminator)
        {
            keys++;
            bool hasAttrs = false;
            bool isStatic = false;
            SQInteger attrReg = -1;
            if (isClass && lex.token == TK_ATTR_OPEN)
            {
                Lex();
                attrReg = fs->AllocReg();
                TableLiteral(attrReg, TK_ATTR_CLOSE);
                hasAttrs = true;
            }
            if (isClass && lex.token == TK_STATIC)
            {
                isStatic = true;
                Lex();
            }
            SQInteger keyReg = fs->AllocReg();
            Exp value;
            switch (lex.token)
            {
            case TK_FUNCTION:
            case TK_CONSTRUCTOR:
            {
                bool ctor = lex.token == TK_CONSTRUCTOR;
                Lex();
                std::string name = ctor ? "constructor" : ExpectIdentifier();
                LoadConst(Str(name), keyReg);
                value = FunctionExp(name, false);
                break;
            }
            case '[':
            {
                Lex();
                Exp k = Expression();
                ToReg(k, keyReg);
                Expect(']');
                Expect('=');
                value = Expression();
                break;
            }
            case TK_STRING_LITERAL:
                if (!isClass)
                {
                    LoadConst(Str(lex.text), keyReg);
                    Lex();
                    Expect(':');
                    value = Expression();
                    break;
                }
                [[fallthrough]];
            default:
            {
                std::string id = ExpectIdentifier();
                LoadConst(Str(id), keyReg);
                Expect('=');
                value = Expression();
            }
            }
            SQInteger v = ToAnyReg(value);
            if (isClass)
                fs->Emit(OP_NEWMEMBER, obj, keyReg, v, (hasAttrs ? 1 : 0) | (isStatic ? 2 : 0));
            else
                fs->Emit(OP_NEWSLOT, obj, keyReg, v, 0);
            FreeExp(value);
            fs->FreeReg(keyReg);
            if (attrReg >= 0)
                fs->FreeReg(attrReg);
            if (lex.token == separator)
                Lex();
        }
        Lex();
        return keys;
    }
    Exp ClassExp()
    {
        SQInteger baseReg = NO_REG, attrReg = NO_REG;
        Exp baseExp;
        if (lex.token == TK_EXTENDS)
        {
            Lex();
            baseExp = Expression();
            baseReg = ToNextReg(baseExp);
        }
        if (lex.token == TK_ATTR_OPEN)
        {
            Lex();
            attrReg = fs->AllocReg();
            TableLiteral(attrReg, TK_ATTR_CLOSE);
        }
        Expect('{');
        if (attrReg != NO_REG)
            fs->FreeReg(attrReg);
        if (baseReg != NO_REG)
            fs->FreeReg(baseReg);
        SQInteger reg = fs->AllocReg();
        fs->Emit(OP_CLASS, reg, baseReg, attrReg);
        TableOrClassBody(reg, ';', '}', true);
        return RegExp(reg);
    }

    // ---- functions
    Exp FunctionExp(const std::string& name, bool lambda)
    {
        SQInteger target = fs->AllocReg();
        SQInteger firstDefault = fs->freeReg;
        Expect('(');
        auto child = std::make_unique<SQFuncState>(ss, fs, sourceName);
        child->proto->name = name.empty() ? Value() : Str(name); // an anonymous function has no name
        child->DeclareLocal(Str("this"));
        SQInteger ndefaults = 0;
        while (lex.token != ')')
        {
            if (lex.token == TK_VARPARAMS)
            {
                if (ndefaults > 0)
                    Fail("function with default parameters cannot have variable number of parameters");
                child->proto->varParams = true;
                Lex();
                if (lex.token != ')')
                    Expected(')');
                break;
            }
            std::string param = ExpectIdentifier();
            child->DeclareLocal(Str(param));
            if (lex.token == '=')
            {
                Lex();
                Exp d = Expression();
                ToNextReg(d);
                ndefaults++;
            }
            else if (ndefaults > 0)
            {
                Fail("expected '='");
            }
            if (lex.token == ',')
                Lex();
            else if (lex.token != ')')
                Fail("expected ')' or ','");
        }
        Lex();
        child->proto->nparams = child->ActiveLocals();
        child->proto->ndefaults = ndefaults;
        if (child->proto->varParams)
            child->DeclareLocal(Str("vargv"));
        SQFuncState* parentFs = fs;
        std::vector<LoopTarget> savedLoops;
        savedLoops.swap(loops);
        fs = child.get();
        fs->SetLine(lex.line);
        if (lambda)
        {
            Exp body = Expression();
            SQInteger r = ToAnyReg(body);
            fs->Emit(OP_RETURN, r, 0, 0, 1);
        }
        else
        {
            Statement();
        }
        fs->SetLine(lex.line); // the implicit return belongs to the end of the body
        fs->Emit(OP_RETURN, 0, 0, 0, 0);
        fs->proto->simpleCall = !fs->proto->varParams && !fs->proto->generator;
        fs->Finish();
        fs = parentFs;
        loops.swap(savedLoops);
        SQInteger index = SQInteger(fs->proto->functions.size());
        fs->proto->functions.push_back(child->protoValue);
        fs->Emit(OP_CLOSURE, target, index, firstDefault);
        fs->freeReg = target + 1;
        return RegExp(target);
    }

    // ---- statements
    void MarkStatementLine()
    {
        // code is credited to the line where its statement starts, also when a statement's last instructions
        // are emitted after the lexer has moved on to the next line
        fs->SetLine(lex.line);
        if (ss->debugInfo && lex.token != '{' && lex.token != ';')
        {
            SQInteger pc = fs->Emit(OP_LINE);
            fs->At(pc).sbx = int32_t(lex.line);
        }
    }
    void Statement()
    {
        NestingGuard guard(*this);
        MarkStatementLine();
        switch (lex.token)
        {
        case ';':
            Lex();
            break;
        case TK_IF:
            IfStatement();
            break;
        case TK_WHILE:
            WhileStatement();
            break;
        case TK_DO:
            DoWhileStatement();
            break;
        case TK_FOR:
            ForStatement();
            break;
        case TK_FOREACH:
            ForeachStatement();
            break;
        case TK_SWITCH:
            SwitchStatement();
            break;
        case TK_LOCAL:
            LocalStatement();
            break;
        case TK_RETURN:
        case TK_YIELD:
        {
            bool yield = lex.token == TK_YIELD;
            if (yield)
                fs->proto->generator = true;
            Lex();
            if (!IsEndOfStatement())
            {
                Exp e = Expression();
                while (lex.token == ',')
                {
                    Lex();
                    FreeExp(e);
                    e = Expression();
                }
                // "return f(...)" outside try blocks is a tail call: deep state-machine recursion needs no
                // stack
                if (!yield && e.kind == E_REG && fs->activeTraps == 0 && fs->Pc() > 0 &&
                    fs->At(fs->Pc() - 1).op == OP_CALL && fs->At(fs->Pc() - 1).a == e.a)
                    fs->At(fs->Pc() - 1).op = OP_TAILCALL;
                SQInteger r = ToAnyReg(e);
                fs->Emit(yield ? OP_YIELD : OP_RETURN, r, 0, 0, 1);
                FreeExp(e);
            }
            else
            {
                fs->Emit(yield ? OP_YIELD : OP_RETURN, 0, 0, 0, 0);
            }
            break;
        }
        case TK_BREAK:
        case TK_CONTINUE:
        {
            bool isBreak = lex.token == TK_BREAK;
            LoopTarget* target = nullptr;
            for (size_t i = loops.size(); i-- > 0;)
            {
                if (isBreak || !loops[i].isSwitch)
                {
                    target = &loops[i];
                    break;
                }
            }
            if (!target)
                Fail(isBreak ? "'break' has to be in a loop block" : "'continue' has to be in a loop block");
            if (fs->activeTraps > target->traps)
                fs->Emit(OP_POPTRAP, 0, fs->activeTraps - target->traps);
            if (fs->AnyCapturedFrom(target->localCount))
                fs->Emit(OP_CLOSE, target->localCount);
            SQInteger j = fs->EmitJump(OP_JMP);
            (isBreak ? target->breaks : target->continues).push_back(j);
            Lex();
            break;
        }
        case TK_FUNCTION:
            FunctionStatement();
            break;
        case TK_CLASS:
            ClassStatement();
            break;
        case TK_ENUM:
            EnumStatement();
            break;
        case TK_CONST:
            ConstStatement();
            break;
        case '{':
        {
            Lex();
            SQInteger count = fs->ActiveLocals();
            Statements();
            Expect('}');
            EndScope(count);
            break;
        }
        case TK_TRY:
            TryStatement();
            break;
        case TK_THROW:
        {
            Lex();
            Exp e = Expression();
            SQInteger r = ToAnyReg(e);
            fs->Emit(OP_THROW, r);
            FreeExp(e);
            break;
        }
        default:
            ExpressionStatement();
            break;
        }
        fs->freeReg = fs->ActiveLocals();
    }
    void Statements()
    {
        // the end of the source is not a way out: the statement there reports the missing expression
        while (lex.token != '}' && lex.token != TK_DEFAULT && lex.token != TK_CASE)
        {
            Statement();
            if (prevToken != '}' && prevToken != ';')
                OptionalSemicolon();
        }
    }
    void EndScope(SQInteger localCount)
    {
        if (fs->AnyCapturedFrom(localCount))
            fs->Emit(OP_CLOSE, localCount);
        fs->RemoveLocalsAbove(localCount);
    }
    void ScopedStatement()
    {
        SQInteger count = fs->ActiveLocals();
        Statement();
        EndScope(count);
    }
    void ExpressionStatement()
    {
        Exp e = Expression();
        DiscardValue(e);
        while (lex.token == ',')
        {
            Lex();
            Exp next = Expression();
            DiscardValue(next);
        }
    }
    void DiscardValue(Exp& e)
    {
        if (e.postIncMove >= 0 && e.postIncMove == fs->Pc() - 2)
        {
            fs->At(e.postIncMove) = fs->At(fs->Pc() - 1);
            fs->proto->code.pop_back();
        }
        else if (e.kind == E_FIELD || e.kind == E_FIELDK || e.kind == E_OUTER || e.kind == E_RELOC)
        {
            ToNextReg(e);
        }
        fs->freeReg = fs->ActiveLocals();
    }
    void Condition(SQInteger& jumpIfFalse)
    {
        Expect('(');
        Exp c = Expression();
        Expect(')');
        jumpIfFalse = JumpIfFalse(c);
    }
    // An "else if" continues the chain in this loop instead of nesting a statement, so a long chain
    // compiles flat; the code is the same as the nested form's. What may follow each branch on the same
    // line is as strict as 3.0's: after the then-branch only '}', 'else' or an end of statement; after the
    // else-branch an end of statement, checked once for every branch of the chain the nested form closes.
    void IfStatement()
    {
        std::vector<SQInteger> ends;
        size_t elseBranches = 0;
        for (;;)
        {
            Lex();
            SQInteger jf;
            Condition(jf);
            ScopedStatement();
            if (lex.token != '}' && lex.token != TK_ELSE)
                OptionalSemicolon();
            if (lex.token != TK_ELSE)
            {
                fs->PatchToHere(jf);
                break;
            }
            ends.push_back(fs->EmitJump(OP_JMP));
            fs->PatchToHere(jf);
            Lex();
            elseBranches++;
            if (lex.token != TK_IF)
            {
                ScopedStatement();
                break;
            }
            MarkStatementLine();
        }
        for (size_t i = 0; i < elseBranches; i++)
            OptionalSemicolon();
        fs->PatchListToHere(ends);
    }
    void BeginLoop(bool isSwitch)
    {
        loops.push_back({{}, {}, fs->ActiveLocals(), fs->activeTraps, isSwitch});
    }
    void EndLoop(SQInteger continueTarget)
    {
        LoopTarget& l = loops.back();
        for (SQInteger pc : l.continues)
            fs->PatchJump(pc, continueTarget);
        fs->PatchListToHere(l.breaks);
        loops.pop_back();
    }
    void WhileStatement()
    {
        Lex();
        Expect('(');
        SQInteger condStart = fs->Pc();
        size_t lines = fs->proto->lines.size();
        Exp c = Expression();
        SQInteger jump = JumpIf(c, true) - condStart;
        std::vector<SQInstruction> condition = CutCode(condStart, lines);
        Expect(')');
        SQInteger toCondition = fs->EmitJump(OP_JMP);
        SQInteger bodyStart = fs->Pc();
        BeginLoop(false);
        ScopedStatement();
        SQInteger cont = fs->Pc();
        LoopTail(toCondition, bodyStart, condition, jump);
        EndLoop(cont);
    }
    void DoWhileStatement()
    {
        Lex();
        SQInteger start = fs->Pc();
        BeginLoop(false);
        ScopedStatement();
        Expect(TK_WHILE);
        SQInteger cond = fs->Pc();
        SQInteger jf;
        Condition(jf);
        fs->PatchJump(fs->EmitJump(OP_JMP), start);
        fs->PatchToHere(jf);
        EndLoop(cond);
    }
    void ForStatement()
    {
        Lex();
        SQInteger count = fs->ActiveLocals();
        Expect('(');
        if (lex.token == TK_LOCAL)
            LocalStatement();
        else if (lex.token != ';')
            ExpressionStatement();
        Expect(';');
        SQInteger condStart = fs->Pc();
        size_t lines = fs->proto->lines.size();
        SQInteger jump = -1;
        if (lex.token != ';')
        {
            Exp c = Expression();
            jump = JumpIf(c, true) - condStart;
        }
        std::vector<SQInstruction> condition = CutCode(condStart, lines);
        Expect(';');
        SQInteger incrStart = fs->Pc();
        lines = fs->proto->lines.size();
        if (lex.token != ')')
            ExpressionStatement();
        Expect(')');
        std::vector<SQInstruction> incr = CutCode(incrStart, lines);
        SQInteger toCondition = fs->EmitJump(OP_JMP);
        SQInteger bodyStart = fs->Pc();
        BeginLoop(false);
        ScopedStatement();
        SQInteger cont = AppendCode(incr);
        LoopTail(toCondition, bodyStart, condition, jump);
        EndLoop(cont);
        EndScope(count);
    }
    void ForeachStatement()
    {
        Lex();
        Expect('(');
        std::string keyName, valName = ExpectIdentifier();
        if (lex.token == ',')
        {
            Lex();
            keyName = valName;
            valName = ExpectIdentifier();
        }
        Expect(TK_IN);
        SQInteger count = fs->ActiveLocals();
        Exp c = Expression();
        Expect(')');
        SQInteger container = ToNextReg(c);
        fs->DeclareLocal(Str("@container"));
        SQInteger iter = fs->DeclareLocal(Str("@ITERATOR@"));
        fs->Emit(OP_LOADNULL, iter, 1);
        fs->DeclareLocal(Str(keyName.empty() ? "@INDEX@" : keyName));
        fs->DeclareLocal(Str(valName));
        // listings of the frame's locals show the iterator, the value, then the index, as 3.0 lists them
        fs->ListLocalFirst(iter);
        SQInteger start = fs->EmitJump(OP_FOREACH, container);
        BeginLoop(false);
        ScopedStatement();
        fs->PatchJump(fs->EmitJump(OP_JMP), start);
        fs->PatchToHere(start);
        EndLoop(start);
        EndScope(count);
    }
    void SwitchStatement()
    {
        Lex();
        Expect('(');
        Exp e = Expression();
        Expect(')');
        Expect('{');
        SQInteger switchLocals = fs->ActiveLocals();
        SQInteger value = ToNextReg(e);
        fs->freeReg--;
        fs->DeclareLocal(Str("@switch"));
        SQInteger nextTest = -1, fallThrough = -1;
        BeginLoop(true);
        while (lex.token == TK_CASE)
        {
            Lex();
            if (nextTest >= 0)
            {
                fallThrough = fs->EmitJump(OP_JMP);
                fs->PatchToHere(nextTest);
            }
            Exp cv = Expression();
            SQInteger r = ToAnyReg(cv);
            FreeExp(cv);
            SQInteger t = fs->AllocReg();
            fs->Emit(OP_EQ, t, value, r);
            fs->FreeReg(t);
            nextTest = fs->EmitJump(OP_JZ, t);
            Expect(':');
            if (fallThrough >= 0)
                fs->PatchToHere(fallThrough);
            SQInteger count = fs->ActiveLocals();
            Statements();
            EndScope(count);
        }
        if (nextTest >= 0)
        {
            fallThrough = fs->EmitJump(OP_JMP);
            fs->PatchToHere(nextTest);
            nextTest = -1;
        }
        if (lex.token == TK_DEFAULT)
        {
            Lex();
            Expect(':');
            if (fallThrough >= 0)
                fs->PatchToHere(fallThrough);
            fallThrough = -1;
            SQInteger count = fs->ActiveLocals();
            Statements();
            EndScope(count);
        }
        Expect('}');
        if (fallThrough >= 0)
            fs->PatchToHere(fallThrough);
        EndLoop(fs->Pc());
        EndScope(switchLocals);
    }
    void LocalStatement()
    {
        Lex();
        if (lex.token == TK_FUNCTION)
        {
            Lex();
            std::string name = ExpectIdentifier();
            // the local comes into scope after the function is built: inside its own body the name is looked
            // up like any other global
            FunctionExp(name, false); // built in the register the local then takes
            fs->freeReg--;
            fs->DeclareLocal(Str(name));
            return;
        }
        do
        {
            std::string name = ExpectIdentifier();
            if (lex.token == '=')
            {
                Lex();
                // A literal initializer takes the slot as soon as it is read, so a frame that is full is
                // reported there rather than at the token after it.
                const int t = lex.token;
                const bool literal = t == TK_INTEGER || t == TK_FLOAT || t == TK_STRING_LITERAL ||
                                     t == TK_NULL || t == TK_TRUE || t == TK_FALSE;
                if (literal && fs->freeReg >= SQFuncState::kMaxStackSlots)
                    throw SQTooManyLocals();
                Exp e = Expression();
                ToNextReg(e);
            }
            else
            {
                fs->Emit(OP_LOADNULL, fs->AllocReg(), 1);
            }
            fs->freeReg--;
            fs->DeclareLocal(Str(name));
            if (lex.token != ',')
                break;
            Lex();
        } while (true);
    }
    // The object a declaration like "function a::b::c()" or "class a.b" adds its slot to; lastName gets the
    // slot.
    Exp DeclarationTarget(std::string& lastName)
    {
        lastName = ExpectIdentifier();
        if (lex.token != TK_DOUBLE_COLON && lex.token != '.')
            return RegExp(0);
        Exp cur = Identifier(lastName);
        for (;;)
        {
            Lex();
            std::string next = ExpectIdentifier();
            SQInteger r = ToAnyReg(cur);
            if (lex.token != TK_DOUBLE_COLON && lex.token != '.')
            {
                lastName = next;
                return RegExp(r);
            }
            FreeExp(cur);
            Exp f;
            f.kind = E_FIELDK;
            f.a = r;
            f.b = KeyLiteral(Str(next));
            cur = f;
        }
    }
    void FunctionStatement()
    {
        Lex();
        std::string name;
        Exp obj = DeclarationTarget(name);
        SQInteger objReg = obj.a;
        SQInteger key = KeyLiteral(Str(name));
        Exp f = FunctionExp(name, false);
        SQInteger v = ToAnyReg(f);
        fs->Emit(OP_NEWSLOT, objReg, key, v, 1);
    }
    void ClassStatement()
    {
        Lex();
        if (lex.token != TK_IDENTIFIER && lex.token != TK_CONSTRUCTOR)
            Fail("invalid class name");
        std::string name;
        const std::string first = lex.text;
        Exp obj = DeclarationTarget(name);
        if (name == first && obj.kind == E_REG && obj.a == 0 && fs->FindLocal(Str(name)) >= 0)
            Fail("cannot create a class in a local with the syntax(class <local>)");
        SQInteger key = KeyLiteral(Str(name));
        Exp c = ClassExp();
        SQInteger v = ToAnyReg(c);
        fs->Emit(OP_NEWSLOT, obj.a, key, v, 1);
    }
    Value ConstantValue()
    {
        bool negative = false;
        if (lex.token == '-')
        {
            negative = true;
            Lex();
        }
        Value v;
        switch (lex.token)
        {
        case TK_INTEGER:
            v = Value(negative ? SQInteger(0u - uint32_t(lex.intValue)) : lex.intValue);
            break;
        case TK_FLOAT:
            v = Value(negative ? -lex.floatValue : lex.floatValue);
            break;
        case TK_STRING_LITERAL:
            if (negative)
                Fail("scalar expected : integer,float");
            v = Str(lex.text);
            break;
        default:
            Fail(negative ? "scalar expected : integer,float" : "scalar expected : integer,float or string");
        }
        Lex();
        return v;
    }
    void ConstStatement()
    {
        Lex();
        std::string name = ExpectIdentifier();
        Expect('=');
        Value v = ConstantValue();
        ss->constTable.Table()->NewSlot(Str(name), v);
    }
    void EnumStatement()
    {
        Lex();
        std::string name = ExpectIdentifier();
        Value table = SQTable::Create(ss);
        Expect('{');
        // Entries without a value count on their own: an explicit value never moves the counter.
        SQInteger unvalued = 0;
        while (lex.token != '}')
        {
            std::string key = ExpectIdentifier();
            Value v;
            if (lex.token == '=')
            {
                Lex();
                v = ConstantValue();
            }
            else
            {
                v = Value(unvalued++);
            }
            table.Table()->NewSlot(Str(key), v);
            if (lex.token == ',')
                Lex();
        }
        Lex();
        ss->constTable.Table()->NewSlot(Str(name), table);
    }
    void TryStatement()
    {
        Lex();
        SQInteger catchReg = fs->ActiveLocals();
        SQInteger trap = fs->EmitJump(OP_PUSHTRAP, catchReg);
        fs->activeTraps++;
        if (fs->freeReg <= catchReg)
            fs->AllocReg(), fs->freeReg = catchReg;
        ScopedStatement();
        fs->activeTraps--;
        fs->Emit(OP_POPTRAP, 0, 1);
        SQInteger jend = fs->EmitJump(OP_JMP);
        fs->PatchToHere(trap);
        Expect(TK_CATCH);
        Expect('(');
        std::string name = ExpectIdentifier();
        Expect(')');
        SQInteger count = fs->ActiveLocals();
        fs->DeclareLocal(Str(name));
        Statement();
        EndScope(count);
        fs->PatchToHere(jend);
    }
};

} // namespace

bool SQCompile(SQVM* vm, const char* source, SQInteger size, const char* sourceName, Value& proto,
               SQCompileError& error)
{
    Compiler compiler(vm, source, size, sourceName);
    return compiler.Compile(proto, error);
}
