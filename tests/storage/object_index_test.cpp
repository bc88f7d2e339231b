#include "model/object_index.h"
#include "storage/index_rows.h"
#include "storage/objects.h"
#include "storage/session.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;
using Names = std::vector<std::string>;

constexpr const char* kCreateRefused = "Can't create index entry. Duplicate Names.";
constexpr const char* kChangeRefused = "Can't change index entry. Duplicate Names.";

Names EntryNames(TIndexKind kind) {
  Names names;
  for (const auto& entry : CurrentProject()->IndexEntries(kind))
    names.push_back(entry.EntryName);
  return names;
}

int Row(TIndexKind kind, const std::string& name) {
  const auto& list = CurrentProject()->IndexEntries(kind);
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].EntryName == name) return static_cast<int>(i);
  return -1;
}

// Every row of the table as "rule name object comment", in name order.
Names StoredRows() {
  Names rows;
  auto query = APSDatabase().Query(
      "SELECT SCRule, EntryName, ObjIdtor, Comment FROM VD_Object_NDX ORDER BY EntryName");
  while (query.Step())
    rows.push_back(std::to_string(query.Int(0)) + " " + query.Text(1) + " " +
                   std::to_string(query.Int(2)) + " " + query.Text(3));
  return rows;
}

class StorageIndex : public testing::StorageTest {
protected:
  StorageIndex() {
    CreateAndOpen();
    alpha = APSCreateObject("alpha");
    beta = APSCreateObject("beta");
    gamma = APSCreateObject("gamma");
    ward = APSCreateObject("ward");
  }

  // ZETA -> alpha and MID -> beta in the object index, WARD -> ward in the
  // group index.
  void AddThree() {
    ASSERT_TRUE(AddEntry(ikObjects, "  zeta ", "  first  ", alpha));
    ASSERT_TRUE(AddEntry(ikObjects, "Mid", "", beta));
    ASSERT_TRUE(AddEntry(ikGroups, "Ward", "beds", ward));
  }

  int32_t alpha = 0, beta = 0, gamma = 0, ward = 0;
};

TEST_F(StorageIndex, EntriesAreSortedUpperCaseAndUniqueInBothLists) {
  AddThree();
  // A name that does not fit is refused, not cut; the comment is cut.
  sink.Reset();
  EXPECT_FALSE(AddEntry(ikObjects, Cp("ярлык") + std::string(28, 'x'), "", gamma));
  EXPECT_EQ("The name is longer than 32 characters: " + Cp("ярлык") + std::string(28, 'x'),
            sink.Last());
  ASSERT_TRUE(
      AddEntry(ikObjects, Cp("ярлык") + std::string(27, 'x'), std::string(200, 'c'), gamma));
  const std::string cut = Cp("ЯРЛЫК") + std::string(27, 'X');
  EXPECT_EQ((Names{"MID", "ZETA", cut}), EntryNames(ikObjects));
  EXPECT_EQ(Names{"WARD"}, EntryNames(ikGroups));
  const TIndexEntry& zeta = CurrentProject()->IndexEntries(ikObjects)[1];
  EXPECT_EQ("first", zeta.Comment);
  EXPECT_EQ("ALPHA", zeta.ObjName);
  EXPECT_EQ(alpha, zeta.ObjIdtor);
  EXPECT_EQ(std::string(128, 'c'), CurrentProject()->IndexEntries(ikObjects)[2].Comment);

  const int32_t delta = APSCreateObject("delta");
  struct Case {
    TIndexKind kind;
    std::string name;
    int32_t object;
  };
  const Case refused[] = {
      {ikGroups, "zeta", delta},   // the name is in the other list
      {ikObjects, " mid ", delta}, // in the same list, other letters
      {ikGroups, "Other", alpha},  // alpha has an entry already
  };
  for (const auto& c : refused) {
    sink.Reset();
    EXPECT_FALSE(AddEntry(c.kind, c.name, "", c.object)) << c.name;
    EXPECT_EQ(std::vector<std::string>{kCreateRefused}, sink.Messages());
  }
  EXPECT_EQ(4u, StoredRows().size());

  // A row of neither list still holds its name and its object.
  APSDatabase()
      .Query(
          "INSERT INTO VD_Object_NDX (SCRule, EntryName, ObjIdtor, Comment) VALUES (2, ?, ?, '')")
      .Bind("STRAY", delta)
      .Run();
  Reopen();
  EXPECT_EQ((Names{"MID", "ZETA", cut}), EntryNames(ikObjects));
  EXPECT_EQ(Names{"WARD"}, EntryNames(ikGroups));
  EXPECT_EQ("WARD", CurrentProject()->IndexEntries(ikGroups)[0].ObjName);
  EXPECT_EQ("beds", CurrentProject()->IndexEntries(ikGroups)[0].Comment);
  EXPECT_FALSE(AddEntry(ikObjects, "stray", "", APSCreateObject("epsilon")));
  EXPECT_FALSE(AddEntry(ikObjects, "new", "", delta));
}

TEST_F(StorageIndex, EditingRenamesMovesOrRefusesAsAWhole) {
  AddThree();
  ASSERT_TRUE(EditEntry(ikObjects, Row(ikObjects, "ZETA"), "Alpha", "renamed", alpha));
  EXPECT_EQ((Names{"ALPHA", "MID"}), EntryNames(ikObjects));
  ASSERT_TRUE(EditEntry(ikObjects, Row(ikObjects, "MID"), "mid", "", gamma)); // own name
  EXPECT_EQ("GAMMA", CurrentProject()->IndexEntries(ikObjects)[1].ObjName);
  const Names before = StoredRows();
  EXPECT_EQ(
      (Names{"0 ALPHA " + std::to_string(alpha) + " renamed",
             "0 MID " + std::to_string(gamma) + " ", "1 WARD " + std::to_string(ward) + " beds"}),
      before);

  struct Case {
    std::string name;
    int32_t object;
  };
  const Case refused[] = {
      {"ward", gamma}, // the name of an entry of the other list
      {"Mid", alpha},  // alpha has its own entry
  };
  for (const auto& c : refused) {
    sink.Reset();
    EXPECT_FALSE(EditEntry(ikObjects, Row(ikObjects, "MID"), c.name, "x", c.object)) << c.name;
    EXPECT_EQ(std::vector<std::string>{kChangeRefused}, sink.Messages());
    EXPECT_EQ(before, StoredRows());
    EXPECT_EQ((Names{"ALPHA", "MID"}), EntryNames(ikObjects));
    EXPECT_EQ(gamma, CurrentProject()->IndexEntries(ikObjects)[1].ObjIdtor);
  }
  EXPECT_THROW(EditEntry(ikGroups, 1, "x", "", beta), ErrorException);
  EXPECT_EQ("Index entry not found", sink.Last());
}

TEST_F(StorageIndex, DeletingAsksFirst) {
  AddThree();
  const std::string question = "You are about to delete MID\r\nAre you sure?";
  sink.Answer(false, question);
  EXPECT_FALSE(DeleteEntry(ikObjects, Row(ikObjects, "MID")));
  EXPECT_EQ(3u, StoredRows().size());
  sink.Answer(true, question);
  EXPECT_TRUE(DeleteEntry(ikObjects, Row(ikObjects, "MID")));
  EXPECT_EQ(Names{"ZETA"}, EntryNames(ikObjects));
  EXPECT_EQ(2u, StoredRows().size());
  // The object is free for a new entry.
  EXPECT_TRUE(AddEntry(ikGroups, "b", "", beta));

  EXPECT_THROW(DeleteEntry(ikObjects, 1), ErrorException);
  EXPECT_EQ("Index Entry not found", sink.Last());
  EXPECT_FALSE(APSDeleteIndexEntry("nothing"));
  EXPECT_EQ("Can't delete the key nothing", sink.Last());
}

TEST_F(StorageIndex, RenamingTheEntryOfAnObject) {
  AddThree();
  EXPECT_TRUE(APSRenameIndexEntry(alpha, "aaa"));
  EXPECT_EQ((Names{"AAA", "MID"}), EntryNames(ikObjects));
  sink.Reset();
  EXPECT_FALSE(APSRenameIndexEntry(alpha, "ward"));
  EXPECT_EQ(std::vector<std::string>{kChangeRefused}, sink.Messages());
  EXPECT_FALSE(APSRenameIndexEntry(gamma, "none")); // gamma has no entry
  EXPECT_TRUE(APSHasIndexEntry(alpha));
  EXPECT_FALSE(APSHasIndexEntry(gamma));
  EXPECT_FALSE(APSIndexNameFree("aAa"));
  EXPECT_TRUE(APSIndexNameFree("zeta"));
}

TEST(ObjectIndex, AProjectInMemoryKeepsTheSameRulesInItsLists) {
  testing::ScriptedSink sink;
  auto project = TProject::CreateInMemory();
  ScopedProject open(*project);
  EXPECT_TRUE(AddEntry(ikObjects, "b", "", 64));
  EXPECT_TRUE(AddEntry(ikGroups, "a", "", 96));
  EXPECT_FALSE(AddEntry(ikObjects, "A", "", 128));
  EXPECT_FALSE(AddEntry(ikObjects, "c", "", 96));
  EXPECT_EQ(2u, sink.Messages().size());
  EXPECT_TRUE(EditEntry(ikObjects, 0, "B", "same entry", 64));
  EXPECT_FALSE(EditEntry(ikObjects, 0, "a", "", 64));
  EXPECT_EQ(kChangeRefused, sink.Last());
  sink.Answer(true);
  EXPECT_TRUE(DeleteEntry(ikGroups, 0));
  EXPECT_TRUE(project->IndexEntries(ikGroups).empty());
}

} // namespace
} // namespace vandro
