// Partition names: the preset list and the user's own names.
#include "fields/name_fields.h"
#include "k740_controls.h"
#include "rule_helpers.h"

namespace kerma::rules {

namespace {

constexpr size_t kOwnNameLength = 8;
constexpr const char* kLongNameNotice =
    "Внимание, название превышающее 8 символов будет сокращена до 8!!!";

void NameChoice(FormModel& model, int p) {
    bool own = model.at(Indexed(fields::NameRzdN, p)).itemIndex == kOwnNameItem;
    model.setVisible(Indexed(fields::OwnNameN, p), own);
    model.setVisible(Indexed(fields::LabelSimbN, p), own);
}

void OwnNameExit(RuleContext& context, int p) {
    std::string field = Indexed(fields::OwnNameN, p);
    const std::string& text = context.model().at(field).text;
    if (Utf8Length(text) <= kOwnNameLength) return;
    context.prompts().notice(kLongNameNotice);
    ResetAndFocus(context.model(), field, Utf8Left(text, kOwnNameLength));
}

}  // namespace

void InstallNameRules(const Context& context) {
    for (int p = 1; p <= kPartitions; ++p) {
        On(context, Indexed(fields::NameRzdN, p), ControlEvent::Change,
           [p](RuleContext& c, Control&) { NameChoice(c.model(), p); });
        On(context, Indexed(fields::OwnNameN, p), ControlEvent::Exit,
           [p](RuleContext& c, Control&) { OwnNameExit(c, p); });
    }
}

}  // namespace kerma::rules
