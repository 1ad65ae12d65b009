// The tournament as the machine plays it: every distinct formula compiled
// once, their queries in one plan, and each player's moves against all of
// its opponents decided by one run of its program where the order of
// decisions cannot matter.
//
// A formula that draws nothing has two programs: one whose quantified
// subformulae are queries, worked out as tables, and one that runs every
// quantifier as a loop. The loops stop as soon as every opponent is
// decided, which often makes them far cheaper than the tables, but
// sometimes far dearer. So the loops run first, with a budget of what the
// tables cost when they last decided (a rough guess before that); a run
// that uses it up is abandoned (it drew nothing and recorded nothing) for
// the tables, which then serve for a number of rounds that doubles at each
// such failure. The program with queries is compiled only when the tables
// are first needed.
#include <cstddef>
#include <vector>

#include "game/machine/play.h"

#include "game/machine/compiler.h"
#include "game/machine/executor.h"

namespace {

struct Strategy {
  const Formula* formula = nullptr;
  int64_t nodes = 0;
  // Draws nothing and binds a letter: its loops decide, or its tables when
  // the loops cost more.
  bool adaptive = false;
  Program loops_only;
  Program_State loops_only_state;
  bool has_tables = false;  // `with_queries` is compiled
  Program with_queries;
  Program_State with_queries_state;
  int64_t tables_cost = -1;  // what the tables cost in the last round they decided, or -1
  int32_t tables_until = 0;  // the round from which the loops are tried again
  int32_t wait = 1;          // rounds of tables after the next failure of the loops
};

// Players with equal formulae share one strategy.
struct Population_Programs {
  Query_Plan plan;
  std::vector<Strategy> distinct;
  std::vector<int32_t> of_player;  // index into `distinct`
  Query_Tables tables;
};

// How many players ask for each query of the programs compiled so far.
void prepare_tables(Population_Programs& programs) {
  std::vector<int32_t> uses(programs.plan.nodes.size(), 0);
  std::vector<int32_t> queries;
  for (const Strategy& strategy : programs.distinct)
    queries.insert(queries.end(), strategy.with_queries.queries.begin(), strategy.with_queries.queries.end());
  for (int32_t index : programs.of_player)
    for (int32_t root : programs.distinct[index].with_queries.queries) ++uses[root];
  prepare_Query_Tables(programs.tables, programs.plan, uses, queries);
}

// Compiles a strategy's program with queries.
void compile_tables(Query_Plan& plan, Strategy& strategy, const Analysis& analysis) {
  strategy.with_queries = compile_Formula(strategy.formula, analysis, plan, true);
  init_Program_State(strategy.with_queries, plan, strategy.with_queries_state);
  strategy.has_tables = true;
}

// The same for a strategy whose loops first need the tables in the course
// of a tournament: the tables are readied anew for its queries too.
void give_tables(Population_Programs& programs, Strategy& strategy) {
  if (strategy.has_tables) return;
  compile_tables(programs.plan, strategy, analyse_Formula(strategy.formula));
  if (!strategy.with_queries.queries.empty()) prepare_tables(programs);
}

// A formula that draws nothing runs its loops first; the others decide by
// their program with queries from the start.
Strategy make_strategy(const Formula* formula, Query_Plan& plan) {
  Strategy strategy;
  strategy.formula = formula;
  const Analysis analysis = analyse_Formula(formula);
  strategy.nodes = static_cast<int64_t>(analysis.info.size());
  strategy.adaptive = analysis.info[0].pure && analysis.loops > 0;
  if (strategy.adaptive) {
    strategy.loops_only = compile_Formula(formula, analysis, plan, false);
    init_Program_State(strategy.loops_only, plan, strategy.loops_only_state);
  } else {
    compile_tables(plan, strategy, analysis);
  }
  return strategy;
}

void compile_population(Population_Programs& programs, Formula* const* formulae, int32_t pop, int32_t rounds,
                        int64_t max_table_sets) {
  std::vector<const Formula*> compiled;
  std::vector<uint64_t> hashes;
  programs.plan.pop = pop;
  programs.plan.times = most_time_candidates(rounds);
  programs.plan.max_table_sets = max_table_sets;
  programs.of_player.resize(static_cast<size_t>(pop));
  programs.distinct.reserve(static_cast<size_t>(pop));
  for (agent row = 0; row < pop; ++row) {
    uint64_t hash = hash_Formula(formulae[row]);
    size_t same = 0;
    while (same < compiled.size() && !(hashes[same] == hash && equal_Formula(compiled[same], formulae[row]))) ++same;
    if (same == compiled.size()) {
      programs.distinct.push_back(make_strategy(formulae[row], programs.plan));
      compiled.push_back(formulae[row]);
      hashes.push_back(hash);
    }
    programs.of_player[row] = static_cast<int32_t>(same);
  }
  prepare_tables(programs);
}

// The loops' budget before the tables have decided once: what one table
// over the opponents for every node of the formula would cost. Kept low,
// so that loops that do not stop early give way to the tables soon and
// what the tables cost is known from then on.
int64_t first_budget(const Strategy& strategy, int32_t pop) { return strategy.nodes * pop; }

// Draws must come in the order of the opponents, decision by decision: a
// formula that draws more than once per decision, or once while noise
// draws after each decision, decides one opponent at a time, and so does a
// player that reads its own moves of this round, to see each as recorded.
bool decides_one_by_one(const Program& program, int32_t time, bool noisy) {
  return (program.draws && (!program.draws_once || noisy)) || reads_current_round(program, time);
}

// A row's moves against all opponents, each flipped by its own noise draw,
// opponents ascending.
Mask with_noise(Mask moves, int32_t pop, agent row, double noise) {
  for (agent column = 0; column < pop; ++column)
    if (column != row && noise_flips(noise)) moves = moves ^ player_bit(column);
  return moves;
}

// One player's moves in one round, decided by one of its strategy's
// programs; the loops only give up when they use their budget up, and
// then the tables decide what is left. In a round where the formula may
// read its own moves of this round at a constant time, its loops decide,
// one opponent at a time, since its queries may read them. Noise flips
// each move before it is recorded.
void decide_row(History& history, Population_Programs& programs, Strategy& strategy, Batch decisions, int32_t time,
                const Game_Rules& rules, Evaluation_Choice choice) {
  const Mask opponents = first_players(decisions.pop) & ~player_bit(decisions.row);
  const bool noisy = rules.noise != 0.0;
  const Program& program = strategy.adaptive ? strategy.loops_only : strategy.with_queries;
  const bool own_round = reads_current_round(program, time);
  int64_t budget = 0;
  bool loops = strategy.adaptive &&
               (own_round || (choice != ALWAYS_TABLES && time >= strategy.tables_until));
  if (loops && !own_round && choice == CHOOSE_BY_COST) {
    budget = strategy.tables_cost >= 0 ? strategy.tables_cost
                                       : first_budget(strategy, decisions.pop);
    decisions.budget = &budget;
  }
  const int64_t spent_before = programs.tables.spent;
  bool tables_decided = false;
  auto run = [&](int32_t column) {
    if (loops) {
      Mask move = execute_Program(strategy.loops_only, strategy.loops_only_state, decisions, column);
      if (budget >= 0) return move;
      loops = false;
      decisions.budget = nullptr;
      strategy.tables_until = time + strategy.wait;
      strategy.wait *= 2;
    }
    give_tables(programs, strategy);
    tables_decided = true;
    return execute_Program(strategy.with_queries, strategy.with_queries_state, decisions, column);
  };
  if (!decides_one_by_one(program, time, noisy)) {
    Mask moves = run(-1);
    record_moves(history, decisions.row, opponents, noisy ? with_noise(moves, decisions.pop, decisions.row, rules.noise) : moves);
  } else {
    for (agent column = 0; column < decisions.pop; ++column) {
      if (column == decisions.row) continue;
      bool defect = has_player(run(column), column) != noise_flips(rules.noise);
      record_moves(history, decisions.row, player_bit(column), all_or_none(defect));
    }
  }
  if (loops && !own_round) strategy.wait = 1;
  if (tables_decided) strategy.tables_cost = programs.tables.spent - spent_before;
}

}  // namespace

void play_rounds_choosing(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules,
                          const Machine_Settings& settings) {
  const int32_t rounds = rules.rounds;
  reset_history(history);
  if (pop < 2) return;
  Population_Programs programs;
  compile_population(programs, formulae, pop, rounds, settings.max_table_sets);
  uint64_t batch = 0;
  for (int32_t time = 0; time < rounds; ++time) {
    start_round(history, time);
    for (agent row = 0; row < pop; ++row)
      decide_row(history, programs, programs.distinct[programs.of_player[row]],
                 Batch{&history, pop, row, time - 1, ++batch, &programs.tables}, time, rules, settings.choice);
    finish_round(history);
    if (!plays_another_round(rules, time)) break;
  }
}
