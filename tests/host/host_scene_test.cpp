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

// Clips and pasted generators are named among their siblings as objects are: the lowest free
// number, which a deleted, renamed or moved sibling frees, and no sibling named behind the scene's
// back is taken twice.
TEST(HostSceneNames, ClipsAndGeneratorsTakeTheLowestFreeNumberAmongTheirSiblings) {
    HostScene& scene = HostScene::instance();
    scene.resetAll();
    auto run = [](const char* command, std::initializer_list<CValue> values) {
        CValueArray args;
        for (const CValue& v : values) args.Add(v);
        CValue out;
        Application().ExecuteCommand(AsciiString(command), args, out);
        return out;
    };
    auto nameOf = [&scene](const CValue& ref) { return scene.item(CRef(ref).item()).name; };
    std::vector<std::string> clips;
    for (int n = 0; n < 3000; ++n)
        clips.push_back(nameOf(run("SICreateImageClip", {AsciiString("tex/wood.tga"), AsciiString("wood")})));
    EXPECT_EQ(clips[0], "wood");
    EXPECT_EQ(clips[1], "wood1");
    EXPECT_EQ(clips[2999], "wood2999");
    scene.add(ItemKind::ImageClip, "wood3000", -1);
    EXPECT_EQ(nameOf(run("SICreateImageClip", {AsciiString("tex/wood.tga"), AsciiString("wood")})), "wood3001");

    const int library = scene.materialLibrary();
    const int oak = scene.add(ItemKind::Material, "oak", library);
    const int pine = scene.add(ItemKind::Material, "pine", library);
    auto paste = [&](const char* material) {
        run("CopyPaste", {CValue(), AsciiString("Presets\\Bump.Preset"),
                          AsciiString((std::string("Sources.Materials.DefaultLib.") + material).c_str())});
        const std::vector<int> generators = scene.children(material == std::string("oak") ? oak : pine,
                                                            ItemKind::BumpGenerator);
        return scene.item(generators.back()).name;
    };
    EXPECT_EQ(paste("oak"), "Bump");
    EXPECT_EQ(paste("oak"), "Bump1");
    EXPECT_EQ(paste("oak"), "Bump2");
    EXPECT_EQ(paste("pine"), "Bump");  // another material's generators are no siblings
    run("DisconnectAndDeleteShaders", {AsciiString("Sources.Materials.DefaultLib.oak.Bump1")});
    EXPECT_EQ(paste("oak"), "Bump1");
    scene.renameItem(scene.children(oak, ItemKind::BumpGenerator)[0], "Relief");
    EXPECT_EQ(paste("oak"), "Bump");
    scene.moveItem(scene.children(oak, ItemKind::BumpGenerator)[1], pine);  // oak's Bump2 goes
    EXPECT_EQ(paste("oak"), "Bump2");
    EXPECT_EQ(paste("pine"), "Bump1");
}

// Past the recorded calls a command's text is made only when the list is read: it must read as it
// would have when the command ran, references by the names they had then.
TEST(HostSceneCommands, TextsMadeLaterReadAsWhenTheCommandRan) {
    HostScene& scene = HostScene::instance();
    scene.resetAll();
    Model root = Application().GetActiveSceneRoot();
    X3DObject object;
    CMeshBuilder builder;
    root.AddPolygonMesh(AsciiString("box"), object, builder);
    auto run = [](const char* command, std::initializer_list<CValue> values) {
        CValueArray args;
        for (const CValue& v : values) args.Add(v);
        CValue out;
        Application().ExecuteCommand(AsciiString(command), args, out);
    };
    auto expectLast = [&scene](const std::vector<std::string>& texts) {
        const auto& commands = scene.commands();
        ASSERT_GE(commands.size(), texts.size());
        EXPECT_EQ(std::vector<std::string>(commands.end() - std::ptrdiff_t(texts.size()), commands.end()), texts);
    };

    run("TranslatePivot", {AsciiString("box"), CValue(0.1), CValue(-2.5), CValue(1e-7)});
    expectLast({"TranslatePivot(box, 0.1, -2.5, 1e-07)"});  // made at once while calls are recorded
    while (scene.recordsCalls()) scene.recordCall("filler");
    const size_t calls = scene.callCount();
    run("TranslatePivot", {AsciiString("box"), CValue(0.1), CValue(-2.5), CValue(1e-7)});
    run("SetValue", {CValue(object.GetRef()), CValue(true)});
    scene.renameItem(object.GetRef().item(), "crate");
    run("TranslatePivot", {CValue(object.GetRef()), CValue(3.0), CValue(LONG(4)), CValue(false)});
    EXPECT_EQ(scene.callCount(), calls + 3);
    expectLast({"TranslatePivot(box, 0.1, -2.5, 1e-07)", "SetValue(box, true)", "TranslatePivot(crate, 3, 4, false)"});
    const double* pivot = scene.item(object.GetRef().item()).pivot;
    EXPECT_EQ(std::vector<double>(pivot, pivot + 3), (std::vector<double>{3.0, 4.0, 0.0}));

    // A follower of the commands gets each text at once, after those not made yet.
    std::vector<std::string> followed;
    run("TranslatePivot", {AsciiString("crate"), CValue(1.0), CValue(1.0), CValue(1.0)});
    scene.onCommand = [&followed](const std::string& line) { followed.push_back(line); };
    run("TranslatePivot", {AsciiString("crate"), CValue(2.0), CValue(2.0), CValue(2.0)});
    scene.onCommand = nullptr;
    EXPECT_EQ(followed, (std::vector<std::string>{"TranslatePivot(crate, 2, 2, 2)"}));
    expectLast({"TranslatePivot(crate, 1, 1, 1)", "TranslatePivot(crate, 2, 2, 2)"});
    scene.resetAll();
}

}  // namespace
}  // namespace XSI::standin
