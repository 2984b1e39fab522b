#include "obj/prescan.h"

#include <limits>
#include <new>
#include <vector>

#include "model/fixed_text.h"
#include "model/string_table.h"
#include "obj/line_reader.h"
#include "obj/obj_statements.h"

namespace qf {

uint64_t progressStep(uint64_t fileSize) { return fileSize / 12800; }

namespace {

struct PrescanState {
    ObjImporter& importer;
    const int32_t countLimit;
    ObjectInfo* current = nullptr;
    bool pending = false;
    bool expectingBlock = true;
    int32_t block = -1;
    int32_t blockVertices = 0;
    int32_t blockNormals = 0;
    int32_t blockTexCoords = 0;
    int64_t polygons = 0;
    bool overflow = false;
    char groupName[kObjectNameSize] = {};

    // Increments that would pass the 32-bit range mark the file as too big instead of wrapping.
    void increment(int32_t& count) {
        if (count >= countLimit) overflow = true;
        else ++count;
    }
    void add(int32_t& count, int64_t more) {
        int64_t sum = int64_t(count) + more;
        if (sum > countLimit) overflow = true;
        else count = static_cast<int32_t>(sum);
    }
    void takeBlockCounts(ObjectInfo& o) {
        o.vertexCount = blockVertices;
        o.normalCount = blockNormals;
        o.texCoordCount = blockTexCoords;
    }
    void addBlockCounts(ObjectInfo& o) {
        add(o.vertexCount, blockVertices);
        add(o.normalCount, blockNormals);
        add(o.texCoordCount, blockTexCoords);
    }

    void vertex() {
        if (expectingBlock) {
            ++block;
            blockVertices = blockNormals = blockTexCoords = 0;
            expectingBlock = false;
        }
        increment(importer.vertexTotal);
        increment(blockVertices);
    }
    // vt and vn never start a block.
    void attribute(int32_t ObjectInfo::*recordCount, int32_t& blockCount, int32_t& total) {
        if (current && expectingBlock && !pending) increment(current->*recordCount);
        else increment(blockCount);
        increment(total);
    }
    void group(const char* const* tokens, int count) {
        groupNameOf(tokens, count, groupName);
        if (ObjectInfo* found = importer.findObject(groupName)) {
            current = found;
            if (found->lastBlock != block) addBlockCounts(*found);
        } else if (current && current->vertexCount == 0 && current->polygonCount == 0) {
            // A name followed at once by another: the record takes the later one. A record that
            // already has faces keeps its name, so that the parse pass finds them under it.
            importer.renameObject(*current, groupName);
        } else {
            current = &importer.appendObject(groupName);
            pending = true;
        }
        current->lastBlock = block;
        current->grouped = true;
        expectingBlock = true;
    }
    void face(int count) {
        if (!current) {
            current = &importer.appendObject("default");
            takeBlockCounts(*current);
        } else if (pending) {
            takeBlockCounts(*current);
            pending = false;
        } else if (!expectingBlock) {
            addBlockCounts(*current);
        }
        increment(current->polygonCount);
        add(current->indexCount, count > 0 ? count - 1 : 0);
        ++polygons;
        expectingBlock = true;
    }
};

}  // namespace

int prescanObj(ObjImporter& importer, DialogLink& dialog) {
    return detail::prescanObj(importer, dialog, std::numeric_limits<int32_t>::max());
}

int detail::prescanObj(ObjImporter& importer, DialogLink& dialog, int32_t countLimit) {
    importer.vertexTotal = importer.normalTotal = importer.texCoordTotal = 0;
    dialog.send(DialogMessage::ScanProgress, 0, 0);
    const uint64_t step = progressStep(importer.progressTotal);

    PrescanState state{importer, countLimit};
    std::vector<const char*> tokens(kObjTokenCapacity);
    LineReader reader(*importer.objFile, importer.lineBuffer.data(), importer.lineBuffer.size());
    Line line;
    uint64_t linesSinceProgress = 0;
    uint64_t overflowLine = 0;
    try {
        while (reader.readLine(line)) {
            if (++linesSinceProgress > step) {
                if (importer.aborted) return 0;
                dialog.send(DialogMessage::ScanProgress, 0, static_cast<intptr_t>(reader.bytesRead()));
                dialog.send(DialogMessage::Count, 0, static_cast<intptr_t>(state.polygons));
                linesSinceProgress = 0;
            }
            const Keyword k = peekKeywordFast(line.text);
            switch (k.first) {
            case 'v':
                if (k.second == '\0') state.vertex();
                else if (k.second == 't')
                    state.attribute(&ObjectInfo::texCoordCount, state.blockTexCoords, importer.texCoordTotal);
                else if (k.second == 'n')
                    state.attribute(&ObjectInfo::normalCount, state.blockNormals, importer.normalTotal);
                break;
            case 'f': {
                // Only the number of tokens counts here: read it in place unless quotes need
                // the full split. Faces of fewer than three corners are skipped by both passes.
                int count = countTokens(line.text, line.length, kObjTokenCapacity, line.readable);
                if (count < 0) count = splitTokens(line.text, tokens.data(), kObjTokenCapacity);
                if (count >= 4) state.face(count);
                break;
            }
            case 'g':
            case 'o': {  // files of Blender and others name their objects with o
                if (k.first == 'o' && k.second != '\0') break;
                int count = splitTokens(line.text, tokens.data(), kObjTokenCapacity);
                state.group(tokens.data(), count);
                break;
            }
            case 'm':
            case 'M': {  // the keyword is compared ignoring case
                int count = splitTokens(line.text, tokens.data(), kObjTokenCapacity);
                if (isNamedStatement(tokens.data(), count, "mtllib")) {
                    char name[kJoinedNameSize];
                    importer.addMaterialLibrary(joinName(tokens.data(), count, name, sizeof name));
                }
                break;
            }
            default:
                break;
            }
            if (state.overflow) {
                overflowLine = reader.lineNumber();
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        // Records or names of a file of very many objects.
        importer.setOutOfMemory("scan the file");
        importer.objFile->rewind();
        return 0;
    }
    if (state.overflow) {
        // Counts the model cannot hold: stop before anything is sized from them.
        importer.setError(IDS_ERROR_CREATING_MESHES);
        importer.errorLine = overflowLine;
        importer.aborted = true;
        importer.objFile->rewind();
        return 0;
    }

    if (!importer.objects.empty()) fillObjectList(importer, dialog);
    else dialog.showMessage(IDS_NOTHING_TO_IMPORT);
    importer.objFile->rewind();
    dialog.send(DialogMessage::Count, 0, static_cast<intptr_t>(state.polygons));
    dialog.send(DialogMessage::ScanProgress, 0, static_cast<intptr_t>(importer.progressTotal));
    return static_cast<int>(importer.objects.size());
}

void fillObjectList(const ObjImporter& importer, DialogLink& dialog) {
    constexpr size_t kBatch = 512;
    ObjectRow batch[kBatch];
    size_t filled = 0;
    const size_t count = importer.objects.size();
    for (size_t i = 0; i < count && !importer.aborted; ++i) {
        const ObjectInfo& o = *importer.objects[i];
        if (o.polygonCount == 0) continue;
        batch[filled++] = ObjectRow{o.name, o.polygonCount, static_cast<int32_t>(i)};
        if (filled == kBatch) {
            dialog.addObjectRows(batch, filled);
            filled = 0;
        }
    }
    if (filled && !importer.aborted) dialog.addObjectRows(batch, filled);
}

}  // namespace qf
