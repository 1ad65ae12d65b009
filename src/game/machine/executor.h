// Running a compiled formula for one deciding player in one round: for
// every opponent at once when nothing it reads changes while that player
// decides and it draws at most once, else for one opponent at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "game/history.h"
#include "game/machine/program.h"
#include "game/machine/query_tables.h"

// How a region is decided: by what each way costs (see the executor), or,
// for tests, which check every way: always by its tables, always by its
// loops, or by probes that always give up some way in and leave it to the
// tables. The tests' tables and probes make the regions' queries at once.
enum Region_Policy : uint8_t { REGIONS_BY_COST, REGIONS_BY_TABLES, REGIONS_BY_LOOPS, REGIONS_GIVING_UP };

// What a region has shown of its two ways, kept across the players that
// share its formula and across rounds.
struct Region_Stats {
  bool by_tables = false;  // the way that won the last probe: its tables, or its loops
  int64_t executions = 0;  // so far, with and without its query
  int64_t until = 0;  // that way up to this execution, then the next probe
  int64_t wait = 1;   // executions between the last two probes
  uint64_t predicted_batch = 0;  // the batch of `predicted`
  int64_t predicted = 0;         // what its tables cost in that batch, in the loops' work
};

// Memos remembered: a cache of fixed size, each value in one place by its
// memo, key and batch, and checked against them when read.
struct Memo_Entry {
  uint64_t batch = 0;
  int32_t memo = -1;
  int32_t key = 0;
  Mask value{};
};
struct Memo_Cache {
  std::vector<Memo_Entry> entries;  // a power of two of them
};

// A memo being worked out: for every opponent, so the deciding opponent and
// the opponents that matter are put aside until it is done.
struct Memo_Frame {
  int32_t memo;
  int32_t key;
  Mask valid;
  int32_t column;
};

// An incremental loop's value for one deciding player: over the times
// before `next`, as last seen in the round after `seen`.
struct Kept_Fold {
  Mask value{};
  int32_t next = 0;
  int32_t seen = INT32_MAX;
};

// What a run keeps between instructions; made once per tournament so that
// running allocates nothing.
struct Program_State {
  std::vector<Mask> stack;
  std::vector<int32_t> value;    // each loop's current candidate
  std::vector<Mask> folded;      // each loop's value so far
  std::vector<Mask> loop_outer;  // the opponents that mattered when each loop began
  std::vector<Mask> outer;       // the same for the operands being worked out
  std::vector<int32_t> assignment;  // a query's free variables
  std::vector<Memo_Frame> memos;
  std::vector<Region_Stats> regions;
  std::vector<uint8_t> extending;      // each loop: it is adding times to its kept fold
  std::vector<int32_t> loop_column;    // each extending loop: the opponent decided when it began
  std::vector<Kept_Fold> kept_folds;   // by deciding player, then loop
  bool wants_tables = false;  // a region's loops have shown that its tables may be cheaper
};

// Readies a program's state for a tournament of `pop` players.
void init_Program_State(const Program& program, Program_State& state, int32_t pop);

// Readies the state for the program's regions once their queries are made.
void plan_Program_State(const Program& program, Program_State& state);

// One player's decisions in one round: `number` tells them from every
// other player's and round's, in the tournament and in every other one
// that shares the memo cache, so that query tables and memos are worked
// out once.
struct Batch {
  const History* history;
  int32_t pop;
  agent row;
  int32_t prev_time;
  uint64_t number;
  Query_Tables* tables;
  Memo_Cache* memos;
  int32_t first_memo;  // the number of the program's first memo in the cache
  Region_Policy policy;
  bool own_round;  // the player may read its own moves of this round at a constant time
  // Makes the program's queries and readies the tables for them at once,
  // when a region without its query shows mid-run that its loops cost
  // enough for tables to matter; null where queries are made only between
  // runs.
  void (*plan_now)(void* planning) = nullptr;
  void* planning = nullptr;
  int64_t give_up_work = 0;  // the loop work past which they are made so
};

// The moves against every opponent (bits of the other players), or, with
// `column` 0 or more, the move against that one opponent (its bit).
Mask execute_Program(const Program& program, Program_State& state, const Batch& batch, int32_t column);
