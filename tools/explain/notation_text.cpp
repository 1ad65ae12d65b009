#include "notation_text.h"

#include <cstdio>

#include "formula/notation_printer.h"
#include "formula/notation_reader.h"
#include "game/rules.h"

namespace {

std::string number_text(int64_t value) { return std::to_string(value); }

std::string subject_text(agent value) {
  if (value == ROW) return "I";
  if (value == COLUMN) return "the opponent";
  return letter_text(value);
}

std::string object_text(agent value) {
  if (value == ROW) return "me";
  if (value == COLUMN) return "the opponent";
  return letter_text(value);
}

std::string offset_text(int32_t offset) {
  if (offset == 0) return "";
  char text[16];
  std::snprintf(text, sizeof text, "%+d", offset);
  return text;
}

std::string time_text(const Formula& atom) {
  const int64_t offset = atom.time_mod;
  if (atom.time == PREV_TIME) {
    if (offset == 0) return "in the previous round";
    if (offset < 0) return number_text(1 - offset) + " rounds ago";
    if (offset == 1) return "in the current round";
    if (offset == 2) return "in the next round";
    return number_text(offset - 1) + " rounds from now";
  }
  if (atom.time == 0) {
    if (offset < 0) return "at time " + number_text(offset) + ", before round 0";
    return "in round " + number_text(offset);
  }
  return "at time " + letter_text(atom.time) + offset_text(atom.time_mod);
}

}  // namespace

std::string letter_text(int32_t code) {
  auto byte = static_cast<unsigned char>(code & 0xff);
  if (byte > ' ' && byte < 127) return std::string(1, static_cast<char>(byte));
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02x", byte);
  return text;
}

std::string escaped_text(const std::string& text) {
  std::string out;
  for (char c : text) out += letter_text(static_cast<unsigned char>(c));
  return out;
}

std::string free_letter_meaning(bool over_time, int32_t letter) {
  const std::string code = std::to_string(letter);
  if (over_time) return "stands for time " + code + " (its character code) plus the atom's offset";
  std::string meaning = "stands for player " + code + " (its character code)";
  if (letter >= MAX_POP)
    return meaning + ", who never plays: reads as defection, or cooperation at times before round 0";
  if (letter == 0) return meaning + ", the first player, who is always in the game";
  return meaning + ": unless " + std::to_string(letter + 1) +
         " or more players play, reads as defection, or cooperation at times before round 0";
}

std::string describe_atom(const Formula& atom) {
  std::string words =
      subject_text(atom.player1) + " defected against " + object_text(atom.player2) + " " + time_text(atom);
  if (atom.player1 == atom.player2) words += " (never true: nobody defects against itself)";
  return words;
}

std::string describe_node(const Formula& node) {
  switch (node.type) {
    case AND: return "and";
    case OR: return "or";
    case NOT: return "not";
    case FORALL_AGENT:
      return "A " + letter_text(node.variable) + "  for every other player " + letter_text(node.variable);
    case EXISTS_AGENT:
      return "E " + letter_text(node.variable) + "  for some other player " + letter_text(node.variable);
    case FORALL_TIME:
      return "A' " + letter_text(node.variable) + "  for every time " + letter_text(node.variable) +
             " up to two rounds ago";
    case EXISTS_TIME:
      return "E' " + letter_text(node.variable) + "  for some time " + letter_text(node.variable) +
             " up to two rounds ago";
    case DEFECTED: return escaped_text(format_Formula(&node)) + "  " + describe_atom(node);
    case CHANCE: return escaped_text(format_Formula(&node)) + "  true by chance";
    default: return escaped_text(format_Formula(&node));
  }
}
