#include "scene/mesh_builder.h"

#include <gtest/gtest.h>

#include "model/mtl_material.h"
#include "obj/obj_parser.h"
#include "support/scene_access.h"
#include "support/test_support.h"

namespace qf {
namespace {

// The texture coordinates (0.25, 0.5) and (0.75, 1), and room for the polygons.
void prepareMesh(Mesh& mesh, int32_t polygons, int32_t corners) {
    mesh.allocTexCoords(2);
    const float uv[] = {0.25f, 0.5f, 0.75f, 1};
    std::copy(uv, uv + 4, mesh.texCoords.data());
    mesh.allocPolygons(polygons, corners);
}

TEST(MeshBuilder, NodeValuesFollowThePolygonsThatHaveTextures) {
    Mesh mesh;
    prepareMesh(mesh, 2, 6);
    const int32_t tri[] = {0, 1, 2}, tex[] = {1, 0, 1};
    mesh.setPolygonVertices(0, 3, tri, 0);  // no texture references
    mesh.setPolygonVertices(1, 3, tri, 0);
    mesh.setPolygonTexCoords(1, 3, tex);
    FixedArray<float> values;
    nodeValues(mesh, values);
    const std::vector<float> expected{0, 0, 0, 0, 0, 0, 0, 0, 0, 0.75f, 1, 0, 0.25f, 0.5f, 0, 0.75f, 1, 0};
    EXPECT_EQ(std::vector<float>(values.data(), values.data() + values.size()), expected);
    // Read in parts that end inside a polygon, the same values come out.
    for (size_t part = 1; part <= 4; ++part) {
        NodeValueReader reader(mesh);
        std::vector<float> read(expected.size() + 3 * part, -1.0f);
        size_t at = 0;
        while (size_t n = reader.read(&read[at * 3], part)) at += n;
        EXPECT_EQ(at, 6u);
        read.resize(at * 3);
        EXPECT_EQ(read, expected) << "parts of " << part;
    }
}

// Values come out the same whether a part holds whole textured polygons or ends inside one: an
// index out of range gives (0, 0, 0), and so do the corners past the last stored index.
TEST(MeshBuilder, NodeValuesOfMixedPolygonsAndMissingIndices) {
    Mesh mesh;
    prepareMesh(mesh, 3, 11);
    const int32_t quad[] = {0, 1, 2, 3}, tex[] = {1, 7, -1, 0};
    mesh.setPolygonVertices(0, 4, quad, 0);
    mesh.setPolygonTexCoords(0, 4, tex);
    mesh.setPolygonVertices(1, 3, quad, 0);
    mesh.setPolygonTexCoords(1, 3, tex);
    mesh.setPolygonVertices(2, 4, quad, 0);
    mesh.setPolygonTexCoords(2, 4, tex);
    mesh.texCoordIndexFill = 9;  // the last polygon's last two indices were never stored
    const std::vector<float> a{0.75f, 1, 0}, b{0.25f, 0.5f, 0}, zero{0, 0, 0};
    std::vector<float> expected;
    for (const auto* value : {&a, &zero, &zero, &b, &a, &zero, &zero, &a, &zero, &zero, &zero})
        expected.insert(expected.end(), value->begin(), value->end());
    for (size_t part = 1; part <= 12; ++part) {
        NodeValueReader reader(mesh);
        std::vector<float> read(expected.size() + 3 * part, -1.0f);
        size_t at = 0;
        while (size_t n = reader.read(&read[at * 3], part)) at += n;
        read.resize(at * 3);
        EXPECT_EQ(read, expected) << "parts of " << part;
    }
}

// A mesh whose every corner has a texture reference needs its sizes no longer: the texture
// counts give the same values, and when all polygons have one size neither array is needed.
TEST(MeshBuilder, TexturedPolygonsNeedNoSizes) {
    const int32_t quad[] = {0, 1, 2, 3}, tex[] = {1, 0, 1, 0};
    for (const int32_t secondSize : {4, 3}) {
        Mesh mesh;
        prepareMesh(mesh, 2, 3 + secondSize);
        mesh.setPolygonVertices(0, 3, quad, 0);
        mesh.setPolygonTexCoords(0, 3, tex);
        mesh.setPolygonVertices(1, secondSize, quad, 0);
        EXPECT_EQ(texturedPolygonSize(mesh), -1);  // the second polygon has no texture references yet
        mesh.setPolygonTexCoords(1, secondSize, tex);
        const int32_t shared = texturedPolygonSize(mesh);
        ASSERT_EQ(shared, secondSize == 3 ? 3 : 0);
        FixedArray<float> withSizes, withoutSizes;
        nodeValues(mesh, withSizes);
        mesh.polygonSizes.release();
        if (shared > 0) mesh.polygonTexCoordCounts.release();
        nodeValues(mesh, withoutSizes, shared);
        const size_t count = size_t(3 + secondSize) * 3;
        ASSERT_EQ(withoutSizes.size(), count);
        EXPECT_TRUE(std::equal(withSizes.data(), withSizes.data() + count, withoutSizes.data()));
        EXPECT_EQ(withoutSizes[count - 3], secondSize == 4 ? 0.25f : 0.75f);  // the last corner
    }
}

// Meshes larger than one part of what is handed to the host, side by side in one arena: the host
// gets every position, corner and texture value, at the part boundaries too, and each mesh is
// whole after the ones before gave their arrays back. A vertex no polygon uses stays at the
// origin. The third mesh's texture indices are its vertex indices, which then stand for them
// until its texture values are set.
TEST(MeshBuilder, LargeMeshesReachTheHostWhole) {
    test::hostScene().resetAll();
    ObjImporter imp;
    imp.options.centerPivots = false;
    constexpr int32_t kPolygons = 30011, kCorners = kPolygons * 5, kVertices = 70001;
    ObjectInfo counts;
    counts.polygonCount = kPolygons;
    counts.indexCount = kCorners;
    ASSERT_TRUE(imp.meshArena.reserve(6 * Mesh::arenaBytes(counts)));
    struct Expected {
        std::vector<double> positions;
        std::vector<int32_t> indices;
        std::vector<float> values;
    };
    std::vector<Expected> expected(3);
    for (int m = 0; m < 3; ++m) {
        imp.meshes.push_back(std::make_unique<NamedMesh>());
        std::snprintf(imp.meshes.back()->name, kMeshNameSize, "big%d", m);
        Mesh& mesh = imp.meshes.back()->mesh;
        mesh.arena = &imp.meshArena;
        ASSERT_TRUE(mesh.resizeVertices(kVertices));
        const bool follows = m == 2;
        ASSERT_TRUE(mesh.allocTexCoords(follows ? kVertices : 3));
        ASSERT_TRUE(mesh.allocPolygons(kPolygons, kCorners));
        const float uv[] = {0.5f, 0.25f, 0.125f, 1, 1, 1};
        std::copy(uv, uv + 6, mesh.texCoords.data());
        if (follows)
            for (size_t t = 0; t < mesh.texCoords.size(); ++t) mesh.texCoords[t] = float(t) / 8;
        for (int32_t v = 0; v < kVertices; ++v)
            for (int k = 0; k < 3; ++k) mesh.vertices[size_t(v) * 3 + size_t(k)] = float(v * 3 + k + m);
        Expected& e = expected[size_t(m)];
        for (int32_t p = 0; p < kPolygons; ++p) {
            int32_t corners[5], textures[5];
            for (int k = 0; k < 5; ++k) {
                // Vertex 1 is never used.
                corners[k] = (p * 5 + k * 7 + m) % kVertices;
                if (corners[k] == 1) corners[k] = 0;
                textures[k] = follows ? corners[k] : (p + k) % 3;
                e.indices.push_back(corners[k]);
            }
            mesh.setPolygonVertices(p, 5, corners, -1);
            // The second mesh has textures on every polygon (all of five corners): its sizes and
            // texture counts go back early.
            const bool textured = m != 0 || p % 3 != 0;
            if (textured) mesh.setPolygonTexCoords(p, 5, textures);
            for (int k = 0; k < 5; ++k) {
                const float* t = (follows ? mesh.texCoords.data() : uv) + (textured ? textures[k] * kTexCoordFloats : 0);
                e.values.insert(e.values.end(), {textured ? t[0] : 0.0f, textured ? t[1] : 0.0f, 0.0f});
            }
        }
        EXPECT_EQ(mesh.texCoordsFollowVertices, follows);
        for (int32_t v = 0; v < kVertices; ++v)
            for (int k = 0; k < 3; ++k) e.positions.push_back(v == 1 ? 0.0 : double(v * 3 + k + m));
    }
    test::RecordingLink link;
    ASSERT_TRUE(buildMeshes(imp, link));
    for (int m = 0; m < 3; ++m) {
        const auto* object = test::sceneObject("big" + std::to_string(m));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->positions, expected[size_t(m)].positions);
        EXPECT_EQ(object->polygonIndices, expected[size_t(m)].indices);
        EXPECT_EQ(object->polygonSizes, std::vector<int32_t>(size_t(kPolygons), 5));
        auto& scene = test::hostScene();
        const int objectId = scene.children(scene.root(), XSI::standin::ItemKind::Object)[size_t(m)];
        const auto uvs = scene.children(objectId, XSI::standin::ItemKind::UVProperty);
        ASSERT_EQ(uvs.size(), 1u);
        EXPECT_EQ(scene.item(uvs[0]).values, expected[size_t(m)].values);
    }
}

TEST(MeshBuilder, StepsAndHostMaterialIndex) {
    test::hostScene().resetAll();
    ObjImporter imp;
    EXPECT_EQ(stepsPerMesh(imp), 7);
    imp.materials.push_back(std::make_unique<MtlMaterial>());
    imp.materials.back()->name = "My_Wood";
    XSI::Application app;
    XSI::MaterialLibrary library(app.GetActiveProject().GetActiveScene().GetActiveMaterialLibrary().GetRef());
    XSI::Material m(library.CreateMaterial(XSI::AsciiString("Phong"), XSI::AsciiString("my_wood")));
    imp.hostMaterials.push_back(m);
    EXPECT_EQ(stepsPerMesh(imp), 8);
    imp.materials.push_back(std::make_unique<MtlMaterial>());
    imp.materials.back()->name = "oak";
    EXPECT_EQ(hostMaterialIndices(imp), (std::vector<size_t>{0, 1}));
}

// Objects that bring their own vertices borrow them from the file's positions; once each is
// built its run goes back, to the scene's memory where that takes pages, and the scene still
// has every position.
TEST(MeshBuilder, BorrowedVerticesGoBackAsTheMeshesAreBuilt) {
    test::hostScene().resetAll();
    constexpr int kObjects = 4, kVertices = 90000;  // 4.3 MB of positions: a block of its own mapping
    std::string file;
    for (int o = 0; o < kObjects; ++o) {
        file += "g o" + std::to_string(o) + "\n";
        for (int v = 0; v < kVertices; ++v) file += "v " + std::to_string(v) + " " + std::to_string(o) + " 0\n";
        for (int v = 0; v < kVertices; v += 3) {
            const int first = o * kVertices + v + 1;
            file += "f " + std::to_string(first) + " " + std::to_string(first + 1) + " " + std::to_string(first + 2) + "\n";
        }
    }
    test::MemoryImport run(file);
    run.prescan();
    for (const auto& object : run.importer.objects) object->selected = true;
    runParse(run.importer, run.link);
    ASSERT_FALSE(run.importer.aborted) << run.importer.errorText;
    for (const auto& named : run.importer.meshes) ASSERT_FALSE(named->mesh.vertices.owned()) << named->name;
    ASSERT_TRUE(buildMeshes(run.importer, run.link));
    for (int o = 0; o < kObjects; ++o) {
        const auto* object = test::sceneObject("o" + std::to_string(o));
        ASSERT_NE(object, nullptr);
        ASSERT_EQ(object->positions.size(), size_t(kVertices) * 3);
        EXPECT_EQ(object->positions[3 * 1234], 1234.0);
        EXPECT_EQ(object->positions[3 * (kVertices - 1) + 1], double(o));
    }
    // Every run but the last came back in order: the scene took those pages, where it takes any.
    MeshArena probe;
    FixedArray<float> probed;
    ASSERT_TRUE(probe.reserve(size_t(8) << 20) && probe.take(probed, size_t(2) << 20));
    probe.giveBack(probed.data(), size_t(8) << 20);
    if (probe.adoptedBytes() == 0) GTEST_SKIP() << "the scene's memory takes no pages here";
    const size_t runBytes = size_t(kVertices) * 3 * sizeof(float);
    EXPECT_GE(run.importer.positionArena.adoptedBytes(), (kObjects - 1) * runBytes - 4096);
}

// Runs of the file's positions that objects borrow lie side by side, and may overlap: each
// object's positions stay whole while the runs before them go back. The first object's run ends
// four bytes before a page boundary; the third names the last vertices of the second one's run as
// well as its own (a run that overlaps, borrowed); the fourth names a few of the third's (a run
// inside another, copied).
TEST(MeshBuilder, BorrowedRunsGoBackWithoutTouchingTheirNeighbours) {
    test::hostScene().resetAll();
    constexpr int kFirst = 87381;  // 1 MB less 4 bytes of positions
    constexpr int kSecond = 100000, kThirdOwn = 50000, kShared = 50000;  // 2.8 MB: pages go back to the system
    std::string file;
    auto vertices = [&](int from, int count) {
        for (int v = from; v < from + count; ++v) file += "v " + std::to_string(v + 1) + " 1 2\n";
    };
    auto faces = [&](int from, int count) {  // triangles over every vertex of the range (1-based in the file)
        for (int v = 0; v < count; v += 3) {
            const int first = from + std::min(v, count - 3) + 1;
            file += "f " + std::to_string(first) + " " + std::to_string(first + 1) + " " + std::to_string(first + 2) + "\n";
        }
    };
    file += "g first\n";
    vertices(0, kFirst);
    faces(0, kFirst);
    file += "g second\n";
    vertices(kFirst, kSecond);
    faces(kFirst, kSecond);
    file += "g third\n";
    vertices(kFirst + kSecond, kThirdOwn);
    faces(kFirst + kSecond - kShared, kShared + kThirdOwn);
    file += "g fourth\n";
    faces(kFirst + kSecond, 3000);
    test::MemoryImport run(file);
    run.prescan();
    for (const auto& object : run.importer.objects) object->selected = true;
    runParse(run.importer, run.link);
    ASSERT_FALSE(run.importer.aborted) << run.importer.errorText;
    ASSERT_EQ(run.importer.meshes.size(), 4u);
    for (int m = 0; m < 3; ++m) EXPECT_FALSE(run.importer.meshes[size_t(m)]->mesh.vertices.owned()) << m;
    EXPECT_TRUE(run.importer.meshes[3]->mesh.vertices.owned());
    ASSERT_TRUE(buildMeshes(run.importer, run.link));
    const std::pair<const char*, int> objects[] = {
        {"first", 0}, {"second", kFirst}, {"third", kFirst + kSecond - kShared}, {"fourth", kFirst + kSecond}};
    for (const auto& [name, firstVertex] : objects) {
        const auto* object = test::sceneObject(name);
        ASSERT_NE(object, nullptr) << name;
        const size_t count = object->positions.size() / 3;
        for (size_t v = 0; v < count; ++v)
            ASSERT_EQ(object->positions[v * 3], double(firstVertex + int(v) + 1)) << name << " vertex " << v;
    }
}

void addTriangleMeshes(ObjImporter& imp, int count) {
    for (int i = 0; i < count; ++i) {
        imp.meshes.push_back(std::make_unique<NamedMesh>());
        std::snprintf(imp.meshes.back()->name, kMeshNameSize, "m%d", i);
        Mesh& mesh = imp.meshes.back()->mesh;
        mesh.resizeVertices(3);
        mesh.allocPolygons(1, 3);
        const int32_t tri[] = {0, 1, 2};
        mesh.setPolygonVertices(0, 3, tri, 0);
    }
}

TEST(MeshBuilder, ProgressReservesAStepItNeverTakes) {
    test::hostScene().resetAll();
    ObjImporter imp;
    addTriangleMeshes(imp, 3);
    test::RecordingLink link;
    ASSERT_TRUE(buildMeshes(imp, link));
    EXPECT_EQ(imp.progressTotal, 21u);
    intptr_t lastStep = 0;
    for (size_t i = 0; i + 1 < link.messages.size(); ++i)
        if (link.messages[i].code == DialogMessage::Progress) lastStep = link.messages[i].lParam;
    EXPECT_EQ(lastStep, 18);
    EXPECT_EQ(link.messages.back().code, DialogMessage::Progress);
    EXPECT_EQ(link.messages.back().lParam, 21);
}

TEST(MeshBuilder, CancelStopsBeforeTheNextMesh) {
    test::hostScene().resetAll();
    ObjImporter imp;
    addTriangleMeshes(imp, 3);
    test::RecordingLink link;
    link.cancelFlag = &imp.aborted;
    link.cancelAfter = 4;  // while the first mesh is built
    EXPECT_FALSE(buildMeshes(imp, link));
    EXPECT_EQ(test::sceneObjectNames(), std::vector<std::string>{"m0"});
}

}  // namespace
}  // namespace qf
