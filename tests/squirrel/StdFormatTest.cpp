#include "squirrel/stdlib/SqFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{

// Script values as the VM would hand them over.
struct Value
{
    enum Type
    {
        Integer,
        Float,
        String,
        Null
    } type;
    int32_t i = 0;
    float f = 0;
    const char* s = nullptr;
};

Value I(int32_t i)
{
    return {Value::Integer, i, 0, nullptr};
}
Value F(float f)
{
    return {Value::Float, 0, f, nullptr};
}
Value S(const char* s)
{
    return {Value::String, 0, 0, s};
}
Value N()
{
    return {Value::Null, 0, 0, nullptr};
}

class Args : public SqFormatArgs
{
public:
    explicit Args(std::vector<Value> values) : m_values(std::move(values)) {}
    int Count() const override { return int(m_values.size()); }
    bool GetInteger(int index, int32_t* value) const override
    {
        const Value& v = m_values[index];
        if (v.type == Value::Integer)
            *value = v.i;
        else if (v.type == Value::Float)
            *value = int32_t(v.f);
        return v.type == Value::Integer || v.type == Value::Float;
    }
    bool GetFloat(int index, float* value) const override
    {
        const Value& v = m_values[index];
        if (v.type == Value::Integer)
            *value = float(v.i);
        else if (v.type == Value::Float)
            *value = v.f;
        return v.type == Value::Integer || v.type == Value::Float;
    }
    bool GetString(int index, const char** text) const override
    {
        *text = m_values[index].s;
        return m_values[index].type == Value::String;
    }

private:
    std::vector<Value> m_values;
};

std::string FormatOk(const char* format, std::vector<Value> values)
{
    std::string out;
    std::string error;
    EXPECT_TRUE(SqFormat(format, std::strlen(format), Args(std::move(values)), &out, &error))
        << format << ": " << error;
    return out;
}

std::string FormatError(const char* format, std::vector<Value> values)
{
    std::string out;
    std::string error;
    EXPECT_FALSE(SqFormat(format, std::strlen(format), Args(std::move(values)), &out, &error)) << format;
    return error;
}

} // namespace

TEST(StdFormat, ConversionsFollowPrintf)
{
    EXPECT_EQ(FormatOk("%s %d 0x%02X\n", {S("this is a test :"), I(123), I(10)}),
              "this is a test : 123 0x0A\n");
    EXPECT_EQ(FormatOk("[%5d|%-5d|%05d|%+d]", {I(42), I(42), I(42), I(42)}), "[   42|42   |00042|+42]");
    EXPECT_EQ(FormatOk("%i %o %u %x", {I(-1), I(8), I(-1), I(255)}), "-1 10 4294967295 ff");
    EXPECT_EQ(FormatOk("%c%c", {I(72), I(105)}), "Hi");
    EXPECT_EQ(FormatOk("%f %.2f %g %e", {F(1.5f), F(3.14159f), F(0.0001f), F(1000.0f)}),
              "1.500000 3.14 0.0001 1.000000e+03");
    EXPECT_EQ(FormatOk("%.3s|%6s|%-6s|", {S("abcdef"), S("ab"), S("ab")}), "abc|    ab|ab    |");
    EXPECT_EQ(FormatOk("100%% of %d", {I(3)}), "100% of 3");
    EXPECT_EQ(FormatOk("no arguments", {}), "no arguments");
    EXPECT_EQ(FormatOk("%d", {I(1), I(2)}), "1");
}

// Conversions with no flags and no width, beside what snprintf writes for the same spec and value.
TEST(StdFormat, PlainConversionsMatchSnprintf)
{
    const int32_t integers[] = {0, 7, -7, 1234567, 2147483647, -2147483647 - 1};
    for (const char* spec : {"%d", "%i"})
        for (int32_t i : integers)
        {
            char expected[64];
            std::snprintf(expected, sizeof expected, spec, int(i));
            EXPECT_EQ(FormatOk(spec, {I(i)}), expected) << spec << " " << i;
        }
    const float floats[] = {0.0f, -0.0f, 0.125f, -2.5f, 3.14159f, 0.005f, 49999.75f, 1e-30f, 1e20f, 3.4e38f};
    for (const char* spec : {"%f", "%.f", "%.0f", "%.2f", "%.9f", "%.10f", "%.25f"})
        for (float f : floats)
        {
            char expected[512];
            std::snprintf(expected, sizeof expected, spec, double(f));
            EXPECT_EQ(FormatOk(spec, {F(f)}), expected) << spec << " " << f;
        }
    EXPECT_EQ(FormatOk("%s=%d (%.2f)", {S("unit7:1.75"), I(7), F(3.5f)}), "unit7:1.75=7 (3.50)");
    EXPECT_EQ(FormatOk("%d|%f|%s", {F(-3.7f), I(2), S("")}), "-3|2.000000|");
}

TEST(StdFormat, NumbersConvertBetweenIntegerAndFloat)
{
    EXPECT_EQ(FormatOk("%d %f", {F(3.7f), I(2)}), "3 2.000000");
    EXPECT_EQ(FormatOk("%.1f", {F(0.1f)}), "0.1");
}

TEST(StdFormat, LongResultsAreNotTruncated)
{
    const std::string big(1000, 'x');
    EXPECT_EQ(FormatOk("<%s>", {S(big.c_str())}), "<" + big + ">");
}

TEST(StdFormat, ErrorsUseTheLibraryTexts)
{
    EXPECT_EQ(FormatError("%d %d", {I(1)}), "not enough paramters for the given format string");
    EXPECT_EQ(FormatError("%s", {I(1)}), "string expected for the specified format");
    EXPECT_EQ(FormatError("%d", {S("x")}), "integer expected for the specified format");
    EXPECT_EQ(FormatError("%f", {N()}), "float expected for the specified format");
    EXPECT_EQ(FormatError("%y", {I(1)}), "invalid format");
    EXPECT_EQ(FormatError("abc%", {I(1)}), "invalid format");
    EXPECT_EQ(FormatError("%100d", {I(1)}), "width format too long");
    EXPECT_EQ(FormatError("%.100f", {F(1)}), "precision format too long");
    EXPECT_EQ(FormatError("%-------------------d", {I(1)}), "format too long");
}

TEST(StdFormat, KeepsZeroBytesAndGoesOnPastThem)
{
    const char format[] = "ab\0%d\0";
    std::string out;
    std::string error;
    EXPECT_TRUE(SqFormat(format, sizeof format - 1, Args({I(7)}), &out, &error));
    EXPECT_EQ(out, std::string("ab\0" "7\0", 5));
    EXPECT_FALSE(SqFormat(format, sizeof format - 1, Args({}), &out, &error));
    EXPECT_EQ(error, "not enough paramters for the given format string");
}
