#include "shell/clock.h"

#include "shell/datetime.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace vandro {

namespace {

class SystemClock final : public TClock {
public:
  double Now() const override {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
    std::tm local{};
    localtime_r(&seconds, &local);
    double date = 0, time = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
    // A leap second (tm_sec 60) counts as the last second of its minute.
    TryEncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), 0, time);
    return ComposeDateTime(date, time);
  }
};

const SystemClock systemClock;
const TClock* currentClock = &systemClock;

} // namespace

double Now() {
  return currentClock->Now();
}

const TClock* SetClock(const TClock* clock) {
  const TClock* previous = currentClock;
  currentClock = clock ? clock : &systemClock;
  return previous;
}

} // namespace vandro
