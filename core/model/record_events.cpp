#include "model/record_events.h"

#include <algorithm>
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
  // By token: a listener may add or remove listeners (a window closing),
  // and one removed meanwhile is not called.
  std::vector<int> tokens;
  for (const TListener& listener : Listeners())
    tokens.push_back(listener.Token);
  for (int token : tokens) {
    auto& listeners = Listeners();
    const auto found =
        std::find_if(listeners.begin(), listeners.end(),
                     [token](const TListener& listener) { return listener.Token == token; });
    if (found == listeners.end() || !found->Heard) continue;
    const TRecordsChanged heard = found->Heard; // the listener may remove itself
    heard(objectId);
  }
}

} // namespace vandro
