#include "game/tournament.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "game/bit_history.h"
#include "game/execute.h"
#include "game/program.h"

#include "game/evaluate.h"
#include "game/history.h"
#include "game/substitution.h"

void simulate(int32_t* history, Formula* const* formulae, int32_t pop) {
  std::fputs(">simulating\n", stdout);
  play_rounds(history, formulae, pop, ROUNDS);
}

#ifdef IPDLOGIC_EVALUATE_BY_SUBSTITUTION

void play_rounds(int32_t* history, Formula* const* formulae, int32_t pop, int32_t rounds) {
  reset_history(history);
  for (int32_t time = 0; time < rounds; ++time)
    for (agent row = 0; row < pop; ++row)
      for (agent column = 0; column < pop; ++column) {
        if (column == row) continue;
        int action = evaluate_by_substitution(history, formulae[row], pop, row, column, time - 1);
        add_action(history, row, column, time, action);
      }
}

#else

namespace {

// Resets every cell that the tournament will not write: the rest it
// overwrites with the moves, and the moves are read from bit planes while
// it plays.
void reset_unwritten(int32_t* history, int32_t pop, int32_t rounds) {
  if (pop < 2) {
    reset_history(history);
    return;
  }
  for (int32_t time = 0; time < rounds; ++time)
    for (agent player = 0; player < HISTORY_PLAYERS; ++player) {
      int32_t* block = history + SLOT_CELLS * time + 99 * player;
      std::fill(block + (player < pop ? pop - 1 : 0), block + 99, NO_ACTION);
    }
  std::fill(history + SLOT_CELLS * rounds, history + HISTORY_CELLS, NO_ACTION);
}

}  // namespace

void play_rounds(int32_t* history, Formula* const* formulae, int32_t pop, int32_t rounds) {
  reset_unwritten(history, pop, rounds);
  if (pop < 2) return;
  Bit_History bits;
  init_bit_history(bits);
  std::vector<Program> programs(static_cast<size_t>(pop));
  std::vector<Program_State> states(static_cast<size_t>(pop));
  for (agent row = 0; row < pop; ++row) {
    programs[row] = compile_Formula(formulae[row], pop);
    init_Program_State(programs[row], states[row]);
  }
  uint64_t batch = 0;
  for (int32_t time = 0; time < rounds; ++time) {
    start_round(bits, time);
    for (agent row = 0; row < pop; ++row) {
      const Program& program = programs[row];
      Batch decisions{&bits, pop, row, time - 1, ++batch};
      if (!program.draws && !reads_current_round(program, time)) {
        record_row(bits, history, pop, row, execute_Program(program, states[row], decisions, -1));
        continue;
      }
      // Draws must come in the order of the opponents, and a player that
      // reads its own moves of this round sees each one as it is made.
      for (agent column = 0; column < pop; ++column) {
        if (column == row) continue;
        Mask move = execute_Program(program, states[row], decisions, column);
        record_decision(bits, history, row, column, has_player(move, column));
      }
    }
    finish_round(bits);
  }
}

#endif

namespace {
constexpr int32_t MAX_PLAYERS = HISTORY_PLAYERS;

// The rounds recorded: a round was played exactly when the first cell of its
// slot (player 0 against player 1) holds an action.
int32_t rounds_recorded(const int32_t* history) {
  int32_t time = 0;
  while (time < HISTORY_TIMES && history[SLOT_CELLS * time] != NO_ACTION) ++time;
  return time;
}
}  // namespace

namespace {

// Tallies one recorded round from sums: with A[r][c] true when r's move
// against c reads as defection, player r has sum over c of A[r][c] own
// defections, of A[c][r] defections against it, and of both the mutual
// ones; the four outcomes follow from these three counts.
void tally_round(const int32_t* slot, int32_t pop, int32_t* own, int32_t* suffered, int32_t* mutual) {
  for (agent row = 0; row < pop; ++row) {
    const int32_t* cells = slot + 99 * row;
    int32_t sum = 0;
    for (agent k = 0; k < row; ++k) {
      int32_t defect = cells[k] != 0;
      sum += defect;
      suffered[k] += defect;
    }
    for (agent k = row; k < pop - 1; ++k) {
      int32_t defect = cells[k] != 0;
      sum += defect;
      suffered[k + 1] += defect;
    }
    own[row] += sum;
    // Pairs with higher opponents: A[row][column] and A[column][row].
    for (agent column = row + 1; column < pop; ++column) {
      int32_t both = (cells[column - 1] != 0) & (slot[99 * column + row] != 0);
      mutual[row] += both;
      mutual[column] += both;
    }
  }
}

}  // namespace

void get_Results(const int32_t* history, Result* results, int32_t pop) {
  int32_t own[MAX_PLAYERS] = {}, suffered[MAX_PLAYERS] = {}, mutual[MAX_PLAYERS] = {};
  const int32_t rounds = pop < 2 ? 0 : rounds_recorded(history);
  for (int32_t time = 0; time < rounds; ++time) tally_round(history + SLOT_CELLS * time, pop, own, suffered, mutual);
  for (agent player = 0; player < pop; ++player) {
    Result& result = results[player];
    result.p = mutual[player];
    result.t = own[player] - mutual[player];
    result.s = suffered[player] - mutual[player];
    result.r = rounds * (pop - 1) - own[player] - suffered[player] + mutual[player];
    result.score = 5 * result.t + 3 * result.r + result.p;
  }
}

void print_Results(const Result* results, int32_t pop) {
  const char* dashes = "---------------------------------------------------\n";
  std::fputs(dashes, stdout);
  std::fputs("  player       t       r       p       s   score\n", stdout);
  std::fputs(dashes, stdout);
  for (int32_t i = 0; i < pop; ++i) {
    const Result& r = results[i];
    std::printf("%8d%8d%8d%8d%8d%8d\n", i, r.t, r.r, r.p, r.s, r.score);
  }
  std::fputs(dashes, stdout);
}

void print_actions(const int32_t* history, int32_t pop, agent row) {
  std::fputs("\n---------------------------------------------------\n", stdout);
  std::printf("actions for player %d\n", row);
  std::fputs("time\t", stdout);
  for (agent column = 0; column < pop; ++column)
    if (column != row) std::printf("%d\t", column);
  std::fputs("\n---------------------------------------------------\n", stdout);
  const int32_t rounds = rounds_recorded(history);
  for (int32_t time = 0; time < rounds; ++time) {
    std::printf("%d\t", time);
    for (agent column = 0; column < pop; ++column) {
      if (column == row) continue;
      std::printf("%d-%d\t", get_action(history, row, column, time), get_action(history, column, row, time));
    }
    std::fputs("\n", stdout);
  }
}
