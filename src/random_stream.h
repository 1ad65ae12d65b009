// The run's one pseudo-random stream. Every random choice anywhere in the
// program draws from it, so one seed and one input give one run, on any
// machine: the engine is std::mt19937, whose output the C++ standard fixes,
// and a draw is its next output shifted right by 17 bits (0 to 32767).
#pragma once

#include <cstdint>

constexpr int32_t DEFAULT_SEED = 777;
constexpr int32_t DRAW_MAX = 32767;

void seed_random(int32_t seed);

// The next draw, from 0 to DRAW_MAX inclusive.
int32_t draw_random();

// Draws made since the program started; lets tests compare draw sequences.
uint64_t draws_made();
