// The tool as a user runs it: the real binary, its output and its exit code.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "support/test_support.h"

namespace qf {
namespace {

struct CliRun {
    int exitCode;
    std::string out;
};

// Runs the tool and reads what it prints: both streams, or standard error alone.
CliRun run(const std::string& arguments, bool errorsOnly = false) {
    std::string command = std::string(QF_CLI_PATH) + " " + arguments + (errorsOnly ? " 2>&1 >/dev/null" : " 2>&1");
    FILE* pipe = popen(command.c_str(), "r");
    CliRun r{-1, {}};
    if (!pipe) return r;
    std::array<char, 4096> chunk;
    size_t n;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0) r.out.append(chunk.data(), n);
    int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

const std::string kSample = std::string(QF_TEST_DATA) + "/two_groups.obj";

TEST(Cli, ScanListsObjectsTotalsAndLibraries) {
    CliRun r = run("scan '" + kSample + "'");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("wheel"), std::string::npos);
    EXPECT_NE(r.out.find("front body"), std::string::npos);
    EXPECT_NE(r.out.find("(no polygons: not listed)"), std::string::npos);
    EXPECT_NE(r.out.find("Objects: 3"), std::string::npos);
    EXPECT_NE(r.out.find("Vertices: 7  Texture vertices: 2  Normals: 0"), std::string::npos);
    EXPECT_NE(r.out.find("\"two groups.mtl\" \"extra.mtl\""), std::string::npos);
}

TEST(Cli, ScanJsonHasTheDocumentedKeysInListOrder) {
    CliRun r = run("scan --json '" + kSample + "'");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out,
              "{\"vertexTotal\":7,\"normalTotal\":0,\"texCoordTotal\":2,"
              "\"materialLibraries\":[\"two groups.mtl\",\"extra.mtl\"],\"objects\":["
              "{\"name\":\"wheel\",\"vertexCount\":4,\"normalCount\":0,\"texCoordCount\":2,\"polygonCount\":1,\"indexCount\":4},"
              "{\"name\":\"front body\",\"vertexCount\":3,\"normalCount\":0,\"texCoordCount\":0,\"polygonCount\":2,\"indexCount\":6},"
              "{\"name\":\"empty\",\"vertexCount\":0,\"normalCount\":0,\"texCoordCount\":0,\"polygonCount\":0,\"indexCount\":0}]}\n");
}

TEST(Cli, JsonEscapesNamesOfAnyBytes) {
    test::TempDir dir;
    std::string file = dir.write("odd.obj", "g \"a\\\\b \\\"q\" \xe9t\xe9\nv 0 0 0\nf 1 1 1\n");
    CliRun r = run("scan --json '" + file + "'");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("\\u00e9t\\u00e9"), std::string::npos) << r.out;
}

TEST(Cli, UnreadableInputsAndBadArgumentsFailClearly) {
    CliRun missing = run("scan /no/such/file.obj");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("cannot read '/no/such/file.obj': no such file"), std::string::npos);
    CliRun folder = run("scan /tmp");
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_NE(folder.out.find("it is a folder"), std::string::npos);
    EXPECT_EQ(run("").exitCode, 2);
    EXPECT_EQ(run("scan").exitCode, 2);
    EXPECT_EQ(run("scan a.obj --frobnicate").exitCode, 2);
    EXPECT_EQ(run("explode").exitCode, 2);
}

TEST(Cli, EmptyFileSaysNothingFoundAndSucceeds) {
    test::TempDir dir;
    CliRun r = run("scan '" + dir.write("empty.obj", "") + "'");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("nothing found to import..."), std::string::npos);
}

TEST(Cli, ConfigSetWritesTheOptionsFileAndShowReadsIt) {
    test::TempDir dir;
    std::string cfg = dir.path("opts.cfg");
    EXPECT_NE(run("config --config '" + cfg + "'").out.find("not found: defaults"), std::string::npos);
    ASSERT_EQ(run("config --config '" + cfg + "' set scale 2.5").exitCode, 0);
    ASSERT_EQ(run("config --config '" + cfg + "' set flip-zy on").exitCode, 0);
    std::string bytes = test::readFile(cfg);
    ASSERT_EQ(bytes.size(), 29u);
    EXPECT_EQ(bytes[10], 1);
    EXPECT_EQ(bytes.substr(14, 4), std::string("\x00\x00\x20\x40", 4));
    CliRun shown = run("config --config '" + cfg + "'");
    EXPECT_NE(shown.out.find("scale                 2.5"), std::string::npos) << shown.out;
    EXPECT_EQ(run("config --config '" + cfg + "' set scale 0").exitCode, 2);
    EXPECT_EQ(run("config --config '" + cfg + "' set colour blue").exitCode, 2);
}

TEST(Cli, ImportWritesTheSceneAndPrintsTheWarnings) {
    test::TempDir dir;
    const std::string example = std::string(QF_TEST_DATA) + "/../../examples/toy_car/toy_car.obj";
    const std::string scene = dir.path("scene.json"), cfg = dir.path("opts.cfg");
    CliRun r = run("import '" + example + "' --config '" + cfg + "' --scene '" + scene + "' --select 'wheel*'");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "");  // the glass with its missing map is not chosen
    const std::string json = test::readFile(scene);
    EXPECT_NE(json.find("\"name\":\"wheel_front_left\""), std::string::npos);
    EXPECT_EQ(json.find("\"name\":\"body\""), std::string::npos);
    EXPECT_NE(json.find("\"commands\":[\"NewScene(, false)\""), std::string::npos);
    EXPECT_EQ(test::readFile(cfg).size(), 29u);

    CliRun all = run("import '" + example + "' --config '" + cfg + "'");
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(all.out, "Diffuse-Map not found in Material: \"glass\" (textures/glass_tint.png)\n");
}

TEST(Cli, ImportErrorsGoToStandardErrorWithExitCodeOne) {
    test::TempDir dir;
    const std::string cfg = dir.path("opts.cfg");
    CliRun bad = run("import '" + dir.write("bad.obj", "v 0 0 0\nf 1 2 3\n") + "' --config '" + cfg + "'", true);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "invalid vertex index\n");
    EXPECT_EQ(run("import /no/such.obj").exitCode, 1);
    EXPECT_EQ(run("import '" + dir.path("bad.obj") + "' --scale 0").exitCode, 2);
    EXPECT_EQ(run("import '" + dir.path("bad.obj") + "' --scale").exitCode, 2);
}

}  // namespace
}  // namespace qf
