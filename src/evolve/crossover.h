// Subtree crossover: a copy of one parent in which one operand (or the
// whole tree) is replaced by a copy of one operand (or the whole) of the
// other parent.
#pragma once

#include <cstdint>

#include "formula/formula.h"

// A copy of parent1 with one operand (or the whole) replaced by a copy of
// one operand (or the whole) of parent2, in this order of draws: the pick in
// parent2, its operand, the pick in the copy, its operand. Both parents stay
// unchanged.
Formula* cross_over(const Formula* parent1, const Formula* parent2);

// A uniformly drawn inner node of the tree, or null for the whole tree.
Formula* choose_random_Formula(Formula* formula);

// The inner nodes of the tree put in front of the list, so that the list
// holds them in reverse pre-order. Works at any depth.
Formula_List* flatten_Formula(Formula* formula, Formula_List* formula_list);
