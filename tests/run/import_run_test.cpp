// Whole runs, as the user starts them, checked on the scene the stand-in host ends up with.
#include "run/import_run.h"

#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <stdexcept>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "dialogs/object_selection.h"
#include "host/host_ui.h"
#include "model/fixed_text.h"
#include "model/string_table.h"
#include "obj/obj_parser.h"
#include "qfobjimp/console_ui.h"
#include "run/workers.h"
#include "scene/map_lookup.h"
#include "support/scene_access.h"
#include "support/test_support.h"

namespace qf {
namespace {

using test::hasCommand;
using test::hostScene;
using test::materialParameter;
using test::sceneObject;

struct RunFixture : ::testing::Test {
    test::TempDir dir;
    std::ostringstream out;
    std::string err;  // the run's message boxes, one per line
    ConsoleChoices choices;
    int result = -1;

    void SetUp() override {
        hostScene().resetAll();
        ConsoleUi::interrupted = false;
        choices.saveOptions = true;  // as the plug-in saves them
    }
    void TearDown() override { ConsoleUi::interrupted = false; }

    std::string config() const { return dir.path("qf_objimp.cfg"); }

    // Imports the file written under name, with the choices made so far.
    ObjImporter& run(const std::string& name) {
        importer = std::make_unique<ObjImporter>();
        ConsoleUi ui(choices, out);
        result = runImport(*importer, dir.path(name).c_str(), dir.path("qfObjImp.dll").c_str(), ui);
        for (const std::string& m : ui.messages()) err += m + "\n";
        return *importer;
    }
    std::unique_ptr<ObjImporter> importer;
};

const char kTwoBoxes[] =
    "mtllib scene.mtl\n"
    "g box\nusemtl wood\n"
    "v 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "f 1/1 2/2 3/3 4/4\n"
    "g 2nd box\nusemtl metal\n"
    "v 0 0 4\nv 1 0 4\nv 1 1 4\n"
    "f -3 -2 -1\n";

const char kSceneMtl[] =
    "newmtl wood\nKa 0.1 0.2 0.3\nKd 0.5 0.4 0.3\nNs 50\nd 0.25\nmap_Kd tex\\wood.jpg\nmap_bump wood_bump.png\n"
    "newmtl metal\nKs 0 0 0\nmap_bump -bm 0.5 missing_bump.png\n"
    "newmtl unused\nKd 1 1 1\n";

// Building reports several steps per mesh; the dialog gets them a few hundred times a second
// at most, and ends on the values the last of them gave.
TEST(ProgressDialogLogic, ManyMeshesReachTheDialogAsFewUpdatesEndingOnTheLastValues) {
    hostScene().resetAll();
    std::string file;
    for (int i = 0; i < 300; ++i) file += "g part" + std::to_string(i) + "\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\n";
    test::MemoryImport m(file);
    m.prescan();
    selectObjects(m.importer, "*");
    runParse(m.importer, m.link);
    ASSERT_FALSE(m.importer.aborted) << m.importer.errorText;
    NoMapSearch search;
    ProgressDialogLogic logic(m.importer, search);
    test::RecordingLink dialog;
    logic.handle(dialog, DialogMessage::ReadingDone, 0, 0);
    EXPECT_TRUE(logic.ended());
    EXPECT_EQ(logic.result(), 1);
    EXPECT_EQ(hostScene().children(hostScene().root(), XSI::standin::ItemKind::Object).size(), 300u);
    const test::SentMessage* lastPhase = nullptr;
    const test::SentMessage* lastProgress = nullptr;
    for (const auto& sent : dialog.messages) {
        if (sent.code == DialogMessage::Phase) lastPhase = &sent;
        if (sent.code == DialogMessage::Progress) lastProgress = &sent;
    }
    ASSERT_TRUE(lastPhase && lastProgress);
    EXPECT_EQ(lastPhase->wParam, 0u);
    EXPECT_EQ(uint64_t(lastProgress->lParam), m.importer.progressTotal);
    EXPECT_LT(dialog.messages.size(), 300u);  // every step would be several thousand
}

// Memory that runs out while the scene is built ends the dialog with the reason: the worker
// that waits in the send is answered, and the run shows the error.
TEST(ProgressDialogLogic, MemoryRunningOutWhileBuildingEndsTheDialogWithWhatFailed) {
    hostScene().resetAll();
    test::MemoryImport m("v 0 0 0\nv 1 0 0\nv 0 1 0\ng a\nf 1 2 3\n");
    m.prescan();
    selectObjects(m.importer, "*");
    runParse(m.importer, m.link);
    ASSERT_FALSE(m.importer.aborted) << m.importer.errorText;
    struct StarvedDialog : test::RecordingLink {
        intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
            if (code == DialogMessage::Phase && wParam == IDS_BUILDING_SCENE) {
                if (starved) throw std::bad_alloc();
                throw std::logic_error("fault");
            }
            return RecordingLink::send(code, wParam, lParam);
        }
        bool starved = true;
    };
    // Anything else thrown, a fault of ours, ends it the same way with the general error.
    for (bool starved : {true, false}) {
        m.importer.aborted = false;
        m.importer.errorText[0] = '\0';
        StarvedDialog dialog;
        dialog.starved = starved;
        NoMapSearch search;
        ProgressDialogLogic logic(m.importer, search);
        logic.handle(dialog, DialogMessage::ReadingDone, 0, 0);
        EXPECT_TRUE(logic.ended());
        EXPECT_EQ(logic.result(), 0);
        EXPECT_STREQ(m.importer.errorText, starved ? "not enough memory to build the scene" : "error creating meshes");
        EXPECT_TRUE(m.importer.aborted);
    }
}

TEST_F(RunFixture, OneMeshPerObjectWithUvsPivotsAndMaterials) {
    dir.write("scene.obj", kTwoBoxes);
    dir.write("scene.mtl", kSceneMtl);
    dir.write("tex/wood.jpg", "jpg");
    dir.write("wood_bump.png", "png");
    run("scene.obj");
    ASSERT_EQ(result, 1) << err;

    EXPECT_EQ(test::sceneObjectNames(), (std::vector<std::string>{"box", "_2nd_box"}));
    const auto* box = sceneObject("box");
    ASSERT_TRUE(box && box->built);
    EXPECT_EQ(box->positions, (std::vector<double>{0, 0, 0, 2, 0, 0, 2, 2, 0, 0, 2, 0}));
    EXPECT_EQ(box->polygonList(), (std::vector<std::vector<long>>{{0, 1, 2, 3}}));
    EXPECT_EQ(box->pivot[0], 1.0);
    EXPECT_EQ(box->pivot[1], 1.0);
    auto& scene = hostScene();
    const auto uvs = scene.children(int(box - &scene.item(0)), XSI::standin::ItemKind::UVProperty);
    ASSERT_EQ(uvs.size(), 1u);
    EXPECT_EQ(scene.item(uvs[0]).values, (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
    const auto* second = sceneObject("_2nd_box");
    ASSERT_TRUE(second);
    EXPECT_EQ(scene.children(int(second - &scene.item(0)), XSI::standin::ItemKind::UVProperty).size(), 0u);

    // Materials: the used records only, with their parameters and connections.
    EXPECT_EQ(test::sceneMaterial("unused"), -1);
    EXPECT_EQ(materialParameter("wood", "Phong.ambient.green"), "0.2");
    EXPECT_EQ(materialParameter("wood", "Phong.shiny"), "150");
    EXPECT_EQ(materialParameter("wood", "Phong.transparency.red"), "0.75");
    EXPECT_EQ(materialParameter("wood", "Phong.index_of_refraction"), "1.5");
    EXPECT_EQ(materialParameter("wood", "envmode"), "8449");
    EXPECT_EQ(materialParameter("wood", "Bumpmap_generator.factor"), "0.2");
    EXPECT_EQ(materialParameter("metal", "Bumpmap_generator.factor"), "50");
    EXPECT_EQ(materialParameter("metal", "Phong.specular.red"), "0.9");
    ASSERT_EQ(box->clusters.size(), 1u);
    EXPECT_EQ(box->clusters[0].name, "mc_wood");
    EXPECT_EQ(box->clusters[0].material, "Sources.Materials.DefaultLib.wood");
    EXPECT_EQ(test::slashed(out.str()), "Bump-Map not found in Material: \"metal\" (missing_bump.png); looked in " +
                                             test::slashed(dir.root()) + "/\n");
    EXPECT_TRUE(hasCommand("SIConnectShaderToCnxPoint(Clips.wood, Sources.Materials.DefaultLib.wood.Phong.diffuse"));
    EXPECT_TRUE(hasCommand("SICreateImageClip(" + dir.root() + "/tex/wood.jpg, wood, "));
    EXPECT_TRUE(hasCommand("DisconnectAndDeleteShaders(Sources.Materials.DefaultLib.Scene_Material.Phong"));
    EXPECT_EQ(hostScene().commands().back(), "SetValue(preferences.scripting.cmdlog, true)");
}

TEST_F(RunFixture, ClustersScaleFlipAndPrefix) {
    dir.write("scene.obj", kTwoBoxes);
    dir.write("scene.mtl", kSceneMtl);
    choices.optionFlags = {{"--clusters", ""}, {"--flip-zy", ""},       {"--scale", "2"},
                           {"--no-center-pivots", ""}, {"--material-prefix", "_scene"}};
    run("scene.obj");
    ASSERT_EQ(result, 1) << err;
    EXPECT_EQ(test::sceneObjectNames(), std::vector<std::string>{"scene"});
    const auto* mesh = sceneObject("scene");
    ASSERT_TRUE(mesh);
    ASSERT_EQ(mesh->positions.size(), 21u);
    EXPECT_EQ(std::vector<double>(mesh->positions.begin() + 18, mesh->positions.end()),
              (std::vector<double>{2, 8, -2}));  // v 1 1 4 scaled by 2, Y and Z swapped
    EXPECT_EQ(mesh->pivot[0], 0.0);
    std::vector<std::string> clusters;
    for (const auto& c : mesh->clusters)
        clusters.push_back(c.name + ":" + std::to_string(c.polygons.size()) + (c.material.empty() ? "" : "*"));
    EXPECT_EQ(clusters, (std::vector<std::string>{"box:1", "_2nd_box:1", "mc__scenewood:1*", "mc__scenemetal:1*"}));
    EXPECT_NE(test::sceneMaterial("_scenewood"), -1);
}

TEST_F(RunFixture, CommandLogOffDuringTheImportAndOptionsSavedOnlyWhenConfirmed) {
    dir.write("a.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    hostScene().preferences()["preferences.scripting.cmdlog"] = "false";
    run("a.obj");
    ASSERT_EQ(result, 1);
    EXPECT_EQ(hostScene().preferences()["preferences.scripting.cmdlog"], "false");
    EXPECT_FALSE(hasCommand("SetValue(preferences.scripting.cmdlog, true)"));
    EXPECT_EQ(test::readFile(config()).size(), 29u);

    // Cancelled in the options dialog: nothing built, no NewScene, no options file.
    std::remove(config().c_str());
    hostScene().resetAll();
    ConsoleUi::interrupted = true;
    run("a.obj");
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(hasCommand("NewScene"));
    EXPECT_FALSE(hasCommand("GetValue"));
    EXPECT_TRUE(test::readFile(config()).empty());
}

TEST_F(RunFixture, NothingSelectedShowsTheMessageAndStillSavesTheOptions) {
    dir.write("a.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\ng a\nf 1 2 3\n");
    choices.select = "zzz";
    run("a.obj");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(err, "nothing found to import...\n");
    EXPECT_FALSE(hasCommand("NewScene"));
    EXPECT_EQ(test::readFile(config()).size(), 29u);
}

TEST_F(RunFixture, ErrorsEndTheRunWithTheirText) {
    dir.write("bad.obj", "v 0 0 0\ng a\nf 1 2 3\n");
    run("bad.obj");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(err, "invalid vertex index\n");
    EXPECT_TRUE(test::sceneObjectNames().empty());
    EXPECT_EQ(hostScene().commands().back(), "SetValue(preferences.scripting.cmdlog, true)");
}

// Memory that runs out between the dialogs (here in the progress dialog's making) ends the run
// with the reason, and leaves the host as it was: its controls hook on, its command log back on.
// Anything else thrown there, a fault of ours, does the same with the general error.
TEST_F(RunFixture, MemoryRunningOutBetweenTheDialogsLeavesTheHostAsItWas) {
    dir.write("a.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    struct StarvedUi : RunUi {
        StarvedUi(ConsoleUi& c, bool s) : console(c), starved(s) {}
        ConsoleUi& console;
        bool starved;
        std::vector<std::string> shown;
        int optionsDialog(ObjImporter& importer) override { return console.optionsDialog(importer); }
        int progressDialog(ObjImporter&) override {
            if (starved) throw std::bad_alloc();
            throw std::logic_error("fault");
        }
        void warningsDialog(ObjImporter&) override {}
        void messageBox(ObjImporter&, const char* text) override { shown.emplace_back(text); }
        MapSearchUi& mapSearch() override { return console; }
    };
    for (bool starved : {true, false}) {
        ConsoleUi console(choices, out);
        StarvedUi ui(console, starved);
        ObjImporter faulted;
        const int suspensions = XSI::standin::HostUi::instance().hookSuspensions;
        int ended = -1;
        EXPECT_NO_THROW(ended = runImport(faulted, dir.path("a.obj").c_str(), dir.path("qfObjImp.dll").c_str(), ui));
        EXPECT_EQ(ended, 0);
        EXPECT_EQ(ui.shown, (std::vector<std::string>{starved ? "not enough memory to import the file"
                                                              : "error creating meshes"}));
        EXPECT_EQ(XSI::standin::HostUi::instance().hookSuspensions, suspensions);
        EXPECT_EQ(hostScene().preferences()["preferences.scripting.cmdlog"], "true");
        EXPECT_FALSE(workerRunning(faulted));
    }
}

#if !defined(_WIN32)
// A pipe as the OBJ file is refused with its message before anything opens it: opening it would
// wait for a writer, reading it might never end.
TEST_F(RunFixture, APipeIsRefusedBeforeItIsOpened) {
    ASSERT_EQ(mkfifo(dir.path("pipe.obj").c_str(), 0600), 0);
    run("pipe.obj");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(err, "not a regular file (a device or a pipe): \"" + dir.path("pipe.obj") + "\"\n");
    EXPECT_TRUE(test::sceneObjectNames().empty());
}
#endif

// A file that went away after it was chosen (or that a folder stands in for) ends the run with a
// message rather than silently.
TEST_F(RunFixture, AFileThatCannotBeOpenedSaysSo) {
    run("gone.obj");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(err, "cannot open \"" + dir.path("gone.obj") + "\"\n");
    err.clear();
    dir.write("folder.obj/inside.obj", "v 0 0 0\n");
    run("folder.obj");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(err, "cannot open \"" + dir.path("folder.obj") + "\"\n");
    EXPECT_TRUE(test::sceneObjectNames().empty());
    EXPECT_TRUE(hostScene().commands().empty());
}

TEST_F(RunFixture, MissingMapsAreSoughtInTheOfferedFoldersAndTheLastOneIsSaved) {
    dir.write("m.obj", "mtllib m.mtl\nusemtl a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    dir.write("m.mtl", "newmtl a\nmap_Kd deep.png\nmap_Ka other.png\n");
    dir.write("maps/one/empty.txt", "");
    dir.write("maps/two/sub/deep.png", "png");
    choices.searchFolders = {dir.path("maps/one"), dir.path("maps/two")};
    run("m.obj");
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(hasCommand("SICreateImageClip(" + dir.path("maps/two/sub/deep.png")));
    EXPECT_EQ(test::slashed(out.str()), "Ambient-Map not found in Material: \"a\" (other.png); looked in " +
                                             test::slashed(dir.root() + "/, " + dir.path("maps/one") + ", " +
                                                           dir.path("maps/two")) +
                                             " and the folder below it\n");
    EXPECT_EQ(std::string(importer->options.mapSearchPath), dir.path("maps/two"));
    // The next run starts with the saved folder's tree.
    hostScene().resetAll();
    choices.searchFolders.clear();
    run("m.obj");
    EXPECT_TRUE(hasCommand("SICreateImageClip(" + dir.path("maps/two/sub/deep.png")));
}

}  // namespace
}  // namespace qf
