// Path operations of the material reading and lookup. Paths are byte strings of the host's code
// page with '/' as the separator once converted; every result is bounded by kPathSize.
#pragma once
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/import_options.h"

namespace qf {

// Whether a path may start with a drive ("C:"). On POSIX there are none: a rooted name is
// simply absolute.
enum class PathStyle { Windows, Posix };
#if defined(_WIN32)
constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// A path of the program's code page as the file system library takes it, and a name it lists
// back in that code page. On Windows the library reads narrow text as Latin-1 and writes UTF-8,
// while fopen and every path of the program are in the ANSI code page.
std::filesystem::path fileSystemPath(const std::string& path);
// False when the name has no spelling in the code page (no narrow call could open it).
bool narrowName(const std::filesystem::path& name, std::string& out);

// A file name as a file system that ignores letter case compares it. The files were named on
// Windows, where that is the system's own upper case; elsewhere ASCII letters only. Windows
// also drops the dots and blanks at the end of a name.
std::string foldedFileName(std::string_view name);

// Turns every '\' into '/' in place.
void toForwardSlashes(char* path);

// The file-name part of a path (after its last '/', or after a drive prefix); empty when the
// path ends with '/'. With strip, cut at its first '.'. Backslashes of path become '/' first.
void splitFileName(char* path, bool strip, char* out, size_t outSize);

// The last '\' or '/' of a path, whichever comes later; null when it has neither.
const char* lastSeparator(const char* path);

// The directory part, up to and including the last '\' or '/'; empty when there is neither.
void splitDirectory(const char* path, char* out, size_t outSize);

// base + relative, normalised. 0 when it worked, -1 when the relative directory holds a ':' out
// of place, climbs above the root, or the result would not fit. Backslashes become '/'.
int joinPath(const char* base, const char* relative, char* out, size_t outSize,
             PathStyle style = kNativePathStyle);

// Rebuilds the path from its non-empty segments, dropping "." and resolving ".."; ends with '/'.
// A Windows share ("//server/share/") keeps its leading separators, and ".." stops at it.
int normalizePath(char* path, size_t size, PathStyle style = kNativePathStyle);

// Adds a trailing '/' when the path does not end with one (and there is room); an empty path
// (the current folder) stays empty.
void appendSlash(char* path, size_t size);

// True when the path names a regular file (through links) that can be opened for reading.
bool fileExists(const char* path);

// The file at path, or when there is none, the file whose path differs from it only in letter
// case (the exact name first in every folder, then the other spellings in byte order). The files
// were named on a system that ignores case.
// Folder listings kept through a series of lookups during which the folders do not change (the
// libraries of one run), so that each folder is listed once: names by their ASCII lower case.
struct FolderListings {
    std::unordered_map<std::string, std::unordered_map<std::string, std::vector<std::string>>> folders;
};
bool findIgnoringCase(const std::string& path, std::string& found, FolderListings* listings = nullptr);

}  // namespace qf
