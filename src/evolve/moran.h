// The Moran process (birth-death): one event replaces one player. The
// current population has played a tournament; one parent is chosen in
// proportion to its score, by the roulette's wheel spun evenly (every
// point of score an equal chance, spin_evenly), and its child
// replaces one player drawn uniformly among all of them, the parent
// included. A generation is as many events as there are players, each
// after a tournament of the population as the previous event left it.
#pragma once

#include <cstdint>

#include "evolve/lineage.h"
#include "formula/formula.h"
#include "game/results.h"

// One event, given the scores of the tournament just played, in this order
// of draws: the child's (breed_child with the even roulette: the first
// parent's spin, the crossover draw when crossover is strictly between 0 and 1, the
// second parent's spin for a crossed child, crossover's draws, the mutation
// draw), then the replaced player, one draw modulo the population, then the
// repair of the child in its place (from fresh scopes, printing nothing).
// The child takes the next id. Returns the replaced player.
agent moran_event(const Result* results, Formula** formulae, Lineage_Book& lineage, int32_t pop, double crossover,
                  double mutation);
