#include "exchange/units_file.h"
#include "storage/storage_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vandro {
namespace {

class UnitFiles : public testing::StorageTest {
protected:
  UnitFiles() { CreateAndOpen(); }

  TUnitImportResult Import(const std::string& text, std::string_view separator = "\t") {
    std::istringstream in(text);
    TTextLines lines(in);
    TUnitImportResult result;
    ImportUnits(lines, separator, result);
    return result;
  }

  std::string Export(std::string_view separator = "\t") {
    std::string summary;
    EXPECT_GE(ExportUnits(Path("units.txt"), separator, summary), 0);
    exported = summary;
    return ReadBytes(Path("units.txt"));
  }

  std::string exported;
};

TEST_F(UnitFiles, ANewProjectExportsNoUnits) {
  EXPECT_EQ("", Export());
  EXPECT_EQ("0 units exported", exported);
}

TEST_F(UnitFiles, LinesAreCheckedAndTheAcceptedUnitsAdded) {
  const std::string file =
      "furlong\tfur\tDistance\t0\t 201.168 \t0\t\t'an eighth\tof a mile' and more\n"
      "league\t\tDistance\t0\t4828.032\t0\n"
      "\n"
      "zeroed\tz\tDistance\t0\t0\t0\t\t''\n"
      "\tnn\tDistance\t0\t1\t0\t\t''\n"
      "bad\tbd\tDistance\t0\tmany\t0\t\t''\n"
      "Meter\tmtr\tDistance\t0\t1\t0\t\t''\n"
      "metre\tM\tDistance\t0\t1\t0\t\t''\n"
      "wide\tw d\tDistance\t0\t2\t0\t\t''\n"
      "span\tsp\tDistance\t1\t2\t0\t\t''\n"
      "widget\twg\tCount Things\t1\t0\t0\tm*kg\t'one of them'\n"
      "dozen\tdz\tCount Things\t0\t12\t0.5\t\t'twelve'\r\n";
  const TUnitImportResult result = Import(file);
  EXPECT_EQ((std::vector<std::string>{
                "Can't import unit: zeroed",
                "Can't import unit",
                "Can't import unit: bad",
                "Unit name already exists: Meter",
                "Unit short name already exists: M",
                "Invalid Short Unit Name Syntax",
                "The basic unit for the category already exists.",
            }),
            sink.Messages());
  EXPECT_EQ(4, result.Imported);
  EXPECT_EQ("4 units successfuly imported", result.Summary);
  TUnitCatalogue& units = CurrentProject()->Units();
  ASSERT_NE(nullptr, units.FindUnit("league"));
  EXPECT_EQ("league", units.FindUnit("league")->shortName);
  EXPECT_EQ("an eighth\tof a mile", units.FindUnit("fur")->description);
  EXPECT_FALSE(units.FindUnit("fur")->generic);
  EXPECT_TRUE(units.FindUnit("widget")->basic);

  // What the export writes, the import reads back as the same units.
  const std::string written = Export(";");
  EXPECT_EQ("furlong;fur;Distance;0;201.168;0;;'an eighth\tof a mile'\r\n"
            "league;league;Distance;0;4828.032;0;;''\r\n"
            "widget;wg;Count Things;1;1;0;m*kg;'one of them'\r\n"
            "dozen;dz;Count Things;0;12;0.5;;'twelve'\r\n",
            written);
  EXPECT_EQ("4 units exported", exported);
  CloseProject();
  ASSERT_TRUE(APSCreateProject(Path("Copy.vdp"), "", NewProjectInfo("Copy")));
  ASSERT_TRUE(OpenProject(Path("Copy.vdp")));
  TUnitImportResult again;
  ASSERT_TRUE(ImportUnitsFromFile(Path("units.txt"), ";", again));
  EXPECT_EQ(4, again.Imported);
  EXPECT_EQ(written, Export(";"));
}

TEST_F(UnitFiles, AMissingFileIsReported) {
  TUnitImportResult result;
  EXPECT_FALSE(ImportUnitsFromFile(Path("none.txt"), "\t", result));
  EXPECT_EQ("Can't open file " + Path("none.txt"), sink.Last());
}

} // namespace
} // namespace vandro
