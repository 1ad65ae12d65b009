#include <algorithm>
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

}  // namespace

TEST(PopulationReader, ReadsFilesWithWhiteSpaceAnywhere) {
  std::string path = temp_file("spread.txt", "  D r\n c\tp\r\n -\n1\n");
  testing::internal::CaptureStdout();
  Tree atom(read_Formula(path));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Drcp-1\n");
  EXPECT_EQ(atom->time_mod, -1);

  // Windows line ends do not change the reading.
  path = temp_file("crlf.txt", "(Drcp&Dcrp)\r\n");
  testing::internal::CaptureStdout();
  Tree conjunction(read_Formula(path));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(format_Formula(conjunction.get()), "(Drcp&Dcrp)");
}

TEST(PopulationReader, ReportsFilesThatCannotBeRead) {
  EXPECT_EQ(fatal_message([] { read_Formula("/nonexistent/formula"); }),
            "cannot open formula file: /nonexistent/formula");
  testing::internal::CaptureStdout();
  std::string message = fatal_message([] { read_Formula(testing::TempDir()); });
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(message, "cannot read formula file: " + testing::TempDir());
}

TEST(PopulationReader, InitFormulaeReadsNamesUntilEndOfInput) {
  std::string a = temp_file("a.txt", "Drcp");
  std::string b = temp_file("b.txt", "Dcrp|Drcp");
  std::string names_text = " " + a + "\n\t" + b + "  \n";
  std::FILE* names = fmemopen(names_text.data(), names_text.size(), "r");
  Formula* formulae[MAX_POP] = {};
  testing::internal::CaptureStdout();
  int32_t pop = init_Formulae(formulae, names);
  std::fclose(names);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "getting players...\nDrcp\nDcrp|Drcp\n");
  ASSERT_EQ(pop, 2);
  EXPECT_EQ(format_Formula(formulae[1]), "(Dcrp|Drcp)");
  for (Formula* formula : formulae) free_Formula(formula);

  std::string empty;
  names = fmemopen(empty.data(), 0, "r");
  testing::internal::CaptureStdout();
  EXPECT_EQ(init_Formulae(formulae, names), 0);
  std::fclose(names);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "getting players...\n");
}

TEST(PopulationReader, TooManyFilesStopBeforeTheExtraOne) {
  std::string a = temp_file("one.txt", "Drcp");
  std::string names_text;
  for (int i = 0; i < MAX_POP; ++i) names_text += a + "\n";
  names_text += "/nonexistent/extra\n";
  std::FILE* names = fmemopen(names_text.data(), names_text.size(), "r");
  Formula* formulae[MAX_POP] = {};
  testing::internal::CaptureStdout();
  std::string message = fatal_message([&] { init_Formulae(formulae, names); });
  std::string out = testing::internal::GetCapturedStdout();
  std::fclose(names);
  EXPECT_EQ(message, "too many formula files (at most 100)");
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 101);
  for (Formula* formula : formulae) free_Formula(formula);
}

// The quiet reader, for programs that keep standard output for data:
// nothing written, the same trees, the same errors.
TEST(PopulationReader, QuietReadingWritesNothing) {
  std::string a = temp_file("quiet_a.txt", "Drcp");
  std::string b = temp_file("quiet b.txt", "Dcrp | Drcp");  // a name with a blank, as an argument may have
  std::string names_text = a + "\n";
  std::FILE* names = fmemopen(names_text.data(), names_text.size(), "r");
  Formula* formulae[MAX_POP] = {};
  testing::internal::CaptureStdout();
  EXPECT_EQ(init_Formulae(formulae, names, false), 1);
  std::fclose(names);
  EXPECT_EQ(init_Formulae(formulae + 1, {b, a}), 2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(format_Formula(formulae[1]), "(Dcrp|Drcp)");
  EXPECT_EQ(format_Formula(formulae[2]), "Drcp");
  for (Formula* formula : formulae) free_Formula(formula);

  std::vector<std::string> too_many(MAX_POP, a);
  too_many.push_back("/nonexistent/extra");
  std::fill(std::begin(formulae), std::end(formulae), nullptr);
  testing::internal::CaptureStdout();
  EXPECT_EQ(fatal_message([&] { init_Formulae(formulae, too_many); }), "too many formula files (at most 100)");
  for (Formula* formula : formulae) free_Formula(formula);
  EXPECT_EQ(fatal_message([&] { init_Formulae(formulae, {"/nonexistent/formula"}); }),
            "cannot open formula file: /nonexistent/formula");
  std::string bad = temp_file("quiet_bad.txt", "Drcp&");
  EXPECT_EQ(fatal_message([&] { init_Formulae(formulae, {bad}); }), "no atoms or operands (?) in the current scope");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
