// How the fields of an atom name agents and times, the one resolution of
// letters that evaluation, the machine, repair and the linter all use. A
// field holds a code (ROW, COLUMN, PREV_TIME), or a letter that an
// enclosing quantifier of its family binds, or else a constant: a player
// index or time, or a letter that nothing binds, which stands for its own
// code. Of several enclosing quantifiers of one family on one letter only
// the outermost binds it; the inner ones bind nothing, and their bodies are
// evaluated once, as if they were not there (substituting the outer
// quantifier's value removes them).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formula/formula.h"

enum Term_Kind : uint8_t { TERM_ROW, TERM_COLUMN, TERM_PREV, TERM_BOUND, TERM_CONSTANT };

struct Term {
  Term_Kind kind;
  int32_t value;  // TERM_BOUND: the binder; TERM_CONSTANT: the constant
};

constexpr bool same_term(Term a, Term b) { return a.kind == b.kind && a.value == b.value; }

// The letters bound on the path being walked, per family (agents, times):
// for each, the binder of the quantifier that binds it, a number of the
// walker's choosing (a loop, a depth, a node), or -1.
struct Letter_Bindings {
  std::array<std::array<int32_t, 256>, 2> by_letter;
  std::vector<std::array<int32_t, 3>> others;  // letters outside a byte: family, letter, binder
  Letter_Bindings();
};

// The binder of a letter of a family on the path, or -1.
int32_t bound_by(const Letter_Bindings& bindings, bool over_time, int32_t letter);

// Whether a quantifier binds its letter where it stands: no enclosing
// quantifier of its family binds that letter already.
bool binds_its_letter(const Letter_Bindings& bindings, const Formula* quantifier);

// Enters a quantifier: when it binds its letter, records `binder` for it
// and returns true. Leave, in reverse order, only those that bind.
bool enter_quantifier(Letter_Bindings& bindings, const Formula* quantifier, int32_t binder);
void leave_quantifier(Letter_Bindings& bindings, const Formula* quantifier);

// What an agent field or a time field names on the path.
Term agent_term(const Letter_Bindings& bindings, agent value);
Term time_term(const Letter_Bindings& bindings, int32_t value);
