// Play keys: shared by formulae that differ only in the letters they bind
// and in the order of operands that draw nothing, and then they play alike.
#include "behaviour/play_key.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "behaviour/fingerprint.h"
#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "test_support.h"

namespace {

std::string key(const std::string& text) { return play_key(parse(text).get()); }

TEST(PlayKey, IgnoresBoundLettersAndTheOrderOfWhatDrawsNothing) {
  EXPECT_EQ(key("E'zDcrz"), key("E'xDcrx"));
  EXPECT_EQ(key("Ej(~Djcp)"), key("Ei(~Dicp)"));
  EXPECT_EQ(key("Drcp|Dcrp"), key("Dcrp|Drcp"));
  EXPECT_EQ(key("(Dcrp|Drcp-2)|Dcrp-1"), key("Dcrp-1|(Drcp-2|Dcrp)"));
  EXPECT_EQ(key("AxEy(Dxyp&Dycp)"), key("AyEx(Dxcp&Dyxp)"));
  // A quantifier on a letter bound above binds nothing: its body alone.
  EXPECT_EQ(key("Ax(Dxcp&AxDxrp)"), key("Ax(Dxcp&Dxrp)"));
}

TEST(PlayKey, KeepsWhatDecidesPlay) {
  EXPECT_NE(key("AxEyDxyp"), key("AxEyDyxp"));
  EXPECT_NE(key("AxDxcp"), key("ExDxcp"));
  EXPECT_NE(key("A'sDcrs"), key("AsDcrs"));  // a time letter, or an agent letter nothing binds
  EXPECT_NE(key("Dcrp-1"), key("Dcrp-2"));
  EXPECT_NE(key("Dcrp&Drcp"), key("Dcrp|Drcp"));
  EXPECT_NE(key("R0.5"), key("R0.25"));
  // Where operands draw, the order decides which draws are made.
  EXPECT_NE(key("R0.5&Dcrp"), key("Dcrp&R0.5"));
  EXPECT_EQ(key("R0.5&(Dcrp|Drcp)"), key("R0.5&(Drcp|Dcrp)"));
}

// The formula with its quantifiers' letters moved along the alphabet (the
// grown formulae name no letter nothing binds) and each connective's
// operands swapped at random.
Formula* disguised(const Formula* formula, std::mt19937& coin) {
  Formula* copy = copy_Formula(formula);
  std::vector<Formula*> pending{copy};
  // The letters grown formulae bind: agents d to o, times s to {.
  auto moved = [](int32_t letter) { return letter >= 'd' && letter <= 'o' ? 'd' + (letter - 'd' + 5) % 12 : letter; };
  auto moved_time = [](int32_t letter) {
    return letter >= 's' && letter <= '{' ? 's' + (letter - 's' + 4) % 9 : letter;
  };
  while (!pending.empty()) {
    Formula* node = pending.back();
    pending.pop_back();
    if (!node) continue;
    if (is_quantifier(node->type))
      node->variable = is_time_quantifier(node->type) ? moved_time(node->variable) : moved(node->variable);
    if (node->type == DEFECTED) {
      node->player1 = node->player1 >= 0 ? moved(node->player1) : node->player1;
      node->player2 = node->player2 >= 0 ? moved(node->player2) : node->player2;
      node->time = node->time >= 0 ? moved_time(node->time) : node->time;
    }
    if (is_binary(node->type) && coin() % 2) std::swap(node->left, node->right);
    pending.push_back(node->left);
    pending.push_back(node->right);
  }
  return copy;
}

TEST(PlayKey, FormulaeSharingOnePlayAlike) {
  seed_random(808);
  std::vector<Formula*> grown(200, nullptr);
  init_random_Formulae(grown.data(), static_cast<int32_t>(grown.size()));
  std::mt19937 coin(3);
  int32_t renamed = 0;
  for (Formula* formula : grown) {
    const Tree other(disguised(formula, coin));
    renamed += format_Formula(formula) != format_Formula(other.get());
    EXPECT_EQ(play_key(formula), play_key(other.get())) << format_Formula(formula) << "\n"
                                                        << format_Formula(other.get());
    EXPECT_EQ(fingerprint_Formula(formula, 20), fingerprint_Formula(other.get(), 20)) << format_Formula(formula);
    free_Formula(formula);
  }
  EXPECT_GT(renamed, 50);  // the others are atoms and the like
}

}  // namespace
