// The reader of the formula notation. The text is split recursively at the
// rightmost operator outside parentheses ("|" loosest, then "&", then "~");
// where no operator divides a scope its first character says what it is.
// Splitting uses an index of the text, so reading stays near linear and
// never recurses. Reading the population, from formula files named on
// standard input, is population_reader's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "error.h"
#include "formula/formula.h"

// Longest formula text, white space left out. Every node takes at least one
// character, so this also bounds the nodes of one tree.
constexpr size_t MAX_FORMULA_LENGTH = 1024 * 1024;

// What the reader finds wrong with a text.
enum class Notation_Fault {
  TOO_LONG,                // more than MAX_FORMULA_LENGTH characters
  UNBALANCED,              // a parenthesis without its partner
  TEXT_AFTER_PARENTHESIS,  // (Drcp)Dcrp
  ATOM_CUT_SHORT,          // Dr
  QUANTIFIER_CUT_SHORT,    // A, A'
  TILDE_AFTER_TEXT,        // Ax~Dxcp
  EMPTY_SCOPE,             // Drcp&, (), ~ or a quantifier with nothing after it, no text at all
  WRONG_START,             // a scope that starts with none of ( A D E R
};

// A text the reader does not take. The message and the diagnostic line are
// the program's; `at` is the position in the text (white space left out) of
// what is wrong: the unmatched parenthesis, the text after the ")", the "D"
// of the atom or the letter of the quantifier cut short, the "~", the
// operator beside an empty scope, the wrong first character; -1 when no
// position is (an empty text, a text too long).
struct Notation_Error : Fatal_Error {
  Notation_Error(const std::string& message, Notation_Fault fault_found, int32_t position,
                 std::string diagnostic_lines = "")
      : Fatal_Error(message, std::move(diagnostic_lines)), fault(fault_found), at(position) {}
  Notation_Fault fault;
  int32_t at;
};

// Where the text of a node stands: the inclusive scope `low` to `high` it
// was read from (white space left out), parentheses around it not included.
struct Node_Span {
  const Formula* node;
  int32_t low;
  int32_t high;
};

// The whole text without white space: blank, tab, newline and carriage return.
std::string strip_white_space(std::string_view raw);
bool is_formula_white_space(char c);

// The tree of the inclusive scope `low` to `high` of `buffer`.
Formula* make_Formula(std::string_view buffer, int32_t low, int32_t high);

// The tree of a whole text (already free of white space): at most
// MAX_FORMULA_LENGTH bytes, each of them taken by its unsigned code.
Formula* parse_Formula(std::string_view buffer);

// parse_Formula, also recording the span of every node in the order the
// nodes are made, which is preorder: a node, then its left, then its right
// operand.
Formula* parse_Formula(std::string_view buffer, std::vector<Node_Span>& spans);

// Where the offset text of the DEFECTED atom whose "D" stands at `low`
// starts: after the time letter if there is one, else after the agents.
int32_t offset_text_start(std::string_view buffer, int32_t low, int32_t high);

// The offset of the DEFECTED atom whose "D" stands at `low`.
int32_t make_time_mod(std::string_view buffer, int32_t low, int32_t high);

// The probability of the CHANCE atom whose "R" stands at `low`, as C's
// strtod reads it, "not a number" included.
double get_chance(std::string_view buffer, int32_t low, int32_t high);
