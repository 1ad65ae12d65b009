#include "lab_options.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "error.h"
#include "formula/notation_reader.h"
#include "number_text.h"
#include "option_reader.h"
#include "printable_text.h"
#include "random_stream.h"
#include "usable_cores.h"

const char* const LAB_USAGE =
    "Usage: ipdlogic-lab [OPTIONS] [FILE...]\n"
    "Runs ipdlogic's evolution and records every player of every recorded generation as CSV:\n"
    "seed,generation,player,formula,size,t,r,p,s,score,rounds,id,parent1,parent2,mutated,\n"
    "simplified,simplified_size,plays_like,behaviour\n"
    "\n"
    "Population: the formula FILEs, or without any the file names on standard input,\n"
    "or --random N.\n"
    "  --random N          N random formulae (2 to 100), grown as ipdlogic -r grows them\n"
    "  --generations G     tournaments, each followed by breeding (1 to 1000000; default 100)\n"
    "  --seed S            the seed of the one run, converted as ipdlogic converts it (default 777)\n"
    "  --seeds LIST        one run per seed: seeds 0 to 2147483647 and ranges, e.g. 1-1000 or 1,5,10-20\n"
    "  --rounds R          rounds per tournament (1 to 100; default 50)\n"
    "  --payoffs T,R,P,S   points for temptation, reward, punishment, sucker (0 to 1000; default 5,3,1,0)\n"
    "  --mutation M        chance that a child gets a point mutation (0 to 1; default 0)\n"
    "  --noise E           chance that a decision is flipped (0 to 1; default 0)\n"
    "  --selection S       parents by roulette (the default), tournament:K (the best of K players drawn\n"
    "                      uniformly, K from 2 to the population) or moran (one birth and death per event)\n"
    "  --elite E           the E best players pass on unchanged (0 to the population - 1; default 0; not with moran)\n"
    "  --crossover C       chance that a child is crossed rather than copied (0 to 1; default 1)\n"
    "  --continuation W    after each round another one with chance W, up to --rounds (0 to 1; default: none,\n"
    "                      every tournament plays --rounds rounds; with it --rounds defaults to 100)\n"
    "  --until-fixed       end a run once every player holds the same formula\n"
    "  --every K           record generations 0, K, 2K, ... and the last (1 to 1000000; default 1)\n"
    "  --out FILE          write the CSV to FILE and the run's parameters to FILE.json\n"
    "                      (default: CSV on standard output, parameters on standard error)\n"
    "  --no-analysis       leave out the last four columns: each formula simplified, the library strategy\n"
    "                      it plays like (or empty) and its behaviour's identifier\n"
    "  --jobs N            seeds run at once (1 to 1024; default: the cores this process may use)\n"
    "  --help              this text\n"
    "  --version           the version\n";

namespace {

// Whether `text` is decimal digits, as a value from `low` to `high`.
bool whole_number(const std::string& text, int64_t low, int64_t high, int64_t& value) {
  if (text.empty() || text.size() > 10 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  value = std::stoll(text);
  return value >= low && value <= high;
}

int32_t whole_option(const std::string& option, const std::string& text, int32_t low, int32_t high) {
  int64_t value;
  if (!whole_number(text, low, high, value))
    error(option + ": '" + printable_text(text) + "' is not a whole number from " + std::to_string(low) + " to " +
          std::to_string(high));
  return static_cast<int32_t>(value);
}

// A chance: a decimal number from 0 to 1, the whole text.
double chance_option(const std::string& option, const std::string& text) {
  const char* start = text.c_str();
  char* end = nullptr;
  double value = text.empty() || std::isspace(static_cast<unsigned char>(text[0])) ? -1.0 : std::strtod(start, &end);
  if (end != start + text.size() || !(value >= 0.0 && value <= 1.0))
    error(option + ": '" + printable_text(text) + "' is not a number from 0 to 1");
  return value;
}

Payoffs payoffs_option(const std::string& text) {
  int64_t values[4];
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    size_t comma = text.find(',', start);
    bool last = i == 3;
    if ((comma == std::string::npos) != last ||
        !whole_number(text.substr(start, last ? std::string::npos : comma - start), 0, MAX_PAYOFF, values[i]))
      error("--payoffs: '" + printable_text(text) + "' is not four whole numbers T,R,P,S from 0 to " +
            std::to_string(MAX_PAYOFF));
    start = comma + 1;
  }
  return Payoffs{static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]), static_cast<int32_t>(values[2]),
                 static_cast<int32_t>(values[3])};
}

// roulette, tournament:K with K from 2 to MAX_POP (the population is
// checked once it is known), or moran.
void selection_option(Dynamics& dynamics, const std::string& text) {
  const std::string prefix = "tournament:";
  int64_t size = 0;
  if (text == "roulette") dynamics.selection = Selection::ROULETTE;
  else if (text == "moran") dynamics.selection = Selection::MORAN;
  else if (text.rfind(prefix, 0) == 0 && whole_number(text.substr(prefix.size()), 2, MAX_POP, size)) {
    dynamics.selection = Selection::TOURNAMENT;
    dynamics.tournament_size = static_cast<int32_t>(size);
  } else {
    error("--selection: '" + text + "' is not roulette, tournament:K with K a whole number from 2 to " +
          std::to_string(MAX_POP) + ", or moran");
  }
}

// Each may be given once: a second value would silently replace the first.
constexpr Option_Spec OPTIONS[] = {
    {"--random", true, false}, {"--generations", true, false}, {"--seed", true, false},     {"--seeds", true, false},
    {"--rounds", true, false}, {"--payoffs", true, false},     {"--mutation", true, false}, {"--noise", true, false},
    {"--every", true, false},  {"--out", true, false},         {"--selection", true, false}, {"--elite", true, false},
    {"--crossover", true, false}, {"--continuation", true, false}, {"--until-fixed", false, false},
    {"--no-analysis", false, false},
    {"--jobs", true, false},   {"--help", false, false},  {"--version", false, false},
};

void apply(Lab_Options& options, std::string_view name, const std::string& value) {
  const std::string option(name);
  if (option == "--random")
    options.random = whole_option(option, value, 2, MAX_POP);
  else if (option == "--generations")
    options.generations = whole_option(option, value, 1, MAX_GENERATIONS);
  else if (option == "--seed")
    options.seeds = {Seed_Range{saturating_atoi(value), saturating_atoi(value)}};
  else if (option == "--seeds")
    options.seeds = parse_seed_list(value);
  else if (option == "--rounds")
    options.rounds = whole_option(option, value, 1, MAX_ROUNDS);
  else if (option == "--payoffs")
    options.payoffs = payoffs_option(value);
  else if (option == "--mutation")
    options.mutation = chance_option(option, value);
  else if (option == "--noise")
    options.noise = chance_option(option, value);
  else if (option == "--every")
    options.every = whole_option(option, value, 1, MAX_GENERATIONS);
  else if (option == "--selection")
    selection_option(options.dynamics, value);
  else if (option == "--elite")
    options.dynamics.elite = whole_option(option, value, 0, MAX_POP - 1);
  else if (option == "--crossover")
    options.dynamics.crossover = chance_option(option, value);
  else if (option == "--continuation")
    options.continuation = chance_option(option, value);
  else if (option == "--until-fixed")
    options.until_fixed = true;
  else if (option == "--no-analysis")
    options.analysis = false;
  else if (option == "--out") {
    if (value.empty()) error("--out: the file name is empty");
    options.out = value == "-" ? "" : value;
  } else if (option == "--jobs")
    options.jobs = whole_option(option, value, 1, MAX_JOBS);
}

void check_combinations(Lab_Options& options, const Option_Reader& reader) {
  if (was_given(reader, "--seed") && was_given(reader, "--seeds")) error("--seed and --seeds cannot be given together");
  if (was_given(reader, "--random") && !options.files.empty())
    error("--random and formula files cannot be given together");
  if (was_given(reader, "--elite") && options.dynamics.selection == Selection::MORAN)
    error("--elite cannot be given with --selection moran: a Moran event replaces one player, not a generation");
  if (was_given(reader, "--continuation") && !was_given(reader, "--rounds")) options.rounds = CONTINUATION_ROUNDS;
}

}  // namespace

Lab_Options parse_lab_options(int argc, char** argv) {
  Lab_Options options;
  options.seeds = {Seed_Range{DEFAULT_SEED, DEFAULT_SEED}};
  options.arguments.assign(argv, argv + argc);
  Option_Reader reader = start_Option_Reader("ipdlogic-lab", OPTIONS, argc, argv);
  while (const std::optional<Command_Argument> argument = next_Argument(reader)) {
    if (!argument->is_option()) {
      options.files.emplace_back(argument->value);
    } else if (argument->name == "--help" || argument->name == "--version") {
      // The rest of the command line is not read.
      options.help = argument->name == "--help";
      options.version = !options.help;
      return options;
    } else {
      apply(options, argument->name, std::string(argument->value));
    }
  }
  check_combinations(options, reader);
  if (!was_given(reader, "--jobs")) options.jobs = std::min(usable_cores(), MAX_JOBS);
  options.jobs = static_cast<int32_t>(std::min<int64_t>(options.jobs, count_seeds(options.seeds)));
  return options;
}

void check_population_options(const Lab_Options& options, int32_t pop) {
  const Dynamics& dynamics = options.dynamics;
  if (dynamics.selection == Selection::TOURNAMENT && pop < 2)
    error("--selection: 'tournament:" + std::to_string(dynamics.tournament_size) +
          "' needs a population of 2 or more, not " + std::to_string(pop));
  if (dynamics.selection == Selection::TOURNAMENT && dynamics.tournament_size > pop)
    error("--selection: 'tournament:" + std::to_string(dynamics.tournament_size) +
          "' draws more players than the population of " + std::to_string(pop) + " holds: K is from 2 to " +
          std::to_string(pop));
  if (dynamics.elite > 0 && dynamics.elite >= pop)
    error("--elite: '" + std::to_string(dynamics.elite) + "' is not below the population of " + std::to_string(pop) +
          ": E is from 0 to " + std::to_string(pop - 1));
}

std::string selection_text(const Dynamics& dynamics) {
  switch (dynamics.selection) {
    case Selection::TOURNAMENT: return "tournament:" + std::to_string(dynamics.tournament_size);
    case Selection::MORAN: return "moran";
    default: return "roulette";
  }
}
