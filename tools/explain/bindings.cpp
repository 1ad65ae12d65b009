#include "bindings.h"

#include <algorithm>
#include <array>

namespace {

constexpr int32_t LETTERS = 256;

// For each family and letter, the quantifiers on the current path that bind
// it, as indexes into Bindings::quantifiers; only the outermost one binds.
struct Path {
  std::array<std::vector<size_t>, 2 * LETTERS> binders;
  std::vector<size_t> open;  // quantifiers on the path, outermost first
  std::vector<int64_t> open_depth;
};

size_t slot_of(bool over_time, int32_t letter) {
  return (over_time ? LETTERS : 0) + static_cast<size_t>(letter & 0xff);
}

bool is_letter_value(int32_t value) { return value >= 0 && value < LETTERS; }

void leave_to_depth(Path& path, const Bindings& bindings, const std::vector<Visit>& visits, int64_t depth) {
  while (!path.open.empty() && path.open_depth.back() >= depth) {
    const Formula* quantifier = visits[static_cast<size_t>(bindings.quantifiers[path.open.back()].node - 1)].node;
    path.binders[slot_of(is_time_quantifier(quantifier->type), quantifier->variable)].pop_back();
    path.open.pop_back();
    path.open_depth.pop_back();
  }
}

void enter_quantifier(Path& path, Bindings& bindings, const Formula& quantifier, int64_t node, int64_t depth) {
  auto& binders = path.binders[slot_of(is_time_quantifier(quantifier.type), quantifier.variable)];
  int64_t shadowed_by = binders.empty() ? 0 : bindings.quantifiers[binders.front()].node;
  binders.push_back(bindings.quantifiers.size());
  bindings.quantifiers.push_back({node, shadowed_by, {}});
  path.open.push_back(binders.back());
  path.open_depth.push_back(depth);
}

void note_free(std::vector<Free_Letter>& free_letters, bool over_time, int32_t letter, int64_t node) {
  for (Free_Letter& free : free_letters)
    if (free.over_time == over_time && free.letter == letter) {
      if (free.atoms.empty() || free.atoms.back() != node) free.atoms.push_back(node);
      return;
    }
  free_letters.push_back({over_time, letter, {node}});
}

// Records who binds one letter of an atom; true when a quantifier does.
bool bind_letter(Path& path, Bindings& bindings, bool over_time, int32_t letter, int64_t node) {
  const auto& binders = path.binders[slot_of(over_time, letter)];
  if (!binders.empty()) {
    auto& atoms = bindings.quantifiers[binders.front()].atoms;
    if (atoms.empty() || atoms.back() != node) atoms.push_back(node);
    return true;
  }
  note_free(bindings.free_letters, over_time, letter, node);
  return false;
}

void bind_atom(Path& path, Bindings& bindings, const Formula& atom, int64_t node) {
  for (agent player : {atom.player1, atom.player2})
    if (player != ROW && player != COLUMN && is_letter_value(player)) bind_letter(path, bindings, false, player, node);
  // A time of 0 is an absolute time, unless a quantifier binds the letter 0.
  if (atom.time != PREV_TIME && is_letter_value(atom.time)) {
    bool bound = !path.binders[slot_of(true, atom.time)].empty();
    if (bound || atom.time != 0) bindings.time_bound[static_cast<size_t>(node)] = bind_letter(path, bindings, true, atom.time, node);
  }
}

}  // namespace

Bindings find_Bindings(const std::vector<Visit>& visits) {
  Bindings bindings;
  bindings.time_bound.assign(visits.size() + 1, false);
  Path path;
  for (size_t i = 0; i < visits.size(); ++i) {
    const Formula& node = *visits[i].node;
    const auto number = static_cast<int64_t>(i + 1);
    leave_to_depth(path, bindings, visits, visits[i].depth);
    if (is_agent_quantifier(node.type) || is_time_quantifier(node.type))
      enter_quantifier(path, bindings, node, number, visits[i].depth);
    else if (node.type == DEFECTED)
      bind_atom(path, bindings, node, number);
  }
  std::stable_sort(bindings.free_letters.begin(), bindings.free_letters.end(),
                   [](const Free_Letter& a, const Free_Letter& b) {
                     return a.over_time != b.over_time ? !a.over_time : a.letter < b.letter;
                   });
  return bindings;
}
