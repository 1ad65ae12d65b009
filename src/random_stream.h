// The run's one pseudo-random stream. Every random choice anywhere in the
// program draws from it, so one seed and one input give one run, on any
// machine: the engine is std::mt19937, whose output the C++ standard fixes,
// and a draw is its next output shifted right by 17 bits (0 to 32767).
//
// Each thread has a stream of its own, so that runs on several threads at
// once (the lab's --jobs) each draw exactly what they would alone; a run
// seeds its thread's stream before it draws.
#pragma once

#include <cstdint>
#include <random>

constexpr int32_t DEFAULT_SEED = 777;
constexpr int32_t DRAW_MAX = 32767;

struct Random_Stream {
  std::mt19937 engine{static_cast<uint32_t>(DEFAULT_SEED)};
  uint64_t draws = 0;  // made on this thread since it started; lets tests compare draw sequences
};

inline thread_local Random_Stream random_stream;

inline void seed_random(int32_t seed) { random_stream.engine.seed(static_cast<uint32_t>(seed)); }

// The next draw, from 0 to DRAW_MAX inclusive.
inline int32_t draw_random() {
  ++random_stream.draws;
  return static_cast<int32_t>(random_stream.engine() >> 17);
}

inline uint64_t draws_made() { return random_stream.draws; }
