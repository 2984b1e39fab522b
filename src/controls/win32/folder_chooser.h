// The modal folder chooser: a tree of the drives and their folders, read as branches open.
#pragma once
#include <windows.h>

#include <cstddef>

namespace qf {

// Ids of the chooser's controls.
constexpr int kChooserTreeId = 2003;
constexpr int kChooserLabelId = 2004;

// Lets the user pick a folder, starting at path (size bytes). 1 when confirmed, with the chosen
// folder in path; 0 when cancelled. Either way path comes back with '\' for every '/'. Without a
// position the chooser is centred on its owner.
int ChooseFolder(HWND owner, char* path, size_t size, const POINT* position = nullptr);

}  // namespace qf
