// Texture files as glTF takes them: PNG and JPEG as they are, other formats turned into PNG, and
// an opacity map folded into the alpha of the base colour.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qf {

using Bytes = std::vector<unsigned char>;

enum class ImageFormat { Png, Jpeg, Other };
ImageFormat imageFormatOf(const Bytes& bytes);
const char* mimeTypeOf(ImageFormat format);

bool readFileBytes(const std::string& path, Bytes& bytes);

struct RgbaImage {
    int width = 0;
    int height = 0;
    Bytes pixels;  // 4 bytes per pixel, rows top to bottom
};

// Any format the decoder knows (PNG, JPEG, TGA, BMP, PSD, GIF, HDR, PIC, PNM); false when the
// bytes are none of them.
bool decodeImage(const Bytes& bytes, RgbaImage& image);
// With hasAlpha: whether the file carries an alpha channel of its own.
bool decodeImage(const Bytes& bytes, RgbaImage& image, bool& hasAlpha);
Bytes encodePng(const RgbaImage& image);

// The base image (or, without one, a plain white one of the opacity's size) with its alpha taken
// from the opacity image: the opacity's own alpha when it has one, else its brightness. The
// opacity image is sampled to the base's size.
RgbaImage withOpacity(const RgbaImage* base, const RgbaImage& opacity, bool opacityHasAlpha);

}  // namespace qf
