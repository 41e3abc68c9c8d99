#pragma once
// Bytes on the line as the tests build them: frames with their check byte, and blocks of
// recognisable values.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "crc8.h"

namespace kerma::test {

// The bytes with their CRC-8 appended, as every frame ends.
inline std::vector<uint8_t> WithCrc(std::vector<uint8_t> bytes) {
    bytes.push_back(Crc8(bytes));
    return bytes;
}

// A block of length bytes counting in steps from seed, so a shifted or lost byte shows.
inline std::vector<int32_t> Pattern(size_t length, int seed, int step = 7) {
    std::vector<int32_t> block(length);
    for (size_t i = 0; i < length; ++i)
        block[i] = static_cast<int32_t>((i * static_cast<size_t>(step) + seed) & 0xFF);
    return block;
}

}  // namespace kerma::test
