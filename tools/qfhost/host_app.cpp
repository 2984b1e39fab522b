#include "qfhost/host_app.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "host/host_scene.h"
#include "host/host_ui.h"
#include "qfhost/driver.h"
#include "qfhost/plugin_host.h"

namespace qfhost {

namespace {

using XSI::standin::HostScene;
using XSI::standin::HostUi;

constexpr UINT kNextPick = WM_APP + 1;
constexpr int kImportFirst = 1000, kWriteScene = 900, kExit = 901;
constexpr int kLogHeight = 130, kMargin = 8, kLabelHeight = 18;

constexpr COLORREF kWireColours[] = {RGB(238, 204, 85), RGB(110, 190, 240), RGB(120, 220, 140), RGB(240, 130, 110),
                                     RGB(200, 150, 240), RGB(240, 170, 60), RGB(90, 210, 200), RGB(220, 220, 220)};

struct HostApp {
    const HostOptions* options = nullptr;
    PluginHost plugins;
    HWND window = nullptr, wire = nullptr;
    HWND labels[5] = {};
    HWND objects = nullptr, materials = nullptr, clips = nullptr, log = nullptr;
    size_t nextAnswer = 0, nextPick = 0;
    std::function<void(HWND)> started;
    // A close asked for while a command runs, done once it has returned.
    bool closeAfterCommand = false;
};

HostApp* g_app = nullptr;
// Read by drivers on other threads.
std::atomic<int> g_commandsRunning{0};

std::string besideHost(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    char* cut = std::strrchr(path, '\\');
    if (cut) cut[1] = '\0';
    return std::string(path) + name;
}

void hostLog(const std::string& line) { XSI::Application().LogMessage(XSI::AsciiString(line.c_str()), XSI::siWarningMsg); }

// ---- the file browser ----

std::string fullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full) : path;
}

std::string askForFile(const XSI::standin::FileBrowserQuestion& question) {
    HostApp& app = *g_app;
    if (app.options->scripted) {
        if (app.nextAnswer >= app.options->answers.size()) return {};
        const std::string& answer = app.options->answers[app.nextAnswer++];
        return answer.empty() ? answer : fullPath(answer);
    }
    const std::string filter = openDialogFilter(question.filter);
    char file[MAX_PATH] = {};
    lstrcpynA(file, question.fileBaseName.c_str(), sizeof file);
    std::string folder = question.initialDirectory;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = app.window;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrTitle = question.title.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameA(&dialog) ? std::string(file) : std::string();
}

// ---- the scene view ----

void addColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(title);
    column.cx = width;
    SendMessageA(list, LVM_INSERTCOLUMNA, WPARAM(index), reinterpret_cast<LPARAM>(&column));
}

void addRow(HWND list, const std::vector<std::string>& cells) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(cells[0].c_str());
    const int row = int(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (size_t c = 1; c < cells.size(); ++c) {
        LVITEMA sub = {};
        sub.iSubItem = int(c);
        sub.pszText = const_cast<char*>(cells[c].c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&sub));
    }
}

HWND makeList(HWND parent, std::initializer_list<std::pair<const char*, int>> columns) {
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS, 0, 0, 10,
                                10, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    int index = 0;
    for (const auto& [title, width] : columns) addColumn(list, index++, title, width);
    return list;
}

void refresh(HostApp& app) {
    const SceneRows rows = sceneRows(HostScene::instance());
    for (HWND list : {app.objects, app.materials, app.clips, app.log}) {
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    }
    for (const auto& o : rows.objects) addRow(app.objects, {o.name, std::to_string(o.polygons), std::to_string(o.vertices)});
    for (const auto& m : rows.materials) addRow(app.materials, {m.name, m.shader, std::to_string(m.connections)});
    for (const auto& c : rows.clips) addRow(app.clips, {c.name, c.file});
    for (const auto& line : rows.log) addRow(app.log, {line});
    for (HWND list : {app.objects, app.materials, app.clips, app.log}) SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    if (!rows.log.empty()) SendMessageA(app.log, LVM_ENSUREVISIBLE, rows.log.size() - 1, FALSE);
    InvalidateRect(app.wire, nullptr, FALSE);
}

void paintWire(HWND wire) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wire, &ps);
    RECT client;
    GetClientRect(wire, &client);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HBRUSH background = CreateSolidBrush(RGB(30, 34, 40));
    FillRect(memory, &client, background);
    DeleteObject(background);

    const Wireframe wireframe = projectWireframe(HostScene::instance(), client.right, client.bottom);
    HPEN pens[std::size(kWireColours)];
    for (size_t i = 0; i < std::size(kWireColours); ++i) pens[i] = CreatePen(PS_SOLID, 1, kWireColours[i]);
    HGDIOBJ oldPen = SelectObject(memory, pens[0]);
    for (const WireSegment& s : wireframe.segments) {
        SelectObject(memory, pens[size_t(s.object) % std::size(kWireColours)]);
        MoveToEx(memory, int(s.x0 + 0.5f), int(s.y0 + 0.5f), nullptr);
        LineTo(memory, int(s.x1 + 0.5f), int(s.y1 + 0.5f));
    }
    SelectObject(memory, oldPen);
    for (HPEN pen : pens) DeleteObject(pen);

    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, RGB(170, 176, 184));
    HGDIOBJ oldFont = SelectObject(memory, GetStockObject(DEFAULT_GUI_FONT));
    const SceneRows rows = sceneRows(HostScene::instance());
    int64_t polygons = 0;
    for (const auto& o : rows.objects) polygons += o.polygons;
    std::string caption = rows.objects.empty() ? std::string("Empty scene: File > Import brings a model in")
                                               : std::to_string(rows.objects.size()) + " objects, " +
                                                     std::to_string(polygons) + " polygons";
    if (wireframe.truncated) caption += " (wires cut short)";
    TextOutA(memory, 8, 6, caption.c_str(), int(caption.size()));
    SelectObject(memory, oldFont);

    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(wire, &ps);
}

LRESULT CALLBACK WireProc(HWND wire, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paintWire(wire);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        InvalidateRect(wire, nullptr, FALSE);
        return 0;
    default:
        return DefWindowProcA(wire, message, wParam, lParam);
    }
}

void layout(HostApp& app) {
    RECT client;
    GetClientRect(app.window, &client);
    const int w = client.right, h = client.bottom;
    const int left = std::max(300, w * 11 / 20);
    const int top = kMargin + kLabelHeight;
    const int logTop = h - kLogHeight - kMargin;
    const int viewBottom = logTop - kLabelHeight - kMargin;
    auto place = [](HWND child, int x, int y, int cx, int cy) {
        MoveWindow(child, x, y, std::max(cx, 1), std::max(cy, 1), TRUE);
    };
    place(app.labels[0], kMargin, kMargin, 200, kLabelHeight);
    place(app.wire, kMargin, top, left - kMargin, viewBottom - top);
    const int x = left + kMargin, width = w - x - kMargin;
    const int slot = (viewBottom - kMargin) / 3;
    HWND lists[3] = {app.objects, app.materials, app.clips};
    for (int i = 0; i < 3; ++i) {
        const int y = kMargin + i * slot;
        place(app.labels[i + 1], x, y, width, kLabelHeight);
        place(lists[i], x, y + kLabelHeight, width, slot - kLabelHeight - 4);
    }
    place(app.labels[4], kMargin, logTop - kLabelHeight, 200, kLabelHeight);
    place(app.log, kMargin, logTop, w - 2 * kMargin, kLogHeight);
    SendMessageA(app.log, LVM_SETCOLUMNWIDTH, 0, std::max(100, w - 2 * kMargin - 24));
}

void createViews(HostApp& app) {
    const char* titles[5] = {"View", "Objects", "Materials", "Clips", "Log"};
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < 5; ++i) {
        app.labels[i] = CreateWindowA("STATIC", titles[i], WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, app.window, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        SendMessageA(app.labels[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    app.wire = CreateWindowExA(WS_EX_CLIENTEDGE, "qfhostWire", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, app.window,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    app.objects = makeList(app.window, {{"Name", 170}, {"Polygons", 70}, {"Vertices", 70}});
    app.materials = makeList(app.window, {{"Name", 170}, {"Shader", 80}, {"Connections", 80}});
    app.clips = makeList(app.window, {{"Name", 130}, {"File", 260}});
    app.log = makeList(app.window, {{"Log", 600}});
    layout(app);
}

void buildMenuBar(HostApp& app) {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    HMENU import = CreatePopupMenu();
    const auto& entries = app.plugins.entries();
    std::vector<std::pair<std::string, HMENU>> submenus;
    for (size_t i = 0; i < entries.size(); ++i) {
        HMENU target = import;
        if (entries[i].submenu) {
            auto found = std::find_if(submenus.begin(), submenus.end(),
                                      [&](const auto& s) { return s.first == entries[i].menu; });
            if (found == submenus.end()) {
                submenus.emplace_back(entries[i].menu, CreatePopupMenu());
                AppendMenuA(import, MF_POPUP, reinterpret_cast<UINT_PTR>(submenus.back().second),
                            entries[i].menu.c_str());
                found = submenus.end() - 1;
            }
            target = found->second;
        }
        AppendMenuA(target, MF_STRING, UINT_PTR(kImportFirst + int(i)), entries[i].label.c_str());
    }
    if (entries.empty()) AppendMenuA(import, MF_STRING | MF_GRAYED, 0, "(no plug-in menu)");
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(import), "&Import");
    AppendMenuA(file, MF_STRING, kWriteScene, "&Write Scene JSON...");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kExit, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    SetMenu(app.window, bar);
}

bool writeScene(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    HostScene::instance().writeJson(out);
    out << "\n";
    return bool(out);
}

void writeSceneIfAsked(HostApp& app) {
    if (!app.options->scenePath.empty() && !writeScene(app.options->scenePath))
        hostLog("qfhost: cannot write the scene to " + app.options->scenePath);
}

void pick(HostApp& app, size_t entry) {
    ++g_commandsRunning;
    app.plugins.pick(entry);
    --g_commandsRunning;
    refresh(app);
    writeSceneIfAsked(app);
    if (g_commandsRunning == 0 && app.closeAfterCommand) PostMessageA(app.window, WM_CLOSE, 0, 0);
}

void saveSceneAs(HostApp& app) {
    char file[MAX_PATH] = "scene.json";
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = app.window;
    dialog.lpstrFilter = "JSON (*.json)\0*.json\0\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrDefExt = "json";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (GetSaveFileNameA(&dialog) && !writeScene(file)) hostLog(std::string("qfhost: cannot write the scene to ") + file);
}

void nextPick(HostApp& app) {
    const auto& picks = app.options->picks;
    if (app.nextPick >= picks.size()) {
        if (app.options->quit) PostMessageA(app.window, WM_CLOSE, 0, 0);
        return;
    }
    const std::string& label = picks[app.nextPick++];
    const auto& entries = app.plugins.entries();
    auto found = std::find_if(entries.begin(), entries.end(), [&](const MenuEntry& e) { return e.label == label; });
    if (found == entries.end()) hostLog("qfhost: no menu item " + label);
    else pick(app, size_t(found - entries.begin()));
    PostMessageA(app.window, kNextPick, 0, 0);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HostApp* app = g_app;
    if (!app || (!app->window && message != WM_CREATE)) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        app->window = window;
        createViews(*app);
        return 0;
    case WM_SIZE:
        layout(*app);
        return 0;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= kImportFirst && size_t(id - kImportFirst) < app->plugins.entries().size())
            pick(*app, size_t(id - kImportFirst));
        else if (id == kWriteScene) saveSceneAs(*app);
        else if (id == kExit) PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    case kNextPick:
        nextPick(*app);
        return 0;
    case driver::kRunOnHostThread:
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    case WM_CLOSE:
        // The command's dialogs dispatch the host window's messages too: a close that comes
        // meanwhile must not unload the plug-in from under its running code.
        if (g_commandsRunning > 0) {
            app->closeAfterCommand = true;
            return 0;
        }
        writeSceneIfAsked(*app);
        app->plugins.unloadAll();
        refresh(*app);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool registerClasses() {
    WNDCLASSA host = {};
    host.lpfnWndProc = HostProc;
    host.hInstance = GetModuleHandleA(nullptr);
    host.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    host.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    host.lpszClassName = "qfhostMain";
    WNDCLASSA wire = host;
    wire.lpfnWndProc = WireProc;
    wire.hbrBackground = nullptr;
    wire.lpszClassName = "qfhostWire";
    auto registered = [](const WNDCLASSA& wc) {
        return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    };
    return registered(host) && registered(wire);
}

}  // namespace

bool CommandRunning() { return g_commandsRunning > 0; }

int RunHost(const HostOptions& options, const std::function<void(HWND)>& started) {
    INITCOMMONCONTROLSEX common = {sizeof common, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&common);
    if (!registerClasses()) return 1;
    auto app = std::make_unique<HostApp>();
    app->options = &options;
    app->started = started;
    g_app = app.get();

    HostUi& ui = HostUi::instance();
    ui.fileBrowser = askForFile;
    ui.onRedraw = [] {
        if (g_app && g_app->window) refresh(*g_app);
    };

    const int width = 1100, height = 760;
    HWND window = CreateWindowA("qfhostMain", "qfhost - stand-in host", WS_OVERLAPPEDWINDOW,
                                std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2),
                                std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2), width, height, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) {
        g_app = nullptr;
        return 1;
    }
    ui.applicationWindow = window;

    int exitCode = 0;
    const std::vector<std::string> plugins =
        options.plugins.empty() ? std::vector<std::string>{besideHost("qfObjImp.dll")} : options.plugins;
    for (const std::string& path : plugins) {
        std::string error;
        if (!app->plugins.load(path, error)) {
            hostLog("qfhost: " + error);
            std::fprintf(stderr, "qfhost: %s\n", error.c_str());
            exitCode = 2;
        }
    }
    app->plugins.buildMenus();
    buildMenuBar(*app);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    refresh(*app);
    if (started) started(window);
    PostMessageA(window, kNextPick, 0, 0);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    ui.applicationWindow = nullptr;
    ui.fileBrowser = nullptr;
    ui.onRedraw = nullptr;
    g_app = nullptr;
    return exitCode;
}

}  // namespace qfhost
