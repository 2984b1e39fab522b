// The bytes the readers read: an open file or a block of memory, both rewindable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace qf {

class InputSource {
public:
    virtual ~InputSource() = default;
    // Reads up to n bytes; 0 at the end of the input or on a read error.
    virtual size_t read(char* dst, size_t n) = 0;
    // Goes back to the first byte; false when that is impossible.
    virtual bool rewind() = 0;
};

// What a path names, for a reader about to open it. Only a regular file is ever opened: a device
// may never end (/dev/zero, NUL) and a pipe may block the open itself until a writer comes.
enum class InputPathKind { RegularFile, Missing, Folder, NotAFile };
InputPathKind inputPathKind(const std::string& path);

class FileSource final : public InputSource {
public:
    // Opens a regular file for binary reading; null when the path names anything else or the
    // file cannot be opened.
    static std::unique_ptr<FileSource> open(const std::string& path);
    ~FileSource() override;
    size_t read(char* dst, size_t n) override;
    bool rewind() override;

private:
    explicit FileSource(FILE* file) : file_(file) {}
    FILE* file_;
};

class MemorySource final : public InputSource {
public:
    MemorySource(const char* data, size_t size) : data_(data), size_(size) {}
    size_t read(char* dst, size_t n) override;
    bool rewind() override {
        pos_ = 0;
        return true;
    }

private:
    const char* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Size in bytes of the file at path; 0 when there is none. 64-bit: files beyond 4 GiB count whole.
uint64_t fileSize(const std::string& path);

}  // namespace qf
