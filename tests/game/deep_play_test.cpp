// Formulae far deeper than any call stack, played and bred.
#include <vector>

#include "evolve/breeding.h"
#include "game/tournament.h"
#include "test_support.h"

namespace {

constexpr int DEPTH = 200000;

std::string repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// Texts as deep as the reader takes that all mean tit for tat (Dcrp) in a
// population of three.
std::vector<std::string> deep_tit_for_tats() {
  std::string flat_and = "Dcrp" + repeated("&Dcrp", DEPTH - 1);
  std::string flat_or = "Dcrp" + repeated("|Dcrp", DEPTH - 1);
  return {repeated("~", DEPTH) + "Dcrp",
          flat_and,
          flat_or,
          repeated("(", DEPTH) + "Dcrp" + repeated(")", DEPTH),
          repeated("Dcrp&(", DEPTH / 2) + "Dcrp" + repeated(")", DEPTH / 2),
          repeated("A's", DEPTH) + "Dcrp",
          repeated("Ed", DEPTH) + "Dcrp"};
}

std::vector<Result> play_against_the_library(const std::string& text) {
  Formula* formulae[MAX_POP] = {parse(text).release(), parse("Dcrp|~Dcrp").release(), parse("R0.5").release()};
  Test_History history;
  std::vector<Result> results(MAX_POP);
  seed_random(99);
  play_rounds(history.data(), formulae, 3, Game_Rules{});
  get_Results(history.data(), results.data(), 3);
  for (int player = 0; player < 3; ++player) free_Formula(formulae[player]);
  return results;
}

}  // namespace

TEST(DeepPlay, DeepFormulaePlayLikeTheirShallowForm) {
  std::vector<Result> shallow = play_against_the_library("Dcrp");
  for (const std::string& text : deep_tit_for_tats()) {
    std::vector<Result> deep = play_against_the_library(text);
    for (int player = 0; player < 3; ++player) {
      EXPECT_EQ(deep[player].score, shallow[player].score) << text.substr(0, 12) << " player " << player;
      EXPECT_EQ(deep[player].t, shallow[player].t) << text.substr(0, 12) << " player " << player;
    }
  }
}

TEST(DeepPlay, DeepPopulationBreedsAndPlays) {
  std::vector<std::string> texts = deep_tit_for_tats();
  // Not the chain of agent quantifiers on one letter: repair reports every
  // level's clash with the whole scope above it, output quadratic in depth.
  texts.pop_back();
  Formula* formulae[MAX_POP] = {};
  for (size_t player = 0; player < texts.size(); ++player) formulae[player] = parse(texts[player]).release();
  const auto pop = static_cast<int32_t>(texts.size());
  Test_History history;
  Result results[MAX_POP];
  seed_random(5);
  testing::internal::CaptureStdout();
  for (int generation = 0; generation < 3; ++generation) {
    play_rounds(history.data(), formulae, pop, Game_Rules{5});
    get_Results(history.data(), results, pop);
    update_Formulae(results, formulae, pop);
  }
  testing::internal::GetCapturedStdout();
  for (int32_t player = 0; player < pop; ++player) free_Formula(formulae[player]);
}
