// The progress dialog opened for real, with its import worker reading generated files, watched
// through a hook on the dialog thread's messages (run under Wine).
#include "dialogs/win32/progress_dialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "controls/format_thousands.h"
#include "controls/win32/simple_controls.h"
#include "controls/win32/skin_core.h"
#include "dialogs/progress_flow.h"
#include "model/messages.h"
#include "obj/input_source.h"
#include "obj/prescan.h"
#include "resources/control_ids.h"
#include "support/scene_access.h"

namespace qf {
namespace {

// A file in memory whose reads can be slowed down, and that notes a read after it was closed.
class WatchedSource final : public InputSource {
public:
    explicit WatchedSource(std::string text) : text_(std::move(text)), memory_(text_.data(), text_.size()) {}
    size_t read(char* dst, size_t n) override {
        if (closed) readAfterClose = true;
        if (delayMs) Sleep(delayMs);
        return memory_.read(dst, n);
    }
    bool rewind() override { return memory_.rewind(); }
    size_t size() const { return text_.size(); }
    std::atomic<DWORD> delayMs{0};
    std::atomic<bool> closed{false};
    std::atomic<bool> readAfterClose{false};

private:
    std::string text_;
    MemorySource memory_;
};

// Groups of side x side vertices in a grid of quads, after a library that is not there.
std::string gridFile(std::initializer_list<std::pair<const char*, int>> groups) {
    std::string text = "mtllib not_there.mtl\n";
    int base = 0;
    for (auto [name, side] : groups) {
        text += std::string("g ") + name + "\n";
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) text += "v " + std::to_string(x) + " " + std::to_string(y) + " 0\n";
        for (int y = 0; y + 1 < side; ++y)
            for (int x = 0; x + 1 < side; ++x) {
                const int a = base + y * side + x + 1;
                text += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " + std::to_string(a + side + 1) +
                        " " + std::to_string(a + side) + "\n";
            }
        base += side * side;
    }
    return text;
}

// What the dialog's thread handles, seen before each message reaches its window.
struct Watch {
    HWND dialog = nullptr;
    std::vector<std::string> vertexTexts, polygonTexts, phaseTexts;
    std::vector<COLORREF> barColours;
    bool cancelHidden = false;
    std::function<void(const CWPSTRUCT&)> onMessage;
};
Watch* g_watch = nullptr;

LRESULT CALLBACK WatchHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_watch) {
        const auto& m = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        Watch& w = *g_watch;
        if (m.message == WM_INITDIALOG && GetDlgItem(m.hwnd, IDC_CANCEL_IMPORT)) w.dialog = m.hwnd;
        if (w.dialog && GetParent(m.hwnd) == w.dialog) {
            const int id = GetDlgCtrlID(m.hwnd);
            const char* text = reinterpret_cast<const char*>(m.lParam);
            if (m.message == WM_SETTEXT && id == IDC_VERTEX_COUNT) w.vertexTexts.emplace_back(text);
            if (m.message == WM_SETTEXT && id == IDC_POLYGON_COUNTER) w.polygonTexts.emplace_back(text);
            if (m.message == WM_SETTEXT && id == IDC_PHASE) w.phaseTexts.emplace_back(text);
            if (m.message == PRGM_SETCOLOR) w.barColours.push_back(static_cast<COLORREF>(m.lParam));
            if (m.message == WM_SHOWWINDOW && id == IDC_CANCEL_IMPORT && !m.wParam) w.cancelHidden = true;
        }
        if (w.onMessage) w.onMessage(m);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool repeats(const std::vector<std::string>& texts) {
    for (size_t i = 1; i < texts.size(); ++i)
        if (texts[i] == texts[i - 1]) return true;
    return false;
}

COLORREF barPixel(HWND dialog) {
    HWND bar = GetDlgItem(dialog, IDC_IMPORT_PROGRESS);
    RECT r;
    GetClientRect(bar, &r);
    HDC dc = GetDC(bar);
    const COLORREF c = GetPixel(dc, r.right / 2, r.bottom / 2);
    ReleaseDC(bar, dc);
    return c;
}

struct ProgressDialogTest : ::testing::Test {
    Watch watch;
    HHOOK hook = nullptr;
    std::unique_ptr<ObjImporter> importer;
    std::unique_ptr<WatchedSource> source;
    NoMapSearch noSearch;

    void SetUp() override {
        ASSERT_EQ(RegisterSkinControls(GetModuleHandleA(nullptr)), 1);
        test::hostScene().resetAll();
        g_watch = &watch;
        hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchHook, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
    }
    void TearDown() override {
        UnhookWindowsHookEx(hook);
        g_watch = nullptr;
    }
    // An importer over the text with every object chosen, as the options dialog leaves it.
    void prepare(std::string text, size_t readWindow = kLineBufferSize) {
        importer = std::make_unique<ObjImporter>();
        source = std::make_unique<WatchedSource>(std::move(text));
        importer->objFile = source.get();
        importer->progressTotal = source->size();
        ASSERT_TRUE(importer->lineBuffer.allocate(readWindow));
        SilentLink silent;
        ASSERT_TRUE(prescanObj(*importer, silent));
        for (auto& object : importer->objects) object->selected = true;
    }
    INT_PTR run() {
        const INT_PTR result = ShowProgressDialog(GetModuleHandleA(nullptr), nullptr, *importer, noSearch);
        source->closed = true;  // the run closes the file now
        return result;
    }
};

TEST_F(ProgressDialogTest, ReadsBuildsFadesAndEndsWithOne) {
    prepare(gridFile({{"grid", 12}, {"second", 5}}));
    ASSERT_EQ(run(), 1);
    EXPECT_STREQ(importer->errorText, "");
    EXPECT_EQ(test::sceneObjectNames(), (std::vector<std::string>{"grid", "second"}));
    ASSERT_NE(test::sceneObject("grid"), nullptr);
    EXPECT_TRUE(test::sceneObject("grid")->built);
    // The counters end at the file's totals and are never written twice with the same text.
    ASSERT_FALSE(watch.vertexTexts.empty());
    EXPECT_EQ(watch.vertexTexts.back(), FormatThousands(144 + 25));
    EXPECT_EQ(watch.polygonTexts.back(), FormatThousands(11 * 11 + 16));
    EXPECT_FALSE(repeats(watch.vertexTexts));
    EXPECT_FALSE(repeats(watch.polygonTexts));
    EXPECT_TRUE(watch.cancelHidden);
    // The bar faded in ten steps to the face colour.
    ASSERT_EQ(watch.barColours.size(), 1u + kFadeSteps);
    EXPECT_EQ(watch.barColours.front(), COLORREF(kImportBarColour));
    EXPECT_EQ(watch.barColours.back(), GetSkinColor(0));
    EXPECT_EQ(importer->warnings.size(), 1u);  // the library that is not there
}

TEST_F(ProgressDialogTest, CancelDuringTheReadEndsWithZeroAndBuildsNothing) {
    prepare(gridFile({{"grid", 150}}), 16 << 10);
    source->delayMs = 20;  // about thirty reads of 20 ms: the cancel comes in the middle
    bool clicked = false;
    LARGE_INTEGER clickedAt{}, frequency{};
    QueryPerformanceFrequency(&frequency);
    watch.onMessage = [&](const CWPSTRUCT& m) {
        if (clicked || m.hwnd != watch.dialog || m.message != UINT(DialogMessage::Count) || m.lParam < 1000) return;
        clicked = true;
        QueryPerformanceCounter(&clickedAt);
        HWND button = GetDlgItem(watch.dialog, IDC_CANCEL_IMPORT);
        PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    EXPECT_EQ(run(), 0);
    LARGE_INTEGER endedAt;
    QueryPerformanceCounter(&endedAt);
    ASSERT_TRUE(clicked);
    const double ms = 1000.0 * double(endedAt.QuadPart - clickedAt.QuadPart) / double(frequency.QuadPart);
    std::printf("Cancel Import to the dialog's end: %.1f ms\n", ms);
    EXPECT_LT(ms, 500.0);
    EXPECT_STREQ(importer->errorText, "");
    EXPECT_TRUE(importer->aborted);
    EXPECT_TRUE(test::sceneObjectNames().empty());
    // The worker had stopped when the dialog returned: the closed file is never read again.
    Sleep(100);
    EXPECT_FALSE(source->readAfterClose);
}

TEST_F(ProgressDialogTest, EscapeDuringTheReadCancelsAsTheButtonDoes) {
    prepare(gridFile({{"grid", 150}}), 16 << 10);
    source->delayMs = 20;
    bool pressed = false;
    watch.onMessage = [&](const CWPSTRUCT& m) {
        if (pressed || m.hwnd != watch.dialog || m.message != UINT(DialogMessage::Count) || m.lParam < 1000) return;
        pressed = true;
        PostMessageA(GetFocus() ? GetFocus() : watch.dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    };
    EXPECT_EQ(run(), 0);
    ASSERT_TRUE(pressed);
    EXPECT_TRUE(importer->aborted);
    EXPECT_TRUE(test::sceneObjectNames().empty());
}

TEST_F(ProgressDialogTest, NoTotalShowsAnEmptyBarAndCountersChangeOnlyWithTheirText) {
    prepare(gridFile({{"grid", 14}}));
    importer->progressTotal = 0;
    int checked = 0;
    watch.onMessage = [&](const CWPSTRUCT& m) {
        // While reading, after progress values above 0 went through: still an empty bar.
        if (m.hwnd != watch.dialog || m.message != UINT(DialogMessage::Count) || m.lParam < 50) return;
        if (checked++ < 3) {
            EXPECT_EQ(barPixel(watch.dialog), GetSkinColor(0));
        }
    };
    ASSERT_EQ(run(), 1);
    EXPECT_GT(checked, 0);
    // Without a total, the reader reports on every line; the polygon counter stays at 0 while the
    // vertices are read, and is not written again for it.
    EXPECT_FALSE(repeats(watch.polygonTexts));
    EXPECT_LE(watch.polygonTexts.size(), 13u * 13u);
    EXPECT_EQ(watch.polygonTexts.back(), FormatThousands(13 * 13));
}

TEST_F(ProgressDialogTest, NothingReachesIntoTheFrame) {
    INT_PTR(CALLBACK * quiet)(HWND, UINT, WPARAM, LPARAM) = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, quiet, 0);
    ASSERT_NE(dialog, nullptr);
    RECT client;
    GetClientRect(dialog, &client);
    // Inside the side borders, below the caption strip and above the bottom strip with its logo.
    const RECT interior{5, 23, client.right - 6, client.bottom - 18};
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!(GetWindowLongPtrA(c, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        RECT inside;
        IntersectRect(&inside, &r, &interior);
        EXPECT_TRUE(EqualRect(&inside, &r)) << GetDlgCtrlID(c) << " reaches to y " << r.bottom << " of "
                                            << client.bottom;
    }
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace qf
