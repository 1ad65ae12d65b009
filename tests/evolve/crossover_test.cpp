#include "evolve/crossover.h"

#include <vector>

#include "evolve/evolve_support.h"
#include "evolve/random_formula.h"
#include "evolve/repair.h"
#include "game/history.h"

namespace {

std::vector<Result> scores(const std::vector<int32_t>& values) {
  std::vector<Result> results(MAX_POP);
  for (size_t i = 0; i < values.size(); ++i) results[i].score = values[i];
  return results;
}

}  // namespace

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

TEST(ChooseParent, SingleDrawModuloTotal) {
  std::vector<Result> results = scores({0, 3, 0, 5});
  for (int32_t seed = 1; seed < 100; ++seed) {
    int32_t draw = Draw_Predictor(seed).next() % 8;
    seed_random(seed);
    EXPECT_EQ(choose_parent(results.data(), 4), draw < 3 ? 1 : 3);
  }
}

TEST(ChooseParent, ZeroTotalChoosesUniformly) {
  std::vector<Result> results = scores({0});
  EXPECT_EQ(choose_parent(results.data(), 1), 0);
  results = scores({0, 0, 0});
  for (int32_t seed = 1; seed < 30; ++seed) {
    int32_t draw = Draw_Predictor(seed).next();
    seed_random(seed);
    EXPECT_EQ(choose_parent(results.data(), 3), draw % 3);
  }
}

// Totals beyond one draw's range: every player with a positive score is
// chosen with frequency close to its share.
TEST(ChooseParent, LargeTotalsStayProportional) {
  std::vector<int32_t> values(100);
  for (int32_t i = 0; i < 100; ++i) values[i] = i % 10 == 3 ? 0 : 500 + 97 * i;
  std::vector<Result> results = scores(values);
  int64_t total = 0;
  for (int32_t v : values) total += v;
  ASSERT_GT(total, 32768);
  seed_random(77);
  std::vector<int> chosen(100);
  const int trials = 400000;
  for (int i = 0; i < trials; ++i) ++chosen[choose_parent(results.data(), 100)];
  for (int32_t i = 0; i < 100; ++i) {
    double share = values[i] / double(total);
    EXPECT_NEAR(chosen[i] / double(trials), share, 4 * std::sqrt(share / trials) + 1e-9) << i;
  }
}

TEST(UpdateFormulae, BreedsFromTheOldPopulationAndRepairs) {
  Formula* formulae[MAX_POP] = {parse("Ed(Ddcp&Dcdp)").release(), parse("Drrp-2").release(),
                                parse("A's(Drcs|Dcrs)").release()};
  std::vector<Result> results = scores({10, 0, 20});
  testing::internal::CaptureStdout();
  update_Formulae(results.data(), formulae, 3);
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.substr(0, 18), "updating formulae\n");
  for (int i = 0; i < 3; ++i) {
    // Player 1 scored nothing: no child holds its atom, the only offset -2.
    EXPECT_EQ(format_Formula(formulae[i]).find("-2"), std::string::npos);
    EXPECT_TRUE(all_references_bound(formulae[i]));
    free_Formula(formulae[i]);
  }
}

// Many generations of random populations: after every breeding, every atom
// refers only to variables in scope.
TEST(UpdateFormulae, RepairKeepsEveryReferenceBound) {
  seed_random(12);
  Formula* formulae[MAX_POP] = {};
  const int32_t pop = 10;
  init_random_Formulae(formulae, pop);
  Test_History history;
  Result results[MAX_POP];
  testing::internal::CaptureStdout();
  for (int generation = 0; generation < 100; ++generation) {
    simulate(history.data(), formulae, pop);
    get_Results(history.data(), results, pop);
    update_Formulae(results, formulae, pop);
    for (int32_t i = 0; i < pop; ++i) ASSERT_TRUE(all_references_bound(formulae[i])) << generation;
  }
  testing::internal::GetCapturedStdout();
  for (int32_t i = 0; i < pop; ++i) free_Formula(formulae[i]);
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
