#include "run/workers.h"

#include <chrono>
#include <system_error>

#include "materials/mtl_reader.h"
#include "model/string_table.h"
#include "obj/obj_parser.h"
#include "obj/prescan.h"

namespace qf {

namespace {

// Both sides wait for the other with a short spin before they sleep: a parse of many groups sends
// hundreds of thousands of messages, and a sleep and wake-up for each would cost more than the
// parse itself.
constexpr int kSpinRounds = 4000;

inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

template <typename Ready>
bool spinUntil(Ready ready) {
    for (int i = 0; i < kSpinRounds; ++i) {
        if (ready()) return true;
        relax();
    }
    return ready();
}

}  // namespace

bool MessageChannel::hasWork() const {
    return pending_.load(std::memory_order_acquire) != nullptr && !done_.load(std::memory_order_acquire);
}

intptr_t MessageChannel::call(const std::function<intptr_t()>& work) {
    std::lock_guard<std::mutex> one(senders_);
    done_.store(false, std::memory_order_release);
    pending_.store(&work, std::memory_order_release);
    {
        std::lock_guard<std::mutex> lock(mutex_);
    }
    changed_.notify_all();
    auto finished = [&] { return done_.load(std::memory_order_acquire); };
    if (!spinUntil(finished)) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, finished);
    }
    const intptr_t result = result_;
    pending_.store(nullptr, std::memory_order_release);
    return result;
}

void MessageChannel::serve(const std::function<bool()>& finished) {
    for (;;) {
        if (hasWork()) {
            result_ = (*pending_.load(std::memory_order_acquire))();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                done_.store(true, std::memory_order_release);
            }
            changed_.notify_all();
            continue;
        }
        woken_.store(false, std::memory_order_release);
        if (finished()) return;
        auto ready = [&] { return hasWork() || woken_.load(std::memory_order_acquire); };
        if (spinUntil(ready)) continue;
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(50), ready);
    }
}

void MessageChannel::wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_.store(true, std::memory_order_release);
    }
    changed_.notify_all();
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

void prescanWorkerBody(ObjImporter& importer, DialogLink& dialog) {
    prescanObj(importer, dialog);
    if (importer.aborted) dialog.endDialog(0);
    dialog.send(DialogMessage::ScanDone, 0, 0);
}

void importWorkerBody(ObjImporter& importer, DialogLink& dialog) {
    readMaterialLibraries(importer, dialog);
    if (!importer.aborted) runParse(importer, dialog);
    if (importer.aborted) dialog.endDialog(0);
}

namespace {

bool startWorker(ObjImporter& importer, std::thread& worker, std::atomic<bool>* finished,
                 std::function<void()> body) {
    if (finished) finished->store(false);
    try {
        worker = std::thread([finished, body = std::move(body)] {
            body();
            if (finished) finished->store(true);
        });
        return true;
    } catch (const std::system_error&) {
        importer.setError(IDS_CANNOT_CREATE_THREAD);
        return false;
    }
}

}  // namespace

bool startPrescanWorker(ObjImporter& importer, DialogLink& dialog, std::thread& worker, std::atomic<bool>* finished) {
    return startWorker(importer, worker, finished, [&importer, &dialog] { prescanWorkerBody(importer, dialog); });
}

bool startImportWorker(ObjImporter& importer, DialogLink& dialog, std::thread& worker, std::atomic<bool>* finished) {
    return startWorker(importer, worker, finished, [&importer, &dialog] { importWorkerBody(importer, dialog); });
}

}  // namespace qf
