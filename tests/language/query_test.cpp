// Queries: the grammar, the text written back, and runs over small stored
// projects.
#include "language/query.h"

#include "shell/datetime.h"
#include "shell/messages.h"
#include "storage/records_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace vandro {
namespace {

using Ids = std::vector<int32_t>;

class Queries : public testing::RecordsTest {
protected:
  Queries() {
    for (const char* name : {"G", "A"}) {
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = name;
      parameter->Category = "Data";
      CurrentProject()->AddParameter(std::move(parameter));
    }
  }

  static std::string At(double day) { return "'" + DateTimeToText(Day(day)) + "'"; }

  // Runs text; the identifiers of the result, or nothing with the message.
  Ids Run(const std::string& text, std::string* message = nullptr) {
    TQExpression query;
    query.Text = text;
    TValue::Ptr result = query.Execute(nullptr, nullptr);
    if (message) *message = query.Message;
    lastFailed = !result;
    Ids ids;
    if (!result) return ids;
    EXPECT_TRUE(result->IsArray());
    for (int i = 0; i < result->ItemCount(); ++i) {
      EXPECT_TRUE(result->GetItem(i).IsObject());
      ids.push_back(std::stoi(result->GetItem(i).Text()));
    }
    return ids;
  }

  std::string Failure(const std::string& text) {
    std::string message;
    Run(text, &message);
    EXPECT_TRUE(lastFailed) << text;
    return message;
  }

  bool lastFailed = false;
};

TEST_F(Queries, ToTextJoinsThePiecesExactly) {
  TQExpression query;
  query.Text = "FIND ALL OBJECTS WITHIN CONTENT OF G CONDITION A = 1 ACTUAL NOW";
  ASSERT_TRUE(query.Parse()) << query.Message;
  EXPECT_EQ("FIND ALL OBJECTS\r\nWITHIN CONTENT OF     G\r\nCONDITION A = 1\r\nACTUAL NOW\r\n",
            query.ToText());

  struct Case {
    const char* text;
    const char* written;
  } cases[] = {
      {"FIND TOP 2 + 1 STATES WITHIN LIST OF OBJECT('a'), G CONDITION FOR_ALL_STATES X > 1",
       "FIND TOP 2 + 1 STATES\r\nWITHIN LIST     OBJECT ('a' )\r\n    , G\r\nCONDITION X > "
       "1\r\nACTUAL Now\r\n"},
      {"find bottom 3 objects within history (origin, now) of g condition for_all_states x > 1",
       "FIND BOTTOM 3 OBJECTS\r\nWITHIN HISTORY  (ORIGIN, NOW) OF     G\r\nCONDITION "
       "FOR_ALL_STATES X > 1\r\n"},
      {"FIND RANDOM 1 OBJECTS WITHIN CONTENT OF EVERYTHING",
       "FIND RANDOM 1 OBJECTS\r\nWITHIN CONTENT OF EVERYTHING\r\nCONDITION \r\nACTUAL Now\r\n"},
      {"FIND ALL STATES WITHIN HISTORY OF X ACTUAL NOW",
       "FIND ALL STATES\r\nWITHIN HISTORY  (Origin, Now) OF     X\r\nCONDITION \r\n"},
      // FOR_ALL_STATES is written only for OBJECTS.
      {"FIND ALL STATES WITHIN LIST OF X CONDITION FOR_ALL_STATES X = 1",
       "FIND ALL STATES\r\nWITHIN LIST     X\r\nCONDITION X = 1\r\nACTUAL Now\r\n"},
  };
  for (const Case& c : cases) {
    TQExpression parsed;
    parsed.Text = c.text;
    ASSERT_TRUE(parsed.Parse()) << c.text << ": " << parsed.Message;
    EXPECT_EQ(c.written, parsed.ToText()) << c.text;
    // What ToText writes reads back to the same query (the default
    // expressions upper-cased by the lexer).
    TQExpression again;
    again.Text = parsed.ToText();
    ASSERT_TRUE(again.Parse()) << again.Text << ": " << again.Message;
    EXPECT_EQ(parsed.Selection, again.Selection);
    EXPECT_EQ(parsed.Scope, again.Scope);
    EXPECT_EQ(parsed.States, again.States);
    EXPECT_EQ(parsed.Everything, again.Everything);
    EXPECT_EQ(parsed.ScopeExpressions, again.ScopeExpressions);
    EXPECT_EQ(parsed.Condition, again.Condition);
    EXPECT_EQ(parsed.ForAllStates && !parsed.States, again.ForAllStates);
    TQExpression third;
    third.Text = again.ToText();
    ASSERT_TRUE(third.Parse());
    EXPECT_EQ(again.ToText(), third.ToText());
  }
}

TEST_F(Queries, ParseFillsTheFields) {
  TQExpression query;
  query.Text = "FIND TOP 5 STATES WITHIN HISTORY ('01.01.2000', NOW) X, Y CONDITION "
               "FOR_ALL_STATES X > 1 AND Y < 2";
  ASSERT_TRUE(query.Parse()) << query.Message;
  EXPECT_EQ(qsTop, query.Selection);
  EXPECT_EQ("5", query.NumberExpression);
  EXPECT_TRUE(query.States);
  EXPECT_EQ(qcHistory, query.Scope);
  EXPECT_EQ("'01.01.2000'", query.StartExpression);
  EXPECT_EQ("NOW", query.FinishExpression);
  EXPECT_EQ((std::vector<std::string>{"X", "Y"}), query.ScopeExpressions);
  EXPECT_EQ("X > 1 AND Y < 2", query.Condition);
  EXPECT_TRUE(query.ForAllStates);

  // A second parse starts afresh.
  query.Text = "FIND ALL OBJECTS WITHIN LIST OF EVERYTHING";
  ASSERT_TRUE(query.Parse());
  EXPECT_EQ(qsAll, query.Selection);
  EXPECT_FALSE(query.States);
  EXPECT_TRUE(query.Everything);
  EXPECT_TRUE(query.ScopeExpressions.empty());
  EXPECT_EQ("Origin", query.StartExpression);
  EXPECT_TRUE(query.Condition.empty());
  EXPECT_FALSE(query.ForAllStates);
}

TEST_F(Queries, MalformedTextsFailToParseWithAMessage) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"FIND ALL OBJECTS WITHIN LIST", "Unknown lexeme:"},
      {"FIND ALL OBJECTS WITHIN LIST OF", "Unknown lexeme:"},
      {"FIND ALL OBJECTS WITHIN LIST OF X,", "Unknown lexeme:"},
      {"", "Query should begin with FIND"},
      {"SELECT ALL OBJECTS", "Query should begin with FIND"},
      {"FIND OBJECTS", "ALL, TOP, BOTTOM or RANDOM expected"},
      {"FIND ALL THINGS", "OBJECTS or STATES expected"},
      {"FIND TOP OBJECTS", "Unknown lexeme:"},
      {"FIND ALL OBJECTS WITHIN CONTENT X", "OF expected"},
      {"FIND ALL OBJECTS WITHIN GROUP OF X", "CONTENT, LIST or HISTORY expected"},
      {"FIND ALL OBJECTS WITHIN HISTORY (NOW NOW) OF X", "',' expected"},
      {"FIND ALL OBJECTS WITHIN HISTORY (NOW, NOW OF X", "')' expected"},
      {"FIND ALL OBJECTS WITHIN LIST OF X )", "Unexpected lexeme"},
      {"FIND ALL OBJECTS CONDITION NOSUCHNAME > 1", "Unknown identifier: NOSUCHNAME"},
      {"FIND ALL OBJECTS CONDITION X > ", "Unknown lexeme:"},
      {"FIND ALL OBJECTS ACTUAL 'unterminated", ""},
  };
  for (const Case& c : cases) {
    TQExpression query;
    query.Text = c.text;
    EXPECT_FALSE(query.Parse()) << c.text;
    EXPECT_TRUE(query.Failed);
    EXPECT_NE(std::string::npos, query.Message.find(c.message)) << c.text << ": " << query.Message;
    EXPECT_NE(std::string::npos, query.Message.find(*c.text ? "???" : "Empty source code"))
        << query.Message;
    // A failed parse runs nothing.
    EXPECT_EQ(nullptr, query.Execute(nullptr, nullptr));
  }
}

class QueryRuns : public Queries {
protected:
  QueryRuns() {
    a = APSCreateObject("A");
    b = APSCreateObject("B");
    c = APSCreateObject("C");
    aFirst = Record(a, Day(1), {{"X", "3"}});
    aSecond = Record(a, Day(3), {{"X", "4"}});
    bFirst = Record(b, Day(1), {{"X", "7"}});
    cFirst = Record(c, Day(2), {{"X", "10"}});
  }

  int32_t a = 0, b = 0, c = 0;
  int32_t aFirst = 0, aSecond = 0, bFirst = 0, cFirst = 0;
};

TEST_F(QueryRuns, ScopesAndSelections) {
  struct Case {
    std::string text;
    Ids expected;
  } cases[] = {
      {"FIND ALL OBJECTS WITHIN LIST OF OBJECT('A'), OBJECT('B') CONDITION X > 1", {a, b}},
      {"FIND ALL OBJECTS WITHIN LIST OF OBJECT('A'), OBJECT('B') CONDITION X > 5", {b}},
      {"FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 5", {b, c}},
      {"FIND ALL OBJECTS WITHIN EVERYTHING", {a, b, c}},
      {"FIND TOP 2 OBJECTS WITHIN EVERYTHING", {a, b}},
      {"FIND BOTTOM 2 OBJECTS WITHIN EVERYTHING", {b, c}},
      {"FIND TOP 0 OBJECTS WITHIN EVERYTHING", {}},
      {"FIND BOTTOM 0 OBJECTS WITHIN EVERYTHING", {}},
      {"FIND TOP 10 STATES WITHIN EVERYTHING", {aSecond, bFirst, cFirst}},
      // States at an earlier moment.
      {"FIND ALL STATES WITHIN EVERYTHING ACTUAL " + At(1.5), {aFirst, bFirst}},
      {"FIND ALL STATES WITHIN EVERYTHING CONDITION X < 4 ACTUAL " + At(2), {aFirst}},
      // A state reference stands for the states descending from it.
      {"FIND ALL STATES WITHIN LIST OF ACTUALSTATE(OBJECT('A'))", {aSecond}},
      {"FIND ALL STATES WITHIN LIST OF HISTORYOF(OBJECT('A'))", {aSecond}},
      // The same object twice is one hit; the null object is skipped.
      {"FIND ALL OBJECTS WITHIN LIST OF OBJECT('B'), OBJECT('B'), OBJECT('NONE')", {b}},
      // A condition that cannot be evaluated excludes the candidate.
      {"FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X + 'text' > 1", {}},
      {"FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X", {}},
      // History windows: every record whose time lies within them.
      {"FIND ALL STATES WITHIN HISTORY (" + At(0) + ", " + At(5) + ") OF OBJECT('A')",
       {aFirst, aSecond}},
      {"FIND ALL STATES WITHIN HISTORY (" + At(2) + ", " + At(5) + ") OF OBJECT('A')", {aSecond}},
      {"FIND ALL STATES WITHIN HISTORY (" + At(0) + ", " + At(5) +
           ") OF EVERYTHING CONDITION X > 3",
       {aSecond, bFirst, cFirst}},
      {"FIND ALL OBJECTS WITHIN HISTORY (" + At(0) + ", " + At(5) +
           ") OF EVERYTHING CONDITION X > 3",
       {a, b, c}},
      {"FIND ALL OBJECTS WITHIN HISTORY (" + At(0) + ", " + At(5) +
           ") OF EVERYTHING CONDITION FOR_ALL_STATES X > 3",
       {b, c}},
      // ACTUAL after a HISTORY scope leaves the window alone.
      {"FIND ALL OBJECTS WITHIN HISTORY OF OBJECT('A') ACTUAL " + At(0), {a}},
      {"FIND ALL OBJECTS ACTUAL " + At(0) + " WITHIN HISTORY OF OBJECT('A')", {}},
  };
  for (const Case& k : cases) {
    std::string message;
    EXPECT_EQ(k.expected, Run(k.text, &message)) << k.text << ": " << message;
    EXPECT_FALSE(lastFailed) << k.text;
  }
}

TEST_F(QueryRuns, RandomDrawsDistinctHitsAmongAll) {
  std::set<int32_t> seen;
  for (int i = 0; i < 40; ++i) {
    const Ids ids = Run("FIND RANDOM 2 OBJECTS WITHIN EVERYTHING");
    ASSERT_EQ(2u, ids.size());
    EXPECT_NE(ids[0], ids[1]);
    // In scan order.
    EXPECT_LT(ids[0], ids[1]);
    seen.insert(ids.begin(), ids.end());
  }
  EXPECT_EQ((std::set<int32_t>{a, b, c}), seen);
  EXPECT_EQ((Ids{a, b, c}), Run("FIND RANDOM 7 OBJECTS WITHIN EVERYTHING"));
}

TEST_F(QueryRuns, BranchesAreSeveralStatesOfOneObject) {
  // A second version after A's first record: two current states.
  TObjectSet set;
  ASSERT_TRUE(set.Load(a));
  TStateTrack track;
  ASSERT_TRUE(track.SetPath(set, aFirst, Day(10)));
  const int32_t branch = track.ModifyRecord(Pairs({{"X", "9"}}), Day(4));
  ASSERT_NE(0, branch);
  Ids states = Run("FIND ALL STATES WITHIN LIST OF OBJECT('A')");
  std::sort(states.begin(), states.end());
  EXPECT_EQ((Ids{aSecond, branch}), states);
  EXPECT_EQ((Ids{a}), Run("FIND ALL OBJECTS WITHIN LIST OF OBJECT('A')"));
  EXPECT_EQ((Ids{a}), Run("FIND ALL OBJECTS WITHIN LIST OF OBJECT('A') CONDITION X > 5"));
  EXPECT_EQ((Ids{}),
            Run("FIND ALL OBJECTS WITHIN LIST OF OBJECT('A') CONDITION FOR_ALL_STATES X > 5"));
  EXPECT_EQ((Ids{a}),
            Run("FIND ALL OBJECTS WITHIN LIST OF OBJECT('A') CONDITION FOR_ALL_STATES X > 3"));
  // TOP counts objects when it finds objects.
  EXPECT_EQ((Ids{a, b}), Run("FIND TOP 2 OBJECTS WITHIN EVERYTHING"));
}

TEST_F(QueryRuns, ContentOfGroups) {
  const int32_t group = APSCreateObject("TEAM");
  TObjectSet set;
  ASSERT_TRUE(set.Load(group));
  TStateTrack track;
  set.LatestStateAt(Day(5), track);
  std::vector<TValue::Ptr> members;
  for (int32_t id : {a, c}) {
    members.push_back(TValue::Create("test"));
    members.back()->SetText(vkObject, std::to_string(id));
  }
  ASSERT_NE(0, track.ModifyGroup(members, {}, Day(5)));
  EXPECT_EQ((Ids{a, c}), Run("FIND ALL OBJECTS WITHIN CONTENT OF OBJECT('TEAM')"));
  EXPECT_EQ((Ids{c}), Run("FIND ALL OBJECTS WITHIN CONTENT OF OBJECT('TEAM') CONDITION X > 5"));
  // Before the group had members; other kinds of values are skipped.
  EXPECT_EQ((Ids{}), Run("FIND ALL OBJECTS WITHIN CONTENT OF OBJECT('TEAM'), 5 ACTUAL " + At(4)));
  // CONTENTOF gives the members as an array, which stands for its items.
  EXPECT_EQ((Ids{a, c}), Run("FIND ALL OBJECTS WITHIN LIST OF CONTENTOF(OBJECT('TEAM'))"));
}

TEST_F(QueryRuns, FailuresOfTheRunHaveTheirMessages) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"FIND TOP 2.5 OBJECTS WITHIN EVERYTHING",
       "Number specifier should be an integer.\r\nActual value is 2.5"},
      {"FIND TOP -1 OBJECTS WITHIN EVERYTHING",
       "Number specifier should be a positive integer.\r\nActual value is -1"},
      {"FIND TOP 1 / 0 OBJECTS WITHIN EVERYTHING", "Error during execution of number specifier:"},
      {"FIND ALL OBJECTS WITHIN EVERYTHING ACTUAL 'soon'",
       "Finish should be a Date-Time value.\r\nActual value is soon"},
      {"FIND ALL OBJECTS WITHIN EVERYTHING ACTUAL SQRT(-1)",
       "Error during calculation of finish time:"},
      {"FIND ALL OBJECTS WITHIN HISTORY (1, NOW) OF EVERYTHING",
       "Start should be a Date-Time value.\r\nActual value is 1"},
      {"FIND ALL OBJECTS WITHIN HISTORY (SQRT(-1), NOW) OF EVERYTHING",
       "Error during calculation of start time:"},
      {"FIND ALL OBJECTS CONDITION X > 1", "The empty list of objects was supplied"},
      {"FIND ALL OBJECTS WITHIN LIST OF 5", "An object or state reference expected"},
  };
  for (const Case& k : cases) {
    const std::string message = Failure(k.text);
    EXPECT_EQ(0u, message.find(k.message)) << k.text << ": " << message;
  }
}

TEST_F(QueryRuns, ExecuteQueryRunsAQueryValue) {
  TValue query;
  query.SetText(vkCalculated, "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION X > 5");
  ASSERT_TRUE(query.IsQuery());
  TValue::Ptr result = ExecuteQuery(query, nullptr, nullptr);
  ASSERT_NE(nullptr, result);
  EXPECT_EQ(2, result->ItemCount());
  query.SetText(vkCalculated, "FIND TOP 'x' OBJECTS WITHIN EVERYTHING");
  std::string message;
  EXPECT_EQ(nullptr, ExecuteQuery(query, nullptr, nullptr, &message));
  EXPECT_EQ(0u, message.find("Number specifier should be an integer."));
}

TEST_F(QueryRuns, EachConditionEvaluatesItsOwnStatesFormulas) {
  // Y doubles X in every state; A's is 8, B's 14, C's 20.
  for (int32_t object : {a, b, c}) {
    TObjectSet set;
    ASSERT_TRUE(set.Load(object));
    TStateTrack track;
    set.LatestStateAt(Day(4), track);
    auto pairs = Pairs({{"Y", ""}});
    pairs[0]->Value.SetText(vkCalculated, "X * 2");
    ASSERT_NE(0, track.ModifyRecord(std::move(pairs), Day(4)));
  }
  // A query run by a formula evaluates the conditions inside that formula's
  // run: A's Y must not stand for B's and C's.
  TExecutor executor;
  const TValue& found = executor.Run(
      nullptr, nullptr, "EXECUTE('FIND ALL OBJECTS WITHIN EVERYTHING CONDITION Y > 10')");
  ASSERT_FALSE(executor.Failed()) << found.Text();
  ASSERT_EQ(2, found.ItemCount());
  EXPECT_EQ(std::to_string(b), found.GetItem(0).Text());
  EXPECT_EQ(std::to_string(c), found.GetItem(1).Text());
}

TEST_F(QueryRuns, TheNumberAndTheListSeeTheQueryRecords) {
  TDataRecord context;
  TValue one;
  one.SetPlain("1");
  context.AddPV(*CurrentProject()->FindParameter("Y"), one);
  TQExpression query;
  query.Text = "FIND TOP Y OBJECTS WITHIN EVERYTHING";
  TValue::Ptr result = query.Execute(&context, nullptr);
  ASSERT_NE(nullptr, result) << query.Message;
  ASSERT_EQ(1, result->ItemCount());
  EXPECT_EQ(std::to_string(a), result->GetItem(0).Text());
  // The condition sees the candidate, not the query's records.
  query.Text = "FIND ALL OBJECTS WITHIN EVERYTHING CONDITION Y = 1";
  result = query.Execute(&context, nullptr);
  ASSERT_NE(nullptr, result) << query.Message;
  EXPECT_EQ(0, result->ItemCount());
}

} // namespace
} // namespace vandro
