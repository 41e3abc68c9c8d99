// The radio receiver section of variants 1 and 3: detector bindings, receiver borders and
// detector system numbers.
#include "fields/binding_fields.h"
#include "image_fields.h"
#include "k740_controls.h"
#include "settings_layout.h"
#include "settings_parts.h"

namespace kerma::image_detail {

namespace {

using namespace settings_cell;

constexpr int kBorderCells = 2 * kReceivers;
constexpr int kHighestPartition = 16;

int BindingCell(int receiver, int detector) {
    return kBindings + kDetectorsPerReceiver * (receiver - 1) + (detector - 1);
}

int SystemNumberCell(int index) {
    return kSystemNumberCells + index;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool RepairSystemNumbers(Block& cells) {
    bool repaired = false;
    for (int a = 0; a < kSystemNumbers - 1; ++a) {
        int number = Byte(cells, SystemNumberCell(a));
        if (number == 0) continue;
        for (int b = a + 1; b < kSystemNumbers; ++b) {
            if (Byte(cells, SystemNumberCell(b)) != number) continue;
            cells[SystemNumberCell(b)] = 0;
            repaired = true;
        }
    }
    return repaired;
}

void DecodeSystemNumbersAndBorders(FormModel& model, CodecMemory& image, const Block& cells) {
    for (int r = 1; r <= kReceivers; ++r) {
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
            int index = (r - 1) * kDetectorsPerReceiver + (d - 1);
            int number = Byte(cells, SystemNumberCell(index));
            model.setText(SystemNumberName(r, d), std::to_string(number));
            image.rpdiNumbers[index] = number;
        }
    }
    for (int n = 1; n <= kBorderCells; ++n) {
        model.setItemIndex(Indexed(fields::BorderN, n), Byte(cells, kBorders + n - 1));
    }
}

void DecodeBindings(FormModel& model, const Block& cells, int receivers) {
    for (int r = 1; r <= receivers; ++r) {
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
            int partition = Byte(cells, BindingCell(r, d));
            if (partition > kHighestPartition) partition = 0;
            model.setText(BindingName(r, d), std::to_string(partition));
        }
    }
}

int BindingValue(std::string_view text) {
    char first = text.size() > 0 ? text[0] : ' ';
    char second = text.size() > 1 ? text[1] : ' ';
    if (IsDigit(first) && IsDigit(second)) return (first - '0') * 10 + (second - '0');
    if (IsDigit(first)) return first - '0';
    if (IsDigit(second)) return second - '0';
    return 0;
}

void EncodeReceiverSection(const FormModel& model, const CodecMemory& image, Block& cells,
                           int receivers) {
    for (int r = 1; r <= receivers; ++r) {
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
            cells[BindingCell(r, d)] = BindingValue(model.at(BindingName(r, d)).text);
        }
    }
    if (receivers < kReceivers) return;
    for (int n = 1; n <= kBorderCells; ++n) {
        cells[kBorders + n - 1] = model.at(Indexed(fields::BorderN, n)).itemIndex;
    }
    // The panel takes the low byte; a file must get the same byte, never a number it cannot read.
    for (int i = 0; i < kSystemNumbers; ++i) {
        cells[SystemNumberCell(i)] = image.rpdiNumbers[i] & 0xFF;
    }
}

}  // namespace kerma::image_detail
