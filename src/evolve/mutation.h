// Point mutation: one random walk from the root to a DEFECTED atom, which
// gets a new first player, second player, time or offset, drawn from the
// variables in scope at the atom.
#pragma once

#include "formula/formula.h"
#include "formula/scope.h"

// Mutates one atom of the tree in place, given the scopes bound above it
// (only read). A CHANCE atom reached by the walk stays as it is.
void mutate_an_atom(Formula* formula, const Scope& agents, const Scope& times);
