// Micro-benchmarks of evaluation, tournaments and breeding: each decision
// benchmark runs the formula by substituted copies, by walking the tree,
// and compiled, with its quantified subformulae as query tables or as the
// machine's loops, against the same history.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "evolve/breeding.h"
#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "formula/notation_reader.h"
#include "reference/walker.h"
#include "game/history.h"
#include "game/machine/compiler.h"
#include "game/machine/executor.h"
#include "game/results.h"
#include "reference/substitution.h"
#include "game/tournament.h"

namespace {

// A history of `pop` players whose first `rounds` rounds hold random moves.
struct Played_History {
  History history;

  Played_History(int32_t pop, int32_t rounds) {
    std::mt19937 rng(5);
    for (int32_t time = 0; time < rounds; ++time)
      for (agent row = 0; row < pop; ++row)
        for (agent column = 0; column < pop; ++column)
          if (row != column) add_action(history, row, column, time, rng() % 3 == 0);
  }
};

Formula* parse_text(const std::string& text) { return parse_Formula(text); }

enum Evaluator { BY_SUBSTITUTION, TREE_WALK, TABLES, LOOPS };

// One decision (row 0 against column 1), or compiled one player's
// decisions against every opponent at once, divided by the opponents.
void run_decisions(benchmark::State& state, const std::string& text, int32_t pop, int32_t prev_time, Evaluator how) {
  Played_History played(pop, prev_time + 1);
  Formula* formula = parse_text(text);
  Query_Plan plan;
  plan.pop = pop;
  plan.times = most_time_candidates(ROUNDS);
  Program program = compile_Formula(formula, plan, true);
  plan_regions(program, plan);
  Query_Tables tables;
  std::vector<int32_t> uses(plan.nodes.size(), 0), queries;
  for (const Region& region : program.regions)
    if (region.plan == Region_Plan::TABLES) ++uses[region.query], queries.push_back(region.query);
  prepare_Query_Tables(tables, plan, uses, queries);
  Program_State program_state;
  init_Program_State(program, program_state, pop);
  Memo_Cache memos;
  memos.entries.assign(size_t{1} << 16, Memo_Entry{});
  const Region_Policy policy = how == LOOPS ? REGIONS_BY_LOOPS : REGIONS_BY_TABLES;
  uint64_t batch = 0;
  for (auto _ : state) {
    switch (how) {
      case BY_SUBSTITUTION:
        benchmark::DoNotOptimize(evaluate_by_substitution(played.history, formula, pop, 0, 1, prev_time));
        break;
      case TREE_WALK:
        benchmark::DoNotOptimize(evaluate(played.history, formula, pop, 0, 1, prev_time));
        break;
      case TABLES:
      case LOOPS: {
        Batch decisions{&played.history, pop, 0, prev_time, ++batch, &tables, &memos, 0, policy, false};
        benchmark::DoNotOptimize(program.draws && !program.draws_once
                                     ? execute_Program(program, program_state, decisions, 1)
                                     : execute_Program(program, program_state, decisions, -1));
        break;
      }
    }
  }
  if ((how == TABLES || how == LOOPS) && !(program.draws && !program.draws_once))
    state.counters["per_decision_ns"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * (pop - 1),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  free_Formula(formula);
}

void register_decisions() {
  const struct {
    const char* name;
    const char* text;
    int32_t pop;
    int32_t prev_time;
  } cases[] = {
      {"AND", "Drcp&Dcrp", 10, 20},          {"OR", "Drcp|Dcrp", 10, 20},
      {"NOT", "~Drcp", 10, 20},              {"FORALL_AGENT", "AdDdcp", 10, 20},
      {"EXISTS_AGENT", "EdDdcp", 10, 20},    {"FORALL_TIME", "A'sDcrs", 10, 20},
      {"EXISTS_TIME", "E'sDcrs", 10, 20},    {"DEFECTED", "Dcrp", 10, 20},
      {"CHANCE", "R0.5", 10, 20},            {"agent_quantifier_98", "Ed(Ddcp&Dcdp)", 100, 20},
      {"time_quantifier_round_49", "A's(Dcrs|Drcs)", 10, 48},
      {"three_nested_agents_30", "Ed(Ee(Ef(Ddep&Defp&Dfdp)))", 30, 20},
  };
  const std::pair<const char*, Evaluator> evaluators[] = {
      {"substitution", BY_SUBSTITUTION}, {"tree_walk", TREE_WALK}, {"tables", TABLES}, {"loops", LOOPS}};
  for (const auto& c : cases)
    for (const auto& [evaluator_name, how] : evaluators)
      benchmark::RegisterBenchmark((std::string("decision/") + c.name + "/" + evaluator_name).c_str(),
                                   [c, how = how](benchmark::State& state) {
                                     run_decisions(state, c.text, c.pop, c.prev_time, how);
                                   });
}

std::vector<Formula*> library_players(int32_t pop) {
  const char* texts[] = {"~Drcp&~Drc0", "Dcrp&~Dcrp", "Dcrp|~Dcrp", "Dcrp&R0.9", "E'sDcrs|Dcrp", "Dcrp|Dcrp-1|Dcrp-2",
                         "Dcrp|EdDcdp", "R0.5", "Dcrp", "Dcrp&Dcrp-1", "Dcrp|Dcrp-1", "(Drcp&~Dcrp)|(~Drcp&Dcrp)"};
  std::vector<Formula*> players;
  for (int32_t i = 0; i < pop; ++i) players.push_back(parse_text(texts[i % 12]));
  return players;
}

void tournament(benchmark::State& state) {
  auto pop = static_cast<int32_t>(state.range(0));
  std::vector<Formula*> players = library_players(pop);
  History history;
  for (auto _ : state) play_rounds(history, players.data(), pop, Game_Rules{});
  for (Formula* player : players) free_Formula(player);
}
BENCHMARK(tournament)->Name("tournament/classic")->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

// The six quantified formulae of the whole-process benchmark, 100 players.
void quantified_tournament(benchmark::State& state) {
  const char* texts[] = {"Ed(Ddcp&Dcdp)", "Ad(Ddcp|~Dcdp)", "E'sDcrs", "A's(Dcrs|Drcs)", "E'sEd(Ddcs&Dcds-1)",
                         "Ed(Ddcp&Dcdp)|A'sDcrs"};
  std::vector<Formula*> players;
  for (int32_t i = 0; i < MAX_POP; ++i) players.push_back(parse_text(texts[i % 6]));
  History history;
  for (auto _ : state) play_rounds(history, players.data(), MAX_POP, Game_Rules{});
  for (Formula* player : players) free_Formula(player);
}
BENCHMARK(quantified_tournament)->Name("tournament/quantified")->Unit(benchmark::kMicrosecond);

// One generation's breeding and repair of 100 random trees.
void breeding(benchmark::State& state) {
  seed_random(3);
  Formula* population[MAX_POP];
  init_random_Formulae(population, MAX_POP);
  Result results[MAX_POP];
  for (int32_t i = 0; i < MAX_POP; ++i) results[i].score = 100 + 7 * i;
  for (auto _ : state) {
    state.PauseTiming();
    Formula* formulae[MAX_POP];
    for (int32_t i = 0; i < MAX_POP; ++i) formulae[i] = copy_Formula(population[i]);
    state.ResumeTiming();
    update_Formulae(results, formulae, MAX_POP);
    state.PauseTiming();
    for (Formula* formula : formulae) free_Formula(formula);
    state.ResumeTiming();
  }
  for (Formula* formula : population) free_Formula(formula);
}
BENCHMARK(breeding)->Name("generation/breeding_and_repair")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Breeding reports on standard output; the benchmark table goes to standard error.
  if (!std::freopen("/dev/null", "w", stdout)) return 1;
  register_decisions();
  benchmark::Initialize(&argc, argv);
  benchmark::ConsoleReporter table(benchmark::ConsoleReporter::OO_Tabular);
  table.SetOutputStream(&std::cerr);
  table.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&table);
  benchmark::Shutdown();
  return 0;
}
