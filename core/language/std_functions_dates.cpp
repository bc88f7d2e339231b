// Dates: the current moment, the parts of a date-time and date arithmetic.
#include "language/std_functions.h"
#include "language/std_functions_support.h"

#include "shell/clock.h"
#include "shell/datetime.h"
#include "values/value_text.h"

#include <cmath>
#include <cstdio>

namespace vandro::stdfn {

namespace {

constexpr const char* kOutOfRange = "The resulting date is out of range";

// A moment before 30 December 1899 counts its days backwards but its time of
// day forwards (-1.25 is 29 December, 06:00), so adding hours to it directly
// would move the wrong way. Arithmetic runs on a plain time line instead.
long double ToTimeLine(double moment) {
  const double day = std::trunc(moment);
  return day + std::fabs(moment - day);
}

double FromTimeLine(long double line) {
  const long double day = std::floor(line);
  return ComposeDateTime(static_cast<double>(day), static_cast<double>(line - day));
}

bool WriteMoment(TValue& result, long double line, std::string& message) {
  if (!std::isfinite(line) || !HasDateText(line)) {
    message = kOutOfRange;
    return false;
  }
  result.SetPlain(DateTimeToText(FromTimeLine(line)));
  return true;
}

// Adds the days of n months, month by month from the month of the moment, so
// that 31 January plus one month is 3 March in a common year.
bool AddMonths(double moment, long double months, TValue& result, std::string& message) {
  // More months than the calendar has lead out of it whatever the start.
  if (months > 12 * 10000.0L) {
    message = kOutOfRange;
    return false;
  }
  int year = 0, month = 0, day = 0;
  DecodeDate(moment, year, month, day);
  long double days = 0;
  for (long long i = 0; i < static_cast<long long>(months); ++i) {
    days += DaysInMonth(year, month);
    if (++month > 12) month = 1, ++year;
  }
  return WriteMoment(result, ToTimeLine(moment) + days, message);
}

} // namespace

bool NowMoment(const TArgs&, TValue& result, std::string&) {
  result.SetPlain(DateTimeToText(Now()));
  return true;
}

bool DatePart(uint8_t code, const TValue& argument, TValue& result, std::string& message) {
  if (!argument.IsDateTime()) {
    message = "Date and Time is expected";
    return false;
  }
  const double moment = DecodeDateTime(argument.Text());
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  DecodeDate(moment, year, month, day);
  DecodeTime(moment, hour, minute, second, millisecond);
  switch (code) {
  case sfDate:
    result.SetPlain(DateToText(moment));
    return true;
  case sfTime: {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hour, minute, second);
    result.SetPlain(buffer);
    return true;
  }
  case sfDay:
    return WriteCount(result, day, message);
  case sfMonth:
    return WriteCount(result, month, message);
  case sfYear:
    return WriteCount(result, year, message);
  case sfHours:
    return WriteCount(result, hour, message);
  case sfMinutes:
    return WriteCount(result, minute, message);
  case sfSeconds:
    return WriteCount(result, second, message);
  default:
    message = "Unknown standard function code: " + std::to_string(code);
    return false;
  }
}

bool Increment(uint8_t code, const TArgs& args, TValue& result, std::string& message) {
  if (!args[0]->IsDateTime()) {
    message = "First parameter should be DateTime";
    return false;
  }
  TNumber n;
  if (!ReadNumber(*args[1], n)) {
    message = "Parameters should be numeric";
    return false;
  }
  if (n.plus != 0 || n.minus != 0) {
    message = "Interval value isn't allowed";
    return false;
  }
  if (!n.unit.empty()) {
    message = "Second parameter should be dimensionless";
    return false;
  }
  if (n.value < 0 || n.value != std::nearbyint(n.value)) {
    message = "Second parameter should be positive integer";
    return false;
  }
  const double moment = DecodeDateTime(args[0]->Text());
  const long double line = ToTimeLine(moment);
  switch (code) {
  case sfIncYear:
    return AddMonths(moment, 12 * n.value, result, message);
  case sfIncMonth:
    return AddMonths(moment, n.value, result, message);
  case sfIncDay:
    return WriteMoment(result, line + n.value, message);
  case sfIncHours:
    return WriteMoment(result, line + n.value / 24, message);
  case sfIncMinutes:
    return WriteMoment(result, line + n.value / 1440, message);
  case sfIncSeconds:
    return WriteMoment(result, line + n.value / 86400, message);
  default:
    message = "Unknown standard function code: " + std::to_string(code);
    return false;
  }
}

} // namespace vandro::stdfn
