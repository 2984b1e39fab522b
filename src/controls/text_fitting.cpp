#include "controls/text_fitting.h"

#include <algorithm>
#include <vector>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX  // std::max below
#endif
#include <windows.h>
#endif

namespace qf {

std::vector<size_t> letterStarts(const std::string& text) {
    std::vector<size_t> starts;
    starts.reserve(text.size() + 1);
    for (size_t i = 0; i < text.size();) {
        starts.push_back(i);
#if defined(_WIN32)
        if (i + 1 < text.size() && IsDBCSLeadByte(static_cast<BYTE>(text[i]))) ++i;
#endif
        ++i;
    }
    starts.push_back(text.size());
    return starts;
}

std::string fitPathToWidth(std::string path, int maxWidth, const MeasureText& measure) {
    const std::vector<size_t> starts = letterStarts(path);
    size_t cut = std::string::npos;
    for (size_t i : starts)
        if (i < path.size() && (path[i] == '/' || path[i] == '\\')) {
            path[i] = '\\';
            cut = i;
        }
    if (cut == std::string::npos) return path;
    const std::string directory = path.substr(0, cut), file = path.substr(cut);
    auto fits = [&](const std::string& text) { return measure(text) <= maxWidth; };
    if (fits(path)) return path;
    // The folders lose letters from their end, then the file's name does.
    for (auto k = starts.rbegin(); k != starts.rend(); ++k) {
        if (*k + 3 > directory.size()) continue;
        const std::string candidate = directory.substr(0, *k) + "..." + file;
        if (fits(candidate)) return candidate;
    }
    for (auto m = starts.rbegin(); m != starts.rend(); ++m) {
        if (*m < cut || *m == path.size()) continue;
        const std::string candidate = ".." + file.substr(0, *m - cut) + "...";
        if (fits(candidate)) return candidate;
    }
    return "!";
}

std::vector<std::string> messageLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

MessageBoxLayout messageBoxLayout(int widestLine, int lineCount, int lineHeight) {
    MessageBoxLayout l;
    l.width = std::max(widestLine, 70) + 109;
    l.height = lineHeight * lineCount + 107;
    l.buttonX = (l.width - 70) / 2 + 16;
    l.buttonY = l.height - 49;
    return l;
}

MessageIcon messageIcon(unsigned type) {
    if (type == 0x20) return MessageIcon::Question;
    if (type == 0x30) return MessageIcon::Exclamation;
    return MessageIcon::Information;
}

}  // namespace qf
