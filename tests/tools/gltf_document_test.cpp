// The glTF document's two forms: the buffer as base64 inside a .gltf, and the GLB's chunks.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "gltf/gltf_document.h"

namespace qf::gltf {
namespace {

uint32_t uint32At(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int k = 3; k >= 0; --k) value = value << 8 | uint8_t(bytes.at(at + size_t(k)));
    return value;
}

// Views whose lengths are no multiple of three, and one long enough to be written in pieces.
Document documentWithOddViews(Bytes& expectedBuffer) {
    Document doc;
    doc.generator = "test";
    std::mt19937 random(7);
    for (size_t length : {1, 2, 3, 5, 40001, 2}) {
        Bytes bytes(length);
        for (auto& b : bytes) b = uint8_t(random());
        addView(doc, bytes.data(), bytes.size(), 0);
        expectedBuffer.resize((expectedBuffer.size() + 3) / 4 * 4, 0);
        expectedBuffer.insert(expectedBuffer.end(), bytes.begin(), bytes.end());
    }
    return doc;
}

TEST(GltfDocument, TheBufferOfAGltfIsItsViewsAndTheirGapsInBase64) {
    Bytes expected;
    const Document doc = documentWithOddViews(expected);
    ASSERT_EQ(doc.bufferLength, expected.size());
    std::ostringstream out;
    std::string error;
    ASSERT_TRUE(writeDocument(out, doc, false, nullptr, error)) << error;
    const std::string text = out.str();
    EXPECT_NE(text.find("\"buffers\":[{\"byteLength\":" + std::to_string(expected.size()) + ","), std::string::npos);
    const std::string prefix = "\"uri\":\"data:application/octet-stream;base64,";
    const size_t start = text.find(prefix);
    ASSERT_NE(start, std::string::npos) << text.substr(0, 400);
    const size_t end = text.find('"', start + prefix.size());
    EXPECT_EQ(text.substr(start + prefix.size(), end - start - prefix.size()), base64(expected));
    EXPECT_EQ(text.substr(end), "\"}]}\n");  // the buffer comes last
}

TEST(GltfDocument, AGlbHoldsItsJsonAndBufferInPaddedChunks) {
    Document doc;
    doc.generator = "test";
    const unsigned char first[5] = {1, 2, 3, 4, 5}, second[3] = {6, 7, 8};
    addView(doc, first, sizeof first, kVertexData);
    addView(doc, second, sizeof second, 0);
    std::ostringstream out;
    std::string error;
    ASSERT_TRUE(writeDocument(out, doc, true, nullptr, error)) << error;
    const std::string glb = out.str();
    ASSERT_GE(glb.size(), 20u);
    EXPECT_EQ(glb.substr(0, 4), "glTF");
    EXPECT_EQ(uint32At(glb, 4), 2u);
    EXPECT_EQ(uint32At(glb, 8), glb.size());
    const uint32_t jsonLength = uint32At(glb, 12);
    EXPECT_EQ(jsonLength % 4, 0u);
    EXPECT_EQ(glb.substr(16, 4), "JSON");
    const std::string json = glb.substr(20, jsonLength);
    EXPECT_EQ(json.find_last_not_of(' '), json.rfind('}')) << "the JSON is padded with spaces";
    EXPECT_NE(json.find("\"bufferViews\":[{\"buffer\":0,\"byteOffset\":0,\"byteLength\":5,\"target\":34962},"
                        "{\"buffer\":0,\"byteOffset\":8,\"byteLength\":3}]"),
              std::string::npos)
        << json;
    EXPECT_EQ(json.find("uri"), std::string::npos);
    const size_t bin = 20 + jsonLength;
    ASSERT_EQ(glb.size(), bin + 8 + 12);
    EXPECT_EQ(uint32At(glb, bin), 12u);
    EXPECT_EQ(glb.substr(bin + 4, 4), std::string("BIN\0", 4));
    EXPECT_EQ(glb.substr(bin + 8), std::string("\1\2\3\4\5\0\0\0\6\7\10\0", 12));
}

TEST(GltfDocument, WhatAGlbCannotHoldOrACancelEndsTheFileWithTheReason) {
    Document huge;
    huge.bufferLength = size_t(5) << 30;  // the lengths alone decide; no bytes are needed
    std::ostringstream out;
    std::string error;
    EXPECT_FALSE(writeDocument(out, huge, true, nullptr, error));
    EXPECT_NE(error.find("GLB"), std::string::npos) << error;
    EXPECT_TRUE(out.str().empty()) << "nothing is written before the lengths are known to fit";

    Bytes expected;
    const Document doc = documentWithOddViews(expected);
    const std::atomic<bool> cancel{true};
    for (bool binary : {false, true}) {
        std::ostringstream cancelled;
        error.clear();
        EXPECT_FALSE(writeDocument(cancelled, doc, binary, &cancel, error));
        EXPECT_EQ(error, "cancelled");
    }
}

}  // namespace
}  // namespace qf::gltf
