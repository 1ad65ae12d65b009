#include "formula/formula.h"

#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "error.h"

Formula* new_Formula(Node_Kind type) {
  auto* formula = new (std::nothrow) Formula{};
  if (!formula) error("malloc ran out of memory making formula");
  formula->type = type;
  formula->player1 = NO_AGENT;
  formula->player2 = NO_AGENT;
  return formula;
}

namespace {
Formula* copy_node(const Formula* source) {
  Formula* node = new_Formula(source->type);
  node->variable = source->variable;
  node->player1 = source->player1;
  node->player2 = source->player2;
  node->time = source->time;
  node->time_mod = source->time_mod;
  node->chance = source->chance;
  return node;
}

// The stack of a walk over a tree, one per thread and kind of entry, kept
// from walk to walk: trees are walked very often and are mostly small. A
// stack grown past a large tree is let go.
template <typename Entry>
std::vector<Entry>& walk_stack() {
  thread_local std::vector<Entry> stack;
  if (stack.capacity() > (size_t{1} << 16)) std::vector<Entry>().swap(stack);
  stack.clear();
  return stack;
}

}  // namespace

Formula* copy_Formula(const Formula* formula) {
  Formula* root = nullptr;
  // Each entry: a source subtree and the slot its copy goes into.
  auto& pending = walk_stack<std::pair<const Formula*, Formula**>>();
  pending.emplace_back(formula, &root);
  while (!pending.empty()) {
    auto [source, slot] = pending.back();
    pending.pop_back();
    if (!source) continue;
    try {
      *slot = copy_node(source);
    } catch (...) {
      free_Formula(root);
      throw;
    }
    pending.emplace_back(source->right, &(*slot)->right);
    pending.emplace_back(source->left, &(*slot)->left);
  }
  return root;
}

void free_Formula(Formula* formula) {
  // Rotate left subtrees into the right spine so that no stack is needed.
  while (formula) {
    if (Formula* left = formula->left) {
      formula->left = left->right;
      left->right = formula;
      formula = left;
    } else {
      Formula* right = formula->right;
      delete formula;
      formula = right;
    }
  }
}

namespace {
// Two probabilities that play alike: equal values, or both "not a number"
// (never true, whatever the draw).
bool same_probability(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool equal_node(const Formula& a, const Formula& b, bool (*same_chance)(double, double)) {
  if (a.type != b.type) return false;
  if (is_quantifier(a.type)) return a.variable == b.variable;
  if (a.type == DEFECTED)
    return a.player1 == b.player1 && a.player2 == b.player2 && a.time == b.time &&
           a.time_mod == b.time_mod;
  if (a.type == CHANCE) return (same_chance ? same_chance : same_probability)(a.chance, b.chance);
  return true;
}
}  // namespace

bool equal_Formula(const Formula* a, const Formula* b, bool (*same_chance)(double, double)) {
  auto& pending = walk_stack<std::pair<const Formula*, const Formula*>>();
  pending.emplace_back(a, b);
  while (!pending.empty()) {
    auto [x, y] = pending.back();
    pending.pop_back();
    if (!x || !y) {
      if (x != y) return false;
      continue;
    }
    if (!equal_node(*x, *y, same_chance)) return false;
    pending.emplace_back(x->right, y->right);
    pending.emplace_back(x->left, y->left);
  }
  return true;
}

uint64_t hash_Formula(const Formula* formula) {
  uint64_t hash = 1469598103934665603ull;
  auto mix = [&hash](uint64_t value) { hash = (hash ^ value) * 1099511628211ull; };
  auto& pending = walk_stack<const Formula*>();
  pending.push_back(formula);
  while (!pending.empty()) {
    const Formula* node = pending.back();
    pending.pop_back();
    if (!node) {
      mix(0);
      continue;
    }
    mix(static_cast<uint32_t>(node->type));
    if (is_quantifier(node->type)) mix(static_cast<uint32_t>(node->variable));
    if (node->type == DEFECTED)
      for (int32_t field : {node->player1, node->player2, node->time, node->time_mod}) mix(static_cast<uint32_t>(field));
    if (node->type == CHANCE) {
      // -0.0 equals 0.0, and every NaN equals every other.
      double chance = node->chance == 0.0 ? 0.0 : std::isnan(node->chance) ? std::nan("") : node->chance;
      uint64_t bits;
      std::memcpy(&bits, &chance, sizeof bits);
      mix(bits);
    }
    pending.push_back(node->right);
    pending.push_back(node->left);
  }
  return hash;
}

int64_t size_Formula(const Formula* formula) {
  int64_t count = 0;
  auto& pending = walk_stack<const Formula*>();
  pending.push_back(formula);
  while (!pending.empty()) {
    const Formula* node = pending.back();
    pending.pop_back();
    if (!node) continue;
    ++count;
    pending.push_back(node->left);
    pending.push_back(node->right);
  }
  return count;
}

Formula_List* cons_Formula(Formula* formula, Formula_List* formula_list) {
  auto* cell = new (std::nothrow) Formula_List{formula, formula_list};
  if (!cell) error("malloc ran out of memory performing crossover");
  return cell;
}

int32_t length_Formula_List(const Formula_List* formula_list) {
  int32_t length = 0;
  for (; formula_list; formula_list = formula_list->next) ++length;
  return length;
}

void free_Formula_List(Formula_List* formula_list) {
  while (formula_list) {
    Formula_List* next = formula_list->next;
    delete formula_list;
    formula_list = next;
  }
}
