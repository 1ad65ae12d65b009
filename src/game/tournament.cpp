#include "game/tournament.h"

#include <cstdio>

void simulate(History& history, Formula* const* formulae, int32_t pop) {
  simulate(history, formulae, pop, Game_Rules{});
}

void simulate(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  std::fputs(">simulating\n", stdout);
  play_rounds(history, formulae, pop, rules);
}

void play_rounds(History& history, Formula* const* formulae, int32_t pop, int32_t rounds) {
  play_rounds(history, formulae, pop, Game_Rules{rounds, 0.0});
}
