// Detector bindings, receiver borders and detector system numbers (QN-M receivers).
#include <algorithm>
#include <array>
#include <vector>

#include "fields/binding_fields.h"
#include "fields/system_number_fields.h"
#include "k740_controls.h"
#include "rule_helpers.h"

namespace kerma::rules {

namespace {

constexpr int kMaxSystemNumber = kSystemNumbers;
constexpr int kLastBorderItem = 15;
constexpr const char* kBorderWarning =
    "Внимание! При смене границ номеров разделов РПУ проверьте привязки извещателей к разделам "
    "для соответствующего РПУ!";
constexpr const char* kRepeatedNumber =
    "Повтор системного номера РПДИ! Аналогичный номер есть на вкладке РПУ №";
constexpr const char* kBindingsOutside =
    "Номера разделов в привязках извещателей выходят за границы разделов своего РПУ:";
constexpr const char* kBindingsOutsideEnd =
    "\n\nКонфигурация не записана. Исправьте привязки или границы номеров разделов РПУ.";
constexpr const char* kNumberRange =
    "Недопустимое значение! Системный номер РПДИ должен быть в интервале от 1 до 192 или 0";

int Border(const FormModel& model, int n) {
    return model.at(Indexed(fields::BorderN, n)).itemIndex;
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

void RejectBinding(RuleContext& context, const std::string& field, const BindingRange& range) {
    context.prompts().notice(BindingNotice(range));
    ResetAndFocus(context.model(), field, "0 ");
}

// Checks all 48 bindings of a receiver. Above the last partition and below the first are tried
// one after the other, so with crossed borders (first above last) a value is reported twice.
void CheckBindings(RuleContext& context, int receiver, bool oneReceiver) {
    FormModel& model = context.model();
    for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
        std::string field = BindingName(receiver, d);
        std::optional<int> value = FirstRunValue(model.at(field).text);
        BindingRange range = RangeOf(model, receiver, oneReceiver);
        if (!value) {
            RejectBinding(context, field, range);
            continue;
        }
        if (*value > range.upper) RejectBinding(context, field, range);
        if (!range.wholePanel && *value != 0 && *value < range.lower) {
            RejectBinding(context, field, range);
        }
    }
}

void BindingExit(RuleContext& context, int receiver) {
    const PanelVariant& variant = DescribeVariant(ShownVariant(context.editor.state()));
    if (receiver == 1 && variant.radio != RadioSystem::QnM) return;
    CheckBindings(context, receiver, receiver == 1 && variant.receivers == 1);
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
    model.setItemIndex(Indexed(fields::BorderN, n), CorrectedBorder(model, n));
    context.prompts().notice(kBorderWarning);
}

// Where a system number lives: receiver-major, detectors 1..48.
std::string NumberField(int index) {
    return SystemNumberName(index / kDetectorsPerReceiver + 1, index % kDetectorsPerReceiver + 1);
}

void ShowNumberTab(FormModel& model, int index) {
    ShowPage(model, fields::PageControl2, Indexed(fields::TabSheetN, index / kDetectorsPerReceiver + 3));
}

std::array<int, kSystemNumbers> ReadNumbers(FormModel& model) {
    std::array<int, kSystemNumbers> w{};
    for (int i = 0; i < kSystemNumbers; ++i) {
        std::string field = NumberField(i);
        std::optional<int> value = FirstRunValue(model.at(field).text);
        if (!value) model.setText(field, "0  ");
        w[i] = value.value_or(0);
    }
    return w;
}

void ClearNumber(RuleContext& context, std::array<int, kSystemNumbers>& w, int k,
                 const std::string& notice) {
    ShowNumberTab(context.model(), k);
    context.prompts().notice(notice);
    w[k] = 0;
    ResetAndFocus(context.model(), NumberField(k), "0  ");
}

// The edited field keeps its number; between two other fields the later one loses it.
void ClearRepeats(RuleContext& context, std::array<int, kSystemNumbers>& w, int edited) {
    for (int i = 0; i < kSystemNumbers - 1; ++i) {
        for (int j = i + 1; j < kSystemNumbers && w[i] != 0; ++j) {
            if (w[j] == 0 || w[j] != w[i]) continue;
            int k = j == edited ? i : j;
            ClearNumber(
                context, w, k,
                kRepeatedNumber + std::to_string(k / kDetectorsPerReceiver + 1) + ". Он будет занулен.");
        }
    }
}

// allFields: before an encoding every number is range-checked, so no number above 192 reaches
// the panel or a file; on leaving a field only that field is.
void CheckSystemNumbers(RuleContext& context, int edited, bool allFields) {
    std::array<int, kSystemNumbers> w = ReadNumbers(context.model());
    ClearRepeats(context, w, edited);
    for (int i = 0; i < kSystemNumbers; ++i) {
        if ((allFields || i == edited) && w[i] > kMaxSystemNumber) {
            ClearNumber(context, w, i, kNumberRange);
        }
    }
    std::copy(w.begin(), w.end(), context.image.rpdiNumbers.begin());
}

// Detectors (1..48) of a receiver whose binding is outside its range. A field without a digit
// goes to the panel as 0 and is not among them.
std::vector<int> BindingsOutside(const FormModel& model, int receiver, const BindingRange& range) {
    std::vector<int> outside;
    for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
        const std::string& text = model.at(BindingName(receiver, d)).text;
        if (FirstRunValue(text) && !BindingValid(text, range)) outside.push_back(d);
    }
    return outside;
}

// "1, 3-7, 12": ascending numbers with runs joined.
std::string NumberRuns(const std::vector<int>& numbers) {
    std::string out;
    for (size_t i = 0; i < numbers.size();) {
        size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
        if (!out.empty()) out += ", ";
        out += std::to_string(numbers[i]);
        if (j > i) out += "-" + std::to_string(numbers[j]);
        i = j + 1;
    }
    return out;
}

// "РПУ №2 (разделы 5-8): РПДИ 3, 10-12"
std::string ReceiverLine(const FormModel& model, int receiver, bool oneReceiver,
                         const BindingRange& range, const std::vector<int>& outside) {
    std::string line = oneReceiver ? std::string("РПУ") : Indexed("РПУ №", receiver);
    if (!oneReceiver && (Border(model, 2 * receiver - 1) < 0 || Border(model, 2 * receiver) < 0)) {
        line += " (границы не выбраны)";
    } else {
        line +=
            " (разделы " + std::to_string(range.lower) + "-" + std::to_string(range.upper) + ")";
    }
    return line + ": РПДИ " + NumberRuns(outside);
}

}  // namespace

// A write never changes a binding: the bindings outside their receiver's borders are named in
// one message, the cursor goes to the first, and the user decides between the binding and the
// borders.
bool CheckBindingsBeforeEncoding(RuleContext& context) {
    const PanelVariant& variant = DescribeVariant(ShownVariant(context.editor.state()));
    if (variant.radio != RadioSystem::QnM) return true;
    const bool oneReceiver = variant.receivers == 1;
    FormModel& model = context.model();
    std::string list;
    std::string first;
    for (int r = 1; r <= variant.receivers; ++r) {
        BindingRange range = RangeOf(model, r, oneReceiver);
        std::vector<int> outside = BindingsOutside(model, r, range);
        if (outside.empty()) continue;
        if (first.empty()) {
            first = BindingName(r, outside.front());
            ShowPage(model, fields::PageControlRPU, Indexed(fields::RPUN, r));
        }
        list += "\n" + ReceiverLine(model, r, oneReceiver, range, outside);
    }
    if (first.empty()) return true;
    context.prompts().notice(kBindingsOutside + list + kBindingsOutsideEnd);
    model.setFocus(first);
    return false;
}

void CheckSystemNumbersBeforeEncoding(RuleContext& context) {
    CheckSystemNumbers(context, 0, true);
}

void InstallDetectorRules(const Context& context) {
    for (int r = 1; r <= kReceivers; ++r) {
        for (int d = 1; d <= kDetectorsPerReceiver; ++d) {
            On(context, BindingName(r, d), ControlEvent::Exit,
               [r](RuleContext& c, Control&) { BindingExit(c, r); });
            int index = (r - 1) * kDetectorsPerReceiver + d - 1;
            On(context, SystemNumberName(r, d), ControlEvent::Exit,
               [index](RuleContext& c, Control&) { CheckSystemNumbers(c, index, false); });
        }
    }
    for (int n = 1; n <= 2 * kReceivers; ++n) {
        On(context, Indexed(fields::BorderN, n), ControlEvent::Change,
           [n](RuleContext& c, Control&) { BorderChange(c, n); });
    }
}

}  // namespace kerma::rules
