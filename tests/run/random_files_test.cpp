// Whole imports of random valid files whose geometry is known: every corner of every polygon
// must come out at the position and texture coordinate its statements give, exactly, whichever
// of the readers' fast and general paths each line takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "qfobjimp/console_ui.h"
#include "run/import_run.h"
#include "support/scene_access.h"
#include "support/test_support.h"

namespace qf {
namespace {

using Vec3 = std::array<float, 3>;

struct Corner {
    Vec3 position;
    Vec3 uv;  // (u, v, 0); zeros for a corner without a texture reference
};
using Polygon = std::vector<Corner>;

struct RandomFile {
    std::string text;
    std::vector<std::pair<std::string, Polygon>> faces;  // in file order, with their group
};

class RandomFileWriter {
public:
    explicit RandomFileWriter(uint32_t seed) : rng_(seed) {}

    // Numbers in the spellings files use: plain, signed, exponents, long digit runs, tiny
    // values; all within the positions the importer accepts.
    std::string number() {
        char text[64];
        switch (below(9)) {
        case 0: return std::to_string(int(below(2001)) - 1000);
        case 1: std::snprintf(text, sizeof text, "%.6f", uniform(-100, 100)); return text;
        case 2: {
            std::string digits;
            for (uint32_t i = 0, n = 1 + below(20); i < n; ++i) digits += char('0' + below(10));
            const size_t point = below(uint32_t(std::min<size_t>(8, digits.size())) + 1);
            std::string s = digits.substr(0, point) + "." + digits.substr(point);
            const char* signs[] = {"", "-", "+"};
            return signs[below(3)] + s;
        }
        case 3: std::snprintf(text, sizeof text, "%de%d", int(below(199)) - 99, int(below(57)) - 50); return text;
        case 4: std::snprintf(text, sizeof text, "%.17g", uniform(-1e6, 1e6)); return text;
        case 5: {
            const char* odd[] = {"-0", "0", "-0.0", "+0", ".5", "-.5", "5.", "1E+2", "2.5E-3", "1e8", "-1e8",
                                 "1e-320", "1.4e-45", "3.4e-39", "2.2250738585072014e-308"};
            return odd[below(15)];
        }
        case 6: std::snprintf(text, sizeof text, "%.3e", uniform(-1e8, 1e8)); return text;
        case 7: std::snprintf(text, sizeof text, "%.9g", uniform(-1, 1) * std::pow(10.0, int(below(53)) - 45)); return text;
        default: return "0." + std::string(below(31), '0') + std::to_string(1 + below(1000000000));
        }
    }

    RandomFile write() {
        RandomFile file;
        std::vector<Vec3> positions, uvs;
        int normals = 0;
        const std::string eol = below(2) ? "\n" : "\r\n";
        const uint32_t groups = 1 + below(6);
        std::string group;
        std::ostringstream out;
        for (uint32_t line = 0, lines = 5 + below(116); line < lines; ++line) {
            const uint32_t what = below(13);
            if (what < 3 || positions.empty()) {
                Vec3 p;
                out << (below(10) == 0 ? " " : "") << 'v';
                for (float& c : p) {
                    const std::string n = number();
                    c = float(std::strtod(n.c_str(), nullptr));
                    out << blank() << n;
                }
                if (below(10) == 0) out << ' ' << number();  // a weight, ignored
                out << (below(5) == 0 ? " " : "") << eol;
                positions.push_back(p);
            } else if (what < 5) {
                Vec3 uv{0, 0, 0};
                const uint32_t count = below(5) == 0 ? 1 + 2 * below(2) : 2;
                out << "vt";
                for (uint32_t i = 0; i < count; ++i) {
                    const std::string n = number();
                    if (i < 2) uv[i] = float(std::strtod(n.c_str(), nullptr));
                    out << blank() << n;
                }
                out << eol;
                uvs.push_back(uv);
            } else if (what < 6) {
                out << "vn " << number() << ' ' << number() << ' ' << number() << eol;
                ++normals;
            } else if (what < 7) {
                group = "g" + std::to_string(below(groups));
                out << (below(3) == 0 ? "o" : "g") << blank() << group << eol;
            } else if (what < 10) {
                if (group.empty()) {
                    group = "g" + std::to_string(below(groups));
                    out << "g " << group << eol;
                }
                face(out, eol, positions, uvs, normals, file.faces.emplace_back(group, Polygon()).second);
            } else {
                const char* ignored[] = {"# comment", "", "s 1", "s off", "usemtl m1", "l 1 2", "   ", "vp 0.5"};
                out << ignored[below(8)] << eol;
            }
        }
        file.text = out.str();
        return file;
    }

private:
    uint32_t below(uint32_t n) { return uint32_t(rng_() % n); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * (double(rng_()) / 4294967296.0); }
    std::string blank() {
        const char* blanks[] = {" ", " ", " ", "  ", "\t", " \t "};
        return blanks[below(6)];
    }
    // Positive or negative (relative) reference to entry i of count.
    std::string reference(uint32_t i, size_t count) {
        return below(5) < 3 ? std::to_string(i + 1) : std::to_string(int64_t(i) - int64_t(count));
    }

    void face(std::ostream& out, const std::string& eol, const std::vector<Vec3>& positions,
              const std::vector<Vec3>& uvs, int normals, Polygon& polygon) {
        const uint32_t corners = below(20) ? 3 + below(6) : 9 + below(392);
        uint32_t style = below(4);  // v, v/vt, v//vn, v/vt/vn
        if ((style & 1) && uvs.empty()) style &= ~1u;
        if ((style & 2) && normals == 0) style &= ~2u;
        std::vector<std::string> tokens;
        for (uint32_t c = 0; c < corners; ++c) {
            const uint32_t p = below(uint32_t(positions.size()));
            std::string token = reference(p, positions.size());
            Corner corner{positions[p], {0, 0, 0}};
            if (style & 1) {
                const uint32_t t = below(uint32_t(uvs.size()));
                token += "/" + reference(t, uvs.size());
                corner.uv = uvs[t];
            }
            if (style & 2) token += (style & 1 ? "/" : "//") + std::to_string(1 + below(uint32_t(normals)));
            tokens.push_back(token);
            polygon.push_back(corner);
        }
        out << (below(10) == 0 ? "\t" : "") << 'f';
        const size_t continueAt = below(10) == 0 ? 1 + below(corners - 1) : corners;
        for (size_t i = 0; i < tokens.size(); ++i) out << (i == continueAt ? " \\" + eol : blank()) << tokens[i];
        out << eol;
    }

    std::mt19937 rng_;
};

// The corners of every polygon of the object of that name, as the scene holds them.
std::vector<Polygon> polygonsOf(const std::string& name) {
    auto& scene = test::hostScene();
    int id = -1;
    for (int child : scene.children(scene.root(), XSI::standin::ItemKind::Object))
        if (scene.item(child).name == name) id = child;
    const XSI::standin::Item& object = scene.item(id);
    const auto uvIds = scene.children(id, XSI::standin::ItemKind::UVProperty);
    const float* uv = uvIds.empty() ? nullptr : scene.item(uvIds[0]).values.data();
    std::vector<Polygon> polygons;
    size_t node = 0;
    for (const auto& indices : object.polygonList()) {
        auto& polygon = polygons.emplace_back();
        for (long v : indices) {
            Corner c{};
            for (size_t k = 0; k < 3; ++k) c.position[k] = float(object.positions.at(size_t(v) * 3 + k));
            if (uv)
                for (size_t k = 0; k < 3; ++k) c.uv[k] = uv[node * 3 + k];
            ++node;
            polygon.push_back(c);
        }
    }
    return polygons;
}

TEST(RandomFiles, EveryCornerComesOutWhereItsStatementsPutIt) {
    test::TempDir dir;
    for (uint32_t seed = 0; seed < 200; ++seed) {
        RandomFileWriter writer(seed);
        const RandomFile file = writer.write();
        std::mt19937 options(seed);
        const bool flip = options() % 3 == 0, clusters = options() % 4 == 0;
        const double scales[] = {1, 1, 0.5, 0.001, 0.3};
        const double scale = scales[options() % 5];
        const float factor = float(scale);
        auto placed = [&](const Vec3& p) {
            const Vec3 s{p[0] * factor, p[1] * factor, p[2] * factor};
            return flip ? Vec3{s[0], s[2], -s[1]} : s;
        };

        test::hostScene().resetAll();
        ConsoleChoices choices;
        char scaleText[32];
        std::snprintf(scaleText, sizeof scaleText, "%.17g", scale);
        choices.optionFlags = {{flip ? "--flip-zy" : "--no-flip-zy", ""}, {clusters ? "--clusters" : "--no-clusters", ""},
                               {"--scale", scaleText}, {"--texcoords", ""}};
        std::ostringstream out;
        ConsoleUi ui(choices, out);
        ObjImporter importer;
        const std::string name = "random" + std::to_string(seed) + ".obj";
        dir.write(name, file.text);
        const int result = runImport(importer, dir.path(name).c_str(), dir.path("qfObjImp.dll").c_str(), ui);
        const std::string context = "seed " + std::to_string(seed) + ":\n" + file.text;
        if (file.faces.empty()) {
            EXPECT_EQ(test::sceneObjectNames().size(), 0u) << context;
            continue;
        }
        ASSERT_EQ(result, 1) << context;

        // Expected: one mesh per group that has faces, or one for the file.
        std::map<std::string, std::vector<const Polygon*>> byGroup;
        std::vector<std::string> order;
        for (const auto& [group, polygon] : file.faces) {
            const std::string mesh = clusters ? "random" + std::to_string(seed) : group;
            if (byGroup[mesh].empty()) order.push_back(mesh);
            byGroup[mesh].push_back(&polygon);
        }
        std::vector<std::string> names = test::sceneObjectNames();
        std::sort(names.begin(), names.end());
        std::sort(order.begin(), order.end());
        ASSERT_EQ(names, order) << context;
        for (const std::string& mesh : order) {
            const auto got = polygonsOf(mesh);
            const auto& want = byGroup[mesh];
            ASSERT_EQ(got.size(), want.size()) << context;
            for (size_t p = 0; p < got.size(); ++p) {
                ASSERT_EQ(got[p].size(), want[p]->size()) << context;
                for (size_t c = 0; c < got[p].size(); ++c) {
                    EXPECT_EQ(got[p][c].position, placed((*want[p])[c].position))
                        << mesh << " polygon " << p << " corner " << c << ", " << context;
                    EXPECT_EQ(got[p][c].uv, (*want[p])[c].uv) << mesh << " polygon " << p << " corner " << c << ", " << context;
                }
            }
        }
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace qf
