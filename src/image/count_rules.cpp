#include "count_rules.h"

namespace kerma {

void ApplyCodeCountRule(FormModel& model, K740State& state) {
    ApplyCodeCount(model, state, model.at("KOD").position);
}

void ApplyKeyCountRule(FormModel& model, K740State& state) {
    ApplyKeyCount(model, state, model.at("KEY").position);
}

}  // namespace kerma
