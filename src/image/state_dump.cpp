#include "state_dump.h"

#include "codes_image.h"
#include "image_fields.h"
#include "k740_controls.h"

namespace kerma {

namespace {

using image_detail::Indexed;

void AddIndexed(std::vector<std::string>& names, std::string_view prefix, int count) {
    for (int i = 1; i <= count; ++i) names.push_back(Indexed(prefix, i));
}

void AddQnmGeneral(std::vector<std::string>& names, int variant) {
    for (const char* name : {"PasswordEdit", "PasswordEdit2", "Delay", "DelayVxod", "Rele1Combo",
                             "Rele2Combo", "Keysound1", "keysound2", "Keysound3", "Timesound",
                             "LCD_key1", "LCD_key2", "LCD_key3", "TimeLCD"}) {
        names.push_back(name);
    }
    if (variant == 3) names.push_back("TimesoundExt");
    for (const char* name : {"K740tmpncp", "K740tmptr", "Rpytmpncp", "Rpytmptr", "Rpdtmpncp",
                             "Rpdtmptr", "Rpdcvzncp", "Rpdcvztr", "Rpdblokncp", "Rpdbloktr",
                             "password1", "password2", "GSMkom", "kom781", "MemRazd"}) {
        names.push_back(name);
    }
    for (const char* prefix :
         {"avt", "tix", "krs", "privrele1", "privrele2", "Iskl", "ds0", "ds1", "ds2"}) {
        AddIndexed(names, prefix, kPartitions);
    }
    for (int p = 1; p <= kPartitions; ++p) {
        names.push_back(Indexed("NameRzd", p));
        names.push_back(Indexed("OwnName", p));
    }
}

void AddReceivers(std::vector<std::string>& names, int receivers) {
    for (int r = 1; r <= receivers; ++r) {
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) names.push_back(BindingName(r, d));
    }
    if (receivers == 1) return;
    AddIndexed(names, "Border", 2 * kReceivers);
    for (int r = 1; r <= receivers; ++r) {
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) names.push_back(SystemNumberName(r, d));
    }
}

void AddQnGeneral(std::vector<std::string>& names) {
    for (const char* name :
         {"paswrd1",     "paswrd2",     "ClearPaswrd1", "ClearPaswrd2", "ReleQN1",
          "ReleQN2",     "SpeedLine",   "SoundButton1", "SoundButton2", "SoundButton3",
          "SoundUpDown", "LCDButton1",  "LCDButton2",   "LCDButton3",   "LCDUpDown",
          "DamagePult1", "DamagePult2", "DamageRPU1",   "DamageRPU2",   "DamageRPD1",
          "DamageRPD2",  "ConnectRPU1", "ConnectRPU2",  "ConnectRPD1",  "ConnectRPD2",
          "Block1",      "Block2",      "ConnectMR1",   "ConnectMR2"}) {
        names.push_back(name);
    }
}

void AddCodes(std::vector<std::string>& names, bool withBoxes) {
    names.push_back("KOD");
    for (int n = 1; n <= 32; ++n) {
        names.push_back(Indexed("kod", n));
        if (!withBoxes) continue;
        for (int p = 1; p <= kPartitions; ++p) names.push_back(CodeBoxName(n, p));
    }
}

void AddKeys(std::vector<std::string>& names) {
    names.push_back("KEY");
    for (int n = 1; n <= 96; ++n) {
        names.push_back(Indexed("Key", n));
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

std::vector<std::string> VariantControlNames(int variant) {
    std::vector<std::string> names;
    switch (variant) {
        case 1:
        case 3:
            AddQnmGeneral(names, variant);
            AddReceivers(names, variant == 3 ? kReceivers : 1);
            AddCodes(names, true);
            AddKeys(names);
            break;
        case 2:
            names.push_back("paswrd1");  // the engineer password is built from it
            AddCodes(names, true);
            AddObjects(names, 1);
            break;
        case 5:
            AddQnGeneral(names);
            AddCodes(names, false);
            AddObjects(names, kReceivers);
            break;
        default:
            break;
    }
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
