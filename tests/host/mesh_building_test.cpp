#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "host/host_scene.h"
#include "host/xsi_sdk.h"

namespace XSI {
namespace {

struct BuiltMesh {
    X3DObject object;
    CMeshBuilder builder;
    explicit BuiltMesh(const char* name) {
        standin::HostScene::instance().resetAll();
        Application().GetActiveSceneRoot().AddPolygonMesh(AsciiString(name), object, builder);
    }
    const standin::Item& item() const { return standin::HostScene::instance().item(object.GetRef().item()); }
};

// A large mesh may be handed over in parts: polygons in several calls, UV values at offsets.
// The object must be the one a single call of each makes.
TEST(StandInMeshBuilder, PartsMakeTheSameObjectAsOneCall) {
    const double positions[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 0, 0};
    const LONG sizes[] = {3, 4, 3};
    const LONG indices[] = {0, 1, 2, 0, 1, 2, 3, 1, 4, 2};
    std::vector<float> values(10 * 3);
    for (size_t i = 0; i < values.size(); ++i) values[i] = float(i) * 0.5f;

    auto build = [&](bool inParts) {
        BuiltMesh m(inParts ? "parts" : "whole");
        m.builder.AddVertices(5, positions);
        if (inParts) {
            m.builder.AddPolygons(1, sizes, indices);
            m.builder.AddPolygons(2, sizes + 1, indices + 3);
        } else {
            m.builder.AddPolygons(3, sizes, indices);
        }
        EXPECT_EQ(m.builder.Build(false).GetCode(), CStatus::OK);
        PolygonMesh mesh(m.object.GetActivePrimitive().GetGeometry());
        ClusterProperty uv(mesh.GetClusterPropertyBuilder().AddUV());
        if (inParts) {
            uv.SetValues(values.data() + 7 * 3, 3, 7);
            uv.SetValues(values.data(), 7, 0);
        } else {
            uv.SetValues(values.data(), 10, 0);
        }
        const standin::Item& item = m.item();
        return std::make_tuple(item.positions, item.polygonList(),
                               standin::HostScene::instance().item(uv.GetRef().item()).values);
    };
    EXPECT_EQ(build(true), build(false));
}

// Positions set in parts, in any order and not for every vertex: the vertices left out are at
// the origin, and a part beyond the vertices added is refused.
TEST(StandInMeshBuilder, PositionsSetInPartsLeaveTheOthersAtTheOrigin) {
    BuiltMesh m("partly");
    m.builder.AddVertices(4);
    const double third[] = {3, 3, 3}, first[] = {1, 1, 1, 2, 2, 2};
    EXPECT_EQ(m.builder.SetVertexPositions(1, third, 2), CStatus::OK);  // a later part first
    EXPECT_EQ(m.builder.SetVertexPositions(2, first, 0), CStatus::OK);
    EXPECT_EQ(m.builder.SetVertexPositions(1, third, 4), CStatus::InvalidArgument);
    const double added[] = {5, 5, 5};
    m.builder.AddVertices(1, added);  // after the vertex left out
    m.builder.AddVertices(1);
    const LONG sizes[] = {3}, indices[] = {0, 1, 2};
    m.builder.AddPolygons(1, sizes, indices);
    ASSERT_EQ(m.builder.Build(false).GetCode(), CStatus::OK);
    EXPECT_EQ(m.item().positions, (std::vector<double>{1, 1, 1, 2, 2, 2, 3, 3, 3, 0, 0, 0, 5, 5, 5, 0, 0, 0}));
}

// A mesh of a million vertices handed over in parts of quads: its corners stay in the block the
// first part got (no copy per doubling) and come out whole and in order.
TEST(StandInMeshBuilder, ManyPartsOfALargeMeshGrowWithoutCopies) {
    constexpr LONG kVertices = 1 << 20, kQuadsPerPart = 1 << 14, kParts = 60;
    BuiltMesh m("large");
    m.builder.AddVertices(kVertices);
    std::vector<LONG> sizes(kQuadsPerPart, 4), indices(size_t(kQuadsPerPart) * 4);
    const int32_t* firstBlock = nullptr;
    for (LONG part = 0; part < kParts; ++part) {
        for (size_t c = 0; c < indices.size(); ++c) indices[c] = LONG((size_t(part) * indices.size() + c) % kVertices);
        ASSERT_EQ(m.builder.AddPolygons(kQuadsPerPart, sizes.data(), indices.data()), CStatus::OK);
        const standin::PendingMesh& pending = standin::HostScene::instance().pending().back();
        if (part == 0) firstBlock = pending.polygonIndices.data();
        EXPECT_EQ(pending.polygonIndices.data(), firstBlock) << "the corners were copied at part " << part;
    }
    ASSERT_EQ(m.builder.Build(false).GetCode(), CStatus::OK);
    const standin::Item& item = m.item();
    ASSERT_EQ(item.polygonIndices.size(), size_t(kQuadsPerPart) * 4 * kParts);
    for (size_t c = 0; c < item.polygonIndices.size(); c += 4099)
        ASSERT_EQ(item.polygonIndices[c], int32_t(c % kVertices)) << "corner " << c;
    EXPECT_EQ(item.polygonSizes.size(), size_t(kQuadsPerPart) * kParts);
}

TEST(StandInMeshBuilder, RefusesIndicesNoHostVertexCanHave) {
    if (sizeof(LONG) <= 4) GTEST_SKIP() << "LONG holds no value beyond 32 bits here";
    BuiltMesh m("wide");
    const double positions[] = {0, 0, 0, 1, 0, 0, 1, 1, 0};
    const LONG sizes[] = {3};
    const long long beyond = 0x100000001LL;
    const LONG indices[] = {0, 1, static_cast<LONG>(beyond)};
    m.builder.AddVertices(3, positions);
    m.builder.AddPolygons(1, sizes, indices);
    EXPECT_EQ(m.builder.Build(false).GetCode(), CStatus::Fail);

    // Clusters keep their polygons in 32 bits too: a number beyond them is no polygon, not the
    // polygon its low bits would name.
    BuiltMesh built("clustered");
    built.builder.AddVertices(3, positions);
    const LONG triangle[] = {0, 1, 2};
    built.builder.AddPolygons(1, sizes, triangle);
    ASSERT_EQ(built.builder.Build(false).GetCode(), CStatus::OK);
    CLongArray polygons;
    polygons.Add(0);
    polygons.Add(static_cast<LONG>(beyond));
    Cluster cluster;
    Geometry geometry = built.object.GetActivePrimitive().GetGeometry(0);
    ASSERT_EQ(geometry.AddCluster(siPolygonCluster, AsciiString("part"), polygons, cluster), CStatus::OK);
    ASSERT_EQ(built.item().clusters.size(), 1u);
    EXPECT_EQ(built.item().clusters[0].polygons, (std::vector<int32_t>{0, -1}));
}

}  // namespace
}  // namespace XSI
