// Running a compiled formula for one deciding player in one round: for
// every opponent at once when nothing it reads changes while that player
// decides and it draws at most once, else for one opponent at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "game/history.h"
#include "game/machine/program.h"
#include "game/machine/query_tables.h"

// What a run keeps between instructions; made once per tournament so that
// running allocates nothing.
struct Program_State {
  std::vector<Mask> stack;
  std::vector<int32_t> value;    // each loop's current candidate
  std::vector<Mask> folded;      // each loop's value so far
  std::vector<Mask> loop_outer;  // the opponents that mattered when each loop began
  std::vector<Mask> outer;       // the same for the operands being worked out
  std::vector<int32_t> assignment;  // a query's free variables
};

void init_Program_State(const Program& program, const Query_Plan& plan, Program_State& state);

// One player's decisions in one round: `number` tells them from every
// other player's and round's, so that query tables are worked out once.
struct Batch {
  const History* history;
  int32_t pop;
  agent row;
  int32_t prev_time;
  uint64_t number;
  Query_Tables* tables;
  // The work a run may still do, counted in loop bodies' instructions; a
  // run that uses it up stops at once, its answer unused. Null: no limit.
  int64_t* budget = nullptr;
};

// The moves against every opponent (bits of the other players), or, with
// `column` 0 or more, the move against that one opponent (its bit). A run
// that uses its budget up leaves it below 0.
Mask execute_Program(const Program& program, Program_State& state, const Batch& batch, int32_t column);
