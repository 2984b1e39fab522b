#include "obj/input_source.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace qf {

std::unique_ptr<FileSource> FileSource::open(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
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
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status)) return 0;
    auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<uint64_t>(size);
}

}  // namespace qf
