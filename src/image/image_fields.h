#pragma once
// Small pieces the settings and codes codecs share: built control names, cell reads, digit
// cells, partition bit sets and radio choices.
#include <string>
#include <string_view>

#include "form_model.h"
#include "codec_memory.h"

namespace kerma::image_detail {

inline constexpr int kEmptyDigit = 0xFF;
inline constexpr int kDigitBase = 0x80;

// prefix + decimal n: "avt" + 5 gives "avt5".
[[nodiscard]] std::string Indexed(std::string_view prefix, int n);

// The byte a cell carries to the panel (its low 8 bits); 0 for a cell beyond the image.
[[nodiscard]] int Byte(const Block& cells, int index);

// The character a password or code digit cell shows: its low four bits as a digit, a blank when
// they are not a decimal digit.
[[nodiscard]] char DigitChar(int cell);

// Digits of cells first .. first + count - 1; with blankForEmpty a cell of 0xFF shows a blank.
[[nodiscard]] std::string DigitText(const Block& cells, int first, int count, bool blankForEmpty);


// Partition bit set of two cells into prefix + 1 .. prefix + 16, and back.
void DecodePartitionBits(FormModel& model, std::string_view prefix, const Block& cells, int cell);
void EncodePartitionBits(const FormModel& model, std::string_view prefix, Block& cells, int cell);

// Sum of the bit values of the checked boxes prefix + first .. prefix + first + 7.
[[nodiscard]] int CheckedBits(const FormModel& model, std::string_view prefix, int first);

// Checks one radio button of a group and clears the others, whatever the parents are.
void ChooseRadio(FormModel& model, std::initializer_list<std::string_view> group,
                 std::string_view chosen);

// Stored mode of a three-button group whose codes are 0 (first), 2 (second), 1 (otherwise).
[[nodiscard]] int ModeOfButtons(const FormModel& model, std::string_view onButton,
                                std::string_view secondButton);
// The button a stored mode chooses: 0 -> on, 1 -> off, anything else -> the second button.
void ChooseMode(FormModel& model, int cell, std::string_view onButton,
                std::string_view secondButton, std::string_view offButton);

}  // namespace kerma::image_detail
