// Breeding: score-proportional (roulette-wheel) choice of parents and
// subtree crossover, then variable repair of the new population.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/results.h"

// Prints "updating formulae", breeds pop children from the current
// population, replaces it by them and repairs them.
void update_Formulae(const Result* results, Formula** formulae, int32_t pop);

// A player drawn with chance proportional to its score.
agent choose_parent(const Result* results, int32_t pop);

// A copy of parent1 with one operand (or the whole) replaced by a copy of
// one operand (or the whole) of parent2. Both parents stay unchanged.
Formula* cross_over(const Formula* parent1, const Formula* parent2);

// A uniformly drawn inner node of the tree, or null for the whole tree.
Formula* choose_random_Formula(Formula* formula);

// The inner nodes of the tree put in front of the list, so that the list
// holds them in reverse pre-order. Works at any depth.
Formula_List* flatten_Formula(Formula* formula, Formula_List* formula_list);
