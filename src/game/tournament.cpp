#include "game/tournament.h"

#include <cstdio>

void simulate(History& history, Formula* const* formulae, int32_t pop) {
  std::fputs(">simulating\n", stdout);
  play_rounds(history, formulae, pop, ROUNDS);
}
