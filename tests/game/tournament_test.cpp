#include "game/tournament.h"

#include "evolve/random_formula.h"
#include "formula/scope.h"
#include "test_support.h"

namespace {

struct Played {
  std::vector<Result> results = std::vector<Result>(MAX_POP);
  std::string output;
};

Played play(Test_History& history, const std::vector<std::string>& texts) {
  std::vector<Formula*> formulae;
  for (const std::string& text : texts) formulae.push_back(parse(text).release());
  Played played;
  auto pop = static_cast<int32_t>(formulae.size());
  testing::internal::CaptureStdout();
  simulate(history.data(), formulae.data(), pop);
  get_Results(history.data(), played.results.data(), pop);
  print_Results(played.results.data(), pop);
  std::fflush(stdout);
  played.output = testing::internal::GetCapturedStdout();
  for (Formula* formula : formulae) free_Formula(formula);
  return played;
}

const char* const ALWAYS_DEFECT = "Drcp|~Drcp";
const char* const ALWAYS_COOPERATE = "Drcp&~Drcp";
const char* const DASHES = "---------------------------------------------------\n";
const char* const HEADER = "  player       t       r       p       s   score\n";

}  // namespace

TEST(Tournament, HandWorkedScores) {
  Test_History history;
  Played defectors = play(history, {ALWAYS_DEFECT, ALWAYS_DEFECT});
  EXPECT_EQ(defectors.results[0].p, 50);
  EXPECT_EQ(defectors.results[1].score, 50);

  Played cooperators = play(history, {ALWAYS_COOPERATE, ALWAYS_COOPERATE});
  EXPECT_EQ(cooperators.results[0].r, 50);
  EXPECT_EQ(cooperators.results[1].score, 150);

  Played mixed = play(history, {ALWAYS_DEFECT, ALWAYS_COOPERATE});
  EXPECT_EQ(mixed.results[0].t, 50);
  EXPECT_EQ(mixed.results[0].score, 250);
  EXPECT_EQ(mixed.results[1].s, 50);
  EXPECT_EQ(mixed.results[1].score, 0);
  EXPECT_EQ(mixed.output, std::string(">simulating\n") + DASHES + HEADER + DASHES +
                              "       0      50       0       0       0     250\n"
                              "       1       0       0       0      50       0\n" +
                              DASHES);
}

TEST(Tournament, EmptyAndLonePopulations) {
  Test_History history;
  EXPECT_EQ(play(history, {}).output, std::string(">simulating\n") + DASHES + HEADER + DASHES + DASHES);
  Played lone = play(history, {ALWAYS_DEFECT});
  EXPECT_EQ(rounds_recorded(history.data()), 0);  // nothing recorded
  EXPECT_EQ(lone.output, std::string(">simulating\n") + DASHES + HEADER + DASHES +
                             "       0       0       0       0       0       0\n" + DASHES);
}

TEST(Tournament, TitForTatCooperatesFirstAndCopies) {
  Test_History history;
  play(history, {"Dcrp", ALWAYS_DEFECT});
  EXPECT_EQ(get_action(history.data(), 0, 1, 0), 0);
  for (int32_t time = 1; time < ROUNDS; ++time) EXPECT_EQ(get_action(history.data(), 0, 1, time), 1);
}

TEST(Tournament, CurrentRoundShowsLowerNumberedOpponentsOnly) {
  Test_History history;
  // Each player copies what the opponent did against it in this very round.
  play(history, {ALWAYS_COOPERATE, "Dcrp1", "Dcrp1"});
  for (int32_t time = 0; time < ROUNDS; ++time) {
    EXPECT_EQ(get_action(history.data(), 1, 0, time), 0);  // player 0 has decided
    EXPECT_EQ(get_action(history.data(), 1, 2, time), 1);  // player 2 has not
    EXPECT_EQ(get_action(history.data(), 2, 1, time), 1);  // and sees 1's defection
  }
}

TEST(Tournament, TalliesBalanceInRandomPopulations) {
  Test_History history;
  seed_random(31);
  for (int trial = 0; trial < 5; ++trial) {
    Formula* formulae[12];
    const int32_t pop = 12;
    for (Formula*& formula : formulae) {
      Scope agents, times;
      init_variables(agents, times);
      formula = random_Formula(agents, times);
    }
    std::vector<std::string> before;
    for (Formula* formula : formulae) before.push_back(format_Formula(formula));
    Result results[MAX_POP];
    testing::internal::CaptureStdout();
    simulate(history.data(), formulae, pop);
    testing::internal::GetCapturedStdout();
    get_Results(history.data(), results, pop);
    int32_t t = 0, s = 0;
    for (int32_t i = 0; i < pop; ++i) {
      const Result& r = results[i];
      EXPECT_EQ(r.t + r.r + r.p + r.s, ROUNDS * (pop - 1));
      EXPECT_EQ(r.score, 5 * r.t + 3 * r.r + r.p);
      t += r.t;
      s += r.s;
      EXPECT_EQ(format_Formula(formulae[i]), before[static_cast<size_t>(i)]);  // evaluation changes nothing
      free_Formula(formulae[i]);
    }
    EXPECT_EQ(t, s);
  }
}

TEST(Tournament, ResultRowFormat) {
  Result results[4] = {};
  results[3] = {30, 50, 40, 30, 340};
  testing::internal::CaptureStdout();
  print_Results(results, 4);
  std::fflush(stdout);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("       3      30      50      40      30     340\n"), std::string::npos);
}
