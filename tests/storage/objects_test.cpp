#include "storage/objects.h"
#include "storage/session.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;

class StorageObjects : public testing::StorageTest {
protected:
  StorageObjects() { CreateAndOpen(); }

  // Groups become groups when a record first adds members; that write is the
  // records' own, so here it is done directly.
  void MakeGroup(int32_t id) {
    APSDatabase().Query("UPDATE VD_Objects SET GroupTag = 1 WHERE ObjIdtor = ?").Bind(id).Run();
  }

  static std::vector<std::string> Names(const TAPSObjTablePage& page) {
    std::vector<std::string> names;
    for (int i = 0; i < page.Count; ++i)
      names.push_back(page.Entries[static_cast<size_t>(i)].ObjName);
    return names;
  }
};

TEST_F(StorageObjects, NamesAreUpperCaseAndUniqueWithoutRegardToCase) {
  const int32_t first = APSCreateObject(Cp("Ёжик в тумане"));
  EXPECT_EQ(64, first);
  EXPECT_EQ(Cp("ЁЖИК В ТУМАНЕ"), APSObjectName(first));
  EXPECT_EQ(first, APSFindObject(Cp("ёжик В ТУМАНЕ")));

  // A clash returns 0 and uses up the identifier it took.
  EXPECT_EQ(0, APSCreateObject(Cp("ЁЖИК в тумане")));
  EXPECT_EQ(128, APSCreateObject("second"));
  EXPECT_EQ(2, APSObjectCount());

  // A name that does not fit or holds a control character is refused, never
  // cut: a cut name is another object's, and a record would reach it.
  const std::string full(32, 'S');
  EXPECT_NE(0, APSCreateObject(full));
  EXPECT_THROW(APSCreateObject(full + "_PUMP_ONE"), ErrorException);
  EXPECT_EQ("The name is longer than 32 characters: " + full + "_PUMP_ONE", sink.Last());
  EXPECT_EQ(0, APSFindObject(full + "_PUMP_TWO"));
  EXPECT_THROW(APSCreateObject("PUMP\x1b[2J"), ErrorException);
  EXPECT_EQ("The name holds a control character", sink.Last());
  EXPECT_FALSE(APSRenameObject(first, "A\tB"));
  EXPECT_EQ("The name holds a control character", sink.Last());
  EXPECT_EQ(3, APSObjectCount());

  EXPECT_EQ(0, APSFindObject("nobody"));
  EXPECT_EQ("", APSObjectName(96));
}

TEST_F(StorageObjects, Renaming) {
  const int32_t a = APSCreateObject("alpha");
  const int32_t b = APSCreateObject(Cp("бета"));
  EXPECT_TRUE(APSRenameObject(a, "ALPHA"));
  EXPECT_TRUE(APSRenameObject(a, "Alpha2"));
  EXPECT_EQ("ALPHA2", APSObjectName(a));
  EXPECT_TRUE(sink.Messages().empty());

  EXPECT_FALSE(APSRenameObject(a, Cp("БЕТА")));
  EXPECT_EQ(Cp("Object named БЕТА already exists. Change the name and try again"), sink.Last());
  EXPECT_EQ("ALPHA2", APSObjectName(a));
  EXPECT_EQ(Cp("БЕТА"), APSObjectName(b));

  EXPECT_THROW(APSRenameObject(1000 * 32, "x"), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nObject doesn't exist. Id=32000", sink.Last());
}

TEST_F(StorageObjects, UniqueNamesAreReservedUntilReleased) {
  APSCreateObject("PATIENT3");
  APSCreateObject("Patient3(2)");
  // Two objects: numbering starts at 3, and clashes take "(2)", "(3)", ...
  const std::string first = APSUniqueObjectName("Patient");
  EXPECT_EQ("PATIENT3(3)", first);
  // Not created, but reserved: the next call moves on to the next number.
  EXPECT_EQ("PATIENT4", APSUniqueObjectName(Cp("patient")));
  APSReleaseObjectName(first);
  EXPECT_EQ(first, APSUniqueObjectName("Patient"));
  EXPECT_EQ(Cp("ОБЪЕКТ3"), APSUniqueObjectName(Cp("объект")));

  // A long base is cut so that the number still fits in a stored name.
  const std::string longName = APSUniqueObjectName(std::string(40, 'q'));
  EXPECT_EQ(32u, longName.size());
  EXPECT_NE(0, APSCreateObject(longName));
  EXPECT_EQ(longName, APSObjectName(APSFindObject(longName)));

  // Reserved names outlive the project; give them back for the next test.
  for (const std::string& name : {first, std::string("PATIENT4"), Cp("объект3"), longName})
    APSReleaseObjectName(name);
}

TEST_F(StorageObjects, WalkingInIdentifierOrder) {
  int32_t id = 0;
  EXPECT_FALSE(APSFirstObject(id));
  EXPECT_FALSE(APSLastObject(id));
  const int32_t a = APSCreateObject("zz");
  const int32_t b = APSCreateObject("aa");
  const int32_t c = APSCreateObject("mm");

  std::vector<int32_t> forward, backward;
  for (bool more = APSFirstObject(id); more; more = APSNextObject(id))
    forward.push_back(id);
  for (bool more = APSLastObject(id); more; more = APSPriorObject(id))
    backward.push_back(id);
  EXPECT_EQ((std::vector<int32_t>{a, b, c}), forward);
  EXPECT_EQ((std::vector<int32_t>{c, b, a}), backward);

  id = 32;
  EXPECT_THROW(APSNextObject(id), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nCant find object with id = 32", sink.Last());
  EXPECT_THROW(APSPriorObject(id), ErrorException);
}

TEST_F(StorageObjects, PagesFollowNameOrderAndTheGroupFilter) {
  for (const char* name : {"e", "b", "d", "a", "c"})
    APSCreateObject(name);
  MakeGroup(APSFindObject("b"));
  MakeGroup(APSFindObject("d"));

  TAPSObjTablePage page;
  page.PageSize = 3;
  page.Entries[0].Selected = true;
  APSFillPageFiltered(page, true, true);
  EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), Names(page));
  EXPECT_FALSE(page.Entries[0].Selected);
  EXPECT_TRUE(page.Entries[1].Group);
  EXPECT_EQ(3, page.Entries[2].RowNo);
  EXPECT_EQ(APSFindObject("c"), page.Entries[2].ObjIdtor);
  EXPECT_EQ(5, APSPageRowCount());

  // The last position shows the last rows and no more than exist.
  APSFillPageAt(page, 3);
  EXPECT_EQ((std::vector<std::string>{"D", "E"}), Names(page));
  EXPECT_EQ(4, page.Entries[0].RowNo);
  APSFillPageAt(page, 9);
  EXPECT_EQ(0, page.Count);

  struct Case {
    bool withObjects, withGroups;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {true, false, {"A", "C", "E"}},
      {false, true, {"B", "D"}},
      {false, false, {"B", "D"}}, // groups win when both are left out
  };
  for (const auto& c : cases) {
    page.PageSize = 64;
    APSFillPageFiltered(page, c.withObjects, c.withGroups);
    EXPECT_EQ(c.names, Names(page)) << c.withObjects << c.withGroups;
    EXPECT_EQ(static_cast<int32_t>(c.names.size()), APSPageRowCount());
  }
  // Moving keeps the filter; other object functions ignore it.
  APSFillPageFiltered(page, true, false);
  APSFillPageAt(page, 1);
  EXPECT_EQ((std::vector<std::string>{"C", "E"}), Names(page));
  EXPECT_EQ(5, APSObjectCount());
  APSClearObjectFilter();
  APSFillPageAt(page, 4);
  EXPECT_EQ((std::vector<std::string>{"E"}), Names(page));

  page.PageSize = 500; // at most 64
  APSFillPageAt(page, 0);
  EXPECT_EQ(64, page.PageSize);
  EXPECT_EQ(5, page.Count);
}

TEST_F(StorageObjects, WithoutAnOpenProjectTheFunctionsRaise) {
  CloseProject();
  EXPECT_THROW(APSCreateObject("x"), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nNo project is open", sink.Last());
}

} // namespace
} // namespace vandro
