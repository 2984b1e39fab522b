#include "obj/obj_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dialogs/object_selection.h"
#include "model/fixed_text.h"
#include "model/mtl_material.h"
#include "model/string_table.h"
#include "support/test_support.h"

namespace qf {
namespace {

// A whole read as the import worker does it: pre-scan, selection, parse.
struct Import : test::MemoryImport {
    explicit Import(std::string text, size_t window = kLineBufferSize) : MemoryImport(std::move(text), window) {
        copyBounded(importer.baseName, "file");
    }
    Import& option(void (*set)(ImportOptions&)) {
        set(importer.options);
        return *this;
    }
    Import& material(const char* name) {
        importer.materials.push_back(std::make_unique<MtlMaterial>());
        importer.materials.back()->name = name;
        return *this;
    }
    bool run(const char* pattern = "*") {
        prescan();
        selectObjects(importer, pattern);
        runParse(importer, link);
        return !importer.aborted;
    }
    const Mesh& mesh(const char* name) const {
        for (const auto& m : importer.meshes)
            if (std::strcmp(m->name, name) == 0) return m->mesh;
        throw std::runtime_error(std::string("no mesh ") + name);
    }
    std::string error() const { return importer.errorText; }
};

std::vector<int32_t> indices(const Mesh& m) { return {m.vertexIndices.data(), m.vertexIndices.data() + m.vertexIndexFill}; }
std::vector<int32_t> texIndices(const Mesh& m) {
    return {m.texCoordIndexArray().data(), m.texCoordIndexArray().data() + m.texCoordIndexFill};
}
std::vector<float> position(const Mesh& m, int i) { return {m.vertices[size_t(i) * 3], m.vertices[size_t(i) * 3 + 1], m.vertices[size_t(i) * 3 + 2]}; }

const char kQuadA[] = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
const char kQuadB[] = "v 0 0 5\nv 1 0 5\nv 1 1 5\nv 0 1 5\n";

// The model side of the numbering (the scene side is in the layout tests of the whole run):
// file-wide references become each mesh's own numbers in file order.
TEST(ParseIndices, EachMeshNumbersTheVerticesItUsesInFileOrder) {
    Import imp(std::string(kQuadA) + "g a\nf 1 2 3\ng b\nf 4 3 2\n");
    ASSERT_TRUE(imp.run()) << imp.error();
    EXPECT_EQ(imp.mesh("a").vertexCount, 3);
    EXPECT_EQ(indices(imp.mesh("a")), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(imp.mesh("b").vertexCount, 3);
    EXPECT_EQ(indices(imp.mesh("b")), (std::vector<int32_t>{2, 1, 0}));
    EXPECT_EQ(position(imp.mesh("b"), 0), (std::vector<float>{1, 0, 0}));
    EXPECT_EQ(imp.link.count(DialogMessage::ReadingDone), 1);
}

TEST(ParseIndices, ScatteredReferencesAreOrderedAsDenseOnes) {
    // A few vertices far apart take the sorting path; the result is the same file order.
    std::string file;
    for (int i = 0; i < 100; ++i) file += "v " + std::to_string(i) + " 0 0\n";
    Import imp(file + "g a\nf 100 1 50\nf 2 100 1\n");
    ASSERT_TRUE(imp.run()) << imp.error();
    const Mesh& a = imp.mesh("a");
    EXPECT_EQ(a.vertexCount, 4);
    EXPECT_EQ(indices(a), (std::vector<int32_t>{3, 0, 2, 1, 3, 0}));
    EXPECT_EQ(position(a, 2), (std::vector<float>{49, 0, 0}));

    // Every other vertex over several words of marks, named backwards: dense, with gaps.
    std::string faces = "g b\n";
    for (int v = 151; v >= 15; v -= 6)
        faces += "f " + std::to_string(v) + " " + std::to_string(v - 2) + " " + std::to_string(v - 4) + "\n";
    Import gaps(file + file + faces);
    ASSERT_TRUE(gaps.run()) << gaps.error();
    const Mesh& b = gaps.mesh("b");
    ASSERT_EQ(b.vertexCount, 69);  // file vertices 15, 17, ... 151
    for (int i = 0; i < b.vertexCount; ++i) ASSERT_EQ(position(b, i)[0], float((14 + 2 * i) % 100)) << i;
    EXPECT_EQ(indices(b)[0], 68);
    EXPECT_EQ(indices(b)[2], 66);
}

// A mesh that uses every vertex of the file keeps the file's own values; a second such mesh
// still finds them, and so do texture vertices.
TEST(ParseIndices, MeshesUsingEveryVertexGetThemAll) {
    const std::string file = std::string(kQuadB) + "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    Import one(file + "g a\nf 4/4 3/3 2/2 1/1\n");
    ASSERT_TRUE(one.run()) << one.error();
    const Mesh& a = one.mesh("a");
    EXPECT_EQ(a.vertexCount, 4);
    EXPECT_EQ(indices(a), (std::vector<int32_t>{3, 2, 1, 0}));
    EXPECT_EQ(position(a, 2), (std::vector<float>{1, 1, 5}));
    EXPECT_EQ(a.texCoordCount, 4);
    EXPECT_EQ(a.texCoords[size_t(1) * kTexCoordFloats], 1.0f);

    Import two(file + "g a\nf 1/1 2/2 3/3 4/4\ng b\nf 4/4 3/3 2/2 1/1\ng a\nf 1/1 2/2 3/3\n");
    ASSERT_TRUE(two.run()) << two.error();
    for (const char* name : {"a", "b"}) {
        const Mesh& m = two.mesh(name);
        EXPECT_EQ(m.vertexCount, 4) << name;
        EXPECT_EQ(position(m, 3), (std::vector<float>{0, 1, 5})) << name;
        EXPECT_EQ(m.texCoords[size_t(2) * kTexCoordFloats + 1], 1.0f) << name;
    }
    EXPECT_EQ(two.mesh("a").polygonCount, 2);  // the second "g a" adds to the first record
}

// An object that brings its own vertices (one unbroken run of the file's) borrows them from the
// file-wide arrays, which stay for it; scattered references get a copy of their own. When no mesh
// borrows, the file-wide arrays are gone once the parse is done.
TEST(ParseIndices, ObjectsWithTheirOwnVerticesBorrowTheFilesValues) {
    const std::string uvA = "vt 0 0\nvt 0.25 0\nvt 0.5 0\nvt 0.75 0\n", uvB = "vt 0 1\nvt 0.25 1\nvt 0.5 1\nvt 0.75 1\n";
    Import imp(std::string(kQuadA) + uvA + "g a\nf 1/1 2/2 3/3\n" + kQuadB + uvB + "g b\nf 5/5 6/6 7/7 8/8\n" +
               "g c\nf 1/1 3/3 8/8\n");
    ASSERT_TRUE(imp.run()) << imp.error();
    const Mesh &a = imp.mesh("a"), &b = imp.mesh("b"), &c = imp.mesh("c");
    EXPECT_EQ(indices(a), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(position(a, 1), (std::vector<float>{1, 0, 0}));
    EXPECT_EQ(a.texCoords[size_t(2) * kTexCoordFloats], 0.5f);
    EXPECT_EQ(indices(b), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(texIndices(b), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(position(b, 0), (std::vector<float>{0, 0, 5}));
    EXPECT_EQ(b.texCoords[size_t(3) * kTexCoordFloats + 1], 1.0f);
    for (const Mesh* m : {&a, &b}) {
        EXPECT_FALSE(m->vertices.owned());
        EXPECT_TRUE(imp.importer.positionArena.holds(m->vertices.data()));
        EXPECT_TRUE(imp.importer.texCoordArena.holds(m->texCoords.data()));
        EXPECT_EQ(m->arenaOf(m->vertices.data()), &imp.importer.positionArena);
    }
    EXPECT_EQ(indices(c), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(position(c, 2), (std::vector<float>{0, 1, 5}));
    EXPECT_EQ(c.texCoords[size_t(2) * kTexCoordFloats], 0.75f);
    EXPECT_TRUE(c.vertices.owned());
    EXPECT_FALSE(imp.importer.positions.empty());
    for (const Mesh* m : {&a, &b, &c}) EXPECT_TRUE(m->everyVertexUsed);  // each takes only what it names

    Import scattered(std::string(kQuadA) + uvA + "g a\nf 1/1 3/3 4/4\ng b\nf 4/4 2/2 1/1\n");
    ASSERT_TRUE(scattered.run()) << scattered.error();
    EXPECT_EQ(position(scattered.mesh("b"), 1), (std::vector<float>{1, 0, 0}));
    EXPECT_TRUE(scattered.importer.positions.empty());
    EXPECT_TRUE(scattered.importer.texCoordValues.empty());
}

// Groups named again, out of the order they were first met, or after faces of no group still
// fill their own meshes, whichever of them are chosen.
TEST(ParseIndices, GroupsMetAgainOrOutOfOrderFillTheirOwnMeshes) {
    const std::string file = std::string(kQuadA) +
                             "f 1 2 3\ng b\nf 1 2 4\ng c\nf 2 3 4\ng b\nf 4 3 2\ng d\nf 1 3 4\ng c\nf 1 2 3 4\n";
    for (const char* pattern : {"*", "?"}) {
        Import imp(file);
        ASSERT_TRUE(imp.run(pattern)) << imp.error();
        const bool all = std::strcmp(pattern, "*") == 0;
        EXPECT_EQ(imp.importer.meshes.size(), all ? 4u : 3u) << pattern;
        if (all) {
            EXPECT_EQ(indices(imp.mesh("default")), (std::vector<int32_t>{0, 1, 2}));
        }
        EXPECT_EQ(indices(imp.mesh("b")), (std::vector<int32_t>{0, 1, 3, 3, 2, 1})) << pattern;
        EXPECT_EQ(indices(imp.mesh("c")), (std::vector<int32_t>{1, 2, 3, 0, 1, 2, 3})) << pattern;
        EXPECT_EQ(imp.mesh("c").polygonCount, 2) << pattern;
        EXPECT_EQ(indices(imp.mesh("d")), (std::vector<int32_t>{0, 1, 2})) << pattern;
        EXPECT_EQ(position(imp.mesh("d"), 1), (std::vector<float>{1, 1, 0})) << pattern;
    }
}

TEST(ParseIndices, InvalidReferencesFail) {
    for (const char* face : {"f 0 1 2", "f 1 2 9", "f -9 1 2", "f 1 2 2147483647", "f -2147483648 1 2"}) {
        Import imp(std::string(kQuadA) + "g a\n" + face + "\n");
        EXPECT_FALSE(imp.run()) << face;
        EXPECT_EQ(imp.error(), "invalid vertex index") << face;
    }
}

// Texture indices equal to the vertex indices (f 1/1 2/2 3/3) are not stored: the vertex indices
// stand for them, numbered the same. A face that breaks the pattern, or polygons without texture
// references at the end, write them out and number them alone.
TEST(ParseTextures, IndicesEqualToTheVertexIndicesAreNotStored) {
    const std::string uv = "vt 0 0\nvt 0.25 0\nvt 0.5 0\nvt 0.75 0\nvt 1 0\n";
    Import same(std::string(kQuadA) + uv + "g a\nf 2/2 3/3 4/4\nf -3/-4 -1/-2 -2/-3\n");
    ASSERT_TRUE(same.run()) << same.error();
    const Mesh& a = same.mesh("a");
    EXPECT_TRUE(a.texCoordsFollowVertices);
    EXPECT_EQ(texIndices(a), (std::vector<int32_t>{0, 1, 2, 0, 2, 1}));
    EXPECT_EQ(texIndices(a), indices(a));
    EXPECT_EQ(a.texCoordCount, 3);
    EXPECT_EQ(a.texCoords[kTexCoordFloats * 2], 0.75f);  // texture vertex 4, the mesh's third

    Import differs(std::string(kQuadA) + uv + "g a\nf 1/1 2/2 3/3\nf 1/1 3/3 4/5\nf 1/1 2/2 3/3\n");
    ASSERT_TRUE(differs.run()) << differs.error();
    const Mesh& d = differs.mesh("a");
    EXPECT_FALSE(d.texCoordsFollowVertices);
    EXPECT_EQ(texIndices(d), (std::vector<int32_t>{0, 1, 2, 0, 2, 3, 0, 1, 2}));
    EXPECT_EQ(indices(d), (std::vector<int32_t>{0, 1, 2, 0, 2, 3, 0, 1, 2}));
    EXPECT_EQ(d.texCoords[kTexCoordFloats * 3], 1.0f);  // texture vertex 5

    // Vertex 4 is used only by the last face, which has no texture references.
    Import shorter(std::string(kQuadA) + uv + "g a\nf 1/1 2/2 3/3\nf 1 3 4\n");
    ASSERT_TRUE(shorter.run()) << shorter.error();
    const Mesh& s = shorter.mesh("a");
    EXPECT_EQ(texIndices(s), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(s.texCoordCount, 3);
    EXPECT_EQ(indices(s), (std::vector<int32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(s.vertexCount, 4);
}

// Indices of every length the usual face route reads (leading zeros make long ones of small
// values), relative ones too; ten digits and more take the general route.
TEST(ParseIndices, DigitsOfEveryLengthReadTheSame) {
    std::string faces = "g a\n";
    std::vector<int32_t> vertices, textures;
    for (int digits = 1; digits <= 11; ++digits) {
        auto spelled = [digits](int value) {
            std::string s = std::to_string(value);
            return std::string(size_t(std::max(0, digits - int(s.size()))), '0') + s;
        };
        faces += "f " + spelled(1) + "/" + spelled(1) + " " + spelled(2) + "/" + spelled(4) + " -" + spelled(1) + "/-" +
                 spelled(2) + "\n";
        vertices.insert(vertices.end(), {0, 1, 2});  // vertices 1, 2 and 4, numbered in file order
        textures.insert(textures.end(), {0, 2, 1});  // texture vertices 1, 4 and 3
    }
    for (size_t window : {size_t(64), kLineBufferSize}) {
        Import imp(std::string(kQuadA) + "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n" + faces, window);
        ASSERT_TRUE(imp.run()) << imp.error();
        EXPECT_EQ(indices(imp.mesh("a")), vertices) << window;
        EXPECT_EQ(texIndices(imp.mesh("a")), textures) << window;
    }
}

// Texture digits that only begin like the vertex digits, or end like them, are read in full: the
// usual route reads each face as the general route (taken by a line with a leading blank) does,
// in windows that put the line at the end of the buffer too.
TEST(ParseTextures, DigitsCloseToTheVertexDigitsReadAsWritten) {
    std::string uv;
    for (int i = 0; i < 40; ++i) uv += "vt " + std::to_string(i) + " 0\n";
    for (const char* face : {"f 1/12 2/2 3/31", "f 1/1 3/31 4/4", "f 3/3 4/40 2/20", "f -1/-12 -2/-2 -3/-30",
                             "f 04/4 4/04 1/001", "f 04/05 3/03 2/2", "f 00000001/00000001 2/00000002 3/000000003",
                             "f 1/1/1 2/2/3 3/3/", "f 2/2 3/3 4/4 1/1",
                             // normals that start or end like the vertex digits
                             "f 1/1/12 2/2/2 3/3/31", "f 1//1 2//21 3//3x", "f 04/4/04 4/04/4 1/1/001",
                             "f -1/-1/-12 -2/-2/-2 -3/-3/-3", "f 1/1/1x 2/2/2 3/3/3"}) {
        for (size_t window : {size_t(32), kLineBufferSize}) {
            Import usual(std::string(kQuadA) + uv + "g a\n" + face + "\n", window);
            Import general(std::string(kQuadA) + uv + "g a\n " + face + "\n", window);
            ASSERT_TRUE(usual.run()) << face << " " << usual.error();
            ASSERT_TRUE(general.run()) << face << " " << general.error();
            EXPECT_EQ(texIndices(usual.mesh("a")), texIndices(general.mesh("a"))) << face << " " << window;
            EXPECT_EQ(indices(usual.mesh("a")), indices(general.mesh("a"))) << face << " " << window;
            EXPECT_EQ(usual.mesh("a").texCoordCount, general.mesh("a").texCoordCount) << face << " " << window;
        }
    }
    // The texture vertices named (12, 2 and 31), in the file's order.
    Import imp(std::string(kQuadA) + uv + "g a\nf 1/12 2/2 3/31\n");
    ASSERT_TRUE(imp.run()) << imp.error();
    EXPECT_EQ(imp.mesh("a").texCoords[0], 1.0f);
    EXPECT_EQ(imp.mesh("a").texCoords[kTexCoordFloats * 1], 11.0f);
    EXPECT_EQ(imp.mesh("a").texCoords[kTexCoordFloats * 2], 30.0f);
}

TEST(ParseTextures, ReferencesDefaultsAndFailures) {
    const std::string uv = "vt 0 0\nvt 1 0\nvt 1 1\n";
    Import zero(std::string(kQuadA) + uv + "g a\nf 1/0 2/0 3/0\n");
    ASSERT_TRUE(zero.run()) << zero.error();
    EXPECT_EQ(texIndices(zero.mesh("a")), (std::vector<int32_t>{0, 0, 0}));

    Import repeat(std::string(kQuadA) + uv + "g a\nf 1/1 2 3/3\n");
    ASSERT_TRUE(repeat.run()) << repeat.error();
    EXPECT_EQ(texIndices(repeat.mesh("a")), (std::vector<int32_t>{0, 0, 1}));  // texture vertices 1 and 3
    EXPECT_EQ(repeat.mesh("a").texCoordCount, 2);
    EXPECT_EQ(repeat.mesh("a").polygonTexCoordCounts[0], 3);

    Import none(std::string(kQuadA) + uv + "g a\nf 1 2/2 3/3\n");  // the first corner decides
    ASSERT_TRUE(none.run());
    EXPECT_EQ(none.mesh("a").texCoordIndexFill, 0);

    Import before("vt 0 0\nvt 1 0\nvt 1 1\n" + std::string(kQuadA) + "g a\nf 1/1 2/2 3/3\n");
    ASSERT_TRUE(before.run()) << before.error();
    EXPECT_EQ(before.mesh("a").texCoords[kTexCoordFloats * 1], 1.0f);  // u of texture vertex 2 is 1

    for (const char* face : {"f 1/4 2/1 3/1", "f 1/-4 2/1 3/1"}) {
        Import bad(std::string(kQuadA) + uv + "g a\n" + face + "\n");
        EXPECT_FALSE(bad.run()) << face;
        EXPECT_EQ(bad.error(), "invalid texture index") << face;
    }

    Import off("vt 0 0\nvt 1 0\nvt 1 1\n" + std::string(kQuadA) + "g a\nf 1/1 2/2 3/3\n");
    off.option([](ImportOptions& o) { o.textureCoords = false; });
    ASSERT_TRUE(off.run()) << off.error();
    EXPECT_EQ(off.mesh("a").texCoordCount, 0);
}

TEST(ParseClusters, OneMeshNamedAfterTheFileWithAClusterPerGroup) {
    Import imp(std::string("g a\n") + kQuadA + "f 1 2 3 4\ng b\n" + kQuadB + "f 5 6 7\nf 8 7 6\ng c\nf 1 2 3\n");
    imp.option([](ImportOptions& o) { o.importAsClusters = true; });
    ASSERT_TRUE(imp.run("?")) << imp.error();
    ASSERT_EQ(imp.importer.meshes.size(), 1u);
    const Mesh& m = imp.mesh("file");
    EXPECT_EQ(m.vertexCount, 8);
    EXPECT_EQ(m.polygonCount, 4);
    EXPECT_EQ(indices(m), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 6, 5, 0, 1, 2}));
    EXPECT_EQ(position(m, 7), (std::vector<float>{0, 1, 5}));
    auto cluster = [&](const char* name) {
        const auto& c = imp.importer.findObject(name)->clusterPolygons;
        return std::vector<long>(c.GetArray(), c.GetArray() + c.GetCount());
    };
    EXPECT_EQ(cluster("a"), (std::vector<long>{0}));
    EXPECT_EQ(cluster("b"), (std::vector<long>{1, 2}));
    EXPECT_EQ(cluster("c"), (std::vector<long>{3}));
}

TEST(ParseClusters, FacesMayNameLaterVerticesAndDeselectedGroupsAreSkipped) {
    Import imp("g a\nf 1 2 3\nv 0 0 0\nv 1 0 0\nv 1 1 0\ng b\nf 1 2 3\n");
    imp.option([](ImportOptions& o) { o.importAsClusters = true; });
    ASSERT_TRUE(imp.run("b")) << imp.error();
    const Mesh& m = imp.mesh("file");
    EXPECT_EQ(m.polygonCount, 1);
    EXPECT_EQ(position(m, 2), (std::vector<float>{1, 1, 0}));
}

TEST(ParsePositions, ScaleFlipAndLimits) {
    Import imp("v 1 2 3\ng a\nf 1 1 1\n");
    imp.option([](ImportOptions& o) {
        o.flipZY = true;
        o.objectScale = 2.0f;
    });
    ASSERT_TRUE(imp.run());
    EXPECT_EQ(position(imp.mesh("a"), 0), (std::vector<float>{2, 6, -4}));

    Import edge("v 1e8 -1e8 0\ng a\nf 1 1 1\n");
    EXPECT_TRUE(edge.run()) << edge.error();
    for (const char* v : {"v 2e8 0 0", "v 0 0 1e400", "v 0 -1e39 0"}) {
        Import big(std::string(v) + "\ng a\nf 1 1 1\n");
        EXPECT_FALSE(big.run()) << v;
        EXPECT_EQ(big.error(), "vertex coordinate too big\nadjust vertex-scale");
    }
    for (const char* v : {"v 0 0 nan", "v inf 0 0", "v 0 -INFINITY 0", "v +NaN 1 1"}) {
        Import notNumber(std::string(v) + "\ng a\nf 1 1 1\n");
        EXPECT_FALSE(notNumber.run()) << v;
        EXPECT_STREQ(notNumber.error().c_str(), loadText(IDS_COORDINATE_NOT_FINITE)) << v;
    }
    Import scaled("v 1e8 0 0\ng a\nf 1 1 1\n");
    scaled.option([](ImportOptions& o) { o.objectScale = 2.0f; });
    EXPECT_FALSE(scaled.run());
    float ok[3] = {1e8f, -1e8f, 0}, nan[3] = {0, 0, std::nanf("")};
    EXPECT_TRUE(isUsablePosition(ok));
    EXPECT_FALSE(isUsablePosition(nan));
}

// Errors name the physical line they were found at, whatever the line ends, the read window or
// the continued lines before them; a continued line is named by the line it began on.
TEST(ParseErrors, NameTheLineTheyWereFoundAt) {
    struct Case {
        std::string file;
        uint64_t line;
        int text;
    };
    const std::vector<Case> cases = {
        {"v 0 0 0\n\n# note\ng a\nf 1 2 3\n", 5, IDS_INVALID_VERTEX_INDEX},
        {"v 0 0 0\r\n\r\n# note\r\ng a\r\nf 1 2 3\r\n", 5, IDS_INVALID_VERTEX_INDEX},
        {"v 0 0 0\r\r# note\rg a\rf 1 2 3\r", 5, IDS_INVALID_VERTEX_INDEX},
        {std::string(kQuadA) + "g a\nf 1 \\\n 2 \\\n 9\n", 6, IDS_INVALID_VERTEX_INDEX},
        {std::string(kQuadA) + "g a\nf 1 \\\n 2 3\nvt 0 0\nf 1/1 2/2 3/5\n", 9, IDS_INVALID_TEXTURE_INDEX},
        {"g a\nv 0 0 0\nv 1 nan 0\nf 1 2 1\n", 3, IDS_COORDINATE_NOT_FINITE},
        {"g a\nv 0 0 0\n\n\nv 3e8 0 0\nf 1 2 1\n", 5, IDS_COORDINATE_TOO_BIG},
        {"g a\nv 0 0 0\nvt 0 0\nvt 0.5 nan\nf 1/1 1/2 1/1\n", 4, IDS_TEXCOORD_NOT_FINITE},
        {"g a\nv 0 0 0\nvt -inf 0\nf 1/1 1/1 1/1\n", 3, IDS_TEXCOORD_NOT_FINITE},
        {"g a\nv 0 0 0\nvt 0 0 1e39\nf 1/1 1/1 1/1\n", 3, IDS_TEXCOORD_NOT_FINITE},
    };
    for (size_t window : {size_t(8), kLineBufferSize}) {
        for (const Case& c : cases) {
            Import imp(c.file, window);
            EXPECT_FALSE(imp.run()) << c.file;
            EXPECT_STREQ(imp.error().c_str(), loadText(c.text)) << c.file;
            EXPECT_EQ(imp.importer.errorLine, c.line) << c.file << " window " << window;
        }
    }
}

TEST(ParseMaterials, IndicesAndWarnings) {
    Import imp(std::string(kQuadA) + "f 1 2 3\ng a\nusemtl Red\nf 1 2 3\nusemtl red\nf 1 2 3\nusemtl blue\nf 1 2 3\n"
               "usemtl blue\nusemtl default\nUSEMTL green\nf 1 2 3\n");
    imp.material("red").material("green");
    ASSERT_TRUE(imp.run()) << imp.error();
    EXPECT_EQ(imp.importer.warnings, std::vector<std::string>{"Material \"blue\" not found"});
    const Mesh& a = imp.mesh("a");
    EXPECT_EQ(a.polygonMaterials[0], 0);  // Red: no exact record, the one ignoring case
    EXPECT_EQ(a.polygonMaterials[1], 0);
    EXPECT_EQ(a.polygonMaterials[2], 2);
    EXPECT_EQ(a.polygonMaterials[3], 1);  // USEMTL is recognised
    // Polygons before any usemtl take the record named "default" (none here: no material).
    EXPECT_EQ(imp.mesh("default").polygonMaterials[0], 2);
}

// Missing materials named again and again, between groups and other names: one warning per name,
// in the order met, and each polygon keeps the index of the name in force.
TEST(ParseMaterials, RepeatedMissingNamesWarnOnceEach) {
    std::string file = std::string(kQuadA) + "g a\n";
    for (int i = 0; i < 3; ++i) file += "usemtl blue\nf 1 2 3\ng b\nusemtl Green\nf 1 2 3\ng a\nusemtl red\nf 1 2 3\n";
    Import imp(file);
    imp.material("red");
    ASSERT_TRUE(imp.run()) << imp.error();
    EXPECT_EQ(imp.importer.warnings,
              (std::vector<std::string>{"Material \"blue\" not found", "Material \"Green\" not found"}));
    EXPECT_EQ(imp.mesh("a").polygonMaterials[0], 1);
    EXPECT_EQ(imp.mesh("a").polygonMaterials[1], 0);
    EXPECT_EQ(imp.mesh("b").polygonMaterials[2], 1);
}

TEST(ParseMaterials, NoWarningsForDeselectedObjectsOrWithoutMaterials) {
    Import imp(std::string(kQuadA) + "g a\nusemtl Red\nf 1 2 3\ng b\nusemtl Blue\nf 1 2 3\n");
    ASSERT_TRUE(imp.run("a"));
    EXPECT_EQ(imp.importer.warnings, std::vector<std::string>{"Material \"Red\" not found"});
    Import off(std::string(kQuadA) + "g a\nusemtl Red\nf 1 2 3\n");
    off.option([](ImportOptions& o) { o.importMaterials = false; });
    ASSERT_TRUE(off.run());
    EXPECT_TRUE(off.importer.warnings.empty());
}

TEST(ParseSelection, DeselectedDefaultIsSkippedAndIgnoredStatementsChangeNothing) {
    std::string file = std::string(kQuadA) + "f 1 2 3\ng a\ns 1\nl 1 2\nvp 0.5\nvn 0 0 1\noff\nf 1 2 3//1\n";
    Import imp(file);
    ASSERT_TRUE(imp.run("a")) << imp.error();
    ASSERT_EQ(imp.importer.meshes.size(), 1u);
    EXPECT_EQ(indices(imp.mesh("a")), (std::vector<int32_t>{0, 1, 2}));
}

TEST(ParseLines, LongFaceLinesAreReadWholeWhateverTheWindow) {
    std::string face = "f";
    for (int i = 1; i <= 200; ++i) face += " " + std::to_string(1 + i % 4);
    for (size_t window : {size_t(16), kLineBufferSize}) {
        Import imp(std::string("g a\n") + kQuadA + face + "\r\n" + face + "\n", window);
        ASSERT_TRUE(imp.run()) << imp.error();
        EXPECT_EQ(imp.mesh("a").polygonCount, 2);
        EXPECT_EQ(imp.mesh("a").vertexIndexFill, 400);
    }
}

// A face of more corners than a polygon keeps loses the rest and says so, naming its line; one
// that just fits is kept whole without a word.
TEST(ParseLines, FacesBeyondTheCornerLimitAreCutWithAWarning) {
    auto faceOf = [](int corners) {
        std::string face = "f";
        for (int i = 0; i < corners; ++i) face += " " + std::to_string(1 + i % 4) + "/" + std::to_string(1 + i % 4);
        return face + "\n";
    };
    const std::string uvs = "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    Import imp(std::string("g a\n") + kQuadA + uvs + faceOf(19998) + faceOf(19999) + faceOf(25000) + "f 1 2 3\n");
    ASSERT_TRUE(imp.run()) << imp.error();
    const Mesh& m = imp.mesh("a");
    ASSERT_EQ(m.polygonCount, 4);
    EXPECT_EQ(m.polygonSizes[0], 19998);
    EXPECT_EQ(m.polygonSizes[1], 19998);
    EXPECT_EQ(m.polygonSizes[2], 19998);
    EXPECT_EQ(m.polygonSizes[3], 3);
    EXPECT_EQ(m.texCoordIndexFill, 3 * 19998);
    EXPECT_EQ(indices(m).back(), 2);  // the last face follows the cut ones unharmed
    ASSERT_EQ(imp.importer.warnings.size(), 1u);
    EXPECT_EQ(imp.importer.warnings[0], "2 face(s) cut to their first 19998 corners, the first at line 11");

    Import whole(std::string("g a\n") + kQuadA + uvs + faceOf(19998));
    ASSERT_TRUE(whole.run()) << whole.error();
    EXPECT_TRUE(whole.importer.warnings.empty());
}

TEST(ParseRobustness, FacesBeforeTheirVerticesAreErrorsExceptInClusterMode) {
    const std::string file = "g a\nf 1 1 1\ng b\nv 0 0 0\nf 1 1 1\n";
    Import separate(file);
    EXPECT_FALSE(separate.run());
    EXPECT_EQ(separate.error(), "invalid vertex index");
    EXPECT_EQ(separate.importer.errorLine, 2u);
    Import clusters(file);
    clusters.option([](ImportOptions& o) { o.importAsClusters = true; });
    ASSERT_TRUE(clusters.run()) << clusters.error();
    EXPECT_EQ(clusters.mesh("file").polygonCount, 2);
    EXPECT_EQ(clusters.mesh("file").vertexCount, 1);
}

TEST(ParseRobustness, MorePolygonsThanCountedFailsInsteadOfOverrunning) {
    Import imp(std::string(kQuadA) + "g a\nf 1 2 3\n");
    imp.prescan();
    selectObjects(imp.importer, "*");
    imp.importer.objects[0]->indexCount = 2;  // as if the file grew between the passes
    runParse(imp.importer, imp.link);
    EXPECT_TRUE(imp.importer.aborted);
    EXPECT_EQ(imp.error(), "polygon-index error");
}

// The file lost a face between the passes: each mesh keeps the polygons its record received and
// nothing unfilled, the other meshes stay whole.
TEST(ParseRobustness, FewerFacesOnTheSecondReadKeepWhatWasStored) {
    Import imp(std::string(kQuadA) + "g a\nf 1 2 3\nf 2 3 4\ng b\nf 1 2 3\nf 2 3 4\n");
    imp.prescan();
    selectObjects(imp.importer, "*");
    const std::string changed = std::string(kQuadA) + "g a\nf 1 2 3\ng b\nf 1 2 3\nf 2 3 4\n";
    MemorySource second(changed.data(), changed.size());
    imp.importer.objFile = &second;
    runParse(imp.importer, imp.link);
    ASSERT_FALSE(imp.importer.aborted) << imp.error();
    EXPECT_EQ(imp.mesh("a").polygonCount, 1);
    EXPECT_EQ(imp.mesh("a").vertexCount, 3);
    EXPECT_EQ(imp.mesh("b").polygonCount, 2);
}

TEST(ParseRun, MessagesAndCancel) {
    Import imp(std::string(kQuadA) + "g a\nf 1 2 3\n");
    ASSERT_TRUE(imp.run());
    const auto& m = imp.link.messages;
    auto it = std::find_if(m.begin(), m.end(), [](const test::SentMessage& s) { return s.code == DialogMessage::Phase; });
    ASSERT_NE(it, m.end());
    EXPECT_EQ(it->wParam, uintptr_t(IDS_CREATING_MESH));
    EXPECT_EQ(imp.link.count(DialogMessage::CurrentObject), 1);
    EXPECT_EQ(m.back().code, DialogMessage::ReadingDone);
    EXPECT_EQ(m[m.size() - 2].code, DialogMessage::Fraction);

    std::string big;
    for (int i = 0; i < 300; ++i) big += "g g" + std::to_string(i) + "\nv 0 0 0\nf 1 1 1\n";
    Import cancelled(big);
    cancelled.prescan();
    selectObjects(cancelled.importer, "*");
    cancelled.link.cancelFlag = &cancelled.importer.aborted;
    cancelled.link.cancelAfter = cancelled.link.messages.size() + 5;
    runParse(cancelled.importer, cancelled.link);
    EXPECT_TRUE(cancelled.importer.aborted);
    EXPECT_EQ(cancelled.error(), "");
    EXPECT_EQ(cancelled.importer.errorLine, 0u);
    EXPECT_EQ(cancelled.link.messages.back().code, DialogMessage::ReadingFailed);
}

TEST(ParseRun, EmptyFileParsesAndStoresNothing) {
    Import imp("");
    imp.prescan();
    runParse(imp.importer, imp.link);
    EXPECT_FALSE(imp.importer.aborted);
    EXPECT_TRUE(imp.importer.meshes.empty());
}

}  // namespace
}  // namespace qf
