#include "field_compare.h"

#include <cstdlib>
#include <map>
#include <set>

#include "config_file.h"
#include "config_report.h"
#include "editor_files.h"
#include "factory_defaults.h"
#include "field_labels.h"
#include "k740_controls.h"

namespace kerma {

std::vector<FieldDifference> CompareFields(const FieldValues& left, const FieldValues& right) {
    std::map<std::string, std::string> onlyRight(right.begin(), right.end());
    std::vector<FieldDifference> out;
    for (const auto& [name, value] : left) {
        auto it = onlyRight.find(name);
        const std::string other = it == onlyRight.end() ? kNoValue : it->second;
        if (it != onlyRight.end()) onlyRight.erase(it);
        if (other != value) out.push_back({name, value, other});
    }
    for (const auto& [name, value] : right) {
        if (onlyRight.count(name) != 0) out.push_back({name, kNoValue, value});
    }
    return out;
}

Result<std::vector<FieldDifference>> CompareWithFile(const K740Editor& editor, int variant,
                                                     const std::string& path) {
    auto text = ReadConfigText(path);
    if (!text) return text.failure();
    const auto version = ConfigFileVersion(*text);
    if (version && VariantOfVersion(*version) != variant)
        return Fail(std::string(kWrongFileVersionText));
    HeadlessEditor file(version.value_or(FactoryVersionByte(variant)));
    if (!LoadConfigurationText(*file.editor, file.image, file.variant, *text))
        return Fail(file.prompts.notices.empty() ? std::string() : file.prompts.notices.front());
    return CompareFields(EditorFieldValues(editor, variant), file.fields());
}

namespace {

// The designed controls: what kind each field is.
const FormModel& Designed() {
    static FormModel model;
    static const bool built = (BuildK740Controls(model), true);
    (void)built;
    return model;
}

// A value as the report writes it: check boxes as "да"/"нет", lists by their item, the two-way
// radio groups by their words, secrets by their mask unless they are to be shown.
std::string Shown(const std::string& name, const std::string& value, bool secrets) {
    const Control* c = Designed().find(name);
    if (c == nullptr || value == kNoValue) return value;
    if (const char* mask = SecretMask(name); mask != nullptr && !secrets)
        return value.find_first_not_of(' ') == std::string::npos ? kNoValue : mask;
    switch (c->kind) {
        case ControlKind::CheckBox:
            return value == "1" ? "да" : "нет";
        case ControlKind::ComboBox:
        case ControlKind::ListBox: {
            const size_t blank = value.find(' ');
            return blank == std::string::npos ? kNoValue : value.substr(blank + 1);
        }
        case ControlKind::RadioGroup:
            return OnOffWord(std::atoi(value.c_str()));
        default:
            return value;
    }
}

bool IsRadio(const std::string& name) {
    const Control* c = Designed().find(name);
    return c != nullptr && c->kind == ControlKind::RadioButton;
}

// The radio buttons of one choice differ in pairs (one checked before, another after): one line
// with the word of the button checked on each side.
std::string ChoiceLine(const std::vector<FieldDifference>& fields, const std::string& label) {
    std::string left = kNoValue, right = kNoValue;
    for (const FieldDifference& d : fields) {
        if (!IsRadio(d.name) || FieldLabel(d.name) != label) continue;
        if (d.left == "1") left = ChoiceWord(d.name);
        if (d.right == "1") right = ChoiceWord(d.name);
    }
    return label + ": " + left + " → " + right;
}

// "tix5.enabled", "tix5.visible"
bool IsFlag(const std::string& name) {
    return name.find('.') != std::string::npos;
}

// A side has the flag only where it differs from the designed window, so the side without it
// holds the other value.
std::string FlagLine(const FieldDifference& d) {
    const size_t dot = d.name.rfind('.');
    const bool visible = d.name.compare(dot, std::string::npos, ".visible") == 0;
    const bool leftOn = d.left == "1" || d.right == "0";
    const auto word = [visible](bool on) {
        return visible ? (on ? "показано" : "скрыто") : (on ? "доступно" : "недоступно");
    };
    return FieldLabel(d.name.substr(0, dot)) + ": " + word(leftOn) + " → " + word(!leftOn);
}

std::string FileLine(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return "Файл «" + path + "»";
    return "Файл «" + path.substr(slash + 1) + "», папка " + path.substr(0, slash + 1);
}

// The flags follow from the values (a key's authorities open with the key count): they are named
// only where they are all that differs.
std::vector<std::string> FlagLines(const std::vector<FieldDifference>& fields) {
    std::vector<std::string> lines;
    for (const FieldDifference& d : fields) {
        if (IsFlag(d.name)) lines.push_back(FlagLine(d));
    }
    return lines;
}

}  // namespace

std::vector<std::string> DifferenceLines(const std::vector<FieldDifference>& fields, bool secrets) {
    std::vector<std::string> lines;
    std::set<std::string> choices;
    for (const FieldDifference& d : fields) {
        if (IsFlag(d.name)) continue;
        const std::string label = FieldLabel(d.name);
        if (!IsRadio(d.name)) {
            lines.push_back(label + ": " + Shown(d.name, d.left, secrets) + " → " +
                            Shown(d.name, d.right, secrets));
        } else if (choices.insert(label).second) {
            lines.push_back(ChoiceLine(fields, label));
        }
    }
    return lines.empty() ? FlagLines(fields) : lines;
}

std::string ComparisonText(const std::vector<FieldDifference>& fields, const std::string& path) {
    std::string text = FileLine(path) + "\n";
    if (fields.empty()) return text + kFieldsMatchText;
    text += "Отличаются поля (в редакторе → в файле):";
    for (const std::string& line : DifferenceLines(fields, true)) text += "\n" + line;
    return text;
}

}  // namespace kerma
