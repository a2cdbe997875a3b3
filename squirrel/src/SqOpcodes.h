// The register machine's instruction set. Registers are relative to the frame base; register 0 is 'this'.
// K[n] is the function's literal n. Jumps are relative to the instruction after the jump.
#pragma once

#include <cstdint>

enum SQOpcode : uint8_t
{
    OP_LOADK,     // a = K[bx]
    OP_LOADINT,   // a = sbx (next instruction holds the value)
    OP_LOADNULL,  // a .. a+b-1 = null
    OP_LOADBOOL,  // a = (b != 0)
    OP_MOVE,      // a = b
    OP_GETOUTER,  // a = outer[b]
    OP_SETOUTER,  // outer[a] = b
    OP_NEWTABLE,  // a = {}
    OP_NEWARRAY,  // a = [] with room for b
    OP_APPEND,    // a.append(b)
    OP_GET,       // a = b[c]
    OP_GETK,      // a = b[K[c]]; x=1: fall back to the root table
    OP_SET,       // a[b] = c
    OP_SETK,      // a[K[b]] = c
    OP_NEWSLOT,   // a[b] <- c
    OP_NEWMEMBER, // class a: member b = c, x&1: attributes in b-1, x&2: static
    OP_DELETE,    // a = delete b[c]
    OP_CALL,      // a = a(a+1 .. a+b)   (a+1 is 'this')
    OP_TAILCALL,   // return a(a+1 .. a+b) reusing this frame when the callee is a plain script function
    OP_PREPCALL,  // a = b[c]; a+1 = b
    OP_PREPCALLK, // a = b[K[c]]; a+1 = b; x=1: fall back to the root table
    OP_CLOSURE,   // a = closure of function b, defaults from c
    OP_RETURN,    // return a (x=0: null)
    OP_YIELD,     // yield a (x=0: null)
    OP_JMP,       // pc += sbx
    OP_JZ,        // if !a: pc += next.sbx
    OP_JNZ,       // if a: pc += next.sbx
    OP_ADD,
    OP_SUB,
    OP_MUL,
    OP_DIV,
    OP_MOD, // a = b op c
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
    OP_JLT,
    OP_JLE,
    OP_JGT,
    OP_JGE,
    OP_JEQ,
    OP_JNE, // if !(b op c): pc += next.sbx
    OP_NEG,
    OP_NOT,
    OP_BNOT,       // a = op b
    OP_INC,        // a = b + (int8)x
    OP_TYPEOF,     // a = typeof b
    OP_INSTANCEOF, // a = b instanceof c
    OP_IN,         // a = b in c
    OP_CLONE,      // a = clone b
    OP_RESUME,     // a = resume b
    OP_FOREACH,    // a: container, a+1: iterator, a+2: key, a+3: value; done: pc += next.sbx
    OP_CLASS,      // a = class extends b (0xFFFF: none) with attributes c (0xFFFF: none)
    OP_THROW,      // throw a
    OP_PUSHTRAP,   // on error: a = error, pc += next.sbx
    OP_POPTRAP,    // drop b traps
    OP_CLOSE,      // close outers at or above register a
    OP_GETBASE,    // a = base class of the running method
    OP_GETROOT,    // a = root table
    OP_LINE,       // debug line marker (unused)
};

constexpr uint16_t NO_REG = 0xFFFF;
