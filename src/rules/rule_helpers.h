#pragma once
// Pieces the rule units share: the context the handlers hold, field readings and page moves.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "editor_rules.h"

namespace kerma::rules {

// What every handler holds: the editor, the image state beside it and the object carry-over.
struct RuleContext {
    RuleContext(K740Editor& e, CodecMemory& i) : editor(e), image(i), state(i.objectCarry) {}

    K740Editor& editor;
    CodecMemory& image;
    RuleState& state;

    FormModel& model() { return editor.model(); }
    Prompts& prompts() { return editor.prompts(); }
};
using Context = std::shared_ptr<RuleContext>;

// Attaches one handler that keeps the context alive as long as the model keeps the handler.
void On(const Context& context, std::string_view control, ControlEvent event,
        std::function<void(RuleContext&, Control&)> handler);

// The areas, one install function each.
void InstallPartitionRules(const Context& context);
void InstallDetectorRules(const Context& context);
void InstallNameRules(const Context& context);
void InstallCodeKeyRules(const Context& context);
void InstallObjectRules(const Context& context);
void InstallPasswordRules(const Context& context);

// Checks shared by the write and the save (detector_rules.cpp).
[[nodiscard]] bool CheckBindingsBeforeEncoding(RuleContext& context);
void CheckSystemNumbersBeforeEncoding(RuleContext& context);
// password_rules.cpp
[[nodiscard]] bool EngineerPasswordBeforeEncoding(RuleContext& context);

// object_rules.cpp
void CheckObjectsAfterDecoding(RuleContext& context);

// prefix + decimal n.
[[nodiscard]] std::string Indexed(std::string_view prefix, int n);

// The first run of consecutive digits of a field, as a number ("12 " and " 12" are 12, "1 5" is
// 1); nullopt when the field holds no digit.
[[nodiscard]] std::optional<int> FirstRunValue(std::string_view text);

// Makes a tab sheet the active page of its page control, and that page control's own tab sheet
// active in its parent, so the field a message talks about is in sight.
void ShowPage(FormModel& model, std::string_view pageControl, std::string_view tabSheet);

// Sets a field and puts the cursor back into it, as every rejected value does.
void ResetAndFocus(FormModel& model, std::string_view field, std::string neutral);

// Number of a field whose text is a plain decimal integer (blanks around it allowed), nullopt for
// any other text.
[[nodiscard]] std::optional<long> IntegerText(std::string_view text);

}  // namespace kerma::rules
