#include "run/population_reader.h"

#include <cerrno>
#include <cstring>

#include "error.h"
#include "formula/notation_reader.h"
#include "game/rules.h"
#include "printable_text.h"

namespace {

bool is_name_white_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Standard input with its count of bytes taken, so that endless input, even
// endless white space, ends with an error.
struct Names_Input {
  std::FILE* file;
  int64_t bytes = 0;
};

int next_name_byte(Names_Input& input) {
  int c = std::getc(input.file);
  if (c == EOF) {
    // A read error is no end of input: the names after it would be lost.
    if (std::ferror(input.file)) error(std::string("cannot read standard input: ") + std::strerror(errno));
    return EOF;
  }
  if (++input.bytes > MAX_NAMES_INPUT_BYTES)
    error("standard input too long (more than " + std::to_string(MAX_NAMES_INPUT_BYTES) + " bytes)");
  return c;
}

// The next white-space separated word of the input, or false at its end.
bool read_word(Names_Input& names, std::string& word) {
  word.clear();
  int c;
  while ((c = next_name_byte(names)) != EOF && is_name_white_space(c)) {
  }
  for (; c != EOF && !is_name_white_space(c); c = next_name_byte(names)) {
    if (word.size() == MAX_FILE_NAME_LENGTH)
      error("file name too long (more than " + std::to_string(MAX_FILE_NAME_LENGTH) + " characters)");
    word.push_back(static_cast<char>(c));
  }
  return !word.empty();
}

}  // namespace

std::string read_formula_file(const std::string& file_name) {
  // The system takes a name up to its first NUL: the rest would be dropped.
  if (file_name.find('\0') != std::string::npos) error("file name contains a NUL byte");
  std::FILE* file = std::fopen(file_name.c_str(), "rb");
  if (!file) error("cannot open formula file: " + printable_text(file_name));
  std::string raw;
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (static_cast<int64_t>(raw.size() + got) > MAX_FORMULA_FILE_BYTES) {
      std::fclose(file);
      error("formula file too large: " + printable_text(file_name) + " (more than " +
            std::to_string(MAX_FORMULA_FILE_BYTES) + " bytes)");
    }
    raw.append(chunk, got);
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) error("cannot read formula file: " + printable_text(file_name));
  return raw;
}

std::string formula_text(std::string_view raw, const std::string& file_name) {
  std::string text = strip_white_space(raw);
  if (text.size() > MAX_FORMULA_LENGTH)
    error("formula too long: " + printable_text(file_name) + " (more than " + std::to_string(MAX_FORMULA_LENGTH) +
          " characters besides white space)");
  return text;
}

namespace {

Formula* echo_and_parse(const std::string& text, bool echo = true) {
  if (echo) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    check_standard_output();
  }
  return parse_Formula(text);
}

// The population read so far, and the bounds every further file must keep.
struct Population_Input {
  Formula** formulae;
  bool echo;
  int32_t pop = 0;
  size_t total_length = 0;
};

void add_formula_file(Population_Input& input, const std::string& name) {
  if (input.pop == MAX_POP) error("too many formula files (at most " + std::to_string(MAX_POP) + ")");
  std::string text = formula_text(read_formula_file(name), name);
  input.total_length += text.size();
  if (input.total_length > MAX_TOTAL_FORMULA_LENGTH)
    error("formula files too long together: " + printable_text(name) + " brings them past " +
          std::to_string(MAX_TOTAL_FORMULA_LENGTH) + " characters besides white space");
  input.formulae[input.pop] = echo_and_parse(text, input.echo);
  ++input.pop;
}

}  // namespace

int32_t init_Formulae(Formula** formulae, std::FILE* names, bool echo) {
  if (echo) std::fputs("getting players...\n", stdout);
  Population_Input population{formulae, echo};
  Names_Input input{names};
  std::string word;
  while (read_word(input, word)) add_formula_file(population, word);
  return population.pop;
}

int32_t init_Formulae(Formula** formulae, const std::vector<std::string>& names) {
  Population_Input population{formulae, false};
  for (const std::string& name : names) add_formula_file(population, name);
  return population.pop;
}

Formula* read_Formula(const std::string& file_name) {
  return echo_and_parse(formula_text(read_formula_file(file_name), file_name));
}

