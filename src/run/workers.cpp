#include "run/workers.h"

#include <chrono>
#include <system_error>

#include "materials/mtl_reader.h"
#include "obj/obj_parser.h"
#include "obj/prescan.h"
#include "run/string_table.h"

namespace qf {

intptr_t MessageChannel::call(const std::function<intptr_t()>& work) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return pending_ == nullptr; });  // one sender at a time
    pending_ = &work;
    done_ = false;
    changed_.notify_all();
    changed_.wait(lock, [&] { return done_; });
    const intptr_t result = result_;
    pending_ = nullptr;
    done_ = false;
    changed_.notify_all();
    return result;
}

void MessageChannel::serve(const std::function<bool()>& finished) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (pending_ && !done_) {
            const std::function<intptr_t()>* work = pending_;
            lock.unlock();
            const intptr_t result = (*work)();
            lock.lock();
            result_ = result;
            done_ = true;
            changed_.notify_all();
            continue;
        }
        woken_ = false;
        lock.unlock();
        const bool stop = finished();
        lock.lock();
        if (stop) return;
        changed_.wait_for(lock, std::chrono::milliseconds(50), [&] { return (pending_ && !done_) || woken_; });
    }
}

void MessageChannel::wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
    changed_.notify_all();
}

intptr_t ChannelLink::send(DialogMessage code, uintptr_t wParam, intptr_t lParam) {
    return channel_.call([&] { return dialog_.send(code, wParam, lParam); });
}

void ChannelLink::addObjectRow(const char* name, int32_t polygons) {
    channel_.call([&] {
        dialog_.addObjectRow(name, polygons);
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

bool startWorker(ObjImporter& importer, std::thread& worker, std::function<void()> body) {
    try {
        worker = std::thread(std::move(body));
        return true;
    } catch (const std::system_error&) {
        importer.setError(IDS_CANNOT_CREATE_THREAD);
        return false;
    }
}

}  // namespace

bool startPrescanWorker(ObjImporter& importer, DialogLink& dialog, std::thread& worker) {
    return startWorker(importer, worker, [&importer, &dialog] { prescanWorkerBody(importer, dialog); });
}

bool startImportWorker(ObjImporter& importer, DialogLink& dialog, std::thread& worker) {
    return startWorker(importer, worker, [&importer, &dialog] { importWorkerBody(importer, dialog); });
}

}  // namespace qf
