// A process killed at any moment while it writes must leave a project that
// opens whole and never hands out an identifier twice.
#include "model/data_record.h"
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/rollback.h"
#include "storage/session.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace vandro {
namespace {

int64_t Largest(const char* sql) {
  auto query = APSDatabase().Query(sql);
  return query.Step() && !query.IsNull(0) ? query.Int(0) : 0;
}

// Creates objects and parameters until the process is killed; never returns.
// It says it is ready once the project is open, or, with afterFirst, once its
// first object and parameter are stored, so that a loaded machine, where a
// write takes longer than the longest delay before the kill, still sees some
// rounds write something.
[[noreturn]] void WriteUntilKilled(const std::string& project, int round, int ready,
                                   bool afterFirst) {
  try {
    if (!OpenProject(project)) _exit(2);
    if (!afterFirst && write(ready, "r", 1) != 1) _exit(2);
    for (int i = 0;; ++i) {
      const std::string suffix = std::to_string(round) + "_" + std::to_string(i);
      APSCreateObject("Object" + suffix);
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = "P" + suffix;
      parameter->Category = "Crash";
      CurrentProject()->AddParameter(std::move(parameter));
      if (afterFirst && i == 0 && write(ready, "r", 1) != 1) _exit(2);
    }
  } catch (...) {
    _exit(3);
  }
}

class StorageCrash : public testing::StorageTest {};

TEST_F(StorageCrash, AProcessKilledWhileWritingLeavesAProjectThatOpens) {
  ASSERT_TRUE(APSCreateProject(ProjectFile(), "", NewProjectInfo("Test")));
  std::mt19937 random(20090706);
  std::uniform_int_distribution<int> delayMicroseconds(0, 30000);
  int64_t objectsBefore = 0;
  for (int round = 0; round < 8; ++round) {
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
      close(ready[0]);
      WriteUntilKilled(ProjectFile(), round, ready[1], round % 2 == 1);
    }
    close(ready[1]);
    char signal = 0;
    ASSERT_EQ(1, read(ready[0], &signal, 1)) << "round " << round;
    close(ready[0]);
    usleep(static_cast<useconds_t>(delayMicroseconds(random)));
    ASSERT_EQ(0, kill(child, SIGKILL));
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status))
        << "round " << round << ": the writer ended by itself, status " << WEXITSTATUS(status);

    sink.Reset();
    ASSERT_TRUE(OpenProject(ProjectFile())) << "round " << round << ": " << sink.Last();
    {
      auto check = APSDatabase().Query("PRAGMA integrity_check");
      ASSERT_TRUE(check.Step());
      EXPECT_EQ("ok", check.Text(0)) << "round " << round;
    }
    const int64_t objects = Largest("SELECT max(ObjIdtor) FROM VD_Objects");
    const int64_t others = Largest("SELECT max(m) FROM (SELECT max(Idtor) AS m FROM VD_Params "
                                   "UNION ALL SELECT max(UntIdtor) FROM VD_Units)");
    EXPECT_GE(objects, objectsBefore);
    objectsBefore = objects;
    const int32_t nextObject = APSNewObjectId();
    const int32_t nextId = APSNewId();
    EXPECT_GT(nextObject, objects) << "round " << round;
    EXPECT_EQ(0, nextObject % 32);
    EXPECT_GT(nextId, others) << "round " << round;
    EXPECT_NE(0, nextId % 32);
    // Every parameter row made it into the list whole.
    EXPECT_EQ(Largest("SELECT count(*) FROM VD_Params"),
              static_cast<int64_t>(CurrentProject()->Parameters().size()));
    CloseProject();
  }
  EXPECT_GT(objectsBefore, 64) << "the writers were killed before they wrote anything";
}

// Rows written directly: records of a few objects, each following the one
// before it, the first half created at before, the rest at after.
void WriteHistories(int objects, int perObject, double before, double after) {
  TDeferredProjectFile once(*Session());
  TProjectWork work;
  const std::string empty("\0\0\x03", 3);
  for (int o = 0; o < objects; ++o) {
    const int32_t object = APSCreateObject("Object" + std::to_string(o));
    int32_t previous = 0;
    for (int r = 0; r < perObject; ++r) {
      const int32_t id = APSNewId();
      APSDatabase()
          .Query("INSERT INTO VD_Records (Idtor, RecName, ObjIdtor, Terminator, PrevRecord, "
                 "PtrArrTag, PtrArr, RealTime, SysTime, Type, CntAdded, CntDeleted, PVs) "
                 "VALUES (?, 'R', ?, 0, ?, 0, '', ?, ?, 0, ?, ?, ?)")
          .Bind(id, object, previous, 39000.0 + r, r < perObject / 2 ? before : after, TBlob{empty},
                TBlob{empty}, TBlob{empty})
          .Run();
      previous = id;
    }
  }
  work.Commit();
  once.Finish();
}

// Runs the rollback command's work to moment (copy, then deletion) in a
// child; kills it after delay unless it has ended. Whether it was killed.
bool RollBackUntilKilled(const std::string& project, double moment,
                         std::chrono::microseconds delay) {
  int ready[2];
  if (pipe(ready) != 0) return false;
  const pid_t child = fork();
  if (child == 0) {
    close(ready[0]);
    try {
      if (!OpenProject(project)) _exit(2);
      TRollback rollback(moment);
      if (write(ready[1], "r", 1) != 1) _exit(2);
      if (!rollback.WriteCopy()) _exit(3);
      rollback.Delete();
      CloseProject();
    } catch (...) {
      _exit(3);
    }
    _exit(0);
  }
  close(ready[1]);
  char signal = 0;
  const bool started = read(ready[0], &signal, 1) == 1;
  close(ready[0]);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + delay;
  while (started && std::chrono::steady_clock::now() < deadline) {
    if (waitpid(child, &status, WNOHANG) == child) return false;
    usleep(100);
  }
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  return WIFSIGNALED(status);
}

TEST_F(StorageCrash, ARollbackKilledAnywhereLeavesEveryRecordOrNone) {
  constexpr int kObjects = 40, kPerObject = 200; // 4,000 of 8,000 records to delete
  const double moment = clock.Now();
  CreateAndOpen();
  WriteHistories(kObjects, kPerObject, moment - 1, moment + 1);
  CloseProject();
  const std::string pristine = Path("pristine");
  std::filesystem::create_directory(pristine);
  for (const std::string& file : {ProjectFile(), DatabaseFile()})
    std::filesystem::copy_file(file,
                               pristine + "/" + std::filesystem::path(file).filename().string());
  const auto restore = [&] {
    for (const auto& entry : std::filesystem::directory_iterator(dir))
      if (entry.path() != pristine) std::filesystem::remove(entry.path());
    for (const auto& entry : std::filesystem::directory_iterator(pristine))
      std::filesystem::copy_file(entry.path(), Path(entry.path().filename().string()));
  };

  // A whole run, timed: the kills are spread over it.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_FALSE(RollBackUntilKilled(ProjectFile(), moment, std::chrono::seconds(30)));
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  ASSERT_TRUE(OpenProject(ProjectFile()));
  EXPECT_EQ(kObjects * kPerObject / 2, Largest("SELECT count(*) FROM VD_Records"));
  CloseProject();

  constexpr int kRounds = 10;
  int killed = 0;
  for (int round = 0; round < kRounds; ++round) {
    restore();
    // Over the first three quarters: a run may be quicker than the timed one.
    killed += RollBackUntilKilled(ProjectFile(), moment, whole * 3 * round / (4 * kRounds)) ? 1 : 0;
    sink.Reset();
    ASSERT_TRUE(OpenProject(ProjectFile())) << "round " << round << ": " << sink.Last();
    const int64_t records = Largest("SELECT count(*) FROM VD_Records");
    EXPECT_TRUE(records == kObjects * kPerObject || records == kObjects * kPerObject / 2)
        << "round " << round << ": " << records << " records";
    auto check = APSDatabase().Query("PRAGMA integrity_check");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ("ok", check.Text(0)) << "round " << round;
    CloseProject();
    // A copy under its own name is whole: every record, nothing to replay.
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      const std::string name = entry.path().filename().string();
      if (name.find(".before-rollback-") == std::string::npos ||
          name.find(".incomplete") != std::string::npos)
        continue;
      EXPECT_EQ(std::string::npos, name.find("-journal")) << "round " << round << ": " << name;
      TDatabase copy;
      std::string reason;
      ASSERT_TRUE(copy.Open(entry.path().string(), TDatabase::TMode::ReadOnly, &reason))
          << "round " << round << ": " << name << ": " << reason;
      int64_t copied = -1;
      try {
        auto rows = copy.Query("SELECT count(*) FROM VD_Records");
        if (rows.Step()) copied = rows.Int(0);
      } catch (const TDatabaseFailure& failure) {
        ADD_FAILURE() << "round " << round << ": " << failure.what();
      }
      EXPECT_EQ(kObjects * kPerObject, copied) << "round " << round << ": " << name;
    }
  }
  EXPECT_GE(killed, kRounds / 3) << "the rollbacks ended before they were killed";
}

} // namespace
} // namespace vandro
