// Evaluation of a strategy formula by walking its tree, one decision at a
// time: 1 means the player `row` defects against `column` in the round after
// `prev_time`, 0 that it cooperates. `&` and `|` short-circuit left to right
// and quantifier loops stop at their first deciding candidate, so its
// answers and its random draws are exactly those of evaluating substituted
// copies; variables are resolved from the bindings of the enclosing
// quantifiers, so it allocates nothing. A reference for tests, benchmarks
// and fuzzing: the machine is checked, and timed, against it.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/history.h"

int evaluate(const History& history, const Formula* formula, int32_t pop, agent row, agent column,
             int32_t prev_time);
