// Random formula trees for the differential tests of evaluation.
#pragma once

#include <random>

#include "formula/formula.h"

// Random trees of every kind over a few letters, shared by both families
// and by quantifiers and atoms, with unbound letters, the letters a and b
// that collide with player indices 97 and 98, an agent code that is a small
// player index, offsets that reach the round being played and beyond the
// table, and times given by the offset alone.
struct Tree_Maker {
  std::mt19937 rng;
  int quantifiers_left = 0;
  bool chance = true;
  bool own_moves = false;  // many atoms that read the deciding player's own moves of this round
  int pick(int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); }

  int32_t letter() {
    const int32_t letters[] = {'a', 'b', 'd', 's', 'x'};
    return own_moves && pick(2) ? 'd' : letters[pick(5)];
  }

  Formula* make(int depth) {
    int kind = depth <= 0 ? DEFECTED + pick(2) : 1 + pick(9);
    if (kind == CHANCE && !chance) kind = DEFECTED;
    if (is_agent_quantifier(kind) || is_time_quantifier(kind)) {
      if (quantifiers_left == 0) kind = DEFECTED;
      else --quantifiers_left;
    }
    Formula* node = new_Formula(static_cast<Node_Kind>(kind));
    if (kind == DEFECTED) {
      const agent agents[] = {ROW, COLUMN, ROW, COLUMN, 'a', 'b', 'd', 'x', 2, 200};
      const int32_t times[] = {PREV_TIME, PREV_TIME, 0, 's', 'x', 'a'};
      node->player1 = agents[pick(10)];
      node->player2 = agents[pick(10)];
      node->time = times[pick(6)];
      node->time_mod = pick(10) == 0 ? 60 : node->time == 0 ? pick(12) - 1 : pick(7) - 4;
      if (own_moves && pick(2) == 0) {
        node->player1 = ROW;
        node->player2 = pick(2) ? 'd' : 2;
        node->time = pick(3) ? PREV_TIME : 's';
        node->time_mod = node->time == PREV_TIME ? 1 : 2;
      }
    } else if (kind == CHANCE) {
      const double chances[] = {0.0, 0.3, 0.5, 1.0, 1.5};
      node->chance = chances[pick(5)];
    } else {
      node->variable = letter();
      node->left = make(depth - 1);
      if (is_binary(kind)) node->right = make(depth - 1);
    }
    return node;
  }
};

