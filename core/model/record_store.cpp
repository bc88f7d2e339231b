#include "model/record_store.h"

#include "model/project.h"
#include "shell/messages.h"

namespace vandro {

TRecordStore* OpenRecordStore() {
  const TProject* project = CurrentProject();
  TProjectStore* store = project ? project->Store() : nullptr;
  return store ? store->Records() : nullptr;
}

TRecordStore& RequireRecordStore() {
  TRecordStore* records = OpenRecordStore();
  if (!records) RaiseSystemError("No project with a database is open: records can't be stored");
  return *records;
}

} // namespace vandro
