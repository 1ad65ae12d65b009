#include "game/mask.h"

#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
