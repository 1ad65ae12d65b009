// The reader of the formula notation: file names on standard input, one
// formula per file. The text is split recursively at the rightmost operator
// outside parentheses ("|" loosest, then "&", then "~"); where no operator
// divides a scope its first character says what it is. Splitting uses an
// index of the text, so reading stays near linear and never recurses.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "error.h"
#include "formula/formula.h"

constexpr int32_t MAX_POP = 100;
// Largest formula file read, in bytes, white space included.
constexpr int64_t MAX_FORMULA_FILE_BYTES = 16 * 1024 * 1024;
// Longest formula text, white space left out. Every node takes at least one
// character, so this also bounds the nodes of one tree.
constexpr size_t MAX_FORMULA_LENGTH = 1024 * 1024;
// Longest formula text of all files together, white space left out.
constexpr size_t MAX_TOTAL_FORMULA_LENGTH = 16 * 1024 * 1024;
// Longest file name taken from standard input.
constexpr size_t MAX_FILE_NAME_LENGTH = 1024 * 1024;
// Most bytes read from standard input, names and white space together.
constexpr int64_t MAX_NAMES_INPUT_BYTES = 128 * 1024 * 1024;

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

// Writes the greeting, then reads white-space separated file names from
// `names` until its end and stores one tree per file in slots 0, 1, ...,
// echoing each file's text. Returns the number of slots filled. With `echo`
// false it writes nothing at all; the errors stay the same.
int32_t init_Formulae(Formula** formulae, std::FILE* names = stdin, bool echo = true);

// The same for a list of file names, writing nothing.
int32_t init_Formulae(Formula** formulae, const std::vector<std::string>& names);

// Reads the named file, echoes its text without white space and a newline to
// standard output, and returns its tree.
Formula* read_Formula(const std::string& file_name);

// The bytes of a formula file, at most MAX_FORMULA_FILE_BYTES.
std::string read_formula_file(const std::string& file_name);

// The formula text of a file's bytes: without white space, at most
// MAX_FORMULA_LENGTH characters. The name is for the message.
std::string formula_text(std::string_view raw, const std::string& file_name);

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
