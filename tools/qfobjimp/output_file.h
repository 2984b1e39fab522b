// A file that appears under its name only when it is complete: written under a temporary name
// beside it and renamed over it at the end, so that a failed or cancelled run leaves an earlier
// file of that name as it was.
#pragma once
#include <cstdio>
#include <string>

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
    std::string path_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    int slot_ = -1;
};

// Removes every temporary file still open. Safe in a signal handler: it only unlinks.
void removeUnfinishedOutputFiles();

}  // namespace qf
