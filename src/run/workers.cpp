#include "run/workers.h"

#include <chrono>
#include <new>
#include <system_error>
#include <unordered_map>

#include "materials/mtl_reader.h"
#include "model/string_table.h"
#include "obj/obj_parser.h"
#include "obj/prescan.h"

#if defined(__linux__)
#include <time.h>
#endif

namespace qf {

namespace {

// The link reads the clock for every value it holds, a few hundred thousand times in an import of
// many groups. Where the system keeps a clock that is several times cheaper to read and still
// ticks at least once per interval, it reads that one.
std::chrono::microseconds monotonicNow() {
    using namespace std::chrono;
#if defined(__linux__)
    static const bool coarseIsFineEnough = [] {
        timespec resolution{};
        return clock_getres(CLOCK_MONOTONIC_COARSE, &resolution) == 0 && resolution.tv_sec == 0 &&
               nanoseconds(resolution.tv_nsec) <= kDisplayInterval;
    }();
    timespec now{};
    if (coarseIsFineEnough && clock_gettime(CLOCK_MONOTONIC_COARSE, &now) == 0)
        return duration_cast<microseconds>(seconds(now.tv_sec) + nanoseconds(now.tv_nsec));
#endif
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch());
}

}  // namespace

intptr_t MessageChannel::call(const std::function<intptr_t()>& work) {
    std::lock_guard<std::mutex> one(senders_);
    std::unique_lock<std::mutex> lock(mutex_);
    pending_ = &work;
    done_ = false;
    workReady_.notify_one();
    workDone_.wait(lock, [&] { return done_; });
    pending_ = nullptr;
    if (failure_) {
        // Thrown on the serving thread it would leave this thread waiting here for good, and end
        // the process once the serving thread unwound past the worker it has not joined.
        const std::exception_ptr failure = std::move(failure_);
        failure_ = nullptr;
        lock.unlock();
        std::rethrow_exception(failure);
    }
    return result_;
}

void MessageChannel::serve(const std::function<bool()>& finished) {
    // The poll interval lets finished() notice what no call announces (an interrupt, a flag).
    constexpr auto kPollInterval = std::chrono::milliseconds(50);
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (pending_ && !done_) {
            const std::function<intptr_t()>* work = pending_;
            lock.unlock();
            intptr_t result = 0;
            std::exception_ptr failure;
            try {
                result = (*work)();
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            result_ = result;
            failure_ = failure;
            done_ = true;
            workDone_.notify_one();
            continue;
        }
        woken_ = false;
        lock.unlock();
        const bool over = finished();
        lock.lock();
        if (over) return;
        workReady_.wait_for(lock, kPollInterval, [&] { return (pending_ && !done_) || woken_; });
    }
}

void MessageChannel::wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
    workReady_.notify_one();
}

intptr_t ChannelLink::send(DialogMessage code, uintptr_t wParam, intptr_t lParam) {
    return channel_.call([&] { return dialog_.send(code, wParam, lParam); });
}

void ChannelLink::addObjectRows(const ObjectRow* rows, size_t count) {
    channel_.call([&] {
        dialog_.addObjectRows(rows, count);
        return intptr_t(0);
    });
}

void ChannelLink::showMessage(int textId) {
    channel_.call([&] {
        dialog_.showMessage(textId);
        return intptr_t(0);
    });
}

void ChannelLink::endDialog(intptr_t result) {
    channel_.call([&] {
        dialog_.endDialog(result);
        return intptr_t(0);
    });
}

ThrottledLink::ThrottledLink(DialogLink& dialog, std::chrono::microseconds interval, Clock now)
    : dialog_(dialog), interval_(interval), clock_(std::move(now)) {}

std::chrono::microseconds ThrottledLink::now() const {
    return clock_ ? clock_() : monotonicNow();
}

void ThrottledLink::hold(Slot slot, uintptr_t wParam, intptr_t lParam) {
    bool already = false;
    for (int i = 0; i < held_; ++i) already = already || order_[i] == slot;
    if (!already) order_[held_++] = slot;
    wParams_[slot] = wParam;
    lParams_[slot] = lParam;
    const std::chrono::microseconds t = now();
    if (!passedOnce_ || t - lastPassed_ >= interval_) {
        flush();
        passedOnce_ = true;
        lastPassed_ = t;
    }
}

void ThrottledLink::flush() {
    const int count = held_;
    held_ = 0;
    for (int i = 0; i < count; ++i) {
        const Slot slot = order_[i];
        switch (slot) {
        case kPhase:
            dialog_.send(DialogMessage::Phase, wParams_[slot], lParams_[slot]);
            break;
        case kProgress:
            dialog_.send(DialogMessage::Progress, wParams_[slot], lParams_[slot]);
            break;
        case kScanProgress:
            dialog_.send(DialogMessage::ScanProgress, wParams_[slot], lParams_[slot]);
            break;
        case kVertexCount:
        case kPolygonCount:
            dialog_.send(DialogMessage::Count, wParams_[slot], lParams_[slot]);
            break;
        case kCurrentObject:
            dialog_.send(DialogMessage::CurrentObject, wParams_[slot], reinterpret_cast<intptr_t>(currentObject_.c_str()));
            break;
        case kSlotCount:
            break;
        }
    }
}

intptr_t ThrottledLink::send(DialogMessage code, uintptr_t wParam, intptr_t lParam) {
    switch (code) {
    case DialogMessage::Phase:
        hold(kPhase, wParam, lParam);
        return 0;
    case DialogMessage::Progress:
        hold(kProgress, wParam, lParam);
        return 0;
    case DialogMessage::ScanProgress:
        hold(kScanProgress, wParam, lParam);
        return 0;
    case DialogMessage::Count:
        if (wParam > 1) break;
        hold(wParam == 0 ? kVertexCount : kPolygonCount, wParam, lParam);
        return 0;
    case DialogMessage::CurrentObject:
        if (!lParam) break;
        currentObject_.assign(reinterpret_cast<const char*>(lParam));
        hold(kCurrentObject, wParam, 0);
        return 0;
    default:
        break;
    }
    flush();
    return dialog_.send(code, wParam, lParam);
}

void ThrottledLink::addObjectRows(const ObjectRow* rows, size_t count) {
    flush();
    dialog_.addObjectRows(rows, count);
}

void ThrottledLink::showMessage(int textId) {
    flush();
    dialog_.showMessage(textId);
}

void ThrottledLink::endDialog(intptr_t result) {
    flush();
    dialog_.endDialog(result);
}

void prescanWorkerBody(ObjImporter& importer, DialogLink& dialog) {
    ThrottledLink link(dialog);
    try {
        prescanObj(importer, link);
    } catch (const std::bad_alloc&) {
        // The pass holds its own shortages; this is one of the dialog's rows or reports.
        importer.setOutOfMemory("scan the file");
    }
    if (importer.aborted) link.endDialog(0);
    link.send(DialogMessage::ScanDone, 0, 0);
}

void importWorkerBody(ObjImporter& importer, DialogLink& dialog) {
    ThrottledLink link(dialog);
    try {
        readMaterialLibraries(importer, link);
    } catch (const std::bad_alloc&) {
        importer.setOutOfMemory("read the material libraries");
    }
    if (!importer.aborted) runParse(importer, link);
    if (importer.aborted) link.endDialog(0);
    link.flush();
}

namespace {

// Worker bodies still running, by the importer they read into. A dialog may end while its worker
// still reads; the run asks here before it closes the file and the importer goes away.
struct RunningWorkers {
    std::mutex mutex;
    std::unordered_map<const ObjImporter*, int> count;
};

RunningWorkers& runningWorkers() {
    static RunningWorkers running;
    return running;
}

void countWorker(const ObjImporter* importer, int change) {
    RunningWorkers& running = runningWorkers();
    std::lock_guard<std::mutex> lock(running.mutex);
    if ((running.count[importer] += change) <= 0) running.count.erase(importer);
}

bool startWorker(ObjImporter& importer, std::thread& worker, std::atomic<bool>* finished,
                 std::function<void()> body) {
    if (finished) finished->store(false);
    bool counted = false;
    try {
        countWorker(&importer, +1);
        counted = true;
        worker = std::thread([finished, owner = &importer, body = std::move(body)] {
            try {
                body();
            } catch (const std::bad_alloc&) {
                // Memory ran out even for ending the dialog: the run learns it from the error
                // and from the finished flag, which its dialog waits for too. An error the
                // reading met first (a fault of the file, on its line) is the one to report.
                if (owner->errorText[0]) owner->aborted = true;
                else owner->setOutOfMemory("read the file");
            } catch (...) {
                // Anything else is a fault of ours, not of the file. Left to leave the thread it
                // would end the host's whole process, and the user's scene with it.
                if (!owner->errorText[0]) owner->setError(IDS_ERROR_CREATING_MESHES);
                owner->aborted = true;
            }
            if (finished) finished->store(true);
            // The last thing the thread does: from here on the importer may be destroyed.
            countWorker(owner, -1);
        });
        return true;
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
        // The thread's record, or the worker's count, needs memory as well: no thread either way.
    }
    if (counted) countWorker(&importer, -1);  // a worker counted for good would be waited for for good
    importer.setError(IDS_CANNOT_CREATE_THREAD);
    return false;
}

}  // namespace

bool workerRunning(const ObjImporter& importer) {
    RunningWorkers& running = runningWorkers();
    std::lock_guard<std::mutex> lock(running.mutex);
    return running.count.count(&importer) != 0;
}

bool startPrescanWorker(ObjImporter& importer, DialogLink& dialog, std::thread& worker, std::atomic<bool>* finished) {
    return startWorker(importer, worker, finished, [&importer, &dialog] { prescanWorkerBody(importer, dialog); });
}

bool startImportWorker(ObjImporter& importer, DialogLink& dialog, std::thread& worker, std::atomic<bool>* finished) {
    return startWorker(importer, worker, finished, [&importer, &dialog] { importWorkerBody(importer, dialog); });
}

}  // namespace qf
