#include "qfobjimp/output_file.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "materials/paths.h"
#include "run/run_paths.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qf {

namespace fs = std::filesystem;

namespace {

// Temporary names of the files being written, for a second Ctrl-C that ends the process at once.
constexpr int kSlots = 4;
constexpr size_t kSlotSize = 4096;
char slotPaths[kSlots][kSlotSize];
std::atomic<bool> slotUsed[kSlots];

int claimSlot(const std::string& temporary) {
    if (temporary.size() >= kSlotSize) return -1;
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (!slotUsed[i].compare_exchange_strong(expected, true)) continue;
        std::memcpy(slotPaths[i], temporary.c_str(), temporary.size() + 1);
        return i;
    }
    return -1;
}

void releaseSlot(int& slot) {
    if (slot >= 0) slotUsed[slot] = false;
    slot = -1;
}

// Opens a new file of a name no other file has, beside path.
std::FILE* createTemporary(const std::string& path, std::string& temporary) {
    // Through the program's code page both ways: on Windows the library's own narrow spelling of
    // the folder is another one.
    const fs::path target = fileSystemPath(path);
    // The temporary name is a few characters longer than the file's: a long name is cut for it,
    // so that any name the system takes has a temporary one too.
    fs::path::string_type shortName = target.filename().native();
    if (shortName.size() > 200) shortName.resize(200);
    std::string stem;
    if (!narrowName(target.parent_path() / (fs::path::string_type(1, '.') + shortName), stem)) {
        errno = EINVAL;  // a name cut inside a letter has no spelling
        return nullptr;
    }
#if defined(_WIN32)
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = stem + "." + std::to_string(_getpid()) + "-" + std::to_string(serial++) + ".tmp";
        const int fd = _open(temporary.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) return _fdopen(fd, "wb");
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
#else
    std::string name = stem + ".XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) return nullptr;
    temporary = name;
    // mkstemp makes the file private; the finished file gets the mode a new file (or the one it
    // replaces) would have.
    struct stat existing;
    mode_t mode;
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = umask(022);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(fd, mode);
    return fdopen(fd, "wb");
#endif
}

// A copy of the descriptor that /proc/self/fd/N or /dev/fd/N names, or -1 for any other path.
int openDescriptorNamed(const std::string& path) {
#if defined(_WIN32)
    (void)path;
    return -1;
#else
    for (const char* prefix : {"/proc/self/fd/", "/dev/fd/"}) {
        const std::string start = prefix;
        if (path.compare(0, start.size(), start) != 0) continue;
        const std::string number = path.substr(start.size());
        if (number.empty() || number.size() > 6 || number.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return ::dup(std::stoi(number));
    }
    return -1;
#endif
}

}  // namespace

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const std::string& path, std::string& error) {
    discard();
    std::error_code ec;
    if (fs::is_directory(fileSystemPath(path), ec)) {
        error = "cannot write '" + path + "': it is a folder";
        return false;
    }
    // Through a link the file it names is written; a device, a pipe or an open file of the
    // process (--scene /dev/stdout, redirected to a file or not) is written straight, as there is
    // nothing to keep and no file may be put in its place.
    target_ = pathBehindLinks(path);
    const fs::file_status status = fs::status(fileSystemPath(target_), ec);
    if (const int descriptor = openDescriptorNamed(target_); descriptor >= 0) {
        // The process's own open file: written through it, at its place in it, after what the
        // tool wrote there before.
        std::fflush(nullptr);
        file_ = fdopen(descriptor, "wb");
        if (!file_) {
            error = "cannot write '" + path + "': " + std::strerror(errno);
            ::close(descriptor);
            return false;
        }
        path_ = path;
        return true;
    }
    if (namesADescriptor(target_) || (!ec && fs::exists(status) && !fs::is_regular_file(status))) {
        file_ = std::fopen(target_.c_str(), "wb");
        if (!file_) {
            error = "cannot write '" + path + "': " + std::strerror(errno);
            return false;
        }
        path_ = path;
        return true;
    }
    file_ = createTemporary(target_, temporary_);
    if (!file_) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        temporary_.clear();
        return false;
    }
    path_ = path;
    slot_ = claimSlot(temporary_);
    // Large blocks: the scene of a big file runs to hundreds of megabytes.
    std::setvbuf(file_, nullptr, _IOFBF, size_t(1) << 20);
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (!file_) {
        error = "cannot write '" + path_ + "'";
        return false;
    }
    const bool written = std::ferror(file_) == 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed) {
        error = "cannot write '" + path_ + "': " + std::strerror(written ? errno : writeErrno);
        discard();
        return false;
    }
    if (temporary_.empty()) return true;  // written straight
#if defined(_WIN32)
    const bool moved = MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    const bool moved = std::rename(temporary_.c_str(), target_.c_str()) == 0;
#endif
    if (!moved) {
        error = "cannot write '" + path_ + "': " + std::strerror(errno);
        discard();
        return false;
    }
    temporary_.clear();
    releaseSlot(slot_);
    return true;
}

void OutputFile::discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) std::remove(temporary_.c_str());
    temporary_.clear();
    releaseSlot(slot_);
}

void removeUnfinishedOutputFiles() {
    for (int i = 0; i < kSlots; ++i)
        if (slotUsed[i].load()) {
#if defined(_WIN32)
            _unlink(slotPaths[i]);
#else
            unlink(slotPaths[i]);
#endif
        }
}

FileStreamBuffer::FileStreamBuffer(std::FILE* file) : file_(file), buffer_(size_t(1) << 16) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FileStreamBuffer::~FileStreamBuffer() { sync(); }

FileStreamBuffer::int_type FileStreamBuffer::overflow(int_type c) {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int FileStreamBuffer::sync() {
    const size_t length = size_t(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    if (length == 0) return 0;
    return (file_ && std::fwrite(buffer_.data(), 1, length, file_) == length) ? 0 : -1;
}

}  // namespace qf
