#include "formula/formula.h"

#include "formula/scope.h"
#include "test_support.h"

TEST(Formula, NewNodeHasTheDefaultFields) {
  Tree node(new_Formula(DEFECTED));
  EXPECT_EQ(node->type, DEFECTED);
  EXPECT_EQ(node->player1, NO_AGENT);
  EXPECT_EQ(node->player2, NO_AGENT);
  EXPECT_EQ(node->time, 0);
  EXPECT_EQ(node->time_mod, 0);
  EXPECT_EQ(node->chance, 0.0);
  EXPECT_EQ(node->left, nullptr);
  EXPECT_EQ(node->right, nullptr);
}

TEST(Formula, CopyIsDeepAndIndependent) {
  EXPECT_EQ(copy_Formula(nullptr), nullptr);
  free_Formula(nullptr);

  Tree source = parse("Ax(Dxcp-1&R0.25)|~E'tDrct2");
  Tree copy(copy_Formula(source.get()));
  EXPECT_TRUE(equal_Formula(source.get(), copy.get()));
  EXPECT_EQ(format_Formula(copy.get()), "((Ax(Dxcp-1&R0.250000))|(~(E'tDrct2)))");

  // Changing the source leaves the copy as it was, CHANCE included.
  source->left->left->right->chance = 0.75;
  source->left->left->left->time_mod = 9;
  EXPECT_FALSE(equal_Formula(source.get(), copy.get()));
  source.reset();
  EXPECT_EQ(format_Formula(copy.get()), "((Ax(Dxcp-1&R0.250000))|(~(E'tDrct2)))");
}

TEST(Formula, EqualityComparesShapeAndUsedFields) {
  EXPECT_TRUE(equal_Formula(parse("Drcp").get(), parse("Drcp0").get()));
  EXPECT_FALSE(equal_Formula(parse("Drcp").get(), parse("Drcp-1").get()));
  EXPECT_FALSE(equal_Formula(parse("AxDrcp").get(), parse("AyDrcp").get()));
  EXPECT_FALSE(equal_Formula(parse("Drcp&Dcrp").get(), parse("Drcp|Dcrp").get()));
  EXPECT_FALSE(equal_Formula(parse("Drcp").get(), nullptr));
  EXPECT_EQ(size_Formula(parse("(Drcp&Dcrp)|~Drcp").get()), 6);
  // Equal trees hash alike, whatever their unused fields hold.
  Tree a = parse("Ax(Dxcp-1&R0.25)"), b = parse("Ax(Dxcp-1&R0.25)");
  b->left->variable = 'q';
  EXPECT_EQ(hash_Formula(a.get()), hash_Formula(b.get()));
  EXPECT_NE(hash_Formula(a.get()), hash_Formula(parse("Ax(Dxcp-1&R0.5)").get()));
}

// Trees far deeper than any call stack could walk: copying, comparing,
// measuring and freeing work without recursion.
TEST(Formula, WalkersHandleVeryDeepTrees) {
  Formula* root = new_Formula(DEFECTED);
  for (int i = 0; i < 1000000; ++i) {
    Formula* node = new_Formula(i % 2 ? NOT : AND);
    node->left = root;
    if (node->type == AND) node->right = new_Formula(DEFECTED);
    root = node;
  }
  Tree tree(root);
  Tree copy(copy_Formula(tree.get()));
  EXPECT_TRUE(equal_Formula(tree.get(), copy.get()));
  EXPECT_EQ(size_Formula(copy.get()), 1500001);
}

TEST(FormulaList, LengthCountsCellsWithNullFormulae) {
  EXPECT_EQ(length_Formula_List(nullptr), 0);
  Tree atom = parse("Drcp");
  Formula_List* list = cons_Formula(nullptr, cons_Formula(atom.get(), cons_Formula(nullptr, nullptr)));
  EXPECT_EQ(length_Formula_List(list), 3);
  EXPECT_EQ(list->next->formula, atom.get());
  free_Formula_List(list);  // releases the cells, never the node
  EXPECT_EQ(format_Formula(atom.get()), "Drcp");
}

TEST(Scope, InitAddAndMembership) {
  Scope agents = "junk", times = "more junk";
  init_variables(agents, times);
  EXPECT_EQ(agents, "rc");
  EXPECT_EQ(times, "p");
  add_variable(agents, 'x');
  EXPECT_EQ(agents, "rcx");
  add_variable(agents, 0x100 + 'y');  // low 8 bits
  EXPECT_EQ(agents, "rcxy");
  add_variable(agents, 0);  // the terminator is never added
  EXPECT_EQ(agents, "rcxy");

  EXPECT_TRUE(scope_holds(agents, 'x'));
  EXPECT_FALSE(scope_holds(agents, 'z'));
  EXPECT_FALSE(scope_holds(agents, NO_AGENT));     // a code, not a letter
  EXPECT_FALSE(scope_holds(agents, 0x100 + 'x'));  // no value past a byte aliases a letter
}

TEST(Scope, HasNoCapacityLimit) {
  Scope agents, times;
  init_variables(agents, times);
  for (int i = 0; i < 300; ++i) add_variable(agents, 'd' + i % 12);
  EXPECT_EQ(agents.size(), 302u);
}
