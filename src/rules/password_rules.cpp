// The engineer's, user's and administrator's passwords.
#include <algorithm>

#include "fields/partition_fields.h"
#include "fields/window_fields.h"
#include "rule_helpers.h"

namespace kerma::rules {

namespace {

constexpr const char* kZeroNotice = "0 не допустим!";
constexpr const char* kEngineerNotice =
    "Недопустимое количество цифр! Количестово цифр в пароле инженера должно быть 4!";
constexpr const char* kUserNotice =
    "Недопустимое количество цифр! Количестово цифр в пароле пользователя должно быть от 3 до 6!";
constexpr const char* kAdminNotice =
    "Недопустимое количество цифр! Количестово цифр в пароле администратора должно быть от 3 "
    "до 6!";
constexpr int kEngineerDigits = 4;
constexpr int kFewestDigits = 3;

// Positions 1..width of the text that hold something other than a blank (and other than 0 when
// zeroCounts is false).
int FilledPositions(std::string_view text, size_t width, bool zeroCounts) {
    std::string_view head = text.substr(0, std::min(text.size(), width));
    return static_cast<int>(std::count_if(head.begin(), head.end(), [zeroCounts](char c) {
        return c != ' ' && (zeroCounts || c != '0');
    }));
}

void ZeroFilter(RuleContext& context, Control& field) {
    std::string filtered;
    for (char c : field.text) {
        if (c == '0') {
            context.prompts().notice(kZeroNotice);
        } else {
            filtered.push_back(c);
        }
    }
    context.model().setText(field.name, filtered);
}

struct LengthRule {
    std::string_view field;
    size_t width;
    int fewest;
    bool zeroCounts;
    const char* notice;
};

constexpr LengthRule kLengthRules[] = {
    {fields::PasswordEdit, 4, kEngineerDigits, true, kEngineerNotice},
    {fields::paswrd1, 4, kEngineerDigits, true, kEngineerNotice},
    {fields::PasswordEdit2, 6, kFewestDigits, false, kUserNotice},
    {fields::paswrd2, 6, kFewestDigits, true, kAdminNotice},
};

void LengthCheck(RuleContext& context, const LengthRule& rule) {
    const std::string& text = context.model().at(rule.field).text;
    if (FilledPositions(text, rule.width, rule.zeroCounts) >= rule.fewest) return;
    context.prompts().notice(rule.notice);
    context.model().setFocus(rule.field);
}

// The engineer password field the variant's settings block is built from: the one the user
// sees (PanelQN covers PasswordEdit in the one-receiver QN panel).
std::string_view EngineerField(const PanelVariant& variant) {
    switch (variant.radio) {
        case RadioSystem::QnM:
            return fields::PasswordEdit;
        case RadioSystem::Qn:
            return fields::paswrd1;
        default:
            return {};
    }
}

}  // namespace

// The settings block needs all four digits of the engineer password; a shorter one is refused
// before anything goes out, so the panel is never left with new codes and old settings.
bool EngineerPasswordBeforeEncoding(RuleContext& context) {
    std::string_view field = EngineerField(DescribeVariant(ShownVariant(context.editor.state())));
    if (field.empty()) return true;
    const std::string& text = context.model().at(field).text;
    bool digitsOnly = std::all_of(text.begin(), text.end(),
                                  [](char c) { return c == ' ' || (c >= '0' && c <= '9'); });
    if (digitsOnly && FilledPositions(text, kEngineerDigits, true) == kEngineerDigits) return true;
    ShowPage(context.model(), fields::PageControl, fields::TabSheetRazdel);
    context.prompts().notice(kEngineerNotice);
    context.model().setFocus(field);
    return false;
}

void InstallPasswordRules(const Context& context) {
    for (const char* field : {fields::PasswordEdit, fields::PasswordEdit2}) {
        On(context, field, ControlEvent::Change, ZeroFilter);
    }
    for (const LengthRule& rule : kLengthRules) {
        On(context, rule.field, ControlEvent::Exit,
           [&rule](RuleContext& c, Control&) { LengthCheck(c, rule); });
    }
}

}  // namespace kerma::rules
