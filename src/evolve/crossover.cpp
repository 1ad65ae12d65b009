#include "evolve/crossover.h"

#include <new>
#include <vector>

#include "error.h"
#include "random_stream.h"

namespace {

// The operand slot a pick designates: `left` or, for AND and OR, `left` or
// `right` by the parity of one more draw.
Formula** operand_of(Formula* node) {
  if (is_binary(node->type) && draw_random() % 2 == 1) return &node->right;
  return &node->left;
}

// The inner nodes of the tree in pre-order: a node before its operands, the
// left operand's before the right's. Works at any depth.
void inner_nodes(Formula* formula, std::vector<Formula*>& inner) {
  std::vector<Formula*> pending{formula};
  while (!pending.empty()) {
    Formula* node = pending.back();
    pending.pop_back();
    if (!node || !is_inner(node->type)) continue;
    inner.push_back(node);
    if (is_binary(node->type)) pending.push_back(node->right);
    pending.push_back(node->left);
  }
}

}  // namespace

Formula_List* flatten_Formula(Formula* formula, Formula_List* formula_list) {
  std::vector<Formula*> inner;
  inner_nodes(formula, inner);
  for (Formula* node : inner) formula_list = cons_Formula(node, formula_list);
  return formula_list;
}

// The pick is the entry of the draw in the list of the whole tree (null)
// and then flatten_Formula's list; the list itself is not made, since every
// child of every generation makes two picks.
Formula* choose_random_Formula(Formula* formula) {
  std::vector<Formula*> inner;
  try {
    inner_nodes(formula, inner);
  } catch (const std::bad_alloc&) {
    error("malloc ran out of memory performing crossover");
  }
  const auto entries = static_cast<int32_t>(inner.size()) + 1;
  const int32_t random_number = draw_random() % entries;
  return random_number == 0 ? nullptr : inner[inner.size() - static_cast<size_t>(random_number)];
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
