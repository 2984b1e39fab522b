// The scene of a whole run as JSON: the run's record beside the scene, numbers as numbers, the
// same bytes every time.
#include "run/scene_report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "qfobjimp/console_ui.h"
#include "support/scene_access.h"
#include "support/test_support.h"

namespace qf {
namespace {

struct SceneReport : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<ObjImporter> importer;

    void SetUp() override {
        test::hostScene().resetAll();
        ConsoleUi::interrupted = false;
    }
    std::string import(const std::string& name, const OptionFlags& flags) {
        importer = std::make_unique<ObjImporter>();
        std::ostringstream out;
        ConsoleChoices choices;
        choices.optionFlags = flags;
        ConsoleUi ui(choices, out);
        EXPECT_EQ(runImport(*importer, dir.path(name).c_str(), dir.path("qfObjImp.dll").c_str(), ui), 1);
        return json(name);
    }
    std::string json(const std::string& name) {
        std::ostringstream out;
        EXPECT_TRUE(writeRunSceneJson(out, *importer, dir.path(name)));
        return out.str();
    }
};

bool has(const std::string& json, const std::string& part) { return json.find(part) != std::string::npos; }

// A path as the document writes it (Windows paths hold backslashes).
std::string jsonText(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

TEST_F(SceneReport, TheRunsRecordStandsBesideTheScene) {
    dir.write("s.obj",
              "mtllib s.mtl\ng box\nusemtl wood\nv 0 0 0\nv 2 0 0\nv 2 2 0\nvt 0 0\nvt 1 0\nvt 0.1 1\n"
              "f 1/1 2/2 3/3\ng 2nd box\nusemtl metal\nf 3 2 1\n");
    dir.write("s.mtl", "newmtl wood\nNs 50\nmap_Kd Tex\\Wood.JPG\nnewmtl metal\nmap_bump gone.png\n");
    dir.write("tex/wood.jpg", "jpg");
    const std::string json = import("s.obj", {{"--scale", "2.5"}});

    const std::string head = "{\"format\":\"qfobjimp scene\",\"version\":2,\"source\":{\"file\":\"" +
                             jsonText(dir.path("s.obj")) + "\",\"size\":" +
                             std::to_string(test::readFile(dir.path("s.obj")).size()) + "},";
    EXPECT_EQ(json.substr(0, head.size()), head);
    EXPECT_TRUE(has(json, "\"options\":{\"replaceScene\":true,\"importAsClusters\":false,\"clusterPrefix\":\"\""));
    EXPECT_TRUE(has(json, "\"objectScale\":2.5,"));
    EXPECT_TRUE(has(json, "\"defaultBump\":0.2,"));
    EXPECT_TRUE(has(json, "\"warnings\":[\"Bump-Map not found in Material: \\\"metal\\\" (gone.png); looked in "));
    EXPECT_TRUE(has(json, "{\"name\":\"_2nd_box\",\"sourceName\":\"2nd box\",\"built\":true,"));
    EXPECT_TRUE(has(json, "\"vertices\":[[0,0,0],[5,0,0],[5,5,0]]"));
    EXPECT_TRUE(has(json, "\"values\":[[0,0,0],[1,0,0],[0.1,1,0]]"));
    EXPECT_TRUE(has(json, "\"Phong.shiny\":150,"));
    EXPECT_TRUE(has(json, "\"maps\":[{\"kind\":\"Diffuse\",\"file\":\"Tex\\\\Wood.JPG\",\"found\":true,\"path\":\""));
#if !defined(_WIN32)
    EXPECT_TRUE(has(json, "\"found\":true,\"path\":\"" + dir.path("tex/wood.jpg") + "\"}]"));
#endif
    EXPECT_TRUE(has(json, "\"maps\":[{\"kind\":\"Bump\",\"file\":\"gone.png\",\"found\":false,\"name\":\"gone.png\"}]"));
    EXPECT_TRUE(has(json, "\"preferences\":{\"preferences.scripting.cmdlog\":true}}\n"));
    EXPECT_EQ(this->json("s.obj"), json);  // the same bytes again

    // A cancel stops the writing, and the document does not pass for whole.
    std::atomic<bool> cancel{true};
    std::ostringstream cancelled;
    EXPECT_FALSE(writeRunSceneJson(cancelled, *importer, dir.path("s.obj"), &cancel));
    EXPECT_LT(cancelled.str().size(), json.size());
}

TEST_F(SceneReport, ClustersNameTheObjectsTheyCameFrom) {
    dir.write("c.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\ng front wheel\nf 1 2 3\ng empty\ng back/wheel\nf 3 2 1\n");
    const std::string json = import("c.obj", {{"--clusters", ""}});
    EXPECT_TRUE(has(json, "{\"name\":\"c\",\"sourceName\":\"c\","));
    EXPECT_TRUE(has(json, "\"clusters\":[{\"name\":\"front_wheel\",\"sourceName\":\"front wheel\",\"polygons\":[0]},"
                          "{\"name\":\"back_wheel\",\"sourceName\":\"back/wheel\",\"polygons\":[1]}]"))
        << json;

    // Two groups whose host-safe names are the same: each cluster still names its own group.
    dir.write("d.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\ng a b\nf 1 2 3\ng a_b\nf 3 2 1\nf 1 3 2\n");
    const std::string same = import("d.obj", {{"--clusters", ""}});
    EXPECT_TRUE(has(same, "\"clusters\":[{\"name\":\"a_b\",\"sourceName\":\"a b\",\"polygons\":[0]},"
                          "{\"name\":\"a_b\",\"sourceName\":\"a_b\",\"polygons\":[1,2]}]"))
        << same;
}

}  // namespace
}  // namespace qf
