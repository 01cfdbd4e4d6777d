// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <libdeflate.h>

#include <random>
#include <string>
#include <vector>

#include "render/deflate_blocks.h"
#include "support/zlib_block_ends.h"

namespace codalume {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes deflate(const Bytes &raw, int level) {
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(level);
    Bytes packed(libdeflate_deflate_compress_bound(compressor, raw.size()));
    packed.resize(libdeflate_deflate_compress(compressor, raw.data(), raw.size(), packed.data(),
                                              packed.size()));
    libdeflate_free_compressor(compressor);
    return packed;
}

Bytes text(size_t size) {
    std::mt19937 random(7);
    const std::string words[] = {"const ", "total ", "= ", "items", ".reduce(", "x) ", "{ ", "}\n"};
    Bytes bytes;
    while (bytes.size() < size) {
        const std::string &word = words[random() % std::size(words)];
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    bytes.resize(size);
    return bytes;
}

// Background pixels with a few specks: long runs, as in the picture's rows.
Bytes pixels(size_t size) {
    std::mt19937 random(11);
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = i % 4 == 3 ? 255 : 30;
    }
    for (int speck = 0; speck < 2'000; ++speck) {
        bytes[random() % size] = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

Bytes noise(size_t size) {
    std::mt19937 random(3);
    Bytes bytes(size);
    for (std::uint8_t &byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

// The picture's compressed bands are joined where the block reader says each one's final block
// starts and ends: one bit off and everything after that band is garbage.
TEST(DeflateBlocks, FindTheFinalBlockWhereZlibDoes) {
    const std::pair<const char *, Bytes> rows[] = {
        {"nothing", {}},
        {"a few bytes: the fixed code", text(12)},
        {"text: dynamic codes, several blocks", text(400'000)},
        {"pixel rows: long matches", pixels(600'000)},
        {"noise: stored blocks", noise(150'000)},
    };
    for (const auto &[why, raw] : rows) {
        for (const int level : {1, 6, 12}) {
            SCOPED_TRACE(std::string(why) + ", level " + std::to_string(level));
            const Bytes packed = deflate(raw, level);
            const std::optional<DeflateEnds> expected =
                zlibFinalBlock(packed.data(), packed.size());
            ASSERT_TRUE(expected);
            const std::optional<DeflateEnds> found = findFinalBlock(packed.data(), packed.size());
            ASSERT_TRUE(found);
            EXPECT_EQ(found->lastBlockBit, expected->lastBlockBit);
            EXPECT_EQ(found->endBit, expected->endBit);
            // Cut short, the stream has no end to find.
            EXPECT_FALSE(findFinalBlock(packed.data(), packed.size() - 1));
        }
    }
}

}  // namespace
}  // namespace codalume
