// The settings block of variant 5 (up to four QN receivers). The encoding changes a copy of the
// block last decoded, so every cell the editor does not handle goes back as it was read.
#include "count_rules.h"
#include "fields/code_fields.h"
#include "fields/partition_fields.h"
#include "image_fields.h"
#include "settings_fields.h"
#include "settings_layout.h"
#include "settings_parts.h"

namespace kerma::image_detail {

namespace {

using namespace settings_cell;

constexpr int kAdminDigits = 6;

// The QN page's keyboard sound and display backlight.
constexpr SoundAndBacklight kQnSoundAndBacklight{
    {fields::SoundUpDown, fields::SoundButton1, fields::SoundButton2, fields::SoundButton3},
    {fields::LCDUpDown, fields::LCDButton1, fields::LCDButton2, fields::LCDButton3}};

void EncodeEngineerPassword(const FormModel& model, Block& cells) {
    const std::string& text = model.at(fields::paswrd1).text;
    if (IsBlank(text)) {
        for (int i = 0; i < kEngineerDigits; ++i) cells[kEngineerPassword + i] = kEmptyDigit;
        return;
    }
    // A blank position keeps the digit the panel had there.
    for (int i = 0; i < kEngineerDigits && i < static_cast<int>(text.size()); ++i) {
        if (text[i] >= '0' && text[i] <= '9')
            cells[kEngineerPassword + i] = kDigitBase + (text[i] - '0');
    }
}

void EncodeAdminPassword(const FormModel& model, Block& cells) {
    const std::string& text = model.at(fields::paswrd2).text;
    for (int i = 0; i < kAdminDigits; ++i) {
        char c = i < static_cast<int>(text.size()) ? text[i] : ' ';
        cells[kQnAdminPassword + i] = (c >= '0' && c <= '9') ? kDigitBase + (c - '0') : kEmptyDigit;
    }
}

// Objects 1..48: first cell receiver * 32 + detector, second cell the loops assigned to it.
void EncodeObjectTable(const CodecMemory& image, Block& cells) {
    for (int i = 0; i < 2 * kQnTableObjects; ++i) cells[kQnObjectTable + i] = 0;
    for (int q = 0; q < kObjectLoops; ++q) {
        int object = image.objectAssignments[q];
        if (object < 1 || object > kQnTableObjects) continue;
        int receiver = q / (kQnRows * kQnLoops) + 1;
        int detector = (q % (kQnRows * kQnLoops)) / kQnLoops + 1;
        int entry = kQnObjectTable + 2 * (object - 1);
        cells[entry] = receiver * 32 + detector;
        cells[entry + 1] |= 1 << (q % kQnLoops);
    }
}

int CountCodesInUse(const K740Editor& editor) {
    int inUse = 0;
    for (int n = 1; n <= editor.state().codeCount; ++n) {
        if (!IsBlank(editor.model().at(Indexed(fields::kodN, n)).text)) ++inUse;
    }
    return inUse;
}

}  // namespace

void DecodeQnSettings(K740Editor& editor, CodecMemory& image, const Block& cells) {
    FormModel& model = editor.model();
    DecodeSoundAndBacklight(model, cells, kQnSoundAndBacklight);
    model.setText(fields::paswrd2, DigitText(cells, kQnAdminPassword, kAdminDigits, true));
    int modes = Byte(cells, kRelayModes);
    model.setItemIndex(fields::ReleQN1, modes & 0x0F);
    model.setItemIndex(fields::ReleQN2, (modes >> 4) & 0x0F);
    model.setItemIndex(fields::SpeedLine, Byte(cells, kQnLineSpeed) == kQnSpeed1200 ? 0 : 1);
    for (int i = 0; i < kQnTransmitters; ++i) {
        image.qnDetectorBlock[i] = Byte(cells, kQnDetectorBlock + i);
    }
    model.setText(fields::paswrd1, DigitText(cells, kEngineerPassword, kEngineerDigits, true));
    ShowCodeCount(editor, Byte(cells, kCodeCount) - 1);
    DecodeSettingsFields(model, cells, 5);
}

void EncodeQnSettings(K740Editor& editor, CodecMemory& image, Block& cells) {
    const FormModel& model = editor.model();
    EncodeObjectTable(image, cells);
    for (int i = 0; i < kQnTransmitters; ++i) {
        cells[kQnDetectorBlock + i] = image.qnDetectorBlock[i] & 0xFF;
    }
    EncodeSoundAndBacklight(model, cells, kQnSoundAndBacklight);
    cells[kRelayModes] = ((model.at(fields::ReleQN2).itemIndex << 4) & 0xFF) |
                         (model.at(fields::ReleQN1).itemIndex & 0x0F);
    EncodeEngineerPassword(model, cells);
    EncodeAdminPassword(model, cells);
    EncodeSettingsFields(model, cells, 5);
    if (editor.state().defaultsAfterReplace) {
        editor.state().defaultsAfterReplace = false;
        // Without factory defaults taken there is nothing to send in their place.
        if (!image.factorySettings.empty()) {
            cells = image.factorySettings;
            cells.resize(kSettingsCells, 0);
            return;
        }
    }
    cells[kCodeCount] = editor.state().codeCount + 1;
    cells[kKeyCount] = CountCodesInUse(editor);
    cells[kQnMarker] = kQnMarkerValue;
    cells[kQnLineSpeed] = model.at(fields::SpeedLine).itemIndex == 0 ? kQnSpeed1200 : kQnSpeed4800;
}

}  // namespace kerma::image_detail
