// A fever query over a project whose temperatures were recorded in celsius,
// fahrenheit and kelvin: the condition compares each reading with the limit
// after converting it, offsets included.
#include "language/query.h"

#include "storage/records_fixture.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

class TemperatureQuery : public testing::RecordsTest {
protected:
  TemperatureQuery() {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = "T";
    parameter->Category = "Data";
    CurrentProject()->AddParameter(std::move(parameter));
  }

  // One object per reading, in order; each has a single state.
  std::vector<int32_t> Patients(std::initializer_list<const char*> readings) {
    std::vector<int32_t> ids;
    int n = 0;
    for (const char* reading : readings) {
      ids.push_back(APSCreateObject("P" + std::to_string(++n)));
      Record(ids.back(), Day(1), {{"T", reading}});
    }
    return ids;
  }

  std::vector<int32_t> Run(const std::string& text) {
    TQExpression query;
    query.Text = text;
    TValue::Ptr result = query.Execute(nullptr, nullptr);
    EXPECT_NE(nullptr, result) << query.Message;
    std::vector<int32_t> ids;
    if (!result) return ids;
    for (int i = 0; i < result->ItemCount(); ++i)
      ids.push_back(std::stoi(result->GetItem(i).Text()));
    return ids;
  }
};

TEST_F(TemperatureQuery, FeverIsFoundWhateverTheUnitOfTheReading) {
  const std::vector<int32_t> p = Patients({
      "38.5 [C]", // fever
      "37 [C]",
      "101.3 [fahrenheit]", // 38.5 C: fever
      "99.5 [fahrenheit]",  // 37.5 C
      "96.8 [fahrenheit]",  // 36 C
      "311.65 [K]",         // 38.5 C: fever
      "310.15 [K]",         // 37 C
      "100.4 [fahrenheit]", // exactly 38 C: not above it
  });
  EXPECT_EQ((std::vector<int32_t>{p[0], p[2], p[5]}),
            Run("FIND ALL OBJECTS WITHIN EVERYTHING CONDITION T > 38 [C]"));
  EXPECT_EQ((std::vector<int32_t>{p[0], p[2], p[5], p[7]}),
            Run("FIND ALL OBJECTS WITHIN EVERYTHING CONDITION T >= 100.4 [fahrenheit]"));
}

} // namespace
} // namespace vandro
