#include "shell/datetime.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace vandro {

namespace {

TDateStyle currentStyle = TDateStyle::European;

constexpr double kMillisecondsPerDay = 86400000.0;

// Days from 1 January 1970 of a proleptic Gregorian date (H. Hinnant's
// civil-date algorithms).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);

// Splits a moment into whole days and milliseconds into the day, rounding to
// the nearest millisecond (so 23:59:59.9996 becomes midnight of the next day).
// A moment without a date (NaN, infinite, beyond the years 1..9999) counts as
// day 0: converting it to whole days would be undefined.
void Split(double moment, long long& days, long long& milliseconds) {
  if (!HasDateText(moment)) moment = 0;
  days = static_cast<long long>(std::trunc(moment));
  milliseconds = std::llround(std::fabs(moment - static_cast<double>(days)) * kMillisecondsPerDay);
  if (milliseconds >= static_cast<long long>(kMillisecondsPerDay)) {
    milliseconds = 0;
    days += moment < 0 ? -1 : 1;
  }
}

bool ReadNumber(std::string_view text, size_t& i, int& value, size_t maxDigits) {
  size_t digits = 0;
  long long result = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (++digits > maxDigits) return false;
    result = result * 10 + (text[i] - '0');
    ++i;
  }
  value = static_cast<int>(result);
  return digits > 0;
}

// Fields longer than this are refused before their value could overflow.
constexpr size_t kMaxFieldDigits = 5;

} // namespace

TDateStyle DateStyle() {
  return currentStyle;
}
void SetDateStyle(TDateStyle style) {
  currentStyle = style;
}
char DateSeparator(TDateStyle style) {
  return style == TDateStyle::European ? '.' : '/';
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, double& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return false;
  date = static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochOffset);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, double& time) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    return false;
  time = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMillisecondsPerDay;
  return true;
}

double ComposeDateTime(double date, double time) {
  return date < 0 ? date - time : date + time;
}

void DecodeDate(double moment, int& year, int& month, int& day) {
  long long days = 0, milliseconds = 0;
  Split(moment, days, milliseconds);
  CivilFromDays(days + kEpochOffset, year, month, day);
}

void DecodeTime(double moment, int& hour, int& minute, int& second, int& millisecond) {
  long long days = 0, ms = 0;
  Split(moment, days, ms);
  millisecond = static_cast<int>(ms % 1000);
  second = static_cast<int>(ms / 1000 % 60);
  minute = static_cast<int>(ms / 60000 % 60);
  hour = static_cast<int>(ms / 3600000);
}

bool TryTextToDateTime(std::string_view text, TDateStyle style, double& moment) {
  const char separator = DateSeparator(style);
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
    text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
    text.remove_suffix(1);
  const size_t blank = text.find(' ');
  const std::string_view date = text.substr(0, blank);
  size_t i = 0;
  int first = 0, second = 0, year = 0;
  if (!ReadNumber(date, i, first, kMaxFieldDigits) || i >= date.size() || date[i] != separator)
    return false;
  ++i;
  if (!ReadNumber(date, i, second, kMaxFieldDigits) || i >= date.size() || date[i] != separator)
    return false;
  const size_t yearStart = ++i;
  if (!ReadNumber(date, i, year, kMaxFieldDigits) || i != date.size()) return false;
  if (i - yearStart <= 2) year += 2000;
  const int day = style == TDateStyle::European ? first : second;
  const int month = style == TDateStyle::European ? second : first;
  double dayNumber = 0;
  if (!TryEncodeDate(year, month, day, dayNumber)) return false;

  double time = 0;
  if (blank != std::string_view::npos) {
    std::string_view clock = text.substr(blank + 1);
    while (!clock.empty() && clock.front() == ' ')
      clock.remove_prefix(1);
    size_t k = 0;
    int hour = 0, minute = 0, seconds = 0;
    if (!ReadNumber(clock, k, hour, kMaxFieldDigits) || k >= clock.size() || clock[k] != ':')
      return false;
    ++k;
    if (!ReadNumber(clock, k, minute, kMaxFieldDigits)) return false;
    if (k < clock.size()) {
      // After the seconds the text is not examined ("12:30:15 PM").
      if (clock[k] != ':') return false;
      ++k;
      if (!ReadNumber(clock, k, seconds, kMaxFieldDigits)) return false;
    }
    if (!TryEncodeTime(hour, minute, seconds, 0, time)) return false;
  }
  moment = ComposeDateTime(dayNumber, time);
  return true;
}

bool HasDateText(long double moment) {
  static const auto bounds = [] {
    double first = 0, last = 0;
    TryEncodeDate(1, 1, 1, first);
    TryEncodeDate(9999, 12, 31, last);
    return std::pair<double, double>(first, last + 1);
  }();
  return moment >= bounds.first && moment < bounds.second;
}

std::string DateToText(double moment) {
  if (!HasDateText(moment)) return kNoDateText;
  int year = 0, month = 0, day = 0;
  DecodeDate(moment, year, month, day);
  char buffer[32];
  if (currentStyle == TDateStyle::European)
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d", day, month, year);
  else
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", month, day, year);
  return buffer;
}

std::string FullDateTimeToText(double moment) {
  if (!HasDateText(moment)) return kNoDateText;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  DecodeTime(moment, hour, minute, second, millisecond);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, " %02d:%02d:%02d", hour, minute, second);
  return DateToText(moment) + buffer;
}

std::string DateTimeToText(double moment) {
  if (!HasDateText(moment)) return kNoDateText;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  DecodeTime(moment, hour, minute, second, millisecond);
  if (hour == 0 && minute == 0 && second == 0 && millisecond == 0) return DateToText(moment);
  return FullDateTimeToText(moment);
}

} // namespace vandro
