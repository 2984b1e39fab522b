// Reading speed of the importer's passes on large generated OBJ files, side by side with the
// fastest plain line scan of the same file (the practical limit of any line-based reader).
//
//   qfbench [--dir DIR] [--regenerate] [--runs N]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/import_model.h"
#include "obj/input_source.h"
#include "obj/prescan.h"
#include "obj_generator.h"

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

long peakMemoryKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void report(const char* what, double seconds, uint64_t bytes) {
    std::printf("  %-34s %8.3f s %9.0f MB/s\n", what, seconds, double(bytes) / 1e6 / seconds);
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
        uint64_t lines = 0;
        report("whole-file line scan (memchr)", secondsOf([&] { lines = lineScan(path); }, runs), bytes);
        int objects = 0;
        report("pre-scan", secondsOf([&] { objects = prescanFile(path); }, runs), bytes);
        std::printf("  %llu lines, %d objects\n", (unsigned long long)lines, objects);
    }
    std::printf("peak memory %ld MB\n", peakMemoryKb() / 1024);
    return 0;
}
