// Memory that runs out on the thread that starts the workers and serves their dialogs. A program
// of its own: it replaces the allocator, so that from some allocation on every one made by that
// thread fails, as when the system has no more to give.
#include <gtest/gtest.h>

// The replaced operator new below takes its blocks from malloc, so free is their match; GCC sees
// the standard operator new inlined into the delete and cannot tell.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <cstdlib>
#include <new>
#include <sstream>

#include "model/string_table.h"
#include "qfobjimp/console_ui.h"
#include "run/import_run.h"
#include "run/workers.h"
#include "support/scene_access.h"
#include "support/test_support.h"

namespace {

// Allocations the thread may still make; -1 for no limit.
thread_local long allocationsLeft = -1;
thread_local bool allocationFailed = false;

}  // namespace

void* operator new(std::size_t size) {
    if (allocationsLeft == 0) {
        allocationFailed = true;
        throw std::bad_alloc();
    }
    if (allocationsLeft > 0) --allocationsLeft;
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace qf {
namespace {

// Runs f with this thread's allocations failing from the given one on; true when one failed.
template <typename F>
bool starvedFrom(long allowed, F f) {
    allocationFailed = false;
    allocationsLeft = allowed;
    try {
        f();
    } catch (const std::bad_alloc&) {
        allocationFailed = true;
    }
    allocationsLeft = -1;
    return allocationFailed;
}

// A worker that cannot be had for want of memory is an error of the run, and nobody waits for it.
TEST(WorkerMemory, NoThreadForWantOfMemoryIsTheRunsError) {
    bool failed = true;
    for (long allowed = 0; failed; ++allowed) {
        ASSERT_LT(allowed, 100);
        test::MemoryImport m("v 0 0 0\nv 1 0 0\nv 0 1 0\ng a\nf 1 2 3\n");
        test::RecordingLink dialog;
        std::thread worker;
        std::atomic<bool> finished{false};
        bool started = false, thrown = false;
        failed = starvedFrom(allowed, [&] {
            try {
                started = startPrescanWorker(m.importer, dialog, worker, &finished);
            } catch (const std::bad_alloc&) {
                thrown = true;
            }
        });
        if (worker.joinable()) worker.join();
        EXPECT_FALSE(thrown) << "allocation " << allowed;
        EXPECT_EQ(started, !failed) << "allocation " << allowed;
        if (!started) {
            EXPECT_STREQ(m.importer.errorText, loadText(IDS_CANNOT_CREATE_THREAD));
        }
        EXPECT_FALSE(workerRunning(m.importer)) << "allocation " << allowed;
    }
}

// A whole run through the console's dialogs, its memory running out at each allocation of the
// thread that serves them in turn: the run ends, with its workers, and says why when it can (or
// throws, for its caller to say). Past the start every fifth allocation is enough: once the
// scene is being built each run waits for its worker's end without a thread to wake it.
TEST(WorkerMemory, RunsEndWhereverTheServingThreadRunsOutOfMemory) {
    test::TempDir dir;
    const std::string path =
        dir.write("m.obj", "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\ng a part\nusemtl red\n"
                           "f 1/1 2/1 3/1\ng b\nf 3 2 1\n");
    dir.write("m.mtl", "newmtl red\nKd 1 0 0\nmap_Kd red.png\n");
    dir.write("red.png", "x");
    ConsoleChoices choices;
    bool failed = true;
    long allowed = 0;
    for (; failed; allowed += allowed < 100 ? 1 : 5) {
        ASSERT_LT(allowed, 100000);
        test::hostScene().resetAll();
        auto importer = std::make_unique<ObjImporter>();
        std::ostringstream out;
        ConsoleUi ui(choices, out);
        int result = -1;
        failed = starvedFrom(allowed, [&] {
            result = runImport(*importer, path.c_str(), dir.path("qfObjImp.dll").c_str(), ui);
        });
        EXPECT_FALSE(workerRunning(*importer)) << "allocation " << allowed;
        // Told: by the run's message, or by the memory error that ended it.
        if (result == 0) {
            EXPECT_FALSE(ui.messages().empty()) << "allocation " << allowed;
        }
    }
    EXPECT_GT(allowed, 100);  // the start, at least, was starved at each of its steps
}

}  // namespace
}  // namespace qf
