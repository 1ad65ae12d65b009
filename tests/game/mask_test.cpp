#include "game/mask.h"

#include <random>
#include <vector>

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

TEST(Mask, CellsReadAndWriteAsTruthValues) {
  std::mt19937_64 rng(2);
  for (int32_t count = 0; count <= 128; ++count) {
    std::vector<int32_t> cells(130, 7);
    Mask a = random_mask(rng);
    write_cells(a, cells.data(), count);
    EXPECT_EQ(cells[count], 7);  // nothing past the count
    for (int32_t k = 0; k < count; ++k) ASSERT_EQ(cells[k], has_player(a, k) ? 1 : 0);
    // Any value but 0 reads as true: NO_ACTION and stray values too.
    for (int32_t k = 0; k < count; ++k)
      if (cells[k]) cells[k] = k % 3 == 0 ? -1 : k % 3 == 1 ? 1 : 1 << (k % 31);
    Mask back = read_cells(cells.data(), count);
    ASSERT_TRUE(back == (a & first_players(count))) << count;
  }
}

TEST(Mask, PlayersRemovedAndInserted) {
  std::mt19937_64 rng(3);
  for (int32_t at = 0; at < 127; ++at) {
    Mask a = random_mask(rng) & ~player_bit(at) & first_players(127);
    Mask packed = remove_player(a, at);
    for (int32_t k = 0; k < 126; ++k) ASSERT_EQ(has_player(packed, k), has_player(a, k < at ? k : k + 1));
    ASSERT_TRUE(insert_player(packed, at) == a) << at;
  }
  EXPECT_EQ(count_players(first_players(100)), 100);
}
