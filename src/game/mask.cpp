#include "game/mask.h"

#include <array>
#include <cstring>
#include <utility>

namespace {

// The eight cell values of every byte.
constexpr std::array<std::array<int32_t, 8>, 256> make_byte_cells() {
  std::array<std::array<int32_t, 8>, 256> table{};
  for (int byte = 0; byte < 256; ++byte)
    for (int bit = 0; bit < 8; ++bit) table[byte][bit] = (byte >> bit) & 1;
  return table;
}
constexpr auto BYTE_CELLS = make_byte_cells();

}  // namespace

void transpose_players(Mask* sets) {
  // Swap the off-diagonal 64 by 64 blocks, then transpose each block in
  // place by swapping ever smaller off-diagonal blocks within it.
  for (int k = 0; k < 64; ++k) std::swap(sets[k].high, sets[k + 64].low);
  uint64_t mask = 0x00000000FFFFFFFFull;
  for (int j = 32; j != 0; j >>= 1, mask ^= mask << j)
    for (int k = 0; k < 128; k = ((k | j) + 1) & ~j) {
      uint64_t low = ((sets[k].low >> j) ^ sets[k | j].low) & mask;
      uint64_t high = ((sets[k].high >> j) ^ sets[k | j].high) & mask;
      sets[k].low ^= low << j;
      sets[k | j].low ^= low;
      sets[k].high ^= high << j;
      sets[k | j].high ^= high;
    }
}

void write_cells(Mask a, int32_t* cells, int32_t count) {
  int32_t k = 0;
  for (uint64_t word : {a.low, a.high})
    for (int shift = 0; shift < 64 && k + 8 <= count; shift += 8, k += 8)
      std::memcpy(cells + k, BYTE_CELLS[(word >> shift) & 0xff].data(), sizeof(int32_t) * 8);
  for (; k < count; ++k) cells[k] = has_player(a, k) ? 1 : 0;
}

Mask read_cells(const int32_t* cells, int32_t count) {
  // Truth values as bytes first, a loop the compiler turns into vector
  // instructions, then eight bytes of 0 or 1 gathered into one byte of bits
  // by a multiplication that puts byte i's low bit at bit 56 + i.
  uint8_t truth[128] = {};
  for (int32_t k = 0; k < count; ++k) truth[k] = cells[k] != 0;
  uint64_t words[2] = {0, 0};
  for (int32_t byte = 0; byte < 16; ++byte) {
    uint64_t eight;
    std::memcpy(&eight, truth + 8 * byte, sizeof eight);
    words[byte / 8] |= ((eight * 0x0102040810204080ull) >> 56) << (8 * (byte % 8));
  }
  return {words[0], words[1]};
}
