#include "obj/line_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "obj/numbers.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qf {

namespace {

inline bool isLineEnd(char c) { return c == '\0' || c == '\n' || c == '\r'; }

// Whether a line of length bytes ends with a backslash that continues it on the next line. In the
// double-byte code pages of Japanese, Chinese and Korean Windows the second byte of a letter may
// have the value of '\\' (Shift-JIS katakana so is 0x83 0x5C): a name ending in such a letter
// continues nothing. The letters are walked from the line's start only for a line that ends with
// the byte at all.
bool endsWithContinuation(const char* text, size_t length) {
    if (length == 0 || text[length - 1] != '\\') return false;
#if defined(_WIN32)
    size_t i = 0;
    while (i + 1 < length) i += IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
    return i == length - 1;  // the backslash starts a letter of its own
#else
    return true;
#endif
}

inline bool isSeparator(char c) { return c == ' ' || c == '\t' || isLineEnd(c); }

const char kEmptyText[1] = {'\0'};

}  // namespace

LineStore::~LineStore() { std::free(data_); }

void LineStore::append(const char* text, size_t n) {
    const size_t room = cap_ - size_;
    if (n > room) n = room;
    if (size_ + n + 1 > capacity_) {
        // Doubling keeps appends cheap; the cap (and the terminator) bounds it.
        size_t grown = std::max({size_ + n + 1, capacity_ * 2, size_t(4096)});
        if (grown > cap_ + 1) grown = cap_ + 1;
        // realloc can move a large block by remapping it, without holding old and new at once.
        char* moved = static_cast<char*>(std::realloc(data_, grown));
        if (!moved) throw std::bad_alloc();
        data_ = moved;
        capacity_ = grown;
    }
    if (n) std::memcpy(data_ + size_, text, n);
    size_ += n;
}

char* LineStore::terminated() {
    if (size_ + 1 > capacity_) append(nullptr, 0);  // makes room for the terminator
    data_[size_] = '\0';
    return data_;
}

LineReader::LineReader(InputSource& source, char* window, size_t windowSize, size_t maxLineLength)
    : source_(source), window_(window), capacity_(windowSize > 1 ? windowSize - 1 : 0), store_(maxLineLength) {}

void LineReader::findFastEnd() {
    fastEnd_ = 0;
    size_t last = end_;
    while (last > begin_ && window_[last - 1] != '\n') --last;
    if (last == begin_) return;
    // A CR that is not half of a CR LF ends a line of its own: the plain part stops before it.
    const char* p = window_ + begin_;
    const char* const stop = window_ + last;
    while ((p = findByte(p, stop, '\r')) != nullptr) {
        if (p[1] != '\n') {
            last = size_t(p - window_);
            while (last > begin_ && window_[last - 1] != '\n') --last;
            break;
        }
        p += 2;
    }
    fastEnd_ = last;
}

bool LineReader::refill() {
    fastEnd_ = 0;
    if (atEnd_) return false;
    if (begin_ > 0) {
        std::memmove(window_, window_ + begin_, end_ - begin_);
        end_ -= begin_;
        auto shift = [this](size_t& pos, size_t& stop) {
            if (pos < begin_) {
                pos = stop = 0;  // stale: search again from the start
            } else {
                pos -= begin_;
                stop -= begin_;
            }
        };
        shift(crPos_, crEnd_);
        shift(lfPos_, lfEnd_);
        begin_ = 0;
    }
    if (end_ >= capacity_) return false;
    const size_t got = source_.read(window_ + end_, capacity_ - end_);
    if (got == 0) {
        atEnd_ = true;
        return false;
    }
    end_ += got;
    findFastEnd();
    return true;
}

void LineReader::skipByteOrderMark(Line& line) {
    startLooked_ = true;
    if (line.length >= 3 && std::memcmp(line.text, "\xEF\xBB\xBF", 3) == 0) {
        line.text += 3;
        line.length -= 3;
        if (line.readable >= 3) line.readable -= 3;
    }
}

const char* LineReader::findLineEnd() {
    // Each kind of line end is looked for once per byte: a search that found none goes on from
    // where it stopped once the window holds more.
    auto next = [this](char c, size_t& pos, size_t& stop) {
        if (pos < begin_) pos = stop = begin_;
        if (pos == stop && stop < end_) {
            const char* found = findByte(window_ + stop, window_ + end_, c);
            pos = found ? size_t(found - window_) : end_;
            stop = found ? pos + 1 : end_;
        }
        return pos < stop ? window_ + pos : nullptr;
    };
    const char* lf = next('\n', lfPos_, lfEnd_);
    const char* cr = next('\r', crPos_, crEnd_);
    if (cr && (!lf || cr < lf)) return cr;
    return lf;
}

void LineReader::consumeLineEnd(size_t at) {
    pendingLf_ = window_[at] == '\r';
    ++lineEnds_;
}

void LineReader::skipPairedLf() {
    if (!pendingLf_) return;
    if (begin_ == end_) refill();
    if (begin_ < end_) {
        if (window_[begin_] == '\n') {
            ++begin_;
            ++consumed_;
        }
        pendingLf_ = false;
    } else if (atEnd_) {
        pendingLf_ = false;
    }
}

bool LineReader::readPhysicalLine(Line& line) {
    if (!readPhysical(line, false)) return false;
    line.readable = line.length + 1;
    return true;
}

bool LineReader::readPhysical(Line& line, bool intoStore) {
    skipPairedLf();
    for (;;) {
        const char* stop = findLineEnd();
        if (stop || (atEnd_ && begin_ < end_)) {
            char* text = window_ + begin_;
            const size_t length = stop ? size_t(stop - text) : end_ - begin_;
            physicalNumber_ = lineEnds_ + 1;
            if (stop) consumeLineEnd(size_t(stop - window_));
            const size_t used = length + (stop ? 1 : 0);
            begin_ += used;
            consumed_ += used;
            continued_ = endsWithContinuation(text, length);
            if (intoStore) {
                store_.append(text, length);
                line.text = store_.terminated();
                line.length = store_.size();
                return true;
            }
            const size_t kept = length < store_.cap() ? length : store_.cap();
            text[kept] = '\0';  // the line end, the cut, or the spare byte behind the data
            line.text = text;
            line.length = kept;
            return true;
        }
        if (atEnd_) return false;
        if (begin_ == 0 && end_ >= capacity_) return readSpilledLine(line, intoStore);
        if (!refill() && !atEnd_) return readSpilledLine(line, intoStore);
    }
}

// A physical line longer than the window: collected in the store, cut at its cap.
bool LineReader::readSpilledLine(Line& line, bool intoStore) {
    if (!intoStore) store_.clear();
    physicalNumber_ = lineEnds_ + 1;
    continued_ = false;
    const size_t lineStart = store_.size();
    size_t lineLength = 0;
    bool found = false;
    while (!found) {
        const char* start = window_ + begin_;
        const char* stop = findLineEnd();
        const size_t length = stop ? size_t(stop - start) : end_ - begin_;
        // A piece may end inside a letter of two bytes: the whole line is judged below, where the
        // store holds it; a line cut at the cap is judged by its last piece.
        if (length != 0) continued_ = endsWithContinuation(start, length);
        lineLength += length;
        store_.append(start, length);
        if (stop) consumeLineEnd(size_t(stop - window_));
        begin_ += length + (stop ? 1 : 0);
        consumed_ += length + (stop ? 1 : 0);
        found = stop != nullptr;
        if (!found && !refill()) break;
    }
    if (lineLength != 0 && store_.size() - lineStart == lineLength)
        continued_ = endsWithContinuation(store_.data() + lineStart, lineLength);
    line.text = store_.terminated();
    line.length = store_.size();
    return true;
}

bool LineReader::readLineSlow(Line& line) {
    if (!readPhysical(line, false)) return false;
    line.readable = line.length + 1;
    lineNumber_ = physicalNumber_;
    if (!continued_) return true;
    // Continued lines are joined in the store: reading on may move the window. A line that was
    // too long for the window is there already. A physical line cut at the cap still continues
    // when it ended with a backslash, so that its continuation is not read as a line of its own.
    if (line.text != store_.data()) {
        store_.clear();
        store_.append(line.text, line.length);
    }
    while (continued_) {
        char* last = store_.size() != 0 ? store_.data() + store_.size() - 1 : nullptr;
        if (last && *last == '\\') *last = ' ';
        Line next;
        if (!readPhysical(next, true)) break;  // a backslash on the last line keeps that line
    }
    line.text = store_.terminated();
    line.length = store_.size();
    line.readable = line.length + 1;
    return true;
}

int splitTokens(char* line, const char** tokens, int capacity) {
    int count = 0;
    char* p = line;
    if (capacity <= 0) return 0;
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (isLineEnd(*p) || count >= capacity - 1) {
            if (isLineEnd(*p)) *p = '\0';
            tokens[count] = kEmptyText;
            return count;
        }
        if (*p == '"') {
            char* token = ++p;
            tokens[count++] = token;
            while (*p != '"' && !isLineEnd(*p)) ++p;
            if (*p != '"') {
                *p = '\0';
                tokens[count] = kEmptyText;
                return count;
            }
            *p++ = '\0';
            // The character after the closing quote is the separator, whatever it is; at the end
            // of the line there is none to consume.
            if (isLineEnd(*p)) {
                *p = '\0';
                tokens[count] = kEmptyText;
                return count;
            }
            *p++ = '\0';
            continue;
        }
        tokens[count++] = p;
        while (!isSeparator(*p)) ++p;
        if (isLineEnd(*p)) {
            *p = '\0';
            tokens[count] = kEmptyText;
            return count;
        }
        *p++ = '\0';
    }
}

namespace {

// Character classes of the tokenizer, looked up instead of compared: it runs over every byte of
// the vertex and face lines.
enum CharClass : unsigned char { kOrdinary = 0, kBlank = 1, kEnd = 2 };

struct CharClasses {
    unsigned char of[256] = {};
    constexpr CharClasses() {
        of[static_cast<unsigned char>(' ')] = kBlank;
        of[static_cast<unsigned char>('\t')] = kBlank;
        of[0] = kEnd;
        of[static_cast<unsigned char>('\n')] = kEnd;
        of[static_cast<unsigned char>('\r')] = kEnd;
    }
};
constexpr CharClasses kClasses;

inline unsigned char classOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

}  // namespace

int splitTokenSpans(const char* line, TokenSpan* spans, int capacity) {
    int count = 0;
    const char* p = line;
    while (count < capacity - 1) {
        while (classOf(*p) == kBlank) ++p;
        if (classOf(*p) == kEnd) break;
        if (*p == '"') return -1;
        const char* begin = p;
        while (classOf(*p) == kOrdinary) ++p;
        spans[count++] = {begin, p};
    }
    return count;
}

namespace {

int countTokensPlain(const char* line, int capacity) {
    int count = 0;
    const char* p = line;
    while (count < capacity - 1) {
        while (classOf(*p) == kBlank) ++p;
        if (classOf(*p) == kEnd) break;
        if (*p == '"') return -1;
        ++count;
        while (classOf(*++p) == kOrdinary) {
        }
    }
    return count;
}

}  // namespace

int countTokens(const char* line, size_t length, int capacity, size_t readable) {
    int count = 0;
    bool inToken = false;
    size_t at = 0;
    // Whole blocks as far as they may be read: the block that holds the terminator ends the count.
    const size_t blocksEnd = readable > length + 1 ? readable : length + 1;
#if defined(__SSE2__)
    // Sixteen bytes of the line at a time: a token starts where an ordinary byte follows a blank
    // (or the line's start). The rest, shorter than a block, byte by byte below.
    const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), quote = _mm_set1_epi8('"');
    const __m128i zero = _mm_setzero_si128(), lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    uint32_t carry = 0;  // 1 when the byte before the block belongs to a token
    for (; at + 16 <= blocksEnd; at += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + at));
        const uint32_t separators =
            uint32_t(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab))));
        const uint32_t ends = uint32_t(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)))));
        const uint32_t inLine = ends ? (ends & (0u - ends)) - 1 : 0xFFFFu;  // up to the terminator
        const uint32_t ordinary = ~separators & inLine;
        const uint32_t starts = ordinary & ~((ordinary << 1) | carry);
        int found = 0;  // a handful per block: cheaper than a population count without its instruction
        for (uint32_t bits = starts; bits; bits &= bits - 1) ++found;
        if (count + found >= capacity - 1) return countTokensPlain(line, capacity);
        if (starts & uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, quote)))) return -1;
        count += found;
        if (ends) return count;
        carry = (ordinary >> 15) & 1;
    }
    inToken = carry != 0;
#endif
    for (const char* p = line + at;; ++p) {
        const unsigned char c = classOf(*p);
        if (c == kEnd) return count;
        if (c == kBlank) {
            inToken = false;
        } else if (!inToken) {
            if (count >= capacity - 1) return count;
            if (*p == '"') return -1;
            ++count;
            inToken = true;
        }
    }
}

bool parseTexCoordRef(const TokenSpan& token, int32_t& index) {
    const char* slash = static_cast<const char*>(std::memchr(token.begin, '/', size_t(token.end - token.begin)));
    if (!slash || (slash + 1 < token.end && slash[1] == '/')) return false;
    int32_t value = parseInt(slash + 1, token.end);
    index = value >= 1 ? value - 1 : value;
    return true;
}

const char* joinName(const char* const* tokens, int count, char* out, size_t outSize) {
    if (outSize == 0) return out;
    if (count <= 1) {
        std::strncpy(out, "default", outSize - 1);
        out[outSize - 1] = '\0';
        return out;
    }
    size_t used = 0;
    for (int i = 1; i < count && used < outSize - 1; ++i) {
        if (i > 1) out[used++] = ' ';
        for (const char* s = tokens[i]; *s && used < outSize - 1; ++s) out[used++] = *s;
    }
    out[used] = '\0';
    return out;
}

bool parseTexCoordRef(const char* token, int32_t& index) {
    const char* slash = std::strchr(token, '/');
    if (!slash || slash[1] == '/') return false;
    int32_t value = parseInt(slash + 1);
    index = value >= 1 ? value - 1 : value;
    return true;
}

bool parseNormalRef(const char* token, int32_t& index) {
    const char* first = std::strchr(token, '/');
    if (!first) return false;
    const char* second = std::strchr(first + 1, '/');
    if (!second) return false;
    int32_t value = parseInt(second + 1);
    index = value >= 1 ? value - 1 : value;
    return true;
}

}  // namespace qf
