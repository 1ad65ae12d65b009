#include "game/mask.h"

#include <random>

#include "test_support.h"

namespace {
Mask random_mask(std::mt19937_64& rng) { return {rng(), rng()}; }
}  // namespace

TEST(Mask, TransposeMovesEveryBit) {
  std::mt19937_64 rng(1);
  for (int trial = 0; trial < 20; ++trial) {
    Mask sets[128], transposed[128];
    for (Mask& set : sets) set = random_mask(rng);
    std::copy(sets, sets + 128, transposed);
    transpose_players(transposed);
    for (int32_t r = 0; r < 128; ++r)
      for (int32_t c = 0; c < 128; ++c) ASSERT_EQ(has_player(sets[r], c), has_player(transposed[c], r)) << r << " " << c;
  }
}

TEST(Mask, FirstPlayersAndCounts) {
  for (int32_t count : {0, 1, 63, 64, 65, 100, 127, 128}) {
    Mask first = first_players(count);
    EXPECT_EQ(count_players(first), count);
    if (count > 0) {
      EXPECT_TRUE(has_player(first, count - 1));
    }
    if (count < 128) {
      EXPECT_FALSE(has_player(first, count));
    }
  }
}
