// Line reading and tokenizing shared by the OBJ pre-scan, the OBJ parse pass and the MTL reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "obj/input_source.h"

namespace qf {

// One logical line: writable, terminated with NUL, without its line end.
struct Line {
    char* text = nullptr;
    size_t length = 0;
    // Bytes from text that may be read, the terminator and whatever the buffer holds behind it
    // included: at least length + 1 for a line read by a LineReader.
    size_t readable = 0;
};

// Lines longer than this are cut there; the rest of the physical line is skipped. Both OBJ passes
// read through the same reader, so they see the same cut.
constexpr size_t kMaxLineLength = size_t(256) << 20;

// The text of a line that does not fit in the read window, or of continued lines joined. It grows
// by doubling up to its cap and never past it (the cap plus the terminator), so that a line of
// hundreds of megabytes costs no more than the cap. Throws std::bad_alloc when memory runs out.
class LineStore {
public:
    explicit LineStore(size_t cap) : cap_(cap) {}
    ~LineStore();
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;

    void clear() { size_ = 0; }
    // Appends as much of the n bytes as the cap leaves room for.
    void append(const char* text, size_t n);
    // The text, terminated with NUL.
    char* terminated();
    char* data() { return data_; }
    size_t size() const { return size_; }
    size_t capacity() const { return capacity_; }
    size_t cap() const { return cap_; }

private:
    char* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    size_t cap_;
};

// The first byte c in [p, end), or null: four blocks of sixteen bytes at a time.
inline const char* findByteInBlocks(const char* p, const char* end, char c) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    auto matches = [wanted](const char* at) {
        return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), wanted);
    };
    for (; end - p >= 64; p += 64) {
        const __m128i any = _mm_or_si128(_mm_or_si128(matches(p), matches(p + 16)),
                                         _mm_or_si128(matches(p + 32), matches(p + 48)));
        if (_mm_movemask_epi8(any)) break;
    }
    for (; end - p >= 16; p += 16) {
        const int found = _mm_movemask_epi8(matches(p));
        if (found) return p + __builtin_ctz(unsigned(found));
    }
#endif
    for (; p < end; ++p)
        if (*p == c) return p;
    return nullptr;
}

// The same where the byte may be far: the C library's memchr, except on Windows, whose C library
// (and Wine's) walks byte by byte.
inline const char* findByte(const char* p, const char* end, char c) {
#if defined(_WIN32)
    return findByteInBlocks(p, end, c);
#else
    return static_cast<const char*>(std::memchr(p, c, size_t(end - p)));
#endif
}

// Reads lines through a caller-owned window buffer; lines that fit in the window are handed out
// in place, so ordinary lines cost no copy and no allocation. LF, CR LF and a lone CR each end a
// line, in any mix within one file.
class LineReader {
public:
    // Lines longer than maxLineLength are cut there, whether the window holds them or not.
    LineReader(InputSource& source, char* window, size_t windowSize, size_t maxLineLength = kMaxLineLength);

    // The next logical line (physical lines joined at trailing backslashes); false at the end.
    bool readLine(Line& line) {
        if (!readLineInPlace(line)) return false;
        if (!startLooked_) skipByteOrderMark(line);
        return true;
    }
    // One physical line; false at the end of the input.
    bool readPhysicalLine(Line& line);

    uint64_t bytesRead() const { return consumed_; }
    // The 1-based number of the physical line at which the line last read began.
    uint64_t lineNumber() const { return lineNumber_; }
    // Bytes held beside the window for long and continued lines.
    size_t heldBytes() const { return store_.capacity(); }

private:
    // Lines of the window's plain part (see fastEnd_) are handed out right here; every other
    // line takes the general route.
    bool readLineInPlace(Line& line) {
        if (begin_ < fastEnd_ && !pendingLf_) {
            char* text = window_ + begin_;
            const char* lf = findLineFeed(text, window_ + fastEnd_);
            size_t length = size_t(lf - text);
            const size_t used = length + 1;
            if (length > 0 && text[length - 1] == '\r') --length;
            // Lines to cut and continued lines are left to the general route.
            if (length <= store_.cap() && (length == 0 || text[length - 1] != '\\')) {
                text[length] = '\0';
                continued_ = false;
                begin_ += used;
                consumed_ += used;
                lineNumber_ = ++lineEnds_;
                line.text = text;
                line.length = length;
                line.readable = capacity_ + 1 - size_t(text - window_);
                return true;
            }
        }
        return readLineSlow(line);
    }
    // The first LF at or after p; one lies before end. Lines are short: sixteen bytes at a time
    // right here costs less than a call.
    static const char* findLineFeed(const char* p, const char* end) {
#if defined(__SSE2__)
        const __m128i lineFeed = _mm_set1_epi8('\n');
        for (; end - p >= 16; p += 16) {
            const int found = _mm_movemask_epi8(
                _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lineFeed));
            if (found) return p + __builtin_ctz(unsigned(found));
        }
#endif
        return findByte(p, end, '\n');
    }
    bool readLineSlow(Line& line);
    // Moves the unread bytes to the window's start and reads more behind them; false when the
    // input gave nothing new.
    bool refill();
    // Finds the window's plain part after a refill.
    void findFastEnd();
    // Steps over the UTF-8 byte order mark that some Windows programs put before a file's text:
    // it would otherwise be read as part of the first statement's keyword.
    void skipByteOrderMark(Line& line);
    // The first CR or LF in the unread bytes, or null.
    const char* findLineEnd();
    // Consumes the line end at window_[at] and counts it.
    void consumeLineEnd(size_t at);
    // Drops the LF of a CR LF pair whose CR ended the previous line.
    void skipPairedLf();
    // One physical line; with intoStore, appended to the store behind the text it holds.
    bool readPhysical(Line& line, bool intoStore);
    bool readSpilledLine(Line& line, bool intoStore);

    InputSource& source_;
    char* window_;
    size_t capacity_;  // bytes of data the window holds; one more byte is kept for the terminator
    size_t begin_ = 0;
    size_t end_ = 0;
    bool atEnd_ = false;
    bool startLooked_ = false;  // whether the input's first bytes were looked at for a byte order mark
    // Where the next CR is: the first CR at or after begin_ is at crPos_ when crPos_ < crEnd_;
    // when crPos_ == crEnd_, there is none before crEnd_. Files without CR search once per refill.
    size_t crPos_ = 0;
    size_t crEnd_ = 0;
    // The same for the next LF: files with lone CRs, which have none, search once per refill.
    size_t lfPos_ = 0;
    size_t lfEnd_ = 0;
    bool pendingLf_ = false;  // the last line ended with a CR: an LF right after it belongs to it
    bool continued_ = false;  // the last physical line ended with a backslash, cut or not
    // The unread bytes before fastEnd_ are whole lines, each ended by an LF or a CR LF, with no
    // other CR among them: files with either line end are read almost entirely this way.
    size_t fastEnd_ = 0;
    uint64_t consumed_ = 0;
    uint64_t lineEnds_ = 0;
    uint64_t physicalNumber_ = 0;
    uint64_t lineNumber_ = 0;
    // A physical line longer than the window, or a logical line of continued physical lines.
    LineStore store_;
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

// The number of tokens splitTokenSpans would find in a line of the given length (terminated
// behind it), without recording them; -1 likewise. readable: the bytes from the line's start that
// may be read, terminator included; the more there are, the less is read byte by byte.
int countTokens(const char* line, size_t length, int capacity, size_t readable = 0);

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
