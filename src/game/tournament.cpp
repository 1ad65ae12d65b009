#include "game/tournament.h"

#include <cstdio>

#include "game/evaluate.h"
#include "game/history.h"

void simulate(int32_t* history, Formula* const* formulae, int32_t pop) {
  std::fputs(">simulating\n", stdout);
  play_rounds(history, formulae, pop, ROUNDS);
}

void play_rounds(int32_t* history, Formula* const* formulae, int32_t pop, int32_t rounds) {
  reset_history(history);
  for (int32_t time = 0; time < rounds; ++time)
    for (agent row = 0; row < pop; ++row)
      for (agent column = 0; column < pop; ++column) {
        if (column == row) continue;
        add_action(history, row, column, time, evaluate(history, formulae[row], pop, row, column, time - 1));
      }
}

namespace {
// The rounds recorded: a round was played exactly when the first cell of its
// slot (player 0 against player 1) holds an action.
int32_t rounds_recorded(const int32_t* history) {
  int32_t time = 0;
  while (time < HISTORY_TIMES && history[SLOT_CELLS * time] != NO_ACTION) ++time;
  return time;
}
}  // namespace

void get_Results(const int32_t* history, Result* results, int32_t pop) {
  for (int32_t player = 0; player < pop; ++player) results[player] = Result{};
  const int32_t rounds = rounds_recorded(history);
  for (int32_t time = 0; time < rounds; ++time)
    for (agent row = 0; row < pop; ++row)
      for (agent column = 0; column < pop; ++column) {
        if (column == row) continue;
        int32_t mine = get_action(history, row, column, time);
        int32_t theirs = get_action(history, column, row, time);
        Result& result = results[row];
        if (mine && !theirs) {
          ++result.t;
          result.score += 5;
        } else if (!mine && !theirs) {
          ++result.r;
          result.score += 3;
        } else if (mine && theirs) {
          ++result.p;
          result.score += 1;
        } else {
          ++result.s;
        }
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
