// How the fields of an atom name agents and times. A field holds a code
// (ROW, COLUMN, PREV_TIME), or a letter that the nearest enclosing
// quantifier of its family binds, or else a constant: a player index or
// time, or a letter that nothing binds, which stands for its own code. A
// quantifier whose letter an enclosing quantifier of its family already
// binds binds nothing: substituting the outer one removes it.
//
// Every evaluator resolves letters through these functions; `find` answers
// the binding of a letter on the current path, as a number of the caller's
// choosing, or -1 when the letter is not bound.
#pragma once

#include <cstdint>

#include "formula/formula.h"

enum Term_Kind : uint8_t { TERM_ROW, TERM_COLUMN, TERM_PREV, TERM_BOUND, TERM_CONSTANT };

struct Term {
  Term_Kind kind;
  int32_t value;  // the binding, or the constant
};

template <typename Find>
Term agent_term(agent value, const Find& find) {
  if (value == ROW) return {TERM_ROW, 0};
  if (value == COLUMN) return {TERM_COLUMN, 0};
  int32_t binding = find(false, value);
  return binding >= 0 ? Term{TERM_BOUND, binding} : Term{TERM_CONSTANT, value};
}

template <typename Find>
Term time_term(int32_t value, const Find& find) {
  if (value == PREV_TIME) return {TERM_PREV, 0};
  int32_t binding = find(true, value);
  return binding >= 0 ? Term{TERM_BOUND, binding} : Term{TERM_CONSTANT, value};
}

// Whether a quantifier node binds its letter on a path where `find` answers.
template <typename Find>
bool binds_its_letter(const Formula* quantifier, const Find& find) {
  return find(is_time_quantifier(quantifier->type), quantifier->variable) < 0;
}
