#include "game/machine/executor.h"

#include <algorithm>
#include <cassert>

#include "game/evaluation_errors.h"
#include "game/rules.h"

namespace {

// The registers of one run. `valid` holds the opponents whose move still
// depends on the value being worked out: the right operand of an AND
// matters only where the left one is true, a loop's next candidate only
// where the loop is undecided. Tests and loops stop as soon as nothing
// valid is left to decide, as evaluating one opponent at a time would; the
// values outside `valid` are never used.
struct Run {
  const Program& program;
  Program_State& state;
  const Batch& batch;
  int32_t column;  // the one opponent decided, or -1 for every opponent
  Mask valid;
  Mask* top;    // the stack's top value
  Mask* outer;  // the innermost saved `valid`
  int32_t pc = 0;

  void push(Mask value) {
    assert(top + 1 < state.stack.data() + state.stack.size());
    *++top = value;
  }
  Mask pop() {
    assert(top >= state.stack.data());
    return *top--;
  }
  void save_valid() {
    assert(outer + 1 < state.outer.data() + state.outer.size());
    *++outer = valid;
  }
  void restore_valid() { valid = *outer--; }
};

int64_t agent_value(const Run& run, const Term& term) {
  switch (term.kind) {
    case TERM_ROW: return run.batch.row;
    case TERM_COLUMN: return EVERY_PLAYER;
    case TERM_BOUND: return run.state.value[term.value];
    default: return term.value;
  }
}

int64_t time_value(const Run& run, const Term& term) {
  switch (term.kind) {
    case TERM_PREV: return run.batch.prev_time;
    case TERM_BOUND: return run.state.value[term.value];
    default: return term.value;
  }
}

Mask lookup(const Run& run, const Instruction& in) {
  Mask answers = lookup_defections(*run.batch.history, agent_value(run, in.player1), agent_value(run, in.player2),
                                   time_value(run, in.time) + in.time_mod);
  return in.negate ? ~answers : answers;
}

// The first agent candidate from `from` on: another player than the
// deciding one and, when deciding against one opponent, than that one.
int32_t next_candidate(const Run& run, int32_t from) {
  for (int32_t player = from; player < run.batch.pop; ++player)
    if (agent_candidate(player, run.batch.row, run.column)) return player;
  return -1;
}

// A draw for each opponent in `valid` in turn, or for the one decided.
Mask draw_chance(const Run& run, const Instruction& in) {
  if (run.column >= 0) return all_or_none(holds(in.chance));
  uint64_t truths[2] = {0, 0};
  const uint64_t reaching[2] = {run.valid.low, run.valid.high};
  for (int word = 0; word < 2; ++word)
    for (uint64_t left = reaching[word]; left != 0; left &= left - 1)
      if (holds(in.chance)) truths[word] |= left & -left;
  return {truths[0], truths[1]};
}

void test(Run& run, const Instruction& in, bool conjunction) {
  Mask decided = conjunction ? ~*run.top : *run.top;  // where the right operand no longer matters
  if ((decided & run.valid) == run.valid) {
    run.pc = in.target;
    return;
  }
  run.save_valid();
  run.valid = run.valid & ~decided;
  ++run.pc;
}

void combine(Run& run, bool conjunction) {
  Mask right = run.pop();
  *run.top = conjunction ? *run.top & right : *run.top | right;
  run.restore_valid();
  ++run.pc;
}

void loop_begin(Run& run, const Instruction& in) {
  assert(in.index >= 0 && in.index < static_cast<int32_t>(run.program.loops.size()));
  const Loop& loop = run.program.loops[in.index];
  assert(loop.body == run.pc + 1 && loop.end == in.target);
  int32_t first = loop.over_time ? first_time_candidate(run.batch.prev_time) : next_candidate(run, 0);
  if (!loop.over_time && first < 0) {
    run.push(all_or_none(loop.forall));
    run.pc = in.target;
    return;
  }
  run.state.value[in.index] = first;
  run.state.folded[in.index] = all_or_none(loop.forall);
  run.state.loop_outer[in.index] = run.valid;
  ++run.pc;
}

int32_t next_value(const Run& run, const Loop& loop, int32_t current) {
  if (is_empty(run.valid)) return -1;
  if (!loop.over_time) return next_candidate(run, current + 1);
  return current + 1 < time_candidates_end(run.batch.prev_time) ? current + 1 : -1;
}

void loop_end(Run& run, const Instruction& in) {
  assert(in.index >= 0 && in.index < static_cast<int32_t>(run.program.loops.size()));
  const Loop& loop = run.program.loops[in.index];
  assert(loop.end == run.pc + 1);
  if (run.batch.budget && (*run.batch.budget -= loop.end - loop.body) < 0) {
    run.pc = static_cast<int32_t>(run.program.code.size());  // out of budget: stop
    return;
  }
  int32_t current = run.state.value[in.index];
  Mask body = run.pop();
  Mask& folded = run.state.folded[in.index];
  // An opponent is never its own candidate.
  Mask excluded = loop.over_time ? NO_PLAYERS : player_bit(current);
  folded = loop.forall ? folded & (body | excluded) : folded | (body & ~excluded);
  run.valid = run.state.loop_outer[in.index] & (loop.forall ? folded : ~folded);
  int32_t next = next_value(run, loop, current);
  if (next >= 0) {
    run.state.value[in.index] = next;
    run.pc = loop.body;
    return;
  }
  run.valid = run.state.loop_outer[in.index];
  run.push(folded);
  ++run.pc;
}

Mask query(Run& run, const Instruction& in) {
  const Query_Plan& plan = *run.batch.tables->plan;
  assert(in.index >= 0 && in.index < static_cast<int32_t>(plan.nodes.size()));
  const Query_Node& node = plan.nodes[in.index];
  assert(node.free_count <= static_cast<int32_t>(run.state.assignment.size()));
  int32_t* assignment = run.state.assignment.data();
  int32_t count = 0;
  for (int32_t i = 0; i < node.free_count; ++i)
    if (free_variables(plan, node)[i] != OPPONENT)
      assignment[count] = run.state.value[run.program.query_slots[in.first_slot + count]], ++count;
  assert(in.first_slot + count <= static_cast<int32_t>(run.program.query_slots.size()));
  Query_Context context{run.batch.history, run.batch.pop, run.batch.row, run.batch.prev_time, run.batch.number};
  return query_value(*run.batch.tables, in.index, context, assignment);
}

void step(Run& run, const Instruction& in) {
  switch (in.op) {
    case OP_LOOKUP: run.push(lookup(run, in)); ++run.pc; break;
    case OP_AND_LOOKUP: *run.top = *run.top & lookup(run, in); ++run.pc; break;
    case OP_OR_LOOKUP: *run.top = *run.top | lookup(run, in); ++run.pc; break;
    case OP_CHANCE: run.push(draw_chance(run, in)); ++run.pc; break;
    case OP_CONST: run.push(all_or_none(in.index != 0)); ++run.pc; break;
    case OP_NOT: *run.top = ~*run.top; ++run.pc; break;
    case OP_AND_TEST: test(run, in, true); break;
    case OP_OR_TEST: test(run, in, false); break;
    case OP_AND: combine(run, true); break;
    case OP_OR: combine(run, false); break;
    case OP_LOOP_BEGIN: loop_begin(run, in); break;
    case OP_LOOP_END: loop_end(run, in); break;
    case OP_QUERY: run.push(query(run, in)); ++run.pc; break;
    case OP_INVALID: invalid_kind_while_evaluating(in.index);
  }
}

}  // namespace

void init_Program_State(const Program& program, const Query_Plan& plan, Program_State& state) {
  state.stack.assign(static_cast<size_t>(std::max(program.max_stack, 1)) + 1, NO_PLAYERS);
  state.value.assign(program.loops.size(), 0);
  state.folded.assign(program.loops.size(), NO_PLAYERS);
  state.loop_outer.assign(program.loops.size(), NO_PLAYERS);
  state.outer.assign(static_cast<size_t>(program.max_nesting) + 1, NO_PLAYERS);
  size_t assignment = 0;
  for (int32_t root : program.queries)
    assignment = std::max(assignment, static_cast<size_t>(plan.nodes[root].free_count));
  state.assignment.assign(assignment, 0);
}

Mask execute_Program(const Program& program, Program_State& state, const Batch& batch, int32_t column) {
  const Mask everyone = first_players(batch.pop) & ~player_bit(batch.row);
  Run run{program, state, batch, column, column >= 0 ? player_bit(column) : everyone,
          state.stack.data() - 1, state.outer.data() - 1};
  if (program.single_lookup) return lookup(run, program.code[0]);  // an atom needs no machine
  const Instruction* code = program.code.data();
  const auto end = static_cast<int32_t>(program.code.size());
  while (run.pc < end) step(run, code[run.pc]);
  if (batch.budget && *batch.budget < 0) return NO_PLAYERS;
  assert(run.top == state.stack.data());
  return *run.top;
}
