#include "run/import_run.h"

#include <chrono>
#include <new>
#include <thread>

#include "host/xsi_sdk.h"
#include "model/fixed_text.h"
#include "model/string_table.h"
#include "obj/input_source.h"
#include "run/config_file.h"
#include "run/run_paths.h"
#include "run/workers.h"
#include "scene/material_builder.h"
#include "scene/mesh_builder.h"

namespace qf {

using XSI::CValue;

namespace {

XSI::CValue commandValue(const char* command, std::initializer_list<CValue> arguments) {
    XSI::CValueArray args;
    for (const CValue& a : arguments) args.Add(a);
    CValue out;
    XSI::Application().ExecuteCommand(XSI::AsciiString(command), args, out);
    return out;
}

}  // namespace

void RunUi::waitForWorkers(ObjImporter& importer) {
    while (workerRunning(importer)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

intptr_t ProgressDialogLogic::handle(DialogLink& self, DialogMessage code, uintptr_t wParam, intptr_t lParam) {
    switch (code) {
    case DialogMessage::Phase:
        phase = wParam ? loadText(int(wParam)) : "";
        break;
    case DialogMessage::Progress:
        fraction = importer_.progressTotal ? double(uint64_t(lParam)) / double(importer_.progressTotal) : 0.0;
        break;
    case DialogMessage::Count:
        (wParam == 0 ? vertices : polygons) = lParam;
        break;
    case DialogMessage::CurrentObject:
        currentObject = reinterpret_cast<const char*>(lParam);
        break;
    case DialogMessage::Fraction:
        fraction = *reinterpret_cast<const float*>(lParam);
        break;
    case DialogMessage::ReadingDone:
        // The worker waits in this send while the scene is built here, on the dialog's thread.
        // A cancel that came meanwhile stops between the phases.
        try {
            if (!importer_.aborted) buildMaterials(importer_, self, mapSearch_);
            if (!importer_.aborted) {
                // Several messages per mesh: the dialog sees what they say a few hundred times a second.
                ThrottledLink throttled(self);
                buildMeshes(importer_, throttled);
                throttled.flush();
            }
        } catch (const std::bad_alloc&) {
            // Thrown here it would end the dialog's thread with the worker still waiting.
            importer_.setOutOfMemory("build the scene");
        } catch (...) {
            if (!importer_.errorText[0]) importer_.setError(IDS_ERROR_CREATING_MESHES);
            importer_.aborted = true;
        }
        end(importer_.aborted ? 0 : 1);
        break;
    case DialogMessage::ReadingFailed:
        importer_.aborted = true;
        end(0);
        break;
    default:
        break;
    }
    return 0;
}

int runImport(ObjImporter& importer, const char* objPath, const char* moduleFileName, RunUi& ui,
              const char* configPath) {
    if (configPath) copyBounded(importer.configPath, configPath);
    else configPathBeside(moduleFileName, importer.configPath);
    setRunPaths(importer, objPath);
    importer.progressTotal = fileSize(objPath);
    std::unique_ptr<FileSource> file = FileSource::open(objPath);
    if (!file) {
        // A device or a pipe is never read: it could block the open or never end. A file gone or
        // locked since it was chosen cannot be read either; either way the user learns why
        // nothing was imported.
        const int text = inputPathKind(objPath) == InputPathKind::NotAFile ? IDS_NOT_A_FILE : IDS_CANNOT_OPEN_FILE;
        formatBounded(importer.errorText, sizeof importer.errorText, loadText(text), objPath);
        ui.messageBox(importer, importer.errorText);
        return 0;
    }
    importer.objFile = file.get();
    ui.prepareDialogs(importer);

    XSI::Application app;
    XSI::Desktop desktop = app.GetDesktop();
    importer.hostWindow = desktop.GetApplicationWindowHandle();
    desktop.SuspendWin32ControlsHook();
    bool hookSuspended = true;
    auto restoreHook = [&] {
        if (hookSuspended) desktop.RestoreWin32ControlsHook();
        hookSuspended = false;
    };
    // The file goes only once no worker reads it any more.
    auto closeFile = [&] {
        ui.waitForWorkers(importer);
        importer.objFile = nullptr;
        file.reset();
    };
    auto finish = [&](int result) {
        if (file) closeFile();
        restoreHook();
        if (result) desktop.RedrawUI();
        return result;
    };
    // The host's command log, off while the progress dialog runs.
    bool commandLogOff = false;
    CValue commandLog;
    auto restoreCommandLog = [&] {
        if (commandLogOff) commandValue("SetValue", {XSI::AsciiString("preferences.scripting.cmdlog"), commandLog});
        commandLogOff = false;
    };

    try {
        // The saved folder's tree is walked only when a map is not found beside its library.
        if (loadOptions(importer) && importer.options.mapSearchPath[0])
            addSearchTree(importer, importer.options.mapSearchPath);
        if (!importer.lineBuffer.allocate(kLineBufferSize)) {
            importer.setError(IDS_ERROR_CREATING_MESHES);
            ui.messageBox(importer, importer.errorText);
            return finish(0);
        }

        if (ui.optionsDialog(importer) == 0) {
            // A pre-scan that stopped on a file too big to hold says so; a cancel says nothing.
            if (importer.errorText[0]) ui.messageBox(importer, importer.errorText);
            desktop.RedrawUI();
            return finish(0);
        }

        int dialogResult = 1;
        if (importer.countSelectedObjects() == 0) {
            ui.messageBox(importer, loadText(IDS_NOTHING_TO_IMPORT));
        } else {
            if (importer.options.replaceScene) commandValue("NewScene", {CValue(), CValue(false)});
            commandLog = commandValue("GetValue", {XSI::AsciiString("preferences.scripting.cmdlog")});
            commandLogOff = true;
            if (commandLog == CValue(true))
                commandValue("SetValue", {XSI::AsciiString("preferences.scripting.cmdlog"), CValue(false)});
            dialogResult = ui.progressDialog(importer);
            restoreCommandLog();
        }

        if (ui.savesOptions() && !saveOptions(importer)) ui.optionsNotSaved(importer);
        closeFile();
        if (dialogResult != 0 && importer.errorText[0] == '\0') {
            if (!importer.warnings.empty()) ui.warningsDialog(importer);
            return finish(1);
        }
        if (importer.errorText[0]) ui.messageBox(importer, importer.errorText);
        restoreHook();
        return 0;
    } catch (const std::bad_alloc&) {
        // Memory that runs out between the dialogs ends the run with the reason, and leaves the
        // host as it was: its controls hook on again and its command log as the user set it. (The
        // dialogs have ended their workers.)
        importer.setOutOfMemory("import the file");
    } catch (...) {
        // Anything else is a fault of ours; the host is left as it was all the same, and the file
        // is closed only once no worker reads it.
        importer.setError(IDS_ERROR_CREATING_MESHES);
        importer.errorLine = 0;
        importer.aborted = true;
    }
    restoreHook();
    if (file) closeFile();
    restoreCommandLog();
    ui.messageBox(importer, importer.errorText);
    return 0;
}

}  // namespace qf
