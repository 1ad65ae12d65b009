#include "behaviour/known_literals.h"

#include <unordered_set>
#include <vector>

#include "behaviour/formula_graph.h"
#include "error.h"

namespace {

// Literals known at once, and the nodes of a chain searched for them: the
// walk stays linear in the size of the tree.
constexpr size_t MOST_KNOWN = 32;
constexpr int32_t MOST_CHAIN_NODES = 32;

// A literal: its atom's fields, and whether the atom holds.
struct Known {
  agent player1;
  agent player2;
  int32_t time;
  int32_t time_mod;
  bool holds;
  int32_t hidden;  // quantifiers entered since that bind one of its letters
};

using Drawing = std::unordered_set<const Formula*>;

struct Walk {
  const Drawing* drawing;  // the nodes that draw or hold one that does; null when none does
  std::vector<Known> known;
  std::vector<Formula*> done;  // the rewritten operands, innermost last
};

bool same_atom(const Known& a, const Formula& b) {
  return a.player1 == b.player1 && a.player2 == b.player2 && a.time == b.time && a.time_mod == b.time_mod;
}

// Whether a quantifier binds a letter the atom names: inside it the atom
// is another one.
bool names_letter(const Known& atom, const Formula& quantifier) {
  if (is_agent_quantifier(quantifier.type))
    return atom.player1 == quantifier.variable || atom.player2 == quantifier.variable;
  return atom.time == quantifier.variable;
}

// The tree's nodes in pre-order, checked before anything is made; whether
// any draws.
bool checked_nodes(const Formula* formula, std::vector<const Formula*>& order) {
  thread_local std::vector<const Formula*> pending;
  pending.assign(1, formula);
  order.clear();
  bool any = false;
  while (!pending.empty()) {
    const Formula* node = pending.back();
    pending.pop_back();
    if (!node) error("missing operand while simplifying");
    order.push_back(node);
    any = any || node->type == CHANCE;
    const int operands = operands_to_simplify(node);
    if (operands == 2) pending.push_back(node->right);
    if (operands >= 1) pending.push_back(node->left);
  }
  return any;
}

Drawing drawing_nodes(const Formula* formula) {
  thread_local std::vector<const Formula*> order;
  Drawing drawing;
  if (!checked_nodes(formula, order)) return drawing;
  // Operands come after their node in `order`: backwards, they are done first.
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const Formula* node = *it;
    if (node->type == CHANCE || drawing.count(node->left) || (node->right && drawing.count(node->right)))
      drawing.insert(node);
  }
  return drawing;
}

bool draws(const Walk& walk, const Formula* node) { return walk.drawing && walk.drawing->count(node); }

// Learns the literals that follow from the value `chain` must have where
// the other operand of a `kind` junction counts: true under AND, false
// under OR. A conjunction that holds holds in each operand, a disjunction
// that fails fails in each, and a negation flips what its operand must be.
void learn(Walk& walk, const Formula* chain, Node_Kind kind) {
  struct Must {
    const Formula* node;
    bool holds;
  };
  thread_local std::vector<Must> pending;
  pending.assign(1, {chain, kind == AND});
  for (int32_t seen = 0; !pending.empty() && seen < MOST_CHAIN_NODES && walk.known.size() < MOST_KNOWN; ++seen) {
    const Must must = pending.back();
    const Formula* node = must.node;
    pending.pop_back();
    if (node->type == (must.holds ? AND : OR)) {
      pending.push_back({node->right, must.holds});
      pending.push_back({node->left, must.holds});
    } else if (node->type == NOT) {
      pending.push_back({node->left, !must.holds});
    } else if (node->type == DEFECTED) {
      walk.known.push_back({node->player1, node->player2, node->time, node->time_mod, must.holds, 0});
    }
  }
}

void hide_bound(Walk& walk, const Formula& quantifier, int32_t step) {
  for (Known& known : walk.known)
    if (names_letter(known, quantifier)) known.hidden += step;
}

Formula* constant(bool holds) {
  Formula* never = new_Formula(DEFECTED);
  *never = never_atom();
  if (!holds) return never;
  Formula* always = new_Formula(NOT);
  always->left = never;
  return always;
}

// An atom, or a CHANCE atom, rewritten.
Formula* rewritten_atom(const Walk& walk, const Formula* atom) {
  if (atom->type == DEFECTED)
    for (auto it = walk.known.rbegin(); it != walk.known.rend(); ++it)
      if (it->hidden == 0 && same_atom(*it, *atom)) return constant(it->holds);
  return copy_Formula(atom);
}

// A node like `node` over the operands rewritten last: a junction's left
// operand is rewritten after its right one.
Formula* rebuilt(Walk& walk, const Formula* node) {
  Formula* copy = new_Formula(node->type);
  *copy = *node;
  copy->left = walk.done.back();
  walk.done.pop_back();
  copy->right = nullptr;
  if (is_binary(node->type)) {
    copy->right = walk.done.back();
    walk.done.pop_back();
  }
  return copy;
}

struct Frame {
  const Formula* node;
  int stage;
  size_t mark;  // the literals known on entering
};

// The next operand to walk, or null when the node's operands are done.
const Formula* next_operand(Walk& walk, Frame& frame) {
  const Formula* node = frame.node;
  const int stage = frame.stage++;
  if (is_binary(node->type)) {
    const bool informs = !draws(walk, node);
    walk.known.resize(frame.mark);
    if (stage == 0) {
      if (informs) learn(walk, node->left, node->type);
      return node->right;
    }
    if (stage == 1) {
      if (informs) learn(walk, walk.done.back(), node->type);
      return node->left;
    }
    return nullptr;
  }
  if (is_quantifier(node->type)) {
    hide_bound(walk, *node, stage == 0 ? 1 : -1);
    return stage == 0 ? node->left : nullptr;
  }
  return stage == 0 ? node->left : nullptr;  // NOT
}

}  // namespace

Formula* with_known_literals(const Formula* formula) {
  const Drawing drawing = drawing_nodes(formula);
  thread_local Walk walk{nullptr, {}, {}};
  walk.drawing = drawing.empty() ? nullptr : &drawing;
  walk.known.clear();
  walk.done.clear();
  thread_local std::vector<Frame> frames;
  frames.clear();
  const auto enter = [&](const Formula* node) {
    if (operands_to_simplify(node) == 0)
      walk.done.push_back(rewritten_atom(walk, node));
    else
      frames.push_back({node, 0, walk.known.size()});
  };
  enter(formula);
  while (!frames.empty()) {
    Frame& frame = frames.back();
    const Formula* operand = next_operand(walk, frame);
    if (operand) {
      enter(operand);
      continue;
    }
    const Formula* node = frame.node;
    frames.pop_back();
    walk.done.push_back(rebuilt(walk, node));
  }
  walk.drawing = nullptr;
  return walk.done.back();
}
