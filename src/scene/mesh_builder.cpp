#include "scene/mesh_builder.h"

#include <algorithm>
#include <cfloat>
#include <cstring>
#include <unordered_map>

#include "host/xsi_sdk.h"
#include "model/fixed_text.h"
#include "model/mtl_material.h"
#include "model/string_table.h"
#include "scene/material_builder.h"

namespace qf {

using XSI::CString;
using XSI::CValue;

namespace {

CString text(const std::string& ascii) { return XSI::AsciiString(ascii.c_str()); }

void runCommand(const char* name, std::initializer_list<CValue> arguments) {
    XSI::CValueArray args(XSI::LONG(arguments.size()));
    XSI::LONG at = 0;
    for (const CValue& a : arguments) args[at++] = a;
    CValue out;
    XSI::Application().ExecuteCommand(XSI::AsciiString(name), args, out);
}

struct Progress {
    DialogLink& dialog;
    intptr_t counter = 0;
    void step() { dialog.send(DialogMessage::Progress, 0, ++counter); }
    void phase(int textId) { dialog.send(DialogMessage::Phase, uintptr_t(textId), 0); }
};

// The mesh goes to the host in parts of this many corners (vertices for the positions): nothing
// the size of the whole mesh is held a second time on the way.
constexpr size_t kPartSize = size_t(1) << 16;

// Room for one part, kept from mesh to mesh.
struct PartBuffers {
    std::vector<XSI::LONG> sizes;
    std::vector<XSI::LONG> indices;
    std::vector<double> positions;
    std::vector<float> values;
    std::vector<uint8_t> used;
};

// Marks the vertices that polygons use, before the indices are handed over and given back.
void markUsedVertices(const Mesh& mesh, PartBuffers& parts) {
    const size_t vertexCount = size_t(mesh.vertexCount);
    if (mesh.everyVertexUsed) return;  // setPositions takes them all
    parts.used.assign(vertexCount, 0);
    for (int32_t c = 0; c < mesh.vertexIndexFill; ++c) {
        const int32_t v = mesh.vertexIndices[size_t(c)];
        if (v >= 0 && size_t(v) < vertexCount) parts.used[size_t(v)] = 1;
    }
}

void addPolygons(XSI::CMeshBuilder& builder, Mesh& mesh, PartBuffers& parts) {
    // The host takes its own integer type: sizes and indices are widened a part at a time.
    const size_t fill = size_t(mesh.vertexIndexFill);
    size_t corner = 0;
    int32_t p = 0;
    do {
        const size_t first = corner;
        parts.sizes.clear();
        const PolygonColumn& sizes = mesh.polygonSizes;
        if (sizes.uniformOver(size_t(mesh.polygonCount)) && sizes.shared() > 0) {
            // One size for every polygon: as many whole polygons as fill a part, at least one.
            const size_t size = size_t(sizes.shared());
            const size_t count = std::min(size_t(mesh.polygonCount - p), std::max<size_t>(1, (kPartSize + size - 1) / size));
            parts.sizes.assign(count, XSI::LONG(size));
            p += int32_t(count);
            corner += count * size;
        }
        for (; p < mesh.polygonCount && (parts.sizes.empty() || corner - first < kPartSize); ++p) {
            const int32_t size = sizes[size_t(p)];
            parts.sizes.push_back(size);
            if (size > 0) corner += size_t(size);
        }
        parts.indices.resize(corner - first);
        const size_t stored = std::clamp(fill, first, corner);
        for (size_t c = first; c < stored; ++c) parts.indices[c - first] = mesh.vertexIndices[c];
        // A polygon that claims more corners than were stored names no vertex for the rest.
        std::fill(parts.indices.begin() + std::ptrdiff_t(stored - first), parts.indices.end(), XSI::LONG(-1));
        builder.AddPolygons(XSI::LONG(parts.sizes.size()), parts.sizes.data(), parts.indices.data());
        // The host holds these corners now (unless they stand for the texture indices too).
        if (!mesh.texCoordsFollowVertices) mesh.giveBackFront(mesh.vertexIndices, stored);
    } while (p < mesh.polygonCount);
}

void setPositions(XSI::CMeshBuilder& builder, const Mesh& mesh, PartBuffers& parts) {
    // Only the vertices that polygons use (marked before) get their position; the others stay at
    // the origin.
    const size_t vertexCount = size_t(mesh.vertexCount);
    for (size_t first = 0; first < vertexCount; first += kPartSize) {
        const size_t count = std::min(kPartSize, vertexCount - first);
        parts.positions.resize(count * 3);
        if (mesh.everyVertexUsed) {
            const float* from = mesh.vertices.data() + first * 3;
            std::copy(from, from + count * 3, parts.positions.begin());
            builder.SetVertexPositions(XSI::LONG(count), parts.positions.data(), XSI::LONG(first));
            continue;
        }
        bool any = false;
        for (size_t i = 0; i < count; ++i) {
            const size_t v = first + i;
            double* position = &parts.positions[i * 3];
            if (!parts.used[v]) {
                position[0] = position[1] = position[2] = 0.0;
                continue;
            }
            any = true;
            for (size_t k = 0; k < 3; ++k) position[k] = mesh.vertices[v * 3 + k];
        }
        if (any) builder.SetVertexPositions(XSI::LONG(count), parts.positions.data(), XSI::LONG(first));
    }
}

void setNodeValues(XSI::ClusterProperty& uv, Mesh& mesh, XSI::LONG nodeCount, int32_t uniformSize,
                   PartBuffers& parts) {
    NodeValueReader reader(mesh, uniformSize);
    parts.values.resize(kPartSize * 3);
    size_t at = 0;
    const size_t total = size_t(nodeCount);
    do {
        const size_t wanted = std::min(kPartSize, total - at);
        const size_t read = reader.read(parts.values.data(), wanted);
        // Nodes beyond the stored corners keep (0, 0, 0).
        std::fill(parts.values.begin() + std::ptrdiff_t(read * 3), parts.values.begin() + std::ptrdiff_t(wanted * 3),
                  0.0f);
        uv.SetValues(parts.values.data(), XSI::LONG(wanted), XSI::LONG(at));
        at += wanted;
        // What was read goes back while the host's values grow.
        mesh.giveBackFront(mesh.texCoordIndexArray(), reader.textureIndicesRead());
        mesh.giveBackFront(mesh.polygonTexCoordCounts, size_t(reader.polygonsRead()));
        mesh.giveBackFront(mesh.polygonSizes, size_t(reader.polygonsRead()));
    } while (at < total);
}

}  // namespace

int stepsPerMesh(const ObjImporter& importer) {
    const ImportOptions& o = importer.options;
    int steps = (o.importMaterials && !importer.hostMaterials.empty()) ? 6 : 5;
    if (o.centerPivots) ++steps;
    if (o.textureCoords) ++steps;
    return steps;
}

// One pass over each list. The host material of a record's own name comes first: materials
// whose names differ only in letter case are materials of their own.
std::vector<size_t> hostMaterialIndices(const ObjImporter& importer) {
    const size_t none = importer.hostMaterials.size();
    std::unordered_map<std::string, size_t> byName, byFoldedName;
    for (size_t i = 0; i < importer.hostMaterials.size(); ++i) {
        const std::string name = ToAscii(importer.hostMaterials[i].GetName());
        byName.emplace(name, i);
        byFoldedName.emplace(foldedName(name.c_str()), i);
    }
    std::vector<size_t> indices(importer.materials.size(), none);
    for (size_t m = 0; m < indices.size(); ++m) {
        const std::string name = sanitizeName(importer.materials[m]->name);
        if (const auto exact = byName.find(name); exact != byName.end()) {
            indices[m] = exact->second;
        } else if (const auto folded = byFoldedName.find(foldedName(name.c_str())); folded != byFoldedName.end()) {
            indices[m] = folded->second;
        }
    }
    return indices;
}

int32_t texturedPolygonSize(const Mesh& mesh) {
    const PolygonColumn& counts = mesh.polygonTexCoordCounts;
    const PolygonColumn& sizes = mesh.polygonSizes;
    if (counts.size() < size_t(mesh.polygonCount) || sizes.size() < size_t(mesh.polygonCount)) return -1;
    if (mesh.polygonCount == 0) return 0;
    const size_t polygons = size_t(mesh.polygonCount);
    if (counts.uniformOver(polygons) && sizes.uniformOver(polygons))
        return counts.shared() == sizes.shared() ? std::max(sizes.shared(), 0) : -1;
    int32_t shared = sizes[0];
    for (size_t p = 0; p < polygons; ++p) {
        if (counts[p] != sizes[p]) return -1;
        if (sizes[p] != shared) shared = 0;
    }
    return std::max(shared, 0);
}

// The values of corners whose texture indices are stored in a row: (u, v, 0), and (0, 0, 0) for
// an index out of range.
static void writeNodeValues(const int32_t* indices, size_t corners, const float* coords, uint32_t coordCount,
                            float* out) {
    for (size_t k = 0; k < corners; ++k, out += 3) {
        const uint32_t t = uint32_t(indices[k]);  // a negative one is out of range too
        const bool known = t < coordCount;
        out[0] = known ? coords[size_t(t) * kTexCoordFloats] : 0.0f;
        out[1] = known ? coords[size_t(t) * kTexCoordFloats + 1] : 0.0f;
        out[2] = 0.0f;
    }
}

NodeValueReader::NodeValueReader(const Mesh& mesh, int32_t uniformSize) : mesh_(mesh), uniformSize_(uniformSize) {}

size_t NodeValueReader::read(float* out, size_t corners) {
    const PolygonColumn* counts = mesh_.polygonTexCoordCounts.empty() ? nullptr : &mesh_.polygonTexCoordCounts;
    // Without its polygon sizes (given back early when every polygon has all its texture
    // references) the mesh's texture counts are the sizes; without both, every polygon has the
    // uniform size, textured.
    const PolygonColumn* sizes = mesh_.polygonSizes.empty() ? counts : &mesh_.polygonSizes;
    const bool uniform = !sizes;
    if (uniform && uniformSize_ <= 0) return 0;
    const size_t fill = size_t(mesh_.texCoordIndexFill);
    const int32_t* textureIndices = mesh_.texCoordIndexArray().data();
    const uint32_t coordCount = uint32_t(std::max(mesh_.texCoordCount, 0));
    if (uniform) {
        // One texture index per corner, in corner order: no polygon to walk.
        const size_t size = size_t(uniformSize_);
        const size_t total = size_t(mesh_.polygonCount) * size;
        const size_t first = size_t(polygon_) * size + size_t(cornerInPolygon_);
        const size_t count = std::min(corners, total - std::min(first, total));
        // Millions of corners: whether an index is stored, asked once for all of them.
        const size_t stored = texture_ < fill ? std::min(count, fill - texture_) : 0;
        writeNodeValues(textureIndices + texture_, stored, mesh_.texCoords.data(), coordCount, out);
        std::fill(out + stored * 3, out + count * 3, 0.0f);
        texture_ = std::min(texture_ + count, fill);
        polygon_ = int32_t((first + count) / size);
        cornerInPolygon_ = int32_t((first + count) % size);
        return count;
    }
    size_t written = 0;
    while (written < corners && polygon_ < mesh_.polygonCount) {
        const int32_t size = (*sizes)[size_t(polygon_)];
        const size_t take = std::min(size_t(std::max(size - cornerInPolygon_, 0)), corners - written);
        float* value = out + written * 3;
        if (!counts || (*counts)[size_t(polygon_)] == 0) {
            std::fill(value, value + take * 3, 0.0f);
        } else {
            // Texture indices are stored only for the polygons that have them, and may end early.
            const size_t stored = std::min(take, fill - std::min(texture_, fill));
            writeNodeValues(textureIndices + texture_, stored, mesh_.texCoords.data(), coordCount, value);
            std::fill(value + stored * 3, value + take * 3, 0.0f);
            texture_ += stored;
        }
        written += take;
        cornerInPolygon_ += int32_t(take);
        if (cornerInPolygon_ >= size) {
            cornerInPolygon_ = 0;
            ++polygon_;
        }
    }
    return written;
}

void nodeValues(const Mesh& mesh, FixedArray<float>& values, int32_t uniformSize) {
    if (!values.allocate(size_t(mesh.vertexIndexFill) * 3)) return;
    NodeValueReader(mesh, uniformSize).read(values.data(), size_t(mesh.vertexIndexFill));
}

bool makesObjectCluster(const ObjImporter& importer, const ObjectInfo& object) {
    return importer.options.importAsClusters && importer.objects.size() != 1 && object.selected &&
           object.polygonCount != 0;
}

bool buildMeshes(ObjImporter& importer, DialogLink& dialog) {
    const ImportOptions& o = importer.options;
    const bool assignMaterials = o.importMaterials && !importer.hostMaterials.empty();
    importer.progressTotal = uint64_t(importer.meshes.size()) * uint64_t(stepsPerMesh(importer));
    Progress progress{dialog};
    progress.phase(IDS_BUILDING_SCENE);
    dialog.send(DialogMessage::Progress, 0, 0);
    XSI::Application app;
    XSI::Model root = app.GetActiveSceneRoot();
    // Host material of each record, looked up once for all meshes.
    const std::vector<size_t> hostIndex =
        assignMaterials ? hostMaterialIndices(importer) : std::vector<size_t>(importer.materials.size());
    // Polygons per material of the mesh being built; back to zeros after each mesh.
    std::vector<int32_t> polygonsOfMaterial(assignMaterials ? importer.materials.size() : 0, 0);

    bool allBuilt = true;
    PartBuffers parts;
    for (const auto& named : importer.meshes) {
        if (importer.aborted) return false;
        Mesh& mesh = named->mesh;
        progress.step();
        XSI::X3DObject object;
        XSI::CMeshBuilder builder;
        root.AddPolygonMesh(text(sanitizeName(named->name)), object, builder);
        // The host numbers a name that is taken already: commands address the object it made.
        const CString name = object.GetName();

        progress.phase(IDS_ADDING_VERTICES);
        progress.step();
        builder.AddVertices(mesh.vertexCount);

        progress.phase(IDS_ADDING_POLYGONS);
        progress.step();
        // Materials without host materials are not assigned: their array goes back before the
        // host's polygon arrays grow.
        if (!assignMaterials) mesh.giveBack(mesh.polygonMaterials);
        // Positions first: the vertices go back before the host's polygon arrays grow.
        markUsedVertices(mesh, parts);
        setPositions(builder, mesh, parts);
        mesh.giveBack(mesh.vertices);
        addPolygons(builder, mesh, parts);
        if (!mesh.texCoordsFollowVertices) mesh.giveBack(mesh.vertexIndices);
        // The sizes are the texture counts too when every corner has its texture reference, and
        // neither is needed when all polygons have one size (a triangulated mesh): they go back
        // before the host's node and texture arrays take their room.
        const int32_t texturedSize = texturedPolygonSize(mesh);
        if (texturedSize >= 0) mesh.giveBack(mesh.polygonSizes);
        if (texturedSize > 0) mesh.giveBack(mesh.polygonTexCoordCounts);

        progress.phase(IDS_BUILDING_MESH);
        progress.step();
        XSI::CErrorDescriptor result = builder.Build(false);
        if (result.GetCode() == XSI::CStatus::Fail) {
            // The other meshes are still built; the user learns which one is missing.
            app.LogMessage(text("Error generating mesh: ") + result.GetDescription(), XSI::siInfoMsg);
            char warning[kMeshNameSize + 256];
            formatBounded(warning, sizeof warning, loadText(IDS_MESH_REFUSED), ToAscii(name).c_str(),
                          ToAscii(result.GetDescription()).c_str());
            importer.addWarning(warning);
            allBuilt = false;
            mesh.giveBackArrays();
            continue;
        }

        XSI::Geometry geometry = object.GetActivePrimitive().GetGeometry(DBL_MAX);
        XSI::PolygonMesh polygonMesh(geometry);
        XSI::CGeometryAccessor accessor =
            polygonMesh.GetGeometryAccessor(XSI::siConstructionModeDefault, XSI::siCatmullClark, 0, false, true, 60.0);

        if (o.textureCoords) {
            progress.step();
            if (mesh.texCoordCount != 0) {
                progress.phase(IDS_ADDING_TEXCOORDS);
                XSI::ClusterProperty uv(polygonMesh.GetClusterPropertyBuilder().AddUV());
                XSI::CLongArray nodes;
                accessor.GetNodeIndices(nodes);
                // The host numbers nodes in corner order; reorder only if it ever does otherwise.
                bool cornerOrder = nodes.GetCount() == XSI::LONG(mesh.vertexIndexFill);
                if (cornerOrder) {
                    XSI::LONG differs = 0;  // no early exit: the loop is one vector compare per few nodes
                    const XSI::LONG* node = nodes.GetArray();
                    for (XSI::LONG n = 0; n < nodes.GetCount(); ++n) differs |= node[n] ^ n;
                    cornerOrder = differs == 0;
                }
                if (cornerOrder) {
                    const XSI::LONG nodeCount = nodes.GetCount();
                    nodes = XSI::CLongArray();  // given back before the values take their room
                    setNodeValues(uv, mesh, nodeCount, std::max(texturedSize, 0), parts);
                } else {
                    FixedArray<float> values;
                    nodeValues(mesh, values, std::max(texturedSize, 0));
                    std::vector<float> byNode(size_t(nodes.GetCount()) * 3, 0.0f);
                    for (XSI::LONG n = 0; n < nodes.GetCount(); ++n) {
                        const size_t corner = size_t(nodes[n]);
                        if (corner * 3 + 2 < values.size())
                            std::memcpy(&byNode[size_t(n) * 3], &values[corner * 3], 3 * sizeof(float));
                    }
                    uv.SetValues(byNode.data(), nodes.GetCount(), 0);
                }
            }
        }

        mesh.giveBack(mesh.texCoords);
        if (mesh.texCoordsFollowVertices) mesh.giveBack(mesh.vertexIndices);  // they stood for the texture indices
        mesh.giveBack(mesh.texCoordIndices);
        mesh.giveBack(mesh.polygonTexCoordCounts);
        mesh.giveBack(mesh.polygonSizes);

        if (o.centerPivots) {
            progress.step();
            progress.phase(IDS_CENTER_PIVOT);
            double cx, cy, cz, ex, ey, ez;
            XSI::MATH::CTransformation identity;
            identity.SetIdentity();
            geometry.GetBoundingBox(cx, cy, cz, ex, ey, ez, identity);
            runCommand("TranslatePivot", {name, CValue(cx), CValue(cy), CValue(cz)});
        }

        // Only the one mesh of cluster mode looks at every object: one mesh per object must not.
        if (o.importAsClusters)
            for (const auto& obj : importer.objects) {
                if (!makesObjectCluster(importer, *obj)) continue;
                XSI::Cluster cluster;
                geometry.AddCluster(XSI::siPolygonCluster, text(sanitizeName(obj->name)), obj->clusterPolygons,
                                    cluster);
            }

        if (assignMaterials) {
            progress.step();
            // The polygons of every material the mesh uses, in one pass (in ascending order within
            // each); the cost follows the mesh, not the number of materials in the file.
            const size_t materialCount = importer.materials.size();
            std::vector<int32_t> usedMaterials;
            for (int32_t p = 0; p < mesh.polygonCount; ++p) {
                const int32_t m = mesh.polygonMaterials[size_t(p)];
                if (m < 0 || size_t(m) >= materialCount) continue;
                if (polygonsOfMaterial[size_t(m)]++ == 0) usedMaterials.push_back(m);
            }
            std::sort(usedMaterials.begin(), usedMaterials.end());
            int32_t total = 0;
            for (int32_t m : usedMaterials) {  // counts become the places where each material starts
                const int32_t count = polygonsOfMaterial[size_t(m)];
                polygonsOfMaterial[size_t(m)] = total;
                total += count;
            }
            std::vector<XSI::LONG> byMaterial(static_cast<size_t>(total));
            for (int32_t p = 0; p < mesh.polygonCount; ++p) {
                const int32_t m = mesh.polygonMaterials[size_t(p)];
                if (m >= 0 && size_t(m) < materialCount) byMaterial[size_t(polygonsOfMaterial[size_t(m)]++)] = p;
            }
            int32_t start = 0;  // each place has moved on to the next material's start
            for (int32_t m : usedMaterials) {
                const int32_t end = polygonsOfMaterial[size_t(m)];
                polygonsOfMaterial[size_t(m)] = 0;
                const int32_t count = end - start;
                const int32_t at = start;
                start = end;
                if (!importer.materials[size_t(m)]->used) continue;
                const size_t h = hostIndex[size_t(m)];
                if (h >= importer.hostMaterials.size()) continue;
                CString clusterName = text("mc_") + importer.hostMaterials[h].GetName();
                builder.SetPolygonsMaterial(importer.hostMaterials[h].GetRef(), count, &byMaterial[size_t(at)],
                                            clusterName);
            }
        }

        mesh.giveBackArrays();
        if (o.importAsClusters) progress.phase(IDS_DELETING_ISOLATED);
    }

    progress.phase(0);
    dialog.send(DialogMessage::Progress, 0, static_cast<intptr_t>(importer.progressTotal));
    clearSceneMaterial();
    runCommand("FrameAll", {CValue(true), CValue(true), CValue(XSI::LONG(0))});
    return allBuilt;
}

}  // namespace qf
