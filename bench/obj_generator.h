// Writes the large OBJ files the benchmark reads.
#pragma once
#include <cstdint>
#include <string>

namespace qf::bench {

// One group, a square grid of vertices with texture vertices and triangle faces f a/a b/b c/c,
// about targetBytes long.
bool writeGridFile(const std::string& path, uint64_t targetBytes);

// groupCount groups, each with its own vertex block and a usemtl, about targetBytes long.
bool writeGroupsFile(const std::string& path, uint64_t targetBytes, int groupCount);

// groupCount groups, each a patch whose faces use negative indices, joined to the patch before it
// by faces that reach back into that patch's block; about targetBytes long.
bool writeBackReferenceFile(const std::string& path, uint64_t targetBytes, int groupCount);

// Shapes whose cost once grew faster than the file, each about targetBytes long:
// one object whose faces all name the first of two equal vertex blocks;
bool writeEarlierBlockFile(const std::string& path, uint64_t targetBytes);
// one face after each usemtl of a distinct material that no library defines;
bool writeMissingMaterialsFile(const std::string& path, uint64_t targetBytes);
// one face after each usemtl of a distinct material, all defined in a library beside the file;
bool writeManyMaterialsFile(const std::string& path, uint64_t targetBytes);
// the same, each material with a diffuse map that is nowhere;
bool writeMissingMapsFile(const std::string& path, uint64_t targetBytes);
// the same, each map in the folder "maps" beside the file but spelled there in other letter case;
bool writeOtherCaseMapsFile(const std::string& path, uint64_t targetBytes);
// mtllib statements of distinct libraries that do not exist;
bool writeLibrariesFile(const std::string& path, uint64_t targetBytes);
// groups of one face each;
bool writeOneFaceGroupsFile(const std::string& path, uint64_t targetBytes);
// Groups of one face whose names differ only in characters the host replaces: every object is
// numbered against all the others of its host name.
bool writeSameHostNameGroupsFile(const std::string& path, uint64_t targetBytes);
// a single face line as long as the file.
bool writeLongLineFile(const std::string& path, uint64_t targetBytes);
// groups of one face each, every line ended by a lone CR (old Mac files): no LF anywhere.
bool writeLoneCrFile(const std::string& path, uint64_t targetBytes);

}  // namespace qf::bench
