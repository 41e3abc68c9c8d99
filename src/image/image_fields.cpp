#include "image_fields.h"

#include <algorithm>

namespace kerma::image_detail {

std::string Indexed(std::string_view prefix, int n) {
    std::string name(prefix);
    name += std::to_string(n);
    return name;
}

int Byte(const Block& cells, int index) {
    if (index < 0 || index >= static_cast<int>(cells.size())) return 0;
    return cells[index] & 0xFF;
}

char DigitChar(int cell) {
    int digit = cell & 0x0F;
    return digit <= 9 ? static_cast<char>('0' + digit) : ' ';
}

std::string DigitText(const Block& cells, int first, int count, bool blankForEmpty) {
    std::string text;
    for (int i = first; i < first + count; ++i) {
        int cell = Byte(cells, i);
        text.push_back(blankForEmpty && cell == kEmptyDigit ? ' ' : DigitChar(cell));
    }
    return text;
}

void DecodePartitionBits(FormModel& model, std::string_view prefix, const Block& cells, int cell) {
    for (int p = 1; p <= kPartitions; ++p) {
        int bits = Byte(cells, p <= 8 ? cell : cell + 1);
        model.setChecked(Indexed(prefix, p), (bits >> ((p - 1) % 8)) & 1);
    }
}

int CheckedBits(const FormModel& model, std::string_view prefix, int first) {
    int bits = 0;
    for (int i = 0; i < 8; ++i) {
        if (model.at(Indexed(prefix, first + i)).checked) bits |= 1 << i;
    }
    return bits;
}

void EncodePartitionBits(const FormModel& model, std::string_view prefix, Block& cells, int cell) {
    cells[cell] = CheckedBits(model, prefix, 1);
    cells[cell + 1] = CheckedBits(model, prefix, 9);
}

void ChooseRadio(FormModel& model, std::initializer_list<std::string_view> group,
                 std::string_view chosen) {
    for (std::string_view name : group) {
        if (name != chosen) model.setChecked(name, false);
    }
    model.setChecked(chosen, true);
}

int ModeOfButtons(const FormModel& model, std::string_view onButton,
                  std::string_view secondButton) {
    if (model.at(onButton).checked) return 0;
    return model.at(secondButton).checked ? 2 : 1;
}

void ChooseMode(FormModel& model, int cell, std::string_view onButton,
                std::string_view secondButton, std::string_view offButton) {
    std::string_view chosen = cell == 0 ? onButton : cell == 1 ? offButton : secondButton;
    ChooseRadio(model, {onButton, secondButton, offButton}, chosen);
}

}  // namespace kerma::image_detail
