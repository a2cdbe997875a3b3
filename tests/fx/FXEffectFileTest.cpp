#include "core/Hash.h"
#include "fx/FXDefinitions.h"
#include "fx/FXEffectFile.h"
#include "fx/FXElementPool.h"
#include "fx/FXTextureSet.h"
#include "support/DataTreeFixture.h"
#include "support/DisplayTestSupport.h"
#include "support/gl/GLTestContext.h"
#include "tools/formats/EffectDefWriter.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace
{
// Shaders and models load through GL, so the definitions are read with a
// context up: one window for the whole suite.
class FXEffectFileTest : public DataTreeTest
{
protected:
    static void SetUpTestSuite()
    {
        if (!DisplayAvailable())
            return;
        LogCapture reports;
        s_context = GLTestOpenContext();
        s_contextReports = reports.Text();
    }
    static void TearDownTestSuite()
    {
        if (DisplayAvailable())
            GLTestCloseContext();
        s_context = false;
    }
    void SetUp() override
    {
        // Only a missing display skips: a context that would not come up
        // fails every test with the reason.
        if (!DisplayAvailable())
            GTEST_SKIP() << "no display";
        ASSERT_TRUE(s_context) << s_contextReports;
        FXClearDefinitions();
    }
    void TearDown() override
    {
        FXClearDefinitions();
        // Loading installs every element kind's pool: later suites set their own.
        for (int type = 0; type < kFXElementTypeCount; ++type)
            FXSetElementPool(type, nullptr);
        FXGetTextureSet().keywords.Clear();
        DataTreeTest::TearDown();
    }

    void WriteEffect(const std::string& relative, const EffectDefText& effect)
    {
        ASSERT_TRUE(dir.WriteFile("data/" + relative, EffectDefToText(effect)));
    }
    void Load()
    {
        Mount();
        FXLoadEffectDefs("effects");
    }
    static const FXDefinitionTables& Tables() { return FXGetDefinitionTables(); }
    static const FXElementDef& Element(int index) { return Tables().elements[index]; }

    static bool s_context;
    static std::string s_contextReports;
};

bool FXEffectFileTest::s_context = false;
std::string FXEffectFileTest::s_contextReports;

EffectCurveText Curve(std::vector<std::pair<float, float>> keys, int loopBeginBeforeKey = -1, int loopCount = 0)
{
    return EffectCurveText{std::move(keys), loopBeginBeforeKey, loopCount};
}

TEST(FXKeywords, FortySevenInIdentifierOrder)
{
    FXBuildKeywordTables();
    const KeywordTable& keywords = FXGetKeywordTables().keywords;
    EXPECT_EQ(keywords.Count(), kFXKeywordCount);
    EXPECT_EQ(kFXKeywordCount, 47);
    EXPECT_EQ(keywords.Find(HashString("BEGIN_EFFECT")), kFXKwBeginEffect);
    EXPECT_EQ(keywords.Find(HashString("INITAL_PARTICLE_COUNT")), kFXKwInitalParticleCount);
    EXPECT_EQ(keywords.Find(HashString("BILLBOARD")), kFXKwBillboard);
    EXPECT_EQ(keywords.Find(HashString("LOD_SEGMENTS_BETWEEN")), kFXKwLodSegmentsBetween);
    EXPECT_EQ(FXGetKeywordTables().elementTypes.Find(HashString("BILLBOARD")), kFXBillboard);
    EXPECT_EQ(FXGetKeywordTables().elementTypes.Find(HashString("LIGHT")), kFXLight);
}

TEST_F(FXEffectFileTest, HeaderFieldsAndNameCase)
{
    EffectDefText effect;
    effect.name = "Smoke";
    effect.lodHighDistance = 10;
    effect.lodLowDistance = 20;
    effect.fadeInDistance = 30;
    effect.fadeOutDistance = 40;
    effect.maxRadius = 2.5f;
    effect.updateWhenFaded = false;
    effect.dieWhenFaded = true;
    WriteEffect("effects/smoke.csv", effect);
    Load();
    ASSERT_EQ(Tables().effectCount, 1);
    const FXEffectDef* def = FXFindEffectDef(HashString("smoke"));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(FXFindEffectDef(HashString("Smoke")), nullptr);
    EXPECT_EQ(def->elementCount, 0);
    EXPECT_EQ(def->lodHighDistance, 10.0f);
    EXPECT_EQ(def->lodLowDistance, 20.0f);
    EXPECT_EQ(def->fadeInDistance, 30.0f);
    EXPECT_EQ(def->fadeOutDistance, 40.0f);
    EXPECT_EQ(def->maxRadius, 2.5f);
    EXPECT_EQ(def->updateWhenFaded, 0);
    EXPECT_EQ(def->dieWhenFaded, 1);
}

TEST_F(FXEffectFileTest, KeywordsAreCaseInsensitive)
{
    EffectDefText effect;
    effect.name = "glow";
    std::string text = EffectDefToText(effect);
    text.replace(text.find("FX_NAME"), 7, "Fx_Name");
    text.replace(text.find("TRUE"), 4, "true");
    ASSERT_TRUE(dir.WriteFile("data/effects/glow.csv", text));
    Load();
    const FXEffectDef* def = FXFindEffectDef(HashString("glow"));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->updateWhenFaded, 1);
}

TEST_F(FXEffectFileTest, FieldsOfEveryBlock)
{
    FXGetTextureSet().keywords.AddHash(HashString("spark.tga"), 7);
    EffectDefText effect;
    EffectElementText billboard;
    billboard.lifeTime = 2;
    billboard.startDelay = 0.5f;
    billboard.texture = "SPARK.TGA";
    billboard.blend = "ADDITIVE";
    billboard.billboard = "PSEUDO";
    billboard.randomStartRotation = true;
    billboard.scaleMultiply = 2;
    billboard.scaleStart = 10;
    billboard.scaleFinish = 20;
    billboard.curves = {Curve({{0, 1}, {1, 3}}), Curve({{0, 0.25f}})};
    billboard.curves.resize(7, Curve({{0, 1}}));
    billboard.curves[6] = Curve({{0, 4}});
    EffectElementText sound;
    sound.type = "SOUND";
    sound.soundName = "Boom";
    sound.soundMaxVolume = 0.5f;
    sound.soundLooping = true;
    sound.quietDistance = 33;
    EffectElementText particles;
    particles.type = "PARTICLE_SYSTEM";
    particles.initialParticleCount = 12;
    particles.lowLodMultiply[0] = 2;
    particles.lowLodMultiply[2] = 0.5f;
    particles.curves.resize(28, Curve({{0, 1}}));
    particles.curves[27] = Curve({{0, 21}});
    EffectElementText ribbon;
    ribbon.type = "RIBBON";
    ribbon.textureUseLength = 0.5f;
    ribbon.segmentsBetween = 4;
    EffectElementText spawn;
    spawn.type = "SPAWN";
    spawn.spawnFx = "Child";
    spawn.curves.resize(11, Curve({{0, 1}}));
    spawn.curves[10] = Curve({{0, 11}});
    EffectElementText light;
    light.type = "LIGHT";
    light.curves.resize(8, Curve({{0, 1}}));
    light.curves[7] = Curve({{0, 8}});
    effect.elements = {billboard, sound, particles, ribbon, spawn, light};
    WriteEffect("effects/all.csv", effect);
    Load();

    ASSERT_EQ(Tables().elementCount, 6);
    const FXEffectDef* def = FXFindEffectDef(HashString("effect"));
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->firstElement, 0);
    EXPECT_EQ(def->elementCount, 6);

    const FXElementDef& b = Element(0);
    EXPECT_EQ(b.type, kFXBillboard);
    EXPECT_EQ(b.lifeTime, 2.0f);
    EXPECT_EQ(b.startDelay, 0.5f);
    EXPECT_EQ(b.texture, 7);
    EXPECT_EQ(b.blend, 2);
    EXPECT_EQ(b.billboardMode, 2);
    EXPECT_EQ(b.randomStartRotation, 1);
    EXPECT_EQ(b.scalingDistanceFinishMultiplySize, 2.0f);
    EXPECT_EQ(b.scalingDistanceFinish, 20.0f);
    EXPECT_EQ(b.sizeCurve.keyCount, 2);
    EXPECT_EQ(b.sizeCurve.keys[1].value, 3.0f);
    EXPECT_EQ(b.redCurve.keys[0].value, 0.25f);
    EXPECT_EQ(b.stretchCurve.keys[0].value, 4.0f);
    EXPECT_EQ(b.shaderHash, HashString("fx_billboard"));

    const FXElementDef& s = Element(1);
    EXPECT_EQ(s.type, kFXSound);
    EXPECT_EQ(s.soundHash, HashString("Boom"));
    EXPECT_EQ(s.soundMaxVolume, 0.5f);
    EXPECT_EQ(s.soundLooping, 1);
    EXPECT_EQ(s.quietDistance, 33.0f);

    const FXElementDef& p = Element(2);
    EXPECT_EQ(p.initialParticleCount, 12);
    EXPECT_EQ(p.lowLodMultiply[0], 2.0f);
    EXPECT_EQ(p.lowLodMultiply[2], 0.5f);
    EXPECT_EQ(p.particleCurves[20].keys[0].value, 21.0f);
    EXPECT_EQ(Element(3).textureUseLength, 0.5f);
    EXPECT_EQ(Element(3).segmentsBetween, 4.0f);
    EXPECT_EQ(Element(3).texture, -1);
    EXPECT_EQ(Element(4).spawnHash, HashString("child"));
    EXPECT_EQ(Element(4).spawnCurves[10].keys[0].value, 11.0f);
    EXPECT_EQ(Element(5).lightCurves[7].keys[0].value, 8.0f);
}

TEST_F(FXEffectFileTest, LoopsAreReadAndBadOnesDropped)
{
    EffectDefText effect;
    EffectElementText light;
    light.type = "LIGHT";
    light.curves = {
        Curve({{0, 1}, {1, 2}, {2, 3}}, 1, 3),     // the Part's example
        Curve({{0, 1}, {1, 2}}, 1, 3),             // ends on its begin key
        Curve({{0, 1}, {1, 2}, {2, 3}}, 0, 0),     // no count
        Curve({{0, 1}, {1, 2}, {1, 3}}, 1, 2),     // spans no time
    };
    effect.elements = {light};
    WriteEffect("effects/loops.csv", effect);
    Load();
    ASSERT_EQ(Tables().elementCount, 1);
    const InterpDef& good = Element(0).lightCurves[0];
    EXPECT_EQ(good.loop, 1);
    EXPECT_EQ(good.loopBegin, 1);
    EXPECT_EQ(good.loopEnd, 2);
    EXPECT_EQ(good.loopCount, 3);
    for (int i = 1; i < 4; ++i)
    {
        const InterpDef& bad = Element(0).lightCurves[i];
        EXPECT_EQ(bad.loop, 0) << "curve " << i;
        EXPECT_GE(bad.keyCount, 2) << "curve " << i;
    }
}

TEST_F(FXEffectFileTest, AnUnknownTypeKeepsItsPlaceSoLaterElementsKeepTheirNumbers)
{
    EffectElementText light;
    light.type = "LIGHT";
    struct Case
    {
        const char* what;
        std::vector<const char*> types; // one effect's elements in file order
    };
    const Case cases[] = {
        {"first", {"FOUNTAIN", "LIGHT", "LIGHT"}},
        {"between", {"LIGHT", "FOUNTAIN", "LIGHT"}},
        {"last", {"LIGHT", "LIGHT", "FOUNTAIN"}},
        {"two of them", {"FOUNTAIN", "LIGHT", "fountain"}},
    };
    for (const Case& c : cases)
    {
        EffectDefText effect;
        for (size_t i = 0; i < c.types.size(); ++i)
        {
            light.type = c.types[i];
            light.lifeTime = float(i + 1);
            effect.elements.push_back(light);
        }
        WriteEffect("effects/a.csv", effect);
        effect.name = "after";
        effect.elements.resize(1);
        effect.elements[0].type = "LIGHT";
        WriteEffect("effects/b.csv", effect);
        Load();
        EXPECT_TRUE(ErrorsMention("unknown element type FOUNTAIN")) << c.what;
        ASSERT_EQ(Tables().elementCount, 4) << c.what;
        const FXEffectDef* first = FXFindEffectDef(HashString("effect"));
        ASSERT_NE(first, nullptr) << c.what;
        EXPECT_EQ(first->elementCount, 3) << c.what;
        for (int i = 0; i < 3; ++i)
        {
            const bool unknown = strcmp(c.types[i], "LIGHT") != 0;
            EXPECT_EQ(Element(first->firstElement + i).type, unknown ? -1 : kFXLight) << c.what << " #" << i;
            // The unknown element's block is skipped: it keeps its reset values.
            EXPECT_EQ(Element(first->firstElement + i).lifeTime, unknown ? 0.0f : float(i + 1)) << c.what << " #" << i;
        }
        const FXEffectDef* after = FXFindEffectDef(HashString("after"));
        ASSERT_NE(after, nullptr) << c.what;
        EXPECT_EQ(after->firstElement, 3) << c.what;
        EXPECT_EQ(Element(3).type, kFXLight) << c.what;
        FXClearDefinitions();
    }
}

TEST_F(FXEffectFileTest, TruncatedTextsDropTheUnfinishedPart)
{
    EffectDefText effect;
    EffectElementText light;
    light.type = "LIGHT";
    effect.elements = {light, light};
    const std::string text = EffectDefToText(effect);
    const size_t secondElement = text.rfind("BEGIN_ELEMENT");
    // Ends inside the second element, then inside the header.
    ASSERT_TRUE(dir.WriteFile("data/effects/a.csv", text.substr(0, secondElement + 60)));
    effect.name = "other";
    ASSERT_TRUE(dir.WriteFile("data/effects/b.csv", EffectDefToText(effect).substr(0, 40)));
    Load();
    EXPECT_TRUE(ErrorsMention("ends inside an element"));
    EXPECT_TRUE(ErrorsMention("ends inside its header"));
    ASSERT_EQ(Tables().effectCount, 1);
    EXPECT_EQ(Tables().effects[0].elementCount, 1);
    EXPECT_EQ(Tables().elementCount, 1);
}

TEST_F(FXEffectFileTest, OnlyCsvFilesOfTheFolderAreRead)
{
    EffectDefText effect;
    for (const char* name : {"sound/effects/x.csv", "effects/a.csv.bak", "effects_old/b.csv", "noeffects/c.csv"})
    {
        effect.name = name;
        WriteEffect(name, effect);
    }
    effect.name = "real";
    WriteEffect("effects/sub/real.csv", effect);
    Load();
    ASSERT_EQ(Tables().effectCount, 1);
    EXPECT_NE(FXFindEffectDef(HashString("real")), nullptr);
}

TEST_F(FXEffectFileTest, FullTablesRefuseWithAReport)
{
    EffectDefText effect;
    EffectElementText light;
    light.type = "LIGHT";
    effect.elements.assign(6, light);
    for (int i = 0; i < kFXMaxEffectDefs + 1; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof(name), "effects/e%03d.csv", i);
        effect.name = name + 8;
        WriteEffect(name, effect);
    }
    Load();
    // 83 effects of six elements fill 498 rows; the 84th keeps two of its six.
    EXPECT_EQ(Tables().elementCount, kFXMaxElementDefs);
    EXPECT_TRUE(ErrorsMention("Effect element table full"));
    EXPECT_EQ(Tables().effects[83].elementCount, 2);
    EXPECT_EQ(Tables().effects[84].elementCount, 0);
    EXPECT_EQ(Tables().effectCount, kFXMaxEffectDefs);
    EXPECT_TRUE(ErrorsMention("Effect table full: effects/e100.csv"));
    EXPECT_EQ(FXFindEffectDef(HashString("e100.csv")), nullptr);
}

TEST_F(FXEffectFileTest, MissingFileIsReported)
{
    Mount();
    FXBuildKeywordTables();
    EXPECT_FALSE(FXParseEffectFile("effects/none.csv"));
    EXPECT_TRUE(ErrorsMention("Open effect def effects/none.csv failed."));
    EXPECT_EQ(Tables().effectCount, 0);
}

TEST_F(FXEffectFileTest, TooManyKeysAreRefused)
{
    EffectDefText effect;
    EffectElementText light;
    light.type = "LIGHT";
    EffectCurveText many;
    for (int i = 0; i < 40; ++i)
        many.keys.emplace_back(static_cast<float>(i), static_cast<float>(i));
    light.curves = {many, Curve({{0, 5}})};
    effect.elements = {light};
    WriteEffect("effects/keys.csv", effect);
    Load();
    ASSERT_EQ(Tables().elementCount, 1);
    EXPECT_EQ(Element(0).lightCurves[0].keyCount, InterpDef::kMaxKeys);
    EXPECT_EQ(Element(0).lightCurves[1].keys[0].value, 5.0f);
    EXPECT_TRUE(ErrorsMention("more than 32 keys"));
}

struct DroppedKeysCase
{
    std::vector<int> keysPerCurve; // the light's two curves
    std::vector<std::string> reports;
};

// A curve of thousands of keys must not flood the log: one line per curve
// over the limit, with the count of keys left out.
TEST_F(FXEffectFileTest, KeysPastTheLimitAreReportedOncePerCurveWithTheirCount)
{
    const std::string kLine = "Effect file effects/keys.csv: a curve has more than 32 keys; the last ";
    const DroppedKeysCase cases[] = {
        {{20000, 1}, {kLine + "19968 are left out\n"}},
        {{33, 40}, {kLine + "1 are left out\n", kLine + "8 are left out\n"}},
        {{32, 2}, {}},
    };
    for (const DroppedKeysCase& c : cases)
    {
        SCOPED_TRACE(c.keysPerCurve[0]);
        FXClearDefinitions();
        EffectElementText light;
        light.type = "LIGHT";
        light.curves.clear();
        for (const int count : c.keysPerCurve)
        {
            EffectCurveText curve;
            for (int i = 0; i < count; ++i)
                curve.keys.emplace_back(static_cast<float>(i), static_cast<float>(i % 7));
            light.curves.push_back(curve);
        }
        EffectDefText effect;
        effect.elements = {light};
        WriteEffect("effects/keys.csv", effect);
        m_log.Clear();
        Load();
        EXPECT_EQ(m_log.Lines(), c.reports);
        ASSERT_EQ(Tables().elementCount, 1);
        EXPECT_EQ(Element(0).lightCurves[0].keyCount, std::min(c.keysPerCurve[0], InterpDef::kMaxKeys));
        EXPECT_EQ(Element(0).lightCurves[0].keys[31].value, static_cast<float>(31 % 7));
    }
}

TEST(FXTextureSet, KeyNamesAreLowerCaseTga)
{
    EXPECT_STREQ(FXTextureKeyName("Spark.TGA").c_str(), "spark.tga");
    EXPECT_STREQ(FXTextureKeyName("smoke.v2.dds").c_str(), "smoke.v2.tga");
    EXPECT_STREQ(FXTextureKeyName("plain").c_str(), "plain.tga");
}
} // namespace
