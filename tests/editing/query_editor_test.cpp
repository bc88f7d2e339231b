#include "editing/query_editor.h"

#include "editing/value_constructor.h"
#include "model/filter.h"
#include "shell/text.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class QueryEditor : public testing::RecordsTest {
protected:
  static std::unique_ptr<TQExpression> Parsed(const std::string& text) {
    auto query = std::make_unique<TQExpression>();
    query->Text = text;
    EXPECT_TRUE(query->Parse()) << text << ": " << query->Message;
    return query;
  }

  static TValue::Ptr Of(TValueKind kind, const std::string& text) {
    TValue::Ptr value = TValue::Create("test");
    value->SetText(kind, text);
    return value;
  }
};

// Every field the editor writes, expressions compared without regard to
// case: the reader upper-cases the words of what it reads ("Origin" comes
// back as "ORIGIN"), and the language does not tell them apart.
void ExpectSameQuery(const TQExpression& a, const TQExpression& b) {
  EXPECT_EQ(a.Selection, b.Selection);
  EXPECT_TRUE(SameText(a.NumberExpression, b.NumberExpression))
      << a.NumberExpression << " / " << b.NumberExpression;
  EXPECT_EQ(a.States, b.States);
  EXPECT_EQ(a.Scope, b.Scope);
  EXPECT_EQ(a.Everything, b.Everything);
  ASSERT_EQ(a.ScopeExpressions.size(), b.ScopeExpressions.size());
  for (size_t i = 0; i < a.ScopeExpressions.size(); ++i)
    EXPECT_TRUE(SameText(a.ScopeExpressions[i], b.ScopeExpressions[i]))
        << a.ScopeExpressions[i] << " / " << b.ScopeExpressions[i];
  EXPECT_TRUE(SameText(a.StartExpression, b.StartExpression))
      << a.StartExpression << " / " << b.StartExpression;
  EXPECT_TRUE(SameText(a.FinishExpression, b.FinishExpression))
      << a.FinishExpression << " / " << b.FinishExpression;
  EXPECT_EQ(a.Condition, b.Condition);
  EXPECT_EQ(a.ForAllStates, b.ForAllStates);
}

TEST_F(QueryEditor, AQueryWrittenBackReadsAsTheSameQuery) {
  struct Case {
    const char* text;
    const char* condition; // typed into the editor; nullptr keeps it
  };
  const Case cases[] = {
      {"FIND ALL OBJECTS WITHIN LIST OF OBJECT('A'), OBJECT('B') CONDITION X > 1", nullptr},
      {"FIND TOP 2 + 1 STATES WITHIN CONTENT OF OBJECT('G') CONDITION X > 1 AND Y < 2 ACTUAL "
       "NOW - 1",
       nullptr},
      {"FIND BOTTOM 3 OBJECTS WITHIN HISTORY ('01.01.2000', NOW) OF OBJECT('A') CONDITION "
       "FOR_ALL_STATES X = 1",
       nullptr},
      {"FIND RANDOM 5 OBJECTS WITHIN LIST OF EVERYTHING CONDITION FOR_ALL_STATES NOT (Z <> 'a')",
       nullptr},
      {"FIND ALL STATES WITHIN CONTENT OF EVERYTHING", nullptr},
      {"FIND ALL OBJECTS WITHIN HISTORY OF OBJECT('A')", ""},
      {"FIND TOP 1 STATES WITHIN LIST OBJECT('A') ACTUAL '01.02.2009'", "  Y >= 2  "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto read = Parsed(c.text);
    TQueryEditor editor(*read);
    if (c.condition) editor.Condition = c.condition;
    ASSERT_EQ(TQueryEditorClose::Accept, editor.Ok());
    TQExpression written;
    editor.WriteBack(written);
    const auto again = Parsed(written.ToText());
    ExpectSameQuery(written, *again);
    // Fields the editor did not touch are the query's own.
    EXPECT_EQ(read->Selection, written.Selection);
    EXPECT_EQ(read->ScopeExpressions, written.ScopeExpressions);
    if (!c.condition && !read->Condition.empty()) {
      EXPECT_EQ(read->Condition, written.Condition);
    }
  }
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(QueryEditor, BlankFieldsAreWrittenBackWithTheirDefaults) {
  TQExpression query;
  query.Text = "unchanged";
  TQueryEditor editor(query);
  editor.Selection = qsTop;
  editor.Number = "  ";
  editor.Start = "";
  editor.Finish = " ";
  editor.Condition = "\t";
  editor.AddObject("A");
  editor.Scope = qcHistory;
  editor.WriteBack(query);
  EXPECT_EQ("1", query.NumberExpression);
  EXPECT_EQ("Origin", query.StartExpression);
  EXPECT_EQ("Now", query.FinishExpression);
  EXPECT_EQ("TRUE", query.Condition);
  EXPECT_EQ((std::vector<std::string>{"ActualState(Object('A'))"}), query.ScopeExpressions);
  EXPECT_EQ("FIND TOP 1 OBJECTS\r\nWITHIN HISTORY  (Origin, Now) OF     "
            "ActualState(Object('A'))\r\nCONDITION TRUE\r\n",
            query.ToText());
}

TEST_F(QueryEditor, OkAsksAboutAnEmptyNumberOrObjectList) {
  struct Case {
    const char* name;
    int selection;
    const char* number;
    bool everything;
    bool answer; // to the question, when there is one
    const char* question;
    TQueryEditorClose close;
  };
  const char* noNumber = "The number of objects to find is empty.\r\nDo you want to continue "
                         "editing?";
  const char* noObjects = "The object list is empty.\r\nDo you want to continue editing?";
  const Case cases[] = {
      {"TOP without number, No", qsTop, " ", true, false, noNumber, TQueryEditorClose::Cancel},
      {"TOP without number, Yes", qsTop, "", true, true, noNumber, TQueryEditorClose::Stay},
      {"RANDOM with number", qsRandom, "3", true, false, nullptr, TQueryEditorClose::Accept},
      {"ALL, number dropped", qsAll, "3", true, false, nullptr, TQueryEditorClose::Accept},
      {"no objects, No", qsAll, "", false, false, noObjects, TQueryEditorClose::Cancel},
      {"no objects, Yes", qsAll, "", false, true, noObjects, TQueryEditorClose::Stay},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TQExpression query;
    TQueryEditor editor(query);
    editor.Selection = c.selection;
    editor.Number = c.number;
    editor.Everything = c.everything;
    if (c.question) sink.Answer(c.answer, c.question);
    EXPECT_EQ(c.close, editor.Ok());
    // Nothing typed is lost, but ALL has no number.
    EXPECT_EQ(c.selection == qsAll ? "" : c.number, editor.Number);
    EXPECT_EQ(c.everything, editor.Everything);
  }
  EXPECT_EQ(4u, sink.Questions().size());
}

TEST_F(QueryEditor, KindAndScopeBoxesAndWhatTheyShow) {
  const auto query = Parsed("FIND ALL OBJECTS WITHIN CONTENT OF EVERYTHING");
  TQueryEditor editor(*query);
  EXPECT_FALSE(editor.NumberShown());
  EXPECT_TRUE(editor.ForAllStatesShown());
  EXPECT_FALSE(editor.StartShown());
  EXPECT_EQ("Actual", editor.FinishLabel());

  EXPECT_FALSE(editor.SetKind("Groups"));
  EXPECT_EQ("You can find either states or objects", sink.Last());
  EXPECT_EQ("States", editor.Kind);
  EXPECT_FALSE(editor.ForAllStatesShown());
  EXPECT_TRUE(editor.SetKind(" objects"));
  EXPECT_EQ("Objects", editor.Kind);

  // Content of everything is a list of everything.
  editor.SetScope(qcContent);
  EXPECT_EQ(qcList, editor.Scope);
  editor.SetScope(qcHistory);
  EXPECT_TRUE(editor.StartShown());
  EXPECT_EQ("Until:", editor.FinishLabel());
  editor.Everything = false;
  editor.SetScope(qcContent);
  EXPECT_EQ(qcContent, editor.Scope);

  editor.AddObject("A");
  editor.AddObject("B");
  editor.DeleteLine(0);
  editor.DeleteLine(3);
  EXPECT_EQ((std::vector<std::string>{"ActualState(Object('B'))"}), editor.ScopeLines);
  editor.ClearLines();
  EXPECT_TRUE(editor.ScopeLines.empty());
}

TEST_F(QueryEditor, TheConditionComesFromAFilterOrAFormula) {
  TQExpression query;
  TQueryEditor editor(query);
  TFilter filter;
  auto item = std::make_unique<TFilterItem>();
  item->Parameter = CurrentProject()->FindParameter("X");
  item->Operator = foGreater;
  item->Value.SetPlain("1");
  filter.SetItem(0, std::move(item));
  editor.TakeFilter(filter);
  EXPECT_EQ("X > 1", editor.Condition);

  struct Case {
    TValueKind kind;
    const char* text;
    bool taken;
    const char* condition;
  };
  const Case cases[] = {
      {vkCalculated, "Y < 3", true, "Y < 3"},
      {vkCalculated, " = Y < 4", true, "Y < 4"},
      {vkPlain, "True", true, "True"},
      {vkPlain, "X > 2", false, "True"},
      {vkCalculated, "FIND ALL OBJECTS WITHIN EVERYTHING", false, "True"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    sink.Reset();
    EXPECT_EQ(c.taken, editor.TakeCondition(*Of(c.kind, c.text)));
    EXPECT_EQ(c.condition, editor.Condition);
    EXPECT_EQ(c.taken ? "" : "Search condition should be a formula", sink.Last());
  }
}

TEST_F(QueryEditor, BuildQueryStartsFromTheSourceAndWritesItBack) {
  TValueConstructor constructor(*Of(vkCalculated, ""), nullptr, vpAll, vpCalculated);
  std::unique_ptr<TQExpression> query = constructor.StartQuery();
  ASSERT_TRUE(query);
  EXPECT_EQ(qsAll, query->Selection); // a new query
  EXPECT_FALSE(query->States);

  constructor.Source = "FIND TOP 2 STATES WITHIN LIST OF OBJECT('A') CONDITION X > 1";
  query = constructor.StartQuery();
  ASSERT_TRUE(query);
  EXPECT_EQ(qsTop, query->Selection);
  EXPECT_EQ("X > 1", query->Condition);

  // A text that is not a query is kept unless a new query is wanted.
  constructor.Source = "X + ";
  sink.Answer(false);
  EXPECT_FALSE(constructor.StartQuery());
  EXPECT_TRUE(sink.Questions().back().starts_with("The text is not a query that reads:"));
  sink.Answer(true);
  query = constructor.StartQuery();
  ASSERT_TRUE(query);
  EXPECT_TRUE(query->ScopeExpressions.empty());
  EXPECT_EQ("X + ", constructor.Source);

  TQueryEditor editor(*query);
  editor.AddObject("A");
  editor.Condition = "Y = 2";
  editor.WriteBack(*query);
  constructor.FinishQuery(*query);
  EXPECT_EQ("FIND ALL OBJECTS\r\nWITHIN CONTENT OF     ActualState(Object('A'))\r\nCONDITION Y = "
            "2\r\nACTUAL Now\r\n",
            constructor.Source);
  TValue built;
  ASSERT_TRUE(constructor.Build(built));
  EXPECT_TRUE(built.IsQuery());
}

} // namespace
} // namespace vandro
