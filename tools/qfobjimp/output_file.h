// A file that appears under its name only when it is complete: written under a temporary name
// beside it and renamed over it at the end, so that a failed or cancelled run leaves an earlier
// file of that name as it was. A device or a pipe is written straight.
#pragma once
#include <cstdio>
#include <streambuf>
#include <string>
#include <vector>

namespace qf {

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    // Removes the temporary file unless it was committed.
    ~OutputFile();

    // Creates the temporary file beside path; false with a message when that cannot be done.
    bool open(const std::string& path, std::string& error);
    std::FILE* stream() const { return file_; }
    const std::string& path() const { return path_; }
    // Closes the file and moves it to its name; false with a message when writing failed.
    bool commit(std::string& error);
    // Closes and removes the temporary file.
    void discard();

private:
    std::string path_;    // as given, for messages
    std::string target_;  // the file behind its links, which takes the temporary's place
    std::string temporary_;
    std::FILE* file_ = nullptr;
    int slot_ = -1;
};

// A stream buffer over an open file that hands the file large pieces: a scene of hundreds of
// megabytes goes to its file as it is written, never held whole in memory. Write errors stay on
// the file, where OutputFile::commit finds them.
class FileStreamBuffer : public std::streambuf {
public:
    explicit FileStreamBuffer(std::FILE* file);
    ~FileStreamBuffer() override;
    FileStreamBuffer(const FileStreamBuffer&) = delete;
    FileStreamBuffer& operator=(const FileStreamBuffer&) = delete;

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    std::FILE* file_;
    std::vector<char> buffer_;
};

// Removes every temporary file still open. Safe in a signal handler: it only unlinks.
void removeUnfinishedOutputFiles();

}  // namespace qf
