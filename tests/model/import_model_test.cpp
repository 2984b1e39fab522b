#include "model/import_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "host/scene_memory.h"
#include "model/fixed_text.h"
#include "model/mtl_material.h"

namespace qf {
namespace {

ObjectInfo& addObject(ObjImporter& imp, const char* name, bool selected = false) {
    imp.objects.push_back(std::make_unique<ObjectInfo>());
    copyBounded(imp.objects.back()->name, name);
    imp.objects.back()->selected = selected;
    return *imp.objects.back();
}

TEST(ImportModel, DefaultsOfANewImporter) {
    ObjImporter imp;
    EXPECT_FALSE(imp.aborted);
    EXPECT_TRUE(imp.options.replaceScene);
    EXPECT_FALSE(imp.options.importAsClusters);
    EXPECT_TRUE(imp.options.centerPivots);
    EXPECT_TRUE(imp.options.textureCoords);
    EXPECT_FALSE(imp.options.importNormals);
    EXPECT_EQ(imp.options.objectScale, 1.0f);
    EXPECT_TRUE(imp.options.importMaterials);
    EXPECT_EQ(imp.options.defaultBump, 0.2f);
    EXPECT_TRUE(imp.askForMissingMaps);
    EXPECT_STREQ(imp.errorText, "");
    ObjectInfo o;
    EXPECT_STREQ(o.name, "default");
    EXPECT_EQ(o.maxVertexIndex, -1);
}

TEST(ImportModel, LookupsCompareNamesExactly) {
    ObjImporter imp;
    addObject(imp, "box", true);
    addObject(imp, "Box");
    EXPECT_EQ(imp.findObject("BOX"), nullptr);
    EXPECT_EQ(imp.findObject("Box"), imp.objects[1].get());
    EXPECT_EQ(imp.countSelectedObjects(), 1);
}

TEST(ImportModel, MaterialIndexOf) {
    ObjImporter imp;
    EXPECT_EQ(imp.materialIndexOf(""), 0);
    EXPECT_EQ(imp.materialIndexOf("red"), 0);  // the size of an empty list
    imp.materials.push_back(std::make_unique<MtlMaterial>());
    imp.materials.back()->name = "red";
    imp.materials.push_back(std::make_unique<MtlMaterial>());
    imp.materials.back()->name = "blue";
    EXPECT_EQ(imp.materialIndexOf("blue"), 1);
    EXPECT_EQ(imp.materialIndexOf("Blue"), 1);  // no record of that name: the one ignoring case
    EXPECT_EQ(imp.materialIndexOf("teal"), 2);
    // Records read after a lookup are found too; of two records of one name, the first; a name
    // spelt exactly so comes before one that differs in case.
    for (const char* name : {"green", "red", "Blue"}) {
        imp.materials.push_back(std::make_unique<MtlMaterial>());
        imp.materials.back()->name = name;
    }
    EXPECT_EQ(imp.materialIndexOf("green"), 2);
    EXPECT_EQ(imp.materialIndexOf("red"), 0);
    EXPECT_EQ(imp.materialIndexOf("Blue"), 4);
    EXPECT_EQ(imp.materialIndexOf("BLUE"), 1);
}

TEST(ImportModel, WarningsAreUniqueIgnoringCaseLibrariesExactly) {
    ObjImporter imp;
    imp.addWarning("Material \"Red\" not found");
    imp.addWarning("material \"red\" NOT found");
    EXPECT_EQ(imp.warnings, std::vector<std::string>{"Material \"Red\" not found"});
    imp.addMaterialLibrary("a.mtl");
    imp.addMaterialLibrary("A.mtl");
    imp.addMaterialLibrary("a.mtl");
    EXPECT_EQ(imp.materialLibraries, (std::vector<std::string>{"a.mtl", "A.mtl"}));
}

TEST(ImportModel, MeshArraysAreSizedOnceAndZeroed) {
    Mesh mesh;
    ASSERT_TRUE(mesh.resizeVertices(4));
    ASSERT_TRUE(mesh.allocTexCoords(2));
    ASSERT_TRUE(mesh.allocPolygons(2, 7));
    EXPECT_EQ(mesh.vertices.size(), 12u);
    EXPECT_EQ(mesh.texCoords.size(), 2 * kTexCoordFloats);
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(mesh.texCoordIndices[i], 0);
    const int32_t quad[] = {0, 1, 2, 3}, tri[] = {1, 2, 3};
    mesh.setPolygonVertices(0, 4, quad, 5);
    mesh.setPolygonTexCoords(0, 4, quad);
    mesh.setPolygonVertices(1, 3, tri, 2);
    EXPECT_EQ(mesh.vertexIndexFill, 7);
    EXPECT_EQ(mesh.texCoordIndexFill, 4);
    EXPECT_EQ(mesh.vertexIndices[4], 1);
    EXPECT_TRUE(mesh.usesMaterial(2));
    EXPECT_FALSE(mesh.usesMaterial(3));
    XSI::CLongArray polys;
    mesh.collectPolygonsWithMaterial(5, polys, 10);
    ASSERT_EQ(polys.GetCount(), 1);
    EXPECT_EQ(polys[0], 10);
}

// Texture indices are read through texCoordIndexArray: the vertex indices while every one stored
// equals the vertex index at the same place, their own array once one differs, written out then
// with the ones before. A polygon without texture references shifts the places, not the rule.
TEST(ImportModel, TextureIndicesFollowTheVertexIndicesUntilOneDiffers) {
    Mesh mesh;
    ASSERT_TRUE(mesh.allocPolygons(4, 13));
    const int32_t tri[] = {0, 1, 2}, next[] = {2, 3, 4}, quad[] = {4, 5, 6, 7};
    mesh.setPolygonVertices(0, 3, tri, 0);
    mesh.setPolygonTexCoords(0, 3, tri);
    mesh.setPolygonVertices(1, 3, next, 0);  // no texture references
    mesh.setPolygonVertices(2, 4, quad, 0);
    const int32_t shifted[] = {2, 3, 4, 4};  // the vertex indices at places 3 to 6
    mesh.setPolygonTexCoords(2, 4, shifted);
    EXPECT_TRUE(mesh.texCoordsFollowVertices);
    EXPECT_EQ(mesh.texCoordIndices[4], 0);  // nothing written
    const int32_t other[] = {4, 5, 6};
    mesh.setPolygonVertices(3, 3, other, 0);
    mesh.setPolygonTexCoords(3, 3, other);  // places 7 to 9 hold 5, 6, 7
    EXPECT_FALSE(mesh.texCoordsFollowVertices);
    const FixedArray<int32_t>& tex = mesh.texCoordIndexArray();
    EXPECT_EQ(tex.data(), mesh.texCoordIndices.data());
    EXPECT_EQ(std::vector<int32_t>(tex.data(), tex.data() + mesh.texCoordIndexFill),
              (std::vector<int32_t>{0, 1, 2, 2, 3, 4, 4, 4, 5, 6}));

    Mesh untextured;
    ASSERT_TRUE(untextured.allocPolygons(1, 3, false));
    EXPECT_FALSE(untextured.texCoordsFollowVertices);
}

// A column reads as the array it stands for, written polygon by polygon (polygons never set, as
// faces without texture references leave them, read 0), and writes its entries only once the
// values differ.
TEST(ImportModel, PolygonColumnReadsAsTheArrayItStandsFor) {
    constexpr int32_t kPolygons = 12;
    struct Case {
        const char* what;
        std::vector<int32_t> values;  // -1: not set
    };
    const std::vector<Case> cases = {
        {"uniform", std::vector<int32_t>(kPolygons, 3)},
        {"uniform zeros", std::vector<int32_t>(kPolygons, 0)},
        {"changes at the end", {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4}},
        {"changes at the second", {3, 4, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},
        {"a gap inside the run", {3, 3, -1, 3, 3, 3, 3, 3, 3, 3, 3, 3}},
        {"starts with a gap", {-1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},
        {"ends unset", {3, 3, 3, 3, 3, 3, 3, 3, -1, -1, -1, -1}},
        {"none set", std::vector<int32_t>(kPolygons, -1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PolygonColumn column;
        ASSERT_TRUE(column.entries.allocate(kPolygons));
        for (int32_t p = 0; p < kPolygons; ++p)
            if (c.values[size_t(p)] >= 0) column.set(p, c.values[size_t(p)]);
        bool allEqual = true;
        for (size_t p = 0; p < size_t(kPolygons); ++p) {
            const int32_t expected = std::max(c.values[p], 0);
            EXPECT_EQ(column[p], expected) << "polygon " << p;
            allEqual = allEqual && c.values[p] == c.values[0] && c.values[p] >= 0;
        }
        EXPECT_EQ(column.uniformOver(kPolygons), allEqual);
        if (column.uniform()) {
            for (size_t p = 0; p < size_t(kPolygons); ++p) EXPECT_EQ(column.entries[p], 0);  // never written
        }
        column.release();
        EXPECT_TRUE(column.empty());
        EXPECT_EQ(column[0], 0);
    }
}

// Arrays of an arena come back in any order; no entry of an array still out may be lost, and
// (where the system takes pages back) the pages of arrays that came back read as zeros.
TEST(ImportModel, ArenaTakesSmallArraysBackOnlyBehindEveryArrayStillOut) {
    MeshArena arena;
    constexpr size_t kCount = 300001;  // about 1.2 MB each: whole pages, and an odd end
    ASSERT_TRUE(arena.reserve(4 * MeshArena::roundUp(kCount * 4)));
    FixedArray<int32_t> a, b, c, d;
    for (auto* array : {&a, &b, &c, &d}) {
        ASSERT_TRUE(arena.take(*array, kCount));
        for (size_t i = 0; i < kCount; ++i) (*array)[i] = 7;
    }
    auto untouched = [&](const FixedArray<int32_t>& array) {
        for (size_t i = 0; i < kCount; ++i)
            if (array[i] != 7) return false;
        return true;
    };
    arena.giveBack(c.data(), kCount * 4);  // out of order: a and b are still out
    EXPECT_TRUE(untouched(a) && untouched(b) && untouched(d));
    EXPECT_EQ(c[kCount / 2], 7);
    arena.giveBack(a.data(), kCount * 4);
    EXPECT_TRUE(untouched(b) && untouched(d));
    arena.giveBack(b.data(), kCount * 4);  // a, b and c are back now
    EXPECT_TRUE(untouched(d));
#if defined(__linux__)
    // Their whole pages went to the scene's memory, or else to the system and read as zeros.
    if (arena.adoptedBytes() > 0) {
        EXPECT_GE(arena.adoptedBytes(), 3 * kCount * 4 - 4096);
    } else {
        EXPECT_EQ(a[kCount / 2], 0);
        EXPECT_EQ(c[kCount / 2], 0);
    }
#endif
    // Small arrays given back in order go back a megabyte at a time, the rest once all are back.
    MeshArena small;
    constexpr size_t kSmall = 1000;
    constexpr size_t kSmallArrays = MeshArena::kReturnBatchBytes / (kSmall * 4) / 2;
    ASSERT_TRUE(small.reserve(kSmallArrays * MeshArena::roundUp(kSmall * 4)));
    std::vector<FixedArray<int32_t>> pieces(kSmallArrays);
    for (auto& piece : pieces) {
        ASSERT_TRUE(small.take(piece, kSmall));
        std::fill(piece.data(), piece.data() + kSmall, 7);
    }
    for (size_t i = 0; i + 1 < kSmallArrays; ++i) small.giveBack(pieces[i].data(), kSmall * 4);
    const size_t middle = kSmallArrays / 2;  // away from the block's partial first and last pages
    EXPECT_EQ(pieces[middle][0], 7);            // less than a megabyte back: kept for now
    small.giveBack(pieces.back().data(), kSmall * 4);
#if defined(__linux__)
    EXPECT_EQ(pieces[middle][0], 0);
#endif
    // A large array goes back at once, even with arrays before it still out.
    MeshArena large;
    constexpr size_t kLarge = MeshArena::kEarlyReturnBytes / 4 + 1001;
    ASSERT_TRUE(large.reserve(2 * MeshArena::roundUp(kLarge * 4)));
    FixedArray<int32_t> first, second;
    ASSERT_TRUE(large.take(first, kLarge) && large.take(second, kLarge));
    std::fill(first.data(), first.data() + kLarge, 7);
    std::fill(second.data(), second.data() + kLarge, 7);
    large.giveBack(second.data(), kLarge * 4);
    EXPECT_EQ(first[kLarge - 1], 7);
#if defined(__linux__)
    EXPECT_EQ(second[kLarge / 2], 0);
#endif
    // A mesh gives back its front pages while it is read; the rest stays.
    Mesh mesh;
    ASSERT_TRUE(mesh.resizeVertices(int32_t(kCount)));
    for (size_t i = 0; i < mesh.vertices.size(); ++i) mesh.vertices[i] = 1.0f;
    mesh.giveBackFront(mesh.vertices, kCount);
    for (size_t i = kCount; i < mesh.vertices.size(); ++i) ASSERT_EQ(mesh.vertices[i], 1.0f);
    mesh.giveBackArrays();
    EXPECT_TRUE(mesh.vertices.empty());
    EXPECT_EQ(mesh.vertexCount, int32_t(kCount));
}

// Pages an arena is done with serve the scene's next blocks; the arrays still out keep their
// entries, and the pages stay the scene's when the arena goes.
TEST(ImportModel, ArenaHandsThePagesEveryArrayLeftToTheScene) {
    constexpr size_t kCount = 1 << 20;  // 4 MB each, a block of its own mapping
    auto arena = std::make_unique<MeshArena>();
    ASSERT_TRUE(arena->reserve(3 * MeshArena::roundUp(kCount * 4)));
    FixedArray<int32_t> a, b, kept;
    for (auto* array : {&a, &b, &kept}) {
        ASSERT_TRUE(arena->take(*array, kCount));
        std::fill(array->data(), array->data() + kCount, 7);
    }
    const int32_t* keptData = kept.data();
    arena->giveBack(a.data(), kCount * 4);
    arena->giveBack(b.data(), kCount * 4);
    a.release();
    b.release();
    if (arena->adoptedBytes() == 0) GTEST_SKIP() << "the scene's memory takes no pages here";
    EXPECT_GE(arena->adoptedBytes(), 2 * kCount * 4 - 4096);

    // Small scene blocks, written whole, until one lies in the pages handed over.
    const auto* adoptedBegin = reinterpret_cast<const unsigned char*>(keptData) - arena->adoptedBytes();
    std::vector<unsigned char*> blocks;
    bool landedInside = false;
    for (int i = 0; i < 20000 && !landedInside; ++i) {
        auto* block = static_cast<unsigned char*>(XSI::standin::allocateSceneMemory(1000));
        std::memset(block, 0x5a, 1000);
        blocks.push_back(block);
        landedInside = block >= adoptedBegin && block < reinterpret_cast<const unsigned char*>(keptData);
    }
    EXPECT_TRUE(landedInside) << "the scene took new memory while pages were handed over";
    for (size_t i = 0; i < kCount; ++i) ASSERT_EQ(kept[i], 7) << "an array still out was written to";

    kept.release();
    arena.reset();  // the rest of the block goes; the pages handed over stay
    for (unsigned char* block : blocks) {
        std::memset(block, 0x33, 1000);
        EXPECT_EQ(block[999], 0x33);
        XSI::standin::freeSceneMemory(block, 1000);
    }
}

// A run of an array handed out whole goes back exactly to its end: the run behind it may start
// in the same page, and its first bytes must stay, even where the run's size rounded up to the
// arena's padding would reach the page's end.
TEST(ImportModel, ArenaTakesARunBackExactlyToItsEnd) {
    constexpr size_t kCount = size_t(3) << 18;  // 3 MB of floats: a block of the C heap, whose pages go back
    for (const bool exact : {true, false}) {
        MeshArena arena;
        FixedArray<float> all;
        ASSERT_TRUE(arena.reserve(MeshArena::roundUp(kCount * 4)) && arena.take(all, kCount));
        std::fill(all.data(), all.data() + kCount, 1.0f);
        // The run ends four bytes before a page boundary more than a megabyte in.
        const uintptr_t begin = reinterpret_cast<uintptr_t>(all.data());
        const uintptr_t boundary = (begin + (size_t(5) << 18) + 4095) & ~uintptr_t(4095);
        const size_t runBytes = size_t(boundary - 4 - begin);
        arena.giveBack(all.data(), runBytes, exact);
        const float behind = all[runBytes / 4];
        if (exact) EXPECT_EQ(behind, 1.0f);
        else if (behind != 0.0f) GTEST_SKIP() << "no pages go back here";  // the padding reached the boundary
    }
}

TEST(ImportModel, RefusedSizesFailCleanly) {
    Mesh mesh;
    EXPECT_FALSE(mesh.resizeVertices(-1));
    EXPECT_EQ(mesh.vertexCount, 0);
    EXPECT_FALSE(mesh.allocPolygons(1, -3));
    EXPECT_EQ(mesh.polygonCount, 0);
}

TEST(ImportModel, AddCountsRefusesSumsBeyondTheRange) {
    ObjectInfo a, b;
    a.vertexCount = 5;
    b.vertexCount = 7;
    b.indexCount = 3;
    EXPECT_TRUE(a.addCounts(b));
    EXPECT_EQ(a.vertexCount, 12);
    a.indexCount = 2147483647;
    EXPECT_FALSE(a.addCounts(b));
    EXPECT_EQ(a.vertexCount, 12);
}

TEST(ImportModel, ErrorTextsAreFormattedAndBounded) {
    ObjImporter imp;
    imp.setError(118, 1234);
    EXPECT_STREQ(imp.errorText, "not enough memory to create 1234 vertices");
    char small[5];
    copyBounded(small, "abcdefgh");
    EXPECT_STREQ(small, "abcd");
}

TEST(ImportModel, DestroyingAnUnusedImporterIsHarmless) {
    auto imp = std::make_unique<ObjImporter>();
    imp.reset();
    SUCCEED();
}

}  // namespace
}  // namespace qf

namespace qf {
namespace {

TEST(ImportModel, LookupByNameFollowsAppendsAndRenames) {
    ObjImporter imp;
    ObjectInfo& a = imp.appendObject("a");
    imp.appendObject("b");
    EXPECT_EQ(imp.findObject("a"), &a);
    imp.renameObject(a, "c");
    EXPECT_EQ(imp.findObject("a"), nullptr);
    EXPECT_EQ(imp.findObject("c"), &a);
    // A rename onto a taken name: the first record in list order wins, as before.
    ObjectInfo& d = imp.appendObject("d");
    imp.renameObject(d, "b");
    EXPECT_EQ(imp.findObject("b"), imp.objects[1].get());
    imp.renameObject(*imp.objects[1], "e");
    EXPECT_EQ(imp.findObject("b"), &d);
    // Records added without the helper are found too.
    imp.objects.push_back(std::make_unique<ObjectInfo>());
    EXPECT_EQ(imp.findObject("default"), imp.objects.back().get());
}

}  // namespace
}  // namespace qf
