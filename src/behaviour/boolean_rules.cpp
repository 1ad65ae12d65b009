#include "behaviour/boolean_rules.h"

#include <vector>

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

namespace {

bool stays_outside(const Formula_Graph& graph, Node_Id operand, Node_Kind kind, int32_t letter) {
  const Graph_Node& node = node_of(graph, operand);
  return !node.draws && !names_letter(node, is_time_quantifier(kind), letter);
}

// A quantifier around a body from which nothing more can be taken out.
Node_Id bare_quantifier(Formula_Graph& graph, Node_Kind kind, int32_t letter, Node_Id body) {
  if (body == graph.never || body == graph.always) return body;
  if (stays_outside(graph, body, kind, letter)) return body;
  return intern_inner(graph, kind, body, NO_NODE, letter);
}

// An operand taken out of a quantifier's body: the connective it was in,
// and whether it stood on the left.
struct Taken_Out {
  Node_Kind connective;
  Node_Id operand;
  bool on_left;
};

}  // namespace

Node_Id make_quantifier(Formula_Graph& graph, Node_Kind kind, int32_t letter, Node_Id body) {
  // An operand X of the body that draws nothing and does not name the
  // letter has one value for every candidate: Qa(X op Y) is X op QaY for
  // either quantifier and either connective, since the range is never
  // empty and the loop then evaluates Y for the same candidates. X may
  // stand on the right only when Y draws nothing either, as Y's draws would
  // otherwise come before X is evaluated.
  std::vector<Taken_Out> taken;
  for (;;) {
    const Graph_Node node = node_of(graph, body);
    if (!is_binary(node.kind)) break;
    if (stays_outside(graph, node.left, kind, letter)) {
      taken.push_back({node.kind, node.left, true});
      body = node.right;
    } else if (stays_outside(graph, node.right, kind, letter) && !node_of(graph, node.left).draws) {
      taken.push_back({node.kind, node.right, false});
      body = node.left;
    } else {
      break;
    }
  }
  Node_Id result = bare_quantifier(graph, kind, letter, body);
  for (auto it = taken.rbegin(); it != taken.rend(); ++it)
    result = it->on_left ? make_binary(graph, it->connective, it->operand, result)
                         : make_binary(graph, it->connective, result, it->operand);
  return result;
}
