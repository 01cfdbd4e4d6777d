// SPDX-License-Identifier: MIT
#include "render/deflate_blocks.h"

#include <array>

namespace codalume {

namespace {

constexpr int kMaxCodeBits = 15;
// Codes up to this long are decoded by one table lookup; longer (rare) ones bit by bit.
constexpr int kFastBits = 10;
constexpr int kMaxSymbols = 288;

constexpr std::array<std::uint8_t, 29> kLengthExtraBits = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint8_t, 30> kDistanceExtraBits = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                             4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                             9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The stream's bits, lowest first, as deflate packs them.
class BitReader {
  public:
    BitReader(const std::uint8_t *data, size_t size) : data_(data), size_(size) {}

    // Holds at least 57 bits afterwards, unless the input ends first.
    void fill() {
        while (held_ <= 56 && next_ < size_) {
            bits_ |= std::uint64_t{data_[next_++]} << held_;
            held_ += 8;
        }
    }
    int held() const { return held_; }
    // The next `count` (at most 32) bits; zeros past the end of the input.
    std::uint32_t peek(int count) const {
        return static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << count) - 1));
    }
    void drop(int count) {
        bits_ >>= count;
        held_ -= count;
    }
    std::optional<std::uint32_t> take(int count) {
        fill();
        if (held_ < count) {
            return std::nullopt;
        }
        const std::uint32_t value = peek(count);
        drop(count);
        return value;
    }
    size_t position() const { return next_ * 8 - static_cast<size_t>(held_); }
    void alignToByte() { drop(held_ % 8); }
    // Skips `bytes` whole bytes from a byte boundary.
    bool skipBytes(size_t bytes) {
        const size_t at = position() / 8;
        if (bytes > size_ - at) {
            return false;
        }
        next_ = at + bytes;
        bits_ = 0;
        held_ = 0;
        return true;
    }

  private:
    const std::uint8_t *data_;
    size_t size_;
    size_t next_ = 0;
    std::uint64_t bits_ = 0;
    int held_ = 0;
};

// A canonical Huffman code, built from the code lengths of its symbols.
class HuffmanCode {
  public:
    // False when the lengths (each at most 15) are over-subscribed.
    bool build(const std::uint8_t *lengths, int count) {
        counts_.fill(0);
        for (int symbol = 0; symbol < count; ++symbol) {
            ++counts_[lengths[symbol]];
        }
        counts_[0] = 0;
        int left = 1;
        std::array<int, kMaxCodeBits + 2> offsets{};
        for (int length = 1; length <= kMaxCodeBits; ++length) {
            left = 2 * left - counts_[length];
            if (left < 0) {
                return false;
            }
            offsets[length + 1] = offsets[length] + counts_[length];
        }
        for (int symbol = 0; symbol < count; ++symbol) {
            if (lengths[symbol] != 0) {
                symbols_[offsets[lengths[symbol]]++] = static_cast<std::uint16_t>(symbol);
            }
        }
        // The table is indexed by the next kFastBits bits as read: codes are packed from their
        // highest bit, so each code is entered reversed, at every index it is a prefix of.
        fast_.fill(0);
        std::uint32_t code = 0;
        int index = 0;
        for (int length = 1; length <= kFastBits; ++length) {
            for (int i = 0; i < counts_[length]; ++i, ++code) {
                std::uint32_t reversed = 0;
                for (int bit = 0; bit < length; ++bit) {
                    reversed |= ((code >> bit) & 1) << (length - 1 - bit);
                }
                const auto entry = static_cast<std::uint16_t>(symbols_[index + i] << 4 | length);
                for (std::uint32_t at = reversed; at < fast_.size(); at += 1u << length) {
                    fast_[at] = entry;
                }
            }
            index += counts_[length];
            code <<= 1;
        }
        return true;
    }

    // The next symbol, or -1 for a code that is not in use or runs past the input.
    int decode(BitReader &in) const {
        in.fill();
        const std::uint16_t entry = fast_[in.peek(kFastBits)];
        if (entry != 0) {
            const int length = entry & 15;
            if (length > in.held()) {
                return -1;
            }
            in.drop(length);
            return entry >> 4;
        }
        // Codes of one length are consecutive numbers, those of the next follow them doubled.
        int code = 0;
        int first = 0;
        int index = 0;
        for (int length = 1; length <= kMaxCodeBits && length <= in.held(); ++length) {
            code |= static_cast<int>(in.peek(length) >> (length - 1));
            const int count = counts_[length];
            if (code - first < count) {
                in.drop(length);
                return symbols_[index + code - first];
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -1;
    }

  private:
    std::array<std::uint16_t, 1 << kFastBits> fast_{};  // symbol << 4 | length; 0: longer
    std::array<int, kMaxCodeBits + 1> counts_{};
    std::array<std::uint16_t, kMaxSymbols> symbols_{};  // by code length, then by symbol
};

struct FixedCodes {
    HuffmanCode literals;
    HuffmanCode distances;
    FixedCodes() {
        std::array<std::uint8_t, kMaxSymbols> lengths{};
        for (int symbol = 0; symbol < kMaxSymbols; ++symbol) {
            lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
        }
        literals.build(lengths.data(), kMaxSymbols);
        lengths.fill(5);
        distances.build(lengths.data(), 30);
    }
};

// The lengths of both codes of a dynamic block, written in the code-length code.
bool readCodeLengths(BitReader &in, const HuffmanCode &lengthCode, std::uint8_t *lengths,
                     int total) {
    for (int i = 0; i < total;) {
        const int symbol = lengthCode.decode(in);
        if (symbol < 0) {
            return false;
        }
        if (symbol < 16) {
            lengths[i++] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        // 16 repeats the previous length 3-6 times, 17 and 18 give 3-10 and 11-138 zeros.
        const int extraBits = symbol == 16 ? 2 : symbol == 17 ? 3 : 7;
        const auto extra = in.take(extraBits);
        if (!extra || (symbol == 16 && i == 0)) {
            return false;
        }
        const int repeat = (symbol == 18 ? 11 : 3) + static_cast<int>(*extra);
        const std::uint8_t value = symbol == 16 ? lengths[i - 1] : 0;
        if (repeat > total - i) {
            return false;
        }
        for (int r = 0; r < repeat; ++r) {
            lengths[i++] = value;
        }
    }
    return true;
}

bool readDynamicCodes(BitReader &in, HuffmanCode &literals, HuffmanCode &distances) {
    const auto literalCount = in.take(5);
    const auto distanceCount = in.take(5);
    const auto lengthCodeCount = in.take(4);
    if (!literalCount || !distanceCount || !lengthCodeCount || *literalCount > 29 ||
        *distanceCount > 29) {
        return false;
    }
    constexpr std::array<std::uint8_t, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                     11, 4,  12, 3, 13, 2, 14, 1, 15};
    std::array<std::uint8_t, 19> lengthCodeLengths{};
    for (std::uint32_t i = 0; i < *lengthCodeCount + 4; ++i) {
        const auto length = in.take(3);
        if (!length) {
            return false;
        }
        lengthCodeLengths[kOrder[i]] = static_cast<std::uint8_t>(*length);
    }
    HuffmanCode lengthCode;
    if (!lengthCode.build(lengthCodeLengths.data(), 19)) {
        return false;
    }
    const int literalsUsed = static_cast<int>(*literalCount) + 257;
    const int total = literalsUsed + static_cast<int>(*distanceCount) + 1;
    std::array<std::uint8_t, kMaxSymbols + 32> lengths{};
    return readCodeLengths(in, lengthCode, lengths.data(), total) && lengths[256] != 0 &&
           literals.build(lengths.data(), literalsUsed) &&
           distances.build(lengths.data() + literalsUsed, total - literalsUsed);
}

// Reads a block's codes up to its end-of-block code.
bool skipCodes(BitReader &in, const HuffmanCode &literals, const HuffmanCode &distances) {
    for (;;) {
        const int symbol = literals.decode(in);
        if (symbol < 256) {
            if (symbol < 0) {
                return false;
            }
            continue;
        }
        if (symbol == 256) {
            return true;
        }
        const int length = symbol - 257;
        if (length >= static_cast<int>(kLengthExtraBits.size()) ||
            !in.take(kLengthExtraBits[length])) {
            return false;
        }
        const int distance = distances.decode(in);
        if (distance < 0 || distance >= static_cast<int>(kDistanceExtraBits.size()) ||
            !in.take(kDistanceExtraBits[distance])) {
            return false;
        }
    }
}

bool skipStored(BitReader &in) {
    in.alignToByte();
    const auto length = in.take(16);
    const auto complement = in.take(16);
    return length && complement && *length == (~*complement & 0xffff) && in.skipBytes(*length);
}

}  // namespace

std::optional<DeflateEnds> findFinalBlock(const std::uint8_t *data, size_t size) {
    static const FixedCodes fixed;
    BitReader in(data, size);
    for (;;) {
        const size_t start = in.position();
        const auto final = in.take(1);
        const auto type = in.take(2);
        if (!final || !type) {
            return std::nullopt;
        }
        bool read = false;
        if (*type == 0) {
            read = skipStored(in);
        } else if (*type == 1) {
            read = skipCodes(in, fixed.literals, fixed.distances);
        } else if (*type == 2) {
            HuffmanCode literals;
            HuffmanCode distances;
            read = readDynamicCodes(in, literals, distances) && skipCodes(in, literals, distances);
        }
        if (!read) {
            return std::nullopt;
        }
        if (*final == 1) {
            return DeflateEnds{start, in.position()};
        }
    }
}

}  // namespace codalume
