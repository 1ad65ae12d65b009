// The tournament as the machine plays it: every distinct formula compiled
// once, and each player's moves against all of its opponents decided by one
// run of its program where the order of decisions cannot matter.
#include <cstddef>
#include <vector>

#include "game/machine/compiler.h"
#include "game/machine/executor.h"
#include "game/tournament.h"

namespace {

// Players with equal formulae share one program; each has its own state.
struct Programs {
  std::vector<Program> distinct;
  std::vector<const Program*> of_player;
};

Programs compile_population(Formula* const* formulae, int32_t pop) {
  Programs programs;
  std::vector<const Formula*> compiled;
  std::vector<uint64_t> hashes;
  programs.distinct.reserve(static_cast<size_t>(pop));
  programs.of_player.resize(static_cast<size_t>(pop));
  for (agent row = 0; row < pop; ++row) {
    uint64_t hash = hash_Formula(formulae[row]);
    size_t same = 0;
    while (same < compiled.size() && !(hashes[same] == hash && equal_Formula(compiled[same], formulae[row]))) ++same;
    if (same == compiled.size()) {
      programs.distinct.push_back(compile_Formula(formulae[row], pop));
      compiled.push_back(formulae[row]);
      hashes.push_back(hash);
    }
    programs.of_player[row] = &programs.distinct[same];
  }
  return programs;
}

// Draws must come in the order of the opponents, decision by decision, and
// a player that reads its own moves of this round sees each one as it is
// made.
bool decides_one_by_one(const Program& program, int32_t time) {
  return (program.draws && !program.draws_once) || reads_current_round(program, time);
}

}  // namespace

void play_rounds(History& history, Formula* const* formulae, int32_t pop, int32_t rounds) {
  reset_history(history);
  if (pop < 2) return;
  Programs programs = compile_population(formulae, pop);
  std::vector<Program_State> states(static_cast<size_t>(pop));
  for (agent row = 0; row < pop; ++row)
    if (!programs.of_player[row]->single_lookup) init_Program_State(*programs.of_player[row], states[row]);
  const Mask everyone = first_players(pop);
  uint64_t batch = 0;
  for (int32_t time = 0; time < rounds; ++time) {
    start_round(history, time);
    for (agent row = 0; row < pop; ++row) {
      const Program& program = *programs.of_player[row];
      Batch decisions{&history, pop, row, time - 1, ++batch};
      if (!decides_one_by_one(program, time)) {
        record_moves(history, row, everyone & ~player_bit(row), execute_Program(program, states[row], decisions, -1));
        continue;
      }
      for (agent column = 0; column < pop; ++column) {
        if (column == row) continue;
        Mask move = execute_Program(program, states[row], decisions, column);
        record_moves(history, row, player_bit(column), move);
      }
    }
    finish_round(history);
  }
}
