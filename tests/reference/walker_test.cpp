#include <cmath>

#include "reference/walker.h"

#include "game/random_trees.h"
#include "reference/substitution.h"
#include "test_support.h"

namespace {

int eval(Test_History& history, const std::string& text, int32_t pop, agent row, agent column, int32_t prev_time) {
  return evaluate(history.data(), parse(text).get(), pop, row, column, prev_time);
}

// Evaluates both ways from the same seed: answers and draws must agree.
void expect_same_evaluation(const History& history, const Formula* formula, int32_t pop, agent row, agent column,
                            int32_t prev_time, int32_t seed) {
  seed_random(seed);
  uint64_t before = draws_made();
  int direct = evaluate(history, formula, pop, row, column, prev_time);
  uint64_t direct_draws = draws_made() - before;
  int32_t direct_next = draw_random();
  seed_random(seed);
  before = draws_made();
  int copied = evaluate_by_substitution(history, formula, pop, row, column, prev_time);
  uint64_t copied_draws = draws_made() - before;
  ASSERT_EQ(direct, copied) << format_Formula(formula) << " pop " << pop << " row " << row << " column "
                            << column << " prev_time " << prev_time;
  ASSERT_EQ(direct_draws, copied_draws) << format_Formula(formula);
  ASSERT_EQ(direct_next, draw_random());
}

}  // namespace

TEST(Evaluate, AgentQuantifiersRangeOverTheOtherPlayers) {
  Test_History history;
  // With two players there is no candidate: the body is never looked at.
  uint64_t before = draws_made();
  EXPECT_EQ(eval(history, "AdR0", 2, 0, 1, 5), 1);
  EXPECT_EQ(eval(history, "EdR1", 2, 0, 1, 5), 0);
  EXPECT_EQ(draws_made(), before);
  // With three players the only candidate is the third.
  add_action(history.data(), 2, 1, 0, COOPERATE);
  EXPECT_EQ(eval(history, "EdDdcp", 3, 0, 1, 0), 0);
  EXPECT_EQ(eval(history, "EdDdcp", 3, 1, 0, 0), 1);  // player 2 against 0 is unrecorded
}

TEST(Evaluate, TimeQuantifiersLookBeforeTheRoundJustPlayed) {
  Test_History history;
  EXPECT_EQ(eval(history, "Drcp", 2, 0, 1, -1), 0);  // round 0 looks at time -1
  add_action(history.data(), 0, 1, 0, DEFECT);
  EXPECT_EQ(eval(history, "E'sDrcs", 2, 0, 1, 0), 0);  // once, at time -1
  EXPECT_EQ(eval(history, "A'sDrcs", 2, 0, 1, 0), 0);
  for (int32_t time = 1; time <= 2; ++time) add_action(history.data(), 0, 1, time, DEFECT);
  add_action(history.data(), 0, 1, 3, COOPERATE);
  EXPECT_EQ(eval(history, "A'sDrcs", 2, 0, 1, 3), 1);  // times 0, 1 and 2
  EXPECT_EQ(eval(history, "E's(~Drcs)", 2, 0, 1, 3), 0);  // time 3 is not looked at
  EXPECT_EQ(eval(history, "E'sDrcs-1", 2, 0, 1, 0), 0);
}

TEST(Evaluate, CurrentRoundSeesOnlyWhatIsRecorded) {
  Test_History history;
  add_action(history.data(), 1, 0, 4, COOPERATE);
  EXPECT_EQ(eval(history, "Dcrp1", 3, 0, 1, 3), 0);  // recorded this round
  EXPECT_EQ(eval(history, "Dcrp1", 3, 0, 2, 3), 1);  // not yet decided
  EXPECT_EQ(eval(history, "Drc4", 3, 1, 0, 3), 0);   // a concrete time
  EXPECT_EQ(eval(history, "Drcp2147483647", 3, 1, 0, 49), 1);  // far beyond the table
}


TEST(Evaluate, ShortCircuitSkipsDraws) {
  Test_History history;
  uint64_t before = draws_made();
  EXPECT_EQ(eval(history, "Drcp&R1", 2, 0, 1, -1), 0);
  EXPECT_EQ(eval(history, "~Drcp|R1", 2, 0, 1, -1), 1);
  EXPECT_EQ(draws_made(), before);
  eval(history, "Drcp|R1", 2, 0, 1, -1);
  EXPECT_EQ(draws_made(), before + 1);
  EXPECT_EQ(eval(history, "Drcp|Rnan", 2, 0, 1, -1), 0);  // never true, and still one draw
  EXPECT_EQ(draws_made(), before + 2);
  // A CHANCE atom inside a quantifier draws once each time it is reached.
  eval(history, "A'sR2", 2, 0, 1, 10);
  EXPECT_EQ(draws_made(), before + 12);
}

TEST(Evaluate, InnerQuantifierOnTheSameLetterBindsNothing) {
  Test_History history;
  std::mt19937 rng(9);
  for (int time = 0; time < 49; ++time)
    for (agent player = 0; player < 5; ++player)
      for (agent opponent = 0; opponent < 5; ++opponent)
        if (player != opponent) add_action(history.data(), player, opponent, time, static_cast<int32_t>(rng() % 2));
  for (agent row = 0; row < 5; ++row)
    for (int32_t prev = -1; prev < 49; prev += 7) {
      agent column = (row + 1) % 5;
      EXPECT_EQ(eval(history, "Ad(EdDdcp)", 5, row, column, prev), eval(history, "AdDdcp", 5, row, column, prev));
      EXPECT_EQ(eval(history, "E's(A'sDrcs)", 5, row, column, prev), eval(history, "E'sDrcs", 5, row, column, prev));
    }
}

TEST(Evaluate, PlayerIndicesAreNeverTakenForLetters) {
  // Player 98 has the code of the letter b: the inner quantifier on b must
  // not capture the player that the outer one substituted for a.
  Test_History history;
  for (agent opponent = 0; opponent < 100; ++opponent)
    if (opponent != 98) add_action(history.data(), 98, opponent, 0, DEFECT);
  const char* text = "Ea(EbDabp)";
  EXPECT_EQ(eval(history, text, 100, 0, 1, 0), 1);
  EXPECT_EQ(evaluate_by_substitution(history.data(), parse(text).get(), 100, 0, 1, 0), 1);
}

TEST(Evaluate, UnknownKindIsFatal) {
  Test_History history;
  Tree tree = parse("~Drcp");
  tree->left->type = static_cast<Node_Kind>(0);
  testing::internal::CaptureStderr();
  std::string message = fatal_message([&] { evaluate(history.data(), tree.get(), 2, 0, 1, 0); });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "0\n");
  EXPECT_EQ(message, "Invalid contructor in formula (while evaluating)");
  testing::internal::CaptureStderr();
  message = fatal_message([&] { evaluate_by_substitution(history.data(), tree.get(), 2, 0, 1, 0); });
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(message, "Invalid contructor in formula (while evaluating)");
  EXPECT_EQ(fatal_message([&] { Tree copy(substitute_agent(tree.get(), 'd', 3)); }),
            "strange formula type during substitution");
}

TEST(Substitution, ReplacesTheLetterAndDropsItsQuantifiers) {
  Tree tree = parse("Dddp&Ad(Ddcp|Ee(Dedp&E'dDcdd))");
  Tree agent_copy(substitute_agent(tree.get(), 'd', 7));
  const std::string seven(1, '\x07');
  EXPECT_EQ(format_Formula(agent_copy.get()),
            "(D" + seven + seven + "p&(D" + seven + "cp|(Ee(De" + seven + "p&(E'dDc" + seven + "d)))))");
  Tree time_copy(substitute_time(tree.get(), 'd', 3));
  // Times are concrete now; the time quantifier on d is gone, agents untouched.
  EXPECT_EQ(format_Formula(time_copy.get()), "(Dddp&(Ad(Ddcp|(Ee(Dedp&Dcd\x03)))))");
  EXPECT_EQ(time_copy->right->left->right->left->right->time, 3);
}

TEST(Evaluate, AgreesWithEvaluationBySubstitution) {
  Tree_Maker maker{std::mt19937(2024)};
  Test_History history;
  const int32_t pops[] = {2, 3, 4, 7, 99, 100};
  for (int round = 0; round < 4000; ++round) {
    if (round % 100 == 0) {
      // Random moves, a third of them not recorded.
      reset_history(history.data());
      for (int32_t time = 0; time < 60; ++time)
        for (agent a = 0; a < MAX_POP; ++a)
          for (agent b = 0; b < MAX_POP; ++b)
            if (a != b && maker.rng() % 3 != 0) add_action(history.data(), a, b, time, maker.rng() % 2);
    }
    maker.quantifiers_left = 2;
    Tree tree(maker.make(static_cast<int>(maker.rng() % 5)));
    int32_t pop = pops[maker.pick(6)];
    agent row = maker.pick(pop);
    agent column = (row + 1 + maker.pick(pop - 1)) % pop;
    int32_t prev_time = maker.pick(52) - 2;
    expect_same_evaluation(history.data(), tree.get(), pop, row, column, prev_time, round);
    if (testing::Test::HasFatalFailure()) return;
  }
}
