#include "ScriptTestFixture.h"

#include "core/rgba8888.h"
#include "script/MathScriptAPI.h"
#include "script/ScriptBinding.h"

#include <cstddef>
#include <new>

namespace
{
struct Part
{
    float weight;
};

struct Widget
{
    ~Widget() { ++destroyed; }

    float speed = 1.5f;
    int32_t count = 7;
    uint8_t level = 200;
    char label[8] = "abc";
    rgba8888 colour = rgba8888(1, 2, 3, 4);
    rgba8888* tint = nullptr;
    Part part = {2.0f};

    static inline int destroyed = 0;
};

struct Player
{
    virtual ~Player() = default;
    virtual void Play() { plays += 1; }
    int plays = 0;
};

struct LoudPlayer : Player
{
    void Play() override { plays += 10; }
};

Widget g_shared;
LoudPlayer g_player;
float g_globalSpeed = 4.0f;
int32_t g_limit = 30;
uint8_t g_shade = 0xF0;

const ScriptVarDesc kWidgetMembers[] = {
    ScriptVarMember("speed", kScriptVarFloat, offsetof(Widget, speed)),
    ScriptVarMember("count", kScriptVarInt, offsetof(Widget, count)),
    ScriptVarMember("level", kScriptVarByte, offsetof(Widget, level)),
    ScriptVarText("label", sizeof(Widget::label), offsetof(Widget, label)),
    ScriptVarNested("Color", kScriptVarEmbedded, "rgba8888", offsetof(Widget, colour)),
    ScriptVarNested("Tint", kScriptVarPointer, "rgba8888", offsetof(Widget, tint)),
    ScriptVarNested("part", kScriptVarEmbedded, "Part", offsetof(Widget, part)),
    ScriptVarGlobal("globalSpeed", kScriptVarFloat, &g_globalSpeed),
    ScriptVarConstantValue("WIDGET_MAX", 9),
    ScriptVarConstantOf("WIDGET_LIMIT", &g_limit),
    ScriptVarConstantOf("WIDGET_SHADE", &g_shade),
    ScriptVarEnd(),
};

SQInteger Widget_constructor(HSQUIRRELVM vm)
{
    void* area = ScriptInstanceArea(vm, 1);
    if (!area)
        return sq_throwerror(vm, "no area");
    new (area) Widget();
    sq_setreleasehook(vm, 1, DestroyInPlaceHook<Widget>);
    return 0;
}

SQInteger Widget_Describe(HSQUIRRELVM vm)
{
    Widget* self = nullptr;
    const SQChar* prefix = "";
    if (!ScriptCheckInstance(vm, 1, "Widget", self) || SQ_FAILED(sq_getstring(vm, 2, &prefix)))
        return SQ_ERROR;
    sq_pushstring(vm, (std::string(prefix) + self->label).c_str(), -1);
    return 1;
}

SQInteger Widget_ArgumentCount(HSQUIRRELVM vm)
{
    sq_pushinteger(vm, sq_gettop(vm) - 1);
    return 1;
}

SQInteger GetSharedWidget(HSQUIRRELVM vm)
{
    ScriptPushBoundInstance(vm, "Widget", &g_shared);
    return 1;
}

SQInteger GetPlayer(HSQUIRRELVM vm)
{
    ScriptPushBoundInstance(vm, "Player", &g_player);
    return 1;
}

SQInteger ReturnOne(HSQUIRRELVM vm)
{
    sq_pushinteger(vm, 1);
    return 1;
}

SQInteger ReturnTwo(HSQUIRRELVM vm)
{
    sq_pushinteger(vm, 2);
    return 1;
}

class ScriptBindingTest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        g_shared = Widget();
        g_limit = 30;
        ScriptTest::Register(vm);
        ScriptClassHandle widget;
        ScriptBindClass(widget, vm, "Widget", sizeof(Widget), kWidgetMembers, Widget_constructor)
            .AddMethod("Describe", Widget_Describe, "xs")
            .AddMethod("ArgumentCount", Widget_ArgumentCount);
        g_limit = 31;
        ScriptClassHandle player;
        ScriptBindClass(player, vm, "Player", sizeof(Player), nullptr, nullptr)
            .BindMemberFunction("Play", &Player::Play);
        ScriptBindGlobalFunction(vm, "GetSharedWidget", GetSharedWidget);
        ScriptBindGlobalFunction(vm, "GetPlayer", GetPlayer);
        ScriptBindGlobalFunction(vm, "Twice", ReturnOne);
        ScriptBindGlobalFunction(vm, "Twice", ReturnTwo);
    }

    void ExpectScriptError(const std::string& code)
    {
        ScriptSetErrorFlag(false);
        Run(code);
        EXPECT_TRUE(ScriptGetErrorFlag()) << code;
        ScriptSetErrorFlag(false);
    }
};

TEST_F(ScriptBindingTest, MembersOfEveryTypeReadTheNativeObject)
{
    Run("local w = GetSharedWidget(); speed <- w.speed; count <- w.count; level <- w.level; label <- w.label;"
        "red <- w.Color.r; global <- w.globalSpeed;");
    EXPECT_FLOAT_EQ(GlobalFloat("speed"), 1.5f);
    EXPECT_EQ(GlobalType("count"), "integer");
    EXPECT_EQ(GlobalInt("count"), 7);
    EXPECT_EQ(GlobalInt("level"), 200);
    EXPECT_EQ(GlobalString("label"), "abc");
    EXPECT_EQ(GlobalInt("red"), 1);
    EXPECT_FLOAT_EQ(GlobalFloat("global"), 4.0f);
}

TEST_F(ScriptBindingTest, AssignmentsStoreInTheMembersType)
{
    Run("local w = GetSharedWidget(); w.speed = 3; w.count = 3.75; w.level = 259; w.label = \"truncated\";"
        "w.globalSpeed = 8;");
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    EXPECT_EQ(g_shared.speed, 3.0f);
    EXPECT_EQ(g_shared.count, 3);
    EXPECT_EQ(g_shared.level, 3);
    EXPECT_STREQ(g_shared.label, "truncat");
    EXPECT_EQ(g_globalSpeed, 8.0f);
    g_globalSpeed = 4.0f;
}

TEST_F(ScriptBindingTest, EmbeddedMembersAreViewsOfTheNativeObject)
{
    Run("local w = GetSharedWidget(); w.Color.r = 255; held <- w.Color;");
    EXPECT_EQ(g_shared.colour.r, 255);
    g_shared.colour.g = 99;
    Run("green <- held.g;");
    EXPECT_EQ(GlobalInt("green"), 99);
    // Whole-member assignment goes through the nested class's __assign, which
    // rgba8888 does not have.
    ExpectScriptError("GetSharedWidget().Color = rgba8888(5, 6, 7, 8);");
    EXPECT_EQ(g_shared.colour.r, 255);
}

TEST_F(ScriptBindingTest, PointerMembersFollowThePointerAndRefuseNull)
{
    Run("tint <- GetSharedWidget().Tint; GetSharedWidget().Tint = rgba8888(9, 9, 9, 9);");
    EXPECT_EQ(GlobalType("tint"), "null");
    EXPECT_EQ(Reports(), "Cannot set C nullptr to squirrel variable: (rgba8888)Tint\n");
    EXPECT_FALSE(ScriptGetErrorFlag());

    rgba8888 tint(0, 0, 0, 0);
    g_shared.tint = &tint;
    Run("GetSharedWidget().Tint.b = 77; GetSharedWidget().Tint.set(1, 2, 3, 4); blue <- "
        "GetSharedWidget().Tint.b;");
    EXPECT_EQ(GlobalInt("blue"), 3);
    EXPECT_EQ(tint.r, 1);
    EXPECT_EQ(tint.a, 4);
    g_shared.tint = nullptr;
}

TEST_F(ScriptBindingTest, MemberOfAClassWithoutScriptClassReadsAsNull)
{
    Run("part <- GetSharedWidget().part;");
    EXPECT_EQ(GlobalType("part"), "null");
    EXPECT_FALSE(ScriptGetErrorFlag());
}

TEST_F(ScriptBindingTest, UnknownMembersRaiseScriptErrors)
{
    ExpectScriptError("local x = GetSharedWidget().nothing;");
    ExpectScriptError("GetSharedWidget().nothing = 1;");
}

TEST_F(ScriptBindingTest, ConstantsLiveInTheConstTableWithTheirRegistrationValues)
{
    Run("max <- WIDGET_MAX; limit <- WIDGET_LIMIT; shade <- WIDGET_SHADE;");
    EXPECT_EQ(GlobalInt("max"), 9);
    EXPECT_EQ(GlobalInt("limit"), 30);
    EXPECT_EQ(GlobalInt("shade"), 0xF0);
}

TEST_F(ScriptBindingTest, OwnedInstanceHoldsItsObjectAndDestroysItOnRelease)
{
    const int destroyedBefore = Widget::destroyed;
    Run("local w = Widget(); w.count = 12; count <- w.count; w = null;");
    EXPECT_EQ(GlobalInt("count"), 12);
    EXPECT_EQ(g_shared.count, 7);
    EXPECT_EQ(Widget::destroyed, destroyedBefore + 1);
}

TEST_F(ScriptBindingTest, ScriptClassDerivedFromABoundClassHoldsTheNativeObject)
{
    Run("class Gadget extends Widget { extra = 5; constructor() { base.constructor(); } }"
        "local g = Gadget(); g.count = 40; g.Color.g = 17; count <- g.count; green <- g.Color.g;"
        "described <- g.Describe(\"x\"); extra <- g.extra;");
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    EXPECT_EQ(GlobalInt("count"), 40);
    EXPECT_EQ(GlobalInt("green"), 17);
    EXPECT_EQ(GlobalString("described"), "xabc");
    EXPECT_EQ(GlobalInt("extra"), 5);
}

TEST_F(ScriptBindingTest, MasksRefuseWrongArgumentsAndNoMaskAcceptsAny)
{
    ExpectScriptError("GetSharedWidget().Describe();");
    ExpectScriptError("GetSharedWidget().Describe(5);");
    Run("described <- GetSharedWidget().Describe(\"<\"); none <- GetSharedWidget().ArgumentCount();"
        "three <- GetSharedWidget().ArgumentCount(1, \"two\", null);");
    EXPECT_EQ(GlobalString("described"), "<abc");
    EXPECT_EQ(GlobalInt("none"), 0);
    EXPECT_EQ(GlobalInt("three"), 3);
}

TEST_F(ScriptBindingTest, LaterRegistrationOfAGlobalIsTheOneScriptsSee)
{
    Run("twice <- Twice();");
    EXPECT_EQ(GlobalInt("twice"), 2);
}

TEST_F(ScriptBindingTest, BoundMemberFunctionRunsThroughTheVirtualSlot)
{
    g_player.plays = 0;
    Run("GetPlayer().Play(); GetPlayer().Play();");
    EXPECT_EQ(g_player.plays, 20);
    ExpectScriptError("local f = GetPlayer().Play; f.call({});");
}

TEST_F(ScriptBindingTest, InstancesThatCannotBeTheNativeObjectAreRefused)
{
    // A plain script instance holds nothing; a colour is smaller than a vector.
    ExpectScriptError("class Plain {} Vec3(1, 2, 3).DistanceTo(Plain());");
    ExpectScriptError("Vec3(1, 2, 3).DistanceTo(rgba8888(1, 2, 3, 4));");
    // A matrix begins with a vector: it passes where a Vec3 is read.
    Run("local m = Mat4(); m.right.x = 3; distance <- Vec3(0, 0, 0).DistanceTo(m);");
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    EXPECT_FLOAT_EQ(GlobalFloat("distance"), 3.0f);
}

TEST_F(ScriptBindingTest, ValueNativesRefuseObjectsOfOtherClasses)
{
    // A widget is larger than a vector, but its bytes are no vector's: a
    // vector written into it would overwrite its count.
    ExpectScriptError("widget <- Widget(); Vec3.set.call(widget, Vec3(9, 9, 9));");
    Run("count <- widget.count;");
    EXPECT_EQ(GlobalInt("count"), 7);
    ExpectScriptError("Vec3(1, 2, 3).set(Widget());");
    ExpectScriptError("Vec3(1, 2, 3).DistanceTo(Widget());");
    ExpectScriptError("Vec2(1, 2).DistanceTo(Widget());");
    // An instance of a script class derived from Vec3 is still a vector.
    Run("class Point extends Vec3 { constructor(x, y, z) { base.constructor(x, y, z); } }"
        "distance <- Vec3(0, 0, 0).DistanceTo(Point(0, 4, 0));");
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    EXPECT_FLOAT_EQ(GlobalFloat("distance"), 4.0f);
}

TEST_F(ScriptBindingTest, BoundInstancesNeedAClassName)
{
    const SQInteger top = sq_gettop(vm());
    EXPECT_LT(ScriptPushBoundInstance(vm(), nullptr, &g_shared), 0);
    EXPECT_LT(ScriptPushBoundInstance(vm(), "NoSuchClass", &g_shared), 0);
    SQUserPointer area = nullptr;
    EXPECT_LT(CreateScriptInstance(vm(), nullptr, &area), 0);
    EXPECT_EQ(sq_gettop(vm()), top);
    ASSERT_EQ(CreateScriptInstance(vm(), "Vec3", &area), 0);
    EXPECT_NE(area, nullptr);
    sq_pop(vm(), 1);
}
} // namespace

namespace
{
struct ThisCase
{
    const char* script;
    bool accepted;
};

// A method takes `this` of its own class or of one derived from it, whatever
// the root table's names say; the value classes stand for one another.
TEST_F(ScriptBindingTest, MethodsTakeThisOnlyWhereTheClassTreeSaysSo)
{
    Run("class Gadget extends Widget { constructor() { base.constructor(); } }"
        "class Plain {}");
    const ThisCase cases[] = {
        {"Widget.Describe.acall([Widget(), \">\"])", true},
        {"Widget.Describe.acall([Gadget(), \">\"])", true},
        {"Gadget.Describe.acall([Gadget(), \">\"])", true},
        {"Vec3.DistanceTo.acall([Mat4(), Vec3()])", true},
        {"Widget.Describe.acall([GetPlayer(), \">\"])", false},
        {"Widget.Describe.acall([Plain(), \">\"])", false},
        {"Player.Play.acall([Widget()])", false},
        {"Player.Play.acall([Gadget()])", false},
        {"Widget.constructor.acall([GetPlayer()])", false},
        {"Vec3.DistanceTo.acall([Widget(), Vec3()])", false},
        {"local w = Widget; ::Widget <- Player; w.Describe.acall([GetPlayer(), \">\"])", false},
    };
    for (const ThisCase& c : cases)
    {
        ScriptSetErrorFlag(false);
        ClearReports();
        Run(c.script);
        EXPECT_EQ(ScriptGetErrorFlag(), !c.accepted) << c.script << "\n" << Reports();
        if (!c.accepted)
            EXPECT_NE(Reports().find("is not an instance of"), std::string::npos) << c.script;
        ScriptSetErrorFlag(false);
    }
}
} // namespace
