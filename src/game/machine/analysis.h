// What the compiler needs to know about each node of a formula, found in
// one walk of the tree: which quantifiers bind their letters (each such one
// a loop of the machine), how each atom's fields resolve, which subformulae
// draw nothing, which may read their own player's moves of the round being
// played, and which loops' variables each subformula reads.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "formula/formula.h"
#include "game/letters.h"
#include "game/machine/program.h"

// The loops whose variables a subformula reads: a small set, or "many"
// beyond its capacity.
struct Loop_Set {
  static constexpr int CAPACITY = 4;
  int32_t count = 0;
  bool many = false;
  std::array<int32_t, CAPACITY> loop{};

  bool has(int32_t l) const;
  void add(int32_t l);
  void add(const Loop_Set& other);
  void remove(int32_t l);
};

struct Node_Info {
  Node_Kind kind{};    // the node's kind, or 0 for an unknown one
  int32_t size = 1;    // nodes in the subtree
  int32_t loop = -1;   // the loop of a quantifier that binds its letter
  bool known = true;   // a node of a known kind
  bool transparent = false;  // a quantifier whose letter is bound above it
  bool pure = true;          // only known kinds inside, and no CHANCE atom
  // An atom inside may read its own player's move of the round being
  // played: in every round (from the previous round or a time variable),
  // or in one round only (at a constant time).
  bool own_move = false;
  bool own_move_once = false;
  // Reads only times given by a time variable (at most one round after it)
  // or before round 0, and binds no time variable of its own: its value at
  // given values of its variables never changes once those times are
  // played.
  bool settled = true;
  bool byte_letters = true;  // every letter inside, bound or read, is a byte
  bool quantified = false;   // a quantifier inside binds its letter
  Loop_Set loops;            // the loops whose variables it reads
  Term player1{}, player2{}, time{};  // DEFECTED: the fields resolved
};

struct Analysis {
  std::vector<Node_Info> info;  // by pre-order position
  int32_t loops = 0;
  std::vector<Conflict_Atom> conflict_atoms;
};

// Pre-order positions: the left operand of node i is i + 1, the right one
// i + 1 + the size of the left. Walks the tree without recursion.
Analysis analyse_Formula(const Formula* root);
