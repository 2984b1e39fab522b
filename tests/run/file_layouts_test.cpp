// Valid OBJ files of every vertex layout, imported whole and checked on the scene they make: each
// mesh holds exactly the points its polygons use, in file order, with its UVs and its pivot.
#include <gtest/gtest.h>

#include <sstream>

#include "qfobjimp/console_ui.h"
#include "run/import_run.h"
#include "support/scene_access.h"
#include "support/test_support.h"

namespace qf {
namespace {

using test::hostScene;
using test::sceneObject;
using Points = std::vector<std::vector<double>>;
using Polygons = std::vector<std::vector<long>>;
using Names = std::vector<std::string>;

struct Layouts : ::testing::Test {
    test::TempDir dir;
    std::ostringstream out;
    std::string err;  // the run's message boxes, one per line
    ConsoleChoices choices;
    std::unique_ptr<ObjImporter> importer;

    void SetUp() override { hostScene().resetAll(); }

    // Imports the text as a file of that name; true when the run went through without an error.
    bool import(const std::string& text, const std::string& name = "model.obj") {
        dir.write(name, text);
        hostScene().resetAll();
        out.str("");
        err.clear();
        importer = std::make_unique<ObjImporter>();
        ConsoleUi ui(choices, out);
        const int result = runImport(*importer, dir.path(name).c_str(), dir.path("qfObjImp.dll").c_str(), ui);
        for (const std::string& m : ui.messages()) err += m + "\n";
        return result == 1 && err.empty();
    }

    static const XSI::standin::Item& object(const std::string& name) {
        const auto* item = sceneObject(name);
        if (!item) throw std::runtime_error("no object " + name);
        return *item;
    }
    static Points points(const std::string& name) {
        const auto& p = object(name).positions;
        Points list;
        for (size_t i = 0; i + 2 < p.size(); i += 3) list.push_back({p[i], p[i + 1], p[i + 2]});
        return list;
    }
    static Polygons polygons(const std::string& name) { return object(name).polygonList(); }
    static std::vector<double> pivot(const std::string& name) {
        const auto& o = object(name);
        return {o.pivot[0], o.pivot[1], o.pivot[2]};
    }
    // (u, v) of every polygon corner.
    static std::vector<std::vector<float>> uvs(const std::string& name) {
        auto& scene = hostScene();
        const int id = int(&object(name) - &scene.item(0));
        const auto properties = scene.children(id, XSI::standin::ItemKind::UVProperty);
        std::vector<std::vector<float>> list;
        if (properties.empty()) return list;
        const auto& v = scene.item(properties[0]).values;
        for (size_t i = 0; i + 2 < v.size(); i += 3) list.push_back({v[i], v[i + 1]});
        return list;
    }
};

const char kQuadA[] = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
const char kQuadB[] = "v 0 0 5\nv 1 0 5\nv 1 1 5\nv 0 1 5\n";
const Points kPointsA = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
const Points kPointsB = {{0, 0, 5}, {1, 0, 5}, {1, 1, 5}, {0, 1, 5}};

Points concat(Points a, const Points& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Vertex blocks alternate with faces inside one object, as in the Cornell box files: the second
// block no longer overwrites the first.
TEST_F(Layouts, AlternatingBlocksWithoutGroups) {
    for (const char* second : {"f 5 6 7 8", "f -4 -3 -2 -1"}) {
        ASSERT_TRUE(import(std::string(kQuadA) + "vt 0 0\nvt 1 1\nf 1/1 2/2 3/1 4/2\n" + kQuadB + "vt 0.5 0.5\n" +
                           second + "\n"))
            << err;
        EXPECT_EQ(test::sceneObjectNames(), Names{"default"});
        EXPECT_EQ(points("default"), concat(kPointsA, kPointsB)) << second;
        EXPECT_EQ(polygons("default"), (Polygons{{0, 1, 2, 3}, {4, 5, 6, 7}})) << second;
        EXPECT_EQ(pivot("default"), (std::vector<double>{0.5, 0.5, 2.5}));
        EXPECT_EQ(uvs("default"), (std::vector<std::vector<float>>{
                                      {0, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}));
    }
}

// All vertices first, then the groups (the spider model): each mesh takes only its own points,
// and its pivot is the centre of those.
TEST_F(Layouts, AllVerticesFirst) {
    const std::string file = "vt 0 0\nvt 1 0\nvt 1 1\n" + std::string(kQuadA) + kQuadB +
                             "g a\nf 1/1 2/2 3/3\ng b\nf 8/3 7/2 6/1\n";
    ASSERT_TRUE(import(file)) << err;
    EXPECT_EQ(points("a"), (Points{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
    EXPECT_EQ(polygons("a"), (Polygons{{0, 1, 2}}));
    EXPECT_EQ(pivot("a"), (std::vector<double>{0.5, 0.5, 0}));
    EXPECT_EQ(points("b"), (Points{{1, 0, 5}, {1, 1, 5}, {0, 1, 5}}));  // file order, not face order
    EXPECT_EQ(polygons("b"), (Polygons{{2, 1, 0}}));
    EXPECT_EQ(pivot("b"), (std::vector<double>{0.5, 0.5, 5}));
    // Texture vertices listed before every vertex are found too.
    EXPECT_EQ(uvs("b"), (std::vector<std::vector<float>>{{1, 1}, {1, 0}, {0, 0}}));

    // In cluster mode the single mesh holds the points of the chosen groups only.
    choices.optionFlags = {{"--clusters", ""}};
    choices.select = "b";
    ASSERT_TRUE(import(file)) << err;
    EXPECT_EQ(points("model"), (Points{{1, 0, 5}, {1, 1, 5}, {0, 1, 5}}));
    EXPECT_EQ(polygons("model"), (Polygons{{2, 1, 0}}));
}

// Faces that refer back to vertices and texture vertices of earlier blocks, of their own object
// or another, absolute or relative: each reference is that vertex, whatever is selected.
TEST_F(Layouts, ReferencesIntoEarlierBlocks) {
    const std::string head = std::string("g a\n") + kQuadA + "vt 0 0\nvt 1 0\nf 1/1 2/2 3/2 4/1\ng b\n" + kQuadB +
                             "vt 0.5 0.5\n";
    for (const char* face : {"f 5/3 6/1 2/2 1/3", "f -4/-1 -3/-3 -7/-2 -8/-1"}) {
        for (const char* select : {"*", "b"}) {
            choices.select = select;
            ASSERT_TRUE(import(head + face + "\n")) << face << ": " << err;
            EXPECT_EQ(points("b"), (Points{{0, 0, 0}, {1, 0, 0}, {0, 0, 5}, {1, 0, 5}})) << face;
            EXPECT_EQ(polygons("b"), (Polygons{{2, 3, 1, 0}})) << face;
            EXPECT_EQ(uvs("b"), (std::vector<std::vector<float>>{{0.5, 0.5}, {0, 0}, {1, 0}, {0.5, 0.5}})) << face;
            EXPECT_EQ(pivot("b"), (std::vector<double>{0.5, 0, 2.5}));
        }
    }
    choices.select = "*";
    // References that name no vertex read so far stay errors.
    for (const char* face : {"f 0 1 2", "f 1 2 9", "f -9 1 2"}) {
        EXPECT_FALSE(import(std::string(kQuadA) + face + "\n")) << face;
        EXPECT_EQ(err, "invalid vertex index\n") << face;
    }
}

// A group that comes back later continues its mesh behind its earlier points.
TEST_F(Layouts, ReturningGroups) {
    ASSERT_TRUE(import(std::string("g a\n") + kQuadA + "f 1 2 3 4\ng b\n" + kQuadB + "f 5 6 7 8\ng a\n" + kQuadB +
                       "f 9 10 11\nf 1 12 10\n"))
        << err;
    const Points own = concat(kPointsA, kPointsB);
    EXPECT_EQ(points("a"), own);
    EXPECT_EQ(polygons("a"), (Polygons{{0, 1, 2, 3}, {4, 5, 6}, {0, 7, 5}}));
    EXPECT_EQ(points("b"), kPointsB);
    EXPECT_EQ(polygons("b"), (Polygons{{0, 1, 2, 3}}));
}

// Objects whose names differ only in letter case stay two objects; names that become one host
// name are numbered by the host, and each pivot lands on its own object.
TEST_F(Layouts, NamesThatDifferInCaseOrMeetAsHostNames) {
    const std::string file = std::string(kQuadA) + "g Box\nf 1 2 3\ng box\nf 2 3 4\ng a b\nf 1 2 4\ng a.b\n" + kQuadB +
                             "f 5 6 7\n";
    ASSERT_TRUE(import(file)) << err;
    EXPECT_EQ(test::sceneObjectNames(), (Names{"Box", "box", "a_b", "a_b1"}));
    EXPECT_EQ(points("Box"), (Points{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
    EXPECT_EQ(points("box"), (Points{{1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    EXPECT_EQ(pivot("a_b"), (std::vector<double>{0.5, 0.5, 0}));
    EXPECT_EQ(pivot("a_b1"), (std::vector<double>{0.5, 0.5, 5}));

    choices.select = "BOX";  // patterns still ignore case
    ASSERT_TRUE(import(file)) << err;
    EXPECT_EQ(test::sceneObjectNames(), (Names{"Box", "box"}));

    choices.optionFlags = {{"--clusters", ""}};
    ASSERT_TRUE(import(file)) << err;
    ASSERT_EQ(object("model").clusters.size(), 2u);
    EXPECT_EQ(object("model").clusters[0].name, "Box");
    EXPECT_EQ(object("model").clusters[0].polygons, std::vector<int32_t>{0});
    EXPECT_EQ(object("model").clusters[1].name, "box");
    EXPECT_EQ(object("model").clusters[1].polygons, std::vector<int32_t>{1});
}

// Faces of one or two corners are skipped with a warning naming the line; a mesh the host
// refuses is a warning too, and the others are still built.
TEST_F(Layouts, DegenerateFacesAndRefusedMeshes) {
    ASSERT_TRUE(import(std::string(kQuadA) + "g a\nf 1 2\nf 1 2 3\nf 4\ng only\nf 1 2\ng c\nf 3 2 1\n")) << err;
    EXPECT_EQ(test::sceneObjectNames(), (Names{"a", "c"}));
    EXPECT_EQ(polygons("a"), (Polygons{{0, 1, 2}}));
    EXPECT_EQ(points("a"), (Points{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}));
    EXPECT_EQ(out.str(), "2 face(s) with fewer than three corners skipped, the first at line 6\n");

    hostScene().resetAll();
    const std::string three = std::string(kQuadA) + "g a\nf 1 2 3\ng b\nf 2 3 4\ng c\nf 3 4 1\n";
    dir.write("three.obj", three);
    hostScene().refuseBuildOf("b");
    importer = std::make_unique<ObjImporter>();
    out.str("");
    ConsoleUi ui(choices, out);
    ASSERT_EQ(runImport(*importer, dir.path("three.obj").c_str(), dir.path("qfObjImp.dll").c_str(), ui), 1);
    EXPECT_TRUE(object("a").built);
    EXPECT_FALSE(object("b").built);
    EXPECT_TRUE(object("c").built);
    EXPECT_EQ(pivot("c"), (std::vector<double>{0.5, 0.5, 0}));
    EXPECT_EQ(out.str(), "mesh \"b\" was not built: the mesh was refused\n");
    ASSERT_EQ(hostScene().logLines().size(), 1u);
    EXPECT_EQ(hostScene().logLines()[0].first, "Error generating mesh: the mesh was refused");
    EXPECT_TRUE(test::hasCommand("FrameAll"));
}

// Files as Blender and others write them: o names the objects, with or without g inside them.
TEST_F(Layouts, ObjectStatements) {
    ASSERT_TRUE(import("# exported\nmtllib none.mtl\no Cube\n" + std::string(kQuadA) +
                       "vn 0 0 1\ns off\nf 1//1 2//1 3//1 4//1\no Plane\n" + kQuadB + "f 5//1 6//1 7//1\n"))
        << err;
    EXPECT_EQ(test::sceneObjectNames(), (Names{"Cube", "Plane"}));
    EXPECT_EQ(points("Cube"), kPointsA);
    EXPECT_EQ(points("Plane"), (Points{{0, 0, 5}, {1, 0, 5}, {1, 1, 5}}));

    ASSERT_TRUE(import("o Cube\n" + std::string(kQuadA) + "g Cube_Material\nf 1 2 3 4\n")) << err;
    EXPECT_EQ(test::sceneObjectNames(), Names{"Cube_Material"});
}

// mtllib with several names: each is a library of its own unless the joined name is a file.
TEST_F(Layouts, MaterialLibrariesOfOneStatement) {
    dir.write("red.mtl", "newmtl red\nKd 1 0 0\n");
    dir.write("blue.mtl", "newmtl blue\nKd 0 0 1\n");
    const std::string file =
        "mtllib red.mtl blue.mtl\n" + std::string(kQuadA) + "usemtl red\nf 1 2 3\nusemtl blue\nf 2 3 4\n";
    ASSERT_TRUE(import(file)) << err;
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(test::sceneMaterial("red"), -1);
    EXPECT_NE(test::sceneMaterial("blue"), -1);

    dir.write("red.mtl blue.mtl", "newmtl red\nKd 0 1 0\n");  // the joined name wins where it exists
    ASSERT_TRUE(import(file)) << err;
    EXPECT_EQ(test::materialParameter("red", "Phong.diffuse.green"), "1");
    EXPECT_EQ(out.str(), "Material \"blue\" not found\n");

    std::remove(dir.path("red.mtl blue.mtl").c_str());
    ASSERT_TRUE(import("mtllib red.mtl gone.mtl\n" + std::string(kQuadA) + "usemtl red\nf 1 2 3\n")) << err;
    EXPECT_EQ(out.str(), "matlib not found \"" + test::slashed(dir.root()) + "/gone.mtl\"\n");
}

// LF, CR LF and a lone CR in one file read as the same statements.
TEST_F(Layouts, MixedLineEnds) {
    ASSERT_TRUE(import("v 0 0 0\rv 1 0 0\r\nv 1 1 0\nv 0 1 0\r\rg a\r\nf 1 2 3 4\rf 4 3 2")) << err;
    EXPECT_EQ(points("a"), kPointsA);
    EXPECT_EQ(polygons("a"), (Polygons{{0, 1, 2, 3}, {3, 2, 1}}));
}

// Material names that differ only in letter case name materials of their own; a usemtl spelt
// in another case than its newmtl finds the material; a name nowhere is warned about once.
TEST_F(Layouts, MaterialNamesInOtherLetterCase) {
    dir.write("m.mtl", "newmtl Wood\nKd 1 0 0\nnewmtl wood\nKd 0 1 0\nnewmtl WOOD\nKd 0 0 1\nnewmtl stone\n");
    std::string file = "mtllib m.mtl\n" + std::string(kQuadA) + "g a\n";
    for (const char* name : {"Wood", "wood", "WOOD", "Stone", "STONE", "none", "NONE"})
        file += std::string("usemtl ") + name + "\nf 1 2 3\n";
    ASSERT_TRUE(import(file)) << err;
    EXPECT_EQ(out.str(), "Material \"none\" not found\n");
    std::vector<std::pair<std::string, std::vector<long>>> assigned;
    for (const auto& c : object("a").clusters)
        if (!c.material.empty()) assigned.emplace_back(c.material, std::vector<long>(c.polygons.begin(), c.polygons.end()));
    const std::string library = "Sources.Materials.DefaultLib.";
    EXPECT_EQ(assigned, (std::vector<std::pair<std::string, std::vector<long>>>{
                            {library + "Wood", {0}}, {library + "wood", {1}}, {library + "WOOD", {2}},
                            {library + "stone", {3, 4}}}));
}

// Libraries in folders of their own, each naming its maps from its folder: every material's map
// is the file beside its own library, even where the other library's folder has one of that name.
TEST_F(Layouts, MapsBesideTheirOwnLibraries) {
    dir.write("wood/a.mtl", "newmtl ma\nmap_Kd grain.png\n");
    dir.write("wood/grain.png", "a");
    dir.write("stone/b.mtl", "newmtl mb\nmap_Kd grain.png\nmap_Ks only_a.png\n");
    dir.write("stone/grain.png", "b");
    dir.write("wood/only_a.png", "a");
    const std::string file = "mtllib wood/a.mtl\nmtllib stone/b.mtl\n" + std::string(kQuadA) +
                             "g a\nusemtl ma\nf 1 2 3\nusemtl mb\nf 2 3 4\n";
    ASSERT_TRUE(import(file)) << err;
    const std::string root = test::slashed(dir.root());
    EXPECT_TRUE(test::hasCommand("SICreateImageClip(" + root + "/wood/grain.png, grain, "));
    EXPECT_TRUE(test::hasCommand("SICreateImageClip(" + root + "/stone/grain.png, grain, "));
    EXPECT_TRUE(test::hasCommand("SIConnectShaderToCnxPoint(Clips.grain, Sources.Materials.DefaultLib.ma.Phong.diffuse"));
    EXPECT_TRUE(test::hasCommand("SIConnectShaderToCnxPoint(Clips.grain1, Sources.Materials.DefaultLib.mb.Phong.diffuse"));
    // A map beside another library is not taken for this one's.
    EXPECT_EQ(out.str().rfind("Specular-Map not found in Material: \"mb\" (only_a.png); looked in " + root + "/stone/", 0),
              0u) << out.str();
}

// Files saved by Windows programs that begin their UTF-8 text with a byte order mark: the first
// statement of the OBJ file and of its library is read as written.
TEST_F(Layouts, AByteOrderMarkBeforeTheFirstStatement) {
    const std::string mark = "\xEF\xBB\xBF";
    dir.write("red.mtl", mark + "newmtl red\nKd 1 0 0\n");
    ASSERT_TRUE(import(mark + "mtllib red.mtl\n" + std::string(kQuadA) + "g a\nusemtl red\nf 1 2 3 4\n")) << err;
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(test::materialParameter("red", "Phong.diffuse.red"), "1");
    ASSERT_TRUE(import(mark + "o Cube\n" + std::string(kQuadA) + "f 1 2 3 4\n")) << err;
    EXPECT_EQ(points("Cube"), kPointsA);
}

}  // namespace
}  // namespace qf
