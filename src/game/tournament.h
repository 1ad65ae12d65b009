// The round-robin tournament: rounds in which every player decides,
// against every other player separately, by evaluating its formula, each
// decision recorded at once in the history. The machine plays it.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/history.h"
#include "game/rules.h"

// How a tournament is played: resets the history and plays the rules'
// rounds, printing nothing. Their noise flips decisions before they are
// recorded (so the next decisions see the move as recorded). The draws come
// as deciding every pair in turn would make them: rows ascending, opponents
// ascending, each decision's own draws and then its noise draw; with a
// continuation probability, after each round but the cap's last, the draw
// that decides whether another round is played. A lone player plays no
// round and draws nothing.
using Tournament_Play = void (*)(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules);

// The machine's tournament.
void play_rounds(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules = {});

// Prints ">simulating", then plays a tournament by the given rules.
void simulate(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules = {},
              Tournament_Play play = play_rounds);
