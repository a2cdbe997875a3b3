// "Actor" and "Prop" over real models and animations written by our tools,
// with a GL context: the socket matrix of a posed skeleton, the model's
// collision spheres, and a prop's named mesh places.
#include "ScriptWorldFixture.h"

#include "cross/AnimBuffer.h"
#include "game/ActorScriptAPI.h"
#include "game/Actor.h"
#include "game/EntityRegistry.h"
#include "game/Prop.h"
#include "game/PropScriptAPI.h"
#include "support/DisplayTestSupport.h"
#include "support/gl/GLTestContext.h"
#include "tools/formats/AnimWriter.h"
#include "tools/formats/ModelWriter.h"
#include "tools/formats/TgaWriter.h"

namespace
{
// An arm: joint 0 the root, joint 1 one unit up, and the socket "hand" one
// unit along x from joint 1. Its only vertices hang on joint 1.
ChModel ArmModel()
{
    ChModel model;
    ChModelMesh mesh;
    std::vector<ChModelVertex> vertices(3);
    const float corners[3][2] = {{0, 1}, {1, 1}, {0, 2}};
    for (int i = 0; i < 3; ++i)
    {
        vertices[size_t(i)].position[0] = corners[i][0];
        vertices[size_t(i)].position[1] = corners[i][1];
        vertices[size_t(i)].joints[0] = 1;
        vertices[size_t(i)].weights[0] = 255;
    }
    ChModelSetVertices(mesh, vertices, true);
    mesh.indices = {0, 1, 2};
    mesh.joints = {{0, "root", Mat4Identity()}, {0, "arm", Mat4Identity()}};
    mesh.joints[1].bind[13] = 1.0f;
    ChModelSocket hand;
    hand.name = "hand";
    hand.joint = 1;
    hand.matrix[12] = 1.0f;
    mesh.sockets.push_back(hand);
    mesh.nodes.push_back(ChModelNode{"arm", Mat4Identity()});
    mesh.materials.push_back(ChModelTexturedMaterial("white.tga", 0, 3));
    model.meshes.push_back(mesh);
    model.spheres = {0, 1, 0, 0.5f, 0, 2, 0, 0.25f};
    return model;
}

// One frame that turns the arm half a turn about the vertical: the hand,
// one unit along +x at rest, then points along -x whichever way it turned.
ChAnim HalfTurnAnim()
{
    ChAnim anim;
    anim.version = 4;
    anim.joints = {{"root", -1, Mat4Identity()}, {"arm", 0, Mat4Identity()}};
    anim.joints[1].bind[13] = 1.0f;
    ChAnimAnimation turn;
    turn.name = "turn";
    turn.jointCount = 2;
    turn.frameCount = 1;
    turn.rotationKeys = {Quaternion(), Quaternion(0, 1, 0, 0)};
    anim.animations.push_back(turn);
    return anim;
}

// A shed of three meshes whose layers name an instance and a type
// ("instance|type"): a wall and two doors, each door's node placed and
// turned its own way.
ChModel ShedModel()
{
    ChModel model;
    const struct
    {
        const char* layer;
        Vec3 place;
        Vec3 forward;
    } parts[] = {
        {"shed_wall|wall", Vec3(0, 0, 0), Vec3(0, 0, 1)},
        {"door_01|door", Vec3(2, 0, 1), Vec3(1, 0, 0)},
        {"door_02|door", Vec3(-2, 0, 1), Vec3(-1, 0, 0)},
    };
    for (const auto& part : parts)
    {
        ChModelMesh mesh;
        std::vector<ChModelVertex> vertices(3);
        vertices[1].position[0] = 1.0f;
        vertices[2].position[1] = 1.0f;
        ChModelSetVertices(mesh, vertices, false);
        mesh.indices = {0, 1, 2};
        ChModelNode node{part.layer, Mat4Identity()};
        node.matrix[8] = part.forward.x;
        node.matrix[9] = part.forward.y;
        node.matrix[10] = part.forward.z;
        node.matrix[0] = part.forward.z;
        node.matrix[2] = -part.forward.x;
        node.matrix[12] = part.place.x;
        node.matrix[13] = part.place.y;
        node.matrix[14] = part.place.z;
        mesh.nodes.push_back(node);
        mesh.materials.push_back(ChModelTexturedMaterial(part.layer, 0, 3));
        model.meshes.push_back(mesh);
    }
    return model;
}

class ActorModelTest : public ScriptWorldTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptWorldTest::Register(vm);
        RegisterActorScriptAPI(vm);
        RegisterPropScriptAPI(vm);
    }

    void SetUp() override
    {
        ScriptWorldTest::SetUp();
        if (!DisplayAvailable())
            GTEST_SKIP() << "no display";
        ASSERT_TRUE(GLTestOpenContext()) << Reports();
        m_context = true;
        const std::vector<uint8_t> white(4 * 4 * 4, 255);
        WriteBytes("white.tga", TgaWrite(white.data(), 4, 4, {}));
        WriteBytes("arm.chmodel", ChModelWrite(ArmModel()));
        WriteBytes("arm.chanim", ChAnimWrite(HalfTurnAnim()));
        WriteBytes("shed.chmodel", ChModelWrite(ShedModel()));
        Run("class Arm extends Actor { constructor(p) { base.constructor(p); } }\n"
            "class Shed extends Prop { constructor(p) { base.constructor(p); } }\n");
    }

    void TearDown() override
    {
        ScriptWorldTest::TearDown();
        AnimFreeAll();
        if (m_context)
            GLTestCloseContext();
    }

    void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        WriteScript(name, std::string(bytes.begin(), bytes.end()));
    }

    Vec3 GlobalVec3(const char* name)
    {
        Run(std::string("::gx <- ") + name + ".x; ::gy <- " + name + ".y; ::gz <- " + name + ".z;");
        return Vec3(GlobalFloat("gx"), GlobalFloat("gy"), GlobalFloat("gz"));
    }

    bool m_context = false;
};

void ExpectNear(const Vec3& actual, const Vec3& expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-4f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-4f) << what;
}

TEST_F(ActorModelTest, TheSocketFollowsThePoseTheScaleAndThePlace)
{
    Run("::arm <- InstanceCreate(Arm, Vec3(5, 0, 0));\n"
        "arm.SetGraphic(\"arm.chmodel\");\n"
        "arm.SetAnimation(\"arm.chanim\");\n"
        "::hand <- arm.GetSocketIndexByName(\"hand\");\n"
        "::rest <- Vec3(0, 0, 0); arm.GetSocketPosition(hand, rest);\n");
    ASSERT_EQ(GlobalInt("hand"), 0) << Reports();
    // Before any step the bones are the bind pose.
    ExpectNear(GlobalVec3("rest"), Vec3(6, 1, 0), "at rest");

    EntitiesStep(1.0f / 30.0f); // poses the actors
    Run("::posed <- Mat4(); arm.GetSocketMatrix(hand, posed);\n"
        "::at <- Vec3(0, 0, 0); arm.GetSocketPosition(hand, at);\n");
    ExpectNear(GlobalVec3("at"), Vec3(4, 1, 0), "posed");
    ExpectNear(GlobalVec3("posed.translation"), Vec3(4, 1, 0), "posed matrix");
    ExpectNear(GlobalVec3("posed.right"), Vec3(-1, 0, 0), "the turned hand's x axis");
    ExpectNear(GlobalVec3("posed.up"), Vec3(0, 1, 0), "its y axis");

    // Scaled twice, the hand is twice as far from the place, and its axes
    // stay of unit length.
    Run("arm.SetScale(2.0); arm.GetSocketMatrix(hand, posed);");
    ExpectNear(GlobalVec3("posed.translation"), Vec3(3, 2, 0), "scaled");
    ExpectNear(GlobalVec3("posed.right"), Vec3(-1, 0, 0), "scaled axis");
    EXPECT_EQ(Reports().find("Socket Error"), std::string::npos) << Reports();
}

TEST_F(ActorModelTest, SocketsOutsideTheModelFallBackToTheOrigin)
{
    Run("::arm <- InstanceCreate(Arm, Vec3(5, 0, 0));\n"
        "arm.SetGraphic(\"arm.chmodel\");\n"
        "::before <- Vec3(1, 1, 1); arm.GetSocketPosition(0, before);\n"
        "arm.SetAnimation(\"arm.chanim\");\n"
        "::missing <- arm.GetSocketIndexByName(\"foot\");\n"
        "::past <- Vec3(1, 1, 1); arm.GetSocketPosition(1, past);\n"
        "::negative <- Vec3(1, 1, 1); arm.GetSocketPosition(-1, negative);\n");
    EXPECT_EQ(GlobalInt("missing"), -1);
    ExpectNear(GlobalVec3("before"), Vec3(0, 0, 0), "no animation yet");
    ExpectNear(GlobalVec3("past"), Vec3(0, 0, 0), "past the sockets");
    ExpectNear(GlobalVec3("negative"), Vec3(0, 0, 0), "a negative index");
}

TEST_F(ActorModelTest, TheModelGivesTheActorItsCollisionSpheres)
{
    Run("::arm <- InstanceCreate(Arm, Vec3(0, 0, 0)); arm.SetGraphic(\"arm.chmodel\");"
        "::drawn <- arm.DoesHaveGraphic();");
    EXPECT_EQ(GlobalInt("drawn"), 1) << Reports();
    ASSERT_EQ(GetEntityRegistry().Count(), 1u);
    EXPECT_EQ(static_cast<Actor*>(GetEntityRegistry().At(0))->m_collisionSphereCount, 2u);
    EXPECT_NE(GetEntityRegistry().At(0)->GetRenderInstance(), nullptr);
}

TEST_F(ActorModelTest, APropFindsItsMeshesByInstanceAndTypeName)
{
    Run(R"(
::shed <- InstanceCreate(Shed, Vec3(10, 0, 0));
shed.SetGraphic("shed.chmodel");
shed.HashAllMeshNames();
::doors <- shed.GetAllMeshPositionsByInstanceName("door");
::facings <- shed.GetAllMeshForwardsFromMeshesThatContain("do", "or");
::doorCount <- doors.len();
::facingCount <- facings.len();
::walls <- shed.GetAllMeshPositionsFromMeshesThatContain("wall", "wall").len();
::none <- shed.GetAllMeshPositionsByInstanceName("door_01").len();
shed.AddMeshToDropByTypeName("door");
shed.AddMeshToDropByInstanceName("door_02");
shed.AddMeshToDropByInstanceName("chimney");
)");
    ASSERT_EQ(GlobalInt("doorCount"), 2) << Reports();
    ExpectNear(GlobalVec3("doors[0]"), Vec3(2, 0, 1), "the first door, in the model's space");
    ExpectNear(GlobalVec3("doors[1]"), Vec3(-2, 0, 1), "the second door");
    ASSERT_EQ(GlobalInt("facingCount"), 2);
    ExpectNear(GlobalVec3("facings[0]"), Vec3(1, 0, 0), "the first door's facing");
    ExpectNear(GlobalVec3("facings[1]"), Vec3(-1, 0, 0), "the second door's facing");
    EXPECT_EQ(GlobalInt("walls"), 1);
    EXPECT_EQ(GlobalInt("none"), 0) << "an instance name is no type name";

    ASSERT_EQ(GetEntityRegistry().Count(), 1u);
    const Prop& shed = *static_cast<const Prop*>(GetEntityRegistry().At(0));
    ASSERT_EQ(shed.m_meshNames.size(), 3u);
    EXPECT_STREQ(shed.m_meshNames[1].firstName.c_str(), "door_01");
    EXPECT_STREQ(shed.m_meshNames[1].secondName.c_str(), "door");
    EXPECT_EQ(shed.m_dropList, (std::vector<uint32_t>{1, 2, 2}));
}
} // namespace
