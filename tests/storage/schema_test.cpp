#include "shell/text.h"
#include "storage/database.h"
#include "storage/objects.h"
#include "storage/project_file.h"
#include "storage/session.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace vandro {
namespace {

using testing::Cp;

class StorageSchema : public testing::StorageTest {
protected:
  StorageSchema() { CreateAndOpen(); }
};

TEST_F(StorageSchema, TablesAndIndexesAreCreatedInOrder) {
  std::vector<std::string> names;
  auto query = APSDatabase().Query("SELECT name FROM sqlite_master ORDER BY rowid");
  while (query.Step())
    names.push_back(query.Text(0));
  EXPECT_EQ((std::vector<std::string>{"VD_Rpt_Frm_Chrt",
                                      "VD_Rpt_Frm_Chrt_NameTypeX",
                                      "VD_Objects",
                                      "VD_Objects_ObjIdX",
                                      "VD_Objects_ObjNameX",
                                      "VD_Records",
                                      "VD_Records_RecordIdX",
                                      "VD_Records_ObjIdX",
                                      "VD_Param_Templ",
                                      "VD_Param_Templ_IdtorX",
                                      "VD_Act_Templ",
                                      "VD_Act_Templ_IdtorX",
                                      "VD_Templates",
                                      "VD_Templates_IdtorX",
                                      "VD_Templates_NameX",
                                      "VD_Object_NDX",
                                      "VD_Object_NDX_EntryNameX",
                                      "VD_Object_NDX_ObjIdX",
                                      "VD_Params",
                                      "VD_Params_ParamIdX",
                                      "VD_Params_ParamNmX",
                                      "VD_Units",
                                      "VD_Units_UnitIdX",
                                      "VD_RecordVersions",
                                      "VD_RecordVersions_RecordIdX",
                                      "VD_RecordVersions_ObjIdX"}),
            names);
}

TEST_F(StorageSchema, TextIsUtf8AndPackedValuesAreBlobs) {
  auto parameter = std::make_unique<TParameter>();
  parameter->ParamName = Cp("Вес");
  parameter->DefValue.SetPlain("1");
  const int32_t id = CurrentProject()->AddParameter(std::move(parameter)).Idtor;
  {
    auto query = APSDatabase().Query(
        "SELECT hex(ParamName), typeof(DefValue), hex(DefValue) FROM VD_Params WHERE Idtor = ?");
    query.Bind(id);
    ASSERT_TRUE(query.Step());
    EXPECT_EQ("D092D0B5D181", query.Text(0));
    EXPECT_EQ("blob", query.Text(1));
    EXPECT_EQ("00040031", query.Text(2));
  }

  // SQLite alone reads every row.
  CloseProject();
  sqlite3* plain = nullptr;
  ASSERT_EQ(SQLITE_OK,
            sqlite3_open_v2(DatabaseFile().c_str(), &plain, SQLITE_OPEN_READONLY, nullptr));
  sqlite3_stmt* statement = nullptr;
  ASSERT_EQ(SQLITE_OK,
            sqlite3_prepare_v2(plain, "SELECT count(*) FROM VD_Params", -1, &statement, nullptr));
  ASSERT_EQ(SQLITE_ROW, sqlite3_step(statement));
  EXPECT_EQ(11, sqlite3_column_int(statement, 0));
  sqlite3_finalize(statement);
  sqlite3_close(plain);
}

TEST_F(StorageSchema, NamesAreUniqueWithoutRegardToCaseThroughPlainIndexes) {
  // Object names reach the unique index upper-cased, so letter case (code
  // page 1251, Cyrillic included) makes no second object.
  EXPECT_NE(0, APSCreateObject(Cp("ёлка")));
  EXPECT_EQ(0, APSCreateObject(Cp("ЁЛКА")));
  EXPECT_NE(0, APSFindObject(Cp("ЁлКа")));

  // The object pages are in the name index's order, which for Latin and
  // Russian letters is the order the core compares names in.
  std::vector<std::string> names{Cp("ЁЛКА")};
  for (const char* name : {"яблоко", "Zebra", "ёж", "Ель", "apple", "_x", "Яма", "1st", "є"}) {
    names.push_back(Cp(name));
    EXPECT_NE(0, APSCreateObject(names.back())) << name;
  }
  std::sort(names.begin(), names.end(),
            [](const auto& a, const auto& b) { return CompareText(a, b) < 0; });
  std::vector<std::string> stored;
  auto query = APSDatabase().Query("SELECT ObjName FROM VD_Objects ORDER BY ObjName");
  while (query.Step())
    stored.push_back(query.Text(0));
  for (auto& name : names)
    name = UpperCase(name);
  EXPECT_EQ(names, stored);

  // No column or index of the schema names a collation.
  auto collations =
      APSDatabase().Query("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%COLLATE%'");
  ASSERT_TRUE(collations.Step());
  EXPECT_EQ(0, collations.Int(0));
}

TEST_F(StorageSchema, AFailingStatementIsASystemErrorNamingTheDatabase) {
  EXPECT_THROW(Guarded([] { APSDatabase().Execute("DROP TABLE nothing_here"); }), ErrorException);
  EXPECT_EQ(0u, sink.Last().find("System Error: Something wrong.\r\nDatabase error in " +
                                 DatabaseFile() + "\r\nno such table: nothing_here"))
      << sink.Last();
}

TEST_F(StorageSchema, AQueryLeftOpenWhenTheProjectClosesIsFreedSafely) {
  APSCreateObject("x");
  auto query = APSDatabase().Query("SELECT ObjIdtor FROM VD_Objects");
  ASSERT_TRUE(query.Step());
  CloseProject();
  EXPECT_TRUE(OpenProject(ProjectFile())); // the closed connection let go of the file
} // the query is freed after its connection closed

TEST(StorageProjectFile, LayoutOfTheRecord) {
  TProjectFileContent content;
  content.ObjectCounter = 0x01020340;
  content.IdCounter = -2;
  content.Info.Name = "N";
  content.Info.Location = std::string(200, 'L'); // cut to 128
  content.Info.Description = "D";
  content.Info.Version = "V";
  content.Info.Author = "A";
  content.Info.Organization = "O";
  content.Info.StartDate = 1.5;
  content.Info.LastOpened = 2.5;
  content.Info.EarliestRecordTime = -3.25;
  content.Info.Comments = "C";
  const std::string bytes = EncodeProjectFile(content);
  ASSERT_EQ(688u, bytes.size());
  EXPECT_EQ(std::string("\x40\x03\x02\x01\xFE\xFF\xFF\xFF", 8), bytes.substr(0, 8));
  struct Field {
    size_t offset;
    std::string text;
  };
  const Field fields[] = {
      {8, "N"},  {41, std::string(128, 'L')}, {170, "D"}, {425, "V"}, {458, "A"}, {491, "O"},
      {552, "C"}};
  for (const auto& field : fields) {
    EXPECT_EQ(static_cast<char>(field.text.size()), bytes[field.offset]) << field.offset;
    EXPECT_EQ(field.text, bytes.substr(field.offset + 1, field.text.size())) << field.offset;
  }
  const auto date = [&](size_t offset) {
    double value;
    std::memcpy(&value, bytes.data() + offset, 8); // the test host is little-endian
    return value;
  };
  EXPECT_EQ(1.5, date(528));
  EXPECT_EQ(2.5, date(536));
  EXPECT_EQ(-3.25, date(544));
  EXPECT_EQ(std::string(4, '\0'), bytes.substr(524, 4));
  EXPECT_EQ(std::string(7, '\0'), bytes.substr(681, 7));

  TProjectFileContent back;
  ASSERT_TRUE(DecodeProjectFile(bytes, back));
  EXPECT_EQ(content.ObjectCounter, back.ObjectCounter);
  EXPECT_EQ(-2, back.IdCounter);
  EXPECT_EQ(std::string(128, 'L'), back.Info.Location);
  EXPECT_EQ("C", back.Info.Comments);
  EXPECT_EQ(-3.25, back.Info.EarliestRecordTime);
}

TEST(StorageProjectFile, DamagedRecordsAreReadSafely) {
  std::string bytes = EncodeProjectFile({});
  bytes[8] = static_cast<char>(200); // a name longer than its capacity
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::memcpy(bytes.data() + 536, &nan, 8);
  TProjectFileContent content;
  ASSERT_TRUE(DecodeProjectFile(bytes, content));
  EXPECT_EQ(32u, content.Info.Name.size());
  EXPECT_EQ(0, content.Info.LastOpened);

  std::string reason;
  EXPECT_FALSE(DecodeProjectFile(bytes + "x", content, &reason));
  EXPECT_EQ("The file is 689 bytes long; a project file has 688 bytes", reason);
  EXPECT_FALSE(DecodeProjectFile("", content, &reason));
}

} // namespace
} // namespace vandro
