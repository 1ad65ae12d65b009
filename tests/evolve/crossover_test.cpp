#include "evolve/crossover.h"

#include <vector>

#include "evolve/evolve_support.h"

TEST(Crossover, CandidatesAreInnerNodesInReversePreOrder) {
  Tree tree = parse("~Drcp&(Dcrp|Drcp)");
  Formula_List* list = flatten_Formula(tree.get(), nullptr);
  ASSERT_EQ(length_Formula_List(list), 3);
  EXPECT_EQ(list->formula, tree->right);              // the OR, visited last
  EXPECT_EQ(list->next->formula, tree->left);         // the NOT
  EXPECT_EQ(list->next->next->formula, tree.get());   // the root
  free_Formula_List(list);

  // The pick: 0 is the whole tree, 1 the OR, 2 the NOT, 3 the AND.
  Formula* expected[] = {nullptr, tree->right, tree->left, tree.get()};
  for (int32_t k = 0; k < 4; ++k) {
    seed_random(seed_where([k](int32_t d) { return d % 4 == k; }));
    EXPECT_EQ(choose_random_Formula(tree.get()), expected[k]) << k;
  }
  // An atom has only the whole-tree entry, and still spends a draw.
  Tree atom = parse("Drcp");
  uint64_t before = draws_made();
  EXPECT_EQ(choose_random_Formula(atom.get()), nullptr);
  EXPECT_EQ(draws_made(), before + 1);
}

TEST(Crossover, DrawsInTheOrderOfThePicks) {
  Tree parent1 = parse("Dccp&Drrp");
  Tree parent2 = parse("Dcrp|Drcp");
  int draw_counts[5] = {};
  for (int32_t seed = 1; seed < 200; ++seed) {
    Draw_Predictor predict(seed);
    int draws = 0;
    auto next = [&] { ++draws; return predict.next(); };
    // The donor in parent2, then the graft site in the copy of parent1.
    std::string donor = "(Dcrp|Drcp)";
    if (next() % 2 == 1) donor = next() % 2 == 1 ? "Drcp" : "Dcrp";
    std::string child = donor;
    if (next() % 2 == 1) child = next() % 2 == 1 ? "(Dccp&" + donor + ")" : "(" + donor + "&Drrp)";
    seed_random(seed);
    Tree made(cross_over(parent1.get(), parent2.get()));
    EXPECT_EQ(format_Formula(made.get()), child) << seed;
    ++draw_counts[draws];
    EXPECT_EQ(draw_random(), next());
  }
  EXPECT_GT(draw_counts[2] * draw_counts[3] * draw_counts[4], 0);  // 2, 3 and 4 draws all seen
  EXPECT_EQ(format_Formula(parent1.get()), "(Dccp&Drrp)");
  EXPECT_EQ(format_Formula(parent2.get()), "(Dcrp|Drcp)");
}

TEST(Crossover, AtomParents) {
  Tree atom = parse("Dcrp");
  Tree tree = parse("~Drcp");
  seed_random(3);
  Tree child(cross_over(atom.get(), tree.get()));
  std::string printed = format_Formula(child.get());
  EXPECT_TRUE(printed == "Drcp" || printed == "(~Drcp)") << printed;
  Tree child2(cross_over(tree.get(), atom.get()));
  printed = format_Formula(child2.get());
  EXPECT_TRUE(printed == "Dcrp" || printed == "(~Dcrp)") << printed;
}

TEST(Crossover, WorksOnVeryDeepTrees) {
  Tree deep = parse(std::string(300000, '~') + "Dcrp");
  Formula_List* list = flatten_Formula(deep.get(), nullptr);
  EXPECT_EQ(length_Formula_List(list), 300000);
  free_Formula_List(list);
  // Every child is a chain of "~" around Dcrp, at most twice as deep.
  seed_random(3);
  for (int i = 0; i < 10; ++i) {
    Tree child(cross_over(deep.get(), deep.get()));
    int64_t negations = size_Formula(child.get()) - 1;
    EXPECT_LE(negations, 600000);
    std::string chain;
    for (int64_t k = 0; k < negations; ++k) chain += "(~";
    EXPECT_EQ(format_Formula(child.get()), chain + "Dcrp" + std::string(negations, ')'));
  }
}
