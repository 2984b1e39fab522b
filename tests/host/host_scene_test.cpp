// The stand-in scene finds items by full name after renames, moves and deletions, without indexing
// the whole scene again for each of them.
#include "host/host_scene.h"

#include "host/xsi_sdk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace XSI::standin {
namespace {

int resolved(const HostScene& scene, const std::string& path) {
    std::string rest;
    const int id = scene.resolve(path, rest);
    return rest.empty() ? id : -1;
}

TEST(HostSceneNames, RenamedMovedAndDeletedItemsAreFoundByTheirNewNamesOnly) {
    HostScene& scene = HostScene::instance();
    scene.resetAll();
    const int library = scene.materialLibrary();
    const int wood = scene.add(ItemKind::Material, "Phong", library);
    const int shader = scene.add(ItemKind::Shader, "Phong", wood);
    ASSERT_EQ(resolved(scene, "Sources.Materials.DefaultLib.Phong.Phong"), shader);  // the index is built here

    scene.renameItem(wood, "wood");
    EXPECT_EQ(resolved(scene, "Sources.Materials.DefaultLib.wood"), wood);
    EXPECT_EQ(resolved(scene, "Sources.Materials.DefaultLib.wood.Phong"), shader);  // below it too
    EXPECT_EQ(resolved(scene, "Sources.Materials.DefaultLib.Phong"), -1);

    const int metal = scene.add(ItemKind::Material, "metal", library);
    const int generator = scene.add(ItemKind::BumpGenerator, "Bump", wood);
    scene.moveItem(generator, metal);
    EXPECT_EQ(resolved(scene, "Sources.Materials.DefaultLib.metal.Bump"), generator);
    EXPECT_EQ(resolved(scene, "Sources.Materials.DefaultLib.wood.Bump"), -1);

    scene.deleteItem(shader);
    EXPECT_EQ(resolved(scene, "Sources.Materials.DefaultLib.wood.Phong"), -1);
    std::string rest;
    EXPECT_EQ(scene.resolve("Sources.Materials.DefaultLib.wood.Phong.diffuse", rest), wood);
    EXPECT_EQ(rest, "Phong.diffuse");
}

// Two items of one full name: the first by id is found, and renaming it uncovers the other.
TEST(HostSceneNames, ASharedFullNameUncoversTheNextItemWhenTheFirstIsRenamed) {
    HostScene& scene = HostScene::instance();
    scene.resetAll();
    const int first = scene.add(ItemKind::ImageClip, "wood", -1);
    ASSERT_EQ(resolved(scene, "Clips.wood"), first);
    const int second = scene.add(ItemKind::ImageClip, "wood", -1);
    EXPECT_EQ(resolved(scene, "Clips.wood"), first);
    scene.renameItem(second, "oak");
    scene.renameItem(second, "wood");
    EXPECT_EQ(resolved(scene, "Clips.wood"), first);
    scene.renameItem(first, "pine");
    EXPECT_EQ(resolved(scene, "Clips.pine"), first);
    EXPECT_EQ(resolved(scene, "Clips.wood"), second);
}

// Objects that want one name are numbered (cube, cube1, cube2, ...); a deleted or renamed one
// frees its number for the next, which takes the lowest free one.
TEST(HostSceneNames, RepeatedObjectNamesTakeTheLowestFreeNumber) {
    HostScene& scene = HostScene::instance();
    scene.resetAll();
    Model root = Application().GetActiveSceneRoot();
    auto addCube = [&root] {
        X3DObject object;
        CMeshBuilder builder;
        root.AddPolygonMesh(AsciiString("cube"), object, builder);
        return object;
    };
    std::vector<int> ids;
    for (int n = 0; n < 2000; ++n) ids.push_back(addCube().GetRef().item());
    EXPECT_EQ(scene.item(ids[0]).name, "cube");
    EXPECT_EQ(scene.item(ids[1]).name, "cube1");
    EXPECT_EQ(scene.item(ids[1999]).name, "cube1999");
    scene.deleteItem(ids[7]);
    EXPECT_EQ(ToAscii(addCube().GetName()), "cube7");
    scene.renameItem(ids[3], "sphere");
    EXPECT_EQ(ToAscii(addCube().GetName()), "cube3");
    EXPECT_EQ(ToAscii(addCube().GetName()), "cube2000");
    scene.add(ItemKind::Object, "cube2001", scene.root());  // taken behind its back
    EXPECT_EQ(ToAscii(addCube().GetName()), "cube2002");
}

}  // namespace
}  // namespace XSI::standin
