#include "behaviour/formula_graph.h"

#include <algorithm>
#include <cstring>

#include "error.h"

namespace {

uint64_t mix(uint64_t hash, uint64_t value) {
  uint64_t x = hash ^ (value + 0x9e3779b97f4a7c15ull + (hash << 6) + (hash >> 2));
  x ^= x >> 31;
  x *= 0xbf58476d1ce4e5b9ull;
  x ^= x >> 29;
  return x;
}

uint64_t chance_bits(double chance) {
  uint64_t bits;
  std::memcpy(&bits, &chance, sizeof bits);
  return bits;
}

bool is_byte(int32_t letter) { return letter >= 0 && letter < 256; }

void add_letter(Letter_Set& set, int32_t letter) {
  if (is_byte(letter))
    set.bits[static_cast<size_t>(letter >> 6)] |= uint64_t{1} << (letter & 63);
  else
    set.others = true;
}

void remove_letter(Letter_Set& set, int32_t letter) {
  if (is_byte(letter)) set.bits[static_cast<size_t>(letter >> 6)] &= ~(uint64_t{1} << (letter & 63));
}

void add_letters(Letter_Set& set, const Letter_Set& more) {
  for (size_t i = 0; i < set.bits.size(); ++i) set.bits[i] |= more.bits[i];
  set.others = set.others || more.others;
}

bool holds_letter(const Letter_Set& set, int32_t letter) {
  if (!is_byte(letter)) return true;
  return (set.bits[static_cast<size_t>(letter >> 6)] >> (letter & 63)) & 1;
}

uint64_t hash_of(const Formula_Graph& graph, const Graph_Node& shape) {
  uint64_t hash = mix(0, static_cast<uint32_t>(shape.kind));
  switch (shape.kind) {
    case DEFECTED:
      for (int32_t field : {shape.player1, shape.player2, shape.time, shape.time_mod})
        hash = mix(hash, static_cast<uint32_t>(field));
      return hash;
    case CHANCE: return mix(hash, chance_bits(shape.chance));
    default: break;
  }
  if (is_quantifier(shape.kind)) hash = mix(hash, static_cast<uint32_t>(shape.variable));
  hash = mix(hash, node_of(graph, shape.left).hash);
  if (is_binary(shape.kind)) hash = mix(hash, node_of(graph, shape.right).hash);
  return hash;
}

bool same_shape(const Graph_Node& a, const Graph_Node& b) {
  return a.kind == b.kind && a.variable == b.variable && a.player1 == b.player1 && a.player2 == b.player2 &&
         a.time == b.time && a.time_mod == b.time_mod && chance_bits(a.chance) == chance_bits(b.chance) &&
         a.left == b.left && a.right == b.right;
}

void add_variables(Graph_Node& node, const Graph_Node& operand) {
  for (int32_t i = 0; i < operand.variable_count && node.variable_count <= MOST_TABLE_VARIABLES; ++i) {
    const Node_Id variable = operand.variables[static_cast<size_t>(i)];
    bool known = false;
    for (int32_t j = 0; j < node.variable_count && !known; ++j)
      known = node.variables[static_cast<size_t>(j)] == variable;
    if (known) continue;
    if (node.variable_count < MOST_TABLE_VARIABLES) node.variables[static_cast<size_t>(node.variable_count)] = variable;
    ++node.variable_count;
  }
  if (operand.variable_count > MOST_TABLE_VARIABLES) node.variable_count = MOST_TABLE_VARIABLES + 1;
}

// The summary of a node from its operands'. `self` is the node's number,
// its own variable when it is an atom or a quantified formula.
void summarise(const Formula_Graph& graph, Graph_Node& node, Node_Id self) {
  node.variable_count = 0;
  if (node.kind == CHANCE) {
    node.draws = true;
    return;
  }
  if (node.kind == DEFECTED) {
    for (agent player : {node.player1, node.player2})
      if (player != ROW && player != COLUMN) add_letter(node.agent_letters, player);
    if (node.time != PREV_TIME) add_letter(node.time_letters, node.time);
    if (self != graph.never) {
      node.variables[0] = self;
      node.variable_count = 1;
    }
    return;
  }
  const Graph_Node& left = node_of(graph, node.left);
  node.size = 1 + left.size;
  node.draws = left.draws;
  node.agent_letters = left.agent_letters;
  node.time_letters = left.time_letters;
  if (is_binary(node.kind)) {
    const Graph_Node& right = node_of(graph, node.right);
    node.size += right.size;
    node.draws = node.draws || right.draws;
    add_letters(node.agent_letters, right.agent_letters);
    add_letters(node.time_letters, right.time_letters);
  }
  if (is_quantifier(node.kind)) {
    remove_letter(is_time_quantifier(node.kind) ? node.time_letters : node.agent_letters, node.variable);
    node.variables[0] = self;
    node.variable_count = 1;
    return;
  }
  add_variables(node, left);
  if (is_binary(node.kind)) add_variables(node, node_of(graph, node.right));
}

Node_Id& bucket_of(Formula_Graph& graph, uint64_t hash) {
  return graph.buckets[static_cast<size_t>(hash) & (graph.buckets.size() - 1)];
}

// Doubles the buckets and chains every node again.
void grow_buckets(Formula_Graph& graph) {
  graph.buckets.assign(std::max<size_t>(64, 2 * graph.buckets.size()), NO_NODE);
  for (size_t i = 0; i < graph.nodes.size(); ++i) {
    Node_Id& bucket = bucket_of(graph, graph.nodes[i].hash);
    graph.nodes[i].next_alike = bucket;
    bucket = static_cast<Node_Id>(i);
  }
}

void add_constants(Formula_Graph& graph) {
  graph.never = NO_NODE;  // while it is made, Drrp is its own variable: undone below
  graph.never = intern_atom(graph, never_atom());
  graph.nodes[static_cast<size_t>(graph.never)].variable_count = 0;
  graph.always = intern_inner(graph, NOT, graph.never);
}

}  // namespace

Formula_Graph new_Formula_Graph() {
  Formula_Graph graph;
  add_constants(graph);
  return graph;
}

void clear_Formula_Graph(Formula_Graph& graph) {
  // Only the buckets the nodes are in are emptied: a large formula leaves
  // many buckets that the small ones after it would each clear again.
  for (const Graph_Node& node : graph.nodes) bucket_of(graph, node.hash) = NO_NODE;
  graph.nodes.clear();
  add_constants(graph);
}

Node_Id intern_node(Formula_Graph& graph, const Graph_Node& shape) {
  const uint64_t hash = hash_of(graph, shape);
  if (2 * (graph.nodes.size() + 1) > graph.buckets.size()) grow_buckets(graph);
  Node_Id& bucket = bucket_of(graph, hash);
  for (Node_Id id = bucket; id != NO_NODE; id = node_of(graph, id).next_alike)
    if (node_of(graph, id).hash == hash && same_shape(node_of(graph, id), shape)) return id;
  const auto id = static_cast<Node_Id>(graph.nodes.size());
  Graph_Node& node = graph.nodes.emplace_back(shape);
  node.hash = hash;
  node.next_alike = bucket;
  summarise(graph, node, id);
  bucket = id;
  return id;
}

Node_Id intern_atom(Formula_Graph& graph, const Formula& atom) {
  Graph_Node shape{};
  shape.kind = DEFECTED;
  shape.player1 = atom.player1;
  shape.player2 = atom.player2;
  shape.time = atom.time;
  shape.time_mod = atom.time_mod;
  return intern_node(graph, shape);
}

Node_Id intern_chance(Formula_Graph& graph, double chance) {
  Graph_Node shape{};
  shape.kind = CHANCE;
  shape.chance = chance;
  return intern_node(graph, shape);
}

Node_Id intern_inner(Formula_Graph& graph, Node_Kind kind, Node_Id left, Node_Id right, int32_t variable) {
  Graph_Node shape{};
  shape.kind = kind;
  shape.left = left;
  shape.right = right;
  shape.variable = variable;
  return intern_node(graph, shape);
}

bool is_region(const Formula_Graph& graph, Node_Id id) {
  const Graph_Node& node = node_of(graph, id);
  return !node.draws && (is_binary(node.kind) || node.kind == NOT);
}

bool names_letter(const Graph_Node& node, bool over_time, int32_t letter) {
  const Letter_Set& set = over_time ? node.time_letters : node.agent_letters;
  return set.others || holds_letter(set, letter);
}

Formula* tree_of(const Formula_Graph& graph, Node_Id id) {
  Formula* root = nullptr;
  std::vector<std::pair<Node_Id, Formula**>> pending{{id, &root}};
  while (!pending.empty()) {
    auto [next, slot] = pending.back();
    pending.pop_back();
    const Graph_Node& node = node_of(graph, next);
    Formula* made = new_Formula(node.kind);
    *slot = made;
    made->variable = node.variable;
    made->player1 = node.player1;
    made->player2 = node.player2;
    made->time = node.time;
    made->time_mod = node.time_mod;
    made->chance = node.chance;
    if (node.right != NO_NODE) pending.push_back({node.right, &made->right});
    if (node.left != NO_NODE) pending.push_back({node.left, &made->left});
  }
  return root;
}

Formula never_atom() {
  Formula atom{};
  atom.type = DEFECTED;
  atom.player1 = ROW;
  atom.player2 = ROW;
  atom.time = PREV_TIME;
  return atom;
}

int operands_to_simplify(const Formula* node) {
  if (is_binary(node->type)) return 2;
  if (is_inner(node->type)) return 1;
  if (node->type == DEFECTED || node->type == CHANCE) return 0;
  error("unknown formula kind while simplifying");
}
