// Breeding: score-proportional (roulette-wheel) choice of parents and
// subtree crossover, then variable repair of the new population.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "game/results.h"

// How a generation is bred. ipdlogic breeds by selection and crossover
// alone, and says so on standard output.
struct Breeding {
  double mutation = 0.0;  // 0 to 1: the chance that a child gets a point mutation
  bool quiet = false;     // print nothing: no "updating formulae", no clash report
};

// Prints "updating formulae", breeds pop children from the current
// population, replaces it by them and repairs them.
void update_Formulae(const Result* results, Formula** formulae, int32_t pop);

// The same by the given breeding. After each child's crossover, and before
// the next child is bred, one draw: below mutation times 32767 (as a CHANCE
// atom compares) the child gets one point mutation from fresh scopes.
// Without mutation there is no draw. Repair follows once all children exist.
void update_Formulae(const Result* results, Formula** formulae, int32_t pop, const Breeding& breeding);

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
