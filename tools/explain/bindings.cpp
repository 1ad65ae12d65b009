#include "bindings.h"

#include <algorithm>

namespace {

// The quantifiers open on the current path, as indexes into
// Bindings::quantifiers with their depth, and the letters they bind.
struct Path {
  Letter_Bindings letters;
  struct Open {
    size_t quantifier;
    int64_t depth;
    bool binds;
  };
  std::vector<Open> open;
};

bool is_letter_value(int32_t value) { return value >= 0 && value < 256; }

void leave_to_depth(Path& path, const Bindings& bindings, const std::vector<Visit>& visits, int64_t depth) {
  while (!path.open.empty() && path.open.back().depth >= depth) {
    const Path::Open& open = path.open.back();
    const Formula* quantifier = visits[static_cast<size_t>(bindings.quantifiers[open.quantifier].node - 1)].node;
    if (open.binds) leave_quantifier(path.letters, quantifier);
    path.open.pop_back();
  }
}

void enter(Path& path, Bindings& bindings, const Formula& quantifier, int64_t node, int64_t depth) {
  const size_t index = bindings.quantifiers.size();
  const int32_t binder = bound_by(path.letters, is_time_quantifier(quantifier.type), quantifier.variable);
  int64_t shadowed_by = binder >= 0 ? bindings.quantifiers[static_cast<size_t>(binder)].node : 0;
  bindings.quantifiers.push_back({node, shadowed_by, {}});
  const bool binds = enter_quantifier(path.letters, &quantifier, static_cast<int32_t>(index));
  path.open.push_back({index, depth, binds});
}

void note_free(std::vector<Free_Letter>& free_letters, bool over_time, int32_t letter, int64_t node) {
  for (Free_Letter& free : free_letters)
    if (free.over_time == over_time && free.letter == letter) {
      if (free.atoms.empty() || free.atoms.back() != node) free.atoms.push_back(node);
      return;
    }
  free_letters.push_back({over_time, letter, {node}});
}

// Records who binds one field's letter.
void note_term(Bindings& bindings, Term term, bool over_time, int32_t letter, int64_t node) {
  if (term.kind == TERM_BOUND) {
    auto& atoms = bindings.quantifiers[static_cast<size_t>(term.value)].atoms;
    if (atoms.empty() || atoms.back() != node) atoms.push_back(node);
  } else if (term.kind == TERM_CONSTANT && is_letter_value(letter)) {
    note_free(bindings.free_letters, over_time, letter, node);
  }
}

void bind_atom(const Path& path, Bindings& bindings, const Formula& atom, int64_t node) {
  Atom_Terms& terms = bindings.terms[static_cast<size_t>(node)];
  terms = {agent_term(path.letters, atom.player1), agent_term(path.letters, atom.player2),
           time_term(path.letters, atom.time)};
  note_term(bindings, terms.player1, false, atom.player1, node);
  note_term(bindings, terms.player2, false, atom.player2, node);
  // A time of 0 is an absolute time, unless a quantifier binds the letter 0.
  if (terms.time.kind == TERM_BOUND || atom.time != 0) note_term(bindings, terms.time, true, atom.time, node);
}

}  // namespace

Bindings find_Bindings(const std::vector<Visit>& visits) {
  Bindings bindings;
  bindings.terms.assign(visits.size() + 1, Atom_Terms{});
  Path path;
  for (size_t i = 0; i < visits.size(); ++i) {
    const Formula& node = *visits[i].node;
    const auto number = static_cast<int64_t>(i + 1);
    leave_to_depth(path, bindings, visits, visits[i].depth);
    if (is_quantifier(node.type))
      enter(path, bindings, node, number, visits[i].depth);
    else if (node.type == DEFECTED)
      bind_atom(path, bindings, node, number);
  }
  std::stable_sort(bindings.free_letters.begin(), bindings.free_letters.end(),
                   [](const Free_Letter& a, const Free_Letter& b) {
                     return a.over_time != b.over_time ? !a.over_time : a.letter < b.letter;
                   });
  return bindings;
}
