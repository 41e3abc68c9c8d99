#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace kerma {

// Dallas/Maxim 1-Wire CRC-8 (reflected polynomial 0x8C, init 0, no final XOR).
[[nodiscard]] uint8_t Crc8Update(uint8_t crc, uint8_t byte);
[[nodiscard]] uint8_t Crc8(std::span<const uint8_t> bytes);

}  // namespace kerma
