// One import walked through like a user: the options dialog (an object unticked, options set),
// the progress dialog, the map-search question answered once through the folder chooser and then
// skipped, the warnings dialog closed; what each dialog showed is reported, and each can be
// photographed on the way.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "resources/control_ids.h"

namespace qfhost {

struct TourPlan {
    std::string untick = "cabin";  // object row to untick; empty: none
    // Check boxes of the options dialog (by control id) and the state each is set to.
    std::vector<std::pair<int, bool>> checks = {
        {IDC_FLIP_ZY, false}, {IDC_CENTER_PIVOTS, true}, {IDC_FORCE_BLACK_AMBIENT, true}};
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
