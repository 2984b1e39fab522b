#include "support/test_support.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "obj/prescan.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qf::test {

intptr_t RecordingLink::send(DialogMessage code, uintptr_t wParam, intptr_t lParam) {
    messages.push_back({code, wParam, lParam});
    if (cancelFlag && messages.size() >= cancelAfter) *cancelFlag = true;
    return 0;
}

int RecordingLink::count(DialogMessage code) const {
    int n = 0;
    for (const auto& m : messages) n += m.code == code ? 1 : 0;
    return n;
}

MemoryImport::MemoryImport(std::string text, size_t window) : text_(std::move(text)) {
    source_ = std::make_unique<MemorySource>(text_.data(), text_.size());
    importer.objFile = source_.get();
    importer.progressTotal = text_.size();
    importer.lineBuffer.allocate(window);
}

int MemoryImport::prescan() { return prescanObj(importer, link); }

TempDir::TempDir() {
    static std::atomic<int> serial{0};
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    root_ = (base / ("qftest-" + std::to_string(rd()) + "-" + std::to_string(serial++))).string();
    std::filesystem::create_directories(root_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::string TempDir::path(const std::string& name) const { return root_ + "/" + name; }

std::string TempDir::write(const std::string& name, const std::string& content) const {
    std::string p = path(name);
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

#if defined(_WIN32)
std::string ansi(const wchar_t* text) {
    char out[kPathSize];
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, &lossy);
    return n > 0 && !lossy ? std::string(out) : std::string();
}
#endif

}  // namespace qf::test
