#include "seed_list.h"

#include <algorithm>

#include "error.h"
#include "printable_text.h"

namespace {

const char* const SEEDS_ALLOWED =
    "seeds from 0 to 2147483647 and ranges FIRST-LAST, separated by commas, such as 1-1000 or 1,5,10-20";

[[noreturn]] void malformed(const std::string& text) {
  error("--seeds: '" + printable_text(text) + "' is not a list of " + SEEDS_ALLOWED);
}

// A seed: decimal digits only, at most MAX_LISTED_SEED.
int32_t parse_seed(const std::string& list, const std::string& digits) {
  if (digits.empty() || digits.size() > 10 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    malformed(list);
  int64_t value = std::stoll(digits);
  if (value > MAX_LISTED_SEED) error("--seeds: seed " + digits + " is beyond 2147483647");
  return static_cast<int32_t>(value);
}

Seed_Range parse_item(const std::string& list, const std::string& item) {
  size_t dash = item.find('-');
  if (dash == std::string::npos) {
    int32_t seed = parse_seed(list, item);
    return {seed, seed};
  }
  Seed_Range range{parse_seed(list, item.substr(0, dash)), parse_seed(list, item.substr(dash + 1))};
  if (range.last < range.first) error("--seeds: the range " + item + " ends before it starts");
  return range;
}

// Two runs of one seed would make two sets of rows that nothing tells apart.
void check_no_seed_twice(std::vector<Seed_Range> seeds) {
  std::sort(seeds.begin(), seeds.end(), [](Seed_Range a, Seed_Range b) { return a.first < b.first; });
  for (size_t i = 1; i < seeds.size(); ++i)
    if (seeds[i].first <= seeds[i - 1].last)
      error("--seeds: seed " + std::to_string(seeds[i].first) + " is listed twice");
}

}  // namespace

std::vector<Seed_Range> parse_seed_list(const std::string& text) {
  std::vector<Seed_Range> seeds;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    seeds.push_back(
        parse_item(text, text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  check_no_seed_twice(seeds);
  return seeds;
}

int64_t count_seeds(const std::vector<Seed_Range>& seeds) {
  int64_t count = 0;
  for (Seed_Range range : seeds) count += int64_t{range.last} - range.first + 1;
  return count;
}

int32_t seed_at(const std::vector<Seed_Range>& seeds, int64_t index) {
  for (Seed_Range range : seeds) {
    const int64_t length = int64_t{range.last} - range.first + 1;
    if (index < length) return static_cast<int32_t>(range.first + index);
    index -= length;
  }
  error("seed number " + std::to_string(index) + " is past the seeds");
}

