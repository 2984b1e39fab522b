#include "obj/obj_parser.h"

#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <unordered_set>
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

std::string foldCase(const char* name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return folded;
}

// isObjectSelected and meshOf, answered from tables built once per pass: files of many thousand
// groups would otherwise pay a linear search at every g statement.
class Lookups {
public:
    explicit Lookups(const ObjImporter& importer) {
        for (const auto& o : importer.objects)
            if (o->selected) selected_.insert(foldCase(o->name));
        for (const auto& m : importer.meshes) meshes_.emplace(m->name, &m->mesh);
    }
    bool isSelected(const char* name) const { return selected_.count(foldCase(name)) != 0; }
    Mesh* meshOf(const ObjectInfo* object) const {
        if (!object) return nullptr;
        auto found = meshes_.find(object->name);
        return found == meshes_.end() ? nullptr : found->second;
    }

private:
    std::unordered_set<std::string> selected_;
    std::unordered_map<std::string, Mesh*> meshes_;
};

struct Parser {
    ObjImporter& importer;
    DialogLink& dialog;
    Lookups lookups;
    const bool clusters;
    const bool texCoords;
    const bool flip;
    const float scale;

    int32_t verticesRead = 0;
    int32_t texCoordsRead = 0;
    int32_t polygonsStored = 0;
    int32_t vertexBase = 0;
    int32_t texCoordBase = 0;
    bool expectingBlock = true;
    int32_t vertexOffset = 0;
    int32_t texCoordOffset = 0;
    ObjectInfo* object = nullptr;
    Mesh* mesh = nullptr;
    ObjectInfo* group = nullptr;
    bool selected = false;
    char materialName[kMaterialNameSize] = "default";
    int32_t materialIndex = 0;
    char groupName[kObjectNameSize] = {};
    std::vector<int32_t> faceVertices;
    std::vector<int32_t> faceTexCoords;

    Parser(ObjImporter& imp, DialogLink& link)
        : importer(imp),
          dialog(link),
          lookups(imp),
          clusters(imp.options.importAsClusters),
          texCoords(imp.options.textureCoords),
          flip(imp.options.flipZY),
          scale(imp.options.objectScale),
          faceVertices(kFaceCapacity),
          faceTexCoords(kFaceCapacity) {}

    // An error found at the line being read; the pass records the line's number.
    bool failedAtLine = false;
    bool fail(int textId) {
        importer.setError(textId);
        failedAtLine = true;
        return false;
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

    bool vertex(const TokenSpan* tokens, int count) {
        if (expectingBlock) {
            vertexBase = verticesRead;
            texCoordBase = texCoordsRead;
            expectingBlock = false;
        }
        // More vertices than the pre-scan counted: the file changed between the passes.
        if (verticesRead >= importer.vertexTotal) return fail(IDS_ERROR_CREATING_MESHES);
        float values[3];
        readValues(tokens, count, values);
        const float x = values[0] * scale, y = values[1] * scale, z = values[2] * scale;
        float* stored = importer.positions.data() + size_t(verticesRead) * 3;
        stored[0] = x;
        stored[1] = flip ? z : y;
        stored[2] = flip ? -y : z;
        if (!isUsablePosition(stored))
            return fail(spellsNonFinite(tokens, count) ? IDS_COORDINATE_NOT_FINITE : IDS_COORDINATE_TOO_BIG);
        if (clusters && mesh && verticesRead < mesh->vertexCount)
            std::memcpy(mesh->vertices.data() + size_t(verticesRead) * 3, stored, 3 * sizeof(float));
        ++verticesRead;
        return true;
    }

    bool texCoord(const TokenSpan* tokens, int count) {
        if (!texCoords) return true;
        if (texCoordsRead >= importer.texCoordTotal) return fail(IDS_ERROR_CREATING_MESHES);
        float* stored = importer.texCoordValues.data() + size_t(texCoordsRead) * 3;
        readValues(tokens, count, stored);
        if (clusters && mesh && texCoordsRead < mesh->texCoordCount)
            std::memcpy(mesh->texCoords.data() + size_t(texCoordsRead) * 3, stored, 3 * sizeof(float));
        ++texCoordsRead;
        return true;
    }

    bool groupStatement(const char* const* tokens, int count) {
        groupNameOf(tokens, count, groupName);
        sendCounts();
        ObjectInfo* found = importer.findObject(groupName);
        if (found && found->polygonCount != 0)
            dialog.send(DialogMessage::CurrentObject, 0, reinterpret_cast<intptr_t>(groupName));
        if (clusters) {
            group = found;
        } else {
            object = found;
            if (object) {
                mesh = lookups.meshOf(object);
                if (!allocateMeshArrays(importer, mesh, *object)) return false;
            }
        }
        selected = lookups.isSelected(groupName);
        if (object) {
            materialIndex = importer.materialIndexOf(materialName);
            if (object->grouped) {
                vertexOffset = object->maxVertexIndex + 1;
                texCoordOffset = object->maxTexCoordIndex + 1;
            }
            dialog.send(DialogMessage::Count, 0, verticesRead);
        }
        expectingBlock = true;
        return true;
    }

    void useMaterial(const char* const* tokens, int count) {
        if (!isNamedStatement(tokens, count, "usemtl")) return;
        joinName(tokens, count, materialName, sizeof materialName);
        if (!object) return;
        materialIndex = importer.materialIndexOf(materialName);
        if (!importer.options.importMaterials || !selected) return;
        if (equalsNoCase(materialName, "default")) return;
        for (const auto& m : importer.materials)
            if (equalsNoCase(m->name.c_str(), materialName)) return;
        char warning[kMaterialNameSize + 32];
        formatBounded(warning, sizeof warning, loadText(IDS_MATERIAL_NOT_FOUND), materialName);
        importer.addWarning(warning);
    }

    // A face reference made global: 1-based absolute, or relative to what was read so far.
    static int32_t globalIndex(int32_t value, bool zeroIsInvalid, int32_t readSoFar) {
        int64_t g;
        if (value >= 0) g = zeroIsInvalid ? int64_t(value) - 1 : value;
        else g = int64_t(value) + readSoFar;
        return (g < -1 || g > INT32_MAX) ? -1 : static_cast<int32_t>(g);
    }

    bool face(const TokenSpan* tokens, int count) {
        if (!mesh || !object || !selected) return true;
        const int corners = count > 0 ? count - 1 : 0;
        int32_t firstTex = 0;
        const bool hasTex = texCoords && corners > 0 && parseTexCoordRef(tokens[1], firstTex);
        int32_t previousTex = 0;
        for (int k = 0; k < corners; ++k) {
            const TokenSpan& corner = tokens[k + 1];
            const int32_t global = globalIndex(parseInt(corner.begin, corner.end), true, verticesRead);
            if (!clusters) {
                int32_t local = toLocalIndex(importer, IndexKind::Vertex, global, vertexBase, verticesRead,
                                             object->grouped, vertexOffset);
                if (local < 0 || local >= object->vertexCount)
                    local = toLocalIndex(importer, IndexKind::Vertex, global, vertexBase, verticesRead, false, 0);
                if (local < 0 || local >= object->vertexCount || local >= mesh->vertexCount)
                    return fail(IDS_INVALID_VERTEX_INDEX);
                std::memcpy(mesh->vertices.data() + size_t(local) * 3,
                            importer.positions.data() + size_t(global) * 3, 3 * sizeof(float));
                object->raiseMaxVertexIndex(local);
                faceVertices[size_t(k)] = local;
            } else {
                if (global < 0 || global >= importer.vertexTotal) return fail(IDS_INVALID_VERTEX_INDEX);
                faceVertices[size_t(k)] = global;
            }
            if (!hasTex) continue;
            int32_t ref = firstTex;
            if (k > 0 && !parseTexCoordRef(corner, ref)) {
                faceTexCoords[size_t(k)] = previousTex;  // a corner without one repeats the last
                continue;
            }
            const int32_t globalTex = globalIndex(ref, false, texCoordsRead);
            if (!clusters) {
                int32_t local = toLocalIndex(importer, IndexKind::TexCoord, globalTex, texCoordBase, texCoordsRead,
                                             object->grouped, texCoordOffset);
                if (local < 0 || local >= object->texCoordCount || local >= mesh->texCoordCount)
                    return fail(IDS_INVALID_TEXTURE_INDEX);
                std::memcpy(mesh->texCoords.data() + size_t(local) * 3,
                            importer.texCoordValues.data() + size_t(globalTex) * 3, 3 * sizeof(float));
                object->raiseMaxTexCoordIndex(local);
                previousTex = local;
            } else {
                if (globalTex < 0 || globalTex >= importer.texCoordTotal) return fail(IDS_INVALID_TEXTURE_INDEX);
                previousTex = globalTex;
            }
            faceTexCoords[size_t(k)] = previousTex;
        }
        const int32_t p = object->polygonsStored;
        // More polygons or corners than counted would run past the arrays sized from the counts.
        if (p >= object->polygonCount || p >= mesh->polygonCount ||
            size_t(mesh->vertexIndexFill) + size_t(corners) > mesh->vertexIndices.size() ||
            (hasTex && size_t(mesh->texCoordIndexFill) + size_t(corners) > mesh->texCoordIndices.size()))
            return fail(IDS_POLYGON_INDEX_ERROR);
        if (hasTex) mesh->setPolygonTexCoords(p, corners, faceTexCoords.data());
        mesh->setPolygonVertices(p, corners, faceVertices.data(), materialIndex);
        if (clusters && group) group->clusterPolygons.Add(p);
        ++object->polygonsStored;
        ++polygonsStored;
        expectingBlock = true;
        return true;
    }

    // A record renamed by the pre-scan after faces it had already counted never receives them:
    // its mesh keeps only the polygons that were stored, so no unfilled entry reaches the builder.
    void trimUnfilledPolygons() {
        for (const auto& named : importer.meshes) {
            const ObjectInfo* owner = clusters ? importer.combinedObject.get() : importer.findObject(named->name);
            Mesh& m = named->mesh;
            if (owner && m.polygonCount > owner->polygonsStored) m.polygonCount = owner->polygonsStored;
        }
    }
};

}  // namespace

static bool createMeshRecords(ObjImporter& importer);

bool isUsablePosition(const float* position) {
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(position[i]) || std::fabs(position[i]) > 1.0e8f) return false;
    return true;
}

int32_t toLocalIndex(const ObjImporter& importer, IndexKind kind, int32_t global, int32_t base, int32_t readSoFar,
                     bool grouped, int32_t offset) {
    if (global < 0 || global >= readSoFar) return -1;
    int64_t local;
    if (global >= base) {
        local = global - base;
    } else {
        const float* values = kind == IndexKind::Vertex ? importer.positions.data() : importer.texCoordValues.data();
        const float* wanted = values + size_t(global) * 3;
        local = -1;
        for (int32_t j = base; j < readSoFar; ++j) {
            const float* candidate = values + size_t(j) * 3;
            if (candidate[0] == wanted[0] && candidate[1] == wanted[1] && candidate[2] == wanted[2]) {
                local = j - base;
                break;
            }
        }
        if (local < 0) return -1;
    }
    if (grouped) local += offset;
    return local > INT32_MAX ? -1 : static_cast<int32_t>(local);
}

// One block for the arrays of every mesh; when it cannot be had, each mesh allocates its own
// arrays and a shortage is reported for the object that meets it.
static void reserveMeshArena(ObjImporter& importer) {
    const bool tex = importer.options.textureCoords;
    size_t total = 0;
    if (importer.combinedObject) {
        total = Mesh::arenaBytes(*importer.combinedObject, tex);
    } else {
        for (const auto& o : importer.objects)
            if (o->selected) total += Mesh::arenaBytes(*o, tex);
    }
    if (!importer.meshArena.reserve(total)) return;
    for (const auto& named : importer.meshes) named->mesh.arena = &importer.meshArena;
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
    if (!mesh->resizeVertices(object.vertexCount)) {
        importer.setError(IDS_NO_MEMORY_VERTICES, object.vertexCount);
        return false;
    }
    if (importer.options.textureCoords && object.texCoordCount != 0 && !mesh->allocTexCoords(object.texCoordCount)) {
        importer.setError(IDS_NO_MEMORY_TEXCOORDS, object.texCoordCount);
        return false;
    }
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
    if (!importer.positions.allocate(size_t(importer.vertexTotal) * 3)) {
        importer.setError(IDS_NO_MEMORY_VERTICES, importer.vertexTotal);
        return false;
    }
    if (importer.options.textureCoords && !importer.texCoordValues.allocate(size_t(importer.texCoordTotal) * 3)) {
        importer.setError(IDS_NO_MEMORY_TEXCOORDS, importer.texCoordTotal);
        return false;
    }

    Parser parser(importer, dialog);
    // Polygons before any usemtl and any g take the material named "default", if there is one.
    parser.materialIndex = importer.materialIndexOf(parser.materialName);
    if (clusters) {
        parser.object = importer.combinedObject.get();
        parser.group = importer.findObject("default");
    } else {
        parser.object = importer.findObject("default");
    }
    if (parser.object) {
        parser.mesh = parser.lookups.meshOf(parser.object);
        if (!allocateMeshArrays(importer, parser.mesh, *parser.object)) return false;
    }
    parser.selected = parser.lookups.isSelected("default");

    const uint64_t step = progressStep(importer.progressTotal);
    dialog.send(DialogMessage::Progress, 0, 0);
    std::vector<const char*> tokens(kObjTokenCapacity);
    std::vector<TokenSpan> spans(kObjTokenCapacity);
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
        const Keyword k = peekKeyword(line.text);
        bool ok = true;
        switch (k.first) {
        case 'v':
            if (k.second == '\0' || (k.second == 't' && parser.texCoords)) {
                const int count = spansOf(line, 5);  // keyword and three values
                ok = k.second == '\0' ? parser.vertex(spans.data(), count) : parser.texCoord(spans.data(), count);
            }
            break;
        case 'f': {
            const int count = spansOf(line, kObjTokenCapacity);
            ok = parser.face(spans.data(), count);
            break;
        }
        case 'g': {
            const int count = splitTokens(line.text, tokens.data(), kObjTokenCapacity);
            ok = parser.groupStatement(tokens.data(), count);
            break;
        }
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
    importer.positions.release();
    importer.texCoordValues.release();
    parser.sendCounts();
    dialog.send(DialogMessage::Phase, 0, 0);
    const float done = 1.0f;
    dialog.send(DialogMessage::Fraction, 0, reinterpret_cast<intptr_t>(&done));
    return true;
}

void runParse(ObjImporter& importer, DialogLink& dialog) {
    if (prepareMeshes(importer)) importer.aborted = !parseObj(importer, dialog);
    dialog.send(importer.aborted ? DialogMessage::ReadingFailed : DialogMessage::ReadingDone, 0, 0);
}

}  // namespace qf
