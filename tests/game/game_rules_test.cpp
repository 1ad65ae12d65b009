// The rules a tournament can be played by: rounds, noise and payoffs. Noise
// draws are checked against a stream that predicts every draw: one per
// decision, right after the decision's own draws, before it is recorded.
#include "evolve/breeding.h"
#include "evolve/selection.h"
#include "reference/substitution.h"
#include "game/tournament.h"
#include "test_support.h"

#include <cmath>
#include <utility>

namespace {

struct Players {
  std::vector<Tree> trees;
  std::vector<Formula*> formulae;
  explicit Players(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
      trees.push_back(parse(text));
      formulae.push_back(trees.back().get());
    }
  }
  int32_t pop() const { return static_cast<int32_t>(formulae.size()); }
};

bool below(int32_t draw, double chance) { return static_cast<double>(draw) < chance * 32767.0; }

const char* const ALWAYS_COOPERATE = "Drrp";  // nobody defects against itself

}  // namespace

// Player 0 draws once per decision, player 1 always cooperates, player 2
// copies what each opponent did against it in this very round (both have
// decided by then), so it must see their moves as noise left them.
TEST(Noise, DrawsInterleaveWithTheDecisionsOwnDraws) {
  Players players({"R0.5", ALWAYS_COOPERATE, "Dcrp1"});
  const double noise = 0.3;
  const int32_t rounds = 3;
  Test_History history, reference;
  int flips = 0;
  for (int32_t seed = 1; seed <= 40; ++seed) {
    Draw_Predictor predict(seed);
    auto with_noise = [&](int32_t decided) {
      if (!below(predict.next(), noise)) return decided;
      ++flips;
      return 1 - decided;
    };
    int32_t expected[HISTORY_TIMES][3][3] = {};
    for (int32_t time = 0; time < rounds; ++time) {
      auto& move = expected[time];
      for (agent column : {1, 2}) move[0][column] = with_noise(below(predict.next(), 0.5));
      for (agent column : {0, 2}) move[1][column] = with_noise(0);
      for (agent column : {0, 1}) move[2][column] = with_noise(move[column][2]);
    }
    seed_random(seed);
    play_rounds(history.data(), players.formulae.data(), 3, Game_Rules{rounds, noise});
    for (int32_t time = 0; time < rounds; ++time)
      for (agent row = 0; row < 3; ++row)
        for (agent column = 0; column < 3; ++column) {
          if (row == column) continue;
          ASSERT_EQ(get_action(history.data(), row, column, time), expected[time][row][column])
              << "seed " << seed << " time " << time << " row " << row << " column " << column;
        }
    EXPECT_EQ(get_action(history.data(), 0, 1, rounds), 1) << "no round past the last";
    const int32_t next_draw = predict.next();
    EXPECT_EQ(draw_random(), next_draw) << "seed " << seed;

    seed_random(seed);
    play_rounds_by_substitution(reference.data(), players.formulae.data(), 3, Game_Rules{rounds, noise});
    EXPECT_TRUE(same_history(reference.data(), history.data())) << "seed " << seed;
    EXPECT_EQ(draw_random(), next_draw) << "seed " << seed;
  }
  EXPECT_GT(flips, 40);
}

TEST(Noise, NoneMakesNoDrawAndFullFlipsAllButTheTopDraw) {
  Players cooperators({ALWAYS_COOPERATE, ALWAYS_COOPERATE, ALWAYS_COOPERATE});
  Test_History history;
  seed_random(5);
  uint64_t before = draws_made();
  play_rounds(history.data(), cooperators.formulae.data(), 3, Game_Rules{7, 0.0});
  EXPECT_EQ(draws_made(), before);
  for (agent row = 0; row < 3; ++row) EXPECT_EQ(get_action(history.data(), row, (row + 1) % 3, 6), 0);

  // Noise 1: a move flips unless its draw is 32767, the one draw not below 32767.0.
  seed_random(11);
  Draw_Predictor predict(11);
  play_rounds(history.data(), cooperators.formulae.data(), 3, Game_Rules{100, 1.0});
  for (int32_t time = 0; time < 100; ++time)
    for (agent row = 0; row < 3; ++row)
      for (agent column = 0; column < 3; ++column) {
        if (row == column) continue;
        ASSERT_EQ(get_action(history.data(), row, column, time), predict.next() == 32767 ? 0 : 1);
      }
  EXPECT_EQ(get_action(history.data(), 0, 1, 99), 1);
  EXPECT_EQ(draw_random(), predict.next());
}

TEST(Noise, LonePlayerDrawsNothing) {
  Players lone({ALWAYS_COOPERATE});
  Test_History history;
  uint64_t before = draws_made();
  play_rounds(history.data(), lone.formulae.data(), 1, Game_Rules{50, 0.5});
  EXPECT_EQ(draws_made(), before);
}

TEST(Rounds, TallyCoversExactlyTheRoundsPlayed) {
  Players players({"Drcp|~Drcp", ALWAYS_COOPERATE, "Dcrp"});
  Test_History history;
  std::vector<Result> results(MAX_POP);
  for (int32_t rounds : {1, 2, 50, 99, 100}) {
    play_rounds(history.data(), players.formulae.data(), 3, Game_Rules{rounds, 0.0});
    get_Results(history.data(), results.data(), 3);
    for (agent player = 0; player < 3; ++player) {
      const Result& r = results[player];
      EXPECT_EQ(r.t + r.r + r.p + r.s, 2 * rounds) << rounds;
    }
    // Tit for tat cooperates once, then defects against the defector.
    EXPECT_EQ(results[2].s, 1) << rounds;
    EXPECT_EQ(results[2].p, rounds - 1) << rounds;
  }
}

TEST(Payoffs, ScoreWeighsEachOutcome) {
  Result result{30, 50, 40, 30, 0};
  EXPECT_EQ(score_of(result, Payoffs{}), 340);  // 5, 3, 1, 0
  EXPECT_EQ(score_of(result, Payoffs{1, 10, 100, 1000}), 30 + 500 + 4000 + 30000);
  EXPECT_EQ(score_of(result, Payoffs{0, 0, 0, 0}), 0);

  Players players({"Drcp|~Drcp", ALWAYS_COOPERATE});
  Test_History history;
  std::vector<Result> results(MAX_POP);
  play_rounds(history.data(), players.formulae.data(), 2, Game_Rules{});
  get_Results(history.data(), results.data(), 2, Payoffs{7, 2, 1, 3});
  EXPECT_EQ(results[0].score, 7 * 50);
  EXPECT_EQ(results[1].score, 3 * 50);
  get_Results(history.data(), results.data(), 2);
  EXPECT_EQ(results[0].score, 250);
}

// The largest scores the lab allows: 100 players, 100 rounds, payoffs of
// 1000. Every score is 9,900,000 and the total 990,000,000, still below the
// 2^30 that parent selection draws from, so every player can be chosen.
TEST(Payoffs, ExtremesStayInRangeAndSelectionStillWorks) {
  std::vector<std::string> texts(MAX_POP, ALWAYS_COOPERATE);
  texts[0] = "Drcp|~Drcp";
  Players players(texts);
  Test_History history;
  std::vector<Result> results(MAX_POP);
  play_rounds(history.data(), players.formulae.data(), MAX_POP, Game_Rules{100, 0.0});
  get_Results(history.data(), results.data(), MAX_POP, Payoffs{MAX_PAYOFF, MAX_PAYOFF, MAX_PAYOFF, MAX_PAYOFF});
  int64_t total = 0;
  for (agent player = 0; player < MAX_POP; ++player) {
    EXPECT_EQ(results[player].score, 9900000) << player;
    total += results[player].score;
  }
  EXPECT_EQ(total, 990000000);
  EXPECT_LT(total, int64_t{1} << 30);
  get_Results(history.data(), results.data(), MAX_POP, Payoffs{MAX_PAYOFF, 0, 0, 0});
  EXPECT_EQ(results[0].score, 9900000);
  EXPECT_EQ(results[1].score, 0);
  seed_random(3);
  std::vector<int> chosen(MAX_POP);
  get_Results(history.data(), results.data(), MAX_POP, Payoffs{MAX_PAYOFF, MAX_PAYOFF, MAX_PAYOFF, MAX_PAYOFF});
  for (int i = 0; i < 20000; ++i) ++chosen[choose_parent(results.data(), MAX_POP)];
  for (agent player = 0; player < MAX_POP; ++player) EXPECT_GT(chosen[player], 100) << player;
}

// With a continuation probability: after each round but the cap's last one
// draw, after the decisions' and the noise's draws of that round; play goes
// on while it holds. Both tournaments agree with the prediction.
TEST(Continuation, OneDrawAfterEachRoundButTheCapsLast) {
  Players players({"R0.5", ALWAYS_COOPERATE, "Dcrp"});
  Test_History history, reference;
  for (double continuation : {0.0, 0.6, 1.0}) {
    for (int32_t seed = 1; seed <= 60; ++seed) {
      const Game_Rules rules{5, 0.2, continuation};
      Draw_Predictor predict(seed);
      int32_t rounds = 0;
      for (bool more = true; more;) {
        for (int32_t decision = 0; decision < 2; ++decision) predict.next(), predict.next();  // player 0: chance, noise
        for (int32_t decision = 0; decision < 4; ++decision) predict.next();  // the others' noise
        ++rounds;
        more = rounds < 5 && below(predict.next(), continuation);
      }
      const int32_t next_draw = predict.next();
      seed_random(seed);
      play_rounds(history.data(), players.formulae.data(), 3, rules);
      ASSERT_EQ(rounds_recorded(history.data()), rounds) << "seed " << seed << " W " << continuation;
      ASSERT_EQ(draw_random(), next_draw) << "seed " << seed << " W " << continuation;
      seed_random(seed);
      play_rounds_by_substitution(reference.data(), players.formulae.data(), 3, rules);
      ASSERT_TRUE(same_history(reference.data(), history.data())) << "seed " << seed;
      ASSERT_EQ(draw_random(), next_draw) << "seed " << seed;
    }
  }
  // A lone player plays no round and draws nothing, in either tournament.
  Players lone({ALWAYS_COOPERATE});
  const uint64_t before = draws_made();
  play_rounds(history.data(), lone.formulae.data(), 1, Game_Rules{50, 0.0, 0.5});
  play_rounds_by_substitution(reference.data(), lone.formulae.data(), 1, Game_Rules{50, 0.0, 0.5});
  EXPECT_EQ(draws_made(), before);
}

// Over many tournaments the mean length is (1 - W^cap) / (1 - W), with W
// the chance that a draw holds (W x 32767 rounded up, over 32768 draws);
// within four standard errors of that mean.
TEST(Continuation, MeanLengthIsTheTruncatedGeometricMean) {
  Players players({ALWAYS_COOPERATE, "Dcrp"});
  Test_History history;
  seed_random(2024);
  for (auto [continuation, cap] : {std::pair{0.5, 100}, std::pair{0.9, 100}, std::pair{0.95, 30}, std::pair{0.99, 100}}) {
    const int32_t tournaments = 4000;
    double sum = 0, squares = 0;
    for (int32_t tournament = 0; tournament < tournaments; ++tournament) {
      play_rounds(history.data(), players.formulae.data(), 2, Game_Rules{cap, 0.0, continuation});
      const double rounds = rounds_recorded(history.data());
      sum += rounds;
      squares += rounds * rounds;
    }
    const double w = draws_holding(continuation) / 32768.0;
    const double expected = (1 - std::pow(w, cap)) / (1 - w);
    const double mean = sum / tournaments;
    const double error = std::sqrt((squares / tournaments - mean * mean) / tournaments);
    EXPECT_NEAR(mean, expected, 4 * error) << "W " << continuation << " cap " << cap;
    // The nominal W gives the same mean within a thousandth of it.
    EXPECT_NEAR(expected, (1 - std::pow(continuation, cap)) / (1 - continuation), 0.001 * expected);
  }
}
