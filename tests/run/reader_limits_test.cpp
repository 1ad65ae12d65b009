// The reader's size bounds, each tested just inside and just past it.
#include <cstdio>
#include <fstream>

#include "run/population_reader.h"
#include "test_support.h"

namespace {

std::string temp_file(const std::string& name, const std::string& contents) {
  std::string path = testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << contents;
  return path;
}

// What a read did: the tree's size (0 after an error), the message, the echo.
struct Read_Outcome {
  int64_t size = 0;
  std::string message;
  std::string out;
};

Read_Outcome read_file(const std::string& path) {
  Read_Outcome outcome;
  testing::internal::CaptureStdout();
  outcome.message = fatal_message([&] {
    Tree tree(read_Formula(path));
    outcome.size = size_Formula(tree.get());
  });
  std::fflush(stdout);
  outcome.out = testing::internal::GetCapturedStdout();
  return outcome;
}

// A single atom of exactly `length` characters: its offset has leading zeros.
std::string long_atom(size_t length) { return "Drcp" + std::string(length - 4, '0'); }

}  // namespace

// The deepest tree reading accepts is a run of "~" that fills the bound.
TEST(ReaderLimits, FormulaTextUpToItsBound) {
  std::string deepest = std::string(MAX_FORMULA_LENGTH - 4, '~') + "Drcp";
  Tree tree = parse(deepest);
  EXPECT_EQ(size_Formula(tree.get()), static_cast<int64_t>(MAX_FORMULA_LENGTH) - 3);
  Tree copy(copy_Formula(tree.get()));
  EXPECT_TRUE(equal_Formula(tree.get(), copy.get()));
  EXPECT_EQ(format_Formula(tree.get()).size(), 3 * (MAX_FORMULA_LENGTH - 4) + 4);

  EXPECT_EQ(fatal_message([&] { parse(deepest + ")"); }), "formula too long (more than 1048576 characters)");
}

TEST(ReaderLimits, FileFormulaTextUpToItsBound) {
  // White space does not count: a newline after every character is taken.
  std::string spread;
  for (char c : long_atom(MAX_FORMULA_LENGTH)) spread += std::string(1, c) + "\n";
  Read_Outcome fits = read_file(temp_file("longest.txt", spread));
  EXPECT_EQ(fits.message, "");
  EXPECT_EQ(fits.size, 1);
  EXPECT_EQ(fits.out, long_atom(MAX_FORMULA_LENGTH) + "\n");

  std::string path = temp_file("too_long.txt", long_atom(MAX_FORMULA_LENGTH + 1));
  Read_Outcome too_long = read_file(path);
  EXPECT_EQ(too_long.message,
            "formula too long: " + path + " (more than 1048576 characters besides white space)");
  EXPECT_EQ(too_long.out, "");  // refused before the echo
}

TEST(ReaderLimits, FileBytesUpToTheirBound) {
  std::string largest = "Drcp" + std::string(MAX_FORMULA_FILE_BYTES - 4, ' ');
  Read_Outcome fits = read_file(temp_file("largest.txt", largest));
  EXPECT_EQ(fits.message, "");
  EXPECT_EQ(fits.out, "Drcp\n");

  std::string path = temp_file("too_large.txt", largest + " ");
  Read_Outcome too_large = read_file(path);
  EXPECT_EQ(too_large.message, "formula file too large: " + path + " (more than 16777216 bytes)");
  EXPECT_EQ(too_large.out, "");
}

TEST(ReaderLimits, AllFormulaTextTogetherUpToItsBound) {
  constexpr size_t files = MAX_TOTAL_FORMULA_LENGTH / MAX_FORMULA_LENGTH;
  std::string longest = temp_file("longest_atom.txt", long_atom(MAX_FORMULA_LENGTH));
  std::string names_text;
  for (size_t i = 0; i < files; ++i) names_text += longest + "\n";
  Formula* formulae[MAX_POP] = {};
  for (bool one_more : {false, true}) {
    std::string one_char = temp_file("one_char.txt", "R");
    std::string text = names_text + (one_more ? one_char + "\n" : "");
    std::FILE* names = fmemopen(text.data(), text.size(), "r");
    int32_t pop = -1;
    testing::internal::CaptureStdout();
    std::string message = fatal_message([&] { pop = init_Formulae(formulae, names); });
    std::fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    std::fclose(names);
    EXPECT_EQ(out.size(), 19 + files * (MAX_FORMULA_LENGTH + 1));  // greeting and echoes
    if (one_more) {
      EXPECT_EQ(message, "formula files too long together: " + one_char +
                             " brings them past 16777216 characters besides white space");
    } else {
      EXPECT_EQ(message, "");
      EXPECT_EQ(pop, static_cast<int32_t>(files));
    }
    for (Formula*& formula : formulae) {
      free_Formula(formula);
      formula = nullptr;
    }
  }
}
