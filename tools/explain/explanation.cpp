#include "explanation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bindings.h"
#include "formula/notation_reader.h"
#include "formula/notation_printer.h"
#include "game/rules.h"
#include "notation_text.h"
#include "printable_text.h"
#include "random_stream.h"
#include "reach.h"
#include "sample_play.h"
#include "walk.h"

namespace {

// Deeper nodes are drawn at this indentation, with their depth written out.
constexpr int64_t MAX_INDENT_DEPTH = 40;

std::string nodes_text(const std::vector<int64_t>& nodes) {
  std::string out = nodes.size() == 1 ? "node " : "nodes ";
  for (size_t i = 0; i < nodes.size(); ++i) out += (i ? ", " : "") + std::to_string(nodes[i]);
  return out;
}

std::string padded_number(int64_t number, size_t width) {
  std::string text = std::to_string(number);
  return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

void append_outline(const std::vector<Visit>& visits, std::string& out) {
  out += "  outline\n";
  const size_t width = std::to_string(visits.size()).size();
  for (size_t i = 0; i < visits.size(); ++i) {
    const int64_t depth = visits[i].depth;
    out += "    " + padded_number(static_cast<int64_t>(i + 1), width) + "  ";
    out += std::string(static_cast<size_t>(2 * std::min(depth, MAX_INDENT_DEPTH)), ' ');
    if (depth > MAX_INDENT_DEPTH) out += "[depth " + std::to_string(depth) + "] ";
    out += describe_node(*visits[i].node) + "\n";
  }
}

// Why a quantifier on r, c or p finds no atom: those letters are never variables.
std::string reserved_note(const Formula& quantifier) {
  const auto letter = static_cast<char>(quantifier.variable & 0xff);
  if (is_agent_quantifier(quantifier.type) && (letter == ROW_LETTER || letter == COLUMN_LETTER))
    return std::string(" (") + letter + " in an atom always means " + (letter == ROW_LETTER ? "me" : "the opponent") +
           ")";
  if (is_time_quantifier(quantifier.type) && letter == PREV_LETTER)
    return " (p in an atom always means the previous round)";
  return "";
}

std::string quantifier_text(const Formula& quantifier) {
  std::string text = quantifier.type == FORALL_AGENT || quantifier.type == FORALL_TIME ? "A" : "E";
  if (is_time_quantifier(quantifier.type)) text += "'";
  return text + " " + letter_text(quantifier.variable);
}

void append_quantifiers(const std::vector<Visit>& visits, const Bindings& bindings, std::string& out) {
  out += "  quantifiers\n";
  if (bindings.quantifiers.empty()) out += "    none\n";
  for (const Quantifier_Binding& binding : bindings.quantifiers) {
    const Formula& quantifier = *visits[static_cast<size_t>(binding.node - 1)].node;
    const std::string letter = letter_text(quantifier.variable);
    out += "    node " + std::to_string(binding.node) + "  " + quantifier_text(quantifier) + ": ";
    if (binding.shadowed_by)
      out += "binds nothing: node " + std::to_string(binding.shadowed_by) + " already binds " + letter +
             ", so its body is evaluated once\n";
    else if (binding.atoms.empty())
      out += "binds " + letter + " in no atom" + reserved_note(quantifier) + "\n";
    else
      out += "binds " + letter + " in " + nodes_text(binding.atoms) + "\n";
  }
}

void append_free_letters(const Bindings& bindings, std::string& out) {
  out += "  unbound letters\n";
  if (bindings.free_letters.empty()) out += "    none\n";
  for (const Free_Letter& free : bindings.free_letters)
    out += std::string("    ") + (free.over_time ? "time " : "agent ") + letter_text(free.letter) + " in " +
           nodes_text(free.atoms) + ": " + free_letter_meaning(free.over_time, free.letter) + "\n";
}

void append_reaches(const std::vector<Visit>& visits, const Bindings& bindings, std::string& out) {
  out += "  current round or later\n";
  bool any = false;
  for (size_t i = 0; i < visits.size(); ++i) {
    const Formula& node = *visits[i].node;
    if (node.type != DEFECTED) continue;
    std::string reach = reach_of_atom(node, bindings.terms[i + 1]);
    if (reach.empty()) continue;
    out += "    node " + std::to_string(i + 1) + "  " + escaped_text(format_Formula(&node)) + ": " + reach + "\n";
    any = true;
  }
  if (!any) out += "    none\n";
}

void append_chances(const std::vector<Visit>& visits, std::string& out) {
  out += "  chance atoms\n";
  bool any = false;
  for (size_t i = 0; i < visits.size(); ++i) {
    const Formula& node = *visits[i].node;
    if (node.type != CHANCE) continue;
    const int32_t draws = draws_holding(node.chance);
    char probability[64];
    std::snprintf(probability, sizeof probability, "%.6g", draws / (DRAW_MAX + 1.0));
    out += "    node " + std::to_string(i + 1) + "  " + escaped_text(format_Formula(&node)) + ": true for " +
           std::to_string(draws) + " of the " + std::to_string(DRAW_MAX + 1) + " draws (probability " + probability +
           "), one draw each time it is evaluated\n";
    any = true;
  }
  if (!any) out += "    none\n";
}

bool has_agent_quantifier(const std::vector<Visit>& visits) {
  for (const Visit& visit : visits)
    if (is_agent_quantifier(visit.node->type)) return true;
  return false;
}

void append_moves(Formula* formula, const std::vector<Visit>& visits, std::string& out) {
  out += "  first " + std::to_string(SAMPLE_MOVES) + " moves, as player 0 against player 1, seed " +
         std::to_string(DEFAULT_SEED) + "\n";
  if (has_agent_quantifier(visits))
    out += "    (with two players, agent quantifiers range over nobody: A is true, E false)\n";
  for (const Sample_Opponent& opponent : sample_opponents) {
    std::string label = std::string("against ") + opponent.name;
    label.resize(26, ' ');
    out += "    " + label + sample_moves(formula, opponent) + "\n";
  }
}

}  // namespace

std::string explain_Formula(Formula* formula) {
  const std::vector<Visit> visits = preorder_Formula(formula);
  const Bindings bindings = find_Bindings(visits);
  std::string out = "  canonical   " + printable_text(format_Formula(formula)) + "\n";
  out += "  size        " + std::to_string(visits.size()) + (visits.size() == 1 ? " node\n" : " nodes\n");
  append_outline(visits, out);
  append_quantifiers(visits, bindings, out);
  append_free_letters(bindings, out);
  append_reaches(visits, bindings, out);
  append_chances(visits, out);
  append_moves(formula, visits, out);
  return out;
}
