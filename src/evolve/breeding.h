// Breeding a generation: for every slot two parents chosen by score, their
// child by subtree crossover and, with mutation, one point mutation; then
// the children replace the population and variable repair follows.
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

// One point mutation of the whole tree, from fresh scopes.
void mutate_from_fresh_scopes(Formula* child);
