// SPDX-License-Identifier: MIT
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "render/deflate_blocks.h"

namespace codalume {

// zlib's own account of a raw deflate stream's final block, the reference for the block reader:
// with Z_BLOCK, inflate stops before every block header and just past the final block, and says
// how many bits of the last byte it read are still unused. nullopt unless zlib reads a whole
// stream.
inline std::optional<DeflateEnds> zlibFinalBlock(const std::uint8_t *data, size_t size) {
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK) {
        return std::nullopt;
    }
    stream.next_in = const_cast<std::uint8_t *>(data);
    stream.avail_in = static_cast<uInt>(size);
    std::vector<std::uint8_t> out(1 << 16);
    DeflateEnds ends;
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        status = inflate(&stream, Z_BLOCK);
        const size_t bits = (size - stream.avail_in) * 8 - (stream.data_type & 63);
        if (status == Z_OK && (stream.data_type & 128) != 0) {
            ((stream.data_type & 64) != 0 ? ends.endBit : ends.lastBlockBit) = bits;
        }
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END ? std::optional(ends) : std::nullopt;
}

}  // namespace codalume
