#include "scene/mesh_builder.h"

#include <gtest/gtest.h>

#include "model/mtl_material.h"
#include "support/scene_access.h"
#include "support/test_support.h"

namespace qf {
namespace {

TEST(MeshBuilder, NodeValuesFollowThePolygonsThatHaveTextures) {
    Mesh mesh;
    mesh.allocTexCoords(2);
    const float uv[] = {0.25f, 0.5f, 9, 0.75f, 1, 9};
    std::copy(uv, uv + 6, mesh.texCoords.data());
    mesh.allocPolygons(2, 6);
    const int32_t tri[] = {0, 1, 2}, tex[] = {1, 0, 1};
    mesh.setPolygonVertices(0, 3, tri, 0);  // no texture references
    mesh.setPolygonVertices(1, 3, tri, 0);
    mesh.setPolygonTexCoords(1, 3, tex);
    FixedArray<float> values;
    nodeValues(mesh, values);
    EXPECT_EQ(std::vector<float>(values.data(), values.data() + values.size()),
              (std::vector<float>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0.75f, 1, 0, 0.25f, 0.5f, 0, 0.75f, 1, 0}));
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
