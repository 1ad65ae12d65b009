#include "formula/notation_printer.h"

#include <cstdio>
#include <vector>

#include "error.h"

namespace {

void append_agent(agent value, std::string& out) { out += letter_of_agent(value); }

void append_time(const Formula& atom, std::string& out) {
  if (atom.time == 0) {
    out += std::to_string(atom.time_mod);
    return;
  }
  out += letter_of_time(atom.time);
  if (atom.time_mod != 0) out += std::to_string(atom.time_mod);
}

void append_chance(double chance, std::string& out) {
  char text[512];
  std::snprintf(text, sizeof text, "R%f", chance);
  out += text;
}

const char* opening_of(int32_t type) {
  switch (type) {
    case NOT: return "(~";
    case FORALL_AGENT: return "(A";
    case EXISTS_AGENT: return "(E";
    case FORALL_TIME: return "(A'";
    case EXISTS_TIME: return "(E'";
    default: return "(";
  }
}

// A pending piece of output: a subtree, or a literal text when `node` is null.
struct Piece {
  const Formula* node;
  const char* literal;
};

}  // namespace

const Formula* append_Formula(const Formula* formula, std::string& out) {
  std::vector<Piece> pending{{formula, nullptr}};
  while (!pending.empty()) {
    Piece piece = pending.back();
    pending.pop_back();
    if (piece.literal) {
      out += piece.literal;
      continue;
    }
    const Formula* node = piece.node;
    if (!node) {
      out += "NULL";
      continue;
    }
    if (node->type == DEFECTED) {
      out += 'D';
      append_agent(node->player1, out);
      append_agent(node->player2, out);
      append_time(*node, out);
      continue;
    }
    if (node->type == CHANCE) {
      append_chance(node->chance, out);
      continue;
    }
    if (!is_inner(node->type)) return node;
    out += opening_of(node->type);
    if (is_quantifier(node->type)) out += static_cast<char>(node->variable & 0xff);
    pending.push_back({nullptr, ")"});
    if (is_binary(node->type)) {
      pending.push_back({node->right, nullptr});
      pending.push_back({nullptr, node->type == AND ? "&" : "|"});
    }
    pending.push_back({node->left, nullptr});
  }
  return nullptr;
}

std::string format_Formula(const Formula* formula) {
  std::string out;
  if (append_Formula(formula, out)) error("Invalid contructor in formula (while printing)");
  return out;
}

void print_Formula(const Formula* formula) {
  std::string out;
  const Formula* bad = append_Formula(formula, out);
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (bad) {
    std::fflush(stdout);
    std::fprintf(stderr, "type = %d\nplayer1 = %d\nplayer2 = %d\ntime = %d\n", bad->type, bad->player1,
                 bad->player2, bad->time);
    error("Invalid contructor in formula (while printing)");
  }
}

void print_Formulae(Formula* const* formulae, int32_t pop) {
  for (int32_t player = 0; player < pop; ++player) {
    std::printf("%d -------------------------------------------\n", player);
    print_Formula(formulae[player]);
    std::fputs("\n\n", stdout);
  }
}
