// Running a compiled formula for one deciding player in one round: for
// every opponent at once when nothing it reads changes while that player
// decides and it draws nothing, else for one opponent at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "game/history.h"
#include "game/machine/program.h"

// What a run keeps between the instructions, and the remembered values;
// made once per tournament so that running allocates nothing.
struct Program_State {
  std::vector<Mask> stack;
  std::vector<int32_t> value;  // each loop's current candidate
  std::vector<Mask> folded;    // each loop's value so far
  std::vector<Mask> loop_outer;  // the opponents that mattered when each loop began
  std::vector<int32_t> loop_saved_column;
  // Incremental loops: the value folded over the times before `next`, for
  // the round looking back from `seen`; `extending` while adding times.
  std::vector<Mask> settled;
  std::vector<int32_t> settled_next;
  std::vector<int32_t> settled_seen;
  std::vector<uint8_t> extending;
  std::vector<Mask> outer;       // the same for operands and remembered values
  std::vector<Mask> remembered;       // per memo: 128 keys
  std::vector<uint64_t> remembered_at;  // the batch each value belongs to
  std::vector<int32_t> memo_key;
  std::vector<int32_t> memo_saved_column;  // the opponent decided when a memo began
};

void init_Program_State(const Program& program, Program_State& state);

// One player's decisions in one round: `batch` numbers them, so that values
// remembered for an earlier one are never reused.
struct Batch {
  const History* history;
  int32_t pop;
  agent row;
  int32_t prev_time;
  uint64_t number;
};

// The moves against every opponent (bits of the other players), or, with
// `column` 0 or more, the move against that one opponent (its bit).
Mask execute_Program(const Program& program, Program_State& state, const Batch& batch, int32_t column);
