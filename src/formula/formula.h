// The strategy tree: one Formula node per connective, quantifier or atom.
// Each population slot owns one whole tree; trees never share nodes.
#pragma once

#include <cstdint>

using agent = int32_t;

// Node kinds, by their codes. Walkers treat 1-2 (binary), 4-5 (agent
// quantifiers) and 6-7 (time quantifiers) together. A node may hold any
// other code (a tree made by hand); every walker that meets one fails with
// its own message, after a switch that names every kind, so that the
// compiler checks that none is forgotten.
enum Node_Kind : int32_t {
  AND = 1,
  OR = 2,
  NOT = 3,
  FORALL_AGENT = 4,
  EXISTS_AGENT = 5,
  FORALL_TIME = 6,
  EXISTS_TIME = 7,
  DEFECTED = 8,
  CHANCE = 9,
};

// Codes in agent positions. Any other value is a player index (written only
// by substitution) or the character code, 0 to 255, of an agent variable.
constexpr agent NO_AGENT = -1;
constexpr agent ROW = -2;
constexpr agent COLUMN = -3;

// Code in the time position. Any other value is a concrete time (0 is also
// the time of an atom written without a time letter) or a time variable.
constexpr int32_t PREV_TIME = -4;

// The letters of the codes in the notation and in scope strings: `r` is
// ROW, `c` COLUMN in agent places, `p` PREV_TIME in the time place. Any
// other character stands for its code.
constexpr char ROW_LETTER = 'r';
constexpr char COLUMN_LETTER = 'c';
constexpr char PREV_LETTER = 'p';

constexpr agent agent_of_letter(unsigned char letter) {
  return letter == ROW_LETTER ? ROW : letter == COLUMN_LETTER ? COLUMN : agent{letter};
}
constexpr int32_t time_of_letter(unsigned char letter) { return letter == PREV_LETTER ? PREV_TIME : int32_t{letter}; }
// The character an agent or time field prints as: the letter of a code, or
// the low 8 bits of any other value.
constexpr char letter_of_agent(agent value) {
  return value == ROW ? ROW_LETTER : value == COLUMN ? COLUMN_LETTER : static_cast<char>(value & 0xff);
}
constexpr char letter_of_time(int32_t value) { return value == PREV_TIME ? PREV_LETTER : static_cast<char>(value & 0xff); }

struct Formula {
  Node_Kind type;
  int32_t variable;  // quantifiers: the letter bound
  agent player1;     // DEFECTED: who acted
  agent player2;     // DEFECTED: against whom
  int32_t time;      // DEFECTED: the time term
  int32_t time_mod;  // DEFECTED: offset added to the resolved time
  double chance;     // CHANCE: probability of being true
  Formula* left;     // operand of NOT and quantifiers, first operand of AND/OR
  Formula* right;    // second operand of AND/OR
};

constexpr bool is_binary(int32_t type) { return type == AND || type == OR; }
constexpr bool is_agent_quantifier(int32_t type) {
  return type == FORALL_AGENT || type == EXISTS_AGENT;
}
constexpr bool is_time_quantifier(int32_t type) {
  return type == FORALL_TIME || type == EXISTS_TIME;
}
constexpr bool is_quantifier(int32_t type) { return is_agent_quantifier(type) || is_time_quantifier(type); }
constexpr bool is_universal(int32_t type) { return type == FORALL_AGENT || type == FORALL_TIME; }
// Kinds with at least one operand: AND to EXISTS_TIME.
constexpr bool is_inner(int32_t type) { return type >= AND && type <= EXISTS_TIME; }
// Kinds a walker knows: AND to CHANCE.
constexpr bool is_known_kind(int32_t type) { return type >= AND && type <= CHANCE; }

// A new node of the given kind with no children, players NO_AGENT, time and
// offset 0, chance 0.0 and variable 0.
Formula* new_Formula(Node_Kind type);

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
