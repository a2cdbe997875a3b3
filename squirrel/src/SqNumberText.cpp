// Decimal text of script numbers. Floats in the range "%g" prints without an exponent, and fixed decimals of
// floats whose scaled value fits 64 bits, are converted exactly here; the rest (exponents, subnormals,
// infinities, NaN) go to snprintf.
#include "SqNumberText.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
const char kDigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                           "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                           "8081828384858687888990919293949596979899";

// Writes v in decimal so that it ends just before `end`, two digits per division; returns where it starts.
char* WriteDigitsBackward(uint64_t v, char* end)
{
    char* p = end;
    while (v >= 100)
    {
        const char* pair = kDigitPairs + 2 * (v % 100);
        v /= 100;
        *--p = pair[1];
        *--p = pair[0];
    }
    if (v >= 10)
    {
        *--p = kDigitPairs[2 * v + 1];
        *--p = kDigitPairs[2 * v];
    }
    else
        *--p = char('0' + v);
    return p;
}

// Copies the text from `start` to `end`, after a minus sign when negative, to buf with its terminating zero.
SQInteger CopyOut(bool negative, const char* start, const char* end, char* buf)
{
    SQInteger len = 0;
    if (negative)
        buf[len++] = '-';
    memcpy(buf + len, start, size_t(end - start));
    len += SQInteger(end - start);
    buf[len] = 0;
    return len;
}
} // namespace

SQInteger IntegerText(SQInteger n, char* buf)
{
    char text[16];
    char* const end = text + sizeof text;
    const uint32_t magnitude = n < 0 ? 0u - uint32_t(n) : uint32_t(n);
    return CopyOut(n < 0, WriteDigitsBackward(magnitude, end), end, buf);
}

namespace
{
const uint64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
const int kSignificant = 6; // "%g" keeps six significant digits

// mantissa * 2^exp2 * 10^decimals rounded to an integer, ties to even as printf rounds; false when the
// exact product does not fit the arithmetic here.
bool ScaledRound(uint64_t mantissa, int exp2, int decimals, uint64_t& out)
{
    if (decimals < 0 || decimals > 9)
        return false;
    uint64_t p = mantissa;
    for (int i = 0; i < decimals; i++)
        p *= 5; // mantissa < 2^24 and 5^9 < 2^21: no overflow
    int shift = exp2 + decimals;
    if (shift >= 0)
    {
        if (shift > 16)
            return false;
        out = p << shift;
        return true;
    }
    if (shift <= -63)
    {
        out = 0; // p < 2^45 stays below the half, 2^(-shift-1), so it rounds down to zero
        return true;
    }
    const uint64_t rest = p & ((uint64_t(1) << -shift) - 1);
    const uint64_t half = uint64_t(1) << (-shift - 1);
    out = p >> -shift;
    if (rest > half || (rest == half && (out & 1)))
        out++;
    return true;
}

// `digits` as text with `decimals` of them after the point (zeros pad a short value: 5 with 2 decimals is
// "0.05").
SQInteger WriteDecimals(bool negative, uint64_t digits, int decimals, char* buf)
{
    char text[32];
    char* const end = text + sizeof text;
    char* start = end;
    if (decimals > 0)
    {
        start = WriteDigitsBackward(digits % kPow10[decimals], start);
        while (end - start < decimals)
            *--start = '0';
        *--start = '.';
        digits /= kPow10[decimals];
    }
    return CopyOut(negative, WriteDigitsBackward(digits, start), end, buf);
}

// "%g" drops the trailing zeros of its six significant digits.
SQInteger WriteShortest(bool negative, uint64_t digits, int decimals, char* buf)
{
    while (decimals > 0 && digits % 10 == 0)
    {
        digits /= 10;
        decimals--;
    }
    return WriteDecimals(negative, digits, decimals, buf);
}

SQInteger PrintfText(SQFloat f, char* buf)
{
    return SQInteger(snprintf(buf, size_t(NUMBER_TEXT_SIZE), "%g", double(f)));
}
} // namespace

SQInteger FloatText(SQFloat f, char* buf)
{
    static_assert(sizeof(SQFloat) == 4, "the exact path reads a 32-bit float");
    uint32_t bits;
    memcpy(&bits, &f, 4);
    const bool negative = (bits >> 31) != 0;
    const int biased = int((bits >> 23) & 0xFF);
    if (biased == 0 || biased == 0xFF) // zero, subnormal, infinity, NaN
        return PrintfText(f, buf);
    const uint64_t mantissa = (bits & 0x7FFFFF) | 0x800000;
    const int exp2 = biased - 150;
    // The exponent estimate can be one off either way; the digit count of the rounded value settles it. The
    // estimate takes log2 of the mantissa as linear, which is within 0.09 of the truth and much cheaper than
    // log10.
    const double log2Magnitude = (biased - 127) + double(bits & 0x7FFFFF) / double(0x800000);
    const double log10Magnitude = log2Magnitude * 0.30102999566398120; // log10(2)
    int exp10 = int(log10Magnitude);
    if (exp10 > log10Magnitude) // truncation went up for a negative value
        exp10--;
    for (int attempt = 0; attempt < 3; attempt++)
    {
        if (exp10 < -4 || exp10 >= kSignificant)
            return PrintfText(f, buf);
        const int decimals = kSignificant - 1 - exp10;
        uint64_t digits;
        if (!ScaledRound(mantissa, exp2, decimals, digits))
            return PrintfText(f, buf);
        if (digits >= kPow10[kSignificant])
            exp10++;
        else if (digits < kPow10[kSignificant - 1])
            exp10--;
        else
            return WriteShortest(negative, digits, decimals, buf);
    }
    return PrintfText(f, buf);
}

SQInteger FixedText(SQFloat f, int decimals, char* buf)
{
    uint32_t bits;
    memcpy(&bits, &f, 4);
    const bool negative = (bits >> 31) != 0;
    const int biased = int((bits >> 23) & 0xFF);
    uint64_t digits;
    if (biased != 0xFF && decimals >= 0 && decimals <= FIXED_TEXT_MAX_DECIMALS)
    {
        // zero and subnormals have no implicit leading bit and the smallest exponent
        const uint64_t mantissa = biased == 0 ? (bits & 0x7FFFFF) : ((bits & 0x7FFFFF) | 0x800000);
        const int exp2 = biased == 0 ? -149 : biased - 150;
        if (ScaledRound(mantissa, exp2, decimals, digits))
            return WriteDecimals(negative, digits, decimals, buf);
    }
    return SQInteger(snprintf(buf, size_t(NUMBER_TEXT_SIZE), "%.*f", decimals, double(f)));
}
