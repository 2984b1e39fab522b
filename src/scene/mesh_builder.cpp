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
    XSI::CValueArray args;
    for (const CValue& a : arguments) args.Add(a);
    CValue out;
    XSI::Application().ExecuteCommand(XSI::AsciiString(name), args, out);
}

struct Progress {
    DialogLink& dialog;
    intptr_t counter = 0;
    void step() { dialog.send(DialogMessage::Progress, 0, ++counter); }
    void phase(int textId) { dialog.send(DialogMessage::Phase, uintptr_t(textId), 0); }
};

}  // namespace

int stepsPerMesh(const ObjImporter& importer) {
    const ImportOptions& o = importer.options;
    int steps = (o.importMaterials && !importer.hostMaterials.empty()) ? 6 : 5;
    if (o.centerPivots) ++steps;
    if (o.textureCoords) ++steps;
    return steps;
}

// One pass over each list.
std::vector<size_t> hostMaterialIndices(const ObjImporter& importer) {
    const size_t none = importer.hostMaterials.size();
    std::unordered_map<std::string, size_t> byName;
    for (size_t i = 0; i < importer.hostMaterials.size(); ++i)
        byName.emplace(foldedName(ToAscii(importer.hostMaterials[i].GetName()).c_str()), i);
    std::vector<size_t> indices(importer.materials.size(), none);
    for (size_t m = 0; m < indices.size(); ++m) {
        const auto found = byName.find(foldedName(sanitizeName(importer.materials[m]->name).c_str()));
        if (found != byName.end()) indices[m] = found->second;
    }
    return indices;
}

void nodeValues(const Mesh& mesh, FixedArray<float>& values) {
    // Zeroed memory from the system: the corners without texture keep (0, 0, 0).
    if (!values.allocate(size_t(mesh.vertexIndexFill) * 3)) return;
    // Texture indices are stored only for the polygons that have them: walk both in step.
    size_t corner = 0, texture = 0;
    for (int32_t p = 0; p < mesh.polygonCount; ++p) {
        const int32_t size = mesh.polygonSizes[size_t(p)];
        const int32_t withTexture = mesh.polygonTexCoordCounts.empty() ? 0 : mesh.polygonTexCoordCounts[size_t(p)];
        for (int32_t k = 0; k < size; ++k, ++corner) {
            if (withTexture == 0 || texture >= size_t(mesh.texCoordIndexFill)) continue;
            const int32_t t = mesh.texCoordIndices[texture++];
            if (t < 0 || t >= mesh.texCoordCount) continue;
            values[corner * 3] = mesh.texCoords[size_t(t) * 3];
            values[corner * 3 + 1] = mesh.texCoords[size_t(t) * 3 + 1];
        }
    }
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
    for (const auto& named : importer.meshes) {
        if (importer.aborted) return false;
        const Mesh& mesh = named->mesh;
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
        // The host takes its own integer type: widen the indices once per mesh.
        std::vector<XSI::LONG> sizes(mesh.polygonSizes.data(), mesh.polygonSizes.data() + mesh.polygonCount);
        std::vector<XSI::LONG> indices(mesh.vertexIndices.data(), mesh.vertexIndices.data() + mesh.vertexIndexFill);
        builder.AddPolygons(mesh.polygonCount, sizes.data(), indices.data());
        for (int32_t c = 0; c < mesh.vertexIndexFill; ++c) {
            const int32_t v = mesh.vertexIndices[size_t(c)];
            if (v < 0 || v >= mesh.vertexCount) continue;
            const double position[3] = {mesh.vertices[size_t(v) * 3], mesh.vertices[size_t(v) * 3 + 1],
                                        mesh.vertices[size_t(v) * 3 + 2]};
            builder.SetVertexPositions(1, position, v);
        }

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
                FixedArray<float> values;
                nodeValues(mesh, values);
                // The host numbers nodes in corner order; reorder only if it ever does otherwise.
                bool cornerOrder = size_t(nodes.GetCount()) * 3 == values.size();
                for (XSI::LONG n = 0; cornerOrder && n < nodes.GetCount(); ++n) cornerOrder = nodes[n] == n;
                if (cornerOrder) {
                    uv.SetValues(values.data(), nodes.GetCount(), 0);
                } else {
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

        if (o.centerPivots) {
            progress.step();
            progress.phase(IDS_CENTER_PIVOT);
            double cx, cy, cz, ex, ey, ez;
            XSI::MATH::CTransformation identity;
            identity.SetIdentity();
            geometry.GetBoundingBox(cx, cy, cz, ex, ey, ez, identity);
            runCommand("TranslatePivot", {name, CValue(cx), CValue(cy), CValue(cz)});
        }

        if (o.importAsClusters && importer.objects.size() != 1) {
            for (const auto& obj : importer.objects) {
                if (!obj->selected || obj->polygonCount == 0) continue;
                XSI::Cluster cluster;
                geometry.AddCluster(XSI::siPolygonCluster, text(sanitizeName(obj->name)), obj->clusterPolygons,
                                    cluster);
            }
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

        if (o.importAsClusters) progress.phase(IDS_DELETING_ISOLATED);
    }

    progress.phase(0);
    dialog.send(DialogMessage::Progress, 0, static_cast<intptr_t>(importer.progressTotal));
    clearSceneMaterial();
    runCommand("FrameAll", {CValue(true), CValue(true), CValue(XSI::LONG(0))});
    return allBuilt;
}

}  // namespace qf
