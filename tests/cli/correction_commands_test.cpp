// record --edit: a correction at the record's own time that keeps the
// record as it was for state --known-at, history, diff and rollback.
#include "cli_fixture.h"

#include <gtest/gtest.h>

namespace vandro::cli {
namespace {

using testing::Outcome;

// CHICK_1 weighed 90 g on 10.01.2026 and 93 g on 11.01.2026, stored at
// 09:00 on 12.01.2026; the 93 g corrected to 95 g at 10:00.
class CorrectionCommands : public testing::PlantTest {
protected:
  CorrectionCommands() {
    clock.Set(46034.375); // 12.01.2026 09:00
    Ok({"record", project, "Chick_1", "--new", "--at", "10.01.2026", "Weight=90 [g]"});
    weighed = Id(Ok({"record", project, "Chick_1", "--at", "11.01.2026", "Weight=93 [g]"}));
    other = Id(Ok({"record", project, "Chick_2", "--new", "--at", "10.01.2026", "Weight=80 [g]"}));
    clock.Set(46034.375 + 1.0 / 24); // 10:00
    EXPECT_EQ(weighed, Id(Ok({"record", project, "Chick_1", "--edit", "#" + weighed,
                              "Weight=95 [g]", "Diet=1"})));
    clock.Set(46034.5); // 12:00
  }

  static std::string Id(const std::string& out) { return out.substr(0, out.find('\n')); }

  std::string WeightOn11th(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args{"state", project, "Chick_1", "--at", "11.01.2026 12:00:00"};
    args.insert(args.end(), extra.begin(), extra.end());
    const std::string out = Ok(args);
    const size_t at = out.find("Weight : ");
    return at == std::string::npos ? out : out.substr(at + 9, out.find('\n', at) - at - 9);
  }

  static constexpr const char* kBeforeEdit = "12.01.2026 09:30:00";
  std::string weighed, other;
};

TEST_F(CorrectionCommands, KnownAtHistoryDiffAndRollbackSeeTheRecordAsItWas) {
  EXPECT_EQ("95 [g]", WeightOn11th());
  EXPECT_EQ("93 [g]", WeightOn11th({"--known-at", kBeforeEdit}));
  EXPECT_EQ("95 [g]", WeightOn11th({"--known-at", "12.01.2026 10:00:00"}));

  // The record keeps its place and its "Created"; its earlier version
  // follows it, with the moment it was corrected.
  const std::string history = Ok({"history", project, "Chick_1"});
  const std::string record =
      "    Record: CHICK_1[2]; Time: 11.01.2026; Created: 12.01.2026 09:00:00\n"
      "        Weight                           : 95 [g]\n"
      "        Diet                             : 1\n"
      "    Corrected: 12.01.2026 10:00:00; before it: CHICK_1[2]; "
      "Time: 11.01.2026\n"
      "        Weight                           : 93 [g]\n";
  EXPECT_NE(std::string::npos, history.find(record)) << history;
  const std::string before = Ok({"history", project, "Chick_1", "--known-at", kBeforeEdit});
  EXPECT_EQ(std::string::npos, before.find("Corrected:")) << before;
  EXPECT_NE(std::string::npos, before.find("Weight                           : 93 [g]"));
  EXPECT_EQ(std::string::npos, before.find("95 [g]"));

  const std::string diff = Ok({"diff", project, "#" + weighed + "~1", "#" + weighed});
  EXPECT_NE(std::string::npos, diff.find("before its correction of 12.01.2026 10:00:00")) << diff;
  EXPECT_NE(std::string::npos, diff.find("Weight\t93 [g]\t95 [g]\t2 [g]")) << diff;
  EXPECT_NE(std::string::npos, diff.find("Diet\t\t1\t")) << diff;

  const Outcome rollback =
      testing::RunVandro({"--yes", "rollback", project, "--after", kBeforeEdit});
  EXPECT_EQ(kExitOk, rollback.status) << rollback.err;
  EXPECT_NE(std::string::npos,
            rollback.out.find("1 records corrected after this moment will get back their values"))
      << rollback.out;
  EXPECT_NE(std::string::npos, rollback.out.find("1 records got back their earlier values"));
  EXPECT_EQ("93 [g]", WeightOn11th());
  EXPECT_EQ(std::string::npos, Ok({"history", project, "Chick_1"}).find("Corrected:"));
}

TEST_F(CorrectionCommands, WhatCannotBeCorrectedIsRefusedAndNothingChanges) {
  const std::string ended = Id(Ok({"terminate", project, "Chick_2", "--at", "12.01.2026"}));
  struct Case {
    std::vector<std::string> args; // after "record PROJECT"
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"Chick_1", "--edit", "#" + other, "Weight=1 [g]"},
       kExitFailed,
       "Record " + other + " is a record of CHICK_2, not of CHICK_1"},
      {{"Chick_2", "--edit", "#" + ended, "Weight=1 [g]"},
       kExitFailed,
       "Record " + ended + " ends a branch: it holds no values to correct"},
      {{"Chick_1", "--edit", "#9999", "Weight=1 [g]"},
       kExitFailed,
       "Record doesn't exist. Id=9999"},
      {{"Chick_1", "--edit", "#" + weighed, "Weight=95 [g]"},
       kExitFailed,
       "Record " + weighed + " already holds these values: nothing was changed"},
      {{"Chick_1", "--edit", "#" + weighed, "Weight=1 [g]", "--at", "11.01.2026"},
       kExitUsage,
       "--edit corrects a record at its own time: not with --at"},
      {{"Chick_1", "--edit", "#" + weighed, "Weight=1 [g]", "--new"},
       kExitUsage,
       "--edit corrects a stored record: not with --new"},
      {{"Chick_1", "--edit", "#64", "Weight=1 [g]"},
       kExitUsage,
       "--edit #64: \"#ID\" expected, ID a record's identifier"},
  };
  const std::string history = Ok({"history", project, "Chick_1"});
  for (const auto& c : cases) {
    std::vector<std::string> args{"record", project};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Outcome outcome = Run(args);
    EXPECT_EQ(c.status, outcome.status) << c.message;
    EXPECT_NE(std::string::npos, outcome.err.find(c.message)) << outcome.err;
  }
  EXPECT_EQ(history, Ok({"history", project, "Chick_1"}));

  const Outcome none = Run({"diff", project, "#" + other + "~1", "Chick_2"});
  EXPECT_EQ(kExitFailed, none.status);
  EXPECT_NE(std::string::npos,
            none.err.find("Record " + other + " has 0 earlier versions: there is no version ~1"))
      << none.err;
}

} // namespace
} // namespace vandro::cli
