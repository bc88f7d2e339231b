#include "shell/child_windows.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vandro {
namespace {

using testing::ScriptedSink;

// A child that stands where the lists put it and leaves them when closed.
class FakeChild final : public TChildWindow {
public:
  FakeChild(TChildWindows& lists, TChildKind kind, int32_t object = 0)
      : lists_(lists), kind_(kind), object_(object) {}
  TChildKind Kind() const override { return kind_; }
  TChildPlace Place() const override { return place; }
  bool UsesObject(int32_t id) const override { return id == object_; }
  void CloseForProject() override {
    closed = true;
    lists_.Remove(*this);
  }

  TChildPlace place;
  bool closed = false;

private:
  TChildWindows& lists_;
  TChildKind kind_;
  int32_t object_;
};

class ChildWindows : public ::testing::Test {
protected:
  // Opens a child as the main window does: limit, place, add.
  FakeChild* Open(TChildKind kind, int32_t object = 0) {
    if (!lists.CheckLimit()) return nullptr;
    auto child = std::make_unique<FakeChild>(lists, kind, object);
    child->place = lists.PlaceFor(kind, kToolAreaBottom);
    lists.Add(*child);
    children.push_back(std::move(child));
    return children.back().get();
  }

  static constexpr int kToolAreaBottom = 30;
  ScriptedSink sink;
  TChildWindows lists;
  std::vector<std::unique_ptr<FakeChild>> children;
};

TEST_F(ChildWindows, AtMost65OpenTogetherAcrossTheFourLists) {
  const TChildKind kinds[] = {TChildKind::RecordDialog, TChildKind::GroupDialog,
                              TChildKind::ChartWindow, TChildKind::GroupView};
  for (int i = 0; i < 64; ++i)
    ASSERT_NE(nullptr, Open(kinds[i % 4]));
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_NE(nullptr, Open(TChildKind::GroupView)); // the 65th
  for (const TChildKind kind : kinds)
    EXPECT_EQ(nullptr, Open(kind));
  EXPECT_EQ(4u, sink.Messages().size());
  EXPECT_EQ("Too many dialogs opened", sink.Last());
  EXPECT_EQ(65, lists.Count());

  // Closing one makes room for one.
  children.front()->CloseForProject();
  EXPECT_NE(nullptr, Open(TChildKind::RecordDialog));
  EXPECT_EQ(nullptr, Open(TChildKind::RecordDialog));
}

TEST_F(ChildWindows, AWindowMissingFromItsListSaysSo) {
  FakeChild* listed = Open(TChildKind::GroupView);
  ASSERT_NE(nullptr, listed);
  FakeChild stranger(lists, TChildKind::GroupView);
  lists.Remove(stranger);
  EXPECT_EQ("Awfully! Form can't find itself in the list", sink.Last());
  EXPECT_TRUE(lists.Contains(listed));
  lists.Remove(*listed);
  EXPECT_FALSE(lists.Contains(listed));
  EXPECT_EQ(1u, sink.Messages().size());
}

TEST_F(ChildWindows, EachKindCascadesFromBelowTheToolBarArea) {
  FakeChild* first = Open(TChildKind::RecordDialog);
  EXPECT_EQ(10, first->place.left);
  EXPECT_EQ(kToolAreaBottom + 10, first->place.top);
  FakeChild* second = Open(TChildKind::RecordDialog);
  EXPECT_EQ(20, second->place.left);
  EXPECT_EQ(kToolAreaBottom + 20, second->place.top);

  // The next follows the last window where it stands now, not where it opened.
  second->place = {300, 200};
  FakeChild* third = Open(TChildKind::RecordDialog);
  EXPECT_EQ(310, third->place.left);
  EXPECT_EQ(210, third->place.top);

  // Another kind starts its own cascade.
  FakeChild* chart = Open(TChildKind::ChartWindow);
  EXPECT_EQ(10, chart->place.left);
  EXPECT_EQ(kToolAreaBottom + 10, chart->place.top);
  EXPECT_TRUE(lists.IsChartWindow(chart));
  EXPECT_FALSE(lists.IsGroupView(chart));
  EXPECT_FALSE(lists.IsChartWindow(third));
}

TEST_F(ChildWindows, AnObjectIsInUseWhileAWindowWorksOnIt) {
  FakeChild* dialog = Open(TChildKind::RecordDialog, 64);
  Open(TChildKind::GroupView, 96);
  EXPECT_TRUE(lists.ObjectInUse(64));
  EXPECT_TRUE(lists.ObjectInUse(96));
  EXPECT_FALSE(lists.ObjectInUse(128));
  dialog->CloseForProject();
  EXPECT_FALSE(lists.ObjectInUse(64));
}

TEST_F(ChildWindows, ClosingForTheProjectAsksPerKindInOrder) {
  FakeChild* record1 = Open(TChildKind::RecordDialog);
  FakeChild* record2 = Open(TChildKind::RecordDialog);
  FakeChild* view = Open(TChildKind::GroupView);

  // No to the group views keeps them, and the project stays open.
  sink.Answer(true, "You should close all the Record Dialogs\r\nbefore closing the project.\r\n"
                    "Do you want to close all of them?");
  sink.Answer(false, "You should close all the Group Views\r\nbefore closing the project.\r\n"
                     "Do you want to close all of them?");
  EXPECT_FALSE(lists.CloseAllForProject());
  EXPECT_TRUE(record1->closed);
  EXPECT_TRUE(record2->closed);
  EXPECT_FALSE(view->closed);
  EXPECT_EQ(1, lists.Count());

  sink.Answer(true);
  EXPECT_TRUE(lists.CloseAllForProject());
  EXPECT_EQ(0, lists.Count());
  // With nothing open no question is asked.
  EXPECT_TRUE(lists.CloseAllForProject());
  EXPECT_EQ(3u, sink.Questions().size());
}

TEST(TileVertically, ColumnsShareTheAreaExactly) {
  struct Case {
    int count, width, height;
    int columnsInFirstRow, rows;
  };
  const Case cases[] = {{1, 800, 600, 1, 1},
                        {3, 1000, 600, 3, 1},
                        {4, 801, 600, 4, 1},
                        {6, 800, 601, 4, 2},
                        {65, 1280, 900, 4, 17}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    const auto rects = TileVertically(c.count, c.width, c.height);
    ASSERT_EQ(static_cast<size_t>(c.count), rects.size());
    long area = 0;
    for (const auto& r : rects) {
      EXPECT_GE(r.left, 0);
      EXPECT_LE(r.left + r.width, c.width);
      EXPECT_LE(r.top + r.height, c.height);
      area += static_cast<long>(r.width) * r.height;
    }
    EXPECT_EQ(static_cast<long>(c.width) * c.height, area); // no gap, no overlap
    EXPECT_EQ(c.height / c.rows, rects[0].height);
    EXPECT_EQ(c.width / c.columnsInFirstRow, rects[0].width);
  }
  EXPECT_TRUE(TileVertically(0, 800, 600).empty());
}

} // namespace
} // namespace vandro
