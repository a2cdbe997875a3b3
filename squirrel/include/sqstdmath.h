// The math library: abs, fabs, sqrt, the trigonometric and exponential functions, rand/srand, PI, RAND_MAX.
#ifndef SQSTDMATH_H
#define SQSTDMATH_H

#include <squirrel.h>

#ifdef __cplusplus
extern "C"
{
#endif

    // Registers the library into the table on top of the stack.
    SQUIRREL_API SQRESULT sqstd_register_mathlib(HSQUIRRELVM v);

#ifdef __cplusplus
}
#endif

#endif
