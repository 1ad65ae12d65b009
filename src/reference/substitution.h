// Evaluation by substituted copies: for each candidate value a quantifier's
// body is copied with the bound letter replaced, evaluated and released.
// The straightforward evaluator, kept as the reference that the machine and
// the walker are checked against, and the baseline of the benchmarks.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/history.h"
#include "game/rules.h"

// A copy of `old` in which every agent position holding the letter
// `variable` holds `value`, and every agent quantifier binding `variable` is
// dropped.
Formula* substitute_agent(const Formula* old, int32_t variable, agent value);

// The same for the time position and the time quantifiers.
Formula* substitute_time(const Formula* old, int32_t variable, int32_t value);

int evaluate_by_substitution(const History& history, const Formula* formula, int32_t pop, agent row,
                             agent column, int32_t prev_time);

// A tournament by the given rules with every decision evaluated by
// substituted copies, then flipped by its noise draw, then recorded, pair
// after pair: the reference for the machine's tournament.
void play_rounds_by_substitution(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules);
