// A glTF 2.0 document as plain records, and its writing as a .gltf (JSON with the buffer inside
// as base64) or a .glb (one binary file).
#pragma once
#include <atomic>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "gltf/texture_images.h"

namespace qf::gltf {

// glTF's numbers for the kinds of data the export writes.
constexpr int kFloatComponents = 5126;
constexpr int kUnsignedIntComponents = 5125;
constexpr int kVertexData = 34962;
constexpr int kIndexData = 34963;
constexpr int kTriangles = 4;

// The buffer's bytes are kept one view at a time, so that the buffer never has to move as it
// grows; offset says where the view lies in the buffer.
struct BufferView {
    Bytes bytes;
    size_t offset = 0;  // each view starts on a multiple of four
    int target = 0;     // 0: no target (an image's bytes)
};
struct Accessor {
    int view = -1;
    int componentType = 0;
    size_t count = 0;
    const char* type = "SCALAR";
    bool bounded = false;  // positions carry their bounds
    float min[3] = {}, max[3] = {};
};
struct Primitive {
    int position = -1, texCoord = -1, indices = -1, material = -1;
};
// One mesh and the node that places it: glTF's mesh and node of the same number.
struct MeshEntry {
    std::string name;  // names are UTF-8
    std::vector<Primitive> primitives;
    bool hasSourceName = false;
    std::string sourceName;
};
struct MaterialEntry {
    std::string name;
    double baseColor[4] = {1, 1, 1, 1};
    double roughness = 1;
    int baseColorTexture = -1, normalTexture = -1;
    bool blend = false;
};
// Referenced by uri, or carried in a buffer view with its MIME type.
struct ImageEntry {
    std::string name;
    std::string uri;
    int view = -1;
    const char* mimeType = nullptr;
};
// Records in glTF's own numbering: an index in one record is a position in another's vector.
struct Document {
    std::string generator;
    std::vector<BufferView> views;
    size_t bufferLength = 0;  // the end of the last view
    std::vector<Accessor> accessors;
    std::vector<MeshEntry> meshes;
    std::vector<MaterialEntry> materials;
    std::vector<ImageEntry> images;
    std::vector<int> textureSources;  // by texture: its image
};

// Appends a view of a copy of the bytes behind the last one; returns its number.
int addView(Document& doc, const void* data, size_t bytes, int target);

std::string base64(const Bytes& bytes);

// Writes the document, as a .glb when binary. False with error when the stream failed, the
// cancel flag was set meanwhile, or a GLB could not hold the document (its lengths are 32-bit).
bool writeDocument(std::ostream& out, const Document& doc, bool binary, const std::atomic<bool>* cancel,
                   std::string& error);

}  // namespace qf::gltf
