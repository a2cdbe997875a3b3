// The register machine's instruction set. Registers are relative to the frame base; register 0 is 'this'.
// An instruction is op, x (flags), a, and either b and c or one signed 32-bit sbx over both. K[n] is the
// function's literal n. Jumps are relative to the instruction after the jump.
#pragma once

#include <cstdint>

enum SQOpcode : uint8_t
{
    OP_LOADK,     // a = K[sbx]
    OP_LOADINT,   // a = sbx
    OP_LOADNULL,  // a .. a+b-1 = null
    OP_LOADBOOL,  // a = (b != 0)
    OP_MOVE,      // a = b
    OP_GETOUTER,  // a = outer[b]
    OP_SETOUTER,  // outer[a] = b
    OP_NEWTABLE,  // a = {} sized for b slots
    OP_NEWARRAY,  // a = [] with room for b
    OP_APPEND,    // a.append(b)
    OP_GET,       // a = b[c]
    OP_GETK,      // a = b[K[c]]; x=1: fall back to the root table
    OP_SET,       // a[b] = c
    OP_SETK,      // a[K[b]] = c; x=1: fall back to the root table when a lacks the slot
    OP_NEWSLOT,   // a[b] <- c; x=1: the key is K[b]
    OP_NEWMEMBER, // class a: member b = c, x&1: attributes in b-1, x&2: static
    OP_DELETE,    // a = delete b[c]
    OP_CALL,      // a = a(a+1 .. a+b)   (a+1 is 'this')
    OP_TAILCALL,  // return a(a+1 .. a+b), reusing this frame when the callee is a plain script function
    OP_PREPCALL,  // a = b[c]; a+1 = b
    OP_PREPCALLK, // a = b[K[c]]; a+1 = b; x=1: fall back to the root table
    OP_CLOSURE,   // a = closure of function b, default parameter values from c on
    OP_RETURN,    // return a (x=0: null)
    OP_YIELD,     // yield a (x=0: null)
    OP_JMP,       // pc += sbx
    OP_JZ,        // if !a: pc += sbx
    OP_JNZ,       // if a: pc += sbx
    // a = b op c; x=1: the right operand is K[c]
    OP_ADD,
    OP_SUB,
    OP_MUL,
    OP_DIV,
    OP_MOD,
    OP_BAND,
    OP_BOR,
    OP_BXOR,
    OP_SHL,
    OP_SHR,
    OP_USHR,
    OP_EQ,
    OP_NE,
    OP_LT,
    OP_LE,
    OP_GT,
    OP_GE,
    OP_CMP3,
    // compare b with c (x&1: K[c]) and jump by the next instruction's sbx when the result is false (x&2:
    // true)
    OP_JLT,
    OP_JLE,
    OP_JGT,
    OP_JGE,
    OP_JEQ,
    OP_JNE,
    OP_NEG,        // a = -b
    OP_NOT,        // a = !b
    OP_BNOT,       // a = ~b
    OP_INC,        // a = b + (int8)x
    OP_TYPEOF,     // a = typeof b
    OP_INSTANCEOF, // a = b instanceof c
    OP_IN,         // a = b in c
    OP_CLONE,      // a = clone b
    OP_RESUME,     // a = resume b
    OP_FOREACH,    // a: container, a+1: iterator, a+2: key, a+3: value; when done: pc += sbx
    OP_CLASS,      // a = class extends b (NO_REG: none) with attributes c (NO_REG: none)
    OP_THROW,      // throw a
    OP_PUSHTRAP,   // on error: a = the error, pc = this + 1 + sbx
    OP_POPTRAP,    // drop b traps
    OP_CLOSE,      // close outers at or above register a
    OP_GETBASE,    // a = base class of the running method
    OP_GETROOT,    // a = root table
    OP_LINE,       // a new line starts (sbx: the line); only the debug hook sees it
};

constexpr uint16_t NO_REG = 0xFFFF;
