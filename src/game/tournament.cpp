#include "game/tournament.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <vector>

#include "error.h"

#include "game/bit_history.h"
#include "game/execute.h"
#include "game/program.h"

#include "game/evaluate.h"
#include "game/history.h"
#include "game/mask.h"
#include "game/substitution.h"

void simulate(int32_t* history, Formula* const* formulae, int32_t pop) {
  simulate(history, formulae, pop, Game_Rules{});
}

void simulate(int32_t* history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  std::fputs(">simulating\n", stdout);
  play_rounds(history, formulae, pop, rules);
}

void play_rounds(int32_t* history, Formula* const* formulae, int32_t pop, int32_t rounds) {
  play_rounds(history, formulae, pop, Game_Rules{rounds, 0.0});
}

#ifdef IPDLOGIC_EVALUATE_BY_SUBSTITUTION

void play_rounds(int32_t* history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  play_rounds_by_substitution(history, formulae, pop, rules);
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
  for (int32_t time = 0; time < rounds; ++time) {
    int32_t* slot = history + SLOT_CELLS * time;
    for (agent player = 0; player < pop; ++player) std::fill(slot + 99 * player + pop - 1, slot + 99 * (player + 1), NO_ACTION);
    std::fill(slot + 99 * pop, slot + SLOT_CELLS, NO_ACTION);
  }
  std::fill(history + SLOT_CELLS * rounds, history + HISTORY_CELLS, NO_ACTION);
}

// A row's moves against all opponents, each flipped by its own noise draw,
// opponents ascending.
Mask with_noise(Mask moves, int32_t pop, agent row, double noise) {
  for (agent column = 0; column < pop; ++column)
    if (column != row && noise_flips(noise)) moves = moves ^ player_bit(column);
  return moves;
}

}  // namespace

void play_rounds(int32_t* history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  const int32_t rounds = rules.rounds;
  const bool noisy = rules.noise != 0.0;
  reset_unwritten(history, pop, rounds);
  if (pop < 2) return;
  Bit_History bits;
  init_bit_history(bits, rounds);
  // Players with equal formulae share one program; each has its own state.
  std::vector<Program> programs;
  std::vector<const Formula*> compiled;
  std::vector<uint64_t> hashes;
  std::vector<const Program*> program_of(static_cast<size_t>(pop));
  programs.reserve(static_cast<size_t>(pop));
  for (agent row = 0; row < pop; ++row) {
    uint64_t hash = hash_Formula(formulae[row]);
    size_t same = 0;
    while (same < compiled.size() && !(hashes[same] == hash && equal_Formula(compiled[same], formulae[row]))) ++same;
    if (same == compiled.size()) {
      programs.push_back(compile_Formula(formulae[row], pop));
      compiled.push_back(formulae[row]);
      hashes.push_back(hash);
    }
    program_of[row] = &programs[same];
  }
  std::vector<Program_State> states(static_cast<size_t>(pop));
  for (agent row = 0; row < pop; ++row)
    if (!program_of[row]->single_lookup) init_Program_State(*program_of[row], states[row]);
  uint64_t batch = 0;
  for (int32_t time = 0; time < rounds; ++time) {
    start_round(bits, time);
    for (agent row = 0; row < pop; ++row) {
      const Program& program = *program_of[row];
      Batch decisions{&bits, pop, row, time - 1, ++batch};
      // A player whose decisions draw nothing decides against everyone at
      // once, and its noise draws follow in the order of the opponents. A
      // single draw per decision is made in that order too, unless noise
      // draws must come between them.
      const bool all_at_once = !program.draws || (program.draws_once && !noisy);
      if (all_at_once && !reads_current_round(program, time)) {
        Mask moves = execute_Program(program, states[row], decisions, -1);
        record_row(bits, history, pop, row, noisy ? with_noise(moves, pop, row, rules.noise) : moves);
        continue;
      }
      // Draws must come in the order of the opponents, decision by decision,
      // and a player that reads its own moves of this round sees each one as
      // it is recorded.
      for (agent column = 0; column < pop; ++column) {
        if (column == row) continue;
        Mask move = execute_Program(program, states[row], decisions, column);
        bool defect = has_player(move, column) != noise_flips(rules.noise);
        record_decision(bits, history, row, column, defect);
      }
    }
    finish_round(bits);
  }
}

#endif

namespace {
// The rounds recorded: a round was played exactly when the first cell of its
// slot (player 0 against player 1) holds an action.
int32_t rounds_recorded(const int32_t* history) {
  int32_t time = 0;
  while (time < HISTORY_TIMES && history[SLOT_CELLS * time] != NO_ACTION) ++time;
  return time;
}
}  // namespace

namespace {

// Tallies one recorded round: with the set of opponents each player's move
// reads as defection against, and its transpose, the set of players whose
// move against it does, the four outcomes are counts of their overlaps.
void tally_round(const int32_t* slot, int32_t pop, Result* results) {
  Mask own[128], suffered[128];
  for (agent row = 0; row < 128; ++row)
    own[row] = row < pop ? insert_player(read_cells(slot + 99 * row, pop - 1), row) : NO_PLAYERS;
  std::copy(own, own + 128, suffered);
  transpose_players(suffered);
  const Mask everyone = first_players(pop);
  for (agent row = 0; row < pop; ++row) {
    Mask opponents = everyone & ~player_bit(row);
    int32_t mine = count_players(own[row] & opponents);
    int32_t theirs = count_players(suffered[row] & opponents);
    int32_t both = count_players(own[row] & suffered[row] & opponents);
    Result& result = results[row];
    result.t += mine - both;
    result.p += both;
    result.s += theirs - both;
    result.r += pop - 1 - mine - theirs + both;
  }
}

}  // namespace

void get_Results(const int32_t* history, Result* results, int32_t pop) {
  get_Results(history, results, pop, Payoffs{});
}

int32_t score_of(const Result& result, const Payoffs& payoffs) {
  // At most 100 rounds and 99 opponents give 9,900 encounters, so payoffs up
  // to MAX_PAYOFF stay far inside 32 bits; anything beyond is a caller's fault.
  const int64_t score = int64_t{payoffs.t} * result.t + int64_t{payoffs.r} * result.r +
                        int64_t{payoffs.p} * result.p + int64_t{payoffs.s} * result.s;
  if (score < INT32_MIN || score > INT32_MAX) error("score out of range");
  return static_cast<int32_t>(score);
}

void get_Results(const int32_t* history, Result* results, int32_t pop, const Payoffs& payoffs) {
  for (agent player = 0; player < pop; ++player) results[player] = Result{};
  const int32_t rounds = pop < 2 ? 0 : rounds_recorded(history);
  // Latest rounds first: a tournament just played has them still in cache.
  for (int32_t time = rounds - 1; time >= 0; --time) tally_round(history + SLOT_CELLS * time, pop, results);
  for (agent player = 0; player < pop; ++player) {
    Result& result = results[player];
    result.score = score_of(result, payoffs);
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
