// ipdlogic-lab's parts: the options and their messages, seed lists, the
// CSV and JSON text of arbitrary bytes, rows and the progress line.
#include <gtest/gtest.h>

#include "csv_rows.h"
#include "error.h"
#include "lab_options.h"
#include "progress.h"
#include "seed_list.h"
#include "text_bytes.h"
#include "usable_cores.h"

namespace {

Lab_Options parse(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "ipdlogic-lab");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  return parse_lab_options(static_cast<int>(argv.size()), argv.data());
}

template <typename Action>
std::string fatal_message_of(Action action) {
  try {
    action();
  } catch (const Fatal_Error& failure) {
    return failure.what();
  }
  return "";
}

std::string refusal(const std::vector<std::string>& arguments) {
  return fatal_message_of([&] { parse(arguments); });
}

}  // namespace

TEST(LabOptions, DefaultsAreThePrograms) {
  Lab_Options options = parse({});
  EXPECT_EQ(options.generations, 100);
  ASSERT_EQ(options.seeds.size(), 1u);
  EXPECT_EQ(options.seeds[0].first, 777);
  EXPECT_EQ(options.rounds, 50);
  EXPECT_EQ(options.payoffs.t, 5);
  EXPECT_EQ(options.payoffs.s, 0);
  EXPECT_EQ(options.mutation, 0.0);
  EXPECT_EQ(options.every, 1);
  EXPECT_TRUE(options.files.empty());
  EXPECT_TRUE(options.out.empty());
  EXPECT_TRUE(options.analysis);
  EXPECT_FALSE(parse({"--no-analysis"}).analysis);
}

TEST(LabOptions, ValuesInBothFormsAndFiles) {
  Lab_Options options = parse({"--rounds=100", "--payoffs", "1000,0,3,1", "a.txt", "--mutation", "0.25", "--noise=1",
                               "--every", "7", "--out", "x.csv", "--", "--b.txt", "-"});
  EXPECT_EQ(options.rounds, 100);
  EXPECT_EQ(options.payoffs.t, 1000);
  EXPECT_EQ(options.payoffs.p, 3);
  EXPECT_EQ(options.mutation, 0.25);
  EXPECT_EQ(options.noise, 1.0);
  EXPECT_EQ(options.every, 7);
  EXPECT_EQ(options.out, "x.csv");
  EXPECT_EQ(options.files, (std::vector<std::string>{"a.txt", "--b.txt", "-"}));
  EXPECT_EQ(parse({"--out", "-"}).out, "");
  // The seed converts as ipdlogic's -s does.
  EXPECT_EQ(parse({"--seed", "  -12abc"}).seeds[0].first, -12);
  EXPECT_EQ(parse({"--seed", "abc"}).seeds[0].first, 0);
  EXPECT_EQ(parse({"--seed", "99999999999"}).seeds[0].first, 2147483647);
}

TEST(LabOptions, BadValuesSayWhatIsAllowed) {
  EXPECT_EQ(refusal({"--rounds", "0"}), "--rounds: '0' is not a whole number from 1 to 100");
  EXPECT_EQ(refusal({"--rounds", "101"}), "--rounds: '101' is not a whole number from 1 to 100");
  EXPECT_EQ(refusal({"--rounds", "5x"}), "--rounds: '5x' is not a whole number from 1 to 100");
  EXPECT_EQ(refusal({"--rounds", "-5"}), "--rounds: '-5' is not a whole number from 1 to 100");
  EXPECT_EQ(refusal({"--random", "1"}), "--random: '1' is not a whole number from 2 to 100");
  EXPECT_EQ(refusal({"--random", "101"}), "--random: '101' is not a whole number from 2 to 100");
  EXPECT_EQ(refusal({"--generations", "0"}), "--generations: '0' is not a whole number from 1 to 1000000");
  EXPECT_EQ(refusal({"--generations", "99999999999999"}),
            "--generations: '99999999999999' is not a whole number from 1 to 1000000");
  EXPECT_EQ(refusal({"--every", ""}), "--every: '' is not a whole number from 1 to 1000000");
  const char* payoffs = "is not four whole numbers T,R,P,S from 0 to 1000";
  for (const char* bad : {"5,3,1", "5,3,1,0,0", "5,3,1,1001", "5,3,,0", "5;3;1;0", "-1,3,1,0", "5,3,1,0,"})
    EXPECT_EQ(refusal({"--payoffs", bad}), std::string("--payoffs: '") + bad + "' " + payoffs);
  for (const char* bad : {"1.5", "-0.1", "nan", "inf", "0.5x", " 0.5", ""})
    EXPECT_EQ(refusal({"--noise", bad}), std::string("--noise: '") + bad + "' is not a number from 0 to 1");
  EXPECT_EQ(refusal({"--mutation", "2"}), "--mutation: '2' is not a number from 0 to 1");
  EXPECT_EQ(refusal({"--rounds"}), "--rounds needs a value");
  EXPECT_EQ(refusal({"--rounds", "5", "--rounds", "6"}), "--rounds is given more than once");
  EXPECT_EQ(refusal({"--colour", "5"}), "unknown option --colour (see ipdlogic-lab --help)");
  EXPECT_EQ(refusal({"-r"}), "unknown option -r (see ipdlogic-lab --help)");
  EXPECT_EQ(refusal({"--seed", "1", "--seeds", "1-3"}), "--seed and --seeds cannot be given together");
  EXPECT_EQ(refusal({"--random", "10", "a.txt"}), "--random and formula files cannot be given together");
  EXPECT_EQ(refusal({"--out", ""}), "--out: the file name is empty");
  EXPECT_EQ(refusal({"--help=all"}), "--help takes no value");
}

TEST(LabOptions, JobsAreOneTo1024AndNeverMoreThanTheSeeds) {
  EXPECT_EQ(parse({"--jobs", "3", "--seeds", "1-10"}).jobs, 3);
  EXPECT_EQ(parse({"--jobs=1024", "--seeds", "0-5000"}).jobs, 1024);
  EXPECT_EQ(parse({"--jobs", "8", "--seeds", "4,9-10"}).jobs, 3);
  EXPECT_EQ(parse({"--jobs", "8"}).jobs, 1) << "the one default seed";
  // By default, the cores this process may use.
  EXPECT_EQ(parse({"--seeds", "1-2000"}).jobs, std::min(usable_cores(), 1024));
  EXPECT_GE(usable_cores(), 1);
  for (const char* bad : {"0", "1025", "-1", "x", "", "2.5", " 2", "99999999999"})
    EXPECT_EQ(refusal({"--jobs", bad}), std::string("--jobs: '") + bad + "' is not a whole number from 1 to 1024");
  EXPECT_EQ(refusal({"--jobs", "2", "--jobs", "2"}), "--jobs is given more than once");
}

TEST(LabOptions, TextFromTheCommandLineIsEscapedInMessages) {
  EXPECT_EQ(refusal({"--rounds", "\x1b[2J"}), "--rounds: '\\x1b[2J' is not a whole number from 1 to 100");
  EXPECT_EQ(refusal({"--noise", "0.5\n"}), "--noise: '0.5\\x0a' is not a number from 0 to 1");
  EXPECT_EQ(refusal({"--payoffs", "5,3,1,\xff"}),
            "--payoffs: '5,3,1,\\xff' is not four whole numbers T,R,P,S from 0 to 1000");
  EXPECT_EQ(refusal({"--seeds", "1,\x07"}).substr(0, 21), "--seeds: '1,\\x07' is ");
  EXPECT_EQ(refusal({"--r\xc3\xa9"}), "unknown option --r\\xc3\\xa9 (see ipdlogic-lab --help)");
}

TEST(LabOptions, HelpAndVersionEndTheReading) {
  EXPECT_TRUE(parse({"--help", "--bogus", "--rounds", "0"}).help);
  EXPECT_TRUE(parse({"--version", "--help"}).version);
  EXPECT_FALSE(parse({"--version", "--help"}).help);
  EXPECT_EQ(refusal({"--rounds", "0", "--help"}), "--rounds: '0' is not a whole number from 1 to 100")
      << "what comes before is read";
}

TEST(LabOptions, DynamicsAndTheirDefaults) {
  Lab_Options plain = parse({});
  EXPECT_EQ(plain.dynamics.selection, Selection::ROULETTE);
  EXPECT_EQ(plain.dynamics.elite, 0);
  EXPECT_EQ(plain.dynamics.crossover, 1.0);
  EXPECT_LT(plain.continuation, 0.0);
  EXPECT_FALSE(plain.until_fixed);
  Lab_Options tournament = parse({"--selection=tournament:7", "--elite", "3", "--crossover", "0.25", "--until-fixed"});
  EXPECT_EQ(tournament.dynamics.selection, Selection::TOURNAMENT);
  EXPECT_EQ(tournament.dynamics.tournament_size, 7);
  EXPECT_EQ(selection_text(tournament.dynamics), "tournament:7");
  EXPECT_EQ(tournament.dynamics.elite, 3);
  EXPECT_EQ(tournament.dynamics.crossover, 0.25);
  EXPECT_TRUE(tournament.until_fixed);
  EXPECT_EQ(selection_text(parse({"--selection", "moran"}).dynamics), "moran");
  // --continuation makes --rounds the cap, 100 unless given.
  Lab_Options drawn = parse({"--continuation", "0.9"});
  EXPECT_EQ(drawn.continuation, 0.9);
  EXPECT_EQ(drawn.rounds, 100);
  EXPECT_EQ(parse({"--rounds", "20", "--continuation", "0"}).rounds, 20);
  EXPECT_EQ(parse({"--continuation", "1", "--rounds", "7"}).rounds, 7);
}

TEST(LabOptions, BadDynamicsSayWhatIsAllowed) {
  const std::string selection = "' is not roulette, tournament:K with K a whole number from 2 to 100, or moran";
  for (const char* bad : {"", "Moran", "tournament", "tournament:", "tournament:1", "tournament:101", "tournament:2x",
                          "tournament:-3", "roulette:2"})
    EXPECT_EQ(refusal({"--selection", bad}), "--selection: '" + std::string(bad) + selection) << bad;
  EXPECT_EQ(refusal({"--elite", "100"}), "--elite: '100' is not a whole number from 0 to 99");
  EXPECT_EQ(refusal({"--crossover", "1.01"}), "--crossover: '1.01' is not a number from 0 to 1");
  EXPECT_EQ(refusal({"--continuation", "-0.5"}), "--continuation: '-0.5' is not a number from 0 to 1");
  EXPECT_EQ(refusal({"--until-fixed=yes"}), "--until-fixed takes no value");
  EXPECT_EQ(refusal({"--until-fixed", "--until-fixed"}), "--until-fixed is given more than once");
  EXPECT_EQ(refusal({"--selection", "moran", "--elite", "0"}),
            "--elite cannot be given with --selection moran: a Moran event replaces one player, not a generation");
  // What depends on the population is checked once it is known.
  Lab_Options options = parse({"--selection", "tournament:6", "--elite", "5"});
  EXPECT_EQ(fatal_message_of([&] { check_population_options(options, 5); }),
            "--selection: 'tournament:6' draws more players than the population of 5 holds: K is from 2 to 5");
  EXPECT_EQ(fatal_message_of([&] { check_population_options(parse({"--elite", "5"}), 5); }),
            "--elite: '5' is not below the population of 5: E is from 0 to 4");
  EXPECT_EQ(fatal_message_of([&] { check_population_options(options, 6); }), "");
  EXPECT_EQ(fatal_message_of([&] { check_population_options(parse({"--selection", "tournament:2"}), 1); }),
            "--selection: 'tournament:2' needs a population of 2 or more, not 1");
}

TEST(SeedList, ValuesAndRangesInTheOrderGiven) {
  std::vector<Seed_Range> seeds = parse_seed_list("10-20,1,5,0,2147483647");
  ASSERT_EQ(seeds.size(), 5u);
  EXPECT_EQ(seeds[0].first, 10);
  EXPECT_EQ(seeds[0].last, 20);
  EXPECT_EQ(seeds[4].last, 2147483647);
  EXPECT_EQ(count_seeds(seeds), 11 + 4);
  EXPECT_EQ(seeds.front().first, 10);
  EXPECT_EQ(seeds.back().last, 2147483647);
  EXPECT_EQ(count_seeds(parse_seed_list("0-2147483647")), 2147483648);
}

TEST(SeedList, RunsAreNumberedInTheOrderGiven) {
  const std::vector<Seed_Range> seeds = parse_seed_list("10-12,1,5-6,2147483647");
  std::vector<int32_t> listed;
  for (int64_t index = 0; index < count_seeds(seeds); ++index) listed.push_back(seed_at(seeds, index));
  EXPECT_EQ(listed, (std::vector<int32_t>{10, 11, 12, 1, 5, 6, 2147483647}));
  EXPECT_EQ(seed_at(parse_seed_list("0-2147483647"), 2147483647), 2147483647);
}

TEST(SeedList, BadListsAreRefused) {
  const std::string allowed =
      "' is not a list of seeds from 0 to 2147483647 and ranges FIRST-LAST, separated by commas, such as 1-1000 or "
      "1,5,10-20";
  for (const char* bad : {"", ",", "1,", ",1", "1-", "-5", "1-2-3", "a", "1..5", "1 ,2", "+3", "1-x"})
    EXPECT_EQ(fatal_message_of([&] { parse_seed_list(bad); }), "--seeds: '" + std::string(bad) + allowed) << bad;
  EXPECT_EQ(fatal_message_of([] { parse_seed_list("2147483648"); }), "--seeds: seed 2147483648 is beyond 2147483647");
  EXPECT_EQ(fatal_message_of([] { parse_seed_list("9-3"); }), "--seeds: the range 9-3 ends before it starts");
  EXPECT_EQ(fatal_message_of([] { parse_seed_list("1-10,20,5"); }), "--seeds: seed 5 is listed twice");
  EXPECT_EQ(fatal_message_of([] { parse_seed_list("8-12,1-9"); }), "--seeds: seed 8 is listed twice");
  EXPECT_EQ(fatal_message_of([] { parse_seed_list("3,3"); }), "--seeds: seed 3 is listed twice");
}

TEST(TextBytes, CsvFieldsReadBackToTheBytes) {
  EXPECT_EQ(csv_text_field("(Dcrp&(~Drcp))"), "\"(Dcrp&(~Drcp))\"");
  EXPECT_EQ(csv_text_field("D\"r,p"), "\"D\"\"r,p\"");
  EXPECT_EQ(csv_text_field("D\\cp"), "\"D\\\\cp\"");
  EXPECT_EQ(csv_text_field(std::string("D\x01\x7f", 3) + std::string(1, '\0')), "\"D\\x01\\x7F\\x00\"");
  EXPECT_EQ(csv_text_field("D\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80p"), "\"D\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80p\"");
  // Stray continuation bytes, an overlong form, a surrogate, a sequence cut short, beyond U+10FFFF.
  EXPECT_EQ(csv_text_field("\x80\xc0\xaf\xed\xa0\x80\xe2\x82\xf4\x90\x80\x80\xff"),
            "\"\\x80\\xC0\\xAF\\xED\\xA0\\x80\\xE2\\x82\\xF4\\x90\\x80\\x80\\xFF\"");
}

TEST(TextBytes, JsonStringsAreValidAndExact) {
  EXPECT_EQ(json_string("a \"b\" \\ c"), "\"a \\\"b\\\" \\\\ c\"");
  EXPECT_EQ(json_string(std::string("\n\t\x1f", 3)), "\"\\u000a\\u0009\\u001f\"");
  EXPECT_EQ(json_string("caf\xc3\xa9 \xff"), "\"caf\xc3\xa9 \\udcff\"");
}

TEST(CsvRows, OneRowPerPlayer) {
  std::string out;
  append_csv_row(out, -5, 99, 12, csv_text_field("Dcrp"), 1, Result{1, 2, 3, 4, 2147483647}, 7,
                 Lineage{12, NO_PARENT, NO_PARENT, false});
  EXPECT_EQ(out, "-5,99,12,\"Dcrp\",1,1,2,3,4,2147483647,7,12,,,0\n");
  // A copy has no second parent; a crossed child has both, even the same one twice.
  out.clear();
  append_csv_row(out, 1, 2, 3, csv_text_field("Drcp"), 1, Result{}, 100, Lineage{4000000000, 0, NO_PARENT, true});
  append_csv_row(out, 1, 2, 4, csv_text_field("Drcp"), 1, Result{}, 1, Lineage{4000000001, 5, 5, false});
  EXPECT_EQ(out, "1,2,3,\"Drcp\",1,0,0,0,0,0,100,4000000000,0,,1\n1,2,4,\"Drcp\",1,0,0,0,0,0,1,4000000001,5,5,0\n");
  EXPECT_EQ(std::string(CSV_HEADER),
            "seed,generation,player,formula,size,t,r,p,s,score,rounds,id,parent1,parent2,mutated\n");
  // The analysis columns come after the lineage, before the line's end.
  out.clear();
  append_csv_row(out, 1, 0, 0, csv_text_field("Dcrp"), 1, Result{}, 50, Lineage{0, NO_PARENT, NO_PARENT, false},
                 ",\"Dcrp\",1,tit_for_tat,0123456789abcdef");
  EXPECT_EQ(out, "1,0,0,\"Dcrp\",1,0,0,0,0,0,50,0,,,0,\"Dcrp\",1,tit_for_tat,0123456789abcdef\n");
  EXPECT_EQ(std::string(ANALYSIS_COLUMNS), ",simplified,simplified_size,plays_like,behaviour");
}

TEST(Progress, LineShowsRunsGenerationsAndTimes) {
  EXPECT_EQ(progress_line(0, 4, 50, 100, 10.0),
            "[##..................]  12%  run 1/4, generation 50/100, 0:10 elapsed, about 1:10 left");
  EXPECT_EQ(progress_line(3, 4, 100, 100, 3725.0),
            "[####################] 100%  run 4/4, generation 100/100, 1:02:05 elapsed");
  EXPECT_EQ(progress_line(0, 1, 0, 10, 0.0), "[....................]   0%  run 1/1, generation 0/10, 0:00 elapsed");
}
