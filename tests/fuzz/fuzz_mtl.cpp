// The MTL reader over any bytes.
#include <cstddef>
#include <cstdint>

#include "materials/mtl_reader.h"
#include "obj/input_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qf::MemorySource source(reinterpret_cast<const char*>(data), size);
    qf::ObjImporter importer;
    qf::parseMtlFile(importer, source);
    for (const auto& m : importer.materials)
        for (const auto& map : m->maps)
            if (map->fileName[qf::kMapFileNameSize - 1] != '\0') __builtin_trap();
    return 0;
}
