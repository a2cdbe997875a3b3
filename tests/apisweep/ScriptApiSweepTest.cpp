// Every native the application registers, called by a script the way a
// careless or hostile game script might: no arguments, too many, null,
// strings, NaN and infinite floats, huge and negative integers, tables,
// instances of unrelated classes, `this` of the wrong kind, and objects whose
// native side is gone. A native may refuse any of these with a script error;
// it may not crash, hang or trip the sanitizers, and the VM must run on.

#include "tests/script/ScriptTestFixture.h"
#include "game/App.h"
#include "game/AppScriptAPI.h"
#include "script/ScriptBinding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// With PENDREL_SWEEP_TRACE set, each call is named on stderr before it runs,
// so that a crash shows the call that caused it.
bool SweepTracing()
{
    static const bool enabled = getenv("PENDREL_SWEEP_TRACE") != nullptr;
    return enabled;
}

SQInteger SweepTrace(HSQUIRRELVM vm)
{
    const SQChar* text = nullptr;
    if (SweepTracing() && SQ_SUCCEEDED(sq_getstring(vm, 2, &text)))
    {
        fprintf(stderr, "sweep: %s\n", text);
        fflush(stderr);
    }
    return 0;
}

// Natives left out, and why. Everything else is called.
const char* const kSweepSkips = R"sweep(
sweepSkips <- {
    // Ends the program's main loop: later tests in this binary would stop.
    QuitGame = true,
    // Reads and runs script files again, the sweep's own among them.
    Hotload = true,
    // Closes the main window and opens another one.
    ChangeScreenSize = true,
}
// Put a message box on the screen and wait for the player (with a display).
foreach (name, value in getroottable())
    if (typeof name == "string" && name.find("MessageBox") != null)
        sweepSkips[name] <- true;
)sweep";

// The sweep itself. Values are drawn from a fixed-seed generator so that a
// failure repeats. Instances returned by any native are kept and used as
// arguments and as `this` for their class's methods later on.
const char* const kSweepScript = R"sweep(
class SweepStranger { n = 0 }
// Game scripts make their entities from classes like these.
class SweepDragon extends Actor {
    constructor(p) { base.constructor(p); }
    function Step(dt) {}
}
class SweepHouse extends Prop {
    constructor(p) { base.constructor(p); }
}

sweepSeed <- sweepFirstSeed;
function SweepRandom(n) {
    ::sweepSeed = (::sweepSeed * 25173 + 13849) % 65536;
    return ::sweepSeed % n;
}
function SweepPick(list) { return list[SweepRandom(list.len())]; }

local longText = "abcdefgh";
for (local i = 0; i < 13; i++)
    longText = longText + longText;
longText = longText + "z";
local nan = sqrt(-1.0);
local inf = pow(10.0, 400.0);

// Values no native should trust.
sweepBad <- [null, "", longText, -1, 2147483647, -2147483647 - 1, 0, nan, inf, -inf, 1e30, -1e30,
    {}, [], [1, 2, 3], function(...) {}, Vec3, SweepStranger(), true, "%s%s%n%d", "../../../x", 65535, 255, 256];

// Values of the kinds natives take, by the VM's type bits of a mask.
sweepPlausible <- [
    [2, [0, 1, 2, 3, 5, 10]],
    [4, [0.5, 1.0, 2.0, 100.0]],
    [8, [true, false]],
    [16, ["a", "test", "none.txt", "fonts/none.fnt", "OnSweep"]],
    [32, [{}]],
    [64, [[1, 2, 3], []]],
    [256, [function(...) {}]],
    [16384, [Vec3, SweepDragon, SweepHouse]],
]
sweepReturnedInts <- [];  // ids and handles natives gave back
sweepInstances <- [];     // every kept instance
sweepByClass <- {};       // class -> its kept instances

function SweepKeep(value) {
    if (typeof value == "integer" && ::sweepReturnedInts.len() < 64)
        ::sweepReturnedInts.append(value);
    if (typeof value != "instance")
        return;
    local cls = value.getclass();
    if (!(cls in ::sweepByClass))
        ::sweepByClass[cls] <- [];
    local kept = ::sweepByClass[cls];
    if (kept.len() < 4) {
        kept.append(value);
        ::sweepInstances.append(value);
    }
}

function SweepTypeBit(value) {
    switch (typeof value) {
    case "null": return 1;
    case "integer": return 2;
    case "float": return 4;
    case "bool": return 8;
    case "string": return 16;
    case "table": return 32;
    case "array": return 64;
    case "function": return 256 | 512;
    case "class": return 16384;
    case "instance": return 32768;
    }
    return 0;
}

// A value a native would take at a position of that mask (0: any).
function SweepPlausible(mask) {
    local choices = [];
    foreach (row in ::sweepPlausible)
        if (mask == 0 || (mask & row[0]) != 0)
            choices.append(SweepPick(row[1]));
    if ((mask == 0 || (mask & 32768) != 0) && ::sweepInstances.len() > 0) {
        // Instances count double: most natives take one.
        choices.append(SweepPick(::sweepInstances));
        choices.append(SweepPick(::sweepInstances));
    }
    if ((mask == 0 || (mask & 2) != 0) && ::sweepReturnedInts.len() > 0)
        choices.append(SweepPick(::sweepReturnedInts));
    if (mask != 0 && (mask & 1) != 0)
        choices.append(null);
    if (choices.len() == 0)
        return null;
    return SweepPick(choices);
}

sweepCalls <- 0;
sweepRefused <- 0;
sweepTaken <- {};  // "Class.method" -> arguments a call on its own kind of instance took

function SweepDescribe(value) {
    local kind = typeof value;
    if (kind == "string")
        return value.len() > 20 ? "\"<" + value.len() + " chars>\"" : "\"" + value + "\"";
    if (kind == "integer" || kind == "float" || kind == "bool" || kind == "null")
        return "" + value;
    if (kind == "instance")
        foreach (name, cls in getroottable())
            if (cls == value.getclass())
                return name + "()";
    return kind;
}

function SweepCall(label, fn, self, args) {
    if (::sweepTracing) {
        local text = label + "(";
        foreach (i, arg in args)
            text += (i > 0 ? ", " : "") + SweepDescribe(arg);
        ::SweepTrace(text + ") this " + SweepDescribe(self));
    }
    local all = [self];
    all.extend(args);
    ::sweepCalls++;
    try {
        SweepKeep(fn.acall(all));
        if (typeof self == "instance" && !(label in ::sweepTaken))
            ::sweepTaken[label] <- args;
    } catch (e) {
        ::sweepRefused++;
    }
}

function SweepConstruct(label, cls, a) {
    ::SweepTrace(label + " constructor");
    ::sweepCalls++;
    try {
        local made = null;
        switch (a.len()) {
        case 0: made = cls(); break;
        case 1: made = cls(a[0]); break;
        case 2: made = cls(a[0], a[1]); break;
        case 3: made = cls(a[0], a[1], a[2]); break;
        case 4: made = cls(a[0], a[1], a[2], a[3]); break;
        case 5: made = cls(a[0], a[1], a[2], a[3], a[4]); break;
        default: made = cls(a[0], a[1], a[2], a[3], a[4], a[5]); break;
        }
        SweepKeep(made);
        return true;
    } catch (e) {
        ::sweepRefused++;
    }
    return false;
}

// What is known of a native's parameters after `this`: the masks by
// position (0 where unknown) and the fewest and most arguments to try.
function SweepShape(fn) {
    local infos = fn.getinfos();
    local check = infos.paramscheck;
    local masks = [];
    if (infos.typecheck != null)
        for (local i = 1; i < infos.typecheck.len(); i++)
            masks.append(infos.typecheck[i]);
    local fewest = 0;
    local most = 4;
    if (check > 0) {
        fewest = check - 1;
        most = check - 1;
    } else if (check < 0) {
        fewest = -check - 1;
        most = masks.len() > fewest ? masks.len() : fewest + 2;
    }
    while (masks.len() < most + 1)
        masks.append(0);
    return { masks = masks, fewest = fewest, most = most };
}

function SweepArgs(shape, count) {
    local args = [];
    for (local i = 0; i < count; i++)
        args.append(SweepPlausible(shape.masks[i]));
    return args;
}

// The fixed sets of bad arguments, then random ones built on what was accepted.
function SweepNative(label, fn, self, tries) {
    local shape = SweepShape(fn);
    local call = @(args) SweepCall(label, fn, self, args);
    call([]);
    call([null]);
    local many = SweepArgs(shape, shape.most + 1);
    many.append(1);
    many.append("extra");
    call(many);
    local good = SweepArgs(shape, shape.most);
    call(good);
    for (local i = 0; i < good.len(); i++)
        foreach (bad in ::sweepBad) {
            local args = clone good;
            args[i] = bad;
            call(args);
        }
    for (local t = 0; t < tries; t++) {
        local count = shape.fewest + SweepRandom(shape.most - shape.fewest + 1);
        local args = SweepArgs(shape, count);
        if (count > 0 && SweepRandom(3) == 0)
            args[SweepRandom(count)] = SweepPick(::sweepBad);
        call(args);
    }
}

function SweepIsNative(value) {
    return typeof value == "function" && value.getinfos().native;
}

function SweepGlobals(tries) {
    local names = [];
    foreach (name, value in getroottable())
        if (SweepIsNative(value) && !(name in ::sweepSkips) && !(name in ::sweepVMBase)
            && name.find("Sweep") == null)
            names.append(name);
    names.sort();
    foreach (name in names)
        SweepNative(name, getroottable()[name], getroottable(), tries);
    return names.len();
}

function SweepClasses() {
    local classes = [];
    foreach (name, value in getroottable())
        if (typeof value == "class")
            classes.append([name, value]);
    classes.sort(@(a, b) a[0] <=> b[0]);
    return classes;
}

// Instances of every class whose constructor takes what the sweep offers.
function SweepConstructAll(tries) {
    foreach (entry in SweepClasses()) {
        local cls = entry[1];
        SweepConstruct(entry[0], cls, []);
        for (local t = 0; t < tries; t++) {
            local args = [];
            local count = SweepRandom(5);
            for (local i = 0; i < count; i++)
                args.append(SweepPlausible(0));
            SweepConstruct(entry[0], cls, args);
        }
    }
}

function SweepMethods(tries) {
    local swept = 0;
    foreach (entry in SweepClasses()) {
        local cls = entry[1];
        local own = cls in ::sweepByClass ? ::sweepByClass[cls] : [];
        foreach (method, value in cls) {
            if (!SweepIsNative(value) || method == "constructor")
                continue;
            local label = entry[0] + "." + method;
            swept++;
            // `this` of the wrong kind: the class itself, null, a table, an
            // instance of a script class. Instances of the other engine
            // classes are SweepForeignThis's.
            foreach (self in [cls, null, {}, SweepStranger()])
                SweepCall(label, value, self, []);
            foreach (self in own)
                SweepNative(label, value, self, tries);
        }
    }
    return swept;
}

// The value classes hold only numbers: one may stand for another of at most its size.
function SweepIsValueClass(cls) {
    return cls == Vec3 || cls == Vec2 || cls == Mat4 || cls == rgba8888;
}

// Every method of every engine class, called with `this` an instance of
// every other class kept, with arguments a call on its own kind took. Each
// call must be refused with the class check's text, unless the instance's
// class derives from the method's class (or both are value classes).
// Methods that do not refuse a plain script instance as `this` (static ones,
// and those that read no native object) are listed in sweepNoThis; the
// refusals that were missing, in sweepForeignTaken.
function SweepForeignThis() {
    ::sweepNoThis <- [];
    ::sweepForeignTaken <- [];
    ::sweepForeignRefused <- 0;
    foreach (entry in SweepClasses()) {
        local cls = entry[1];
        // A script class's methods are its engine base's, checked there.
        if (cls.getbase() != null)
            continue;
        foreach (method, fn in cls) {
            if (!SweepIsNative(fn) || method == "constructor")
                continue;
            local label = entry[0] + "." + method;
            local args = label in ::sweepTaken ? ::sweepTaken[label] : SweepArgs(SweepShape(fn), SweepShape(fn).fewest);
            local all = [SweepStranger()];
            all.extend(args);
            ::SweepTrace(label + " with a plain instance as this");
            local checksThis = false;
            try {
                fn.acall(all);
            } catch (e) {
                checksThis = e.find("is not an instance of") != null;
            }
            if (!checksThis) {
                ::sweepNoThis.append(label);
                continue;
            }
            foreach (self in ::sweepInstances) {
                local other = self.getclass();
                if (self instanceof cls || (SweepIsValueClass(cls) && SweepIsValueClass(other)))
                    continue;
                all[0] = self;
                ::SweepTrace(label + " with this " + SweepDescribe(self));
                try {
                    fn.acall(all);
                    ::sweepForeignTaken.append(label + " took " + SweepDescribe(self));
                } catch (e) {
                    if (e.find("is not an instance of") == null)
                        ::sweepForeignTaken.append(label + " on " + SweepDescribe(self) + ": " + e);
                    else
                        ::sweepForeignRefused++;
                }
            }
        }
    }
    ::sweepNoThis.sort();
}

function SweepJoin(list) {
    local text = "";
    foreach (item in list)
        text += item + "\n";
    return text;
}

// Members read through `_get` and written through `_set` with every bad value.
function SweepMembers() {
    foreach (entry in SweepClasses()) {
        local cls = entry[1];
        if (!(cls in ::sweepByClass) || !("__cpp_vars" in cls))
            continue;
        foreach (self in ::sweepByClass[cls])
            foreach (member, row in cls.__cpp_vars) {
                ::SweepTrace(entry[0] + "." + member + " member");
                try { self[member]; } catch (e) {}
                foreach (bad in ::sweepBad)
                    try { self[member] = bad; } catch (e) {}
            }
        foreach (bad in ::sweepBad)
            foreach (self in ::sweepByClass[cls]) {
                try { self[bad]; } catch (e) {}
                try { self[bad] = 1; } catch (e) {}
            }
    }
}
)sweep";

// Names the VM's own base library put into the root table, as the global
// `sweepVMBase`: the sweep is about the engine's natives, so these are left
// out. The host's own two globals stay in.
void NoteVMBaseLibrary(HSQUIRRELVM vm)
{
    sq_pushroottable(vm);
    sq_pushstring(vm, "sweepVMBase", -1);
    sq_newtable(vm);
    sq_pushnull(vm);
    while (SQ_SUCCEEDED(sq_next(vm, -4)))
    {
        const SQChar* name = nullptr;
        sq_getstring(vm, -2, &name);
        const bool hostOwn = name && (strcmp(name, "dofile") == 0 || strcmp(name, "SetAppTitle") == 0);
        if (!hostOwn)
        {
            sq_push(vm, -2);
            sq_pushbool(vm, SQTrue);
            sq_newslot(vm, -6, SQFalse);
        }
        sq_pop(vm, 2);
    }
    sq_pop(vm, 1);
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
}

class ScriptApiSweepTest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        NoteVMBaseLibrary(vm);
        RegisterAppScriptAPI(vm);
        ScriptBindGlobalFunction(vm, "SweepTrace", SweepTrace);
        // Another seed tries other values; the fixed one keeps failures repeatable.
        const char* seed = getenv("PENDREL_SWEEP_SEED");
        sq_pushroottable(vm);
        sq_pushstring(vm, "sweepFirstSeed", -1);
        sq_pushinteger(vm, seed ? SQInteger(strtoul(seed, nullptr, 10) % 65536u) : 4711);
        sq_newslot(vm, -3, SQFalse);
        sq_pushstring(vm, "sweepTracing", -1);
        sq_pushbool(vm, SweepTracing() ? SQTrue : SQFalse);
        sq_newslot(vm, -3, SQFalse);
        sq_pop(vm, 1);
    }

    void SetUp() override
    {
        ScriptTest::SetUp();
        Run(kSweepSkips);
        Run(kSweepScript);
        ASSERT_EQ(Reports(), "");
    }

    // The engine state the sweep changed (pause, lights, camera, grids) stays:
    // nothing after it in this binary reads that state.
    void TearDown() override
    {
        AppReleaseScriptObjects();
        ScriptTest::TearDown();
    }

    // After the sweep the VM still runs scripts.
    void ExpectTheVMRunsOn()
    {
        Run("sweepAlive <- (Vec3(1, 2, 3) + Vec3(1, 1, 1)).x;");
        EXPECT_EQ(GlobalFloat("sweepAlive"), 2.0f);
    }
};

TEST_F(ScriptApiSweepTest, EveryGlobalNativeSurvivesBadArguments)
{
    Run("sweptGlobals <- SweepGlobals(40);");
    EXPECT_GT(GlobalInt("sweptGlobals"), 200);
    EXPECT_GT(GlobalInt("sweepCalls"), 20000);
    EXPECT_GT(GlobalInt("sweepRefused"), 0);
    RecordProperty("calls", GlobalInt("sweepCalls"));
    RecordProperty("refused", GlobalInt("sweepRefused"));
    ExpectTheVMRunsOn();
}

TEST_F(ScriptApiSweepTest, EveryClassSurvivesBadConstructionMethodCallsAndMembers)
{
    // Natives that return objects first, so that classes without a public
    // constructor have instances too.
    Run("SweepGlobals(4); SweepConstructAll(12); sweptMethods <- SweepMethods(12); SweepMembers();");
    EXPECT_GT(GlobalInt("sweptMethods"), 200);
    // Most classes had instances to call their methods on.
    Run("keptClasses <- sweepByClass.len();");
    EXPECT_GT(GlobalInt("keptClasses"), 30);
    RecordProperty("classes with instances", GlobalInt("keptClasses"));
    RecordProperty("calls", GlobalInt("sweepCalls"));
    RecordProperty("methods", GlobalInt("sweptMethods"));
    ExpectTheVMRunsOn();
}

TEST_F(ScriptApiSweepTest, EveryMethodRefusesAnInstanceOfAnotherClassAsThis)
{
    Run("SweepGlobals(2); SweepConstructAll(8); SweepMethods(4); SweepForeignThis();"
        "foreignTaken <- SweepJoin(sweepForeignTaken); noThis <- SweepJoin(sweepNoThis);");
    EXPECT_EQ(GlobalString("foreignTaken"), "");
    EXPECT_GT(GlobalInt("sweepForeignRefused"), 5000);
    RecordProperty("refused", GlobalInt("sweepForeignRefused"));
    RecordProperty("methods that take no this", GlobalString("noThis"));
    ExpectTheVMRunsOn();
}

// Objects made and destroyed by the script, then used again: entities,
// lights, locators, then whatever any destroying native lets go of.
TEST_F(ScriptApiSweepTest, MethodsOfDestroyedObjectsFailCleanly)
{
    Run(R"sweep(
        gone <- [];
        for (local i = 0; i < 3; i++) {
            gone.append(InstanceCreate(SweepDragon, Vec3(i, 0, 0)));
            gone.append(InstanceCreate(SweepHouse, Vec3(0, i, 0)));
        }
        made <- 0;
        foreach (entity in gone)
            if (entity != null)
                made++;
        lights <- [CreatePointLight(), CreateDirectionalLight()];
        InstanceDestroy(gone[0]);
        InstanceDestroy(gone[1]);
        InstanceDestroyAllOfType(SweepDragon);
        ClearAllInstances();
        foreach (light in lights)
            DeleteLight(light);
    )sweep");
    EXPECT_EQ(GlobalInt("made"), 6) << Reports();
    Run(R"sweep(
        foreach (self in gone)
            if (self != null)
                foreach (method, fn in self.getclass())
                    if (SweepIsNative(fn) && method != "constructor")
                        SweepNative("gone." + method, fn, self, 8);
        foreach (light in lights)
            foreach (name in ["ActivateLight", "SetPointLight", "SetDirectionalLight", "SetPointLightPos", "DeleteLight"])
                SweepNative(name, getroottable()[name], getroottable(), 8);
        foreach (self in gone)
            foreach (name in ["InstanceDestroy", "InstanceExists", "InstanceStep"])
                SweepCall(name, getroottable()[name], getroottable(), [self]);
    )sweep");
    Run("SweepGlobals(4); SweepConstructAll(4);");
    // Everything that destroys or clears, with each kept value...
    Run(R"sweep(
        local destroyers = [];
        foreach (name, fn in getroottable())
            if (SweepIsNative(fn) && !(name in sweepSkips)
                && (name.find("Destroy") != null || name.find("Clear") != null || name.find("Delete") != null
                    || name.find("Unload") != null || name.find("Kill") != null))
                destroyers.append([name, fn]);
        foreach (entry in destroyers) {
            SweepCall(entry[0], entry[1], getroottable(), []);
            foreach (self in sweepInstances)
                SweepCall(entry[0], entry[1], getroottable(), [self]);
            foreach (id in sweepReturnedInts)
                SweepCall(entry[0], entry[1], getroottable(), [id]);
        }
    )sweep");
    // ...then every method on every instance again.
    Run("SweepMethods(4);");
    ExpectTheVMRunsOn();
}
} // namespace
