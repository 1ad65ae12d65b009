// The strategy tree: one Formula node per connective, quantifier or atom.
// Each population slot owns one whole tree; trees never share nodes.
#pragma once

#include <cstdint>

using agent = int32_t;

// Node kinds. Walkers treat 1-2 (binary), 4-5 (agent quantifiers) and
// 6-7 (time quantifiers) together.
constexpr int32_t AND = 1;
constexpr int32_t OR = 2;
constexpr int32_t NOT = 3;
constexpr int32_t FORALL_AGENT = 4;
constexpr int32_t EXISTS_AGENT = 5;
constexpr int32_t FORALL_TIME = 6;
constexpr int32_t EXISTS_TIME = 7;
constexpr int32_t DEFECTED = 8;
constexpr int32_t CHANCE = 9;

// Codes in agent positions. Any other value is a player index (written only
// by substitution) or the character code, 0 to 255, of an agent variable.
constexpr agent NO_AGENT = -1;
constexpr agent ROW = -2;
constexpr agent COLUMN = -3;

// Code in the time position. Any other value is a concrete time (0 is also
// the time of an atom written without a time letter) or a time variable.
constexpr int32_t PREV_TIME = -4;

// Bits of Formula::substituted: which fields hold values written by
// substitution, so that an inner quantifier never takes a player index or a
// time for a variable letter with the same code.
constexpr uint8_t SUBSTITUTED_PLAYER1 = 1;
constexpr uint8_t SUBSTITUTED_PLAYER2 = 2;
constexpr uint8_t SUBSTITUTED_TIME = 4;

struct Formula {
  int32_t type;
  int32_t variable;  // quantifiers: the letter bound
  agent player1;     // DEFECTED: who acted
  agent player2;     // DEFECTED: against whom
  int32_t time;      // DEFECTED: the time term
  int32_t time_mod;  // DEFECTED: offset added to the resolved time
  double chance;     // CHANCE: probability of being true
  Formula* left;     // operand of NOT and quantifiers, first operand of AND/OR
  Formula* right;    // second operand of AND/OR
  uint8_t substituted;
};

constexpr bool is_binary(int32_t type) { return type == AND || type == OR; }
constexpr bool is_agent_quantifier(int32_t type) {
  return type == FORALL_AGENT || type == EXISTS_AGENT;
}
constexpr bool is_time_quantifier(int32_t type) {
  return type == FORALL_TIME || type == EXISTS_TIME;
}
// Kinds with at least one operand: AND to EXISTS_TIME.
constexpr bool is_inner(int32_t type) { return type >= AND && type <= EXISTS_TIME; }

// A new node of the given kind with no children, players NO_AGENT, time and
// offset 0, chance 0.0 and variable 0.
Formula* new_Formula(int32_t type);

// A deep copy (null for null). Works at any depth without recursion.
Formula* copy_Formula(const Formula* formula);

// Releases a whole tree (nothing for null). Works at any depth.
void free_Formula(Formula* formula);

// Structural equality of two trees: kinds, the fields each kind uses, shape.
// CHANCE atoms are equal when their probabilities are, or both are NaN;
// with `same_chance`, when it says so.
bool equal_Formula(const Formula* a, const Formula* b, bool (*same_chance)(double, double) = nullptr);

// A hash of what equal_Formula compares: equal trees hash alike.
uint64_t hash_Formula(const Formula* formula);

// Number of nodes of a tree.
int64_t size_Formula(const Formula* formula);

// Singly linked list of node pointers; it owns the cells, never the nodes.
struct Formula_List {
  Formula* formula;
  Formula_List* next;
};

Formula_List* cons_Formula(Formula* formula, Formula_List* formula_list);
int32_t length_Formula_List(const Formula_List* formula_list);
// Releases the cells of a list, never the nodes they refer to.
void free_Formula_List(Formula_List* formula_list);
