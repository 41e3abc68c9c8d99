#include "factory_passwords.h"

#include <map>

#include "editor_files.h"
#include "factory_defaults.h"
#include "fields/partition_fields.h"
#include "headless_editor.h"

namespace kerma {
namespace {

// Trailing blanks are places not typed, whatever the field's width.
std::string Typed(const std::string& text) {
    const size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

using FactoryTexts = std::map<std::string, std::string>;  // field -> what the defaults put there

// Read once from the factory configurations themselves, as "Заводские установки" loads them, so
// they can never drift from the defaults.
const std::map<int, FactoryTexts>& AllFactoryTexts() {
    static const std::map<int, FactoryTexts> all = [] {
        std::map<int, FactoryTexts> texts;
        for (int variant = 1; DescribeVariant(variant).known(); ++variant) {
            HeadlessEditor factory(FactoryVersionByte(variant));
            (void)LoadFactoryDefaults(*factory.editor, factory.image, variant);
            for (const std::string& field : GuardedPasswordFields(variant))
                texts[variant][field] = Typed(factory.editor->model().at(field).text);
        }
        return texts;
    }();
    return all;
}

}  // namespace

std::vector<std::string> GuardedPasswordFields(int variant) {
    const PanelVariant& info = DescribeVariant(variant);
    switch (info.radio) {
        case RadioSystem::QnM:
            return {fields::PasswordEdit};
        case RadioSystem::Qn:
            // The reduced block of one QN receiver has no administrator password.
            if (info.reduced) return {fields::paswrd1};
            return {fields::paswrd1, fields::paswrd2};
        default:
            return {};
    }
}

bool HoldsFactoryPassword(const K740Editor& editor, int variant, const std::string& field) {
    const auto& all = AllFactoryTexts();
    const auto texts = all.find(variant);
    if (texts == all.end()) return false;
    const auto factory = texts->second.find(field);
    const Control* control = editor.model().find(field);
    if (factory == texts->second.end() || control == nullptr) return false;
    return !factory->second.empty() && Typed(control->text) == factory->second;
}

std::string FactoryPasswordWarning(const K740Editor& editor, int variant) {
    std::vector<const char*> whose;
    for (const std::string& field : GuardedPasswordFields(variant)) {
        if (HoldsFactoryPassword(editor, variant, field))
            whose.push_back(field == fields::paswrd2 ? "администратора" : "инженера");
    }
    if (whose.empty()) return {};
    if (whose.size() == 1)
        return std::string("Внимание: заводской пароль ") + whose[0] +
               " — смените его перед сдачей объекта.";
    return std::string("Внимание: заводские пароли ") + whose[0] + " и " + whose[1] +
           " — смените их перед сдачей объекта.";
}

FactoryPasswordMarks::FactoryPasswordMarks(K740Editor& editor) : editor_(editor) {
    observer_ = editor_.model().subscribe([this](const Control& c, ControlProperty property) {
        if (property == ControlProperty::Text) mark(c.name);
    });
}

FactoryPasswordMarks::~FactoryPasswordMarks() {
    editor_.model().unsubscribe(observer_);
}

void FactoryPasswordMarks::mark(const std::string& field) {
    const int variant = editor_.state().layoutVariant;
    for (const std::string& guarded : GuardedPasswordFields(variant)) {
        if (LowerName(guarded) != LowerName(field)) continue;
        const bool factory = HoldsFactoryPassword(editor_, variant, guarded);
        editor_.model().setWarning(guarded, factory);
        editor_.model().setHint(guarded, factory ? kFactoryPasswordHint : "");
    }
}

}  // namespace kerma
