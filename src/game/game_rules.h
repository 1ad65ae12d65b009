// What a tournament is played by: how many rounds, and how often a decision
// comes out the other way (trembling hands). ipdlogic itself always plays
// the default rules: 50 rounds, no noise.
#pragma once

#include <cstdint>

#include "game/evaluate.h"

constexpr int32_t ROUNDS = 50;

struct Game_Rules {
  int32_t rounds = ROUNDS;  // 1 to HISTORY_TIMES - 1
  double noise = 0.0;       // 0 to 1: the chance that a decision is flipped
};

// The noise of one decision, drawn right after it is made and before it is
// recorded: one draw, and the move flips when the draw is below noise times
// 32767, as a CHANCE atom compares. Without noise there is no draw at all,
// so noiseless play keeps its draws exactly.
inline bool noise_flips(double noise) { return noise != 0.0 && draw_is_below(chance_threshold(noise)); }
