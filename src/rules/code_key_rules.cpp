// Confirmation codes and Touch Memory keys: the counts, the entry filters and the list checks.
#include <vector>

#include "fields/code_fields.h"
#include "fields/key_fields.h"
#include "fields/window_fields.h"
#include "k740_controls.h"
#include "rule_helpers.h"

namespace kerma {

namespace rules {

namespace {

constexpr int kKeysPerPage = 32;
constexpr size_t kKeyLength = 12;
constexpr const char* kZeroNotice = "0 не допустим!";

std::string CodeField(int n) {
    return Indexed(fields::kodN, n);
}
std::string KeyField(int n) {
    return Indexed(fields::KeyN, n);
}

// The field is emptied before it is disabled, so its entry filter still sees the change.
void SetInUse(FormModel& model, const std::string& field, bool inUse,
              std::string (*boxName)(int, int), int number) {
    if (!inUse) model.setText(field, "");
    model.setEnabled(field, inUse);
    for (int p = 1; p <= kPartitions; ++p) {
        std::string box = boxName(number, p);
        if (!inUse) model.setChecked(box, false);
        model.setEnabled(box, inUse);
    }
}

// The up-down takes a number typed into its edit when the number is in its range.
int FollowedPosition(FormModel& model, std::string_view edit, std::string_view upDown) {
    const Control& spin = model.at(upDown);
    std::optional<long> value = IntegerText(model.at(edit).text);
    if (value && *value >= spin.min && *value <= spin.max && *value != spin.position) {
        model.setPosition(upDown, static_cast<int>(*value));
    }
    return model.at(upDown).position;
}

void CodeCountRule(RuleContext& context) {
    FormModel& model = context.model();
    ApplyCodeCount(model, context.editor.state(),
                   FollowedPosition(model, fields::NumKodEdit, fields::KOD));
}

void KeyCountRule(RuleContext& context) {
    FormModel& model = context.model();
    ApplyKeyCount(model, context.editor.state(),
                  FollowedPosition(model, fields::NumKeyEdit, fields::KEY));
}

// A count field left with a number the up-down does not take shows the count in use again.
void RestoreCount(FormModel& model, std::string_view edit, std::string_view upDown) {
    const Control& spin = model.at(upDown);
    std::optional<long> value = IntegerText(model.at(edit).text);
    if (value && *value >= spin.min && *value <= spin.max) return;
    model.setText(edit, std::to_string(spin.position));
}

// A code consists of the digits 1 to 9; every 0 is reported and dropped.
void CodeFilter(RuleContext& context, Control& field) {
    if (!field.enabled) return;
    std::string filtered;
    for (char c : field.text) {
        if (c == '0') {
            context.prompts().notice(kZeroNotice);
        } else if ((c >= '1' && c <= '9') || c == ' ') {
            filtered.push_back(c);
        }
    }
    context.model().setText(field.name, filtered);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void KeyFilter(RuleContext& context, Control& field) {
    if (!field.enabled) return;
    std::string filtered;
    for (char c : field.text) {
        if (IsHexDigit(c)) filtered.push_back(c);
    }
    context.model().setText(field.name, filtered);
}

// A key of 1 to 11 characters is typed again or filled with leading zeros.
void ShortKeyRule(K740Editor& editor, const std::string& field) {
    std::string text = editor.model().at(field).text;
    if (text.empty() || text.size() >= kKeyLength) return;
    if (editor.prompts().question("Ввести заново?", "Введен идентификатор малой длины")) {
        editor.model().setFocus(field);
        return;
    }
    editor.model().setText(field, std::string(kKeyLength - text.size(), '0') + text);
}

bool AnyChecked(const FormModel& model, std::string (*boxName)(int, int), int number) {
    for (int p = 1; p <= kPartitions; ++p) {
        if (model.at(boxName(number, p)).checked) return true;
    }
    return false;
}

void UncheckAll(FormModel& model, std::string (*boxName)(int, int), int number) {
    for (int p = 1; p <= kPartitions; ++p) model.setChecked(boxName(number, p), false);
}

// What tells the key check and the code check apart: their texts and control names.
struct ListWalk {
    const char* subject;      // an entry as a message names it, before its number
    const char* repeated;     // text of the duplicate question
    const char* noAuthority;  // caption: an entry without authority
    const char* noEntry;      // caption: authority without an entry
    // The same three as a message names them after the entry.
    const char* repeatedProblem;
    const char* noAuthorityProblem;
    const char* noEntryProblem;
    std::string (*field)(int);
    std::string (*boxName)(int, int);
};

constexpr ListWalk kKeyWalk = {"Ключ ТМ ",
                               "Повторяющийся Идентификатор!",
                               "Идентификатор без полномочий",
                               "Полномочия установлены, а идентификатор не введен",
                               "повторяющийся идентификатор",
                               "идентификатор без полномочий",
                               "полномочия установлены, а идентификатор не введен",
                               KeyField,
                               KeyBoxName};
constexpr ListWalk kCodeWalk = {"Код ",
                                "Повторяющийся Код!",
                                "Код без полномочий",
                                "Полномочия установлены, а код не введен",
                                "повторяющийся код",
                                "код без полномочий",
                                "полномочия установлены, а код не введен",
                                CodeField,
                                CodeBoxName};

bool AskAbout(K740Editor& editor, const ListWalk& walk, int n, const char* problem,
              const char* text, const char* caption) {
    return editor.prompts().entryQuestion(
        EntryQuestion{walk.subject + std::to_string(n), problem, text, caption});
}

// Asks about entry n once for every earlier entry with the same text; true when the user
// removed it. An entry keeps its text in `seen` after removal, so later repeats are still found.
bool AskRepeat(K740Editor& editor, const ListWalk& walk, std::vector<std::string>& seen, int n) {
    FormModel& model = editor.model();
    const std::string text = model.at(walk.field(n)).text;
    if (IsBlank(text)) return false;
    seen[n] = text;
    bool removed = false;
    for (int m = 1; m < n; ++m) {
        if (seen[m] != text ||
            !AskAbout(editor, walk, n, walk.repeatedProblem, walk.repeated, "Удалить?"))
            continue;
        model.setText(walk.field(n), "");
        UncheckAll(model, walk.boxName, n);
        removed = true;
    }
    return removed;
}

// Asks about an entry and its authorities disagreeing; true when they did.
bool AskAuthority(K740Editor& editor, const ListWalk& walk, int n) {
    FormModel& model = editor.model();
    bool blank = IsBlank(model.at(walk.field(n)).text);
    bool authority = AnyChecked(model, walk.boxName, n);
    if (!blank && !authority) {
        if (AskAbout(editor, walk, n, walk.noAuthorityProblem, "Удалить?", walk.noAuthority)) {
            model.setText(walk.field(n), "");
        }
        return true;
    }
    if (blank && authority) {
        if (AskAbout(editor, walk, n, walk.noEntryProblem, "Удалить?", walk.noEntry)) {
            UncheckAll(model, walk.boxName, n);
        }
        return true;
    }
    return false;
}

}  // namespace

void InstallCodeKeyRules(const Context& context) {
    On(context, fields::NumKodEdit, ControlEvent::Change,
       [](RuleContext& c, Control&) { CodeCountRule(c); });
    On(context, fields::NumKeyEdit, ControlEvent::Change,
       [](RuleContext& c, Control&) { KeyCountRule(c); });
    On(context, fields::NumKodEdit, ControlEvent::Exit,
       [](RuleContext& c, Control&) { RestoreCount(c.model(), fields::NumKodEdit, fields::KOD); });
    On(context, fields::NumKeyEdit, ControlEvent::Exit,
       [](RuleContext& c, Control&) { RestoreCount(c.model(), fields::NumKeyEdit, fields::KEY); });
    auto selectAll = [](RuleContext& c, Control& field) { c.model().selectAll(field.name); };
    for (int n = 1; n <= kMaxCodes; ++n) {
        On(context, CodeField(n), ControlEvent::Change, CodeFilter);
        On(context, CodeField(n), ControlEvent::Click, selectAll);
    }
    for (int n = 1; n <= kMaxKeys; ++n) {
        std::string field = KeyField(n);
        On(context, field, ControlEvent::Change, KeyFilter);
        On(context, field, ControlEvent::Exit,
           [field](RuleContext& c, Control&) { ShortKeyRule(c.editor, field); });
        On(context, field, ControlEvent::Click, selectAll);
    }
}

}  // namespace rules

void SetCodeInUse(FormModel& model, int n, bool inUse) {
    rules::SetInUse(model, rules::CodeField(n), inUse, CodeBoxName, n);
}

void SetKeyInUse(FormModel& model, int n, bool inUse) {
    rules::SetInUse(model, rules::KeyField(n), inUse, KeyBoxName, n);
}

void ApplyCodeCount(FormModel& model, K740State& state, int count) {
    state.codeCount = count;
    for (int n = 1; n <= kMaxCodes; ++n) SetCodeInUse(model, n, n <= count);
}

void ApplyKeyCount(FormModel& model, K740State& state, int count) {
    using rules::kKeysPerPage;
    state.keyCount = count;
    model.setVisible(fields::TM0132, true);
    model.setVisible(fields::TM3264, count > kKeysPerPage);
    model.setVisible(fields::TM6496, count > 2 * kKeysPerPage);
    for (int n = 1; n <= kMaxKeys; ++n) SetKeyInUse(model, n, n <= count);
}

// Duplicates are asked about and never refuse the list; the first key whose authorities
// disagree with it ends the check with a refusal.
bool CheckKeys(K740Editor& editor) {
    using namespace rules;
    std::vector<std::string> seen(kMaxKeys + 1);
    for (int n = 1; n <= editor.state().keyCount; ++n) {
        AskRepeat(editor, kKeyWalk, seen, n);
        if (AskAuthority(editor, kKeyWalk, n)) return false;
    }
    return true;
}

// Every code is walked; a removed duplicate or a disagreeing authority refuses the list.
bool CheckCodes(K740Editor& editor) {
    using namespace rules;
    std::vector<std::string> seen(kMaxCodes + 1);
    bool accepted = true;
    for (int n = 1; n <= editor.state().codeCount; ++n) {
        if (AskRepeat(editor, kCodeWalk, seen, n)) accepted = false;
        if (AskAuthority(editor, kCodeWalk, n)) accepted = false;
    }
    return accepted;
}

void PruneCodes(K740Editor& editor) {
    using namespace rules;
    FormModel& model = editor.model();
    int count = editor.state().codeCount;
    std::vector<std::string> seen(kMaxCodes + 1);
    for (int n = 1; n <= count; ++n) {
        const std::string text = model.at(CodeField(n)).text;
        if (IsBlank(text)) continue;
        seen[n] = text;
        bool reported = false;
        for (int m = 1; m < n; ++m) {
            if (seen[m] != text) continue;
            ShowPage(model, fields::PageControl, fields::TabSheetKod);
            if (!reported) {
                editor.prompts().notice("Поторяющийся Код в позиции №" + std::to_string(n) +
                                        " будет удален!");
            }
            reported = true;
            model.setText(CodeField(n), "");
        }
    }
    int last = 0;
    for (int n = 1; n <= count; ++n) {
        if (!IsBlank(model.at(CodeField(n)).text)) last = n;
    }
    model.setText(fields::NumKodEdit, std::to_string(last));
    model.setPosition(fields::KOD, last);
    ShowPage(model, fields::PageControl, fields::TabSheetRazdel);
}

}  // namespace kerma
