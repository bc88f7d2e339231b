#include "editing/state_choice.h"

#include "storage/records_fixture.h"

#include <gtest/gtest.h>

#include <optional>

namespace vandro {
namespace {

constexpr const char* kCreateNew = "You didn't select any state.\r\nDo you want to create new one?";
constexpr const char* kNoRecordToEdit = "You didn't select any state.\r\nThere's no record to edit";

class StateChoice : public testing::RecordsTest {};

TEST_F(StateChoice, TheWindowIsShownAsThePurposeNeeds) {
  const struct {
    TStatePurpose purpose;
    bool quiet, createObject;
  } cases[] = {
      {TStatePurpose::NewState, true, false},
      {TStatePurpose::EditRecord, false, false},
      {TStatePurpose::TemplateItem, true, true},
  };
  for (const auto& c : cases) {
    const TStateRequest request = StateRequestFor(c.purpose);
    EXPECT_EQ(c.quiet, request.Quiet) << static_cast<int>(c.purpose);
    EXPECT_EQ(c.createObject, request.AllowCreateObject) << static_cast<int>(c.purpose);
  }
}

TEST_F(StateChoice, EachPurposeDecidesWhatAChoiceLeadsTo) {
  const int32_t object = APSCreateObject("pump");
  const int32_t record = Record(object, Day(1), {{"X", "1"}});
  const int32_t missing = object + 320; // an object identifier nobody has
  const struct {
    const char* name;
    TStatePurpose purpose;
    TSelectedState selected;
    std::optional<bool> answer; // to "Do you want to create new one?"
    TStateChoice choice;
    const char* message;
  } cases[] = {
      {"a state", TStatePurpose::EditRecord, {false, object, record}, {}, TStateChoice::Track, ""},
      {"new object", TStatePurpose::TemplateItem, {true, 0, 0}, {}, TStateChoice::NewObject, ""},
      {"nothing chosen", TStatePurpose::NewState, {false, 0, 0}, {}, TStateChoice::Again, ""},
      {"edit without state",
       TStatePurpose::EditRecord,
       {false, object, 0},
       {},
       TStateChoice::Again,
       kNoRecordToEdit},
      {"new branch", TStatePurpose::NewState, {false, object, 0}, true, TStateChoice::Set, ""},
      {"no new branch",
       TStatePurpose::NewState,
       {false, object, 0},
       false,
       TStateChoice::Again,
       ""},
      {"template, new branch",
       TStatePurpose::TemplateItem,
       {false, object, 0},
       true,
       TStateChoice::Set,
       ""},
      {"template, no new branch",
       TStatePurpose::TemplateItem,
       {false, object, 0},
       false,
       TStateChoice::Cancel,
       ""},
  };
  for (const auto& c : cases) {
    sink.Reset();
    if (c.answer) sink.Answer(*c.answer, kCreateNew);
    const TChosenState chosen = DecideChosenState(c.purpose, c.selected);
    EXPECT_EQ(c.choice, chosen.Choice) << c.name;
    EXPECT_EQ(c.message, sink.Last()) << c.name;
    EXPECT_EQ(c.answer.has_value(), !sink.Questions().empty()) << c.name;
    if (c.choice == TStateChoice::Track) {
      ASSERT_TRUE(chosen.Track) << c.name;
      EXPECT_EQ(record, chosen.Track->Last()->Idtor);
      EXPECT_TRUE(chosen.Track->State) << c.name;
    }
    if (c.choice == TStateChoice::Set) {
      ASSERT_TRUE(chosen.Set) << c.name;
      EXPECT_EQ(object, chosen.Set->ObjIdtor) << c.name;
    }
  }

  // A history that cannot be read is said so, and the window comes again.
  sink.Reset();
  sink.Answer(true, kCreateNew);
  const TChosenState lost = DecideChosenState(TStatePurpose::NewState, {false, missing, 0});
  EXPECT_EQ(TStateChoice::Again, lost.Choice);
  EXPECT_EQ("Object doesn't exist. Id=" + std::to_string(missing), sink.Last());
}

} // namespace
} // namespace vandro
