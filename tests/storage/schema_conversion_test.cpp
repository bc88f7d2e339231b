// Projects any SQLite tool can check and query, and the conversion of
// databases written by earlier versions, whose name columns declared a
// collation only this program registers.
#include "model/project.h"
#include "shell/text.h"
#include "storage/database.h"
#include "storage/objects.h"
#include "storage/schema.h"
#include "storage/session.h"
#include "storage_fixture.h"
#include "support/earlier_schema.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

namespace vandro {
namespace {

using testing::Cp;

// What the stock sqlite3 shell prints for sql on the database at path,
// errors included.
std::string Shell(const std::string& path, const std::string& sql) {
  const std::string command = "sqlite3 -batch '" + path + "' \"" + sql + "\" 2>&1";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
      output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

// Every row of every table with its rowid, each value quoted by SQLite
// (blobs as hexadecimal), so that two dumps are equal only when the rows
// are equal byte for byte.
std::map<std::string, std::string> Dump(const std::string& path) {
  TDatabase database;
  EXPECT_TRUE(database.Open(path, TDatabase::TMode::ReadOnly));
  std::map<std::string, std::string> dump;
  for (const char* table : kTableNames) {
    std::string columns;
    {
      auto info = database.Query("SELECT name FROM pragma_table_info(?) ORDER BY cid");
      info.Bind(table);
      while (info.Step())
        columns += " || '|' || quote(\"" + info.Text(0) + "\") || typeof(\"" + info.Text(0) + "\")";
    }
    const std::string sql = "SELECT rowid" + columns + " FROM " + table + " ORDER BY rowid";
    auto rows = database.Query(sql.c_str());
    while (rows.Step())
      dump[table] += rows.Blob(0) + "\n";
  }
  return dump;
}

// One WHERE per name column, as a user of the shell would write it.
constexpr const char* kNameLookups[] = {
    "SELECT UntShrtNm FROM VD_Units WHERE UntName = 'kilometer'",
    "SELECT count(*) FROM VD_Units WHERE UntShrtNm = 'Km' OR UntCatgry = 'Length'",
    "SELECT count(*) FROM VD_Params WHERE ParamName = 'Weight'",
    "SELECT ObjIdtor FROM VD_Objects WHERE ObjName = 'WARD'",
    "SELECT count(*) FROM VD_Templates WHERE Name = 'VISIT'",
    "SELECT count(*) FROM VD_Object_NDX WHERE EntryName = 'WARDS'",
    "SELECT count(*) FROM VD_Rpt_Frm_Chrt WHERE O_NAME = 'LIMIT'",
};

class SchemaConversion : public testing::StorageTest {
protected:
  SchemaConversion() {
    TProject& project = CreateAndOpen();
    auto weight = std::make_unique<TParameter>();
    weight->ParamName = "Weight";
    project.AddParameter(std::move(weight));
    auto pressure = std::make_unique<TParameter>();
    pressure->ParamName = Cp("Давление");
    project.AddParameter(std::move(pressure));
    APSCreateObject("Ward");
    APSCreateObject(Cp("ёлка"));
    TVariable limit;
    limit.Name = "Limit";
    limit.Value.SetPlain("38 [C]");
    EXPECT_TRUE(project.SaveVariable(limit));
    CloseProject();
  }

  // Every lookup answers and the database passes the integrity check.
  void ExpectShellReads() {
    EXPECT_EQ("ok\n", Shell(DatabaseFile(), "pragma integrity_check"));
    for (const char* sql : kNameLookups)
      EXPECT_EQ(std::string::npos, Shell(DatabaseFile(), sql).find("Error")) << sql;
    EXPECT_EQ("Km\n", Shell(DatabaseFile(), kNameLookups[0]));
    EXPECT_EQ("1\n", Shell(DatabaseFile(), "SELECT count(*) FROM VD_Rpt_Frm_Chrt WHERE "
                                           "O_NAME = 'LIMIT'"));
  }
};

TEST_F(SchemaConversion, ANewProjectIsReadAndCheckedByTheStockShell) {
  ExpectShellReads();
}

TEST_F(SchemaConversion, AnEarlierDatabaseIsConvertedOnOpenWithEveryRowKept) {
  testing::MakeEarlierSchema(DatabaseFile());
  EXPECT_NE(std::string::npos, Shell(DatabaseFile(), "pragma integrity_check")
                                   .find("no such collation sequence: VD_NOCASE"));
  const auto before = Dump(DatabaseFile());

  ASSERT_TRUE(OpenProject(ProjectFile()));
  EXPECT_TRUE(sink.Messages().empty()) << sink.Last();
  EXPECT_TRUE(TablesToConvert(APSDatabase()).empty());
  EXPECT_FALSE(std::filesystem::exists(DatabaseFile() + ".bak"));

  // The name rules hold on the converted tables, Cyrillic included.
  TProject& project = *CurrentProject();
  EXPECT_EQ(0, APSCreateObject(Cp("ЁЛКА")));
  EXPECT_EQ(APSFindObject("WARD"), APSFindObject("ward"));
  auto clash = std::make_unique<TParameter>();
  clash->ParamName = Cp("ДАВЛЕНИЕ");
  EXPECT_THROW(project.AddParameter(std::move(clash)), ErrorException);
  EXPECT_EQ("Duplicate parameter name", sink.Last());
  EXPECT_NE(nullptr, project.FindParameter(Cp("давление")));
  CloseProject();

  EXPECT_EQ(before, Dump(DatabaseFile()));
  ExpectShellReads();
  // Opening again finds nothing left to convert.
  ASSERT_TRUE(OpenProject(ProjectFile()));
  EXPECT_FALSE(std::filesystem::exists(DatabaseFile() + ".bak"));
}

TEST_F(SchemaConversion, AFailedConversionChangesNothingAndKeepsTheCopy) {
  testing::MakeEarlierSchema(DatabaseFile());
  {
    // A column this program never wrote: the table cannot be rebuilt as ours.
    TDatabase database;
    ASSERT_TRUE(database.Open(DatabaseFile(), TDatabase::TMode::ReadWrite));
    database.Execute("ALTER TABLE VD_Units ADD COLUMN Extra TEXT");
  }
  const auto before = Dump(DatabaseFile());

  EXPECT_FALSE(OpenProject(ProjectFile()));
  EXPECT_EQ(nullptr, CurrentProject());
  ASSERT_GE(sink.Messages().size(), 2u);
  const std::string& reason = sink.Messages()[sink.Messages().size() - 2];
  EXPECT_EQ(0u, reason.find("Can't convert the project database " + DatabaseFile() +
                            " to the current format:\r\nThe table VD_Units has columns this "
                            "program does not know\r\nThe database was not changed; a copy of "
                            "it is kept in " +
                            DatabaseFile() + ".bak."))
      << reason;
  EXPECT_EQ("Can't open the project " + ProjectFile(), sink.Last());

  EXPECT_EQ(before, Dump(DatabaseFile()));
  EXPECT_EQ(before, Dump(DatabaseFile() + ".bak"));
}

} // namespace
} // namespace vandro
