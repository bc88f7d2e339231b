#include "exchange/import_objects.h"
#include "exchange/spreadsheet.h"
#include "shell/datetime.h"
#include "storage/records_fixture.h"
#include "workbook_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vandro {
namespace {

using testing::TXlsCell;

class Spreadsheets : public testing::RecordsTest {
protected:
  std::vector<std::string> Read(const std::string& path) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadSpreadsheet(path, lines)) << sink.Last();
    return lines;
  }
};

// The used region starts at column B; row 3 is empty and left out; a date
// style shows the serial number as a date; a tab inside a cell would split
// it.
constexpr const char* kRows =
    "<row r=\"2\"><c r=\"B2\" t=\"s\"><v>0</v></c><c r=\"C2\" t=\"s\"><v>1</v></c>"
    "<c r=\"D2\" t=\"s\"><v>2</v></c><c r=\"E2\" t=\"s\"><v>3</v></c></row>"
    "<row r=\"3\"><c r=\"B3\" t=\"s\"><v>4</v></c></row>"
    "<row r=\"4\"><c r=\"B4\" t=\"inlineStr\"><is><t>Pump</t></is></c>"
    "<c r=\"C4\" s=\"1\"><v>40000.5</v></c><c r=\"D4\"><v>1.0000000000000001E-2</v></c>"
    "<c r=\"E4\" t=\"b\"><v>1</v></c></row>"
    "<row r=\"6\"><c r=\"B6\" t=\"s\"><v>5</v></c><c r=\"D6\" s=\"2\"><v>7</v></c></row>";

TEST_F(Spreadsheets, XlsxFirstSheetUsedRegionAsTabbedLines) {
  const std::string path = Path("plants.XLSX");
  testing::WriteZip(
      path, testing::XlsxParts(kRows, {"_Object_Name", "_Real_Time", "X", "Y", " ", "Valve\tA"}));
  SetDateStyle(TDateStyle::European);
  const std::vector<std::string> expected = {
      "_Object_Name\t_Real_Time\tX\tY", "Pump\t06.07.2009 12:00:00\t0.01\tTRUE", "Valve A\t\t7"};
  EXPECT_EQ(expected, Read(path));
  std::vector<std::string> fromBytes;
  EXPECT_TRUE(ReadXlsxBytes(ReadBytes(path), fromBytes));
  EXPECT_EQ(expected, fromBytes);
}

// A header reaching the last column widens that line only: the rows below
// end at their last value, so a sheet of one-cell rows stays small however
// wide its first row is.
TEST_F(Spreadsheets, RowsEndAtTheirLastValue) {
  const std::string path = Path("wide.xlsx");
  std::string rows = "<row r=\"1\"><c r=\"B1\"><v>1</v></c><c r=\"XFD1\"><v>2</v></c></row>";
  for (int r = 2; r <= 4; ++r)
    rows += "<row><c r=\"C" + std::to_string(r) + "\"><v>" + std::to_string(r) + "</v></c></row>";
  testing::WriteZip(path, testing::XlsxParts(rows, {}));
  const std::vector<std::string> lines = Read(path);
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ("1" + std::string(16383 - 1, '\t') + "2", lines[0]);
  EXPECT_EQ((std::vector<std::string>{"\t2", "\t3", "\t4"}),
            std::vector<std::string>(lines.begin() + 1, lines.end()));
}

// The worksheet's XML as writers spell it: prefixed names, entities,
// CDATA, comments, rich text with phonetic runs, cells without references;
// and XML that is not well formed.
TEST_F(Spreadsheets, WorksheetXmlIsReadAsAStream) {
  struct Case {
    std::string rows;
    std::vector<std::string> lines; // empty: the workbook cannot be read
  };
  const Case cases[] = {
      {"<row><c t=\"inlineStr\"><is><t>A&amp;B &lt;&#x41;&#66;&gt; &bogus; &#0;</t></is></c>"
       "<c t=\"str\"><v><![CDATA[x<]]]>y</v></c><!-- a comment --><c><v>1.5</v></c></row>",
       {"A&B <AB> &bogus; &#0;\tx<]y\t1.5"}},
      {"<x:row xmlns:x=\"urn:x\"><x:c x:r=\"C1\" x:t=\"s\"><x:v>1</x:v></x:c></x:row>"
       "<row><c r=\"B2\" t=\"inlineStr\"><is><r><t>Pu</t></r><r><t>mp</t></r>"
       "<rPh><t>ponpu</t></rPh></is></c><c r=\"B2\"><v>9</v></c><c/><c></c></row>",
       {"\tTwo", "Pump"}},
      {"<row><c t=\"s\"><v>0</v></c><c t=\"b\"><v>0</v></c><c t=\"e\"><v>#N/A</v></c></row>",
       {"One\tFALSE\t#N/A"}},
      {"<row><c><v>1</v></c></rows>", {}},
      {"<row><c><v>1</v></c>", {}},
      {"<row><c t=\"s\"><v>1</c></row>", {}},
  };
  for (const Case& c : cases) {
    const std::string path = Path("stream.xlsx");
    testing::WriteZip(path, testing::XlsxParts(c.rows, {"One", "Two"}));
    std::vector<std::string> lines;
    EXPECT_EQ(!c.lines.empty(), ReadXlsxBytes(ReadBytes(path), lines)) << c.rows;
    EXPECT_EQ(c.lines, lines) << c.rows;
  }
}

// A workbook is refused before it takes the memory it asks for: by the
// cells its lines would hold, by its shared strings and by the unpacked
// size of its parts, whatever the entry claims.
TEST_F(Spreadsheets, AWorksheetBeyondTheLimitsIsRefused) {
  // 1,300 rows from column A to column XFD: 21 million cells, most empty.
  std::string wide;
  for (int r = 1; r <= 1300; ++r) {
    const std::string row = std::to_string(r);
    wide += "<row><c r=\"A" + row + "\"><v>1</v></c><c r=\"XFD" + row + "\"><v>2</v></c></row>";
  }
  const std::string path = Path("wide.xlsx");
  testing::WriteZip(path, testing::XlsxParts(wide, {}));
  std::vector<std::string> lines;
  EXPECT_FALSE(ReadSpreadsheet(path, lines));
  EXPECT_EQ("The worksheet is too large: " + path + " (more than 20000000 cells)", sink.Last());
  EXPECT_TRUE(lines.empty());

  struct Case {
    TSheetLimits limits;
    std::string tooLarge;
  };
  const Case cases[] = {
      {{100000, 3}, "more than 3 shared strings"},
      {{100000, 4}, ""},
      {{4096, 20}, "xl/worksheets/data.xml is larger than 4096 bytes unpacked"},
  };
  std::string cells;
  for (int i = 0; i < 1000; ++i)
    cells += "<c/>";
  testing::WriteZip(path, testing::XlsxParts("<row><c t=\"s\"><v>3</v></c>" + cells + "</row>",
                                             {"a", "b", "c", "d"}));
  for (const Case& c : cases) {
    std::string tooLarge;
    EXPECT_EQ(c.tooLarge.empty(), ReadXlsxBytes(ReadBytes(path), lines, &tooLarge, c.limits));
    EXPECT_EQ(c.tooLarge, tooLarge);
  }
  EXPECT_EQ(std::vector<std::string>{}, lines);
}

TEST_F(Spreadsheets, XlsCellsAsTabbedLines) {
  const std::string path = Path("plants.xls");
  WriteBytes(path, testing::CompoundFile(testing::BiffWorkbook({
                       {0, 0, std::string("_Object_Name")},
                       {0, 1, std::string("_Real_Time")},
                       {0, 2, std::string("X")},
                       {1, 0, std::string("Pump")},
                       {1, 1, 40000.5, 1},
                       {1, 2, 2.5},
                       {3, 0, std::string("Valve")},
                       {3, 2, 12.0},
                   })));
  SetDateStyle(TDateStyle::European);
  EXPECT_EQ((std::vector<std::string>{"_Object_Name\t_Real_Time\tX",
                                      "Pump\t06.07.2009 12:00:00\t2.5", "Valve\t\t12"}),
            Read(path));
}

TEST_F(Spreadsheets, UnreadableWorkbooksAreReportedByPath) {
  for (const char* name : {"broken.xls", "broken.xlsx", "missing.xlsx"}) {
    const std::string path = Path(name);
    if (std::string(name) != "missing.xlsx") WriteBytes(path, "_Object_Name\tX\nPump\t1\n");
    std::vector<std::string> lines;
    EXPECT_FALSE(ReadSpreadsheet(path, lines)) << name;
    EXPECT_EQ("Can't read Excel document: " + path, sink.Last());
  }
  // A zip that is no workbook.
  testing::WriteZip(Path("other.xlsx"), {{"readme.txt", "hello"}});
  std::vector<std::string> lines;
  EXPECT_FALSE(ReadSpreadsheet(Path("other.xlsx"), lines));
  // A folder (or a FIFO) is not opened as a workbook.
  std::filesystem::create_directories(Path("folder.xlsx"));
  EXPECT_FALSE(ReadSpreadsheet(Path("folder.xlsx"), lines));
  EXPECT_EQ(Path("folder.xlsx") + " is not a file", sink.Last());
}

TEST_F(Spreadsheets, ImportReadsWorkbooksWithTabWhateverTheSeparator) {
  const std::string path = Path("plants.xlsx");
  testing::WriteZip(
      path, testing::XlsxParts(kRows, {"_Object_Name", "_Real_Time", "X", "Y", " ", "Valve\tA"}));
  TImportSettings settings;
  settings.Separator = ";";
  TImportResult result;
  ASSERT_TRUE(ImportObjectsFromFile(path, settings, nullptr, result));
  EXPECT_EQ("2 new objects. 2 states were successfully modified", result.Summary);
  const int32_t pump = APSFindObject("Pump");
  ASSERT_NE(0, pump);
  EXPECT_EQ("X=0.01 Y=TRUE", StateAt(pump, Current(pump, Day(5000)).at(0)));
}

// The import reads quoted fields: a cell with quotes of its own comes
// through as it is, a quote at its start included.
TEST_F(Spreadsheets, CellsHoldingQuotesImportAsTheyAre) {
  const std::string path = Path("quotes.xlsx");
  testing::WriteZip(
      path, testing::XlsxParts("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>_Object_Name</t>"
                               "</is></c><c r=\"B1\" t=\"inlineStr\"><is><t>Note</t></is></c></row>"
                               "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>Pump</t></is></c>"
                               "<c r=\"B2\" t=\"inlineStr\"><is><t>\"quoted\" 12\" pipe</t></is>"
                               "</c></row>",
                               {}));
  TImportResult result;
  ASSERT_TRUE(ImportObjectsFromFile(path, {}, nullptr, result)) << sink.Last();
  const int32_t pump = APSFindObject("Pump");
  ASSERT_NE(0, pump);
  EXPECT_EQ("Note=\"quoted\" 12\" pipe", StateAt(pump, Current(pump, Now()).at(0)));
}

} // namespace
} // namespace vandro
