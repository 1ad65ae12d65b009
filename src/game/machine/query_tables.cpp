// Working out the tables of queries. A node's table holds its value at every
// assignment of its free variables, as one set of players per assignment of
// all but the last variable, whose values are the bits. Take the query of
// `Ed(Ddcp | Drdp)` for deciding player r in round t: the existential
// distributes over the `|`, giving `Ed Ddcp | Ed Drdp`.
//
// - `Ddcp` has free variables d and the opponent: its table is one set per
//   candidate d, the opponents d defected against at t - 1, read whole from
//   the record's row of d. `Ed` of it folds those sets with `|` over every d
//   but r, leaving out, for each opponent c, the set of d = c itself (an
//   opponent is never its own candidate): one set, bits the opponents.
// - `Drdp` has d alone free: one set whose bits are the d that r defected
//   against. `Ed` of it has no variable left but the opponent, whose range
//   excludes it: for each opponent c, true when a witness other than c
//   exists: when there are two witnesses or more, for everyone; with one,
//   for all but that one (over_other_candidates).
//
// The `|` of the two is one set: the decisions against all opponents. Every
// operation is the rule of its node applied to whole sets, so a table is
// right when its operands' are, from the atoms (which are lookups) up. The
// cost is the number of sets, the product of the ranges of the free
// variables but the last, whatever the nesting; tables that several players
// share and that do not depend on the deciding player are kept for the round.
#include "game/machine/query_tables.h"

#include <algorithm>
#include <cassert>

#include "game/rules.h"

namespace {

using Layout = Table_Layout;

int32_t last_place(const Layout& layout) { return layout.count - 1; }
int32_t outer_count(const Layout& layout) { return layout.count > 0 ? layout.count - 1 : 0; }
Variable last_variable(const Layout& layout) { return layout.count > 0 ? layout.variables[layout.count - 1] : -1; }

int32_t place_of(const Layout& layout, Variable variable) {
  for (int32_t i = 0; i < layout.count; ++i)
    if (layout.variables[i] == variable) return i;
  return -1;
}

int64_t time_extent(int32_t prev_time) { return prev_time <= 0 ? 1 : prev_time; }
int64_t time_of_index(int64_t index, int32_t prev_time) { return prev_time <= 0 ? first_time_candidate(prev_time) : index; }
int64_t index_of_time(int64_t time, int32_t prev_time) { return prev_time <= 0 ? 0 : time; }

// The values a query was asked at, as indices, for the variables the
// machine's loops bind.
struct Fixing {
  int32_t count = 0;
  Variable variable[MAX_TABLE_VARIABLES];
  int64_t index[MAX_TABLE_VARIABLES];

  int32_t find(Variable v) const {
    for (int32_t i = 0; i < count; ++i)
      if (variable[i] == v) return i;
    return -1;
  }
};

Layout layout_of(const Query_Plan& plan, int32_t node, int32_t pop, int32_t prev_time, const Fixing* fixing) {
  const Query_Node& n = plan.nodes[node];
  Layout layout;
  layout.count = n.free_count;
  layout.variables = free_variables(plan, n);
  for (int32_t i = 0; i < layout.count; ++i) {
    Variable variable = layout.variables[i];
    layout.extent[i] = is_time_variable(variable) ? time_extent(prev_time) : pop;
    if (i == last_place(layout)) break;
    int32_t fixed = fixing ? fixing->find(variable) : -1;
    if (fixed >= 0) {
      layout.base[i] = fixing->index[fixed];
      layout.extent[i] = 1;
    }
    layout.sets *= layout.extent[i];
  }
  return layout;
}

// How a part's table is read at the assignments of a whole's outer
// variables: the part's set is at `offset` plus the whole's indices times
// `stride`; its bits are the whole's, or, when the part's last variable is
// an outer one of the whole (`bit`), the bit at that variable's value
// stands for all. A variable of the part that the whole lacks (the one a
// quantifier binds) is left out: its caller steps through it.
struct Projection {
  int64_t stride[MAX_TABLE_VARIABLES] = {};
  int64_t offset = 0;
  int32_t bit = -1;
  int64_t bit_base = 0;
};

Projection project(const Layout& whole, const Layout& part) {
  Projection projection;
  int64_t stride = 1;
  for (int32_t k = outer_count(part) - 1; k >= 0; --k) {
    int32_t place = place_of(whole, part.variables[k]);
    if (place >= 0 && place < outer_count(whole)) {
      projection.stride[place] = stride;
      projection.offset += (whole.base[place] - part.base[k]) * stride;
    }
    stride *= part.extent[k];
  }
  return projection;
}

// An operand of a junction: its last variable is the whole's, or an outer
// one of the whole whose bit stands for all.
Projection project_operand(const Layout& whole, const Layout& part) {
  Projection projection = project(whole, part);
  if (part.count > 0 && last_variable(part) != last_variable(whole)) {
    projection.bit = place_of(whole, last_variable(part));
    projection.bit_base = whole.base[projection.bit];
  }
  return projection;
}

// The assignments of a layout's outer variables, in table order, with the
// index of one part's set kept up to date along the way.
struct Odometer {
  int32_t dims;
  const int64_t* extent;
  Projection part{};
  int64_t value[MAX_TABLE_VARIABLES] = {};
  int64_t index = part.offset;

  void advance() {
    for (int32_t d = dims - 1; d >= 0; --d) {
      index += part.stride[d];
      if (++value[d] < extent[d]) return;
      index -= part.stride[d] * extent[d];
      value[d] = 0;
    }
  }
  Mask read(const Mask* sets) const {
    Mask set = sets[index];
    if (part.bit < 0) return set;
    return all_or_none(has_player(set, static_cast<int32_t>(part.bit_base + value[part.bit])));
  }
};

Odometer walk(const Layout& whole, const Layout& part) {
  return Odometer{outer_count(whole), whole.extent, project(whole, part)};
}

// The exclusion of the deciding player and the opponent from an agent
// quantifier's range: from the set of candidates that satisfy the body
// (`truths`), for every opponent c at once, whether one other than c (and
// than the deciding player) does; for the universal quantifier, whether
// none other than c fails it.
// `candidates` are the players other than the deciding one.
template <bool Forall>
Mask over_other_candidates(Mask truths, Mask candidates) {
  Mask witnesses = (Forall ? ~truths : truths) & candidates;
  int32_t count = count_players(witnesses);
  Mask exists = count >= 2 ? ALL_PLAYERS : count == 1 ? ~witnesses : NO_PLAYERS;
  return Forall ? ~exists : exists;
}

Mask candidates_of(int32_t pop, agent row) { return first_players(pop) & ~player_bit(row); }

struct Evaluation {
  Query_Tables& tables;
  const Query_Plan& plan;
  const Query_Context& context;
  const Fixing& fixing;
};

int64_t term_value(const Evaluation& e, Term term, const Layout& out, int32_t place, const Odometer& at) {
  switch (term.kind) {
    case TERM_ROW: return e.context.row;
    case TERM_PREV: return e.context.prev_time;
    case TERM_BOUND: {
      int64_t index = out.base[place] + at.value[place];
      return is_time_variable(term.value) ? time_of_index(index, e.context.prev_time) : index;
    }
    default: return term.value;
  }
}

// An atom's table: one lookup a set, with the last variable as the
// lookup's EVERY_PLAYER, or, for a time, bit by bit.
void fill_atom(const Evaluation& e, const Query_Node& node, const Layout& out, Mask* sets) {
  const Query_Atom& atom = node.atom;
  auto place = [&](Term term) { return term.kind == TERM_BOUND ? place_of(out, term.value) : -1; };
  const int32_t last = out.count > 0 ? last_place(out) : -2;  // no place is -2
  const int32_t place1 = place(atom.player1), place2 = place(atom.player2), time_place = place(atom.time);
  Odometer at{outer_count(out), out.extent};
  for (int64_t i = 0; i < out.sets; ++i, at.advance()) {
    int64_t player1 = place1 == last ? EVERY_PLAYER : term_value(e, atom.player1, out, place1, at);
    int64_t player2 = place2 == last ? EVERY_PLAYER : term_value(e, atom.player2, out, place2, at);
    Mask set;
    if (time_place == last) {
      set = NO_PLAYERS;
      for (int64_t t = 0; t < out.extent[last]; ++t) {
        int64_t time = time_of_index(t, e.context.prev_time) + atom.time_mod;
        if (!is_empty(lookup_defections(*e.context.history, player1, player2, time)))
          set = set | player_bit(static_cast<int32_t>(t));
      }
    } else {
      int64_t time = term_value(e, atom.time, out, time_place, at) + atom.time_mod;
      set = lookup_defections(*e.context.history, player1, player2, time);
    }
    sets[i] = atom.negate ? ~set : set;
  }
}

// How an operand goes into a junction's table: the first one is copied.
enum Fold : uint8_t { FOLD_COPY, FOLD_AND, FOLD_OR };

template <Fold How>
void fold_set(Mask& set, Mask value) {
  set = How == FOLD_COPY ? value : How == FOLD_AND ? set & value : set | value;
}

// The sets of a whole, one run of its innermost outer variable at a
// time, the others by the odometer: visit(first, from, width, step, at)
// for the run of `width` sets from set `first`, whose part's sets are at
// `from` + k * `step`. Without outer variables, one run of one set.
template <typename Visit>
void over_runs(const Layout& out, const Projection& projection, Visit visit) {
  const int32_t dims = outer_count(out);
  if (dims == 0) return visit(int64_t{0}, projection.offset, int64_t{1}, int64_t{0}, Odometer{0, out.extent, projection});
  const int32_t inner = dims - 1;
  const int64_t width = out.extent[inner];
  const int64_t step = projection.stride[inner];
  Odometer at{inner, out.extent, projection};
  for (int64_t i = 0; i < out.sets; i += width, at.advance()) visit(i, at.index, width, step, at);
}

// Folds a part into the `&` or `|` of a junction.
template <Fold How>
void fold_operand(const Layout& out, Mask* sets, const Layout& part, const Mask* part_sets) {
  const Projection projection = project_operand(out, part);
  const int32_t inner = outer_count(out) - 1;
  over_runs(out, projection, [&](int64_t first, int64_t index, int64_t width, int64_t step, const Odometer& at) {
    Mask* row = sets + first;
    const Mask* from = part_sets + index;
    if (projection.bit < 0) {
      for (int64_t k = 0; k < width; ++k) fold_set<How>(row[k], from[k * step]);
    } else if (projection.bit == inner) {
      for (int64_t k = 0; k < width; ++k)
        fold_set<How>(row[k], all_or_none(has_player(from[k * step], static_cast<int32_t>(projection.bit_base + k))));
    } else {
      const auto bit = static_cast<int32_t>(projection.bit_base + at.value[projection.bit]);
      for (int64_t k = 0; k < width; ++k) fold_set<How>(row[k], all_or_none(has_player(from[k * step], bit)));
    }
  });
}

int64_t stride_of(const Layout& layout, int32_t place) {
  int64_t stride = 1;
  for (int32_t k = outer_count(layout) - 1; k > place; --k) stride *= layout.extent[k];
  return stride;
}

// Each set of the whole made by `make` from the body's set at the same
// values of the whole's outer variables.
template <typename Make>
void over_sets(const Layout& out, Mask* sets, const Layout& body, const Mask* body_sets, Make make) {
  over_runs(out, project(out, body), [&](int64_t first, int64_t index, int64_t width, int64_t step, const Odometer&) {
    for (int64_t k = 0; k < width; ++k) sets[first + k] = make(body_sets[index + k * step]);
  });
}

// The quantified variable is the body's last: its bits.
void quantify_bits(const Evaluation& e, bool forall, bool over_time, const Layout& out, Mask* sets,
                   const Layout& body, const Mask* body_sets) {
  if (!over_time) {  // the opponent takes the quantified agent's place as the last variable
    const Mask candidates = candidates_of(e.context.pop, e.context.row);
    if (forall)
      over_sets(out, sets, body, body_sets, [&](Mask set) { return over_other_candidates<true>(set, candidates); });
    else
      over_sets(out, sets, body, body_sets, [&](Mask set) { return over_other_candidates<false>(set, candidates); });
    return;
  }
  Odometer at = walk(out, body);
  const Mask range = first_players(static_cast<int32_t>(body.extent[last_place(body)]));
  auto holds = [&](Mask set) { return forall ? (set & range) == range : !is_empty(set & range); };
  if (out.count == 0) {
    sets[0] = all_or_none(holds(body_sets[0]));
    return;
  }
  // The whole's last variable is an outer one of the body: its bits are
  // made one by one, at the indices the body has it at.
  const int32_t z = place_of(body, last_variable(out));
  const int64_t stride = stride_of(body, z);
  for (int64_t i = 0; i < out.sets; ++i, at.advance()) {
    Mask set = NO_PLAYERS;
    for (int64_t v = 0; v < body.extent[z]; ++v)
      if (holds(body_sets[at.index + v * stride])) set = set | player_bit(static_cast<int32_t>(body.base[z] + v));
    sets[i] = set;
  }
}

// The quantified variable is an outer one of the body, whose bits are the
// whole's: fold the body's sets over the candidates.
void quantify_sets(const Evaluation& e, bool forall, bool over_time, int32_t place, const Layout& out, Mask* sets,
                   const Layout& body, const Mask* body_sets) {
  const int64_t stride = stride_of(body, place);
  Odometer at = walk(out, body);
  for (int64_t i = 0; i < out.sets; ++i, at.advance()) {
    const Mask* first = body_sets + at.index;
    Mask folded = all_or_none(forall);
    for (int64_t x = 0; x < body.extent[place]; ++x) {
      Mask value = first[x * stride];
      if (!over_time) {
        if (x == e.context.row) continue;
        // An opponent is never its own candidate.
        Mask self = player_bit(static_cast<int32_t>(x));
        value = forall ? value | self : value & ~self;
      }
      folded = forall ? folded & value : folded | value;
    }
    sets[i] = folded;
  }
}

// An agent quantified over an outer variable of a body that does not
// depend on the opponent: the body's last variable becomes an outer one of
// the whole, so its sets are turned around (candidates as bits) first.
void quantify_turned(const Evaluation& e, bool forall, int32_t place, const Layout& out, Mask* sets,
                     const Layout& body, const Mask* body_sets) {
  const int64_t stride = stride_of(body, place);
  const int32_t m = last_place(out) - 1;  // the body's last variable, now outer
  const int64_t width = out.extent[m];
  Layout rest = out;  // the whole's outer variables but that one
  rest.count = out.count - 1;
  rest.sets = out.sets / width;
  Odometer at = walk(rest, body);
  const Mask candidates = candidates_of(e.context.pop, e.context.row);
  Mask turned[128];
  for (int64_t i = 0; i < rest.sets; ++i, at.advance()) {
    const Mask* first = body_sets + at.index;
    for (int64_t x = 0; x < 128; ++x) turned[x] = x < body.extent[place] ? first[x * stride] : NO_PLAYERS;
    transpose_players(turned);
    for (int64_t v = 0; v < width; ++v) {
      const Mask truths = turned[out.base[m] + v];
      sets[i * width + v] = forall ? over_other_candidates<true>(truths, candidates)
                                   : over_other_candidates<false>(truths, candidates);
    }
  }
}

Set_Stack& stack_of(Query_Tables& tables, bool kept) { return kept ? tables.for_round : tables.scratch; }

void reserve(Set_Stack& stack, int64_t sets) {
  auto larger = std::make_unique_for_overwrite<Mask[]>(static_cast<size_t>(sets));
  std::copy(stack.sets.get(), stack.sets.get() + stack.top, larger.get());
  stack.sets = std::move(larger);
  stack.capacity = sets;
}

int64_t allocate(Query_Tables& tables, bool kept, int64_t sets) {
  Set_Stack& stack = stack_of(tables, kept);
  int64_t at = stack.top;
  stack.top += sets;
  // Reserved before the first round; growing is a fallback that never happens.
  assert(stack.top <= stack.capacity);
  if (stack.top > stack.capacity) reserve(stack, std::max(stack.top, 2 * stack.capacity));
  return at;
}

Mask* data_of(Query_Tables& tables, const Table_Work& table) { return stack_of(tables, table.kept).sets.get() + table.at; }

bool kept_now(const Query_Tables& tables, int32_t node) {
  return tables.kept[node] && tables.kept_round[node] == tables.round;
}

// A node's whole table, kept for the round.
Table_Work kept_table(const Query_Tables& tables, int32_t node, const Query_Context& context) {
  return {node, true, true, tables.kept_at[node], layout_of(*tables.plan, node, context.pop, context.prev_time, nullptr),
          0};
}

// A candidate's part in an agent quantifier, for every opponent at once:
// where it satisfies the body (for the universal quantifier, where it
// fails it), except for the opponent that the candidate is.
Mask witnesses(bool forall, Mask value, int64_t candidate) {
  return (forall ? ~value : value) & ~player_bit(static_cast<int32_t>(candidate));
}

// A counted node's counts for the round, worked out from its body's whole
// table at the first player that asks: for every assignment of its
// variables, the opponents with at least one witness among all candidates
// (the deciding player included), then those with at least two.
const Mask* counts_of(const Evaluation& e, int32_t node, const Layout& whole, const Layout& body,
                      const Mask* body_sets) {
  Query_Tables& tables = e.tables;
  if (tables.kept_round[node] != tables.round) {
    const bool forall = e.plan.nodes[node].kind == Q_FORALL;
    const int32_t place = place_of(body, e.plan.nodes[node].bound);
    const int64_t stride = stride_of(body, place);
    const int64_t at_counts = allocate(tables, true, 2 * whole.sets);
    Mask* once = tables.for_round.sets.get() + at_counts;
    Mask* twice = once + whole.sets;
    Odometer at = walk(whole, body);
    for (int64_t i = 0; i < whole.sets; ++i, at.advance()) {
      Mask one = NO_PLAYERS, two = NO_PLAYERS;
      for (int64_t x = 0; x < body.extent[place]; ++x) {
        Mask w = witnesses(forall, body_sets[at.index + x * stride], x);
        two = two | (one & w);
        one = one | w;
      }
      once[i] = one;
      twice[i] = two;
    }
    tables.kept_round[node] = tables.round;
    tables.kept_at[node] = at_counts;
  }
  return tables.for_round.sets.get() + tables.kept_at[node];
}

// A counted node's table for the deciding player: a witness other than
// that player is one of two, or the one that is not that player.
void quantify_counted(const Evaluation& e, int32_t node, const Layout& out, Mask* sets, const Layout& body,
                      const Mask* body_sets) {
  const bool forall = e.plan.nodes[node].kind == Q_FORALL;
  const Layout whole = layout_of(e.plan, node, e.context.pop, e.context.prev_time, nullptr);
  const Mask* once = counts_of(e, node, whole, body, body_sets);
  const Mask* twice = once + whole.sets;
  const Mask* at_row = body_sets + e.context.row * stride_of(body, place_of(body, e.plan.nodes[node].bound));
  Odometer counts = walk(out, whole), value = walk(out, body);
  for (int64_t i = 0; i < out.sets; ++i, counts.advance(), value.advance()) {
    Mask exists = twice[counts.index] | (once[counts.index] & ~witnesses(forall, at_row[value.index], e.context.row));
    sets[i] = forall ? ~exists : exists;
  }
}

void quantify(const Evaluation& e, const Query_Node& node, const Layout& out, Mask* sets, const Layout& body,
              const Mask* body_sets) {
  const bool forall = node.kind == Q_FORALL;
  const bool over_time = is_time_variable(node.bound);
  const int32_t place = place_of(body, node.bound);
  if (place == last_place(body))
    quantify_bits(e, forall, over_time, out, sets, body, body_sets);
  else if (last_variable(body) == last_variable(out))
    quantify_sets(e, forall, over_time, place, out, sets, body, body_sets);
  else
    quantify_turned(e, forall, place, out, sets, body, body_sets);
}

// Starts a node's table: where it goes, and what its operands fold into.
// A kept node's table, and all of its parts, are worked out whole.
Table_Work open_table(const Evaluation& e, int32_t node, bool whole) {
  const bool kept = e.tables.kept[node];
  whole = whole || kept;
  Table_Work table{node, whole, kept, 0,
                   layout_of(e.plan, node, e.context.pop, e.context.prev_time, whole ? nullptr : &e.fixing), 0};
  table.at = allocate(e.tables, kept, table.layout.sets);
  const Query_Node& n = e.plan.nodes[node];
  Mask* sets = data_of(e.tables, table);
  // Junctions and quantifiers write every set when their operands are done.
  if (n.kind == Q_ATOM)
    fill_atom(e, n, table.layout, sets);
  else if (n.kind == Q_TRUE || n.kind == Q_FALSE)
    sets[0] = all_or_none(n.kind == Q_TRUE);
  return table;
}

void close_part(const Evaluation& e, const Table_Work& whole, const Table_Work& part) {
  const Query_Node& n = e.plan.nodes[whole.node];
  Mask* sets = data_of(e.tables, whole);
  const Mask* part_sets = data_of(e.tables, part);
  if ((n.kind == Q_AND || n.kind == Q_OR) && whole.next == 1)
    fold_operand<FOLD_COPY>(whole.layout, sets, part.layout, part_sets);
  else if (n.kind == Q_AND)
    fold_operand<FOLD_AND>(whole.layout, sets, part.layout, part_sets);
  else if (n.kind == Q_OR)
    fold_operand<FOLD_OR>(whole.layout, sets, part.layout, part_sets);
  else if (e.tables.counted[whole.node])
    quantify_counted(e, whole.node, whole.layout, sets, part.layout, part_sets);
  else
    quantify(e, n, whole.layout, sets, part.layout, part_sets);
  if (!part.kept) e.tables.scratch.top = part.at;
}

// Works out the table of `root`, its parts first, without recursion.
Table_Work work_out(const Evaluation& e, int32_t root) {
  std::vector<Table_Work>& work = e.tables.work;
  work.clear();
  work.push_back(open_table(e, root, false));
  while (true) {
    Table_Work& table = work.back();
    const Query_Node& n = e.plan.nodes[table.node];
    if (table.next < n.child_count) {
      int32_t child = children_of(e.plan, n)[table.next++];
      if (kept_now(e.tables, child)) {
        close_part(e, table, kept_table(e.tables, child, e.context));
      } else {
        assert(work.size() < work.capacity());  // reserved for the deepest query: never moves
        work.push_back(open_table(e, child, table.whole));
      }
      continue;
    }
    Table_Work done = table;
    work.pop_back();
    if (done.kept) {
      e.tables.kept_round[done.node] = e.tables.round;
      e.tables.kept_at[done.node] = done.at;
    }
    if (work.empty()) return done;
    close_part(e, work.back(), done);
  }
}

// What working out a part costs beyond its sets: a quantifier folds over
// its candidates, an atom over a time that is its last variable.
int64_t inner_extent(const Query_Plan& plan, int32_t node, const Layout& layout, int32_t prev_time) {
  const Query_Node& n = plan.nodes[node];
  if (n.kind == Q_EXISTS || n.kind == Q_FORALL) return is_time_variable(n.bound) ? time_extent(prev_time) : 1;
  if (n.kind == Q_ATOM && layout.count > 0 && is_time_variable(last_variable(layout))) return layout.extent[last_place(layout)];
  return 0;
}

// The values as indices, fixed for every variable but the opponent.
Fixing fixing_of(const Query_Plan& plan, int32_t root, const Query_Context& context, const int32_t* values) {
  const Query_Node& node = plan.nodes[root];
  Fixing fixing;
  for (int32_t i = 0; i < node.free_count; ++i) {
    Variable variable = free_variables(plan, node)[i];
    if (variable == OPPONENT) continue;
    fixing.variable[fixing.count] = variable;
    int32_t value = values[fixing.count];
    fixing.index[fixing.count++] = is_time_variable(variable) ? index_of_time(value, context.prev_time) : value;
  }
  return fixing;
}

// The set answering for every opponent in a table worked out at `fixing`.
Mask answer_of(const Table_Work& table, const Mask* sets, const Fixing& fixing) {
  const Layout& layout = table.layout;
  int64_t index = 0;
  for (int32_t d = 0; d < outer_count(layout); ++d)
    index = index * layout.extent[d] + (fixing.index[d] - layout.base[d]);
  Mask set = sets[index];
  if (layout.count == 0 || last_variable(layout) == OPPONENT) return set;
  return all_or_none(has_player(set, static_cast<int32_t>(fixing.index[layout.count - 1])));
}

Variable last_free(const Query_Plan& plan, int32_t node) {
  const Query_Node& n = plan.nodes[node];
  return n.free_count > 0 ? free_variables(plan, n)[n.free_count - 1] : -1;
}

bool same_values(const Query_Tables& tables, int32_t root, const int32_t* values, int32_t count) {
  return std::equal(values, values + count, tables.answer_values.begin() + int64_t{root} * MAX_TABLE_VARIABLES);
}

// An agent quantifier whose body does not depend on the deciding player,
// is kept for the round, and has the opponent as its bits and the
// quantified agent as an outer variable.
bool countable(const Query_Plan& plan, const Query_Node& node, const std::vector<uint8_t>& kept) {
  if ((node.kind != Q_EXISTS && node.kind != Q_FORALL) || is_time_variable(node.bound)) return false;
  const int32_t body = children_of(plan, node)[0];
  const Query_Node& b = plan.nodes[body];
  const Variable* free = free_variables(plan, b);
  return kept[body] && !b.per_row && b.free_count >= 2 && free[b.free_count - 1] == OPPONENT &&
         std::find(free, free + b.free_count - 1, node.bound) != free + b.free_count - 1;
}

}  // namespace

namespace {

void start_round(Query_Tables& tables, const Query_Context& context) {
  if (tables.round != context.prev_time) {
    tables.round = context.prev_time;
    tables.for_round.top = 0;
  }
}

}  // namespace

int64_t predicted_sets(Query_Tables& tables, int32_t root, const Query_Context& context) {
  start_round(tables, context);
  const Query_Plan& plan = *tables.plan;
  // The parts still to be worked out, and whether each is worked out whole.
  std::vector<Predicted_Part>& parts = tables.predicting;
  parts.clear();
  if (!kept_now(tables, root)) parts.push_back({root, false});
  Fixing fixed;  // the variables the query is asked at; their values do not matter here
  const Query_Node& r = plan.nodes[root];
  for (int32_t i = 0; i < r.free_count; ++i)
    if (free_variables(plan, r)[i] != OPPONENT) fixed.variable[fixed.count++] = free_variables(plan, r)[i];
  int64_t sets = 0;
  while (!parts.empty()) {
    const Predicted_Part part = parts.back();
    parts.pop_back();
    const bool whole = part.whole || tables.kept[part.node];
    const Layout layout = layout_of(plan, part.node, context.pop, context.prev_time, whole ? nullptr : &fixed);
    sets += layout.sets * (1 + inner_extent(plan, part.node, layout, context.prev_time)) + TABLE_START_COST;
    const Query_Node& n = plan.nodes[part.node];
    for (int32_t c = 0; c < n.child_count; ++c)
      if (!kept_now(tables, children_of(plan, n)[c])) parts.push_back({children_of(plan, n)[c], whole});
  }
  return sets;
}

Mask query_value(Query_Tables& tables, int32_t root, const Query_Context& context, const int32_t* values) {
  start_round(tables, context);
  const Query_Plan& plan = *tables.plan;
  const int32_t count = plan.nodes[root].free_count - (last_free(plan, root) == OPPONENT ? 1 : 0);
  if (tables.answer_batch[root] == context.batch && same_values(tables, root, values, count)) return tables.answer[root];
  Fixing fixing = fixing_of(plan, root, context, values);
  Evaluation e{tables, plan, context, fixing};
  Table_Work table = kept_now(tables, root) ? kept_table(tables, root, context) : work_out(e, root);
  Mask answer = answer_of(table, data_of(tables, table), fixing);
  if (!table.kept) tables.scratch.top = table.at;
  tables.answer_batch[root] = context.batch;
  std::copy(values, values + count, tables.answer_values.begin() + int64_t{root} * MAX_TABLE_VARIABLES);
  tables.answer[root] = answer;
  return answer;
}

namespace {

// The nodes the queries asked for reach, children before parents: only
// they are ever worked out (a query found too large leaves nodes in the
// plan that nothing asks for). Found from the queries down, so that
// readying the tables costs what the tournament asks, not what the plan
// holds.
void find_reached(Query_Tables& tables, const Query_Plan& plan, const std::vector<int32_t>& queries) {
  Preparation& prep = tables.preparation;
  if (++prep.walk == 0) {
    std::fill(prep.stamp.begin(), prep.stamp.end(), 0);
    prep.walk = 1;
  }
  std::vector<int32_t>& reached = prep.reached;
  reached.clear();
  auto reach = [&](int32_t node) {
    if (prep.stamp[node] == prep.walk) return;
    prep.stamp[node] = prep.walk;
    reached.push_back(node);
  };
  for (int32_t root : queries) reach(root);
  for (size_t next = 0; next < reached.size(); ++next) {
    const Query_Node& node = plan.nodes[reached[next]];
    for (int32_t c = 0; c < node.child_count; ++c) reach(children_of(plan, node)[c]);
  }
  std::sort(reached.begin(), reached.end());
}

// The sets of each reached node's table.
void find_table_sizes(Preparation& prep, const Query_Plan& plan) {
  for (int32_t i : prep.reached) {
    const Query_Node& node = plan.nodes[i];
    int64_t size = 1;
    for (int32_t v = 0; v + 1 < node.free_count; ++v)
      size *= is_time_variable(free_variables(plan, node)[v]) ? plan.times : plan.pop;
    prep.size[i] = size;
  }
}

int32_t uses_of(const std::vector<int32_t>& uses, int32_t node) {
  return static_cast<size_t>(node) < uses.size() ? uses[node] : 0;
}

// Parents come after their children in the plan: walking the reached nodes
// backwards, count how often each is worked out in a round, and keep those
// that do not depend on the deciding player but are worked out more than
// once; count witnesses where that pays. Returns the sets kept for the
// round.
int64_t choose_kept(Query_Tables& tables, const Query_Plan& plan, const std::vector<int32_t>& uses) {
  Preparation& prep = tables.preparation;
  for (int32_t i : prep.reached) prep.demand[i] = uses_of(uses, i);
  int64_t kept_sets = 0;
  for (auto at = prep.reached.rbegin(); at != prep.reached.rend(); ++at) {
    const int32_t i = *at;
    const Query_Node& node = plan.nodes[i];
    tables.kept[i] = !node.per_row && prep.demand[i] >= 2;
    if (tables.kept[i]) kept_sets += prep.size[i];
    for (int32_t c = 0; c < node.child_count; ++c)
      prep.demand[children_of(plan, node)[c]] += tables.kept[i] ? 1 : prep.demand[i];
  }
  for (int32_t i : prep.reached) {
    tables.counted[i] = prep.demand[i] >= 2 && countable(plan, plan.nodes[i], tables.kept);
    if (tables.counted[i]) kept_sets += 2 * prep.size[i];
  }
  return kept_sets;
}

struct Scratch_Need {
  int64_t sets = 0;    // the most the scratch stack holds at once
  int64_t deepest = 1;  // the deepest nesting of nodes worked out
};

// What working a node out needs on the scratch stack, its own table and
// its parts'.
Scratch_Need scratch_need(Query_Tables& tables, const Query_Plan& plan) {
  Preparation& prep = tables.preparation;
  Scratch_Need need;
  for (int32_t i : prep.reached) {
    const Query_Node& node = plan.nodes[i];
    int64_t parts = 0, depth = 1;
    for (int32_t c = 0; c < node.child_count; ++c) {
      int32_t child = children_of(plan, node)[c];
      parts = std::max(parts, prep.peak[child]);
      depth = std::max(depth, prep.depth[child] + 1);
    }
    prep.peak[i] = (tables.kept[i] ? 0 : prep.size[i]) + parts;
    prep.depth[i] = depth;
    need.sets = std::max(need.sets, prep.peak[i]);
    need.deepest = std::max(need.deepest, depth);
  }
  return need;
}

// Every node's entries as no tournament has touched them. Only the nodes
// the last preparation reached can hold others (they grow with the plan,
// never shrinking, so those nodes have entries still).
void reset_entries(Query_Tables& tables, size_t nodes) {
  for (int32_t i : tables.preparation.reached) {
    tables.kept[i] = 0;
    tables.counted[i] = 0;
    tables.kept_round[i] = INT32_MIN;
    tables.kept_at[i] = 0;
    tables.answer_batch[i] = 0;
    std::fill_n(tables.answer_values.begin() + int64_t{i} * MAX_TABLE_VARIABLES, MAX_TABLE_VARIABLES, 0);
    tables.answer[i] = NO_PLAYERS;
  }
  if (nodes <= tables.kept.size()) return;
  tables.kept.resize(nodes, 0);
  tables.counted.resize(nodes, 0);
  tables.kept_round.resize(nodes, INT32_MIN);
  tables.kept_at.resize(nodes, 0);
  tables.answer_batch.resize(nodes, 0);
  tables.answer_values.resize(nodes * MAX_TABLE_VARIABLES, 0);
  tables.answer.resize(nodes, NO_PLAYERS);
  Preparation& prep = tables.preparation;
  for (std::vector<int64_t>* per_node : {&prep.size, &prep.demand, &prep.peak, &prep.depth}) per_node->resize(nodes);
  prep.stamp.resize(nodes, 0);
}

}  // namespace

void clear_Query_Tables(Query_Tables& tables, const Query_Plan& plan) {
  tables.plan = &plan;
  tables.round = INT32_MIN;
  tables.for_round.top = 0;
  tables.scratch.top = 0;
}

void prepare_Query_Tables(Query_Tables& tables, const Query_Plan& plan, const std::vector<int32_t>& uses,
                          const std::vector<int32_t>& queries) {
  const size_t nodes = plan.nodes.size();
  reset_entries(tables, nodes);
  tables.plan = &plan;
  tables.round = INT32_MIN;
  find_reached(tables, plan, queries);
  find_table_sizes(tables.preparation, plan);
  const int64_t kept_sets = choose_kept(tables, plan, uses);
  const Scratch_Need need = scratch_need(tables, plan);
  // The memory of an earlier tournament serves again when it is large enough.
  for (auto [stack, sets] : {std::pair{&tables.for_round, kept_sets}, std::pair{&tables.scratch, need.sets}}) {
    stack->top = 0;
    if (stack->capacity < sets) reserve(*stack, sets);
  }
  tables.work.reserve(static_cast<size_t>(need.deepest));
  tables.predicting.reserve(nodes);
}
