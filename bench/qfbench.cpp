// Reading speed of the importer's passes on large generated OBJ files, side by side with the
// fastest plain line scan of the same file (the practical limit of any line-based reader).
//
//   qfbench [--dir DIR] [--regenerate] [--runs N]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/object_selection.h"
#include "host/host_scene.h"
#include "materials/mtl_reader.h"
#include "model/import_model.h"
#include "obj/input_source.h"
#include "obj/obj_parser.h"
#include "obj/prescan.h"
#include "obj_generator.h"
#include "qfobjimp/console_ui.h"
#include "run/import_run.h"
#include "run/run_paths.h"
#include "run/workers.h"

#if defined(QF_HAVE_TINYOBJLOADER)
#include <tiny_obj_loader.h>
#endif

namespace fs = std::filesystem;
using namespace qf;

namespace {

double secondsOf(const std::function<void()>& job, int runs) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        job();
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (s < best) best = s;
    }
    return best;
}

// Reads the file in 1 MiB blocks and counts its lines with memchr.
uint64_t lineScan(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    static std::vector<char> block(1 << 20);
    uint64_t lines = 0;
    size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), f)) > 0) {
        const char* p = block.data();
        const char* end = p + n;
        while ((p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)))) != nullptr) {
            ++lines;
            ++p;
        }
    }
    std::fclose(f);
    return lines;
}

int prescanFile(const std::string& path) {
    auto file = FileSource::open(path);
    ObjImporter importer;
    importer.objFile = file.get();
    importer.progressTotal = fileSize(path);
    importer.lineBuffer.allocate(kLineBufferSize);
    SilentLink link;
    return prescanObj(importer, link);
}

// Everything of a run up to the filled model: pre-scan, all objects chosen, MTL, parse pass.
// Returns the bytes of the model's arrays at their peak (file-wide arrays plus meshes).
uint64_t importFile(const std::string& path) {
    auto file = FileSource::open(path);
    ObjImporter importer;
    importer.objFile = file.get();
    importer.progressTotal = fileSize(path);
    importer.lineBuffer.allocate(kLineBufferSize);
    setRunPaths(importer, path.c_str());
    SilentLink link;
    prescanObj(importer, link);
    selectObjects(importer, "*");
    importWorkerBody(importer, link);
    if (importer.aborted) std::fprintf(stderr, "import failed: %s\n", importer.errorText);
    uint64_t bytes = (uint64_t(importer.vertexTotal) + uint64_t(importer.texCoordTotal)) * 12;
    for (const auto& m : importer.meshes) {
        const Mesh& mesh = m->mesh;
        bytes += (mesh.vertices.size() + mesh.texCoords.size()) * 4;
        bytes += (mesh.vertexIndices.size() + mesh.texCoordIndices.size()) * 4;
        bytes += (mesh.polygonSizes.size() + mesh.polygonMaterials.size() + mesh.polygonTexCoordCounts.size()) * 4;
    }
    return bytes;
}

// The whole run into the stand-in host scene, as qfobjimp import does it (without writing JSON).
uint64_t importIntoScene(const std::string& path, const std::string& configPath) {
    XSI::standin::HostScene::instance().resetAll();
    std::ostream none(nullptr);
    ConsoleUi ui(ConsoleChoices{}, none);
    ObjImporter importer;
    const int result = runImport(importer, path.c_str(), "qfbench", ui, configPath.c_str());
    if (!result) std::fprintf(stderr, "import failed: %s\n", importer.errorText);
    return XSI::standin::HostScene::instance().children(XSI::standin::HostScene::instance().root(),
                                                         XSI::standin::ItemKind::Object).size();
}

#if defined(QF_HAVE_TINYOBJLOADER)
void tinyobjLoad(const std::string& path) {
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path.c_str(), nullptr, false))
        std::fprintf(stderr, "tinyobjloader: %s\n", err.c_str());
}
#endif

struct Measurement {
    double seconds = 0;
    long peakKb = 0;
    uint64_t value = 0;
};

// Runs the job in a child process, so that each job's peak memory is its own.
Measurement measure(const std::function<uint64_t()>& job, int runs) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        Measurement m;
        m.seconds = secondsOf([&] { m.value = job(); }, runs);
        if (write(fds[1], &m, sizeof m) != sizeof m) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    Measurement m;
    if (read(fds[0], &m, sizeof m) != sizeof m) m = {};
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    m.peakKb = usage.ru_maxrss;
    return m;
}

void report(const char* what, const Measurement& m, uint64_t bytes) {
    std::printf("  %-34s %8.3f s %9.0f MB/s %8ld MB peak\n", what, m.seconds, double(bytes) / 1e6 / m.seconds,
                m.peakKb / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = (fs::temp_directory_path() / "qfobjimp-bench").string();
    bool regenerate = false;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--dir") && i + 1 < argc) dir = argv[++i];
        else if (!std::strcmp(argv[i], "--regenerate")) regenerate = true;
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: qfbench [--dir DIR] [--regenerate] [--runs N]\n");
            return 2;
        }
    }
    fs::create_directories(dir);
    const std::string grid = dir + "/grid_200mb.obj", groups = dir + "/groups_100mb.obj";
    if (regenerate || !fs::exists(grid)) {
        std::printf("writing %s\n", grid.c_str());
        bench::writeGridFile(grid, 200'000'000);
    }
    if (regenerate || !fs::exists(groups)) {
        std::printf("writing %s\n", groups.c_str());
        bench::writeGroupsFile(groups, 100'000'000, 20000);
    }

    for (const std::string& path : {grid, groups}) {
        const uint64_t bytes = fileSize(path);
        lineScan(path);  // warm the page cache
        std::printf("%s (%.1f MB), best of %d runs\n", fs::path(path).filename().c_str(), double(bytes) / 1e6, runs);
        Measurement scan = measure([&] { return lineScan(path); }, runs);
        report("whole-file line scan (memchr)", scan, bytes);
        Measurement pre = measure([&] { return uint64_t(prescanFile(path)); }, runs);
        report("pre-scan", pre, bytes);
        Measurement full = measure([&] { return importFile(path); }, runs);
        report("pre-scan + MTL + parse", full, bytes);
        Measurement whole = measure([&] { return importIntoScene(path, dir + "/qf_objimp.cfg"); }, runs);
        report("whole import into the scene", whole, bytes);
        std::printf("  whole import / (pre-scan + parse): %.2fx\n", whole.seconds / full.seconds);
#if defined(QF_HAVE_TINYOBJLOADER)
        Measurement tiny = measure([&] { tinyobjLoad(path); return uint64_t(0); }, runs);
        report("tinyobjloader LoadObj", tiny, bytes);
        std::printf("  speed-up over tinyobjloader: %.2fx\n", tiny.seconds / full.seconds);
#endif
        std::printf("  %llu lines, %llu objects, model arrays %.1f MB\n", (unsigned long long)scan.value,
                    (unsigned long long)pre.value, double(full.value) / 1e6);
    }
    return 0;
}
