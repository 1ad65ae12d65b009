#include "game/letters.h"

namespace {

bool is_byte(int32_t letter) { return letter >= 0 && letter < 256; }

}  // namespace

Letter_Bindings::Letter_Bindings() {
  for (auto& family : by_letter) family.fill(-1);
}

int32_t bound_by(const Letter_Bindings& bindings, bool over_time, int32_t letter) {
  if (is_byte(letter)) return bindings.by_letter[over_time][letter];
  for (auto it = bindings.others.rbegin(); it != bindings.others.rend(); ++it)
    if ((*it)[0] == over_time && (*it)[1] == letter) return (*it)[2];
  return -1;
}

bool binds_its_letter(const Letter_Bindings& bindings, const Formula* quantifier) {
  return bound_by(bindings, is_time_quantifier(quantifier->type), quantifier->variable) < 0;
}

bool enter_quantifier(Letter_Bindings& bindings, const Formula* quantifier, int32_t binder) {
  if (!binds_its_letter(bindings, quantifier)) return false;
  const bool over_time = is_time_quantifier(quantifier->type);
  const int32_t letter = quantifier->variable;
  if (is_byte(letter))
    bindings.by_letter[over_time][letter] = binder;
  else
    bindings.others.push_back({over_time, letter, binder});
  return true;
}

void leave_quantifier(Letter_Bindings& bindings, const Formula* quantifier) {
  const int32_t letter = quantifier->variable;
  if (is_byte(letter))
    bindings.by_letter[is_time_quantifier(quantifier->type)][letter] = -1;
  else
    bindings.others.pop_back();
}

Term agent_term(const Letter_Bindings& bindings, agent value) {
  if (value == ROW) return {TERM_ROW, 0};
  if (value == COLUMN) return {TERM_COLUMN, 0};
  const int32_t binder = bound_by(bindings, false, value);
  return binder >= 0 ? Term{TERM_BOUND, binder} : Term{TERM_CONSTANT, value};
}

Term time_term(const Letter_Bindings& bindings, int32_t value) {
  if (value == PREV_TIME) return {TERM_PREV, 0};
  const int32_t binder = bound_by(bindings, true, value);
  return binder >= 0 ? Term{TERM_BOUND, binder} : Term{TERM_CONSTANT, value};
}
