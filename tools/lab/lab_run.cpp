#include "lab_run.h"

#include <unistd.h>

#include <vector>

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
};

bool recorded(const Lab_Options& options, int32_t generation) {
  return generation % options.every == 0 || generation == options.generations - 1;
}

void record_generation(void* context, int32_t generation, const Run_State& state) {
  Recorder& recorder = *static_cast<Recorder*>(context);
  if (recorded(recorder.options, generation)) {
    recorder.rows.clear();
    for (int32_t player = 0; player < state.pop; ++player) {
      const Formula* formula = state.formulae[player];
      append_csv_row(recorder.rows, recorder.seed, generation, player, csv_text_field(format_Formula(formula)),
                     size_Formula(formula), state.results[player]);
    }
    recorder.sink.rows(recorder.sink.context, recorder.rows);
  }
  recorder.sink.generation_done(recorder.sink.context);
}

Run_Parameters run_parameters(const Lab_Options& options) {
  Run_Parameters parameters;
  parameters.generations = options.generations;
  parameters.game = Game_Rules{options.rounds, options.noise};
  parameters.payoffs = options.payoffs;
  parameters.breeding.mutation = options.mutation;
  parameters.quiet = true;
  return parameters;
}

// One seed's run, whole in itself: it seeds this thread's stream, makes its
// population and its tables, and hands its rows to `sink`. Runs on several
// threads share only the options and the formulae read, which they read.
void run_seed(const Lab_Options& options, const Read_Population& read, int32_t seed, const Seed_Sink& sink) {
  seed_random(seed);
  Recorder recorder{options, sink, seed, {}, History{}, std::vector<Result>(MAX_POP)};
  Run_Population population;
  Run_State state{&recorder.history, recorder.results.data(), population.formulae.data(),
                  fill_population(options, read, population)};
  run_generations(run_parameters(options), state, Run_Observer{&recorder, nullptr, record_generation});
}

// The sweep: seed number k of the list is the k-th run.
struct Sweep {
  const Lab_Options& options;
  const Read_Population& read;
  Row_Output& output;
  Progress& progress;
};

void run_listed_seed(void* context, int64_t index, const Seed_Sink& sink) {
  const Sweep& sweep = *static_cast<const Sweep*>(context);
  run_seed(sweep.options, sweep.read, seed_at(sweep.options.seeds, index), sink);
}

void write_rows(void* context, std::string_view rows) { add_rows(static_cast<Sweep*>(context)->output, rows); }

void count_generation(void* context) { advance_progress(static_cast<Sweep*>(context)->progress); }

void run_seeds(const Lab_Options& options, const Read_Population& read, Row_Output& output) {
  const bool rows_on_terminal = isatty(output.fd) == 1;
  Progress progress = start_progress(count_seeds(options.seeds), options.generations, rows_on_terminal);
  Sweep sweep{options, read, output, progress};
  try {
    run_seed_pool(Seed_Pool_Plan{count_seeds(options.seeds), options.jobs}, Seed_Runner{&sweep, run_listed_seed},
                  Seed_Sink{&sweep, write_rows, count_generation});
  } catch (...) {
    end_progress(progress);
    throw;
  }
  end_progress(progress);
}

}  // namespace

int run_lab(const Lab_Options& options) {
  Read_Population read;
  read_population(options, read);
  Row_Output output = open_row_output(options.out);
  write_run_record(options, options.random > 0 ? options.random : read.pop);
  add_rows(output, CSV_HEADER);
  try {
    run_seeds(options, read, output);
  } catch (...) {
    // The rows of the generations finished so far are whole: keep them.
    try {
      close_row_output(output);
    } catch (...) {
    }
    throw;
  }
  close_row_output(output);
  return 0;
}
