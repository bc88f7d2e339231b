// Rollback: deleting every data record created, by system time, after a
// moment, so that all record work done since then is undone. Nothing but
// records is touched: objects and groups stay listed, their histories end
// earlier or become empty.
//
// Deleting a record never leaves a history that cannot be loaded: every
// remaining record that followed it takes over its predecessors in its
// place (one predecessor in PrevRecord, several in PtrArr, as always).
#pragma once

#include "shell/progress.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vandro {

// Deletes every record whose SysTime is later than moment, newest first,
// repairing the links of the records that followed each; returns how many
// were deleted. Work is committed in batches: on a failure (raised after a
// message) the records deleted so far stay deleted, each with its links
// repaired. The progress ("Rollback progress") moves once per record visited
// and once per record deleted; a rollback is not stopped halfway.
int32_t DeleteRecordsAfter(double moment, TProgress* progress = nullptr);

// The same, then shows the number followed by " records were deleted".
int32_t APSDeleteRecordsAfter(double moment, TProgress* progress = nullptr);

// "All the records created after <moment>" / "will be deleted. Are you
// sure?", and "<count> records were deleted".
std::string RollbackQuestion(double moment);
std::string DeletedRecordsText(int32_t count);

// The rollback command once its moment is chosen: asks RollbackQuestion
// (default No) and deletes. Nothing (and no deletion) when the answer is No.
std::optional<int32_t> RollbackRecords(double moment, TProgress* progress = nullptr);

} // namespace vandro
