#include "state_dump.h"

#include "codes_image.h"
#include "fields/binding_fields.h"
#include "fields/code_fields.h"
#include "fields/key_fields.h"
#include "fields/name_fields.h"
#include "fields/partition_fields.h"
#include "image_fields.h"
#include "k740_controls.h"
#include "settings_fields.h"

namespace kerma {

namespace {

using image_detail::Indexed;

void AddIndexed(std::vector<std::string>& names, std::string_view prefix, int count) {
    for (int i = 1; i <= count; ++i) names.push_back(Indexed(prefix, i));
}

// The settings fields of the variant in the table's order, then the partition names by hand.
void AddSettingsFields(std::vector<std::string>& names, const PanelVariant& variant) {
    for (const SettingsField& row : SettingsFields()) {
        if (!row.in(variant.number)) continue;
        if (row.perPartition) {
            AddIndexed(names, row.controls[0], kPartitions);
            continue;
        }
        for (const char* control : row.controls) {
            if (control != nullptr) names.push_back(control);
        }
    }
    if (variant.radio != RadioSystem::QnM) return;
    for (int p = 1; p <= kPartitions; ++p) {
        names.push_back(Indexed(fields::NameRzdN, p));
        names.push_back(Indexed(fields::OwnNameN, p));
    }
}

void AddReceivers(std::vector<std::string>& names, int receivers) {
    for (int r = 1; r <= receivers; ++r) {
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) names.push_back(BindingName(r, d));
    }
    if (receivers == 1) return;
    AddIndexed(names, fields::BorderN, 2 * kReceivers);
    for (int r = 1; r <= receivers; ++r) {
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) names.push_back(SystemNumberName(r, d));
    }
}

void AddCodes(std::vector<std::string>& names, bool withBoxes) {
    names.push_back(fields::KOD);
    for (int n = 1; n <= kMaxCodes; ++n) {
        names.push_back(Indexed(fields::kodN, n));
        if (!withBoxes) continue;
        for (int p = 1; p <= kPartitions; ++p) names.push_back(CodeBoxName(n, p));
    }
}

void AddKeys(std::vector<std::string>& names) {
    names.push_back(fields::KEY);
    for (int n = 1; n <= kMaxKeys; ++n) {
        names.push_back(Indexed(fields::KeyN, n));
        for (int p = 1; p <= kPartitions; ++p) names.push_back(KeyBoxName(n, p));
    }
}

void AddObjects(std::vector<std::string>& names, int receivers) {
    for (int r = 1; r <= receivers; ++r) {
        for (int t = 1; t <= kQnRows; ++t) {
            for (int s = 1; s <= kQnLoops; ++s) names.push_back(ObjectName(r, t, s));
        }
    }
}

std::string ValueOf(const Control& control) {
    switch (control.kind) {
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
            return control.checked ? "1" : "0";
        case ControlKind::ComboBox:
        case ControlKind::RadioGroup:
        case ControlKind::ListBox: {
            std::string value = std::to_string(control.itemIndex);
            if (control.itemIndex >= 0 &&
                control.itemIndex < static_cast<int>(control.items.size())) {
                value += " " + control.items[control.itemIndex];
            }
            return value;
        }
        case ControlKind::UpDown:
            return std::to_string(control.position);
        default:
            return control.text;
    }
}

}  // namespace

std::vector<std::string> VariantControlNames(int number) {
    const PanelVariant& variant = DescribeVariant(number);
    std::vector<std::string> names;
    AddSettingsFields(names, variant);
    if (variant.radio == RadioSystem::QnM) AddReceivers(names, variant.receivers);
    if (variant.codes) AddCodes(names, variant.codeAuthorities);
    if (variant.keySlots > 0) AddKeys(names);
    if (variant.radio == RadioSystem::Qn) AddObjects(names, variant.receivers);
    return names;
}

std::string DumpEditorState(const K740Editor& editor, int variant) {
    FormModel designed;
    BuildK740Controls(designed);
    const K740State& state = editor.state();
    std::string out = "VersionByte=" + std::to_string(state.versionByte) + "\n";
    out += "CodeCount=" + std::to_string(state.codeCount) + "\n";
    out += "KeyCount=" + std::to_string(state.keyCount) + "\n";
    for (const std::string& name : VariantControlNames(variant)) {
        const Control& control = editor.model().at(name);
        const Control& initial = designed.at(name);
        out += control.name + "=" + ValueOf(control) + "\n";
        if (control.enabled != initial.enabled) {
            out += control.name + ".enabled=" + (control.enabled ? "1" : "0") + "\n";
        }
        if (control.visible != initial.visible) {
            out += control.name + ".visible=" + (control.visible ? "1" : "0") + "\n";
        }
    }
    return out;
}

}  // namespace kerma
