// Generational breeding by the lab's schemes: the whole population is
// replaced at once, by its elites (unchanged) and by children of parents
// chosen by roulette or by tournament.
#pragma once

#include <cstdint>
#include <vector>

#include "evolve/dynamics.h"
#include "evolve/lineage.h"
#include "formula/formula.h"
#include "game/results.h"

// The `count` highest-scoring players, best first; among equal scores the
// lower player number comes first. Draws nothing.
std::vector<agent> elite_players(const Result* results, int32_t pop, int32_t count);

// Replaces the population by the next generation: first its elites, in
// the order of elite_players, each formula and lineage as it was; then
// children (breed_child, in the order of their places) for the other
// places. Elites are chosen before any draw. The old formulae are released
// once every child exists, then the children are repaired in the order of
// their places, from fresh scopes, printing nothing; elites are not
// repaired again. With no elites, crossover 1 and the roulette, the draws
// and formulae are update_Formulae's.
void breed_generation(const Result* results, Formula** formulae, Lineage_Book& lineage, int32_t pop,
                      const Dynamics& dynamics, double mutation);
