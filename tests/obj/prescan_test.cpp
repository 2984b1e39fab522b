#include "obj/prescan.h"

#include <gtest/gtest.h>

#include <new>

#include "model/string_table.h"
#include "support/test_support.h"

namespace qf {
namespace {

using test::MemoryImport;

struct Counts {
    std::string name;
    int32_t vertices, texCoords, polygons, indices;
};

std::vector<Counts> countsOf(const ObjImporter& imp) {
    std::vector<Counts> out;
    for (const auto& o : imp.objects)
        out.push_back({o->name, o->vertexCount, o->texCoordCount, o->polygonCount, o->indexCount});
    return out;
}

bool operator==(const Counts& a, const Counts& b) {
    return a.name == b.name && a.vertices == b.vertices && a.texCoords == b.texCoords &&
           a.polygons == b.polygons && a.indices == b.indices;
}
std::ostream& operator<<(std::ostream& os, const Counts& c) {
    return os << c.name << " v" << c.vertices << " vt" << c.texCoords << " p" << c.polygons << " i" << c.indices;
}

const char kQuad4[] = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

std::vector<Counts> scan(const std::string& text, size_t window = kLineBufferSize) {
    MemoryImport m(text, window);
    m.prescan();
    return countsOf(m.importer);
}

TEST(Prescan, VerticesFirstGoToEveryGroupThatUsesThatBlock) {
    auto c = scan(std::string(kQuad4) + "g a\nf 1 2 3\nf 1 3 4\ng b\nf 1 2 3 4\n");
    EXPECT_EQ(c, (std::vector<Counts>{{"a", 4, 0, 2, 6}, {"b", 4, 0, 1, 4}}));
}

TEST(Prescan, EachGroupGetsItsOwnBlock) {
    std::string file = std::string("g a\n") + kQuad4 + "f 1 2 3 4\ng b\n" + kQuad4 + "f 5 6 7 8\n";
    EXPECT_EQ(scan(file), (std::vector<Counts>{{"a", 4, 0, 1, 4}, {"b", 4, 0, 1, 4}}));
}

TEST(Prescan, RepeatedGroupCollectsTheBlocksItSpans) {
    std::string file = std::string("g a\n") + kQuad4 + "f 1 2 3 4\ng b\n" + kQuad4 + "f 5 6 7 8\ng a\n" +
                       kQuad4 + "f 9 10 11 12\n";
    EXPECT_EQ(scan(file), (std::vector<Counts>{{"a", 12, 0, 2, 8}, {"b", 4, 0, 1, 4}}));
}

TEST(Prescan, GroupWithoutVerticesIsRenamed) {
    EXPECT_EQ(scan(std::string("g a\ng b\n") + kQuad4 + "f 1 2 3\n"),
              (std::vector<Counts>{{"b", 4, 0, 1, 3}}));
}

TEST(Prescan, ObjectStatementsDegenerateFacesAndRecordsThatKeepTheirFaces) {
    // o starts an object as g does; faces of fewer than three corners count nowhere.
    EXPECT_EQ(scan("o Cube\n" + std::string(kQuad4) + "f 1 2 3 4\no Plane\nf 1 2\nf 3\nf 1 2 3\nov x\n"),
              (std::vector<Counts>{{"Cube", 4, 0, 1, 4}, {"Plane", 4, 0, 1, 3}}));
    // A record that has faces keeps its name at the next g, even without vertices of its own.
    EXPECT_EQ(scan("g a\nf 1 1 1\ng b\nv 0 0 0\nf 1 1 1\n"),
              (std::vector<Counts>{{"a", 0, 0, 1, 3}, {"b", 1, 0, 1, 3}}));
}

TEST(Prescan, FacesBeforeAnyGroupFormDefaultWhichALaterGroupContinues) {
    std::string file = std::string(kQuad4) + "f 1 2 3\ng x\n" + kQuad4 + "f 5 6 7\ng default\nf 1 2 3\n";
    auto c = scan(file);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].name, "default");
    EXPECT_EQ(c[0].polygons, 2);
    EXPECT_EQ(c[1], (Counts{"x", 4, 0, 1, 3}));
}

TEST(Prescan, TextureVerticesBeforeVerticesLandInABlockTheFirstVertexRestarts) {
    auto c = scan("vt 0 0\nvt 1 0\nvt 1 1\nv 0 0 0\nv 1 0 0\nv 1 1 0\ng a\nf 1/1 2/2 3/3\n");
    EXPECT_EQ(c, (std::vector<Counts>{{"a", 3, 0, 1, 3}}));
    auto grouped = scan("g a\nv 0 0 0\nv 1 0 0\nvt 0 0\nvt 1 0\nf 1/1 2/2 3/1\n");
    EXPECT_EQ(grouped, (std::vector<Counts>{{"a", 2, 2, 1, 3}}));
}

TEST(Prescan, CaseDistinctGroupsAreTwoRecordsAndRowsSkipEmptyOnes) {
    MemoryImport m(std::string(kQuad4) + "g Box\nf 1 2 3\ng box\nf 2 3 4\ng empty\n");
    EXPECT_EQ(m.prescan(), 3);
    ASSERT_EQ(m.link.rows.size(), 2u);
    EXPECT_EQ(m.link.rows[0], (std::pair<std::string, int32_t>{"Box", 1}));
    EXPECT_EQ(m.link.rows[1].first, "box");
    EXPECT_EQ(m.link.rowRecords, (std::vector<int32_t>{0, 1}));
    EXPECT_TRUE(m.link.messageBoxes.empty());
}

TEST(Prescan, RowsOfManyGroupsComeInBatchesAndStopWhenCancelled) {
    std::string text(kQuad4);
    for (int i = 0; i < 1500; ++i) text += "g g" + std::to_string(i) + "\nf 1 2 3\n";
    MemoryImport m(text);
    m.prescan();
    ASSERT_EQ(m.link.rows.size(), 1500u);
    EXPECT_EQ(m.link.rows[1499].first, "g1499");
    EXPECT_EQ(m.link.rowRecords[1499], 1499);

    m.link.rows.clear();
    m.importer.aborted = true;
    fillObjectList(m.importer, m.link);
    EXPECT_TRUE(m.link.rows.empty());
}

TEST(Prescan, NothingToImportShowsTheMessage) {
    MemoryImport m("v 1 2 3\n# only vertices\n");
    EXPECT_EQ(m.prescan(), 0);
    EXPECT_EQ(m.link.messageBoxes, std::vector<int>{IDS_NOTHING_TO_IMPORT});
    MemoryImport groupsOnly("g a\ng b\n");
    EXPECT_EQ(groupsOnly.prescan(), 1);
    EXPECT_TRUE(groupsOnly.link.messageBoxes.empty());
    EXPECT_TRUE(groupsOnly.link.rows.empty());
}

TEST(Prescan, MaterialLibrariesAreJoinedUniqueAndCaseBlindOnTheKeyword) {
    MemoryImport m("mtllib a.mtl b.mtl\nmtllib a.mtl b.mtl\nMTLLIB c.mtl\nmtllib\nmtllibx d.mtl\nmtllib C.mtl\nf 1\n");
    m.prescan();
    EXPECT_EQ(m.importer.materialLibraries, (std::vector<std::string>{"a.mtl b.mtl", "c.mtl", "C.mtl"}));
}

TEST(Prescan, TotalsAndKeywordsByTheirFirstCharacters) {
    MemoryImport m("v 1 2 3\nvt 0 0\nvn 0 0 1\nvp 1\nvx 1\n\"v\" 4 5 6\nvertex 1 1 1\no obj\ns 1\nf 1 2 3\n");
    m.prescan();
    EXPECT_EQ(m.importer.vertexTotal, 2);  // "v" in quotes is a v statement; vertex is not
    EXPECT_EQ(m.importer.texCoordTotal, 1);
    EXPECT_EQ(m.importer.normalTotal, 1);
}

TEST(Prescan, LongFaceLineCountsWholeAndTheFileIsRewound) {
    std::string face = "f";
    for (int i = 1; i <= 400; ++i) face += " " + std::to_string(i);
    std::string file = "g a\n" + face + "\n" + face + "\n";
    EXPECT_EQ(scan(file), (std::vector<Counts>{{"a", 0, 0, 2, 800}}));
    EXPECT_EQ(scan(file, 16), (std::vector<Counts>{{"a", 0, 0, 2, 800}}));
    MemoryImport m(file);
    m.prescan();
    char first[4] = {};
    EXPECT_EQ(m.importer.objFile->read(first, 3), 3u);
    EXPECT_STREQ(first, "g a");
}

TEST(Prescan, LongGroupNamesAreCutToTheirFieldAndStillMatch) {
    std::string name(400, 'n');
    auto c = scan("g " + name + "\nv 0 0 0\nf 1 1 1\ng b\nv 0 0 0\nf 2 2 2\ng " + name + "\nf 1 1 1\n");
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].name, name.substr(0, kObjectNameSize - 1));
    EXPECT_EQ(c[0].polygons, 2);
}

TEST(Prescan, ProgressMessagesBracketTheScan) {
    MemoryImport m(std::string(kQuad4) + "f 1 2 3\n");
    m.prescan();
    const auto& msgs = m.link.messages;
    ASSERT_GE(msgs.size(), 3u);
    EXPECT_EQ(msgs.front().code, DialogMessage::ScanProgress);
    EXPECT_EQ(msgs.front().lParam, 0);
    EXPECT_EQ(msgs.back().code, DialogMessage::ScanProgress);
    EXPECT_EQ(msgs.back().lParam, intptr_t(m.importer.progressTotal));
    EXPECT_EQ(msgs[msgs.size() - 2].code, DialogMessage::Count);
    EXPECT_EQ(msgs[msgs.size() - 2].lParam, 1);
}

TEST(Prescan, CancelStopsAtTheNextProgressPoint) {
    std::string file;
    for (int i = 0; i < 200; ++i) file += "v 0 0 0\ng g" + std::to_string(i) + "\nf 1 1 1\n";
    MemoryImport m(file);
    m.link.cancelFlag = &m.importer.aborted;
    m.link.cancelAfter = 4;
    EXPECT_EQ(m.prescan(), 0);
    EXPECT_FALSE(m.importer.objects.empty());
    EXPECT_TRUE(m.link.rows.empty());
    EXPECT_LT(m.importer.objects.size(), 200u);
}

TEST(Prescan, CountsBeyondTheModelsRangeEndWithTheRunsErrorInsteadOfWrapping) {
    // The limit is the 32-bit range; a lower one stands in for files of many gigabytes.
    const std::string file = "g a\nv 0 0 0\nv 0 0 0\nf 1 2 1 2\nf 1 2 1 2\n";
    for (auto [limit, line] : {std::pair{3, 4}, {5, 5}, {7, 5}}) {
        MemoryImport m(file);
        EXPECT_EQ(detail::prescanObj(m.importer, m.link, limit), 0) << limit;
        EXPECT_STREQ(m.importer.errorText, loadText(IDS_ERROR_CREATING_MESHES));
        EXPECT_EQ(m.importer.errorLine, uint64_t(line)) << limit;
        EXPECT_TRUE(m.importer.aborted);
        EXPECT_TRUE(m.link.rows.empty());
    }
    MemoryImport fits(file);
    EXPECT_EQ(detail::prescanObj(fits.importer, fits.link, 8), 1);
    EXPECT_EQ(fits.importer.errorText[0], '\0');

    // Memory that runs out on the way says so, on no line: no mesh is being made yet.
    struct StarvedLink : test::RecordingLink {
        intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
            if (code == DialogMessage::Count) throw std::bad_alloc();
            return RecordingLink::send(code, wParam, lParam);
        }
    } starved;
    MemoryImport m(file);
    EXPECT_EQ(prescanObj(m.importer, starved), 0);
    EXPECT_STREQ(m.importer.errorText, "not enough memory to scan the file");
    EXPECT_EQ(m.importer.errorLine, 0u);
    EXPECT_TRUE(m.importer.aborted);
}

}  // namespace
}  // namespace qf
