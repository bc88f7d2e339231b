#include "editing/project_info.h"

#include "shell/datetime.h"
#include "shell/messages.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class ProjectInfo : public ::testing::Test {
protected:
  ProjectInfo() {
    info.Name = "Plant";
    info.Location = "/home/ann/Plant.vdp";
    info.Description = "Pumps";
    info.Version = "1.0";
    info.Author = "Ann";
    info.Organization = "Works";
    info.StartDate = 40000.25;
    info.LastOpened = 0; // never
    info.Comments = "none yet";
  }
  ~ProjectInfo() override { SetDateStyle(TDateStyle::European); }

  static std::vector<std::string> Column(const std::vector<TInfoRowText>& rows,
                                         std::string TInfoRowText::*field) {
    std::vector<std::string> texts;
    for (const TInfoRowText& row : rows)
      texts.push_back(row.*field);
    return texts;
  }

  TProjectInfo info;
  testing::ScriptedSink sink;
};

using Texts = std::vector<std::string>;

TEST_F(ProjectInfo, ShownEditedAndCreatedRows) {
  SetDateStyle(TDateStyle::US);
  const auto showing = ProjectInfoRows(info, TInfoUse::Showing);
  EXPECT_EQ((Texts{"Project Name", "Version", "Project Description", "Author Name", "Organization",
                   "Start Date", "Last Opened", "Comments"}),
            Column(showing, &TInfoRowText::Title));
  EXPECT_EQ(
      (Texts{"Plant", "1.0", "Pumps", "Ann", "Works", "07/06/2009 06:00:00", "n/a", "none yet"}),
      Column(showing, &TInfoRowText::Text));
  for (const TInfoRowText& row : showing)
    EXPECT_FALSE(row.Editable) << row.Title;

  // The editor shows the dates as they are shown ("n/a" only for one never
  // set) and does not let them be changed.
  const auto editing = ProjectInfoRows(info, TInfoUse::Editing);
  ASSERT_EQ(8u, editing.size());
  for (const TInfoRowText& row : editing)
    EXPECT_EQ(!(row.Row == irStartDate || row.Row == irLastOpened), row.Editable) << row.Title;
  EXPECT_EQ(Column(showing, &TInfoRowText::Text), Column(editing, &TInfoRowText::Text));
  EXPECT_EQ(32u, editing[irVersion].Capacity);
  EXPECT_EQ(254u, editing[irDescription].Capacity);
  EXPECT_EQ(128u, editing[irComments].Capacity);

  // A new project is given the six texts, without dates.
  const auto creating = ProjectInfoRows(info, TInfoUse::Creating);
  EXPECT_EQ((Texts{"Project Name", "Version", "Project Description", "Author Name", "Organization",
                   "Comments"}),
            Column(creating, &TInfoRowText::Title));
  EXPECT_EQ(irComments, creating.back().Row);
}

TEST_F(ProjectInfo, EditedTextsAreTakenBackCutToTheirCapacities) {
  Texts edited = Column(ProjectInfoRows(info, TInfoUse::Editing), &TInfoRowText::Text);
  edited[irName] = std::string(40, 'N');
  edited[irStartDate] = "01.01.1990"; // not editable: ignored
  edited[irComments] = std::string(200, 'c');
  const TProjectInfo stored = ProjectInfoFromRows(info, TInfoUse::Editing, edited);
  EXPECT_EQ(std::string(32, 'N'), stored.Name);
  EXPECT_EQ(std::string(128, 'c'), stored.Comments);
  EXPECT_EQ(info.StartDate, stored.StartDate);
  EXPECT_EQ(info.LastOpened, stored.LastOpened);
  EXPECT_EQ(info.Location, stored.Location);

  const TProjectInfo created = ProjectInfoFromRows(TProjectInfo(), TInfoUse::Creating,
                                                   {"New", "2", "Desc", "Bob", "Org", "Notes"});
  EXPECT_EQ("New", created.Name);
  EXPECT_EQ("2", created.Version);
  EXPECT_EQ("Org", created.Organization);
  EXPECT_EQ("Notes", created.Comments);

  // Shown rows are read only: nothing is taken back.
  EXPECT_EQ("Plant", ProjectInfoFromRows(info, TInfoUse::Showing, Texts(8, "x")).Name);
}

TEST_F(ProjectInfo, AnotherCountOfTextsIsABrokenCaller) {
  EXPECT_THROW(ProjectInfoFromRows(info, TInfoUse::Editing, Texts(6)), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nProject information has 6 rows", sink.Last());
  EXPECT_THROW(ProjectInfoFromRows(info, TInfoUse::Creating, Texts(8)), ErrorException);
}

} // namespace
} // namespace vandro
