// A dialog that ends while its worker still reads: the run keeps the file open, and the importer
// alive, until the worker has stopped.
#include <gtest/gtest.h>

#include <thread>

#include "run/import_run.h"
#include "run/workers.h"
#include "support/scene_access.h"
#include "support/test_support.h"

namespace qf {
namespace {

// Options and progress dialogs that close at once and leave their worker reading on its own.
class HastyUi final : public RunUi {
public:
    explicit HastyUi(int optionsResult) : optionsResult_(optionsResult) {}
    int optionsDialog(ObjImporter& importer) override {
        leaveWorker(importer, startPrescanWorker);
        if (optionsResult_) selectAll(importer);
        return optionsResult_;
    }
    int progressDialog(ObjImporter& importer) override {
        leaveWorker(importer, startImportWorker);
        importer.aborted = true;  // "Cancel Import", the worker still in the middle of the file
        return 0;
    }
    void warningsDialog(ObjImporter&) override {}
    void messageBox(ObjImporter&, const char*) override {}
    MapSearchUi& mapSearch() override { return none_; }
    int waits = 0;
    void waitForWorkers(ObjImporter& importer) override {
        ++waits;
        RunUi::waitForWorkers(importer);
    }

private:
    template <typename Start>
    void leaveWorker(ObjImporter& importer, Start start) {
        std::thread worker;
        ASSERT_TRUE(start(importer, link_, worker, nullptr));
        worker.detach();
    }
    static void selectAll(ObjImporter& importer) {
        // The pre-scan still fills the list: wait for it as the dialog would have before Import.
        while (workerRunning(importer)) std::this_thread::yield();
        for (auto& object : importer.objects) object->selected = true;
    }
    int optionsResult_;
    SilentLink link_;
    NoMapSearch none_;
};

std::string manyGroups(int groups) {
    std::string text;
    for (int g = 0; g < groups; ++g)
        text += "g part" + std::to_string(g) + "\nv 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\n";
    return text;
}

TEST(WorkerWait, CancelledOptionsDialogKeepsTheFileUntilThePrescanStopped) {
    test::hostScene().resetAll();
    test::TempDir dir;
    const std::string obj = dir.write("many.obj", manyGroups(20000));
    auto importer = std::make_unique<ObjImporter>();
    HastyUi ui(0);
    EXPECT_EQ(runImport(*importer, obj.c_str(), dir.path("qfObjImp.dll").c_str(), ui), 0);
    EXPECT_GE(ui.waits, 1);
    EXPECT_FALSE(workerRunning(*importer));
    // The worker read to the end of the file, which was still open.
    EXPECT_EQ(importer->objects.size(), 20000u);
    EXPECT_EQ(importer->objFile, nullptr);
}

TEST(WorkerWait, CancelledProgressDialogKeepsTheFileUntilTheImportWorkerStopped) {
    test::hostScene().resetAll();
    test::TempDir dir;
    const std::string obj = dir.write("many.obj", manyGroups(20000));
    auto importer = std::make_unique<ObjImporter>();
    HastyUi ui(1);
    EXPECT_EQ(runImport(*importer, obj.c_str(), dir.path("qfObjImp.dll").c_str(), ui), 0);
    EXPECT_FALSE(workerRunning(*importer));
    importer.reset();  // what the menu command does next: nothing may still use it
    EXPECT_TRUE(test::sceneObjectNames().empty());
}

}  // namespace
}  // namespace qf
