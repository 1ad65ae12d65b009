// The parameters of a lab run, kept beside its data as JSON: every option's
// value, the population's source and the version, so that the data is never
// separated from how it was made. The number of seeds run at once, the
// last key, "jobs", does not change the data: runs that differ in it alone
// differ in it and in their arguments.
#pragma once

#include <cstdint>
#include <string>

#include "lab_options.h"

// The JSON text, one line with its newline. `pop` is the number of players.
std::string run_record_json(const Lab_Options& options, int32_t pop);

// With --out FILE, FILE.json; with standard output, standard error.
void write_run_record(const Lab_Options& options, int32_t pop);

// The name of the JSON file beside the data file `out`.
std::string run_record_path(const std::string& out);
