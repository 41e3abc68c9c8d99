#pragma once
// The parts of the editor's field rules that a decoding depends on, in their smallest form: the
// code and key count rules and the duration enable rules.
// The editor's own rules may take these over; until then the codecs run them directly, so a
// decoded editor is consistent with or without the rule handlers installed.
#include "form_model.h"
#include "image_state.h"
#include "k740_state.h"

namespace kerma {

inline constexpr int kMaxCodes = 32;
inline constexpr int kMaxKeys = 96;

// CodeCount <- position of KOD; codes in use enabled, the others emptied and disabled with their
// 16 authority boxes unchecked and disabled.
void ApplyCodeCountRule(FormModel& model, K740State& state);

// KeyCount <- position of KEY; the key sub-pages beyond the count hidden, keys as codes.
void ApplyKeyCountRule(FormModel& model, K740State& state);

// A duration edit is enabled only where its mode uses it (sound not off, backlight automatic).
void ApplyDurationEnableRules(FormModel& model);

}  // namespace kerma
