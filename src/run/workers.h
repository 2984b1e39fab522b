// The two worker threads of a run and the synchronous message channel they report through.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "model/import_model.h"
#include "model/messages.h"

namespace qf {

// Calls from worker threads, each run on the thread that serves the channel while the worker
// waits: what a synchronous window message is on Windows.
class MessageChannel {
public:
    // Runs the call on the serving thread and returns its result.
    intptr_t call(const std::function<intptr_t()>& work);
    // Runs calls as they come until finished() is true; finished is checked after every call and
    // at least every poll interval.
    void serve(const std::function<bool()>& finished);
    // Makes serve() look at finished() again at once.
    void wake();

private:
    bool hasWork() const;
    std::mutex senders_;  // one call at a time
    std::mutex mutex_;    // only for sleeping and waking
    std::condition_variable changed_;
    std::atomic<const std::function<intptr_t()>*> pending_{nullptr};
    std::atomic<bool> done_{false};
    std::atomic<bool> woken_{false};
    intptr_t result_ = 0;
};

// A dialog seen from a worker: every call crosses the channel to the dialog's own link.
class ChannelLink final : public DialogLink {
public:
    ChannelLink(MessageChannel& channel, DialogLink& dialog) : channel_(channel), dialog_(dialog) {}
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override;
    void addObjectRows(const ObjectRow* rows, size_t count) override;
    void showMessage(int textId) override;
    void endDialog(intptr_t result) override;

private:
    MessageChannel& channel_;
    DialogLink& dialog_;
};

// The pre-scan worker's body: pre-scan, the dialog ended when cancelled, then ScanDone.
void prescanWorkerBody(ObjImporter& importer, DialogLink& dialog);
// The import worker's body: MTL libraries, then the parse pass unless cancelled meanwhile.
void importWorkerBody(ObjImporter& importer, DialogLink& dialog);

// Start a worker on its own thread; false with errorText set when no thread can be had. When
// given, finished is set once the worker's body has returned: a window thread that must wait for
// the worker keeps handling the worker's messages until then, and only then joins it.
bool startPrescanWorker(ObjImporter& importer, DialogLink& dialog, std::thread& worker,
                        std::atomic<bool>* finished = nullptr);
bool startImportWorker(ObjImporter& importer, DialogLink& dialog, std::thread& worker,
                       std::atomic<bool>* finished = nullptr);

}  // namespace qf
