// Draw-free subformulae as queries over the relation "a defected against b
// at time t", evaluated the way a database evaluates first-order logic: each
// subformula becomes a table of its values over its free variables, worked
// out bottom up once per round (or once per deciding player, where it
// depends on that player), instead of once per decision and candidate.
//
// A query is read from a formula in negation normal form, with `&` and `|`
// flattened, quantifiers pushed inward as far as they go (a quantifier
// distributes over the connective of its kind, and what does not mention its
// variable is pulled out of the other one), and equal subformulae shared:
// the plan of a tournament holds the queries of all its players as one
// graph. The cost of a table is the product of the ranges of its free
// variables, so what remains exponential is the number of variables a
// subformula still mentions once its quantifiers are pushed inward.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "formula/formula.h"
#include "game/letters.h"

// A variable of a query: a time letter (its code), an agent letter (256 plus
// its code), or the opponent. Tables order their variables by this number,
// and keep the last one, an agent or the opponent whenever one is free, as
// the bits of a set of players (or times).
using Variable = int32_t;
constexpr Variable OPPONENT = 512;
constexpr Variable agent_variable(int32_t letter) { return 256 + letter; }
constexpr bool is_time_variable(Variable v) { return v < 256; }

// Queries with a table of more free variables than this, or of more sets
// (16 MiB), are not made: their formulae are left to the machine's loops,
// which need no memory but time.
constexpr int32_t MAX_TABLE_VARIABLES = 12;
constexpr int64_t MAX_QUERY_SETS = int64_t{1} << 20;

enum Query_Kind : uint8_t { Q_FALSE, Q_TRUE, Q_ATOM, Q_AND, Q_OR, Q_EXISTS, Q_FORALL };

// A lookup. Bound terms hold their Variable; COLUMN terms are OPPONENT,
// bound too.
struct Query_Atom {
  Term player1;
  Term player2;
  Term time;
  int32_t time_mod;
  bool negate;
};

struct Query_Node {
  Query_Kind kind;
  Variable bound;  // Q_EXISTS, Q_FORALL: the variable quantified
  Query_Atom atom;
  int32_t first_child;  // into Query_Plan::children
  int32_t child_count;
  int32_t first_free;   // into Query_Plan::free: the free variables, ascending
  int32_t free_count;
  // Depends on the deciding player: through `r`, through the range of an
  // agent quantifier (which leaves the deciding player out), or through
  // reading the round being played, whose moves grow as players decide.
  bool per_row;
  // The most sets of any table in its graph, when agents range over the
  // plan's players and time variables over its times; more than any budget
  // past MAX_TABLE_VARIABLES.
  int64_t largest_table;
  // Its value at given values of its variables never changes once the
  // times they name are played: it reads the history only at times given
  // by time variables (at most one round after them), and holds no time
  // quantifier, whose range grows every round.
  bool settled;
};

struct Query_Plan {
  int32_t pop = 0;
  int32_t times = 1;  // the most values a time variable takes in the tournament
  int64_t max_table_sets = MAX_QUERY_SETS;
  std::vector<Query_Node> nodes;
  std::vector<int32_t> children;
  std::vector<Variable> free;
  std::unordered_multimap<uint64_t, int32_t> interned;  // hash of a node's contents: the node
};

// The free variables of a node.
inline const Variable* free_variables(const Query_Plan& plan, const Query_Node& node) {
  return plan.free.data() + node.first_free;
}
inline const int32_t* children_of(const Query_Plan& plan, const Query_Node& node) {
  return plan.children.data() + node.first_child;
}

// What working out the tables of query `root` costs at most in one round,
// in sets made (a quantifier or an atom over a time counting its
// candidates per set), when the root is asked at given values of its free
// variables but the opponent, and no table is kept from an earlier asking.
// Saturates far above any budget.
int64_t table_cost_bound(const Query_Plan& plan, int32_t root);

// Reads a subformula into the plan and returns its node. The subformula
// must draw nothing and hold only known kinds; the letters `outer` binds
// (the machine's loops around it) are free variables of the query.
int32_t add_query(Query_Plan& plan, const Formula* subformula, const Letter_Bindings& outer);
