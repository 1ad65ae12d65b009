#include "game/tournament.h"

#include <cstdio>

#include "game/machine/play.h"

void play_rounds(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  play_rounds_choosing(history, formulae, pop, rules, Machine_Settings{});
}

void simulate(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules,
              Tournament_Play play) {
  std::fputs(">simulating\n", stdout);
  play(history, formulae, pop, rules);
}
