#include "game/machine/executor.h"

#include <algorithm>

#include "game/evaluate.h"

namespace {

constexpr int32_t MEMO_KEYS = 128;  // a loop's value plus one: -1 to 126
constexpr int32_t EVERYONE = -1;

int64_t agent_value(const Term& term, const Batch& batch, const Program_State& state) {
  switch (term.kind) {
    case TERM_ROW: return batch.row;
    case TERM_COLUMN: return EVERY_PLAYER;
    case TERM_BOUND: return state.value[term.value];
    default: return term.value;
  }
}

int64_t time_value(const Term& term, const Batch& batch, const Program_State& state) {
  switch (term.kind) {
    case TERM_PREV: return batch.prev_time;
    case TERM_BOUND: return state.value[term.value];
    default: return term.value;
  }
}

// The first candidate from `from` on: another player than the deciding one
// and, when deciding against one opponent, than that opponent.
int32_t next_candidate(int32_t from, const Batch& batch, int32_t column) {
  for (int32_t player = from; player < batch.pop; ++player)
    if (player != batch.row && player != column) return player;
  return -1;
}

}  // namespace

void init_Program_State(const Program& program, Program_State& state) {
  state.stack.assign(static_cast<size_t>(std::max(program.max_stack, 1)), NO_PLAYERS);
  state.value.assign(program.loops.size(), 0);
  state.folded.assign(program.loops.size(), NO_PLAYERS);
  state.loop_outer.assign(program.loops.size(), NO_PLAYERS);
  state.loop_saved_column.assign(program.loops.size(), EVERYONE);
  state.settled.assign(program.loops.size(), NO_PLAYERS);
  state.settled_next.assign(program.loops.size(), 0);
  state.settled_seen.assign(program.loops.size(), INT32_MAX);  // so that the first round starts afresh
  state.extending.assign(program.loops.size(), 0);
  state.outer.assign(static_cast<size_t>(program.max_nesting) + 1, NO_PLAYERS);
  state.remembered.assign(program.memos.size() * MEMO_KEYS, NO_PLAYERS);
  state.remembered_at.assign(program.memos.size() * MEMO_KEYS, 0);
  state.memo_key.assign(program.memos.size(), -1);
  state.memo_saved_column.assign(program.memos.size(), EVERYONE);
}

// `valid` holds the opponents whose move still depends on the value being
// worked out: the right operand of an AND matters only where the left one
// is true, a loop's next candidate only where the loop is undecided. Tests
// and loops stop as soon as nothing valid is left to decide, as evaluating
// one opponent at a time would; the values outside `valid` are never used.
namespace {
Mask lookup(const Instruction& in, const Batch& batch, const Program_State& state) {
  Mask answers = lookup_defections(*batch.history, agent_value(in.player1, batch, state),
                                   agent_value(in.player2, batch, state), time_value(in.time, batch, state) + in.time_mod);
  return in.negate ? ~answers : answers;
}
}  // namespace

Mask execute_Program(const Program& program, Program_State& state, const Batch& batch, int32_t column) {
  if (program.single_lookup) return lookup(program.code[0], batch, state);  // an atom needs no machine
  const Mask everyone = first_players(batch.pop) & ~player_bit(batch.row);
  Mask valid = column >= 0 ? player_bit(column) : everyone;
  Mask* top = state.stack.data() - 1;
  Mask* outer = state.outer.data() - 1;
  const Instruction* code = program.code.data();
  const auto end = static_cast<int32_t>(program.code.size());
  int32_t pc = 0;
  while (pc < end) {
    const Instruction& in = code[pc];
    switch (in.op) {
      case OP_LOOKUP:
        *++top = lookup(in, batch, state);
        ++pc;
        break;
      case OP_AND_LOOKUP:
        *top = *top & lookup(in, batch, state);
        ++pc;
        break;
      case OP_OR_LOOKUP:
        *top = *top | lookup(in, batch, state);
        ++pc;
        break;
      case OP_CHANCE:
        if (column >= 0) {
          *++top = all_or_none(chance_holds(in.chance));
        } else {
          // The only draw of each decision: one per opponent reaching it, in order.
          const double threshold = chance_threshold(in.chance);
          uint64_t holds[2] = {0, 0};
          const uint64_t reaching[2] = {valid.low, valid.high};
          for (int word = 0; word < 2; ++word)
            for (uint64_t left = reaching[word]; left != 0; left &= left - 1)
              if (draw_is_below(threshold)) holds[word] |= left & -left;
          *++top = {holds[0], holds[1]};
        }
        ++pc;
        break;
      case OP_CONST:
        *++top = all_or_none(in.index != 0);
        ++pc;
        break;
      case OP_NOT:
        *top = ~*top;
        ++pc;
        break;
      case OP_AND_TEST:
        if (is_empty(*top & valid)) {
          pc = in.target;
        } else {
          *++outer = valid;
          valid = valid & *top;
          ++pc;
        }
        break;
      case OP_OR_TEST:
        if ((*top & valid) == valid) {
          pc = in.target;
        } else {
          *++outer = valid;
          valid = valid & ~*top;
          ++pc;
        }
        break;
      case OP_AND:
        --top;
        *top = *top & top[1];
        valid = *outer--;
        ++pc;
        break;
      case OP_OR:
        --top;
        *top = *top | top[1];
        valid = *outer--;
        ++pc;
        break;
      case OP_LOOP_BEGIN: {
        const Loop& loop = program.loops[in.index];
        if (loop.incremental && batch.prev_time > 0) {
          // Add the times played since the last round, for every opponent.
          if (batch.prev_time < state.settled_seen[in.index]) {
            state.settled[in.index] = all_or_none(loop.forall);
            state.settled_next[in.index] = 0;
          }
          state.settled_seen[in.index] = batch.prev_time;
          if (state.settled_next[in.index] >= batch.prev_time) {
            *++top = state.settled[in.index];
            pc = in.target;
            break;
          }
          state.extending[in.index] = 1;
          state.loop_outer[in.index] = valid;
          state.loop_saved_column[in.index] = column;
          column = EVERYONE;
          valid = everyone;
          state.value[in.index] = state.settled_next[in.index];
          ++pc;
          break;
        }
        int32_t first = loop.over_time ? (batch.prev_time <= 0 ? -1 : 0) : next_candidate(0, batch, column);
        if (!loop.over_time && first < 0) {
          *++top = all_or_none(loop.forall);
          pc = in.target;
          break;
        }
        state.value[in.index] = first;
        state.folded[in.index] = all_or_none(loop.forall);
        state.loop_outer[in.index] = valid;
        ++pc;
        break;
      }
      case OP_LOOP_END: {
        const Loop& loop = program.loops[in.index];
        int32_t current = state.value[in.index];
        Mask body = *top--;
        if (state.extending[in.index]) {
          Mask& settled = state.settled[in.index];
          settled = loop.forall ? settled & body : settled | body;
          state.settled_next[in.index] = current + 1;
          if (current + 1 < batch.prev_time) {
            state.value[in.index] = current + 1;
            pc = loop.body;
            break;
          }
          state.extending[in.index] = 0;
          column = state.loop_saved_column[in.index];
          valid = state.loop_outer[in.index];
          *++top = settled;
          ++pc;
          break;
        }
        Mask& folded = state.folded[in.index];
        // An opponent is never its own candidate.
        Mask excluded = loop.over_time ? NO_PLAYERS : player_bit(current);
        folded = loop.forall ? folded & (body | excluded) : folded | (body & ~excluded);
        valid = state.loop_outer[in.index] & (loop.forall ? folded : ~folded);
        int32_t next = -1;
        if (!is_empty(valid)) {
          if (!loop.over_time)
            next = next_candidate(current + 1, batch, column);
          else if (current + 1 < batch.prev_time)
            next = current + 1;
        }
        if (next >= 0) {
          state.value[in.index] = next;
          pc = loop.body;
        } else {
          valid = state.loop_outer[in.index];
          *++top = folded;
          ++pc;
        }
        break;
      }
      case OP_MEMO_BEGIN: {
        const Memo& memo = program.memos[in.index];
        if (column >= 0 && !memo.conflict_free) {
          state.memo_key[in.index] = -1;
          ++pc;
          break;
        }
        int32_t key = memo.key_loop < 0 ? 0 : state.value[memo.key_loop] + 1;
        size_t at = static_cast<size_t>(in.index) * MEMO_KEYS + static_cast<size_t>(key);
        if (state.remembered_at[at] == batch.number) {
          *++top = state.remembered[at];
          pc = in.target;
          break;
        }
        // Worked out for every opponent at once: it draws nothing and
        // reads nothing that changes while this player decides.
        state.memo_key[in.index] = key;
        state.memo_saved_column[in.index] = column;
        *++outer = valid;
        column = EVERYONE;
        valid = everyone;
        ++pc;
        break;
      }
      case OP_MEMO_END: {
        int32_t key = state.memo_key[in.index];
        if (key >= 0) {
          size_t at = static_cast<size_t>(in.index) * MEMO_KEYS + static_cast<size_t>(key);
          state.remembered[at] = *top;
          state.remembered_at[at] = batch.number;
          column = state.memo_saved_column[in.index];
          valid = *outer--;
        }
        ++pc;
        break;
      }
      case OP_INVALID:
        invalid_kind_while_evaluating(in.index);
    }
  }
  return *top;
}
