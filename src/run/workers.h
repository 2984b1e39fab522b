// The two worker threads of a run and the synchronous message channel they report through.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "model/import_model.h"
#include "model/messages.h"

namespace qf {

// Calls from worker threads, each run on the thread that serves the channel while the worker
// waits: what a synchronous window message is on Windows. Both sides sleep while they wait.
class MessageChannel {
public:
    // Runs the call on the serving thread and returns its result; what the call throws there is
    // thrown here, in the caller's thread, as a window message's caller would see it.
    intptr_t call(const std::function<intptr_t()>& work);
    // Runs calls as they come until finished() is true; finished is checked after every call and
    // at least every poll interval.
    void serve(const std::function<bool()>& finished);
    // Makes serve() look at finished() again at once.
    void wake();

private:
    std::mutex senders_;  // one call at a time
    std::mutex mutex_;    // guards everything below
    std::condition_variable workReady_;
    std::condition_variable workDone_;
    const std::function<intptr_t()>* pending_ = nullptr;
    bool done_ = false;
    bool woken_ = false;
    intptr_t result_ = 0;
    std::exception_ptr failure_;
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

// How often a worker passes on its counters and progress at most: a few times per screen frame.
constexpr std::chrono::microseconds kDisplayInterval{4000};

// The link a worker reports through, and the scene builder too. Counters (Count), progress
// (Progress, ScanProgress), the phase's text (Phase) and the current object's name only say what a
// dialog shows: they are held and passed on, the latest value of each, when kDisplayInterval has
// gone by since they were last passed on, and always before any other call. The dialog thus shows
// at every other message, and at the end, exactly what it would have shown with every message,
// while a file of many groups costs a few hundred crossings to the dialog's thread per second
// instead of one per statement, and a scene of many meshes a few hundred updates of the dialog
// instead of several per mesh.
class ThrottledLink final : public DialogLink {
public:
    using Clock = std::function<std::chrono::microseconds()>;
    explicit ThrottledLink(DialogLink& dialog, std::chrono::microseconds interval = kDisplayInterval,
                           Clock now = nullptr);
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override;
    void addObjectRows(const ObjectRow* rows, size_t count) override;
    void showMessage(int textId) override;
    void endDialog(intptr_t result) override;
    // Passes on what is held.
    void flush();

private:
    enum Slot : uint8_t { kPhase, kProgress, kScanProgress, kVertexCount, kPolygonCount, kCurrentObject, kSlotCount };
    void hold(Slot slot, uintptr_t wParam, intptr_t lParam);
    std::chrono::microseconds now() const;

    DialogLink& dialog_;
    const std::chrono::microseconds interval_;
    const Clock clock_;
    std::chrono::microseconds lastPassed_{};
    bool passedOnce_ = false;
    uintptr_t wParams_[kSlotCount] = {};
    intptr_t lParams_[kSlotCount] = {};
    Slot order_[kSlotCount] = {};  // held slots in the order they were first held since the last pass
    int held_ = 0;
    std::string currentObject_;  // the held name: the sender's text lives only for its call
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

// True while the body of a worker started for this importer has not returned.
bool workerRunning(const ObjImporter& importer);

}  // namespace qf
