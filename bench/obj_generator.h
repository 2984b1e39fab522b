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

}  // namespace qf::bench
