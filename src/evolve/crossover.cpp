#include "evolve/crossover.h"

#include <vector>

#include "random_stream.h"

namespace {

// The operand slot a pick designates: `left` or, for AND and OR, `left` or
// `right` by the parity of one more draw.
Formula** operand_of(Formula* node) {
  if (is_binary(node->type) && draw_random() % 2 == 1) return &node->right;
  return &node->left;
}

}  // namespace

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
