#include "society.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "error.h"
#include "formula/notation_reader.h"
#include "run/population_reader.h"
#include "game/history.h"
#include "game/results.h"
#include "game/tournament.h"
#include "printable_text.h"
#include "random_stream.h"
#include "sample_play.h"

namespace fs = std::filesystem;

namespace {

bool is_a_directory(const fs::path& path) {
  std::error_code failure;
  return fs::is_directory(path, failure);
}

// The .txt files of a directory, in the byte order of their names.
std::vector<std::string> formula_files(const std::string& directory) {
  std::vector<std::string> files;
  std::error_code failure;
  for (fs::directory_iterator entry(directory, failure), end; !failure && entry != end; entry.increment(failure))
    if (entry->path().extension() == ".txt" && !is_a_directory(entry->path())) files.push_back(entry->path().string());
  if (failure) error("cannot read society directory: " + printable_text(directory));
  std::sort(files.begin(), files.end());
  return files;
}

Society_Member read_member(const std::string& file_name) {
  try {
    std::string text = formula_text(read_formula_file(file_name), file_name);
    fs::path path(file_name);
    return {path.extension() == ".txt" ? path.stem().string() : path.filename().string(), Tree(parse_Formula(text))};
  } catch (const Notation_Error& failure) {
    error("society member " + printable_text(file_name) + ": " + failure.what());
  }
}

std::string padded(std::string text, size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

}  // namespace

std::string default_library() {
  std::error_code failure;
  const fs::path tool = fs::read_symlink("/proc/self/exe", failure);
  std::vector<fs::path> places;
  if (!failure) places.push_back(tool.parent_path() / IPDLOGIC_DATA_FROM_BIN / "ipdlogic" / "strategies");
  places.push_back(IPDLOGIC_SOURCE_STRATEGIES);
  places.push_back(IPDLOGIC_INSTALLED_STRATEGIES);
  for (const fs::path& place : places)
    if (is_a_directory(place)) return fs::weakly_canonical(place, failure).string();
  return "";
}

Society read_Society(const std::vector<std::string>& paths, const std::string& description) {
  Society society{description, {}};
  for (const std::string& path : paths) {
    const std::vector<std::string> files = is_a_directory(path) ? formula_files(path) : std::vector<std::string>{path};
    for (const std::string& file : files) {
      if (society.members.size() == static_cast<size_t>(MAX_POP - 1))
        error("society too large (at most " + std::to_string(MAX_POP - 1) + " strategies)");
      society.members.push_back(read_member(file));
    }
  }
  return society;
}

std::string society_play(Formula* formula, const Society& society) {
  std::vector<Formula*> players;
  size_t width = 0;
  for (const Society_Member& member : society.members) {
    players.push_back(member.formula.get());
    width = std::max(width, printable_text(member.name).size());
  }
  players.push_back(formula);
  const auto pop = static_cast<int32_t>(players.size());
  const agent me = pop - 1;
  History history;
  std::vector<Result> results(players.size());
  seed_random(DEFAULT_SEED);
  play_rounds(history, players.data(), pop, Game_Rules{});
  get_Results(history, results.data(), pop);

  std::string out = "  in a society: " + society.description + ", " + std::to_string(society.members.size()) +
                    " strategies; one tournament of " + std::to_string(pop) + " players, seed " +
                    std::to_string(DEFAULT_SEED) + "\n";
  out += "    this strategy is player " + std::to_string(me) + "; its first " + std::to_string(SAMPLE_MOVES) +
         " moves against each\n";
  for (agent member = 0; member < me; ++member) {
    std::string moves;
    for (int32_t time = 0; time < SAMPLE_MOVES; ++time) moves += get_action(history, me, member, time) ? 'D' : 'C';
    out += "    against " + padded(printable_text(society.members[static_cast<size_t>(member)].name), width) + "  " +
           moves + "\n";
  }
  const Result& mine = results[static_cast<size_t>(me)];
  int32_t rank = 1;
  for (const Result& other : results) rank += other.score > mine.score ? 1 : 0;
  out += "    score " + std::to_string(mine.score) + " (t " + std::to_string(mine.t) + ", r " + std::to_string(mine.r) +
         ", p " + std::to_string(mine.p) + ", s " + std::to_string(mine.s) + "), rank " + std::to_string(rank) +
         " of " + std::to_string(pop) + "\n";
  return out;
}
