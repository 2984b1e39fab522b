// The run's user interface on a console: the dialogs' workers run as in the plug-in, the dialogs'
// choices come from the command line, and what they would show goes to the terminal.
#pragma once
#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "model/import_options.h"
#include "qfobjimp/option_settings.h"
#include "qfobjimp/terminal_progress.h"
#include "run/import_run.h"

namespace qf {

// What the user would choose in the options dialog.
struct ConsoleChoices {
    std::string select = "*";
    OptionFlags optionFlags;                 // applied over the loaded options, for this run only
    std::vector<std::string> searchFolders;  // offered, one per question, when a map is missing
    bool saveOptions = false;                // keep the run's options in the options file
};

class ConsoleUi final : public RunUi, public MapSearchUi {
public:
    // Warnings go to out; messages are kept for the caller.
    ConsoleUi(ConsoleChoices choices, std::ostream& out);
    int optionsDialog(ObjImporter& importer) override;
    int progressDialog(ObjImporter& importer) override;
    void warningsDialog(ObjImporter& importer) override;
    // Kept for the caller, who reports them with the place they belong to.
    void messageBox(ObjImporter& importer, const char* text) override;
    MapSearchUi& mapSearch() override { return *this; }
    bool savesOptions() const override { return choices_.saveOptions; }
    void optionsNotSaved(const ObjImporter&) override { optionsSaveFailed_ = true; }
    bool optionsSaveFailed() const { return optionsSaveFailed_; }
    int askForMap(ObjImporter& importer) override;

    bool cancelled() const { return interrupted; }
    const std::vector<std::string>& messages() const { return messages_; }

    // Set by Ctrl-C: the import is cancelled as "Cancel Import" cancels it.
    static std::atomic<bool> interrupted;

private:
    bool optionsSaveFailed_ = false;
    void pollInterrupt(ObjImporter& importer);

    ConsoleChoices choices_;
    std::ostream& out_;
    TerminalProgress progress_;
    size_t nextSearchFolder_ = 0;
    std::vector<std::string> messages_;
};

// Installs the Ctrl-C handler. The first Ctrl-C sets ConsoleUi::interrupted and the given cancel
// flag (the importer's, polled by every phase); a second one removes unfinished output files and
// ends the process at once with exit code 130.
void installInterruptHandler(std::atomic<bool>* cancelFlag);

// Ctrl-C cancels through the flag for as long as the scope lives; a Ctrl-C that came before it
// cancels at once.
class InterruptScope {
public:
    explicit InterruptScope(std::atomic<bool>& cancelFlag) {
        installInterruptHandler(&cancelFlag);
        if (ConsoleUi::interrupted) cancelFlag = true;
    }
    ~InterruptScope() { installInterruptHandler(nullptr); }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;
};

}  // namespace qf
