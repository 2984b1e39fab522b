// The stand-in host's window-free parts: command line, file filter, scene rows and wireframe.
#include "qfhost/host_logic.h"

#include <gtest/gtest.h>

#include "host/xsi_sdk.h"

namespace qfhost {
namespace {

using XSI::standin::HostScene;

HostOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "qfhost");
    return parseHostArguments(int(args.size()), args.data());
}

TEST(HostArguments, AnswersPicksAndTheirOrder) {
    const HostOptions o = parse({"--answer", "-", "--pick", "qf::ObjImport", "--answer", "C:\\car.obj", "--pick",
                                 "qf::ObjImport", "--scene", "out.json", "--quit"});
    EXPECT_TRUE(o.error.empty());
    EXPECT_TRUE(o.scripted);
    EXPECT_EQ(o.answers, (std::vector<std::string>{"", "C:\\car.obj"}));
    EXPECT_EQ(o.picks, (std::vector<std::string>{"qf::ObjImport", "qf::ObjImport"}));
    EXPECT_EQ(o.scenePath, "out.json");
    EXPECT_TRUE(o.quit);
    EXPECT_FALSE(parse({}).scripted);
    EXPECT_EQ(parse({"--pick"}).error, "--pick needs a value");
    EXPECT_EQ(parse({"--colour"}).error, "unknown argument --colour");
}

TEST(HostArguments, FileBrowserFilterBecomesTheOpenDialogsList) {
    EXPECT_EQ(openDialogFilter("wavefront obj(*.obj)|*.obj||"), std::string("wavefront obj(*.obj)\0*.obj\0\0", 28));
    EXPECT_EQ(openDialogFilter("a|*.a"), std::string("a\0*.a\0\0", 7));
}

// A mesh through the SDK, as a plug-in builds one.
void addMesh(const char* name, const std::vector<double>& positions, const std::vector<XSI::LONG>& sizes,
             const std::vector<XSI::LONG>& indices) {
    XSI::X3DObject object;
    XSI::CMeshBuilder builder;
    XSI::Application().GetActiveSceneRoot().AddPolygonMesh(XSI::AsciiString(name), object, builder);
    builder.AddVertices(XSI::LONG(positions.size() / 3), positions.data());
    builder.AddPolygons(XSI::LONG(sizes.size()), sizes.data(), indices.data());
    builder.Build(false);
}

const std::vector<double> kCube = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1};

TEST(SceneView, RowsListObjectsMaterialsClipsAndTheLog) {
    HostScene& scene = HostScene::instance();
    scene.resetAll();
    addMesh("cube", kCube, {4, 4}, {0, 1, 2, 3, 4, 5, 6, 7});
    XSI::Application().LogMessage(L"hello");
    XSI::CValueArray args(3);
    args[0] = XSI::CValue(L"C:\\maps\\wood.jpg");
    args[1] = XSI::CValue(L"wood");
    XSI::CValue out;
    XSI::Application().ExecuteCommand(L"SICreateImageClip", args, out);
    const SceneRows rows = sceneRows(scene);
    ASSERT_EQ(rows.objects.size(), 1u);
    EXPECT_EQ(rows.objects[0].name, "cube");
    EXPECT_EQ(rows.objects[0].polygons, 2);
    EXPECT_EQ(rows.objects[0].vertices, 8);
    ASSERT_EQ(rows.materials.size(), 1u);  // the scene's own material
    EXPECT_EQ(rows.materials[0].name, "Scene_Material");
    EXPECT_EQ(rows.materials[0].shader, "Phong");
    ASSERT_EQ(rows.clips.size(), 1u);
    EXPECT_EQ(rows.clips[0].file, "C:\\maps\\wood.jpg");
    EXPECT_EQ(rows.log, (std::vector<std::string>{"hello"}));
}

TEST(SceneView, WireframeDrawsEveryEdgeFittedIntoTheView) {
    HostScene& scene = HostScene::instance();
    scene.resetAll();
    EXPECT_TRUE(projectWireframe(scene, 400, 300).segments.empty());
    addMesh("cube", kCube, {4, 4, 3}, {0, 1, 2, 3, 4, 5, 6, 7, 0, 4, 7});
    addMesh("far", {10, 0, 0, 11, 0, 0, 10, 1, 0}, {3}, {0, 1, 2});
    const Wireframe wire = projectWireframe(scene, 400, 300);
    ASSERT_EQ(wire.segments.size(), 4u + 4u + 3u + 3u);
    EXPECT_FALSE(wire.truncated);
    EXPECT_EQ(wire.segments.back().object, 1);
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const WireSegment& s : wire.segments) {
        minX = std::min({minX, s.x0, s.x1});
        maxX = std::max({maxX, s.x0, s.x1});
        minY = std::min({minY, s.y0, s.y1});
        maxY = std::max({maxY, s.y0, s.y1});
    }
    // Inside the view with its margin, and filling it along the limiting direction.
    EXPECT_GE(minX, 17.9f);
    EXPECT_LE(maxX, 382.1f);
    EXPECT_GE(minY, 17.9f);
    EXPECT_LE(maxY, 282.1f);
    EXPECT_TRUE(std::abs((maxX - minX) - 364.0f) < 0.5f || std::abs((maxY - minY) - 264.0f) < 0.5f);
    const Wireframe edge = projectWireframe(scene, 400, 300, 1);
    EXPECT_TRUE(edge.truncated);
    EXPECT_EQ(edge.segments.size(), 1u);
}

}  // namespace
}  // namespace qfhost
