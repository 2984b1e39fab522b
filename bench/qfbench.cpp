// Reading speed of the importer's passes on large generated OBJ files, side by side with
// tinyobjloader, with fast_obj (one of the fastest one-pass readers, where the build has it), with
// the fastest plain line scan of the same file (the practical limit of any line-based reader), and
// with one pass that converts every number by std::from_chars (what a one-pass reader built on it
// costs at least) and one that converts them as the parse pass does. Where a reading speed is
// aimed at, it tells what that speed leaves the parse pass beside the pre-scan. Each run of a job
// is a process of its own, so that its peak memory is its own; the best of N runs counts, with the
// processor time it took and the median of the runs beside it, and the highest peak of them all.
// The whole import is also measured with a busy loop on another core, as when another program
// keeps the second core busy.
//
//   qfbench [--dir DIR] [--regenerate] [--runs N] [--only NAME] [--no-busy]
//   qfbench --scene-json [--dir DIR] [--runs N]     how fast import --scene writes the grid's scene
//   qfbench --gltf [--dir DIR] [--runs N] [--only NAME]
//                                                   what import --gltf adds to the import, as .glb and .gltf
//   qfbench --lookup [FOLDER]                       map lookup with FOLDER (default /) as search tree
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
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
#include "obj/numbers.h"
#include "obj/obj_parser.h"
#include "obj/prescan.h"
#include "obj_generator.h"
#include "qfobjimp/console_ui.h"
#include "qfobjimp/output_file.h"
#include "run/import_run.h"
#include "run/run_paths.h"
#include "run/scene_report.h"
#include "run/workers.h"
#include "scene/map_lookup.h"

#if defined(QF_HAVE_TINYOBJLOADER)
#include <tiny_obj_loader.h>
#endif
#if defined(QF_HAVE_GLTF)
#include "gltf/gltf_export.h"
#endif
#if defined(QF_HAVE_FAST_OBJ)
#include <fast_obj.h>
#endif

namespace fs = std::filesystem;
using namespace qf;

namespace {

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

// The least a one-pass reader can cost with a given number conversion: every line found, and
// every number of the v, vt, vn and f lines converted and summed, nothing kept. convert reads the
// number at p (an index on face lines, a real elsewhere), adds it to the sums and returns the end
// of its text, or null where the text is no number. Returns how many numbers it converted.
struct NumberSums {
    double values = 0;
    long long indices = 0;
};
template <typename Convert>
uint64_t numberFloor(const std::string& path, Convert convert) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    static std::vector<char> block(1 << 20);
    uint64_t numbers = 0;
    NumberSums sums;
    auto isGap = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '/'; };
    size_t kept = 0;
    for (;;) {
        const size_t n = std::fread(block.data() + kept, 1, block.size() - kept, f);
        const bool atEnd = n == 0;
        const char* p = block.data();
        const char* end = p + kept + n;
        while (p < end) {
            const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
            if (!lineEnd) {
                if (!atEnd && p != block.data()) break;  // the rest of the line is in the next block
                lineEnd = end;
            }
            while (p < lineEnd && (*p == ' ' || *p == '\t')) ++p;
            const bool face = p < lineEnd && *p == 'f';
            if (p < lineEnd && (*p == 'v' || face)) {
                ++p;
                if (p < lineEnd && (*p == 't' || *p == 'n')) ++p;
                while (p < lineEnd) {
                    while (p < lineEnd && isGap(*p)) ++p;
                    if (p == lineEnd) break;
                    p = convert(p, lineEnd, face, sums);
                    if (!p) break;
                    ++numbers;
                }
            }
            p = lineEnd + 1;
        }
        if (atEnd) break;
        kept = p < end ? size_t(end - p) : 0;
        std::memmove(block.data(), p, kept);
    }
    std::fclose(f);
    return numbers + (sums.values + double(sums.indices) == 0.5 ? 1 : 0);  // keeps the sums alive
}

const char* convertByFromChars(const char* p, const char* end, bool face, NumberSums& sums) {
    std::from_chars_result r{};
    if (face) {
        long long index = 0;
        r = std::from_chars(p, end, index);
        sums.indices += index;
    } else {
        double value = 0;
        r = std::from_chars(p, end, value);
        sums.values += value;
    }
    return r.ec == std::errc() ? r.ptr : nullptr;
}

// What the parse pass itself converts with: its own exact conversion of plain decimals, from_chars
// for the rest, and a digit walk for indices.
const char* convertAsTheReader(const char* p, const char* end, bool face, NumberSums& sums) {
    if (face) {
        const bool negative = *p == '-';
        const char* q = negative ? p + 1 : p;
        const char* digits = q;
        long long index = 0;
        while (q < end && unsigned(*q - '0') < 10) index = index * 10 + (*q++ - '0');
        if (q == digits) return nullptr;
        sums.indices += negative ? -index : index;
        return q;
    }
    double value = 0;
    if (!parseRealFast(p, end, value)) return convertByFromChars(p, end, face, sums);
    sums.values += value;
    return p;
}

// Finds where every number ends and converts none: what any reader spends on these lines before
// its conversion.
const char* skipNumber(const char* p, const char* end, bool, NumberSums& sums) {
    const char* start = p;
    while (p < end && *p != ' ' && *p != '\t' && *p != '\r' && *p != '/') ++p;
    sums.indices += p - start;
    return p;
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
    // What is written: the file-wide arrays, the vertices a mesh copied rather than borrowed, the
    // texture indices that do not follow the vertex indices, and the polygon columns that are not
    // uniform.
    uint64_t bytes = uint64_t(importer.vertexTotal) * 12 + uint64_t(importer.texCoordTotal) * kTexCoordFloats * 4;
    auto copied = [&](const FixedArray<float>& values, const MeshArena& lender) {
        return lender.holds(values.data()) ? 0 : values.size() * 4;
    };
    auto written = [](const PolygonColumn& column) { return column.uniform() ? 0 : column.size() * 4; };
    for (const auto& m : importer.meshes) {
        const Mesh& mesh = m->mesh;
        bytes += copied(mesh.vertices, importer.positionArena) + copied(mesh.texCoords, importer.texCoordArena);
        bytes += (mesh.vertexIndices.size() + (mesh.texCoordsFollowVertices ? 0 : mesh.texCoordIndices.size())) * 4;
        bytes += written(mesh.polygonSizes) + written(mesh.polygonMaterials) + written(mesh.polygonTexCoordCounts);
    }
    return bytes;
}

// The whole run into an empty stand-in host scene, as qfobjimp import does it; false when it failed.
bool runWholeImport(ObjImporter& importer, const std::string& path, const std::string& configPath) {
    XSI::standin::HostScene::instance().resetAll();
    std::ostream none(nullptr);
    ConsoleUi ui(ConsoleChoices{}, none);
    if (runImport(importer, path.c_str(), "qfbench", ui, configPath.c_str())) return true;
    std::fprintf(stderr, "import failed: %s\n", importer.errorText);
    return false;
}

// The whole import (without writing JSON). Returns the bytes of the scene's mesh arrays:
// positions, polygons, clusters and texture values, which the import's peak memory holds at its
// end whatever the importer does.
uint64_t importIntoScene(const std::string& path, const std::string& configPath) {
    using XSI::standin::ItemKind;
    XSI::standin::HostScene& scene = XSI::standin::HostScene::instance();
    ObjImporter importer;
    runWholeImport(importer, path, configPath);
    uint64_t bytes = 0;
    for (int object : scene.children(scene.root(), ItemKind::Object)) {
        const XSI::standin::Item& item = scene.item(object);
        bytes += item.positions.size() * sizeof(double) +
                 (item.polygonSizes.size() + item.polygonIndices.size()) * sizeof(int32_t);
        for (const auto& cluster : item.clusters) bytes += cluster.polygons.size() * sizeof(int32_t);
        for (int uv : scene.children(object, ItemKind::UVProperty))
            bytes += scene.item(uv).values.size() * sizeof(float);
    }
    return bytes;
}

#if defined(QF_HAVE_GLTF)
// The whole import, then its scene written as glTF as import --gltf writes it. Returns the meshes
// of the scene.
uint64_t importAndExport(const std::string& path, const std::string& configPath, const std::string& out) {
    ObjImporter importer;
    if (!runWholeImport(importer, path, configPath)) return 0;
    GltfTarget target;
    target.binary = fs::path(out).extension() == ".glb";
    target.folder = fs::path(out).parent_path().string();
    std::vector<std::string> notes;
    std::string error;
    std::FILE* f = std::fopen(out.c_str(), "wb");
    if (!f) return 0;
    bool written;
    {
        FileStreamBuffer buffer(f);
        std::ostream file(&buffer);
        written = writeGltf(file, importer, path, target, notes, error) && file.flush();
    }
    if (std::fclose(f) != 0 || !written) std::fprintf(stderr, "cannot write %s: %s\n", out.c_str(), error.c_str());
    const XSI::standin::HostScene& scene = XSI::standin::HostScene::instance();
    return scene.children(scene.root(), XSI::standin::ItemKind::Object).size();
}
#endif

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

#if defined(QF_HAVE_FAST_OBJ)
// Returns the faces read.
uint64_t fastObjLoad(const std::string& path) {
    fastObjMesh* mesh = fast_obj_read(path.c_str());
    if (!mesh) {
        std::fprintf(stderr, "fast_obj: cannot read %s\n", path.c_str());
        return 0;
    }
    const uint64_t faces = mesh->face_count;
    fast_obj_destroy(mesh);
    return faces;
}
#endif

struct Measurement {
    double seconds = 0;        // wall-clock time of the best run
    double medianSeconds = 0;  // and of the middle one
    double cpuSeconds = 0;     // processor time of the best run, all threads
    // Processor time in the program's own code, without the system's work for it (first touches
    // of new memory, reads), as the system splits it: the least of the runs. Steadier than wall
    // time where new memory costs unevenly, so it tells code changes apart from that.
    double userSeconds = 0;
    long peakKb = 0;
    uint64_t value = 0;
};

struct CpuTimes {
    double user = 0;
    double system = 0;
};

CpuTimes cpuTimesSoFar() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

// Runs the job once in a child process of its own, so that its peak memory is its own: in one
// process, what an earlier run gave back but the allocator kept would count as well.
Measurement measureOnce(const std::function<uint64_t()>& job) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        Measurement m;
        const CpuTimes cpu0 = cpuTimesSoFar();
        const auto t0 = std::chrono::steady_clock::now();
        m.value = job();
        m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const CpuTimes cpu1 = cpuTimesSoFar();
        m.userSeconds = cpu1.user - cpu0.user;
        m.cpuSeconds = m.userSeconds + cpu1.system - cpu0.system;
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

// The fastest of the runs, with the median time and the highest peak memory any of them reached.
// Where memory new to a process costs much and unevenly (a virtual machine whose host takes freed
// memory back), the best run and the median tell different things: both are kept.
Measurement measure(const std::function<uint64_t()>& job, int runs) {
    Measurement best;
    best.seconds = 1e300;
    long peakKb = 0;
    double userSeconds = 1e300;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const Measurement m = measureOnce(job);
        peakKb = std::max(peakKb, m.peakKb);
        userSeconds = std::min(userSeconds, m.userSeconds);
        times.push_back(m.seconds);
        if (m.seconds < best.seconds) best = m;
    }
    best.peakKb = peakKb;
    best.userSeconds = userSeconds;
    std::sort(times.begin(), times.end());
    const size_t middle = times.size() / 2;
    best.medianSeconds = times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    return best;
}

// The grid imported once, then its scene written as JSON (as import --scene writes it) runs times:
// the best time and the bytes of one document.
void sceneJsonSpeed(const std::string& grid, const std::string& dir, int runs) {
    const std::string out = dir + "/grid_scene.json";
    XSI::standin::HostScene::instance().resetAll();
    std::ostream none(nullptr);
    ConsoleUi ui(ConsoleChoices{}, none);
    ObjImporter importer;
    runImport(importer, grid.c_str(), "qfbench", ui, (dir + "/qf_objimp.cfg").c_str());
    // Wall time and processor time, best of the runs: on a busy machine the second tells what the
    // writing itself costs.
    double seconds = 1e300, cpuSeconds = 1e300;
    for (int i = 0; i < runs; ++i) {
        timespec cpu0{}, cpu1{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
        const auto t0 = std::chrono::steady_clock::now();
        // As import --scene writes it: through the tool's file buffer.
        std::FILE* f = std::fopen(out.c_str(), "wb");
        {
            FileStreamBuffer buffer(f);
            std::ostream file(&buffer);
            writeRunSceneJson(file, importer, grid);
        }
        std::fclose(f);
        seconds = std::min(seconds, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
        cpuSeconds = std::min(cpuSeconds, double(cpu1.tv_sec - cpu0.tv_sec) + double(cpu1.tv_nsec - cpu0.tv_nsec) / 1e9);
    }
    const uint64_t bytes = fileSize(out);
    const double mb = double(bytes) / 1e6;
    std::printf("scene JSON of %s, best of %d runs\n", fs::path(grid).filename().c_str(), runs);
    std::printf("  %.1f MB written in %.3f s (%.0f MB/s); %.3f s of processor time (%.0f MB/s)\n", mb, seconds,
                mb / seconds, cpuSeconds, mb / cpuSeconds);
    fs::remove(out);
}

// What a search tree costs a run: walked whole at the start (as every run did before the walk was
// made lazy), against a map found beside the library, a missing map, and a second missing map.
void lookupCost(const std::string& folder) {
    const std::string lib = (fs::temp_directory_path() / "qfbench-lookup").string();
    fs::create_directories(lib);
    std::FILE* touch = std::fopen((lib + "/beside.png").c_str(), "wb");
    if (touch) std::fclose(touch);
    setCurrentMtlFolder((lib + "/").c_str());
    NoMapSearch noSearch;
    auto timed = [](const std::function<void()>& job) {
        auto t0 = std::chrono::steady_clock::now();
        job();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    auto lookup = [&](ObjImporter& importer, const char* name) {
        MtlMap map;
        std::snprintf(map.fileName, sizeof map.fileName, "%s", name);
        char path[kPathSize];
        findMap(importer, map, path, noSearch);
    };
    std::printf("map lookup with the search tree %s\n", folder.c_str());
    {
        ObjImporter importer;
        addSearchTree(importer, folder.c_str());
        const double s = timed([&] { expandSearchFolders(importer); });
        std::printf("  the whole tree walked (%zu folders)      %8.3f s\n", importer.mapSearchPaths.size(), s);
    }
    ObjImporter importer;
    addSearchTree(importer, folder.c_str());
    const double beside = timed([&] { lookup(importer, "beside.png"); });
    std::printf("  a map beside the library                 %8.3f s (%zu folders walked)\n", beside,
                importer.mapSearchPaths.size());
    const double missing = timed([&] { lookup(importer, "no-such-map-1.png"); });
    std::printf("  a missing map                            %8.3f s (%zu folders walked)\n", missing,
                importer.mapSearchPaths.size());
    const double again = timed([&] { lookup(importer, "no-such-map-2.png"); });
    std::printf("  another missing map                      %8.3f s\n", again);
    fs::remove_all(lib);
}

// A process that keeps one core busy until it is stopped.
class BusyCore {
public:
    BusyCore() {
        std::fflush(stdout);
        child_ = fork();
        if (child_ == 0) {
            volatile uint64_t spin = 0;
            for (;;) spin = spin + 1;
        }
    }
    ~BusyCore() {
        if (child_ <= 0) return;
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
    }
    BusyCore(const BusyCore&) = delete;
    BusyCore& operator=(const BusyCore&) = delete;

private:
    pid_t child_ = -1;
};

#if defined(QF_HAVE_GLTF)
// What the glTF export adds to the import of each bench file, in time and in peak memory.
void gltfCost(const std::vector<std::string>& paths, const std::string& dir, int runs) {
    const std::string config = dir + "/qf_objimp.cfg";
    for (const std::string& path : paths) {
        std::printf("%s, best of %d runs, each a process of its own\n", fs::path(path).filename().c_str(), runs);
        const Measurement alone = measure([&] { return importIntoScene(path, config); }, runs);
        std::printf("  %-28s %8.3f s %8.3f s median %6ld MB peak\n", "import", alone.seconds, alone.medianSeconds,
                    alone.peakKb / 1024);
        for (const char* extension : {".glb", ".gltf"}) {
            const std::string out = dir + "/" + fs::path(path).stem().string() + extension;
            const Measurement both = measure([&] { return importAndExport(path, config, out); }, runs);
            const double addedKb = double(both.peakKb - alone.peakKb);
            std::printf("  %-28s %8.3f s %8.3f s median %6ld MB peak; the export adds %.3f s and %.0f MB "
                        "(%.1f MB written, %llu meshes)\n",
                        (std::string("import and export as ") + extension).c_str(), both.seconds, both.medianSeconds,
                        both.peakKb / 1024, both.seconds - alone.seconds, addedKb / 1024, double(fileSize(out)) / 1e6,
                        (unsigned long long)both.value);
        }
    }
}
#endif

void report(const char* what, const Measurement& m, uint64_t bytes, double reference = 0) {
    std::printf("  %-34s %8.3f s %8.3f s cpu %8.3f s median %7.0f MB/s %6ld MB peak", what, m.seconds,
                m.cpuSeconds, m.medianSeconds, double(bytes) / 1e6 / m.seconds, m.peakKb / 1024);
    if (reference > 0) std::printf(" %6.2fx", reference / m.seconds);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = (fs::temp_directory_path() / "qfobjimp-bench").string();
    bool regenerate = false, onlySceneJson = false, onlyGltf = false;
    bool busy = true;
    int runs = 3;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--lookup")) {
            lookupCost(i + 1 < argc ? argv[i + 1] : "/");
            return 0;
        }
        if (!std::strcmp(argv[i], "--scene-json")) onlySceneJson = true;
        else if (!std::strcmp(argv[i], "--gltf")) onlyGltf = true;
        else if (!std::strcmp(argv[i], "--dir") && i + 1 < argc) dir = argv[++i];
        else if (!std::strcmp(argv[i], "--regenerate")) regenerate = true;
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) only = argv[++i];
        else if (!std::strcmp(argv[i], "--no-busy")) busy = false;
        else {
            std::fprintf(stderr, "usage: qfbench [--dir DIR] [--regenerate] [--runs N] [--only NAME] [--no-busy]\n"
                                 "       qfbench --scene-json [--dir DIR] [--runs N]\n"
                                 "       qfbench --gltf [--dir DIR] [--runs N] [--only NAME]\n"
                                 "       qfbench --lookup [FOLDER]\n");
            return 2;
        }
    }
    fs::create_directories(dir);
    const std::string grid = dir + "/grid_200mb.obj", groups = dir + "/groups_100mb.obj",
                      backReferences = dir + "/backrefs_100mb.obj";
    if (regenerate || !fs::exists(grid)) {
        std::printf("writing %s\n", grid.c_str());
        bench::writeGridFile(grid, 200'000'000);
    }
    if (regenerate || !fs::exists(groups)) {
        std::printf("writing %s\n", groups.c_str());
        bench::writeGroupsFile(groups, 100'000'000, 20000);
    }
    if (regenerate || !fs::exists(backReferences)) {
        std::printf("writing %s\n", backReferences.c_str());
        bench::writeBackReferenceFile(backReferences, 100'000'000, 20000);
    }

    if (onlySceneJson) {
        sceneJsonSpeed(grid, dir, runs);
        return 0;
    }
    std::vector<std::string> paths;
    for (const std::string& path : {grid, groups, backReferences})
        if (only.empty() || fs::path(path).filename().string().find(only) != std::string::npos) paths.push_back(path);
    if (onlyGltf) {
#if defined(QF_HAVE_GLTF)
        gltfCost(paths, dir, runs);
        return 0;
#else
        std::fprintf(stderr, "qfbench: this build has no glTF export\n");
        return 2;
#endif
    }
    for (const std::string& path : paths) {
        const uint64_t bytes = fileSize(path);
        lineScan(path);  // warm the page cache
        std::printf("%s (%.1f MB), best of %d runs; the last column is the speed-up over tinyobjloader\n",
                    fs::path(path).filename().c_str(), double(bytes) / 1e6, runs);
        double tinySeconds = 0;
#if defined(QF_HAVE_TINYOBJLOADER)
        Measurement tiny = measure([&] { tinyobjLoad(path); return uint64_t(0); }, runs);
        report("tinyobjloader LoadObj", tiny, bytes);
        tinySeconds = tiny.seconds;
#endif
#if defined(QF_HAVE_FAST_OBJ)
        Measurement fastObj = measure([&] { return fastObjLoad(path); }, runs);
        report("fast_obj (one pass)", fastObj, bytes, tinySeconds);
#endif
        Measurement scan = measure([&] { return lineScan(path); }, runs);
        report("whole-file line scan (memchr)", scan, bytes, tinySeconds);
        Measurement numberPass = measure([&] { return numberFloor(path, convertByFromChars); }, runs);
        report("every number by from_chars, 1 pass", numberPass, bytes, tinySeconds);
        Measurement ownNumberPass = measure([&] { return numberFloor(path, convertAsTheReader); }, runs);
        report("every number, reader's conversion", ownNumberPass, bytes, tinySeconds);
        Measurement tokenPass = measure([&] { return numberFloor(path, skipNumber); }, runs);
        report("every number found, none converted", tokenPass, bytes, tinySeconds);
        Measurement pre = measure([&] { return uint64_t(prescanFile(path)); }, runs);
        report("pre-scan", pre, bytes, tinySeconds);
        Measurement parse = measure([&] { return importFile(path); }, runs);
        report("parse (pre-scan + MTL + parse)", parse, bytes, tinySeconds);
        const std::string config = dir + "/qf_objimp.cfg";
        Measurement whole = measure([&] { return importIntoScene(path, config); }, runs);
        report("import (whole run into the scene)", whole, bytes, tinySeconds);
        Measurement loaded;
        if (busy) {
            BusyCore other;
            loaded = measure([&] { return importIntoScene(path, config); }, runs);
            report("import, another core kept busy", loaded, bytes, tinySeconds);
        }
        std::printf("  pre-scan %.2f GB/s; import / parse: %.2fx", double(bytes) / 1e9 / pre.seconds,
                    whole.seconds / parse.seconds);
        if (busy) std::printf(", busy %.2fx", loaded.seconds / parse.seconds);
        const double parsePeak = double(std::max(1L, parse.peakKb)) * 1024;
        std::printf("; peak memory import / parse: %.2fx, the scene's mesh arrays alone (%.1f MB) %.2fx\n",
                    double(whole.peakKb) * 1024 / parsePeak, double(whole.value) / 1e6,
                    double(whole.value) / parsePeak);
        std::printf("  parse / std::from_chars pass: %.2fx best, %.2fx medians", parse.seconds / numberPass.seconds,
                    parse.medianSeconds / numberPass.medianSeconds);
#if defined(QF_HAVE_FAST_OBJ)
        std::printf("; parse / fast_obj: %.2fx best, %.2fx medians", parse.seconds / fastObj.seconds,
                    parse.medianSeconds / fastObj.medianSeconds);
#endif
        std::printf("\n");
        std::printf("  medians: import / parse %.2fx", whole.medianSeconds / parse.medianSeconds);
        if (busy) std::printf(", busy %.2fx", loaded.medianSeconds / parse.medianSeconds);
#if defined(QF_HAVE_TINYOBJLOADER)
        std::printf(", parse %.2fx faster than tinyobjloader", tiny.medianSeconds / parse.medianSeconds);
#endif
        std::printf("\n");
        std::printf("  least user time: parse %.3f s, import %.3f s (%.2fx)", parse.userSeconds, whole.userSeconds,
                    whole.userSeconds / parse.userSeconds);
#if defined(QF_HAVE_TINYOBJLOADER)
        std::printf(", parse %.2fx faster than tinyobjloader (%.3f s)", tiny.userSeconds / parse.userSeconds,
                    tiny.userSeconds);
#endif
        std::printf("\n");
#if defined(QF_HAVE_TINYOBJLOADER)
        // The reading speed aimed at, as a multiple of tinyobjloader's, and what it leaves the
        // parse pass once the pre-scan has run, beside the cost of converting the numbers alone.
        const double aim = path == grid ? 5.5 : path == groups ? 6.0 : 0.0;
        if (aim > 0)
            std::printf("  parse at %.1fx tinyobjloader: %.3f s, %.3f s beside the pre-scan; converting every number "
                        "as the reader does takes %.3f s (from_chars %.3f s), finding them alone %.3f s\n",
                        aim, tiny.seconds / aim, tiny.seconds / aim - pre.seconds, ownNumberPass.seconds,
                        numberPass.seconds, tokenPass.seconds);
#endif
        std::printf("  %llu lines, %llu objects, model arrays %.1f MB\n", (unsigned long long)scan.value,
                    (unsigned long long)pre.value, double(parse.value) / 1e6);
    }
    return 0;
}
