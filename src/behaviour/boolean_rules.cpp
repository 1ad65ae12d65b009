#include "behaviour/boolean_rules.h"

namespace {

bool draws(const Formula_Graph& graph, Node_Id id) { return node_of(graph, id).draws; }

bool is_kind(const Formula_Graph& graph, Node_Id id, Node_Kind kind) { return node_of(graph, id).kind == kind; }

// Whether one of the two is the negation of the other.
bool complementary(const Formula_Graph& graph, Node_Id a, Node_Id b) {
  return (is_kind(graph, a, NOT) && node_of(graph, a).left == b) ||
         (is_kind(graph, b, NOT) && node_of(graph, b).left == a);
}

// The rules AND and OR share, written for the connective `kind` with
// `dominant` the constant that decides it (false for AND, true for OR) and
// `neutral` the other. `left` and `right` are kept when no rule applies:
// the result is then NO_NODE.
Node_Id shared_rules(Formula_Graph& graph, Node_Kind kind, Node_Id left, Node_Id right) {
  const Node_Id dominant = kind == AND ? graph.never : graph.always;
  const Node_Id neutral = kind == AND ? graph.always : graph.never;
  const Node_Kind dual = kind == AND ? OR : AND;
  if (left == dominant) return dominant;  // the right operand is never evaluated
  if (left == neutral) return right;
  if (right == neutral) return left;
  const bool left_draws = draws(graph, left);
  if (left_draws) return NO_NODE;
  // From here on the left operand draws nothing.
  if (right == dominant) return dominant;
  if (right == left) return left;
  if (complementary(graph, left, right)) return dominant;
  const Graph_Node& r = node_of(graph, right);
  // L & (L | G) is L: when L holds, the OR stops at it and G is never evaluated.
  if (r.kind == dual && r.left == left) return left;
  if (r.kind == dual && r.right == left && !draws(graph, r.left)) return left;
  const Graph_Node& l = node_of(graph, left);
  // (A | B) & A, (A | B) & B: A or B, when nothing draws.
  if (l.kind == dual && !draws(graph, right) && (l.left == right || l.right == right)) return right;
  return NO_NODE;
}

}  // namespace

Node_Id make_not(Formula_Graph& graph, Node_Id operand) {
  if (is_kind(graph, operand, NOT)) return node_of(graph, operand).left;
  return intern_inner(graph, NOT, operand);
}

Node_Id make_binary(Formula_Graph& graph, Node_Kind kind, Node_Id left, Node_Id right) {
  const Node_Id ruled = shared_rules(graph, kind, left, right);
  if (ruled != NO_NODE) return ruled;
  // ~A & ~B is ~(A | B), and ~A | ~B is ~(A & B): the same operands are
  // evaluated in the same cases, with one node less.
  if (is_kind(graph, left, NOT) && is_kind(graph, right, NOT))
    return make_not(graph, make_binary(graph, kind == AND ? OR : AND, node_of(graph, left).left,
                                       node_of(graph, right).left));
  return intern_inner(graph, kind, left, right);
}

Node_Id make_and(Formula_Graph& graph, Node_Id left, Node_Id right) { return make_binary(graph, AND, left, right); }
Node_Id make_or(Formula_Graph& graph, Node_Id left, Node_Id right) { return make_binary(graph, OR, left, right); }

Node_Id make_quantifier(Formula_Graph& graph, Node_Kind kind, int32_t letter, Node_Id body) {
  if (body == graph.never || body == graph.always) return body;
  const Graph_Node& node = node_of(graph, body);
  if (!node.draws && !names_letter(node, is_time_quantifier(kind), letter)) return body;
  return intern_inner(graph, kind, body, NO_NODE, letter);
}
