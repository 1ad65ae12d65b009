// Parts of a formula in words, for the explanation.
#pragma once

#include <cstdint>
#include <string>

#include "formula/formula.h"

// A letter as the explanation shows it: a printable character as itself,
// any other code as \xNN of its low byte.
std::string letter_text(int32_t code);

// A text with every character shown as letter_text shows it.
std::string escaped_text(const std::string& text);

// What a letter that no quantifier binds stands for, in an agent place or
// in the time place.
std::string free_letter_meaning(bool over_time, int32_t letter);

// What a node is, in a few words: "or", "E' s  for some time s ...", or an
// atom in the notation followed by its meaning.
std::string describe_node(const Formula& node);

// A DEFECTED atom in plain words, e.g. "the opponent defected against me in
// the previous round".
std::string describe_atom(const Formula& atom);
