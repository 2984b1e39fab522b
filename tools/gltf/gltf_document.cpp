#include "gltf/gltf_document.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <streambuf>
#include <string_view>
#include <utility>

#include "host/json_writer.h"

namespace qf::gltf {

namespace {

constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 of n bytes (n at most 3; fewer only at the end, padded with '=').
char* base64Group(const unsigned char* in, size_t n, char* out) {
    const uint32_t v = uint32_t(in[0]) << 16 | (n > 1 ? uint32_t(in[1]) << 8 : 0) | (n > 2 ? uint32_t(in[2]) : 0);
    out[0] = kBase64Digits[v >> 18 & 63];
    out[1] = kBase64Digits[v >> 12 & 63];
    out[2] = n > 1 ? kBase64Digits[v >> 6 & 63] : '=';
    out[3] = n > 2 ? kBase64Digits[v & 63] : '=';
    return out + 4;
}

}  // namespace

std::string base64(const Bytes& bytes) {
    std::string out((bytes.size() + 2) / 3 * 4, '=');
    char* at = out.data();
    for (size_t i = 0; i < bytes.size(); i += 3) at = base64Group(&bytes[i], std::min<size_t>(3, bytes.size() - i), at);
    return out;
}

int addView(Document& doc, const void* data, size_t bytes, int target) {
    BufferView view;
    view.offset = (doc.bufferLength + 3) / 4 * 4;
    view.target = target;
    const auto* p = static_cast<const unsigned char*>(data);
    view.bytes.assign(p, p + bytes);
    doc.bufferLength = view.offset + bytes;
    doc.views.push_back(std::move(view));
    return int(doc.views.size() - 1);
}

namespace {

// A number as the shortest text that reads back as the same double.
void writeNumber(JsonWriter& json, double value) {
    if (!std::isfinite(value)) {
        json.value(value);  // null: JSON has no infinity
        return;
    }
    char text[kNumberTextSize];
    const char* end = std::to_chars(text, text + sizeof text, value).ptr;
    json.numberOrText(std::string_view(text, size_t(end - text)));
}

void writeIndex(JsonWriter& json, const char* key, int index) {
    if (index >= 0) json.key(key).value(index);
}

void writeTextureReference(JsonWriter& json, const char* key, int texture) {
    if (texture >= 0) json.key(key).beginObject().key("index").value(texture).endObject();
}

// The buffer's bytes as base64, written a piece at a time: a buffer of hundreds of megabytes is
// never held a second time as text.
class Base64Writer {
public:
    explicit Base64Writer(JsonWriter& json) : json_(json) {}

    void add(const unsigned char* bytes, size_t n) {
        while (n > 0 && held_ > 0 && held_ < 3) {
            pending_[held_++] = *bytes++;
            --n;
        }
        if (held_ == 3) {
            put(pending_, 3);
            held_ = 0;
        }
        for (; n >= 3; bytes += 3, n -= 3) put(bytes, 3);
        for (; n > 0; --n) pending_[held_++] = *bytes++;
    }
    void finish() {
        if (held_) put(pending_, held_);
        held_ = 0;
        json_.raw(std::string_view(text_, used_));
        used_ = 0;
    }

private:
    void put(const unsigned char* group, size_t n) {
        if (used_ + 4 > sizeof text_) {
            json_.raw(std::string_view(text_, used_));
            used_ = 0;
        }
        base64Group(group, n, text_ + used_);
        used_ += 4;
    }

    JsonWriter& json_;
    unsigned char pending_[3] = {};
    size_t held_ = 0;
    char text_[16384];
    size_t used_ = 0;
};

// The buffer's bytes in order, as put(bytes, n) calls: before each view the zeros that put it on
// a multiple of four, then the view. Stops when put returns false; returns the bytes handed over.
template <typename Put>
size_t forEachBufferPiece(const Document& doc, Put put) {
    static const unsigned char kZeros[4] = {};
    size_t at = 0;
    for (const BufferView& view : doc.views) {
        if (!put(kZeros, view.offset - at) || !put(view.bytes.data(), view.bytes.size())) break;
        at = view.offset + view.bytes.size();
    }
    return at;
}

void writeBase64Buffer(JsonWriter& json, const Document& doc) {
    Base64Writer text(json);
    forEachBufferPiece(doc, [&](const unsigned char* bytes, size_t n) {
        text.add(bytes, n);
        return true;
    });
    text.finish();
}

// The document's JSON. In a .gltf the buffer comes along as a data URI, last, so that the rest
// stays readable at the top of the file.
void writeJson(JsonWriter& json, const Document& doc, bool binary) {
    json.beginObject();
    json.key("asset").beginObject();
    json.key("generator").value(doc.generator);
    json.key("version").value("2.0");
    json.endObject();
    // glTF has no empty scene: without a mesh the file holds none.
    if (!doc.meshes.empty()) {
        json.key("scene").value(0);
        json.key("scenes").beginArray().beginObject().key("nodes").beginArray();
        for (size_t n = 0; n < doc.meshes.size(); ++n) json.value(uint64_t(n));
        json.endArray().endObject().endArray();
        json.key("nodes").beginArray();
        for (size_t n = 0; n < doc.meshes.size(); ++n) {
            const MeshEntry& mesh = doc.meshes[n];
            json.beginObject().key("name").utf8Value(mesh.name).key("mesh").value(uint64_t(n));
            if (mesh.hasSourceName)
                json.key("extras").beginObject().key("sourceName").utf8Value(mesh.sourceName).endObject();
            json.endObject();
        }
        json.endArray();
        json.key("meshes").beginArray();
        for (const MeshEntry& mesh : doc.meshes) {
            json.beginObject().key("name").utf8Value(mesh.name).key("primitives").beginArray();
            for (const Primitive& p : mesh.primitives) {
                json.beginObject().key("attributes").beginObject();
                writeIndex(json, "POSITION", p.position);
                writeIndex(json, "TEXCOORD_0", p.texCoord);
                json.endObject();
                writeIndex(json, "indices", p.indices);
                writeIndex(json, "material", p.material);
                json.key("mode").value(kTriangles).endObject();
            }
            json.endArray().endObject();
        }
        json.endArray();
    }
    if (!doc.materials.empty()) {
        json.key("materials").beginArray();
        for (const MaterialEntry& m : doc.materials) {
            json.beginObject().key("name").utf8Value(m.name);
            json.key("pbrMetallicRoughness").beginObject().key("baseColorFactor").beginArray();
            for (double c : m.baseColor) writeNumber(json, c);
            json.endArray();
            writeTextureReference(json, "baseColorTexture", m.baseColorTexture);
            json.key("metallicFactor").value(0);
            json.key("roughnessFactor");
            writeNumber(json, m.roughness);
            json.endObject();
            writeTextureReference(json, "normalTexture", m.normalTexture);
            if (m.blend) json.key("alphaMode").value("BLEND");
            json.key("doubleSided").value(true);  // OBJ files rarely agree on a winding; the host shows both sides
            json.endObject();
        }
        json.endArray();
    }
    if (!doc.textureSources.empty()) {
        json.key("textures").beginArray();
        for (int source : doc.textureSources) json.beginObject().key("source").value(source).endObject();
        json.endArray();
        json.key("images").beginArray();
        for (const ImageEntry& image : doc.images) {
            json.beginObject().key("name").utf8Value(image.name);
            if (image.view >= 0) json.key("bufferView").value(image.view).key("mimeType").value(image.mimeType);
            else json.key("uri").value(image.uri);
            json.endObject();
        }
        json.endArray();
    }
    if (!doc.accessors.empty()) {
        json.key("accessors").beginArray();
        for (const Accessor& a : doc.accessors) {
            json.beginObject().key("bufferView").value(a.view).key("componentType").value(a.componentType);
            json.key("count").value(uint64_t(a.count)).key("type").value(a.type);
            if (a.bounded) {
                json.key("min").beginArray();
                for (float v : a.min) writeNumber(json, v);
                json.endArray().key("max").beginArray();
                for (float v : a.max) writeNumber(json, v);
                json.endArray();
            }
            json.endObject();
        }
        json.endArray();
    }
    if (doc.bufferLength > 0) {
        json.key("bufferViews").beginArray();
        for (const BufferView& view : doc.views) {
            json.beginObject().key("buffer").value(0).key("byteOffset").value(uint64_t(view.offset));
            json.key("byteLength").value(uint64_t(view.bytes.size()));
            if (view.target) json.key("target").value(view.target);
            json.endObject();
        }
        json.endArray();
        json.key("buffers").beginArray().beginObject().key("byteLength").value(uint64_t(doc.bufferLength));
        if (!binary) {
            json.key("uri").raw("\"data:application/octet-stream;base64,");
            writeBase64Buffer(json, doc);
            json.raw("\"");
        }
        json.endObject().endArray();
    }
    json.endObject();
}

// Counts what is written to it and keeps none of it.
class CountingBuffer : public std::streambuf {
public:
    uint64_t count = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        count += uint64_t(n);
        return n;
    }
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) ++count;
        return traits_type::not_eof(c);
    }
};

void putUint32(std::ostream& out, uint64_t value) {
    const unsigned char bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    out.write(reinterpret_cast<const char*>(bytes), 4);
}

// Why a JsonWriter stopped writing.
const char* failureOf(const JsonWriter& json) { return json.cancelled() ? "cancelled" : "writing failed"; }

bool writeText(std::ostream& out, const Document& doc, const std::atomic<bool>* cancel, std::string& error) {
    JsonWriter json(out);
    json.setCancelFlag(cancel);
    writeJson(json, doc, false);
    json.raw("\n");
    if (json.flush()) return true;
    error = failureOf(json);
    return false;
}

// GLB: a header, the JSON and the buffer. The header gives the whole length first, so the JSON is
// measured in a first writing that keeps nothing.
bool writeBinary(std::ostream& out, const Document& doc, const std::atomic<bool>* cancel, std::string& error) {
    CountingBuffer counter;
    {
        std::ostream counting(&counter);
        JsonWriter json(counting);
        writeJson(json, doc, true);
    }
    const uint64_t jsonLength = (counter.count + 3) / 4 * 4;
    const uint64_t binLength = (uint64_t(doc.bufferLength) + 3) / 4 * 4;
    const uint64_t total = 12 + 8 + jsonLength + (binLength ? 8 + binLength : 0);
    if (total > UINT32_MAX) {
        error = "the scene needs " + std::to_string(total) + " bytes, more than a GLB file can hold (4 GB); a .gltf file can";
        return false;
    }
    out.write("glTF", 4);
    putUint32(out, 2);
    putUint32(out, total);
    putUint32(out, jsonLength);
    out.write("JSON", 4);
    {
        JsonWriter json(out);
        json.setCancelFlag(cancel);
        writeJson(json, doc, true);
        json.raw(std::string_view("   ", size_t(jsonLength - counter.count)));  // padded with spaces
        if (!json.flush()) {
            error = failureOf(json);
            return false;
        }
    }
    if (binLength) {
        static const char kZeros[4] = {};
        putUint32(out, binLength);
        out.write("BIN\0", 4);
        bool cancelled = false;
        const size_t at = forEachBufferPiece(doc, [&](const unsigned char* bytes, size_t n) {
            cancelled = cancel && cancel->load();
            if (!cancelled) out.write(reinterpret_cast<const char*>(bytes), std::streamsize(n));
            return !cancelled;
        });
        if (cancelled) {
            error = "cancelled";
            return false;
        }
        out.write(kZeros, std::streamsize(binLength - at));
    }
    if (out) return true;
    error = "writing failed";
    return false;
}

}  // namespace

bool writeDocument(std::ostream& out, const Document& doc, bool binary, const std::atomic<bool>* cancel,
                   std::string& error) {
    return binary ? writeBinary(out, doc, cancel, error) : writeText(out, doc, cancel, error);
}

}  // namespace qf::gltf
