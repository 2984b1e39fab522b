// The import's progress and warnings dialogs on generated data, to look at under Wine:
//   dialog_demo progress [SECONDS]   an import of a generated grid, its reading slowed to last that long
//   dialog_demo warnings [COUNT] [--close-after MILLISECONDS]
//                                    the warnings dialog with COUNT warnings
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "controls/win32/dialog_frame.h"
#include "controls/win32/skin_core.h"
#include "dialogs/win32/progress_dialog.h"
#include "dialogs/win32/warnings_dialog.h"
#include "obj/input_source.h"
#include "obj/prescan.h"

namespace {

using namespace qf;

// Bytes in memory, each read of the import pass slowed down so that the dialog stays a while.
class SlowSource final : public InputSource {
public:
    explicit SlowSource(std::string text) : text_(std::move(text)), memory_(text_.data(), text_.size()) {}
    size_t read(char* dst, size_t n) override {
        if (delayMs) Sleep(delayMs);
        return memory_.read(dst, n);
    }
    bool rewind() override { return memory_.rewind(); }
    size_t size() const { return text_.size(); }
    DWORD delayMs = 0;

private:
    std::string text_;
    MemorySource memory_;
};

std::string gridText(const char* name, int side) {
    std::string text = std::string("mtllib ") + name + ".mtl\ng " + name + "\n";
    char line[96];
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            std::snprintf(line, sizeof line, "v %d.5 %d.25 0.125\n", x, y);
            text += line;
        }
    for (int y = 0; y + 1 < side; ++y)
        for (int x = 0; x + 1 < side; ++x) {
            const int a = y * side + x + 1;
            std::snprintf(line, sizeof line, "f %d %d %d %d\n", a, a + 1, a + side + 1, a + side);
            text += line;
        }
    return text;
}

int progressDemo(HINSTANCE module, int seconds) {
    constexpr size_t kWindow = 64 << 10;
    SlowSource source(gridText("terrain_patch", 400));
    ObjImporter importer;
    importer.objFile = &source;
    importer.progressTotal = source.size();
    if (!importer.lineBuffer.allocate(kWindow)) return 1;
    SilentLink silent;
    prescanObj(importer, silent);
    for (auto& object : importer.objects) object->selected = true;
    source.delayMs = DWORD(seconds * 1000 / int(source.size() / kWindow + 1));
    NoMapSearch noSearch;
    const INT_PTR result = ShowProgressDialog(module, nullptr, importer, noSearch);
    std::printf("progress dialog: %d, %zu warnings\n", int(result), importer.warnings.size());
    return 0;
}

// Closes the warnings dialog as its Close button would.
void CALLBACK CloseWarnings(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND dialog = GetActiveWindow()) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

int warningsDemo(HINSTANCE module, int count, int closeAfterMs) {
    ObjImporter importer;
    char text[256];
    for (int i = 0; i < count; ++i) {
        switch (i % 3) {
        case 0: std::snprintf(text, sizeof text, "matlib not found \"props_%03d.mtl\"", i); break;
        case 1: std::snprintf(text, sizeof text, "Material \"wood_plank_%03d\" not found", i); break;
        default:
            std::snprintf(text, sizeof text, "diffuseMap not found in Material: \"metal_%03d\" (textures\\metal_%03d.jpg)",
                          i, i);
        }
        importer.addWarning(text);
    }
    if (closeAfterMs > 0) SetTimer(nullptr, 0, UINT(closeAfterMs), CloseWarnings);
    ShowWarningsDialog(module, nullptr, importer);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    if (!RegisterSkinControls(module)) return 1;
    const int bitmaps[8] = {106, 106, 105, 101, 108, 102, 104, 103};
    SetDialogSkin(module, bitmaps, 102);
    const char* which = argc > 1 ? argv[1] : "progress";
    const int number = argc > 2 ? std::atoi(argv[2]) : 0;
    if (!std::strcmp(which, "progress")) return progressDemo(module, number > 0 ? number : 8);
    int closeAfterMs = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--close-after")) closeAfterMs = std::atoi(argv[i + 1]);
    if (!std::strcmp(which, "warnings")) return warningsDemo(module, number > 0 ? number : 60, closeAfterMs);
    std::fprintf(stderr, "usage: dialog_demo progress [SECONDS] | warnings [COUNT] [--close-after MS]\n");
    return 2;
}
