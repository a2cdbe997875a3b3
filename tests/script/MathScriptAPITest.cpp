#include "ScriptTestFixture.h"

#include "core/Mat4.h"
#include "script/MathScriptAPI.h"
#include "script/ScriptBinding.h"

namespace
{
using MathScriptAPITest = ScriptTest;

struct TextCase
{
    const char* expression;
    const char* text;
};

TEST_F(MathScriptAPITest, ArithmeticAndConstructionGiveNewValues)
{
    const TextCase cases[] = {
        {"Vec3()", "(vec3: 0, 0, 0)"},
        {"Vec3(1, 2)", "(vec3: 0, 0, 0)"},
        {"Vec3(1, 2, 3)", "(vec3: 1, 2, 3)"},
        {"Vec3(1, 2, 3) * 2", "(vec3: 2, 4, 6)"},
        {"Vec3(1, 2, 3) * 0.5", "(vec3: 0.5, 1, 1.5)"},
        {"Vec3(1, 2, 3) * Vec3(2, 2, 2)", "(vec3: 2, 4, 6)"},
        {"Vec3(1, 2, 3) + Vec3(1, 1, 1)", "(vec3: 2, 3, 4)"},
        {"Vec3(1, 2, 3) - Vec3(1, 1, 1)", "(vec3: 0, 1, 2)"},
        {"-Vec3(0, 1, 0)", "(vec3: -0, -1, -0)"},
        {"Vec3(3, 0, 4).getnormal()", "(vec3: 0.6, 0, 0.8)"},
        {"Vec2()", "(vec2: 0, 0)"},
        {"Vec2(1)", "(vec2: 0, 0)"},
        {"Vec2(1, 2)", "(vec2: 1, 2)"},
        {"Vec2(1, 2) + Vec2(3, 4)", "(vec2: 4, 6)"},
        {"Vec2(3, 4) - Vec2(1, 1)", "(vec2: 2, 3)"},
        {"Vec2(1, 2) * 3", "(vec2: 3, 6)"},
        {"Vec2(1, 2) * \"text\"", "(vec2: 0, 0)"},
    };
    for (const TextCase& c : cases)
    {
        s_printed.clear();
        Run(std::string("result <- \"\" + (") + c.expression + ");");
        EXPECT_EQ(GlobalString("result"), c.text) << c.expression << Reports();
    }
    EXPECT_FALSE(ScriptGetErrorFlag());
}

TEST_F(MathScriptAPITest, OperandsStayAsTheyWere)
{
    Run("local a = Vec3(1, 2, 3); local b = Vec3(4, 5, 6); local sum = a + b; local n = a.getnormal();"
        "local d = a.DistanceTo(b); local m = -a; text <- (\"\" + a) + (\"\" + b);");
    EXPECT_EQ(GlobalString("text"), "(vec3: 1, 2, 3)(vec3: 4, 5, 6)");
}

TEST_F(MathScriptAPITest, ScalarResultsAndTheDegreeFactors)
{
    EXPECT_EQ(kDegreesToRadians, 0.0174532924f);
    EXPECT_EQ(kRadiansToDegrees, 57.2957764f);
    Run("length <- Vec3(3, 0, 4).magnitude(); distance <- Vec3(1, 1, 1).DistanceTo(Vec3(1, 4, 5));"
        "angle <- Vec3(1, 0, 0).GetAngleBetween(Vec3(0, 0, 1)); flat <- Vec2(3, 4).magnitude();"
        "degenerate <- Vec3().GetAngleBetween(Vec3(1, 0, 0));"
        "local p = Vec3(1, 5, 0); p.RotateAroundPointXZ(Vec3(0, 0, 0), 90); px <- p.x; py <- p.y; pz <- "
        "p.z;");
    EXPECT_FLOAT_EQ(GlobalFloat("length"), 5.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("distance"), 5.0f);
    EXPECT_NEAR(GlobalFloat("angle"), 90.0f, 1e-4f);
    EXPECT_FLOAT_EQ(GlobalFloat("flat"), 5.0f);
    EXPECT_EQ(GlobalFloat("degenerate"), 0.0f);
    EXPECT_NEAR(GlobalFloat("px"), 0.0f, 1e-6f);
    EXPECT_EQ(GlobalFloat("py"), 5.0f);
    EXPECT_NEAR(GlobalFloat("pz"), 1.0f, 1e-6f);
}

TEST_F(MathScriptAPITest, InPlaceMethodsChangeTheirTarget)
{
    Run("local z = Vec3(); z.normalize(); zero <- (\"\" + z);"
        "local v = Vec3(0, 3, 4); v.normalize(); unit <- (\"\" + v);"
        "local s = Vec3(); s.set(Vec3(7, 8, 9)); copied <- (\"\" + s);"
        "s.set_sub(Vec3(5, 5, 5), Vec3(1, 2, 3)); difference <- (\"\" + s);"
        "local a = Vec3(1, 0, 0); a.cross(Vec3(0, 1, 0), a); intoThis <- (\"\" + a);"
        "local b = Vec3(0, 1, 0); Vec3(1, 0, 0).cross(b, b); intoArgument <- (\"\" + b);"
        "local c = Vec3(9, 9, 9); Vec3(0, 1, 0).cross(Vec3(1, 0, 0), c); intoOther <- (\"\" + c);");
    EXPECT_EQ(GlobalString("zero"), "(vec3: 0, 0, 0)");
    EXPECT_EQ(GlobalString("unit"), "(vec3: 0, 0.6, 0.8)");
    EXPECT_EQ(GlobalString("copied"), "(vec3: 7, 8, 9)");
    EXPECT_EQ(GlobalString("difference"), "(vec3: 4, 3, 2)");
    EXPECT_EQ(GlobalString("intoThis"), "(vec3: 0, 0, 1)");
    EXPECT_EQ(GlobalString("intoArgument"), "(vec3: 0, 0, 1)");
    EXPECT_EQ(GlobalString("intoOther"), "(vec3: 0, 0, -1)");
}

TEST_F(MathScriptAPITest, WrongOperandsAreScriptErrors)
{
    const char* failing[] = {
        "Vec3(1, 2, 3) * \"text\";",
        "Vec3(1, 2, 3).set(5);",
        "Vec3(1, 2, 3).RotateAroundPointXZ(Vec3(), \"ninety\");",
        "rgba8888(1, 2, 3);",
        "rgba8888(1, 2, 3, 4.5);",
        "rgba8888(1, 2, 3, 4).set(1, 2, 3);",
        "Mat4().orientY(1);",
    };
    for (const char* code : failing)
    {
        ScriptSetErrorFlag(false);
        Run(code);
        EXPECT_TRUE(ScriptGetErrorFlag()) << code;
    }
}

TEST_F(MathScriptAPITest, ColoursKeepTheLowByteOfEachChannel)
{
    Run("local c = rgba8888(300, 0, 0, 255); r <- c.r; a <- c.a; c.set(1, 2, 3, 260); b <- c.b; a2 <- c.a;"
        "c.g = 511; g <- c.g;");
    EXPECT_EQ(GlobalInt("r"), 44);
    EXPECT_EQ(GlobalInt("a"), 255);
    EXPECT_EQ(GlobalInt("b"), 3);
    EXPECT_EQ(GlobalInt("a2"), 4);
    EXPECT_EQ(GlobalInt("g"), 255);
}

TEST_F(MathScriptAPITest, MatrixMembersAreViewsOfItsElements)
{
    Run("mat <- Mat4(); zeroes <- (\"\" + mat.right) + mat.x;"
        "mat.forward.y = 5; local held = mat.up; held.z = 6; mat.translation = Vec3(1, 2, 3); mat.z = 9;"
        "tx <- mat.translation.x;");
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    EXPECT_EQ(GlobalString("zeroes"), "(vec3: 0, 0, 0)0");
    EXPECT_FLOAT_EQ(GlobalFloat("tx"), 1.0f);
    sq_pushroottable(vm());
    sq_pushstring(vm(), "mat", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(vm(), -2)));
    const Mat4* native = ScriptCheckInstance<Mat4>(vm(), -1);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->m[9], 5.0f);
    EXPECT_EQ(native->m[6], 6.0f);
    EXPECT_EQ(native->m[12], 1.0f);
    EXPECT_EQ(native->m[13], 2.0f);
    EXPECT_EQ(native->m[14], 9.0f);
    sq_pop(vm(), 2);
}

TEST_F(MathScriptAPITest, ClonesAreIndependentCopies)
{
    Run("local a = Vec3(1, 2, 3); local b = clone a; b.x = 9; ax <- a.x; bx <- b.x;"
        "local m = Mat4(); m.x = 4; local n = clone m; n.x = 5; local r = clone m.right; r.y = 7;"
        "mx <- m.x; nx <- n.x; my <- m.right.y;"
        "local w = Vec2(1, 2); local w2 = clone w; w2.y = 8; wy <- w.y;");
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    EXPECT_EQ(GlobalFloat("ax"), 1.0f);
    EXPECT_EQ(GlobalFloat("bx"), 9.0f);
    EXPECT_EQ(GlobalFloat("mx"), 4.0f);
    EXPECT_EQ(GlobalFloat("nx"), 5.0f);
    EXPECT_EQ(GlobalFloat("my"), 0.0f);
    EXPECT_EQ(GlobalFloat("wy"), 2.0f);
}

TEST_F(MathScriptAPITest, MatrixProductAppliesTheRightOperandFirst)
{
    // a turns x into -z; b moves by 10 along x: a * b moves by 10 along -z.
    Run("local a = Mat4(); a.right = Vec3(0, 0, -1); a.up = Vec3(0, 1, 0); a.forward = Vec3(1, 0, 0);"
        "local b = Mat4(); b.right = Vec3(1, 0, 0); b.up = Vec3(0, 1, 0); b.forward = Vec3(0, 0, 1);"
        "b.translation = Vec3(10, 0, 0);"
        "ab <- (\"\" + (a * b).translation); ba <- (\"\" + (b * a).translation);");
    EXPECT_EQ(GlobalString("ab"), "(vec3: 0, 0, -10)");
    EXPECT_EQ(GlobalString("ba"), "(vec3: 0, 0, 0)");
}

TEST_F(MathScriptAPITest, ViewsOfOneMemberShareOneHeldOwnerUntilTheLastGoes)
{
    Run("m <- Mat4(); views <- []; for (local i = 0; i < 100; i += 1) views.append(m.translation);"
        "other <- m.up;");
    EXPECT_EQ(ScriptViewOwnerRecordCount(), 2u);
    Run("m = null; views.remove(0); views[5].x = 4.0; x <- views[98].x; views = null;");
    EXPECT_EQ(GlobalFloat("x"), 4.0f);
    EXPECT_EQ(ScriptViewOwnerRecordCount(), 1u);
    Run("other.y = 3.0; y <- other.y; other = null;");
    EXPECT_EQ(GlobalFloat("y"), 3.0f);
    EXPECT_EQ(ScriptViewOwnerRecordCount(), 0u);
}

TEST_F(MathScriptAPITest, OrientNormalisesItsArgumentsAndKeepsTheTranslation)
{
    Run("local m = Mat4(); m.translation = Vec3(7, 8, 9); local f = Vec3(0, 0, 2); local u = Vec3(0, 3, 0);"
        "m.orient(f, u); f_length <- f.magnitude(); u_length <- u.magnitude();"
        "axes <- (\"\" + m.right) + (\"\" + m.up) + (\"\" + m.forward) + (\"\" + m.translation);"
        "local y = Mat4(); local g = Vec3(2, 0, 0); y.orientY(g);"
        "yaxes <- (\"\" + y.right) + (\"\" + y.forward) + (\"\" + g);");
    EXPECT_FLOAT_EQ(GlobalFloat("f_length"), 1.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("u_length"), 1.0f);
    EXPECT_EQ(GlobalString("axes"), "(vec3: 1, 0, 0)(vec3: 0, 1, 0)(vec3: 0, 0, 1)(vec3: 7, 8, 9)");
    EXPECT_EQ(GlobalString("yaxes"), "(vec3: 0, 0, -1)(vec3: 1, 0, 0)(vec3: 1, 0, 0)");
}

TEST_F(MathScriptAPITest, DefaultDelegateStaysReachableBehindGet)
{
    Run("text <- Vec3(1, 2, 3).tostring();");
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    EXPECT_EQ(GlobalString("text"), "(vec3: 1, 2, 3)");
}
} // namespace
