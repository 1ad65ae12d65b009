// Which quantifier binds each letter of each atom, as evaluation resolves
// them: an atom's letter belongs to the innermost enclosing quantifier of
// its family (agents or times) that binds that letter; a quantifier whose
// letter an enclosing quantifier of its family already binds binds nothing.
// The letters r and c in agent places and p in the time place are never
// variables. Nodes are numbered from 1 in preorder (see walk.h).
#pragma once

#include <cstdint>
#include <vector>

#include "formula/formula.h"
#include "walk.h"

struct Quantifier_Binding {
  int64_t node;
  int64_t shadowed_by;         // the enclosing quantifier that already binds the letter, or 0
  std::vector<int64_t> atoms;  // the atoms whose letter it binds, ascending
};

// A letter that no quantifier binds, and the atoms that use it.
struct Free_Letter {
  bool over_time;
  int32_t letter;
  std::vector<int64_t> atoms;
};

struct Bindings {
  std::vector<Quantifier_Binding> quantifiers;  // in node order
  std::vector<Free_Letter> free_letters;        // agents first, then times, each by letter code
  std::vector<bool> time_bound;                 // by node number: a time quantifier binds the atom's time
};

Bindings find_Bindings(const std::vector<Visit>& visits);
