// Closures written as bytecode: a round trip runs like the source, and damaged images are refused.
#include "squirrel/src/SqOpcodes.h"
#include "squirrel/src/SqVM.h"

#include <squirrel.h>

#include <gtest/gtest.h>

#include <functional>

#include <cstring>
#include <string>
#include <vector>

namespace
{
struct Image
{
    std::vector<unsigned char> bytes;
    size_t position = 0;
    size_t limit = SIZE_MAX; // reads past it fail, like a file cut short
};

SQInteger WriteImage(SQUserPointer user, SQUserPointer data, SQInteger size)
{
    Image* image = static_cast<Image*>(user);
    const unsigned char* p = static_cast<const unsigned char*>(data);
    image->bytes.insert(image->bytes.end(), p, p + size);
    return size;
}

SQInteger ReadImage(SQUserPointer user, SQUserPointer data, SQInteger size)
{
    Image* image = static_cast<Image*>(user);
    const size_t end = image->bytes.size() < image->limit ? image->bytes.size() : image->limit;
    if (size < 0 || image->position + size_t(size) > end)
        return -1;
    memcpy(data, image->bytes.data() + image->position, size_t(size));
    image->position += size_t(size);
    return size;
}

const char kProgram[] = "function Sum(list, scale = 2) {\n"
                        "  local total = 0;\n"
                        "  foreach (i, x in list) if (x > 1 && i != 3) total += x * scale;\n"
                        "  return total;\n"
                        "}\n"
                        "function Counter() { local n = 0; return function() { return ++n; }; }\n"
                        "function Squares(n) { for (local i = 0; i < n; i++) yield i * i; }\n"
                        "class Box { v = 0; constructor(x) { v = x; } function Get() { return v; } }\n"
                        "local c = Counter(); c(); c();\n"
                        "local s = 0; foreach (q in Squares(4)) s += q;\n"
                        "local r = \"\";\n"
                        "try { throw \"oops\"; } catch (e) { r = e; }\n"
                        "return Sum([1, 2, 3, 4, 5]) + \":\" + c() + \":\" + s + \":\" + Box(7).Get() + "
                        "\":\" + r + \":\" + 1.5;\n";

class Serialize : public testing::Test
{
protected:
    void SetUp() override { v = sq_open(1024); }
    void TearDown() override { sq_close(v); }
    void Compile(const char* source)
    {
        ASSERT_EQ(sq_compilebuffer(v, source, SQInteger(strlen(source)), "prog.nut", SQFalse), SQ_OK);
    }
    // Calls the closure on the stack top with the root table and pops it; the result as text.
    std::string CallTop()
    {
        sq_pushroottable(v);
        if (SQ_FAILED(sq_call(v, 1, SQTrue, SQFalse)))
        {
            sq_pop(v, 1);
            return "(failed)";
        }
        const SQChar* s = "(not a string)";
        sq_getstring(v, -1, &s);
        std::string text = s;
        sq_pop(v, 2);
        return text;
    }
    Image Written(const char* source)
    {
        Image image;
        Compile(source);
        EXPECT_EQ(sq_writeclosure(v, WriteImage, &image), SQ_OK);
        sq_pop(v, 1);
        return image;
    }
    HSQUIRRELVM v = nullptr;
};

TEST_F(Serialize, ReadBackClosureRunsLikeTheSource)
{
    Compile(kProgram);
    const std::string expected = CallTop();
    EXPECT_EQ(expected, "20:3:14:7:oops:1.5");
    Image image = Written(kProgram);
    ASSERT_GE(image.bytes.size(), 2u);
    EXPECT_EQ(image.bytes[0], 0xFA);
    EXPECT_EQ(image.bytes[1], 0xFA);
    ASSERT_EQ(sq_readclosure(v, ReadImage, &image), SQ_OK);
    EXPECT_EQ(CallTop(), expected);
    SQStackInfos si;
    EXPECT_EQ(sq_stackinfos(v, 0, &si), SQ_ERROR); // nothing left running
}

TEST_F(Serialize, ClosuresWithFreeVariablesAreRefused)
{
    Compile("local n = 1; return function() { return n; };");
    sq_pushroottable(v);
    ASSERT_EQ(sq_call(v, 1, SQTrue, SQFalse), SQ_OK);
    Image image;
    EXPECT_EQ(sq_writeclosure(v, WriteImage, &image), SQ_ERROR);
    sq_pop(v, 2);
}

TEST_F(Serialize, TruncatedImagesAreRefusedAtEveryLength)
{
    Image image = Written(kProgram);
    const SQInteger top = sq_gettop(v);
    for (size_t cut = 0; cut < image.bytes.size(); cut++)
    {
        image.position = 0;
        image.limit = cut;
        ASSERT_EQ(sq_readclosure(v, ReadImage, &image), SQ_ERROR) << cut;
        ASSERT_EQ(sq_gettop(v), top);
    }
}

TEST_F(Serialize, DamagedBytesNeverLoadCodeThatReachesOutsideItsFunction)
{
    // Each byte in turn set to values that make typical operands and counts huge or negative: an image
    // either fails to load or loads with every operand checked (the sanitizers watch the loading).
    const Image original = Written(kProgram);
    int loaded = 0;
    for (size_t at = 0; at < original.bytes.size(); at++)
    {
        for (unsigned char value : {0x7F, 0xFF})
        {
            Image image = original;
            image.bytes[at] = value;
            if (SQ_SUCCEEDED(sq_readclosure(v, ReadImage, &image)))
            {
                loaded++;
                sq_pop(v, 1);
            }
        }
    }
    EXPECT_LT(loaded, int(original.bytes.size()) * 2);
}

TEST_F(Serialize, ClosuresCapturingFromTwoFunctionsUpReadBack)
{
    const char* source = "function Outer() { local x = 5; return function() { return function() { return x; }; }; }\n"
                         "return \"\" + Outer()()();\n";
    Image image = Written(source);
    ASSERT_EQ(sq_readclosure(v, ReadImage, &image), SQ_OK);
    EXPECT_EQ(CallTop(), "5");
}

// Bytecode whose operands all stay inside its function, but which the compiler would never write: the
// image loads, and running it fails with an error or runs harmlessly, never touching memory it does
// not own. Each case edits the compiled code before writing it.
struct LoadedCodeCase
{
    const char* what;
    const char* source;
    std::function<bool(SQFunctionProto&)> edit; // false when the instruction to edit is missing
    const char* result;                          // "(failed)" when the run must raise an error
};

SQInstruction* FindOp(SQFunctionProto& p, uint8_t op)
{
    for (SQInstruction& i : p.code)
        if (i.op == op)
            return &i;
    return nullptr;
}

TEST_F(Serialize, LoadedCodeTheCompilerWouldNeverWriteCannotCorruptTheVm)
{
    const LoadedCodeCase cases[] = {
        {"append aimed at an integer", "local t = 5; local a = [t]; return \"\" + a.len();",
         [](SQFunctionProto& p)
         {
             SQInstruction* append = FindOp(p, OP_APPEND);
             if (append)
                 append->a = append->b;
             return append != nullptr;
         },
         "(failed)"},
        {"pop of a trap never pushed", "try { } catch (e) { } return \"done\";",
         [](SQFunctionProto& p)
         {
             SQInstruction* push = FindOp(p, OP_PUSHTRAP);
             if (push)
                 *push = SQInstruction{OP_POPTRAP, 0, 0, {{3, 0}}};
             return push != nullptr;
         },
         "done"},
        {"a callee popping its caller's trap",
         "function F() { local x = 0; return x; }\n"
         "local r = \"lost\"; try { F(); throw \"caught\"; } catch (e) { r = e; } return r;",
         [](SQFunctionProto& p)
         {
             if (p.functions.empty())
                 return false;
             SQFunctionProto& f = *p.functions[0].Proto();
             SQInstruction* load = FindOp(f, OP_LOADINT);
             if (load)
                 *load = SQInstruction{OP_POPTRAP, 0, 0, {{1, 0}}};
             return load != nullptr;
         },
         "caught"},
        {"a string iterator starting negative",
         "local s = \"abc\"; local n = 0; foreach (c in s) n += c; return \"\" + n;",
         [](SQFunctionProto& p)
         {
             SQInstruction* loop = FindOp(p, OP_FOREACH);
             if (!loop)
                 return false;
             // the iterator register is cleared just before the loop: start it far below the string
             for (SQInstruction& i : p.code)
                 if (i.op == OP_LOADNULL && i.a <= loop->a + 1 && loop->a + 1 < i.a + i.b)
                 {
                     i = SQInstruction{OP_LOADINT, 0, uint16_t(loop->a + 1), {{0, 0}}};
                     i.sbx = -1000000;
                     return true;
                 }
             return false;
         },
         "0"},
    };
    for (const LoadedCodeCase& c : cases)
    {
        Compile(c.source);
        ASSERT_TRUE(c.edit(*v->At(-1).Closure()->Proto())) << c.what;
        Image image;
        ASSERT_EQ(sq_writeclosure(v, WriteImage, &image), SQ_OK) << c.what;
        sq_pop(v, 1);
        ASSERT_EQ(sq_readclosure(v, ReadImage, &image), SQ_OK) << c.what;
        EXPECT_EQ(CallTop(), c.result) << c.what;
    }
}
} // namespace
