// Atoms that read the current round or a later one. Play records a move
// the moment it is decided, so such an atom sees the moves already made in
// the round and reads every cell not yet recorded as defection.
#pragma once

#include <string>

#include "formula/formula.h"

// What the atom's lookup reaches, when it can reach the current round or
// beyond; "" when it only ever reads the past. `time_bound` tells whether a
// time quantifier binds the atom's time letter.
std::string reach_of_atom(const Formula& atom, bool time_bound);
