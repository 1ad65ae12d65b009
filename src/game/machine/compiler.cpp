// The compiler: a formula into a flat program for the machine (program.h).
// It walks the tree without recursion, emitting each node's instructions
// when it is first visited and, for nodes with operands, again when each
// operand is done. For `Dcrp & Ed(Ddcp | Drdp)` it emits:
//
//   0  LOOKUP_AND_TEST  D c r p      (false for every opponent: jump to 8)
//   1  REGION 0                      (decided by its tables: jump to 7)
//   2  LOOP_BEGIN 0                  (d over the other players; none: jump to 6)
//   3  LOOKUP  D d c p
//   4  OR_LOOKUP  D r d p
//   5  LOOP_END 0                    (the next candidate: back to 3)
//   6  REGION_END 0
//   7  AND
//
// Every value is a set of opponents, so one run decides against all of them.
// An atom's lookup with `c` in a place answers for every opponent at once; a
// test jumps only when the left operand decides every opponent still
// concerned; a loop goes on while any opponent is undecided. Evaluating one
// opponent at a time would look at a subset of these values, at the same
// places, in the same order: so the answers are the same, and so are the
// draws, which is why a formula that draws more than once per decision is
// run one opponent at a time (and then its CHANCE atoms draw exactly where
// evaluating by substituted copies draws). What is compiled away changes no
// value: a negation is carried down to the atoms, each node below it
// compiled as its dual (to a region, and to a CHANCE atom, it is one
// instruction after them), a quantifier that binds nothing is its body, a
// loop whose draw-free body does not read its variable is its body
// (ranges are never empty there: with two players or fewer an agent
// quantifier is the constant of its empty range). A region (here the
// quantified subformula, which draws nothing) may instead be answered by its
// query's tables (query_plan.h); a memo wraps a subformula that would be
// worked out again at the same values, inside a loop whose variable it does
// not read.
#include "game/machine/compiler.h"

#include <algorithm>
#include <cassert>

#include "game/machine/analysis.h"
#include "game/machine/query_tables.h"
#include "game/rules.h"

namespace {

struct Emitter {
  Program& program;
  const Analysis& analysis;
  Query_Plan& plan;
  bool queries;             // whether draw-free quantified subformulae are regions with tables
  Letter_Bindings letters;  // the loop of each letter bound on the path
  std::vector<int32_t> open_loops;  // the loops around the node being compiled, outermost first
  size_t memo_base = 0;             // where in them the innermost memo being compiled begins
  std::vector<int32_t> open_regions;  // the regions around the node being compiled
  std::vector<std::array<int32_t, 3>> bound;  // the letters bound on the path: family, letter, loop
  std::vector<int64_t> work_bounds;            // by pre-order position, once asked for
  int32_t memos = 0;  // memos being compiled inside one another
  int32_t height = 0;
  int32_t nesting = 0;

  int32_t emit(const struct Instruction& instruction, int32_t effect, int32_t nests = 0) {
    program.code.push_back(instruction);
    height += effect;
    nesting += nests;
    program.max_stack = std::max(program.max_stack, height);
    program.max_nesting = std::max(program.max_nesting, nesting);
    return static_cast<int32_t>(program.code.size()) - 1;
  }
  int32_t here() const { return static_cast<int32_t>(program.code.size()); }
  void emit_nesting(int32_t nests) {
    nesting += nests;
    program.max_nesting = std::max(program.max_nesting, nesting);
  }
};

// A node being compiled: `phase` counts the visits, `marker` is the
// instruction to patch once its end is known; a node that opens a memo or
// a region keeps where it did, to close them when it is done. A negation
// is carried down to the atoms: a negated node is compiled as its dual (a
// negated AND as the OR of the negated operands, a negated universal as
// the existential of the negated body), which evaluates the same operands,
// in the same order and in the same cases, with no instruction for the
// negation itself. A region's tables answer for its subformula as it
// stands, so a negation stops at a region and is one instruction after it.
struct Frame {
  const Formula* node;
  int32_t id;
  int phase = 0;
  int32_t marker = -1;
  bool negated = false;  // its instructions work out the negation of its value
  bool negate = false;   // a run of negations: its parity
  int32_t memo_marker = -1;
  size_t memo_base = 0;  // the emitter's, before this node's memo
  int32_t region_marker = -1;
  bool negate_after = false;  // a negated node that opened a region
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

// Whether a binding quantifier reduces to its body: the body draws nothing
// and never mentions the letter, so every candidate gives the same value.
bool body_ignores_letter(const Node_Info& quantifier, const Node_Info& body) {
  return body.pure && !body.loops.has(quantifier.loop);
}

bool is_loop(const Emitter& e, int32_t id) {
  const Node_Info& self = e.analysis.info[id];
  return self.loop >= 0 && !body_ignores_letter(self, e.analysis.info[id + 1]);
}

// The most work the loops of each subformula can do in one run: each node
// counts the product of the ranges of the loops around it within the
// subformula. Worked out once, from the last node in pre-order to the
// first, so that operands come before the nodes above them. Saturates far
// above any budget.
const std::vector<int64_t>& loop_work_bounds(Emitter& e) {
  constexpr int64_t SATURATED = int64_t{1} << 50;
  const std::vector<Node_Info>& info = e.analysis.info;
  if (!e.work_bounds.empty()) return e.work_bounds;
  e.work_bounds.assign(info.size(), 1);
  for (size_t id = info.size(); id-- > 0;) {
    const Node_Info& node = info[id];
    if (node.size == 1 || !node.known) continue;
    int64_t operands = e.work_bounds[id + 1];
    if (is_binary(node.kind)) operands += e.work_bounds[id + 1 + info[id + 1].size];
    const int64_t range = is_time_quantifier(node.kind) ? e.plan.times : std::max(e.plan.pop - 2, 1);
    const int64_t factor = is_loop(e, static_cast<int32_t>(id)) ? range : 1;
    e.work_bounds[id] = std::min(SATURATED, 1 + std::min(SATURATED, operands) * factor);
  }
  return e.work_bounds;
}

// Below this much work of its loops in one run, tables never pay.
constexpr int64_t REGION_WORK = 512;

// A subformula that draws nothing, reads nothing of its own player's moves
// of the round being played (but at a constant time), holds a quantifier and
// whose loops can cost much: a region. Regions nest: where the tables of
// one turn out too large, those inside it may do.
void open_region(Emitter& e, Frame& f, const Node_Info& self) {
  if (!self.pure || self.own_move || !self.byte_letters || !self.quantified) return;
  if (!e.open_regions.empty() && !is_quantifier(f.node->type)) return;  // inside, only quantifiers
  const int64_t bound = loop_work_bounds(e)[f.id];
  if (bound <= REGION_WORK) return;
  Region region;
  region.subformula = f.node;
  region.parent = e.open_regions.empty() ? -1 : e.open_regions.back();
  region.loop_bound = bound;
  region.outer = e.bound;
  region.own_move_once = self.own_move_once;
  e.open_regions.push_back(static_cast<int32_t>(e.program.regions.size()));
  f.region_marker = e.emit(op(OP_REGION, e.open_regions.back()), 0);
  e.program.regions.push_back(std::move(region));
}

// A memo pays where a subformula would be worked out again and again at the
// same values: inside a loop, opened since the innermost memo, whose
// variable it does not read. Subformulae too small to be worth a look-up,
// and those that may read their own player's moves of the round being
// played, which change as the player decides, are never memos.
// A memo is keyed by the values of at most this many loops, and worth its
// look-up only for a subformula with a loop or of this many nodes: a
// connective of two atoms already costs more than a look-up of a memo
// slot still in the cache.
constexpr int32_t MEMO_LOOPS = 2;
constexpr int32_t MEMO_SIZE = 3;

bool worth_a_memo(const Emitter& e, const Formula* node, const Node_Info& self) {
  if (!self.pure || self.own_move || self.own_move_once || node->type == DEFECTED) return false;
  if (self.loops.many || self.loops.count > MEMO_LOOPS || !(self.quantified || self.size >= MEMO_SIZE)) return false;
  for (size_t i = e.memo_base; i < e.open_loops.size(); ++i)
    if (!self.loops.has(e.open_loops[i])) return true;
  return false;
}

void open_memo(Emitter& e, Frame& f, const Node_Info& self) {
  if (!worth_a_memo(e, f.node, self)) return;
  Memo memo;
  for (int32_t i = 0; i < self.loops.count; ++i) memo.key_loops[i] = self.loops.loop[i];
  f.memo_marker = e.emit(op(OP_MEMO, static_cast<int32_t>(e.program.memos.size())), 0);
  e.program.memos.push_back(memo);
  f.memo_base = e.memo_base;
  e.memo_base = e.open_loops.size();
  e.program.max_memos = std::max(e.program.max_memos, ++e.memos);
}

// Closes what the node opened, innermost first.
void close_frame(Emitter& e, const Frame& f) {
  if (f.region_marker >= 0) {
    e.emit(op(OP_REGION_END, e.program.code[f.region_marker].index), 0);
    e.program.code[f.region_marker].target = e.here();
    e.open_regions.pop_back();
    if (f.negate_after) e.emit(op(OP_NOT), 0);
  }
  if (f.memo_marker >= 0) {
    e.emit(op(OP_MEMO_END, e.program.code[f.memo_marker].index), 0);
    e.program.code[f.memo_marker].target = e.here();
    e.memo_base = f.memo_base;
    --e.memos;
  }
}

// Each returns whether the node is done.
bool emit_chance(Emitter& e, const Frame& f) {
  Instruction chance = op(OP_CHANCE);
  chance.chance = f.node->chance;
  e.emit(chance, 1);
  if (f.negated) e.emit(op(OP_NOT), 0);
  e.program.draws_once = !e.program.draws && e.open_loops.empty();
  e.program.draws = true;
  return true;
}

bool emit_not(Emitter& e, std::vector<Frame>& stack, Frame& f) {
  if (f.phase == 1) return true;
  // A run of negations is one negation or none, carried into its operand.
  int32_t id = f.id;
  const Formula* operand = past_negations(f.node, id, f.negate);
  const bool negated = f.negate != f.negated;
  if (is_atom(operand)) {
    e.emit(lookup_of(operand, e.analysis.info[id], OP_LOOKUP, negated), 1);
    return true;
  }
  stack.push_back({operand, id, 0, -1, negated});
  return false;
}

bool emit_junction(Emitter& e, std::vector<Frame>& stack, Frame& f) {
  const Formula* node = f.node;
  const bool conjunction = (node->type == AND) != f.negated;
  if (f.phase == 0) {
    stack.push_back({node->left, f.id + 1, 0, -1, f.negated});
    return false;
  }
  if (f.phase == 1) {
    // An atom on the right draws nothing: look it up without a test.
    const int32_t right_id = f.id + 1 + e.analysis.info[f.id + 1].size;
    int32_t id = right_id;
    bool negate;
    const Formula* right = past_negations(node->right, id, negate);
    if (is_atom(right)) {
      e.emit(lookup_of(right, e.analysis.info[id], conjunction ? OP_AND_LOOKUP : OP_OR_LOOKUP, negate != f.negated), 0);
      return true;
    }
    if (e.program.code.back().op == OP_LOOKUP) {
      // The left operand is an atom: its lookup and the test, in one instruction.
      e.program.code.back().op = conjunction ? OP_LOOKUP_AND_TEST : OP_LOOKUP_OR_TEST;
      f.marker = e.here() - 1;
      e.emit_nesting(1);
    } else {
      f.marker = e.emit(op(conjunction ? OP_AND_TEST : OP_OR_TEST), 0, 1);
    }
    stack.push_back({node->right, right_id, 0, -1, f.negated});
    return false;
  }
  e.emit(op(conjunction ? OP_AND : OP_OR), -1, -1);
  e.program.code[f.marker].target = e.here();
  return true;
}

bool emit_quantifier(Emitter& e, std::vector<Frame>& stack, Frame& f) {
  const Formula* node = f.node;
  const Node_Info& self = e.analysis.info[f.id];
  const bool forall = is_universal(node->type) != f.negated;
  const bool over_time = is_time_quantifier(node->type);
  if (f.phase == 0) {
    if (!over_time && !has_agent_candidates(e.plan.pop)) {
      e.emit(op(OP_CONST, empty_range_value(forall) ? 1 : 0), 1);  // the body is never looked at
      return true;
    }
    if (self.loop >= 0) {
      enter_quantifier(e.letters, node, self.loop);
      e.bound.push_back({over_time ? 1 : 0, node->variable, self.loop});
    }
    if (is_loop(e, f.id)) {
      const Node_Info& body = e.analysis.info[f.id + 1];
      const bool incremental = over_time && e.open_loops.empty() && body.pure && body.settled;
      e.program.loops[self.loop] = {over_time, forall, 0, 0, incremental};
      f.marker = e.emit(op(OP_LOOP_BEGIN, self.loop), 0);
      e.program.loops[self.loop].body = e.here();
      e.open_loops.push_back(self.loop);
    }
    stack.push_back({node->left, f.id + 1, 0, -1, f.negated});
    return false;
  }
  if (is_loop(e, f.id)) {
    e.emit(op(OP_LOOP_END, self.loop), 0);
    e.program.loops[self.loop].end = e.here();
    e.open_loops.pop_back();
    e.program.code[f.marker].target = e.here();
  }
  if (self.loop >= 0) {
    leave_quantifier(e.letters, node);
    e.bound.pop_back();
  }
  return true;
}

// One visit of the node on top of the stack; whether it is done.
bool step(Emitter& e, std::vector<Frame>& stack) {
  Frame& f = stack.back();
  const Formula* node = f.node;
  const Node_Info& self = e.analysis.info[f.id];
  if (f.phase == 0 && !self.known) {
    e.emit(op(OP_INVALID, node ? node->type : 0), 1);
    return true;
  }
  if (f.phase == 0) {
    open_memo(e, f, self);
    if (e.queries) open_region(e, f, self);
    if (f.region_marker >= 0 && f.negated) {
      f.negated = false;
      f.negate_after = true;
    }
  }
  bool done;
  switch (node->type) {
    case DEFECTED: e.emit(lookup_of(node, self, OP_LOOKUP, f.negated), 1); return true;
    case CHANCE: return emit_chance(e, f);
    case NOT: done = emit_not(e, stack, f); break;
    case AND:
    case OR: done = emit_junction(e, stack, f); break;
    default: done = emit_quantifier(e, stack, f); break;
  }
  return done;
}

void emit_program(Emitter& e, const Formula* root) {
  std::vector<Frame> stack{{root, 0}};
  while (!stack.empty()) {
    // A step may push operands, moving the stack: its frame is found by depth.
    size_t depth = stack.size();
    bool done = step(e, stack);
    if (done) {
      close_frame(e, stack[depth - 1]);
      stack.erase(stack.begin() + static_cast<std::ptrdiff_t>(depth) - 1);
    } else {
      ++stack[depth - 1].phase;
    }
  }
}

[[maybe_unused]] bool loops_are_whole(const Program& program) {
  for (const Instruction& in : program.code)
    if (in.op == OP_LOOP_BEGIN && (program.loops[in.index].body != &in - program.code.data() + 1 ||
                                   program.loops[in.index].end != in.target))
      return false;
  return true;
}

}  // namespace

Program compile_Formula(const Formula* formula, Query_Plan& plan, bool queries) {
  return compile_Formula(formula, analyse_Formula(formula), plan, queries);
}

Program compile_Formula(const Formula* formula, const Analysis& analysis, Query_Plan& plan, bool queries) {
  Program program;
  program.loops.resize(static_cast<size_t>(analysis.loops));
  program.conflict_atoms = analysis.conflict_atoms;
  Emitter emitter{program, analysis, plan, queries, {}, {}, 0, {}, {}, {}};
  emit_program(emitter, formula);
  // One value is left, every test and loop is closed, and every loop that
  // runs knows its body and its end.
  assert(emitter.height == 1 && emitter.nesting == 0 && emitter.open_loops.empty() && emitter.memos == 0);
  assert(loops_are_whole(program));
  program.single_lookup = program.code.size() == 1 && program.code[0].op == OP_LOOKUP;
  return program;
}

bool reads_current_round(const Program& program, int32_t time) {
  for (const Conflict_Atom& atom : program.conflict_atoms)
    if (reads_round_being_played(atom.time, atom.time_mod, time)) return true;
  return false;
}

namespace {

// The loop each free variable of the query but the opponent takes, from
// the letters bound around the region.
void add_slots(Program& program, Region& region, const Query_Plan& plan, const Letter_Bindings& outer) {
  region.first_slot = static_cast<int32_t>(program.query_slots.size());
  const Query_Node& n = plan.nodes[region.query];
  for (int32_t i = 0; i < n.free_count; ++i) {
    Variable variable = free_variables(plan, n)[i];
    if (variable == OPPONENT) continue;
    bool over_time = is_time_variable(variable);
    program.query_slots.push_back(bound_by(outer, over_time, over_time ? variable : variable - agent_variable(0)));
  }
  region.slots = static_cast<int32_t>(program.query_slots.size()) - region.first_slot;
}

void plan_region(Program& program, Region& region, Query_Plan& plan) {
  if (region.parent >= 0) {
    const Region_Plan above = program.regions[region.parent].plan;
    if (above == Region_Plan::TABLES || above == Region_Plan::INSIDE) {
      region.plan = Region_Plan::INSIDE;
      return;
    }
  }
  Letter_Bindings outer;
  for (const auto& [over_time, letter, loop] : region.outer) {
    Formula quantifier{};
    quantifier.type = over_time ? FORALL_TIME : FORALL_AGENT;
    quantifier.variable = letter;
    enter_quantifier(outer, &quantifier, loop);
  }
  const int32_t root = add_query(plan, region.subformula, outer);
  const bool fits = plan.nodes[root].largest_table <= plan.max_table_sets;
  if (!fits || region.loop_bound <= table_cost_bound(plan, root) * WORK_PER_SET) {
    region.plan = Region_Plan::NO_TABLES;
    return;
  }
  region.plan = Region_Plan::TABLES;
  region.query = root;
  add_slots(program, region, plan, outer);
}

}  // namespace

void plan_regions(Program& program, Query_Plan& plan) {
  for (Region& region : program.regions) plan_region(program, region, plan);
  program.planned = true;
}

void replan_regions(Program& program, Query_Plan& plan) {
  program.query_slots.clear();
  for (Region& region : program.regions) {
    region.plan = Region_Plan::UNPLANNED;
    region.query = -1;
    region.slots = 0;
  }
  plan_regions(program, plan);
}
