#include "shell/clock.h"

#include "shell/datetime.h"

#include <chrono>
#include <ctime>

namespace vandro {

namespace {

class SystemClock final : public TClock {
public:
  double Now() const override {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    double date = 0, time = 0;
    TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
    TryEncodeTime(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis), time);
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
