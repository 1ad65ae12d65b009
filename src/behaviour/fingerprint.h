// What a formula does, as opposed to what it says: its moves in one fixed
// society, the built-in strategy library. Two formulae with the same
// fingerprint cannot be told apart by how they play there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formula/formula.h"
#include "game/rules.h"

// The formula plays last, after the library's strategies in order, in one
// tournament of `rounds` rounds, seed DEFAULT_SEED, no noise and no
// continuation. Bit k * rounds + t of `bits` is its move (1 for defection)
// against library strategy k in round t.
struct Fingerprint {
  int32_t rounds = 0;
  std::vector<uint64_t> bits;  // packed from bit 0 of word 0
};

bool operator==(const Fingerprint& a, const Fingerprint& b);

// Plays the tournament on the machine. The calling thread's random stream
// is put back as it was, so a run that asks in its midst draws what it
// would have drawn without asking. `rounds` is 1 to HISTORY_TIMES - 1.
Fingerprint fingerprint_Formula(const Formula* formula, int32_t rounds = ROUNDS);

// The fingerprint's short name: 16 lowercase hexadecimal digits of a 64-bit
// hash of its rounds and bits. Equal fingerprints have equal names; unequal
// ones practically never do.
std::string behaviour_id(const Fingerprint& fingerprint);

// The first library strategy, in the byte order of names, that plays as
// the fingerprint says when it is placed last itself (after the whole
// library, its own copy included) in the same tournament; "" when none
// does. The library's fingerprints are made once per number of rounds, by
// the first thread that asks, and shared read-only by all.
std::string plays_like(const Fingerprint& fingerprint);

// Makes the library's fingerprints for `rounds` now, before they are asked for.
void prepare_library_fingerprints(int32_t rounds);
