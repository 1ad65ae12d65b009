// The fingerprint's tournament, which takes the library's rounds from the
// tournaments before it, against the same tournament played in full.
#include "behaviour/society_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "behaviour/library.h"
#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "game/tournament.h"
#include "random_stream.h"
#include "test_support.h"

namespace {

struct Played {
  std::vector<int32_t> moves;  // every cell of every round
  Random_Stream stream;
  uint64_t draws;
};

Played played(const History& history, int32_t pop, int32_t rounds, uint64_t draws_before) {
  Played result{{}, random_stream, draws_made() - draws_before};
  for (int32_t time = 0; time < rounds; ++time)
    for (agent a = 0; a < pop; ++a)
      for (agent b = 0; b < pop; ++b) result.moves.push_back(get_action(history, a, b, time));
  return result;
}

std::vector<Formula*> society_with(Formula* last) {
  std::vector<Formula*> players;
  for (const Library_Strategy& strategy : library_strategies()) players.push_back(strategy.formula);
  players.push_back(last);
  return players;
}

Tree joined(Node_Kind kind, Formula* left, Formula* right) {
  Formula* node = new_Formula(kind);
  node->left = left;
  node->right = right;
  return Tree(node);
}

// The formulae to play last: grown ones, the same with chance atoms whose
// draws depend on what they decide, and some written out.
std::vector<Tree> last_players() {
  std::vector<Tree> formulae;
  for (const char* text : {"Dcrp", "R0.5", "Dcrp&R0.3", "R0.6|AxDxrp", "Ex(Dxcp&R0.4)", "A'sDcrs|R0.1", "~Drcp",
                           "Dcrp|EdDcdp", "E's(Drcs&R0.2)|Dcrp-1", "Dcrp&~Dcrp"})
    formulae.push_back(parse(text));
  seed_random(5);
  std::vector<Formula*> grown(30, nullptr);
  init_random_Formulae(grown.data(), static_cast<int32_t>(grown.size()));
  for (Formula* formula : grown) {
    formulae.push_back(joined(OR, copy_Formula(formula), parse("R0.3").release()));
    formulae.push_back(joined(AND, parse("R0.8").release(), copy_Formula(formula)));
    formulae.emplace_back(formula);
  }
  return formulae;
}

TEST(SocietyTree, PlaysEveryTournamentAsItWouldBePlayedInFull) {
  const std::vector<Tree> formulae = last_players();
  History tree_history, full_history;
  // Each formula twice, far apart, and at two lengths: the tree is first
  // grown, then read, then grown further from the middle of known rounds.
  for (int32_t rounds : {50, 9, 50}) {
    for (int pass = 0; pass < 2; ++pass) {
      for (const Tree& formula : formulae) {
        std::vector<Formula*> players = society_with(formula.get());
        const auto pop = static_cast<int32_t>(players.size());
        seed_random(DEFAULT_SEED);
        uint64_t before = draws_made();
        play_behind_library(tree_history, players.data(), pop, rounds);
        const Played by_tree = played(tree_history, pop, rounds, before);
        seed_random(DEFAULT_SEED);
        before = draws_made();
        play_rounds(full_history, players.data(), pop, Game_Rules{rounds, 0.0, NO_CONTINUATION});
        const Played in_full = played(full_history, pop, rounds, before);
        ASSERT_EQ(by_tree.moves, in_full.moves) << format_Formula(formula.get()) << " rounds " << rounds;
        // Left anywhere, the stream still gives the same tournament.
        seed_random(DEFAULT_SEED);
        play_behind_library(tree_history, players.data(), pop, rounds, STREAM_ANYWHERE);
        ASSERT_EQ(played(tree_history, pop, rounds, 0).moves, in_full.moves) << format_Formula(formula.get());
        EXPECT_EQ(by_tree.stream.engine, in_full.stream.engine) << format_Formula(formula.get());
        EXPECT_EQ(by_tree.draws, in_full.draws) << format_Formula(formula.get());
      }
    }
  }
}

}  // namespace
