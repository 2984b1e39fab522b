#include "model/import_model.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "model/fixed_text.h"
#include "model/mtl_material.h"
#include "model/string_table.h"

namespace qf {

namespace {

bool addChecked(int32_t& total, int32_t more) {
    int64_t sum = int64_t(total) + more;
    if (sum > std::numeric_limits<int32_t>::max() || sum < 0) return false;
    total = static_cast<int32_t>(sum);
    return true;
}

}  // namespace

bool ObjectInfo::addCounts(const ObjectInfo& other) {
    ObjectInfo sum;
    sum.vertexCount = vertexCount;
    sum.normalCount = normalCount;
    sum.texCoordCount = texCoordCount;
    sum.polygonCount = polygonCount;
    sum.indexCount = indexCount;
    if (!addChecked(sum.vertexCount, other.vertexCount) || !addChecked(sum.normalCount, other.normalCount) ||
        !addChecked(sum.texCoordCount, other.texCoordCount) ||
        !addChecked(sum.polygonCount, other.polygonCount) || !addChecked(sum.indexCount, other.indexCount))
        return false;
    vertexCount = sum.vertexCount;
    normalCount = sum.normalCount;
    texCoordCount = sum.texCoordCount;
    polygonCount = sum.polygonCount;
    indexCount = sum.indexCount;
    return true;
}

void PolygonColumn::spread(int32_t p, int32_t value) {
    // The entries after the run are still zeros, as for polygons never set.
    std::fill(entries.data(), entries.data() + setCount_, shared_);
    entries[size_t(p)] = value;
    spread_ = true;
}

namespace {

template <typename T>
bool allocateFrom(MeshArena* arena, FixedArray<T>& array, size_t count) {
    return (arena && arena->take(array, count)) || array.allocate(count);
}

}  // namespace

void Mesh::giveBackArrays() {
    giveBack(vertices);
    giveBack(texCoords);
    giveBack(normals);
    giveBack(polygonMaterials);
    giveBack(vertexIndices);
    giveBack(polygonSizes);
    giveBack(normalIndices);
    giveBack(polygonNormalCounts);
    giveBack(texCoordIndices);
    giveBack(polygonTexCoordCounts);
}

bool Mesh::resizeVertices(int32_t count) {
    vertexCount = 0;
    if (count < 0 || !allocateFrom(arena, vertices, size_t(count) * 3)) return false;
    vertexCount = count;
    return true;
}

bool Mesh::allocTexCoords(int32_t count) {
    texCoordCount = 0;
    if (count < 0 || !allocateFrom(arena, texCoords, size_t(count) * kTexCoordFloats)) return false;
    texCoordCount = count;
    return true;
}

namespace {

size_t entryBytes(int32_t count) { return MeshArena::roundUp(size_t(count < 0 ? 0 : count) * 4); }

}  // namespace

size_t Mesh::arenaBytes(const ObjectInfo& o) { return entryBytes(o.indexCount); }

size_t Mesh::columnArenaBytes(const ObjectInfo& o, bool withTexCoords) {
    return (withTexCoords ? 3 : 2) * entryBytes(o.polygonCount);
}

bool Mesh::allocPolygons(int32_t polygons, int32_t indices, bool withTexCoords) {
    polygonCount = 0;
    texCoordsFollowVertices = false;
    if (polygons < 0 || indices < 0) return false;
    const size_t p = size_t(polygons), n = size_t(indices);
    // The normal index arrays stay empty: normals are never imported, so nothing writes them.
    polygonMaterials.restart();
    polygonSizes.restart();
    polygonTexCoordCounts.restart();
    bool ok = allocateFrom(arena, vertexIndices, n) && allocateFrom(columnArena, polygonMaterials.entries, p) &&
              allocateFrom(columnArena, polygonSizes.entries, p) &&
              (!withTexCoords || (allocateFrom(texCoordIndexArena, texCoordIndices, n) &&
                                  allocateFrom(columnArena, polygonTexCoordCounts.entries, p)));
    if (!ok) {
        vertexIndices.release();
        texCoordIndices.release();
        normalIndices.release();
        polygonTexCoordCounts.release();
        polygonNormalCounts.release();
        polygonMaterials.release();
        polygonSizes.release();
        return false;
    }
    polygonCount = polygons;
    vertexIndexFill = texCoordIndexFill = normalIndexFill = 0;
    texCoordsFollowVertices = withTexCoords;
    return true;
}

void Mesh::stopFollowingVertices() {
    if (!texCoordsFollowVertices) return;
    texCoordsFollowVertices = false;
    if (texCoordIndexArena && texCoordIndexArena->holds(texCoordIndices.data())) texCoordIndexArena->setAdoptable(true);
    std::copy(vertexIndices.data(), vertexIndices.data() + texCoordIndexFill, texCoordIndices.data());
}

bool Mesh::usesMaterial(int32_t material) const {
    for (int32_t p = 0; p < polygonCount; ++p)
        if (polygonMaterials[size_t(p)] == material) return true;
    return false;
}

void Mesh::collectPolygonsWithMaterial(int32_t material, XSI::CLongArray& out, int32_t offset) const {
    for (int32_t p = 0; p < polygonCount; ++p)
        if (polygonMaterials[size_t(p)] == material) out.Add(XSI::LONG(offset) + p);
}

ObjImporter::ObjImporter() = default;

ObjImporter::~ObjImporter() {
    objectIndex_.clear();
    // Records first, then the lists, then the buffers: the same order the run built them in reverse.
    objects.clear();
    materials.clear();
    combinedObject.reset();
    createdClipNames.clear();
    clipOfFile.clear();
    hostMaterials.clear();
    materialLibraries.clear();
    libraryFilesRead.clear();
    meshes.clear();
    mapSearchPaths.clear();
    warnings.clear();
}

void ObjImporter::indexObjects() const {
    if (indexedObjects_ > objects.size()) {
        objectIndex_.clear();
        indexedObjects_ = 0;
    }
    for (; indexedObjects_ < objects.size(); ++indexedObjects_)
        if (!objectIndex_.emplace(objects[indexedObjects_]->name, objects[indexedObjects_].get()).second)
            duplicateNames_ = true;
}

ObjectInfo* ObjImporter::findObject(const char* name) const {
    indexObjects();
    auto found = objectIndex_.find(name);
    return found == objectIndex_.end() ? nullptr : found->second;
}

ObjectInfo* ObjImporter::findObject(const char* name, size_t likelyPlace) const {
    indexObjects();
    // Among records of distinct names, the one that bears the name is the first of it.
    if (!duplicateNames_ && likelyPlace < objects.size() && std::strcmp(objects[likelyPlace]->name, name) == 0)
        return objects[likelyPlace].get();
    return findObject(name);
}

bool ObjImporter::hasDuplicateNames() const {
    indexObjects();
    return duplicateNames_;
}

ObjectInfo& ObjImporter::appendObject(const char* name) {
    objects.push_back(std::make_unique<ObjectInfo>());
    copyBounded(objects.back()->name, name);
    indexObjects();
    return *objects.back();
}

void ObjImporter::renameObject(ObjectInfo& object, const char* name) {
    indexObjects();
    auto old = objectIndex_.find(object.name);
    if (old != objectIndex_.end() && old->second == &object) objectIndex_.erase(old);
    copyBounded(object.name, name);
    if (duplicateNames_) {
        // The old name may belong to a later record too: index everything anew.
        objectIndex_.clear();
        indexedObjects_ = 0;
        duplicateNames_ = false;
        indexObjects();
    } else if (!objectIndex_.emplace(object.name, &object).second) {
        duplicateNames_ = true;
        objectIndex_.clear();
        indexedObjects_ = 0;
    }
}

int ObjImporter::countSelectedObjects() const {
    int n = 0;
    for (const auto& o : objects) n += o->selected ? 1 : 0;
    return n;
}

namespace {

std::string lowerCase(const char* text) {
    std::string key(text);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return key;
}

}  // namespace

int32_t ObjImporter::materialIndexOf(const char* name) const {
    if (name[0] == '\0') return 0;
    if (indexedMaterials_ > materials.size()) {
        materialIndex_.clear();
        foldedMaterialIndex_.clear();
        indexedMaterials_ = 0;
    }
    for (; indexedMaterials_ < materials.size(); ++indexedMaterials_) {
        const std::string& recordName = materials[indexedMaterials_]->name;
        materialIndex_.emplace(recordName, int32_t(indexedMaterials_));
        foldedMaterialIndex_.emplace(lowerCase(recordName.c_str()), int32_t(indexedMaterials_));
    }
    auto found = materialIndex_.find(name);
    if (found != materialIndex_.end()) return found->second;
    found = foldedMaterialIndex_.find(lowerCase(name));
    return found == foldedMaterialIndex_.end() ? static_cast<int32_t>(materials.size()) : found->second;
}

void ObjImporter::addWarning(const char* text) {
    // Warnings added to the list directly are known too.
    if (indexedWarnings_ > warnings.size()) {
        warningKeys_.clear();
        indexedWarnings_ = 0;
    }
    for (; indexedWarnings_ < warnings.size(); ++indexedWarnings_)
        warningKeys_.insert(lowerCase(warnings[indexedWarnings_].c_str()));
    if (!warningKeys_.insert(lowerCase(text)).second) return;
    warnings.emplace_back(text);
    ++indexedWarnings_;
}

void ObjImporter::addMaterialLibrary(const char* name) {
    if (indexedLibraries_ > materialLibraries.size()) {
        libraryNames_.clear();
        indexedLibraries_ = 0;
    }
    for (; indexedLibraries_ < materialLibraries.size(); ++indexedLibraries_)
        libraryNames_.insert(materialLibraries[indexedLibraries_]);
    if (!libraryNames_.insert(name).second) return;
    materialLibraries.emplace_back(name);
    ++indexedLibraries_;
}

void ObjImporter::setError(int textId) { copyBounded(errorText, loadText(textId)); }

void ObjImporter::setError(int textId, long long value) {
    // The table's numeric texts take one %d; the value is passed as an int where it fits.
    formatBounded(errorText, sizeof errorText, loadText(textId), static_cast<int>(value));
}

void ObjImporter::setOutOfMemory(const char* what) {
    formatBounded(errorText, sizeof errorText, loadText(IDS_OUT_OF_MEMORY), what);
    errorLine = 0;
    aborted = true;
}

}  // namespace qf
