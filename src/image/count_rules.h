#pragma once
// The count rules as a decoding runs them: the counts the up-downs hold, set as the field rules
// set them, so a decoded editor is consistent with or without the rule handlers installed.
#include "editor_rules.h"
#include "form_model.h"
#include "k740_state.h"

namespace kerma {

// CodeCount <- position of KOD, the codes beyond it out of use.
void ApplyCodeCountRule(FormModel& model, K740State& state);

// KeyCount <- position of KEY, the keys beyond it out of use and their sub-pages hidden.
void ApplyKeyCountRule(FormModel& model, K740State& state);

}  // namespace kerma
