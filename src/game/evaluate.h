// Evaluation of a strategy formula against the history by walking its tree:
// 1 means the player `row` defects against `column` in the round after
// `prev_time`, 0 that it cooperates. Quantified variables are resolved from
// the bindings of the enclosing quantifiers, so evaluation allocates
// nothing; its answers and its random draws are exactly those of evaluating
// substituted copies. The tournament's machine is checked against it.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/history.h"
#include "random_stream.h"

int evaluate(const History& history, const Formula* formula, int32_t pop, agent row, agent column,
             int32_t prev_time);

// The CHANCE atom's test: one draw, true when below chance times 32767.
inline double chance_threshold(double chance) { return chance * 32767.0; }
inline bool draw_is_below(double threshold) { return static_cast<double>(draw_random()) < threshold; }
inline int chance_holds(double chance) { return draw_is_below(chance_threshold(chance)) ? 1 : 0; }

// The candidates of quantifier loops: the other players than the deciding
// one and its opponent, and the times from 0 to the one before `prev_time`,
// or the time -1 alone in the first two rounds.
inline bool agent_candidate(agent player, agent row, agent column) { return player != row && player != column; }
inline int32_t first_time_candidate(int32_t prev_time) { return prev_time <= 0 ? -1 : 0; }
inline int32_t time_candidates_end(int32_t prev_time) { return prev_time <= 0 ? 0 : prev_time; }

// Fatal error for a node of unknown kind met while evaluating.
[[noreturn]] void invalid_kind_while_evaluating(int32_t type);
