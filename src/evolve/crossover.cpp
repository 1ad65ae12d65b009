#include "evolve/crossover.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "error.h"
#include "evolve/mutation.h"
#include "evolve/repair.h"
#include "game/evaluate.h"
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

namespace {

// The running scores of the players, for roulette-wheel selection.
struct Roulette {
  int64_t running[MAX_POP];
  int32_t pop;
};

Roulette make_roulette(const Result* results, int32_t pop) {
  Roulette wheel{{}, pop};
  int64_t running_score = 0;
  for (int32_t player = 0; player < pop; ++player) wheel.running[player] = running_score += results[player].score;
  return wheel;
}

// The first player whose running score exceeds a draw below the total.
agent spin(const Roulette& wheel) {
  int64_t total_score = wheel.pop > 0 ? wheel.running[wheel.pop - 1] : 0;
  // Nobody scored (a lone player plays no games): choose uniformly.
  if (total_score == 0) return wheel.pop > 0 ? draw_random() % wheel.pop : 0;
  int64_t random_num = draw_below(total_score);
  const int64_t* parent = std::upper_bound(wheel.running, wheel.running + wheel.pop, random_num);
  if (parent == wheel.running + wheel.pop) error("failure in choosing parent");
  return static_cast<agent>(parent - wheel.running);
}

}  // namespace

agent choose_parent(const Result* results, int32_t pop) { return spin(make_roulette(results, pop)); }

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

namespace {

bool mutation_strikes(double mutation) { return mutation != 0.0 && draw_is_below(chance_threshold(mutation)); }

void mutate_from_fresh_scopes(Formula* child) {
  Scope agents, times;
  init_variables(agents, times);
  mutate_an_atom(child, agents, times);
}

}  // namespace

void update_Formulae(const Result* results, Formula** formulae, int32_t pop) {
  update_Formulae(results, formulae, pop, Breeding{});
}

void update_Formulae(const Result* results, Formula** formulae, int32_t pop, const Breeding& breeding) {
  if (!breeding.quiet) std::fputs("updating formulae\n", stdout);
  Formula* new_formulae[MAX_POP] = {};
  const Roulette wheel = make_roulette(results, pop);
  for (int32_t player = 0; player < pop; ++player) {
    agent parent1 = spin(wheel);
    agent parent2 = spin(wheel);
    new_formulae[player] = cross_over(formulae[parent1], formulae[parent2]);
    if (mutation_strikes(breeding.mutation)) mutate_from_fresh_scopes(new_formulae[player]);
  }
  for (int32_t player = 0; player < pop; ++player) {
    free_Formula(formulae[player]);
    formulae[player] = new_formulae[player];
  }
  fix_Formulae(formulae, pop, !breeding.quiet);
}
