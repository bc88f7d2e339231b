#include "storage/descriptors.h"
#include "storage/session.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;
using Lines = std::vector<std::string>;

class StorageDescriptors : public testing::StorageTest {
protected:
  StorageDescriptors() { CreateAndOpen(); }

  static Lines Load(const std::string& name, int kind) {
    Lines lines{"untouched"};
    LoadDescriptor(lines, name, kind);
    return lines;
  }

  static std::string StoredText(const std::string& name, int kind) {
    auto query = APSDatabase().Query(
        "SELECT O_DESCRIPTOR FROM VD_Rpt_Frm_Chrt WHERE O_NAME = ? AND O_TYPE = ?");
    query.Bind(name, kind);
    return query.Step() ? query.Text(0) : "<none>";
  }
};

TEST_F(StorageDescriptors, SaveLoadListAndDelete) {
  ASSERT_TRUE(SaveDescriptor({"Title=Weight", Cp("Ось=кг")}, "Weight chart", dkChart, false,
                             "Weight chart"));
  ASSERT_TRUE(SaveDescriptor({"form text"}, "weight chart", dkForm, false, "weight chart"));
  ASSERT_TRUE(SaveDescriptor({"a"}, Cp("давление"), dkChart, false, ""));
  EXPECT_EQ("Title=Weight\r\n" + Cp("Ось=кг") + "\r\n", StoredText("WEIGHT CHART", dkChart));
  EXPECT_EQ((Lines{"Title=Weight", Cp("Ось=кг")}), Load("weight CHART", dkChart));
  EXPECT_EQ((Lines{"form text"}), Load("Weight Chart", dkForm)); // kinds are apart
  EXPECT_EQ((Lines{"untouched"}), Load("weight chart", dkReport));

  Lines names{"kept"};
  ListDescriptorNames(names, dkChart);
  EXPECT_EQ((Lines{"kept", "WEIGHT CHART", Cp("ДАВЛЕНИЕ")}), names);

  // Keeping the text, or saving no text, leaves the stored text as it is.
  ASSERT_TRUE(SaveDescriptor({"other"}, "Weight chart", dkChart, true, "Weight chart"));
  ASSERT_TRUE(SaveDescriptor({}, "Weight chart", dkChart, false, "Weight chart"));
  EXPECT_EQ((Lines{"Title=Weight", Cp("Ось=кг")}), Load("weight chart", dkChart));

  EXPECT_TRUE(DeleteDescriptor("WEIGHT chart", dkChart));
  EXPECT_FALSE(DeleteDescriptor("Weight chart", dkChart));
  EXPECT_EQ("Can't locate description of Weight chart", sink.Last());
  EXPECT_EQ((Lines{"form text"}), Load("weight chart", dkForm));
}

TEST_F(StorageDescriptors, Renaming) {
  ASSERT_TRUE(SaveDescriptor({"one"}, "First", dkChart, false, "First"));
  ASSERT_TRUE(SaveDescriptor({"two"}, "Second", dkChart, false, "Second"));

  EXPECT_FALSE(SaveDescriptor({"changed"}, "First", dkChart, true, "second"));
  EXPECT_EQ("Can't rename chart.\r\n Name second already exists.", sink.Last());
  EXPECT_EQ("one\r\n", StoredText("FIRST", dkChart));
  EXPECT_EQ("two\r\n", StoredText("SECOND", dkChart));

  // A rename that changes only the letter case is no clash.
  EXPECT_TRUE(SaveDescriptor({"one"}, "First", dkChart, true, "FIRST"));
  EXPECT_TRUE(SaveDescriptor({"renamed"}, "First", dkChart, false, "Third"));
  EXPECT_EQ("<none>", StoredText("FIRST", dkChart));
  EXPECT_EQ("renamed\r\n", StoredText("THIRD", dkChart));
  // Renaming a row that is not there makes one under its own name.
  EXPECT_TRUE(SaveDescriptor({"new"}, "Fourth", dkReport, false, "Fifth"));
  EXPECT_EQ("new\r\n", StoredText("FOURTH", dkReport));
}

TEST(StorageDescriptorText, LinesSplitAtAnyLineEnd) {
  EXPECT_EQ((Lines{"a", "", "b", "c"}), SplitDescriptorText("a\r\n\nb\rc"));
  EXPECT_EQ((Lines{"a", ""}), SplitDescriptorText("a\r\n\r\n"));
  EXPECT_EQ(Lines{}, SplitDescriptorText(""));
  EXPECT_EQ("a\r\n\r\n", JoinDescriptorLines({"a", ""}));
}

TEST(StorageVariableText, EncodingAndDecoding) {
  testing::ScriptedSink sink;
  TVariable variable;
  variable.Name = "V";
  variable.Value.SetPlain("ab");
  // An empty comment still takes the first line.
  EXPECT_EQ((Lines{"", "000500"
                       "6162"}),
            EncodeVariable(variable));
  variable.Comment = "two\r\nlines";
  EXPECT_EQ("two  lines", EncodeVariable(variable)[0]);

  struct Case {
    std::string text;
    std::string comment;
    std::string value; // "!" for a damaged value
  };
  const Case cases[] = {
      {"note\r\n0005006162\r\n", "note", "ab"},
      {"note\n0005006162", "note", "ab"},
      {"\r\n0005006162\r\n", "", "ab"},
      {"only a comment", "only a comment", ""},
      {"c\r\n0005006162F", "c", "ab"}, // an odd digit at the end is left
      {"c\r\n000500616b", "c", "a`"},  // a lower-case digit reads as 0
      {"c\r\n00050061", "c", "!"},     // shorter than its length says
      {"c\r\nZZ", "c", "!"},           // "ZZ" reads as a zero byte
      {std::string(300, 'x'), std::string(254, 'x'), ""},
  };
  for (const auto& c : cases) {
    sink.Reset();
    TVariable decoded;
    const bool ok = DecodeVariable(c.text, "STORED", decoded);
    EXPECT_EQ(c.value != "!", ok) << c.text;
    EXPECT_EQ("STORED", decoded.Name);
    EXPECT_EQ(c.comment, decoded.Comment) << c.text;
    if (ok) {
      EXPECT_EQ(c.value, decoded.Value.Text()) << c.text;
    } else {
      EXPECT_EQ(0u, sink.Last().find("System Error: Something wrong.")) << sink.Last();
    }
  }
}

TEST_F(StorageDescriptors, VariablesAreKeptAsDescriptors) {
  TProject& project = *CurrentProject();
  TVariable series;
  series.Name = Cp("Ряд");
  series.Value.SetArray();
  for (const char* text : {"1 [kg]", "2 [kg]"}) {
    TValue::Ptr item = TValue::Create("test");
    item->SetPlain(text);
    series.Value.AddItem(std::move(item));
  }
  ASSERT_TRUE(project.SaveVariable(series));
  TVariable plain;
  plain.Name = "a_plain";
  plain.Comment = "first";
  plain.Value.SetPlain("x");
  ASSERT_TRUE(project.SaveVariable(plain));
  EXPECT_EQ("first\r\n00040078\r\n", StoredText("A_PLAIN", dkVariable));

  // A rename onto another variable is refused and changes nothing.
  plain.Name = Cp("ряд");
  EXPECT_FALSE(project.SaveVariable(plain, "a_plain"));
  EXPECT_EQ(Cp("Can't rename variable.\r\n Name РЯД already exists."), sink.Last());
  plain.Name = "renamed";
  ASSERT_TRUE(project.SaveVariable(plain, "A_PLAIN"));
  EXPECT_EQ(nullptr, project.FindVariable("a_plain"));

  TProject& again = Reopen();
  ASSERT_EQ(2u, again.Variables().size());
  EXPECT_EQ("RENAMED", again.Variables()[0]->Name);
  EXPECT_EQ("first", again.Variables()[0]->Comment);
  const TVariable* stored = again.FindVariable(Cp("ряд"));
  ASSERT_NE(nullptr, stored);
  EXPECT_EQ(Cp("РЯД"), stored->Name);
  ASSERT_EQ(2, stored->Value.ItemCount());
  EXPECT_EQ("2 [kg]", stored->Value.GetItem(1).Text());

  again.DeleteVariable("renamed");
  EXPECT_EQ(1u, again.Variables().size());
  EXPECT_EQ("<none>", StoredText("RENAMED", dkVariable));
}

TEST_F(StorageDescriptors, OpeningLoadsChartNamesAndSkipsDamagedVariables) {
  ASSERT_TRUE(SaveDescriptor({"x"}, "Pulse", dkChart, false, "Pulse"));
  ASSERT_TRUE(SaveDescriptor({"comment", "00FF00"}, "broken", dkVariable, false, "broken"));
  TVariable good;
  good.Name = "good";
  ASSERT_TRUE(CurrentProject()->SaveVariable(good));
  TProject& again = Reopen();
  EXPECT_EQ(Lines{"PULSE"}, again.ChartNames());
  ASSERT_EQ(1u, again.Variables().size());
  EXPECT_EQ("GOOD", again.Variables()[0]->Name);
  EXPECT_EQ(0u, sink.Last().find("System Error: Something wrong.")) << sink.Last();
}

} // namespace
} // namespace vandro
