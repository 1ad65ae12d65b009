// How fast simplification goes and how much it takes off: formulae per
// second and sizes before and after, on random populations of ten, on the
// largest random formulae of seeds 1 to 400, and on evolved populations.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "behaviour/simplify.h"
#include "evolve/breeding.h"
#include "evolve/random_formula.h"
#include "game/history.h"
#include "game/results.h"
#include "game/tournament.h"
#include "random_stream.h"

namespace {

std::vector<Formula*> random_formulae(int32_t first_seed, int32_t last_seed) {
  std::vector<Formula*> all;
  for (int32_t seed = first_seed; seed <= last_seed; ++seed) {
    Formula* formulae[RANDOM_POP];
    seed_random(seed);
    init_random_Formulae(formulae, RANDOM_POP);
    all.insert(all.end(), formulae, formulae + RANDOM_POP);
  }
  return all;
}

// Every generation's population of a run of 20 players, 30 generations.
std::vector<Formula*> evolved_formulae(int32_t seed) {
  std::vector<Formula*> all;
  std::vector<Formula*> formulae(MAX_POP, nullptr);
  const int32_t pop = 20;
  seed_random(seed);
  init_random_Formulae(formulae.data(), pop);
  History history;
  std::vector<Result> results(MAX_POP);
  for (int32_t generation = 0; generation < 30; ++generation) {
    for (int32_t i = 0; i < pop; ++i) all.push_back(copy_Formula(formulae[static_cast<size_t>(i)]));
    play_rounds(history, formulae.data(), pop);
    get_Results(history, results.data(), pop);
    update_Formulae(results.data(), formulae.data(), pop, Breeding{0.0, true});
  }
  for (Formula* formula : formulae) free_Formula(formula);
  return all;
}

int64_t median(std::vector<int64_t> sizes) {
  if (sizes.empty()) return 0;
  std::nth_element(sizes.begin(), sizes.begin() + static_cast<long>(sizes.size() / 2), sizes.end());
  return sizes[sizes.size() / 2];
}

void report(const char* name, const std::vector<Formula*>& formulae, int repeats) {
  std::vector<int64_t> before, after;
  const auto start = std::chrono::steady_clock::now();
  for (int repeat = 0; repeat < repeats; ++repeat)
    for (const Formula* formula : formulae) {
      Formula* simple = simplify_Formula(formula);
      if (repeat == 0) {
        before.push_back(size_Formula(formula));
        after.push_back(size_Formula(simple));
      }
      free_Formula(simple);
    }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  int64_t total_before = 0, total_after = 0;
  for (int64_t size : before) total_before += size;
  for (int64_t size : after) total_after += size;
  std::printf("%-32s %7zu formulae %10.0f per second  median size %lld -> %lld  total %lld -> %lld (%.1f%%)\n", name,
              formulae.size(), static_cast<double>(formulae.size()) * repeats / seconds,
              static_cast<long long>(median(before)), static_cast<long long>(median(after)),
              static_cast<long long>(total_before), static_cast<long long>(total_after),
              100.0 * static_cast<double>(total_after) / static_cast<double>(total_before));
}

void free_all(std::vector<Formula*>& formulae) {
  for (Formula* formula : formulae) free_Formula(formula);
  formulae.clear();
}

}  // namespace

int main() {
  std::vector<Formula*> random = random_formulae(1, 400);
  report("random, seeds 1-400", random, 3);
  std::vector<Formula*> largest = random;
  std::stable_sort(largest.begin(), largest.end(),
                   [](const Formula* a, const Formula* b) { return size_Formula(a) > size_Formula(b); });
  largest.resize(100);
  std::printf("(largest: %lld nodes)\n", static_cast<long long>(size_Formula(largest.front())));
  report("100 largest of seeds 1-400", largest, 5);
  free_all(random);
  std::vector<Formula*> evolved;
  for (int32_t seed = 1; seed <= 10; ++seed) {
    std::vector<Formula*> run = evolved_formulae(seed);
    evolved.insert(evolved.end(), run.begin(), run.end());
  }
  report("evolved, 10 runs x 30 gens x 20", evolved, 3);
  free_all(evolved);
  return 0;
}
