#include "run/workers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "model/string_table.h"
#include "obj/prescan.h"
#include "support/test_support.h"

namespace qf {
namespace {

// A dialog that records on the serving thread what reaches it.
struct ServedDialog : test::RecordingLink {
    std::thread::id servedOn;
    std::vector<std::thread::id> threads;
    bool ended = false;
    intptr_t result = -1;
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
        threads.push_back(std::this_thread::get_id());
        if (code == DialogMessage::CurrentObject) texts.emplace_back(reinterpret_cast<const char*>(lParam));
        return RecordingLink::send(code, wParam, lParam);
    }
    void endDialog(intptr_t value) override {
        ended = true;
        result = value;
    }
    std::vector<std::string> texts;
};

TEST(Workers, PrescanReportsOnTheServingThreadAndEndsWithScanDone) {
    test::MemoryImport m("v 0 0 0\ng a\nf 1 1 1\ng b\nf 1 1 1\n");
    ServedDialog dialog;
    MessageChannel channel;
    ChannelLink link(channel, dialog);
    std::thread worker;
    std::atomic<bool> finished{true};
    ASSERT_TRUE(startPrescanWorker(m.importer, link, worker, &finished));
    channel.serve([&] { return finished.load(); });  // the flag is set only once the body returned
    EXPECT_EQ(dialog.count(DialogMessage::ScanDone), 1);
    worker.join();
    for (auto id : dialog.threads) EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_EQ(dialog.rows.size(), 2u);
    EXPECT_FALSE(dialog.ended);
}

TEST(Workers, CancelledPrescanEndsTheDialogWithZeroAndStillSendsScanDone) {
    std::string file;
    for (int i = 0; i < 100; ++i) file += "v 0 0 0\ng g" + std::to_string(i) + "\nf 1 1 1\n";
    test::MemoryImport m(file);
    ServedDialog dialog;
    dialog.cancelFlag = &m.importer.aborted;
    dialog.cancelAfter = 1;  // Cancel as soon as the dialog hears from the scan
    MessageChannel channel;
    ChannelLink link(channel, dialog);
    std::thread worker;
    ASSERT_TRUE(startPrescanWorker(m.importer, link, worker));
    channel.serve([&] { return dialog.count(DialogMessage::ScanDone) > 0; });
    worker.join();
    EXPECT_TRUE(dialog.ended);
    EXPECT_EQ(dialog.result, 0);
    EXPECT_EQ(dialog.messages.back().code, DialogMessage::ScanDone);
}

TEST(Workers, ImportCancelledDuringTheLibrariesParsesNothing) {
    test::MemoryImport m("mtllib a.mtl\nv 0 0 0\ng a\nf 1 1 1\n");
    m.prescan();
    m.importer.objects[0]->selected = true;
    m.importer.aborted = true;  // Cancel Import while the libraries are read
    ServedDialog dialog;
    MessageChannel channel;
    ChannelLink link(channel, dialog);
    std::thread worker;
    ASSERT_TRUE(startImportWorker(m.importer, link, worker));
    channel.serve([&] { return dialog.ended; });
    worker.join();
    EXPECT_EQ(dialog.result, 0);
    EXPECT_TRUE(m.importer.meshes.empty());
    EXPECT_EQ(dialog.count(DialogMessage::ReadingDone) + dialog.count(DialogMessage::ReadingFailed), 0);
}

TEST(Workers, AddressesSentStayValidDuringTheSend) {
    test::MemoryImport m("v 0 0 0\ng first\nf 1 1 1\ng second\nf 1 1 1\n");
    m.prescan();
    for (auto& o : m.importer.objects) o->selected = true;
    ServedDialog dialog;
    MessageChannel channel;
    ChannelLink link(channel, dialog);
    std::thread worker;
    ASSERT_TRUE(startImportWorker(m.importer, link, worker));
    channel.serve([&] { return dialog.count(DialogMessage::ReadingDone) > 0; });
    worker.join();
    ASSERT_FALSE(dialog.texts.empty());
    EXPECT_EQ(dialog.texts.back(), "second");
}

// Messages that need memory that is not there, as the worker sends them: the one that matches
// (or, with any set, every message and every end) throws as an allocation would, before it
// reaches the dialog.
struct StarvedLink : DialogLink {
    explicit StarvedLink(DialogLink& to) : dialog(to) {}
    DialogLink& dialog;
    DialogMessage from = DialogMessage::Phase;
    uintptr_t fromWParam = 0;
    bool any = false;
    bool thrown = false;
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
        if (any || (!thrown && code == from && wParam == fromWParam)) {
            thrown = true;
            throw std::bad_alloc();
        }
        return dialog.send(code, wParam, lParam);
    }
    void addObjectRows(const ObjectRow* rows, size_t count) override {
        if (any) throw std::bad_alloc();
        dialog.addObjectRows(rows, count);
    }
    void showMessage(int textId) override { dialog.showMessage(textId); }
    void endDialog(intptr_t value) override {
        if (any) throw std::bad_alloc();
        dialog.endDialog(value);
    }
};

// Runs the scan of m, or its import (after a scan, the first object selected), on a worker thread
// whose messages the channel serves until the worker has finished.
void runServedWorker(test::MemoryImport& m, bool import, DialogLink& link, MessageChannel& channel) {
    if (import) {
        m.prescan();
        m.importer.objects[0]->selected = true;
    }
    std::thread worker;
    std::atomic<bool> finished{false};
    ASSERT_TRUE(import ? startImportWorker(m.importer, link, worker, &finished)
                       : startPrescanWorker(m.importer, link, worker, &finished));
    channel.serve([&] { return finished.load(); });
    worker.join();
}

// Memory that runs out in a worker ends the run with the reason as its error, never the process.
TEST(Workers, MemoryRunningOutEndsTheReadingWithWhatFailed) {
    const char* file = "mtllib a.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\ng a\nf 1 2 3\n";
    struct Case {
        DialogMessage code;
        uintptr_t wParam;
        const char* error;
    } cases[] = {{DialogMessage::Phase, IDS_IMPORTING_MATERIALS, "not enough memory to read the material libraries"},
                 {DialogMessage::Fraction, 0, "not enough memory to read the file"}};
    for (const Case& c : cases) {
        test::MemoryImport m(file);
        m.prescan();
        m.importer.objects[0]->selected = true;
        ServedDialog dialog;
        StarvedLink starved(dialog);
        starved.from = c.code;
        starved.fromWParam = c.wParam;
        importWorkerBody(m.importer, starved);
        EXPECT_STREQ(m.importer.errorText, c.error);
        EXPECT_TRUE(m.importer.aborted);
        EXPECT_EQ(m.importer.errorLine, 0u);
    }

    // Nothing at all gets through to the dialog, not even its end: the worker thread still ends,
    // and its finished flag is what the dialog can wait for. The error names the step that ran
    // out first.
    for (bool import : {false, true}) {
        test::MemoryImport m(file);
        ServedDialog dialog;
        MessageChannel channel;
        ChannelLink link(channel, dialog);
        StarvedLink starved(link);
        starved.any = true;
        runServedWorker(m, import, starved, channel);
        EXPECT_STREQ(m.importer.errorText, import ? "not enough memory to read the material libraries"
                                                  : "not enough memory to scan the file");
        EXPECT_TRUE(m.importer.aborted);
        EXPECT_FALSE(dialog.ended);
    }
}

// A dialog that cannot even be ended, for want of memory on its side, leaves the run the error
// the reading met first: the file's own fault, on its line, is what the user has to mend.
TEST(Workers, TheReadingsOwnErrorOutlivesADialogThatCannotBeEnded) {
    struct UnendingDialog : ServedDialog {
        void endDialog(intptr_t) override { throw std::bad_alloc(); }
    };
    test::MemoryImport m("v 0 0 0\ng a\nf 1 2 3\n");
    UnendingDialog dialog;
    MessageChannel channel;
    ChannelLink link(channel, dialog);
    runServedWorker(m, true, link, channel);
    EXPECT_STREQ(m.importer.errorText, "invalid vertex index");
    EXPECT_EQ(m.importer.errorLine, 3u);
    EXPECT_TRUE(m.importer.aborted);
}

// The dialog's side of a message needs memory too (the console's dialogs copy the phase's text and
// the object's name): a shortage there reaches the worker as its own would, and the serving thread
// goes on until the worker has ended. Anything else thrown there (a fault of ours, not of the file)
// ends the reading with an error as well: left to leave the worker's thread it would end the whole
// process.
TEST(Workers, AFailureInTheDialogEndsTheReadingWithWhatFailed) {
    struct FailingDialog : ServedDialog {
        bool starved = true;
        void fail() const {
            if (starved) throw std::bad_alloc();
            throw std::logic_error("fault");
        }
        intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
            if (code == DialogMessage::CurrentObject) fail();
            return ServedDialog::send(code, wParam, lParam);
        }
        void addObjectRows(const ObjectRow*, size_t) override { fail(); }
    };
    for (bool starved : {true, false}) {
        for (bool import : {false, true}) {
            test::MemoryImport m("v 0 0 0\nv 1 0 0\nv 0 1 0\ng a\nf 1 2 3\n");
            FailingDialog dialog;
            dialog.starved = starved;
            MessageChannel channel;
            ChannelLink link(channel, dialog);
            runServedWorker(m, import, link, channel);
            const char* expected = !starved ? "error creating meshes"
                                   : import ? "not enough memory to read the file"
                                            : "not enough memory to scan the file";
            EXPECT_STREQ(m.importer.errorText, expected);
            EXPECT_TRUE(m.importer.aborted);
            EXPECT_EQ(dialog.count(DialogMessage::ReadingDone), 0);
        }
    }
}

// What a dialog shows, folded from the messages that reach it: one picture per message that is
// not a phase, a counter, a progress value or an object name.
struct ScreenDialog : DialogLink {
    struct Screen {
        DialogMessage at;
        intptr_t phase = -1, progress = -1, scanProgress = -1, vertices = -1, polygons = -1;
        std::string object;
        bool operator==(const Screen&) const = default;
    };
    Screen now;
    std::vector<Screen> pictures;
    std::vector<test::SentMessage> messages;
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
        messages.push_back({code, wParam, lParam});
        switch (code) {
        case DialogMessage::Phase: now.phase = intptr_t(wParam); break;
        case DialogMessage::Progress: now.progress = lParam; break;
        case DialogMessage::ScanProgress: now.scanProgress = lParam; break;
        case DialogMessage::Count: (wParam ? now.polygons : now.vertices) = lParam; break;
        case DialogMessage::CurrentObject: now.object = reinterpret_cast<const char*>(lParam); break;
        default:
            now.at = code;
            pictures.push_back(now);
        }
        return 0;
    }
    void addObjectRows(const ObjectRow*, size_t) override { send(DialogMessage::ScanDone, 99, 0); }
    void showMessage(int) override {}
};

std::string manyGroups() {
    std::string file = "mtllib none.mtl\n";
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i + 1);
        file += "g part" + n + "\nusemtl m\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\nf -1 -2 -3\n";
    }
    return file;
}

// Both passes into a dialog, directly or through a throttle with the given clock.
ScreenDialog runPasses(const std::function<std::chrono::microseconds()>* clock) {
    test::MemoryImport m(manyGroups());
    ScreenDialog dialog;
    std::unique_ptr<ThrottledLink> throttle;
    if (clock) throttle = std::make_unique<ThrottledLink>(dialog, kDisplayInterval, *clock);
    DialogLink& link = throttle ? static_cast<DialogLink&>(*throttle) : dialog;
    prescanObj(m.importer, link);
    for (auto& o : m.importer.objects) o->selected = true;
    importWorkerBody(m.importer, link);  // throttled once more inside: the outer throttle sees less
    link.send(DialogMessage::ScanDone, 0, 0);
    return dialog;
}

TEST(ThrottledLink, ShowsAtEveryOtherMessageWhatEveryMessageWouldHaveShown) {
    const ScreenDialog direct = runPasses(nullptr);
    const std::function<std::chrono::microseconds()> frozen = [] { return std::chrono::microseconds(0); };
    const ScreenDialog held = runPasses(&frozen);
    EXPECT_EQ(held.pictures, direct.pictures);
    EXPECT_LT(held.messages.size() * 4, direct.messages.size());
    EXPECT_EQ(direct.pictures.back().object, "part40");
}

TEST(ThrottledLink, PassesOnTheLatestValuesOncePerInterval) {
    ScreenDialog dialog;
    std::chrono::microseconds t{0};
    ThrottledLink link(dialog, std::chrono::microseconds(4000), [&] { return t; });
    auto codes = [&] {
        std::vector<std::pair<DialogMessage, intptr_t>> out;
        for (const auto& m : dialog.messages) out.emplace_back(m.code, m.lParam);
        dialog.messages.clear();
        return out;
    };
    using P = std::vector<std::pair<DialogMessage, intptr_t>>;
    link.send(DialogMessage::Progress, 0, 1);  // the first passes at once
    EXPECT_EQ(codes(), (P{{DialogMessage::Progress, 1}}));
    t = std::chrono::microseconds(1000);
    link.send(DialogMessage::Count, 1, 7);
    link.send(DialogMessage::Progress, 0, 2);
    link.send(DialogMessage::Count, 1, 8);
    EXPECT_TRUE(codes().empty());
    t = std::chrono::microseconds(4000);
    link.send(DialogMessage::Progress, 0, 3);
    EXPECT_EQ(codes(), (P{{DialogMessage::Count, 8}, {DialogMessage::Progress, 3}}));
    t = std::chrono::microseconds(4500);
    link.send(DialogMessage::Count, 0, 9);
    EXPECT_TRUE(codes().empty());
    link.flush();
    EXPECT_EQ(codes(), (P{{DialogMessage::Count, 9}}));
}

TEST(ThrottledLink, KeepsItsOwnCopyOfAHeldObjectName) {
    ScreenDialog dialog;
    ThrottledLink link(dialog, std::chrono::microseconds(4000), [] { return std::chrono::microseconds(0); });
    link.send(DialogMessage::Progress, 0, 0);
    char name[16] = "wheel";
    link.send(DialogMessage::CurrentObject, 0, reinterpret_cast<intptr_t>(name));
    std::strcpy(name, "gone");
    link.endDialog(1);
    EXPECT_EQ(dialog.now.object, "wheel");
}

}  // namespace
}  // namespace qf
