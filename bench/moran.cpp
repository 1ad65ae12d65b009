// What a Moran generation costs: 100 events, each a tournament of the
// population as the last event left it and one birth and death, against
// 100 tournaments of one unchanging population, and against 100
// tournaments of one round (almost only what readying the population's
// programs costs). The library repeated to 100 players, 50 rounds.
// Medians over the repetitions, in milliseconds.
//
//   ipdlogic-moran-bench STRATEGY_FILE... [--repetitions N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "error.h"
#include "evolve/lineage.h"
#include "evolve/moran.h"
#include "game/history.h"
#include "game/results.h"
#include "game/tournament.h"
#include "run/population_reader.h"

namespace {

constexpr int32_t PLAYERS = 100;

struct Population {
  std::vector<Formula*> formulae = std::vector<Formula*>(MAX_POP, nullptr);
  Population() = default;
  Population(const Population&) = delete;
  Population& operator=(const Population&) = delete;
  ~Population() {
    for (Formula* formula : formulae) free_Formula(formula);
  }
};

void fill(Population& population, const Population& library, int32_t kinds) {
  for (int32_t player = 0; player < PLAYERS; ++player) {
    free_Formula(population.formulae[player]);
    population.formulae[player] = copy_Formula(library.formulae[player % kinds]);
  }
}

template <typename Work>
double median_ms(int repetitions, Work work) {
  std::vector<double> times;
  for (int repetition = 0; repetition < repetitions; ++repetition) {
    auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

int run(int argc, char** argv) {
  std::vector<std::string> files;
  int repetitions = 5;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--repetitions" && i + 1 < argc) repetitions = std::max(1, std::atoi(argv[++i]));
    else files.push_back(argv[i]);
  }
  Population library;
  const int32_t kinds = init_Formulae(library.formulae.data(), files);
  if (kinds < 1) error("no strategy files named");
  History history;
  std::vector<Result> results(MAX_POP);
  Population population;
  const Game_Rules rules;
  auto tournaments = [&](int32_t rounds) {
    fill(population, library, kinds);
    for (int32_t tournament = 0; tournament < PLAYERS; ++tournament) {
      play_rounds(history, population.formulae.data(), PLAYERS, Game_Rules{rounds, 0.0});
      get_Results(history, results.data(), PLAYERS);
    }
  };
  seed_random(1);
  const double same = median_ms(repetitions, [&] { tournaments(rules.rounds); });
  const double compiles = median_ms(repetitions, [&] { tournaments(1); });
  Lineage_Book lineage;
  const double moran = median_ms(repetitions, [&] {
    fill(population, library, kinds);
    start_lineage(lineage, PLAYERS);
    for (int32_t event = 0; event < PLAYERS; ++event) {
      play_rounds(history, population.formulae.data(), PLAYERS, rules);
      get_Results(history, results.data(), PLAYERS);
      moran_event(results.data(), population.formulae.data(), lineage, PLAYERS, 1.0, 0.0);
    }
  });
  std::printf("100 players (%d strategies repeated), %d rounds, medians of %d, ms:\n", kinds, rules.rounds,
              repetitions);
  std::printf("  one Moran generation (100 events)          %9.1f\n", moran);
  std::printf("  100 tournaments of one population          %9.1f\n", same);
  std::printf("  100 tournaments of one round               %9.1f\n", compiles);
  std::printf("  Moran generation / 100 tournaments         %9.2f\n", moran / same);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return run_reporting_failures(run, argc, argv); }
