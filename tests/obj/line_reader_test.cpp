#include "obj/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qf {
namespace {

struct ReadResult {
    std::vector<std::string> lines;
    std::vector<uint64_t> numbers;
    uint64_t bytes;
};

ReadResult readAll(const std::string& text, size_t window) {
    MemorySource source(text.data(), text.size());
    std::vector<char> buffer(window);
    LineReader reader(source, buffer.data(), buffer.size());
    ReadResult r;
    Line line;
    while (reader.readLine(line)) {
        EXPECT_EQ(std::strlen(line.text), line.length);
        r.lines.emplace_back(line.text, line.length);
        r.numbers.push_back(reader.lineNumber());
    }
    r.bytes = reader.bytesRead();
    return r;
}

using Lines = std::vector<std::string>;
using Numbers = std::vector<uint64_t>;

// Every behaviour must hold whatever the window size: lines straddle tiny windows.
class LineReaderTest : public ::testing::TestWithParam<size_t> {};

TEST_P(LineReaderTest, LfCrLfAndALoneCrEachEndALineInAnyMix) {
    const size_t w = GetParam();
    const Lines expected = {"v 1 2 3", "", "f 1 2 3"};
    const Numbers numbers = {1, 2, 3};
    for (const std::string text : {"v 1 2 3\n\nf 1 2 3\n", "v 1 2 3\r\n\r\nf 1 2 3\r\n", "v 1 2 3\r\rf 1 2 3\r",
                                   "v 1 2 3\r\n\rf 1 2 3\n", "v 1 2 3\r\nf 1 2 3", "v 1 2 3\n\rf 1 2 3"}) {
        auto r = readAll(text, w);
        if (r.lines.size() == 2) {  // the files without an empty line
            EXPECT_EQ(r.lines, (Lines{expected[0], expected[2]})) << text;
            continue;
        }
        EXPECT_EQ(r.lines, expected) << text;
        EXPECT_EQ(r.numbers, numbers) << text;
        EXPECT_EQ(r.bytes, text.size()) << text;
    }
    // An LF far behind a CR no longer merges the lines between them.
    auto mixed = readAll("# Blender\rv 0 0 0\rv 1 0 0\ng a\r\nf 1 2 1\n", w);
    EXPECT_EQ(mixed.lines, (Lines{"# Blender", "v 0 0 0", "v 1 0 0", "g a", "f 1 2 1"}));
    EXPECT_EQ(mixed.numbers, (Numbers{1, 2, 3, 4, 5}));
}

// Some Windows programs start their UTF-8 text with a byte order mark: the lines are the same
// as without it, whatever the window and however the bytes arrive; bytes that only begin like
// the mark are text.
TEST_P(LineReaderTest, AByteOrderMarkBeforeTheFirstLineIsNotText) {
    const std::string mark = "\xEF\xBB\xBF";
    for (const std::string text : {"o Cube\nv 0 0 0\n", "v 1 2 3\r\nf 1 2 3", "\n", "v 1 \\\n2 3\n"}) {
        const auto plain = readAll(text, GetParam());
        const auto marked = readAll(mark + text, GetParam());
        EXPECT_EQ(marked.lines, plain.lines) << text;
        EXPECT_EQ(marked.numbers, plain.numbers) << text;
        EXPECT_EQ(marked.bytes, text.size() + 3) << text;
    }
    EXPECT_EQ(readAll("\xEF\xBBv 0\n", GetParam()).lines, (Lines{"\xEF\xBBv 0"}));
    EXPECT_EQ(readAll("v 0\n" + mark + "v 1\n", GetParam()).lines, (Lines{"v 0", mark + "v 1"}));

    // One byte per read.
    class Trickle final : public InputSource {
    public:
        explicit Trickle(std::string text) : text_(std::move(text)) {}
        size_t read(char* dst, size_t n) override {
            if (n == 0 || at_ == text_.size()) return 0;
            *dst = text_[at_++];
            return 1;
        }
        bool rewind() override { return at_ = 0, true; }

    private:
        std::string text_;
        size_t at_ = 0;
    } trickle(mark + "g a\n");
    std::vector<char> buffer(GetParam());
    LineReader reader(trickle, buffer.data(), buffer.size());
    Line line;
    ASSERT_TRUE(reader.readLine(line));
    EXPECT_STREQ(line.text, "g a");
    EXPECT_FALSE(reader.readLine(line));
}

TEST_P(LineReaderTest, LastLineWithoutLineEndIsDelivered) {
    EXPECT_EQ(readAll("g a\nf 1 2 3", GetParam()).lines, (Lines{"g a", "f 1 2 3"}));
    EXPECT_EQ(readAll("f 1 2 3", GetParam()).lines, (Lines{"f 1 2 3"}));
    EXPECT_TRUE(readAll("", GetParam()).lines.empty());
}

TEST_P(LineReaderTest, FirstLineEndFarIntoTheFileIsStillFound) {
    const std::string longFirst(5000, 'x');
    for (const char* end : {"\n", "\r", "\r\n"}) {
        auto r = readAll("#" + longFirst + end + "v 1 2 3" + end, GetParam());
        EXPECT_EQ(r.lines, (Lines{"#" + longFirst, "v 1 2 3"}));
        EXPECT_EQ(r.numbers, (Numbers{1, 2}));
    }
}

TEST_P(LineReaderTest, LongLinesStayWhole) {
    std::string face = "f";
    for (int i = 1; i <= 300; ++i) face += " " + std::to_string(i);
    ASSERT_GT(face.size(), 499u);
    auto r = readAll(face + "\n" + face + "\r\nv 0 0 0\n", GetParam());
    EXPECT_EQ(r.lines, (Lines{face, face, "v 0 0 0"}));
}

TEST_P(LineReaderTest, BackslashJoinsLines) {
    auto r = readAll("f 1 2 \\\n3 4\\\n 5\ng a\n", GetParam());
    EXPECT_EQ(r.lines, (Lines{"f 1 2  3 4  5", "g a"}));
    // On the last line the backslash keeps the line instead of dropping it.
    EXPECT_EQ(readAll("g a\nf 1 2 3\\\n", GetParam()).lines, (Lines{"g a", "f 1 2 3 "}));
    EXPECT_EQ(readAll("f 1 2 3\\", GetParam()).lines, (Lines{"f 1 2 3 "}));
    // CR LF or CR before the continuation: the backslash is the last character of the text.
    EXPECT_EQ(readAll("g a\\\r\nb\r\n", GetParam()).lines, (Lines{"g a b"}));
    EXPECT_EQ(readAll("g a\\\rb\r", GetParam()).lines, (Lines{"g a b"}));
    // A continued line is numbered by the line it began on.
    auto numbered = readAll("v 1 \\\n2 \\\r\n3\ng a\n", GetParam());
    EXPECT_EQ(numbered.lines, (Lines{"v 1  2  3", "g a"}));
    EXPECT_EQ(numbered.numbers, (Numbers{1, 4}));
    // A backslash behind a letter of two bytes still continues the line, in any code page.
    EXPECT_EQ(readAll("g \x83\x5c\\\nb\n", GetParam()).lines, (Lines{"g \x83\x5c b"}));
}

#if defined(_WIN32)
// In the double-byte code pages of Japanese, Chinese and Korean Windows, a name may end in a letter
// whose second byte is the byte of a backslash (katakana so, 0x83 0x5C, in Shift-JIS): the line
// ends there, and the vertex below it stays a vertex.
TEST_P(LineReaderTest, WindowsDoubleByteLetterEndingInTheBackslashByteContinuesNothing) {
    if (!IsDBCSLeadByte(0x83)) GTEST_SKIP() << "not a double-byte code page";
    auto r = readAll("g \x83\x5c\nv 1 2 3\r\ng \x95\x5c\r\nf 1 2 3", GetParam());
    EXPECT_EQ(r.lines, (Lines{"g \x83\x5c", "v 1 2 3", "g \x95\x5c", "f 1 2 3"}));
    EXPECT_EQ(r.numbers, (Numbers{1, 2, 3, 4}));
}
#endif

// A line longer than the cap is cut there, also when it is made of continued lines, and the
// reader holds at most the cap beside its window however long the line runs.
TEST_P(LineReaderTest, LongLinesAreCutAtTheCapAndHeldWithinIt) {
    const size_t cap = 1000;
    const std::string text = "#" + std::string(50000, 'x') + "\nv 1 2 3\nf 1 \\\n" + std::string(3000, 'y') + "\\\n" +
                             std::string(3000, 'z') + "\r\n" + std::string(1200, 'w') + "\ng a";
    MemorySource source(text.data(), text.size());
    std::vector<char> window(GetParam());
    LineReader reader(source, window.data(), window.size(), cap);
    Lines lines;
    Numbers numbers;
    size_t held = 0;
    Line line;
    while (reader.readLine(line)) {
        lines.emplace_back(line.text, line.length);
        numbers.push_back(reader.lineNumber());
        held = std::max(held, reader.heldBytes());
    }
    EXPECT_EQ(lines, (Lines{"#" + std::string(cap - 1, 'x'), "v 1 2 3", "f 1  " + std::string(cap - 5, 'y'),
                            std::string(cap, 'w'), "g a"}));
    EXPECT_EQ(numbers, (Numbers{1, 2, 3, 6, 7}));
    EXPECT_LE(held, cap + 1);
    EXPECT_EQ(reader.bytesRead(), text.size());
}

// Most lines are handed out straight from the window and the rest take the general route; which
// route a line takes depends on its ends and on where the window cuts the file. Whatever the mix,
// the lines must be those of the plain definition: LF, CR LF and a lone CR end a line, a trailing
// backslash joins the next one.
TEST_P(LineReaderTest, AnyMixOfLineEndsAndContinuationsReadsAsDefined) {
    std::mt19937 rng{unsigned(GetParam())};
    const char pieces[][4] = {"v", " ", "1", "ab", "\n", "\n", "\r\n", "\r", "\\", "\\\n", "\\\r\n", "f 1"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int n = int(rng() % 60);
        for (int i = 0; i < n; ++i) text += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        // The plain definition.
        Lines physical;
        for (size_t i = 0; i < text.size();) {
            size_t j = i;
            while (j < text.size() && text[j] != '\n' && text[j] != '\r') ++j;
            physical.push_back(text.substr(i, j - i));
            if (j == text.size()) break;
            if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
            i = j + 1;
        }
        Lines lines;
        Numbers numbers;
        for (size_t k = 0; k < physical.size(); ++k) {
            std::string line = physical[k];
            numbers.push_back(k + 1);
            while (!line.empty() && line.back() == '\\') {
                line.back() = ' ';
                if (k + 1 == physical.size()) break;
                line += physical[++k];
            }
            lines.push_back(line);
        }
        const ReadResult r = readAll(text, GetParam());
        ASSERT_EQ(r.lines, lines) << testing::PrintToString(text);
        EXPECT_EQ(r.numbers, numbers) << testing::PrintToString(text);
        EXPECT_EQ(r.bytes, text.size()) << testing::PrintToString(text);
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, LineReaderTest, ::testing::Values(2, 3, 7, 64, 1024, 262144));

TEST(LineReader, ByteCounterCountsPastFourGigabytesWithoutWrapping) {
    // A source that yields 5 GiB of 4 KiB lines without holding them.
    class Endless final : public InputSource {
    public:
        Endless() : block_(1 << 20, 'v') {
            for (size_t i = 4095; i < block_.size(); i += 4096) block_[i] = '\n';
        }
        size_t read(char* dst, size_t n) override {
            uint64_t left = total_ - pos_;
            size_t offset = size_t(pos_ % block_.size());
            n = std::min({n, size_t(std::min<uint64_t>(left, block_.size())), block_.size() - offset});
            std::memcpy(dst, block_.data() + offset, n);
            pos_ += n;
            return n;
        }
        bool rewind() override {
            pos_ = 0;
            return true;
        }

    private:
        std::vector<char> block_;
        uint64_t total_ = (uint64_t(5) << 30);
        uint64_t pos_ = 0;
    } source;
    std::vector<char> buffer(1 << 20);
    LineReader reader(source, buffer.data(), buffer.size());
    Line line;
    uint64_t lines = 0;
    while (reader.readPhysicalLine(line)) ++lines;
    EXPECT_EQ(reader.bytesRead(), uint64_t(5) << 30);
    EXPECT_EQ(lines, (uint64_t(5) << 30) / 4096);
}

std::vector<std::string> split(std::string text, int capacity = 20000) {
    std::vector<const char*> tokens(capacity);
    int n = splitTokens(text.data(), tokens.data(), capacity);
    EXPECT_STREQ(tokens[n], "");
    return {tokens.begin(), tokens.begin() + n};
}

// The block scan must find the first match wherever it falls: in a block of four, in a single
// block, in the tail behind the last block, right at the end, or nowhere.
TEST(FindByte, FindsTheFirstMatchAtEveryPlaceAndNothingBeyondTheEnd) {
    const std::vector<size_t> lengths{0, 1, 15, 16, 17, 47, 64, 130};
    for (auto find : {&findByte, &findByteInBlocks}) {
        for (size_t length : lengths) {
            std::string text(length + 1, 'a');  // one byte behind the end, which must not be found
            text[length] = '\n';
            const char* begin = text.data();
            EXPECT_EQ(find(begin, begin + length, '\n'), nullptr) << length;
            for (size_t at = 0; at < length; ++at) {
                text[at] = '\n';
                if (at + 1 < length) text[length - 1] = '\n';  // a later match never wins
                EXPECT_EQ(find(begin, begin + length, '\n'), begin + at) << length << " " << at;
                std::fill(text.begin(), text.begin() + std::ptrdiff_t(length), 'a');
            }
        }
    }
}

TEST(SplitTokens, BlanksTabsAndQuotes) {
    using S = std::vector<std::string>;
    EXPECT_EQ(split("  v\t1  2 3  "), (S{"v", "1", "2", "3"}));
    EXPECT_EQ(split("g \"my object\" tail"), (S{"g", "my object", "tail"}));
    EXPECT_EQ(split("g \"ab\"cd"), (S{"g", "ab", "d"}));  // the c is eaten as separator
    EXPECT_EQ(split("g \"\" x"), (S{"g", "", "x"}));
    EXPECT_EQ(split("g \"open quote runs on"), (S{"g", "open quote runs on"}));
    EXPECT_EQ(split("g \"closed at the end\""), (S{"g", "closed at the end"}));
    EXPECT_EQ(split("f 1 2\r3"), (S{"f", "1", "2"}));
    EXPECT_TRUE(split("   ").empty());
}

TEST(SplitTokens, KeepsOneLessThanTheListHolds) {
    std::string line;
    for (int i = 0; i < 25000; ++i) line += "1 ";
    EXPECT_EQ(split(line).size(), 19999u);
    EXPECT_EQ(split("a b c d e", 3).size(), 2u);
}

// The pre-scan counts the corners of a face without recording them: the count must be the one
// the tokenizer gives, wherever the line starts in memory and however long it is.
TEST(SplitTokens, CountingAgreesWithSplitting) {
    std::mt19937 rng{99};
    // Plain face lines, then tabs as well, then quotes and terminators inside the line too.
    const char alphabet[] = {' ', ' ', 'f', '1', '/', '2', '\t', '"', '\0', '\n', '\r'};
    const size_t alphabetSizes[] = {6, 7, sizeof alphabet};
    std::vector<TokenSpan> spans(64);
    for (int round = 0; round < 20000; ++round) {
        std::string text(size_t(rng() % 8), 'x');  // moves the line's start against 16-byte blocks
        const size_t offset = text.size();
        const size_t length = rng() % 80;
        for (size_t i = 0; i < length; ++i) text += alphabet[rng() % alphabetSizes[round % 3]];
        text += '\0';
        // Bytes behind the terminator that may be read but belong to no line, at times more than
        // a whole block.
        const size_t behind = rng() % (round % 2 ? 24 : 72);
        for (size_t i = 0; i < behind; ++i) text += alphabet[rng() % sizeof alphabet];
        const char* line = text.c_str() + offset;
        for (int capacity : {64, 20, 5, 2}) {
            const int spanCount = splitTokenSpans(line, spans.data(), capacity);
            ASSERT_EQ(countTokens(line, length, capacity), spanCount) << testing::PrintToString(std::string(line)) << capacity;
            ASSERT_EQ(countTokens(line, length, capacity, text.size() - offset), spanCount)
                << testing::PrintToString(std::string(line)) << capacity;
        }
    }
}

TEST(JoinName, DefaultSingleAndManyWordsAndTheCut) {
    char out[kJoinedNameSize];
    const char* bare[] = {"g", ""};
    EXPECT_STREQ(joinName(bare, 1, out, sizeof out), "default");
    const char* words[] = {"g", "front", "wheel", "left", ""};
    EXPECT_STREQ(joinName(words, 4, out, sizeof out), "front wheel left");
    std::string longName(400, 'n');
    const char* longTokens[] = {"g", longName.c_str(), ""};
    EXPECT_EQ(std::strlen(joinName(longTokens, 2, out, sizeof out)), kJoinedNameSize - 1);
    char small[4];
    EXPECT_STREQ(joinName(words, 4, small, sizeof small), "fro");
}

TEST(FaceReferences, TextureAndNormal) {
    int32_t i = 99;
    EXPECT_TRUE(parseTexCoordRef("4/7", i));
    EXPECT_EQ(i, 6);
    EXPECT_TRUE(parseTexCoordRef("4/7/9", i));
    EXPECT_EQ(i, 6);
    EXPECT_FALSE(parseTexCoordRef("4//9", i));
    EXPECT_FALSE(parseTexCoordRef("4", i));
    EXPECT_TRUE(parseTexCoordRef("4/-2", i));
    EXPECT_EQ(i, -2);
    EXPECT_TRUE(parseTexCoordRef("4/0", i));
    EXPECT_EQ(i, 0);
    i = 5;
    EXPECT_TRUE(parseTexCoordRef("4/", i));
    EXPECT_EQ(i, 0);
    EXPECT_TRUE(parseNormalRef("4/7/9", i));
    EXPECT_EQ(i, 8);
    EXPECT_TRUE(parseNormalRef("4//9", i));
    EXPECT_EQ(i, 8);
    EXPECT_FALSE(parseNormalRef("4/7", i));
}

}  // namespace
}  // namespace qf
