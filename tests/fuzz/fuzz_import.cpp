// A whole import without windows over any bytes: the OBJ file, an MTL library and the options
// file are cut from the input and written to a temporary folder tree that also holds texture
// files, some beside the library and some only in a folder the map search is offered. The run
// goes through the options, the pre-scan, the selection, the readers and both scene builders into
// the stand-in host's scene, which must come out well formed. The options file keeps no search
// folder of its own (a run must not walk the disk; fuzz_options reads that field), so the first
// 29 bytes of its section are its fixed part. Where the glTF export is built, the scene is then
// exported as .gltf or .glb (by the input's length): the export must make its file from any scene.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "dialogs/object_selection.h"
#include "host/host_scene.h"
#include "obj/prescan.h"
#include "run/config_file.h"
#include "run/import_run.h"
#include "run/workers.h"

#if defined(QF_FUZZ_GLTF)
#include <sstream>
#include <vector>

#include "gltf/gltf_export.h"
#endif

namespace {

namespace fs = std::filesystem;

// Between the sections of an input: OBJ text, MTL text, options file bytes.
constexpr std::string_view kSection = "\n%%%\n";

struct Tree {
    fs::path root;
    Tree() {
        root = fs::temp_directory_path() / ("qffuzz-import-" + std::to_string(getpid()));
        fs::create_directories(root / "maps" / "deep");
        for (const char* name : {"tex.png", "maps/deep/far.png", "maps/near.tga"}) std::ofstream(root / name) << "img";
    }
    ~Tree() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void write(const char* name, std::string_view bytes) const {
        std::ofstream(root / name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
};

// The dialogs of a run, answered at once on the calling thread.
class HeadlessUi final : public qf::RunUi, public qf::MapSearchUi {
public:
    explicit HeadlessUi(std::string searchFolder) : searchFolder_(std::move(searchFolder)) {}

    int optionsDialog(qf::ObjImporter& importer) override {
        qf::SilentLink link;
        qf::prescanObj(importer, link);
        if (importer.aborted) return 0;
        qf::selectObjects(importer, "*");
        return 1;
    }
    int progressDialog(qf::ObjImporter& importer) override {
        qf::ProgressDialogLogic logic(importer, *this);
        Link link(logic);
        qf::importWorkerBody(importer, link);
        return int(logic.result());
    }
    void warningsDialog(qf::ObjImporter&) override {}
    void messageBox(qf::ObjImporter&, const char*) override {}
    qf::MapSearchUi& mapSearch() override { return *this; }
    int askForMap(qf::ObjImporter& importer) override {
        if (asked_++ > 0) return 0;
        qf::useChosenSearchFolder(importer, searchFolder_.c_str());
        return 1;
    }

private:
    class Link final : public qf::DialogLink {
    public:
        explicit Link(qf::ProgressDialogLogic& logic) : logic_(logic) {}
        intptr_t send(qf::DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
            return logic_.handle(*this, code, wParam, lParam);
        }
        void addObjectRows(const qf::ObjectRow*, size_t) override {}
        void showMessage(int) override {}
        void endDialog(intptr_t result) override { logic_.end(result); }

    private:
        qf::ProgressDialogLogic& logic_;
    };
    std::string searchFolder_;
    int asked_ = 0;
};

std::string_view section(std::string_view& rest) {
    const size_t cut = rest.find(kSection);
    std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + kSection.size());
    return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Tree tree;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view obj = section(rest), mtl = section(rest), options = section(rest);
    tree.write("model.obj", obj);
    tree.write("lib.mtl", mtl);
    std::error_code ec;
    if (options.empty()) {
        fs::remove(tree.root / "qf_objimp.cfg", ec);
    } else {
        // The fixed part as given (zeros after a short section), recorded as a file without a folder.
        std::string fixed(size_t(qf::kConfigFixedSize), '\0');
        std::copy_n(options.begin(), std::min(options.size(), fixed.size()), fixed.begin());
        const char length[4] = {char(qf::kConfigFixedSize), 0, 0, 0};
        std::copy_n(length, 4, fixed.begin() + 4);
        std::fill_n(fixed.begin() + 25, 4, '\0');
        tree.write("qf_objimp.cfg", fixed);
    }

    auto& scene = XSI::standin::HostScene::instance();
    scene.resetAll();
    {
        qf::ObjImporter importer;
        HeadlessUi ui((tree.root / "maps").string());
        qf::runImport(importer, (tree.root / "model.obj").string().c_str(), (tree.root / "qfObjImp.dll").string().c_str(),
                      ui);
        if (!qf::inRange(importer.options.objectScale, qf::kObjectScaleMin, qf::kObjectScaleMax)) __builtin_trap();
#if defined(QF_FUZZ_GLTF)
        std::ostringstream out;
        qf::GltfTarget target;
        target.binary = size % 2 == 1;
        target.folder = tree.root.string();
        std::vector<std::string> notes;
        std::string error;
        if (!qf::writeGltf(out, importer, (tree.root / "model.obj").string(), target, notes, error)) __builtin_trap();
#endif
    }
    // Every built mesh: finite points, corners within them, finite UVs for every corner.
    for (int id : scene.children(scene.root(), XSI::standin::ItemKind::Object)) {
        const auto& o = scene.item(id);
        if (!o.built) continue;
        const long points = long(o.positions.size() / 3);
        for (double p : o.positions)
            if (!std::isfinite(p)) __builtin_trap();
        size_t corners = 0;
        for (long s : o.polygonSizes) {
            if (s < 3) __builtin_trap();
            corners += size_t(s);
        }
        if (corners != o.polygonIndices.size()) __builtin_trap();
        for (long v : o.polygonIndices)
            if (v < 0 || v >= points) __builtin_trap();
        for (int uv : scene.children(id, XSI::standin::ItemKind::UVProperty)) {
            const auto& values = scene.item(uv).values;
            if (values.size() != corners * 3) __builtin_trap();
            for (float f : values)
                if (!std::isfinite(f)) __builtin_trap();
        }
    }
    return 0;
}
