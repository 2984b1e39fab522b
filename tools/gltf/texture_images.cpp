#include "gltf/texture_images.h"

#include <cstdio>
#include <cstring>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace qf {

ImageFormat imageFormatOf(const Bytes& b) {
    static const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (b.size() >= sizeof png && std::memcmp(b.data(), png, sizeof png) == 0) return ImageFormat::Png;
    if (b.size() >= 3 && b[0] == 0xff && b[1] == 0xd8 && b[2] == 0xff) return ImageFormat::Jpeg;
    return ImageFormat::Other;
}

const char* mimeTypeOf(ImageFormat format) {
    return format == ImageFormat::Png ? "image/png" : format == ImageFormat::Jpeg ? "image/jpeg" : "";
}

bool readFileBytes(const std::string& path, Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    unsigned char block[1 << 16];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool decodeImage(const Bytes& bytes, RgbaImage& image, bool& hasAlpha) {
    if (bytes.empty() || bytes.size() > size_t(INT32_MAX)) return false;
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(bytes.data(), int(bytes.size()), &w, &h, &channels, 4);
    if (!pixels) return false;
    image.width = w;
    image.height = h;
    image.pixels.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
    stbi_image_free(pixels);
    hasAlpha = channels == 2 || channels == 4;
    return true;
}

bool decodeImage(const Bytes& bytes, RgbaImage& image) {
    bool hasAlpha = false;
    return decodeImage(bytes, image, hasAlpha);
}

Bytes encodePng(const RgbaImage& image) {
    Bytes out;
    auto append = [](void* context, void* data, int size) {
        auto* bytes = static_cast<Bytes*>(context);
        const auto* p = static_cast<const unsigned char*>(data);
        bytes->insert(bytes->end(), p, p + size);
    };
    if (!stbi_write_png_to_func(append, &out, image.width, image.height, 4, image.pixels.data(), image.width * 4))
        out.clear();
    return out;
}

RgbaImage withOpacity(const RgbaImage* base, const RgbaImage& opacity, bool opacityHasAlpha) {
    RgbaImage out;
    if (base) {
        out = *base;
    } else {
        out.width = opacity.width;
        out.height = opacity.height;
        out.pixels.assign(size_t(out.width) * size_t(out.height) * 4, 255);
    }
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const size_t sx = size_t(int64_t(x) * opacity.width / out.width);
            const size_t sy = size_t(int64_t(y) * opacity.height / out.height);
            const unsigned char* o = &opacity.pixels[(sy * size_t(opacity.width) + sx) * 4];
            // Rec. 601 brightness, as grey opacity maps are painted.
            const unsigned alpha = opacityHasAlpha ? o[3] : (299u * o[0] + 587u * o[1] + 114u * o[2] + 500u) / 1000u;
            out.pixels[(size_t(y) * size_t(out.width) + size_t(x)) * 4 + 3] = static_cast<unsigned char>(alpha);
        }
    return out;
}

}  // namespace qf
