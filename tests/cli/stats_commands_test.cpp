// The statistics commands of vandro-cli over data files in a temporary
// directory. Reference values of the distributions are R's (qt, pf, qchisq,
// pnorm), rounded as the calculator shows them.
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace vandro::cli {
namespace {

namespace fs = std::filesystem;

using testing::Outcome;
using testing::RunVandro;

class StatsCommands : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() /
        ("vandro-stats-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes content to a file of the temporary directory; returns its path.
  std::string File(const std::string& name, const std::string& content) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  fs::path dir_;
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(StatsCommands, StatsPrintsTheGridWithUnitsConvertedToTheFirstCell) {
  const std::string file = File("a.tsv", "Weight\tName\n"
                                         "12.5 [kg]\talpha\n"
                                         "14 [kg]\tbeta\n"
                                         "13000 [g]\talpha\n"
                                         "15 [kg]\t\n");
  const Outcome result = RunVandro({"stats", "--file", file});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  const std::string expected[] = {
      "Statistics \\ Series\tWeight\tName\n",
      "Count\t4\t3\n",
      "Mean\t13.625 [kg]\t n/a \n",
      "Min\t12.5 [kg]\talpha\n",
      "Max\t15 [kg]\tbeta\n",
      "Median\t13.5 [kg]\tn/a\n",
      "Mode\tn/a\talpha\n",
  };
  for (const std::string& line : expected)
    EXPECT_TRUE(Has(result.out, line)) << line << "\nin\n" << result.out;
}

TEST_F(StatsCommands, SeparatorsAndUtf8NamesRoundTrip) {
  // "Масса" in UTF-8: the file, the argument and the output are all UTF-8.
  const std::string name = "\xD0\x9C\xD0\xB0\xD1\x81\xD1\x81\xD0\xB0";
  struct Case {
    std::string sep, separator;
  };
  const Case cases[] = {{"comma", ","}, {"semicolon", ";"}, {"tab", "\t"}, {"::", "::"}};
  for (const Case& c : cases) {
    const std::string file = File("s.txt", "\xEF\xBB\xBF" + name + c.separator + "B\r\n1" +
                                               c.separator + "2\r\n3" + c.separator + "4\r\n\r\n");
    const Outcome result = RunVandro(
        {"histogram", "--file", file, "--sep", c.sep, "--series", name, "--intervals", "2"});
    ASSERT_EQ(kExitOk, result.status) << c.sep << ": " << result.err;
    EXPECT_EQ("Label\tLow\tHigh\tCount\n1\t1\t2\t1\n2\t2\t3\t1\n", result.out) << c.sep;
  }
}

TEST_F(StatsCommands, BadDataFilesNameTheFileLineAndColumn) {
  struct Case {
    const char* what;
    std::string content;
    std::vector<std::string> parts; // in the message
  };
  const Case cases[] = {
      {"ragged row", "a\tb\n1\t2\n3\n", {"line 3", "1 cells where the header has 2"}},
      {"text in a numeric series", "a\tb\n1\t2\n3\tabc\n", {"line 3, column 2 (b)", "\"abc\""}},
      {"unit of another quantity", "a\n1 [kg]\n2 [m]\n", {"line 3, column 1 (a)", "\"2 [m]\""}},
      {"hole in a series", "a\tb\n1\t2\n\t4\n5\t6\n", {"line 3, column 1 (a)", "empty"}},
      {"repeated name", "a\tA\n1\t2\n", {"line 1, column 2", "already in column 1"}},
      {"empty name", "a\t\n1\t2\n", {"line 1, column 2", "name is empty"}},
      {"series without values", "a\tb\n1\t\n", {"column 2 (b)", "no values"}},
      {"empty file", "\n\n", {"empty"}},
      {"not UTF-8", "a\n\xFF\n", {"line 2"}},
      {"blank line inside", "a\tb\n1\t2\n\n3\t4\n", {"line 3", "1 cells where the header has 2"}},
      {"blank header", "\na\n1\n", {"line 1, column 1", "name is empty"}},
      {"line too long",
       "a\n1\n" + std::string(size_t{2} << 20, '7') + "\n",
       {"line 3", "longer than 1048576 characters"}},
  };
  for (const Case& c : cases) {
    const std::string file = File("bad.tsv", c.content);
    const Outcome result = RunVandro({"stats", "--file", file});
    EXPECT_EQ(kExitFailed, result.status) << c.what;
    EXPECT_TRUE(result.out.empty()) << c.what;
    EXPECT_TRUE(Has(result.err, file)) << c.what << ": " << result.err;
    for (const std::string& part : c.parts)
      EXPECT_TRUE(Has(result.err, part)) << c.what << ": " << result.err;
  }
  const Outcome missing = RunVandro({"stats", "--file", (dir_ / "none.tsv").string()});
  EXPECT_EQ(kExitFailed, missing.status);
  EXPECT_TRUE(Has(missing.err, "cannot open")) << missing.err;
}

TEST_F(StatsCommands, WrongUsageExitsWithTwo) {
  const std::string file = File("d.tsv", "a\tb\n1\t2\n2\t3\n3\t5\n");
  const std::vector<std::string> cases[] = {
      {"stats"},
      {"stats", "--file"},
      {"stats", "--file", file, "--file", file},
      {"stats", "--file", file, "extra"},
      {"stats", "--file", file, "--sep", ""},
      {"stats", "--project", "p.vdp"},
      {"stats", "--file", file, "--project", "p.vdp", "--series", "a=1"},
      {"stats", "--project", "p.vdp", "--sep", "comma", "--series", "a=1"},
      {"correlate", "--file", file, "--series", "a=1"},
      {"stats", "--project", "p.vdp", "--series", "a"},
      {"stats", "--project", "p.vdp", "--series", "=1"},
      {"stats", "--project", "p.vdp", "--series", "a=1", "--series", "A=2"},
      {"correlate", "--objects", "x", "--params", "a,b"},
      {"histogram", "--project", "p.vdp", "--series", "a=1", "--series", "b=2"},
      {"regress", "--file", file, "--objects", "x", "--params", "a,b", "--dependent", "a"},
      {"regress", "--project", "p.vdp", "--objects", "x", "--dependent", "a"},
      {"regress", "--project", "p.vdp", "--params", "a,b", "--dependent", "a"},
      {"regress", "--project", "p.vdp", "--objects", "x", "--params", "a,,b", "--dependent", "a"},
      {"cluster", "--project", "p.vdp", "--objects", "x", "--series", "a=1", "--params", "a"},
      {"cluster", "--project", "p.vdp", "--objects", "x", "--calc", "x2"},
      {"cluster", "--project", "p.vdp", "--objects", "x", "--params", "a", "--weights", "1,2"},
      {"dist"},
      {"dist", "Normal"},
      {"dist", "Normal", "--x", "1", "--p", "0.5"},
      {"dist", "Weibull", "--x", "1"},
      {"dist", "L", "--x", "1"}, // Lognormal or Logistic
      {"dist", "Normal", "--p", "1.5"},
      {"dist", "Normal", "--x", "one"},
      {"dist", "Chi-square", "--x", "1", "--df1", "3"},
      {"test", "--file", file},
      {"test", "u", "--file", file},
      {"test", "t", "--file", file, "--no-yates"},
      {"histogram", "--file", file},
      {"histogram", "--file", file, "--series", "a", "--intervals", "25"},
      {"histogram", "--file", file, "--series", "a", "--intervals", "3.5"},
      {"regress", "--file", file},
      {"regress", "--file", file, "--dependent", "a", "--alpha", "2"},
      {"cluster", "--file", file, "--distance", "cosine"},
      {"cluster", "--file", file, "--weights", "1,x"},
      {"cluster", "--file", file, "--weights", "1,-1"},
      {"cluster", "--file", file, "--weights", "1"},
  };
  for (const auto& args : cases) {
    const Outcome result = RunVandro(args);
    std::string line;
    for (const auto& word : args)
      line += word + " ";
    EXPECT_EQ(kExitUsage, result.status) << line << "\n" << result.out << result.err;
    EXPECT_TRUE(Has(result.err, "Usage: vandro-cli " + args.front())) << line << result.err;
  }
}

TEST_F(StatsCommands, DistMatchesReferenceValues) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"dist", "Normal", "--x", "1.96"},
       "X:\t1.96\nP ( x > X ):\t0.024998\n1 - P:\t0.975002\nMean:\t0\nStd.dev.:\t1\n"},
      // qt(0.975, 10); "10" is a whole value on the command line.
      {{"dist", "student", "--p", "0.05", "--df", "10"},
       "X:\t2.228139\nP ( x > X ):\t0.05\n1 - P:\t0.95\nDF:\t10\n"},
      // pf(2, 3, 20, lower.tail = FALSE)
      {{"dist", "F", "--x", "2", "--df", "3", "--df1", "20"},
       "X:\t2\nP ( x > X ):\t0.146439\n1 - P:\t0.853561\nDF1:\t3\nDF2:\t20\n"},
      // qchisq(0.95, 100)
      {{"dist", "chi", "--p1", "0.95", "--df", "100"},
       "X:\t124.342113\nP ( x > X ):\t0.05\n1 - P:\t0.95\nShape:\t100\n"},
      {{"dist", "Exponential", "--x", "1"},
       "X:\t1\nP ( x > X ):\t0.367879\n1 - P:\t0.632121\nScale:\t1\n"},
  };
  for (const Case& c : cases) {
    const Outcome result = RunVandro(c.args);
    EXPECT_EQ(kExitOk, result.status) << c.args[1] << result.err;
    EXPECT_EQ(c.out, result.out) << c.args[1];
  }
}

TEST_F(StatsCommands, Tests) {
  std::string counts = "A\tB\n";
  for (int i = 0; i < 30; ++i)
    counts += std::string(i < 10 ? "yes" : "no") + "\t" + (i < 20 ? "yes" : "no") + "\n";
  const std::string table = File("counts.tsv", counts);
  const std::string same = File("same.tsv", "x\ty\n1\t1\n2\t2\n4\t4\n");
  const std::string mixed = File("mixed.tsv", "x\ty\n1\ta\n2\tb\n");

  // A 2 x 2 table (10, 20), (20, 10) without Yates: chi-square 6.667, pchisq(20/3, 1).
  Outcome result = RunVandro({"test", "chi2", "--file", table, "--no-yates"});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(Has(result.out, "Chi-Square Statistic Value:\t6.666667\n"
                              "P value (probability of H0 to be true):\t0.009823\n"))
      << result.out;
  EXPECT_TRUE(Has(result.out, "Series\\Outcomes\tYES\tNO\tTotal\nA\t10\t20\t30\nB\t20\t10\t30\n"))
      << result.out;

  // Identical series: no effect, and an interval around 0 of half-width
  // qt(0.975, 4) * sqrt(7/3) * sqrt(2/3).
  result = RunVandro({"test", "t", "--file", same});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_EQ("t Statistic Value:\t0\nP value (probability of H0 to be true):\t1\n"
            "1-P (Probability of H0 to be rejected):\t0\n"
            "Cohen's d:\t0\n"
            "95% confidence interval of the difference:\t[-3.462835, 3.462835]\n",
            result.out);

  // t.test(x, y) of R: t = 4.0805, df = 12.599, p-value = 0.001383,
  // 95 percent confidence interval 0.4144263 1.3534309.
  const std::string unequal = File("unequal.tsv", "x\ty\n5.1\t4.2\n4.9\t4.8\n6.2\t5.0\n5.8\t4.6\n"
                                                  "6.0\t5.2\n5.5\t4.4\n5.3\t4.9\n6.1\t\n");
  result = RunVandro({"test", "welch", "--file", unequal});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_EQ("t Statistic Value:\t4.080517\nP value (probability of H0 to be true):\t0.001383\n"
            "1-P (Probability of H0 to be rejected):\t0.998617\n"
            "Degrees of freedom:\t12.59876\n"
            "Cohen's d:\t2.089494\n"
            "95% confidence interval of the difference:\t[0.414426, 1.353431]\n",
            result.out);
  result = RunVandro({"test", "welch", "--file", unequal, "--no-yates"});
  EXPECT_EQ(kExitUsage, result.status);
  result = RunVandro({"test", "welch", "--file", mixed});
  EXPECT_EQ(kExitFailed, result.status);
  EXPECT_TRUE(Has(result.err, "Series y should be numeric")) << result.err;

  result = RunVandro({"test", "t", "--file", mixed});
  EXPECT_EQ(kExitFailed, result.status);
  EXPECT_TRUE(Has(result.err, "Series y should be numeric")) << result.err;
  EXPECT_TRUE(result.out.empty());
}

// The chicks of four diets, 16, 10, 10 and 9 of them: every value counts
// (R: F = 4.655 on 3 and 41 degrees of freedom, P = 0.0069; Welch's F 4.662
// on 3 and 20.59, P = 0.0122).
TEST_F(StatsCommands, AnovaUsesSeriesOfAnySize) {
  const std::string diets[] = {"205 215 202 157 223 157 305 98 124 175 205 96 266 142 157 117",
                               "331 167 175 74 265 251 192 233 309 150",
                               "256 305 147 341 373 220 178 290 272 321",
                               "204 281 200 196 238 205 322 237 264"};
  std::vector<std::vector<std::string>> columns;
  for (const std::string& diet : diets) {
    std::istringstream in(diet);
    columns.emplace_back();
    for (std::string weight; in >> weight;)
      columns.back().push_back(weight + " [g]");
  }
  std::string text = "Diet 1\tDiet 2\tDiet 3\tDiet 4\n";
  for (size_t row = 0; row < 16; ++row)
    for (size_t c = 0; c < 4; ++c)
      text += (row < columns[c].size() ? columns[c][row] : "") + (c == 3 ? "\n" : "\t");
  const std::string file = File("chicks.tsv", text);

  Outcome result = RunVandro({"test", "anova", "--file", file});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  for (const char* line :
       {"F Statistic Value:\t4.654713\nP value (probability of H0 to be true):\t0.006858\n",
        "Degrees of freedom:\t41\n",
        "Between groups\t57164.2222222222 [(g)^2]\t3\t19054.7407407407 [(g)^2]\t4.654713\t"
        "0.006858\n",
        "Welch's ANOVA\t\t3, 20.5939\t\t4.661823\t0.012189\n",
        "Tukey HSD (95%)\nPair\tDifference\tLower\tUpper\tP adjusted\n",
        "Diet 3 - Diet 1\t92.55 [g]\t23.489355 [g]\t161.610645 [g]\t0.004696\n"})
    EXPECT_TRUE(Has(result.out, line)) << line << "\nin\n" << result.out;
  result = RunVandro({"test", "welch-anova", "--file", file});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(Has(result.out, "F Statistic Value:\t4.661823\nP value (probability of H0 to be "
                              "true):\t0.012189\n"))
      << result.out;
  EXPECT_TRUE(Has(result.out, "Degrees of freedom:\t20.5939\n")) << result.out;
}

TEST_F(StatsCommands, Correlate) {
  const std::string file = File("c.tsv", "a\tb\tc\n1\t2\t5\n2\t4\t5\n3\t6\t5\n4\t8\t5\n");
  const Outcome result = RunVandro({"correlate", "--file", file});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(
      Has(result.out, "Correlations (Pearson)\nSeries\tr\tr-square\t | t | \tP(no trend)\n"))
      << result.out;
  EXPECT_TRUE(Has(result.out, "a : b\t1\t1\tINF\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "a : c\t0\t0\t0\t0\n")) << result.out;
  // The constant series is reported, and the matrix is printed all the same.
  EXPECT_TRUE(Has(result.err, "Error calculating correlation: element [0, 2]")) << result.err;

  const Outcome one = RunVandro({"correlate", "--file", File("one.tsv", "a\tn\n1\tx\n2\ty\n")});
  EXPECT_EQ(kExitFailed, one.status);
  EXPECT_TRUE(Has(one.err, "At least two numeric series should be defined")) << one.err;
}

TEST_F(StatsCommands, Histogram) {
  std::string content = "v\tname\n";
  for (int i = 0; i <= 10; ++i)
    content += std::to_string(i) + "\tn" + std::to_string(i) + "\n";
  const std::string file = File("h.tsv", content);
  Outcome result = RunVandro({"histogram", "--file", file, "--series", "V"});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  // The last interval holds both 9 and the maximum 10.
  EXPECT_TRUE(Has(result.out, "Label\tLow\tHigh\tCount\n0\t0\t1\t1\n")) << result.out;
  EXPECT_TRUE(Has(result.out, "\n9\t9\t10\t2\n")) << result.out;

  result = RunVandro({"histogram", "--file", file, "--series", "name"});
  EXPECT_EQ(kExitFailed, result.status);
  EXPECT_TRUE(Has(result.err, "Series should be numeric")) << result.err;

  result = RunVandro({"histogram", "--file", file, "--series", "w"});
  EXPECT_EQ(kExitFailed, result.status);
  EXPECT_TRUE(Has(result.err, "no series w in the file (it has v, name)")) << result.err;
}

TEST_F(StatsCommands, Regress) {
  // y = 2 + 3x exactly, and a predictor of noise that elimination drops.
  const std::string exact = File("r.tsv", "y [kg]\tx\tz\n"
                                          "5 [kg]\t1\t0.3\n"
                                          "8 [kg]\t2\t-0.2\n"
                                          "11 [kg]\t3\t0.1\n"
                                          "14 [kg]\t4\t0.4\n"
                                          "17 [kg]\t5\t-0.3\n");
  Outcome result = RunVandro({"regress", "--file", exact, "--dependent", "y [kg]"});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(Has(result.out, "Parameter\tCoefficient(B)\tStd.Error of B\t| t | \tP (B=0) \n"
                              "Intercept\t2 [kg]\t"))
      << result.out;
  EXPECT_TRUE(Has(result.out, "\nx\t3 [kg]\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "R-square:\t1\n")) << result.out;

  result = RunVandro(
      {"regress", "--file", exact, "--dependent", "y [kg]", "--alpha", "0.05", "--eliminate"});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_FALSE(Has(result.out, "\nz\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "Alpha:\t0.05\n")) << result.out;

  const std::string collinear = File("l.tsv", "y\tx\tw\n1\t1\t2\n3\t2\t4\n2\t3\t6\n5\t4\t8\n");
  result = RunVandro({"regress", "--file", collinear, "--dependent", "y"});
  EXPECT_EQ(kExitFailed, result.status);
  EXPECT_TRUE(Has(result.err, "Can't count regression coefficients")) << result.err;
  EXPECT_TRUE(result.out.empty());

  const std::string uneven = File("u.tsv", "y\tx\n1\t1\n2\t2\n3\t\n");
  result = RunVandro({"regress", "--file", uneven, "--dependent", "y"});
  EXPECT_EQ(kExitFailed, result.status);
  EXPECT_TRUE(Has(result.err, "series x has 2 values")) << result.err;
}

TEST_F(StatsCommands, ClusterPrintsMergesAndTree) {
  const std::string file = File("c.csv", "Name,a,b\nP,1,2\nQ,1.1,2.1\nR,5,6\nS,5.2,6.3\nT,9,1\n");
  Outcome result = RunVandro({"cluster", "--file", file, "--sep", "comma"});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(Has(result.out, "First\tSecond\tDistance\n0\t1\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "\n2\t3\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "\n5\t6\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "\n7\t4\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "\nRoot (5 objects; D=2.17)\n"
                              "  [4 objects;  D=2.05]\n"
                              "    [2 objects;  D=0.05]\n"
                              "      P [1]\n"
                              "      Q [2]\n"))
      << result.out;
  EXPECT_TRUE(Has(result.out, "\n  T [5]\n")) << result.out;

  // Hamming with the weight on b only: P and Q differ in b by 1, like every pair.
  result = RunVandro(
      {"cluster", "--file", file, "--sep", "comma", "--distance", "hamming", "--weights", "0,1"});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(Has(result.out, "First\tSecond\tDistance\n0\t1\t1\n")) << result.out;

  // Without a name column the rows are named by number. The distance is
  // in standard deviations: 1 / sd(1, 2).
  result = RunVandro({"cluster", "--file", File("n.tsv", "a\n1\n2\n")});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(
      Has(result.out, "\t1.4142135623731\n\nRoot (2 objects; D=1.4)\n  Row 1 [1]\n  Row 2 [2]\n"))
      << result.out;

  result = RunVandro({"cluster", "--file", File("t.tsv", "n\tm\ta\nx\ty\t1\n")});
  EXPECT_EQ(kExitFailed, result.status);
  EXPECT_TRUE(Has(result.err, "series m is not numeric")) << result.err;
}

// A project with four objects whose X and Y lie on Y = 2 + 3 X, a colour
// of each and a constant Z; made with vandro-cli as a user would.
class ProjectStatsCommands : public StatsCommands {
protected:
  void SetUp() override {
    StatsCommands::SetUp();
    if (const char* saved = std::getenv("VANDRO_CONFIG_DIR")) savedConfig_ = saved;
    setenv("VANDRO_CONFIG_DIR", (dir_ / "config").c_str(), 1);
    project = (dir_ / "Plant.vdp").string();
    Ok({"new", project});
    const char* rows[][5] = {{"A", "X=1", "Y=5 [kg]", "Colour=red", "Z=1"},
                             {"B", "X=2", "Y=8000 [g]", "Colour=blue", "Z=1"},
                             {"C", "X=4", "Y=14 [kg]", "Colour=red", "Z=1"},
                             {"D", "X=7", "Y=23 [kg]", "Colour=green", "Z=1"}};
    for (const auto& row : rows)
      Ok({"record", project, row[0], "--new", "--at", "01.02.2010", row[1], row[2], row[3],
          row[4]});
    // Lines "<A; ID:64>".
    std::istringstream found(Ok({"query", project, kAll}));
    for (std::string line; std::getline(found, line);)
      ids[line.substr(1, line.find(';') - 1)] =
          line.substr(line.find(':') + 1, line.size() - line.find(':') - 2);
  }

  // The group TEAM of A and C.
  void MakeTeam() {
    Ok({"group", project, "TEAM", "--new", "--at", "02.02.2010", "--add", "A", "--add", "C"});
  }
  void TearDown() override {
    if (savedConfig_.empty())
      unsetenv("VANDRO_CONFIG_DIR");
    else
      setenv("VANDRO_CONFIG_DIR", savedConfig_.c_str(), 1);
    StatsCommands::TearDown();
  }

  std::string Ok(std::vector<std::string> args) {
    const Outcome outcome = RunVandro(args);
    EXPECT_EQ(kExitOk, outcome.status) << outcome.err;
    return outcome.out;
  }

  // The object's leaf in the cluster tree.
  std::string Leaf(const std::string& name) { return name + " [" + ids[name] + "]"; }

  static constexpr const char* kAll = "FIND ALL OBJECTS WITHIN EVERYTHING";
  static std::string Of(const std::string& parameter) {
    return parameter + "=EXECUTE('" + kAll + "')." + parameter;
  }

  std::string project;
  std::map<std::string, std::string> ids; // object name -> object id

private:
  std::string savedConfig_;
};

TEST_F(ProjectStatsCommands, SeriesOfTheProjectFeedEveryCommand) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> lines;
  } cases[] = {
      {{"stats", "--series", Of("X"), "--series", Of("Y")},
       {"Statistics \\ Series\tX\tY\n", "Count\t4\t4\n", "Mean\t3.5 \t12.5 [kg]\n"}},
      {{"correlate", "--series", Of("X"), "--series", Of("Y")}, {"X : Y\t1\t1\tINF\t0\n"}},
      {{"test", "F", "--series", Of("X"), "--series",
        "W=EXECUTE('" + std::string(kAll) + "').X * 2"},
       {"F Statistic Value:\t1.4\n"}}, // 24.5 / (105 / 6)
      {{"histogram", "--series", Of("X"), "--intervals", "2"},
       {"Label\tLow\tHigh\tCount\n1\t1\t4\t2\n4\t4\t7\t2\n"}},
      {{"regress", "--series", Of("Y"), "--series", Of("X"), "--dependent", "y"},
       {"Intercept\t2 [kg]\t", "\nX\t3 [kg]\t", "R-square:\t1\n"}},
      {{"cluster", "--series", Of("X")}, {"Root (4 objects; D=1.7)\n", "      Row 1 [1]\n"}},
  };
  for (Case& c : cases) {
    c.args.insert(c.args.begin() + 1, {"--project", project});
    const Outcome result = RunVandro(c.args);
    ASSERT_EQ(kExitOk, result.status) << c.args.front() << "\n" << result.err;
    for (const std::string& line : c.lines)
      EXPECT_TRUE(Has(result.out, line)) << c.args.front() << ": " << line << "\nin\n"
                                         << result.out;
  }
}

// A state without the parameter leaves a gap in the object's history: the
// gap is a missing value, counted apart and left out of every statistic.
TEST_F(ProjectStatsCommands, GapsInAHistoryAreMissingValues) {
  Ok({"record", project, "A", "--at", "01.03.2010", "X=", "Z=2"});
  Ok({"record", project, "A", "--at", "01.04.2010", "X=9", "Z=3"});
  const std::string history = "H=HISTORYOF('A').X";
  Outcome result = RunVandro({"stats", "--project", project, "--series", history});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(Has(result.out, "Count\t2\nMissing\t1\nTotal\t10 \nMean\t5 \n")) << result.out;
  result = RunVandro({"test", "welch", "--project", project, "--series", history, "--series",
                      "Z=HISTORYOF('A').Z"});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(Has(result.out, "\n1 missing value left out\n")) << result.out;
}

TEST_F(ProjectStatsCommands, SeriesThatFailNameTheSeries) {
  struct Case {
    std::string series;
    std::vector<std::string> messages;
  } cases[] = {
      {"S=1 +", {"### Error ###", "series S: the expression failed"}},
      {"S=1 + 1", {"series S: Series source should be an array"}},
      {"S=EXECUTE('FIND TOP 1.5 OBJECTS WITHIN EVERYTHING')", {"series S: the expression failed"}},
  };
  for (const Case& c : cases) {
    const Outcome result = RunVandro({"stats", "--project", project, "--series", c.series});
    EXPECT_EQ(kExitFailed, result.status) << c.series;
    EXPECT_TRUE(result.out.empty()) << result.out;
    for (const std::string& message : c.messages)
      EXPECT_TRUE(Has(result.err, message)) << c.series << ": " << message << "\nin\n"
                                            << result.err;
  }
  const Outcome missing =
      RunVandro({"stats", "--project", (dir_ / "Nowhere.vdp").string(), "--series", "S=(1, 2)"});
  EXPECT_EQ(kExitFailed, missing.status);
  EXPECT_TRUE(Has(missing.err, "vandro-cli stats: can't open the project")) << missing.err;
}

TEST_F(ProjectStatsCommands, ObjectsAndTheirParametersAreAnalysed) {
  // The colour is not a number: an ordered domain, with its warning, that
  // enters the result formula through its mapping.
  Outcome result = RunVandro({"regress", "--project", project, "--objects", kAll, "--params",
                              "X, y, Colour", "--dependent", "Y"});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_EQ("Warning! Domain of parameter Colour contains\n"
            "non-numeric values. Domain type is changed to Ordered Set.\n",
            result.err);
  EXPECT_TRUE(Has(result.out, "Intercept\t2 [KG]\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "\nX\t3 [KG]\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "Switch( Colour, \n       'red', 0, \n       'blue', 1, \n"))
      << result.out;

  // A calculated parameter, weights, and the objects named in the tree.
  result = RunVandro({"cluster", "--project", project, "--objects", kAll, "--params", "X", "--calc",
                      "Twice=X * 2", "--weights", "1,0", "--distance", "manhattan"});
  ASSERT_EQ(kExitOk, result.status) << result.err;
  EXPECT_TRUE(Has(result.out, "First\tSecond\tDistance\n0\t1\t")) << result.out;
  EXPECT_TRUE(Has(result.out, "      " + Leaf("A") + "\n      " + Leaf("B") + "\n")) << result.out;
  EXPECT_TRUE(Has(result.out, "\n  " + Leaf("D") + "\n")) << result.out;

  // A group's content, by the group's reference or by CONTENTOF.
  MakeTeam();
  for (const char* objects : {"OBJECT('TEAM')", "CONTENTOF('TEAM')"}) {
    result = RunVandro({"cluster", "--project", project, "--objects", objects, "--params", "X"});
    ASSERT_EQ(kExitOk, result.status) << objects << "\n" << result.err;
    EXPECT_TRUE(
        Has(result.out, "Root (2 objects; D=1.4)\n  " + Leaf("A") + "\n  " + Leaf("C") + "\n"))
        << objects << "\n"
        << result.out;
  }
}

TEST_F(ProjectStatsCommands, ObjectsThatCannotBeAnalysedAreReported) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"regress", "--objects", kAll, "--params", "X,W", "--dependent", "X"},
       "Parameter W doesn't exist"},
      {{"regress", "--objects", kAll, "--params", "X,Y", "--calc", "x=Y", "--dependent", "X"},
       "Parameterx already exists"},
      {{"cluster", "--objects", kAll, "--calc", "2x=X"}, "Parameter name should be an identifier."},
      {{"cluster", "--objects", std::string(kAll) + " CONDITION X > 5", "--params", "X"},
       "The number of objects in array should be at least 2"},
      {{"cluster", "--objects", "OBJECT('B')", "--params", "X"},
       "The series should be a group of objects"},
      {{"cluster", "--objects", "EXECUTE('" + std::string(kAll) + "').X", "--params", "X"},
       "A series should be a group or an array of objects"},
      {{"regress", "--objects", std::string(kAll) + " CONDITION X < 3", "--params", "X,Y",
        "--dependent", "Y"},
       "Too short data series"},
      {{"regress", "--objects", kAll, "--params", "X", "--dependent", "X"},
       "Too little parameters to analize"},
      // Z has one value: the question's default drops it, and nothing is left.
      {{"cluster", "--objects", kAll, "--params", "Z"},
       "Domain of parameterZ contains only one value\n"
       "Do you want to delete the parameter from list? [Yes]\n"
       "Select parameters to analyse!"},
  };
  for (Case& c : cases) {
    c.args.insert(c.args.begin() + 1, {"--project", project});
    const Outcome result = RunVandro(c.args);
    std::string line;
    for (const auto& word : c.args)
      line += word + " ";
    EXPECT_EQ(kExitFailed, result.status) << line << "\n" << result.out;
    EXPECT_TRUE(result.out.empty()) << line << "\n" << result.out;
    EXPECT_TRUE(Has(result.err, c.message)) << line << "\n" << result.err;
  }
  const Outcome usage = RunVandro({"regress", "--project", project, "--objects", kAll, "--params",
                                   "X,Y", "--dependent", "Colour"});
  EXPECT_EQ(kExitUsage, usage.status);
  EXPECT_TRUE(Has(usage.err, "--dependent Colour is not one of the parameters")) << usage.err;

  // Answered No, the constant stays and the objects cluster on it alone.
  const Outcome kept =
      RunVandro({"--no", "cluster", "--project", project, "--objects", kAll, "--params", "Z"});
  EXPECT_EQ(kExitOk, kept.status) << kept.err;
  EXPECT_TRUE(Has(kept.out, "First\tSecond\tDistance\n0\t1\t0\n")) << kept.out;
}

} // namespace
} // namespace vandro::cli
