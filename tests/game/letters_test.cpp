// The one resolution of letters.
#include "game/letters.h"

#include "test_support.h"

namespace {

Formula quantifier(Node_Kind kind, int32_t letter) {
  Formula q{};
  q.type = kind;
  q.variable = letter;
  return q;
}

}  // namespace

TEST(Letters, CodesAndConstants) {
  Letter_Bindings none;
  EXPECT_EQ(agent_term(none, ROW).kind, TERM_ROW);
  EXPECT_EQ(agent_term(none, COLUMN).kind, TERM_COLUMN);
  EXPECT_EQ(time_term(none, PREV_TIME).kind, TERM_PREV);
  Term unbound = agent_term(none, 'x');
  EXPECT_TRUE(same_term(unbound, Term{TERM_CONSTANT, 'x'})) << "a letter nothing binds stands for its code";
  EXPECT_TRUE(same_term(time_term(none, 0), Term{TERM_CONSTANT, 0}));
}

TEST(Letters, TheOutermostQuantifierOfAFamilyBinds) {
  Letter_Bindings bindings;
  Formula outer = quantifier(FORALL_AGENT, 'd'), inner = quantifier(EXISTS_AGENT, 'd');
  Formula time = quantifier(EXISTS_TIME, 'd'), wide = quantifier(FORALL_AGENT, 300);
  EXPECT_TRUE(enter_quantifier(bindings, &outer, 1));
  EXPECT_FALSE(binds_its_letter(bindings, &inner));
  EXPECT_FALSE(enter_quantifier(bindings, &inner, 2)) << "an inner quantifier on the same letter binds nothing";
  EXPECT_TRUE(enter_quantifier(bindings, &time, 3)) << "the families are apart";
  EXPECT_TRUE(enter_quantifier(bindings, &wide, 4));
  EXPECT_TRUE(same_term(agent_term(bindings, 'd'), Term{TERM_BOUND, 1}));
  EXPECT_TRUE(same_term(time_term(bindings, 'd'), Term{TERM_BOUND, 3}));
  EXPECT_TRUE(same_term(agent_term(bindings, 300), Term{TERM_BOUND, 4}));
  EXPECT_EQ(agent_term(bindings, 300 - 256).kind, TERM_CONSTANT) << "no letter past a byte aliases another";
  leave_quantifier(bindings, &wide);
  leave_quantifier(bindings, &time);
  leave_quantifier(bindings, &outer);
  EXPECT_EQ(agent_term(bindings, 'd').kind, TERM_CONSTANT);
  EXPECT_EQ(agent_term(bindings, 300).kind, TERM_CONSTANT);
  EXPECT_EQ(time_term(bindings, 'd').kind, TERM_CONSTANT);
}
