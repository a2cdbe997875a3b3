// fuzz_seeds <folder>
// Writes starting inputs for every fuzz target into <folder>/<target>/, made by our own format writers
// and from the Squirrel conformance scripts, so the fuzzers start from files that get deep.
#include "FuzzSquirrel.h"
#include "FuzzTarget.h"

#include "online/Composer.h"
#include "online/storefront/StorefrontBoards.h"
#include "opengl/Image.h"
#include "squirrel/src/SqOpcodes.h"
#include "squirrel/src/SqVM.h"
#include "opengl/ImageByteStream.h"
#include "opengl/JpegCodec.h"
#include "tools/formats/AnimWriter.h"
#include "tools/formats/ArchiveWriter.h"
#include "tools/formats/DdsWriter.h"
#include "tools/formats/LocatorWriter.h"
#include "tools/formats/EffectDefWriter.h"
#include "tools/formats/FontWriter.h"
#include "tools/formats/ScreenWriter.h"
#include "tools/formats/ModelWriter.h"
#include "tools/formats/SideAnimWriter.h"
#include "tools/formats/TerrainWriter.h"
#include "tools/formats/TgaWriter.h"
#include "tools/formats/TileMapWriter.h"
#include "tools/formats/WavWriter.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace
{
fs::path g_out;
int g_written = 0;

void Seed(const std::string& target, const std::string& name, const void* bytes, size_t size)
{
    fs::create_directories(g_out / target);
    std::ofstream out(g_out / target / name, std::ios::binary);
    out.write(static_cast<const char*>(bytes), std::streamsize(size));
    ++g_written;
}

void Seed(const std::string& target, const std::string& name, const std::string& bytes)
{
    Seed(target, name, bytes.data(), bytes.size());
}

void Seed(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes)
{
    Seed(target, name, bytes.data(), bytes.size());
}

std::vector<uint8_t> Gradient(uint32_t width, uint32_t height, int channels)
{
    std::vector<uint8_t> pixels(size_t(width) * height * channels);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(i * 7 + i / 13);
    return pixels;
}

void ImageSeeds()
{
    const std::vector<uint8_t> rgba = Gradient(8, 8, 4);
    TgaWriteOptions plain;
    Seed("tga", "plain32.tga", TgaWrite(rgba.data(), 8, 8, plain));
    TgaWriteOptions packed;
    packed.imageType = 10;
    packed.bitsPerPixel = 24;
    packed.topLeftOrigin = false;
    Seed("tga", "rle24.tga", TgaWrite(rgba.data(), 8, 8, packed));
    Seed("dds", "dxt1.dds", DdsWrite(DxtFormat::DXT1, rgba.data(), 8, 8, 4));
    Seed("dds", "dxt3.dds", DdsWrite(DxtFormat::DXT3, rgba.data(), 8, 8));
    Seed("dds", "dxt5.dds", DdsWrite(DxtFormat::DXT5, rgba.data(), 8, 8, 2));
    std::vector<uint8_t> rgb = Gradient(16, 16, 3);
    Image image;
    image.Wrap(kImageFormatRGB, 16, 16, rgb.data());
    MemoryByteSink jpeg;
    if (JPG_ImageSaveHandler(image, jpeg))
        Seed("jpeg", "baseline.jpg", jpeg.Bytes());
}

void ArchiveSeeds(const fs::path& scratch)
{
    const fs::path path = scratch / "seed.darnix";
    ArchiveWriter writer;
    if (writer.Open(path.c_str()) && writer.AddMember("strings/english/menu.csv", std::string("Start\tStart game\n")) &&
        writer.AddMember("a.bin", std::string(300, 'a'), ArchiveWriter::kStored) && writer.AddFolder("dir") &&
        writer.AddMember("dir/empty.txt", std::string()) && writer.Close())
    {
        std::ifstream in(path, std::ios::binary);
        Seed("archive", "three-members.darnix",
             std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    }
}

void TextSeeds()
{
    using namespace std::string_literals;
    Seed("regex", "folder", "strings/english/.*[.]csv\0strings/english/menu.csv"s);
    Seed("regex", "groups", "^(a|b)+(c*)[^x-z]$\0abbacccq"s);
    Seed("sqregexp", "classes", "(\\w+)@([a-z]+)\\.(com|org){1,2}\0mail me at someone@example.com"s);
    Seed("sqregexp", "anchors", "^\\d{2,4}-\\s*[^-]+$\0""2024- dec"s);
    Seed("sqformat", "mixed", "%d|%5.2f|%-8s|%x|%%|%c\0\x00\x07\x00\x00\x00\x01\x00\x00\x40\x40\x08"
                                "abc"s);
    Seed("tokenizer", "words", " ,;\0first, second;third\n\"quoted words\" 12.5 -3\n"s);
    Seed("strings", "table", "# comment\nStart\tStart game\nQuit\tQuit\n\nBroken line without tab\n"s);
    composer save;
    save.Init(64);
    save.AddToken("runs", "12");
    save.AddToken("name", "Small Dragon");
    save.AddToken("# not a comment key", "x");
    Seed("saveload", "progress", std::string(save.Buffer(), static_cast<size_t>(save.Length())));
    BoardFile board;
    board.entries = {{90, 76561197960265729ull, "ann"}, {120, 76561197960265730ull, "Small Dragon"}};
    {
        const std::string path = (g_out / "leaderboard-scratch").string();
        if (BoardWrite(path.c_str(), board))
        {
            std::ifstream in(path, std::ios::binary);
            Seed("leaderboard", "two", std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
        }
        remove(path.c_str());
    }
    Seed("fieldlines", "lobby-and-stats",
         "type\t2\njoinable\t1\nlimit\t4\nowner\t76561197960265729\nmember\t76561197960265729\thost\n"
         "key\tnetversion\t005\nint\tKnights Defeated\t12\nachievement\tHatchling\n"s);
    Seed("settings", "window", "windowposx=dword:00000040\nwindowposy=dword:00000020\nname=text\n"s);
    Seed("cmdline", "options", "-nosound -startup game.nut +set width 640\0-window"s);
    Seed("enciphered", "secret", "sec/cipher.bin\0The enciphered bytes of a small file."s);
    FontWriterOutput font;
    if (FontWrite(FontSolidBoxes("Boxes", 8, 65, 70, 3, 6, 4), "Boxes_0.tga", font))
        Seed("font", "boxes.fnt", font.text);
    ScreenElementSpec box;
    box.name = "box";
    box.width = box.height = 10;
    box.textures = {"NONE", "up.tga"};
    Seed("screenelements", "box.txt", ScreenElementText({box}));
    ManagedElementSpec managed;
    managed.name = "box";
    managed.layouts = {{1920, 1080, 300, 150, 60, 30, {"big.tga"}}, {1280, 720, 200, 100, 40, 20, {"NONE"}}};
    ManagedElementSpec spin;
    spin.name = "spin";
    spin.animated = true;
    spin.layouts = {{640, 360, 32, 32, 8, 8, {"a.tga", "b.tga"}}, {1280, 720, 64, 64, 16, 16, {"c.tga"}}};
    Seed("screenelementmanager", "elements.txt", ManagedElementText({managed, spin}));
    UIScreenSpec screen;
    screen.name = "menu";
    screen.elementFile = "menu.txt";
    screen.font.file = "font.fnt";
    UIItemSpec button;
    button.name = "play";
    button.element = "box";
    screen.items = {button};
    Seed("screens", "menu.scn", UIScreenFileText("shared.txt", {screen}));
    Seed("filetable", "tree", "[.]csv$\nstrings/english/menu.csv\nstrings/english/old.csv.bak\nmodels/box.bin\n"s);
}

// The storefront target's input: a 16-bit length, the datagrams (each a 16-bit length, the
// sender's id and the game's bytes), then the statistics file.
std::string StorefrontInput(const std::vector<std::pair<uint64_t, std::string>>& datagrams, const std::string& stats)
{
    std::string wire;
    for (const auto& [sender, payload] : datagrams)
    {
        std::string datagram = std::string(reinterpret_cast<const char*>(&sender), 8) + payload;
        wire += static_cast<char>(datagram.size() & 0xFF);
        wire += static_cast<char>(datagram.size() >> 8);
        wire += datagram;
    }
    std::string input(1, static_cast<char>(wire.size() & 0xFF));
    input += static_cast<char>(wire.size() >> 8);
    return input + wire + stats;
}

void ShaderAndTextureNameSeeds()
{
    Seed("shader", "both.glsl", "void main() { gl_Position = ftransform(); }\n//!!FS\nvoid main() {}\n");
    Seed("shader", "marker-first.glsl", "//!!FS\nvoid main() {}\n");
    Seed("modeltexture", "nested", std::string("models/trees/\0bark.tga", 22));
    Seed("modeltexture", "specials", std::string("a.b/(c)/\0x[1]*.dds", 18));
}

void StorefrontSeeds()
{
    const std::string stats = "int\tkills\t12\nfloat\ttime\t3.5\nachievement\ta\nint\tkills\tnot a number\n"
                              "type\t2\njoinable\t1\nlimit\t4\nowner\t1\nmember\t1\thost\nmember\t2\tguest\n"
                              "key\tnetversion\t005\n";
    Seed("storefront", "accepted-and-waiting", StorefrontInput({{1, "hello"}, {777, "wait"}, {2, ""}}, stats));
    std::vector<std::pair<uint64_t, std::string>> many;
    for (uint64_t sender = 1000; sender < 1100; ++sender)
        many.push_back({sender, "x"});
    Seed("storefront", "many-made-up-senders", StorefrontInput(many, ""));
}

// Console key events are three bytes: a key of the target's table (0 'a', 1 space, 2 return,
// 3 backspace, 4 delete, 5 left, 6 right, 9 up, 10 down, 11 page up), its character, press (1) or release.
void ConsoleSeeds()
{
    std::string keys;
    const auto press = [&keys](char key, char character) { keys += {key, character, 1, key, 0, 0}; };
    for (char c : std::string("print(1)"))
        press(0, c);
    press(5, 0);
    press(3, 0);
    press(4, 0);
    press(2, 0);
    press(9, 0);
    press(10, 0);
    press(11, 0);
    Seed("console", "typed-and-edited", keys + '\0' + "printed line\n" + std::string(300, 'x'));
}

void AudioSeeds()
{
    using namespace std::string_literals;
    WavSignalSpec tone;
    tone.seconds = 0.01f;
    Seed("wave", "mono.wav", WavWriteSignal(tone));
    tone.channels = 2;
    tone.rate = 22050;
    Seed("wave", "stereo.wav", WavWriteSignal(tone));
    Seed("wave", "partial.wav", WavDamage(WavWriteSignal(tone), WavFault::kPartialFrame));
    Seed("wave", "pastend.wav", WavDamage(WavWriteSignal(tone), WavFault::kSizePastEnd));
    WavLayout edited;
    WavLayoutByNames("junk,extensible,fact,odd,info,trailer", edited);
    Seed("wave", "edited.wav", WavWriteLaidOut(WavSynthesize(tone), tone.channels, tone.rate, edited));
    Seed("sounddefs", "entries",
         "# sounds\nFLAP\tflap.wav\tFALSE\t0.8\r\nDRONE\ndrone.vag\nTRUE\n0.5\nLAST\tlast.wav"s);
}

void LocatorSeeds()
{
    for (uint32_t version : {5u, 6u})
    {
        LocatorFileSpec spec;
        spec.version = version;
        spec.locators.push_back(LocatorAt(3, "spawn", Vec3(1, 2, 3), {0.5f, 2.0f}, {"knight", "gate"}));
        spec.locators.push_back(LocatorAt(4, "tree", Vec3(-4, 0, 9)));
        LocatorAddPath(spec, "flight", {Vec3(0, 0, 0), Vec3(10, 2, 0), Vec3(10, 4, 10), Vec3(0, 2, 10)});
        LocatorAddPath(spec, "hop", {Vec3(1, 1, 1), Vec3(1, 1, 1), Vec3(2, 1, 1)});
        Seed("locators", "v" + std::to_string(version) + ".loc", LocatorWrite(spec));
    }
    // The first byte chooses numbers (even) or names (odd).
    Seed("grid", "numbers", std::string(1, '\0') + "2,3,10,10,\n0,1,0,\n0,0,2,\n");
    Seed("grid", "names", "\x01" "3,2,5,5,\r\ngrass,river,\r\nmountain,grass,\r\nriver,grass,\r\n");
    TileMapSpec board;
    board.rows = 2;
    board.columns = 3;
    board.tileSizeX = 80.0f;
    board.tileSizeZ = 60.0f;
    board.tiles = {TileTokenWrite({0, 0, false, false, 0.0f}), TileTokenWrite({10, 1, true, false, 90.0f}),
                   TileTokenWrite({12, 1, true, true, 0.0f}), TileTokenWrite({12, 1, false, true, -45.5f}),
                   "7_2_r", "3_"};
    Seed("tilemap", "board.map", TileMapWrite(board));
    Seed("tilemap", "short.map", "100,100,1,1,\r\n1_1_hflip,\r\n");
}

void EffectSeeds()
{
    EffectDefText effect;
    effect.name = "Spark";
    for (const char* type : {"BILLBOARD", "PARTICLE_SYSTEM", "RIBBON", "SOUND", "MESH", "SPAWN", "LIGHT"})
    {
        EffectElementText element;
        element.type = type;
        element.curves.push_back(EffectCurveText{{{0.0f, 1.0f}, {0.5f, 2.0f}, {1.0f, 3.0f}}, 1, 2});
        effect.elements.push_back(element);
    }
    Seed("effectdefs", "every_kind.csv", EffectDefToText(effect));
    effect.elements.resize(1);
    effect.elements[0].type = "FOUNTAIN";
    const std::string odd = EffectDefToText(effect);
    Seed("effectdefs", "unknown_type_cut.csv", odd.substr(0, odd.size() - 30));
}

// The text as UCS-2 with its byte-order mark, each byte widened.
std::string Ucs2(const std::string& text, bool bigEndian)
{
    std::string wide = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text)
    {
        wide += bigEndian ? '\0' : c;
        wide += bigEndian ? c : '\0';
    }
    return wide;
}

void SquirrelSeeds(const fs::path& conformance)
{
    HSQUIRRELVM v = FuzzOpenVm();
    std::error_code error;
    for (const fs::directory_entry& item : fs::directory_iterator(conformance, error))
    {
        if (item.path().extension() != ".nut")
            continue;
        std::ifstream in(item.path(), std::ios::binary);
        const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string name = item.path().stem().string();
        Seed("sqcompile", name + ".nut", source);
        Seed("sqscript", name + ".utf8.nut", "\xEF\xBB\xBF" + source);
        Seed("sqscript", name + ".ucs2le.nut", Ucs2(source, false));
        Seed("sqscript", name + ".ucs2be.nut", Ucs2(source, true));
        if (SQ_FAILED(sq_compilebuffer(v, source.c_str(), SQInteger(source.size()), name.c_str(), SQFalse)))
            continue;
        std::vector<uint8_t> image;
        if (FuzzWriteClosure(v, image))
        {
            Seed("sqbytecode", name + ".cnut", image);
            Seed("sqscript", name + ".cnut", image);
        }
        sq_pop(v, 1);
    }
    sq_close(v);
}
// Inputs that once broke a reader, kept as seeds so the fuzzers start from them too.
std::string Repeat(const std::string& part, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += part;
    return text;
}

void TextFindings()
{
    using namespace std::string_literals;
    Seed("regex", "alternation-backtracks", "(a|a)+b\0"s + std::string(40, 'a'));
    Seed("regex", "nested-repeat-backtracks", "(a+)+b\0"s + std::string(40, 'a'));
    Seed("regex", "dot-star-chain", "^.*.*.*.*.*.*x\0x"s + std::string(120, 'y'));
    Seed("regex", "group-repeat-deep", "(ab)*c\0"s + Repeat("ab", 30000) + "c");
    Seed("sqregexp", "groups-nested-deep", std::string(30000, '('));
    Seed("sqregexp", "group-repeat-long", "(x)*\0"s + std::string(1500, 'x'));
    Seed("sqcompile", "prefix-not-chain.nut", "local x = 1; local y = " + std::string(40000, '!') + "x;");
    Seed("sqcompile", "prefix-minus-chain.nut", "local x = 1; local y = " + Repeat("- ", 20000) + "x;");
    std::string chain = "local x = 399; local r = -1;\nif (x == 0) r = 0;\n";
    for (int i = 1; i < 400; ++i)
        chain += "else if (x == " + std::to_string(i) + ") r = " + std::to_string(i) + ";\n";
    Seed("sqcompile", "else-if-chain.nut", chain + "return r;\n");
}

// A JPEG whose frame header declares another size than its data holds.
void JpegFindings()
{
    std::vector<uint8_t> rgb = Gradient(16, 16, 3);
    Image image;
    image.Wrap(kImageFormatRGB, 16, 16, rgb.data());
    MemoryByteSink sink;
    if (!JPG_ImageSaveHandler(image, sink))
        return;
    const std::vector<uint8_t>& file = sink.Bytes();
    for (const uint32_t side : {65500u, 16384u})
    {
        std::vector<uint8_t> declared = file;
        for (size_t i = 0; i + 9 < declared.size(); ++i)
            if (declared[i] == 0xFF && declared[i + 1] == 0xC0)
            {
                declared[i + 1] = 0xC2; // progressive: the whole image is buffered while decoding
                declared[i + 5] = declared[i + 7] = uint8_t(side >> 8);
                declared[i + 6] = declared[i + 8] = uint8_t(side);
                break;
            }
        Seed("jpeg", "declares-" + std::to_string(side) + "-square.jpg", declared);
    }
    Seed("jpeg", "cut-short.jpg", std::vector<uint8_t>(file.begin(), file.begin() + file.size() / 2));
}

// Compiled code edited into what the compiler never writes, then written as an image.
void BytecodeFinding(HSQUIRRELVM v, const char* name, const char* source,
                     const std::function<void(SQFunctionProto&)>& edit)
{
    if (SQ_FAILED(sq_compilebuffer(v, source, SQInteger(strlen(source)), name, SQFalse)))
        return;
    edit(*v->At(-1).Closure()->Proto());
    std::vector<uint8_t> image;
    if (FuzzWriteClosure(v, image))
        Seed("sqbytecode", std::string(name) + ".cnut", image);
    sq_pop(v, 1);
}

SQInstruction* FirstOp(SQFunctionProto& p, uint8_t op)
{
    for (SQInstruction& i : p.code)
        if (i.op == op)
            return &i;
    return nullptr;
}

void BytecodeFindings()
{
    HSQUIRRELVM v = FuzzOpenVm();
    BytecodeFinding(v, "append-to-integer", "local t = 5; local a = [t]; return a;",
                    [](SQFunctionProto& p)
                    {
                        if (SQInstruction* append = FirstOp(p, OP_APPEND))
                            append->a = append->b;
                    });
    BytecodeFinding(v, "poptrap-without-trap", "try { } catch (e) { } return 1;",
                    [](SQFunctionProto& p)
                    {
                        if (SQInstruction* push = FirstOp(p, OP_PUSHTRAP))
                            *push = SQInstruction{OP_POPTRAP, 0, 0, {{3, 0}}};
                    });
    BytecodeFinding(v, "foreach-string-negative", "local s = \"abc\"; local n = 0; foreach (c in s) n += c; return n;",
                    [](SQFunctionProto& p)
                    {
                        SQInstruction* loop = FirstOp(p, OP_FOREACH);
                        if (!loop)
                            return;
                        const uint16_t iterator = uint16_t(loop->a + 1);
                        for (SQInstruction& i : p.code)
                        {
                            if (i.op == OP_LOADNULL && i.a == iterator)
                            {
                                i = SQInstruction{OP_LOADINT, 0, iterator, {{0, 0}}};
                                i.sbx = -1000000;
                            }
                            if (i.op == OP_JMP && i.sbx < 0)
                                i.sbx = 0; // one pass of the body, no loop
                        }
                    });
    BytecodeFinding(v, "captures-two-up",
                    "function Outer() { local x = 5; return function() { return function() { return x; }; }; }\n"
                    "return Outer()()();",
                    [](SQFunctionProto&) {});
    sq_close(v);
}
// A small model of each version gate, animations of versions 2 to 4 and
// both side files of both versions.
void ModelSeeds()
{
    std::vector<ChModelVertex> vertices(3);
    vertices[1].position[0] = 1.0f;
    vertices[2].position[1] = 1.0f;
    vertices[2].joints[0] = 1;
    vertices[2].weights[0] = 255;
    for (uint32_t version : {7u, 100u, 101u, 103u, 104u})
    {
        ChModel model;
        model.version = version;
        ChModelMesh mesh;
        ChModelSetVertices(mesh, vertices, version >= 103);
        mesh.indices = {0, 1, 2};
        mesh.joints.push_back({0, "root", Mat4Identity()});
        mesh.sockets.push_back({"hand", 0, Mat4Identity()});
        mesh.nodes.push_back({"node", Mat4Identity()});
        mesh.materials.push_back(ChModelTexturedMaterial("tree.tga", 0, 3));
        mesh.materials[0].present[2] = true;
        mesh.materials[0].ranges.push_back({0, 3, 1});
        model.meshes.push_back(mesh);
        model.spheres = {0, 0, 0, 1};
        Seed("chmodel", "v" + std::to_string(version) + ".chmodel", ChModelWrite(model));
    }
    for (uint32_t version : {2u, 3u, 4u})
    {
        ChAnim anim;
        anim.version = version;
        anim.joints = {{"root", -1, Mat4Identity()}, {"arm", 0, Mat4Identity()}};
        ChAnimAnimation animation;
        animation.name = "wave";
        animation.jointCount = 2;
        animation.frameCount = 2;
        animation.flags = 0x2;
        if (version >= 3)
        {
            animation.positionJointCount = 1;
            animation.positionMask = 0x2;
            animation.positionKeys.assign(2, Vec4(0, 1, 0, 0));
        }
        animation.rotationKeys.assign(4, Quaternion());
        anim.animations.push_back(animation);
        Seed("chanim", "v" + std::to_string(version) + ".chanim", ChAnimWrite(anim));
    }
    for (float version : {0.0f, 1.0f})
    {
        UVSideFile uv;
        uv.version = version;
        uv.tracks.push_back({"water", {}, 0, {0, 0, 0.5f, 0}});
        uv.tracks.push_back({"foam", {}, 0, {1, 1, 0, 0}});
        Seed("uvanim", "v" + std::to_string(int(version)) + ".uvanim", UVSideWrite(uv));
        ObjSideFile obj;
        obj.version = version;
        obj.tracks.push_back({"blade", {}, 1, {Mat4Identity(), Mat4Identity()}});
        Seed("objanim", "v" + std::to_string(int(version)) + ".objanim", ObjSideWrite(obj));
    }
}

void TerrainSeeds()
{
    TerrainMesh hill = TerrainHeightfield(4, 3, 2.0f, [](float x, float z) { return 4.0f - 0.1f * (x * x + z * z); });
    TerrainFileChannel sounds;
    sounds.name = "sound";
    sounds.values.assign(hill.vertices.size(), 7);
    TerrainFileChannel floats = sounds;
    floats.type = kTerrainFileFloat;
    hill.vertexChannels = {floats, sounds};
    Seed("terrain", "hill.chterrain", TerrainFileWrite(TerrainFileBuild(hill, 3)));
    TerrainMesh ledge = TerrainHeightfield(2, 2, 1.0f, [](float, float) { return 0.0f; }, 1);
    ledge.writeSurfaceKinds = false;
    Seed("terrain", "plain.chterrain", TerrainFileWrite(TerrainFileBuild(ledge, 1)));
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        fprintf(stderr, "usage: %s <output folder> <squirrel conformance folder>\n", argv[0]);
        return 2;
    }
    g_out = argv[1];
    fs::create_directories(g_out);
    FuzzSilenceReports();
    ImageSeeds();
    ArchiveSeeds(g_out);
    TextSeeds();
    ModelSeeds();
    TerrainSeeds();
    AudioSeeds();
    StorefrontSeeds();
    ShaderAndTextureNameSeeds();
    ConsoleSeeds();
    LocatorSeeds();
    EffectSeeds();
    SquirrelSeeds(argv[2]);
    TextFindings();
    JpegFindings();
    BytecodeFindings();
    fs::remove(g_out / "seed.darnix");
    printf("%d seeds in %s\n", g_written, argv[1]);
    return 0;
}
