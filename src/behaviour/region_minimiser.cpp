#include "behaviour/region_minimiser.h"

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "behaviour/boolean_rules.h"

namespace {

// Prime implicants are given up on beyond these, the region kept as it is:
// they bound the work of a table whose function has very many of them.
constexpr size_t MOST_CUBES = 4000;
constexpr size_t MOST_PRIMES = 500;

// A truth table: the value at row r is bit r % 64 of word r / 64. A table
// of fewer rows than the most leaves its last words zero.
constexpr size_t TABLE_WORDS = (size_t{1} << MOST_TABLE_VARIABLES) / 64;
struct Table {
  std::array<uint64_t, TABLE_WORDS> words{};
  uint64_t& operator[](size_t i) { return words[i]; }
  uint64_t operator[](size_t i) const { return words[i]; }
  bool operator==(const Table&) const = default;
};

// A product of literals: `care` bits are the variables it tests, `value`
// their wanted values.
struct Cube {
  uint32_t value;
  uint32_t care;
};

struct Tabulation {
  int32_t count;  // variables
  size_t words;   // of one table
  uint64_t last_mask;
};

Tabulation tabulation_of(int32_t count) {
  const uint32_t rows = uint32_t{1} << count;
  const size_t words = rows < 64 ? 1 : rows / 64;
  const uint64_t mask = rows < 64 ? (uint64_t{1} << rows) - 1 : ~uint64_t{0};
  return {count, words, mask};
}

// Within a word of a table, the rows where variable `index` (0 to 5) is 1.
constexpr uint64_t SET_IN_WORD[6] = {0xAAAAAAAAAAAAAAAAull, 0xCCCCCCCCCCCCCCCCull, 0xF0F0F0F0F0F0F0F0ull,
                                     0xFF00FF00FF00FF00ull, 0xFFFF0000FFFF0000ull, 0xFFFFFFFF00000000ull};

// The column of variable `index`: row m holds bit `index` of m.
Table variable_column(const Tabulation& tab, int32_t index) {
  Table column;
  for (size_t w = 0; w < tab.words; ++w)
    column[w] = index < 6 ? SET_IN_WORD[index] : (((w >> (index - 6)) & 1) ? ~uint64_t{0} : 0);
  column[tab.words - 1] &= tab.last_mask;
  return column;
}

// The rows where the table does not hold.
Table complement(const Table& table, const Tabulation& tab) {
  Table result;
  for (size_t w = 0; w < tab.words; ++w) result[w] = ~table[w];
  result[tab.words - 1] &= tab.last_mask;
  return result;
}

int32_t variable_index(const Graph_Node& root, Node_Id id) {
  for (int32_t i = 0; i < root.variable_count; ++i)
    if (root.variables[static_cast<size_t>(i)] == id) return i;
  return -1;
}

// A value for `root` worked out bottom up, without recursion and each
// shared node once: `leaf(id)` gives the value of a node whose operands
// need none, or nothing; `combine(node, left, right)` that of a NOT (right
// unused), AND or OR from its operands' values.
template <typename Value, typename Graph, typename Leaf, typename Combine>
Value bottom_up(Graph& graph, Node_Id root, Leaf leaf, Combine combine) {
  // The values found so far, by node, valid where their stamp is this
  // walk's. Only nodes that stand before the walk are looked up: those
  // that combining makes are values, never operands.
  struct Found {
    std::vector<uint32_t> stamp;
    std::vector<Value> value;
    uint32_t walk = 0;
  };
  thread_local Found found;
  thread_local std::vector<std::pair<Node_Id, bool>> pending;
  if (++found.walk == 0) std::fill(found.stamp.begin(), found.stamp.end(), found.walk++);
  if (found.stamp.size() < graph.nodes.size()) {
    found.stamp.resize(graph.nodes.size(), 0);
    found.value.resize(graph.nodes.size());
  }
  const uint32_t walk = found.walk;
  auto done = [&](Node_Id id) { return found.stamp[static_cast<size_t>(id)] == walk; };
  auto keep = [&](Node_Id id, Value value) {
    found.stamp[static_cast<size_t>(id)] = walk;
    found.value[static_cast<size_t>(id)] = std::move(value);
  };
  pending.assign(1, {root, false});
  while (!pending.empty()) {
    auto [id, operands_done] = pending.back();
    pending.pop_back();
    if (done(id)) continue;
    const Graph_Node node = node_of(graph, id);  // a copy: combining may add nodes
    if (!operands_done) {
      std::optional<Value> value = leaf(id);
      if (value) {
        keep(id, std::move(*value));
        continue;
      }
      pending.push_back({id, true});
      pending.push_back({node.left, false});
      if (node.right != NO_NODE) pending.push_back({node.right, false});
      continue;
    }
    const size_t left = static_cast<size_t>(node.left);
    const size_t right = static_cast<size_t>(node.kind == NOT ? node.left : node.right);
    keep(id, combine(node, found.value[left], found.value[right]));
  }
  return std::move(found.value[static_cast<size_t>(root)]);
}

// The truth table of a region over the root's variables.
Table truth_table(const Formula_Graph& graph, Node_Id root, const Tabulation& tab) {
  const Graph_Node& top = node_of(graph, root);
  auto leaf = [&](Node_Id id) -> std::optional<Table> {
    if (is_region(graph, id)) return std::nullopt;
    const int32_t index = variable_index(top, id);
    return index < 0 ? Table{} : variable_column(tab, index);  // no index: false
  };
  auto combine = [&](const Graph_Node& node, const Table& left, const Table& right) {
    Table table = left;
    for (size_t w = 0; w < tab.words; ++w)
      table[w] = node.kind == NOT ? ~table[w] : node.kind == AND ? table[w] & right[w] : table[w] | right[w];
    table[tab.words - 1] &= tab.last_mask;
    return table;
  };
  return bottom_up<Table>(graph, root, leaf, combine);
}

bool row_holds(const Table& table, uint32_t row) { return (table[row >> 6] >> (row & 63)) & 1; }

// Calls visit(row) for every row a cube covers.
template <typename Visit>
void for_each_row(const Cube& cube, uint32_t all, Visit visit) {
  const uint32_t free_bits = all & ~cube.care;
  uint32_t subset = 0;
  do {
    visit(cube.value | subset);
    subset = (subset - free_bits) & free_bits;
  } while (subset != 0);
}

// The table with row m moved to row m ^ 2^index: the same function of the
// variable `index` negated.
Table flipped(const Table& table, int32_t index, const Tabulation& tab) {
  Table moved;
  if (index < 6) {
    const int shift = 1 << index;
    const uint64_t clear = ~SET_IN_WORD[index];
    for (size_t w = 0; w < tab.words; ++w) moved[w] = ((table[w] >> shift) & clear) | ((table[w] & clear) << shift);
  } else {
    const size_t distance = size_t{1} << (index - 6);
    for (size_t w = 0; w < tab.words; ++w) moved[w] = table[w ^ distance];
  }
  return moved;
}

Table both(const Table& a, const Table& b, const Tabulation& tab) {
  Table result;
  for (size_t w = 0; w < tab.words; ++w) result[w] = a[w] & b[w];
  return result;
}

int64_t rows_of(const Table& table, const Tabulation& tab) {
  int64_t count = 0;
  for (size_t w = 0; w < tab.words; ++w) count += __builtin_popcountll(table[w]);
  return count;
}

// The prime implicants, worked out on whole tables: for every set F of
// variables left free, the table of the rows m whose cube (m with the
// variables of F free) is an implicant. With no variable free that is the
// function; freeing one more variable keeps the rows whose cube holds with
// that variable either way. A cube is prime when freeing any further
// variable makes it none. They come by the number of free variables, then
// by the variables tested, then by value, ascending; none at all when
// there are too many of them, or too many implicants with as many free
// variables.
std::vector<Cube> prime_implicants(const Table& on, const Tabulation& tab) {
  const uint32_t all = (uint32_t{1} << tab.count) - 1;
  thread_local std::vector<Table> implicants, canonical;  // by free set; rows whose free variables are 0
  implicants.resize(size_t{all} + 1);
  canonical.resize(size_t{all} + 1);
  implicants[0] = on;
  canonical[0] = complement(Table{}, tab);
  std::array<int64_t, MOST_TABLE_VARIABLES + 1> per_count{};
  per_count[0] = rows_of(on, tab);
  for (uint32_t free = 1; free <= all; ++free) {
    const int32_t index = __builtin_ctz(free);
    const Table& fewer = implicants[free & (free - 1)];
    implicants[free] = both(fewer, flipped(fewer, index, tab), tab);
    canonical[free] = both(canonical[free & (free - 1)], complement(variable_column(tab, index), tab), tab);
    per_count[static_cast<size_t>(__builtin_popcount(free))] += rows_of(both(implicants[free], canonical[free], tab), tab);
  }
  for (int32_t count = 1; count <= tab.count; ++count)
    if (per_count[static_cast<size_t>(count)] > static_cast<int64_t>(MOST_CUBES)) return {};
  std::vector<Cube> primes;
  for (int32_t count = 0; count <= tab.count; ++count) {
    for (uint32_t free = all + 1; free-- > 0;) {  // the variables tested, ascending
      if (__builtin_popcount(free) != count) continue;
      Table prime = both(implicants[free], canonical[free], tab);
      for (int32_t index = 0; index < tab.count; ++index)
        if (!(free >> index & 1))
          for (size_t w = 0; w < tab.words; ++w) prime[w] &= ~implicants[free | uint32_t{1} << index][w];
      for (size_t w = 0; w < tab.words; ++w)
        for (uint64_t bits = prime[w]; bits != 0; bits &= bits - 1)
          primes.push_back({static_cast<uint32_t>(w * 64) + static_cast<uint32_t>(__builtin_ctzll(bits)), all & ~free});
      if (primes.size() > MOST_PRIMES) return {};
    }
  }
  return primes;
}

// A cover of the table's rows by prime implicants: first those that alone
// cover some row, then, while rows are left, the one covering most of them.
std::vector<Cube> greedy_cover(const Table& on, const std::vector<Cube>& primes, const Tabulation& tab) {
  const uint32_t all = (uint32_t{1} << tab.count) - 1;
  std::vector<int32_t> covering(size_t{all} + 1, 0);
  for (const Cube& prime : primes) for_each_row(prime, all, [&](uint32_t row) { ++covering[row]; });
  Table left = on;
  std::vector<bool> taken(primes.size(), false);
  auto take = [&](size_t i) {
    taken[i] = true;
    for_each_row(primes[i], all, [&](uint32_t row) { left[row >> 6] &= ~(uint64_t{1} << (row & 63)); });
  };
  for (size_t i = 0; i < primes.size(); ++i) {
    bool essential = false;
    for_each_row(primes[i], all, [&](uint32_t row) { essential = essential || covering[row] == 1; });
    if (essential) take(i);
  }
  for (;;) {
    size_t best = primes.size();
    int64_t best_rows = 0;
    for (size_t i = 0; i < primes.size(); ++i) {
      if (taken[i]) continue;
      int64_t rows = 0;
      for_each_row(primes[i], all, [&](uint32_t row) { rows += row_holds(left, row); });
      if (rows > best_rows) {
        best = i;
        best_rows = rows;
      }
    }
    if (best == primes.size()) break;
    take(best);
  }
  std::vector<Cube> cover;
  for (size_t i = 0; i < primes.size(); ++i)
    if (taken[i]) cover.push_back(primes[i]);
  return cover;
}

// A product: the variables it wants true, then the negation of the
// disjunction of those it wants false (one NOT for all of them).
Node_Id product_of(Formula_Graph& graph, const Graph_Node& top, const Cube& cube, int32_t count) {
  Node_Id positive = NO_NODE, negative = NO_NODE;
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t b = uint32_t{1} << i;
    if (!(cube.care & b)) continue;
    const Node_Id variable = top.variables[static_cast<size_t>(i)];
    Node_Id& side = (cube.value & b) ? positive : negative;
    side = side == NO_NODE ? variable : make_binary(graph, (cube.value & b) ? AND : OR, side, variable);
  }
  if (negative == NO_NODE) return positive == NO_NODE ? graph.always : positive;
  const Node_Id negated = make_not(graph, negative);
  return positive == NO_NODE ? negated : make_and(graph, positive, negated);
}

Node_Id flat_sum(Formula_Graph& graph, const Graph_Node& top, const std::vector<Cube>& cubes, int32_t count) {
  Node_Id sum = graph.never;
  for (const Cube& cube : cubes) {
    const Node_Id product = product_of(graph, top, cube, count);
    sum = sum == graph.never ? product : make_or(graph, sum, product);
  }
  return sum;
}

// The literal most products share, as variable index and wanted value, or
// -1 when no two share one.
int32_t most_shared_literal(const std::vector<Cube>& cubes, int32_t count) {
  int32_t best = -1, best_uses = 1;
  for (int32_t literal = 0; literal < 2 * count; ++literal) {
    const uint32_t b = uint32_t{1} << (literal / 2);
    const uint32_t wanted = (literal % 2) ? b : 0;
    int32_t uses = 0;
    for (const Cube& cube : cubes) uses += (cube.care & b) && (cube.value & b) == wanted;
    if (uses > best_uses) {
      best = literal;
      best_uses = uses;
    }
  }
  return best;
}

// The literal most products share, taken out as factored_sum takes it.
struct Shared_Split {
  int32_t literal;
  std::vector<Cube> with, without;
};

Shared_Split split_by_shared(const std::vector<Cube>& cubes, int32_t count) {
  Shared_Split split{most_shared_literal(cubes, count), {}, {}};
  if (split.literal < 0) return split;
  const uint32_t b = uint32_t{1} << (split.literal / 2);
  const uint32_t wanted = (split.literal % 2) ? b : 0;
  for (const Cube& cube : cubes) {
    if ((cube.care & b) && (cube.value & b) == wanted)
      split.with.push_back({cube.value & ~b, cube.care & ~b});
    else
      split.without.push_back(cube);
  }
  return split;
}

// The same sum, factored: the literal most products share is taken out of
// them, L & (rest of those) | (the others), and so on within both parts.
// Recursion goes no deeper than the literals of the variables.
Node_Id factored_sum(Formula_Graph& graph, const Graph_Node& top, const std::vector<Cube>& cubes, int32_t count) {
  const Shared_Split split = split_by_shared(cubes, count);
  if (split.literal < 0) return flat_sum(graph, top, cubes, count);
  const Node_Id variable = top.variables[static_cast<size_t>(split.literal / 2)];
  const Node_Id taken = split.literal % 2 ? variable : make_not(graph, variable);
  const Node_Id part = make_and(graph, taken, factored_sum(graph, top, split.with, count));
  return split.without.empty() ? part : make_or(graph, part, factored_sum(graph, top, split.without, count));
}

// The size of a form as a function of its variables' sizes: `fixed`
// connectives and constants, and `uses[i]` times variable i. The rules of
// the graph may make the form smaller still, never larger.
struct Size_Template {
  int64_t fixed = 0;
  std::array<int64_t, MOST_TABLE_VARIABLES> uses{};
};

int64_t size_by(const Size_Template& form, const Formula_Graph& graph, const Graph_Node& top) {
  int64_t size = form.fixed;
  for (int32_t i = 0; i < top.variable_count; ++i)
    size += form.uses[static_cast<size_t>(i)] * node_of(graph, top.variables[static_cast<size_t>(i)]).size;
  return size;
}

// As product_of builds it.
void add_product(Size_Template& form, const Cube& cube, int32_t count) {
  int64_t positive = 0, negative = 0;
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t b = uint32_t{1} << i;
    if (!(cube.care & b)) continue;
    ++form.uses[static_cast<size_t>(i)];
    ++((cube.value & b) ? positive : negative);
  }
  if (positive + negative == 0) {
    form.fixed += 2;  // always
    return;
  }
  form.fixed += (positive > 0 ? positive - 1 : 0) + (negative > 0 ? negative : 0) + (positive > 0 && negative > 0);
}

// As flat_sum builds it.
void add_flat_sum(Size_Template& form, const std::vector<Cube>& cubes, int32_t count) {
  if (cubes.empty()) {
    form.fixed += 1;  // never
    return;
  }
  for (const Cube& cube : cubes) add_product(form, cube, count);
  form.fixed += static_cast<int64_t>(cubes.size()) - 1;
}

// As factored_sum builds it.
void add_factored_sum(Size_Template& form, const std::vector<Cube>& cubes, int32_t count) {
  const Shared_Split split = split_by_shared(cubes, count);
  if (split.literal < 0) return add_flat_sum(form, cubes, count);
  ++form.uses[static_cast<size_t>(split.literal / 2)];
  form.fixed += (split.literal % 2 ? 0 : 1) + 1;  // the NOT of a literal wanted false, the AND
  add_factored_sum(form, split.with, count);
  if (split.without.empty()) return;
  ++form.fixed;  // the OR
  add_factored_sum(form, split.without, count);
}

// A cover of a function by prime implicants, or none when it has too many,
// with the sizes of its flat and factored sums.
struct Cover {
  bool found = false;
  std::vector<Cube> cubes;
  Size_Template flat, factored;
};

struct Table_Hash {
  size_t operator()(const Table& table) const {
    uint64_t h = TABLE_WORDS;
    for (uint64_t word : table.words) h = (h ^ word) * 0x9e3779b97f4a7c15ull;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

// The covers found so far on this thread, by the number of variables and
// the truth table: regions of different formulae (and the same region in
// each pass of simplification) often have the same function. Forgotten all
// at once past MOST_COVERS.
constexpr size_t MOST_COVERS = size_t{1} << 16;

using Covers = std::unordered_map<Table, Cover, Table_Hash>;

// The thread's covers of functions of `count` variables, with room for two
// more: references to them stay valid while two are added.
Covers& covers_for(int32_t count) {
  thread_local std::array<Covers, MOST_TABLE_VARIABLES + 1> found;
  Covers& covers = found[static_cast<size_t>(count)];
  if (covers.size() + 2 > MOST_COVERS) covers.clear();
  return covers;
}

const Cover& cover_of(Covers& covers, const Table& on, const Tabulation& tab) {
  auto known = covers.find(on);
  if (known != covers.end()) return known->second;
  Cover cover;
  const std::vector<Cube> primes = prime_implicants(on, tab);
  if (!primes.empty()) {
    cover.found = true;
    cover.cubes = greedy_cover(on, primes, tab);
    add_flat_sum(cover.flat, cover.cubes, tab.count);
    add_factored_sum(cover.factored, cover.cubes, tab.count);
  }
  return covers.emplace(on, std::move(cover)).first->second;
}

bool holds_anywhere(const Table& table) {
  for (uint64_t word : table.words)
    if (word != 0) return true;
  return false;
}

Node_Id smaller(const Formula_Graph& graph, Node_Id current, Node_Id candidate) {
  return node_of(graph, candidate).size < node_of(graph, current).size ? candidate : current;
}

// One of the four two-level forms: the flat or the factored sum of a
// cover of the function, or the negation of either sum for its negation.
struct Candidate {
  const Cover* cover = nullptr;
  bool factored = false;
  bool negated = false;
  int64_t size = 0;
};

void consider(Candidate& best, const Cover& cover, bool negated, const Formula_Graph& graph, const Graph_Node& top) {
  if (!cover.found) return;
  for (const bool factored : {false, true}) {
    const int64_t size = size_by(factored ? cover.factored : cover.flat, graph, top) + negated;
    if (!best.cover || size < best.size) best = {&cover, factored, negated, size};
  }
}

Node_Id built(Formula_Graph& graph, const Graph_Node& top, const Candidate& form, int32_t count) {
  const Node_Id sum = form.factored ? factored_sum(graph, top, form.cover->cubes, count)
                                    : flat_sum(graph, top, form.cover->cubes, count);
  return form.negated ? make_not(graph, sum) : sum;
}

// A region of few enough variables, tabulated.
Node_Id minimise_small_region(Formula_Graph& graph, Node_Id root) {
  const Graph_Node top = node_of(graph, root);
  // A formula naming each variable once, without NOT, is as small as any
  // formula of the same function: that function depends on every one.
  int64_t least = top.variable_count - 1;
  for (int32_t i = 0; i < top.variable_count; ++i) least += node_of(graph, top.variables[static_cast<size_t>(i)]).size;
  if (top.size <= least) return root;
  const Tabulation tab = tabulation_of(top.variable_count);
  const Table on = truth_table(graph, root, tab);
  const Table off = complement(on, tab);
  if (!holds_anywhere(on)) return smaller(graph, root, graph.never);
  if (!holds_anywhere(off)) return smaller(graph, root, graph.always);
  // Only the form that its size template says is smallest is built.
  Covers& covers = covers_for(tab.count);
  Candidate best;
  consider(best, cover_of(covers, on, tab), false, graph, top);
  consider(best, cover_of(covers, off, tab), true, graph, top);
  if (!best.cover || best.size >= top.size) return root;
  return smaller(graph, root, built(graph, top, best, tab.count));
}

}  // namespace

Node_Id minimise_region(Formula_Graph& graph, Node_Id root) {
  // Parts of a region too wide to tabulate are rebuilt from their
  // minimised operands.
  auto leaf = [&](Node_Id id) -> std::optional<Node_Id> {
    if (!is_region(graph, id)) return id;
    if (node_of(graph, id).variable_count <= MOST_TABLE_VARIABLES) return minimise_small_region(graph, id);
    return std::nullopt;
  };
  auto combine = [&](const Graph_Node& node, Node_Id left, Node_Id right) {
    return node.kind == NOT ? make_not(graph, left) : make_binary(graph, node.kind, left, right);
  };
  return bottom_up<Node_Id>(graph, root, leaf, combine);
}
