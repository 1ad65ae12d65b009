#include "random_stream.h"

#include <random>

namespace {
std::mt19937 engine(static_cast<uint32_t>(DEFAULT_SEED));
uint64_t draw_count = 0;
}  // namespace

void seed_random(int32_t seed) { engine.seed(static_cast<uint32_t>(seed)); }

int32_t draw_random() {
  ++draw_count;
  return static_cast<int32_t>(engine() >> 17);
}

uint64_t draws_made() { return draw_count; }
