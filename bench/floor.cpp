// The floor of the classic tournament: the same whole process as
//   ipdlogic < names
// for players from the bundled strategy library, with every strategy written
// out by hand as the history lookups its formula makes, so that nothing is
// parsed, compiled or evaluated. Its output must equal the program's.
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "formula/notation_reader.h"
#include "game/rules.h"
#include "game/history.h"
#include "game/results.h"
#include "game/tournament.h"
#include "random_stream.h"

namespace {

History history;
Result results[MAX_POP];

struct Decision {
  agent r, c;
  int32_t p;
  int get(agent a, agent b, int64_t time) const { return get_action(history, a, b, time); }
};

using Strategy = std::function<int(const Decision&)>;

int ever_defected(const Decision& d) {
  if (d.p <= 0) return d.get(d.c, d.r, -1);
  for (int32_t s = 0; s < d.p; ++s)
    if (d.get(d.c, d.r, s)) return 1;
  return 0;
}

int defected_against_anyone(const Decision& d, int32_t pop) {
  for (agent x = 0; x < pop; ++x)
    if (x != d.r && x != d.c && d.get(d.c, x, d.p)) return 1;
  return 0;
}

std::map<std::string, Strategy> library(const int32_t& pop) {
  return {
      {"always_cooperate.txt", [](const Decision& d) { return d.get(d.c, d.r, d.p) && !d.get(d.c, d.r, d.p); }},
      {"always_defect.txt", [](const Decision& d) { return d.get(d.c, d.r, d.p) || !d.get(d.c, d.r, d.p); }},
      {"tit_for_tat.txt", [](const Decision& d) { return d.get(d.c, d.r, d.p); }},
      {"grudger.txt", [](const Decision& d) { return ever_defected(d) || d.get(d.c, d.r, d.p); }},
      {"tit_for_two_tats.txt", [](const Decision& d) { return d.get(d.c, d.r, d.p) && d.get(d.c, d.r, d.p - 1); }},
      {"two_tits_for_tat.txt", [](const Decision& d) { return d.get(d.c, d.r, d.p) || d.get(d.c, d.r, d.p - 1); }},
      {"alternator.txt", [](const Decision& d) { return !d.get(d.r, d.c, d.p) && !d.get(d.r, d.c, 0); }},
      {"win_stay_lose_shift.txt",
       [](const Decision& d) {
         return (d.get(d.r, d.c, d.p) && !d.get(d.c, d.r, d.p)) || (!d.get(d.r, d.c, d.p) && d.get(d.c, d.r, d.p));
       }},
      {"hard_tit_for_tat.txt",
       [](const Decision& d) { return d.get(d.c, d.r, d.p) || d.get(d.c, d.r, d.p - 1) || d.get(d.c, d.r, d.p - 2); }},
      {"punisher.txt", [&pop](const Decision& d) { return d.get(d.c, d.r, d.p) || defected_against_anyone(d, pop); }},
      {"generous_tit_for_tat.txt", [](const Decision& d) { return d.get(d.c, d.r, d.p) && (holds(0.9) ? 1 : 0); }},
      {"random.txt", [](const Decision&) { return (holds(0.5) ? 1 : 0); }},
  };
}

}  // namespace

int main() {
  int32_t pop = 0;
  const auto strategies = library(pop);
  std::vector<Strategy> players;
  std::fputs("getting players...\n", stdout);
  char name[4096];
  while (std::scanf("%4095s", name) == 1) {
    std::string path = name;
    std::string base = path.substr(path.find_last_of('/') + 1);
    auto strategy = strategies.find(base);
    if (strategy == strategies.end()) {
      std::fprintf(stderr, "Error: not a library strategy: %s\n", name);
      return 1;
    }
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return 1;
    std::string raw;
    for (int c; (c = std::getc(file)) != EOF;) raw.push_back(static_cast<char>(c));
    std::fclose(file);
    std::puts(strip_white_space(raw).c_str());
    players.push_back(strategy->second);
  }
  pop = static_cast<int32_t>(players.size());
  std::fputs(">simulating\n", stdout);
  reset_history(history);
  for (int32_t time = 0; time < ROUNDS; ++time)
    for (agent row = 0; row < pop; ++row)
      for (agent column = 0; column < pop; ++column)
        if (column != row) add_action(history, row, column, time, players[row](Decision{row, column, time - 1}));
  get_Results(history, results, pop);
  print_Results(results, pop);
  return 0;
}
