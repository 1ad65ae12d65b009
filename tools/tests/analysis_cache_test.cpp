// The lab's per-run analysis cache: one analysis per formula while it is
// held, one fingerprint tournament per simplified formula, and the columns
// as the CSV has them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analysis_cache.h"
#include "behaviour/analysis.h"
#include "formula/notation_printer.h"
#include "formula/notation_reader.h"

namespace {

using Tree = std::unique_ptr<Formula, void (*)(Formula*)>;

Tree parse(const std::string& text) { return Tree(parse_Formula(text), free_Formula); }

// Looks the formula up as the lab does, by its canonical text.
std::string look_up(Analysis_Cache& cache, const std::string& text) {
  const Tree formula = parse(text);
  return analysis_fields(cache, format_Formula(formula.get()), formula.get());
}

TEST(AnalysisCache, ColumnsAreTheAnalysisAsCsv) {
  Analysis_Cache cache;
  const Analysis tit = analyse_Formula(parse("Dcrp").get());
  EXPECT_EQ(look_up(cache, "Dcrp"), ",\"Dcrp\",1,tit_for_tat," + tit.behaviour.id);
  // A plays-like name left empty; a simplified formula quoted as the formula field is.
  const Analysis odd = analyse_Formula(parse("D\"cp-1").get());
  EXPECT_EQ(look_up(cache, "D\"cp-1"), ",\"" + std::string("D\"\"cp-1") + "\"," +
                                           std::to_string(odd.simplified_size) + ",," + odd.behaviour.id);
}

TEST(AnalysisCache, OneAnalysisPerFormulaWhileItIsHeld) {
  Analysis_Cache cache;
  cache.rounds = 12;
  const std::string first = look_up(cache, "Dcrp|Dcrp-1");
  EXPECT_EQ(look_up(cache, "Dcrp|Dcrp-1"), first);
  EXPECT_EQ(look_up(cache, "Dcrp"), ",\"Dcrp\",1,tit_for_tat," + analyse_Formula(parse("Dcrp").get(), 12).behaviour.id);
  EXPECT_EQ(cache.simplified, 2);
  EXPECT_EQ(cache.played, 2);
  end_analysis_generation(cache);
  // Held in the next generation: kept. Not held: forgotten, analysed again when it comes back.
  look_up(cache, "Dcrp");
  end_analysis_generation(cache);
  EXPECT_EQ(cache.by_formula.size(), 1u);
  EXPECT_EQ(cache.by_key.size(), 1u);
  EXPECT_EQ(look_up(cache, "Dcrp|Dcrp-1"), first);
  EXPECT_EQ(look_up(cache, "Dcrp"), ",\"Dcrp\",1,tit_for_tat," + analyse_Formula(parse("Dcrp").get(), 12).behaviour.id);
  EXPECT_EQ(cache.simplified, 3);
  EXPECT_EQ(cache.played, 3);
}

TEST(AnalysisCache, FormulaeAlikeButForBoundLettersShareOneTournament) {
  Analysis_Cache cache;
  const std::string z = look_up(cache, "E'zDcrz|Drcp-1");
  const std::string x = look_up(cache, "Drcp-1|E'xDcrx");
  EXPECT_EQ(cache.simplified, 2);
  EXPECT_EQ(cache.played, 1);
  EXPECT_NE(z, x);  // each its own simplified form
  EXPECT_EQ(z.substr(z.rfind(',')), x.substr(x.rfind(',')));
  EXPECT_EQ(z.substr(z.rfind(',') + 1), analyse_Formula(parse("Drcp-1|E'xDcrx").get()).behaviour.id);
}

TEST(AnalysisCache, TheRunsRoundsMakeTheBehaviour) {
  Analysis_Cache fifty, seven;
  seven.rounds = 7;
  EXPECT_NE(look_up(fifty, "Dcrp-1"), look_up(seven, "Dcrp-1"));
  EXPECT_EQ(look_up(fifty, "Dcrp"), ",\"Dcrp\",1,tit_for_tat," + analyse_Formula(parse("Dcrp").get()).behaviour.id);
}

// A thread's memory serves later runs: the same columns, nothing analysed
// or played again; another number of rounds starts it afresh.
TEST(AnalysisCache, LaterRunsAskTheThreadsMemory) {
  Analysis_Memory memory;
  Analysis_Cache first, second, shorter;
  first.memory = second.memory = shorter.memory = &memory;
  const std::string tit = look_up(first, "~~Dcrp");
  const std::string late = look_up(first, "Dcrp-1|Drrp");
  EXPECT_EQ(look_up(second, "~~Dcrp"), tit);
  EXPECT_EQ(look_up(second, "Dcrp-1|Drrp"), late);
  EXPECT_EQ(second.simplified, 0);
  EXPECT_EQ(second.played, 0);
  // A formula new to the memory whose simplified form it knows: simplified, not played.
  EXPECT_EQ(look_up(second, "Dcrp&Dcrp"), tit);
  EXPECT_EQ(second.simplified, 1);
  EXPECT_EQ(second.played, 0);
  end_analysis_generation(second);  // the run's own cache forgets; the memory keeps
  EXPECT_EQ(look_up(second, "Dcrp-1|Drrp"), late);
  EXPECT_EQ(second.simplified, 1);
  shorter.rounds = 7;
  EXPECT_NE(look_up(shorter, "Dcrp-1|Drrp"), late);
  EXPECT_EQ(shorter.played, 1);
  EXPECT_EQ(memory.rounds, 7);
}

}  // namespace
