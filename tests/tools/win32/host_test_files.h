// Folders and files of the host tests, in the system's temporary folder.
#pragma once
#include <windows.h>

#include <string>

namespace qfhost {

// The folder name below the temporary folder, made when missing.
inline std::string tempFolder(const std::string& name) {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    const std::string folder = std::string(base) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

inline bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace qfhost
