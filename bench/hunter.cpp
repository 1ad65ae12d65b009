// ipdlogic-hunter: looks for the formulae on which the machine's tournament
// costs most against evaluating every decision by walking the tree, in
// process, side by side.
//
//   ipdlogic-hunter time FILE...
//       times every formula of the files (one a line; lines starting with
//       # are skipped) as player 0 of a society of 100: among 99 players of
//       tit for tat, and among 99 random formulae (seed 1's growth).
//   ipdlogic-hunter search FIRST LAST TOP OUT [EVOLVED_SEEDS]
//       grows the listings of `ipdlogic -r -s SEED` for SEED = FIRST to
//       LAST, takes the TOP largest and the TOP most deeply quantified, and
//       the largest and the most deeply quantified of every generation of
//       EVOLVED_SEEDS (default 20) runs of `ipdlogic -r -e`; times each in
//       both societies, prints the distribution of the ratios and the worst,
//       and writes the worst formulae to OUT as a workload.
//
// A ratio is the machine's time over the walker's, each the least of a few
// runs when runs are short. Both tournaments must record the same moves
// and make the same draws; a difference ends the hunt with status 1.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "error.h"
#include "evolve/breeding.h"
#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "formula/notation_reader.h"
#include "game/history.h"
#include "game/results.h"
#include "game/tournament.h"
#include "game/machine/play.h"
#include "random_stream.h"
#include "reference/walker.h"

namespace {

constexpr int32_t SOCIETY = 100;
constexpr uint32_t PLAY_SEED = 777;

struct Owned_Trees {
  std::vector<Formula*> trees;
  ~Owned_Trees() {
    for (Formula* tree : trees) free_Formula(tree);
  }
};

// The walker's tournament is cut short once it has taken this many times
// as long as the machine's (and at least half a second): its ratio is then
// at most the one reported.
constexpr double WALKER_CAP = 20;

// The tournament every decision of which is evaluated by walking the tree.
void play_by_walking(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  reset_history(history);
  for (int32_t time = 0; time < rules.rounds; ++time)
    for (agent row = 0; row < pop; ++row)
      for (agent column = 0; column < pop; ++column)
        if (column != row) add_action(history, row, column, time, evaluate(history, formulae[row], pop, row, column, time - 1));
}

struct Outcome {
  double seconds;
  std::vector<Result> results;
  uint64_t draws;
  bool capped = false;  // cut short: `seconds` is a lower bound, the rest unknown
};

Outcome timed(Tournament_Play play, Formula* const* formulae, int32_t pop) {
  History history;
  Outcome outcome{1e300, std::vector<Result>(MAX_POP), 0};
  double total = 0;
  for (int run = 0; run < 9 && (run < 1 || total < 0.05); ++run) {
    seed_random(static_cast<int32_t>(PLAY_SEED));
    const uint64_t before = draws_made();
    auto start = std::chrono::steady_clock::now();
    play(history, formulae, pop, Game_Rules{});
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.draws = draws_made() - before;
    outcome.seconds = std::min(outcome.seconds, seconds);
    total += seconds;
  }
  get_Results(history, outcome.results.data(), pop);
  return outcome;
}

// A tournament's outcome, worked out in a child process that is stopped
// once it takes longer than `deadline` seconds.
Outcome timed_in_child(Tournament_Play play, Formula* const* formulae, int32_t pop, double deadline) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) error("cannot make a pipe");
  const pid_t child = fork();
  if (child == 0) {
    Outcome outcome = timed(play, formulae, pop);
    const size_t bytes = sizeof outcome.seconds + sizeof outcome.draws + sizeof(Result) * MAX_POP;
    std::vector<char> message(bytes);
    std::memcpy(message.data(), &outcome.seconds, sizeof outcome.seconds);
    std::memcpy(message.data() + sizeof outcome.seconds, &outcome.draws, sizeof outcome.draws);
    std::memcpy(message.data() + sizeof outcome.seconds + sizeof outcome.draws, outcome.results.data(), sizeof(Result) * MAX_POP);
    const bool sent = write(pipe_ends[1], message.data(), bytes) == static_cast<ssize_t>(bytes);
    _exit(sent ? 0 : 1);
  }
  close(pipe_ends[1]);
  Outcome outcome{deadline, std::vector<Result>(MAX_POP), 0, false};
  pollfd wait_for{pipe_ends[0], POLLIN, 0};
  const bool answered = poll(&wait_for, 1, static_cast<int>(deadline * 1000)) == 1;
  std::vector<char> message(sizeof outcome.seconds + sizeof outcome.draws + sizeof(Result) * MAX_POP);
  size_t got = 0;
  while (answered && got < message.size()) {
    const ssize_t n = read(pipe_ends[0], message.data() + got, message.size() - got);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  if (got == message.size()) {
    std::memcpy(&outcome.seconds, message.data(), sizeof outcome.seconds);
    std::memcpy(&outcome.draws, message.data() + sizeof outcome.seconds, sizeof outcome.draws);
    std::memcpy(outcome.results.data(), message.data() + sizeof outcome.seconds + sizeof outcome.draws, sizeof(Result) * MAX_POP);
  } else {
    outcome.capped = true;
    kill(child, SIGKILL);
  }
  close(pipe_ends[0]);
  waitpid(child, nullptr, 0);
  return outcome;
}

bool same_outcome(const Outcome& a, const Outcome& b, int32_t pop) {
  if (a.draws != b.draws) return false;
  for (int32_t player = 0; player < pop; ++player) {
    const Result &x = a.results[player], &y = b.results[player];
    if (x.t != y.t || x.r != y.r || x.p != y.p || x.s != y.s) return false;
  }
  return true;
}

struct Timing {
  std::string formula;
  std::string society;
  double machine;  // at least this, when `machine_capped`
  double walker;   // at least this, when `capped`
  bool capped;
  bool machine_capped = false;
  // At most this, when the walker is capped; at least, when the machine is.
  double ratio() const { return machine / walker; }
  bool inconclusive() const { return capped && machine_capped; }
};

// The machine is stopped after this many seconds; the walker then gets
// this over 1.2: finishing within it, it beats the bound.
constexpr double MACHINE_LIMIT = 30;

// Player 0 the formula, then the society's 99.
Timing time_in(const Formula* formula, const std::vector<Formula*>& others, const char* society) {
  std::vector<Formula*> players{const_cast<Formula*>(formula)};
  players.insert(players.end(), others.begin(), others.begin() + (SOCIETY - 1));
  Outcome machine = timed_in_child(play_rounds, players.data(), SOCIETY, MACHINE_LIMIT);
  const double deadline =
      machine.capped ? MACHINE_LIMIT / 1.2 : std::clamp(WALKER_CAP * machine.seconds, 0.5, std::max(60.0, 1.5 * machine.seconds));
  Outcome walker = timed_in_child(play_by_walking, players.data(), SOCIETY, deadline);
  if (!machine.capped && !walker.capped && !same_outcome(machine, walker, SOCIETY)) {
    std::fprintf(stderr, "the machine and the walker differ on %s in %s\n", format_Formula(formula).c_str(), society);
    std::exit(1);
  }
  return {format_Formula(formula), society, machine.seconds, walker.seconds, walker.capped, machine.capped};
}

struct Societies {
  Owned_Trees tit_for_tat;
  Owned_Trees random;
  Societies() {
    for (int32_t i = 0; i < SOCIETY - 1; ++i) tit_for_tat.trees.push_back(parse_Formula("Dcrp"));
    seed_random(1);
    Scope agents, times;
    for (int32_t i = 0; i < SOCIETY - 1; ++i) {
      init_variables(agents, times);
      random.trees.push_back(random_Formula(agents, times));
    }
  }
};

void time_formula(const Formula* formula, const Societies& societies, std::vector<Timing>& timings) {
  std::fprintf(stderr, "timing %s\n", format_Formula(formula).c_str());
  timings.push_back(time_in(formula, societies.tit_for_tat.trees, "99 tit for tat"));
  timings.push_back(time_in(formula, societies.random.trees, "99 random"));
  const Timing& a = timings[timings.size() - 2];
  const Timing& b = timings.back();
  auto mark = [](const Timing& t) { return t.inconclusive() ? "?" : t.capped ? "<" : t.machine_capped ? ">" : " "; };
  std::printf("%7.3f%s %7.3f%s  %9.3f %9.3f  %9.3f %9.3f  %.100s\n", a.ratio(), mark(a), b.ratio(), mark(b),
              a.machine * 1e3, a.walker * 1e3, b.machine * 1e3, b.walker * 1e3, a.formula.c_str());
  std::fflush(stdout);
}

// The depth of quantifier nesting of a tree.
int32_t quantifier_depth(const Formula* formula) {
  int32_t deepest = 0;
  struct Visit {
    const Formula* node;
    int32_t depth;
  };
  std::vector<Visit> pending{{formula, 0}};
  while (!pending.empty()) {
    Visit visit = pending.back();
    pending.pop_back();
    if (!visit.node) continue;
    int32_t depth = visit.depth + (is_quantifier(visit.node->type) ? 1 : 0);
    deepest = std::max(deepest, depth);
    pending.push_back({visit.node->left, depth});
    pending.push_back({visit.node->right, depth});
  }
  return deepest;
}

// The TOP formulae kept by one measure, ties by the order they were grown.
struct Kept {
  int64_t measure;
  int64_t order;
  Formula* tree;
};

void keep(std::vector<Kept>& kept, size_t top, Kept candidate) {
  auto better = [](const Kept& a, const Kept& b) { return a.measure != b.measure ? a.measure > b.measure : a.order < b.order; };
  if (kept.size() == top && !better(candidate, kept.back())) {
    free_Formula(candidate.tree);
    return;
  }
  kept.insert(std::upper_bound(kept.begin(), kept.end(), candidate, better), candidate);
  if (kept.size() > top) {
    free_Formula(kept.back().tree);
    kept.pop_back();
  }
}

void print_distribution(std::vector<Timing> all) {
  std::vector<Timing> timings;
  for (const Timing& t : all)
    if (!t.inconclusive()) timings.push_back(t);
  std::printf("\n%zu timings where both the machine and the walker took over %.0f s and %.0f s: left out\n",
              all.size() - timings.size(), MACHINE_LIMIT, MACHINE_LIMIT / 1.2);
  if (timings.empty()) return;
  std::sort(timings.begin(), timings.end(), [](const Timing& a, const Timing& b) { return a.ratio() < b.ratio(); });
  auto at = [&](double share) { return timings[std::min(timings.size() - 1, static_cast<size_t>(share * timings.size()))].ratio(); };
  std::printf("\n%zu timings: median %.3f, 90th percentile %.3f, 99th percentile %.3f, worst %.3f\n", timings.size(),
              at(0.5), at(0.9), at(0.99), timings.back().ratio());
  double machine = 0, walker = 0;
  for (const Timing& t : timings) machine += t.machine, walker += t.walker;
  std::printf("total: machine %.3f s, walker %.3f s\n", machine, walker);
  std::printf("worst:\n");
  for (size_t i = timings.size(); i-- > 0 && i + 10 >= timings.size();)
    std::printf("  %.3f  %s  machine %.3f ms, walker %.3f ms  %.120s\n", timings[i].ratio(), timings[i].society.c_str(),
                timings[i].machine * 1e3, timings[i].walker * 1e3, timings[i].formula.c_str());
}

int time_files(int argc, char** argv) {
  Societies societies;
  std::vector<Timing> timings;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i]);
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      Formula* tree = parse_Formula(strip_white_space(line));
      time_formula(tree, societies, timings);
      free_Formula(tree);
    }
  }
  print_distribution(timings);
  return 0;
}

void grow_listings(int32_t first, int32_t last, size_t top, std::vector<Kept>& largest, std::vector<Kept>& deepest) {
  int64_t order = 0;
  for (int32_t seed = first; seed <= last; ++seed) {
    seed_random(seed);
    Formula* population[RANDOM_POP] = {};
    init_random_Formulae(population, RANDOM_POP);
    for (Formula* tree : population) {
      keep(largest, top, {size_Formula(tree), order, copy_Formula(tree)});
      keep(deepest, top, {quantifier_depth(tree), order++, tree});
    }
  }
}

// The largest and the most deeply quantified formula of every generation of
// evolution runs of 10 random formulae.
void grow_evolved(int32_t seeds, std::vector<Formula*>& evolved) {
  for (int32_t seed = 1; seed <= seeds; ++seed) {
    seed_random(seed);
    Formula* population[MAX_POP] = {};
    init_random_Formulae(population, RANDOM_POP);
    History history;
    Result results[MAX_POP];
    for (int32_t generation = 0; generation < 100; ++generation) {
      play_rounds(history, population, RANDOM_POP, Game_Rules{});
      get_Results(history, results, RANDOM_POP);
      auto by_size = std::max_element(population, population + RANDOM_POP, [](const Formula* a, const Formula* b) {
        return size_Formula(a) < size_Formula(b);
      });
      auto by_depth = std::max_element(population, population + RANDOM_POP, [](const Formula* a, const Formula* b) {
        return quantifier_depth(a) < quantifier_depth(b);
      });
      evolved.push_back(copy_Formula(*by_size));
      if (by_depth != by_size) evolved.push_back(copy_Formula(*by_depth));
      update_Formulae(results, population, RANDOM_POP, Breeding{0.0, true});
    }
    for (Formula* tree : population) free_Formula(tree);
  }
}

// The first 20 formulae in the given order as a workload: lines starting
// with # give the ratio (at most, with <), the society, the machine's and
// the walker's milliseconds; the formula follows on its own line.
template <typename Order>
void write_workload(const std::string& path, std::vector<Timing> timings, const char* what, Order order) {
  std::sort(timings.begin(), timings.end(), order);
  std::ofstream out(path);
  out << "# The formulae ipdlogic-hunter found " << what << ": ratio to the walker,\n"
      << "# society, machine ms and walker ms, then the formula on the next line.\n";
  for (size_t i = 0; i < timings.size() && i < 20; ++i) {
    char line[256];
    const Timing& t = timings[i];
    std::snprintf(line, sizeof line, "# %.3f%s %s %.3f %.3f\n", t.ratio(),
                  t.inconclusive() ? "?" : t.capped ? "<" : t.machine_capped ? ">" : "",
                  timings[i].society.c_str(), timings[i].machine * 1e3, timings[i].walker * 1e3);
    out << line << timings[i].formula << "\n";
  }
}

// Keeps the first of formulae that print alike.
void drop_repeated(std::vector<Formula*>& trees) {
  std::vector<std::string> seen;
  size_t kept = 0;
  for (Formula* tree : trees) {
    std::string text = format_Formula(tree);
    if (std::find(seen.begin(), seen.end(), text) != seen.end()) {
      free_Formula(tree);
      continue;
    }
    seen.push_back(std::move(text));
    trees[kept++] = tree;
  }
  trees.resize(kept);
}

int search(int argc, char** argv) {
  if (argc < 6) error("usage: ipdlogic-hunter search FIRST LAST TOP OUT [EVOLVED_SEEDS]");
  const int32_t first = std::atoi(argv[2]), last = std::atoi(argv[3]);
  const auto top = static_cast<size_t>(std::atoi(argv[4]));
  const int32_t evolved_seeds = argc > 6 ? std::atoi(argv[6]) : 20;
  std::vector<Kept> largest, deepest;
  grow_listings(first, last, top, largest, deepest);
  Owned_Trees candidates;
  for (const Kept& kept : largest) candidates.trees.push_back(kept.tree);
  for (const Kept& kept : deepest) candidates.trees.push_back(kept.tree);
  grow_evolved(evolved_seeds, candidates.trees);
  drop_repeated(candidates.trees);
  std::printf("%zu distinct formulae: of the %zu largest and %zu most deeply quantified of seeds %d to %d, and the"
              " largest and most deeply quantified of every generation of %d evolution runs\n",
              candidates.trees.size(), largest.size(), deepest.size(), first, last, evolved_seeds);
  std::printf("   ratio (tft, random)  tft ms: machine walker  random ms: machine walker  formula\n");
  Societies societies;
  std::vector<Timing> timings;
  for (const Formula* tree : candidates.trees) time_formula(tree, societies, timings);
  print_distribution(timings);
  write_workload(argv[5], timings, "slowest against the walker, worst first",
                 [](const Timing& a, const Timing& b) { return a.ratio() > b.ratio(); });
  write_workload(std::string(argv[5]) + ".slowest", timings, "slowest in time among 99 tit for tat, slowest first",
                 [](const Timing& a, const Timing& b) {
                   return (a.society != b.society) ? a.society > b.society : a.machine > b.machine;
                 });
  return 0;
}

template <Evaluation_Choice Choice>
void play_choosing(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules) {
  play_rounds_choosing(history, formulae, pop, rules, Machine_Settings{Choice});
}

// The machine's three ways among 99 tit for tat: by its choice, by tables, by loops.
int compare_choices(int argc, char** argv) {
  Societies societies;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i]);
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      Formula* tree = parse_Formula(strip_white_space(line));
      std::vector<Formula*> players{tree};
      const Owned_Trees& others = std::string(argv[1]) == "choices-random" ? societies.random : societies.tit_for_tat;
      players.insert(players.end(), others.trees.begin(), others.trees.end());
      double by_cost = timed(play_choosing<CHOOSE_BY_COST>, players.data(), SOCIETY).seconds;
      double tables = timed(play_choosing<ALWAYS_TABLES>, players.data(), SOCIETY).seconds;
      double loops = timed(play_choosing<ALWAYS_LOOPS>, players.data(), SOCIETY).seconds;
      std::printf("choice %9.3f ms  tables %9.3f ms  loops %9.3f ms  %.80s\n", by_cost * 1e3, tables * 1e3, loops * 1e3,
                  line.c_str());
      std::fflush(stdout);
      free_Formula(tree);
    }
  }
  return 0;
}

// One tournament among 99 tit for tat by one way: for profiling.
int play_one(int argc, char** argv) {
  if (argc < 4) error("usage: ipdlogic-hunter play cost|tables|loops|walk FILE [random]");
  const std::string way = argv[2];
  Tournament_Play play = way == "tables"  ? play_choosing<ALWAYS_TABLES>
                         : way == "loops" ? play_choosing<ALWAYS_LOOPS>
                         : way == "walk"  ? play_by_walking
                                          : play_choosing<CHOOSE_BY_COST>;
  Societies societies;
  std::ifstream in(argv[3]);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    Formula* tree = parse_Formula(strip_white_space(line));
    std::vector<Formula*> players{tree};
    const Owned_Trees& others = argc > 4 && std::string(argv[4]) == "random" ? societies.random : societies.tit_for_tat;
    players.insert(players.end(), others.trees.begin(), others.trees.end());
    History history;
    seed_random(static_cast<int32_t>(PLAY_SEED));
    auto start = std::chrono::steady_clock::now();
    play(history, players.data(), SOCIETY, Game_Rules{});
    std::printf("%.3f ms\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * 1e3);
    free_Formula(tree);
  }
  return 0;
}

int run(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "play") return play_one(argc, argv);
  if (mode == "choices" || mode == "choices-random") return compare_choices(argc, argv);
  if (mode == "time") return time_files(argc, argv);
  if (mode == "search") return search(argc, argv);
  error("usage: ipdlogic-hunter time FILE... | search FIRST LAST TOP OUT [EVOLVED_SEEDS]");
}

}  // namespace

int main(int argc, char** argv) { return run_reporting_failures(run, argc, argv); }
