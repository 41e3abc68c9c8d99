#include "state_dump.h"

#include "codes_image.h"
#include "fields/binding_fields.h"
#include "fields/code_fields.h"
#include "fields/key_fields.h"
#include "fields/name_fields.h"
#include "fields/partition_fields.h"
#include "image_fields.h"
#include "k740_controls.h"

namespace kerma {

namespace {

using image_detail::Indexed;

void AddIndexed(std::vector<std::string>& names, std::string_view prefix, int count) {
    for (int i = 1; i <= count; ++i) names.push_back(Indexed(prefix, i));
}

void AddQnmGeneral(std::vector<std::string>& names, const PanelVariant& variant) {
    for (const char* name :
         {fields::PasswordEdit, fields::PasswordEdit2, fields::Delay, fields::DelayVxod,
          fields::Rele1Combo, fields::Rele2Combo, fields::Keysound1, fields::keysound2,
          fields::Keysound3, fields::Timesound, fields::LCD_key1, fields::LCD_key2,
          fields::LCD_key3, fields::TimeLCD}) {
        names.push_back(name);
    }
    if (variant.receivers > 1) names.push_back(fields::TimesoundExt);
    for (const char* name :
         {fields::K740tmpncp, fields::K740tmptr, fields::Rpytmpncp, fields::Rpytmptr,
          fields::Rpdtmpncp, fields::Rpdtmptr, fields::Rpdcvzncp, fields::Rpdcvztr,
          fields::Rpdblokncp, fields::Rpdbloktr, fields::password1, fields::password2,
          fields::GSMkom, fields::kom781, fields::MemRazd}) {
        names.push_back(name);
    }
    for (const char* prefix :
         {fields::avtN, fields::tixN, fields::krsN, fields::privrele1N, fields::privrele2N,
          fields::IsklN, fields::ds0N, fields::ds1N, fields::ds2N}) {
        AddIndexed(names, prefix, kPartitions);
    }
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

void AddQnGeneral(std::vector<std::string>& names) {
    for (const char* name :
         {fields::paswrd1,      fields::paswrd2,      fields::ClearPaswrd1, fields::ClearPaswrd2,
          fields::ReleQN1,      fields::ReleQN2,      fields::SpeedLine,    fields::SoundButton1,
          fields::SoundButton2, fields::SoundButton3, fields::SoundUpDown,  fields::LCDButton1,
          fields::LCDButton2,   fields::LCDButton3,   fields::LCDUpDown,    fields::DamagePult1,
          fields::DamagePult2,  fields::DamageRPU1,   fields::DamageRPU2,   fields::DamageRPD1,
          fields::DamageRPD2,   fields::ConnectRPU1,  fields::ConnectRPU2,  fields::ConnectRPD1,
          fields::ConnectRPD2,  fields::Block1,       fields::Block2,       fields::ConnectMR1,
          fields::ConnectMR2}) {
        names.push_back(name);
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
    if (variant.radio == RadioSystem::QnM) {
        AddQnmGeneral(names, variant);
        AddReceivers(names, variant.receivers);
    } else if (variant.radio == RadioSystem::Qn && variant.reduced) {
        names.push_back(fields::paswrd1);  // the engineer password is built from it
    } else if (variant.radio == RadioSystem::Qn) {
        AddQnGeneral(names);
    }
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
