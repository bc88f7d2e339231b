// "Now", from one replaceable clock, so that times, system stamps and
// rollback can be tested with a fixed moment.
#pragma once

namespace vandro {

class TClock {
public:
  virtual ~TClock() = default;
  // Local date-time as days since 30 December 1899.
  virtual double Now() const = 0;
};

// Reads the clock in use (the system's local time unless one is installed).
double Now();

// Installs clock (nullptr restores the system clock); returns the previous one.
const TClock* SetClock(const TClock* clock);

// A clock that says what it is told, for tests.
class TFixedClock final : public TClock {
public:
  explicit TFixedClock(double moment) : moment_(moment) {}
  double Now() const override { return moment_; }
  void Set(double moment) { moment_ = moment; }
  void Advance(double days) { moment_ += days; }

private:
  double moment_;
};

} // namespace vandro
