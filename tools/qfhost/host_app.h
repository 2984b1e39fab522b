// The stand-in host program: a window with a File > Import menu built from the plug-ins it loaded,
// and a view of the scene (objects, materials, clips, log and a wireframe of the meshes).
#pragma once
#include <windows.h>

#include <functional>

#include "qfhost/host_logic.h"

namespace qfhost {

// Runs the host until its window closes; returns the process's exit code. started, when given, is
// called on the window's thread once the window is up and the plug-ins are loaded, before the
// picks of the command line.
int RunHost(const HostOptions& options, const std::function<void(HWND)>& started = {});

// Whether a plug-in's command runs on the host's window thread: its dialogs may still come.
bool CommandRunning();

}  // namespace qfhost
