// What a formula comes to: its simplest form and how it plays, for the
// tools that describe formulae (the lab's columns, the explanation).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "formula/formula.h"
#include "game/rules.h"

// How a formula plays in the library's society (fingerprint.h), over the
// given rounds.
struct Behaviour {
  std::string plays_like;  // the library strategy it plays like, or ""
  std::string id;          // the identifier of its fingerprint
};

struct Analysis {
  std::string simplified;       // the simplified formula, in the canonical notation
  int64_t simplified_size = 0;  // its nodes
  Behaviour behaviour;
};

// Plays the formula's fingerprint tournament; the caller's random stream is
// left as it was.
Behaviour behaviour_of(const Formula* formula, int32_t rounds = ROUNDS);

// The part of an analysis that plays nothing: the simplified tree, which
// the caller then owns, and its canonical text.
struct Simplified {
  std::unique_ptr<Formula, void (*)(Formula*)> tree;
  std::string text;
};
Simplified simplified_of(const Formula* formula);

// The formula simplified, and the behaviour of the simplified formula, which
// plays exactly like the original and costs the machine less.
Analysis analyse_Formula(const Formula* formula, int32_t rounds = ROUNDS);
