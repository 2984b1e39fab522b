// Helpers shared by the tests: importers over in-memory files and a dialog that records.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/import_model.h"
#include "model/messages.h"
#include "obj/input_source.h"

namespace qf::test {

struct SentMessage {
    DialogMessage code;
    uintptr_t wParam;
    intptr_t lParam;
};

// Records every message, row and message box, and can cancel after a number of messages.
class RecordingLink : public DialogLink {
public:
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override;
    void addObjectRows(const ObjectRow* batch, size_t count) override {
        for (size_t i = 0; i < count; ++i) {
            rows.emplace_back(batch[i].name, batch[i].polygons);
            rowRecords.push_back(batch[i].record);
        }
    }
    void showMessage(int textId) override { messageBoxes.push_back(textId); }

    std::vector<SentMessage> messages;
    std::vector<std::pair<std::string, int32_t>> rows;
    std::vector<int32_t> rowRecords;
    std::vector<int> messageBoxes;
    std::atomic<bool>* cancelFlag = nullptr;  // set after cancelAfter messages
    size_t cancelAfter = 0;
    int count(DialogMessage code) const;
};

// An importer reading the given text from memory through a read window of the given size.
class MemoryImport {
public:
    explicit MemoryImport(std::string text, size_t window = kLineBufferSize);
    ObjImporter importer;
    RecordingLink link;
    int prescan();

private:
    std::string text_;
    std::unique_ptr<MemorySource> source_;
};

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string path(const std::string& name) const;
    std::string write(const std::string& name, const std::string& content) const;
    const std::string& root() const { return root_; }

private:
    std::string root_;
};

std::string readFile(const std::string& path);

#if defined(_WIN32)
// A name in the ANSI code page, as the user's files are named; empty when the code page has no
// spelling for it. (In Shift-JIS the katakana so, U+30BD, is 0x83 0x5C: its second byte is '\\'.)
std::string ansi(const wchar_t* text);
#endif

// The path with '/' for every '\\': the importer writes found paths with '/' (or the platform's
// separator where it joins a search folder), so tests compare them this way.
inline std::string slashed(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

}  // namespace qf::test
