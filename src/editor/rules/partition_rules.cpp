// Partition table and device parameters: partition types, the duration fields and the modes
// that use them.
#include "rule_helpers.h"

namespace kerma::rules {

namespace {

constexpr int kPartitions = 16;
constexpr int kMaxDuration = 254;
constexpr const char* kRangeNotice = "Диапазон возможных значений от 0 до 254";

// The seven time and duration edits with their up-downs.
constexpr std::pair<std::string_view, std::string_view> kDurations[] = {
    {"DelayEdit", "Delay"},     {"DelayEditVxod", "DelayVxod"},   {"EditTimesound", "Timesound"},
    {"EditTimeLCD", "TimeLCD"}, {"EditSoundExt", "TimesoundExt"}, {"SoundEdit", "SoundUpDown"},
    {"LCDEdit", "LCDUpDown"},
};

// A fire partition can be neither a 24-hour nor a silent-alarm partition. The other columns
// only get their boxes back: clearing them too would throw away the flags of every partition
// whenever one partition's type is clicked.
void ApplyTypeRule(FormModel& model) {
    for (int p = 1; p <= kPartitions; ++p) {
        bool fire = model.at(Indexed("ds0", p)).checked;
        for (const char* row : {"krs", "tix"}) {
            std::string box = Indexed(row, p);
            if (fire) model.setChecked(box, false);
            model.setEnabled(box, !fire);
        }
    }
}

void ApplyRangeRule(RuleContext& context, std::string_view edit, std::string_view upDown) {
    FormModel& model = context.model();
    const std::string& text = model.at(edit).text;
    if (IsBlankText(text)) return;
    std::optional<long> value = IntegerText(text);
    if (!value) {
        context.prompts().notice("'" + text + "' не является целым числом");
        return;
    }
    if (*value >= 0 && *value <= kMaxDuration) {
        if (model.at(upDown).position != *value)
            model.setPosition(upDown, static_cast<int>(*value));
        return;
    }
    context.prompts().notice(kRangeNotice);
    model.setText(edit, "1");
}

// A field left empty or unreadable shows again the value the panel gets: the up-down's.
void RestoreDuration(FormModel& model, std::string_view edit, std::string_view upDown) {
    std::optional<long> value = IntegerText(model.at(edit).text);
    if (value && *value >= 0 && *value <= kMaxDuration) return;
    model.setText(edit, std::to_string(model.at(upDown).position));
}

struct ModeGroup {
    std::string_view radios[3];
    std::string_view edit;
    std::string_view key;  // the radio the rule looks at
    bool enabledWhenKey;   // edit enabled when the key radio is selected (else when it is not)
};

constexpr ModeGroup kModeGroups[] = {
    {{"Keysound1", "keysound2", "Keysound3"}, "EditTimesound", "Keysound3", false},
    {{"LCD_key1", "LCD_key2", "LCD_key3"}, "EditTimeLCD", "LCD_key2", true},
    {{"SoundButton1", "SoundButton2", "SoundButton3"}, "SoundEdit", "SoundButton3", false},
    {{"LCDButton1", "LCDButton2", "LCDButton3"}, "LCDEdit", "LCDButton2", true},
};

void ApplyEnableRule(FormModel& model, const ModeGroup& group) {
    model.setEnabled(group.edit, model.at(group.key).checked == group.enabledWhenKey);
}

}  // namespace

void InstallPartitionRules(const Context& context) {
    for (int p = 1; p <= kPartitions; ++p) {
        for (const char* type : {"ds0", "ds1", "ds2"}) {
            On(context, Indexed(type, p), ControlEvent::Click,
               [](RuleContext& c, Control&) { ApplyTypeRule(c.model()); });
        }
    }
    for (const auto& duration : kDurations) {
        // Named copies: clang before 16 cannot capture structured bindings.
        const auto edit = duration.first, upDown = duration.second;
        On(context, edit, ControlEvent::Change,
           [edit, upDown](RuleContext& c, Control&) { ApplyRangeRule(c, edit, upDown); });
        On(context, edit, ControlEvent::Exit,
           [edit, upDown](RuleContext& c, Control&) { RestoreDuration(c.model(), edit, upDown); });
    }
    for (const ModeGroup& group : kModeGroups) {
        for (std::string_view radio : group.radios) {
            On(context, radio, ControlEvent::Click,
               [&group](RuleContext& c, Control&) { ApplyEnableRule(c.model(), group); });
        }
    }
}

}  // namespace kerma::rules

namespace kerma {

void ApplyDurationEnableRules(FormModel& model) {
    for (const rules::ModeGroup& group : rules::kModeGroups) rules::ApplyEnableRule(model, group);
}

}  // namespace kerma
