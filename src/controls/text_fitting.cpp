#include "controls/text_fitting.h"

#include <algorithm>

namespace qf {

std::string fitPathToWidth(std::string path, int maxWidth, const MeasureText& measure) {
    std::replace(path.begin(), path.end(), '/', '\\');
    const size_t cut = path.rfind('\\');
    if (cut == std::string::npos) return path;
    const std::string directory = path.substr(0, cut), file = path.substr(cut);
    auto fits = [&](const std::string& text) { return measure(text) <= maxWidth; };
    if (fits(path)) return path;
    for (long k = long(directory.size()) - 3; k >= 0; --k) {
        const std::string candidate = directory.substr(0, size_t(k)) + "..." + file;
        if (fits(candidate)) return candidate;
    }
    for (long m = long(file.size()) - 1; m >= 0; --m) {
        const std::string candidate = ".." + file.substr(0, size_t(m)) + "...";
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
