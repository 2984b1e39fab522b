// qfhost: the stand-in host program (see host_app.h and the usage text).
#include <cstdio>
#include <fstream>
#include <thread>

#include "qfhost/host_app.h"
#include "qfhost/tour.h"

int main(int argc, char** argv) {
    const qfhost::HostOptions options = qfhost::parseHostArguments(argc, argv);
    if (options.help) {
        std::fputs(qfhost::kHostUsage, stdout);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "qfhost: %s\n%s", options.error.c_str(), qfhost::kHostUsage);
        return 2;
    }
    std::thread tour;
    qfhost::TourReport report;
    auto started = [&](HWND window) {
        if (options.tourFolder.empty()) return;
        tour = std::thread([&options, &report, window] {
            qfhost::TourPlan plan;
            plan.picturesFolder = options.tourFolder;
            report = qfhost::walkImport(plan, window);
            PostMessageA(window, WM_CLOSE, 0, 0);
        });
    };
    const int code = qfhost::RunHost(options, started);
    if (tour.joinable()) tour.join();
    if (!options.tourFolder.empty()) {
        const std::string text = qfhost::describe(report);
        std::fputs(text.c_str(), stdout);
        std::ofstream(options.tourFolder + "\\tour.txt") << text;
        if (!report.ok()) return code ? code : 3;
    }
    return code;
}
