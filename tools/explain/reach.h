// Atoms that read the current round or a later one, in words. Play records
// a move the moment it is decided, so such an atom sees the moves already
// made in the round and reads every cell not yet recorded as defection.
// Which rounds an atom reads is the rules' answer (game/rules.h); this only
// words it.
#pragma once

#include <string>

#include "bindings.h"
#include "formula/formula.h"

// What the atom's lookup reaches, when it can reach the current round or
// beyond; "" when it only ever reads the past (or never holds).
std::string reach_of_atom(const Formula& atom, const Atom_Terms& terms);
