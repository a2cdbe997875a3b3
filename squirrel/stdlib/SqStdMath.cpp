// The math library.
#include "SqStdRegister.h"

#include <sqstdmath.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace
{

// The C library's generator contract, kept here so every platform draws the same sequence.
constexpr SQInteger kRandMax = 32767;
uint32_t g_randState = 1;

SQInteger NextRand()
{
    g_randState = g_randState * 214013u + 2531011u;
    return SQInteger((g_randState >> 16) & 0x7FFF);
}

SQFloat FloatArg(HSQUIRRELVM v, SQInteger idx)
{
    SQFloat f = 0;
    SqStdGetFloat(v, idx, &f);
    return f;
}

SQInteger PushFloat(HSQUIRRELVM v, double value)
{
    sq_pushfloat(v, SQFloat(value));
    return 1;
}

#define SQSTD_UNARY(name, expression)                                                                        \
    SQInteger math_##name(HSQUIRRELVM v)                                                                     \
    {                                                                                                        \
        const double x = FloatArg(v, 2);                                                                     \
        return PushFloat(v, expression);                                                                     \
    }

SQSTD_UNARY(sqrt, std::sqrt(x))
SQSTD_UNARY(fabs, std::fabs(x))
SQSTD_UNARY(sin, std::sin(x))
SQSTD_UNARY(cos, std::cos(x))
SQSTD_UNARY(asin, std::asin(x))
SQSTD_UNARY(acos, std::acos(x))
SQSTD_UNARY(log, std::log(x))
SQSTD_UNARY(log10, std::log10(x))
SQSTD_UNARY(tan, std::tan(x))
SQSTD_UNARY(atan, std::atan(x))
SQSTD_UNARY(floor, std::floor(x))
SQSTD_UNARY(ceil, std::ceil(x))
SQSTD_UNARY(exp, std::exp(x))

SQInteger math_atan2(HSQUIRRELVM v)
{
    return PushFloat(v, std::atan2(double(FloatArg(v, 2)), double(FloatArg(v, 3))));
}

SQInteger math_pow(HSQUIRRELVM v)
{
    return PushFloat(v, std::pow(double(FloatArg(v, 2)), double(FloatArg(v, 3))));
}

SQInteger math_abs(HSQUIRRELVM v)
{
    SQInteger n = 0;
    SqStdGetInteger(v, 2, &n);
    // The most negative integer has no positive twin; it stays as it is rather than overflow.
    sq_pushinteger(v, n < 0 && n != INT32_MIN ? -n : n);
    return 1;
}

SQInteger math_srand(HSQUIRRELVM v)
{
    SQInteger seed = 0;
    SqStdGetInteger(v, 2, &seed);
    g_randState = uint32_t(seed);
    return 0;
}

SQInteger math_rand(HSQUIRRELVM v)
{
    sq_pushinteger(v, NextRand());
    return 1;
}

const SQRegFunction kMathFunctions[] = {
    {"sqrt", math_sqrt, 2, ".n"},    {"sin", math_sin, 2, ".n"},   {"cos", math_cos, 2, ".n"},
    {"asin", math_asin, 2, ".n"},    {"acos", math_acos, 2, ".n"}, {"log", math_log, 2, ".n"},
    {"log10", math_log10, 2, ".n"},  {"tan", math_tan, 2, ".n"},   {"atan", math_atan, 2, ".n"},
    {"atan2", math_atan2, 3, ".nn"}, {"pow", math_pow, 3, ".nn"},  {"floor", math_floor, 2, ".n"},
    {"ceil", math_ceil, 2, ".n"},    {"exp", math_exp, 2, ".n"},   {"srand", math_srand, 2, ".n"},
    {"rand", math_rand, 1, nullptr}, {"fabs", math_fabs, 2, ".n"}, {"abs", math_abs, 2, ".n"},
    {nullptr, nullptr, 0, nullptr},
};

} // namespace

SQRESULT sqstd_register_mathlib(HSQUIRRELVM v)
{
    SqStdRegisterFunctions(v, kMathFunctions);
    SqStdSetInteger(v, "RAND_MAX", kRandMax);
    SqStdSetFloat(v, "PI", SQFloat(3.14159265358979323846));
    return SQ_OK;
}
