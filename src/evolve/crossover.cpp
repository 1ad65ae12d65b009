#include "evolve/crossover.h"

#include <cstdio>
#include <vector>

#include "error.h"
#include "evolve/repair.h"
#include "formula/notation_reader.h"
#include "random_stream.h"

namespace {

constexpr int64_t DRAW_RANGE = int64_t{DRAW_MAX} + 1;  // 32768

// A uniform draw from 0 to total - 1. A single draw covers totals up to
// 32768; larger ones combine two draws into 30 bits and reject the uneven
// top of that range, so that every score point keeps an equal chance.
int64_t draw_below(int64_t total) {
  if (total <= DRAW_RANGE) return draw_random() % total;
  const int64_t range = DRAW_RANGE * DRAW_RANGE;
  const int64_t limit = range - range % total;
  int64_t value;
  do {
    int64_t high = draw_random();
    value = high * DRAW_RANGE + draw_random();
  } while (value >= limit);
  return value % total;
}

// The operand slot a pick designates: `left` or, for AND and OR, `left` or
// `right` by the parity of one more draw.
Formula** operand_of(Formula* node) {
  if (is_binary(node->type) && draw_random() % 2 == 1) return &node->right;
  return &node->left;
}

}  // namespace

agent choose_parent(const Result* results, int32_t pop) {
  int64_t total_score = 0;
  for (int32_t player = 0; player < pop; ++player) total_score += results[player].score;
  // Nobody scored (a lone player plays no games): choose uniformly.
  if (total_score == 0) return pop > 0 ? draw_random() % pop : 0;
  int64_t random_num = draw_below(total_score);
  int64_t running_score = 0;
  for (agent player = 0; player < pop; ++player) {
    running_score += results[player].score;
    if (random_num < running_score) return player;
  }
  error("failure in choosing parent");
}

Formula_List* flatten_Formula(Formula* formula, Formula_List* formula_list) {
  std::vector<Formula*> pending{formula};
  while (!pending.empty()) {
    Formula* node = pending.back();
    pending.pop_back();
    if (!node || !is_inner(node->type)) continue;
    formula_list = cons_Formula(node, formula_list);
    if (is_binary(node->type)) pending.push_back(node->right);
    pending.push_back(node->left);
  }
  return formula_list;
}

Formula* choose_random_Formula(Formula* formula) {
  Formula_List* formula_list = cons_Formula(nullptr, flatten_Formula(formula, nullptr));
  int32_t random_number = draw_random() % length_Formula_List(formula_list);
  Formula_List* cell = formula_list;
  for (int32_t step = 0; step < random_number; ++step) cell = cell->next;
  Formula* chosen = cell->formula;
  free_Formula_List(formula_list);
  return chosen;
}

Formula* cross_over(const Formula* parent1, const Formula* parent2) {
  Formula* child = copy_Formula(parent1);
  // The pick only reads parent2; it is never changed.
  Formula* point2 = choose_random_Formula(const_cast<Formula*>(parent2));
  const Formula* point2_next = point2 ? *operand_of(point2) : parent2;
  Formula* point1 = choose_random_Formula(child);
  if (!point1) {
    free_Formula(child);
    return copy_Formula(point2_next);
  }
  Formula** site = operand_of(point1);
  Formula* graft = copy_Formula(point2_next);
  free_Formula(*site);
  *site = graft;
  return child;
}

void update_Formulae(const Result* results, Formula** formulae, int32_t pop) {
  std::fputs("updating formulae\n", stdout);
  Formula* new_formulae[MAX_POP] = {};
  for (int32_t player = 0; player < pop; ++player) {
    agent parent1 = choose_parent(results, pop);
    agent parent2 = choose_parent(results, pop);
    new_formulae[player] = cross_over(formulae[parent1], formulae[parent2]);
  }
  for (int32_t player = 0; player < pop; ++player) {
    free_Formula(formulae[player]);
    formulae[player] = new_formulae[player];
  }
  fix_Formulae(formulae, pop);
}
