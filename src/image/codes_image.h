#pragma once
// The codes block <-> the editor: confirmation codes with their partition authorities, Touch
// Memory keys and, in the QN variants, the object numbers of the transmitters' loops.
#include <string>
#include <string_view>

#include "codec_memory.h"
#include "k740_editor.h"

namespace kerma {

namespace codes_cell {
inline constexpr int kRecordCells = 8;
inline constexpr int kDigitCells = 6;     // cells 0..5 of a code or key record
inline constexpr int kAuthorityLow = 6;   // partitions 1..8
inline constexpr int kAuthorityHigh = 7;  // partitions 9..16
inline constexpr int kCodes = 0;          // 32 code records
inline constexpr int kKeys = 256;         // key records
inline constexpr int kObjects = 256;      // QN object numbers, two cells per loop
inline constexpr int kObjectReceiverCells = 384;
inline constexpr int kObjectRowCells = 16;
}  // namespace codes_cell

// Sets the code, key and object fields of the current variant from the held codes block,
// CodeCount and KeyCount.
void DecodeCodesImage(K740Editor& editor, CodecMemory& image);

// Builds a 2048-cell codes image. It starts as a copy of the held codes block, so every cell the
// variant does not write (tails, variant 4's whole block) goes back as it was read.
[[nodiscard]] Block EncodeCodesImage(K740Editor& editor, CodecMemory& image);

// Text of a code record's digit cells; variant 5 pads it on the left to six places.
[[nodiscard]] std::string CodeText(const Block& cells, int record, bool padded);
// The 12 hexadecimal digits of a key record, most significant byte (cell 5) first.
[[nodiscard]] std::string KeyText(const Block& cells, int record);
// Writes a key text into cells 0..5 of its record. A text shorter than 12 characters counts as if
// filled with leading zeros; a character that is not a hexadecimal digit counts as 0.
void EncodeKeyText(std::string_view text, Block& cells, int record);

}  // namespace kerma
