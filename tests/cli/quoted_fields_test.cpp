// Values that hold what splits a delimited line go out of the project and
// come back exactly, and other tools read them as written: Python's csv
// module stands for R, pandas and spreadsheets.
#include "cli_fixture.h"

#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

namespace vandro::cli {
namespace {

using TValues = std::vector<std::pair<std::string, std::string>>; // parameter, UTF-8 value

// Writes a table of one object with csv.writer, or reads one with
// csv.reader and prints each value that differs from the one expected.
constexpr const char* kCsvScript = R"(import csv, json, sys
mode, path, delimiter, expected = sys.argv[1:5]
values = json.load(open(expected, encoding="utf-8"))
if mode == "write":
    with open(path, "w", newline="", encoding="utf-8") as f:
        w = csv.writer(f, delimiter=delimiter)
        w.writerow(["_Object_Name", "_Real_Time"] + [n for n, v in values])
        w.writerow(["Pump", "01.02.2010 10:00:00"] + [v for n, v in values])
else:
    with open(path, newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f, delimiter=delimiter))
    row = dict(zip(rows[0], rows[1]))
    for n, v in values:
        if row.get(n, "") != v:
            print("%s: %r, not %r" % (n, row.get(n), v))
    print(len(rows), "rows")
)";

class QuotedFields : public testing::PlantTest {
protected:
  std::string Path(const std::string& name) { return dir + "/" + name; }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static std::string Json(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += c;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", c);
        out += escape;
      } else {
        out += c;
      }
    }
    return out + "\"";
  }

  // Runs the script on path; what it printed. Empty when python3 cannot run.
  std::string Python(const std::string& mode, const std::string& path, const std::string& delimiter,
                     const TValues& values) {
    std::ofstream(Path("csv_script.py")) << kCsvScript;
    std::string json = "[";
    for (const auto& [name, value] : values)
      json += (json.size() > 1 ? "," : "") + ("[" + Json(name) + "," + Json(value) + "]");
    std::ofstream(Path("expected.json"), std::ios::binary) << json << "]";
    const std::string command = "python3 '" + Path("csv_script.py") + "' " + mode + " '" + path +
                                "' '" + delimiter + "' '" + Path("expected.json") + "' 2>&1";
    std::string printed;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[512];
      while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        printed.append(buffer, got);
      pclose(pipe);
    }
    return printed;
  }

  static bool HasPython() { return std::system("python3 -c 'import csv, json' 2>/dev/null") == 0; }

  // The values of object's latest state, in UTF-8 (an empty value for a
  // parameter the state does not have).
  std::map<std::string, std::string> StateOf(const std::string& path, const std::string& object) {
    std::map<std::string, std::string> values;
    EXPECT_TRUE(OpenProject(path));
    TObjectSet set;
    EXPECT_TRUE(set.Load(APSFindObject(object)));
    TStateTrack track;
    EXPECT_TRUE(set.LatestStateAt(clock.Now(), track));
    track.ConstructState();
    for (const auto& pair : track.State->PVs)
      values[Cp1251ToUtf8(pair->Parameter->ParamName)] = Cp1251ToUtf8(pair->Value.Text());
    CloseProject();
    return values;
  }

  void ExpectValues(const std::string& path, const TValues& values) {
    const std::map<std::string, std::string> state = StateOf(path, "Pump");
    for (const auto& [name, value] : values) {
      const auto found = state.find(name);
      EXPECT_EQ(value, found == state.end() ? "" : found->second) << path << " " << name;
    }
  }

  const TValues hostile = {
      {"Name", "Smith, John"},
      {"Said", "say \"hi\", then \"\"go\"\""},
      {"Note", "first line\r\nsecond line\nthird"},
      {"Mixed", "a;b\tc|d"},
      {"Quoted", "\"all of it\""},
      {"Cyrillic", "Иванов, Пётр «Сидорович»"},
      {"Weight", "72 [g]"},
      {"Empty", ""},
  };
};

TEST_F(QuotedFields, ACsvWrittenByPythonImportsExactlyAndItsExportReadsBackInPython) {
  if (!HasPython()) GTEST_SKIP() << "python3 is not there to write and read the files";
  const std::string written = Path("python.csv");
  ASSERT_EQ("", Python("write", written, ",", hostile));
  // Python quotes as it must (and no more): the file is not Vandro's own.
  ASSERT_NE(std::string::npos, Read(written).find(",\"say \"\"hi\"\", then \"\"\"\"go\"\"\"\"\","));
  ASSERT_EQ("1 new objects. 1 states were successfully modified\n",
            Ok({"import", project, written, "--sep", "comma"}));
  ExpectValues(project, hostile);

  for (const std::string separator : {",", ";", "\t"}) {
    const std::string exported = Path("vandro.csv");
    Ok({"export", project, "--what", "object", "--name", "Pump", "--as", "table", "--sep",
        separator, "--output", exported});
    EXPECT_EQ("2 rows\n", Python("read", exported, separator, hostile)) << Read(exported);
  }
}

TEST_F(QuotedFields, HostileValuesSurviveExportAndImportWithEverySeparator) {
  // Blanks at the ends of a value are kept only when quoted. Valve gives
  // the table a column Y that Pump leaves empty: a line must not end in a
  // value that spills into it.
  TValues values = hostile;
  values.push_back({"Padded", "  both ends\t"});
  const std::string source = Path("source.txt");
  std::ofstream(source, std::ios::binary)
      << "_Object_Name\t_Real_Time\tName\tSaid\tNote\tMixed\tQuoted\tCyrillic\tWeight\tPadded\tY\n"
         "Valve\t01.02.2010\t\t\t\t\t\t\t\t\t1\n"
         "Pump\t01.02.2010 10:00:00\tSmith, John\t\"say \"\"hi\"\", then \"\"\"\"go\"\"\"\"\"\t"
         "\"first line\r\nsecond line\nthird\"\t\"a;b\tc|d\"\t\"\"\"all of it\"\"\"\t"
         "Иванов, Пётр «Сидорович»\t72 [g]\t\"  both ends\t\"\r\n";
  ASSERT_EQ("2 new objects. 2 states were successfully modified\n",
            Ok({"import", project, source}));
  ExpectValues(project, values);

  int round = 0;
  for (const std::string separator : {"comma", "semicolon", "tab", " ", "|"}) {
    SCOPED_TRACE(separator);
    const std::string exported = Path("out.txt");
    Ok({"export", project, "--what", "all", "--as", "table", "--sep", separator, "--output",
        exported});
    const std::string copy = dir + "/Copy" + std::to_string(++round) + ".vdp";
    ASSERT_TRUE(APSCreateProject(copy, "", NewProjectInfo("Copy")));
    CloseProject();
    ASSERT_EQ("2 new objects. 2 states were successfully modified\n",
              Ok({"import", copy, exported, "--sep", separator}));
    ExpectValues(copy, values);
    // And the copy writes the same table.
    const std::string again = Path("again.txt");
    Ok({"export", copy, "--what", "all", "--as", "table", "--sep", separator, "--output", again});
    EXPECT_EQ(Read(exported), Read(again));
  }
}

} // namespace
} // namespace vandro::cli
