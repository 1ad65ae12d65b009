// The tournament as the machine plays it: every distinct formula compiled
// once, their queries in one plan, and each player's moves against all of
// its opponents decided by one run of its program where the order of
// decisions cannot matter.
//
// The program runs every quantifier as a loop, which stops as soon as every
// opponent is decided, but each region (a subformula that draws nothing and
// holds a quantifier) may instead be decided by its query's tables, which
// cost the product of the ranges of their free variables whatever the
// history. The executor chooses per region, by what each way costs: see
// `allowance` there.
#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

#include "game/machine/play.h"

#include "game/machine/compiler.h"
#include "game/machine/executor.h"

namespace {

struct Strategy {
  std::vector<Formula> nodes;  // a copy of the formula, in one block
  const Formula* formula = nullptr;  // its root
  uint64_t hash = 0;
  Program program;
  Program_State state;
  int32_t first_memo = 0;     // the number of its first memo in the memo cache
  uint64_t last_played = 0;   // the tournament that last played it
};

// What the machine keeps from one tournament to the next on a thread: the
// compiled formulae, their queries' plan, the tables' memory and the memo
// cache. A formula compiled once serves every later tournament it plays in
// with the same number of players, rounds and table bound (an evolution
// recompiles only its new formulae); one that sits out a tournament is
// dropped.
struct Machine {
  int32_t pop = -1;
  int32_t rounds = -1;
  int64_t max_table_sets = -1;
  Query_Plan plan;
  std::vector<Strategy> strategies;
  std::unordered_multimap<uint64_t, int32_t> by_hash;  // a formula's hash: its strategies
  Query_Tables tables;
  Memo_Cache memos;
  int32_t next_memo = 0;
  uint64_t tournaments = 0;
  uint64_t batches = 0;
  bool tables_stale = false;  // a strategy's queries were made since the tables were readied
  size_t plan_floor = 0;      // the plan's nodes when it was last made afresh
  std::vector<int32_t> of_player;  // each player's strategy
  std::vector<int32_t> queries, uses;  // readying the tables: the queries asked, and by how many players
};

// A thread keeps a few machines, one for each kind of tournament it plays
// lately (a lab run's, and the fingerprints' of its formulae, say): a
// tournament of another size or length takes the least recently used.
constexpr size_t MACHINES = 4;
struct Machines {
  std::vector<Machine> kept = std::vector<Machine>(MACHINES);
  std::vector<uint64_t> last_used = std::vector<uint64_t>(MACHINES, 0);
  uint64_t clock = 0;
};
thread_local Machines machines;

Machine& machine_for(int32_t pop, int32_t rounds, int64_t max_table_sets) {
  size_t chosen = 0;
  for (size_t i = 0; i < MACHINES; ++i) {
    const Machine& m = machines.kept[i];
    if (m.pop == pop && m.rounds == rounds && m.max_table_sets == max_table_sets) {
      chosen = i;
      break;
    }
    if (machines.last_used[i] < machines.last_used[chosen]) chosen = i;
  }
  machines.last_used[chosen] = ++machines.clock;
  return machines.kept[chosen];
}

// The memo cache holds this many values (2 MiB).
constexpr size_t MEMO_ENTRIES = size_t{1} << 16;
// Past this many nodes the plan, which keeps the queries of formulae long
// dropped, starts afresh.
constexpr size_t MOST_PLAN_NODES = 1 << 18;

void forget_everything(Machine& m, int32_t pop, int32_t rounds, int64_t max_table_sets) {
  m.strategies.clear();
  m.by_hash.clear();
  m.plan = Query_Plan{};
  m.plan.pop = m.pop = pop;
  m.rounds = rounds;
  m.plan.times = most_time_candidates(rounds);
  m.plan.max_table_sets = m.max_table_sets = max_table_sets;
  m.next_memo = 0;
  m.plan_floor = 0;
}

// How many players ask for each region's query. The counts by node are
// kept zero between calls, so that readying costs what the players ask.
void prepare_tables(Machine& m) {
  std::vector<int32_t>& queries = m.queries;
  queries.clear();
  for (const Strategy& strategy : m.strategies)
    for (const Region& region : strategy.program.regions)
      if (region.plan == Region_Plan::TABLES) queries.push_back(region.query);
  // Most tournaments ask no query at all: then nothing is worked out over
  // the plan, which holds every formula the machine has kept.
  if (queries.empty()) return clear_Query_Tables(m.tables, m.plan);
  if (m.uses.size() < m.plan.nodes.size()) m.uses.resize(m.plan.nodes.size(), 0);
  for (int32_t index : m.of_player)
    for (const Region& region : m.strategies[index].program.regions)
      if (region.plan == Region_Plan::TABLES) ++m.uses[region.query];
  prepare_Query_Tables(m.tables, m.plan, m.uses, queries);
  for (int32_t query : queries) m.uses[query] = 0;
}

// A copy of a tree in one block of nodes, in pre-order: one allocation to
// make and one to release, however large the tree.
void copy_into(const Formula* formula, std::vector<Formula>& nodes) {
  nodes.reserve(static_cast<size_t>(size_Formula(formula)));
  struct Pending {
    const Formula* source;
    Formula** slot;
  };
  Formula* root = nullptr;
  std::vector<Pending> pending{{formula, &root}};
  while (!pending.empty()) {
    const Pending next = pending.back();
    pending.pop_back();
    if (!next.source) continue;
    nodes.push_back(*next.source);
    Formula* node = &nodes.back();  // the block never grows past its reserve
    *next.slot = node;
    pending.push_back({next.source->right, &node->right});
    pending.push_back({next.source->left, &node->left});
  }
}

Strategy make_strategy(const Formula* formula, uint64_t hash, Machine& m) {
  Strategy strategy;
  copy_into(formula, strategy.nodes);
  strategy.formula = strategy.nodes.data();
  strategy.hash = hash;
  strategy.program = compile_Formula(strategy.formula, m.plan, true);
  init_Program_State(strategy.program, strategy.state, m.pop);
  strategy.first_memo = m.next_memo;
  m.next_memo += static_cast<int32_t>(strategy.program.memos.size());
  return strategy;
}

// The strategy of a formula, compiled if no earlier one has it.
int32_t strategy_of(Machine& m, const Formula* formula) {
  const uint64_t hash = hash_Formula(formula);
  auto [first, last] = m.by_hash.equal_range(hash);
  for (auto it = first; it != last; ++it)
    if (equal_Formula(m.strategies[it->second].formula, formula)) return it->second;
  m.strategies.push_back(make_strategy(formula, hash, m));
  const auto index = static_cast<int32_t>(m.strategies.size()) - 1;
  m.by_hash.emplace(hash, index);
  return index;
}

// Drops the strategies the last tournament did not play.
void drop_unplayed(Machine& m) {
  size_t kept = 0;
  for (Strategy& strategy : m.strategies)
    if (strategy.last_played == m.tournaments) std::swap(m.strategies[kept++], strategy);
  m.strategies.resize(kept);
  m.by_hash.clear();
  for (size_t i = 0; i < kept; ++i) m.by_hash.emplace(m.strategies[i].hash, static_cast<int32_t>(i));
}

// Makes the plan afresh, with only the queries of the strategies kept: the
// plan keeps the queries of every formula it ever took, and the tables'
// entries grow with it.
void make_plan_afresh(Machine& m) {
  Query_Plan fresh;
  fresh.pop = m.plan.pop;
  fresh.times = m.plan.times;
  fresh.max_table_sets = m.plan.max_table_sets;
  m.plan = std::move(fresh);
  for (Strategy& strategy : m.strategies) {
    if (!strategy.program.planned) continue;
    replan_regions(strategy.program, m.plan);
    plan_Program_State(strategy.program, strategy.state);
  }
  m.plan_floor = m.plan.nodes.size();
}

void compile_population(Machine& m, Formula* const* formulae, int32_t pop, int32_t rounds, int64_t max_table_sets) {
  if (m.pop != pop || m.rounds != rounds || m.max_table_sets != max_table_sets || m.plan.nodes.size() > MOST_PLAN_NODES ||
      m.next_memo > (1 << 30))
    forget_everything(m, pop, rounds, max_table_sets);
  if (m.tournaments > 0) drop_unplayed(m);
  if (m.plan.nodes.size() > 2 * m.plan_floor + 4096) make_plan_afresh(m);
  ++m.tournaments;
  m.of_player.resize(static_cast<size_t>(pop));
  for (agent row = 0; row < pop; ++row) m.of_player[row] = strategy_of(m, formulae[row]);
  for (int32_t index : m.of_player) {
    Strategy& strategy = m.strategies[index];
    if (strategy.last_played != m.tournaments) std::fill(strategy.state.kept_folds.begin(), strategy.state.kept_folds.end(), Kept_Fold{});
    strategy.last_played = m.tournaments;
  }
  if (m.next_memo > 0 && m.memos.entries.empty()) m.memos.entries.assign(MEMO_ENTRIES, Memo_Entry{});
  prepare_tables(m);
  m.tables_stale = false;
}

// Draws must come in the order of the opponents, decision by decision: a
// formula that draws more than once per decision, or once while noise
// draws after each decision, decides one opponent at a time, and so does a
// player that reads its own moves of this round, to see each as recorded.
bool decides_one_by_one(const Program& program, bool own_round, bool noisy) {
  return (program.draws && (!program.draws_once || noisy)) || own_round;
}

// A row's moves against all opponents, each flipped by its own noise draw,
// opponents ascending.
Mask with_noise(Mask moves, int32_t pop, agent row, double noise) {
  for (agent column = 0; column < pop; ++column)
    if (column != row && noise_flips(noise)) moves = moves ^ player_bit(column);
  return moves;
}

// One player's moves in one round. Noise flips each move before it is
// recorded.
// Makes the queries of a strategy whose loops have asked for them. The
// tables are readied anew for them before a strategy with queries decides
// next, so that the strategies planned in one round are readied together.
void plan_strategy(Machine& m, Strategy& strategy) {
  plan_regions(strategy.program, m.plan);
  plan_Program_State(strategy.program, strategy.state);
  m.tables_stale = true;
}

void decide_row(History& history, Strategy& strategy, const Batch& decisions, const Game_Rules& rules) {
  const Mask opponents = first_players(decisions.pop) & ~player_bit(decisions.row);
  const bool noisy = rules.noise != 0.0;
  if (!decides_one_by_one(strategy.program, decisions.own_round, noisy)) {
    Mask moves = execute_Program(strategy.program, strategy.state, decisions, -1);
    if (noisy) moves = with_noise(moves, decisions.pop, decisions.row, rules.noise);
    record_moves(history, decisions.row, opponents, moves);
    return;
  }
  for (agent column = 0; column < decisions.pop; ++column) {
    if (column == decisions.row) continue;
    bool defect = has_player(execute_Program(strategy.program, strategy.state, decisions, column), column) !=
                  noise_flips(rules.noise);
    record_moves(history, decisions.row, player_bit(column), all_or_none(defect));
  }
}

Region_Policy policy_of(Evaluation_Choice choice) {
  switch (choice) {
    case ALWAYS_TABLES: return REGIONS_BY_TABLES;
    case ALWAYS_LOOPS: return REGIONS_BY_LOOPS;
    case ALWAYS_GIVE_UP: return REGIONS_GIVING_UP;
    case CHOOSE_BY_COST: break;
  }
  return REGIONS_BY_COST;
}

}  // namespace

Row_Play start_row_play(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules,
                         const Machine_Settings& settings) {
  reset_history(history);
  if (pop < 2) return {&history, rules, settings.choice, MACHINES, settings.give_up_work};
  Machine& m = machine_for(pop, rules.rounds, settings.max_table_sets);
  compile_population(m, formulae, pop, rules.rounds, settings.max_table_sets);
  return {&history, rules, settings.choice, static_cast<size_t>(&m - machines.kept.data()), settings.give_up_work};
}

namespace {

// A strategy whose loops ask for its queries while it decides: they are
// made, and the tables readied, before its run goes on.
struct Planning {
  Machine* m;
  Strategy* strategy;
};

void plan_now(void* planning) {
  const Planning& p = *static_cast<Planning*>(planning);
  plan_strategy(*p.m, *p.strategy);
  prepare_tables(*p.m);
  p.m->tables_stale = false;
}

}  // namespace

void play_row(Row_Play& play, agent row, int32_t time) {
  Machine& m = machines.kept[play.machine];
  Strategy& strategy = m.strategies[m.of_player[row]];
  if (m.tables_stale && strategy.program.planned) {
    prepare_tables(m);
    m.tables_stale = false;
  }
  Planning planning{&m, &strategy};
  const Batch decisions{play.history, m.pop, row, time - 1, ++m.batches, &m.tables, &m.memos,
                        strategy.first_memo, policy_of(play.choice), reads_current_round(strategy.program, time),
                        plan_now, &planning, play.give_up_work};
  decide_row(*play.history, strategy, decisions, play.rules);
  if (strategy.state.wants_tables && !strategy.program.planned) plan_strategy(m, strategy);
}

bool row_may_draw(const Row_Play& play, agent row) {
  const Machine& m = machines.kept[play.machine];
  return m.strategies[m.of_player[row]].program.draws;
}

void play_rounds_choosing(History& history, Formula* const* formulae, int32_t pop, const Game_Rules& rules,
                          const Machine_Settings& settings) {
  Row_Play play = start_row_play(history, formulae, pop, rules, settings);
  if (pop < 2) return;
  for (int32_t time = 0; time < rules.rounds; ++time) {
    start_round(history, time);
    for (agent row = 0; row < pop; ++row) play_row(play, row, time);
    finish_round(history);
    if (!plays_another_round(rules, time)) break;
  }
}
