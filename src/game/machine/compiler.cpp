#include <algorithm>
#include <array>
#include <utility>

#include "game/machine/compiler.h"

#include "game/history.h"

namespace {

// The free variables of a subformula, as the loops that bind them: a small
// sorted set, or "many" beyond its capacity.
struct Deps {
  static constexpr int CAPACITY = 4;
  int32_t count = 0;
  bool many = false;
  std::array<int32_t, CAPACITY> loop{};

  bool has(int32_t l) const { return many || std::find(loop.begin(), loop.begin() + count, l) != loop.begin() + count; }
  void add(int32_t l) {
    if (many || has(l)) return;
    if (count == CAPACITY) {
      many = true;
      return;
    }
    loop[count++] = l;
  }
  void add(const Deps& other) {
    if (other.many) many = true;
    for (int32_t i = 0; i < other.count; ++i) add(other.loop[i]);
  }
  void remove(int32_t l) {
    auto end = loop.begin() + count;
    auto it = std::find(loop.begin(), end, l);
    if (it != end) {
      std::copy(it + 1, end, it);
      --count;
    }
  }
};

struct Node_Info {
  int32_t size = 1;  // nodes in the subtree
  int32_t loop = -1;  // the loop of a quantifier that binds its letter
  bool transparent = false;  // a quantifier whose letter is bound above it
  bool pure = true;           // no CHANCE atom inside
  bool conflict_free = true;  // no atom inside reads a cell its player writes this round
  // Reads only times from a time variable plus at most one, or before round
  // 0, and holds no loop over times of its own: its value at a given value
  // of the variables never changes once those times are played.
  bool settled = true;
  Deps deps;
  Term player1{}, player2{}, time{};
};

// The loop binding each letter on the current path, per family; letters
// outside a byte are kept in a short list.
struct Bindings {
  std::array<std::array<int32_t, 256>, 2> by_letter;
  std::vector<std::array<int32_t, 3>> others;  // family, letter, loop

  Bindings() {
    for (auto& family : by_letter) family.fill(-1);
  }
  int32_t find(bool over_time, int32_t letter) const {
    if (letter >= 0 && letter < 256) return by_letter[over_time][letter];
    for (auto it = others.rbegin(); it != others.rend(); ++it)
      if ((*it)[0] == over_time && (*it)[1] == letter) return (*it)[2];
    return -1;
  }
  void bind(bool over_time, int32_t letter, int32_t l) {
    if (letter >= 0 && letter < 256)
      by_letter[over_time][letter] = l;
    else
      others.push_back({over_time, letter, l});
  }
  void unbind(bool over_time, int32_t letter) {
    if (letter >= 0 && letter < 256)
      by_letter[over_time][letter] = -1;
    else
      others.pop_back();
  }
};

bool is_quantifier(int32_t type) { return is_agent_quantifier(type) || is_time_quantifier(type); }
bool is_known(const Formula* node) { return node && node->type >= AND && node->type <= CHANCE; }

auto finder(const Bindings& bindings) {
  return [&bindings](bool over_time, int32_t letter) { return bindings.find(over_time, letter); };
}

// Whether an atom can read a cell that its own deciding player writes in
// the round being played: its first agent may be that player, its second
// another one, and its time may be the current round.
bool may_read_own_move(const Node_Info& atom, int32_t time_mod) {
  bool first_is_row = atom.player1.kind == TERM_ROW ||
                      (atom.player1.kind == TERM_CONSTANT && atom.player1.value >= 0 && atom.player1.value < HISTORY_PLAYERS);
  bool second_is_other = atom.player2.kind == TERM_BOUND || atom.player2.kind == TERM_CONSTANT;
  if (atom.player1.kind == TERM_CONSTANT && atom.player2.kind == TERM_CONSTANT && atom.player1.value == atom.player2.value)
    return false;
  if (!first_is_row || !second_is_other) return false;
  switch (atom.time.kind) {
    case TERM_PREV: return time_mod == 1;
    case TERM_BOUND: return time_mod >= 1;
    default: {
      int64_t time = int64_t{atom.time.value} + time_mod;
      return time >= 0 && time < HISTORY_TIMES;
    }
  }
}

struct Analysis {
  std::vector<Node_Info> info;  // by pre-order position
  int32_t loops = 0;
  std::vector<Conflict_Atom> conflict_atoms;
};

// Fills in what each node needs to know, walking the tree once without
// recursion. Pre-order positions: the left operand of node i is i + 1, the
// right one i + 1 + the size of the left.
void analyse(const Formula* root, Analysis& a) {
  Bindings bindings;
  struct Frame {
    const Formula* node;
    int32_t id;
    bool entered;
  };
  std::vector<Frame> stack{{root, 0, false}};
  while (!stack.empty()) {
    Frame frame = stack.back();
    if (!frame.entered) {
      stack.back().entered = true;
      int32_t id = stack.back().id = static_cast<int32_t>(a.info.size());
      a.info.emplace_back();
      const Formula* node = frame.node;
      if (!is_known(node)) continue;
      Node_Info& info = a.info[id];
      if (is_quantifier(node->type)) {
        bool over_time = is_time_quantifier(node->type);
        if (!binds_its_letter(node, finder(bindings))) {
          info.transparent = true;
        } else {
          info.loop = a.loops++;
          bindings.bind(over_time, node->variable, info.loop);
        }
      } else if (node->type == DEFECTED) {
        info.player1 = agent_term(node->player1, finder(bindings));
        info.player2 = agent_term(node->player2, finder(bindings));
        info.time = time_term(node->time, finder(bindings));
      }
      if (node->type <= EXISTS_TIME) {
        if (is_binary(node->type)) stack.push_back({node->right, 0, false});
        stack.push_back({node->left, 0, false});
      }
      continue;
    }
    stack.pop_back();
    const Formula* node = frame.node;
    Node_Info& info = a.info[frame.id];
    if (!is_known(node)) continue;
    switch (node->type) {
      case DEFECTED:
        for (const Term& term : {info.player1, info.player2, info.time})
          if (term.kind == TERM_BOUND) info.deps.add(term.value);
        if (may_read_own_move(info, node->time_mod)) {
          info.conflict_free = false;
          a.conflict_atoms.push_back({info.time, node->time_mod});
        }
        info.settled = info.time.kind == TERM_BOUND ? node->time_mod <= 1
                       : info.time.kind == TERM_CONSTANT && int64_t{info.time.value} + node->time_mod < 0;
        break;
      case CHANCE:
        info.pure = false;
        break;
      default: {
        const Node_Info& left = a.info[frame.id + 1];
        info.size += left.size;
        info.pure = left.pure;
        info.conflict_free = left.conflict_free;
        info.settled = left.settled && !(info.loop >= 0 && is_time_quantifier(node->type));
        info.deps = left.deps;
        if (is_binary(node->type)) {
          const Node_Info& right = a.info[frame.id + 1 + left.size];
          info.size += right.size;
          info.pure = info.pure && right.pure;
          info.conflict_free = info.conflict_free && right.conflict_free;
          info.settled = info.settled && right.settled;
          info.deps.add(right.deps);
        }
        if (info.loop >= 0) {
          info.deps.remove(info.loop);
          bindings.unbind(is_time_quantifier(node->type), node->variable);
        }
      }
    }
  }
}

struct Emitter {
  Program& program;
  const Analysis& analysis;
  int32_t pop;
  bool may_decide_one_by_one;
  std::vector<int32_t> open_loops;
  int32_t height = 0;
  int32_t nesting = 0;

  int32_t emit(Instruction instruction, int32_t effect, int32_t nests = 0) {
    program.code.push_back(instruction);
    height += effect;
    nesting += nests;
    program.max_stack = std::max(program.max_stack, height);
    program.max_nesting = std::max(program.max_nesting, nesting);
    return static_cast<int32_t>(program.code.size()) - 1;
  }
  int32_t here() const { return static_cast<int32_t>(program.code.size()); }
};

Instruction op(Op code, int32_t index = 0) {
  Instruction instruction{};
  instruction.op = code;
  instruction.index = index;
  return instruction;
}

// The operand at the end of a run of negations from `node`, at pre-order
// position `id` then, with the run's parity.
const Formula* past_negations(const Formula* node, int32_t& id, bool& negate) {
  negate = false;
  while (node && node->type == NOT) {
    negate = !negate;
    node = node->left;
    ++id;
  }
  return node;
}

bool is_atom(const Formula* node) { return node && node->type == DEFECTED; }

Instruction lookup_of(const Formula* atom, const Node_Info& info, Op code, bool negate) {
  Instruction lookup = op(code);
  lookup.player1 = info.player1;
  lookup.player2 = info.player2;
  lookup.time = info.time;
  lookup.time_mod = atom->time_mod;
  lookup.negate = negate;
  return lookup;
}

bool remember(const Emitter& e, const Node_Info& info, bool atom, bool parent_reusable) {
  if (!info.pure || atom || info.deps.many || info.deps.count > 1) return false;
  // Recomputed for every candidate of a loop its value does not depend on.
  for (int32_t l : e.open_loops)
    if (!info.deps.has(l)) return true;
  // Decided one opponent at a time, yet the same for all of them.
  return e.may_decide_one_by_one && info.conflict_free && !parent_reusable;
}

// Whether a binding quantifier reduces to its body: the body draws nothing
// and never mentions the letter, so every candidate gives the same value.
bool body_ignores_letter(const Node_Info& quantifier, const Node_Info& body) {
  return body.pure && !body.deps.has(quantifier.loop);
}

void emit_program(Emitter& e, const Formula* root) {
  const auto& info = e.analysis.info;
  Program& p = e.program;
  struct Frame {
    const Formula* node;
    int32_t id;
    int phase;
    bool parent_reusable;
    int32_t memo;         // the memo wrapping this node, or -1
    int32_t memo_marker;  // its OP_MEMO_BEGIN
    int32_t marker;       // the test or loop instruction to patch
    bool negate;
  };
  std::vector<Frame> stack{{root, 0, 0, false, -1, -1, -1, false}};
  auto push_child = [&](const Formula* child, int32_t id, const Node_Info& parent) {
    stack.push_back({child, id, 0, parent.pure && parent.conflict_free, -1, -1, -1, false});
  };
  while (!stack.empty()) {
    Frame& f = stack.back();
    const Formula* node = f.node;
    const Node_Info& self = info[f.id];
    if (f.phase == 0) {
      if (!is_known(node)) {
        e.emit(op(OP_INVALID, node ? node->type : 0), 1);
        stack.pop_back();
        continue;
      }
      bool atom = node->type == DEFECTED || node->type == CHANCE;
      if (remember(e, self, atom, f.parent_reusable)) {
        f.memo = static_cast<int32_t>(p.memos.size());
        p.memos.push_back({self.deps.count ? self.deps.loop[0] : -1, self.conflict_free, 0});
        f.memo_marker = e.emit(op(OP_MEMO_BEGIN, f.memo), 0, 1);
      }
    }
    int phase = f.phase++;
    bool done = false;
    switch (node->type) {
      case DEFECTED:
        e.emit(lookup_of(node, self, OP_LOOKUP, false), 1);
        done = true;
        break;
      case CHANCE: {
        Instruction chance = op(OP_CHANCE);
        chance.chance = node->chance;
        e.emit(chance, 1);
        p.draws_once = !p.draws && e.open_loops.empty();
        p.draws = true;
        done = true;
        break;
      }
      case NOT:
        if (phase == 0) {
          // A run of negations is one negation or none; on an atom, part of its lookup.
          int32_t id = f.id;
          const Formula* operand = past_negations(node, id, f.negate);
          if (is_atom(operand)) {
            e.emit(lookup_of(operand, info[id], OP_LOOKUP, f.negate), 1);
            done = true;
            break;
          }
          push_child(operand, id, self);
        } else {
          if (f.negate) e.emit(op(OP_NOT), 0);
          done = true;
        }
        break;
      case AND:
      case OR:
        if (phase == 0) {
          push_child(node->left, f.id + 1, self);
        } else if (phase == 1) {
          // An atom on the right draws nothing: look it up without a test.
          int32_t id = f.id + 1 + info[f.id + 1].size;
          bool negate;
          const Formula* right = past_negations(node->right, id, negate);
          if (is_atom(right)) {
            e.emit(lookup_of(right, info[id], node->type == AND ? OP_AND_LOOKUP : OP_OR_LOOKUP, negate), 0);
            done = true;
            break;
          }
          f.marker = e.emit(op(node->type == AND ? OP_AND_TEST : OP_OR_TEST), 0, 1);
          push_child(node->right, f.id + 1 + info[f.id + 1].size, self);
        } else {
          e.emit(op(node->type == AND ? OP_AND : OP_OR), -1, -1);
          p.code[f.marker].target = e.here();
          done = true;
        }
        break;
      default: {  // quantifiers
        bool forall = node->type == FORALL_AGENT || node->type == FORALL_TIME;
        bool over_time = is_time_quantifier(node->type);
        const Node_Info& body = info[f.id + 1];
        if (phase == 0) {
          if (!over_time && e.pop <= 2) {
            e.emit(op(OP_CONST, forall ? 1 : 0), 1);  // no candidate: the body is never looked at
            done = true;
          } else if (self.transparent || body_ignores_letter(self, body)) {
            f.marker = -1;
            push_child(node->left, f.id + 1, self);
          } else {
            bool incremental = over_time && e.open_loops.empty() && body.pure && body.settled;
            p.loops[self.loop] = {over_time, forall, incremental, 0, 0};
            f.marker = e.emit(op(OP_LOOP_BEGIN, self.loop), 0);
            p.loops[self.loop].body = e.here();
            e.open_loops.push_back(self.loop);
            push_child(node->left, f.id + 1, self);
          }
        } else {
          if (!self.transparent && !body_ignores_letter(self, body)) {
            e.emit(op(OP_LOOP_END, self.loop), 0);
            p.loops[self.loop].end = e.here();
            p.code[f.marker].target = e.here();
            e.open_loops.pop_back();
          }
          done = true;
        }
      }
    }
    if (done) {
      Frame finished = stack.back();
      stack.pop_back();
      if (finished.memo >= 0) {
        e.emit(op(OP_MEMO_END, finished.memo), 0, -1);
        p.memos[finished.memo].end = e.here();
        p.code[finished.memo_marker].target = e.here();
      }
    }
  }
}

}  // namespace

Program compile_Formula(const Formula* formula, int32_t pop) {
  Analysis analysis;
  analyse(formula, analysis);
  Program program;
  program.loops.resize(static_cast<size_t>(analysis.loops));
  program.conflict_atoms = analysis.conflict_atoms;
  bool may_decide_one_by_one = !analysis.info[0].pure || !analysis.conflict_atoms.empty();
  Emitter emitter{program, analysis, pop, may_decide_one_by_one, {}, 0};
  emit_program(emitter, formula);
  program.single_lookup = program.code.size() == 1 && program.code[0].op == OP_LOOKUP;
  return program;
}

bool reads_current_round(const Program& program, int32_t time) {
  for (const Conflict_Atom& atom : program.conflict_atoms) {
    switch (atom.time.kind) {
      case TERM_PREV:
        if (atom.time_mod == 1) return true;
        break;
      case TERM_BOUND:
        // Time variables range over 0 to time - 2, or are -1 in rounds 0 and 1.
        if (time >= 2 ? atom.time_mod >= 2 && atom.time_mod <= time : atom.time_mod == time + 1) return true;
        break;
      default:
        if (int64_t{atom.time.value} + atom.time_mod == time) return true;
    }
  }
  return false;
}
