// The parameters of a lab run, kept beside its data as JSON: every option's
// value, the population's source and the version, so that the data is never
// separated from how it was made. With --until-fixed, also how each run
// ended: whether it fixed, on which formula, and when. The number of seeds
// run at once, "jobs", does not change the data: runs that differ in it
// alone differ in it and in their arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lab_options.h"

// How one run of --until-fixed ended.
struct Run_Fixation {
  int32_t seed = 0;
  bool fixed = false;
  std::string formula;     // the canonical text every player holds, when fixed
  int32_t generation = 0;  // the run's last recorded generation
  int64_t events = 0;      // Moran events in all
};

// The runs finished so far; `complete` once all of them are.
struct Fixation_Summary {
  std::vector<Run_Fixation> runs;
  bool complete = false;
};

// The JSON text, one line with its newline. `pop` is the number of players.
// With --until-fixed it ends with the key "fixation": null before the runs
// (no summary given), then the summary.
std::string run_record_json(const Lab_Options& options, int32_t pop, const Fixation_Summary* fixation = nullptr);

// With --out FILE, FILE.json (replaced whole, so that a reader never sees
// half of it); with standard output, standard error.
void write_run_record(const Lab_Options& options, int32_t pop, const Fixation_Summary* fixation = nullptr);

// The name of the JSON file beside the data file `out`.
std::string run_record_path(const std::string& out);
