#include "materials/paths.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "model/fixed_text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qf {

#if defined(_WIN32)
namespace {

// The code page the narrow file calls (fopen, CreateFileA) take paths in.
UINT fileCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

std::wstring wideOf(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

}  // namespace

std::filesystem::path fileSystemPath(const std::string& path) { return wideOf(path, fileCodePage()); }

bool narrowName(const std::filesystem::path& name, std::string& out) {
    const std::wstring& wide = name.native();
    out.clear();
    if (wide.empty()) return true;
    BOOL lossy = FALSE;
    const UINT codePage = fileCodePage();
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr, 0,
                                      nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    out.resize(size_t(n));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), out.data(), n, nullptr,
                        nullptr);
    return true;
}

std::string foldedFileName(std::string_view name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    std::wstring wide = wideOf(name, fileCodePage());
    if (!wide.empty()) CharUpperBuffW(wide.data(), DWORD(wide.size()));
    // Any spelling serves as the key, as long as equal names give equal keys.
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}
#else
std::filesystem::path fileSystemPath(const std::string& path) { return path; }

bool narrowName(const std::filesystem::path& name, std::string& out) {
    out = name.native();
    return true;
}

std::string foldedFileName(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}
#endif

namespace {

// Bytes of the letter at p. In a double-byte code page (Shift-JIS, GBK, Big5, UHC) the second
// byte of a letter may have the value of '\\', so separators are looked for letter by letter.
size_t letterLength(const char* p) {
#if defined(_WIN32)
    return p[1] && IsDBCSLeadByteEx(fileCodePage(), static_cast<BYTE>(*p)) ? 2 : 1;
#else
    (void)p;
    return 1;
#endif
}

}  // namespace

void toForwardSlashes(char* path) {
    for (char* p = path; *p; p += letterLength(p))
        if (*p == '\\') *p = '/';
}

void splitFileName(char* path, bool strip, char* out, size_t outSize) {
    toForwardSlashes(path);
    const size_t length = std::strlen(path);
    const char* name;
    if (length > 0 && path[length - 1] == '/') name = "";
    else if (const char* slash = std::strrchr(path, '/')) name = slash + 1;
    else if (length >= 2 && path[1] == ':') name = path + 2;
    else name = path;
    copyBounded(out, outSize, name);
    if (strip)
        if (char* dot = std::strchr(out, '.')) *dot = '\0';
}

const char* lastSeparator(const char* path) {
    // The last of either kind: a path typed with both must not lose its last folder.
    const char* last = nullptr;
    for (const char* p = path; *p; p += letterLength(p))
        if (*p == '\\' || *p == '/') last = p;
    return last;
}

void splitDirectory(const char* path, char* out, size_t outSize) {
    const char* cut = lastSeparator(path);
    if (!cut || outSize == 0) {
        if (outSize) out[0] = '\0';
        return;
    }
    size_t n = size_t(cut - path) + 1;
    if (n > outSize - 1) n = outSize - 1;
    std::memcpy(out, path, n);
    out[n] = '\0';
}

namespace {

// The length of a share's root ("//server/share") at the start of a path with '/' separators;
// 0 when the path does not name a share.
size_t shareRootLength(const std::string& path, PathStyle style) {
    if (style != PathStyle::Windows || path.size() < 3 || path[0] != '/' || path[1] != '/' || path[2] == '/')
        return 0;
    size_t end = path.find('/', 2);
    if (end == std::string::npos) return path.size();
    end = path.find('/', end + 1);
    return end == std::string::npos ? path.size() : end;
}

}  // namespace

int normalizePath(char* path, size_t size, PathStyle style) {
    std::string rebuilt;
    // A share's two leading separators and its server stay: "..", however many, stops at the share.
    size_t keep = 0;
    if (const size_t share = shareRootLength(path, style)) {
        rebuilt.assign(path, share);
        while (rebuilt.size() > 2 && rebuilt.back() == '/') rebuilt.pop_back();
        keep = rebuilt.size();
    }
    const bool rooted = path[0] == '/';
    const char* p = path + keep;
    while (*p) {
        while (*p == '/') ++p;
        const char* start = p;
        while (*p && *p != '/') ++p;
        std::string segment(start, p);
        if (segment.empty() || segment == ".") continue;
        if (segment == "..") {
            size_t slash = rebuilt.rfind('/');
            if (slash == std::string::npos || rebuilt.size() <= keep) return -1;
            rebuilt.erase(slash);
            continue;
        }
        if (!rebuilt.empty() || rooted) rebuilt += '/';
        rebuilt += segment;
    }
    rebuilt += '/';
    copyBounded(path, size, rebuilt.c_str());
    return rebuilt.size() > size_t(kPathSize) || rebuilt.size() > size - 1 ? -1 : 0;
}

int joinPath(const char* base, const char* relative, char* out, size_t outSize, PathStyle style) {
    std::string b(base), r(relative);
    toForwardSlashes(b.data());
    toForwardSlashes(r.data());
    if (!r.empty() && (r[0] == ':' || r.find(':', 2) != std::string::npos)) {
        copyBounded(out, outSize, (b + r).c_str());
        return -1;
    }
    if (r.empty()) {
        copyBounded(out, outSize, b.c_str());
        return b.size() < outSize ? 0 : -1;
    }
    std::string joined;
    if (shareRootLength(r, style) != 0) {
        joined = r;  // a share named whole, as a drive is
    } else if (r[0] == '/') {
        // Rooted on the base's drive, or on its share.
        const bool hasDrive = style == PathStyle::Windows && b.size() >= 2 && b[1] == ':';
        joined = (hasDrive ? b.substr(0, 2) : b.substr(0, shareRootLength(b, style))) + r;
    } else if (r.size() >= 2 && r[1] == ':') {
        joined = r;
    } else {
        joined = b + r;
    }
    // Normalise in a buffer that holds any input, then bound the result.
    std::string work = joined;
    work.resize(joined.size() + 2, '\0');
    int status = normalizePath(work.data(), work.size(), style);
    copyBounded(out, outSize, work.c_str());
    if (status == 0 && std::strlen(work.c_str()) >= outSize) status = -1;
    return status;
}

void appendSlash(char* path, size_t size) {
    size_t n = std::strlen(path);
    // An empty folder is the current one; a lone '/' would make it the root.
    if (n > 0 && path[n - 1] != '/' && n + 1 < size) {
        path[n] = '/';
        path[n + 1] = '\0';
    }
}

bool fileExists(const char* path) {
    // Only a regular file: a folder opens for reading on POSIX systems, and a FIFO or a device
    // would block the open or never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileSystemPath(path), ec)) return false;
    FILE* f = std::fopen(path, "r");
    if (!f) return false;
    std::fclose(f);
    return true;
}

namespace {

namespace fs = std::filesystem;

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// The other spellings of one part of a path inside a folder, in byte order; the folder listed
// once for all lookups when listings are kept.
std::vector<std::string> otherSpellingsIn(const std::string& folder, const std::string& part,
                                          FolderListings* listings) {
    std::vector<std::string> others;
    const std::string want = foldedFileName(part);
    auto list = [&](const auto& take) {
        std::error_code ec;
        std::string name;
        for (fs::directory_iterator it(fileSystemPath(folder.empty() ? "." : folder), ec);
             !ec && it != fs::directory_iterator(); it.increment(ec))
            if (narrowName(it->path().filename(), name)) take(name);
    };
    if (!listings) {
        list([&](const std::string& name) {
            if (name != part && foldedFileName(name) == want) others.push_back(name);
        });
        std::sort(others.begin(), others.end());
        return others;
    }
    // (Not a structured binding: older compilers do not let the lambda below capture one.)
    const auto emplaced = listings->folders.try_emplace(folder);
    const auto at = emplaced.first;
    if (emplaced.second) {
        list([&](const std::string& name) { at->second[foldedFileName(name)].push_back(name); });
        for (auto& [key, names] : at->second) std::sort(names.begin(), names.end());
    }
    const auto spellings = at->second.find(want);
    if (spellings != at->second.end())
        for (const std::string& name : spellings->second)
            if (name != part) others.push_back(name);
    return others;
}

// Resolves parts[at..] below prefix: each part as written first, then its other spellings, so
// that a folder whose other spelling holds the file is still found.
bool resolveParts(const std::string& prefix, const std::vector<std::string>& parts, size_t at, std::string& found,
                  FolderListings* listings) {
    if (at == parts.size()) return false;
    const std::string& part = parts[at];
    const bool last = at + 1 == parts.size();
    // Empty, "." and ".." parts mean what they say in any case.
    if (!last && (part.empty() || part == "." || part == ".."))
        return resolveParts(prefix + part + '/', parts, at + 1, found, listings);
    auto tryPart = [&](const std::string& spelling) {
        const std::string candidate = prefix + spelling;
        std::error_code ec;
        if (!last)
            return fs::is_directory(fileSystemPath(candidate), ec) &&
                   resolveParts(candidate + '/', parts, at + 1, found, listings);
        if (!fileExists(candidate.c_str())) return false;
        found = candidate;
        return true;
    };
    if (tryPart(part)) return true;
    for (const std::string& spelling : otherSpellingsIn(prefix, part, listings))
        if (tryPart(spelling)) return true;
    return false;
}

}  // namespace

bool findIgnoringCase(const std::string& path, std::string& found, FolderListings* listings) {
    if (fileExists(path.c_str())) {
        found = path;
        return true;
    }
    // The root stays as written ("/", "C:/", "\\server\share" is left to the exact lookup).
    size_t start = 0;
    std::string prefix;
    if (path.size() >= 2 && path[1] == ':') start = 2;
    while (start < path.size() && isSeparator(path[start])) ++start;
    prefix = path.substr(0, start);
    if (!prefix.empty() && !isSeparator(prefix.back())) prefix += '/';
    std::vector<std::string> parts;
    for (size_t i = start; i <= path.size();) {
        size_t end = i;
        while (end < path.size() && !isSeparator(path[end])) end += letterLength(path.c_str() + end);
        parts.push_back(path.substr(i, end - i));
        i = end + 1;
    }
    // The walk spells the found path with '/': give it back in the path's own style.
    if (!resolveParts(prefix, parts, 0, found, listings)) return false;
    if (path.find('\\') != std::string::npos && path.find('/') == std::string::npos)
        for (char& c : found)
            if (c == '/') c = '\\';
    return true;
}

}  // namespace qf
