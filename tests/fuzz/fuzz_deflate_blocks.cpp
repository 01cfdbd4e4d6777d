// SPDX-License-Identifier: MIT
#include <zlib.h>

#include <vector>

#include "fuzz_support.h"
#include "render/deflate_blocks.h"

// Any bytes as a raw deflate stream: the block reader stays within them, and wherever zlib's
// inflate reads a whole stream it finds the same final block (zlib is the stricter of the two:
// it also checks distances and incomplete codes).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::optional<codalume::DeflateEnds> found = codalume::findFinalBlock(data, size);
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK) {
        return 0;
    }
    stream.next_in = const_cast<uint8_t *>(data);
    stream.avail_in = static_cast<uInt>(size);
    std::vector<uint8_t> out(1 << 16);
    codalume::DeflateEnds expected;
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        status = inflate(&stream, Z_BLOCK);
        const size_t bits = (size - stream.avail_in) * 8 - (stream.data_type & 63);
        if (status == Z_OK && (stream.data_type & 128) != 0) {
            ((stream.data_type & 64) != 0 ? expected.endBit : expected.lastBlockBit) = bits;
        }
    }
    inflateEnd(&stream);
    if (status == Z_STREAM_END && (!found || found->lastBlockBit != expected.lastBlockBit ||
                                   found->endBit != expected.endBit)) {
        codalume::fuzz::fail("the final block is not where zlib finds it");
    }
    return 0;
}
