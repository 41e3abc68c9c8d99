#include "codes_image.h"

#include <algorithm>

#include "editor_rules.h"
#include "fields/code_fields.h"
#include "fields/key_fields.h"
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

int ObjectCell(int receiver, int row, int loop) {
    return kObjects + kObjectReceiverCells * (receiver - 1) + kObjectRowCells * (row - 1) +
           2 * (loop - 1);
}

using BoxName = std::string (*)(int, int);

// What tells the code list and the key list apart in the block and on the page.
struct EntryList {
    const char* prefix;  // field name before the number
    BoxName box;
    void (*setInUse)(FormModel&, int, bool);
    int firstRecord;
    bool lowAuthorities;  // authorities over partitions 1..8 are kept

    [[nodiscard]] std::string field(int n) const { return Indexed(prefix, n); }
    [[nodiscard]] int record(int n) const { return firstRecord + kRecordCells * (n - 1); }
};

constexpr EntryList kCodeList{fields::kodN, CodeBoxName, SetCodeInUse, kCodes, true};
// The QN panels keep no authorities over partitions 1..8 in a code record.
constexpr EntryList kQnCodeList{fields::kodN, CodeBoxName, SetCodeInUse, kCodes, false};
constexpr EntryList kKeyList{fields::KeyN, KeyBoxName, SetKeyInUse, kKeys, true};

void DecodeAuthorities(FormModel& model, const Block& cells, int record, BoxName box, int n) {
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

void WriteUnused(Block& cells, int record) {
    for (int i = 0; i < kDigitCells; ++i) cells[record + i] = kEmptyDigit;
    cells[record + kAuthorityLow] = 0;
    cells[record + kAuthorityHigh] = 0;
}

bool HasDigit(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Entries 1..slots: those beyond count go out of use; the others are emptied and enabled, then
// `show` puts a record's text in (false: the record is empty) and its authorities follow.
template <typename Show>
void DecodeEntries(FormModel& model, const Block& cells, const EntryList& list, int slots,
                   int count, Show show) {
    for (int n = 1; n <= slots; ++n) {
        const std::string field = list.field(n);
        if (n > count) {
            list.setInUse(model, n, false);
            continue;
        }
        model.setEnabled(field, true);
        model.setText(field, "");
        if (!show(field, list.record(n))) continue;
        DecodeAuthorities(model, cells, list.record(n), list.box, n);
    }
}

// Records 1..slots start unused; `put` writes the digits of an entry in use (false: the text
// holds no entry) and its authorities follow.
template <typename Put>
void EncodeEntries(const FormModel& model, Block& cells, const EntryList& list, int slots,
                   int count, Put put) {
    for (int n = 1; n <= slots; ++n) {
        const int record = list.record(n);
        WriteUnused(cells, record);
        if (n > count || !put(model.at(list.field(n)).text, record)) continue;
        cells[record + kAuthorityLow] =
            list.lowAuthorities ? AuthorityBits(model, list.box, n, 1) : 0;
        cells[record + kAuthorityHigh] = AuthorityBits(model, list.box, n, 9);
    }
}

// --- codes ------------------------------------------------------------------------------

void DecodeCodes(K740Editor& editor, const Block& cells, bool padded) {
    FormModel& model = editor.model();
    DecodeEntries(model, cells, kCodeList, kMaxCodes, editor.state().codeCount,
                  [&](const std::string& field, int record) {
                      const int first = Byte(cells, record);
                      if (first == kEmptyDigit || first == 0) return false;
                      // Shown as the panel holds it, a digit 0 included: the entry filter is
                      // for typing.
                      FormModel::EventBlocker quiet(model);
                      model.setText(field, CodeText(cells, record, padded));
                      return true;
                  });
}

void EncodeCodes(const K740Editor& editor, Block& cells, bool qn) {
    EncodeEntries(editor.model(), cells, qn ? kQnCodeList : kCodeList, kMaxCodes,
                  editor.state().codeCount, [&](const std::string& text, int record) {
                      if (!HasDigit(text)) return false;
                      int next = record;
                      for (size_t i = 0; i < text.size() && i < kDigitCells; ++i) {
                          if (text[i] >= '0' && text[i] <= '9')
                              cells[next++] = kDigitBase + (text[i] - '0');
                      }
                      return true;
                  });
}

// --- Touch Memory keys ------------------------------------------------------------------

void DecodeKeys(K740Editor& editor, const Block& cells, int slots) {
    FormModel& model = editor.model();
    DecodeEntries(model, cells, kKeyList, slots, editor.state().keyCount,
                  [&](const std::string& field, int record) {
                      if (Byte(cells, record) == kEmptyDigit) return false;
                      model.setText(field, KeyText(cells, record));
                      return true;
                  });
}

void EncodeKeys(const K740Editor& editor, Block& cells, int slots) {
    EncodeEntries(editor.model(), cells, kKeyList, slots, editor.state().keyCount,
                  [&](const std::string& text, int record) {
                      if (IsBlank(text)) return false;
                      EncodeKeyText(text, cells, record);
                      return true;
                  });
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

// --- object numbers ---------------------------------------------------------------------

// Variant 2: a high cell of 0xFF marks no object; one above 39 is not part of the number.
void DecodeObjectsOfOneReceiver(FormModel& model, const Block& cells) {
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
void DecodeObjectsOfFourReceivers(FormModel& model, const Block& cells) {
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

void EncodeObjects(const FormModel& model, Block& cells, int receivers) {
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

Block HeldCodes(const K740State& state) {
    Block cells = state.codesImage;
    cells.resize(std::max<size_t>(cells.size(), kCodesCells), 0);
    cells.resize(kCodesCells);
    return cells;
}

}  // namespace

std::string CodeText(const Block& cells, int record, bool padded) {
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

std::string KeyText(const Block& cells, int record) {
    std::string text;
    for (int i = kDigitCells - 1; i >= 0; --i) {
        int cell = Byte(cells, record + i);
        text.push_back(kHex[cell >> 4]);
        text.push_back(kHex[cell & 0x0F]);
    }
    return text;
}

void EncodeKeyText(std::string_view text, Block& cells, int record) {
    std::string digits(text.substr(0, kHexDigits));
    digits.insert(0, kHexDigits - digits.size(), '0');
    for (int i = 0; i < kDigitCells; ++i) {
        cells[record + kDigitCells - 1 - i] =
            16 * HexValue(digits[2 * i]) + HexValue(digits[2 * i + 1]);
    }
}

void DecodeCodesImage(K740Editor& editor, CodecMemory& image) {
    const PanelVariant& variant = DescribeVariant(ShownVariant(editor.state()));
    if (!variant.codes) return;
    Block cells = HeldCodes(editor.state());
    DecodeCodes(editor, cells, !variant.codeAuthorities);
    if (variant.keySlots > 0) DecodeKeys(editor, cells, variant.keySlots);
    if (variant.radio != RadioSystem::Qn) return;
    if (variant.receivers == 1) {
        DecodeObjectsOfOneReceiver(editor.model(), cells);
        return;
    }
    DecodeObjectsOfFourReceivers(editor.model(), cells);
    CheckObjectsAfterDecoding(editor, image);
}

Block EncodeCodesImage(K740Editor& editor, CodecMemory& image) {
    Block cells = HeldCodes(editor.state());
    const PanelVariant& variant = DescribeVariant(ShownVariant(editor.state()));
    if (!variant.codes) return cells;
    if (variant.factoryCodesAfterReplace && editor.state().defaultsAfterReplace &&
        !image.factoryCodesCopy.empty()) {
        size_t count = std::min<size_t>(image.factoryCodesCopy.size(), kQnCodesCells);
        std::copy_n(image.factoryCodesCopy.begin(), count, cells.begin());
        return cells;
    }
    EncodeCodes(editor, cells, !variant.codeAuthorities);
    if (variant.keySlots > 0) EncodeKeys(editor, cells, variant.keySlots);
    if (variant.radio == RadioSystem::Qn) EncodeObjects(editor.model(), cells, variant.receivers);
    return cells;
}

}  // namespace kerma
