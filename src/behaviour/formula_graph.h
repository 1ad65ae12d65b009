// Formulae held as a graph of shared nodes: every distinct subtree is one
// node, so two subtrees are equal exactly when their node numbers are.
// Each node carries what simplification asks of it: its size as a tree,
// whether it draws, the letters its atoms name, and the distinct
// variables (atoms and quantified subformulae) of a draw-free region.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formula/formula.h"

using Node_Id = int32_t;
constexpr Node_Id NO_NODE = -1;

// A draw-free boolean region with more distinct variables than this is
// not tabulated: its truth table would have more than 256 rows.
constexpr int32_t MOST_TABLE_VARIABLES = 8;

struct Letter_Set {
  std::array<uint64_t, 4> bits{};
  bool others = false;  // some letter outside a byte: anything may be named
};

struct Graph_Node {
  Node_Kind kind;
  int32_t variable = 0;  // quantifiers
  agent player1 = NO_AGENT, player2 = NO_AGENT;
  int32_t time = 0, time_mod = 0;
  double chance = 0.0;
  Node_Id left = NO_NODE, right = NO_NODE;
  // What the node's tree is like.
  int64_t size = 1;
  uint64_t hash = 0;
  bool draws = false;
  Letter_Set agent_letters, time_letters;  // named by its atoms and not bound inside it
  // Its distinct variables when it draws nothing; a count above
  // MOST_TABLE_VARIABLES means too many (the list is then cut short).
  int32_t variable_count = 0;
  std::array<Node_Id, MOST_TABLE_VARIABLES> variables{};
  Node_Id next_alike = NO_NODE;  // next node of the same bucket
};

struct Formula_Graph {
  std::vector<Graph_Node> nodes;
  // Nodes by their hash's low bits, as chains through `next_alike`; a
  // power of two of them, at least twice the nodes.
  std::vector<Node_Id> buckets;
  Node_Id never;   // Drrp, the canonical false
  Node_Id always;  // ~Drrp, the canonical true
};

Formula_Graph new_Formula_Graph();

// Empties a graph but for its two constants, keeping its memory.
void clear_Formula_Graph(Formula_Graph& graph);

// The node of a subtree, made once: `shape` gives the kind, the fields
// and the operands; its summary is worked out here.
Node_Id intern_node(Formula_Graph& graph, const Graph_Node& shape);

Node_Id intern_atom(Formula_Graph& graph, const Formula& atom);
Node_Id intern_chance(Formula_Graph& graph, double chance);
Node_Id intern_inner(Formula_Graph& graph, Node_Kind kind, Node_Id left, Node_Id right = NO_NODE,
                     int32_t variable = 0);

inline const Graph_Node& node_of(const Formula_Graph& graph, Node_Id id) {
  return graph.nodes[static_cast<std::size_t>(id)];
}

// A draw-free AND, OR or NOT: inside one truth table.
bool is_region(const Formula_Graph& graph, Node_Id id);

// Whether the atoms of a node name a letter of a family (agents or times)
// that nothing inside the node binds.
bool names_letter(const Graph_Node& node, bool over_time, int32_t letter);

// The tree of a node, owned by the caller. Works at any depth.
Formula* tree_of(const Formula_Graph& graph, Node_Id id);

// The false atom, Drrp: nobody defects against itself. True is its negation.
Formula never_atom();

// The operands of a tree node that simplification walks: 2, 1 or 0. A node
// of unknown kind is a fatal error.
int operands_to_simplify(const Formula* node);
