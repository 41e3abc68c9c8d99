// Partition table and device parameters: partition types, the duration fields and the modes
// that use them.
#include "fields/partition_fields.h"
#include "rule_helpers.h"

namespace kerma::rules {

namespace {

constexpr int kMaxDuration = 254;
constexpr const char* kRangeNotice = "Диапазон возможных значений от 0 до 254";

// The seven time and duration edits with their up-downs.
constexpr std::pair<std::string_view, std::string_view> kDurations[] = {
    {fields::DelayEdit, fields::Delay},           {fields::DelayEditVxod, fields::DelayVxod},
    {fields::EditTimesound, fields::Timesound},   {fields::EditTimeLCD, fields::TimeLCD},
    {fields::EditSoundExt, fields::TimesoundExt}, {fields::SoundEdit, fields::SoundUpDown},
    {fields::LCDEdit, fields::LCDUpDown},
};

// A fire partition can be neither a 24-hour nor a silent-alarm partition. The other columns
// only get their boxes back: clearing them too would throw away the flags of every partition
// whenever one partition's type is clicked.
void ApplyTypeRule(FormModel& model) {
    for (int p = 1; p <= kPartitions; ++p) {
        bool fire = model.at(Indexed(fields::ds0N, p)).checked;
        for (const char* row : {fields::krsN, fields::tixN}) {
            std::string box = Indexed(row, p);
            if (fire) model.setChecked(box, false);
            model.setEnabled(box, !fire);
        }
    }
}

void ApplyRangeRule(RuleContext& context, std::string_view edit, std::string_view upDown) {
    FormModel& model = context.model();
    const std::string& text = model.at(edit).text;
    if (IsBlank(text)) return;
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
    {{fields::Keysound1, fields::keysound2, fields::Keysound3},
     fields::EditTimesound,
     fields::Keysound3,
     false},
    {{fields::LCD_key1, fields::LCD_key2, fields::LCD_key3},
     fields::EditTimeLCD,
     fields::LCD_key2,
     true},
    {{fields::SoundButton1, fields::SoundButton2, fields::SoundButton3},
     fields::SoundEdit,
     fields::SoundButton3,
     false},
    {{fields::LCDButton1, fields::LCDButton2, fields::LCDButton3},
     fields::LCDEdit,
     fields::LCDButton2,
     true},
};

void ApplyEnableRule(FormModel& model, const ModeGroup& group) {
    model.setEnabled(group.edit, model.at(group.key).checked == group.enabledWhenKey);
}

}  // namespace

void InstallPartitionRules(const Context& context) {
    for (int p = 1; p <= kPartitions; ++p) {
        for (const char* type : {fields::ds0N, fields::ds1N, fields::ds2N}) {
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
