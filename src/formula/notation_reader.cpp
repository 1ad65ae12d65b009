#include "formula/notation_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "error.h"
#include "number_text.h"
#include "printable_text.h"

namespace {

constexpr char SPLIT_OPERATORS[3] = {'|', '&', '~'};

// What the splitter needs to know about a text, computed once:
// depth[i] is the number of "(" minus the number of ")" before position i;
// for each operator, its positions grouped by depth, ascending within a group.
struct Text_Index {
  std::string_view text;
  std::vector<int32_t> depth;
  std::vector<int32_t> match;  // position of the ")" closing the "(" at i
  std::vector<int32_t> tilde_run;  // number of "~" in a row from position i
  struct Positions {
    std::vector<int32_t> start;  // start[d] .. start[d+1] is depth d's group
    std::vector<int32_t> at;
  } operators[3];
};

void index_operator(Text_Index& index, int op) {
  const auto n = static_cast<int32_t>(index.text.size());
  int32_t max_depth = 0;
  for (int32_t d : index.depth) max_depth = std::max(max_depth, d);
  auto& positions = index.operators[op];
  positions.start.assign(static_cast<size_t>(max_depth) + 2, 0);
  for (int32_t i = 0; i < n; ++i)
    if (index.text[i] == SPLIT_OPERATORS[op]) ++positions.start[index.depth[i] + 1];
  for (size_t d = 1; d < positions.start.size(); ++d) positions.start[d] += positions.start[d - 1];
  positions.at.resize(static_cast<size_t>(positions.start.back()));
  std::vector<int32_t> fill(positions.start.begin(), positions.start.end() - 1);
  for (int32_t i = 0; i < n; ++i)
    if (index.text[i] == SPLIT_OPERATORS[op]) positions.at[fill[index.depth[i]]++] = i;
}

// Every byte other than the white space already stripped is formula text,
// taken by its unsigned code; only the length is bounded.
void check_length(std::string_view text) {
  if (text.size() > MAX_FORMULA_LENGTH)
    throw Notation_Error("formula too long (more than " + std::to_string(MAX_FORMULA_LENGTH) + " characters)",
                         Notation_Fault::TOO_LONG, -1);
}

[[noreturn]] void unbalanced(int32_t at) {
  throw Notation_Error("unbalanced parentheses in formula", Notation_Fault::UNBALANCED, at);
}

// Rejects text whose parentheses do not nest properly; indexes the rest.
Text_Index index_text(std::string_view text) {
  check_length(text);
  Text_Index index;
  index.text = text;
  const auto n = static_cast<int32_t>(text.size());
  index.depth.resize(static_cast<size_t>(n) + 1);
  index.match.assign(static_cast<size_t>(n), -1);
  std::vector<int32_t> open;
  for (int32_t i = 0; i < n; ++i) {
    index.depth[i] = static_cast<int32_t>(open.size());
    if (text[i] == '(') {
      open.push_back(i);
    } else if (text[i] == ')') {
      if (open.empty()) unbalanced(i);
      index.match[open.back()] = i;
      open.pop_back();
    }
  }
  if (!open.empty()) unbalanced(open.back());
  index.depth[n] = 0;
  index.tilde_run.assign(static_cast<size_t>(n) + 1, 0);
  for (int32_t i = n - 1; i >= 0; --i) index.tilde_run[i] = text[i] == '~' ? index.tilde_run[i + 1] + 1 : 0;
  for (int op = 0; op < 3; ++op) index_operator(index, op);
  return index;
}

// The rightmost position from `low` to `high` of operator `op` whose depth is `target`.
int32_t rightmost_at_depth(const Text_Index& index, int op, int32_t target, int32_t low, int32_t high) {
  const auto& positions = index.operators[op];
  if (target < 0 || target + 1 >= static_cast<int32_t>(positions.start.size())) return -1;
  auto first = positions.at.begin() + positions.start[target];
  auto last = positions.at.begin() + positions.start[target + 1];
  auto after = std::upper_bound(first, last, high);
  if (after == first || *(after - 1) < low) return -1;
  return *(after - 1);
}

// The splitter's search: the passes for "|", "&" and "~" walk from `high`
// down to `low`, counting "(" up and ")" down, and take the first operator
// met at count 0. A later pass starts with the count the previous one ended
// with, which differs from 0 only in a scope whose parentheses do not balance.
int32_t find_conjunct(const Text_Index& index, int32_t low, int32_t high) {
  const int32_t end_depth = index.depth[high + 1];
  const int32_t scan_count = end_depth - index.depth[low];
  for (int op = 0; op < 3; ++op) {
    int32_t location = rightmost_at_depth(index, op, end_depth + op * scan_count, low, high);
    if (location != -1) return location;
  }
  return -1;
}

agent agent_of(char c) {
  if (c == 'r') return ROW;
  if (c == 'c') return COLUMN;
  return static_cast<unsigned char>(c);
}

int32_t time_letter_of(char c) {
  if (c == 'p') return PREV_TIME;
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c);
  return 0;
}

// A scope still to read, the slot its tree goes into, and the position of
// what made it: the operator or the "(" it stands after or before, the "~"
// or the quantifier it follows (-1 for the whole text).
struct Task {
  int32_t low;
  int32_t high;
  Formula** slot;
  int32_t made_by;
};

[[noreturn]] void no_operands(const Task& task, Notation_Fault fault) {
  char diagnostic[64];
  std::snprintf(diagnostic, sizeof diagnostic, "low = %d, high = %d\n", task.low, task.high);
  throw Notation_Error("no atoms or operands (?) in the current scope", fault,
                       fault == Notation_Fault::EMPTY_SCOPE ? task.made_by : task.low, diagnostic);
}

[[noreturn]] void cut_short(Notation_Fault fault, const char* what, int32_t at) {
  throw Notation_Error(std::string(what) + " cut short at position " + std::to_string(at), fault, at);
}

// Where the reader writes what it makes: the slot, and the node's span if
// spans are being recorded.
struct Output {
  std::vector<Node_Span>* spans;
};

Formula* place(Formula* node, const Task& task, Output out) {
  *task.slot = node;
  if (out.spans) out.spans->push_back({node, task.low, task.high});
  return node;
}

Formula* make_atom(std::string_view text, int32_t low, int32_t high) {
  if (text[low] == 'R') {
    double chance = get_chance(text, low, high);  // may fail: before the node exists
    Formula* atom = new_Formula(CHANCE);
    atom->chance = chance;
    return atom;
  }
  if (low + 2 > high) cut_short(Notation_Fault::ATOM_CUT_SHORT, "atom", low);
  Formula* atom = new_Formula(DEFECTED);
  atom->player1 = agent_of(text[low + 1]);
  atom->player2 = agent_of(text[low + 2]);
  if (low + 3 <= high) atom->time = time_letter_of(text[low + 3]);
  atom->time_mod = make_time_mod(text, low, high);
  return atom;
}

// Builds the node of one scope into its slot and queues the scopes of its
// operands, the left one to be read first.
void make_scope(const Text_Index& index, Task task, std::vector<Task>& tasks, Output out) {
  const std::string_view text = index.text;
  const int32_t low = task.low;
  const int32_t high = task.high;
  if (low > high) no_operands(task, Notation_Fault::EMPTY_SCOPE);
  int32_t location = find_conjunct(index, low, high);
  if (location != -1) {
    if (text[location] == '~') {
      if (location - low >= index.tilde_run[low])
        throw Notation_Error("'~' after other characters at position " + std::to_string(location),
                             Notation_Fault::TILDE_AFTER_TEXT, location);
      Formula* node = place(new_Formula(NOT), task, out);
      tasks.push_back({low + 1, high, &node->left, low});
      return;
    }
    Formula* node = place(new_Formula(text[location] == '&' ? AND : OR), task, out);
    tasks.push_back({location + 1, high, &node->right, location});
    tasks.push_back({low, location - 1, &node->left, location});
    return;
  }
  switch (text[low]) {
    case '(':
      if (index.match[low] != high)
        throw Notation_Error("text after ')' at position " + std::to_string(index.match[low]),
                             Notation_Fault::TEXT_AFTER_PARENTHESIS, index.match[low] + 1);
      tasks.push_back({low + 1, high - 1, task.slot, low});
      return;
    case 'A':
    case 'E': {
      bool forall = text[low] == 'A';
      if (low + 1 > high) cut_short(Notation_Fault::QUANTIFIER_CUT_SHORT, "quantifier", low);
      bool over_time = text[low + 1] == '\'';
      if (over_time && low + 2 > high) cut_short(Notation_Fault::QUANTIFIER_CUT_SHORT, "quantifier", low);
      int32_t type = over_time ? (forall ? FORALL_TIME : EXISTS_TIME) : (forall ? FORALL_AGENT : EXISTS_AGENT);
      int32_t letter_at = over_time ? low + 2 : low + 1;
      Formula* node = place(new_Formula(type), task, out);
      node->variable = static_cast<unsigned char>(text[letter_at]);
      tasks.push_back({letter_at + 1, high, &node->left, low});
      return;
    }
    case 'D':
    case 'R':
      place(make_atom(text, low, high), task, out);
      return;
    default:
      no_operands(task, Notation_Fault::WRONG_START);
  }
}

Formula* make_indexed(const Text_Index& index, int32_t low, int32_t high, Output out) {
  Formula* root = nullptr;
  std::vector<Task> tasks{{low, high, &root, -1}};
  try {
    while (!tasks.empty()) {
      Task task = tasks.back();
      tasks.pop_back();
      make_scope(index, task, tasks, out);
    }
  } catch (...) {
    free_Formula(root);
    throw;
  }
  return root;
}

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

bool is_formula_white_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

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

std::string strip_white_space(std::string_view raw) {
  std::string text;
  text.reserve(raw.size());
  for (char c : raw)
    if (!is_formula_white_space(c)) text.push_back(c);
  return text;
}

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

Formula* make_Formula(std::string_view buffer, int32_t low, int32_t high) {
  return make_indexed(index_text(buffer), low, high, {nullptr});
}

Formula* parse_Formula(std::string_view buffer) {
  return make_Formula(buffer, 0, static_cast<int32_t>(buffer.size()) - 1);
}

Formula* parse_Formula(std::string_view buffer, std::vector<Node_Span>& spans) {
  return make_indexed(index_text(buffer), 0, static_cast<int32_t>(buffer.size()) - 1, {&spans});
}

int32_t offset_text_start(std::string_view buffer, int32_t low, int32_t high) {
  int32_t start = low + 3;
  if (start <= high && time_letter_of(buffer[start]) != 0) ++start;
  return start;
}

int32_t make_time_mod(std::string_view buffer, int32_t low, int32_t high) {
  const int32_t start = offset_text_start(buffer, low, high);
  if (start > high) return 0;
  return saturating_atoi(buffer.substr(start, high - start + 1));
}

double get_chance(std::string_view buffer, int32_t low, int32_t high) {
  if (low + 1 > high) return 0.0;
  // Whatever strtod gives, "not a number" included: a NaN compares false
  // with every draw, so such an atom is never true.
  return text_atof(buffer.substr(low + 1, high - low));
}
