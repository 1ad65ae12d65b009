// What the analysis of a formula costs (Google Benchmark): a fingerprint
// whose rounds the library has played before (only the formula decides),
// fingerprints of grown formulae one after another (each new, the
// library's rounds shared as far as they play alike), simplification and
// play keys of the same formulae.
#include <benchmark/benchmark.h>

#include <vector>

#include "behaviour/fingerprint.h"
#include "behaviour/play_key.h"
#include "behaviour/simplify.h"
#include "evolve/random_formula.h"
#include "formula/notation_reader.h"
#include "random_stream.h"

namespace {

// Seed 1's growth, 200 formulae: the kind the lab's runs start from.
const std::vector<Formula*>& grown() {
  static const std::vector<Formula*> formulae = [] {
    std::vector<Formula*> made(200, nullptr);
    seed_random(1);
    init_random_Formulae(made.data(), static_cast<int32_t>(made.size()));
    return made;
  }();
  return formulae;
}

void fingerprint_known(benchmark::State& state) {
  Formula* tit = parse_Formula("Dcrp");
  fingerprint_Formula(tit);
  for (auto _ : state) benchmark::DoNotOptimize(fingerprint_Formula(tit));
  free_Formula(tit);
}
BENCHMARK(fingerprint_known)->Name("fingerprint/tit_for_tat_again")->Unit(benchmark::kMicrosecond);

// Each iteration one formula of the list in turn.
template <typename Work>
void over_grown(benchmark::State& state, Work work) {
  size_t next = 0;
  for (auto _ : state) {
    work(grown()[next]);
    next = (next + 1) % grown().size();
  }
}

void fingerprint_grown(benchmark::State& state) {
  over_grown(state, [](const Formula* formula) { benchmark::DoNotOptimize(fingerprint_Formula(formula)); });
}
BENCHMARK(fingerprint_grown)->Name("fingerprint/grown")->Unit(benchmark::kMicrosecond);

void simplify_grown(benchmark::State& state) {
  over_grown(state, [](const Formula* formula) { free_Formula(simplify_Formula(formula)); });
}
BENCHMARK(simplify_grown)->Name("simplify/grown")->Unit(benchmark::kMicrosecond);

void key_grown(benchmark::State& state) {
  over_grown(state, [](const Formula* formula) { benchmark::DoNotOptimize(play_key(formula)); });
}
BENCHMARK(key_grown)->Name("play_key/grown")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
