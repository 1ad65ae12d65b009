#include "behaviour/readable_letters.h"

#include <array>
#include <cstddef>
#include <vector>

#include "game/letters.h"

namespace {

constexpr int32_t CHARACTERS = 256;

bool is_character(int32_t value) { return value >= 0 && value < CHARACTERS; }
bool is_lower_case(int32_t value) { return value >= 'a' && value <= 'z'; }

// Whether a letter bound in a family prints as a letter that reads back
// as that letter of that family.
bool reads_back(bool over_time, int32_t letter) {
  if (!is_lower_case(letter)) return false;
  return over_time ? letter != PREV_LETTER : letter != ROW_LETTER && letter != COLUMN_LETTER;
}

struct Letter_Uses {
  std::array<bool, CHARACTERS> used{};        // anywhere, bound or not
  std::array<bool, CHARACTERS> unreadable{};  // bound somewhere, and would not read back
  std::array<bool, CHARACTERS> free{};        // standing somewhere where nothing binds it
};

// Whether an atom's field holds a letter: not a code, nor (time 0) no
// time letter at all.
bool holds_letter(bool over_time, int32_t value) { return is_character(value) && !(over_time && value == 0); }

void note_field(Letter_Uses& uses, const Letter_Bindings& bindings, bool over_time, int32_t value) {
  if (!holds_letter(over_time, value)) return;
  uses.used[static_cast<size_t>(value)] = true;
  if (bound_by(bindings, over_time, value) < 0) uses.free[static_cast<size_t>(value)] = true;
}

void note_node(Letter_Uses& uses, const Letter_Bindings& bindings, const Formula* node) {
  if (node->type == DEFECTED) {
    note_field(uses, bindings, false, node->player1);
    note_field(uses, bindings, false, node->player2);
    note_field(uses, bindings, true, node->time);
  } else if (is_quantifier(node->type) && is_character(node->variable)) {
    uses.used[static_cast<size_t>(node->variable)] = true;
    if (binds_its_letter(bindings, node) && !reads_back(is_time_quantifier(node->type), node->variable))
      uses.unreadable[static_cast<size_t>(node->variable)] = true;
  }
}

// One walk without recursion, with the letters bound on the path.
Letter_Uses letter_uses(const Formula* formula) {
  Letter_Uses uses;
  Letter_Bindings bindings;
  struct Visit {
    const Formula* node;
    bool leaving;
    bool binds;
  };
  std::vector<Visit> stack{{formula, false, false}};
  while (!stack.empty()) {
    Visit visit = stack.back();
    stack.pop_back();
    if (!visit.node) continue;
    if (visit.leaving) {
      if (visit.binds) leave_quantifier(bindings, visit.node);
      continue;
    }
    note_node(uses, bindings, visit.node);
    const bool binds = is_quantifier(visit.node->type) && enter_quantifier(bindings, visit.node, 0);
    stack.push_back({visit.node, true, binds});
    if (is_binary(visit.node->type)) stack.push_back({visit.node->right, false, false});
    if (is_inner(visit.node->type)) stack.push_back({visit.node->left, false, false});
  }
  return uses;
}

// The new letter of each character, or the character itself.
using Renaming = std::array<int32_t, CHARACTERS>;

bool plan_renaming(const Letter_Uses& uses, Renaming& renaming) {
  for (int32_t c = 0; c < CHARACTERS; ++c) renaming[static_cast<size_t>(c)] = c;
  bool any = false;
  int32_t fresh = 'd';
  for (int32_t c = 0; c < CHARACTERS; ++c) {
    if (!uses.unreadable[static_cast<size_t>(c)] || uses.free[static_cast<size_t>(c)]) continue;
    while (fresh <= 'z' && (fresh == PREV_LETTER || fresh == ROW_LETTER || uses.used[static_cast<size_t>(fresh)]))
      ++fresh;
    if (fresh > 'z') break;
    renaming[static_cast<size_t>(c)] = fresh++;
    any = true;
  }
  return any;
}

int32_t renamed(const Renaming& renaming, bool over_time, int32_t value) {
  return holds_letter(over_time, value) ? renaming[static_cast<size_t>(value)] : value;
}

void rename_letters(Formula* formula, const Renaming& renaming) {
  std::vector<Formula*> stack{formula};
  while (!stack.empty()) {
    Formula* node = stack.back();
    stack.pop_back();
    if (!node) continue;
    if (node->type == DEFECTED) {
      node->player1 = renamed(renaming, false, node->player1);
      node->player2 = renamed(renaming, false, node->player2);
      node->time = renamed(renaming, true, node->time);
    } else if (is_quantifier(node->type)) {
      node->variable = renamed(renaming, false, node->variable);
    }
    if (is_binary(node->type)) stack.push_back(node->right);
    if (is_inner(node->type)) stack.push_back(node->left);
  }
}

// Whether some quantifier's letter would not read back. Most formulae
// have none, and this walk, unlike letter_uses, keeps no bindings.
bool any_unreadable_quantifier(const Formula* formula) {
  thread_local std::vector<const Formula*> stack;
  stack.assign(1, formula);
  while (!stack.empty()) {
    const Formula* node = stack.back();
    stack.pop_back();
    if (!node) continue;
    if (is_quantifier(node->type) && !reads_back_as_bound(node)) return true;
    if (is_binary(node->type)) stack.push_back(node->right);
    if (is_inner(node->type)) stack.push_back(node->left);
  }
  return false;
}

}  // namespace

bool reads_back_as_bound(const Formula* quantifier) {
  return reads_back(is_time_quantifier(quantifier->type), quantifier->variable);
}

Formula* with_readable_letters(const Formula* formula) {
  if (!formula || !any_unreadable_quantifier(formula)) return nullptr;
  Renaming renaming;
  if (!plan_renaming(letter_uses(formula), renaming)) return nullptr;
  Formula* copy = copy_Formula(formula);
  rename_letters(copy, renaming);
  return copy;
}
