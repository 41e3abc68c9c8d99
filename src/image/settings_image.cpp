#include "settings_image.h"

#include <algorithm>

#include "codes_image.h"
#include "count_rules.h"
#include "fields/code_fields.h"
#include "fields/key_fields.h"
#include "fields/name_fields.h"
#include "fields/partition_fields.h"
#include "fields/window_fields.h"
#include "image_fields.h"
#include "k740_controls.h"
#include "link_types.h"
#include "panel_chars.h"
#include "settings_fields.h"
#include "settings_layout.h"
#include "settings_parts.h"

namespace kerma {

namespace {

using namespace settings_cell;
using namespace image_detail;

// The notice of the engineer password rule; the encoding refuses the same passwords.
constexpr const char* kEngineerPasswordNotice =
    "Недопустимое количество цифр! Количестово цифр в пароле инженера должно быть 4!";
constexpr const char* kDuplicateSystemNumbers =
    "Внимание! Существуют повторяющиеся системные номера РПДИ-они будут занулены! Рекомендуется "
    "сохранить настройки в прибор!";

constexpr int kItemOn = 0, kItemOff = 1;

int Count(int cell, int max) {
    return std::clamp(cell, 0, max);
}

// --- pieces used by variants 1, 2 and 3 ---------------------------------------------------

// A password or code the panel holds is shown as it is: the entry filters, which refuse the
// digit 0 as the user types, must not change what a read brings in.
void ShowAsStored(FormModel& model, std::string_view field, std::string text) {
    FormModel::EventBlocker quiet(model);
    model.setText(field, std::move(text));
}

void DecodeEngineerPassword(FormModel& model, std::string_view field, const Block& cells) {
    ShowAsStored(model, field, DigitText(cells, kEngineerPassword, kEngineerDigits, false));
}

// Four digits with nothing else in the text, or an empty result.
std::string EngineerDigits(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c == ' ') continue;
        if (c < '0' || c > '9') return {};
        digits.push_back(c);
    }
    return digits.size() == kEngineerDigits ? digits : std::string();
}

Result<void> EncodeEngineerPassword(const FormModel& model, std::string_view field, Block& cells) {
    std::string digits = EngineerDigits(model.at(field).text);
    if (digits.empty()) return Fail(kEngineerPasswordNotice);
    for (int i = 0; i < kEngineerDigits; ++i) {
        cells[kEngineerPassword + i] = kDigitBase + (digits[i] - '0');
    }
    return {};
}

void DecodeUserPassword(FormModel& model, const Block& cells) {
    ShowAsStored(model, fields::PasswordEdit2, DigitText(cells, kUserPassword, kUserDigits, true));
}

void EncodeUserPassword(const FormModel& model, Block& cells) {
    const std::string& text = model.at(fields::PasswordEdit2).text;
    for (int i = 0; i < kUserDigits; ++i) {
        char c = i < static_cast<int>(text.size()) ? text[i] : ' ';
        cells[kUserPassword + i] = (c >= '0' && c <= '9') ? kDigitBase + (c - '0') : kEmptyDigit;
    }
}

void DecodeNames(FormModel& model, CodecMemory& image, const Block& cells) {
    for (int p = 1; p <= kPartitions; ++p) {
        int choice = Byte(cells, kNameChoice + p - 1);
        int item = choice == kOwnNameChoice ? kOwnNameItem : choice < kPresetNames ? choice : -1;
        model.setItemIndex(Indexed(fields::NameRzdN, p), item);
        bool own = item == kOwnNameItem;
        std::string edit = Indexed(fields::OwnNameN, p);
        model.setVisible(edit, own);
        model.setVisible(Indexed(fields::LabelSimbN, p), own);
        OwnNameMemo& memo = image.ownNames[p - 1];
        memo = {};
        if (!own) {
            model.setText(edit, "");
            continue;
        }
        int first = kOwnNames + kOwnNameLength * (p - 1);
        for (int j = 0; j < kOwnNameLength; ++j) memo.codes[j] = Byte(cells, first + j);
        model.setText(edit, DecodePanelName(memo.codes));
        memo.valid = true;
        memo.text = model.at(edit).text;
    }
}

void EncodeNames(const FormModel& model, const CodecMemory& image, Block& cells) {
    for (int p = 1; p <= kPartitions; ++p) {
        int item = model.at(Indexed(fields::NameRzdN, p)).itemIndex;
        cells[kNameChoice + p - 1] = item == kOwnNameItem ? kOwnNameChoice : item;
        if (item != kOwnNameItem) continue;
        const std::string& text = model.at(Indexed(fields::OwnNameN, p)).text;
        const OwnNameMemo& memo = image.ownNames[p - 1];
        auto codes = memo.valid && memo.text == text ? memo.codes : EncodePanelName(text);
        int first = kOwnNames + kOwnNameLength * (p - 1);
        std::copy(codes.begin(), codes.end(), cells.begin() + first);
    }
}

void DecodePartitionTypes(FormModel& model, const Block& cells) {
    for (int p = 1; p <= kPartitions; ++p) {
        int shift = (p - 1) % 8, high = p > 8 ? 1 : 0;
        bool fire = (Byte(cells, kFire + high) >> shift) & 1;
        bool emergency = (Byte(cells, kEmergency + high) >> shift) & 1;
        // The three buttons are exclusive and emergency is applied after fire.
        std::string chosen = Indexed(emergency ? fields::ds2N
                                     : fire    ? fields::ds0N
                                               : fields::ds1N,
                                     p);
        ChooseRadio(model,
                    {Indexed(fields::ds0N, p), Indexed(fields::ds1N, p), Indexed(fields::ds2N, p)},
                    chosen);
    }
}

// Cell 63: variant 1 stores memory on as 0, variant 3 as 0xFF.
int DecodePartitionMemory(int cell, const PanelVariant& variant) {
    if (variant.number == 1) return cell == 0 ? kItemOn : kItemOff;
    return cell == 0 ? kItemOff : kItemOn;
}
int EncodePartitionMemory(const FormModel& model, const PanelVariant& variant) {
    bool on = model.at(fields::MemRazd).itemIndex == kItemOn;
    if (variant.number == 1) return on ? 0 : 0xFF;
    return on ? 0xFF : 0;
}

void DecodeRelayModes(FormModel& model, const Block& cells) {
    int modes = Byte(cells, kRelayModes);
    model.setItemIndex(fields::Rele1Combo, modes & 0x0F);
    model.setItemIndex(fields::Rele2Combo, (modes >> 4) & 0x0F);
}

// Two lists without a selection give -1, as the panel's own program stores them. One list
// without a selection keeps its four bits at 0xF, so the cell stays a byte a file can carry.
int EncodeRelayModes(const FormModel& model) {
    int relay1 = model.at(fields::Rele1Combo).itemIndex,
        relay2 = model.at(fields::Rele2Combo).itemIndex;
    if (relay1 < 0 && relay2 < 0) return -1;
    return ((relay2 & 0x0F) << 4) | (relay1 & 0x0F);
}

// The QN-M page's keyboard sound and display backlight.
constexpr SoundAndBacklight kQnmSoundAndBacklight{
    {fields::Timesound, fields::Keysound1, fields::keysound2, fields::Keysound3},
    {fields::TimeLCD, fields::LCD_key1, fields::LCD_key2, fields::LCD_key3}};

// --- variants 1 and 3 ---------------------------------------------------------------------

void DecodeQnm(K740Editor& editor, CodecMemory& image, Block& cells, const PanelVariant& variant) {
    FormModel& model = editor.model();
    bool fourReceivers = variant.receivers > 1;
    model.setItemIndex(fields::MemRazd,
                       DecodePartitionMemory(Byte(cells, kPartitionMemory), variant));
    DecodeUserPassword(model, cells);
    DecodeNames(model, image, cells);
    if (fourReceivers) {
        if (RepairSystemNumbers(cells)) editor.prompts().notice(kDuplicateSystemNumbers);
        DecodeSystemNumbersAndBorders(model, image, cells);
    }
    DecodeEngineerPassword(model, fields::PasswordEdit, cells);
    ShowCodeCount(editor, Byte(cells, kCodeCount));
    ShowKeyCount(editor, Byte(cells, kKeyCount));
    // The types first: a fire type clears the silent and 24-hour boxes the table then sets.
    DecodePartitionTypes(model, cells);
    DecodeRelayModes(model, cells);
    DecodeBindings(model, cells, variant.receivers);
    DecodeSoundAndBacklight(model, cells, kQnmSoundAndBacklight);
    DecodeSettingsFields(model, cells, variant.number);
}

Result<void> EncodeQnm(const K740Editor& editor, const CodecMemory& image, Block& cells,
                       const PanelVariant& variant) {
    const FormModel& model = editor.model();
    if (auto password = EncodeEngineerPassword(model, fields::PasswordEdit, cells); !password)
        return password;
    cells[kCodeCount] = editor.state().codeCount;
    cells[kKeyCount] = editor.state().keyCount;
    EncodeSettingsFields(model, cells, variant.number);
    EncodePartitionBits(model, fields::ds0N, cells, kFire);
    EncodePartitionBits(model, fields::ds2N, cells, kEmergency);
    cells[kRelayModes] = EncodeRelayModes(model);
    EncodeReceiverSection(model, image, cells, variant.receivers);
    EncodeSoundAndBacklight(model, cells, kQnmSoundAndBacklight);
    cells[kStatusSpare] = 0;
    cells[kPartitionMemory] = EncodePartitionMemory(model, variant);
    EncodeUserPassword(model, cells);
    EncodeNames(model, image, cells);
    return {};
}

// --- variant 2: one QN receiver, 256 cells ------------------------------------------------

// PanelQN covers the partition page, so the engineer password is edited in its paswrd1 field;
// PasswordEdit, hidden beneath, shows the same digits.
void DecodeSmall(K740Editor& editor, const Block& cells) {
    DecodeEngineerPassword(editor.model(), fields::PasswordEdit, cells);
    DecodeEngineerPassword(editor.model(), fields::paswrd1, cells);
    ShowKeyCount(editor, Byte(cells, kKeyCount));
    ShowCodeCount(editor, Byte(cells, kCodeCount));
}

Result<void> EncodeSmall(const K740Editor& editor, Block& cells) {
    if (auto password = EncodeEngineerPassword(editor.model(), fields::paswrd1, cells); !password)
        return password;
    cells[kCodeCount] = editor.state().codeCount;
    return {};
}

}  // namespace

namespace image_detail {

void DecodeSoundAndBacklight(FormModel& model, const Block& cells, const SoundAndBacklight& c) {
    model.setPosition(c.sound.upDown, Byte(cells, kKeySoundTime));
    ChooseMode(model, Byte(cells, kKeySound), c.sound.on, c.sound.second, c.sound.off);
    model.setPosition(c.backlight.upDown, Byte(cells, kBacklightTime));
    ChooseMode(model, Byte(cells, kBacklight), c.backlight.on, c.backlight.second, c.backlight.off);
    ApplyDurationEnableRules(model);
}

void EncodeSoundAndBacklight(const FormModel& model, Block& cells, const SoundAndBacklight& c) {
    cells[kKeySound] = ModeOfButtons(model, c.sound.on, c.sound.second);
    cells[kKeySoundTime] = model.at(c.sound.upDown).position;
    cells[kBacklight] = ModeOfButtons(model, c.backlight.on, c.backlight.second);
    cells[kBacklightTime] = model.at(c.backlight.upDown).position;
}

void ShowCodeCount(K740Editor& editor, int count) {
    editor.state().codeCount = Count(count, kMaxCodes);
    editor.model().setPosition(fields::KOD, editor.state().codeCount);
    ApplyCodeCountRule(editor.model(), editor.state());
}

void ShowKeyCount(K740Editor& editor, int count) {
    editor.state().keyCount = Count(count, kMaxKeys);
    editor.model().setPosition(fields::KEY, editor.state().keyCount);
    ApplyKeyCountRule(editor.model(), editor.state());
}

}  // namespace image_detail

void DecodeSettingsImage(K740Editor& editor, CodecMemory& image, const Block& settings) {
    editor.model().setEnabled(fields::PageControl, true);
    Block cells = settings;
    cells.resize(std::max<size_t>(cells.size(), kSettingsCells), 0);
    if (!editor.state().demoMode) editor.state().versionByte = Byte(cells, kVersionCell);
    const PanelVariant& variant = DescribeVariant(ShownVariant(editor.state()));
    // Variant 4 and unknown versions: the version cell only.
    if (variant.radio == RadioSystem::QnM) DecodeQnm(editor, image, cells, variant);
    if (variant.radio == RadioSystem::Qn && variant.reduced) DecodeSmall(editor, cells);
    if (variant.radio == RadioSystem::Qn && !variant.reduced)
        DecodeQnSettings(editor, image, cells);
    image.settingsCopy = std::move(cells);
    DecodeCodesImage(editor, image);
}

Result<Block> EncodeSettingsImage(K740Editor& editor, CodecMemory& image) {
    Block cells = image.settingsCopy;
    cells.resize(kSettingsCells, 0);
    const PanelVariant& variant = DescribeVariant(ShownVariant(editor.state()));
    cells[kVersionCell] = editor.state().demoMode && variant.demoVersion != 0
                              ? variant.demoVersion
                              : editor.state().versionByte;
    Result<void> built;
    if (variant.radio == RadioSystem::QnM) built = EncodeQnm(editor, image, cells, variant);
    if (variant.radio == RadioSystem::Qn && variant.reduced) built = EncodeSmall(editor, cells);
    if (variant.radio == RadioSystem::Qn && !variant.reduced) EncodeQnSettings(editor, image, cells);
    if (!built) return built.failure();
    return cells;
}

}  // namespace kerma
