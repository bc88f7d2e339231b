// Who hears that the records of an object changed.
//
// Every writer of records (the one store operation, corrections, rollback)
// calls NotifyRecordsChanged once its work is committed; windows that show
// states (the object view, group tables, the database browser, statistics
// and chart windows) listen and refresh, so no open window shows a history
// that is no longer the stored one. Listeners run on the caller's thread,
// after the write, and must not store records themselves.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace vandro {

// objectId is the object whose records changed; kManyObjects when the
// change may touch any object (a rollback, an import).
inline constexpr int32_t kManyObjects = 0;

using TRecordsChanged = std::function<void(int32_t objectId)>;

// Adds a listener; the returned token removes it again.
int AddRecordsListener(TRecordsChanged listener);
void RemoveRecordsListener(int token);

// Tells every listener, in the order they were added. One added while they
// are told hears from the next notice; one removed is not called again.
void NotifyRecordsChanged(int32_t objectId);

// A listener for as long as the object lives.
class TRecordsListener {
public:
  explicit TRecordsListener(TRecordsChanged listener)
      : token_(AddRecordsListener(std::move(listener))) {}
  ~TRecordsListener() { RemoveRecordsListener(token_); }
  TRecordsListener(const TRecordsListener&) = delete;
  TRecordsListener& operator=(const TRecordsListener&) = delete;

private:
  int token_;
};

} // namespace vandro
