// The findings of one formula file: the reader's error, with its plain
// explanation, and warnings about text that the program reads as the
// notation defines it but that a person rarely means.
#pragma once

#include <string_view>
#include <vector>

#include "error.h"
#include "findings.h"
#include "formula/formula.h"
#include "formula/notation_reader.h"
#include "source_map.h"

// The error of a file that cannot be read at all (it cannot be opened, it is
// too large): the program's message, about the file as a whole.
Finding file_error_Finding(const Fatal_Error& failure);

// The error of a text the reader does not take, at the fault it names.
Finding text_error_Finding(const Notation_Error& failure, const Source_Map& map, std::string_view text);

// A byte outside printable ASCII that is no white space: each is a
// character of the formula text by its code, and the bytes of a UTF-8
// letter shift an atom's fixed positions.
std::vector<Finding> byte_Warnings(std::string_view raw);

// Warnings about a formula that reads: text after an atom that its number
// does not take, a probability outside 0 to 1 or NaN, a letter that no
// quantifier binds, a quantifier that binds nothing (its letter is bound
// above it, or is r, c or p).
std::vector<Finding> formula_Warnings(const Formula* formula, const std::vector<Node_Span>& spans,
                                      const Source_Map& map, std::string_view text);
