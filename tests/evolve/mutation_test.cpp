#include "evolve/mutation.h"

#include <limits>

#include "evolve/evolve_support.h"

namespace {
void mutate(Formula* formula) { mutate_an_atom(formula, fresh_agents(), fresh_times()); }
}  // namespace

TEST(Mutation, ChangesOneFieldOfAnAtom) {
  seed_random(8);
  int changed_fields[4] = {};
  for (int i = 0; i < 400; ++i) {
    Tree atom = parse("Drcp-1");
    mutate(atom.get());
    int changes = (atom->player1 != ROW) + (atom->player2 != COLUMN) + (atom->time != PREV_TIME) +
                  (atom->time_mod != -1);
    EXPECT_LE(changes, 1);
    EXPECT_TRUE(atom->player1 == ROW || atom->player1 == COLUMN);
    EXPECT_TRUE(atom->player2 == ROW || atom->player2 == COLUMN);
    EXPECT_EQ(atom->time, PREV_TIME);
    EXPECT_TRUE(atom->time_mod >= -2 && atom->time_mod <= 0);
    if (atom->player1 != ROW) ++changed_fields[0];
    if (atom->player2 != COLUMN) ++changed_fields[1];
    if (atom->time_mod == -2) ++changed_fields[2];
    if (atom->time_mod == 0) ++changed_fields[3];
  }
  for (int count : changed_fields) EXPECT_GT(count, 20);
}

TEST(Mutation, DrawsFromTheScopeAtTheAtom) {
  seed_random(9);
  for (int i = 0; i < 300; ++i) {
    Tree tree = parse("Ed(A's(Drcp&Dcrp))");
    mutate(tree.get());
    EXPECT_EQ(tree->variable, 'd');
    EXPECT_EQ(tree->left->variable, 's');
    for (const Formula* atom : {tree->left->left->left, tree->left->left->right}) {
      EXPECT_TRUE(atom->player1 == ROW || atom->player1 == COLUMN || atom->player1 == 'd');
      EXPECT_TRUE(atom->time == PREV_TIME || atom->time == 's');
    }
  }
}

TEST(Mutation, DrawOrderAlongThePath) {
  // One draw at the AND, one for the location, one for the new value.
  for (int32_t seed = 1; seed < 60; ++seed) {
    Draw_Predictor predict(seed);
    bool left = predict.next() % 2 == 1;
    int location = predict.next() % 4 + 1;
    int32_t value = predict.next();
    seed_random(seed);
    Tree tree = parse("~Drcp&Ax(Dcrp)");
    mutate(tree.get());
    const Formula* atom = left ? tree->left->left : tree->right->left;
    agent new_agent = value % (left ? 2 : 3) == 0 ? ROW : value % (left ? 2 : 3) == 1 ? COLUMN : 'x';
    switch (location) {
      case 1: EXPECT_EQ(atom->player1, new_agent); break;
      case 2: EXPECT_EQ(atom->player2, new_agent); break;
      case 3: EXPECT_EQ(atom->time, PREV_TIME); break;
      case 4: EXPECT_EQ(atom->time_mod, value % 2 ? 1 : -1); break;
    }
    EXPECT_EQ(draw_random(), predict.next());
  }
}

TEST(Mutation, ChanceAtomsStayAndOffsetsSaturate) {
  Tree chance = parse("~R0.5");
  uint64_t before = draws_made();
  mutate(chance.get());
  EXPECT_EQ(draws_made(), before);
  EXPECT_EQ(chance->left->chance, 0.5);

  Tree atom = parse("Drcp2147483647");
  for (int i = 0; i < 200; ++i) mutate(atom.get());
  EXPECT_GT(atom->time_mod, 0);  // never wrapped around
  Tree low = parse("Drc-2147483648");
  for (int i = 0; i < 200; ++i) mutate(low.get());
  EXPECT_LT(low->time_mod, 0);

  Tree bad = parse("~Drcp");
  bad->left->type = static_cast<Node_Kind>(0);
  EXPECT_EQ(fatal_message([&] { mutate(bad.get()); }), "Invalid contructor in formula (found during mutation)");
}

TEST(Mutation, WalksVeryDeepTrees) {
  // Quantifiers all the way down: the path's scope grows with the depth.
  std::string quantifiers;
  for (int i = 0; i < 100000; ++i) quantifiers += "Ex";
  Tree tree = parse(std::string(300000, '~') + quantifiers + "Dzcp");
  seed_random(seed_where([](int32_t d) { return d % 4 == 0; }));  // "z" gives way to a letter in scope
  mutate(tree.get());
  const Formula* atom = tree.get();
  while (atom->left) atom = atom->left;
  EXPECT_TRUE(atom->player1 == ROW || atom->player1 == COLUMN || atom->player1 == 'x');
}
