#include "count_rules.h"

#include "fields/code_fields.h"
#include "fields/key_fields.h"

namespace kerma {

void ApplyCodeCountRule(FormModel& model, K740State& state) {
    ApplyCodeCount(model, state, model.at(fields::KOD).position);
}

void ApplyKeyCountRule(FormModel& model, K740State& state) {
    ApplyKeyCount(model, state, model.at(fields::KEY).position);
}

}  // namespace kerma
