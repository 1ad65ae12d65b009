// The tables of a tournament's queries. A table holds a node's value for
// every assignment of its free variables: one set per assignment of all
// but the last variable (in the order of their numbers), whose bits are the
// values of the last one. So the opponent, whenever it is free, is the bits
// of every set, and the sets answer for all opponents at once.
//
// A query is asked for at the values the machine's loops give its free
// variables (other than the opponent); its tables are worked out for those
// values only, children before parents. A node that depends neither on the
// deciding player nor on such values and serves several players is worked
// out whole, once per round, and kept for the round. All memory is
// reserved before the first round, so working tables out allocates nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "game/history.h"
#include "game/machine/query_plan.h"

// One player's decisions in one round.
struct Query_Context {
  const History* history;
  int32_t pop;
  agent row;
  int32_t prev_time;
  uint64_t batch;  // numbers (round, player) pairs: never the same twice in a tournament
};

// Where the variables of a node's table stand: the range of each (agents
// and the opponent over the players, a time variable over the times from 0
// to the one before the previous round, or the time -1 alone) and, for an
// outer variable the query was asked at, the one index it is worked out at
// (`base`, with an extent of 1).
struct Table_Layout {
  int32_t count = 0;
  const Variable* variables = nullptr;
  int64_t extent[MAX_TABLE_VARIABLES] = {};
  int64_t base[MAX_TABLE_VARIABLES] = {};
  int64_t sets = 1;  // the product of the extents of all but the last variable
};

// A table being worked out: where it lies, and its next operand.
struct Table_Work {
  int32_t node;
  bool whole;  // not at the values the query was asked at: a kept table, or a part of one
  bool kept;   // on the round's stack
  int64_t at;
  Table_Layout layout;
  int32_t next;
};

// Sets in memory reserved once, used as a stack; the pages are touched
// only as the tables that need them are worked out.
struct Set_Stack {
  std::unique_ptr<Mask[]> sets;
  int64_t capacity = 0;
  int64_t top = 0;
};

// A part of a query whose cost is being predicted, and whether it is
// worked out whole.
struct Predicted_Part {
  int32_t node;
  bool whole;
};

// What readying the tables works out, per node of the plan, kept from one
// tournament to the next so that readying allocates nothing. Only the
// entries of the nodes reached are read.
struct Preparation {
  std::vector<int32_t> reached;  // the nodes the queries reach, ascending
  std::vector<uint32_t> stamp;   // per node: `walk` when reached in this one
  uint32_t walk = 0;
  std::vector<int64_t> size, demand, peak, depth;
};

struct Query_Tables {
  const Query_Plan* plan = nullptr;
  std::vector<uint8_t> kept;        // per node: its whole table serves the round
  // Per node: an agent quantifier that depends on the deciding player only
  // through its range, which leaves that player out, and serves several
  // players. For each assignment of its variables it keeps for the round
  // the opponents for whom at least one, and at least two, candidates are
  // witnesses (or, for the universal one, counterexamples); a player's
  // table then needs only the body's values at that player.
  std::vector<uint8_t> counted;
  std::vector<int32_t> kept_round;  // per node: the round its kept table (or counts) is for
  std::vector<int64_t> kept_at;
  // Per query asked for: the batch and the values of its last answer.
  std::vector<uint64_t> answer_batch;
  std::vector<int32_t> answer_values;  // MAX_TABLE_VARIABLES per node
  std::vector<Mask> answer;
  // Tables kept for the round, and tables worked out on the way.
  Set_Stack for_round, scratch;
  int32_t round = INT32_MIN;
  std::vector<Table_Work> work;  // the tables being worked out, innermost last
  std::vector<Predicted_Part> predicting;  // the parts whose cost is being added up
  Preparation preparation;
};

constexpr int64_t TABLE_START_COST = 24;

// Readies the tables of a plan for a tournament that asks no query: none
// may be asked until they are prepared with some.
void clear_Query_Tables(Query_Tables& tables, const Query_Plan& plan);

// Readies the tables of a plan for its tournament. `uses[n]` is how many
// players ask for node n as a whole query (0 for the nodes that are only
// parts of others, or past its end); `queries` lists them. It costs what
// the queries reach, whatever else the plan holds.
void prepare_Query_Tables(Query_Tables& tables, const Query_Plan& plan, const std::vector<int32_t>& uses,
                          const std::vector<int32_t>& queries);

// What working out query `root` for the context's player and round would
// cost now, in sets made (as TABLE_START_COST counts a table begun, and a
// quantifier or an atom over a time counts its candidates per set), given
// the tables already kept for the round.
int64_t predicted_sets(Query_Tables& tables, int32_t root, const Query_Context& context);

// The value of query `root` for the context's player and round, for every
// opponent, at the assignment `values` of its free variables other than the
// opponent, in the order of their numbers (a time variable by its value).
Mask query_value(Query_Tables& tables, int32_t root, const Query_Context& context, const int32_t* values);
