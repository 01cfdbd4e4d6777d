// SPDX-License-Identifier: MIT
#include "fuzz_support.h"
#include "render/deflate_blocks.h"
#include "support/zlib_block_ends.h"

// Any bytes as a raw deflate stream: the block reader stays within them, and wherever zlib's
// inflate reads a whole stream it finds the same final block (zlib is the stricter of the two:
// it also checks distances and incomplete codes).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::optional<codalume::DeflateEnds> found = codalume::findFinalBlock(data, size);
    const std::optional<codalume::DeflateEnds> expected = codalume::zlibFinalBlock(data, size);
    if (expected && (!found || found->lastBlockBit != expected->lastBlockBit ||
                     found->endBit != expected->endBit)) {
        codalume::fuzz::fail("the final block is not where zlib finds it");
    }
    return 0;
}
