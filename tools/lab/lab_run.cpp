#include "lab_run.h"

#include <unistd.h>

#include <vector>

#include "analysis_cache.h"
#include "behaviour/fingerprint.h"
#include "csv_rows.h"
#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "formula/notation_reader.h"
#include "run/population_reader.h"
#include "game/history.h"
#include "progress.h"
#include "random_stream.h"
#include "row_output.h"
#include "run/run_loop.h"
#include "run_record.h"
#include "seed_pool.h"
#include "termination.h"
#include "text_bytes.h"

namespace {

// The formulae read from files, once for all runs; each run plays copies.
struct Read_Population {
  std::vector<Formula*> formulae = std::vector<Formula*>(MAX_POP, nullptr);
  int32_t pop = 0;
  ~Read_Population() {
    for (Formula* formula : formulae) free_Formula(formula);
  }
};

void read_population(const Lab_Options& options, Read_Population& read) {
  if (options.random > 0) return;
  read.pop = options.files.empty() ? init_Formulae(read.formulae.data(), stdin, false)
                                   : init_Formulae(read.formulae.data(), options.files);
}

// One run's population, released when the run ends, however it ends.
struct Run_Population {
  std::vector<Formula*> formulae = std::vector<Formula*>(MAX_POP, nullptr);
  ~Run_Population() {
    for (Formula* formula : formulae) free_Formula(formula);
  }
};

int32_t fill_population(const Lab_Options& options, const Read_Population& read, Run_Population& run) {
  if (options.random > 0) {
    init_random_Formulae(run.formulae.data(), options.random);
    return options.random;
  }
  for (int32_t player = 0; player < read.pop; ++player) run.formulae[player] = copy_Formula(read.formulae[player]);
  return read.pop;
}

// One run's record: its seed, the rows of the generation just recorded, and
// the history and results tables its generations reuse.
struct Recorder {
  const Lab_Options& options;
  const Seed_Sink& sink;
  int32_t seed = 0;
  std::string rows;
  History history;
  std::vector<Result> results;
  Analysis_Cache* analysis;  // null with --no-analysis
};

// The row's analysis columns, "" without analysis.
std::string_view analysis_of(Recorder& recorder, const std::string& canonical, const Formula* formula) {
  if (!recorder.analysis) return {};
  return analysis_fields(*recorder.analysis, canonical, formula);
}

// Generations 0, K, 2K, ... and the run's last, whether the bound or
// fixation ends it.
bool recorded(const Lab_Options& options, int32_t generation, const Run_State& state) {
  return generation % options.every == 0 || state.last;
}

void record_generation(void* context, int32_t generation, const Run_State& state) {
  Recorder& recorder = *static_cast<Recorder*>(context);
  if (recorded(recorder.options, generation, state)) {
    recorder.rows.clear();
    const int32_t rounds = rounds_recorded(*state.history);
    for (int32_t player = 0; player < state.pop; ++player) {
      const Formula* formula = state.formulae[player];
      const std::string canonical = format_Formula(formula);
      append_csv_row(recorder.rows, recorder.seed, generation, player, csv_text_field(canonical), size_Formula(formula),
                     state.results[player], rounds, state.lineage->of_player[player],
                     analysis_of(recorder, canonical, formula));
    }
    if (recorder.analysis) end_analysis_generation(*recorder.analysis);
    recorder.sink.rows(recorder.sink.context, recorder.rows);
  }
  recorder.sink.generation_done(recorder.sink.context);
}

Run_Parameters run_parameters(const Lab_Options& options) {
  Run_Parameters parameters;
  parameters.generations = options.generations;
  parameters.game = Game_Rules{options.rounds, options.noise, options.continuation};
  parameters.payoffs = options.payoffs;
  parameters.breeding.mutation = options.mutation;
  parameters.quiet = true;
  parameters.dynamics = options.dynamics;
  parameters.until_fixed = options.until_fixed;
  return parameters;
}

Run_Fixation fixation_of(int32_t seed, const Run_Outcome& outcome, const Run_State& state) {
  Run_Fixation run{seed, outcome.fixed, "", outcome.generations - 1, outcome.events};
  if (outcome.fixed && state.pop > 0) run.formula = format_Formula(state.formulae[0]);
  return run;
}

// One seed's run, whole in itself: it seeds this thread's stream, makes its
// population and its tables, and hands its rows to `sink`. Runs on several
// threads share only the options and the formulae read, which they read.
// Returns how it ended.
Run_Fixation run_seed(const Lab_Options& options, const Read_Population& read, int32_t seed, const Seed_Sink& sink) {
  seed_random(seed);
  Analysis_Cache analysis;
  analysis.rounds = options.rounds;
  analysis.memory = &thread_analysis_memory();
  Recorder recorder{options, sink,  seed, {}, History{}, std::vector<Result>(MAX_POP),
                    options.analysis ? &analysis : nullptr};
  Run_Population population;
  Lineage_Book lineage;
  Run_State state{&recorder.history, recorder.results.data(), population.formulae.data(),
                  fill_population(options, read, population), &lineage};
  start_lineage(lineage, state.pop);
  const Run_Outcome outcome =
      run_generations(run_parameters(options), state, Run_Observer{&recorder, nullptr, record_generation});
  return fixation_of(seed, outcome, state);
}

// The sweep: seed number k of the list is the k-th run. With --until-fixed,
// how each run ended, in the place of its number, so that runs on several
// threads never share one.
struct Sweep {
  const Lab_Options& options;
  const Read_Population& read;
  Row_Output& output;
  Progress& progress;
  std::vector<Run_Fixation> ended;
  std::vector<uint8_t> has_ended;
};

void run_listed_seed(void* context, int64_t index, const Seed_Sink& sink) {
  Sweep& sweep = *static_cast<Sweep*>(context);
  Run_Fixation ended = run_seed(sweep.options, sweep.read, seed_at(sweep.options.seeds, index), sink);
  if (!sweep.options.until_fixed) return;
  sweep.ended[static_cast<size_t>(index)] = std::move(ended);
  sweep.has_ended[static_cast<size_t>(index)] = 1;
}

void write_rows(void* context, std::string_view rows) { add_rows(static_cast<Sweep*>(context)->output, rows); }

void count_generation(void* context) { advance_progress(static_cast<Sweep*>(context)->progress); }

// The runs that ended, in order, up to the first that did not (one that
// failed, or one after it).
void gather_fixation(Sweep& sweep, Fixation_Summary& fixation) {
  for (size_t i = 0; i < sweep.ended.size() && sweep.has_ended[i]; ++i) fixation.runs.push_back(std::move(sweep.ended[i]));
}

void run_seeds(const Lab_Options& options, const Read_Population& read, Row_Output& output,
               Fixation_Summary& fixation) {
  const bool rows_on_terminal = isatty(output.fd) == 1;
  const int64_t runs = count_seeds(options.seeds);
  Progress progress = start_progress(runs, options.generations, rows_on_terminal);
  Sweep sweep{options, read, output, progress, {}, {}};
  if (options.until_fixed) {
    sweep.ended.resize(static_cast<size_t>(runs));
    sweep.has_ended.assign(static_cast<size_t>(runs), 0);
  }
  try {
    run_seed_pool(Seed_Pool_Plan{count_seeds(options.seeds), options.jobs}, Seed_Runner{&sweep, run_listed_seed},
                  Seed_Sink{&sweep, write_rows, count_generation});
  } catch (...) {
    end_progress(progress);
    gather_fixation(sweep, fixation);
    throw;
  }
  end_progress(progress);
  gather_fixation(sweep, fixation);
}

// With --until-fixed the record says how the runs ended, so it is written
// (again, with --out) once they have: after the last run, or after the
// runs finished before one failed, with "complete": false.
void write_fixation(const Lab_Options& options, int32_t pop, const Fixation_Summary& fixation) {
  if (options.until_fixed) write_run_record(options, pop, &fixation);
}

}  // namespace

int run_lab(const Lab_Options& options) {
  defer_termination_to_whole_writes();
  Read_Population read;
  read_population(options, read);
  const int32_t pop = options.random > 0 ? options.random : read.pop;
  check_population_options(options, pop);
  Row_Output output = open_row_output(options.out);
  // On standard error the record is one line: with --until-fixed only the
  // final one is written.
  if (!options.until_fixed || !options.out.empty()) write_run_record(options, pop);
  std::string header = CSV_HEADER;
  if (options.analysis) {
    header.insert(header.size() - 1, ANALYSIS_COLUMNS);
    // Made before the threads start, then only read by them.
    prepare_library_fingerprints(options.rounds);
  }
  add_rows(output, header);
  Fixation_Summary fixation;
  try {
    run_seeds(options, read, output, fixation);
  } catch (...) {
    // The rows of the generations finished so far are whole: keep them.
    try {
      close_row_output(output);
    } catch (...) {
    }
    try {
      write_fixation(options, pop, fixation);
    } catch (...) {
    }
    throw;
  }
  close_row_output(output);
  fixation.complete = true;
  write_fixation(options, pop, fixation);
  return 0;
}
