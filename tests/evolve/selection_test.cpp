#include "evolve/selection.h"

#include <cmath>
#include <vector>

#include "evolve/evolve_support.h"

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
