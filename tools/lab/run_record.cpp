#include "run_record.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

}  // namespace

std::string run_record_path(const std::string& out) { return out + ".json"; }

std::string run_record_json(const Lab_Options& options, int32_t pop) {
  const Payoffs& payoffs = options.payoffs;
  return "{\"program\": \"ipdlogic-lab\", \"version\": \"" IPDLOGIC_VERSION "\", \"arguments\": " +
         string_list(options.arguments) + ", \"population\": " + population_json(options, pop) +
         ", \"seeds\": " + seeds_json(options.seeds) + ", \"runs\": " + std::to_string(count_seeds(options.seeds)) +
         ", \"generations\": " + std::to_string(options.generations) +
         ", \"rounds\": " + std::to_string(options.rounds) + ", \"payoffs\": {\"T\": " + std::to_string(payoffs.t) +
         ", \"R\": " + std::to_string(payoffs.r) + ", \"P\": " + std::to_string(payoffs.p) +
         ", \"S\": " + std::to_string(payoffs.s) + "}, \"mutation\": " + number_text(options.mutation) +
         ", \"noise\": " + number_text(options.noise) + ", \"every\": " + std::to_string(options.every) +
         ", \"out\": " + (options.out.empty() ? std::string("null") : json_string(options.out)) +
         ", \"jobs\": " + std::to_string(options.jobs) + "}\n";
}

void write_run_record(const Lab_Options& options, int32_t pop) {
  const std::string json = run_record_json(options, pop);
  if (options.out.empty()) {
    std::fputs(json.c_str(), stderr);
    std::fflush(stderr);
    return;
  }
  const std::string path = run_record_path(options.out);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) error("cannot open " + printable_text(path) + " for writing: " + std::strerror(errno));
  bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
  if (std::fclose(file) != 0 || !written) error("cannot write " + printable_text(path) + ": " + std::strerror(errno));
}
