#include "model/record_events.h"

#include <utility>
#include <vector>

namespace vandro {

namespace {

struct TListener {
  int Token;
  TRecordsChanged Heard;
};

std::vector<TListener>& Listeners() {
  static std::vector<TListener> listeners;
  return listeners;
}

int lastToken = 0;

} // namespace

int AddRecordsListener(TRecordsChanged listener) {
  Listeners().push_back({++lastToken, std::move(listener)});
  return lastToken;
}

void RemoveRecordsListener(int token) {
  std::erase_if(Listeners(),
                [token](const TListener& listener) { return listener.Token == token; });
}

void NotifyRecordsChanged(int32_t objectId) {
  // A copy: a listener may add or remove listeners (a window closing).
  const std::vector<TListener> listeners = Listeners();
  for (const TListener& listener : listeners)
    if (listener.Heard) listener.Heard(objectId);
}

} // namespace vandro
