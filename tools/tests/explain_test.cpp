// The explainer's analyses: who binds each letter, what an atom's lookup
// reaches, how chance atoms and atoms read in words, and the sample games.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "bindings.h"
#include "explanation.h"
#include "formula/notation_reader.h"
#include "lint.h"
#include "notation_text.h"
#include "owned_tree.h"
#include "random_stream.h"
#include "reach.h"
#include "sample_play.h"
#include "source_map.h"
#include "walk.h"

namespace {

Tree parse(std::string_view text) { return Tree(parse_Formula(text)); }

struct Analysis {
  Tree tree;
  std::vector<Visit> visits;
  Bindings bindings;
};

Analysis analyse(std::string_view text) {
  Analysis analysis{parse(text), {}, {}};
  analysis.visits = preorder_Formula(analysis.tree.get());
  analysis.bindings = find_Bindings(analysis.visits);
  return analysis;
}

using Nodes = std::vector<int64_t>;

TEST(Bindings, InnerQuantifierOnABoundLetterBindsNothing) {
  // 1 A x, 2 and, 3 Dxcp, 4 A x, 5 Dxrp
  Analysis a = analyse("Ax(Dxcp&AxDxrp)");
  ASSERT_EQ(a.bindings.quantifiers.size(), 2u);
  EXPECT_EQ(a.bindings.quantifiers[0].shadowed_by, 0);
  EXPECT_EQ(a.bindings.quantifiers[0].atoms, (Nodes{3, 5}));
  EXPECT_EQ(a.bindings.quantifiers[1].shadowed_by, 1);
  EXPECT_TRUE(a.bindings.quantifiers[1].atoms.empty());
  EXPECT_TRUE(a.bindings.free_letters.empty());
}

TEST(Bindings, ScopeEndsWithTheQuantifiersBody) {
  // 1 or, 2 or, 3 A x, 4 Dxcp, 5 Dxcp, 6 A x, 7 Dcxp
  Analysis a = analyse("(AxDxcp)|Dxcp|AxDcxp");
  ASSERT_EQ(a.bindings.quantifiers.size(), 2u);
  EXPECT_EQ(a.bindings.quantifiers[0].atoms, (Nodes{4}));
  EXPECT_EQ(a.bindings.quantifiers[1].shadowed_by, 0) << "a sibling does not shadow";
  EXPECT_EQ(a.bindings.quantifiers[1].atoms, (Nodes{7}));
  ASSERT_EQ(a.bindings.free_letters.size(), 1u);
  EXPECT_EQ(a.bindings.free_letters[0].atoms, (Nodes{5}));
}

TEST(Bindings, AgentAndTimeFamiliesAreSeparate) {
  // The agent x and the time x are different variables.
  Analysis a = analyse("AxA'xDxcx|Dxrp");
  ASSERT_EQ(a.bindings.quantifiers.size(), 2u);
  EXPECT_EQ(a.bindings.quantifiers[0].atoms, (Nodes{4}));
  EXPECT_EQ(a.bindings.quantifiers[1].atoms, (Nodes{4}));
  EXPECT_EQ(a.bindings.quantifiers[1].shadowed_by, 0);
  EXPECT_EQ(a.bindings.terms[4].time.kind, TERM_BOUND);
  ASSERT_EQ(a.bindings.free_letters.size(), 1u);
  EXPECT_FALSE(a.bindings.free_letters[0].over_time);
  EXPECT_EQ(a.bindings.free_letters[0].letter, 'x');
}

TEST(Bindings, ReservedLettersAreNeverVariables) {
  Analysis a = analyse("ArAcA'p(Drcp&Dcrp)");
  ASSERT_EQ(a.bindings.quantifiers.size(), 3u);
  for (const Quantifier_Binding& q : a.bindings.quantifiers) EXPECT_TRUE(q.atoms.empty());
  EXPECT_TRUE(a.bindings.free_letters.empty());
}

TEST(Bindings, FreeLettersListAgentsThenTimesByCode) {
  Analysis a = analyse("Dyrz|Dxct|Dyrp");
  ASSERT_EQ(a.bindings.free_letters.size(), 4u);
  EXPECT_EQ(a.bindings.free_letters[0].letter, 'x');
  EXPECT_EQ(a.bindings.free_letters[1].letter, 'y');
  EXPECT_EQ(a.bindings.free_letters[1].atoms, (Nodes{3, 5}));
  EXPECT_TRUE(a.bindings.free_letters[2].over_time);
  EXPECT_EQ(a.bindings.free_letters[2].letter, 't');
  EXPECT_EQ(a.bindings.free_letters[3].letter, 'z');
}

TEST(Bindings, AbsoluteTimeIsNoFreeLetter) {
  Analysis plain = analyse("Drc0");
  EXPECT_TRUE(plain.bindings.free_letters.empty());
  EXPECT_NE(plain.bindings.terms[1].time.kind, TERM_BOUND);
}

std::string reach(std::string_view text) {
  Analysis a = analyse(text);
  const Visit& atom = a.visits.back();
  return reach_of_atom(*atom.node, a.bindings.terms[a.visits.size()]);
}

TEST(Reach, ThePastIsNotListed) {
  for (const char* text : {"Drcp", "Drcp-5", "Drc-1", "E'sDcrs", "E'sDcrs-1", "Dcrz-200", "Drrp1", "Dccp2"})
    EXPECT_EQ(reach(text), "") << text;
}

TEST(Reach, RelativeToThePreviousRound) {
  EXPECT_EQ(reach("Dcrp1").rfind("the current round", 0), 0u);
  EXPECT_EQ(reach("Dcrp2").rfind("a later round", 0), 0u);
}

TEST(Reach, RelativeToABoundTime) {
  EXPECT_NE(reach("E'sDcrs1").find("in round 0, where the time variable is -1"), std::string::npos);
  EXPECT_NE(reach("E'sDcrs2").find("the current round or a later one"), std::string::npos);
}

TEST(Reach, AbsoluteTimesAndUnboundLetters) {
  EXPECT_EQ(reach("Drc0").rfind("round 0: in round 0 the current round", 0), 0u);
  EXPECT_EQ(reach("Drc0").find("before it"), std::string::npos);
  EXPECT_NE(reach("Drc49").find("before it a round not yet played"), std::string::npos);
  EXPECT_EQ(reach("Drc50").rfind("time 50, beyond the last round (49)", 0), 0u);
  EXPECT_EQ(reach("Dcrz").rfind("time 122, beyond", 0), 0u);
  EXPECT_EQ(reach("Dcrz-100").rfind("round 22:", 0), 0u);
}

TEST(Words, AtomsReadAsSentences) {
  auto words = [](const char* text) { return describe_atom(*parse(text)); };
  EXPECT_EQ(words("Dcrp"), "the opponent defected against me in the previous round");
  EXPECT_EQ(words("Drcp-1"), "I defected against the opponent 2 rounds ago");
  EXPECT_EQ(words("Dcrp-3"), "the opponent defected against me 4 rounds ago");
  EXPECT_EQ(words("Dcrp1"), "the opponent defected against me in the current round");
  EXPECT_EQ(words("Dcrp4"), "the opponent defected against me 3 rounds from now");
  EXPECT_EQ(words("Dxcs+1"), "x defected against the opponent at time s+1");
  EXPECT_EQ(words("Drc-2"), "I defected against the opponent at time -2, before round 0");
  EXPECT_NE(words("Dxxp").find("never true"), std::string::npos);
}

TEST(Words, LettersOutsidePrintableAsciiAreEscaped) {
  EXPECT_EQ(letter_text('x'), "x");
  EXPECT_EQ(letter_text(0), "\\x00");
  EXPECT_EQ(letter_text(' '), "\\x20");
  EXPECT_EQ(letter_text(200), "\\xc8");
  EXPECT_EQ(escaped_text(std::string("D\x01rp", 4)), "D\\x01rp");
}

TEST(Outline, DeepNodesShowTheirDepthInsteadOfMoreIndentation) {
  Tree deep = parse(std::string(50, '~') + "Drcp");
  std::string text = explain_Formula(deep.get());
  EXPECT_NE(text.find("    41  " + std::string(80, ' ') + "not\n"), std::string::npos);
  EXPECT_NE(text.find("    42  " + std::string(80, ' ') + "[depth 41] not\n"), std::string::npos);
  EXPECT_NE(text.find("    51  " + std::string(80, ' ') + "[depth 50] Drcp"), std::string::npos);
}

std::string library_text(const std::string& name) {
  std::ifstream file(std::string(STRATEGIES_DIR) + "/" + name);
  std::stringstream text;
  text << file.rdbuf();
  return strip_white_space(text.str());
}

TEST(SamplePlay, OpponentsAreTheLibrarysStrategies) {
  EXPECT_EQ(library_text("always_cooperate.txt"), sample_opponents[0].notation);
  EXPECT_EQ(library_text("always_defect.txt"), sample_opponents[1].notation);
  EXPECT_EQ(library_text("tit_for_tat.txt"), sample_opponents[2].notation);
}

TEST(SamplePlay, EveryGameStartsFromTheDefaultSeed) {
  Tree chance = parse("R0.5");
  std::string first = sample_moves(chance.get(), sample_opponents[0]);
  EXPECT_EQ(sample_moves(chance.get(), sample_opponents[1]), first);
  EXPECT_EQ(first.size(), static_cast<size_t>(SAMPLE_MOVES));
}

TEST(SamplePlay, TheOpponentDecidesAfterTheStrategy) {
  // Player 1 has not decided yet when player 0 reads the current round.
  Tree current = parse("Dcrp1");
  EXPECT_EQ(sample_moves(current.get(), sample_opponents[0]), std::string(SAMPLE_MOVES, 'D'));
  // Tit for tat copies the previous round: C first, then the other's last move.
  Tree copy = parse("Dcrp");
  EXPECT_EQ(sample_moves(copy.get(), sample_opponents[1]), "C" + std::string(SAMPLE_MOVES - 1, 'D'));
}

}  // namespace

TEST(SourceMap, LinesAndColumnsCountBytesOfTheFileAsWritten) {
  const std::string raw = "Drcp |\r\n\t& Dcrp";
  const Source_Map map = map_Source(raw);
  ASSERT_EQ(map.raw_of.size(), std::string("Drcp|&Dcrp").size());
  EXPECT_EQ(map.raw_of[4], 5);  // "|"
  EXPECT_EQ(map.raw_of[5], 9);  // "&", after the line end and a tab
  EXPECT_EQ(locate(map, 9).line, 2);
  EXPECT_EQ(locate(map, 9).column, 2);
  EXPECT_EQ(locate(map, 0).line, 1);
  EXPECT_EQ(locate(map, 0).column, 1);
  EXPECT_EQ(locate(map, 8).column, 1) << "the first byte after a line end";
  EXPECT_EQ(quote_line(raw, 9), "    \t& Dcrp\n    \t^\n") << "a tab stays a tab above the caret";
  EXPECT_EQ(quote_line(raw, 5), "    Drcp |\n         ^\n") << "the carriage return is not shown";
}

TEST(SourceMap, QuotedLinesEscapeBytesAndShowAWindowOfLongLines) {
  EXPECT_EQ(quote_line("D\x01\x02p", 2), "    D\\x01\\x02p\n         ^\n");
  const std::string long_line = std::string(100, '~') + "D" + std::string(100, '~');
  const std::string quoted = quote_line(long_line, 100);
  EXPECT_EQ(quoted, "    ..." + std::string(60, '~') + "D" + std::string(60, '~') + "...\n       " +
                        std::string(60, ' ') + "^\n");
  EXPECT_EQ(quote_line("", 0), "    \n    ^\n");
}

TEST(Lint, BytesOfAUtf8LetterAreOneWarning) {
  const std::vector<Finding> found = byte_Warnings("E\xc3\xa9 D\xe2\x82\xac\xc3 \x0c");
  ASSERT_EQ(found.size(), 4u);
  EXPECT_EQ(found[0].offset, 1);
  EXPECT_NE(found[0].message.find("U+00E9 is 2 bytes"), std::string::npos) << found[0].message;
  EXPECT_EQ(found[1].offset, 5);
  EXPECT_NE(found[1].message.find("U+20AC is 3 bytes"), std::string::npos) << found[1].message;
  EXPECT_EQ(found[2].message.rfind("byte 0xC3 is not printable ASCII", 0), 0u) << "a lead byte alone";
  EXPECT_EQ(found[3].message.rfind("form feed", 0), 0u);
  EXPECT_TRUE(byte_Warnings("Drcp\t&\r\n Dcrp ~").empty());
}

TEST(Lint, BytesOfAnInvalidSequenceAreEachAWarning) {
  // An overlong "/", a surrogate, a code point beyond U+10FFFF: no letter, so each byte is one.
  for (const char* invalid : {"\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80"}) {
    const std::vector<Finding> found = byte_Warnings(invalid);
    ASSERT_EQ(found.size(), 3u) << invalid;
    for (int64_t at = 0; at < 3; ++at) {
      EXPECT_EQ(found[at].offset, at);
      EXPECT_EQ(found[at].message.rfind("byte 0x", 0), 0u) << found[at].message;
    }
  }
}

TEST(Lint, WarningsStandWhereTheirTextStands) {
  const std::string text = "Dcrp-1x|DrcpDcrp|R2|A'pDrcp|Drc+5";
  std::vector<Node_Span> spans;
  Tree tree(parse_Formula(text, spans));
  const Source_Map map = map_Source(text);
  std::vector<Finding> found = formula_Warnings(tree.get(), spans, map, text);
  std::vector<int64_t> offsets;
  for (const Finding& finding : found) offsets.push_back(finding.offset);
  std::sort(offsets.begin(), offsets.end());
  // "x" of the offset; "Dcrp" read as an offset; R2; A'p; nothing for Drc+5.
  EXPECT_EQ(offsets, (std::vector<int64_t>{6, 12, 17, 20}));
}
