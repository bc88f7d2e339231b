#include "language/lexeme_cache.h"

#include "language/executor.h"
#include "model/data_record.h"
#include "model/project.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vandro {
namespace {

class LexemeCacheTest : public ::testing::Test {
protected:
  LexemeCacheTest() : project_(TProject::CreateInMemory()), scope_(*project_) {
    LexemeCache().Clear();
  }
  ~LexemeCacheTest() override { LexemeCache().Clear(); }

  const TParameter& Parameter(const std::string& name) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    return project_->AddParameter(std::move(parameter));
  }

  std::string Run(const std::string& source) {
    TExecutor executor;
    return executor.Run(nullptr, &record_, source).Text();
  }

  std::unique_ptr<TProject> project_;
  ScopedProject scope_;
  ScopedLanguage language_;
  TDataRecord record_;
};

// The cache holds lexemes, not names: a parameter created after the text
// was cached is found by the next run.
TEST_F(LexemeCacheTest, AParameterCreatedLaterIsFound) {
  EXPECT_NE(std::string::npos, Run("NEWP * 2").find("Unknown identifier: NEWP"));
  EXPECT_EQ(1u, LexemeCache().Size());
  TValue three;
  three.SetPlain("3");
  record_.AddPV(Parameter("NEWP"), three);
  EXPECT_EQ("6", Run("NEWP * 2"));
}

// A replayed run gives what lexing gave, failures and their marked
// positions included.
TEST_F(LexemeCacheTest, ReplayingGivesTheSameResultsAsLexing) {
  const std::string sources[] = {
      "(1 + 2) * 3",
      "1 +\r\n  2 *\r\n  4",
      "'open",
      "1 + ",
      "2 ~ 3",
      "1 2",
      "1.5E [m]",
      "SQRT(16) + ABS(-2)",
      "UPPER('a''b') && 'c'",
      "",
      "= 4 / 2",
      "1 +\r\n 2)",
  };
  for (const std::string& source : sources) {
    LexemeCache().Clear();
    const std::string lexed = Run(source);
    const std::string replayed = Run(source);
    EXPECT_EQ(lexed, replayed) << source;
    EXPECT_EQ(lexed, Run(source)) << source;
  }
}

TEST_F(LexemeCacheTest, KeepsAtMostItsBoundAndForgetsTheOldest) {
  for (size_t i = 0; i <= TLexemeCache::kMaxEntries; ++i)
    Run(std::to_string(i) + " + 1");
  EXPECT_EQ(TLexemeCache::kMaxEntries, LexemeCache().Size());
  EXPECT_EQ(nullptr, LexemeCache().Find("0 + 1"));
  EXPECT_NE(nullptr, LexemeCache().Find("1 + 1"));

  const std::string longText = "1" + std::string(TLexemeCache::kMaxTextLength, ' ');
  EXPECT_EQ("1", Run(longText));
  EXPECT_EQ(nullptr, LexemeCache().Find(longText));
}

} // namespace
} // namespace vandro
