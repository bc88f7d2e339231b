#include "model/record_packing.h"

#include "model/data_record.h"
#include "model/project.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using namespace std::string_literals;

class RecordPacking : public ::testing::Test {
protected:
  RecordPacking() {
    for (const char* name : {"X", "Y"}) {
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = name;
      project->AddParameter(std::move(parameter));
    }
    x = project->FindParameter("X");
    y = project->FindParameter("Y");
  }

  static TValue::Ptr Value(TValueKind kind, const std::string& text) {
    auto value = TValue::Create("test");
    value->SetText(kind, text);
    return value;
  }

  testing::ScriptedSink sink;
  std::unique_ptr<TProject> project = TProject::CreateInMemory();
  ScopedProject open{*project};
  const TParameter* x = nullptr;
  const TParameter* y = nullptr;
};

TEST_F(RecordPacking, LayoutOfTheThreeMemos) {
  TDataRecord record;
  record.PackPVs();
  EXPECT_EQ("\0\0\x03"s, record.PackedPVs);
  EXPECT_EQ("\0\0\x03"s, record.PackedAdded);
  EXPECT_EQ("\0\0\x03"s, record.PackedDeleted);

  TValue value;
  value.SetPlain("5");
  record.AddPV(*x, value);
  record.Added.push_back(Value(vkObject, "96"));
  record.Added.push_back(Value(vkObject, "129"));
  record.Deleted.push_back(Value(vkObject, "0"));
  record.PackPVs();
  // Identifier, ":", then the value's own packed form (length 4, kind 0, "5").
  const std::string id = std::to_string(x->Idtor);
  EXPECT_EQ("\0\0"s + static_cast<char>(3 + id.size() + 5) + id +
                ":\0\x04\0"
                "5"s,
            record.PackedPVs);
  EXPECT_EQ("\0\0\x0A"
            "96;129;"s,
            record.PackedAdded);
  EXPECT_EQ("\0\0\x05"
            "0;"s,
            record.PackedDeleted);

  // Lengths beyond 16 bits use the high byte of the header.
  TDataRecord big;
  TValue text;
  text.SetPlain(std::string(60000, 'a'));
  big.AddPV(*x, text);
  big.AddPV(*y, text);
  big.PackPVs();
  const size_t length = big.PackedPVs.size();
  EXPECT_EQ(3u + 2 * (std::to_string(x->Idtor).size() + 1 + 60003), length);
  EXPECT_EQ(length >> 16, static_cast<unsigned char>(big.PackedPVs[0]));
  EXPECT_EQ((length >> 8) & 0xFF, static_cast<unsigned char>(big.PackedPVs[1]));
  EXPECT_EQ(length & 0xFF, static_cast<unsigned char>(big.PackedPVs[2]));
}

TEST_F(RecordPacking, UnpackingGivesBackWhatWasPacked) {
  TDataRecord record;
  TValue array;
  array.SetArray();
  array.AddItem(Value(vkPlain, "1 [m]"));
  array.AddItem(Value(vkObject, "64"));
  record.AddPV(*x, array);
  record.AddPV(*y, *Value(vkCalculated, "=X*2"));
  record.AddPV(*x, *Value(vkPlain, ""));
  record.Added.push_back(Value(vkObject, "96"));
  record.Deleted.push_back(Value(vkObject, "65"));
  record.PackPVs();

  TDataRecord copy;
  copy.PackedPVs = record.PackedPVs;
  copy.PackedAdded = record.PackedAdded;
  copy.PackedDeleted = record.PackedDeleted;
  copy.UnpackPVs();
  ASSERT_EQ(3u, copy.PVs.size());
  EXPECT_EQ(3u, copy.VisiblePVs.size());
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(record.PVs[i]->Parameter, copy.PVs[i]->Parameter);
    EXPECT_TRUE(record.PVs[i]->Value.Equals(copy.PVs[i]->Value)) << i;
    EXPECT_TRUE(copy.PVs[i]->Modified);
  }
  ASSERT_EQ(1u, copy.Added.size());
  EXPECT_TRUE(copy.Added[0]->IsObject());
  EXPECT_EQ("96", copy.Added[0]->Text());
  ASSERT_EQ(1u, copy.Deleted.size());
  EXPECT_EQ("65", copy.Deleted[0]->Text());

  // A value whose parameter was deleted since keeps its place without one.
  project->DeleteParameter(y->Idtor);
  copy.UnpackPVs();
  ASSERT_EQ(3u, copy.PVs.size());
  EXPECT_EQ(nullptr, copy.PVs[1]->Parameter);
  EXPECT_EQ("=X*2", copy.PVs[1]->Value.Text());
}

TEST_F(RecordPacking, MembersMustBeObjectReferences) {
  const std::pair<TValueKind, const char*> members[] = {
      {vkPlain, "96"}, {vkObject, "9;6"}, {vkObject, ""}};
  for (const auto& [kind, text] : members) {
    TDataRecord record;
    record.Added.push_back(Value(kind, text));
    EXPECT_THROW(record.PackPVs(), ErrorException);
    EXPECT_EQ("Invalid value type. An object expected.", sink.Last());
    EXPECT_TRUE(record.PackedAdded.empty());
  }
}

TEST_F(RecordPacking, DamagedMemosAreReportedWithoutReadingPastThem) {
  struct Case {
    std::string pvs, added;
    std::string message;
  };
  const std::string empty = "\0\0\x03"s;
  const Case cases[] = {
      {"", empty, "memo PVs at position 1: the memo is 0 bytes long, shorter than its header"},
      {"\0\x03"s, empty,
       "memo PVs at position 1: the memo is 2 bytes long, shorter than its header"},
      {"\0\0\x0C"
       "12:\0\x04\0"
       "5"s,
       empty, "memo PVs at position 1: the header gives a length of 12 for a memo of 10 bytes"},
      {"\0\0\x06"
       "123"s,
       empty, "memo PVs at position 4: a parameter identifier without its \":\""},
      {"\0\0\x0A"
       "1x:\0\x04\0"
       "5"s,
       empty, "memo PVs at position 4: the parameter identifier is not a number"},
      {"\0\0\x07"
       "12:\0"s,
       empty, "memo PVs at position 7: the value's length runs past the end of the memo"},
      {"\0\0\x0A"
       "12:\0\x09\0"
       "5"s,
       empty, "memo PVs at position 7: a value of 9 bytes does not fit the memo"},
      {"\0\0\x0A"
       "12:\0\x02\0"
       "5"s,
       empty, "memo PVs at position 7: a value of 2 bytes does not fit the memo"},
      // An array whose item claims more than the array holds.
      {"\0\0\x10"
       "12:\0\x0A\x02\0\x01\0\x09\0"
       "ab"s,
       empty, "memo PVs at position 12: length 9 runs past the end of the text"},
      {empty,
       "\0\0\x05"
       "96"s,
       "memo CntAdded at position 4: a member without its \";\""},
      {empty,
       "\0\0\x06"
       "9a;"s,
       "memo CntAdded at position 4: a member that is not an identifier"},
      {empty, "\0\0\x04;"s, "memo CntAdded at position 4: a member that is not an identifier"},
  };
  for (const auto& c : cases) {
    TDataRecord record;
    record.Idtor = 65;
    record.AddPV(*x, TValue::Null());
    record.PackedPVs = c.pvs;
    record.PackedAdded = c.added;
    record.PackedDeleted = empty;
    sink.Reset();
    EXPECT_THROW(record.UnpackPVs(), ErrorException) << c.message;
    EXPECT_EQ("System Error: Something wrong.\r\nDamaged record 65: " + c.message, sink.Last());
    EXPECT_TRUE(record.PVs.empty() && record.VisiblePVs.empty() && record.Added.empty());
  }
}

TEST_F(RecordPacking, AnUnknownKindNamesTheRecordAndThePosition) {
  // Two values, the second of kind 9 (a tab): it is read as plain text.
  const std::string pvs = "\0\0\x10"
                          "1:\0\x04\0"
                          "5"
                          "2:\0\x05\x09"
                          "ab"s;
  TDataRecord record;
  record.Idtor = 65;
  record.PackedPVs = pvs;
  record.PackedAdded = record.PackedDeleted = "\0\0\x03"s;
  record.UnpackPVs();
  EXPECT_EQ("Unknown tag:\t (byte 9) in record 65: memo PVs at position 12", sink.Last());
  ASSERT_EQ(2u, record.PVs.size());
  EXPECT_TRUE(record.PVs[1]->Value.IsPlain());
  EXPECT_EQ("ab", record.PVs[1]->Value.Text());
}

TEST_F(RecordPacking, PtrArrKeepsTheInvariantOfPredecessors) {
  TDataRecord record;
  SetPredecessors(record, {});
  EXPECT_EQ(0, record.PrevRecord);
  EXPECT_FALSE(record.PtrArrTag);
  SetPredecessors(record, {33});
  EXPECT_EQ(33, record.PrevRecord);
  EXPECT_FALSE(record.PtrArrTag);
  EXPECT_EQ("", record.PtrArr);
  SetPredecessors(record, {33, 7});
  EXPECT_EQ(0, record.PrevRecord);
  EXPECT_TRUE(record.PtrArrTag);
  EXPECT_EQ("33;7;", record.PtrArr);

  std::vector<int32_t> ids;
  EXPECT_TRUE(ParsePtrArr("33;7;", ids));
  EXPECT_EQ((std::vector<int32_t>{33, 7}), ids);
  for (const char* damaged : {"33", "33;;", ";", "33;-7;", "99999999999;", "3 3;"})
    EXPECT_FALSE(ParsePtrArr(damaged, ids)) << damaged;
}

} // namespace
} // namespace vandro
