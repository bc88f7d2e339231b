// Rollback: deleting every data record created, by system time, after a
// moment, so that all record work done since then is undone. Nothing but
// records is touched: objects and groups stay listed, their histories end
// earlier or become empty.
//
// Corrections are undone too: a record stored before the moment and
// corrected after it gets back the version it had at the moment, and the
// versions superseded after it are deleted (record_rows.h).
//
// Deleting a record never leaves a history that cannot be loaded: every
// remaining record that followed it takes over its predecessors in its
// place (one predecessor in PrevRecord, several in PtrArr, as always).
//
// A rollback run as a command (TRollback) loses nothing for good: before
// the first deletion it writes a consistent copy of the whole database
// beside it, and a copy that cannot be written stops it with nothing
// deleted. The copy is an ordinary project database: with a copy of the
// project file under the same name it opens as a project as it was.
#pragma once

#include "shell/progress.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vandro {

// Deletes every record whose SysTime is later than moment, newest first,
// repairing the links of the records that followed each; returns how many
// were deleted. A record kept that was corrected after the moment gets back
// the version it had then, and the versions superseded after the moment go
// (restored receives how many records got theirs back). All of it is one transaction: after a
// failure (raised after a message) or a crash every record is still there. The progress ("Rollback
// progress") moves once per record visited and once per record deleted; a rollback is not stopped
// halfway.
int32_t DeleteRecordsAfter(double moment, TProgress* progress = nullptr,
                           int64_t* restored = nullptr);

// The same, then shows DeletedRecordsText.
int32_t APSDeleteRecordsAfter(double moment, TProgress* progress = nullptr);

// "All the records created after <moment>" / "will be deleted. Are you
// sure?", and "<count> records were deleted"; with records to restore, a
// line about them is added to each.
std::string RollbackQuestion(double moment, int64_t restored = 0);
std::string DeletedRecordsText(int32_t count, int64_t restored = 0);

// What a rollback to a moment would delete, counted without deleting.
struct TRollbackCount {
  int64_t records = 0;  // created after the moment
  int64_t objects = 0;  // objects that have such records
  int64_t emptied = 0;  // of those, objects left without any record
  int64_t restored = 0; // records kept, corrected after the moment
};
TRollbackCount CountRecordsAfter(double moment);

// "No record was created after this moment", or "<records> records of
// <objects> objects will be deleted" CR LF "<emptied> objects will be left
// without any record"; and "<restored> records corrected after this moment
// will get back their values" when there are such.
std::string RollbackCountText(const TRollbackCount& count);

// Where a rollback now would keep the open database as it was: beside it,
// "<database>.before-rollback-<yyyyMMdd-hhmmss>". A name already taken (two
// rollbacks in one second) gets "-2", "-3", ... added: no copy replaces
// another.
std::string RollbackCopyPath();

inline constexpr const char* kRollbackCopying = "Writing a copy of the database ...";

// One rollback to a moment: what it deletes, the copy, the question, the
// deleting and its result. The project is locked against other writers
// while it is open, so what is counted at the start is what is deleted.
class TRollback {
public:
  // Counts; names the copy (copyPath, or RollbackCopyPath() when empty)
  // unless nothing would be deleted: then no copy is written.
  explicit TRollback(double moment, std::string copyPath = {});

  double Moment() const { return moment_; }
  const TRollbackCount& Count() const { return count_; }
  const std::string& CopyPath() const { return copyPath_; }

  // RollbackQuestion and, with a copy to write, CR LF "Before deleting, the
  // database is copied to" CR LF the copy's path.
  std::string Question() const;
  // Writes the copy (progress captioned kRollbackCopying); true at once
  // without one. False when it cannot be written: nothing may be deleted
  // then, and FailureText says why.
  bool WriteCopy(TProgress* progress = nullptr);
  const std::string& FailureText() const { return failure_; }
  // Deletes as DeleteRecordsAfter does, once the copy is written; without
  // it a system error and nothing deleted.
  int32_t Delete(TProgress* progress = nullptr);
  // DeletedRecordsText and, with a copy, CR LF "The database as it was
  // before is kept in" CR LF the copy's path.
  std::string ResultText(int32_t deleted) const;

private:
  double moment_;
  TRollbackCount count_;
  std::string copyPath_;
  bool copied_ = false;
  int64_t restored_ = 0;
  std::string failure_;
};

// The rollback command once its moment is chosen: asks the question
// (default No), writes the copy and deletes, then shows the result. Nothing
// (and no deletion) when the answer is No or the copy fails; the failure is
// shown.
std::optional<int32_t> RollbackRecords(double moment, TProgress* progress = nullptr);

} // namespace vandro
