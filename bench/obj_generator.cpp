#include "obj_generator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <memory>

namespace qf::bench {

namespace fs = std::filesystem;

namespace {

struct Writer {
    FILE* f;
    char buffer[256];
    explicit Writer(const std::string& path) : f(std::fopen(path.c_str(), "wb")) {
        if (f) std::setvbuf(f, nullptr, _IOFBF, 1 << 20);
    }
    ~Writer() {
        if (f) std::fclose(f);
    }
    template <typename... Args>
    void line(const char* format, Args... args) {
        int n = std::snprintf(buffer, sizeof buffer, format, args...);
        std::fwrite(buffer, 1, size_t(n), f);
    }
};

// A patch of width x height vertices; indices start at first (1-based).
void writePatch(Writer& w, int width, int height, double originX, double originY, int64_t first) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            w.line("v %.6f %.6f %.6f\n", originX + x * 0.01, originY + y * 0.01, std::sin(x * 0.1) * 0.5);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) w.line("vt %.6f %.6f\n", double(x) / width, double(y) / height);
    for (int y = 0; y + 1 < height; ++y)
        for (int x = 0; x + 1 < width; ++x) {
            int64_t a = first + int64_t(y) * width + x, b = a + 1, c = a + width, d = c + 1;
            w.line("f %lld/%lld %lld/%lld %lld/%lld\n", (long long)a, (long long)a, (long long)b, (long long)b,
                   (long long)d, (long long)d);
            w.line("f %lld/%lld %lld/%lld %lld/%lld\n", (long long)a, (long long)a, (long long)d, (long long)d,
                   (long long)c, (long long)c);
        }
}

// The same patch with every face written in negative (relative) indices, and a strip of faces
// that joins its first row to the last row of the patch before it: references into an earlier
// block, counted back from the vertices read so far.
void writeRelativePatch(Writer& w, int width, int height, double originX, bool joinPrevious) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            w.line("v %.6f %.6f %.6f\n", originX + x * 0.01, y * 0.01, std::cos(x * 0.1) * 0.5);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) w.line("vt %.6f %.6f\n", double(x) / width, double(y) / height);
    const long long n = (long long)width * height;
    // Vertex (x, y) of this patch is -(n - (y * width + x)); of the patch before, n more back.
    auto rel = [&](int x, int y) { return -(n - ((long long)y * width + x)); };
    for (int y = 0; y + 1 < height; ++y)
        for (int x = 0; x + 1 < width; ++x) {
            long long a = rel(x, y), b = rel(x + 1, y), c = rel(x, y + 1), d = rel(x + 1, y + 1);
            w.line("f %lld/%lld %lld/%lld %lld/%lld\n", a, a, b, b, d, d);
            w.line("f %lld/%lld %lld/%lld %lld/%lld\n", a, a, d, d, c, c);
        }
    if (!joinPrevious) return;
    for (int x = 0; x + 1 < width; ++x) {
        long long a = rel(x, height - 1) - n, b = rel(x + 1, height - 1) - n, c = rel(x, 0), d = rel(x + 1, 0);
        w.line("f %lld/%lld %lld/%lld %lld/%lld %lld/%lld\n", a, a, b, b, d, d, c, c);
    }
}

}  // namespace

bool writeBackReferenceFile(const std::string& path, uint64_t targetBytes, int groupCount) {
    Writer w(path);
    if (!w.f) return false;
    constexpr int width = 8;
    for (int g = 0; g < groupCount; ++g) {
        const long written = std::ftell(w.f);
        const double perGroup = (double(targetBytes) - double(written)) / double(groupCount - g);
        const int height = std::max(2, int(perGroup / 1000.0 + 0.5));
        w.line("g strip%d\n", g);
        writeRelativePatch(w, width, height, g * 1.0, g > 0);
    }
    return std::ferror(w.f) == 0;
}

bool writeGridFile(const std::string& path, uint64_t targetBytes) {
    Writer w(path);
    if (!w.f) return false;
    // About 140 bytes per vertex: its v and vt lines and two faces.
    int side = int(std::sqrt(double(targetBytes) / 140.0));
    w.line("# grid %d x %d\ng grid\n", side, side);
    writePatch(w, side, side, 0, 0, 1);
    return std::ferror(w.f) == 0;
}

bool writeGroupsFile(const std::string& path, uint64_t targetBytes, int groupCount) {
    Writer w(path);
    if (!w.f) return false;
    w.line("mtllib groups.mtl\n");
    int64_t first = 1;
    constexpr int width = 8;
    for (int g = 0; g < groupCount; ++g) {
        // Rows per patch follow the bytes still to write: each row of 8 is about 900 bytes.
        const long written = std::ftell(w.f);
        const double perGroup = (double(targetBytes) - double(written)) / double(groupCount - g);
        const int height = std::max(2, int(perGroup / 900.0 + 0.5));
        w.line("g part%d\nusemtl mat%d\n", g, g % 64);
        writePatch(w, width, height, g * 1.0, 0, first);
        first += int64_t(width) * height;
    }
    return std::ferror(w.f) == 0;
}

namespace {

// Writes lines from make(i) for i = 0, 1, ... until the file has about targetBytes.
template <typename Make>
void fill(Writer& w, uint64_t targetBytes, Make make) {
    for (long i = 0; uint64_t(std::ftell(w.f)) < targetBytes; ++i) make(i);
}

const char kTriangle[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

}  // namespace

bool writeEarlierBlockFile(const std::string& path, uint64_t targetBytes) {
    Writer w(path);
    if (!w.f) return false;
    // About 70 bytes per vertex: its two copies and one face.
    const long n = std::max(3L, long(targetBytes / 70));
    for (int copy = 0; copy < 2; ++copy) {
        for (long i = 0; i < n; ++i) w.line("v %ld %ld 0\n", i % 1000, i / 1000);
        if (copy == 0) w.line("f 1 2 3\n");
    }
    for (long i = 1; i + 2 <= n; ++i) w.line("f %ld %ld %ld\n", i, i + 1, i + 2);
    return std::ferror(w.f) == 0;
}

bool writeMissingMaterialsFile(const std::string& path, uint64_t targetBytes) {
    Writer w(path);
    if (!w.f) return false;
    w.line("%sg a\n", kTriangle);
    fill(w, targetBytes, [&](long i) { w.line("usemtl missing%ld\nf 1 2 3\n", i); });
    return std::ferror(w.f) == 0;
}

namespace {

// One face after each usemtl of a distinct material, all defined in a library beside the file;
// describe gives the statement that follows each newmtl (and may note that it failed).
template <typename Describe>
bool writeMaterialsFile(const std::string& path, uint64_t targetBytes, Describe describe) {
    const std::string library = path.substr(0, path.find_last_of('.')) + ".mtl";
    Writer w(path), lib(library);
    if (!w.f || !lib.f) return false;
    const std::string libraryName = library.substr(library.find_last_of('/') + 1);
    w.line("mtllib %s\n%sg a\n", libraryName.c_str(), kTriangle);
    bool described = true;
    fill(w, targetBytes, [&](long i) {
        w.line("usemtl paint%ld\nf 1 2 3\n", i);
        lib.line("newmtl paint%ld\n%s\n", i, describe(i, described).c_str());
    });
    return described && std::ferror(w.f) == 0 && std::ferror(lib.f) == 0;
}

}  // namespace

bool writeManyMaterialsFile(const std::string& path, uint64_t targetBytes) {
    return writeMaterialsFile(path, targetBytes, [](long, bool&) { return std::string("Kd 0.5 0.5 0.5"); });
}

bool writeMissingMapsFile(const std::string& path, uint64_t targetBytes) {
    return writeMaterialsFile(path, targetBytes,
                              [](long i, bool&) { return "map_Kd nowhere/paint" + std::to_string(i) + ".tga"; });
}

bool writeOtherCaseMapsFile(const std::string& path, uint64_t targetBytes) {
    const fs::path maps = fs::path(path).parent_path() / "maps";
    std::error_code ec;
    fs::create_directories(maps, ec);
    return !ec && writeMaterialsFile(path, targetBytes, [&](long i, bool& placed) {
               const std::string name = std::to_string(i) + ".tga";
               placed = placed && Writer((maps / ("paint" + name)).string()).f != nullptr;
               return "map_Kd Maps\\Paint" + name;
           });
}

bool writeLibrariesFile(const std::string& path, uint64_t targetBytes) {
    Writer w(path);
    if (!w.f) return false;
    fill(w, targetBytes, [&](long i) { w.line("mtllib lib%ld.mtl\n", i); });
    w.line("%sf 1 2 3\n", kTriangle);
    return std::ferror(w.f) == 0;
}

bool writeOneFaceGroupsFile(const std::string& path, uint64_t targetBytes) {
    Writer w(path);
    if (!w.f) return false;
    w.line("%s", kTriangle);
    fill(w, targetBytes, [&](long i) { w.line("g %ld\nf 1 2 3\n", i); });
    return std::ferror(w.f) == 0;
}

bool writeSameHostNameGroupsFile(const std::string& path, uint64_t targetBytes) {
    Writer w(path);
    if (!w.f) return false;
    // Names that differ only in characters the host does not take: all become "x___".
    std::string marks;
    for (int c = 33; c < 256; ++c)
        if (!std::isalnum(c) && c != '#' && c != '\\' && c != '"' && c != '\'' && c != 127) marks += char(c);
    const long n = long(marks.size());
    w.line("%s", kTriangle);
    fill(w, targetBytes, [&](long i) {
        w.line("g x%c%c%c\nf 1 2 3\n", marks[size_t(i % n)], marks[size_t(i / n % n)], marks[size_t(i / n / n % n)]);
    });
    return std::ferror(w.f) == 0;
}

bool writeLongLineFile(const std::string& path, uint64_t targetBytes) {
    Writer w(path);
    if (!w.f) return false;
    w.line("%sf", kTriangle);
    fill(w, targetBytes, [&](long) { w.line(" 1 2 3 3 2 1 1 3 2 2 1 3 1 2 3 3 2 1 2 3 1 1 2 3"); });
    w.line("\n");
    return std::ferror(w.f) == 0;
}

bool writeLoneCrFile(const std::string& path, uint64_t targetBytes) {
    Writer w(path);
    if (!w.f) return false;
    w.line("v 0 0 0\rv 1 0 0\rv 0 1 0\r");
    fill(w, targetBytes, [&](long i) { w.line("g %ld\rf 1 2 3\r", i); });
    return std::ferror(w.f) == 0;
}

}  // namespace qf::bench
