#include "exchange/import_dialog.h"
#include "exchange/text_lines.h"
#include "workbook_writer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace vandro {
namespace {

class ImportDialogTest : public ::testing::Test {
protected:
  // A folder of each test's own: ctest runs the cases side by side.
  ImportDialogTest() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vandro_import_dialog_XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
  }
  ~ImportDialogTest() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const auto path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(ImportDialogTest, PreviewFollowsTheSeparator) {
  TImportDialog dialog;
  ASSERT_TRUE(
      dialog.Open(Write("plants.txt", "Имя;Рост;When\n\n  \nfern;12;01.02.2020\noak;30\n")));
  // The separator the lines suggest is chosen; with tab the whole header
  // is one column.
  EXPECT_EQ(dialog.Separator().Kind, skSemicolon);
  EXPECT_EQ(dialog.Header(), (std::vector<std::string>{"Имя", "Рост", "When"}));
  dialog.SetSeparator({skTab, ""});
  EXPECT_EQ(dialog.Header(), std::vector<std::string>{"Имя;Рост;When"});
  dialog.SetSeparator({skSemicolon, ""});
  EXPECT_EQ(dialog.Header(), (std::vector<std::string>{"Имя", "Рост", "When"}));
  EXPECT_EQ(dialog.ColumnChoices(), (std::vector<std::string>{"", "Имя", "Рост", "When"}));
  ASSERT_EQ(dialog.Rows().size(), 2u); // blank lines are not data
  EXPECT_EQ(dialog.Rows()[1], (std::vector<std::string>{"oak", "30"}));
  EXPECT_TRUE(dialog.CanContinue());

  EXPECT_TRUE(dialog.SetNameColumn("Имя"));
  EXPECT_TRUE(dialog.SetTimeColumn("When"));
  EXPECT_FALSE(dialog.SetTimeColumn("Nope"));
  EXPECT_EQ(dialog.TimeColumn(), "When");
  // Roles go with the header that no longer has them.
  dialog.SetSeparator({skComma, ""});
  EXPECT_EQ(dialog.NameColumn(), "");
  EXPECT_EQ(dialog.TimeColumn(), "");
}

TEST_F(ImportDialogTest, ProblemsStopTheImport) {
  struct Case {
    std::string bytes, problem;
  } cases[] = {
      {"", kEmptyFile},
      {"\n   \n\t\n", kEmptyFile},
      {"a\t\tb\n1\t2\t3\n", kEmptyParameterName},
      {"a\tb\t\n1\t2\n", ""}, // a header ending in the separator has no empty last field
      {std::string("MZ\0\0\x01\x02", 6), "Not a text file: "},
      {std::string("\xFF\xFE"
                   "a\0\t\0b\0\n\0"
                   "1\0\t\0"
                   "2\0",
                   16),
       ""},
      {std::string("\xFF\xFE\0\0"
                   "a\0\0\0",
                   8),
       std::string(kUtf32Refused)},
  };
  for (const auto& c : cases) {
    TImportDialog dialog;
    const auto path = Write("case.txt", c.bytes);
    dialog.Open(path);
    const std::string expected = c.problem.starts_with("Not") ? c.problem + path : c.problem;
    EXPECT_EQ(dialog.Problem(), expected) << c.bytes;
    EXPECT_EQ(dialog.CanContinue(), c.problem.empty()) << c.bytes;
  }
  TImportDialog missing;
  EXPECT_FALSE(missing.Open((dir_ / "none.txt").string()));
  EXPECT_FALSE(missing.CanContinue());
  // A FIFO would keep the preview waiting for a writer.
  const std::string fifo = (dir_ / "fifo.txt").string();
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  TImportDialog waiting;
  EXPECT_FALSE(waiting.Open(fifo));
  EXPECT_EQ(fifo + " is not a file", waiting.Problem());
}

TEST_F(ImportDialogTest, SpreadsheetsPreviewWithTab) {
  const auto path = (dir_ / "book.xlsx").string();
  testing::WriteZip(path, testing::XlsxParts("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
                                             "<c r=\"B1\" t=\"s\"><v>1</v></c></row>"
                                             "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>2</v></c>"
                                             "<c r=\"B2\"><v>7.5</v></c></row>",
                                             {"Name", "Weight", "box"}));
  TImportDialog dialog;
  ASSERT_TRUE(dialog.Open(path));
  dialog.SetSeparator({skComma, ""}); // has no say over a worksheet
  EXPECT_TRUE(dialog.IsSpreadsheet());
  EXPECT_EQ(dialog.Header(), (std::vector<std::string>{"Name", "Weight"}));
  ASSERT_EQ(dialog.Rows().size(), 1u);
  EXPECT_EQ(dialog.Rows()[0], (std::vector<std::string>{"box", "7.5"}));

  TImportDialog broken;
  const auto bad = Write("broken.xls", "not a workbook");
  EXPECT_FALSE(broken.Open(bad));
  EXPECT_EQ(broken.Problem(), "Can't read Excel document: " + bad);
}

TEST(SeparatorChoiceTest, TextOfEachChoice) {
  EXPECT_EQ(SeparatorText({skTab, "#"}), "\t");
  EXPECT_EQ(SeparatorText({skComma, "#"}), ",");
  EXPECT_EQ(SeparatorText({skSemicolon, "#"}), ";");
  EXPECT_EQ(SeparatorText({skOther, "::"}), "::");
  EXPECT_EQ(SeparatorText({skOther, ""}), "\t");
  EXPECT_EQ(TSeparatorChoice{}.Other, "#");
}

TEST(ImportSettingsTest, GroupOnlyWhenAskedFor) {
  TImportDialog dialog;
  dialog.GroupName = "Ward";
  EXPECT_EQ(dialog.Settings().GroupName, "");
  dialog.AddToGroup = true;
  dialog.Mode = imNewState;
  EXPECT_EQ(dialog.Settings().GroupName, "Ward");
  EXPECT_EQ(dialog.Settings().Mode, imNewState);
  EXPECT_EQ(dialog.Settings().Separator, "\t");
}

} // namespace
} // namespace vandro

namespace vandro {
namespace {

TEST(GuessedSeparator, TheFirstThatSplitsTheHeaderAndNoLineMore) {
  struct Case {
    const char* behaviour;
    std::vector<std::string> lines;
    std::string separator;
  } cases[] = {
      {"tab first", {"A\tB,C", "1\t2,5"}, "\t"},
      {"comma", {"\"\",\"weight\",\"Time\"", "\"1\",42,0"}, ","},
      {"a quoted comma does not split", {"A;\"B, C\"", "1;\"x, y\""}, ";"},
      {"semicolon with decimal commas", {"A;B", "1,5;2,5"}, ";"},
      {"a comma that splits a line more than the header is not it", {"A,B;C", "1,2,3;4"}, ";"},
      {"the rest", {"A|B", "1|2"}, "|"},
      {"nothing splits: tab", {"A", "1"}, "\t"},
      {"no lines: tab", {}, "\t"},
  };
  for (const Case& test : cases)
    EXPECT_EQ(test.separator, GuessSeparator(test.lines)) << test.behaviour;
}

} // namespace
} // namespace vandro

namespace vandro {
namespace {

TEST_F(ImportDialogTest, AHeaderNoParameterMayHaveIsFlaggedUntilRenamedOrSkipped) {
  TImportDialog dialog;
  ASSERT_TRUE(dialog.Open(Write("chicks.csv", "Chick,Day,Weight,Hours\nC1,1,42,3\n")));
  EXPECT_EQ("Day is a standard function", dialog.HeaderFlag("Day"));
  EXPECT_EQ("", dialog.HeaderFlag("Weight"));
  EXPECT_EQ("Column Day can't name a parameter (Day is a standard function): rename it or skip it",
            dialog.Problem());
  EXPECT_FALSE(dialog.CanContinue());

  dialog.SetRenamed("Day", "Age");
  EXPECT_EQ("", dialog.HeaderFlag("Day"));
  EXPECT_EQ("Column Hours can't name a parameter (Hours is a standard function): rename it or "
            "skip it",
            dialog.Problem());
  dialog.SetSkipped("Hours", true);
  dialog.SetUnit("Weight", "g");
  EXPECT_TRUE(dialog.CanContinue()) << dialog.Problem();
  const TImportSettings settings = dialog.Settings();
  EXPECT_EQ(std::vector<std::string>{"Hours"}, settings.Skipped);
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ((Pairs{{"Day", "Age"}}), settings.Renamed);
  EXPECT_EQ((Pairs{{"Weight", "g"}}), settings.Units);

  // A rename to another forbidden name is flagged in its turn.
  dialog.SetRenamed("Day", "Sin");
  EXPECT_EQ("Sin is a standard function", dialog.HeaderFlag("Day"));
  EXPECT_FALSE(dialog.CanContinue());

  // The column chosen to date the states is no parameter, whatever its name.
  TImportDialog dated;
  ASSERT_TRUE(dated.Open(Write("dated.csv", "Chick,Time,Weight\nC1,2026-01-01,42\n")));
  EXPECT_FALSE(dated.CanContinue());
  ASSERT_TRUE(dated.SetTimeColumn("Time"));
  EXPECT_EQ("", dated.HeaderFlag("Time"));
  EXPECT_TRUE(dated.CanContinue()) << dated.Problem();
}

} // namespace
} // namespace vandro
