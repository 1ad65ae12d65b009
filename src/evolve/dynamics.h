// How a population evolves, beyond ipdlogic's own scheme: who becomes a
// parent, whether the best players survive unchanged, how often a child is
// bred by crossover rather than copied, and whether the population is
// replaced a generation at a time or one player at a time (the Moran
// process). The defaults are ipdlogic's: roulette, no elites, crossover
// always.
#pragma once

#include <cstdint>

enum class Selection : uint8_t {
  ROULETTE,    // every parent drawn with chance proportional to its score
  TOURNAMENT,  // every parent the best of `tournament_size` players drawn uniformly
  MORAN,       // birth-death: each event, one child by roulette replaces a uniformly drawn player
};

struct Dynamics {
  Selection selection = Selection::ROULETTE;
  int32_t tournament_size = 2;  // TOURNAMENT: 2 to the population
  int32_t elite = 0;            // generational schemes: players passed on unchanged, 0 to the population - 1
  double crossover = 1.0;       // 0 to 1: the chance that a child is crossed rather than copied
};
