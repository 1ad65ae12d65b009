#include "game/mask.h"

#include <array>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)

namespace {

// One step of the transpose on both words of every row at once: swap the
// off-diagonal j by j blocks within each 2j by 2j block.
template <int J>
void transpose_step(__m128i* rows, uint64_t block_mask) {
  const __m128i mask = _mm_set1_epi64x(static_cast<long long>(block_mask));
  for (int k = 0; k < 128; k = ((k | J) + 1) & ~J) {
    __m128i swap = _mm_and_si128(_mm_xor_si128(_mm_srli_epi64(rows[k], J), rows[k | J]), mask);
    rows[k] = _mm_xor_si128(rows[k], _mm_slli_epi64(swap, J));
    rows[k | J] = _mm_xor_si128(rows[k | J], swap);
  }
}

}  // namespace

void transpose_players(Mask* sets) {
  __m128i rows[128];
  // Swap the off-diagonal 64 by 64 blocks, then transpose each block.
  for (int k = 0; k < 64; ++k) {
    __m128i upper = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sets + k));
    __m128i lower = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sets + k + 64));
    rows[k] = _mm_unpacklo_epi64(upper, lower);
    rows[k + 64] = _mm_unpackhi_epi64(upper, lower);
  }
  transpose_step<32>(rows, 0x00000000FFFFFFFFull);
  transpose_step<16>(rows, 0x0000FFFF0000FFFFull);
  transpose_step<8>(rows, 0x00FF00FF00FF00FFull);
  transpose_step<4>(rows, 0x0F0F0F0F0F0F0F0Full);
  transpose_step<2>(rows, 0x3333333333333333ull);
  transpose_step<1>(rows, 0x5555555555555555ull);
  for (int k = 0; k < 128; ++k) _mm_storeu_si128(reinterpret_cast<__m128i*>(sets + k), rows[k]);
}

#else

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

#endif

void write_cells(Mask a, int32_t* cells, int32_t count) {
  int32_t k = 0;
  for (uint64_t word : {a.low, a.high}) {
    if (k + 64 <= count) {
      for (int shift = 0; shift < 64; shift += 8)
        std::memcpy(cells + k + shift, BYTE_CELLS[(word >> shift) & 0xff].data(), sizeof(int32_t) * 8);
      k += 64;
      continue;
    }
    for (int shift = 0; k + 8 <= count; shift += 8, k += 8)
      std::memcpy(cells + k, BYTE_CELLS[(word >> shift) & 0xff].data(), sizeof(int32_t) * 8);
    break;
  }
  for (; k < count; ++k) cells[k] = has_player(a, k) ? 1 : 0;
}

Mask read_cells(const int32_t* cells, int32_t count) {
  uint64_t words[2] = {0, 0};
  int32_t k = 0;
#if defined(__SSE2__)
  // Sixteen cells at a time: compare with zero, narrow to bytes, take the
  // bytes' top bits.
  const __m128i zero = _mm_setzero_si128();
  for (; k + 16 <= count; k += 16) {
    const auto* at = reinterpret_cast<const __m128i*>(cells + k);
    __m128i a = _mm_cmpeq_epi32(_mm_loadu_si128(at), zero);
    __m128i b = _mm_cmpeq_epi32(_mm_loadu_si128(at + 1), zero);
    __m128i c = _mm_cmpeq_epi32(_mm_loadu_si128(at + 2), zero);
    __m128i d = _mm_cmpeq_epi32(_mm_loadu_si128(at + 3), zero);
    __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
    auto zeros = static_cast<uint64_t>(_mm_movemask_epi8(bytes));
    words[k / 64] |= (~zeros & 0xffff) << (k % 64);
  }
#endif
  for (; k < count; ++k) words[k / 64] |= uint64_t{cells[k] != 0} << (k % 64);
  return {words[0], words[1]};
}
