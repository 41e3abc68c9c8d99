#include "field_compare.h"

#include <map>

#include "config_file.h"
#include "editor_files.h"
#include "factory_defaults.h"
#include "field_labels.h"

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

std::string ComparisonText(const std::vector<FieldDifference>& fields) {
    if (fields.empty()) return kFieldsMatchText;
    std::string text = "Отличаются поля (в редакторе → в файле):";
    for (const FieldDifference& d : fields)
        text += "\n" + FieldLabel(d.name) + ": " + d.left + " → " + d.right;
    return text;
}

}  // namespace kerma
