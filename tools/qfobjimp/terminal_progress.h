// A progress bar on standard error, drawn only when standard error is a terminal.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>

namespace qf {

class TerminalProgress {
public:
    TerminalProgress();
    ~TerminalProgress();
    void setPhase(const std::string& phase);
    void setFraction(double fraction);
    void finish();

private:
    void draw(bool force);
    bool enabled_;
    bool drawn_ = false;
    std::string phase_;
    double fraction_ = 0;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace qf
