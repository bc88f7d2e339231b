// vandro-cli charts and chart on the project "Plant".
#include "charts/chart_text.h"
#include "cli_fixture.h"
#include "storage/descriptors.h"
#include "storage/project_lock.h"
#include "support/plain_array.h"
#include "values/value.h"

#include <QImage>

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

namespace vandro::cli {
namespace {

using Lines = std::vector<std::string>;

std::string Packed(const Lines& numbers) {
  return vandro::testing::PlainArray(numbers)->PackValue();
}

// A chart with one line series of the numbers.
Lines Definition(const std::string& title, const Lines& numbers) {
  TChartDefinition chart;
  chart.Header.Text = title;
  chart.Series.resize(1);
  chart.Series[0].Name = "Pressure";
  chart.Series[0].YSource = Packed(numbers);
  return CaptureChart(chart);
}

std::string Text(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\n";
  return text;
}

class ChartCommands : public testing::PlantTest {
protected:
  std::string File(const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Stores the chart through the command.
  void Define(const std::string& name, const Lines& lines) {
    Ok({"chart", project, name, "--define", File(name + ".txt", Text(lines))});
  }
};

TEST_F(ChartCommands, DefineListPrintAndDelete) {
  EXPECT_EQ("Chart Name\n", Ok({"charts", project}));
  const Lines pressure = Definition("Pressure", {"120", "135", "128"});
  Define("Pressure", pressure);
  Define("Flow", Definition("Flow", {"1"}));
  EXPECT_EQ("Chart Name\nFLOW\nPRESSURE\n", Ok({"charts", project}));
  EXPECT_EQ(Text(pressure), Ok({"chart", project, "pressure"}));

  // Replacing keeps one chart of the name, whatever its case.
  const Lines replaced = Definition("Pressure, replaced", {"1", "2"});
  Define("PRESSURE", replaced);
  EXPECT_EQ(Text(replaced), Ok({"chart", project, "Pressure"}));
  EXPECT_EQ("Chart Name\nFLOW\nPRESSURE\n", Ok({"charts", project}));

  // Deleting asks; without a terminal the default answer is No.
  EXPECT_EQ(kExitFailed, Run({"chart", project, "Flow", "--delete"}).status);
  EXPECT_EQ(kExitOk, Run({"--yes", "chart", project, "Flow", "--delete"}).status);
  EXPECT_EQ("Chart Name\nPRESSURE\n", Ok({"charts", project}));
}

TEST_F(ChartCommands, BadInputChangesNothing) {
  const Lines stored = Definition("Stored", {"1"});
  Define("Pressure", stored);
  Lines tooMany;
  for (int i = 0; i <= kMaxChartSeries; ++i)
    tooMany.insert(tooMany.end(), {"Series begin", "SeriesType=0", "Series end"});
  struct Case {
    const char* name;
    Lines args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"damaged definition",
       {"chart", project, "Pressure", "--define",
        File("damaged.txt", "Width=100\nColour=red\nHeight=50\n")},
       "Chart descriptor damaged!\nColour=red\n"},
      {"129 series",
       {"chart", project, "Pressure", "--define", File("many.txt", Text(tooMany))},
       "Chart descriptor damaged!\nSeries begin\n"},
      {"missing file",
       {"chart", project, "Pressure", "--define", dir + "/none.txt"},
       "Can't open file " + dir + "/none.txt\n"},
      {"new name that is no identifier",
       {"chart", project, "2nd", "--define", File("ok.txt", Text(stored))},
       "Chart Name should be an identifier\n"},
      {"missing chart printed", {"chart", project, "Ghost"}, "Chart not found. Name=Ghost\n"},
      {"missing chart deleted",
       {"--yes", "chart", project, "Ghost", "--delete"},
       "Chart not found. Name=Ghost\n"},
      {"missing chart drawn",
       {"chart", project, "Ghost", "--output", dir + "/g.png"},
       "Chart not found. Name=Ghost\n"},
  };
  for (const Case& c : cases) {
    const testing::Outcome outcome = Run(c.args);
    EXPECT_EQ(kExitFailed, outcome.status) << c.name;
    EXPECT_EQ(c.message, outcome.err) << c.name;
  }
  EXPECT_EQ(Text(stored), Ok({"chart", project, "Pressure"}));
  EXPECT_EQ("Chart Name\nPRESSURE\n", Ok({"charts", project}));
}

TEST_F(ChartCommands, WrongUsage) {
  for (const Lines& args : {Lines{"chart", project, "P", "--delete", "--define", "f"},
                            Lines{"chart", project, "P", "--size", "10x10"},
                            Lines{"chart", project, "P", "--output", "p.bmp"},
                            Lines{"chart", project, "P", "--output", "p.png", "--size", "0x10"},
                            Lines{"chart", project, "P", "--output", "p.png", "--size", "10"}})
    EXPECT_EQ(kExitUsage, Run(args).status) << args[3];
  const testing::Outcome help = testing::RunVandro({"--help"});
  EXPECT_NE(std::string::npos, help.out.find("charts PROJECT\n"));
  EXPECT_NE(std::string::npos, help.out.find("chart PROJECT NAME [--define FILE] [--delete]"));
}

TEST_F(ChartCommands, AProjectHeldElsewhereIsLeftAlone) {
  Define("Pressure", Definition("Stored", {"1"}));
  {
    TProjectLock held;
    ASSERT_EQ(TProjectLock::TResult::Locked, held.Acquire(dir + "/Plant.vdb"));
    const testing::Outcome outcome = Run({"--yes", "chart", project, "Pressure", "--delete"});
    EXPECT_EQ(kExitFailed, outcome.status);
    EXPECT_EQ(0u, outcome.err.find("The project is open in another program")) << outcome.err;
  }
  EXPECT_EQ("Chart Name\nPRESSURE\n", Ok({"charts", project}));
}

TEST_F(ChartCommands, OutputDrawsThePicture) {
  Define("Pressure", Definition("Pressure", {"120", "135", "128", "90"}));
  const std::string picture = dir + "/pressure.png";
  const testing::Outcome outcome =
      Run({"chart", project, "Pressure", "--output", picture, "--size", "320x200"});
  ASSERT_EQ(kExitOk, outcome.status) << outcome.err;
  const QImage image(QString::fromStdString(picture));
  ASSERT_EQ(QSize(320, 200), image.size());
  bool varied = false;
  for (int y = 0; y < image.height() && !varied; ++y)
    for (int x = 0; x < image.width() && !varied; ++x)
      varied = image.pixel(x, y) != image.pixel(0, 0);
  EXPECT_TRUE(varied);

  // A source that gives no numbers is said, and the rest is drawn.
  TChartDefinition chart;
  chart.Series.resize(1);
  chart.Series[0].YSource = Packed({"high", "low"});
  Define("Words", CaptureChart(chart));
  const testing::Outcome words = Run({"chart", project, "Words", "--output", dir + "/w.svg"});
  EXPECT_EQ(kExitOk, words.status);
  EXPECT_EQ("Source of Y values should be a numeric array\n", words.err);

  // A picture never replaces a file of the project, not even through a link.
  const std::string link = dir + "/plant.png";
  ASSERT_EQ(0, symlink((dir + "/Plant.vdb").c_str(), link.c_str()));
  const testing::Outcome refused = Run({"chart", project, "Pressure", "--output", link});
  EXPECT_EQ(kExitFailed, refused.status);
  EXPECT_EQ("The file is part of the open project: " + link + "\n", refused.err);
  EXPECT_EQ(kExitOk, Run({"chart", project, "Pressure", "--output", picture}).status);
}

} // namespace
} // namespace vandro::cli
