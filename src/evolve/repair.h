// Variable repair: after crossover, every agent or time reference that no
// enclosing quantifier of its kind binds any more is replaced by a random
// one that is in scope. The shape of a tree, its quantifier letters and its
// offsets never change.
#pragma once

#include <cstdint>

#include "formula/formula.h"
#include "formula/scope.h"

// Repairs slots 0 to pop - 1 in order, each from fresh scopes.
void fix_Formulae(Formula** formulae, int32_t pop, bool report_clashes = true);

// Repairs a tree in place, given the scopes bound above it (only read).
// Works at any depth without recursion. An agent quantifier that binds a
// letter already bound above it is reported on standard output, unless
// `report_clashes` is false.
void fix_Formula(Formula* formula, const Scope& agents, const Scope& times, bool report_clashes = true);
