// The round-robin tournament: ROUNDS rounds in which every player decides,
// against every other player separately, by evaluating its formula, each
// decision recorded at once in the history.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/history.h"

constexpr int32_t ROUNDS = 50;

// Prints ">simulating", then plays a tournament of ROUNDS rounds.
void simulate(History& history, Formula* const* formulae, int32_t pop);

// Resets the history and plays `rounds` rounds (at most HISTORY_TIMES),
// printing nothing. The program links the fast machine's version; the
// benchmark's baseline links one that evaluates by substituted copies.
void play_rounds(History& history, Formula* const* formulae, int32_t pop, int32_t rounds);
