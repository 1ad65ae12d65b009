// The round-robin tournament: ROUNDS rounds in which every player decides,
// against every other player separately, by evaluating its formula, each
// decision recorded at once in the history.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/game_rules.h"
#include "game/history.h"

// Prints ">simulating", then plays a tournament of ROUNDS rounds.
void simulate(History& history, Formula* const* formulae, int32_t pop);

// Prints ">simulating", then plays a tournament by the given rules.
void simulate(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules);

// Resets the history and plays `rounds` rounds (at most HISTORY_TIMES),
// printing nothing.
void play_rounds(History& history, Formula* const* formulae, int32_t pop, int32_t rounds);

// The same by the given rules: their rounds, and their noise flipping
// decisions before they are recorded (so the next decisions see the move as
// recorded). The draws come as deciding every pair in turn would make them:
// rows ascending, opponents ascending, each decision's own draws and then
// its noise draw. The program links the machine's version; the benchmark's
// baseline links one that evaluates by substituted copies.
void play_rounds(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules);
