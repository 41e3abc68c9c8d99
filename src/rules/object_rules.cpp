// Object numbers of the QN transmitters' alarm loops, the row resets and the general reset.
#include <array>
#include <set>
#include <unordered_map>

#include "fields/object_fields.h"
#include "fields/window_fields.h"
#include "k740_controls.h"
#include "rule_helpers.h"

namespace kerma::rules {

namespace {

constexpr int kRows = kQnRows;
constexpr int kLoops = kQnLoops;
constexpr int kLoopsPerReceiver = kRows * kLoops;
constexpr int kAllLoops = kObjectLoops;
constexpr int kAllLoopsChanged = 0xFF;
constexpr const char* kObjectRange =
    "Недопустимое значение! Номер объекта должен быть в интервале от 0 до 999";
constexpr const char* kRepeatedObject = "Повтор номера объекта в РПД №";

// Loop index q (the field's Tag) -> the field's name.
std::string LoopField(int q) {
    return ObjectName(q / kLoopsPerReceiver + 1, q % kLoopsPerReceiver / kLoops + 1,
                      q % kLoops + 1);
}

int Transmitter(int q) {
    return q / kLoops;
}

void ShowReceiverTab(FormModel& model, int q) {
    ShowPage(model, fields::PageControlRPY4,
             Indexed(fields::TabSheet_QN_RPYN, q / kLoopsPerReceiver + 1));
}

void MarkChanged(CodecMemory& image, int q) {
    image.qnDetectorBlock[Transmitter(q)] |= 1 << (q % kLoops);
}

void ObjectEnter(RuleContext& context, Control& field) {
    RuleState& state = context.state;
    // A field without digits counts as 0, as leaving it makes it: a number left over from
    // another field would be what a repeat restores.
    state.objectValueOnEntry = static_cast<int>(FieldNumber(field.text, 0));
    if (state.objectValueOnEntry == 0 &&
        Transmitter(state.lastObjectTag) == Transmitter(field.tag)) {
        context.model().setText(field.name, std::to_string(state.lastObjectValue));
    }
}

int ScannedReceivers(const K740Editor& editor) {
    // A demo scans all four receivers whatever it shows.
    if (editor.state().demoMode) return kReceivers;
    const PanelVariant& variant = DescribeVariant(ShownVariant(editor.state()));
    return variant.radio == RadioSystem::Qn ? variant.receivers : 0;
}

// One run of the rule shows each text once: a repeat that spans several loops of the same two
// transmitters, or a block with many empty fields, would otherwise bring a modal box per loop.
class Notices {
  public:
    explicit Notices(Prompts& prompts) : prompts_(prompts) {}
    void show(const std::string& text) {
        if (shown_.insert(text).second) prompts_.notice(text);
    }

  private:
    Prompts& prompts_;
    std::set<std::string> shown_;
};

// ObjectAssignments follow the fields; a field left without a number becomes 0 in both, so the
// object table never holds a number the page does not show.
void ReadAssignments(RuleContext& context, int receivers, Notices& notices) {
    FormModel& model = context.model();
    for (int q = 0; q < receivers * kLoopsPerReceiver; ++q) {
        std::string field = LoopField(q);
        std::optional<long> number = FieldValue(model.at(field).text);
        if (!number) {
            ShowPage(model, fields::PageControl, fields::TabSheetName);
            ShowReceiverTab(model, q);
            notices.show(kObjectRange);
            ResetAndFocus(model, field, "0 ");
        }
        context.image.objectAssignments[q] = static_cast<int>(number.value_or(0));
    }
}

// Whether a number is held by two transmitters, in one pass: every run of the rule (each field
// left, each decoding) would otherwise compare all 294,528 pairs of loops to find nothing.
bool AnyRepeat(const std::array<int, kObjectLoops>& objects) {
    std::unordered_map<int, int> holder;  // number -> the first transmitter holding it
    for (int q = 0; q < kAllLoops; ++q) {
        if (objects[q] == 0) continue;
        auto [at, added] = holder.try_emplace(objects[q], Transmitter(q));
        if (!added && at->second != Transmitter(q)) return true;
    }
    return false;
}

// An object belongs to one transmitter. Every repeat is reported; one that involves the field
// left gives that field back `restored`. A repeat between two other fields leaves the field
// alone, so an old repeat never undoes a number that is fine in itself.
void ReportRepeats(RuleContext& context, const std::string& field, int t, int restored,
                   Notices& notices) {
    auto& objects = context.image.objectAssignments;
    if (!AnyRepeat(objects)) return;
    for (int q1 = 0; q1 < kAllLoops - 1; ++q1) {
        for (int q2 = q1 + 1; q2 < kAllLoops; ++q2) {
            if (objects[q1] == 0 || objects[q1] != objects[q2] ||
                Transmitter(q1) == Transmitter(q2)) {
                continue;
            }
            int other = t == q2 ? q1 : q2;
            ShowPage(context.model(), fields::PageControl, fields::TabSheetName);
            ShowReceiverTab(context.model(), t);
            notices.show(kRepeatedObject + std::to_string(Transmitter(other) + 1));
            if (t != q1 && t != q2) continue;
            objects[t] = restored;
            ResetAndFocus(context.model(), field, std::to_string(restored));
        }
    }
}

void CheckObjects(RuleContext& context, const std::string& field, int t, int restored,
                  int receivers) {
    Notices notices(context.prompts());
    ReadAssignments(context, receivers, notices);
    ReportRepeats(context, field, t, restored, notices);
    context.state.lastObjectValue = context.image.objectAssignments[t];
    context.state.lastObjectTag = t;
}

void ObjectExit(RuleContext& context, Control& field) {
    const int entry = context.state.objectValueOnEntry;
    CheckObjects(context, field.name, field.tag, entry, ScannedReceivers(context.editor));
    if (context.state.lastObjectValue != entry) MarkChanged(context.image, field.tag);
}

// The row's fields become 0, and so do their assignments: a write right after the reset sends
// what the page shows. Loops whose number goes away are marked as changed.
void RowReset(RuleContext& context, int receiver, int row) {
    for (int s = 1; s <= kLoops; ++s) {
        context.model().setText(ObjectName(receiver, row, s), "0 ");
        int q = (receiver - 1) * kLoopsPerReceiver + (row - 1) * kLoops + (s - 1);
        if (context.image.objectAssignments[q] != 0) MarkChanged(context.image, q);
        context.image.objectAssignments[q] = 0;
    }
    context.state.lastObjectValue = 0;
}

void GeneralReset(RuleContext& context) {
    for (int r = 1; r <= kReceivers; ++r) {
        for (int t = 1; t <= kRows; ++t) RowReset(context, r, t);
    }
    // The object table is built from the assignments, now all 0.
    context.image.qnDetectorBlock.fill(kAllLoopsChanged);
}

}  // namespace

// A decoding is no edit: the loops keep their marks, and a repeat that involves the first field
// clears that field's number, whatever a field entered before the decoding held.
void CheckObjectsAfterDecoding(RuleContext& context) {
    CheckObjects(context, LoopField(0), 0, 0, kReceivers);
}

void InstallObjectRules(const Context& context) {
    for (int r = 1; r <= kReceivers; ++r) {
        for (int t = 1; t <= kRows; ++t) {
            for (int s = 1; s <= kLoops; ++s) {
                std::string field = ObjectName(r, t, s);
                On(context, field, ControlEvent::Enter, ObjectEnter);
                On(context, field, ControlEvent::Exit, ObjectExit);
            }
            On(context, RowResetName(r, t), ControlEvent::Click,
               [r, t](RuleContext& c, Control&) { RowReset(c, r, t); });
        }
    }
    On(context, fields::BitBtn2, ControlEvent::Click,
       [](RuleContext& c, Control&) { GeneralReset(c); });
}

}  // namespace kerma::rules
