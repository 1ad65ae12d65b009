// Reading subformulae into the shared query graph: negations pushed to the
// atoms, `&` and `|` flattened, quantifiers pushed inward, equal nodes made
// once. Every rewriting here keeps the value of a draw-free formula, which
// is all that matters: without draws the order of evaluation shows nowhere.
#include <algorithm>
#include <array>

#include "game/history.h"
#include "game/machine/query_plan.h"
#include "game/rules.h"

namespace {

// Pushing a quantifier inward can split it into several, each pushed on;
// past this depth of splitting a quantifier stays where it is.
constexpr int MAX_PUSH_DEPTH = 48;

uint64_t mix(uint64_t hash, uint64_t value) {
  hash ^= value + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2);
  return hash * 0xff51afd7ed558ccdull;
}

uint64_t term_hash(uint64_t hash, Term term) { return mix(mix(hash, term.kind), static_cast<uint32_t>(term.value)); }

bool same_atom(const Query_Atom& a, const Query_Atom& b) {
  return same_term(a.player1, b.player1) && same_term(a.player2, b.player2) && same_term(a.time, b.time) &&
         a.time_mod == b.time_mod && a.negate == b.negate;
}

uint64_t node_hash(const Query_Node& node, const std::vector<int32_t>& children) {
  uint64_t hash = mix(node.kind, static_cast<uint32_t>(node.bound));
  if (node.kind == Q_ATOM) {
    const Query_Atom& a = node.atom;
    hash = term_hash(term_hash(term_hash(hash, a.player1), a.player2), a.time);
    hash = mix(mix(hash, static_cast<uint32_t>(a.time_mod)), a.negate);
  }
  for (int32_t child : children) hash = mix(hash, static_cast<uint32_t>(child));
  return hash;
}

bool same_node(const Query_Plan& plan, const Query_Node& node, const Query_Node& candidate,
               const std::vector<int32_t>& children) {
  if (candidate.kind != node.kind || candidate.bound != node.bound) return false;
  if (node.kind == Q_ATOM && !same_atom(node.atom, candidate.atom)) return false;
  if (candidate.child_count != static_cast<int32_t>(children.size())) return false;
  return std::equal(children.begin(), children.end(), children_of(plan, candidate));
}

void add_term_variable(Term term, std::vector<Variable>& free) {
  if (term.kind == TERM_BOUND) free.push_back(term.value);
}

// Whether an atom may read the round being played, whose moves appear as
// the players decide.
bool may_read_playing(const Query_Atom& atom) {
  return playing_round_reach(atom.time, atom.time_mod).reach != Round_Reach::NEVER;
}

// The sets of a table over `free` at the plan's largest ranges, saturating
// past any budget.
int64_t table_sets(const Query_Plan& plan, const std::vector<Variable>& free) {
  if (free.size() > static_cast<size_t>(MAX_TABLE_VARIABLES)) return INT64_MAX;
  int64_t sets = 1;
  for (size_t i = 0; i + 1 < free.size(); ++i)
    sets = std::min(sets * (is_time_variable(free[i]) ? plan.times : plan.pop), MAX_QUERY_SETS * 1024);
  return sets;
}

// The free variables and the dependence on the deciding player of a new
// node, from its own fields and its children's.
void describe(Query_Plan& plan, Query_Node& node) {
  std::vector<Variable> free;
  node.per_row = false;
  node.settled = (node.kind != Q_EXISTS && node.kind != Q_FORALL) || !is_time_variable(node.bound);
  if (node.kind == Q_ATOM) {
    const Query_Atom& a = node.atom;
    add_term_variable(a.player1, free);
    add_term_variable(a.player2, free);
    add_term_variable(a.time, free);
    node.per_row = a.player1.kind == TERM_ROW || a.player2.kind == TERM_ROW || may_read_playing(a);
    node.settled = a.time.kind == TERM_BOUND && a.time_mod <= 1;
  }
  for (int32_t i = 0; i < node.child_count; ++i) {
    const Query_Node& child = plan.nodes[plan.children[node.first_child + i]];
    free.insert(free.end(), free_variables(plan, child), free_variables(plan, child) + child.free_count);
    node.per_row = node.per_row || child.per_row;
    node.settled = node.settled && child.settled;
  }
  if (node.kind == Q_EXISTS || node.kind == Q_FORALL) {
    free.erase(std::remove(free.begin(), free.end(), node.bound), free.end());
    // An agent quantifier leaves the deciding player and its opponent out.
    if (!is_time_variable(node.bound)) {
      free.push_back(OPPONENT);
      node.per_row = true;
    }
  }
  std::sort(free.begin(), free.end());
  free.erase(std::unique(free.begin(), free.end()), free.end());
  node.largest_table = table_sets(plan, free);
  for (int32_t i = 0; i < node.child_count; ++i)
    node.largest_table = std::max(node.largest_table, plan.nodes[plan.children[node.first_child + i]].largest_table);
  node.first_free = static_cast<int32_t>(plan.free.size());
  node.free_count = static_cast<int32_t>(free.size());
  plan.free.insert(plan.free.end(), free.begin(), free.end());
}

int32_t intern(Query_Plan& plan, Query_Node node, const std::vector<int32_t>& children) {
  const uint64_t hash = node_hash(node, children);
  auto [first, last] = plan.interned.equal_range(hash);
  for (auto it = first; it != last; ++it)
    if (same_node(plan, node, plan.nodes[it->second], children)) return it->second;
  node.first_child = static_cast<int32_t>(plan.children.size());
  node.child_count = static_cast<int32_t>(children.size());
  plan.children.insert(plan.children.end(), children.begin(), children.end());
  describe(plan, node);
  auto id = static_cast<int32_t>(plan.nodes.size());
  plan.nodes.push_back(node);
  plan.interned.emplace(hash, id);
  return id;
}

Query_Node blank(Query_Kind kind) {
  Query_Node node{};
  node.kind = kind;
  node.bound = -1;
  return node;
}

int32_t make_constant(Query_Plan& plan, bool value) { return intern(plan, blank(value ? Q_TRUE : Q_FALSE), {}); }

int32_t make_atom(Query_Plan& plan, const Query_Atom& atom) {
  if (atom_never_holds(atom.player1, atom.player2, atom.time, atom.time_mod)) return make_constant(plan, atom.negate);
  Query_Node node = blank(Q_ATOM);
  node.atom = atom;
  return intern(plan, node, {});
}

bool is_constant(const Query_Node& node) { return node.kind == Q_TRUE || node.kind == Q_FALSE; }

// `&` (Q_AND) or `|` (Q_OR) of the given nodes, flattened, with constants
// folded and the operands in a canonical order.
int32_t make_junction(Query_Plan& plan, Query_Kind kind, const std::vector<int32_t>& operands) {
  const Query_Kind absorbing = kind == Q_AND ? Q_FALSE : Q_TRUE;
  std::vector<int32_t> flat;
  for (int32_t operand : operands) {
    const Query_Node& node = plan.nodes[operand];
    if (node.kind == absorbing) return operand;
    if (is_constant(node)) continue;
    if (node.kind == kind)
      flat.insert(flat.end(), children_of(plan, node), children_of(plan, node) + node.child_count);
    else
      flat.push_back(operand);
  }
  std::sort(flat.begin(), flat.end());
  flat.erase(std::unique(flat.begin(), flat.end()), flat.end());
  if (flat.empty()) return make_constant(plan, kind == Q_AND);
  if (flat.size() == 1) return flat[0];
  return intern(plan, blank(kind), flat);
}

bool mentions(const Query_Plan& plan, int32_t node, Variable variable) {
  const Query_Node& n = plan.nodes[node];
  return std::binary_search(free_variables(plan, n), free_variables(plan, n) + n.free_count, variable);
}

// A quantifier (Q_EXISTS or Q_FORALL) over `variable` of `body`, pushed
// inward: through the connective it distributes over (`|` for the
// existential, `&` for the universal), and past the operands of the other
// one that do not mention its variable. Ranges are never empty here: times
// always have a candidate, and agent quantifiers with 2 players or fewer
// are constants.
int32_t make_quantifier(Query_Plan& plan, Query_Kind kind, Variable variable, int32_t body, int depth) {
  if (!mentions(plan, body, variable)) return body;
  const Query_Node& node = plan.nodes[body];
  const Query_Kind distributes = kind == Q_EXISTS ? Q_OR : Q_AND;
  const Query_Kind other = kind == Q_EXISTS ? Q_AND : Q_OR;
  if (depth < MAX_PUSH_DEPTH && (node.kind == distributes || node.kind == other)) {
    std::vector<int32_t> operands(children_of(plan, node), children_of(plan, node) + node.child_count);
    if (node.kind == distributes) {
      for (int32_t& operand : operands) operand = make_quantifier(plan, kind, variable, operand, depth + 1);
      return make_junction(plan, distributes, operands);
    }
    std::vector<int32_t> outside, inside;
    for (int32_t operand : operands) (mentions(plan, operand, variable) ? inside : outside).push_back(operand);
    if (!outside.empty()) {
      outside.push_back(make_quantifier(plan, kind, variable, make_junction(plan, other, inside), depth + 1));
      return make_junction(plan, other, outside);
    }
  }
  Query_Node quantifier = blank(kind);
  quantifier.bound = variable;
  return intern(plan, quantifier, {body});
}

Query_Kind dual(Query_Kind kind) {
  switch (kind) {
    case Q_AND: return Q_OR;
    case Q_OR: return Q_AND;
    case Q_EXISTS: return Q_FORALL;
    default: return Q_EXISTS;
  }
}

// The Variable of a field's letter where it is bound (its binder does not
// matter: within a query a letter names one variable), or its term.
Term variable_term(Term term, int32_t letter) {
  if (term.kind != TERM_BOUND) return term;
  return {TERM_BOUND, letter};
}

Term agent_of(agent value, const Letter_Bindings& letters) {
  Term term = agent_term(letters, value);
  if (term.kind == TERM_COLUMN) return {TERM_BOUND, OPPONENT};
  return term.kind == TERM_BOUND ? Term{TERM_BOUND, agent_variable(value)} : term;
}

Query_Atom atom_of(const Formula* node, const Letter_Bindings& letters, bool negate) {
  return {agent_of(node->player1, letters), agent_of(node->player2, letters),
          variable_term(time_term(letters, node->time), node->time), node->time_mod, negate};
}

// One node of the formula being read, with whether an odd number of
// negations stands above it.
struct Frame {
  const Formula* node;
  bool negated;
  bool expanded;
  bool binds;  // a quantifier that binds its letter
};

int32_t combine(Query_Plan& plan, const Frame& frame, std::vector<int32_t>& results) {
  const Formula* node = frame.node;
  if (is_binary(node->type)) {
    int32_t right = results.back();
    results.pop_back();
    int32_t left = results.back();
    results.pop_back();
    Query_Kind kind = node->type == AND ? Q_AND : Q_OR;
    return make_junction(plan, frame.negated ? dual(kind) : kind, {left, right});
  }
  int32_t operand = results.back();
  results.pop_back();
  if (!frame.binds) return operand;  // a negation, or a quantifier that binds nothing
  bool over_time = is_time_quantifier(node->type);
  if (!over_time && !has_agent_candidates(plan.pop))  // the body is never looked at
    return make_constant(plan, empty_range_value(node->type == FORALL_AGENT) != frame.negated);
  Query_Kind kind = is_universal(node->type) ? Q_FORALL : Q_EXISTS;
  Variable variable = over_time ? node->variable : agent_variable(node->variable);
  return make_quantifier(plan, frame.negated ? dual(kind) : kind, variable, operand, 0);
}

}  // namespace

int32_t add_query(Query_Plan& plan, const Formula* subformula, const Letter_Bindings& outer) {
  Letter_Bindings letters = outer;
  std::vector<Frame> stack{{subformula, false, false, false}};
  std::vector<int32_t> results;
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const Formula* node = frame.node;
    if (node->type == DEFECTED) {
      results.push_back(make_atom(plan, atom_of(node, letters, frame.negated)));
      stack.pop_back();
      continue;
    }
    if (frame.expanded) {
      if (frame.binds) leave_quantifier(letters, node);
      results.push_back(combine(plan, frame, results));
      stack.pop_back();
      continue;
    }
    frame.expanded = true;
    bool negated = frame.negated;
    if (is_binary(node->type)) {
      // The left operand is read first, so that its result lies below the right one's.
      stack.push_back({node->right, negated, false, false});
      stack.push_back({node->left, negated, false, false});
      continue;
    }
    if (node->type == NOT) {
      stack.push_back({node->left, !negated, false, false});
      continue;
    }
    frame.binds = enter_quantifier(letters, node, 0);
    stack.push_back({node->left, negated, false, false});
  }
  return results.back();
}

int64_t table_cost_bound(const Query_Plan& plan, int32_t root) {
  constexpr int64_t SATURATED = int64_t{1} << 50;
  const Query_Node& r = plan.nodes[root];
  const Variable* fixed = free_variables(plan, r);
  auto extent = [&](Variable v) -> int64_t {
    if (v != OPPONENT && std::binary_search(fixed, fixed + r.free_count, v)) return 1;
    return is_time_variable(v) ? plan.times : plan.pop;
  };
  std::vector<int32_t> pending{root};
  std::vector<bool> seen(plan.nodes.size(), false);
  int64_t cost = 0;
  while (!pending.empty() && cost < SATURATED) {
    const int32_t id = pending.back();
    pending.pop_back();
    if (seen[id]) continue;
    seen[id] = true;
    const Query_Node& n = plan.nodes[id];
    int64_t sets = 1;
    for (int32_t i = 0; i + 1 < n.free_count; ++i) sets = std::min(sets * extent(free_variables(plan, n)[i]), SATURATED);
    int64_t inner = 0;
    if ((n.kind == Q_EXISTS || n.kind == Q_FORALL) && is_time_variable(n.bound)) inner = plan.times;
    if (n.kind == Q_ATOM && n.free_count > 0 && is_time_variable(free_variables(plan, n)[n.free_count - 1]))
      inner = extent(free_variables(plan, n)[n.free_count - 1]);
    cost += std::min(sets * (1 + inner), SATURATED);
    for (int32_t c = 0; c < n.child_count; ++c) pending.push_back(children_of(plan, n)[c]);
  }
  return std::min(cost, SATURATED);
}
