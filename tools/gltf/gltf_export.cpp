#include "gltf/gltf_export.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <new>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "gltf/gltf_document.h"
#include "gltf/texture_images.h"
#include "gltf/triangulate.h"
#include "host/host_scene.h"
#include "run/scene_report.h"

#ifndef QF_VERSION
#define QF_VERSION "0"
#endif

namespace qf {

namespace {

namespace fs = std::filesystem;
using XSI::standin::HostScene;
using XSI::standin::Item;
using XSI::standin::ItemKind;
using XSI::standin::SceneMapRecord;
using namespace gltf;

// A relative URI: every byte outside the unreserved set and '/' percent-encoded.
std::string uriOf(const std::string& relativePath) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : relativePath) {
        if (std::isalnum(c) || std::strchr("-._~/", c)) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// Whether the text is well-formed UTF-8: the byte ranges of the Unicode standard's table of
// well-formed sequences (no overlong forms, no surrogates, nothing past U+10FFFF).
bool isUtf8(std::string_view text) {
    auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    for (size_t i = 0; i < text.size();) {
        const unsigned lead = byte(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t length = 0;
        unsigned low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) return false;
        for (size_t k = 2; k < length; ++k)
            if ((byte(i + k) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// A name as glTF must hold it, in UTF-8. Names written in UTF-8 stay as they are; the others are
// in the host's single-byte code page, and each of their bytes above 127 becomes the character of
// that number, as the scene's JSON writes them.
std::string utf8Name(std::string_view name) {
    if (isUtf8(name)) return std::string(name);
    std::string out;
    out.reserve(name.size() * 2);
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += char(0xC0 | (byte >> 6));
            out += char(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

struct VertexKey {
    uint32_t position;
    float u, v;
    bool operator==(const VertexKey& o) const {
        return position == o.position && std::memcmp(&u, &o.u, sizeof u) == 0 && std::memcmp(&v, &o.v, sizeof v) == 0;
    }
};

// The glTF vertex of each pair of position and texture coordinate, numbered in the order the
// corners first use them. Most positions carry one coordinate: their first vertex is found by
// position, in an array read in the mesh's own order, which keeps a mesh of millions of corners
// within the cache. The vertices after the first of a position go into a table by the whole pair,
// so that a position with thousands of coordinates costs no more per corner.
class VertexNumbering {
public:
    explicit VertexNumbering(size_t positionCount) : firstOf_(positionCount, kNone) { keys_.reserve(positionCount); }

    // The vertex of the pair, and whether it was made by this call.
    std::pair<uint32_t, bool> number(const VertexKey& key) {
        uint32_t& first = firstOf_[key.position];
        if (first == kNone) {
            first = add(key);
            return {first, true};
        }
        if (keys_[first] == key) return {first, false};
        if ((others_ + 1) * 2 > slots_.size()) grow();
        for (size_t i = hash(key) & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i] == kNone) {
                ++others_;
                return {slots_[i] = add(key), true};
            }
            if (keys_[slots_[i]] == key) return {slots_[i], false};
        }
    }

private:
    static constexpr uint32_t kNone = UINT32_MAX;

    static size_t hash(const VertexKey& k) {
        uint32_t u, v;
        std::memcpy(&u, &k.u, 4);
        std::memcpy(&v, &k.v, 4);
        uint64_t h = (k.position * 0x9E3779B97F4A7C15ull) ^ ((uint64_t(u) << 32 | v) * 0xC2B2AE3D27D4EB4Full);
        return size_t(h ^ (h >> 29));
    }
    uint32_t add(const VertexKey& key) {
        keys_.push_back(key);
        return uint32_t(keys_.size() - 1);
    }
    void grow() {
        std::vector<uint32_t> old(std::max<size_t>(64, slots_.size() * 2), kNone);
        old.swap(slots_);
        for (uint32_t id : old) {
            if (id == kNone) continue;
            size_t i = hash(keys_[id]) & (slots_.size() - 1);
            while (slots_[i] != kNone) i = (i + 1) & (slots_.size() - 1);
            slots_[i] = id;
        }
    }

    std::vector<uint32_t> firstOf_;  // by position: its first vertex
    std::vector<VertexKey> keys_;    // by vertex
    std::vector<uint32_t> slots_;    // the other vertices, by the hash of their pair
    size_t others_ = 0;
};

class GltfBuilder {
public:
    GltfBuilder(const ObjImporter& importer, const std::string& objPath, const GltfTarget& target,
                std::vector<std::string>& notes)
        : scene_(HostScene::instance()), run_(recordOfRun(importer, objPath)), target_(target), notes_(notes) {
        doc_.generator = std::string("qfobjimp ") + QF_VERSION;
    }

    bool addObjects() {
        for (int id : scene_.children(scene_.root(), ItemKind::Object)) {
            if (cancelled()) return false;
            addObject(id);
        }
        return true;
    }
    bool cancelled() const { return target_.cancel && target_.cancel->load(); }
    const Document& document() const { return doc_; }

private:
    int addView(const void* data, size_t bytes, int target) { return gltf::addView(doc_, data, bytes, target); }

    int addAccessor(int view, int componentType, size_t count, const char* type) {
        Accessor a;
        a.view = view;
        a.componentType = componentType;
        a.count = count;
        a.type = type;
        doc_.accessors.push_back(a);
        return int(doc_.accessors.size() - 1);
    }

    // A mesh's glTF arrays: its vertices, and its triangles by material.
    struct MeshArrays {
        std::vector<float> points, uvs;
        std::map<int, std::vector<uint32_t>> indicesByMaterial;
    };

    template <typename T>
    static void release(std::vector<T>& array) {
        std::vector<T>().swap(array);
    }

    // glTF keeps one texture coordinate per vertex: a position used with several coordinates
    // becomes several vertices. The arrays are sized before they are filled, and what only the
    // numbering needs is gone when this returns. False when a corner names no position.
    bool meshArrays(const Item& o, const Item* uvProperty, const std::vector<int>& polygonMaterial,
                    MeshArrays& out) const {
        const size_t positionCount = o.positions.size() / 3;
        const size_t cornerCount = o.polygonIndices.size();
        std::vector<float>& points = out.points;
        std::vector<float>& uvs = out.uvs;
        points.reserve(positionCount * 3);  // most positions are one vertex
        if (uvProperty) uvs.reserve(positionCount * 2);
        VertexNumbering vertexOf(positionCount);
        std::vector<uint32_t> cornerVertex(cornerCount);
        for (size_t c = 0; c < cornerCount; ++c) {
            const long p = o.polygonIndices[c];
            if (p < 0 || size_t(p) >= positionCount) return false;
            VertexKey key{uint32_t(p), 0, 0};
            if (uvProperty) {
                key.u = uvProperty->values[3 * c];
                key.v = 1.0f - uvProperty->values[3 * c + 1];  // glTF's rows run from the top
            }
            const auto [vertex, added] = vertexOf.number(key);
            if (added) {
                for (int k = 0; k < 3; ++k) points.push_back(float(o.positions[3 * size_t(p) + size_t(k)]));
                if (uvProperty) uvs.insert(uvs.end(), {key.u, key.v});
            }
            cornerVertex[c] = vertex;
        }

        // A polygon of n corners makes at most n - 2 triangles.
        std::map<int, size_t> mostIndices;
        for (size_t p = 0, first = 0; p < o.polygonSizes.size(); ++p) {
            const size_t size = size_t(std::max(0, o.polygonSizes[p]));
            if (first + size > cornerCount) break;
            if (size >= 3) mostIndices[polygonMaterial[p]] += 3 * (size - 2);
            first += size;
        }
        for (const auto& [material, count] : mostIndices) out.indicesByMaterial[material].reserve(count);
        std::vector<float> corners;
        std::vector<uint32_t> triangles;
        size_t first = 0;
        for (size_t p = 0; p < o.polygonSizes.size(); ++p) {
            const size_t size = size_t(std::max(0, o.polygonSizes[p]));
            if (first + size > cornerCount) break;
            corners.clear();
            for (size_t c = first; c < first + size; ++c) {
                const float* at = &points[3 * size_t(cornerVertex[c])];
                corners.insert(corners.end(), at, at + 3);
            }
            triangles.clear();
            triangulatePolygon(corners.data(), uint32_t(size), triangles);
            auto& indices = out.indicesByMaterial[polygonMaterial[p]];
            for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
                const uint32_t a = cornerVertex[first + triangles[t]], b = cornerVertex[first + triangles[t + 1]],
                               c = cornerVertex[first + triangles[t + 2]];
                if (a == b || b == c || a == c) continue;  // no area: nothing to draw
                indices.insert(indices.end(), {a, b, c});
            }
            first += size;
        }
        return true;
    }

    void addObject(int id) {
        const Item& o = scene_.item(id);
        const std::string name = o.name;
        if (!o.built || o.polygonSizes.empty()) return;
        const size_t cornerCount = o.polygonIndices.size();
        const Item* uvProperty = nullptr;
        for (int uv : scene_.children(id, ItemKind::UVProperty)) {
            if (scene_.item(uv).values.size() == cornerCount * 3) uvProperty = &scene_.item(uv);
            break;
        }

        // The material of every polygon, by the clusters that assign them.
        std::vector<int> polygonMaterial(o.polygonSizes.size(), -1);
        for (const auto& cluster : o.clusters) {
            if (cluster.material.empty()) continue;
            const int material = materialNamed(cluster.material);
            for (long p : cluster.polygons)
                if (p >= 0 && size_t(p) < polygonMaterial.size()) polygonMaterial[size_t(p)] = material;
        }

        MeshArrays arrays;
        if (!meshArrays(o, uvProperty, polygonMaterial, arrays)) return;  // a mesh the host would not have built
        std::vector<float>& points = arrays.points;
        std::vector<float>& uvs = arrays.uvs;
        std::map<int, std::vector<uint32_t>>& indicesByMaterial = arrays.indicesByMaterial;
        size_t triangleCount = 0;
        for (const auto& [material, indices] : indicesByMaterial) triangleCount += indices.size() / 3;
        if (triangleCount == 0) {
            notes_.push_back("glTF: " + name + " has no polygon with an area: left out");
            return;
        }

        MeshEntry mesh;
        mesh.name = utf8Name(name);
        const size_t vertexCount = points.size() / 3;
        const int position =
            addAccessor(addView(points.data(), points.size() * 4, kVertexData), kFloatComponents, vertexCount, "VEC3");
        Accessor& bounds = doc_.accessors.back();
        bounds.bounded = true;
        std::fill_n(bounds.min, 3, std::numeric_limits<float>::infinity());
        std::fill_n(bounds.max, 3, -std::numeric_limits<float>::infinity());
        for (size_t v = 0; v < vertexCount; ++v)
            for (size_t k = 0; k < 3; ++k) {
                bounds.min[k] = std::min(bounds.min[k], points[3 * v + k]);
                bounds.max[k] = std::max(bounds.max[k], points[3 * v + k]);
            }
        // Each array goes once it is in the buffer: a mesh of millions of corners is held once.
        release(points);
        // A material with a texture needs texture coordinates: a mesh without any gets (0, 0) at
        // every vertex, as the host gives corners without a texture reference.
        if (!uvProperty) {
            for (const auto& [material, indices] : indicesByMaterial)
                if (!indices.empty() && hasTexture(material)) {
                    uvs.assign(vertexCount * 2, 0.0f);
                    break;
                }
        }
        int texCoord = -1;
        if (!uvs.empty())
            texCoord = addAccessor(addView(uvs.data(), uvs.size() * 4, kVertexData), kFloatComponents, vertexCount,
                                   "VEC2");
        release(uvs);
        for (auto& [material, indices] : indicesByMaterial) {
            if (indices.empty()) continue;
            Primitive primitive;
            primitive.position = position;
            primitive.texCoord = texCoord;
            primitive.indices = addAccessor(addView(indices.data(), indices.size() * 4, kIndexData),
                                            kUnsignedIntComponents, indices.size(), "SCALAR");
            release(indices);
            primitive.material = material;
            mesh.primitives.push_back(primitive);
        }
        if (auto source = run_.objectSourceNames.find(id); source != run_.objectSourceNames.end()) {
            mesh.hasSourceName = true;
            mesh.sourceName = utf8Name(source->second);
        }
        doc_.meshes.push_back(std::move(mesh));
    }

    bool hasTexture(int material) const {
        if (material < 0 || size_t(material) >= doc_.materials.size()) return false;
        const MaterialEntry& m = doc_.materials[size_t(material)];
        return m.baseColorTexture >= 0 || m.normalTexture >= 0;
    }

    // The glTF material of the host material of that full name, made on first use.
    int materialNamed(const std::string& fullName) {
        if (auto known = materials_.find(fullName); known != materials_.end()) return known->second;
        if (materialIds_.empty())  // the library's last material of each full name
            for (int m : scene_.children(scene_.materialLibrary(), ItemKind::Material))
                materialIds_[scene_.fullName(m)] = m;
        const auto named = materialIds_.find(fullName);
        const int index = named == materialIds_.end() ? -1 : addMaterial(named->second);
        materials_[fullName] = index;
        return index;
    }

    double parameter(int material, const char* path, double fallback) const {
        for (int shader : scene_.children(material, ItemKind::Shader))
            for (const auto& [name, value] : scene_.item(shader).parameters)
                if (name == path) return std::atof(value.c_str());
        return fallback;
    }

    int addMaterial(int id) {
        MaterialEntry m;
        const std::string& hostName = scene_.item(id).name;
        m.name = utf8Name(hostName);
        const double alpha = 1.0 - (parameter(id, "transparency.red", 0) + parameter(id, "transparency.green", 0) +
                                    parameter(id, "transparency.blue", 0)) / 3.0;
        m.baseColor[0] = parameter(id, "diffuse.red", 1);
        m.baseColor[1] = parameter(id, "diffuse.green", 1);
        m.baseColor[2] = parameter(id, "diffuse.blue", 1);
        m.baseColor[3] = std::clamp(alpha, 0.0, 1.0);
        // A Phong exponent as a roughness: the usual match of Blinn-Phong and GGX highlights.
        const double shiny = std::max(0.0, parameter(id, "shiny", 0));
        m.roughness = std::clamp(std::sqrt(2.0 / (shiny + 2.0)), 0.0, 1.0);

        const SceneMapRecord* diffuse = nullptr;
        const SceneMapRecord* opacity = nullptr;
        const SceneMapRecord* bump = nullptr;
        if (auto maps = run_.materialMaps.find(id); maps != run_.materialMaps.end())
            for (const SceneMapRecord& map : maps->second) {
                if (!map.found) continue;
                if (map.kind == "Diffuse") diffuse = &map;
                else if (map.kind == "Opacity") opacity = &map;
                else if (map.kind == "Bump") bump = &map;
                else notes_.push_back("glTF: material " + hostName + ": glTF has no place for its " + map.kind +
                                      " map (" + map.file + "): left out");
            }
        int base = -1;
        if (opacity && !(diffuse && diffuse->path == opacity->path)) base = textureWithOpacity(diffuse, *opacity);
        else if (diffuse) base = textureOf(diffuse->path);
        if (base >= 0) {
            m.baseColorTexture = base;
            // A texture on the diffuse port takes the place of the colour.
            if (diffuse) std::fill_n(m.baseColor, 3, 1.0);
        }
        m.blend = alpha < 1.0 || opacity;
        if (bump) m.normalTexture = textureOf(bump->path);
        doc_.materials.push_back(std::move(m));
        return int(doc_.materials.size() - 1);
    }

    int addTexture(ImageEntry image) {
        doc_.images.push_back(std::move(image));
        doc_.textureSources.push_back(int(doc_.images.size() - 1));
        return int(doc_.textureSources.size() - 1);
    }

    // An image of encoded bytes inside the file: in the buffer of a GLB, as a data URI otherwise.
    ImageEntry embedded(const Bytes& bytes, const char* mimeType, const std::string& name) {
        ImageEntry image;
        image.name = utf8Name(name);
        if (target_.binary) {
            image.view = addView(bytes.data(), bytes.size(), 0);
            image.mimeType = mimeType;
        } else {
            image.uri = std::string("data:") + mimeType + ";base64," + base64(bytes);
        }
        return image;
    }

    // The texture of a file, made once per file; -1 when it cannot be carried over.
    int textureOf(const std::string& path) {
        if (auto known = textures_.find(path); known != textures_.end()) return known->second;
        int& texture = textures_[path];
        texture = -1;
        const std::string name = fs::path(path).stem().string();
        Bytes bytes;
        if (!readFileBytes(path, bytes)) {
            notes_.push_back("glTF: " + path + " cannot be read: left out");
            return -1;
        }
        const ImageFormat format = imageFormatOf(bytes);
        if (format == ImageFormat::Other) {
            RgbaImage decoded;
            Bytes png;
            if (decodeImage(bytes, decoded)) png = encodePng(decoded);
            if (png.empty()) {
                notes_.push_back("glTF: " + path + " is in no format glTF can hold: left out");
                return -1;
            }
            notes_.push_back("glTF: " + path + " converted to PNG");
            return texture = addTexture(embedded(png, "image/png", name));
        }
        if (target_.binary) return texture = addTexture(embedded(bytes, mimeTypeOf(format), name));
        std::error_code ec;
        const fs::path relative = fs::absolute(path, ec).lexically_relative(fs::absolute(target_.folder, ec));
        // A URI holds its path in UTF-8: a file name in another encoding is carried inside instead.
        if (ec || relative.empty() || !isUtf8(relative.generic_string()))
            return texture = addTexture(embedded(bytes, mimeTypeOf(format), name));
        ImageEntry image;
        image.name = utf8Name(name);
        image.uri = uriOf(relative.generic_string());
        return texture = addTexture(std::move(image));
    }

    // glTF reads opacity from the alpha of the base colour: the two maps become one image.
    int textureWithOpacity(const SceneMapRecord* diffuse, const SceneMapRecord& opacity) {
        Bytes bytes;
        RgbaImage opacityImage, baseImage;
        bool opacityHasAlpha = false;
        if (!readFileBytes(opacity.path, bytes) || !decodeImage(bytes, opacityImage, opacityHasAlpha)) {
            notes_.push_back("glTF: " + opacity.path + " cannot be read as an image: left out");
            return diffuse ? textureOf(diffuse->path) : -1;
        }
        const bool withBase = diffuse && readFileBytes(diffuse->path, bytes) && decodeImage(bytes, baseImage);
        if (diffuse && !withBase) notes_.push_back("glTF: " + diffuse->path + " cannot be read as an image: left out");
        const Bytes png = encodePng(withOpacity(withBase ? &baseImage : nullptr, opacityImage, opacityHasAlpha));
        if (png.empty()) return -1;
        const std::string name = fs::path(withBase ? diffuse->path : opacity.path).stem().string() + "_opacity";
        return addTexture(embedded(png, "image/png", name));
    }

    const HostScene& scene_;
    const XSI::standin::SceneRunRecord run_;
    const GltfTarget& target_;
    std::vector<std::string>& notes_;
    Document doc_;
    std::map<std::string, int> materials_;  // by host full name: the glTF material, or -1
    std::unordered_map<std::string, int> materialIds_;  // by host full name: the material's item
    std::map<std::string, int> textures_;
};

}  // namespace

bool writeGltf(std::ostream& out, const ObjImporter& importer, const std::string& objPath, const GltfTarget& target,
               std::vector<std::string>& notes, std::string& error) {
    try {
        GltfBuilder builder(importer, objPath, target, notes);
        if (!builder.addObjects()) {
            error = "cancelled";
            return false;
        }
        const Document& doc = builder.document();
        if (doc.meshes.empty()) notes.push_back("glTF: the scene holds no mesh");
        return writeDocument(out, doc, target.binary, target.cancel, error);
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the glTF file";
    } catch (const std::exception& e) {
        error = std::string("writing failed: ") + e.what();
    }
    return false;
}

}  // namespace qf
