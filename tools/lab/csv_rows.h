// The lab's data: one CSV row per recorded generation and player.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "evolve/lineage.h"
#include "game/results.h"
#include "game/tournament.h"

extern const char* const CSV_HEADER;  // with its line end
// The columns of the analysis, after the others: each name led by its comma.
extern const char* const ANALYSIS_COLUMNS;

// Appends one row: `formula_field` is the formula already made a CSV field
// (csv_text_field), `size` its number of nodes, `rounds` the length of the
// tournament the tally comes from, then the player's lineage (a missing
// parent is an empty field, mutated 0 or 1), then `more_fields` as given
// (the analysis columns, each led by its comma). Fields are quoted as RFC
// 4180 has it; lines end in a newline alone, which every CSV reader takes
// and which keeps the last field clean for line-based tools.
void append_csv_row(std::string& out, int32_t seed, int32_t generation, int32_t player,
                    const std::string& formula_field, int64_t size, const Result& result, int32_t rounds,
                    const Lineage& lineage, std::string_view more_fields = {});
