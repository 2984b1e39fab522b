// The tool as a user runs it: the real binary, its output streams and its exit code.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "qfobjimp/cli.h"
#include "qfobjimp/console_ui.h"
#include "support/test_support.h"

namespace qf {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string word(const std::string& s) { return "'" + s + "'"; }

// Runs the tool with the arguments (a shell word list), in the folder when one is given, and keeps
// both streams apart.
CliRun run(const std::string& arguments, const std::string& folder = "") {
    static test::TempDir streams;
    const std::string errFile = streams.path("stderr.txt");
    const std::string command = (folder.empty() ? "" : "cd " + word(folder) + " && ") + QF_CLI_PATH + " " +
                                arguments + " 2>" + word(errFile);
    CliRun r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) r.out.append(chunk, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = test::readFile(errFile);
    return r;
}

const std::string kSample = std::string(QF_TEST_DATA) + "/two_groups.obj";
const std::string kExample = std::string(QF_TEST_DATA) + "/../../examples/toy_car/toy_car.obj";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Files left in a folder, by name.
std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// --- scan ------------------------------------------------------------------------------------

TEST(CliScan, ListsObjectsTotalsAndLibrariesWithEnglishDigitGroups) {
    CliRun r = run("scan " + word(kSample));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "front body"));
    EXPECT_TRUE(contains(r.out, "(no polygons: not listed)"));
    EXPECT_TRUE(contains(r.out, "Objects: 3"));
    EXPECT_TRUE(contains(r.out, "Vertices: 7  Texture vertices: 2  Normals: 0"));
    EXPECT_TRUE(contains(r.out, "\"two groups.mtl\" \"extra.mtl\""));
    const std::string size = std::to_string(fs::file_size(kExample));
    CliRun example = run("scan " + word(kExample));
    EXPECT_TRUE(contains(example.out, size.substr(0, size.size() - 3) + "," + size.substr(size.size() - 3) + " bytes"))
        << example.out;
}

TEST(CliScan, JsonHasTheDocumentedKeysInListOrderAndEscapesAnyByte) {
    CliRun r = run("scan --json " + word(kSample));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"vertexTotal\":7,\"normalTotal\":0,\"texCoordTotal\":2,"
              "\"materialLibraries\":[\"two groups.mtl\",\"extra.mtl\"],\"objects\":["
              "{\"name\":\"wheel\",\"vertexCount\":4,\"normalCount\":0,\"texCoordCount\":2,\"polygonCount\":1,\"indexCount\":4},"
              "{\"name\":\"front body\",\"vertexCount\":3,\"normalCount\":0,\"texCoordCount\":0,\"polygonCount\":2,\"indexCount\":6},"
              "{\"name\":\"empty\",\"vertexCount\":0,\"normalCount\":0,\"texCoordCount\":0,\"polygonCount\":0,\"indexCount\":0}]}\n");
    test::TempDir dir;
    std::string odd = dir.write("odd.obj", "g \"a\\\\b \\\"q\" \xe9t\xe9\nv 0 0 0\nf 1 1 1\n");
    EXPECT_TRUE(contains(run("scan --json " + word(odd)).out, "\\u00e9t\\u00e9"));
}

// --- help, version and exit codes -----------------------------------------------------------

TEST(CliInterface, HelpAndVersionGoToStandardOutputAndSucceed) {
    for (const char* args : {"--help", "-h", "help", "import --help", "help import", "scan -h", "config --help",
                             "help help"}) {
        CliRun r = run(args);
        EXPECT_EQ(r.exitCode, 0) << args;
        EXPECT_TRUE(contains(r.out, "usage: qfobjimp")) << args;
        EXPECT_EQ(r.err, "") << args;
    }
    EXPECT_TRUE(contains(run("import --help").out, "--no-flip-zy"));
    CliRun version = run("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("qfobjimp [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
}

TEST(CliInterface, WrongCommandLinesExitTwoWithTheUsageOnStandardError) {
    const char* wrong[] = {"",
                           "explode",
                           "scan",
                           "scan a.obj --frobnicate",
                           "scan a.obj --scene out.json",  // a flag of another verb
                           "config --flip-zy",
                           "import a.obj --scale",
                           "import a.obj --scale 0",
                           "import a.obj --scale=nan",
                           "import a.obj --flip-zy=on",
                           "import a.obj --gltf out.obj",
                           "config set scale",
                           "config frobnicate",
                           "import a.obj --scene ''",
                           "config --config ''",
                           "parse /no/such.obj --scale 0",  // the command line is judged before any file
                           "parse a.obj --config /c/cccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccc"
                           "cccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccc"
                           "cccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccc"
                           "cccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccccc"};
    for (const char* args : wrong) {
        CliRun r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_TRUE(contains(r.err, "usage: qfobjimp")) << args << "\n" << r.err;
    }
    EXPECT_TRUE(contains(run("scan a.obj --scene out.json").err, "--scene does not apply to 'scan'"));
    EXPECT_TRUE(contains(run("import a.obj --scale 0").err, "--scale takes a number from 0.001 to 10000"));
}

TEST(CliInterface, ConfigShowsTheFileAndMeaningsAndListsWhatSetTakes) {
    test::TempDir dir;
    const std::string cfg = word(dir.path("opts.cfg"));
    CliRun fresh = run("config --config " + cfg);
    EXPECT_TRUE(contains(fresh.out, "options file: " + dir.path("opts.cfg") + " (not there yet"));
    // A relative path is shown where it lies.
    EXPECT_TRUE(contains(run("config --config opts.cfg", dir.root()).out, "options file: " + dir.path("opts.cfg")));
    EXPECT_TRUE(contains(fresh.out, "swap the Y and Z axes"));
    ASSERT_EQ(run("config --config " + cfg + " set scale 2.5").exitCode, 0);
    ASSERT_EQ(run("config --config " + cfg + " set flip-zy on").exitCode, 0);
    const std::string bytes = test::readFile(dir.path("opts.cfg"));
    ASSERT_EQ(bytes.size(), 29u);
    EXPECT_EQ(bytes[10], 1);
    EXPECT_EQ(bytes.substr(14, 4), std::string("\x00\x00\x20\x40", 4));
    EXPECT_TRUE(std::regex_search(run("config --config " + cfg).out, std::regex("\n  scale +2\\.5 ")));

    CliRun badValue = run("config --config " + cfg + " set flip-zy maybe");
    EXPECT_EQ(badValue.exitCode, 2);
    EXPECT_TRUE(contains(badValue.err, "flip-zy takes on or off"));
    CliRun badKey = run("config --config " + cfg + " set colour blue");
    EXPECT_EQ(badKey.exitCode, 2);
    EXPECT_TRUE(contains(badKey.err, "replace-scene, clusters, flip-zy")) << badKey.err;
    EXPECT_EQ(run("config --config " + cfg + " set scale 0").exitCode, 2);
    EXPECT_EQ(run("config --config " + cfg + " set default-bump -0.5").exitCode, 0);  // a value, not a flag
    EXPECT_TRUE(std::regex_search(run("config --config " + cfg).out, std::regex("\n  default-bump +-0\\.5 ")));
    EXPECT_EQ(run("config --config " + cfg + " set default-bump 0.2").exitCode, 0);
    EXPECT_EQ(test::readFile(dir.path("opts.cfg")), bytes);  // refused settings change nothing

    // A search folder is kept in full, for runs started from any folder.
    ASSERT_EQ(run("config --config opts.cfg set search-path maps", dir.root()).exitCode, 0);
    EXPECT_TRUE(contains(run("config --config " + cfg).out, "\n    " + dir.path("maps") + "\n"));
}

// Whatever cannot be read as options (the OBJ file named by a slip, a pipe) is neither read nor
// replaced; a folder name the file could not give back is refused.
TEST(CliInterface, ConfigLeavesFilesThatAreNotOptionsAsTheyAre) {
    test::TempDir dir;
    const std::string obj = dir.write("car.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    CliRun overObj = run("config --config " + word(obj) + " set scale 2");
    EXPECT_EQ(overObj.exitCode, 1);
    EXPECT_TRUE(contains(overObj.err, "cannot be read as an options file; it is left as it is")) << overObj.err;
    EXPECT_EQ(test::readFile(obj), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    EXPECT_TRUE(contains(run("config --config " + word(obj)).out, "(not readable as an options file"));

    ASSERT_EQ(mkfifo(dir.path("pipe.cfg").c_str(), 0600), 0);
    CliRun pipe = run("config --config " + word(dir.path("pipe.cfg")));  // would wait for a writer
    EXPECT_EQ(pipe.exitCode, 0);
    EXPECT_EQ(run("config --config " + word(dir.path("pipe.cfg")) + " set scale 2").exitCode, 1);

    const std::string cfg = word(dir.path("opts.cfg"));
    ASSERT_EQ(run("config --config " + cfg + " set flip-zy on").exitCode, 0);
    EXPECT_EQ(run("config --config " + cfg + " set search-path \"$(printf 'a\\nb')\"").exitCode, 2);
    CliRun longPath = run("config --config " + word(dir.path(std::string(300, 'c'))) + " set scale 2");
    EXPECT_EQ(longPath.exitCode, 2);
    EXPECT_TRUE(contains(longPath.err, "--config takes a path of at most 259 characters")) << longPath.err;
    EXPECT_EQ(filesIn(dir.root()), (std::vector<std::string>{"car.obj", "opts.cfg", "pipe.cfg"}));
}

// --- options belong to one run --------------------------------------------------------------

struct CliImport : ::testing::Test {
    test::TempDir dir;
    std::string cfg() const { return dir.path("opts.cfg"); }
    // Imports the file with the flags into scene.json and returns the run.
    CliRun import(const std::string& obj, const std::string& flags = "") {
        return run("import " + word(obj) + " --config " + word(cfg()) + " --scene " +
                   word(dir.path("scene.json")) + " " + flags);
    }
    std::string scene() const { return test::readFile(dir.path("scene.json")); }
};

TEST_F(CliImport, FlagsApplyToTheirRunOnlyUnlessSaved) {
    const std::string obj = dir.write("m.obj", "mtllib m.mtl\nusemtl paint\nv 1 2 3\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    dir.write("m.mtl", "newmtl paint\nKd 1 0 0\nmap_Kd paint.png\n");
    dir.write("maps/paint.png", "png");

    ASSERT_EQ(import(obj, "--flip-zy --material-prefix foo_ --search-path " + word(dir.path("maps"))).exitCode, 0);
    EXPECT_TRUE(contains(scene(), "[1,3,-2]"));
    EXPECT_TRUE(contains(scene(), "\"name\":\"foo_paint\""));
    EXPECT_TRUE(contains(scene(), dir.path("maps/paint.png")));
    EXPECT_FALSE(fs::exists(cfg()));  // nothing saved

    CliRun next = import(obj);
    ASSERT_EQ(next.exitCode, 0);
    EXPECT_TRUE(contains(scene(), "[1,2,3]"));
    EXPECT_TRUE(contains(scene(), "\"name\":\"paint\""));
    EXPECT_TRUE(contains(next.out, "Diffuse-Map not found in Material: \"paint\" (paint.png)"));

    // Saved on request: the next run starts from them, and a --no- flag turns one off again.
    ASSERT_EQ(import(obj, "--flip-zy --save-options").exitCode, 0);
    EXPECT_EQ(test::readFile(cfg())[10], 1);
    ASSERT_EQ(import(obj).exitCode, 0);
    EXPECT_TRUE(contains(scene(), "[1,3,-2]"));
    ASSERT_EQ(import(obj, "--no-flip-zy").exitCode, 0);
    EXPECT_TRUE(contains(scene(), "[1,2,3]"));
    EXPECT_EQ(test::readFile(cfg())[10], 1);

    // A search folder given relative to where the tool ran is saved in full, so that a run
    // started elsewhere still finds the map there.
    ASSERT_EQ(run("import m.obj --config opts.cfg --search-path maps --save-options", dir.root()).exitCode, 0);
    ASSERT_EQ(import(obj).exitCode, 0);
    EXPECT_TRUE(contains(scene(), "\"file\":\"" + dir.path("maps/paint.png") + "\""));

    // A scale no dialog could have saved gives way to its default, and a flag of the run to
    // both: the warning must not claim the default is what the run used.
    std::string saved = test::readFile(cfg());
    const float huge = 1e30f;
    std::memcpy(saved.data() + 14, &huge, sizeof huge);
    dir.write("opts.cfg", saved);
    CliRun flagged = import(obj, "--scale 2 --no-flip-zy");
    ASSERT_EQ(flagged.exitCode, 0);
    EXPECT_TRUE(contains(scene(), "[2,4,6]"));
    EXPECT_TRUE(contains(flagged.out, "scale 1e+30 in the options file is out of range and was replaced by its default 1"))
        << flagged.out;
}

// parse lists the clusters an import builds: none for a file of one object.
TEST_F(CliImport, ParseListsTheClustersTheImportBuilds) {
    const std::string one = dir.write("one.obj", "g solo\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::string two = dir.write("two.obj", "g a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\ng b\nf 1 2 3\nf 3 2 1\n");
    CliRun parsed = run("parse --json --clusters --config " + word(cfg()) + " " + word(one));
    ASSERT_EQ(parsed.exitCode, 0) << parsed.err;
    EXPECT_TRUE(contains(parsed.out, "\"clusters\":[]")) << parsed.out;
    EXPECT_FALSE(contains(run("parse --clusters --config " + word(cfg()) + " " + word(one)).out, "cluster solo"));
    ASSERT_EQ(import(one, "--clusters").exitCode, 0);
    EXPECT_TRUE(contains(scene(), "\"clusters\":[]"));

    parsed = run("parse --json --clusters --config " + word(cfg()) + " " + word(two));
    EXPECT_TRUE(contains(parsed.out, "\"clusters\":[{\"name\":\"a\",\"polygonCount\":1},"
                                     "{\"name\":\"b\",\"polygonCount\":2}]"))
        << parsed.out;
    ASSERT_EQ(import(two, "--clusters").exitCode, 0);
    EXPECT_TRUE(contains(scene(), "\"clusters\":[{\"name\":\"a\",\"sourceName\":\"a\",\"polygons\":[0]},"
                                  "{\"name\":\"b\",\"sourceName\":\"b\",\"polygons\":[1,2]}]"))
        << scene();
}

// --- errors: where, and how they end the run ------------------------------------------------

TEST_F(CliImport, ErrorsNameTheFileAndGoToStandardErrorAlone) {
    const std::string bad = dir.write("bad.obj", "# a face past the vertices\nv 0 0 0\n\nf 1 2 3\n");
    CliRun r = import(bad);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, bad + ":4: invalid vertex index\n");
    // The file as the user typed it, and one line for a text written for a message box.
    dir.write("nan.obj", "v 0 0 0\nv nan 1 1\nv 0 1 0\nf 1 2 3\n");
    CliRun nan = run("import nan.obj", dir.root());
    EXPECT_EQ(nan.exitCode, 1);
    EXPECT_EQ(nan.err, "nan.obj:2: vertex coordinate is not a finite number (NaN or infinity)\n");
    CliRun big = import(dir.write("big.obj", "v 0 0 0\nv 1e30 1 1\nv 0 1 0\nf 1 2 3\n"));
    EXPECT_EQ(big.err, dir.path("big.obj") + ":2: vertex coordinate too big adjust vertex-scale\n");

    CliRun missing = run("import /no/such/file.obj");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "qfobjimp: cannot read '/no/such/file.obj': no such file\n");
    EXPECT_TRUE(contains(run("scan /tmp").err, "it is a folder"));
    // A device or a pipe is refused at once, not read until it ends.
    ASSERT_EQ(mkfifo(dir.path("pipe.obj").c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), dir.path("pipe.obj")}) {
        CliRun device = run("import " + word(path));
        EXPECT_EQ(device.exitCode, 1) << path;
        EXPECT_EQ(device.err, "qfobjimp: cannot read '" + path + "': not a regular file (a device or a pipe)\n");
    }
}

TEST_F(CliImport, AFileWithNothingToImportFailsWithOneMessage) {
    CliRun empty = import(dir.write("empty.obj", ""));
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "qfobjimp: " + dir.path("empty.obj") + ": nothing found to import...\n");

    const std::string obj = dir.write("a.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\ng wheel\nf 1 2 3\n");
    CliRun unmatched = import(obj, "--select 'door*'");
    EXPECT_EQ(unmatched.exitCode, 1);
    EXPECT_EQ(unmatched.err, "qfobjimp: " + obj + ": no object matches --select 'door*'\n");
    EXPECT_EQ(run("parse " + word(obj) + " --select zzz").exitCode, 1);
    EXPECT_FALSE(fs::exists(dir.path("scene.json")));
}

// --- the scene file is written whole or not at all ------------------------------------------

TEST_F(CliImport, AFailedImportLeavesTheEarlierSceneFileAsItWas) {
    dir.write("scene.json", "earlier");
    ASSERT_EQ(import(dir.write("bad.obj", "v 0 0 0\nf 1 2 3\n")).exitCode, 1);
    EXPECT_EQ(scene(), "earlier");
    EXPECT_EQ(filesIn(dir.root()), (std::vector<std::string>{"bad.obj", "scene.json"}));
    CliRun unwritable = run("import " + word(kExample) + " --scene " + word(dir.path("no/such/folder/s.json")));
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(contains(unwritable.err, "cannot write")) << unwritable.err;
}

// No output takes the place of the file being imported or of another output, whatever the
// spelling; a link keeps naming its file, a device is written to, and a long name still works.
TEST_F(CliImport, OutputsNeverReplaceTheInputAndGoWhereTheirNamesLead) {
    const std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\ng a\nf 1 2 3\n";
    const std::string obj = dir.write("in.obj", text);
    fs::create_directory(dir.path("sub"));
    const std::pair<const char*, const char*> clashes[] = {
        {"--scene in.obj", "--scene names the OBJ file being imported"},
        {"--scene sub/../in.obj", "--scene names the OBJ file being imported"},
        {"--gltf x.gltf --scene ./x.gltf", "--scene and --gltf name the same file"},
        {"--config in.obj --save-options", "'in.obj' cannot be read as an options file; it is left as it is"}};
    for (const auto& [flags, message] : clashes) {
        CliRun r = run("import in.obj " + std::string(flags), dir.root());
        EXPECT_NE(r.exitCode, 0) << flags;
        EXPECT_TRUE(contains(r.err, message)) << flags << "\n" << r.err;
        EXPECT_EQ(test::readFile(obj), text) << flags;
    }
    EXPECT_FALSE(fs::exists(dir.path("x.gltf")));
    // Nor the library or a map the import read, whether it makes a clip or not; nor an empty file
    // named as the options file.
    dir.write("lib.obj", "mtllib m.mtl\nusemtl paint\n" + text);
    dir.write("m.mtl", "newmtl paint\nmap_Kd paint.png\nmap_Ke glow.png\n");
    dir.write("paint.png", "png");
    dir.write("glow.png", "png");
    dir.write("empty.txt", "");
    EXPECT_EQ(run("import lib.obj --config empty.txt --save-options", dir.root()).exitCode, 1);
    EXPECT_EQ(test::readFile(dir.path("empty.txt")), "");
    for (const char* output : {"m.mtl", "paint.png", "glow.png"}) {
        CliRun r = run("import lib.obj --config opts.cfg --scene " + std::string(output), dir.root());
        EXPECT_EQ(r.exitCode, 2) << output;
        EXPECT_TRUE(contains(r.err, "which the import read; nothing was written")) << r.err;
    }
    EXPECT_EQ(test::readFile(dir.path("m.mtl")), "newmtl paint\nmap_Kd paint.png\nmap_Ke glow.png\n");
    EXPECT_EQ(test::readFile(dir.path("paint.png")), "png");
    EXPECT_EQ(test::readFile(dir.path("glow.png")), "png");

    // Standard output named as a file: written to where it goes, never replaced.
    dir.write("log.txt", "before\n");
    ASSERT_EQ(run("import in.obj --config opts.cfg --scene /dev/stdout >> log.txt", dir.root()).exitCode, 0);
    const std::string log = test::readFile(dir.path("log.txt"));
    EXPECT_EQ(log.rfind("before\n{\"format\":\"qfobjimp scene\"", 0), 0u) << log.substr(0, 60);
    EXPECT_TRUE(contains(log, "imported 1 mesh"));
    CliRun stdoutPiped = run("import in.obj --config opts.cfg --scene /dev/stdout | head -c 30", dir.root());
    EXPECT_EQ(stdoutPiped.out, "{\"format\":\"qfobjimp scene\",\"ve");

    dir.write("real.json", "earlier");
    fs::create_symlink("real.json", dir.path("link.json"));
    ASSERT_EQ(run("import in.obj --config opts.cfg --scene link.json", dir.root()).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(dir.path("link.json")));
    EXPECT_TRUE(contains(test::readFile(dir.path("real.json")), "\"format\":\"qfobjimp scene\""));

    ASSERT_EQ(mkfifo(dir.path("pipe.json").c_str(), 0600), 0);
    std::string piped;
    std::thread reader([&] { piped = test::readFile(dir.path("pipe.json")); });
    CliRun toPipe = run("import in.obj --config opts.cfg --scene pipe.json", dir.root());
    reader.join();
    EXPECT_EQ(toPipe.exitCode, 0) << toPipe.err;
    EXPECT_TRUE(contains(piped, "\"format\":\"qfobjimp scene\"")) << piped.substr(0, 80);
    EXPECT_TRUE(fs::is_fifo(dir.path("pipe.json")));

    const std::string longName = std::string(240, 'n') + ".json";
    ASSERT_EQ(run("import in.obj --config opts.cfg --scene " + longName, dir.root()).exitCode, 0);
    EXPECT_TRUE(fs::exists(dir.path(longName)));
}

// A path the importer would have to cut is refused, never read in part; results that cannot
// reach their reader make the run fail.
TEST_F(CliImport, PathsTooLongAndLostResultsFail) {
    std::string inside;
    while (dir.root().size() + inside.size() < 300) inside += std::string(60, 'd') + "/";
    const std::string deep = dir.path(inside);
    dir.write(inside + "a.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    for (const std::string& verb : {"import a.obj --config " + word(cfg()), "parse a.obj --config " + word(cfg()),
                                    std::string("scan a.obj")}) {
        CliRun r = run(verb, deep);
        EXPECT_EQ(r.exitCode, 1) << verb;
        EXPECT_EQ(r.err, "qfobjimp: cannot read 'a.obj': its full path is longer than the 259 characters the "
                         "importer keeps\n") << verb;
    }
    // Options asked to be saved and not saved fail the run, after its results.
    CliRun unsaved = run("import " + word(kExample) + " --config " + word(dir.path("none/opts.cfg")) + " --save-options");
    EXPECT_EQ(unsaved.exitCode, 1);
    EXPECT_TRUE(contains(unsaved.out, "imported 7 meshes"));
    EXPECT_TRUE(contains(unsaved.err, "the options are not saved")) << unsaved.err;
    CliRun longFolder = run("import " + word(kExample) + " --config " + word(cfg()) + " --save-options --search-path " +
                            word(deep));
    EXPECT_EQ(longFolder.exitCode, 2);
    EXPECT_FALSE(fs::exists(cfg()));

    CliRun full = run("scan " + word(kExample) + " >/dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "qfobjimp: cannot write to standard output\n");
}

TEST_F(CliImport, CtrlCCancelsExitsWith130AndKeepsTheEarlierSceneFile) {
    // Big enough that the import is still running when the signal comes.
    std::string big = "g grid\n";
    for (int i = 0; i < 400000; ++i) big += "v " + std::to_string(i) + " 0.5 0.25\n";
    for (int i = 1; i + 2 < 400000; ++i)
        big += "f " + std::to_string(i) + " " + std::to_string(i + 1) + " " + std::to_string(i + 2) + "\n";
    const std::string obj = dir.write("big.obj", big);
    dir.write("scene.json", "earlier");

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string errFile = dir.path("stderr.txt");
        freopen(errFile.c_str(), "w", stderr);
        freopen("/dev/null", "w", stdout);
        execl(QF_CLI_PATH, QF_CLI_PATH, "import", obj.c_str(), "--config", cfg().c_str(), "--scene",
              dir.path("scene.json").c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // The handler is in place once the temporary scene file exists.
    for (int i = 0; i < 5000 && filesIn(dir.root()).size() < 4; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(test::readFile(dir.path("stderr.txt")), "qfobjimp: import cancelled\n");
    EXPECT_EQ(scene(), "earlier");
    EXPECT_EQ(filesIn(dir.root()), (std::vector<std::string>{"big.obj", "scene.json", "stderr.txt"}));
}

// scan and parse stop at a Ctrl-C as import does: the same exit code, and they say which was cancelled.
TEST_F(CliImport, ScanAndParseCancelledByCtrlCExitWith130) {
    const std::string obj = dir.write("a.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\ng wheel\nf 1 2 3\n");
    for (const char* verb : {"scan", "parse"}) {
        ConsoleUi::interrupted = true;  // as the handler leaves it after a Ctrl-C
        const std::string config = cfg();
        const char* argv[] = {"qfobjimp", verb, obj.c_str(), "--config", config.c_str()};
        const int argc = std::string(verb) == "scan" ? 3 : 5;
        std::ostringstream out, err;
        EXPECT_EQ(runCli(argc, argv, out, err), 130) << verb;
        EXPECT_EQ(err.str(), std::string("qfobjimp: ") + verb + " cancelled\n");
        EXPECT_EQ(out.str(), "") << verb;
        ConsoleUi::interrupted = false;
    }
}

// --- after a successful import: the warnings, then one summary line -------------------------

TEST_F(CliImport, ASuccessfulImportEndsWithOneSummaryLine) {
    CliRun r = import(kExample);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::regex expected(
        "Diffuse-Map not found in Material: \"glass\" \\(textures/glass_tint\\.png\\)[^\n]*\n"
        "imported 7 meshes, 53 polygons, 84 vertices, 4 materials, 5 clips, 1 warning in [0-9]+\\.[0-9]{2} s; "
        "written to " + std::regex_replace(dir.path("scene.json"), std::regex("[.^$|()\\[\\]{}*+?\\\\]"), "\\$&") +
        "\n");
    EXPECT_TRUE(std::regex_match(r.out, expected)) << r.out;

    CliRun chosen = import(kExample, "--select 'wheel*'");
    ASSERT_EQ(chosen.exitCode, 0);
    EXPECT_TRUE(contains(chosen.out, "imported 4 meshes, 40 polygons, 64 vertices, 2 materials, 3 clips, 0 warnings"));
    EXPECT_TRUE(contains(scene(), "\"name\":\"wheel_front_left\""));
    EXPECT_FALSE(contains(scene(), "\"name\":\"body\""));
}

}  // namespace
}  // namespace qf
