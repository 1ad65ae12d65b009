// The built-in library, fingerprints, their identifiers and plays-like
// names, and the analysis record.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "behaviour/analysis.h"
#include "behaviour/fingerprint.h"
#include "behaviour/library.h"
#include "evolve/random_formula.h"
#include "formula/notation_printer.h"
#include "formula/notation_reader.h"
#include "random_stream.h"
#include "run/population_reader.h"
#include "test_support.h"

namespace {

Fingerprint of(const std::string& text, int32_t rounds = ROUNDS) { return fingerprint_Formula(parse(text).get(), rounds); }

std::string id_of(const std::string& text) { return behaviour_id(of(text)); }

bool bit(const Fingerprint& fingerprint, size_t index) { return fingerprint.bits[index / 64] >> (index % 64) & 1; }

TEST(Library, IsTheStrategiesDirectoryInTheOrderOfNames) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(STRATEGIES_DIR))
    if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  const std::vector<Library_Strategy>& library = library_strategies();
  ASSERT_EQ(library.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(library[i].name, names[i]);
    const std::string file = std::string(STRATEGIES_DIR) + "/" + names[i] + ".txt";
    EXPECT_EQ(format_Formula(library[i].formula), format_Formula(parse(formula_text(read_formula_file(file), file)).get()))
        << names[i];
  }
}

TEST(Fingerprint, HoldsOneMovePerLibraryStrategyAndRound) {
  const Fingerprint always = of("Dcrp|~Dcrp", 7);
  EXPECT_EQ(always.rounds, 7);
  const size_t bits = library_strategies().size() * 7;
  ASSERT_EQ(always.bits.size(), (bits + 63) / 64);
  int64_t set = 0;  // every move a defection, nothing past them
  for (uint64_t word : always.bits) set += std::popcount(word);
  EXPECT_EQ(set, static_cast<int64_t>(bits));
  for (uint64_t word : of("Dcrp&~Dcrp", 7).bits) EXPECT_EQ(word, 0u);
  // Tit for tat cooperates first against everyone, so bit 0 of each strategy's rounds is clear.
  const Fingerprint tit = of("Dcrp", 7);
  // Against always_defect (strategy 2) it defects from round 1 on.
  for (size_t k = 0; k < library_strategies().size(); ++k) EXPECT_FALSE(bit(tit, k * 7)) << k;
  for (size_t t = 1; t < 7; ++t) EXPECT_TRUE(bit(tit, 2 * 7 + t)) << t;
}

TEST(Fingerprint, NamesWhatALibraryStrategyPlaysLike) {
  const std::vector<Library_Strategy>& library = library_strategies();
  for (size_t i = 0; i < library.size(); ++i) {
    const std::string like = plays_like(fingerprint_Formula(library[i].formula));
    // Itself, unless an earlier strategy plays the same way there.
    EXPECT_LE(like, library[i].name);
    EXPECT_FALSE(like.empty()) << library[i].name;
    if (library[i].name != "hard_tit_for_tat") {
      EXPECT_EQ(like, library[i].name);
    }
  }
  EXPECT_EQ(plays_like(of("Dcrp|Dcrp-1|Dcrp-2")), "grudger");
  EXPECT_EQ(plays_like(of("Dcrp")), "tit_for_tat");
  EXPECT_EQ(plays_like(of("Dcrp", 9)), "tit_for_tat");
  EXPECT_EQ(plays_like(of("Dcrp-1")), "");
  EXPECT_EQ(plays_like(of("R0.3")), "");
}

TEST(Fingerprint, EqualPlayGivesEqualIdentifiers) {
  EXPECT_EQ(id_of("~~Dcrp"), id_of("Dcrp"));
  EXPECT_EQ(id_of("Dcrp&Dcrp"), id_of("Dcrp"));
  EXPECT_EQ(of("~~Dcrp"), of("Dcrp"));
  // Chance atoms draw from the fingerprint's own seeded stream: the same every time.
  EXPECT_EQ(id_of("R0.5&Dcrp-1"), id_of("R0.5&Dcrp-1"));
}

TEST(Fingerprint, DifferentPlayGivesDifferentIdentifiers) {
  const std::vector<std::string> formulae = {"Dcrp", "Dcrp-1", "Drcp", "~Drcp", "Dcrp|~Dcrp", "Dcrp&~Dcrp", "R0.5",
                                             "R0.3", "Dcrp&Dcrp-1", "AxDxrp"};
  std::vector<std::string> ids;
  for (const std::string& formula : formulae) {
    const std::string id = id_of(formula);
    EXPECT_EQ(id.size(), 16u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
    ids.push_back(id);
  }
  for (size_t i = 0; i < formulae.size(); ++i)
    for (size_t j = i + 1; j < formulae.size(); ++j)
      if (!(of(formulae[i]) == of(formulae[j]))) {
        EXPECT_NE(ids[i], ids[j]) << formulae[i] << " " << formulae[j];
      }
  EXPECT_NE(id_of("Dcrp"), id_of("Dcrp-1"));
  EXPECT_NE(id_of("R0.5"), id_of("R0.3"));
  EXPECT_NE(id_of("Dcrp|~Dcrp"), id_of("Dcrp&~Dcrp"));
  // The rounds are part of the behaviour; one move flipped changes the identifier.
  EXPECT_NE(behaviour_id(of("Dcrp", 7)), behaviour_id(of("Dcrp", 8)));
  Fingerprint flipped = of("Dcrp");
  flipped.bits.back() ^= 1;
  EXPECT_NE(behaviour_id(flipped), id_of("Dcrp"));
}

TEST(Fingerprint, LeavesTheCallersRandomStreamAsItWas) {
  seed_random(4242);
  for (int i = 0; i < 5; ++i) draw_random();
  const Random_Stream before = random_stream;
  of("R0.5|Dcrp");
  analyse_Formula(parse("R0.7&(AxDxcp)").get(), 13);
  EXPECT_EQ(random_stream.engine, before.engine);
  EXPECT_EQ(draws_made(), before.draws);
}

TEST(Fingerprint, IsTheSameOnEveryThread) {
  // Rounds no other test asks for: the threads race to make the library's fingerprints.
  std::vector<std::string> seen(4);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i)
    threads.emplace_back([&seen, i] {
      const Fingerprint fingerprint = fingerprint_Formula(library_strategies()[i].formula, 23);
      seen[i] = plays_like(fingerprint) + " " + behaviour_id(fingerprint);
    });
  for (std::thread& thread : threads) thread.join();
  for (size_t i = 0; i < seen.size(); ++i) {
    const Fingerprint fingerprint = fingerprint_Formula(library_strategies()[i].formula, 23);
    EXPECT_EQ(seen[i], plays_like(fingerprint) + " " + behaviour_id(fingerprint));
    EXPECT_EQ(seen[i].substr(0, seen[i].find(' ')), library_strategies()[i].name);
  }
}

TEST(Analysis, SimplifiesWithoutChangingThePlay) {
  const Analysis tit = analyse_Formula(parse("Dcrp").get());
  EXPECT_EQ(tit.simplified, "Dcrp");
  EXPECT_EQ(tit.simplified_size, 1);
  EXPECT_EQ(tit.behaviour.plays_like, "tit_for_tat");
  EXPECT_EQ(tit.behaviour.id, id_of("Dcrp"));
  // Grown formulae: never larger simplified, and playing as the original does.
  seed_random(31);
  std::vector<Formula*> grown(40, nullptr);
  init_random_Formulae(grown.data(), static_cast<int32_t>(grown.size()));
  for (Formula* formula : grown) {
    const Analysis analysis = analyse_Formula(formula, 20);
    EXPECT_LE(analysis.simplified_size, size_Formula(formula)) << format_Formula(formula);
    EXPECT_EQ(analysis.behaviour.id, behaviour_id(fingerprint_Formula(formula, 20))) << format_Formula(formula);
    free_Formula(formula);
  }
}

}  // namespace
