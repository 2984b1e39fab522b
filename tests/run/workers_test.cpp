#include "run/workers.h"

#include <gtest/gtest.h>

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
    dialog.cancelAfter = 3;
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
    EXPECT_EQ(dialog.texts, (std::vector<std::string>{"first", "second"}));
}

}  // namespace
}  // namespace qf
