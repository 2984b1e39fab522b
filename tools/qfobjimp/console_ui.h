// The run's user interface on a console: the dialogs' workers run as in the plug-in, the dialogs'
// choices come from the command line, and what they would show goes to the terminal.
#pragma once
#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "model/import_options.h"
#include "qfobjimp/terminal_progress.h"
#include "run/import_run.h"

namespace qf {

// What the user would choose in the options dialog.
struct ConsoleChoices {
    std::string select = "*";
    std::vector<std::pair<std::string, std::string>> optionFlags;  // applied over the loaded options
    bool materialPrefixGiven = false;
    std::string materialPrefix;
    std::vector<std::string> searchFolders;  // offered, one per question, when a map is missing
};

// Applies option flags (--clusters, --scale 2, ...) to the options; false with a message.
bool applyOptionFlags(const std::vector<std::pair<std::string, std::string>>& flags, ImportOptions& options,
                      std::string& error);

class ConsoleUi final : public RunUi, public MapSearchUi {
public:
    ConsoleUi(ConsoleChoices choices, std::ostream& out, std::ostream& err);
    int optionsDialog(ObjImporter& importer) override;
    int progressDialog(ObjImporter& importer) override;
    void warningsDialog(ObjImporter& importer) override;
    void messageBox(ObjImporter& importer, const char* text) override;
    MapSearchUi& mapSearch() override { return *this; }
    int askForMap(ObjImporter& importer) override;

    bool cancelled() const { return cancelled_; }

    // Set from the interrupt handler: Ctrl-C cancels like "Cancel Import".
    static std::atomic<bool> interrupted;

private:
    // Passes an interrupt on to the importer; true once the dialog may close.
    bool pollInterrupt(ObjImporter& importer);

    ConsoleChoices choices_;
    std::ostream& out_;
    std::ostream& err_;
    TerminalProgress progress_;
    size_t nextSearchFolder_ = 0;
    bool cancelled_ = false;
};

// Installs the Ctrl-C handler that sets ConsoleUi::interrupted.
void installInterruptHandler();

}  // namespace qf
