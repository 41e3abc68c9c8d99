#include "count_rules.h"

#include "image_fields.h"
#include "k740_controls.h"

namespace kerma {

namespace {

using image_detail::Indexed;

void SetInUse(FormModel& model, const std::string& field, bool inUse,
              std::string (*boxName)(int, int), int number) {
    model.setEnabled(field, inUse);
    if (!inUse) model.setText(field, "");
    for (int p = 1; p <= kPartitions; ++p) {
        std::string box = boxName(number, p);
        if (!inUse) model.setChecked(box, false);
        model.setEnabled(box, inUse);
    }
}

}  // namespace

void ApplyCodeCountRule(FormModel& model, K740State& state) {
    state.codeCount = model.at("KOD").position;
    for (int n = 1; n <= kMaxCodes; ++n) {
        SetInUse(model, Indexed("kod", n), n <= state.codeCount, CodeBoxName, n);
    }
}

void ApplyKeyCountRule(FormModel& model, K740State& state) {
    state.keyCount = model.at("KEY").position;
    model.setVisible("TM0132", true);
    model.setVisible("TM3264", state.keyCount > 32);
    model.setVisible("TM6496", state.keyCount > 64);
    for (int n = 1; n <= kMaxKeys; ++n) {
        SetInUse(model, Indexed("Key", n), n <= state.keyCount, KeyBoxName, n);
    }
}

void ApplyDurationEnableRules(FormModel& model) {
    model.setEnabled("EditTimesound", !model.at("Keysound3").checked);
    model.setEnabled("EditTimeLCD", model.at("LCD_key2").checked);
    model.setEnabled("SoundEdit", !model.at("SoundButton3").checked);
    model.setEnabled("LCDEdit", model.at("LCDButton2").checked);
}

}  // namespace kerma
