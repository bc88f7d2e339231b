// A process killed at any moment while it writes must leave a project that
// opens whole and never hands out an identifier twice.
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/session.h"
#include "storage_fixture.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

namespace vandro {
namespace {

int64_t Largest(const char* sql) {
  auto query = APSDatabase().Query(sql);
  return query.Step() && !query.IsNull(0) ? query.Int(0) : 0;
}

// Creates objects and parameters until the process is killed; never returns.
[[noreturn]] void WriteUntilKilled(const std::string& project, int round, int ready) {
  try {
    if (!OpenProject(project)) _exit(2);
    if (write(ready, "r", 1) != 1) _exit(2);
    for (int i = 0;; ++i) {
      const std::string suffix = std::to_string(round) + "_" + std::to_string(i);
      APSCreateObject("Object" + suffix);
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = "P" + suffix;
      parameter->Category = "Crash";
      CurrentProject()->AddParameter(std::move(parameter));
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
      WriteUntilKilled(ProjectFile(), round, ready[1]);
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

} // namespace
} // namespace vandro
