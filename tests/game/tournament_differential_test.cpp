// The tournament evaluates compiled formulae against bit planes, for all
// opponents at once where it can. It must record exactly the moves, and
// make exactly the draws, of evaluating every decision by substituted copies.
#include "game/machine/play.h"
#include "game/random_trees.h"
#include "reference/substitution.h"
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

// Plays the population with each of the machine's ways of deciding, and by
// substituted copies: moves and draws must agree.
void expect_same_tournament(const Population& population, const Game_Rules& rules, int32_t seed, Test_History& fast,
                            Test_History& reference, int64_t max_table_sets = MAX_QUERY_SETS) {
  auto pop = static_cast<int32_t>(population.formulae.size());
  seed_random(seed);
  play_rounds_by_substitution(reference.data(), population.formulae.data(), pop, rules);
  int32_t reference_next = draw_random();
  std::string formulae;
  for (const Formula* formula : population.formulae) formulae += format_Formula(formula) + "\n";
  for (Evaluation_Choice choice : {CHOOSE_BY_COST, ALWAYS_TABLES, ALWAYS_LOOPS, ALWAYS_GIVE_UP}) {
    // Moves of an earlier tournament must not survive.
    for (int32_t time = 0; time < HISTORY_TIMES; time += 7) add_action(fast.data(), time % 5, 5 + time % 7, time, time % 2);
    seed_random(seed);
    play_rounds_choosing(fast.data(), population.formulae.data(), pop, rules, Machine_Settings{choice, max_table_sets});
    ASSERT_TRUE(same_history(fast.data(), reference.data()))
        << "choice " << int{choice} << " pop " << pop << " rounds " << rules.rounds << " noise " << rules.noise
        << " continuation " << rules.continuation << "\n"
        << formulae;
    ASSERT_EQ(draw_random(), reference_next) << "choice " << int{choice} << "\n" << formulae;
  }
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

// Queries with several quantifiers, some of them too large for the budget
// given, so that the loops give their subformulae as queries the values of
// their variables.
TEST(TournamentDifferential, NestedQuantifiersAsTablesAndLoops) {
  Tree_Maker maker{std::mt19937(81)};
  Test_History fast, reference;
  for (int trial = 0; trial < 150; ++trial) {
    maker.chance = trial % 4 == 0;
    auto pop = static_cast<int32_t>(3 + maker.pick(5));
    Population population;
    for (int32_t i = 0; i < pop; ++i) {
      maker.quantifiers_left = 4;
      population.trees.emplace_back(maker.make(3 + maker.pick(4)));
      population.formulae.push_back(population.trees.back().get());
    }
    int64_t max_table_sets = trial % 3 == 0 ? 4 : MAX_QUERY_SETS;
    expect_same_tournament(population, Game_Rules{2 + maker.pick(9), 0.0}, trial, fast, reference, max_table_sets);
    if (testing::Test::HasFatalFailure()) return;
  }
}

// Any byte is an agent or quantifier letter, and its code can be a player's
// number: NUL is player 0, 0x01 player 1, form feed player 12. A NaN
// probability is never true but still draws, and equal formulae share one
// program: Rnan and R-nan are one formula.
TEST(TournamentDifferential, ByteLettersAndNotANumber) {
  const std::string texts[] = {
      "Rnan",           "R-nan|Dcrp",         "E\xe9" "D\xe9" "cp", std::string("A\0D\0cp", 7),
      "D\x01\x0cp",     "Dcrp&R0.5",          "E\x01" "D\x01" "cp&Rnan", std::string("E\0A\0D\0rp", 9),
      "D\x0c\x01p|Rnan", "A'\xe9" "D\x01" "r\xe9" "-1"};
  std::vector<Tree> trees;
  for (const std::string& text : texts) trees.push_back(parse(text));
  Test_History fast, reference;
  for (int32_t pop = 2; pop <= 14; ++pop) {
    Population population;
    for (int32_t player = 0; player < pop; ++player)
      population.formulae.push_back(trees[static_cast<size_t>(player) % trees.size()].get());
    expect_same_tournament(population, Game_Rules{12, 0.0}, pop, fast, reference);
    if (testing::Test::HasFatalFailure()) return;
  }
}

// Players that share a quantifier over another player whose body does not
// depend on the deciding player: its counts of witnesses are kept for the
// round and serve each player, whose own place in the range is taken out.
TEST(TournamentDifferential, SharedAgentQuantifiersCountWitnesses) {
  const char* texts[] = {"E'sEd(Ddcs&Dcds-1)", "Ad(Ddcp|~Dcdp)", "Ed(Ddcp&Dcdp)", "A'sAd(Ddcs|Dcds)",
                         "Ee(Dcep&Ad(Ddep|Dedp))", "E'sEd(Ddc0&~Dcds)", "Ad(Ddcp)|E'tEd(Dcdt&Ddct)", "Ed(Ddcp&Dcrp)"};
  std::vector<Tree> trees;
  for (const char* text : texts) trees.push_back(parse(text));
  Tree_Maker maker{std::mt19937(82)};
  Test_History fast, reference;
  for (int trial = 0; trial < 60; ++trial) {
    auto pop = static_cast<int32_t>(2 + maker.pick(trial % 6 == 0 ? 99 : 12));
    Population population;
    for (int32_t player = 0; player < pop; ++player) {
      // Every third formula is random; the others are the shapes above.
      if (player % 3 == 2) {
        maker.quantifiers_left = 2;
        population.trees.emplace_back(maker.make(3));
        population.formulae.push_back(population.trees.back().get());
      } else {
        population.formulae.push_back(trees[static_cast<size_t>(player + trial) % trees.size()].get());
      }
    }
    expect_same_tournament(population, Game_Rules{1 + maker.pick(20), 0.0}, trial, fast, reference);
    if (testing::Test::HasFatalFailure()) return;
  }
}

// Tournaments of drawn length: the continuation draw after each round
// comes after every decision's and noise draw of the round.
TEST(TournamentDifferential, ContinuationDrawsAfterEachRound) {
  Tree_Maker maker{std::mt19937(83)};
  Test_History fast, reference;
  const double continuations[] = {0.0, 0.5, 0.8, 1.0};
  for (int trial = 0; trial < 300; ++trial) {
    maker.chance = trial % 3 != 0;
    maker.own_moves = trial % 4 == 0;
    auto pop = static_cast<int32_t>(1 + maker.pick(7));
    Population population = make_population(maker, pop, 4);
    Game_Rules rules{1 + maker.pick(15), trial % 2 ? 0.1 : 0.0, continuations[trial % 4]};
    expect_same_tournament(population, rules, trial, fast, reference);
    if (testing::Test::HasFatalFailure()) return;
  }
}
