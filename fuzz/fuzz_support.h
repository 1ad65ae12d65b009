// What the fuzz targets share: reading fuzzed bytes as a formula file's
// text, and reporting a finding.
#pragma once

#include <string>
#include <string_view>

#include "formula/formula.h"

// The tree of the bytes as read_Formula reads a file's text (white space
// stripped), or null when the reader rejects them with its error.
Formula* read_fuzzed(std::string_view bytes);

// Reports a broken property with the text involved and aborts, so that the
// fuzzer keeps the input.
[[noreturn]] void finding(const std::string& what, std::string_view text);
