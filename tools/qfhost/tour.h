// One import walked through like a user: the options dialog (an object unticked, options set),
// the progress dialog, the map-search question answered once through the folder chooser and then
// skipped, the warnings dialog closed; what each dialog showed is reported, and each can be
// photographed on the way.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace qfhost {

struct TourPlan {
    std::string untick = "body";   // object row to untick; empty: none
    bool flipZY = true;
    bool centerPivots = false;
    std::string searchFolder = "textures";  // subfolder picked in the chooser below its start
    std::string picturesFolder;             // where the pictures go; empty: none taken
};

struct TourReport {
    std::vector<std::string> rows;           // object rows of the options dialog
    std::vector<std::string> missingMaps;    // the file named by each map-search question
    std::vector<std::string> commandLog;     // the host's command-log setting at each question
    std::string chooserStart;                // the chooser's label when it opened
    std::string chosenFolder;                // its label when OK was pressed
    std::vector<std::string> warnings;       // the warnings dialog's lines
    std::vector<std::string> pictures;       // files saved
    std::vector<std::string> errors;         // steps that did not happen as planned
    bool ok() const { return errors.empty(); }
};

// Walks the run that the next menu pick starts (call from a thread other than the host's).
TourReport walkImport(const TourPlan& plan, HWND hostWindow);

// The report as text, one fact a line.
std::string describe(const TourReport& report);

}  // namespace qfhost
