#include "materials/mtl_reader.h"

#include <cmath>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "materials/paths.h"
#include "model/fixed_text.h"
#include "model/string_table.h"
#include "obj/line_reader.h"
#include "obj/numbers.h"

namespace qf {

namespace {

char g_currentMtlFolder[kPathSize] = {};

constexpr size_t kMtlWindowSize = 64 * 1024;

// Word i of a statement; words past the last read as the empty end marker.
struct Words {
    const char* const* items;
    int count;
    const char* operator[](int i) const { return (i >= 0 && i < count) ? items[i] : ""; }
};

float number(const char* word) { return parseFloat(word); }

// NaN and the infinities ("nan", "inf", or a number beyond the float range) are no value the
// host could use: a statement or option that gives one keeps what it had.
bool usable(float value) { return std::isfinite(value); }

bool startsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix) {
        char a = *text, b = *prefix;
        if (a >= 'A' && a <= 'Z') a = char(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = char(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

MapKind kindOfSuffix(const char* suffix) {
    static const struct {
        const char* suffix;
        MapKind kind;
    } kinds[] = {{"Ka", MapKind::Ambient},   {"Kd", MapKind::Diffuse}, {"Ks", MapKind::Specular},
                 {"Ke", MapKind::Emission},  {"d", MapKind::Opacity},  {"bump", MapKind::Bump},
                 {"refl", MapKind::Reflection}};
    for (const auto& k : kinds)
        if (equalsNoCase(suffix, k.suffix)) return k.kind;
    return MapKind::Unknown;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whether a word that begins with a number is rather the file name: letters follow its number, as
// in "2tex.tga" or "3.png". (A number written with a decimal comma, "1,5", stays a number.)
bool isNameAfterDigits(const char* word) {
    const char* p = word;
    if (*p == '+' || *p == '-') ++p;
    if (!isDigit(*p) && *p != '.') return false;  // "nan" and "inf" are numbers
    while (isDigit(*p) || *p == '.') ++p;
    if ((*p == 'e' || *p == 'E') && (isDigit(p[1]) || ((p[1] == '+' || p[1] == '-') && isDigit(p[2])))) {
        p += 2;
        while (isDigit(*p)) ++p;
    }
    for (; *p; ++p)
        if (isLetter(*p)) return true;
    return false;
}

// Reads up to three numbers from word i on into values; returns the words taken. The file name
// may begin with a digit: such a word ends the numbers.
int readNumbers(const Words& w, int i, float* values) {
    int taken = 0;
    while (taken < 3 && i + taken < w.count) {
        bool consumed = false;
        const float v = static_cast<float>(parseReal(w[i + taken], consumed));
        if (!consumed || isNameAfterDigits(w[i + taken])) break;
        if (usable(v)) values[taken] = v;
        ++taken;
    }
    return taken;
}

// Arguments of the map options that are read past without being kept.
int argumentsOfOption(const char* option) {
    static const struct {
        const char* name;
        int arguments;
    } options[] = {{"-blendu", 1}, {"-blendv", 1}, {"-cc", 1},      {"-clamp", 1},
                   {"-imfchan", 1}, {"-texres", 1}, {"-boost", 1},  {"-mm", 2}};
    for (const auto& o : options)
        if (equalsNoCase(option, o.name)) return o.arguments;
    return -1;  // unknown: its numeric arguments follow it
}

}  // namespace

const char* currentMtlFolder() { return g_currentMtlFolder; }
void setCurrentMtlFolder(const char* folder) { copyBounded(g_currentMtlFolder, folder); }

std::unique_ptr<MtlMap> parseMapStatement(const char* const* words, int count, float defaultBump) {
    auto map = std::make_unique<MtlMap>();
    const Words w{words, count};
    map->kind = kindOfSuffix(w[0] + std::min<size_t>(4, std::strlen(w[0])));
    if (map->kind == MapKind::Bump) map->bumpFactor = defaultBump / 100.0f;
    if (count < 2) {
        copyBounded(map->fileName, "default");
        return map;
    }
    int i = 1;
    while (i < count && w[i][0] == '-') {
        const char* option = w[i];
        if (equalsNoCase(option, "-type")) {
            i += 2;
        } else if (equalsNoCase(option, "-bm")) {
            if (const float factor = number(w[i + 1]); usable(factor)) map->bumpFactor = factor;
            i += 2;
        } else if (equalsNoCase(option, "-o")) {
            i += 1 + readNumbers(w, i + 1, map->offset);
        } else if (equalsNoCase(option, "-s")) {
            i += 1 + readNumbers(w, i + 1, map->scale);
        } else if (equalsNoCase(option, "-t")) {
            float ignored[3];
            i += 1 + readNumbers(w, i + 1, ignored);
        } else {
            int arguments = argumentsOfOption(option);
            if (arguments >= 0) {
                i += 1 + arguments;
            } else {
                float ignored[3];
                i += 1 + readNumbers(w, i + 1, ignored);
            }
        }
    }
    // The name runs from word i up to the first later word that starts an option.
    size_t used = 0;
    for (int k = i; k < count; ++k) {
        if (k > i && w[k][0] == '-') break;
        if (k > i && used + 1 < sizeof map->fileName) map->fileName[used++] = ' ';
        for (const char* s = w[k]; *s && used + 1 < sizeof map->fileName; ++s) map->fileName[used++] = *s;
    }
    map->fileName[used] = '\0';
    return map;
}

uint64_t parseMtlFile(ObjImporter& importer, InputSource& file) {
    std::vector<char> window(kMtlWindowSize);
    LineReader reader(file, window.data(), window.size());
    const char* tokens[kMtlTokenCapacity];
    MtlMaterial* current = nullptr;
    Line line;
    // Cancel is looked at on every line, so that a huge library stops as soon as the OBJ passes do.
    while (!importer.aborted && reader.readLine(line)) {
        const int count = splitTokens(line.text, tokens, kMtlTokenCapacity);
        if (count == 0) continue;
        const Words w{tokens, count};
        const char* keyword = w[0];
        if (equalsNoCase(keyword, "newmtl")) {
            importer.materials.push_back(std::make_unique<MtlMaterial>());
            current = importer.materials.back().get();
            char name[kMaterialNameSize];
            current->name = joinName(tokens, count, name, sizeof name);
            current->libraryFolder = currentMtlFolder();
            continue;
        }
        if (!current) continue;
        if (equalsNoCase(keyword, "Ns")) {
            if (const float shininess = number(w[1]) / 100.0f; usable(shininess)) current->shininess = shininess;
        } else if (equalsNoCase(keyword, "Tr") || equalsNoCase(keyword, "d")) {
            if (const float opacity = number(w[1]); usable(opacity)) current->opacity = opacity;
        } else if (equalsNoCase(keyword, "Tf")) {
            // The mean of the three values; missing ones count as 0.
            float opacity = number(w[1]);
            opacity = number(w[2]) + opacity;
            opacity = (number(w[3]) + opacity) / 3.0f;
            if (usable(opacity)) current->opacity = opacity;
        } else if (equalsNoCase(keyword, "Ka") || equalsNoCase(keyword, "Kd") || equalsNoCase(keyword, "Ks") ||
                   equalsNoCase(keyword, "Ke")) {
            if (count < 4) continue;
            float rgb[3] = {number(w[1]), number(w[2]), number(w[3])};
            float* target = nullptr;
            if (equalsNoCase(keyword, "Ka")) target = current->ambient;
            else if (equalsNoCase(keyword, "Kd")) target = current->diffuse;
            else if (equalsNoCase(keyword, "Ks")) target = current->specular;
            if (!target) continue;  // Ke: accepted, nothing reads it
            if (!usable(rgb[0]) || !usable(rgb[1]) || !usable(rgb[2])) continue;
            std::memcpy(target, rgb, sizeof rgb);
            if (target == current->specular && rgb[0] + rgb[1] + rgb[2] == 0.0f)
                current->specular[0] = current->specular[1] = current->specular[2] = 0.9f;
        } else if (startsWithNoCase(keyword, "map_")) {
            current->maps.push_back(parseMapStatement(tokens, count, importer.options.defaultBump));
        }
    }
    return reader.bytesRead();
}

namespace {

struct LibraryReading {
    ObjImporter& importer;
    DialogLink& dialog;
    uint64_t consumed = 0;
    std::unordered_set<std::string> read;  // paths read in this run: each library once
    FolderListings listings;  // the folders do not change while the libraries are read

    std::string pathOf(const std::string& library) {
        char name[kPathSize], fileName[kPathSize], directory[kPathSize], folder[kPathSize];
        copyBounded(name, library.c_str());
        splitFileName(name, false, fileName, sizeof fileName);
        splitDirectory(name, directory, sizeof directory);
        if (joinPath(importer.objDirectory, directory, folder, sizeof folder) != 0) {
            // A directory that cannot be joined (a misplaced ':', ".." above the root, too long):
            // look for the library beside the OBJ file instead.
            copyBounded(folder, importer.objDirectory);
            toForwardSlashes(folder);
        }
        appendSlash(folder, sizeof folder);
        setCurrentMtlFolder(folder);
        return std::string(folder) + fileName;
    }

    // Reads the library if it is a file; false when it is not. Libraries were named on a system
    // that ignores letter case: "Car.MTL" is car.mtl, and its maps are looked for in the folder
    // as it is spelt on disk.
    bool readLibrary(const std::string& path) {
        std::string found;
        if (!findIgnoringCase(path, found, &listings) || found.size() >= kPathSize) return false;
        char folder[kPathSize];
        copyBounded(folder, found.c_str());
        char* cut = std::strrchr(folder, '/');
        if (cut) cut[1] = '\0';
        else folder[0] = '\0';
        setCurrentMtlFolder(folder);
        if (!read.insert(found).second) return true;
        auto file = FileSource::open(found);
        if (!file) return false;
        importer.libraryFilesRead.push_back(found);
        consumed += parseMtlFile(importer, *file);
        dialog.send(DialogMessage::Progress, 0, static_cast<intptr_t>(consumed));
        return true;
    }

    void warnMissing(const std::string& path) {
        char warning[kPathSize + 64];
        const int text = inputPathKind(path) == InputPathKind::NotAFile ? IDS_NOT_A_FILE : IDS_MATLIB_NOT_FOUND;
        formatBounded(warning, sizeof warning, loadText(text), path.c_str());
        importer.addWarning(warning);
    }

    // One mtllib statement: its names joined by blanks. When that is no file, each name is
    // tried as a library of its own, and the missing ones are named.
    void readStatement(const std::string& library) {
        const std::string joined = pathOf(library);
        if (readLibrary(joined)) return;
        std::vector<std::string> names;
        for (size_t at = 0; at < library.size();) {
            const size_t blank = library.find(' ', at);
            const size_t stop = blank == std::string::npos ? library.size() : blank;
            if (stop > at) names.push_back(library.substr(at, stop - at));
            at = stop + 1;
        }
        if (names.size() < 2) {
            warnMissing(joined);
            return;
        }
        std::vector<std::string> missing;
        for (const std::string& name : names) {
            const std::string path = pathOf(name);
            if (!readLibrary(path)) missing.push_back(path);
        }
        if (missing.size() == names.size()) {
            warnMissing(joined);  // one name with blanks in it, most likely
            return;
        }
        for (const std::string& path : missing) warnMissing(path);
    }
};

}  // namespace

void readMaterialLibraries(ObjImporter& importer, DialogLink& dialog) {
    if (!importer.options.importMaterials) return;
    dialog.send(DialogMessage::Phase, IDS_IMPORTING_MATERIALS, 0);
    LibraryReading reading{importer, dialog, 0, {}, {}};
    for (const std::string& library : importer.materialLibraries) reading.readStatement(library);
    dialog.send(DialogMessage::Progress, 0, static_cast<intptr_t>(importer.progressTotal));
    dialog.send(DialogMessage::Phase, 0, 0);
}

}  // namespace qf
