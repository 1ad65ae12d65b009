// A strategy's first moves against three classic opponents, played by the
// program's own tournament: the strategy is player 0 and the opponent player
// 1 of a two-player game, and the random stream is seeded with the default
// seed before each game, so the moves are reproducible.
#pragma once

#include <cstdint>
#include <string>

#include "formula/formula.h"

constexpr int32_t SAMPLE_MOVES = 10;
constexpr int32_t SAMPLE_OPPONENTS = 3;

struct Sample_Opponent {
  const char* name;
  const char* notation;  // as in the strategy library
};

extern const Sample_Opponent sample_opponents[SAMPLE_OPPONENTS];

// The first SAMPLE_MOVES moves of `formula` against the opponent, as C and D.
std::string sample_moves(Formula* formula, const Sample_Opponent& opponent);
