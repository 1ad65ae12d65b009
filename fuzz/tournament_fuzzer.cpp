// Fuzz target for a whole tournament: one to three fuzzed formulae play a
// few rounds, breed once (crossover and repair), and the children play again.
//
// Input: one byte for the rounds (1 to 3) and, in its higher bits, the noise
// of the play and the mutation of the breeding (0, 0.1, 0.5 or 1 each), one
// for the seed, then the formula texts separated by NUL bytes (at most three
// are read). Three
// rounds and three players keep every quantifier to a single value, so the
// cost of a tournament stays linear in the size of its formulae. The first
// tournament of short inputs is played again by evaluating every decision
// by substituted copies: the moves and the draws must be the same.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "evolve/breeding.h"
#include "formula/notation_reader.h"
#include "fuzz_support.h"
#include "game/history.h"
#include "game/results.h"
#include "reference/substitution.h"
#include "game/tournament.h"
#include "random_stream.h"

namespace {

constexpr int32_t MAX_FUZZED_PLAYERS = 3;
constexpr int32_t MAX_FUZZED_ROUNDS = 3;

constexpr size_t MAX_COMPARED_SIZE = 2048;  // the reference evaluation recurses
constexpr double CHANCES[4] = {0.0, 0.1, 0.5, 1.0};

History history;
History reference;
Result results[MAX_POP];

bool same_moves(int32_t pop, int32_t rounds) {
  for (int32_t time = 0; time < rounds; ++time)
    for (agent row = 0; row < pop; ++row)
      for (agent column = 0; column < pop; ++column)
        if (get_action(history, row, column, time) != get_action(reference, row, column, time)) return false;
  return rounds_recorded(history) == rounds_recorded(reference);
}

// Reads up to three formulae; false, with nothing left allocated, when any
// of them is rejected.
bool read_players(std::string_view texts, Formula** formulae, int32_t& pop) {
  pop = 0;
  while (pop < MAX_FUZZED_PLAYERS) {
    size_t end = texts.find('\0');
    formulae[pop] = read_fuzzed(texts.substr(0, end));
    if (!formulae[pop]) {
      for (int32_t player = 0; player < pop; ++player) free_Formula(formulae[player]);
      return false;
    }
    ++pop;
    if (end == std::string_view::npos) break;
    texts.remove_prefix(end + 1);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const Game_Rules rules{1 + data[0] % MAX_FUZZED_ROUNDS, CHANCES[data[0] / MAX_FUZZED_ROUNDS % 4]};
  const Breeding breeding{CHANCES[data[0] / (4 * MAX_FUZZED_ROUNDS) % 4], true};
  seed_random(data[1]);
  Formula* formulae[MAX_POP] = {};
  int32_t pop = 0;
  if (!read_players(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2), formulae, pop)) return 0;
  play_rounds(history, formulae, pop, rules);
  if (size <= MAX_COMPARED_SIZE) {
    Random_Stream after = random_stream;
    seed_random(data[1]);
    play_rounds_by_substitution(reference, formulae, pop, rules);
    if (!same_moves(pop, rules.rounds) || random_stream.engine != after.engine)
      finding("the tournament differs from evaluation by substituted copies",
              std::string_view(reinterpret_cast<const char*>(data), size));
  }
  get_Results(history, results, pop);
  update_Formulae(results, formulae, pop, breeding);
  play_rounds(history, formulae, pop, rules);
  get_Results(history, results, pop);
  for (int32_t player = 0; player < pop; ++player) free_Formula(formulae[player]);
  return 0;
}
