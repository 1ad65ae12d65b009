// Which quantifier binds each letter of each atom, as evaluation resolves
// them (game/letters.h): an atom's letter belongs to the outermost enclosing
// quantifier of its family (agents or times) that binds that letter; a
// quantifier whose letter an enclosing quantifier of its family already
// binds binds nothing. The letters r and c in agent places and p in the
// time place are never variables. Nodes are numbered from 1 in preorder
// (see walk.h).
#pragma once

#include <cstdint>
#include <vector>

#include "formula/formula.h"
#include "game/letters.h"
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

// What an atom's fields name where it stands.
struct Atom_Terms {
  Term player1{}, player2{}, time{};
};

struct Bindings {
  std::vector<Quantifier_Binding> quantifiers;  // in node order
  std::vector<Free_Letter> free_letters;        // agents first, then times, each by letter code
  std::vector<Atom_Terms> terms;                // by node number, for the atoms
};

Bindings find_Bindings(const std::vector<Visit>& visits);
