#include "obj/obj_parser.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "model/fixed_text.h"
#include "model/mtl_material.h"
#include "model/string_table.h"
#include "obj/line_reader.h"
#include "obj/numbers.h"
#include "obj/obj_statements.h"
#include "obj/prescan.h"

namespace qf {

namespace {

constexpr int kFaceCapacity = kObjTokenCapacity;
// A face keeps at most this many corners: the keyword and the corners fill the token list.
constexpr int kMaxFaceCorners = kObjTokenCapacity - 2;

// The mesh of each record (the first mesh of the record's name) and the record of each mesh, found
// by place or address, so that neither a g statement nor the end of the pass looks a name up
// again. A g statement mostly names the record after the last one named (the records are in the
// order the pre-scan met their names): that one is tried first, by its name alone.
class MeshLookup {
public:
    explicit MeshLookup(const ObjImporter& importer) : importer_(importer) {
        const size_t objectCount = importer.objects.size();
        meshes_.assign(objectCount, nullptr);
        owners_.assign(importer.meshes.size(), nullptr);
        if (!mapInRecordOrder()) {
            std::unordered_map<std::string, size_t> byName;
            for (size_t m = 0; m < importer.meshes.size(); ++m) byName.emplace(importer.meshes[m]->name, m);
            for (size_t i = 0; i < objectCount; ++i) {
                const ObjectInfo* object = importer.objects[i].get();
                auto found = byName.find(object->name);
                if (found == byName.end()) continue;
                meshes_[i] = &importer.meshes[found->second]->mesh;
                if (!owners_[found->second]) owners_[found->second] = object;
            }
            if (importer.combinedObject) {
                auto found = byName.find(importer.combinedObject->name);
                if (found != byName.end()) combinedMesh_ = &importer.meshes[found->second]->mesh;
            }
        }
        places_.reserve(objectCount);
        for (size_t i = 0; i < objectCount; ++i) places_.push_back({importer.objects[i].get(), i});
        std::sort(places_.begin(), places_.end(),
                  [](const Place& a, const Place& b) { return std::less<>()(a.object, b.object); });
    }
    // The record a mesh was made for: the first of its name, as a lookup by the name finds it.
    const ObjectInfo* ownerOf(size_t meshIndex) const {
        return meshIndex < owners_.size() ? owners_[meshIndex] : nullptr;
    }
    Mesh* meshOf(const ObjectInfo* object) const {
        if (!object) return nullptr;
        if (object == importer_.combinedObject.get()) return combinedMesh_;
        const size_t place = placeOf(object);
        return place < meshes_.size() ? meshes_[place] : nullptr;
    }
    // The record of a name, as ObjImporter::findObject finds it; its mesh in mesh.
    ObjectInfo* findRecord(const char* name, Mesh*& mesh) {
        ObjectInfo* found = importer_.findObject(name, next_);
        size_t place = next_;
        if (!found || place >= importer_.objects.size() || importer_.objects[place].get() != found) {
            place = found ? placeOf(found) : importer_.objects.size();
            if (place >= importer_.objects.size()) {
                mesh = nullptr;
                return found;
            }
        }
        next_ = place + 1;
        mesh = meshes_[place];
        return found;
    }

private:
    struct Place {
        const ObjectInfo* object;
        size_t index;
    };

    // Without clusters and with a name for every record, the meshes were made one per chosen
    // record in the records' order, each bearing its record's name: each record's mesh is found
    // by walking both lists, without a name index of tens of thousands of entries. False, with
    // nothing set, where that does not hold.
    bool mapInRecordOrder() {
        const ObjImporter& importer = importer_;
        if (importer.combinedObject || importer.hasDuplicateNames()) return false;
        size_t m = 0;
        for (const auto& object : importer.objects) {
            if (!object->selected) continue;
            if (m == importer.meshes.size() || std::strcmp(importer.meshes[m]->name, object->name) != 0)
                return false;
            ++m;
        }
        if (m != importer.meshes.size()) return false;
        m = 0;
        for (size_t i = 0; i < importer.objects.size(); ++i) {
            if (!importer.objects[i]->selected) continue;
            meshes_[i] = &importer.meshes[m]->mesh;
            owners_[m++] = importer.objects[i].get();
        }
        return true;
    }
    // The record's place in importer.objects; past the end for a record not among them.
    size_t placeOf(const ObjectInfo* object) const {
        auto found = std::lower_bound(places_.begin(), places_.end(), object, [](const Place& p, const ObjectInfo* o) {
            return std::less<>()(p.object, o);
        });
        return found != places_.end() && found->object == object ? found->index : importer_.objects.size();
    }

    const ObjImporter& importer_;
    std::vector<Mesh*> meshes_;                // by the record's place in importer.objects
    std::vector<const ObjectInfo*> owners_;    // by the mesh's place in importer.meshes
    std::vector<Place> places_;                // by the record's address
    Mesh* combinedMesh_ = nullptr;
    size_t next_ = 0;  // the place of the record a g statement most likely names
};

// Faces the pass skipped or cut, for one warning at its end.
struct NotedFaces {
    uint64_t count = 0;
    uint64_t firstLine = 0;
    void note(uint64_t line) {
        if (count++ == 0) firstLine = line;
    }
};

struct Parser {
    ObjImporter& importer;
    DialogLink& dialog;
    MeshLookup lookup;
    const bool clusters;
    const bool texCoords;
    const bool flip;
    const float scale;

    int32_t verticesRead = 0;
    int32_t texCoordsRead = 0;
    int32_t polygonsStored = 0;
    ObjectInfo* object = nullptr;
    Mesh* mesh = nullptr;
    ObjectInfo* group = nullptr;
    // The record named by the last g or o statement is chosen: faces go to the mesh.
    bool selected = false;
    char materialName[kMaterialNameSize] = "default";
    int32_t materialIndex = 0;
    // The index of materialName, found again only after a usemtl changed the name.
    int32_t namedMaterialIndex = 0;
    bool materialNameChanged = true;
    std::unordered_set<std::string> warnedMaterials;
    std::string materialKey;
    char groupName[kObjectNameSize] = {};
    std::vector<int32_t> faceVertices;
    std::vector<int32_t> faceTexCoords;
    // A face's corners as written: vertex value, whether a texture value follows, and that value
    // (1-based values made 0-based, 0 and negative ones kept).
    std::vector<int32_t> cornerVertices;
    std::vector<int32_t> cornerTexCoords;
    std::vector<char> cornerHasTex;
    uint64_t line = 0;
    NotedFaces degenerateFaces;
    NotedFaces cutFaces;

    Parser(ObjImporter& imp, DialogLink& link)
        : importer(imp),
          dialog(link),
          lookup(imp),
          clusters(imp.options.importAsClusters),
          texCoords(imp.options.textureCoords),
          flip(imp.options.flipZY),
          scale(imp.options.objectScale),
          faceVertices(kFaceCapacity),
          faceTexCoords(kFaceCapacity),
          cornerVertices(kFaceCapacity),
          cornerTexCoords(kFaceCapacity),
          cornerHasTex(kFaceCapacity) {}

    // An error found at the line being read; the pass records the line's number.
    bool failedAtLine = false;
    bool fail(int textId) {
        importer.setError(textId);
        failedAtLine = true;
        return false;
    }

    void sendCounts() {
        dialog.send(DialogMessage::Count, 0, verticesRead);
        dialog.send(DialogMessage::Count, 1, polygonsStored);
    }

    // Values 1 to 3 of a statement; missing ones read as 0.
    static void readValues(const TokenSpan* tokens, int count, float* out) {
        bool consumed;
        for (int i = 0; i < 3; ++i)
            out[i] = i + 1 < count ? static_cast<float>(parseReal(tokens[i + 1].begin, tokens[i + 1].end, consumed))
                                   : 0.0f;
    }

    // Whether one of values 1 to 3 is written as a NaN or an infinity (not a number too big).
    static bool spellsNonFinite(const TokenSpan* tokens, int count) {
        for (int i = 1; i < count && i <= 3; ++i) {
            const char* p = tokens[i].begin;
            if (p < tokens[i].end && (*p == '+' || *p == '-')) ++p;
            if (p < tokens[i].end && (*p == 'n' || *p == 'N' || *p == 'i' || *p == 'I')) return true;
        }
        return false;
    }

    // Stores a position; false when it is unusable (the caller tells why).
    bool storeVertex(const float* values) {
        const float x = values[0] * scale, y = values[1] * scale, z = values[2] * scale;
        float* stored = importer.positions.data() + size_t(verticesRead) * 3;
        stored[0] = x;
        stored[1] = flip ? z : y;
        stored[2] = flip ? -y : z;
        if (!isUsablePosition(stored)) return false;
        ++verticesRead;
        return true;
    }

    bool vertex(const TokenSpan* tokens, int count) {
        // More vertices than the pre-scan counted: the file changed between the passes.
        if (verticesRead >= importer.vertexTotal) return fail(IDS_ERROR_CREATING_MESHES);
        float values[3];
        readValues(tokens, count, values);
        if (!storeVertex(values))
            return fail(spellsNonFinite(tokens, count) ? IDS_COORDINATE_NOT_FINITE : IDS_COORDINATE_TOO_BIG);
        return true;
    }

    bool texCoord(const TokenSpan* tokens, int count) {
        if (!texCoords) return true;
        if (texCoordsRead >= importer.texCoordTotal) return fail(IDS_ERROR_CREATING_MESHES);
        float values[3];
        readValues(tokens, count, values);
        for (int i = 0; i < 3; ++i)
            if (!std::isfinite(values[i])) return fail(IDS_TEXCOORD_NOT_FINITE);
        storeTexCoord(values);
        return true;
    }

    // The usual v and vt lines, read in one walk over their characters: true when done, false
    // when the line must take the general route (which also reports every error).
    bool fastVertex(const Line& text) {
        float values[3];
        if (verticesRead >= importer.vertexTotal || !fastValues(text, values)) return false;
        return storeVertex(values);
    }

    bool fastTexCoord(const Line& text) {
        if (texCoordsRead >= importer.texCoordTotal) return false;
        float values[3];
        if (!fastValues(text, values)) return false;
        for (int i = 0; i < 3; ++i)
            if (!std::isfinite(values[i])) return false;
        storeTexCoord(values);
        return true;
    }

    void storeTexCoord(const float* values) {
        float* stored = importer.texCoordValues.data() + size_t(texCoordsRead) * kTexCoordFloats;
        for (size_t i = 0; i < kTexCoordFloats; ++i) stored[i] = values[i];
        ++texCoordsRead;
    }

    // Values 1 to 3 of a line as readValues gives them from its tokens.
    static bool fastValues(const Line& line, float* out) {
        const char* p = line.text;
        while (!isBlankOrEnd(*p)) ++p;  // the keyword
        for (int i = 0; i < 3; ++i) {
            while (*p == ' ' || *p == '\t') ++p;
            if (*p == '\0') {
                for (; i < 3; ++i) out[i] = 0.0f;  // missing values read as 0
                return true;
            }
            if (*p == '"') return false;
            const char* token = p;
            double value;
            if (!parseRealFast(p, value)) {
                while (!isBlankOrEnd(*p)) ++p;
                bool consumed;
                value = parseRealSlow(token, p, consumed);
            }
            out[i] = static_cast<float>(value);
            while (!isBlankOrEnd(*p)) ++p;  // what follows the number within its token
        }
        return true;
    }

    static bool isBlankOrEnd(char c) { return c == ' ' || c == '\t' || c == '\0'; }

    // g and o: the record of that name receives the faces that follow.
    bool groupStatement(const char* const* tokens, int count) {
        groupNameOf(tokens, count, groupName);
        sendCounts();
        Mesh* meshOfFound = nullptr;
        ObjectInfo* found = lookup.findRecord(groupName, meshOfFound);
        if (found && found->polygonCount != 0)
            dialog.send(DialogMessage::CurrentObject, 0, reinterpret_cast<intptr_t>(groupName));
        if (clusters) {
            group = found;
        } else {
            object = found;
            if (object) {
                mesh = meshOfFound;
                if (!allocateMeshArrays(importer, mesh, *object)) return false;
            }
        }
        selected = found && found->selected;
        if (object) {
            materialIndex = indexOfMaterialName();
            dialog.send(DialogMessage::Count, 0, verticesRead);
        }
        return true;
    }

    int32_t indexOfMaterialName() {
        if (materialNameChanged) {
            namedMaterialIndex = importer.materialIndexOf(materialName);
            materialNameChanged = false;
        }
        return namedMaterialIndex;
    }

    void useMaterial(const char* const* tokens, int count) {
        if (!isNamedStatement(tokens, count, "usemtl")) return;
        joinName(tokens, count, materialName, sizeof materialName);
        materialNameChanged = true;
        if (!object) return;
        materialIndex = indexOfMaterialName();
        if (!importer.options.importMaterials || !selected) return;
        if (equalsNoCase(materialName, "default")) return;
        // Found by its name, or by its name ignoring case.
        if (materialName[0] != '\0' && size_t(materialIndex) < importer.materials.size()) return;
        // A name warned about once already has its warning: a file that names a missing
        // library's materials thousands of times costs no search of the warnings each time.
        materialKey.assign(materialName);
        if (!warnedMaterials.insert(materialKey).second) return;
        char warning[kMaterialNameSize + 32];
        formatBounded(warning, sizeof warning, loadText(IDS_MATERIAL_NOT_FOUND), materialName);
        importer.addWarning(warning);
    }

    // A face reference as a file-wide index: 1-based absolute, or relative to what was read so
    // far; -1 when it names nothing.
    static int32_t globalIndex(int32_t value, bool zeroIsInvalid, int32_t readSoFar) {
        int64_t g;
        if (value >= 0) g = zeroIsInvalid ? int64_t(value) - 1 : value;
        else g = int64_t(value) + readSoFar;
        return (g < 0 || g > INT32_MAX) ? -1 : static_cast<int32_t>(g);
    }

    // Whether faces are stored at all at this point of the file.
    bool storesFaces() const { return mesh && object && selected; }

    // The corners are stored with their file-wide indices; finishMeshes renumbers them per mesh.
    // count may be one more than kMaxFaceCorners + 1: the face then has more corners than it
    // keeps, and the pre-scan counted it with the kept ones.
    bool face(const TokenSpan* tokens, int count) {
        if (!storesFaces()) return true;
        if (count > kMaxFaceCorners + 1) {
            cutFaces.note(line);
            count = kMaxFaceCorners + 1;
        }
        const int corners = count > 0 ? count - 1 : 0;
        if (corners < 3) {
            // The host cannot make a polygon of it; the pre-scan did not count it either.
            degenerateFaces.note(line);
            return true;
        }
        for (int k = 0; k < corners; ++k) {
            const TokenSpan& corner = tokens[k + 1];
            cornerVertices[size_t(k)] = parseInt(corner.begin, corner.end);
            cornerHasTex[size_t(k)] = parseTexCoordRef(corner, cornerTexCoords[size_t(k)]);
        }
        return storeFace(corners);
    }

    // A face line read in one walk over its characters: the vertex value of each corner, and
    // its texture value behind a single slash. Corners of any other shape (a sign other than a
    // leading minus, letters, more than nine digits, quotes) and faces of fewer than three
    // corners take the general route. Returns 1 when stored, 0 when it must take that route,
    // -1 when storing failed.
    int fastFace(const Line& text) {
        const char* p = text.text;
        // Up to here words may be read eight bytes at a time (terminator included).
        const char* const readableEnd = text.text + text.readable;
        while (!isBlankOrEnd(*p)) ++p;  // the keyword
        int corners = 0;
        for (;;) {
            while (*p == ' ' || *p == '\t') ++p;
            if (*p == '\0') break;
            if (corners == kFaceCapacity - 2) return 0;
            int32_t v;
            const char* vertexText = p;
            if (!fastInt(p, v)) return 0;
            cornerVertices[size_t(corners)] = v;
            bool hasTex = false;
            if (*p == '/') {
                const size_t vertexLength = size_t(p - vertexText);
                ++p;
                if (*p != '/') {
                    int32_t t = 0;
                    // Files that give each vertex its own texture vertex write the same digits
                    // twice (`f 7/7 8/8 9/9`): those are not converted again.
                    if (repeatsWord(vertexText, p, vertexLength, readableEnd)) {
                        t = v;
                        p += vertexLength;
                    } else if (!isBlankOrEnd(*p) && !fastInt(p, t)) {
                        return 0;
                    }
                    cornerTexCoords[size_t(corners)] = t >= 1 ? t - 1 : t;
                    hasTex = true;
                }
                if (*p == '/') {  // the normal, only checked for its shape
                    ++p;
                    int32_t n;
                    if (repeatsWord(vertexText, p, vertexLength, readableEnd)) p += vertexLength;
                    else if (!isBlankOrEnd(*p) && !fastInt(p, n)) return 0;
                }
            }
            if (!isBlankOrEnd(*p)) return 0;
            cornerHasTex[size_t(corners)] = hasTex;
            ++corners;
        }
        if (corners < 3) return 0;
        return storeFace(corners) ? 1 : -1;
    }

    // Whether the length bytes at word, a minus and digits as fastInt read them, stand at p too,
    // followed by no further digit. Both are compared as one eight-byte word where the line's
    // buffer allows; longer words and words near its end answer false.
    static bool repeatsWord(const char* word, const char* p, size_t length, const char* readableEnd) {
        if constexpr (std::endian::native != std::endian::little) return false;  // the mask below
        if (length > 8 || readableEnd - p < 9) return false;
        uint64_t a, b;
        std::memcpy(&a, word, 8);
        std::memcpy(&b, p, 8);
        const uint64_t mask = length == 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * length)) - 1;
        return ((a ^ b) & mask) == 0 && unsigned(p[length] - '0') >= 10;
    }

    // An optional minus and one to nine digits (the line's terminator stops the walk).
    static bool fastInt(const char*& p, int32_t& value) {
        const bool negative = *p == '-';
        const char* digits = negative ? p + 1 : p;
        const char* q = digits;
        uint64_t v = 0;  // wraps harmlessly on very long runs, which are refused below
        while (unsigned(*q - '0') < 10) v = v * 10 + unsigned(*q++ - '0');
        if (q == digits || q - digits > 9) return false;
        value = negative ? -int32_t(v) : int32_t(v);
        p = q;
        return true;
    }

    // The decoded corners of a face, checked and stored.
    bool storeFace(int corners) {
        // Cluster mode has always taken vertices that come later in the file.
        const int32_t vertexLimit = clusters ? importer.vertexTotal : verticesRead;
        const int32_t texCoordLimit = clusters ? importer.texCoordTotal : texCoordsRead;
        const int32_t firstTex = cornerTexCoords[0];
        const bool hasTex = texCoords && cornerHasTex[0];
        if (fitsCounts(corners, hasTex)) return storeCountedFace(corners, hasTex, vertexLimit, texCoordLimit);
        int32_t previousTex = 0;
        for (int k = 0; k < corners; ++k) {
            const int32_t global = globalIndex(cornerVertices[size_t(k)], true, verticesRead);
            if (global < 0 || global >= vertexLimit) return fail(IDS_INVALID_VERTEX_INDEX);
            faceVertices[size_t(k)] = global;
            if (!hasTex) continue;
            int32_t ref = firstTex;
            if (k > 0) {
                if (!cornerHasTex[size_t(k)]) {
                    faceTexCoords[size_t(k)] = previousTex;  // a corner without one repeats the last
                    continue;
                }
                ref = cornerTexCoords[size_t(k)];
            }
            const int32_t globalTex = globalIndex(ref, false, texCoordsRead);
            if (globalTex < 0 || globalTex >= texCoordLimit) return fail(IDS_INVALID_TEXTURE_INDEX);
            previousTex = globalTex;
            faceTexCoords[size_t(k)] = globalTex;
        }
        const int32_t p = object->polygonsStored;
        // More polygons or corners than counted would run past the arrays sized from the counts.
        if (!fitsCounts(corners, hasTex)) return fail(IDS_POLYGON_INDEX_ERROR);
        mesh->setPolygonVertices(p, corners, faceVertices.data(), materialIndex);
        if (hasTex) mesh->setPolygonTexCoords(p, corners, faceTexCoords.data());
        finishPolygon(p);
        return true;
    }

    // Whether one more polygon of that many corners fits the counts its arrays were sized from.
    bool fitsCounts(int corners, bool hasTex) const {
        const int32_t p = object->polygonsStored;
        return p < object->polygonCount && p < mesh->polygonCount &&
               size_t(mesh->vertexIndexFill) + size_t(corners) <= mesh->vertexIndices.size() &&
               (!hasTex || size_t(mesh->texCoordIndexFill) + size_t(corners) <= mesh->texCoordIndices.size());
    }

    // The usual face, whose polygon fits the counts: its corners are checked in the same order as
    // storeFace checks them and written straight behind the mesh's fills, which move only once
    // the whole face is good.
    bool storeCountedFace(int corners, bool hasTex, int32_t vertexLimit, int32_t texCoordLimit) {
        int32_t* vertexTo = mesh->vertexIndices.data() + mesh->vertexIndexFill;
        // Texture indices that may equal the vertex indices are looked at before they are stored.
        int32_t* texTo = !hasTex                          ? nullptr
                         : mesh->texCoordsFollowVertices ? faceTexCoords.data()
                                                         : mesh->texCoordIndices.data() + mesh->texCoordIndexFill;
        int32_t previousTex = 0;
        for (int k = 0; k < corners; ++k) {
            const int32_t global = globalIndex(cornerVertices[size_t(k)], true, verticesRead);
            if (global < 0 || global >= vertexLimit) return fail(IDS_INVALID_VERTEX_INDEX);
            vertexTo[k] = global;
            if (!hasTex) continue;
            if (k > 0 && !cornerHasTex[size_t(k)]) {
                texTo[k] = previousTex;  // a corner without one repeats the last
                continue;
            }
            const int32_t globalTex = globalIndex(cornerTexCoords[size_t(k)], false, texCoordsRead);
            if (globalTex < 0 || globalTex >= texCoordLimit) return fail(IDS_INVALID_TEXTURE_INDEX);
            previousTex = globalTex;
            texTo[k] = globalTex;
        }
        const int32_t p = object->polygonsStored;
        mesh->vertexIndexFill += corners;
        if (hasTex) {
            if (mesh->texCoordsFollowVertices) mesh->keepTexCoordIndices(texTo, corners);
            mesh->polygonTexCoordCounts.set(p, corners);
            mesh->texCoordIndexFill += corners;
        }
        mesh->polygonSizes.set(p, corners);
        mesh->polygonMaterials.set(p, materialIndex);
        finishPolygon(p);
        return true;
    }

    void finishPolygon(int32_t p) {
        if (clusters && group) group->clusterPolygons.Add(p);
        ++object->polygonsStored;
        ++polygonsStored;
    }

    // A mesh whose record received fewer polygons than counted (the file changed between the
    // passes) keeps only the polygons that were stored, so no unfilled entry reaches the builder.
    void trimUnfilledPolygons() {
        for (size_t i = 0; i < importer.meshes.size(); ++i) {
            const ObjectInfo* owner = clusters ? importer.combinedObject.get() : lookup.ownerOf(i);
            Mesh& m = importer.meshes[i]->mesh;
            if (owner && m.polygonCount > owner->polygonsStored) m.polygonCount = owner->polygonsStored;
        }
    }

    void warnAboutSkippedFaces() {
        char warning[160];
        if (degenerateFaces.count != 0) {
            formatBounded(warning, sizeof warning, loadText(IDS_DEGENERATE_FACES),
                          std::to_string(degenerateFaces.count).c_str(),
                          std::to_string(degenerateFaces.firstLine).c_str());
            importer.addWarning(warning);
        }
        if (cutFaces.count != 0) {
            formatBounded(warning, sizeof warning, loadText(IDS_FACES_CUT), std::to_string(cutFaces.count).c_str(),
                          std::to_string(kMaxFaceCorners).c_str(), std::to_string(cutFaces.firstLine).c_str());
            importer.addWarning(warning);
        }
    }
};

// The runs of one file-wide array that meshes borrow, in the order they were lent, which is the
// order the meshes are built in: each starts at or after the start of the one before and ends at
// or after its end. Where two overlap, the first mesh gives back only what lies before the second
// run, and the second the rest, so that nothing goes back while a mesh still reads it.
struct LentRun {
    int32_t first;
    int32_t count;
    size_t* returnBytes;  // the borrowing mesh's share to give back
};
struct LentRuns {
    int32_t first = 0;  // the start and end of the last run lent
    int32_t end = 0;
    std::vector<LentRun> runs;
};

// Gives a mesh exactly the file entries its corners name, numbered in file order, and rewrites
// the corners to those numbers. The entries a mesh uses are marked one bit each in marks (one
// bit per file entry); numbers go to slots (one entry per file entry) only for a mesh whose
// entries must be copied, so that most meshes write nothing but bits. Both are all 0 before and
// after each mesh.
class Renumbering {
public:
    Renumbering(uint64_t* marks, int32_t* slots) : marks_(marks), slots_(slots) {}

    // corners: file-wide indices, each below the file's count of values (width floats each).
    // False when the mesh's array cannot be had (the corners are then left as they were).
    // outCount: the entries the mesh takes (also when they could not be had). With mayTake, a
    // mesh that uses every entry of the file takes the file's array itself: its entries and
    // numbers are then the file's, and nothing is copied or renumbered. A mesh that uses one
    // unbroken run of entries that may follow the runs in lent borrows that run of the file's
    // array, which must then outlive it; the run is added to lent with returnBytes, where the
    // mesh's share of it is set once every run is known.
    // With keepCorners the corners stay as they are: for entries of another array numbered by the
    // same corners, which are renumbered after.
    bool apply(int32_t* corners, size_t cornerCount, FixedArray<float>& values, size_t width, bool mayTake,
               LentRuns& lent, size_t& returnBytes, FixedArray<float>& out, int32_t& outCount,
               bool keepCorners = false) {
        size_t used = 0;
        int32_t lo = INT32_MAX, hi = -1;
        for (size_t c = 0; c < cornerCount; ++c) {
            const int32_t g = corners[c];
            uint64_t& word = marks_[size_t(g) >> 6];
            const uint64_t bit = uint64_t(1) << (g & 63);
            if (word & bit) continue;
            word |= bit;
            ++used;
            lo = std::min(lo, g);
            hi = std::max(hi, g);
        }
        outCount = static_cast<int32_t>(used);
        if (used == 0) return out.allocate(0);
        if (mayTake && used * width == values.size()) {
            out.swap(values);
            values.release();
            clearMarks(lo, hi);
            return true;
        }
        if (size_t(hi - lo) + 1 == used && lo >= lent.first && hi + 1 >= lent.end) {
            // One unbroken run of entries, as an object that brings its own vertices has: the
            // numbers are the file's, less the first, and the entries are the file's own.
            out.borrow(values.data() + size_t(lo) * width, used * width);
            if (!keepCorners)
                for (size_t c = 0; c < cornerCount; ++c) corners[c] -= lo;
            clearMarks(lo, hi);
            lent.runs.push_back({lo, int32_t(used), &returnBytes});
            lent.first = lo;
            lent.end = hi + 1;
            return true;
        }
        // Entries spread far wider than the mesh uses are put in order by sorting them, so that
        // a file of many small objects that all reach far back costs no scan of the whole range.
        const bool dense = size_t(hi - lo) + 1 <= 4 * used;
        sorted_.clear();
        if (dense) {
            for (size_t w = size_t(lo) >> 6; w <= size_t(hi) >> 6; ++w)
                for (uint64_t bits = marks_[w]; bits; bits &= bits - 1)
                    sorted_.push_back(int32_t(w * 64 + size_t(std::countr_zero(bits))));
            clearMarks(lo, hi);
        } else {
            for (size_t c = 0; c < cornerCount; ++c) {
                const int32_t g = corners[c];
                uint64_t& word = marks_[size_t(g) >> 6];
                const uint64_t bit = uint64_t(1) << (g & 63);
                if (!(word & bit)) continue;
                word &= ~bit;  // each entry once; the marks are clear again at the end
                sorted_.push_back(g);
            }
            std::sort(sorted_.begin(), sorted_.end());
        }
        if (!out.allocate(used * width)) return false;
        size_t next = 0;
        for (int32_t g : sorted_)
            std::memcpy(out.data() + next++ * width, values.data() + size_t(g) * width, width * sizeof(float));
        if (keepCorners) return true;
        int32_t number = 0;
        for (int32_t g : sorted_) slots_[g] = ++number;
        for (size_t c = 0; c < cornerCount; ++c) corners[c] = slots_[corners[c]] - 1;
        for (int32_t g : sorted_) slots_[g] = 0;
        return true;
    }

private:
    void clearMarks(int32_t lo, int32_t hi) {
        std::memset(marks_ + (size_t(lo) >> 6), 0, ((size_t(hi) >> 6) - (size_t(lo) >> 6) + 1) * sizeof(uint64_t));
    }

    uint64_t* marks_;
    int32_t* slots_;
    std::vector<int32_t> sorted_;
};

// What no mesh borrows of a file-wide array goes back now: all of it, or the entries between
// the runs meshes borrow. Each borrowing mesh learns its share, which goes back as it is built.
void giveBackFileArray(MeshArena& arena, FixedArray<float>& array, size_t width, const LentRuns& lent) {
    if (lent.runs.empty()) {
        if (!array.owned()) arena.giveBack(array.data(), array.size() * sizeof(float));
        array.release();
        return;
    }
    const size_t entryBytes = width * sizeof(float);
    size_t next = 0;  // the end of the runs so far
    for (size_t i = 0; i < lent.runs.size(); ++i) {
        const LentRun& run = lent.runs[i];
        if (size_t(run.first) > next)
            arena.giveBack(array.data() + next * width, (size_t(run.first) - next) * entryBytes, true);
        const size_t end = size_t(run.first) + size_t(run.count);
        const size_t shareEnd = i + 1 < lent.runs.size() ? std::min(end, size_t(lent.runs[i + 1].first)) : end;
        *run.returnBytes = (shareEnd - size_t(run.first)) * entryBytes;
        next = end;
    }
    if (next * width < array.size())
        arena.giveBack(array.data() + next * width, array.size() * sizeof(float) - next * entryBytes);
}

// A file-wide array in a block of its own, so that the runs meshes borrow of it go back as they
// are built; from the heap when that block cannot be had.
bool allocateFileArray(MeshArena& arena, FixedArray<float>& array, size_t count) {
    if (count <= SIZE_MAX / sizeof(float) && arena.reserve(MeshArena::roundUp(count * sizeof(float))) &&
        arena.take(array, count))
        return true;
    return array.allocate(count);
}

// The vertices and texture vertices of every mesh, from the file-wide arrays.
bool finishMeshes(ObjImporter& importer) {
    const size_t slotCount = size_t(std::max(importer.vertexTotal, importer.texCoordTotal));
    FixedArray<uint64_t> marks;
    FixedArray<int32_t> slots;
    if (!marks.allocate(slotCount / 64 + 1) || !slots.allocate(slotCount)) {
        importer.setError(IDS_NO_MEMORY_VERTICES, importer.vertexTotal);
        return false;
    }
    Renumbering renumbering(marks.data(), slots.data());
    // The only mesh may take the file-wide arrays over; they are released after this unless
    // meshes borrow runs of them.
    const bool mayTake = importer.meshes.size() == 1;
    LentRuns positionRuns, texCoordRuns;
    const bool tex = importer.options.textureCoords;
    for (const auto& named : importer.meshes) {
        if (importer.aborted) return false;
        Mesh& m = named->mesh;
        // Texture indices that stand for as many vertex indices name the same entries, numbered
        // the same: their entries are taken before the vertex indices are renumbered. Fewer
        // (polygons without texture references at the end) are written out and numbered alone.
        if (m.texCoordIndexFill != m.vertexIndexFill) m.stopFollowingVertices();
        const bool follows = tex && m.texCoordsFollowVertices;
        int32_t count = 0;
        auto takeTexCoords = [&](int32_t* corners, bool keepCorners) {
            if (renumbering.apply(corners, size_t(m.texCoordIndexFill), importer.texCoordValues, kTexCoordFloats,
                                  mayTake, texCoordRuns, m.texCoordReturnBytes, m.texCoords, count, keepCorners)) {
                m.texCoordCount = count;
                return true;
            }
            importer.setError(IDS_NO_MEMORY_TEXCOORDS, count);
            return false;
        };
        if (follows && !takeTexCoords(m.vertexIndices.data(), true)) return false;
        if (!renumbering.apply(m.vertexIndices.data(), size_t(m.vertexIndexFill), importer.positions, 3, mayTake,
                               positionRuns, m.vertexReturnBytes, m.vertices, count)) {
            importer.setError(IDS_NO_MEMORY_VERTICES, count);
            return false;
        }
        m.vertexCount = count;
        m.everyVertexUsed = true;  // a mesh takes exactly the entries its corners name
        if (tex && !follows && !takeTexCoords(m.texCoordIndices.data(), false)) return false;
    }
    for (const auto& named : importer.meshes) {
        named->mesh.lenders[0] = &importer.positionArena;
        named->mesh.lenders[1] = &importer.texCoordArena;
    }
    giveBackFileArray(importer.positionArena, importer.positions, 3, positionRuns);
    giveBackFileArray(importer.texCoordArena, importer.texCoordValues, kTexCoordFloats, texCoordRuns);
    return true;
}

}  // namespace

static bool createMeshRecords(ObjImporter& importer);

bool isUsablePosition(const float* position) {
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(position[i]) || std::fabs(position[i]) > 1.0e8f) return false;
    return true;
}

// One block each for the vertex indices, the polygon columns and the texture indices of every
// mesh; when one cannot be had, each mesh allocates those arrays itself and a shortage is reported
// for the object that meets it.
static void reserveMeshArena(ObjImporter& importer) {
    const bool tex = importer.options.textureCoords;
    size_t indices = 0, columns = 0;
    if (importer.combinedObject) {
        indices = Mesh::arenaBytes(*importer.combinedObject);
        columns = Mesh::columnArenaBytes(*importer.combinedObject, tex);
    } else {
        for (const auto& o : importer.objects)
            if (o->selected) {
                indices += Mesh::arenaBytes(*o);
                columns += Mesh::columnArenaBytes(*o, tex);
            }
    }
    const bool vertexBlock = importer.meshArena.reserve(indices);
    const bool columnBlock = importer.columnArena.reserve(columns);
    const bool textureBlock = tex && importer.texCoordIndexArena.reserve(indices);
    importer.texCoordIndexArena.setAdoptable(false);  // until a mesh writes its texture indices
    for (const auto& named : importer.meshes) {
        if (vertexBlock) named->mesh.arena = &importer.meshArena;
        if (columnBlock) named->mesh.columnArena = &importer.columnArena;
        if (textureBlock) named->mesh.texCoordIndexArena = &importer.texCoordIndexArena;
    }
}

bool prepareMeshes(ObjImporter& importer) {
    const bool prepared = createMeshRecords(importer);
    if (prepared) reserveMeshArena(importer);
    return prepared;
}

static bool createMeshRecords(ObjImporter& importer) {
    try {
        if (!importer.options.importAsClusters) {
            for (const auto& o : importer.objects) {
                if (!o->selected) continue;
                auto named = std::make_unique<NamedMesh>();
                copyBounded(named->name, o->name);
                importer.meshes.push_back(std::move(named));
            }
            return true;
        }
        importer.combinedObject = std::make_unique<ObjectInfo>();
        ObjectInfo& combined = *importer.combinedObject;
        copyBounded(combined.name, importer.baseName);
        for (const auto& o : importer.objects)
            if (o->selected && !combined.addCounts(*o)) throw std::bad_alloc();
        combined.vertexCount = importer.vertexTotal;
        combined.texCoordCount = importer.texCoordTotal;
        combined.normalCount = importer.normalTotal;
        if (combined.polygonCount == 0) return true;
        auto named = std::make_unique<NamedMesh>();
        copyBounded(named->name, importer.baseName);
        importer.meshes.push_back(std::move(named));
        return true;
    } catch (const std::bad_alloc&) {
        importer.setError(IDS_ERROR_CREATING_MESHES);
        importer.aborted = true;
        return false;
    }
}

bool allocateMeshArrays(ObjImporter& importer, Mesh* mesh, const ObjectInfo& object) {
    if (!mesh || mesh->polygonCount != 0) return true;
    // The vertex and texture arrays follow at the end of the pass, when the mesh's use is known.
    if (!mesh->allocPolygons(object.polygonCount, object.indexCount, importer.options.textureCoords)) {
        importer.setError(IDS_NO_MEMORY_POLYGONS, object.polygonCount);
        return false;
    }
    return true;
}

bool parseObj(ObjImporter& importer, DialogLink& dialog) {
    const bool clusters = importer.options.importAsClusters;
    dialog.send(DialogMessage::Phase,
                (clusters || importer.countSelectedObjects() == 1) ? IDS_CREATING_MESH : IDS_CREATING_MESHES, 0);
    if (!allocateFileArray(importer.positionArena, importer.positions, size_t(importer.vertexTotal) * 3)) {
        importer.setError(IDS_NO_MEMORY_VERTICES, importer.vertexTotal);
        return false;
    }
    if (importer.options.textureCoords &&
        !allocateFileArray(importer.texCoordArena, importer.texCoordValues,
                           size_t(importer.texCoordTotal) * kTexCoordFloats)) {
        importer.setError(IDS_NO_MEMORY_TEXCOORDS, importer.texCoordTotal);
        return false;
    }

    Parser parser(importer, dialog);
    // Polygons before any usemtl and any g take the material named "default", if there is one.
    parser.materialIndex = parser.indexOfMaterialName();
    ObjectInfo* first = importer.findObject("default");
    if (clusters) {
        parser.object = importer.combinedObject.get();
        parser.group = first;
    } else {
        parser.object = first;
    }
    if (parser.object) {
        parser.mesh = parser.lookup.meshOf(parser.object);
        if (!allocateMeshArrays(importer, parser.mesh, *parser.object)) return false;
    }
    parser.selected = first && first->selected;

    const uint64_t step = progressStep(importer.progressTotal);
    dialog.send(DialogMessage::Progress, 0, 0);
    // One entry more than the other statements take: a face that fills it has corners beyond
    // those kept.
    std::vector<const char*> tokens(kObjTokenCapacity + 1);
    std::vector<TokenSpan> spans(kObjTokenCapacity + 1);
    // Tokens of a line as spans: in place, or through splitTokens when the line has quotes.
    auto spansOf = [&](Line& line, int capacity) {
        int count = splitTokenSpans(line.text, spans.data(), capacity);
        if (count >= 0) return count;
        count = splitTokens(line.text, tokens.data(), capacity);
        for (int i = 0; i < count; ++i) spans[size_t(i)] = {tokens[size_t(i)], tokens[size_t(i)] + std::strlen(tokens[size_t(i)])};
        return count;
    };
    LineReader reader(*importer.objFile, importer.lineBuffer.data(), importer.lineBuffer.size());
    Line line;
    uint64_t linesSinceProgress = 0;
    while (reader.readLine(line)) {
        if (++linesSinceProgress > step) {
            if (importer.aborted) return false;
            dialog.send(DialogMessage::Progress, 0, static_cast<intptr_t>(reader.bytesRead()));
            parser.sendCounts();
            linesSinceProgress = 0;
        }
        const Keyword k = peekKeywordFast(line.text);
        // The usual statements are read in place when the keyword opens the line.
        const bool plain = line.text[0] == k.first;
        bool ok = true;
        switch (k.first) {
        case 'v':
            if (k.second == '\0') {
                if (!plain || !parser.fastVertex(line)) ok = parser.vertex(spans.data(), spansOf(line, 5));
            } else if (k.second == 't' && parser.texCoords) {
                if (!plain || !parser.fastTexCoord(line)) ok = parser.texCoord(spans.data(), spansOf(line, 5));
            }
            break;
        case 'f': {
            if (!parser.storesFaces()) break;
            const int fast = plain ? parser.fastFace(line) : 0;
            if (fast != 0) {
                ok = fast > 0;
                break;
            }
            const int count = spansOf(line, kObjTokenCapacity + 1);
            parser.line = reader.lineNumber();
            ok = parser.face(spans.data(), count);
            break;
        }
        case 'g':
        case 'o':
            if (k.first == 'o' && k.second != '\0') break;
            ok = parser.groupStatement(tokens.data(), splitTokens(line.text, tokens.data(), kObjTokenCapacity));
            break;
        case 'u':
        case 'U': {
            const int count = splitTokens(line.text, tokens.data(), kObjTokenCapacity);
            parser.useMaterial(tokens.data(), count);
            break;
        }
        default:
            break;
        }
        if (!ok) {
            if (parser.failedAtLine) importer.errorLine = reader.lineNumber();
            return false;
        }
    }
    parser.trimUnfilledPolygons();
    if (!finishMeshes(importer)) return false;
    parser.warnAboutSkippedFaces();
    parser.sendCounts();
    dialog.send(DialogMessage::Phase, 0, 0);
    const float done = 1.0f;
    dialog.send(DialogMessage::Fraction, 0, reinterpret_cast<intptr_t>(&done));
    return true;
}

void runParse(ObjImporter& importer, DialogLink& dialog) {
    try {
        if (prepareMeshes(importer)) importer.aborted = !parseObj(importer, dialog);
    } catch (const std::bad_alloc&) {
        // The arrays sized from the counts say so themselves; this is memory of the pass's
        // lists (warnings, names) or of its reports.
        importer.setOutOfMemory("read the file");
    }
    dialog.send(importer.aborted ? DialogMessage::ReadingFailed : DialogMessage::ReadingDone, 0, 0);
}

}  // namespace qf
