// The choice of parents: score-proportional (roulette-wheel), a player
// chosen with chance proportional to its score, or by tournament, the best
// of a few players drawn uniformly.
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

// The same with every point of score an equal chance: spin's single draw
// modulo a total of 32768 or less favours the running values below 32768
// modulo the total (by up to twice, for totals just above 16384), so here a
// draw at or above the largest multiple of the total is drawn again, as
// draw_below does for larger totals. Without scores, one player drawn the
// same way. The Moran process chooses by it; ipdlogic's breeding keeps spin.
agent spin_evenly(const Roulette& wheel);

// A player drawn with chance proportional to its score.
agent choose_parent(const Result* results, int32_t pop);

// The best-scoring of `size` players drawn uniformly with replacement, one
// draw modulo the population each; a tie goes to the player drawn first.
agent tournament_pick(const Result* results, int32_t pop, int32_t size);

// How the parents of one generation (or one Moran event) are chosen, made
// once from its scores: a tournament of `tournament_size` players, or
// without one (0) the roulette wheel, spun as ipdlogic spins it or evenly.
struct Parent_Selector {
  Roulette wheel;
  const Result* results;
  int32_t tournament_size;
  bool evenly;
};

Parent_Selector roulette_selector(const Result* results, int32_t pop, bool evenly = false);
Parent_Selector tournament_selector(const Result* results, int32_t pop, int32_t size);

// One parent: a spin of the wheel (spin or spin_evenly), or one tournament.
agent select_parent(const Parent_Selector& selector);

// A uniform draw from 0 to total - 1 (total from 1 to 2^30). A single draw
// covers totals up to 32768; larger ones combine two draws into 30 bits and
// draw again above the largest multiple of the total, so that every value
// keeps an equal chance.
int64_t draw_below(int64_t total);

// A uniform draw from 0 to total - 1 (total from 1 to 2^30) in which every
// value has exactly an equal chance: for totals up to 32768 one draw,
// drawn again while it is at or above the largest multiple of the total;
// larger totals as draw_below.
int64_t draw_evenly_below(int64_t total);
