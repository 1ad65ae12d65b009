// Evaluation by substituted copies: for each candidate value a quantifier's
// body is copied with the bound letter replaced, evaluated and released.
// It is the reference the allocation-free evaluators are checked against.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/history.h"
#include "game/game_rules.h"

// A copy of `old` in which every agent position holding the letter
// `variable` holds `value`, and every agent quantifier binding `variable` is
// dropped. Positions already written by substitution are never replaced.
Formula* substitute_agent(const Formula* old, int32_t variable, agent value);

// The same for the time position and the time quantifiers.
Formula* substitute_time(const Formula* old, int32_t variable, int32_t value);

// A tournament of `rounds` rounds with every decision evaluated by
// substituted copies: the reference for the tournament's own evaluation.
void play_rounds_by_substitution(History& history, Formula* const* formulae, int32_t pop, int32_t rounds);

// The same by the given rules: every decision is evaluated, then flipped by
// its noise draw, then recorded, pair after pair.
void play_rounds_by_substitution(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules);

int evaluate_by_substitution(const History& history, const Formula* formula, int32_t pop, agent row,
                             agent column, int32_t prev_time);
