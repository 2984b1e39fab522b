#include "materials/mtl_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "model/fixed_text.h"
#include "model/string_table.h"
#include "obj/line_reader.h"
#include "support/test_support.h"

namespace qf {
namespace {

std::vector<std::unique_ptr<MtlMaterial>> readMtl(const std::string& text, float defaultBump = 0.2f) {
    ObjImporter imp;
    imp.options.defaultBump = defaultBump;
    MemorySource source(text.data(), text.size());
    parseMtlFile(imp, source);
    return std::move(imp.materials);
}

std::unique_ptr<MtlMap> map(std::string line, float defaultBump = 0.2f) {
    const char* words[kMtlTokenCapacity];
    int n = splitTokens(line.data(), words, kMtlTokenCapacity);
    return parseMapStatement(words, n, defaultBump);
}

TEST(MtlStatements, NamesAndDefaults) {
    auto m = readMtl("newmtl\nnewmtl  Red   Brick\nnewmtl wood\nnewmtl wood\n");
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0]->name, "default");
    EXPECT_EQ(m[1]->name, "Red Brick");
    EXPECT_EQ(m[3]->name, "wood");
    EXPECT_FLOAT_EQ(m[0]->ambient[0], 0.55f);
    EXPECT_FLOAT_EQ(m[0]->specular[2], 0.9f);
    EXPECT_FLOAT_EQ(m[0]->shininess, 0.3f);
    EXPECT_FLOAT_EQ(m[0]->refractionIndex, 1.5f);
}

TEST(MtlStatements, ColoursOpacityShininess) {
    auto m = readMtl(
        "Kd 1 0 0\n"  // before any newmtl: ignored
        "newmtl a\nKa 0.5\nkd 1 0 0\nNS 96\nKs 0 0 0\nd\n"
        "newmtl b\nKs 1 -1 0\nTr 0.25\nKe 1 1 1\n"
        "newmtl c\nTf 0.2 0.4 0.6\nKs 0.1 0.2 0.3\nd 0.5x\nillum 2\n"
        "newmtl d\nTf 0.3\n");
    ASSERT_EQ(m.size(), 4u);
    EXPECT_FLOAT_EQ(m[0]->ambient[0], 0.55f);
    EXPECT_FLOAT_EQ(m[0]->diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(m[0]->diffuse[1], 0.0f);
    EXPECT_FLOAT_EQ(m[0]->shininess, 0.96f);
    EXPECT_FLOAT_EQ(m[0]->specular[0], 0.9f);
    EXPECT_EQ(m[0]->opacity, 0.0f);
    EXPECT_FLOAT_EQ(m[1]->specular[1], 0.9f);
    EXPECT_FLOAT_EQ(m[1]->opacity, 0.25f);
    EXPECT_FLOAT_EQ(m[2]->specular[2], 0.3f);
    EXPECT_FLOAT_EQ(m[2]->opacity, 0.5f);
    EXPECT_FLOAT_EQ(m[3]->opacity, 0.1f);  // missing values count as 0
}

// "nan", "inf" and numbers beyond the float range are no colour, opacity or placement: the host
// would get them as they are, and files written from them would not be valid.
TEST(MtlStatements, NaNAndInfinityLeaveTheValueAsItWas) {
    auto m = readMtl("newmtl a\nKd nan 0 0\nKa 1 1e39 1\nKs 0.1 0.2 -inf\nNs inf\nd 0.5\nTr -nan\n"
                     "map_Kd -s nan 2 1e999 -o 0.5 inf 0 x.png\nmap_bump -bm nan y.png\n"
                     "newmtl b\nd 0.25\nTf 3e38 3e38 3e38\n");
    ASSERT_EQ(m.size(), 2u);
    EXPECT_FLOAT_EQ(m[0]->diffuse[0], 0.55f);
    EXPECT_FLOAT_EQ(m[0]->ambient[0], 0.55f);
    EXPECT_FLOAT_EQ(m[0]->specular[2], 0.9f);
    EXPECT_FLOAT_EQ(m[0]->shininess, 0.3f);
    EXPECT_FLOAT_EQ(m[0]->opacity, 0.5f);
    ASSERT_EQ(m[0]->maps.size(), 2u);
    const MtlMap& x = *m[0]->maps[0];
    EXPECT_STREQ(x.fileName, "x.png");
    EXPECT_FLOAT_EQ(x.scale[0], 1);
    EXPECT_FLOAT_EQ(x.scale[1], 2);
    EXPECT_FLOAT_EQ(x.scale[2], 1);
    EXPECT_FLOAT_EQ(x.offset[0], 0.5f);
    EXPECT_FLOAT_EQ(x.offset[1], 0);
    EXPECT_STREQ(m[0]->maps[1]->fileName, "y.png");
    EXPECT_FLOAT_EQ(m[0]->maps[1]->bumpFactor, 0.002f);
    EXPECT_FLOAT_EQ(m[1]->opacity, 0.25f);  // a mean beyond the float range
}

TEST(MtlMaps, KindsAndBump) {
    auto m = readMtl("newmtl a\nbump tex.tga\nMAP_BUMP tex.tga\nmap_bump -bm 0.5 tex.tga\nmap_Ns x.tga\nmap_Kd\n"
                     "map_refl r.tga\nmap_d d.tga\nmap_Ke e.tga\nmap_ka a.tga\nmap_Ks s.tga\n");
    ASSERT_EQ(m.size(), 1u);
    const auto& maps = m[0]->maps;
    ASSERT_EQ(maps.size(), 9u);
    EXPECT_EQ(maps[0]->kind, MapKind::Bump);
    EXPECT_FLOAT_EQ(maps[0]->bumpFactor, 0.002f);
    EXPECT_FLOAT_EQ(maps[1]->bumpFactor, 0.5f);
    EXPECT_EQ(maps[2]->kind, MapKind::Unknown);
    EXPECT_STREQ(maps[3]->fileName, "default");
    EXPECT_EQ(maps[4]->kind, MapKind::Reflection);
    EXPECT_EQ(maps[5]->kind, MapKind::Opacity);
    EXPECT_EQ(maps[6]->kind, MapKind::Emission);
    EXPECT_EQ(maps[7]->kind, MapKind::Ambient);
    EXPECT_EQ(maps[8]->kind, MapKind::Specular);
}

TEST(MtlMaps, OptionsAndNames) {
    auto s = map("map_Kd -s 2 2 tex.tga");
    EXPECT_EQ(s->kind, MapKind::Diffuse);
    EXPECT_FLOAT_EQ(s->scale[0], 2);
    EXPECT_FLOAT_EQ(s->scale[1], 2);
    EXPECT_FLOAT_EQ(s->scale[2], 1);
    EXPECT_STREQ(s->fileName, "tex.tga");

    auto o = map("map_Kd -o 0.5 my tex.tga -clamp on");
    EXPECT_FLOAT_EQ(o->offset[0], 0.5f);
    EXPECT_FLOAT_EQ(o->offset[1], 0);
    EXPECT_STREQ(o->fileName, "my tex.tga");

    // A name that begins with a digit is a name, not the option's next number.
    auto prefix = map("map_Kd -s 2 2tex.tga");
    EXPECT_FLOAT_EQ(prefix->scale[0], 2);
    EXPECT_FLOAT_EQ(prefix->scale[1], 1);
    EXPECT_STREQ(prefix->fileName, "2tex.tga");
    auto digits = map("map_Ks -o 0.5 -1e-1 3.png");
    EXPECT_FLOAT_EQ(digits->offset[1], -0.1f);
    EXPECT_FLOAT_EQ(digits->offset[2], 0);
    EXPECT_STREQ(digits->fileName, "3.png");
    auto comma = map("map_Kd -s 1,5 2,5 1,0 tex.png");  // decimal commas: numeric prefixes, as before
    EXPECT_FLOAT_EQ(comma->scale[1], 2);
    EXPECT_STREQ(comma->fileName, "tex.png");

    auto skipped = map("map_Kd -type sphere -clamp on -mm 0 1 -blendu off -t 1 1 -foo 3 wood.png");
    EXPECT_STREQ(skipped->fileName, "wood.png");
    EXPECT_STREQ(map("map_Kd -bm")->fileName, "");
    EXPECT_FLOAT_EQ(map("map_bump -bm")->bumpFactor, 0);

    // A name as long as a path may be is kept whole: cut, not even its bare name could be found.
    const std::string deep = "C:\\Users\\someone\\Documents\\3dsMax\\sceneassets\\images\\" +
                             std::string(150, 'w') + "_BaseColor.png";
    EXPECT_EQ(map("map_Kd " + deep)->fileName, deep);
    std::string longName(300, 'x');
    EXPECT_EQ(std::strlen(map("map_Kd " + longName + " " + longName)->fileName), size_t(kMapFileNameSize - 1));
}

TEST(MtlMaps, MapBeforeAnyMaterialIsIgnored) {
    auto m = readMtl("map_Kd a.tga\nnewmtl a\n");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_TRUE(m[0]->maps.empty());
}

TEST(MtlFiles, LongNamesAreCutLikeTheParserCutsThem) {
    std::string name(300, 'm');
    auto m = readMtl("newmtl " + name + "\nKd 1 1 1\n");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0]->name.size(), kMaterialNameSize - 1);
}

TEST(MtlFiles, LibrariesAreFoundRelativeToTheObjFolder) {
    test::TempDir dir;
    dir.write("models/lib.mtl", "newmtl top\n");
    dir.write("models/sub/lib2.mtl", "newmtl nested\n");
    dir.write("mats/up.mtl", "newmtl up\n");
    ObjImporter imp;
    copyBounded(imp.objDirectory, (dir.root() + "/models/").c_str());
    imp.progressTotal = 1000;
    for (const char* lib : {"lib.mtl", "sub\\lib2.mtl", "..\\mats\\up.mtl", "missing.mtl", "missing.mtl"})
        imp.addMaterialLibrary(lib);
    imp.addMaterialLibrary("other.mtl");  // no such file
    test::RecordingLink link;
    readMaterialLibraries(imp, link);
    ASSERT_EQ(imp.materials.size(), 3u);
    EXPECT_EQ(imp.materials[1]->name, "nested");
    EXPECT_EQ(imp.materials[2]->name, "up");
    ASSERT_EQ(imp.warnings.size(), 2u);
    EXPECT_EQ(imp.warnings[0], "matlib not found \"" + test::slashed(dir.root()) + "/models/missing.mtl\"");
    EXPECT_EQ(std::string(currentMtlFolder()), test::slashed(dir.root()) + "/models/");
    EXPECT_EQ(link.messages.front().code, DialogMessage::Phase);
    EXPECT_EQ(link.messages.front().wParam, uintptr_t(IDS_IMPORTING_MATERIALS));
    EXPECT_EQ(link.messages.back().code, DialogMessage::Phase);
    EXPECT_EQ(link.messages.back().wParam, 0u);
}

#if !defined(_WIN32)
// (Windows' own file system ignores letter case: there the lookup gets it from the system.)
TEST(MtlFiles, LibrariesAreFoundWhateverTheCaseAndTheirMapsBesideThemAsSpeltOnDisk) {
    test::TempDir dir;
    dir.write("Models/Mats/Car.MTL", "newmtl paint\n");
    dir.write("Models/Mats/car.mtl", "newmtl exact\n");
    dir.write("Models/Mats/Wheel.mtl", "newmtl rubber\n");
    ObjImporter imp;
    copyBounded(imp.objDirectory, (dir.root() + "/models/").c_str());
    for (const char* lib : {"MATS\\car.mtl", "mats/WHEEL.MTL"}) imp.addMaterialLibrary(lib);
    test::RecordingLink link;
    readMaterialLibraries(imp, link);
    EXPECT_TRUE(imp.warnings.empty()) << imp.warnings.front();
    ASSERT_EQ(imp.materials.size(), 2u);
    EXPECT_EQ(imp.materials[0]->name, "exact");  // the exact spelling of the name wins
    EXPECT_EQ(imp.materials[1]->name, "rubber");
    EXPECT_EQ(std::string(currentMtlFolder()), test::slashed(dir.root()) + "/Models/Mats/");

    // Names of one statement each ignore case, and two spellings of one library read it once.
    ObjImporter several;
    copyBounded(several.objDirectory, (dir.root() + "/models/mats/").c_str());
    several.addMaterialLibrary("WHEEL.MTL wheel.mtl Car.mtl");
    readMaterialLibraries(several, link);
    EXPECT_TRUE(several.warnings.empty()) << several.warnings.front();
    ASSERT_EQ(several.materials.size(), 2u);
    EXPECT_EQ(several.materials[0]->name, "rubber");
    EXPECT_EQ(several.materials[1]->name, "paint");  // no exact spelling: the first in byte order
}
#endif

TEST(MtlFiles, CancelStopsTheReadingOfALibrary) {
    test::TempDir dir;
    std::string text;
    for (int i = 0; i < 100; ++i) text += "newmtl m" + std::to_string(i) + "\n";
    dir.write("big.mtl", text);
    ObjImporter imp;
    copyBounded(imp.objDirectory, (dir.root() + "/").c_str());
    imp.addMaterialLibrary("big.mtl");
    imp.aborted = true;
    test::RecordingLink link;
    readMaterialLibraries(imp, link);
    EXPECT_TRUE(imp.materials.empty());
}

#if !defined(_WIN32)
// A FIFO would block the open and a device would never end: neither is opened.
TEST(MtlFiles, ALibraryThatIsNoRegularFileIsNotRead) {
    test::TempDir dir;
    ASSERT_EQ(mkfifo(dir.path("fifo.mtl").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.path("zero.mtl"));
    ObjImporter imp;
    copyBounded(imp.objDirectory, (dir.root() + "/").c_str());
    imp.addMaterialLibrary("fifo.mtl");
    imp.addMaterialLibrary("zero.mtl");
    test::RecordingLink link;
    readMaterialLibraries(imp, link);
    EXPECT_TRUE(imp.materials.empty());
    ASSERT_EQ(imp.warnings.size(), 2u);
    EXPECT_EQ(imp.warnings[1], "not a regular file (a device or a pipe): \"" + dir.path("zero.mtl") + "\"");
}
#endif

TEST(MtlFiles, NothingIsReadWithMaterialsOff) {
    ObjImporter imp;
    imp.options.importMaterials = false;
    imp.addMaterialLibrary("missing.mtl");
    test::RecordingLink link;
    readMaterialLibraries(imp, link);
    EXPECT_TRUE(imp.materials.empty());
    EXPECT_TRUE(imp.warnings.empty());
    EXPECT_TRUE(link.messages.empty());
}

TEST(MtlFiles, ALibraryWithoutLineEndsIsOneStatement) {
    auto m = readMtl(std::string(2000, ' ') + "newmtl lonely");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0]->name, "lonely");
}

}  // namespace
}  // namespace qf
