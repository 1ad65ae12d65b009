#include "lint.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "bindings.h"
#include "game/rules.h"
#include "notation_text.h"
#include "number_text.h"
#include "printable_text.h"
#include "utf8.h"
#include "walk.h"

namespace {

// Characters of formula text quoted in a message, at most.
constexpr size_t QUOTED = 24;

std::string quoted(std::string_view text) {
  std::string shown = printable_text(text.substr(0, QUOTED));
  if (text.size() > QUOTED) shown += "...";
  return "\"" + shown + "\"";
}

std::string character(char c) { return quoted(std::string_view(&c, 1)); }

// The plain explanation of a fault; `c` is the character the fault points at.
std::string fault_explanation(const Notation_Error& failure, char c) {
  switch (failure.fault) {
    case Notation_Fault::TOO_LONG:
      return "a formula file holds at most " + std::to_string(MAX_FORMULA_LENGTH) + " characters besides white space";
    case Notation_Fault::UNBALANCED:
      return c == '(' ? "this '(' is never closed: add the ')' where its formula ends"
                      : "this ')' closes no '(': remove it, or add the '(' where its formula starts";
    case Notation_Fault::TEXT_AFTER_PARENTHESIS:
      return "text follows a formula in parentheses: join the two with & or |, or remove it";
    case Notation_Fault::ATOM_CUT_SHORT:
      return "an atom is D and two agent characters, then a time and an offset if any, as in Drcp; the text ends first";
    case Notation_Fault::QUANTIFIER_CUT_SHORT:
      return "a quantifier is A or E and a letter (A' or E' and a letter over times), then its formula, as in "
             "Ax(Dxcp); the text ends first";
    case Notation_Fault::TILDE_AFTER_TEXT:
      return "'~' must begin the formula it negates; a quantifier's negated body goes in parentheses: Ax(~Dxcp)";
    case Notation_Fault::EMPTY_SCOPE:
      if (failure.at < 0) return "the file holds no formula, only white space";
      if (c == '&' || c == '|') return std::string("'") + c + "' needs a formula on each side, and one side is empty";
      if (c == '~') return "'~' needs a formula after it";
      if (c == '(') return "nothing stands between these parentheses";
      return "the quantifier needs a formula after its letter";
    case Notation_Fault::WRONG_START: {
      std::string why =
          "a formula starts with D (an atom), R (a chance atom), A or E (a quantifier), '~' or '(', not " +
          character(c);
      if (c == 'd' || c == 'r' || c == 'a' || c == 'e') why += ": atoms and quantifiers are upper case";
      return why;
    }
  }
  return "";
}

Finding warning(const Source_Map& map, int32_t position, std::string message) {
  return {Severity::WARNING, map.raw_of[static_cast<size_t>(position)], std::move(message), ""};
}

std::string byte_name(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

std::string byte_warning(unsigned char byte) {
  std::string what = byte == 0      ? "NUL byte"
                     : byte == '\f' ? "form feed"
                     : byte == '\v' ? "vertical tab"
                                    : "byte " + byte_name(byte);
  std::string text =
      what + " is not printable ASCII: the formula text holds it as the character of code " + std::to_string(byte);
  if (byte == '\f' || byte == '\v') text += " (only blank, tab, newline and carriage return are white space)";
  return text;
}

std::string letter_warning(std::string_view bytes, uint32_t code) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", code);
  std::string codes;
  for (char c : bytes) codes += (codes.empty() ? "" : " ") + byte_name(static_cast<unsigned char>(c));
  return std::string("the letter ") + name + " is " + std::to_string(bytes.size()) + " bytes of UTF-8 (" + codes +
         "): the notation reads each byte as a character, so it takes " + std::to_string(bytes.size()) +
         " of an atom's or quantifier's fixed positions";
}

// Text after an atom that its number conversion stops at or reads as 0.
void number_warnings(const Formula& atom, const Node_Span& span, std::string_view text, const Source_Map& map,
                     std::vector<Finding>& out) {
  const bool chance = atom.type == CHANCE;
  const int32_t start = chance ? span.low + 1 : offset_text_start(text, span.low, span.high);
  if (start > span.high) {
    if (chance)
      out.push_back(warning(map, span.low, "R without a number is the probability 0: the atom is never true"));
    return;
  }
  const std::string_view number = text.substr(static_cast<size_t>(start), static_cast<size_t>(span.high - start + 1));
  const size_t taken = chance ? atof_length(number) : atoi_length(number);
  const std::string what = chance ? "probability" : "offset";
  const std::string_view read =
      text.substr(static_cast<size_t>(span.low), static_cast<size_t>(start - span.low) + taken);
  // Text that could start a formula of its own suggests a missing operator.
  const bool formula_follows = std::string_view("DRAE~(").find(number[taken]) != std::string_view::npos;
  const std::string hint = formula_follows ? "; is an & or | missing before it?" : "";
  if (taken == 0)
    out.push_back(warning(map, start,
                          "the text after " + quoted(read) + ", " + quoted(number) + ", is read as its " + what +
                              ", which has no number there: the " + what + " is 0" + hint));
  else if (taken < number.size())
    out.push_back(warning(map, start + static_cast<int32_t>(taken),
                          "the " + what + " of " + quoted(read) + " ends here: the rest of its text, " +
                              quoted(number.substr(taken)) + ", is ignored" + hint));
}

void probability_warning(const Formula& atom, const Node_Span& span, const Source_Map& map, std::vector<Finding>& out) {
  char value[32];
  std::snprintf(value, sizeof value, "%g", atom.chance);
  // Which draws the atom holds on is the rules' answer; this words it.
  const int32_t draws = draws_holding(atom.chance);
  if (std::isnan(atom.chance))
    out.push_back(
        warning(map, span.low, "the probability is not a number: the atom is never true (it still makes its draw)"));
  else if (draws == DRAW_MAX + 1 && atom.chance > 1)
    out.push_back(
        warning(map, span.low, std::string("the probability ") + value + " is above 1: the atom is always true"));
  else if (draws == 0 && atom.chance < 0)
    out.push_back(
        warning(map, span.low, std::string("the probability ") + value + " is below 0: the atom is never true"));
}

std::string quantifier_text(const Formula& quantifier) {
  std::string text = quantifier.type == FORALL_AGENT || quantifier.type == FORALL_TIME ? "A" : "E";
  if (is_time_quantifier(quantifier.type)) text += "'";
  return text + letter_text(quantifier.variable);
}

// A quantifier that binds nothing: its letter is r, c or p, which atoms
// never read as variables, or a quantifier of its family above binds it.
void quantifier_warning(const Formula& quantifier, int32_t at, const Formula* shadowing, int32_t shadowing_at,
                        const Source_Map& map, std::vector<Finding>& out) {
  const bool over_time = is_time_quantifier(quantifier.type);
  const int32_t letter = quantifier.variable;
  const std::string name = quantifier_text(quantifier) + " binds nothing: ";
  const std::string clash = "; during evolution, variable repair reports it as a clash";
  if (!over_time && (letter == ROW_LETTER || letter == COLUMN_LETTER))
    out.push_back(warning(map, at,
                          name + "atoms read " + letter_text(letter) + " as " +
                              (letter == ROW_LETTER ? "the player itself" : "the opponent") + clash));
  else if (over_time && letter == PREV_LETTER)
    out.push_back(warning(map, at, name + "atoms read p as the previous round"));
  else if (over_time && letter != 0 && (letter < 'a' || letter > 'z'))
    out.push_back(warning(map, at, name + "atoms take only a to z as time letters"));
  else if (shadowing) {
    const Location where = locate(map, map.raw_of[static_cast<size_t>(shadowing_at)]);
    out.push_back(warning(map, at,
                          name + "the " + (over_time ? "time" : "agent") + " quantifier " +
                              quantifier_text(*shadowing) + " at " + std::to_string(where.line) + ":" +
                              std::to_string(where.column) + " already binds " + letter_text(letter) +
                              ", and its atoms read that one" + (over_time ? "" : clash)));
  }
}

struct Analysis {
  std::vector<Visit> visits;
  Bindings bindings;
  std::unordered_map<const Formula*, Node_Span> span_of;
};

const Node_Span& span_of_node(const Analysis& a, int64_t number) {
  return a.span_of.at(a.visits[static_cast<size_t>(number - 1)].node);
}

// Letters that no quantifier binds, at each place an atom uses one.
void free_letter_warnings(const Analysis& a, const Source_Map& map, std::vector<Finding>& out) {
  for (const Free_Letter& free : a.bindings.free_letters) {
    const std::string what = letter_text(free.letter) + " is bound by no " + (free.over_time ? "time" : "agent") +
                             " quantifier around it: it " + free_letter_meaning(free.over_time, free.letter);
    for (int64_t number : free.atoms) {
      const Formula& atom = *a.visits[static_cast<size_t>(number - 1)].node;
      const int32_t low = span_of_node(a, number).low;
      if (free.over_time) {
        out.push_back(warning(map, low + 3, what));
        continue;
      }
      if (atom.player1 == free.letter) out.push_back(warning(map, low + 1, what));
      if (atom.player2 == free.letter) out.push_back(warning(map, low + 2, what));
    }
  }
}

}  // namespace

Finding file_error_Finding(const Fatal_Error& failure) { return {Severity::ERROR, -1, failure.what(), ""}; }

Finding text_error_Finding(const Notation_Error& failure, const Source_Map& map, std::string_view text) {
  const bool placed = failure.at >= 0 && static_cast<size_t>(failure.at) < text.size();
  const char c = placed ? text[static_cast<size_t>(failure.at)] : '\0';
  std::string message = failure.what();
  if (!failure.diagnostic.empty()) message += " (" + failure.diagnostic.substr(0, failure.diagnostic.size() - 1) + ")";
  return {Severity::ERROR, placed ? map.raw_of[static_cast<size_t>(failure.at)] : 0, message,
          fault_explanation(failure, c)};
}

std::vector<Finding> byte_Warnings(std::string_view raw) {
  std::vector<Finding> out;
  for (size_t at = 0; at < raw.size(); ++at) {
    const auto byte = static_cast<unsigned char>(raw[at]);
    if ((byte >= '!' && byte <= '~') || is_formula_white_space(raw[at])) continue;
    // A letter of several bytes is one warning; any other byte, its own.
    const Utf8_Character letter = decode_utf8(raw, at);
    const bool several = letter.length > 1;
    const std::string message =
        several ? letter_warning(raw.substr(at, letter.length), letter.code) : byte_warning(byte);
    out.push_back({Severity::WARNING, static_cast<int64_t>(at), message, ""});
    if (several) at += letter.length - 1;
  }
  return out;
}

std::vector<Finding> formula_Warnings(const Formula* formula, const std::vector<Node_Span>& spans,
                                      const Source_Map& map, std::string_view text) {
  Analysis a;
  a.visits = preorder_Formula(formula);
  a.bindings = find_Bindings(a.visits);
  for (const Node_Span& span : spans) a.span_of.emplace(span.node, span);
  std::vector<Finding> out;
  for (const Visit& visit : a.visits) {
    const Formula& node = *visit.node;
    if (node.type == DEFECTED || node.type == CHANCE) number_warnings(node, a.span_of.at(&node), text, map, out);
    if (node.type == CHANCE) probability_warning(node, a.span_of.at(&node), map, out);
  }
  for (const Quantifier_Binding& binding : a.bindings.quantifiers) {
    const Formula* shadowing =
        binding.shadowed_by ? a.visits[static_cast<size_t>(binding.shadowed_by - 1)].node : nullptr;
    quantifier_warning(*a.visits[static_cast<size_t>(binding.node - 1)].node, span_of_node(a, binding.node).low,
                       shadowing, shadowing ? span_of_node(a, binding.shadowed_by).low : -1, map, out);
  }
  free_letter_warnings(a, map, out);
  return out;
}
