// Score-proportional (roulette-wheel) choice of parents: a player is chosen
// with chance proportional to its score.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/results.h"
#include "game/rules.h"

// The running scores of the players, made once per generation.
struct Roulette {
  int64_t running[MAX_POP];
  int32_t pop;
};

Roulette make_roulette(const Result* results, int32_t pop);

// The first player whose running score exceeds one uniform draw below the
// total; when nobody scored (a lone player plays no games), one draw
// modulo the population.
agent spin(const Roulette& wheel);

// A player drawn with chance proportional to its score.
agent choose_parent(const Result* results, int32_t pop);

// A uniform draw from 0 to total - 1 (total from 1 to 2^30). A single draw
// covers totals up to 32768; larger ones combine two draws into 30 bits and
// draw again above the largest multiple of the total, so that every value
// keeps an equal chance.
int64_t draw_below(int64_t total);
