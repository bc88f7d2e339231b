#include "model/filter.h"
#include "model/project.h"
#include "support/cp.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using testing::Cp;

std::unique_ptr<TFilterItem> Item(const TParameter& parameter, uint8_t op, const std::string& value,
                                  uint8_t connective = fcNone, bool negated = false) {
  auto item = std::make_unique<TFilterItem>();
  item->Parameter = &parameter;
  item->Operator = op;
  item->Value.SetPlain(value);
  item->Connective = connective;
  item->Negated = negated;
  return item;
}

std::unique_ptr<TParameter> Named(const std::string& name) {
  auto parameter = std::make_unique<TParameter>();
  parameter->ParamName = name;
  return parameter;
}

TEST(Filter, BuildsTheConditionWithTheBlanksOfEachStep) {
  const auto weightParameter = Named("Weight");
  const auto nameParameter = Named(Cp("Имя"));
  const TParameter& weight = *weightParameter;
  const TParameter& name = *nameParameter;
  TFilter filter;
  filter.SetItem(0, Item(weight, foGreater, "70"));
  filter.SetItem(1, Item(name, foEqual, "Ivan", fcOr, true));
  EXPECT_EQ(Cp("WEIGHT > 70 OR  NOT ИМЯ = 'Ivan'"), filter.BuildText());
  EXPECT_EQ(filter.Text, filter.BuildText()); // built afresh each time

  filter.Item(1).Connective = fcAnd;
  filter.Item(1).Negated = false;
  filter.SetItem(2, Item(weight, foLessEqual, "", fcNone));
  EXPECT_EQ(Cp("WEIGHT > 70 AND ИМЯ = 'Ivan' WEIGHT <= "), filter.BuildText());
}

TEST(Filter, ValuesAreQuotedUnlessTheyReadAsNumbersOrBooleanWords) {
  auto project = TProject::CreateInMemory(); // units make numbers
  ScopedProject open(*project);
  struct Case {
    std::string value;
    std::string written;
  };
  const Case cases[] = {
      {"12.5", "12.5"},
      {"12.5 \xB1"
       "0.3 [kg]",
       "12.5 \xB1"
       "0.3 [kg]"},
      {"-3e2", "-3e2"},
      {"True", "True"},
      {Cp("Да"), Cp("Да")},
      {"", ""},
      {"O'Brien", "'O''Brien'"},
      {"''", "''''''"},
      {"01.02.2004", "'01.02.2004'"},
      {"12 apples", "'12 apples'"},
      {"12 [apples]", "'12 [apples]'"},
  };
  const auto p = Named("p");
  for (const auto& c : cases) {
    TFilter filter;
    filter.SetItem(0, Item(*p, foNotEqual, c.value));
    EXPECT_EQ("P <> " + c.written, filter.BuildText()) << c.value;
  }
  TValue formula;
  formula.SetText(vkCalculated, "1+1");
  EXPECT_EQ("'1+1'", FilterValueText(formula));
}

TEST(Filter, AnItemWithoutParameterOrWithAnUnknownOperatorIsRefused) {
  testing::ScriptedSink sink;
  const auto p = Named("p");
  TFilter filter;
  filter.SetItem(0, Item(*p, foEqual, "1"));
  filter.SetItem(1, Item(*p, 6, "1", fcAnd));
  EXPECT_THROW(filter.BuildText(), ErrorException);
  EXPECT_EQ("Invalid comparison operation", sink.Last());
  EXPECT_EQ("", filter.Text);
  filter.SetItem(1, std::make_unique<TFilterItem>());
  EXPECT_THROW(filter.BuildText(), ErrorException);
  EXPECT_EQ("Parameter name not defined", sink.Last());
  EXPECT_THROW(filter.Item(2), ErrorException);
  EXPECT_EQ("Index out of range: 2", sink.Last());
  EXPECT_EQ(2, filter.Count());
}

} // namespace
} // namespace vandro
