// The bundled strategy library: every strategy makes the moves it must,
// round by round, against always-defect, always-cooperate and tit for tat.
#include <fstream>
#include <sstream>

#include "game/tournament.h"
#include "test_support.h"

namespace {

Tree load(const std::string& name) {
  std::ifstream file(std::string(STRATEGIES_DIR) + "/" + name + ".txt");
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_FALSE(text.str().empty()) << name;
  return parse(strip_white_space(text.str()));
}

// The moves of each player against the next one, as C and D, over ROUNDS rounds.
std::vector<std::string> moves(const std::vector<std::string>& names, int32_t seed = 1) {
  std::vector<Tree> trees;
  std::vector<Formula*> formulae;
  for (const std::string& name : names) {
    trees.push_back(load(name));
    formulae.push_back(trees.back().get());
  }
  auto pop = static_cast<int32_t>(formulae.size());
  Test_History history;
  seed_random(seed);
  testing::internal::CaptureStdout();
  simulate(history.data(), formulae.data(), pop);
  testing::internal::GetCapturedStdout();
  std::vector<std::string> played(formulae.size());
  for (int32_t player = 0; player < pop; ++player)
    for (int32_t time = 0; time < ROUNDS; ++time)
      played[player] += get_action(history.data(), player, (player + 1) % pop, time) ? 'D' : 'C';
  return played;
}

std::string repeat(const std::string& pattern, size_t length = ROUNDS) {
  std::string out;
  while (out.size() < length) out += pattern;
  return out.substr(0, length);
}

const std::string ALL_C = repeat("C");
const std::string ALL_D = repeat("D");
const std::string FIRST_C_THEN_D = "C" + repeat("D", ROUNDS - 1);

struct Expected {
  const char* strategy;
  std::string against_defector, against_cooperator, against_tit_for_tat;
};

}  // namespace

TEST(Strategies, MovesAgainstTheThreeTestOpponents) {
  const Expected expected[] = {
      {"always_cooperate", ALL_C, ALL_C, ALL_C},
      {"always_defect", ALL_D, ALL_D, ALL_D},
      {"tit_for_tat", FIRST_C_THEN_D, ALL_C, ALL_C},
      {"grudger", FIRST_C_THEN_D, ALL_C, ALL_C},
      {"tit_for_two_tats", "CC" + repeat("D", ROUNDS - 2), ALL_C, ALL_C},
      {"two_tits_for_tat", FIRST_C_THEN_D, ALL_C, ALL_C},
      {"alternator", repeat("CD"), repeat("CD"), repeat("CD")},
      {"win_stay_lose_shift", repeat("CD"), ALL_C, ALL_C},
      {"hard_tit_for_tat", FIRST_C_THEN_D, ALL_C, ALL_C},
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(moves({e.strategy, "always_defect"})[0], e.against_defector) << e.strategy;
    EXPECT_EQ(moves({e.strategy, "always_cooperate"})[0], e.against_cooperator) << e.strategy;
    EXPECT_EQ(moves({e.strategy, "tit_for_tat"})[0], e.against_tit_for_tat) << e.strategy;
  }
}

// Opponents that react show the difference between the forgiving and the
// unforgiving strategies.
TEST(Strategies, MovesAgainstReactiveOpponents) {
  // Tit for tat echoes the alternator one round late.
  EXPECT_EQ(moves({"tit_for_tat", "alternator"})[0], "C" + repeat("CD", ROUNDS - 1));
  // The grudger never forgives one defection; tit for tat and the hard
  // version forgive after one and three quiet rounds.
  EXPECT_EQ(moves({"grudger", "alternator"})[0], "CC" + repeat("D", ROUNDS - 2));
  EXPECT_EQ(moves({"hard_tit_for_tat", "alternator"})[0], "CC" + repeat("D", ROUNDS - 2));
  EXPECT_EQ(moves({"tit_for_two_tats", "alternator"})[0], ALL_C);
  EXPECT_EQ(moves({"two_tits_for_tat", "alternator"})[0], "CC" + repeat("D", ROUNDS - 2));
  // Win-stay-lose-shift against the alternator: it shifts after each loss.
  EXPECT_EQ(moves({"win_stay_lose_shift", "alternator"})[0], "CCDDCCDD" + repeat("CCDD").substr(0, ROUNDS - 8));
}

TEST(Strategies, PunisherDefectsAgainstWhoeverDefectedAgainstAnyone) {
  // Players: punisher, tit for tat, always defect. Tit for tat defects
  // against always-defect from round 1, so the punisher turns on it in round 2.
  std::vector<std::string> played = moves({"punisher", "tit_for_tat", "always_defect"});
  EXPECT_EQ(played[0], "CC" + repeat("D", ROUNDS - 2));
}

TEST(Strategies, ChanceStrategiesDependOnTheSeed) {
  std::string random = moves({"random", "always_cooperate"}, 5)[0];
  auto defections = std::count(random.begin(), random.end(), 'D');
  EXPECT_GT(defections, 10);
  EXPECT_LT(defections, 40);
  EXPECT_EQ(moves({"random", "always_cooperate"}, 5)[0], random);
  EXPECT_NE(moves({"random", "always_cooperate"}, 6)[0], random);
  // Generous tit for tat forgives about one defection in ten.
  std::string generous = moves({"generous_tit_for_tat", "always_defect"}, 5)[0];
  EXPECT_EQ(generous[0], 'C');
  EXPECT_GT(std::count(generous.begin(), generous.end(), 'D'), 35);
  EXPECT_EQ(moves({"generous_tit_for_tat", "always_cooperate"}, 5)[0], ALL_C);
}
