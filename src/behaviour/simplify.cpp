#include "behaviour/simplify.h"

#include <memory>
#include <vector>

#include "behaviour/boolean_rules.h"
#include "behaviour/formula_graph.h"
#include "behaviour/known_literals.h"
#include "behaviour/readable_letters.h"
#include "behaviour/region_minimiser.h"
#include "error.h"
#include "game/letters.h"
#include "game/rules.h"

namespace {

// A pass rewrites so far as its rules see; its result, passed again, may
// shrink a little more. Passes stop at the first that changes nothing.
constexpr int MOST_PASSES = 8;

// One node of the input on the walk, with what is known of its operands.
struct Frame {
  const Formula* node;
  int stage = 0;           // operands already walked
  Node_Id left = NO_NODE;  // the left operand's result
  bool binds = false;      // quantifiers: whether it binds its letter here
};

struct Pass {
  Formula_Graph& graph;
  Letter_Bindings bindings;
  int32_t next_binder = 0;
  bool stop_at_unreadable = false;  // give up at a quantifier whose letter would not read back
  bool stopped = false;
};

// The thread's graph, emptied for each pass: it keeps its memory.
Formula_Graph& pass_graph() {
  thread_local Formula_Graph graph = new_Formula_Graph();
  clear_Formula_Graph(graph);
  return graph;
}

Node_Id atom_node(Pass& pass, const Formula& atom) {
  const Term player1 = agent_term(pass.bindings, atom.player1);
  const Term player2 = agent_term(pass.bindings, atom.player2);
  const Term time = time_term(pass.bindings, atom.time);
  if (atom_never_holds(player1, player2, time, atom.time_mod)) return pass.graph.never;
  return intern_atom(pass.graph, atom);
}

// A connective whose operands are simplified. Where it draws, its
// draw-free operands are whole regions, and are minimised now.
Node_Id connective_node(Pass& pass, Node_Kind kind, Node_Id left, Node_Id right) {
  Formula_Graph& graph = pass.graph;
  if (kind == NOT) return make_not(graph, left);
  if (node_of(graph, left).draws || node_of(graph, right).draws) {
    left = minimise_region(graph, left);
    right = minimise_region(graph, right);
  }
  return make_binary(graph, kind, left, right);
}

const Formula* operand(const Formula* node, int stage) {
  const Formula* child = stage == 0 ? node->left : node->right;
  if (!child) error("missing operand while simplifying");
  return child;
}

// Enters a node: a quantifier that binds its letter is put on the path.
void enter(Pass& pass, Frame& frame) {
  if (!is_quantifier(frame.node->type)) return;
  if (pass.stop_at_unreadable && !reads_back_as_bound(frame.node)) pass.stopped = true;
  frame.binds = enter_quantifier(pass.bindings, frame.node, pass.next_binder);
  if (frame.binds) ++pass.next_binder;
}

// Leaves a node whose operands are done: the simplified node.
Node_Id leave(Pass& pass, const Frame& frame, Node_Id last) {
  const Formula* node = frame.node;
  switch (node->type) {
    case AND:
    case OR: return connective_node(pass, node->type, frame.left, last);
    case NOT: return connective_node(pass, NOT, last, NO_NODE);
    case FORALL_AGENT:
    case EXISTS_AGENT:
    case FORALL_TIME:
    case EXISTS_TIME:
      // One that binds nothing (its letter is bound above) is evaluated as
      // its body alone, whatever the body draws.
      if (!frame.binds) return last;
      leave_quantifier(pass.bindings, node);
      return make_quantifier(pass.graph, node->type, node->variable, minimise_region(pass.graph, last));
    case DEFECTED: return atom_node(pass, *node);
    case CHANCE: return intern_chance(pass.graph, node->chance);
  }
  error("unknown formula kind while simplifying");
}

// Whether a junction's left operand, simplified to `left`, is the constant
// that decides it: false for AND, true for OR. The right operand is then
// never evaluated, and is not walked.
bool decides_alone(const Formula_Graph& graph, Node_Kind kind, Node_Id left) {
  return (kind == AND && left == graph.never) || (kind == OR && left == graph.always);
}

// One pass over the tree, without recursion: every node is left once its
// operands are, bottom up. With `stop_at_unreadable`, null as soon as it
// meets a quantifier whose letter would not read back.
Formula* simplify_once(const Formula* formula, bool stop_at_unreadable = false) {
  if (!formula) error("missing operand while simplifying");
  Pass pass{pass_graph(), {}, 0, stop_at_unreadable};
  thread_local std::vector<Frame> frames;
  frames.assign(1, Frame{formula});
  enter(pass, frames.back());
  Node_Id last = NO_NODE;
  while (!frames.empty()) {
    if (pass.stopped) return nullptr;
    Frame& frame = frames.back();
    if (frame.stage == 1 && decides_alone(pass.graph, frame.node->type, last)) {
      frames.pop_back();  // `last`, the constant, is the junction's value
      continue;
    }
    if (frame.stage < operands_to_simplify(frame.node)) {
      if (frame.stage == 1) frame.left = last;
      const Formula* child = operand(frame.node, frame.stage++);
      frames.push_back({child});
      enter(pass, frames.back());
      continue;
    }
    last = leave(pass, frame, last);
    frames.pop_back();
  }
  return tree_of(pass.graph, minimise_region(pass.graph, last));
}

// A pass over the tree with what its junctions tell their operands put in.
Formula* simplify_informed(const Formula* formula) {
  const std::unique_ptr<Formula, void (*)(Formula*)> informed{with_known_literals(formula), free_Formula};
  return simplify_once(informed.get());
}

// The passes after the first, to the settled form: a pass that would grow
// the tree (a true constant is two nodes) is not taken.
Formula* settled(Formula* result) {
  for (int pass = 1; pass < MOST_PASSES; ++pass) {
    Formula* again = simplify_informed(result);
    if (equal_Formula(again, result) || size_Formula(again) > size_Formula(result)) {
      free_Formula(again);
      break;
    }
    free_Formula(result);
    result = again;
  }
  return result;
}

}  // namespace

Formula* simplify_Formula(const Formula* formula) {
  // Letters are made readable first, so that the passes see the formula
  // that their result is read back as: most formulae need no renaming,
  // and a first pass that meets a letter needing it starts again on the
  // renamed copy. The first pass sees the tree as it stands: it shrinks it
  // most and most cheaply, and what the junctions of its result decide is
  // then put in before each pass after it.
  Formula* first = simplify_once(formula, true);
  if (!first) {
    const std::unique_ptr<Formula, void (*)(Formula*)> readable{with_readable_letters(formula), free_Formula};
    first = simplify_once(readable ? readable.get() : formula);
  }
  return settled(first);
}
