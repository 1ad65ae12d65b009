// The seeds of a sweep, as given with --seeds: single values and ranges,
// such as "1-1000" or "1,5,10-20", each seed one run, in the order given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Seed_Range {
  int32_t first;
  int32_t last;  // inclusive, never below first
};

constexpr int32_t MAX_LISTED_SEED = 2147483647;

// The ranges of a list of seeds from 0 to MAX_LISTED_SEED; a list that is
// malformed, holds a range that ends before it starts or names a seed twice
// is a fatal error naming what is wrong.
std::vector<Seed_Range> parse_seed_list(const std::string& text);

// The number of runs the ranges make.
int64_t count_seeds(const std::vector<Seed_Range>& seeds);

// The seed of run number `index` (from 0), in the order given; `index` is
// below count_seeds.
int32_t seed_at(const std::vector<Seed_Range>& seeds, int64_t index);

