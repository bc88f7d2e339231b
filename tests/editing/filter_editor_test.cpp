#include "editing/filter_editor.h"

#include "model/project.h"
#include "shell/text.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class FilterEditor : public ::testing::Test {
protected:
  FilterEditor() {
    for (const char* name : {"Weight", "Name"}) {
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = name;
      project->AddParameter(std::move(parameter));
    }
  }

  // Types a row into the editor's inputs.
  static void Type(TFilterEditor& editor, const std::string& connective,
                   const std::string& negation, const std::string& parameter,
                   const std::string& comparison, const std::string& value) {
    editor.Inputs.Connective = connective;
    editor.Inputs.Negation = negation;
    editor.Inputs.Parameter = parameter;
    editor.Inputs.Comparison = comparison;
    editor.Inputs.Value.SetPlain(value);
  }

  static std::vector<std::string> Lines(const TFilterEditor& editor) {
    std::vector<std::string> lines;
    for (int row = 0; row < editor.Count(); ++row)
      lines.push_back(editor.ItemText(row));
    return lines;
  }

  std::unique_ptr<TProject> project = TProject::CreateInMemory();
  ScopedProject open{*project};
  testing::ScriptedSink sink;
};

TEST_F(FilterEditor, EachRowBecomesAnItemWithTheCodesOfItsBoxes) {
  struct Case {
    const char *connective, *negation, *parameter, *comparison;
    uint8_t code, op;
    bool negated;
  };
  // Boxes are typed into: case and blanks around the texts do not matter.
  const Case cases[] = {
      {"AND", "", "Weight", " =", fcAnd, foEqual, false},
      {"or", "NOT", " name ", " <>", fcOr, foNotEqual, true},
      {"AND", "not", "WEIGHT", ">", fcAnd, foGreater, true},
      {"OR", "", "Weight", " <", fcOr, foLess, false},
      {"And", "", "Weight", ">=", fcAnd, foGreaterEqual, false},
      {"AND", "", "Name", " <= ", fcAnd, foLessEqual, false},
  };
  TFilter filter;
  TFilterEditor editor(filter);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameter + std::string(c.comparison));
    Type(editor, c.connective, c.negation, c.parameter, c.comparison, "7");
    ASSERT_TRUE(editor.Add());
    const TFilterItem& item = filter.Item(filter.Count() - 1);
    EXPECT_EQ(c.code, item.Connective);
    EXPECT_EQ(c.op, item.Operator);
    EXPECT_EQ(c.negated, item.Negated);
    EXPECT_EQ(project->FindParameter(Trim(c.parameter)), item.Parameter);
    EXPECT_EQ("7", item.Value.Text());
    // The value is cleared and the boxes are back at their first entries.
    EXPECT_TRUE(editor.Inputs.Value.IsNull());
    EXPECT_EQ("AND", editor.Inputs.Connective);
    EXPECT_EQ("", editor.Inputs.Negation);
    EXPECT_EQ(" =", editor.Inputs.Comparison);
    EXPECT_EQ("Name", editor.Inputs.Parameter); // the first in name order
  }
  EXPECT_EQ("WEIGHT = 7 OR  NOT NAME <> 7 AND  NOT WEIGHT > 7 OR WEIGHT < 7 AND WEIGHT >= 7 AND "
            "NAME <= 7",
            filter.BuildText());
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(FilterEditor, RefusalsKeepTheFilterAndTheInputs) {
  struct Case {
    const char *connective, *parameter, *comparison;
    int insertRow; // -2: Add
    const char* message;
  };
  const Case cases[] = {
      {"AND", "Height", "=", -2, "Parameter name not defined"},
      {"AND", "", "=", -2, "Parameter name not defined"},
      {"XOR", "Weight", "=", -2, "Invalid boolean operation"},
      {"AND", "Weight", "=>", -2, "Invalid comparison operation"},
      {"AND", "Weight", "==", 0, "Invalid comparison operation"},
      {"AND", "Weight", "=", -1, "Row not selected"},
      {"AND", "Weight", "=", 1, "Row not selected"},
  };
  TFilter filter;
  TFilterEditor editor(filter);
  Type(editor, "AND", "", "Weight", "=", "1");
  ASSERT_TRUE(editor.Add());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message + std::string(" ") + c.comparison);
    Type(editor, c.connective, "NOT", c.parameter, c.comparison, "O'Brien");
    EXPECT_FALSE(c.insertRow == -2 ? editor.Add() : editor.Insert(c.insertRow));
    EXPECT_EQ(c.message, sink.Last());
    EXPECT_EQ(1, filter.Count());
    EXPECT_EQ(c.connective, editor.Inputs.Connective);
    EXPECT_EQ("NOT", editor.Inputs.Negation);
    EXPECT_EQ(c.parameter, editor.Inputs.Parameter);
    EXPECT_EQ(c.comparison, editor.Inputs.Comparison);
    EXPECT_EQ("O'Brien", editor.Inputs.Value.Text());
  }
}

TEST_F(FilterEditor, InsertGoesBeforeTheSelectedRowAndRemoveDropsIt) {
  TFilter filter;
  TFilterEditor editor(filter);
  Type(editor, "AND", "", "Weight", ">", "70");
  ASSERT_TRUE(editor.Add());
  Type(editor, "OR", "", "Name", "=", "O'Brien");
  ASSERT_TRUE(editor.Add());
  Type(editor, "AND", "NOT", "Weight", "<", "100");
  ASSERT_TRUE(editor.Insert(1));
  // Each line is the item's piece of the condition, its connective shown
  // from the second line on, as the condition joins them.
  EXPECT_EQ(
      (std::vector<std::string>{"WEIGHT > 70", "AND NOT WEIGHT < 100", "OR NAME = 'O''Brien'"}),
      Lines(editor));
  EXPECT_EQ("WEIGHT > 70 AND  NOT WEIGHT < 100 OR NAME = 'O''Brien'", filter.BuildText());
  editor.Remove(0);
  editor.Remove(5); // no such row: nothing
  EXPECT_EQ((std::vector<std::string>{"NOT WEIGHT < 100", "OR NAME = 'O''Brien'"}), Lines(editor));
  EXPECT_TRUE(sink.Messages().empty());
}

} // namespace
} // namespace vandro
