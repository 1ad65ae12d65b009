// Bound letters that the reader takes back. Evolution can bind letters that
// the notation does not read back as letters: a time variable past `z`
// (repair takes the next character), `p` for a time or `r` and `c` for an
// agent. Renaming them to letters the formula does not use gives a formula
// that plays exactly alike and whose printed form reads back as it is.
#pragma once

#include "formula/formula.h"

// Whether a quantifier's letter prints as a letter that reads back as a
// letter of its family; a formula all of whose quantifiers do needs no
// renaming.
bool reads_back_as_bound(const Formula* quantifier);

// A copy of `formula`, owned by the caller, in which every bound letter
// that would not read back is renamed to a lower-case letter from d to z
// (not p or r) used nowhere in the formula; or null when no letter needs
// it. A letter that also stands free somewhere (unbound, it is its own
// code) is left as it is, and so are letters when fresh ones run out.
Formula* with_readable_letters(const Formula* formula);
