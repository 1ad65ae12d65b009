// The tournament evaluates compiled formulae against bit planes, for all
// opponents at once where it can. It must record exactly the moves, and
// make exactly the draws, of evaluating every decision by substituted copies.
#include "game/random_trees.h"
#include "game/substitution.h"
#include "game/tournament.h"
#include "test_support.h"

namespace {

struct Population {
  std::vector<Tree> trees;
  std::vector<Formula*> formulae;
};

Population make_population(Tree_Maker& maker, int32_t pop, int max_depth) {
  Population population;
  for (int32_t i = 0; i < pop; ++i) {
    maker.quantifiers_left = 2;
    population.trees.emplace_back(maker.make(maker.pick(max_depth + 1)));
    population.formulae.push_back(population.trees.back().get());
  }
  return population;
}

void expect_same_tournament(const Population& population, const Game_Rules& rules, int32_t seed,
                            Test_History& fast, Test_History& reference) {
  auto pop = static_cast<int32_t>(population.formulae.size());
  // Stale cells from an earlier tournament must not survive.
  for (size_t i = 0; i < fast.cells.size(); i += 97) fast.cells[i] = static_cast<int32_t>(i % 3) - 1;
  seed_random(seed);
  play_rounds(fast.data(), population.formulae.data(), pop, rules);
  int32_t fast_next = draw_random();
  seed_random(seed);
  play_rounds_by_substitution(reference.data(), population.formulae.data(), pop, rules);
  int32_t reference_next = draw_random();
  std::string formulae;
  for (const Formula* formula : population.formulae) formulae += format_Formula(formula) + "\n";
  ASSERT_TRUE(fast.cells == reference.cells) << "pop " << pop << " rounds " << rules.rounds
                                               << " noise " << rules.noise << "\n" << formulae;
  ASSERT_EQ(fast_next, reference_next) << formulae;
}

}  // namespace

TEST(TournamentDifferential, SmallPopulationsOfEveryKind) {
  Tree_Maker maker{std::mt19937(77)};
  Test_History fast, reference;
  for (int trial = 0; trial < 600; ++trial) {
    maker.chance = trial % 3 != 0;
    auto pop = static_cast<int32_t>(1 + maker.pick(7));
    int32_t rounds = trial % 10 == 0 ? 1 + maker.pick(HISTORY_TIMES) : 1 + maker.pick(12);
    Population population = make_population(maker, pop, 4);
    expect_same_tournament(population, Game_Rules{rounds, 0.0}, trial, fast, reference);
    if (testing::Test::HasFatalFailure()) return;
  }
}

// Players that read their own moves of the round being played see each one
// as it is made: they must be decided one opponent at a time.
TEST(TournamentDifferential, PlayersReadingTheirOwnMovesOfThisRound) {
  Tree_Maker maker{std::mt19937(79)};
  maker.own_moves = true;
  Test_History fast, reference;
  for (int trial = 0; trial < 400; ++trial) {
    maker.chance = trial % 2 == 0;
    auto pop = static_cast<int32_t>(3 + maker.pick(5));
    Population population = make_population(maker, pop, 4);
    expect_same_tournament(population, Game_Rules{1 + maker.pick(8), 0.0}, trial, fast, reference);
    if (testing::Test::HasFatalFailure()) return;
  }
}

TEST(TournamentDifferential, LargePopulations) {
  Tree_Maker maker{std::mt19937(78)};
  Test_History fast, reference;
  const int32_t pops[] = {98, 99, 100};
  for (int trial = 0; trial < 6; ++trial) {
    maker.chance = trial % 2 == 0;
    Population population = make_population(maker, pops[trial % 3], 2);
    expect_same_tournament(population, Game_Rules{3, 0.0}, trial, fast, reference);
    if (testing::Test::HasFatalFailure()) return;
  }
}

// Noise draws come between the decisions' own draws, and a flipped move is
// what later decisions of the same round read: players that draw, and
// players that read this round's moves, among ordinary ones.
TEST(TournamentDifferential, NoisyTournaments) {
  Tree_Maker maker{std::mt19937(80)};
  Test_History fast, reference;
  const double noises[] = {0.01, 0.1, 0.5, 1.0};
  for (int trial = 0; trial < 500; ++trial) {
    maker.chance = trial % 4 != 0;
    maker.own_moves = trial % 2 == 0;
    auto pop = static_cast<int32_t>(2 + maker.pick(7));
    Population population = make_population(maker, pop, 4);
    Game_Rules rules{1 + maker.pick(10), noises[trial % 4]};
    expect_same_tournament(population, rules, trial, fast, reference);
    if (testing::Test::HasFatalFailure()) return;
  }
}
