#include "run/config_file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "materials/paths.h"
#include "model/fixed_text.h"
#include "model/string_table.h"
#include "obj/input_source.h"
#include "run/run_paths.h"

namespace qf {

namespace {

struct FileCloser {
    FILE* f;
    ~FileCloser() {
        if (f) std::fclose(f);
    }
};

int32_t readInt32(const unsigned char* p) {
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    int32_t out;
    std::memcpy(&out, &v, 4);
    return out;
}

void writeInt32(unsigned char* p, int32_t value) {
    uint32_t v;
    std::memcpy(&v, &value, 4);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

float readFloat(const unsigned char* p) {
    int32_t bits = readInt32(p);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

void writeFloat(unsigned char* p, float f) {
    int32_t bits;
    std::memcpy(&bits, &f, 4);
    writeInt32(p, bits);
}

// A number the dialog could not have set (NaN, infinite, out of its spinner's range) is never
// used: the default takes its place, with a warning, and a later save writes the default.
void keepInRange(ObjImporter& importer, float& value, float min, float max, float fallback, const char* key) {
    if (inRange(value, min, max)) return;
    char warning[160];
    formatBounded(warning, sizeof warning, loadText(IDS_OPTION_OUT_OF_RANGE), key, double(value), double(fallback));
    importer.addWarning(warning);
    value = fallback;
}

}  // namespace

void configPathBeside(const char* moduleFileName, char (&path)[kPathSize]) {
    const char* cut = lastSeparator(moduleFileName);
    const size_t folder = cut ? size_t(cut - moduleFileName) + 1 : 0;
    // Cut to fit, the path would name a folder above the module's, or a file of another name;
    // without the module's name, it would be a file in whatever folder is current.
    if (!moduleFileName[0] || folder + std::strlen(kConfigFileName) >= sizeof path) {
        path[0] = '\0';
        return;
    }
    std::memcpy(path, moduleFileName, folder);
    copyBounded(path + folder, sizeof path - folder, kConfigFileName);
}

bool loadOptions(ObjImporter& importer) {
    if (!importer.configPath[0]) return false;  // the module has no options file
    // A pipe or a device in its place would block the read or feed it endlessly.
    if (inputPathKind(importer.configPath) != InputPathKind::RegularFile) return false;
    FileCloser file{std::fopen(importer.configPath, "rb")};
    if (!file.f) return false;
    const uint64_t size = fileSize(importer.configPath);
    unsigned char head[kConfigFixedSize];
    // A file shorter than its fixed part is refused whole, whatever it records.
    if (size < kConfigFixedSize || std::fread(head, 1, sizeof head, file.f) != sizeof head) return false;
    if (readInt32(head) != kConfigFormatMark) return false;
    if (uint64_t(uint32_t(readInt32(head + 4))) != size || readInt32(head + 4) < 0) return false;

    ImportOptions& o = importer.options;
    o.replaceScene = head[8] != 0;
    o.importAsClusters = head[9] != 0;
    o.flipZY = head[10] != 0;
    o.centerPivots = head[11] != 0;
    o.textureCoords = head[12] != 0;
    o.importNormals = false;
    o.objectScale = readFloat(head + 14);
    o.importMaterials = head[18] != 0;
    o.useMaterialPrefix = head[19] != 0;
    o.defaultBump = readFloat(head + 20);
    o.forceBlackAmbient = head[24] != 0;
    const ImportOptions defaults;
    keepInRange(importer, o.objectScale, kObjectScaleMin, kObjectScaleMax, defaults.objectScale, "scale");
    keepInRange(importer, o.defaultBump, kDefaultBumpMin, kDefaultBumpMax, defaults.defaultBump, "default-bump");

    const int32_t length = readInt32(head + 25);
    if (length > 0) {
        // At most what the field holds and what the file has; up to the end of a line, as a
        // line read would stop there.
        uint64_t wanted = uint64_t(length);
        if (wanted > sizeof o.mapSearchPath - 1) wanted = sizeof o.mapSearchPath - 1;
        if (wanted > size - kConfigFixedSize) wanted = size - kConfigFixedSize;
        size_t used = 0;
        int c;
        while (used < wanted && (c = std::fgetc(file.f)) != EOF) {
            o.mapSearchPath[used++] = static_cast<char>(c);
            if (c == '\n') break;
        }
        o.mapSearchPath[used] = '\0';
    }
    return true;
}

bool saveOptions(const ObjImporter& importer) {
    if (!importer.configPath[0]) return false;
    const ImportOptions& o = importer.options;
    const size_t length = strnlen(o.mapSearchPath, sizeof o.mapSearchPath - 1);
    unsigned char head[kConfigFixedSize] = {};
    writeInt32(head, kConfigFormatMark);
    writeInt32(head + 4, static_cast<int32_t>(kConfigFixedSize + length));
    head[8] = o.replaceScene;
    head[9] = o.importAsClusters;
    head[10] = o.flipZY;
    head[11] = o.centerPivots;
    head[12] = o.textureCoords;
    head[13] = o.importNormals;
    writeFloat(head + 14, o.objectScale);
    head[18] = o.importMaterials;
    head[19] = o.useMaterialPrefix;
    writeFloat(head + 20, o.defaultBump);
    head[24] = o.forceBlackAmbient;
    writeInt32(head + 25, static_cast<int32_t>(length));

    // Written whole under a name of its own, then put in place: a full disk or a failed write
    // leaves the options saved before as they were, never an emptied file.
    std::string target = importer.configPath;
    std::error_code ec;
#if defined(_WIN32)
    const std::string temporary = target + "." + std::to_string(_getpid()) + ".tmp";
#else
    target = pathBehindLinks(target);
    // A file its owner made read-only stays as it is, as it did when it was written in place.
    if (access(target.c_str(), F_OK) == 0 && access(target.c_str(), W_OK) != 0) return false;
    const std::string temporary = target + "." + std::to_string(getpid()) + ".tmp";
#endif
    auto write = [&](FILE* f) {
        bool written = std::fwrite(head, 1, sizeof head, f) == sizeof head;
        if (length) written = std::fwrite(o.mapSearchPath, 1, length, f) == length && written;
        return std::fclose(f) == 0 && written;
    };
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        // No file can be made beside it (a folder only its files may be written in): in place,
        // as before.
        FILE* inPlace = std::fopen(target.c_str(), "r+b");
        if (!inPlace) return false;
        const bool written = write(inPlace);
        if (written) std::filesystem::resize_file(fileSystemPath(target), kConfigFixedSize + length, ec);
        return written && !ec;
    }
    bool written = write(f);
#if defined(_WIN32)
    written = written && MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    written = written && std::rename(temporary.c_str(), target.c_str()) == 0;
#endif
    if (!written) std::remove(temporary.c_str());
    return written;
}

}  // namespace qf
