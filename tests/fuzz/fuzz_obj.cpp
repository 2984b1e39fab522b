// Pre-scan and parse pass over any bytes: the first byte picks the options, the rest is the file.
#include <cstddef>
#include <cstdint>

#include "dialogs/object_selection.h"
#include "model/fixed_text.h"
#include "obj/input_source.h"
#include "obj/obj_parser.h"
#include "obj/prescan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    qf::MemorySource source(reinterpret_cast<const char*>(data + 1), size - 1);
    qf::ObjImporter importer;
    importer.objFile = &source;
    importer.progressTotal = size - 1;
    // Small windows make lines straddle them; large ones keep lines in place.
    importer.lineBuffer.allocate((flags & 1) ? 16 : qf::kLineBufferSize);
    importer.options.importAsClusters = flags & 2;
    importer.options.textureCoords = !(flags & 4);
    importer.options.flipZY = flags & 8;
    importer.options.objectScale = (flags & 16) ? 1000.0f : 1.0f;
    qf::copyBounded(importer.baseName, "fuzz");
    qf::SilentLink link;
    qf::prescanObj(importer, link);
    qf::selectObjects(importer, (flags & 32) ? "?*" : "*");
    qf::runParse(importer, link);
    // Every mesh must be well-formed: fills within their arrays, indices within the slots.
    for (const auto& named : importer.meshes) {
        const qf::Mesh& m = named->mesh;
        if (size_t(m.vertexIndexFill) > m.vertexIndices.size()) __builtin_trap();
        if (importer.aborted) continue;
        for (int32_t i = 0; i < m.vertexIndexFill; ++i)
            if (m.vertexIndices[size_t(i)] < 0 || m.vertexIndices[size_t(i)] >= m.vertexCount) __builtin_trap();
    }
    return 0;
}
