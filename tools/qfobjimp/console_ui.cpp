#include "qfobjimp/console_ui.h"

#include <csignal>
#include <cstdlib>
#include <functional>
#include <new>
#include <system_error>
#include <thread>

#if defined(_WIN32)
#include <io.h>
#define QF_WRITE _write
#else
#include <unistd.h>
#define QF_WRITE write
#endif

#include "controls/format_thousands.h"
#include "dialogs/object_selection.h"
#include "model/fixed_text.h"
#include "model/string_table.h"
#include "qfobjimp/output_file.h"
#include "run/workers.h"

namespace qf {

std::atomic<bool> ConsoleUi::interrupted{false};

namespace {

std::atomic<std::atomic<bool>*> cancelTarget{nullptr};

extern "C" void onInterrupt(int) {
    if (ConsoleUi::interrupted.exchange(true)) {
        // Asked twice: stop now, leaving no half-written file behind.
        removeUnfinishedOutputFiles();
        const char text[] = "\nqfobjimp: cancelled\n";
        const auto written = QF_WRITE(2, text, sizeof text - 1);
        (void)written;
        std::_Exit(130);
    }
    if (std::atomic<bool>* flag = cancelTarget.load()) flag->store(true);
    std::signal(SIGINT, onInterrupt);  // some systems reset the handler once it ran
}

// The options dialog as the pre-scan worker sees it: rows and counts land here, on the main thread.
class ScanDialog final : public DialogLink {
public:
    ScanDialog(const ObjImporter& importer, TerminalProgress& progress) : importer_(importer), progress_(progress) {}
    intptr_t send(DialogMessage code, uintptr_t, intptr_t lParam) override {
        if (code == DialogMessage::ScanProgress && importer_.progressTotal)
            progress_.setFraction(double(uint64_t(lParam)) / double(importer_.progressTotal));
        if (code == DialogMessage::ScanDone) scanDone = true;
        return 0;
    }
    void addObjectRows(const ObjectRow*, size_t) override {}
    void showMessage(int textId) override { message = loadText(textId); }
    void endDialog(intptr_t value) override {
        ended = true;
        result = value;
    }
    bool scanDone = false;
    bool ended = false;
    intptr_t result = 1;
    std::string message;

private:
    const ObjImporter& importer_;
    TerminalProgress& progress_;
};

class ProgressDialog final : public DialogLink {
public:
    ProgressDialog(ObjImporter& importer, MapSearchUi& search, TerminalProgress& progress)
        : logic(importer, search), progress_(progress) {}
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
        const intptr_t r = logic.handle(*this, code, wParam, lParam);
        if (code == DialogMessage::Phase && !logic.phase.empty()) progress_.setPhase(logic.phase);
        progress_.setFraction(logic.fraction);
        return r;
    }
    void addObjectRows(const ObjectRow*, size_t) override {}
    void showMessage(int) override {}
    void endDialog(intptr_t result) override { logic.end(result); }
    ProgressDialogLogic logic;

private:
    TerminalProgress& progress_;
};

}  // namespace

void installInterruptHandler(std::atomic<bool>* cancelFlag) {
    cancelTarget = cancelFlag;
    std::signal(SIGINT, onInterrupt);
}

ConsoleUi::ConsoleUi(ConsoleChoices choices, std::ostream& out) : choices_(std::move(choices)), out_(out) {}

void ConsoleUi::pollInterrupt(ObjImporter& importer) {
    if (interrupted) importer.aborted = true;
}

int ConsoleUi::optionsDialog(ObjImporter& importer) {
    progress_.setPhase("scanning the file...");
    ScanDialog dialog(importer, progress_);
    MessageChannel channel;
    ChannelLink link(channel, dialog);
    std::thread worker;
    std::atomic<bool> finished{false};
    // A worker that ran out of memory before it could say it is done has ended all the same. (Made
    // before the worker starts: from then on nothing may throw before it is joined.)
    const std::function<bool()> scanOver = [&] {
        pollInterrupt(importer);
        return dialog.scanDone || finished.load();
    };
    if (!startPrescanWorker(importer, link, worker, &finished)) {
        progress_.finish();
        return 0;
    }
    channel.serve(scanOver);
    worker.join();
    progress_.finish();
    if (!dialog.message.empty()) messages_.push_back(dialog.message);
    if ((dialog.ended && dialog.result == 0) || interrupted) return 0;

    // The choices a user makes in the dialog before pressing Import.
    std::string error;
    if (!applyOptionFlags(choices_.optionFlags, importer.options, error)) {
        messages_.push_back(error);
        return 0;
    }
    if (!importer.options.useMaterialPrefix) importer.options.materialPrefix[0] = '\0';
    importer.options.clusterPrefix[0] = '\0';
    selectObjects(importer, choices_.select.c_str());
    return 1;
}

int ConsoleUi::progressDialog(ObjImporter& importer) {
    ProgressDialog dialog(importer, *this, progress_);
    MessageChannel channel;
    ChannelLink link(channel, dialog);
    std::thread worker;
    std::atomic<bool> finished{false};
    // The worker may still send its last messages (the end of a cancelled read): they are served
    // until it has ended, so that the file is closed only after it. A thread that waits for it
    // wakes the serving at once; without one (no thread to be had) the serving notices the
    // finished flag within its poll interval. (Made before the worker starts: from then on
    // nothing may throw before it is joined.)
    std::atomic<bool> joined{false};
    bool waiting = false;
    const std::function<bool()> readingOver = [&] {
        pollInterrupt(importer);
        return dialog.logic.ended() || finished.load();
    };
    const std::function<bool()> workerEnded = [&] { return waiting ? joined.load() : finished.load(); };
    if (!startImportWorker(importer, link, worker, &finished)) {
        progress_.finish();
        return 1;  // the run shows the error text
    }
    channel.serve(readingOver);
    std::thread joiner;
    try {
        joiner = std::thread([&] {
            worker.join();
            joined = true;
            channel.wake();
        });
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
        // No memory for the thread's record: the same as no thread. Escaping from here would
        // drop the worker unjoined, which ends the process.
    }
    waiting = joiner.joinable();
    channel.serve(workerEnded);
    if (waiting) joiner.join();
    else worker.join();
    progress_.finish();
    return int(dialog.logic.result());
}

void ConsoleUi::warningsDialog(ObjImporter& importer) {
    for (const std::string& w : importer.warnings) out_ << w << "\n";
}

void ConsoleUi::messageBox(ObjImporter&, const char* text) { messages_.emplace_back(text); }

int ConsoleUi::askForMap(ObjImporter& importer) {
    if (nextSearchFolder_ >= choices_.searchFolders.size()) return 0;
    useChosenSearchFolder(importer, choices_.searchFolders[nextSearchFolder_++].c_str());
    return 1;
}

}  // namespace qf
