// Codes of the messages that the readers and builders send to the dialog that runs them, and the
// seam through which they reach it: a window on Windows, a channel or a recorder elsewhere.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qf {

enum class DialogMessage : uint32_t {
    Phase = 0x800B,            // wParam: string id or 0
    Progress = 0x800C,         // lParam: progress value against progressTotal
    ReadingDone = 0x800D,      // reading succeeded; build the scene
    Count = 0x800E,            // wParam: which counter, lParam: the count
    ScanDone = 0x800F,         // pre-scan finished
    ScanProgress = 0x8010,     // lParam: bytes read
    ReadingFailed = 0x8011,    // reading failed or was cancelled
    Fraction = 0x8012,         // lParam: address of a float
    CurrentObject = 0x8013,    // lParam: address of a text
};

// One row of the options dialog's object list: an object with polygons, tied to its record by
// its place in ObjImporter::objects, never by its name.
struct ObjectRow {
    const char* name;
    int32_t polygons;
    int32_t record;
};

// The dialog that a worker reports to. Every call is synchronous: it returns only once the
// dialog's thread has handled it, so addresses passed in lParam stay valid for the call.
class DialogLink {
public:
    virtual ~DialogLink() = default;
    virtual intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) = 0;
    // Rows of the options dialog's object list, check boxes on; the worker hands them over in
    // batches, so that a file of many groups costs few calls.
    virtual void addObjectRows(const ObjectRow* rows, size_t count) = 0;
    // A message box owned by the dialog, with a text of the string table.
    virtual void showMessage(int textId) = 0;
    // Ends the dialog with a result, as a worker does when its reading was cancelled.
    virtual void endDialog(intptr_t /*result*/) {}
};

// A link that drops everything: for runs that nobody watches.
class SilentLink final : public DialogLink {
public:
    intptr_t send(DialogMessage, uintptr_t, intptr_t) override { return 0; }
    void addObjectRows(const ObjectRow*, size_t) override {}
    void showMessage(int) override {}
};

}  // namespace qf
