// One child and its lineage: parents chosen, crossed or copied, perhaps
// mutated. Shared by the generational schemes and the Moran process; repair
// is left to the caller, which repairs once its children are in place.
#pragma once

#include <cstdint>

#include "evolve/lineage.h"
#include "evolve/selection.h"
#include "formula/formula.h"

struct Offspring {
  Formula* formula;  // owned by the caller
  Lineage lineage;
};

// The child `id` of the population, in this order of draws: the first
// parent (selector); when crossover is strictly between 0 and 1, one draw
// that holds for crossover (with 1 every child is crossed, with 0 none,
// without a draw); the second parent only for a crossed child; crossover's
// own draws, or none for a copy of the first parent; the mutation draw when
// mutation is not 0, and the mutation's own draws when it holds. With
// crossover 1 and the roulette this is ipdlogic's breeding of one child.
Offspring breed_child(const Parent_Selector& selector, Formula* const* formulae, const Lineage* lineages,
                      double crossover, double mutation, int64_t id);
