#include "scene/material_builder.h"

#include <gtest/gtest.h>

#include "materials/mtl_reader.h"
#include "model/fixed_text.h"
#include "support/scene_access.h"
#include "support/test_support.h"

namespace qf {
namespace {

TEST(SanitizeName, HostSafeNames) {
    EXPECT_EQ(sanitizeName("my mat"), "my_mat");
    EXPECT_EQ(sanitizeName("3ds"), "_3ds");
    EXPECT_EQ(sanitizeName("'wood'"), "wood");
    EXPECT_EQ(sanitizeName("\"wood\""), "wood");
    EXPECT_EQ(sanitizeName("bois-\xe9t\xe9"), "bois__t_");
    EXPECT_EQ(sanitizeName("a.b"), "a_b");
    EXPECT_EQ(sanitizeName(""), "");
    EXPECT_EQ(sanitizeName("\""), "_");
    char small[4] = "1ab";
    sanitizeName(small, sizeof small);
    EXPECT_STREQ(small, "_1a");
}

struct LibraryFixture : ::testing::Test {
    void SetUp() override { test::hostScene().resetAll(); }
    void addMaterial(const char* name) {
        XSI::Application app;
        XSI::MaterialLibrary library(app.GetActiveProject().GetActiveScene().GetActiveMaterialLibrary().GetRef());
        XSI::Material m(library.CreateMaterial(XSI::AsciiString("Phong"), XSI::AsciiString("Phong")));
        m.PutName(XSI::AsciiString(name));
    }
    std::string unique(const char* name) {
        XSI::CString text = XSI::AsciiString(name);
        makeUniqueMaterialName(text);
        return XSI::ToAscii(text);
    }
};

TEST_F(LibraryFixture, UniqueNamesCountOnFromTheirNumber) {
    EXPECT_EQ(unique("wood"), "wood");
    addMaterial("wood");
    addMaterial("wood_1");
    EXPECT_EQ(unique("wood"), "wood_2");
    EXPECT_EQ(unique("wood_1"), "wood_2");
    addMaterial("a__3");
    EXPECT_EQ(unique("a__3"), "a__3_1");
    char wanted[kMaterialWantedSize] = "my wood";
    createHostMaterial(wanted, sizeof wanted);
    EXPECT_STREQ(wanted, "my_wood");
    createHostMaterial(wanted, sizeof wanted);
    EXPECT_STREQ(wanted, "my_wood_1");
}

// Names kept through a run give what asking the library each time gives, also after a name
// counted on from its own number.
TEST_F(LibraryFixture, NamesKeptThroughARunCountOnAsTheLibraryWould) {
    addMaterial("wood");
    addMaterial("wood_5");
    LibraryNames names;
    auto create = [&](const char* wanted) {
        char name[kMaterialWantedSize];
        copyBounded(name, wanted);
        createHostMaterial(name, sizeof name, names);
        return std::string(name);
    };
    EXPECT_EQ(create("wood_5"), "wood_6");
    EXPECT_EQ(create("wood"), "wood_1");  // not wood_7: wood_1 is free
    EXPECT_EQ(create("wood"), "wood_2");
    EXPECT_EQ(create("wood_5"), "wood_7");
    EXPECT_EQ(create("wood"), "wood_3");
    EXPECT_EQ(create("oak"), "oak");
    EXPECT_EQ(unique("wood"), "wood_4");  // the library itself agrees
}

// Reads one material from each MTL text, all used by one mesh of two polygons (materials 0 and
// 1), and builds them with no map search.
void buildMaterialsOf(ObjImporter& imp, std::initializer_list<const char*> mtls) {
    for (const char* mtl : mtls) {
        std::string text = mtl;
        MemorySource source(text.data(), text.size());
        ObjImporter reader;
        parseMtlFile(reader, source);
        imp.materials.push_back(std::move(reader.materials[0]));
        imp.materials.back()->used = true;
    }
    imp.meshes.push_back(std::make_unique<NamedMesh>());
    imp.options.importAsClusters = true;
    Mesh& mesh = imp.meshes.back()->mesh;
    mesh.allocPolygons(2, 6);
    const int32_t tri[] = {0, 1, 2};
    mesh.setPolygonVertices(0, 3, tri, 0);
    mesh.setPolygonVertices(1, 3, tri, 1);
    test::RecordingLink link;
    NoMapSearch noSearch;
    buildMaterials(imp, link, noSearch);
}

int countCommands(const char* prefix) {
    int count = 0;
    for (const auto& c : test::hostScene().commands()) count += c.rfind(prefix, 0) == 0;
    return count;
}

// One clip per map file: files whose base names meet get clips of their own, under the name the
// host gives the second; a file used again, however its path is spelt, is connected to its clip.
TEST_F(LibraryFixture, ClipsAreMadeOncePerFileAndPlacedOnlyWhereNotDefault) {
    ObjImporter imp;
    buildMaterialsOf(imp, {"newmtl a\nmap_Kd -s 1 1 1 -o 0 0 0 a\\wood.jpg\nmap_Ke wood.tga\n",
                           "newmtl b\nmap_Kd -s 2 2 b\\wood.png\nmap_Ka 1.tga\n",
                           "newmtl c\nmap_Ks ./a//wood.jpg\nmap_bump x/../b/wood.png\n"});
    int placements = 0;
    for (const auto& c : test::hostScene().commands())
        placements += c.find(".repeats.") != std::string::npos || c.find(".min.") != std::string::npos;
    EXPECT_EQ(countCommands("SICreateImageClip"), 3);  // wood, wood1 and _1; c's maps use the clips of their files
    EXPECT_EQ(placements, 2 + 6);  // b's diffuse, and c's bump generator has all six set
    EXPECT_TRUE(test::hasCommand("SICreateImageClip(a/wood.jpg, wood, "));
    EXPECT_TRUE(test::hasCommand("SICreateImageClip(b/wood.png, wood, "));
    EXPECT_TRUE(test::hasCommand("SICreateImageClip(1.tga, _1, "));
    EXPECT_TRUE(test::hasCommand("SIConnectShaderToCnxPoint(Clips.wood1, Sources.Materials.DefaultLib.b.Phong.diffuse"));
    EXPECT_TRUE(test::hasCommand("SIConnectShaderToCnxPoint(Clips.wood, Sources.Materials.DefaultLib.c.Phong.specular"));
    EXPECT_TRUE(test::hasCommand("SIConnectShaderToCnxPoint(Clips.wood1, TransientObjectContainer.Bumpmap_generator.input"));
    EXPECT_TRUE(test::hasCommand("SetValue(Sources.Materials.DefaultLib.b.Phong.Image.repeats.x, 2)"));
    EXPECT_TRUE(test::hasCommand("SIConnectShaderToCnxPoint(Clips._1, Sources.Materials.DefaultLib.b.Phong.ambient"));
    EXPECT_FALSE(test::hasCommand("SetValue(Sources.Materials.DefaultLib.b.Phong.Image1"));  // defaults: no call
    EXPECT_EQ(imp.warnings.size(), 6u);
    EXPECT_EQ(imp.warnings[1].rfind("Map not found in Material: \"a\" (wood.tga); looked in ", 0), 0u) << imp.warnings[1];
}

// Windows names ignore letter case: a map spelt two ways is one file there and gets one clip.
// Elsewhere the two spellings are two files.
TEST_F(LibraryFixture, MapsSpeltInOtherCaseShareTheirClipWhereNamesIgnoreCase) {
    ObjImporter imp;
    buildMaterialsOf(imp, {"newmtl a\nmap_Kd tex/Wood.JPG\n", "newmtl b\nmap_Kd TEX\\wood.jpg\n"});
#if defined(_WIN32)
    EXPECT_EQ(countCommands("SICreateImageClip"), 1);
    EXPECT_TRUE(test::hasCommand("SIConnectShaderToCnxPoint(Clips.Wood, Sources.Materials.DefaultLib.b.Phong.diffuse"));
#else
    EXPECT_EQ(countCommands("SICreateImageClip"), 2);
#endif
}

TEST_F(LibraryFixture, ForceBlackAmbientAndUnusedRecords) {
    ObjImporter imp;
    imp.options.forceBlackAmbient = true;
    imp.materials.push_back(std::make_unique<MtlMaterial>());
    imp.materials.back()->name = "red";
    imp.materials.push_back(std::make_unique<MtlMaterial>());
    imp.materials.back()->name = "unused";
    imp.appendObject("box").selected = true;
    imp.meshes.push_back(std::make_unique<NamedMesh>());
    copyBounded(imp.meshes.back()->name, "box");
    Mesh& mesh = imp.meshes.back()->mesh;
    mesh.allocPolygons(1, 3);
    const int32_t tri[] = {0, 1, 2};
    mesh.setPolygonVertices(0, 3, tri, 0);
    test::RecordingLink link;
    NoMapSearch noSearch;
    buildMaterials(imp, link, noSearch);
    EXPECT_EQ(imp.hostMaterials.size(), 1u);
    EXPECT_EQ(test::materialParameter("red", "Phong.ambient.red"), "0");
    EXPECT_EQ(test::materialParameter("red", "Phong.shiny"), "90");
    EXPECT_EQ(imp.materials[1]->name, "unused");
    EXPECT_FALSE(imp.materials[1]->used);
}

// A material counts as used when any polygon of a chosen mesh names it, whether the mesh keeps one
// material for all its polygons or one per polygon.
TEST(MarkUsedMaterials, EveryMaterialAPolygonNames) {
    ObjImporter imp;
    for (const char* name : {"m0", "m1", "m2", "m3", "m4"}) {
        imp.materials.push_back(std::make_unique<MtlMaterial>());
        imp.materials.back()->name = name;
    }
    const int32_t tri[] = {0, 1, 2};
    auto addMesh = [&](const char* name, std::initializer_list<int32_t> materials) {
        imp.appendObject(name).selected = true;
        imp.meshes.push_back(std::make_unique<NamedMesh>());
        copyBounded(imp.meshes.back()->name, name);
        Mesh& mesh = imp.meshes.back()->mesh;
        mesh.allocPolygons(int32_t(materials.size()), int32_t(3 * materials.size()));
        int32_t p = 0;
        for (int32_t m : materials) mesh.setPolygonVertices(p++, 3, tri, m);
    };
    addMesh("same", {2, 2, 2});
    addMesh("mixed", {1, 1, 3});
    markUsedMaterials(imp);
    std::vector<bool> used;
    for (const auto& m : imp.materials) used.push_back(m->used);
    EXPECT_EQ(used, (std::vector<bool>{false, true, true, true, false}));
}

TEST_F(LibraryFixture, SceneMaterialIsClearedOnlyWhenThere) {
    clearSceneMaterial();
    EXPECT_TRUE(test::hasCommand("DisconnectAndDeleteShaders"));
    test::hostScene().resetAll();
    auto& scene = test::hostScene();
    for (int id : scene.children(scene.materialLibrary(), XSI::standin::ItemKind::Material)) scene.item(id).deleted = true;
    clearSceneMaterial();
    EXPECT_TRUE(scene.commands().empty());
}

}  // namespace
}  // namespace qf
