#include "evolve/random_formula.h"

#include <map>

#include "evolve/evolve_support.h"

namespace {
Tree grow(const Scope& agents = fresh_agents(), const Scope& times = fresh_times()) {
  return Tree(random_Formula(agents, times));
}
}  // namespace

TEST(RandomFormula, AtomDrawsInOrder) {
  for (int32_t seed = 1; seed < 400; ++seed) {
    Draw_Predictor predict(seed);
    if (predict.next() % 30 < 16) continue;  // not an atom
    agent player1 = predict.next() % 2 ? COLUMN : ROW;
    agent player2 = player1;
    while (player2 == player1) player2 = predict.next() % 2 ? COLUMN : ROW;
    predict.next();  // the time: the scope p holds one letter
    int32_t time_mod = predict.next() % 3 - 2;
    seed_random(seed);
    Tree atom = grow();
    ASSERT_EQ(atom->type, DEFECTED);
    EXPECT_EQ(atom->player1, player1);
    EXPECT_EQ(atom->player2, player2);
    EXPECT_EQ(atom->time, PREV_TIME);
    EXPECT_EQ(atom->time_mod, time_mod);
    EXPECT_EQ(draw_random(), predict.next());  // nothing more was drawn
  }
}

TEST(RandomFormula, RightOperandIsGrownBeforeTheLeft) {
  int checked = 0;
  for (int32_t seed = 1; checked < 50; ++seed) {
    int32_t kind_draw = Draw_Predictor(seed).next() % 30;
    if (kind_draw > 7) continue;  // not AND or OR
    seed_random(seed);
    Tree tree = grow();
    seed_random(seed);
    draw_random();
    Tree right = grow();
    Tree left = grow();
    int32_t next = draw_random();
    ASSERT_EQ(tree->type, kind_draw <= 3 ? AND : OR);
    EXPECT_TRUE(equal_Formula(tree->right, right.get()));
    EXPECT_TRUE(equal_Formula(tree->left, left.get()));
    seed_random(seed);
    Tree again = grow();
    EXPECT_EQ(draw_random(), next);
    ++checked;
  }
}

TEST(RandomFormula, FullScopeKeepsTheFirstLetterDrawn) {
  Scope agents = "rcdefghijklmno";
  int32_t seed = seed_where([](int32_t d) { return d % 30 == 12; });  // FORALL_AGENT
  Draw_Predictor predict(seed);
  predict.next();
  int32_t letter = 'd' + predict.next() % 12;
  seed_random(seed);
  Tree tree = grow(agents);
  ASSERT_EQ(tree->type, FORALL_AGENT);
  EXPECT_EQ(tree->variable, letter);
  seed_random(seed);
  draw_random();
  draw_random();
  agents.push_back(static_cast<char>(letter));
  Tree body = grow(agents);
  EXPECT_TRUE(equal_Formula(tree->left, body.get()));
}

namespace {

// What 30,000 grown trees show: the kinds of their roots, the offsets of
// their atoms, and whether their letters and references keep the rules.
struct Grown_Statistics {
  std::map<int32_t, int> root_kinds;
  std::map<int32_t, int> offsets;
  bool letters_in_range = true, rebinding = false, chance = false, bound = true;
};

constexpr int GROWN_TREES = 30000;

void note_node(Grown_Statistics& stats, const Formula* node, const Scope& agents, const Scope& times) {
  if (node->type == CHANCE) stats.chance = true;
  if (node->type == DEFECTED) ++stats.offsets[node->time_mod];
  if (is_agent_quantifier(node->type)) {
    stats.letters_in_range = stats.letters_in_range && node->variable >= 'd' && node->variable <= 'o';
    if (agents.size() < 14) stats.rebinding = stats.rebinding || scope_holds(agents, node->variable);
  }
  if (is_time_quantifier(node->type)) {
    stats.letters_in_range = stats.letters_in_range && node->variable >= 's' && node->variable <= '{';
    if (times.size() < 10) stats.rebinding = stats.rebinding || scope_holds(times, node->variable);
  }
}

Grown_Statistics grow_many() {
  seed_random(5);
  Grown_Statistics stats;
  for (int i = 0; i < GROWN_TREES; ++i) {
    Tree tree = grow();
    ++stats.root_kinds[tree->type];
    stats.bound = stats.bound && all_references_bound(tree.get());
    walk_with_scopes(tree.get(), [&](const Formula* node, const Scope& agents, const Scope& times) {
      note_node(stats, node, agents, times);
    });
  }
  return stats;
}

}  // namespace

TEST(RandomFormula, StatisticsOverManyTrees) {
  Grown_Statistics stats = grow_many();
  const std::pair<int32_t, double> expected[] = {{AND, 4 / 30.0},         {OR, 4 / 30.0},
                                                 {NOT, 4 / 30.0},         {FORALL_AGENT, 1 / 30.0},
                                                 {EXISTS_AGENT, 1 / 30.0}, {FORALL_TIME, 1 / 30.0},
                                                 {EXISTS_TIME, 1 / 30.0},  {DEFECTED, 14 / 30.0}};
  for (auto [kind, share] : expected) EXPECT_NEAR(stats.root_kinds[kind] / double(GROWN_TREES), share, 0.01) << kind;
  int atoms = stats.offsets[-2] + stats.offsets[-1] + stats.offsets[0];
  EXPECT_EQ(stats.offsets.size(), 3u);
  for (int32_t offset : {-2, -1, 0}) EXPECT_NEAR(stats.offsets[offset] / double(atoms), 1 / 3.0, 0.01);
  EXPECT_TRUE(stats.letters_in_range);
  EXPECT_FALSE(stats.rebinding);
  EXPECT_FALSE(stats.chance);
  EXPECT_TRUE(stats.bound);
}

TEST(RandomFormula, AgentAndTimeDraws) {
  seed_random(3);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(random_agent("rc", ROW), COLUMN);
    EXPECT_EQ(random_time("p"), PREV_TIME);
    agent picked = random_agent("rce", NO_AGENT);
    EXPECT_TRUE(picked == ROW || picked == COLUMN || picked == 'e');
    EXPECT_NE(random_agent("rce", 'e'), 'e');
  }
  // With NO_AGENT exactly one draw is made.
  uint64_t before = draws_made();
  random_agent("rcdefg", NO_AGENT);
  EXPECT_EQ(draws_made(), before + 1);
}

TEST(RandomFormula, InitFillsEachSlotFromFreshScopes) {
  Formula* formulae[3] = {};
  uint64_t before = draws_made();
  init_random_Formulae(formulae, 0);
  EXPECT_EQ(draws_made(), before);
  EXPECT_EQ(formulae[0], nullptr);

  seed_random(11);
  init_random_Formulae(formulae, 3);
  seed_random(11);
  for (Formula* formula : formulae) {
    Tree expected = grow();
    EXPECT_TRUE(equal_Formula(formula, expected.get()));
    free_Formula(formula);
  }
}
