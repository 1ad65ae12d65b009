// The executor: runs a program (program.h, with an example in compiler.cpp)
// as a stack machine over sets of opponents. Besides the stack it keeps
// `valid`, the opponents whose decision still depends on the value being
// worked out, which tests and loops narrow and widen again; each loop's
// candidate, fold and the `valid` it began with; memos being worked out;
// and at most one region being probed. A region decides by its tables or by
// its loops: a probe runs the loops with an allowance of work, and when
// they use it up (they draw nothing and record nothing) the stack and the
// registers are put back as the region found them and the tables answer.
#include "game/machine/executor.h"

#include <algorithm>
#include <cassert>

#include "game/evaluation_errors.h"
#include "game/rules.h"

namespace {

// A probe of a region's loops may cost what its tables are expected to
// cost before the tables decide instead: so the loops decide only where
// they are the cheaper way, and a failed probe costs at most twice what
// the cheaper way would have.
// Between probes a region keeps the way that won the last one, for a
// number of executions that doubles while the same way keeps winning, up
// to these: the loops are probed again at least every LOOPS_STREAK
// executions, the tables' advantage checked every TABLES_STREAK.
constexpr int64_t LOOPS_STREAK = 64;
constexpr int64_t TABLES_STREAK = 1024;
constexpr int64_t UNBOUNDED = INT64_MAX;

// A region being decided by its loops: where to go back to if they use up
// their allowance, and the allowance. Where no region is, only `index`,
// `measuring` and `limit` are read, and only they are set: zeroing the
// whole frame at the start of every run costs the many short runs of a
// tournament more than some of them cost.
struct Region_Frame {
  int32_t index;  // -1: none
  bool measuring;  // a region without its query yet, whose loops say what they cost
  int64_t start_work;
  int32_t end;  // the instruction after it
  Mask* top;
  Mask* outer;
  Mask valid;
  int32_t column;
  int32_t memos;
  int64_t limit;  // of the run's work
  Region_Frame() { close(); }
  void close() {
    index = -1;
    measuring = false;
    limit = UNBOUNDED;
  }
};

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
  // The state's loop registers, as raw pointers, and the batch's fields that
  // lookups read: they are read at every step.
  int32_t* value;
  Mask* folded;
  Mask* loop_outer;
  const Loop* loops;
  const History* history;
  agent row;
  int32_t prev_time;
  int64_t work = 0;   // loop body instructions run
  int32_t memos = 0;  // memos being worked out
  Region_Frame region;

  Run(const Program& p, Program_State& s, const Batch& b, int32_t decided)
      : program(p), state(s), batch(b), column(decided), valid(decided >= 0 ? player_bit(decided) : everyone()),
        top(s.stack.data() - 1), outer(s.outer.data() - 1), value(s.value.data()), folded(s.folded.data()),
        loop_outer(s.loop_outer.data()), loops(p.loops.data()), history(b.history), row(b.row),
        prev_time(b.prev_time) {}

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
  Mask everyone() const { return first_players(batch.pop) & ~player_bit(batch.row); }
};

int64_t agent_value(const Run& run, const Term& term) {
  switch (term.kind) {
    case TERM_ROW: return run.row;
    case TERM_COLUMN: return EVERY_PLAYER;
    case TERM_BOUND: return run.value[term.value];
    default: return term.value;
  }
}

int64_t time_value(const Run& run, const Term& term) {
  switch (term.kind) {
    case TERM_PREV: return run.prev_time;
    case TERM_BOUND: return run.value[term.value];
    default: return term.value;
  }
}

// The lookup of an atom whose second agent is the opponent, the commonest
// shape, read straight from the row of a plane: what lookup_defections
// answers with EVERY_PLAYER in the second place. Lookups are always
// inlined: a set returned from a call comes back in two registers, which
// the caller stores as two words and reloads as one, a stall at every
// lookup.
[[gnu::always_inline]] inline Mask lookup_against_everyone(const Run& run, const Instruction& in) {
  const History& history = *run.history;
  const int64_t player1 = agent_value(run, in.player1);
  const int64_t time = time_value(run, in.time) + in.time_mod;
  if (time < 0) return NO_PLAYERS;
  if (time >= history.times || !in_table(player1)) return all_but(player1);
  return by_plane(history, time)[player1];
}

[[gnu::always_inline]] inline Mask lookup(const Run& run, const Instruction& in) {
  Mask answers = in.player2.kind == TERM_COLUMN && in.player1.kind != TERM_COLUMN
                     ? lookup_against_everyone(run, in)
                     : lookup_defections(*run.history, agent_value(run, in.player1),
                                         agent_value(run, in.player2), time_value(run, in.time) + in.time_mod);
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

Kept_Fold& kept_fold(Run& run, int32_t loop) {
  return run.state.kept_folds[static_cast<size_t>(run.batch.row) * run.program.loops.size() + static_cast<size_t>(loop)];
}

// Whether a fold is the same for every opponent whatever is folded in next.
bool decided_for_all(const Run& run, bool forall, Mask value) {
  const Mask everyone = run.everyone();
  return forall ? is_empty(value & everyone) : (value & everyone) == everyone;
}

// An incremental loop from round 2 on: its kept fold, or the times played
// since it was kept folded in first, for every opponent.
void incremental_begin(Run& run, const Instruction& in, const Loop& loop) {
  Kept_Fold& kept = kept_fold(run, in.index);
  if (run.batch.prev_time < kept.seen) kept = {all_or_none(loop.forall), 0, run.batch.prev_time};  // a new tournament
  kept.seen = run.batch.prev_time;
  if (kept.next >= run.batch.prev_time || decided_for_all(run, loop.forall, kept.value)) {
    run.push(kept.value);
    run.pc = in.target;
    return;
  }
  run.state.extending[in.index] = 1;
  run.loop_outer[in.index] = run.valid;
  run.state.loop_column[in.index] = run.column;
  run.valid = run.everyone();
  run.column = -1;
  run.value[in.index] = kept.next;
  ++run.pc;
}

void incremental_end(Run& run, const Instruction& in, const Loop& loop) {
  Kept_Fold& kept = kept_fold(run, in.index);
  const Mask body = run.pop();
  const int32_t current = run.value[in.index];
  kept.value = loop.forall ? kept.value & body : kept.value | body;
  kept.next = current + 1;
  if (kept.next < run.batch.prev_time && !decided_for_all(run, loop.forall, kept.value)) {
    run.value[in.index] = kept.next;
    run.pc = loop.body;
    return;
  }
  run.state.extending[in.index] = 0;
  run.valid = run.loop_outer[in.index];
  run.column = run.state.loop_column[in.index];
  run.push(kept.value);
  ++run.pc;
}

void loop_begin(Run& run, const Instruction& in) {
  assert(in.index >= 0 && in.index < static_cast<int32_t>(run.program.loops.size()));
  const Loop& loop = run.loops[in.index];
  assert(loop.body == run.pc + 1 && loop.end == in.target);
  if (loop.incremental) {
    run.state.extending[in.index] = 0;
    if (run.batch.prev_time > 0) return incremental_begin(run, in, loop);
  }
  int32_t first = loop.over_time ? first_time_candidate(run.batch.prev_time) : next_candidate(run, 0);
  if (!loop.over_time && first < 0) {
    run.push(all_or_none(loop.forall));
    run.pc = in.target;
    return;
  }
  run.value[in.index] = first;
  run.folded[in.index] = all_or_none(loop.forall);
  run.loop_outer[in.index] = run.valid;
  ++run.pc;
}

int32_t next_value(const Run& run, const Loop& loop, int32_t current) {
  if (is_empty(run.valid)) return -1;
  if (!loop.over_time) return next_candidate(run, current + 1);
  return current + 1 < time_candidates_end(run.batch.prev_time) ? current + 1 : -1;
}

bool loops_go_on(Run& run);

void loop_end(Run& run, const Instruction& in) {
  assert(in.index >= 0 && in.index < static_cast<int32_t>(run.program.loops.size()));
  const Loop& loop = run.loops[in.index];
  assert(loop.end == run.pc + 1);
  run.work += loop.end - loop.body;
  if (run.work > run.region.limit && !loops_go_on(run)) return;
  if (loop.incremental && run.state.extending[in.index]) return incremental_end(run, in, loop);
  int32_t current = run.value[in.index];
  Mask body = run.pop();
  Mask& folded = run.folded[in.index];
  // An opponent is never its own candidate.
  Mask excluded = loop.over_time ? NO_PLAYERS : player_bit(current);
  folded = loop.forall ? folded & (body | excluded) : folded | (body & ~excluded);
  run.valid = run.loop_outer[in.index] & (loop.forall ? folded : ~folded);
  int32_t next = next_value(run, loop, current);
  if (next >= 0) {
    run.value[in.index] = next;
    run.pc = loop.body;
    return;
  }
  run.valid = run.loop_outer[in.index];
  run.push(folded);
  ++run.pc;
}

Query_Context context_of(const Run& run) {
  return {run.batch.history, run.batch.pop, run.batch.row, run.batch.prev_time, run.batch.number};
}

// The values of a region's free variables but the opponent, from its loops.
const int32_t* assignment_of(Run& run, const Region& region) {
  assert(region.slots <= static_cast<int32_t>(run.state.assignment.size()));
  int32_t* assignment = run.state.assignment.data();
  for (int32_t i = 0; i < region.slots; ++i)
    assignment[i] = run.value[run.program.query_slots[region.first_slot + i]];
  return assignment;
}

Mask region_by_tables(Run& run, const Region& region) {
  return query_value(*run.batch.tables, region.query, context_of(run), assignment_of(run, region));
}

// What a region's tables are predicted to cost in this batch, in the
// loops' work.
int64_t predicted_work(Run& run, const Region& region, Region_Stats& stats) {
  if (stats.predicted_batch != run.batch.number) {
    stats.predicted = predicted_sets(*run.batch.tables, region.query, context_of(run)) * WORK_PER_SET;
    stats.predicted_batch = run.batch.number;
  }
  return std::max<int64_t>(stats.predicted, 1);
}

// How much work a region's loops may do this time: unbounded, none (its
// tables decide), or a probe's allowance.
int64_t allowance(Run& run, const Region& region, Region_Stats& stats) {
  if (region.own_move_once && run.batch.own_round) return UNBOUNDED;  // its tables would read moves being made
  if (run.batch.policy == REGIONS_BY_LOOPS) return UNBOUNDED;
  if (run.batch.policy == REGIONS_BY_TABLES) return 0;
  if (run.batch.policy == REGIONS_GIVING_UP) return 7;  // some way in, where the registers have moved
  if (++stats.executions < stats.until) return stats.by_tables ? 0 : UNBOUNDED;
  return predicted_work(run, region, stats);
}

// Keeps a way for the next executions of a region.
void keep_way(Region_Stats& stats, bool by_tables) {
  stats.wait = stats.by_tables == by_tables ? std::min(2 * stats.wait, by_tables ? TABLES_STREAK : LOOPS_STREAK) : 1;
  stats.by_tables = by_tables;
  stats.until = stats.executions + stats.wait;
}

// A region without its query: its loops decide, and a run that costs
// enough for tables to matter asks for the program's queries to be made
// once the player's decision is done (the strategies that ask in one round
// have their tables readied together, before one of them decides next).
// Where the batch can make them at once, a run whose loops go on past the
// batch's give_up_work has them made there and then (see loops_go_on): a
// first decision then runs loops no further than that before its tables
// can decide.
constexpr int64_t PLAN_WORK = 512;
constexpr int64_t GIVE_UP_EXECUTIONS = 256;

// Opens a frame for a region's loops that may be given up at `limit`.
void open_region(Run& run, const Instruction& in, bool measuring, int64_t limit) {
  assert(run.region.index < 0);  // regions never nest
  run.region.index = in.index;
  run.region.measuring = measuring;
  run.region.start_work = run.work;
  run.region.end = in.target;
  run.region.top = run.top;
  run.region.outer = run.outer;
  run.region.valid = run.valid;
  run.region.column = run.column;
  run.region.memos = run.memos;
  run.region.limit = limit;
}

void unplanned_region_begin(Run& run, const Instruction& in, const Region& region) {
  const bool tests_tables = run.batch.policy == REGIONS_BY_TABLES || run.batch.policy == REGIONS_GIVING_UP;
  if (tests_tables) run.state.wants_tables = true;
  if (run.region.index < 0) {
    // Only a region's first executions keep what giving up needs: one that
    // has run this often without asking for queries costs little each
    // time, and keeping it would cost more.
    const bool may_plan = run.batch.plan_now && run.batch.policy == REGIONS_BY_COST &&
                          !(region.own_move_once && run.batch.own_round) &&
                          run.state.regions[in.index].executions++ < GIVE_UP_EXECUTIONS;
    if (may_plan) {
      // Given up once the run's loops have cost give_up_work in all, and
      // the region's own some work.
      open_region(run, in, true, std::max(run.batch.give_up_work, run.work + PLAN_WORK));
    } else {
      run.region.index = in.index;
      run.region.measuring = true;
      run.region.start_work = run.work;
    }
  }
  ++run.pc;
}

void region_begin(Run& run, const Instruction& in) {
  const Region& region = run.program.regions[in.index];
  if (region.plan != Region_Plan::TABLES) {
    if (region.plan == Region_Plan::UNPLANNED) return unplanned_region_begin(run, in, region);
    ++run.pc;
    return;
  }
  Region_Stats& stats = run.state.regions[in.index];
  const int64_t allowed = allowance(run, region, stats);
  if (allowed == 0) {
    run.push(region_by_tables(run, region));
    run.pc = in.target;
    return;
  }
  if (allowed != UNBOUNDED) open_region(run, in, false, run.work + allowed);
  ++run.pc;
}

void region_end(Run& run, const Instruction& in) {
  if (run.region.index == in.index && run.region.measuring) {
    if (run.work - run.region.start_work >= PLAN_WORK) run.state.wants_tables = true;
    run.region.close();
  } else if (run.region.index == in.index) {  // a probe that the loops won
    keep_way(run.state.regions[in.index], false);
    run.region.close();
  }
  ++run.pc;
}

// The loops used their allowance up: they drew nothing and recorded
// nothing, so everything they did is put back and the tables decide.
void abandon_region(Run& run) {
  const Region_Frame frame = run.region;
  keep_way(run.state.regions[frame.index], true);
  run.top = frame.top;
  run.outer = frame.outer;
  run.valid = frame.valid;
  run.column = frame.column;
  run.memos = frame.memos;
  run.region.close();
  run.push(region_by_tables(run, run.program.regions[frame.index]));
  run.pc = frame.end;
}

// Loops past their limit: a probe's are abandoned for the tables. A
// region without its query whose loops went past the give-up work has its
// queries made now; where its tables are predicted to cost no more than
// its loops have so far, they decide, and elsewhere the loops go on as a
// probe's, allowed what the tables would cost (without tables, to their
// end), so that what they did is not done again. Whether the loops go on.
bool loops_go_on(Run& run) {
  if (run.region.measuring) {
    run.batch.plan_now(run.batch.planning);
    const int32_t index = run.region.index;
    const Region& region = run.program.regions[index];
    if (region.plan != Region_Plan::TABLES) {
      run.region.close();
      return true;
    }
    const int64_t predicted = predicted_work(run, region, run.state.regions[index]);
    run.region.measuring = false;
    if (predicted > run.work - run.region.start_work) {
      run.region.limit = run.work + predicted;
      return true;
    }
  }
  abandon_region(run);
  return false;
}

// Memo keys: the values of its loops, each one more than the value (times
// start at -1), eight bits apiece.
int32_t memo_key(const Run& run, const Memo& memo) {
  int32_t key = 0;
  for (int32_t loop : memo.key_loops)
    if (loop >= 0) key = key << 8 | (run.value[loop] + 1);
  return key;
}

Memo_Entry& memo_entry(const Run& run, int32_t memo, int32_t key) {
  // A memo's keys take consecutive slots from a place of its own, so the
  // keys of a loop's successive values share cache lines and come in
  // order. The batch is not part of the slot: its entries overwrite those
  // of the batches before it, which can never match again, and so the
  // slots a batch uses are still cached when the next batch uses them.
  const uint32_t slot = static_cast<uint32_t>(memo) * 0x9E3779B1u + static_cast<uint32_t>(key);
  std::vector<Memo_Entry>& entries = run.batch.memos->entries;
  return entries[slot & (entries.size() - 1)];
}

void memo_begin(Run& run, const Instruction& in) {
  const int32_t memo = run.batch.first_memo + in.index;
  const int32_t key = memo_key(run, run.program.memos[in.index]);
  const Memo_Entry& entry = memo_entry(run, memo, key);
  if (entry.batch == run.batch.number && entry.memo == memo && entry.key == key) {
    run.push(entry.value);
    run.pc = in.target;
    return;
  }
  // Worked out for every opponent, whoever is being decided.
  assert(run.memos < static_cast<int32_t>(run.state.memos.size()));
  run.state.memos[run.memos++] = {in.index, key, run.valid, run.column};
  run.valid = run.everyone();
  run.column = -1;
  ++run.pc;
}

void memo_end(Run& run) {
  const Memo_Frame& frame = run.state.memos[--run.memos];
  const int32_t memo = run.batch.first_memo + frame.memo;
  Memo_Entry& entry = memo_entry(run, memo, frame.key);
  entry = {run.batch.number, memo, frame.key, *run.top};
  run.valid = frame.valid;
  run.column = frame.column;
  ++run.pc;
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
    case OP_LOOKUP_AND_TEST: run.push(lookup(run, in)); test(run, in, true); break;
    case OP_LOOKUP_OR_TEST: run.push(lookup(run, in)); test(run, in, false); break;
    case OP_AND: combine(run, true); break;
    case OP_OR: combine(run, false); break;
    case OP_LOOP_BEGIN: loop_begin(run, in); break;
    case OP_LOOP_END: loop_end(run, in); break;
    case OP_REGION: region_begin(run, in); break;
    case OP_REGION_END: region_end(run, in); break;
    case OP_MEMO: memo_begin(run, in); break;
    case OP_MEMO_END: memo_end(run); break;
    case OP_INVALID: invalid_kind_while_evaluating(in.index);
  }
}

}  // namespace

void init_Program_State(const Program& program, Program_State& state, int32_t pop) {
  state.stack.assign(static_cast<size_t>(std::max(program.max_stack, 1)) + 1, NO_PLAYERS);
  state.value.assign(program.loops.size(), 0);
  state.folded.assign(program.loops.size(), NO_PLAYERS);
  state.loop_outer.assign(program.loops.size(), NO_PLAYERS);
  state.outer.assign(static_cast<size_t>(program.max_nesting) + 1, NO_PLAYERS);
  size_t assignment = 0;
  for (const Region& region : program.regions) assignment = std::max(assignment, static_cast<size_t>(region.slots));
  state.assignment.assign(assignment, 0);
  state.memos.assign(static_cast<size_t>(program.max_memos), Memo_Frame{});
  state.regions.assign(program.regions.size(), Region_Stats{});
  state.extending.assign(program.loops.size(), 0);
  state.loop_column.assign(program.loops.size(), -1);
  bool incremental = false;
  for (const Loop& loop : program.loops) incremental = incremental || loop.incremental;
  state.kept_folds.assign(incremental ? static_cast<size_t>(pop) * program.loops.size() : 0, Kept_Fold{});
}

void plan_Program_State(const Program& program, Program_State& state) {
  size_t assignment = 0;
  for (const Region& region : program.regions) assignment = std::max(assignment, static_cast<size_t>(region.slots));
  state.assignment.assign(assignment, 0);
  state.wants_tables = false;
}

Mask execute_Program(const Program& program, Program_State& state, const Batch& batch, int32_t column) {
  Run run(program, state, batch, column);
  if (program.single_lookup) return lookup(run, program.code[0]);  // an atom needs no machine
  const Instruction* code = program.code.data();
  const auto end = static_cast<int32_t>(program.code.size());
  while (run.pc < end) step(run, code[run.pc]);
  assert(run.top == state.stack.data() && run.memos == 0 && run.region.index < 0);
  return *run.top;
}
