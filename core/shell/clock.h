// "Now", from one replaceable clock, so that times, system stamps and
// rollback can be tested with a fixed moment.
//
// The system clock's now is a whole second: the precision of every
// date-time text (the language's Now, a query's default finish, the CLI's
// and the windows' times) and of the date and time pickers. A record stamped
// now and a query or a state asked for "now" in the same second therefore
// agree; a finer stamp would lie after the moment every text can name.
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
