// Cost of the file shapes that once grew faster than the file: each shape is generated at two
// sizes and imported whole into the stand-in scene in a process of its own; the time and the peak
// memory per MB of input must stay about the same at both sizes (linear growth).
//
//   qfshapes [--dir DIR] [--small MB] [--large MB] [--only WORD]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "host/host_scene.h"
#include "obj/input_source.h"
#include "obj_generator.h"
#include "qfobjimp/console_ui.h"
#include "run/import_run.h"

namespace fs = std::filesystem;
using namespace qf;

namespace {

struct Cost {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system time of the child: steadier than the wall on a busy machine
    double peakMb = 0;
    bool ok = false;
};

// The whole run of qfobjimp import (without its JSON) in a child process: wall time, peak memory.
Cost importInChild(const std::string& path, const std::string& config) {
    std::fflush(stdout);
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        XSI::standin::HostScene::instance().resetAll();
        std::ostream none(nullptr);
        ConsoleUi ui(ConsoleChoices{}, none);
        ObjImporter importer;
        const int result = runImport(importer, path.c_str(), "qfshapes", ui, config.c_str());
        if (!result) std::fprintf(stderr, "  import of %s failed: %s\n", path.c_str(), importer.errorText);
        _exit(result ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Cost c;
    c.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    c.peakMb = double(usage.ru_maxrss) / 1024.0;
    auto toSeconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    c.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    c.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return c;
}

struct Shape {
    const char* name;
    bool (*write)(const std::string&, uint64_t);
    double scale;  // of the sizes asked for
};

}  // namespace

int main(int argc, char** argv) {
    std::string dir = (fs::temp_directory_path() / "qfobjimp-shapes").string();
    double small = 4, large = 16;
    std::string only;  // the shapes whose name holds this word
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--dir") && i + 1 < argc) dir = argv[++i];
        else if (!std::strcmp(argv[i], "--small") && i + 1 < argc) small = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--large") && i + 1 < argc) large = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) only = argv[++i];
        else {
            std::fprintf(stderr, "usage: qfshapes [--dir DIR] [--small MB] [--large MB] [--only WORD]\n");
            return 2;
        }
    }
    fs::create_directories(dir);
    const std::string config = dir + "/qf_objimp.cfg";
    const Shape shapes[] = {
        {"faces naming an earlier block", bench::writeEarlierBlockFile, 1},
        {"distinct missing usemtl names", bench::writeMissingMaterialsFile, 1},
        {"distinct materials, all defined", bench::writeManyMaterialsFile, 0.25},
        {"materials whose maps are nowhere", bench::writeMissingMapsFile, 0.1},
        {"maps spelled in another case", bench::writeOtherCaseMapsFile, 0.02},
        {"distinct missing mtllib names", bench::writeLibrariesFile, 1},
        {"groups of one face each", bench::writeOneFaceGroupsFile, 1},
        {"groups of one host name", bench::writeSameHostNameGroupsFile, 1},
        {"one face line as long as the file", bench::writeLongLineFile, 8},
        {"lines ended by a lone CR", bench::writeLoneCrFile, 1},
    };
    // What a run costs before any input: the peak memory of an empty file.
    const std::string empty = dir + "/empty.obj";
    bench::writeOneFaceGroupsFile(empty, 0);
    const Cost base = importInChild(empty, config);
    std::printf("whole import into the scene; peak memory less %.0f MB of an empty run\n", base.peakMb);
    std::printf("%-36s %6s %8s %8s %10s %8s %12s\n", "shape", "MB", "wall s", "cpu s", "cpu s/MB", "peak MB",
                "peak MB/MB");
    for (const Shape& shape : shapes) {
        if (std::string(shape.name).find(only) == std::string::npos) continue;
        for (const double mb : {small * shape.scale, large * shape.scale}) {
            const std::string path = dir + "/shape.obj";
            shape.write(path, uint64_t(mb * 1e6));
            const double bytes = double(fileSize(path)) / 1e6;
            const Cost c = importInChild(path, config);
            std::printf("%-36s %6.1f %8.2f %8.2f %10.3f %8.0f %12.2f%s\n", shape.name, bytes, c.seconds, c.cpuSeconds,
                        c.cpuSeconds / bytes, c.peakMb, (c.peakMb - base.peakMb) / bytes, c.ok ? "" : "  (failed)");
            fs::remove(path);
            fs::remove(dir + "/shape.mtl");
            fs::remove_all(dir + "/maps");
        }
    }
    return 0;
}
