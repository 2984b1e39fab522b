// Line reading and tokenizing shared by the OBJ pre-scan, the OBJ parse pass and the MTL reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "obj/input_source.h"

namespace qf {

// One logical line: writable, terminated with NUL, without its line end.
struct Line {
    char* text = nullptr;
    size_t length = 0;
};

// Lines longer than this are cut there; the rest of the physical line is skipped. Both OBJ passes
// read through the same reader, so they see the same cut.
constexpr size_t kMaxLineLength = size_t(256) << 20;

// Reads lines through a caller-owned window buffer; lines that fit in the window are handed out
// in place, so ordinary lines cost no copy and no allocation. LF, CR LF and a lone CR each end a
// line, in any mix within one file.
class LineReader {
public:
    LineReader(InputSource& source, char* window, size_t windowSize);

    // The next logical line (physical lines joined at trailing backslashes); false at the end.
    bool readLine(Line& line);
    // One physical line; false at the end of the input.
    bool readPhysicalLine(Line& line);

    uint64_t bytesRead() const { return consumed_; }
    // The 1-based number of the physical line at which the line last read began.
    uint64_t lineNumber() const { return lineNumber_; }

private:
    // Moves the unread bytes to the window's start and reads more behind them; false when the
    // input gave nothing new.
    bool refill();
    // The first CR or LF in the unread bytes, or null.
    const char* findLineEnd();
    // Consumes the line end at window_[at] and counts it.
    void consumeLineEnd(size_t at);
    // Drops the LF of a CR LF pair whose CR ended the previous line.
    void skipPairedLf();
    bool readSpilledLine(Line& line);

    InputSource& source_;
    char* window_;
    size_t capacity_;  // bytes of data the window holds; one more byte is kept for the terminator
    size_t begin_ = 0;
    size_t end_ = 0;
    bool atEnd_ = false;
    // Where the next CR is: the first CR at or after begin_ is at crPos_ when crPos_ < crEnd_;
    // when crPos_ == crEnd_, there is none before crEnd_. Files without CR search once per refill.
    size_t crPos_ = 0;
    size_t crEnd_ = 0;
    bool pendingLf_ = false;  // the last line ended with a CR: an LF right after it belongs to it
    uint64_t consumed_ = 0;
    uint64_t lineEnds_ = 0;
    uint64_t physicalNumber_ = 0;
    uint64_t lineNumber_ = 0;
    std::vector<char> spill_;   // a physical line longer than the window
    std::vector<char> joined_;  // a logical line made of continued physical lines
};

// Splits a line in place at blanks and tabs; a token in double quotes keeps its blanks.
// tokens has capacity entries; at most capacity-1 tokens are stored, followed by an empty text.
// Returns the number of tokens.
int splitTokens(char* line, const char** tokens, int capacity);

// A token as the characters begin .. end-1 of its line.
struct TokenSpan {
    const char* begin;
    const char* end;
};

// Splits as splitTokens does, without writing to the line: the hot statements are read in
// place. Returns -1 when a token starts with a double quote; the caller then uses splitTokens.
int splitTokenSpans(const char* line, TokenSpan* spans, int capacity);

constexpr size_t kJoinedNameSize = 288;

// The name given by tokens 1 .. count-1, joined by single blanks; "default" for the keyword
// alone. Written to out (cut to outSize-1 bytes) and returned.
const char* joinName(const char* const* tokens, int count, char* out, size_t outSize);

// Texture and normal references of a face corner (v/vt/vn, v//vn): true when the corner holds
// one; positive values become 0-based, 0 and negative values are kept for the caller.
bool parseTexCoordRef(const char* token, int32_t& index);
bool parseNormalRef(const char* token, int32_t& index);
bool parseTexCoordRef(const TokenSpan& token, int32_t& index);

}  // namespace qf
