#pragma once
// The panel's display has a Cyrillic character generator in which letters that look like Latin
// ones share the Latin codes. Own partition names travel in these codes; the editor holds them as
// UTF-8 text.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kerma {

// Panel display code of one Windows-1251 character (PanelCharTable). Codes below 0x80 pass
// unchanged; a character of 0x80 or above that the table does not list is stored as
// (code - 0xA8) mod 256.
[[nodiscard]] uint8_t PanelCodeOfCp1251(uint8_t cp1251);

// Text of one stored byte: the reverse table for bytes of 0x80 and above, 0x17 and 0x08;
// every other byte is taken unchanged. A byte that no character encodes back to reads as "?".
[[nodiscard]] std::string TextOfPanelCode(uint8_t code);

// An own name of at most 8 characters as stored: the first 8 characters of the UTF-8 text,
// padded with 0x20. A character outside Windows-1251 is stored as "?", as the platform's
// conversion does.
[[nodiscard]] std::array<uint8_t, 8> EncodePanelName(std::string_view utf8);

// The 8 stored bytes as UTF-8 text, padding included.
[[nodiscard]] std::string DecodePanelName(const std::array<uint8_t, 8>& codes);

// Windows-1251 <-> Unicode for the characters the names can hold.
[[nodiscard]] char32_t UnicodeOfCp1251(uint8_t cp1251);  // 0 for the one undefined code
[[nodiscard]] int Cp1251OfUnicode(char32_t c);           // -1 when not representable

}  // namespace kerma
