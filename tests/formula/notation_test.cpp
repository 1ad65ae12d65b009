#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

#include "evolve/random_formula.h"
#include "formula/scope.h"
#include "number_text.h"
#include "test_support.h"

namespace {

struct Parse_Failure {
  std::string message;
  std::string diagnostics;  // what went to standard error before the error
};

Parse_Failure parse_failure(const std::string& text) {
  testing::internal::CaptureStderr();
  try {
    parse(text);
  } catch (const Fatal_Error& failure) {
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the reader writes nothing itself";
    return {failure.what(), failure.diagnostic};
  }
  testing::internal::GetCapturedStderr();
  return {"", ""};
}

const char* const NO_OPERANDS = "no atoms or operands (?) in the current scope";

}  // namespace

TEST(NotationReader, PrecedenceAndGrouping) {
  EXPECT_EQ(reprint("~~Drcp"), "(~(~Drcp))");
  EXPECT_EQ(reprint("Drcp&Dcrp&Dccp"), "((Drcp&Dcrp)&Dccp)");
  EXPECT_EQ(reprint("Drcp|Dcrp&Drcp-1"), "(Drcp|(Dcrp&Drcp-1))");
  EXPECT_EQ(reprint("Drcp&Dcrp|Drcp-1"), "((Drcp&Dcrp)|Drcp-1)");
  EXPECT_EQ(reprint("AxDxcp&Drcp"), "((AxDxcp)&Drcp)");
  EXPECT_EQ(reprint("~Drcp&Dcrp"), "((~Drcp)&Dcrp)");
  EXPECT_EQ(reprint("~AxDxcp"), "(~(AxDxcp))");
  EXPECT_EQ(reprint("Ax(~Dxcp)"), "(Ax(~Dxcp))");
  EXPECT_EQ(reprint("A'tDrct-1"), "(A'tDrct-1)");
  EXPECT_EQ(reprint("((Drcp))"), "Drcp");
  EXPECT_EQ(reprint("~(Drcp|Dcrp)&~~Dccp"), "((~(Drcp|Dcrp))&(~(~Dccp)))");
}

TEST(NotationReader, QuantifiersNestWithoutParentheses) {
  Tree tree = parse("E'sEd(Ddcs&Dcds-1)");
  ASSERT_EQ(tree->type, EXISTS_TIME);
  EXPECT_EQ(tree->variable, 's');
  ASSERT_EQ(tree->left->type, EXISTS_AGENT);
  EXPECT_EQ(tree->left->variable, 'd');
  Formula* conjunction = tree->left->left;
  ASSERT_EQ(conjunction->type, AND);
  EXPECT_EQ(conjunction->right->player1, COLUMN);
  EXPECT_EQ(conjunction->right->player2, 'd');
  EXPECT_EQ(conjunction->right->time, 's');
  EXPECT_EQ(conjunction->right->time_mod, -1);
}

TEST(NotationReader, AtomFields) {
  struct Case {
    const char* text;
    int32_t time;
    int32_t time_mod;
  } cases[] = {{"Drcp", PREV_TIME, 0}, {"Drcp-1", PREV_TIME, -1}, {"Drcp2", PREV_TIME, 2},
               {"Drct", 't', 0},       {"Drcx+2", 'x', 2},      {"Drc", 0, 0},
               {"Drc5", 0, 5},         {"Drc12", 0, 12},        {"Drc-1", 0, -1},
               {"Drcp1x", PREV_TIME, 1}, {"DrcpDcrp", PREV_TIME, 0}, {"Drc+", 0, 0}};
  for (const Case& c : cases) {
    Tree atom = parse(c.text);
    ASSERT_EQ(atom->type, DEFECTED) << c.text;
    EXPECT_EQ(atom->player1, ROW) << c.text;
    EXPECT_EQ(atom->player2, COLUMN) << c.text;
    EXPECT_EQ(atom->time, c.time) << c.text;
    EXPECT_EQ(atom->time_mod, c.time_mod) << c.text;
  }
  Tree swapped = parse("Dcrp");
  EXPECT_EQ(swapped->player1, COLUMN);
  EXPECT_EQ(swapped->player2, ROW);
  EXPECT_EQ(parse("Dxcp")->player1, 'x');
  EXPECT_EQ(parse("D!}p")->player1, '!');  // printable ASCII from '!'
  EXPECT_EQ(parse("D!}p")->player2, '}');
}

// Every byte but the stripped white space is formula text, taken by its
// unsigned code: NUL, control bytes, form feed and bytes above 127 too.
TEST(NotationReader, EveryByteIsFormulaText) {
  Tree latin = parse("E\xe9" "D\xe9" "cp");
  ASSERT_EQ(latin->type, EXISTS_AGENT);
  EXPECT_EQ(latin->variable, 0xe9);
  EXPECT_EQ(latin->left->player1, 0xe9);
  EXPECT_EQ(reprint("E\xe9" "D\xe9" "cp"), "(E\xe9" "D\xe9" "cp)");
  Tree nul = parse(std::string("A\0D\0cp", 7));
  EXPECT_EQ(nul->variable, 0);
  EXPECT_EQ(nul->left->player1, 0);
  EXPECT_EQ(reprint(std::string("A\0D\0cp", 7)), std::string("(A\0D\0cp)", 8));
  Tree control = parse("D\x01\x0cp\x7f");  // players 1 and 12; the offset stops at 0x7F
  EXPECT_EQ(control->player1, 1);
  EXPECT_EQ(control->player2, 12);
  EXPECT_EQ(control->time, PREV_TIME);
  EXPECT_EQ(control->time_mod, 0);
  EXPECT_EQ(parse("Drcp\f5")->time_mod, 5);  // the offset conversion skips a form feed
  EXPECT_EQ(parse("Drcp\v")->time_mod, 0);
  EXPECT_EQ(reprint("Drcp Dcrp"), "Drcp");  // a blank that reaches the reader is offset text
  // A letter of two UTF-8 bytes shifts the atom's fixed positions: agents
  // 0xC3 and 0xA9, time letter c.
  Tree utf8 = parse("D\xc3\xa9" "cp");
  EXPECT_EQ(utf8->player1, 0xc3);
  EXPECT_EQ(utf8->player2, 0xa9);
  EXPECT_EQ(utf8->time, 'c');
  EXPECT_EQ(parse("D\xff\xfep")->player1, 0xff);  // no byte aliases ROW, COLUMN or NO_AGENT
}

// Such bytes meet the same checks as any other text, in the same order.
TEST(NotationReader, BytesOutsidePrintableAsciiMeetTheUsualErrors) {
  Parse_Failure shifted = parse_failure("E\xc3\xa9" "D\xc3\xa9" "cp");  // the body starts with 0xA9
  EXPECT_EQ(shifted.message, NO_OPERANDS);
  EXPECT_EQ(shifted.diagnostics, "low = 2, high = 7\n");
  EXPECT_EQ(parse_failure("((\x01").message, "unbalanced parentheses in formula");
  EXPECT_EQ(parse_failure("&\x80").diagnostics, "low = 0, high = -1\n");
  EXPECT_EQ(parse_failure("(Drcp)\f").message, "text after ')' at position 5");
  EXPECT_EQ(parse_failure(std::string("D\0", 2)).message, "atom cut short at position 0");
}

TEST(NotationReader, OffsetsConvertWholeAndSaturate) {
  EXPECT_EQ(parse("Drcp1234567")->time_mod, 1234567);
  EXPECT_EQ(parse("Drcp999999999999999999999999999999")->time_mod, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(parse("Drc-999999999999999999999999999999")->time_mod, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(parse("Drc-2147483648")->time_mod, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(parse("Drc2147483648")->time_mod, std::numeric_limits<int32_t>::max());
}

TEST(NotationReader, ChanceAtoms) {
  EXPECT_EQ(parse("R0.5")->chance, 0.5);
  EXPECT_EQ(parse("R.25")->chance, 0.25);
  EXPECT_EQ(parse("R1")->chance, 1.0);
  EXPECT_EQ(parse("R")->chance, 0.0);
  EXPECT_EQ(parse("R2.5")->chance, 2.5);  // not required to be a probability
  // The printed form reads back: number text is not cut at six characters.
  EXPECT_EQ(parse("R0.500000")->chance, 0.5);
  EXPECT_EQ(parse("R0.123456")->chance, 0.123456);
  EXPECT_EQ(reprint("R0.5"), "R0.500000");
  EXPECT_EQ(reprint("R0.5&Drcp"), "(R0.500000&Drcp)");
  EXPECT_EQ(parse("R999999999999999999999999999999")->chance, 1e30);
  EXPECT_EQ(parse("R0x1p-2")->chance, 0.25);  // strtod's hexadecimal form
}

// Probabilities read as strtod reads them. Infinity is a probability above
// 1 like any other and prints and reads back as "inf". "Not a number" is a
// probability that no draw is below: the atom is never true. It prints as
// printf prints it, and all its spellings are one atom.
TEST(NotationReader, InfiniteAndNotANumberProbabilities) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(parse("Rinf")->chance, inf);
  EXPECT_EQ(parse("RINFINITY")->chance, inf);
  EXPECT_EQ(parse("R1e999")->chance, inf);  // overflow
  EXPECT_EQ(parse("R-inf")->chance, -inf);
  EXPECT_EQ(reprint("Rinf"), "Rinf");
  EXPECT_EQ(reprint("R-inf|R1e999"), "(R-inf|Rinf)");
  EXPECT_EQ(parse("R1e-999")->chance, 0.0);  // underflow
  for (const char* text : {"Rnan", "R-nan", "RNaN", "Rnan(7)", "R-NAN()"}) {
    EXPECT_TRUE(std::isnan(parse(text)->chance)) << text;
    EXPECT_TRUE(equal_Formula(parse(text).get(), parse("Rnan").get())) << text;
    EXPECT_EQ(hash_Formula(parse(text).get()), hash_Formula(parse("Rnan").get())) << text;
  }
  EXPECT_EQ(reprint("Rnan"), "Rnan");
  EXPECT_EQ(reprint("Drcp&~R-nan"), "(Drcp&(~R-nan))");
  EXPECT_FALSE(equal_Formula(parse("Rnan").get(), parse("R0").get()));
  EXPECT_EQ(parse("Rna")->chance, 0.0);  // no number at all
}

TEST(NotationReader, AcceptsWhatTheNotationLeavesLoose) {
  EXPECT_EQ(reprint("A1D1cp"), "(A1D1cp)");  // non-letter variable characters
  EXPECT_EQ(reprint("AqDzcp"), "(AqDzcp)");  // unbound letters
  EXPECT_EQ(reprint("(Drc)&Dcrp"), "(Drc0&Dcrp)");
  EXPECT_EQ(reprint("Drcx+2"), "Drcx2");
  EXPECT_EQ(reprint("Drcp0"), "Drcp");
  for (const char* text : {"Drc0", "Drc5", "Drc12", "Drc-1"}) EXPECT_EQ(reprint(text), text);
}

TEST(NotationReader, EmptyScopesReportTheirBounds) {
  struct Case {
    const char* text;
    const char* diagnostics;
  } cases[] = {{"&Drcp", "low = 0, high = -1\n"}, {"Drcp&", "low = 5, high = 4\n"},
               {"()", "low = 1, high = 0\n"},    {"", "low = 0, high = -1\n"},
               {"~", "low = 1, high = 0\n"},     {"Ax", "low = 2, high = 1\n"},
               {"A'x", "low = 3, high = 2\n"},   {"Drcp&drcp", "low = 5, high = 8\n"},
               {"Drcp|x", "low = 5, high = 5\n"}};
  for (const Case& c : cases) {
    Parse_Failure failure = parse_failure(c.text);
    EXPECT_EQ(failure.message, NO_OPERANDS) << c.text;
    EXPECT_EQ(failure.diagnostics, c.diagnostics) << c.text;
  }
}

TEST(NotationReader, RejectsIllFormedText) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"(Drcp", "unbalanced parentheses in formula"},
      {"Drcp)", "unbalanced parentheses in formula"},
      {")Drcp(", "unbalanced parentheses in formula"},
      {"(Drcp&(Dcrp)", "unbalanced parentheses in formula"},  // before any split
      {"&(Drcp", "unbalanced parentheses in formula"},
      {"(Drcp)Dcrp", "text after ')' at position 5"},
      {"(Drcp)(Dcrp)", "text after ')' at position 5"},
      {"D", "atom cut short at position 0"},
      {"Dr", "atom cut short at position 0"},
      {"Drcp&Dr", "atom cut short at position 5"},
      {"A", "quantifier cut short at position 0"},
      {"E", "quantifier cut short at position 0"},
      {"A'", "quantifier cut short at position 0"},
      {"Drcp|E'", "quantifier cut short at position 5"},
      {"Ax~Dxcp", "'~' after other characters at position 2"},
      {"Drcp~", "'~' after other characters at position 4"},
  };
  for (const Case& c : cases) {
    Parse_Failure failure = parse_failure(c.text);
    EXPECT_EQ(failure.message, c.message) << c.text;
    EXPECT_EQ(failure.diagnostics, "") << c.text;
  }
}

// Each error says what is wrong and where, for the explainer's findings.
TEST(NotationReader, ErrorsSayWhatAndWhere) {
  using F = Notation_Fault;
  const struct {
    std::string text;
    Notation_Fault fault;
    int32_t at;
  } cases[] = {
      {"(Drcp", F::UNBALANCED, 0},           {"Drcp)", F::UNBALANCED, 4},
      {"((Drcp)&(Dcrp", F::UNBALANCED, 8},   {"(Drcp)Dcrp", F::TEXT_AFTER_PARENTHESIS, 6},
      {"Drcp&Dr", F::ATOM_CUT_SHORT, 5},     {"Drcp|E'", F::QUANTIFIER_CUT_SHORT, 5},
      {"Ax~Dxcp", F::TILDE_AFTER_TEXT, 2},   {"Drcp&", F::EMPTY_SCOPE, 4},
      {"&Drcp", F::EMPTY_SCOPE, 0},          {"Drcp|&Dcrp", F::EMPTY_SCOPE, 5},
      {"Drcp&&Dcrp", F::EMPTY_SCOPE, 4},     {"Dcrp|~", F::EMPTY_SCOPE, 5},
      {"Drcp&A'x", F::EMPTY_SCOPE, 5},       {"(Dcrp|())", F::EMPTY_SCOPE, 6},
      {"", F::EMPTY_SCOPE, -1},              {"Drcp&drcp", F::WRONG_START, 5},
      {"Drcp&(x)", F::WRONG_START, 6},       {std::string(MAX_FORMULA_LENGTH + 1, '~'), F::TOO_LONG, -1},
  };
  for (const auto& c : cases) {
    try {
      parse(c.text);
      ADD_FAILURE() << c.text << " read";
    } catch (const Notation_Error& failure) {
      EXPECT_EQ(failure.fault, c.fault) << c.text;
      EXPECT_EQ(failure.at, c.at) << c.text;
    }
  }
}

// Spans come in preorder, one per node, without the parentheses around it.
TEST(NotationReader, RecordsWhereEachNodeStands) {
  std::vector<Node_Span> spans;
  Tree tree(parse_Formula("Ax(Dxcp&Drcp)|R0.5", spans));
  const std::pair<int32_t, int32_t> expected[] = {{0, 17}, {0, 12}, {3, 11}, {3, 6}, {8, 11}, {14, 17}};
  const Formula* nodes[] = {tree.get(), tree->left, tree->left->left, tree->left->left->left,
                            tree->left->left->right, tree->right};
  ASSERT_EQ(spans.size(), 6u);
  for (size_t i = 0; i < spans.size(); ++i) {
    EXPECT_EQ(spans[i].node, nodes[i]) << i;
    EXPECT_EQ(std::make_pair(spans[i].low, spans[i].high), expected[i]) << i;
  }
  EXPECT_EQ(offset_text_start("Drcp-1", 0, 5), 4);
  EXPECT_EQ(offset_text_start("DrcP-1", 0, 5), 3);  // no time letter
}

TEST(NotationReader, FirstErrorInReadingOrderWins) {
  // The left operand is read before the right one.
  EXPECT_EQ(parse_failure("(Drcp&Dr)|(&Drcp)").message, "atom cut short at position 6");
  EXPECT_EQ(parse_failure("(Drcp&Drcp)|(&Drcp)").diagnostics, "low = 13, high = 12\n");
}

TEST(NotationReader, LargeFlatAndDeepTextRead) {
  // 200,000 atoms, nearly 1 MiB of text, in about 0.1 s in a release build
  // (README's Limits section); not asserted here, where timing depends on
  // the build and the machine's load.
  std::string flat = "Drcp";
  for (int i = 1; i < 200000; ++i) flat += "&Drcp";
  std::string flat_or = flat;
  std::replace(flat_or.begin(), flat_or.end(), '&', '|');
  for (const std::string& text : {flat, flat_or}) {
    Tree tree = parse(text);
    EXPECT_EQ(size_Formula(tree.get()), 399999);
  }

  std::string deep = std::string(200000, '~') + std::string(200000, '(') + "Drcp" + std::string(200000, ')');
  Tree negations = parse(deep);
  EXPECT_EQ(size_Formula(negations.get()), 200001);
  std::string printed = format_Formula(negations.get());
  EXPECT_EQ(printed.size(), 200000 * 3 + 4);
}

TEST(NotationPrinter, PrintsEveryKind) {
  EXPECT_EQ(reprint("Ax(Dxcp&Dcxp)|Ey(~(Dryp&A'sE'tDrcs-2))"),
            "((Ax(Dxcp&Dcxp))|(Ey(~(Dryp&(A's(E'tDrcs-2))))))");
  Tree conjunction(new_Formula(AND));
  conjunction->left = new_Formula(DEFECTED);
  conjunction->left->player1 = ROW;
  conjunction->left->player2 = COLUMN;
  conjunction->left->time = PREV_TIME;
  EXPECT_EQ(format_Formula(conjunction.get()), "(Drcp&NULL)");
  EXPECT_EQ(format_Formula(nullptr), "NULL");
  // The time variable '{' of random formulae prints as that character.
  Tree atom = parse("Drcp");
  atom->time = '{';
  EXPECT_EQ(format_Formula(atom.get()), "Drc{");
}

TEST(NotationPrinter, UnknownKindCutsTheOutputAndFails) {
  Tree disjunction = parse("Drcp|Dcrp");
  disjunction->right->type = static_cast<Node_Kind>(42);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  std::string message = fatal_message([&] { print_Formula(disjunction.get()); });
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "(Drcp|");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "type = 42\nplayer1 = -3\nplayer2 = -2\ntime = -4\n");
  EXPECT_EQ(message, "Invalid contructor in formula (while printing)");
}

TEST(NotationPrinter, Listings) {
  Formula* formulae[2] = {parse("Drcp").release(), parse("~Dcrp").release()};
  testing::internal::CaptureStdout();
  print_Formulae(formulae, 0);
  print_Formulae(formulae, 2);
  std::fflush(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "0 -------------------------------------------\nDrcp\n\n"
            "1 -------------------------------------------\n(~Dcrp)\n\n");
  for (Formula* formula : formulae) free_Formula(formula);
}

// Printed text reads back as an equal tree for every tree that keeps to
// the printable limits: random trees with letters a to z as time variables.
TEST(NotationPrinter, PrintedFormReadsBack) {
  seed_random(4242);
  for (int i = 0; i < 2000; ++i) {
    Scope agents, times;
    init_variables(agents, times);
    Tree tree(random_Formula(agents, times));
    std::vector<Formula*> pending{tree.get()};
    while (!pending.empty()) {
      Formula* node = pending.back();
      pending.pop_back();
      if (!node) continue;
      if (node->time == '{') node->time = 'q';
      if (node->variable == '{') node->variable = 'q';
      pending.push_back(node->left);
      pending.push_back(node->right);
    }
    std::string printed = format_Formula(tree.get());
    Tree back = parse(printed);
    ASSERT_TRUE(equal_Formula(tree.get(), back.get())) << printed;
  }
}

// How much of a number's text the conversions take: the explainer points at
// the rest.
TEST(NumberText, ConversionsSayHowMuchTheyTake) {
  EXPECT_EQ(atoi_length("-1x"), 2u);
  EXPECT_EQ(atoi_length(" \f+5"), 4u);
  EXPECT_EQ(atoi_length("+"), 0u);
  EXPECT_EQ(atoi_length("Dcrp"), 0u);
  EXPECT_EQ(atoi_length(""), 0u);
  EXPECT_EQ(atof_length("0.5x"), 3u);
  EXPECT_EQ(atof_length("nan(7)x"), 6u);
  EXPECT_EQ(atof_length("1e999"), 5u);
  EXPECT_EQ(atof_length(std::string("0.5\0x", 5)), 3u);
  EXPECT_EQ(atof_length("x"), 0u);
}
