#include "behaviour/play_key.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "error.h"
#include "game/letters.h"

namespace {

// What is known of a subformula once its operands are: its key, or, for a
// chain of one connective that draws nothing, the keys of its operands, to
// be joined when the chain ends.
struct Keyed {
  Node_Kind kind;
  bool draws = false;
  std::string key;
  std::vector<std::string> chain;
};

struct Frame {
  const Formula* node;
  int stage = 0;
  bool binds = false;
};

struct Walk {
  Letter_Bindings bindings;
  int32_t depth = 0;  // quantifiers binding on the path
  std::vector<Keyed> done;
};

bool is_chain(const Keyed& keyed, Node_Kind kind) { return keyed.kind == kind && !keyed.draws && !keyed.chain.empty(); }

// The key of a finished subformula, its chain joined in order.
std::string key_of(Keyed&& keyed) {
  if (keyed.chain.empty()) return std::move(keyed.key);
  std::sort(keyed.chain.begin(), keyed.chain.end());
  std::string key(1, keyed.kind == AND ? '&' : '|');
  key.push_back('(');
  for (const std::string& part : keyed.chain) key.append(part).push_back(',');
  key.back() = ')';
  return key;
}

void append_term(std::string& key, Term term, int32_t depth) {
  switch (term.kind) {
    case TERM_ROW: key.push_back('r'); return;
    case TERM_COLUMN: key.push_back('c'); return;
    case TERM_PREV: key.push_back('p'); return;
    case TERM_BOUND:
      key.push_back('#');
      key.append(std::to_string(depth - term.value));
      return;
    case TERM_CONSTANT:
      key.push_back('$');
      key.append(std::to_string(term.value));
      return;
  }
}

Keyed atom_key(const Walk& walk, const Formula& atom) {
  Keyed keyed{DEFECTED, false, "D", {}};
  append_term(keyed.key, agent_term(walk.bindings, atom.player1), walk.depth);
  keyed.key.push_back(' ');
  append_term(keyed.key, agent_term(walk.bindings, atom.player2), walk.depth);
  keyed.key.push_back(' ');
  append_term(keyed.key, time_term(walk.bindings, atom.time), walk.depth);
  keyed.key.append(std::to_string(atom.time_mod)).push_back(';');
  return keyed;
}

Keyed chance_key(double chance) {
  uint64_t bits;
  std::memcpy(&bits, &chance, sizeof bits);
  Keyed keyed{CHANCE, true, "R", {}};
  keyed.key.append(std::to_string(bits)).push_back(';');
  return keyed;
}

// A binary connective: where it draws, its operands stay in order.
Keyed binary_key(Node_Kind kind, Keyed&& left, Keyed&& right) {
  Keyed keyed{kind, left.draws || right.draws, {}, {}};
  if (keyed.draws) {
    keyed.key.assign(1, kind == AND ? '&' : '|').push_back('[');
    keyed.key.append(key_of(std::move(left))).push_back(',');
    keyed.key.append(key_of(std::move(right))).push_back(']');
    return keyed;
  }
  for (Keyed* operand : {&left, &right}) {
    if (!is_chain(*operand, kind)) {
      keyed.chain.push_back(key_of(std::move(*operand)));
      continue;
    }
    if (keyed.chain.empty()) {
      keyed.chain = std::move(operand->chain);
    } else {
      keyed.chain.insert(keyed.chain.end(), std::make_move_iterator(operand->chain.begin()),
                         std::make_move_iterator(operand->chain.end()));
    }
  }
  return keyed;
}

const char* quantifier_mark(Node_Kind kind) {
  switch (kind) {
    case FORALL_AGENT: return "A(";
    case EXISTS_AGENT: return "E(";
    case FORALL_TIME: return "A'(";
    case EXISTS_TIME: return "E'(";
    default: break;
  }
  error("unknown quantifier while keying a formula");
}

Keyed pop_done(Walk& walk) {
  Keyed keyed = std::move(walk.done.back());
  walk.done.pop_back();
  return keyed;
}

// A node whose operands are keyed, on top of `done`, leaves its own key there.
void leave(Walk& walk, const Frame& frame) {
  const Formula* node = frame.node;
  switch (node->type) {
    case DEFECTED: walk.done.push_back(atom_key(walk, *node)); return;
    case CHANCE: walk.done.push_back(chance_key(node->chance)); return;
    case NOT: {
      Keyed operand = pop_done(walk);
      Keyed keyed{NOT, operand.draws, "~", {}};
      keyed.key.append(key_of(std::move(operand)));
      walk.done.push_back(std::move(keyed));
      return;
    }
    case AND:
    case OR: {
      Keyed right = pop_done(walk);
      Keyed left = pop_done(walk);
      walk.done.push_back(binary_key(node->type, std::move(left), std::move(right)));
      return;
    }
    default: break;
  }
  if (!is_quantifier(node->type)) error("unknown formula kind while keying a formula");
  // One that binds nothing is evaluated as its body alone.
  if (!frame.binds) return;
  leave_quantifier(walk.bindings, node);
  --walk.depth;
  Keyed body = pop_done(walk);
  Keyed keyed{node->type, body.draws, quantifier_mark(node->type), {}};
  keyed.key.append(key_of(std::move(body))).push_back(')');
  walk.done.push_back(std::move(keyed));
}

int operand_count(const Formula* node) {
  if (is_binary(node->type)) return 2;
  if (is_inner(node->type)) return 1;
  return 0;
}

void enter(Walk& walk, Frame& frame) {
  if (!is_quantifier(frame.node->type)) return;
  frame.binds = enter_quantifier(walk.bindings, frame.node, walk.depth);
  if (frame.binds) ++walk.depth;
}

}  // namespace

std::string play_key(const Formula* formula) {
  if (!formula) error("missing operand while keying a formula");
  Walk walk;
  std::vector<Frame> frames{{formula}};
  enter(walk, frames.back());
  while (!frames.empty()) {
    Frame& frame = frames.back();
    if (frame.stage < operand_count(frame.node)) {
      const Formula* child = frame.stage++ == 0 ? frame.node->left : frame.node->right;
      if (!child) error("missing operand while keying a formula");
      frames.push_back({child});
      enter(walk, frames.back());
      continue;
    }
    leave(walk, frame);
    frames.pop_back();
  }
  return key_of(pop_done(walk));
}
