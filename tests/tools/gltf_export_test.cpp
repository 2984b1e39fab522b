// The glTF export: polygons cut into triangles, textures as glTF takes them, and whole exports
// checked by the Khronos glTF validator and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <sys/wait.h>

#include <tiny_gltf.h>

#include "gltf/texture_images.h"
#include "gltf/triangulate.h"
#include "support/test_support.h"

namespace qf {
namespace {

namespace fs = std::filesystem;

// --- triangles --------------------------------------------------------------------------------

double area2d(const std::vector<float>& p, uint32_t a, uint32_t b, uint32_t c) {
    return 0.5 * ((p[3 * b] - p[3 * a]) * (p[3 * c + 1] - p[3 * a + 1]) -
                  (p[3 * b + 1] - p[3 * a + 1]) * (p[3 * c] - p[3 * a]));
}

TEST(Triangulate, ConcavePolygonsAreCutAlongTheirInsideInEitherWinding) {
    // An L of area 3, counter-clockwise, in the XY plane; its corner 2 is reflex, so the fan from
    // corner 0 would cover the notch.
    std::vector<float> l = {2, 0, 0, 2, 1, 0, 1, 1, 0, 1, 2, 0, 0, 2, 0, 0, 0, 0};
    for (bool reversed : {false, true}) {
        std::vector<float> points = l;
        if (reversed)
            for (size_t i = 0; i < 3; ++i)
                for (size_t k = 0; k < 3; ++k) std::swap(points[3 * i + k], points[3 * (5 - i) + k]);
        std::vector<uint32_t> triangles;
        triangulatePolygon(points.data(), 6, triangles);
        ASSERT_EQ(triangles.size(), 12u);
        double sum = 0;
        for (size_t t = 0; t < triangles.size(); t += 3) {
            const double a = area2d(points, triangles[t], triangles[t + 1], triangles[t + 2]);
            EXPECT_EQ(a > 0, !reversed) << "a triangle turns against the polygon";
            sum += std::fabs(a);
        }
        EXPECT_DOUBLE_EQ(sum, 3.0);
    }
    // The same L standing in each of the other two planes, in either winding: seen along the
    // axis the polygon's plane leaves out, every triangle turns the polygon's way and together
    // they cover its area once.
    for (int plane : {0, 1}) {
        for (bool reversed : {false, true}) {
            std::vector<float> upright, flat;
            for (size_t k = 0; k < 6; ++k) {
                const size_t i = reversed ? 5 - k : k;
                const float a = l[3 * i], b = l[3 * i + 1];
                if (plane == 0) upright.insert(upright.end(), {5.0f, a, b});
                else upright.insert(upright.end(), {a, 5.0f, b});
                flat.insert(flat.end(), {a, b, 0.0f});
            }
            std::vector<uint32_t> triangles;
            triangulatePolygon(upright.data(), 6, triangles);
            ASSERT_EQ(triangles.size(), 12u);
            double sum = 0;
            for (size_t t = 0; t < triangles.size(); t += 3) {
                const double a = area2d(flat, triangles[t], triangles[t + 1], triangles[t + 2]);
                EXPECT_EQ(a > 0, !reversed) << "plane " << plane << ": a triangle turns against the polygon";
                sum += std::fabs(a);
            }
            EXPECT_DOUBLE_EQ(sum, 3.0) << "plane " << plane << (reversed ? ", reversed" : "");
        }
    }
}

// A comb of teeth 1 wide, 2 high and 1 apart on a base 2 * teeth long and 1 high, in the XY
// plane, counter-clockwise: 4 * teeth + 2 corners, half of the teeth's corners reflex, area
// 4 * teeth.
std::vector<float> comb(uint32_t teeth) {
    std::vector<float> p = {0, 0, 0, float(2 * teeth), 0, 0};
    for (uint32_t t = teeth; t >= 1; --t) {
        const float right = float(2 * t);
        p.insert(p.end(), {right, 3, 0, right - 1, 3, 0, right - 1, 1, 0, right - 2, 1, 0});
    }
    return p;
}

// Every corner number of the triangles lies in the polygon and each triangle has three corners.
void expectWellFormed(const std::vector<uint32_t>& triangles, uint32_t n) {
    ASSERT_EQ(triangles.size(), 3u * (n - 2));
    for (size_t t = 0; t < triangles.size(); t += 3) {
        EXPECT_LT(std::max({triangles[t], triangles[t + 1], triangles[t + 2]}), n);
        EXPECT_TRUE(triangles[t] != triangles[t + 1] && triangles[t + 1] != triangles[t + 2] &&
                    triangles[t] != triangles[t + 2]);
    }
}

TEST(Triangulate, LongConcavePolygonsAreCutAlongTheirInside) {
    // 1202 corners, 600 of them reflex: a fan from corner 0 would cross the gaps between the teeth.
    const uint32_t teeth = 300, n = 4 * teeth + 2;
    for (bool reversed : {false, true}) {
        std::vector<float> points = comb(teeth);
        if (reversed)
            for (uint32_t i = 0; i < n / 2; ++i)
                for (uint32_t k = 0; k < 3; ++k) std::swap(points[3 * i + k], points[3 * (n - 1 - i) + k]);
        std::vector<uint32_t> triangles;
        triangulatePolygon(points.data(), n, triangles);
        expectWellFormed(triangles, n);
        double sum = 0;
        int against = 0;
        for (size_t t = 0; t < triangles.size(); t += 3) {
            const double a = area2d(points, triangles[t], triangles[t + 1], triangles[t + 2]);
            against += (a > 0) == reversed;
            sum += std::fabs(a);
        }
        EXPECT_EQ(against, 0) << (reversed ? "clockwise" : "counter-clockwise");
        EXPECT_DOUBLE_EQ(sum, 4.0 * teeth);
    }
}

TEST(Triangulate, PolygonsThatFoldOrCostTooMuchBecomeFansOfTheirRest) {
    std::vector<float> bowTie = {0, 0, 0, 1, 1, 0, 1, 0, 0, 0, 1, 0};
    std::vector<uint32_t> triangles;
    triangulatePolygon(bowTie.data(), 4, triangles);
    EXPECT_EQ(triangles.size(), 6u);
    triangles.clear();
    triangulatePolygon(bowTie.data(), 2, triangles);
    EXPECT_TRUE(triangles.empty());
    // With a bound of a few tests per corner the comb's cutting stops early and its rest is a fan:
    // still one triangle per corner but two, none of them made up.
    const uint32_t teeth = 50, n = 4 * teeth + 2;
    const std::vector<float> points = comb(teeth);
    for (uint64_t workPerCorner : {0, 1, 4, 16}) {
        triangles.clear();
        detail::triangulatePolygon(points.data(), n, triangles, workPerCorner);
        expectWellFormed(triangles, n);
    }
}

// --- textures ---------------------------------------------------------------------------------

// An uncompressed 24-bit TGA, bottom row first, of the given grey levels.
Bytes tga(int width, int height, const std::vector<unsigned char>& grey) {
    Bytes b(18, 0);
    b[2] = 2;
    b[12] = static_cast<unsigned char>(width);
    b[14] = static_cast<unsigned char>(height);
    b[16] = 24;
    for (unsigned char g : grey) b.insert(b.end(), {g, g, g});
    return b;
}

TEST(TextureImages, OtherFormatsBecomePngAndOpacityBecomesTheAlpha) {
    RgbaImage opacity;
    ASSERT_TRUE(decodeImage(tga(2, 1, {0, 255}), opacity));
    const Bytes png = encodePng(opacity);
    EXPECT_EQ(imageFormatOf(png), ImageFormat::Png);
    RgbaImage back;
    ASSERT_TRUE(decodeImage(png, back));
    EXPECT_EQ(back.pixels, opacity.pixels);

    RgbaImage base;
    base.width = 4;
    base.height = 1;
    base.pixels = {10, 20, 30, 255, 10, 20, 30, 255, 10, 20, 30, 255, 10, 20, 30, 255};
    const RgbaImage merged = withOpacity(&base, opacity, false);
    EXPECT_EQ(merged.width, 4);
    EXPECT_EQ(merged.pixels, (Bytes{10, 20, 30, 0, 10, 20, 30, 0, 10, 20, 30, 255, 10, 20, 30, 255}));
    const RgbaImage plain = withOpacity(nullptr, opacity, false);
    EXPECT_EQ(plain.pixels, (Bytes{255, 255, 255, 0, 255, 255, 255, 255}));
    EXPECT_FALSE(decodeImage(Bytes{'n', 'o', 't'}, back));
}

// --- whole exports ------------------------------------------------------------------------------

int runCommand(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string word(const std::string& s) { return "'" + s + "'"; }

struct GltfExport : ::testing::Test {
    test::TempDir dir;
    const std::string validatorFolder = std::string(QF_TEST_DATA) + "/../gltf";

    void SetUp() override {
        std::string version;
        if (runCommand("node --version", version) != 0)
            GTEST_SKIP() << "node is not installed, so the glTF validator cannot run (bash scripts/setup.sh --tests)";
        ASSERT_TRUE(fs::exists(validatorFolder + "/node_modules/gltf-validator"))
            << "the glTF validator is not installed: bash scripts/setup.sh --tests";
    }
    // Imports obj and exports it to out; the tool's standard output.
    std::string exportTo(const std::string& obj, const std::string& out, const std::string& flags = "") {
        std::string output;
        const int code = runCommand(std::string(QF_CLI_PATH) + " import " + word(obj) + " --config " +
                                        word(dir.path("none.cfg")) + " --gltf " + word(out) + " " + flags,
                                    output);
        EXPECT_EQ(code, 0) << output;
        return output;
    }
    void expectValid(const std::vector<std::string>& files) {
        std::string command = "node " + word(validatorFolder + "/validate.js");
        for (const auto& f : files) command += " " + word(f);
        std::string report;
        EXPECT_EQ(runCommand(command, report), 0) << report;
    }
    // A PNG image of one grey pixel.
    void writeGreyPixel(const std::string& name) const {
        RgbaImage pixel;
        pixel.width = pixel.height = 1;
        pixel.pixels.assign(4, 200);
        const Bytes png = encodePng(pixel);
        dir.write(name, std::string(png.begin(), png.end()));
    }
    tinygltf::Model load(const std::string& file) {
        tinygltf::TinyGLTF loader;
        tinygltf::Model model;
        std::string error, warning;
        const bool binary = file.size() > 4 && file.substr(file.size() - 4) == ".glb";
        const bool ok = binary ? loader.LoadBinaryFromFile(&model, &error, &warning, file)
                               : loader.LoadASCIIFromFile(&model, &error, &warning, file);
        EXPECT_TRUE(ok) << error;
        return model;
    }
};

TEST_F(GltfExport, TheExampleIsValidAsGltfAndGlb) {
    const std::string example = std::string(QF_TEST_DATA) + "/../../examples/toy_car/toy_car.obj";
    const std::string gltf = dir.path("out/car.gltf"), glb = dir.path("car.glb");
    fs::create_directories(dir.path("out"));
    const std::string output = exportTo(example, gltf);
    EXPECT_NE(output.find("written to " + gltf), std::string::npos) << output;
    EXPECT_NE(output.find("glTF: material hubcap: glTF has no place for its Specular map"), std::string::npos);
    exportTo(example, glb);
    expectValid({gltf, glb});

    for (const std::string& file : {gltf, glb}) {
        const tinygltf::Model model = load(file);
        EXPECT_EQ(model.nodes.size(), 7u);
        EXPECT_EQ(model.materials.size(), 4u);
        ASSERT_FALSE(model.nodes.empty());
        EXPECT_EQ(model.nodes[0].name, "body");
        EXPECT_EQ(model.nodes[0].extras.Get("sourceName").Get<std::string>(), "body");
        for (const auto& m : model.materials) {
            if (m.name == "paint") {
                EXPECT_EQ(m.pbrMetallicRoughness.baseColorFactor[0], 1.0);  // the map gives the colour
            } else if (m.name == "rubber") {
                EXPECT_GE(m.normalTexture.index, 0);  // the bump map
            } else if (m.name == "glass") {
                EXPECT_EQ(m.alphaMode, "BLEND");
                EXPECT_EQ(m.pbrMetallicRoughness.baseColorTexture.index, -1);  // its map is missing
            }
        }
        for (const auto& image : model.images) {
            if (file == glb) EXPECT_TRUE(image.uri.empty() && image.bufferView >= 0) << image.uri;
            else EXPECT_EQ(image.uri.rfind("../", 0), 0u) << image.uri;  // beside the example, from out/
        }
    }
}

TEST_F(GltfExport, GeneratedModelsWithConcaveFacesOpacityAndOtherFormatsAreValid) {
    RgbaImage colour;
    colour.width = 2;
    colour.height = 2;
    colour.pixels.assign(16, 200);
    const Bytes png = encodePng(colour);
    dir.write("maps/colour_map.png", std::string(png.begin(), png.end()));
    const Bytes grey = tga(2, 2, {0, 80, 160, 255});
    dir.write("maps/cut.tga", std::string(grey.begin(), grey.end()));
    dir.write("shapes.mtl",
              "newmtl leaf\nKd 0.2 0.8 0.2\nmap_Kd Maps/Colour_Map.PNG\nmap_d maps/cut.tga\n"
              "newmtl stone\nKd 0.5 0.5 0.5\nmap_Kd maps/cut.tga\nmap_bump maps/nowhere.png\n");
    const std::string obj = dir.write(
        "shapes.obj",
        "mtllib shapes.mtl\n"
        "v 0 0 0\nv 2 0 0\nv 2 1 0\nv 1 1 0\nv 1 2 0\nv 0 2 0\n"
        "vt 0 0\nvt 1 0\nvt 1 0.5\nvt 0.5 0.5\nvt 0.5 1\nvt 0 1\n"
        "g bare\nf 4 5 6\nf 1 1 2\n"
        "g ell\nusemtl leaf\nf 1/1 2/2 3/3 4/4 5/5 6/6\n"
        "g strip\nusemtl stone\nf 1/1 2/2 3/3\nf 1/6 3/5 4/4\n");
    const std::string gltf = dir.path("shapes.gltf"), glb = dir.path("shapes.glb");
    const std::string output = exportTo(obj, gltf);
    EXPECT_NE(output.find("cut.tga converted to PNG"), std::string::npos) << output;
    exportTo(obj, glb);
    expectValid({gltf, glb});

    const tinygltf::Model model = load(glb);
    ASSERT_EQ(model.nodes.size(), 3u);
    const tinygltf::Primitive& ell = model.meshes[size_t(model.nodes[1].mesh)].primitives.at(0);
    EXPECT_EQ(model.accessors[size_t(ell.indices)].count, 12u);  // the L in four triangles
    for (const auto& m : model.materials) {
        if (m.name == "leaf") {
            EXPECT_EQ(m.alphaMode, "BLEND");
            const auto& image = model.images[size_t(model.textures[size_t(m.pbrMetallicRoughness.baseColorTexture.index)].source)];
            EXPECT_EQ(image.name, "colour_map_opacity");
            EXPECT_EQ(image.width, 2);
        } else if (m.name == "stone") {
            EXPECT_EQ(m.normalTexture.index, -1);  // the bump map is missing
        }
    }
}

// Names in the host's single-byte code page (as older tools write OBJ files) come out as UTF-8,
// names already in UTF-8 as they are, and the file is valid either way.
TEST_F(GltfExport, NamesInACodePageBecomeUtf8) {
    writeGreyPixel("t\xe9.png");
    dir.write("names.mtl", "newmtl m\xe9tal\nmap_Kd t\xe9.png\n");
    const std::string obj = dir.write("names.obj",
                                      "mtllib names.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\n"
                                      "g caf\xc3\xa9 2\nf 1 2 3\n"
                                      "g caf\xe9\nusemtl m\xe9tal\nf 1/1 2/1 3/1\n");
    const std::string gltf = dir.path("names.gltf"), glb = dir.path("names.glb");
    exportTo(obj, gltf);
    exportTo(obj, glb);
    expectValid({gltf, glb});
    // No URI can name the texture's file: it is carried inside.
    EXPECT_NE(test::readFile(gltf).find("\"data:image/png;base64,"), std::string::npos);
    for (const std::string& file : {gltf, glb}) {
        const tinygltf::Model model = load(file);
        ASSERT_EQ(model.nodes.size(), 2u) << file;
        EXPECT_EQ(model.nodes[0].extras.Get("sourceName").Get<std::string>(), "caf\xc3\xa9 2");
        EXPECT_EQ(model.nodes[1].extras.Get("sourceName").Get<std::string>(), "caf\xc3\xa9");
        ASSERT_EQ(model.materials.size(), 1u);
        EXPECT_EQ(model.materials[0].name, "m_tal");  // as the host named it
        ASSERT_EQ(model.images.size(), 1u);
        EXPECT_EQ(model.images[0].name, "t\xc3\xa9");
    }
}

// The floats an accessor holds, its components one after the other.
std::vector<float> floatsOf(const tinygltf::Model& model, int accessor) {
    const tinygltf::Accessor& a = model.accessors.at(size_t(accessor));
    const tinygltf::BufferView& view = model.bufferViews.at(size_t(a.bufferView));
    const size_t count = a.count * size_t(tinygltf::GetNumComponentsInType(uint32_t(a.type)));
    std::vector<float> out(count);
    std::memcpy(out.data(), model.buffers.at(size_t(view.buffer)).data.data() + view.byteOffset + a.byteOffset,
                count * sizeof(float));
    return out;
}

// glTF reads a texture through texture coordinates: a mesh without any, under a material with a
// texture, gets (0, 0) at every vertex, as the host gives corners without a texture reference.
TEST_F(GltfExport, AMeshWithoutCoordinatesUnderATexturedMaterialGetsZeros) {
    writeGreyPixel("paint.png");
    dir.write("plain.mtl", "newmtl paint\nmap_Kd paint.png\n");
    const std::string obj =
        dir.write("plain.obj", "mtllib plain.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\ng plain\nusemtl paint\nf 1 2 4 3\n");
    const std::string glb = dir.path("plain.glb");
    exportTo(obj, glb);
    expectValid({glb});
    const tinygltf::Model model = load(glb);
    ASSERT_EQ(model.meshes.size(), 1u);
    const tinygltf::Primitive& primitive = model.meshes[0].primitives.at(0);
    ASSERT_EQ(primitive.attributes.count("TEXCOORD_0"), 1u);
    EXPECT_EQ(floatsOf(model, primitive.attributes.at("TEXCOORD_0")), std::vector<float>(8, 0.0f));
}

// A run whose polygons all lack an area leaves glTF nothing to draw: the file holds no scene,
// and is still valid.
TEST_F(GltfExport, NothingToDrawMakesAFileWithoutAScene) {
    const std::string obj = dir.write("flat.obj", "v 0 0 0\nv 1 0 0\ng flat\nf 1 2 1\n");
    const std::string gltf = dir.path("flat.gltf");
    const std::string output = exportTo(obj, gltf);
    EXPECT_NE(output.find("glTF: the scene holds no mesh"), std::string::npos) << output;
    expectValid({gltf});
    EXPECT_TRUE(load(gltf).scenes.empty());
}

// Each pair of position and texture coordinate is one glTF vertex, numbered in the order the
// corners first use it, however many coordinates a position has. The same in both forms: the
// .gltf carries its buffer as base64 written in pieces, and views whose lengths are no multiple
// of three make those pieces meet in the middle of a group of bytes.
TEST_F(GltfExport, APositionUsedWithManyCoordinatesBecomesAVertexForEach) {
    constexpr int kCoordinates = 301;
    std::string text = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    for (int k = 0; k < kCoordinates; ++k) text += "vt " + std::to_string(k) + "e-3 0.5\n";
    for (int k = 1; k <= kCoordinates; ++k) {
        const std::string t = std::to_string(k);
        text += "f 1/" + t + " 2/" + t + " 3/" + t + " 4/" + t + "\n";
    }
    text += "f 1/1 2/1 3/1 4/1\nf 4/7 3/7 2/7 1/7\n";  // pairs used before: no new vertices
    const std::string obj = dir.write("many.obj", text);
    const std::string glb = dir.path("many.glb"), gltf = dir.path("many.gltf");
    exportTo(obj, glb);
    exportTo(obj, gltf);
    expectValid({glb, gltf});  // the bounds of the positions agree with the buffer's floats

    for (const std::string& file : {glb, gltf}) {
        const tinygltf::Model model = load(file);
        ASSERT_EQ(model.meshes.size(), 1u);
        const tinygltf::Primitive& primitive = model.meshes[0].primitives.at(0);
        const std::vector<float> points = floatsOf(model, primitive.attributes.at("POSITION"));
        const std::vector<float> uvs = floatsOf(model, primitive.attributes.at("TEXCOORD_0"));
        ASSERT_EQ(points.size(), size_t(4 * kCoordinates) * 3) << file;
        ASSERT_EQ(uvs.size(), size_t(4 * kCoordinates) * 2) << file;
        const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (size_t v = 0; v < size_t(4 * kCoordinates); ++v) {
            EXPECT_EQ(points[3 * v], corners[v % 4][0]) << file << " vertex " << v;
            EXPECT_EQ(points[3 * v + 1], corners[v % 4][1]) << file << " vertex " << v;
            EXPECT_EQ(uvs[2 * v], float(std::strtod((std::to_string(v / 4) + "e-3").c_str(), nullptr)))
                << file << " vertex " << v;
            EXPECT_EQ(uvs[2 * v + 1], 0.5f) << file << " vertex " << v;
        }
        const tinygltf::Accessor& indices = model.accessors[size_t(primitive.indices)];
        ASSERT_EQ(indices.count, size_t(kCoordinates + 2) * 6) << file;
        const tinygltf::BufferView& view = model.bufferViews.at(size_t(indices.bufferView));
        std::vector<uint32_t> triangles(indices.count);
        std::memcpy(triangles.data(), model.buffers.at(0).data.data() + view.byteOffset, triangles.size() * 4);
        // The last face, 4/7 3/7 2/7 1/7, in two triangles over the vertices its pairs made first.
        const std::set<uint32_t> lastFace(triangles.end() - 6, triangles.end());
        EXPECT_EQ(lastFace, (std::set<uint32_t>{24, 25, 26, 27})) << file;
    }
}

}  // namespace
}  // namespace qf
