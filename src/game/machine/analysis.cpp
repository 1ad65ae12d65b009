// The analysis: one walk of the tree, in pre-order, that says for every node
// what the compiler needs to know, so that compiling never walks a subtree
// twice. Going down it numbers the quantifiers that bind their letters (the
// loops: `Ex Ey Dxyp` gets loops 0 and 1; in `Ex Ex Dxcp` the inner one binds
// nothing and is `transparent`) and resolves each atom's fields with the one
// resolver of letters (`Dxyp` under those loops reads loop 0 against loop 1
// at the previous round). Coming back up it gathers, from the operands: the
// size; whether the subtree draws (`pure` is false with a CHANCE atom
// inside); which loops' variables it reads (`Ey Dxyp` reads loop 0 but not
// loop 1, which it binds itself); whether it may read its own player's
// moves of the round being played (the rules' `may_read_own_move`: then the
// player must decide one opponent at a time); and whether it is settled, its
// value at given values of its variables fixed once the times it reads are
// played. Each fact is a fold over the operands, so the walk is correct when
// each node's rule is: an atom's facts come from its resolved fields, an
// inner node's from its operands', less what its own loop binds.
#include "game/machine/analysis.h"

#include <algorithm>

#include "game/rules.h"

bool Loop_Set::has(int32_t l) const { return many || std::find(loop.begin(), loop.begin() + count, l) != loop.begin() + count; }

void Loop_Set::add(int32_t l) {
  if (many || has(l)) return;
  if (count == CAPACITY) {
    many = true;
    return;
  }
  loop[count++] = l;
}

void Loop_Set::add(const Loop_Set& other) {
  if (other.many) many = true;
  for (int32_t i = 0; i < other.count; ++i) add(other.loop[i]);
}

void Loop_Set::remove(int32_t l) {
  auto end = loop.begin() + count;
  auto it = std::find(loop.begin(), end, l);
  if (it != end) {
    std::copy(it + 1, end, it);
    --count;
  }
}

namespace {

bool is_known(const Formula* node) { return node && is_known_kind(node->type); }
bool is_byte(int32_t letter) { return letter >= 0 && letter < 256; }

bool reads_byte_letters(const Formula* atom, const Node_Info& info) {
  return (info.player1.kind != TERM_BOUND || is_byte(atom->player1)) &&
         (info.player2.kind != TERM_BOUND || is_byte(atom->player2)) && (info.time.kind != TERM_BOUND || is_byte(atom->time));
}

void enter(const Formula* node, Node_Info& info, Analysis& a, Letter_Bindings& bindings) {
  if (is_quantifier(node->type)) {
    if (enter_quantifier(bindings, node, a.loops))
      info.loop = a.loops++;
    else
      info.transparent = true;
  } else if (node->type == DEFECTED) {
    info.player1 = agent_term(bindings, node->player1);
    info.player2 = agent_term(bindings, node->player2);
    info.time = time_term(bindings, node->time);
  }
}

void leave_atom(const Formula* node, Node_Info& info, Analysis& a) {
  for (const Term& term : {info.player1, info.player2, info.time})
    if (term.kind == TERM_BOUND) info.loops.add(term.value);
  info.byte_letters = reads_byte_letters(node, info);
  info.settled = info.time.kind == TERM_BOUND ? node->time_mod <= 1
                                              : info.time.kind == TERM_CONSTANT && int64_t{info.time.value} + node->time_mod < 0;
  if (may_read_own_move(info.player1, info.player2, info.time, node->time_mod)) {
    (info.time.kind == TERM_CONSTANT ? info.own_move_once : info.own_move) = true;
    a.conflict_atoms.push_back({info.time, node->time_mod});
  }
}

void take_operand(Node_Info& info, const Node_Info& operand) {
  info.size += operand.size;
  info.pure = info.pure && operand.pure;
  info.settled = info.settled && operand.settled;
  info.own_move = info.own_move || operand.own_move;
  info.own_move_once = info.own_move_once || operand.own_move_once;
  info.byte_letters = info.byte_letters && operand.byte_letters;
  info.quantified = info.quantified || operand.quantified;
  info.loops.add(operand.loops);
}

void leave(const Formula* node, int32_t id, Analysis& a, Letter_Bindings& bindings) {
  Node_Info& info = a.info[id];
  if (node->type == DEFECTED) return leave_atom(node, info, a);
  if (node->type == CHANCE) {
    info.pure = false;
    return;
  }
  take_operand(info, a.info[id + 1]);
  if (is_binary(node->type)) take_operand(info, a.info[id + 1 + a.info[id + 1].size]);
  if (is_quantifier(node->type)) info.byte_letters = info.byte_letters && is_byte(node->variable);
  if (info.loop >= 0) {
    info.quantified = true;
    if (is_time_quantifier(node->type)) info.settled = false;
    info.loops.remove(info.loop);
    leave_quantifier(bindings, node);
  }
}

}  // namespace

Analysis analyse_Formula(const Formula* root) {
  Analysis a;
  Letter_Bindings bindings;
  struct Frame {
    const Formula* node;
    int32_t id;
    bool entered;
  };
  std::vector<Frame> stack{{root, 0, false}};
  while (!stack.empty()) {
    Frame frame = stack.back();
    if (frame.entered) {
      stack.pop_back();
      if (is_known(frame.node)) leave(frame.node, frame.id, a, bindings);
      continue;
    }
    stack.back().entered = true;
    int32_t id = stack.back().id = static_cast<int32_t>(a.info.size());
    a.info.emplace_back();
    const Formula* node = frame.node;
    if (!is_known(node)) {
      a.info[id].known = false;
      a.info[id].pure = false;
      continue;
    }
    a.info[id].kind = node->type;
    enter(node, a.info[id], a, bindings);
    if (node->type <= EXISTS_TIME) {
      if (is_binary(node->type)) stack.push_back({node->right, 0, false});
      stack.push_back({node->left, 0, false});
    }
  }
  return a;
}
