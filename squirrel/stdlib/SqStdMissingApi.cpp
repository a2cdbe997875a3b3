// Stand-ins for embedding-API functions the VM does not provide yet. They are weak: as soon as the VM
// defines the real function, the linker takes that one and these drop out.
#include "SqStdRegister.h"

extern "C"
{

    __attribute__((weak)) SQRESULT sq_writeclosure(HSQUIRRELVM v, SQWRITEFUNC, SQUserPointer)
    {
        return sq_throwerror(v, "bytecode serialization is not supported");
    }

    __attribute__((weak)) SQRESULT sq_readclosure(HSQUIRRELVM v, SQREADFUNC, SQUserPointer)
    {
        return sq_throwerror(v, "bytecode serialization is not supported");
    }
}
