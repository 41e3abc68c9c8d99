#include "codes_image.h"

#include <algorithm>

#include "count_rules.h"
#include "editor_rules.h"
#include "image_fields.h"
#include "k740_controls.h"
#include "settings_image.h"

namespace kerma {

namespace {

using namespace codes_cell;
using namespace image_detail;

constexpr int kEmptyObjectHigh = 0xFF;
constexpr int kLargestWideHigh = 39;  // variant 2 reads a high cell up to 39 as part of the number
constexpr int kHexDigits = 12;
constexpr char kHex[] = "0123456789ABCDEF";

int CodeRecord(int n) {
    return kCodes + kRecordCells * (n - 1);
}
int KeyRecord(int n) {
    return kKeys + kRecordCells * (n - 1);
}
int ObjectCell(int receiver, int row, int loop) {
    return kObjects + kObjectReceiverCells * (receiver - 1) + kObjectRowCells * (row - 1) +
           2 * (loop - 1);
}

bool RecordEmpty(const Cells& cells, int record) {
    int first = Byte(cells, record);
    return first == kEmptyDigit || first == 0;
}

using BoxName = std::string (*)(int, int);

void DecodeAuthorities(FormModel& model, const Cells& cells, int record, BoxName box, int n) {
    for (int p = 1; p <= kPartitions; ++p) {
        int bits = Byte(cells, record + (p <= 8 ? kAuthorityLow : kAuthorityHigh));
        model.setEnabled(box(n, p), true);
        model.setChecked(box(n, p), (bits >> ((p - 1) % 8)) & 1);
    }
}

int AuthorityBits(const FormModel& model, BoxName box, int n, int first) {
    int bits = 0;
    for (int i = 0; i < 8; ++i) {
        if (model.at(box(n, first + i)).checked) bits |= 1 << i;
    }
    return bits;
}

void SetOutOfUse(FormModel& model, const std::string& field, BoxName box, int n) {
    model.setText(field, "");
    model.setEnabled(field, false);
    for (int p = 1; p <= kPartitions; ++p) {
        model.setChecked(box(n, p), false);
        model.setEnabled(box(n, p), false);
    }
}

void WriteUnused(Cells& cells, int record) {
    for (int i = 0; i < kDigitCells; ++i) cells[record + i] = kEmptyDigit;
    cells[record + kAuthorityLow] = 0;
    cells[record + kAuthorityHigh] = 0;
}

bool HasDigit(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// --- codes ------------------------------------------------------------------------------

void DecodeCodes(K740Editor& editor, const Cells& cells, bool padded) {
    FormModel& model = editor.model();
    for (int n = 1; n <= kMaxCodes; ++n) {
        std::string field = Indexed("kod", n);
        if (n > editor.state().codeCount) {
            SetOutOfUse(model, field, CodeBoxName, n);
            continue;
        }
        model.setEnabled(field, true);
        model.setText(field, "");
        if (RecordEmpty(cells, CodeRecord(n))) continue;
        {
            // Shown as the panel holds it, a digit 0 included: the entry filter is for typing.
            FormModel::EventBlocker quiet(model);
            model.setText(field, CodeText(cells, CodeRecord(n), padded));
        }
        DecodeAuthorities(model, cells, CodeRecord(n), CodeBoxName, n);
    }
}

void EncodeCodes(const K740Editor& editor, Cells& cells, bool qn) {
    const FormModel& model = editor.model();
    for (int n = 1; n <= kMaxCodes; ++n) {
        int record = CodeRecord(n);
        WriteUnused(cells, record);
        const std::string& text = model.at(Indexed("kod", n)).text;
        if (n > editor.state().codeCount || !HasDigit(text)) continue;
        int next = record;
        for (size_t i = 0; i < text.size() && i < kDigitCells; ++i) {
            if (text[i] >= '0' && text[i] <= '9') cells[next++] = kDigitBase + (text[i] - '0');
        }
        // The QN panels keep no authorities over partitions 1..8 in a code record.
        cells[record + kAuthorityLow] = qn ? 0 : AuthorityBits(model, CodeBoxName, n, 1);
        cells[record + kAuthorityHigh] = AuthorityBits(model, CodeBoxName, n, 9);
    }
}

// --- Touch Memory keys ------------------------------------------------------------------

void DecodeKeys(K740Editor& editor, const Cells& cells, int slots) {
    FormModel& model = editor.model();
    for (int n = 1; n <= slots; ++n) {
        std::string field = Indexed("Key", n);
        if (n > editor.state().keyCount) {
            SetOutOfUse(model, field, KeyBoxName, n);
            continue;
        }
        model.setEnabled(field, true);
        model.setText(field, "");
        if (Byte(cells, KeyRecord(n)) == kEmptyDigit) continue;
        model.setText(field, KeyText(cells, KeyRecord(n)));
        DecodeAuthorities(model, cells, KeyRecord(n), KeyBoxName, n);
    }
}

void EncodeKeys(const K740Editor& editor, Cells& cells, int slots) {
    const FormModel& model = editor.model();
    for (int n = 1; n <= slots; ++n) {
        int record = KeyRecord(n);
        WriteUnused(cells, record);
        const std::string& text = model.at(Indexed("Key", n)).text;
        if (n > editor.state().keyCount || IsBlank(text)) continue;
        EncodeKeyText(text, cells, record);
        cells[record + kAuthorityLow] = AuthorityBits(model, KeyBoxName, n, 1);
        cells[record + kAuthorityHigh] = AuthorityBits(model, KeyBoxName, n, 9);
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

// --- object numbers ---------------------------------------------------------------------

// Variant 2: a high cell of 0xFF marks no object; one above 39 is not part of the number.
void DecodeObjectsOfOneReceiver(FormModel& model, const Cells& cells) {
    for (int t = 1; t <= kQnRows; ++t) {
        for (int s = 1; s <= kQnLoops; ++s) {
            int low = Byte(cells, ObjectCell(1, t, s)), high = Byte(cells, ObjectCell(1, t, s) + 1);
            int number = high <= kLargestWideHigh   ? low + 256 * high
                         : high == kEmptyObjectHigh ? 0
                                                    : low;
            model.setText(ObjectName(1, t, s), std::to_string(number));
        }
    }
}

// Variant 5: the low four bits of the high cell count; 0xFF in both cells is no object and
// 0xFF in the high cell alone leaves the field as it is.
void DecodeObjectsOfFourReceivers(FormModel& model, const Cells& cells) {
    for (int r = 1; r <= kReceivers; ++r) {
        for (int t = 1; t <= kQnRows; ++t) {
            for (int s = 1; s <= kQnLoops; ++s) {
                int low = Byte(cells, ObjectCell(r, t, s));
                int high = Byte(cells, ObjectCell(r, t, s) + 1);
                std::string field = ObjectName(r, t, s);
                if (high != kEmptyObjectHigh) {
                    model.setText(field, std::to_string(256 * (high & 0x0F) + low));
                } else if (low == kEmptyObjectHigh) {
                    model.setText(field, "0");
                }
            }
        }
    }
}

void EncodeObjects(const FormModel& model, Cells& cells, int receivers) {
    for (int r = 1; r <= receivers; ++r) {
        for (int t = 1; t <= kQnRows; ++t) {
            for (int s = 1; s <= kQnLoops; ++s) {
                std::string_view text = model.at(ObjectName(r, t, s)).text;
                long number = FieldNumber(text.substr(0, 3), 0);
                if (number < 0) number = 0;
                cells[ObjectCell(r, t, s)] = static_cast<int>(number & 0xFF);
                cells[ObjectCell(r, t, s) + 1] = static_cast<int>(number >> 8);
            }
        }
    }
}

Cells HeldCodes(const K740State& state) {
    Cells cells = state.codesImage;
    cells.resize(std::max<size_t>(cells.size(), kCodesCells), 0);
    cells.resize(kCodesCells);
    return cells;
}

}  // namespace

int KeySlots(int variant) {
    if (variant == 1) return kMaxKeys;
    if (variant == 3) return 64;
    return 0;
}

std::string CodeText(const Cells& cells, int record, bool padded) {
    std::string digits;
    long folded = 0;
    bool decimal = true;
    for (int i = 0; i < kDigitCells; ++i) {
        int cell = Byte(cells, record + i);
        if (cell == kEmptyDigit || cell == 0) break;
        digits.push_back(DigitChar(cell));
        folded = 10 * folded + (cell & 0x0F);
        decimal = decimal && (cell & 0x0F) <= 9;
    }
    // Digits as stored keep a leading 0; cells that are no digit fold into a number as the panel
    // counts them, cut to the six places of the field.
    std::string text = decimal ? digits : std::to_string(folded).substr(0, kDigitCells);
    if (padded && text.size() < kDigitCells) text.insert(0, kDigitCells - text.size(), ' ');
    return text;
}

std::string KeyText(const Cells& cells, int record) {
    std::string text;
    for (int i = kDigitCells - 1; i >= 0; --i) {
        int cell = Byte(cells, record + i);
        text.push_back(kHex[cell >> 4]);
        text.push_back(kHex[cell & 0x0F]);
    }
    return text;
}

void EncodeKeyText(std::string_view text, Cells& cells, int record) {
    std::string digits(text.substr(0, kHexDigits));
    digits.insert(0, kHexDigits - digits.size(), '0');
    for (int i = 0; i < kDigitCells; ++i) {
        cells[record + kDigitCells - 1 - i] =
            16 * HexValue(digits[2 * i]) + HexValue(digits[2 * i + 1]);
    }
}

void DecodeCodesImage(K740Editor& editor, ImageState& image) {
    int variant = CodecVariant(editor, image);
    if (variant < 1 || variant > 5 || variant == 4) return;
    Cells cells = HeldCodes(editor.state());
    DecodeCodes(editor, cells, variant == 5);
    if (KeySlots(variant) > 0) DecodeKeys(editor, cells, KeySlots(variant));
    if (variant == 2) DecodeObjectsOfOneReceiver(editor.model(), cells);
    if (variant == 5) {
        DecodeObjectsOfFourReceivers(editor.model(), cells);
        CheckObjectsAfterDecoding(editor, image);
    }
}

Cells EncodeCodesImage(K740Editor& editor, ImageState& image) {
    Cells cells = HeldCodes(editor.state());
    int variant = CodecVariant(editor, image);
    if (variant < 1 || variant > 5 || variant == 4) return cells;
    if (variant == 5 && editor.state().defaultsAfterReplace && !image.factoryCodesCopy.empty()) {
        size_t count = std::min<size_t>(image.factoryCodesCopy.size(), kQnCodesCells);
        std::copy_n(image.factoryCodesCopy.begin(), count, cells.begin());
        return cells;
    }
    EncodeCodes(editor, cells, variant == 5);
    if (KeySlots(variant) > 0) EncodeKeys(editor, cells, KeySlots(variant));
    if (variant == 2) EncodeObjects(editor.model(), cells, 1);
    if (variant == 5) EncodeObjects(editor.model(), cells, kReceivers);
    return cells;
}

}  // namespace kerma
