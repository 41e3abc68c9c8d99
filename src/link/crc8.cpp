#include "crc8.h"

#include <array>

namespace kerma {
namespace {

constexpr std::array<uint8_t, 256> MakeTable() {
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        uint8_t crc = static_cast<uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0x8C : crc >> 1;
        table[i] = crc;
    }
    return table;
}

constexpr auto kTable = MakeTable();

}  // namespace

uint8_t Crc8Update(uint8_t crc, uint8_t byte) {
    return kTable[crc ^ byte];
}

uint8_t Crc8(std::span<const uint8_t> bytes) {
    uint8_t crc = 0;
    for (uint8_t b : bytes) crc = Crc8Update(crc, b);
    return crc;
}

}  // namespace kerma
