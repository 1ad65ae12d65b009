#include "run_record.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "error.h"
#include "printable_text.h"
#include "text_bytes.h"

namespace {

std::string number_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string string_list(const std::vector<std::string>& texts) {
  std::string json = "[";
  for (const std::string& text : texts) json += (json.size() > 1 ? ", " : "") + json_string(text);
  return json + "]";
}

std::string population_json(const Lab_Options& options, int32_t pop) {
  if (options.random > 0) return "{\"source\": \"random\", \"players\": " + std::to_string(pop) + "}";
  if (!options.files.empty())
    return "{\"source\": \"files\", \"files\": " + string_list(options.files) +
           ", \"players\": " + std::to_string(pop) + "}";
  return "{\"source\": \"standard input\", \"players\": " + std::to_string(pop) + "}";
}

std::string seeds_json(const std::vector<Seed_Range>& seeds) {
  std::string json = "[";
  for (Seed_Range range : seeds)
    json += (json.size() > 1 ? ", [" : "[") + std::to_string(range.first) + ", " + std::to_string(range.last) + "]";
  return json + "]";
}

std::string dynamics_json(const Lab_Options& options) {
  const Dynamics& dynamics = options.dynamics;
  return ", \"selection\": " + json_string(selection_text(dynamics)) + ", \"elite\": " +
         std::to_string(dynamics.elite) + ", \"crossover\": " + number_text(dynamics.crossover) +
         ", \"continuation\": " +
         (options.continuation < 0.0 ? std::string("null") : number_text(options.continuation)) +
         ", \"until_fixed\": " + (options.until_fixed ? "true" : "false");
}

std::string run_fixation_json(const Run_Fixation& run) {
  return "{\"seed\": " + std::to_string(run.seed) + ", \"fixed\": " + (run.fixed ? "true" : "false") +
         ", \"formula\": " + (run.fixed ? json_string(run.formula) : std::string("null")) +
         ", \"generation\": " + std::to_string(run.generation) + ", \"events\": " + std::to_string(run.events) +
         "}";
}

// The runs that fixed on each formula, in the order the formulae first fixed.
std::string by_formula_json(const std::vector<Run_Fixation>& runs) {
  std::vector<std::pair<std::string, int64_t>> counts;
  for (const Run_Fixation& run : runs) {
    if (!run.fixed) continue;
    auto at = std::find_if(counts.begin(), counts.end(), [&](const auto& count) { return count.first == run.formula; });
    if (at == counts.end()) counts.emplace_back(run.formula, 1);
    else ++at->second;
  }
  std::string json = "{";
  for (const auto& [formula, count] : counts)
    json += (json.size() > 1 ? ", " : "") + json_string(formula) + ": " + std::to_string(count);
  return json + "}";
}

std::string fixation_json(const Fixation_Summary* fixation) {
  if (!fixation) return "null";
  int64_t fixed = 0;
  std::string runs = "[";
  for (const Run_Fixation& run : fixation->runs) {
    fixed += run.fixed;
    runs += (runs.size() > 1 ? ", " : "") + run_fixation_json(run);
  }
  return "{\"complete\": " + std::string(fixation->complete ? "true" : "false") + ", \"runs\": " +
         std::to_string(fixation->runs.size()) + ", \"fixed\": " + std::to_string(fixed) +
         ", \"by_formula\": " + by_formula_json(fixation->runs) + ", \"by_run\": " + runs + "]}";
}

void write_file(const std::string& path, const std::string& text) {
  // Written beside it, then renamed over it: the file is always whole.
  const std::string partial = path + ".partial";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file) error("cannot open " + printable_text(path) + " for writing: " + std::strerror(errno));
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) error("cannot write " + printable_text(path) + ": " + std::strerror(errno));
  if (std::rename(partial.c_str(), path.c_str()) != 0)
    error("cannot write " + printable_text(path) + ": " + std::strerror(errno));
}

}  // namespace

std::string run_record_path(const std::string& out) { return out + ".json"; }

std::string run_record_json(const Lab_Options& options, int32_t pop, const Fixation_Summary* fixation) {
  const Payoffs& payoffs = options.payoffs;
  return "{\"program\": \"ipdlogic-lab\", \"version\": \"" IPDLOGIC_VERSION "\", \"arguments\": " +
         string_list(options.arguments) + ", \"population\": " + population_json(options, pop) +
         ", \"seeds\": " + seeds_json(options.seeds) + ", \"runs\": " + std::to_string(count_seeds(options.seeds)) +
         ", \"generations\": " + std::to_string(options.generations) + ", \"rounds\": " +
         std::to_string(options.rounds) + ", \"payoffs\": {\"T\": " + std::to_string(payoffs.t) + ", \"R\": " +
         std::to_string(payoffs.r) + ", \"P\": " + std::to_string(payoffs.p) + ", \"S\": " +
         std::to_string(payoffs.s) + "}, \"mutation\": " + number_text(options.mutation) + ", \"noise\": " +
         number_text(options.noise) + ", \"every\": " + std::to_string(options.every) + ", \"out\": " +
         (options.out.empty() ? std::string("null") : json_string(options.out)) + dynamics_json(options) +
         ", \"analysis\": " + (options.analysis ? "true" : "false") + ", \"jobs\": " + std::to_string(options.jobs) + (options.until_fixed ? ", \"fixation\": " + fixation_json(fixation) : std::string()) + "}\n";
}

void write_run_record(const Lab_Options& options, int32_t pop, const Fixation_Summary* fixation) {
  const std::string json = run_record_json(options, pop, fixation);
  if (options.out.empty()) {
    std::fputs(json.c_str(), stderr);
    std::fflush(stderr);
    return;
  }
  write_file(run_record_path(options.out), json);
}
