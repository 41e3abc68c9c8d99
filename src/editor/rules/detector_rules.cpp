// Detector bindings, receiver borders and detector system numbers (QN-M receivers).
#include <algorithm>
#include <array>

#include "k740_controls.h"
#include "rule_helpers.h"

namespace kerma::rules {

namespace {

constexpr int kReceivers = 4;
constexpr int kDetectors = 48;
constexpr int kNumbers = kReceivers * kDetectors;
constexpr int kMaxSystemNumber = 192;
constexpr int kLastBorderItem = 15;
constexpr const char* kBorderWarning =
    "Внимание! При смене границ номеров разделов РПУ проверьте привязки извещателей к разделам "
    "для соответствующего РПУ!";
constexpr const char* kRepeatedNumber =
    "Повтор системного номера РПДИ! Аналогичный номер есть на вкладке РПУ №";
constexpr const char* kNumberRange =
    "Недопустимое значение! Системный номер РПДИ должен быть в интервале от 1 до 192 или 0";

int Border(const FormModel& model, int n) {
    return model.at(Indexed("Border", n)).itemIndex;
}

// The partitions a receiver may bind to: 0 or lower..upper. The one-receiver panel has no
// borders: its receiver takes every partition.
struct BindingRange {
    int lower;
    int upper;
    bool wholePanel;
};

BindingRange RangeOf(const FormModel& model, int receiver, bool oneReceiver) {
    if (oneReceiver) return {1, 16, true};
    return {Border(model, 2 * receiver - 1) + 1, Border(model, 2 * receiver) + 1, false};
}

std::string BindingNotice(const BindingRange& range) {
    std::string notice = "Недопустимое значение! Номер раздела должен быть в интервале от ";
    if (range.wholePanel) return notice + "0 до 16";
    return notice + std::to_string(range.lower) + " до " + std::to_string(range.upper) + " или 0";
}

bool BindingValid(std::string_view text, const BindingRange& range) {
    std::optional<int> value = FirstRunValue(text);
    if (!value) return false;
    return *value == 0 || (*value <= range.upper && (range.wholePanel || *value >= range.lower));
}

// Checks all 48 bindings of a receiver; an invalid one is reported once, set to "0 " and gets
// the cursor. True when all were valid.
bool CheckBindings(RuleContext& context, int receiver, bool oneReceiver, bool showPage) {
    FormModel& model = context.model();
    bool valid = true;
    for (int d = 1; d <= kDetectors; ++d) {
        std::string field = BindingName(receiver, d);
        BindingRange range = RangeOf(model, receiver, oneReceiver);
        if (BindingValid(model.at(field).text, range)) continue;
        if (showPage) ShowPage(model, "PageControlRPU", Indexed("RPU", receiver));
        context.prompts().notice(BindingNotice(range));
        ResetAndFocus(model, field, "0 ");
        valid = false;
    }
    return valid;
}

void BindingExit(RuleContext& context, int receiver) {
    int variant = RulesVariant(context.editor);
    if (receiver == 1 && variant != 1 && variant != 3) return;
    CheckBindings(context, receiver, receiver == 1 && variant == 1, false);
}

// Keeps a receiver's first partition at or below its last, and its range after the previous
// receiver's. Only the changed list moves, always to an item of the list.
int CorrectedBorder(const FormModel& model, int n) {
    auto b = [&model](int k) { return Border(model, k); };
    int value = b(n);
    if (n == 1) {
        if (b(2) < value) value = b(2);
    } else if (n == 2 * kReceivers) {
        if (value < b(n - 1)) value = b(n - 1);
    } else if (n % 2 == 1) {
        if (b(n + 1) < value) {
            value = b(n + 1);
        } else if (b(n - 1) >= value) {
            value = b(n - 1) + 1;
        }
    } else if (value < b(n + 1)) {
        if (value < b(n - 1)) value = b(n - 1);
    } else {
        value = b(n + 1) - 1;
    }
    return std::clamp(value, 0, kLastBorderItem);
}

void BorderChange(RuleContext& context, int n) {
    FormModel& model = context.model();
    model.setItemIndex(Indexed("Border", n), CorrectedBorder(model, n));
    context.prompts().notice(kBorderWarning);
}

// Where a system number lives: receiver-major, detectors 1..48.
std::string NumberField(int index) {
    return SystemNumberName(index / kDetectors + 1, index % kDetectors + 1);
}

void ShowNumberTab(FormModel& model, int index) {
    ShowPage(model, "PageControl2", Indexed("TabSheet", index / kDetectors + 3));
}

std::array<int, kNumbers> ReadNumbers(FormModel& model) {
    std::array<int, kNumbers> w{};
    for (int i = 0; i < kNumbers; ++i) {
        std::string field = NumberField(i);
        std::optional<int> value = FirstRunValue(model.at(field).text);
        if (!value) model.setText(field, "0  ");
        w[i] = value.value_or(0);
    }
    return w;
}

void ClearNumber(RuleContext& context, std::array<int, kNumbers>& w, int k,
                 const std::string& notice) {
    ShowNumberTab(context.model(), k);
    context.prompts().notice(notice);
    w[k] = 0;
    ResetAndFocus(context.model(), NumberField(k), "0  ");
}

// The edited field keeps its number; between two other fields the later one loses it.
void ClearRepeats(RuleContext& context, std::array<int, kNumbers>& w, int edited) {
    for (int i = 0; i < kNumbers - 1; ++i) {
        for (int j = i + 1; j < kNumbers && w[i] != 0; ++j) {
            if (w[j] == 0 || w[j] != w[i]) continue;
            int k = j == edited ? i : j;
            ClearNumber(
                context, w, k,
                kRepeatedNumber + std::to_string(k / kDetectors + 1) + ". Он будет занулен.");
        }
    }
}

// allFields: before an encoding every number is range-checked, so no number above 192 reaches
// the panel or a file; on leaving a field only that field is.
void CheckSystemNumbers(RuleContext& context, int edited, bool allFields) {
    std::array<int, kNumbers> w = ReadNumbers(context.model());
    ClearRepeats(context, w, edited);
    for (int i = 0; i < kNumbers; ++i) {
        if ((allFields || i == edited) && w[i] > kMaxSystemNumber) {
            ClearNumber(context, w, i, kNumberRange);
        }
    }
    std::copy(w.begin(), w.end(), context.image.rpdiNumbers.begin());
}

}  // namespace

bool CheckBindingsBeforeEncoding(RuleContext& context) {
    int variant = RulesVariant(context.editor);
    if (variant == 1) return CheckBindings(context, 1, true, true);
    if (variant != 3) return true;
    bool valid = true;
    for (int r = 1; r <= kReceivers; ++r) {
        if (!CheckBindings(context, r, false, true)) valid = false;
    }
    return valid;
}

void CheckSystemNumbersBeforeEncoding(RuleContext& context) {
    CheckSystemNumbers(context, 0, true);
}

void InstallDetectorRules(const Context& context) {
    for (int r = 1; r <= kReceivers; ++r) {
        for (int d = 1; d <= kDetectors; ++d) {
            On(context, BindingName(r, d), ControlEvent::Exit,
               [r](RuleContext& c, Control&) { BindingExit(c, r); });
            int index = (r - 1) * kDetectors + d - 1;
            On(context, SystemNumberName(r, d), ControlEvent::Exit,
               [index](RuleContext& c, Control&) { CheckSystemNumbers(c, index, false); });
        }
    }
    for (int n = 1; n <= 2 * kReceivers; ++n) {
        On(context, Indexed("Border", n), ControlEvent::Change,
           [n](RuleContext& c, Control&) { BorderChange(c, n); });
    }
}

}  // namespace kerma::rules
