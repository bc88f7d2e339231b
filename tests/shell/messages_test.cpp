#include "shell/int_list.h"
#include "shell/messages.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::ScriptedSink;

TEST(Messages, RaiseErrorShowsThenThrowsTheSameText) {
  ScriptedSink sink;
  try {
    RaiseError("Parameter not found");
    FAIL() << "no exception";
  } catch (const ErrorException& e) {
    EXPECT_EQ("Parameter not found", e.Message());
  }
  EXPECT_EQ(std::vector<std::string>{"Parameter not found"}, sink.Messages());
}

TEST(Messages, RaiseSystemErrorShowsThePrefixOnItsOwnLine) {
  ScriptedSink sink;
  try {
    RaiseSystemError("Record doesn't exist. Id=" + std::to_string(5));
    FAIL() << "no exception";
  } catch (const ErrorException& e) {
    EXPECT_STREQ("Record doesn't exist. Id=5", e.what());
  }
  EXPECT_EQ("System Error: Something wrong.\r\nRecord doesn't exist. Id=5", sink.Last());
}

TEST(Messages, AskTakesAnswersFromTheQueueInOrder) {
  ScriptedSink sink;
  sink.Answer(true, "Overwrite?");
  sink.Answer(false);
  EXPECT_TRUE(Ask("Overwrite?", false));
  EXPECT_FALSE(Ask("Delete?", true));
  EXPECT_EQ((std::vector<std::string>{"Overwrite?", "Delete?"}), sink.Questions());
}

TEST(Messages, ShowMsgListReachesTheSinkAsOneEntry) {
  ScriptedSink sink;
  ShowMsgList({"line 1", "line 2"});
  EXPECT_EQ("line 1\r\nline 2", sink.Last());
}

TEST(Messages, SinksNestAndRestore) {
  ScriptedSink outer;
  {
    ScriptedSink inner;
    ShowMsg("inner");
    EXPECT_EQ(1u, inner.Messages().size());
  }
  ShowMsg("outer");
  EXPECT_EQ(std::vector<std::string>{"outer"}, outer.Messages());
}

TEST(IntList, AccessOutsideTheListRaisesWithTheIndex) {
  ScriptedSink sink;
  TIntList list{4, 8, 15};
  EXPECT_EQ(15, list.At(2));
  EXPECT_EQ(1, list.IndexOf(8));
  for (int bad : {-1, 3}) {
    EXPECT_THROW(list.At(bad), ErrorException);
    EXPECT_EQ("Index out of range:" + std::to_string(bad), sink.Last());
  }
  EXPECT_THROW(list.Delete(3), ErrorException);
  list.Insert(3, 16);
  list.Delete(0);
  EXPECT_EQ((TIntList{8, 15, 16}), list);
}

} // namespace
} // namespace vandro
