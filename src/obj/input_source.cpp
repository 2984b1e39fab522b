#include "obj/input_source.h"

#include <sys/stat.h>

#include <cstring>
#include <string>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace qf {

namespace {

// The C runtime's own calls, so that a path means the same to the check as to fopen (on Windows
// both take the ANSI code page).
#if defined(_WIN32)
using FileStatus = struct _stat64;
int statusOf(const char* path, FileStatus& s) {
    // The runtime finds no folder written with a separator at its end (C:\models\ ), only the
    // roots (C:\ and \ ) that way. Looked for letter by letter: the second byte of a double-byte
    // letter may have the value of '\'.
    std::string trimmed(path);
    size_t end = 0;  // just past the last letter that is no separator
    for (size_t i = 0; i < trimmed.size();) {
        const bool pair = i + 1 < trimmed.size() && IsDBCSLeadByte(static_cast<BYTE>(trimmed[i]));
        const bool separator = !pair && (trimmed[i] == '\\' || trimmed[i] == '/');
        i += pair ? 2 : 1;
        if (!separator) end = i;
    }
    if (end == 0) end = 1;                            // the root "\"
    else if (end == 2 && trimmed[1] == ':') end = 3;  // a drive's root "C:\"
    if (end < trimmed.size()) trimmed.resize(end);
    return _stat64(trimmed.c_str(), &s);
}
constexpr unsigned kTypeMask = _S_IFMT, kRegular = _S_IFREG, kFolder = _S_IFDIR;
#else
using FileStatus = struct stat;
int statusOf(const char* path, FileStatus& s) { return stat(path, &s); }
constexpr unsigned kTypeMask = S_IFMT, kRegular = S_IFREG, kFolder = S_IFDIR;
#endif

bool isRegular(const FileStatus& s) { return (unsigned(s.st_mode) & kTypeMask) == kRegular; }

// Opens the path for binary reading only when it is a regular file, judged on the open file so
// that nothing can be swapped in between. On POSIX the open does not wait for a pipe's writer.
FILE* openRegularFile(const char* path) {
#if defined(_WIN32)
    FILE* f = std::fopen(path, "rb");
    if (!f) return nullptr;
    FileStatus s;
    if (_fstat64(_fileno(f), &s) != 0 || !isRegular(s)) {
        std::fclose(f);
        return nullptr;
    }
    return f;
#else
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    FileStatus s;
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &s) != 0 || !isRegular(s) || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    FILE* f = fdopen(fd, "rb");
    if (!f) ::close(fd);
    return f;
#endif
}

}  // namespace

InputPathKind inputPathKind(const std::string& path) {
    FileStatus s;
    if (statusOf(path.c_str(), s) != 0) return InputPathKind::Missing;
    if (isRegular(s)) return InputPathKind::RegularFile;
    if ((unsigned(s.st_mode) & kTypeMask) == kFolder) return InputPathKind::Folder;
    return InputPathKind::NotAFile;
}

std::unique_ptr<FileSource> FileSource::open(const std::string& path) {
    FILE* f = openRegularFile(path.c_str());
    if (!f) return nullptr;
    return std::unique_ptr<FileSource>(new FileSource(f));
}

FileSource::~FileSource() { std::fclose(file_); }

size_t FileSource::read(char* dst, size_t n) { return std::fread(dst, 1, n, file_); }

bool FileSource::rewind() {
    std::clearerr(file_);
    return std::fseek(file_, 0, SEEK_SET) == 0;
}

size_t MemorySource::read(char* dst, size_t n) {
    size_t left = size_ - pos_;
    if (n > left) n = left;
    if (n) std::memcpy(dst, data_ + pos_, n);
    pos_ += n;
    return n;
}

uint64_t fileSize(const std::string& path) {
    FileStatus s;
    if (statusOf(path.c_str(), s) != 0 || !isRegular(s) || s.st_size < 0) return 0;
    return static_cast<uint64_t>(s.st_size);
}

}  // namespace qf
