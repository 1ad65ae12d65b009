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
#include <vector>

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

// The whole text without white space: blank, tab, newline and carriage return.
std::string strip_white_space(std::string_view raw);

// The tree of the inclusive scope `low` to `high` of `buffer`.
Formula* make_Formula(std::string_view buffer, int32_t low, int32_t high);

// The tree of a whole text (already free of white space). Formula text is
// printable ASCII, at most MAX_FORMULA_LENGTH characters.
Formula* parse_Formula(std::string_view buffer);

// The offset of the DEFECTED atom whose "D" stands at `low`.
int32_t make_time_mod(std::string_view buffer, int32_t low, int32_t high);

// The probability of the CHANCE atom whose "R" stands at `low`, as C's
// strtod reads it; text that reads as "not a number" is an error.
double get_chance(std::string_view buffer, int32_t low, int32_t high);
