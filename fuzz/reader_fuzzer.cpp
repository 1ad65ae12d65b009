// Fuzz target for the notation reader: bytes in, any bytes, read as a
// formula file's text. For text that reads, the printed form must read back
// as an equal tree whenever the tree keeps to lower-case letters, and every
// walker that an accepted tree meets (copy, equality, size, repair,
// crossover, mutation, freeing) must work on it.
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "error.h"
#include "evolve/breeding.h"
#include "evolve/crossover.h"
#include "evolve/mutation.h"
#include "evolve/repair.h"
#include "formula/notation_printer.h"
#include "formula/notation_reader.h"
#include "formula/scope.h"
#include "fuzz_support.h"
#include "random_stream.h"

namespace {

bool is_letter(int32_t value) { return value >= 'a' && value <= 'z'; }

// Whether printing and reading back must give the same tree: variables and
// agent letters lower-case letters, times PREV_TIME, 0 or a letter. Other
// bytes read as their codes but print where the notation gives them another
// meaning (a "(" as an agent, a digit after an atom's agents).
bool reads_back(const Formula* tree) {
  std::vector<const Formula*> pending{tree};
  while (!pending.empty()) {
    const Formula* node = pending.back();
    pending.pop_back();
    if (!node) continue;
    if ((is_agent_quantifier(node->type) || is_time_quantifier(node->type)) && !is_letter(node->variable))
      return false;
    if (node->type == DEFECTED) {
      for (agent player : {node->player1, node->player2})
        if (player != ROW && player != COLUMN && (!is_letter(player) || player == 'r' || player == 'c'))
          return false;
      if (node->time != PREV_TIME && node->time != 0 && !is_letter(node->time)) return false;
    }
    pending.push_back(node->left);
    pending.push_back(node->right);
  }
  return true;
}

// Six decimals, then the nearest double to them. A NaN prints as "nan" or
// "-nan" and reads back as a NaN: one that plays alike.
bool close_chances(double printed, double read) {
  if (printed == read || (std::isnan(printed) && std::isnan(read))) return true;
  return std::isfinite(printed) && std::abs(printed - read) <= 5.000001e-7 + std::abs(printed) * 4e-16;
}

void check_printed_form(const Formula* tree, std::string_view text) {
  std::string printed;
  if (append_Formula(tree, printed)) finding("the reader made a node of unknown kind", text);
  if (!reads_back(tree) || printed.size() > MAX_FORMULA_LENGTH) return;
  Formula* back = nullptr;
  try {
    back = parse_Formula(printed);
  } catch (const Fatal_Error& failure) {
    finding(std::string("printed form does not read: ") + failure.what() + "\nprinted: " + printed, text);
  }
  if (!equal_Formula(tree, back, close_chances)) finding("printed form reads as another tree\nprinted: " + printed, text);
  free_Formula(back);
}

void exercise_walkers(Formula* tree, std::string_view text) {
  if (size_Formula(tree) > static_cast<int64_t>(text.size())) finding("more nodes than characters", text);
  Formula* copy = copy_Formula(tree);
  if (!equal_Formula(tree, copy)) finding("a copy differs from its source", text);
  seed_random(static_cast<int32_t>(text.size()));
  Scope agents, times;
  init_variables(agents, times);
  fix_Formula(copy, agents, times);
  mutate_an_atom(copy, agents, times);
  Formula* child = cross_over(tree, copy);
  free_Formula(child);
  free_Formula(copy);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Formula* tree = read_fuzzed(bytes);
  if (!tree) return 0;
  std::string text = strip_white_space(bytes);
  check_printed_form(tree, text);
  exercise_walkers(tree, text);
  free_Formula(tree);
  return 0;
}
