#include "exchange/import_objects.h"
#include "exchange/spreadsheet.h"
#include "shell/datetime.h"
#include "storage/records_fixture.h"
#include "workbook_writer.h"

#include <gtest/gtest.h>

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
      "_Object_Name\t_Real_Time\tX\tY", "Pump\t06.07.2009 12:00:00\t0.01\tTRUE", "Valve A\t\t7\t"};
  EXPECT_EQ(expected, Read(path));
  std::vector<std::string> fromBytes;
  EXPECT_TRUE(ReadXlsxBytes(ReadBytes(path), fromBytes));
  EXPECT_EQ(expected, fromBytes);
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

} // namespace
} // namespace vandro
