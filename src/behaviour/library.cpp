#include "behaviour/library.h"

#include <algorithm>

#include "behaviour/library_texts.h"
#include "formula/notation_reader.h"
#include "run/population_reader.h"

namespace {

// Read as the program reads a formula file, so that a library file and its
// built-in copy are the same formula.
std::vector<Library_Strategy> read_library() {
  std::vector<Library_Strategy> library;
  for (size_t i = 0; i < LIBRARY_TEXT_COUNT; ++i) {
    const Library_Text& entry = LIBRARY_TEXTS[i];
    library.push_back({entry.name, parse_Formula(formula_text(entry.text, std::string(entry.name) + ".txt"))});
  }
  // Sorted here rather than by the build: CMake sorts paths, in which ".txt"
  // can order names differently ("a-b.txt" before "a.txt").
  std::sort(library.begin(), library.end(),
            [](const Library_Strategy& a, const Library_Strategy& b) { return a.name < b.name; });
  return library;
}

// Owns the library's trees for the life of the process.
struct Library {
  std::vector<Library_Strategy> strategies = read_library();
  ~Library() {
    for (Library_Strategy& strategy : strategies) free_Formula(strategy.formula);
  }
};

}  // namespace

const std::vector<Library_Strategy>& library_strategies() {
  static const Library library;
  return library.strategies;
}
