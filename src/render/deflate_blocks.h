// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace codalume {

// Where the final block of a raw deflate stream lies, in bits from the stream's start (bit 0
// is the lowest bit of the first byte).
struct DeflateEnds {
    size_t lastBlockBit = 0;  // the final block's header: its first bit is the final flag
    size_t endBit = 0;        // just past the final block's end-of-block code
};

// Reads the stream's block headers and Huffman codes without producing its data, which is
// several times faster than inflating it. nullopt when the stream is malformed or does not end
// within `size` bytes.
std::optional<DeflateEnds> findFinalBlock(const std::uint8_t *data, size_t size);

}  // namespace codalume
