#include "evolve/repair.h"

#include "evolve/evolve_support.h"

namespace {

// Repairs a tree read from text and returns it, with what repair printed.
std::pair<Tree, std::string> repaired(const std::string& text) {
  Tree tree = parse(text);
  testing::internal::CaptureStdout();
  fix_Formula(tree.get(), fresh_agents(), fresh_times());
  std::fflush(stdout);
  return {std::move(tree), testing::internal::GetCapturedStdout()};
}

}  // namespace

TEST(Repair, LeavesBoundTreesAlone) {
  for (const char* text : {"Drcp&~Dcrp-2", "Ad(Ddcp|E'sDrds)", "Drc5", "Ed(Dddp)", "A's(E'tDrct|Drcs)", "R0.5|Drcp"}) {
    auto [tree, printed] = repaired(text);
    EXPECT_TRUE(equal_Formula(tree.get(), parse(text).get())) << text;
    EXPECT_EQ(printed, "") << text;
  }
}

TEST(Repair, ReplacesUnboundPlayersFromTheAgentScope) {
  seed_random(1);
  bool seen_row_first = false, seen_column_first = false;
  for (int i = 0; i < 200; ++i) {
    Tree both = repaired("Dxyp").first;
    EXPECT_NE(both->player1, both->player2);
    EXPECT_TRUE(both->player1 == ROW || both->player1 == COLUMN);
    (both->player1 == ROW ? seen_row_first : seen_column_first) = true;

    EXPECT_EQ(repaired("Dxrp").first->player1, COLUMN);

    Tree under_d = repaired("Ed(Ddxp)").first;
    agent replaced = under_d->left->player2;
    EXPECT_TRUE(replaced == ROW || replaced == COLUMN) << replaced;

    // Letters bound only by a time quantifier are no agents.
    Tree time_bound = repaired("A'x(Dxcp)").first;
    EXPECT_TRUE(time_bound->left->player1 == ROW);

    Tree unset = parse("Drcp");
    unset->player1 = unset->player2 = NO_AGENT;
    fix_Formula(unset.get(), fresh_agents(), fresh_times());
    EXPECT_NE(unset->player1, unset->player2);
  }
  EXPECT_TRUE(seen_row_first && seen_column_first);
  EXPECT_EQ(repaired("Drrp").first->player1, ROW);  // nothing to repair, even if equal
}

TEST(Repair, ReplacesUnboundTimes) {
  seed_random(2);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(repaired("Drcx-1").first->time, PREV_TIME);
    EXPECT_EQ(repaired("Drcx-1").first->time_mod, -1);
    EXPECT_EQ(repaired("Drc7").first->time, 0);
    EXPECT_EQ(repaired("E'x(Drcx)").first->left->time, 'x');
    EXPECT_EQ(repaired("Ex(Drcx)").first->left->time, PREV_TIME);
    int32_t time = repaired("A's(Drcz)").first->left->time;
    EXPECT_TRUE(time == PREV_TIME || time == 's');
  }
}

TEST(Repair, ReportsAgentLettersBoundTwiceOnAPath) {
  EXPECT_EQ(repaired("Ed(Ddcp)&Ed(Dcdp)").second, "");
  EXPECT_EQ(repaired("A's(A'sDrcs)").second, "");
  auto [tree, printed] = repaired("Ed(Ad(Ddcp))");
  EXPECT_EQ(printed, "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX\n<rcd> <d>\n");
  EXPECT_EQ(repaired("Er(Drcp)").second, "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX\n<rc> <r>\n");
}

TEST(Repair, RightOperandDrawsFirst) {
  for (int32_t seed = 1; seed < 40; ++seed) {
    // Per atom: player1 in one draw, player2 redrawn until it differs, the
    // time in one draw from the scope "p". The right atom goes first.
    Draw_Predictor predict(seed);
    agent expected[2];
    for (agent& player1 : expected) {
      player1 = predict.next() % 2 ? COLUMN : ROW;
      while ((predict.next() % 2 ? COLUMN : ROW) == player1) {
      }
      predict.next();
    }
    seed_random(seed);
    Tree tree = repaired("Dxyq&Duvq").first;
    EXPECT_EQ(tree->right->player1, expected[0]);
    EXPECT_EQ(tree->left->player1, expected[1]);
    EXPECT_EQ(draw_random(), predict.next());
  }
}

TEST(Repair, UnknownKindIsFatal) {
  Tree tree = parse("~Drcp");
  tree->left->type = static_cast<Node_Kind>(12);
  EXPECT_EQ(fatal_message([&] { fix_Formula(tree.get(), fresh_agents(), fresh_times()); }),
            "weird type in 'fix formula'");
}

TEST(Repair, WorksOnVeryDeepTrees) {
  std::string text = std::string(300000, '~') + "Dxyp";
  Tree tree = parse(text);
  fix_Formula(tree.get(), fresh_agents(), fresh_times());
  EXPECT_TRUE(all_references_bound(tree.get()));
}
