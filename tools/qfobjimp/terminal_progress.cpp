#include "qfobjimp/terminal_progress.h"

#include <cstdio>
#if defined(_WIN32)
#include <io.h>
#define QF_ISATTY _isatty
#else
#include <unistd.h>
#define QF_ISATTY isatty
#endif

namespace qf {

TerminalProgress::TerminalProgress() : enabled_(QF_ISATTY(2) != 0) {}

TerminalProgress::~TerminalProgress() { finish(); }

void TerminalProgress::setPhase(const std::string& phase) {
    phase_ = phase;
    draw(true);
}

void TerminalProgress::setFraction(double fraction) {
    fraction_ = fraction < 0 ? 0 : fraction > 1 ? 1 : fraction;
    draw(false);
}

void TerminalProgress::draw(bool force) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (!force && drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    constexpr int width = 30;
    int filled = static_cast<int>(fraction_ * width + 0.5);
    char bar[width + 1];
    for (int i = 0; i < width; ++i) bar[i] = i < filled ? '#' : '.';
    bar[width] = '\0';
    std::fprintf(stderr, "\r%-28.28s [%s] %3d%%", phase_.c_str(), bar, static_cast<int>(fraction_ * 100));
    std::fflush(stderr);
    drawn_ = true;
}

void TerminalProgress::finish() {
    if (enabled_ && drawn_) {
        std::fprintf(stderr, "\r%*s\r", 70, "");
        std::fflush(stderr);
    }
    drawn_ = false;
}

}  // namespace qf
