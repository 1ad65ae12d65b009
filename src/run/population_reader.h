// Reading the population: formula files, one player each, whose names come
// on standard input (or as a list), each file's text echoed before it is
// read. Every bound here ends the run with an error that names it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "formula/formula.h"

// Largest formula file read, in bytes, white space included.
constexpr int64_t MAX_FORMULA_FILE_BYTES = 16 * 1024 * 1024;
// Longest formula text of all files together, white space left out.
constexpr size_t MAX_TOTAL_FORMULA_LENGTH = 16 * 1024 * 1024;
// Longest file name taken from standard input.
constexpr size_t MAX_FILE_NAME_LENGTH = 1024 * 1024;
// Most bytes read from standard input, names and white space together.
constexpr int64_t MAX_NAMES_INPUT_BYTES = 128 * 1024 * 1024;

// Writes the greeting, then reads white-space separated file names from
// `names` until its end and stores one tree per file in slots 0, 1, ...,
// echoing each file's text. Returns the number of slots filled, at most
// MAX_POP. With `echo` false it writes nothing at all; the errors stay the
// same.
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
