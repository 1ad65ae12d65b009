#include "formula/notation_reader.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "error.h"
#include "number_text.h"

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

// An atom's time letter: p, or a to z; 0 when the character is none.
int32_t time_letter_of(char c) {
  if (c == PREV_LETTER || (c >= 'a' && c <= 'z')) return time_of_letter(static_cast<unsigned char>(c));
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
  atom->player1 = agent_of_letter(static_cast<unsigned char>(text[low + 1]));
  atom->player2 = agent_of_letter(static_cast<unsigned char>(text[low + 2]));
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
      Node_Kind type = over_time ? (forall ? FORALL_TIME : EXISTS_TIME) : (forall ? FORALL_AGENT : EXISTS_AGENT);
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

}  // namespace

bool is_formula_white_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string strip_white_space(std::string_view raw) {
  std::string text;
  text.reserve(raw.size());
  for (char c : raw)
    if (!is_formula_white_space(c)) text.push_back(c);
  return text;
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
