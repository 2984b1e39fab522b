// Driving the host's windows from a second thread of its process, as a user's mouse and keyboard
// would: waiting for a dialog, pressing its buttons, reading what it shows, photographing it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qfhost::driver {

constexpr int kPatience = 15000;  // milliseconds a step waits for the host

// Calls until the condition holds, every 20 ms; false when it did not within the time.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kPatience);

// The visible top-level windows of this process.
std::vector<HWND> topWindows();
// A visible top-level window of the process that holds a child with the id (and, when given, is
// not one of those to skip); null when none came in time.
HWND waitForDialog(int childId, int timeoutMs = kPatience, HWND skip = nullptr);
bool waitGone(HWND window, int timeoutMs = kPatience);

std::string windowText(HWND window);
std::string className(HWND window);

// Presses a button: a standard button is clicked, a skinned one gets the press and release of the
// left mouse button. Posted, so that a dialog the press opens does not hold the driver.
void press(HWND button);
void pressItem(HWND dialog, int id);

// Runs the call on the host's window thread and waits for it: for reading the host's scene safely
// while a dialog is up.
void onHostThread(HWND hostWindow, const std::function<void()>& call);
// The message the host's window answers with such a call (lParam: the std::function).
constexpr UINT kRunOnHostThread = WM_APP + 0x40;

// Saves what the screen shows of the window as a 24-bit BMP file.
bool savePicture(HWND window, const std::string& path);

}  // namespace qfhost::driver
