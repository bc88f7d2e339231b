// Date-times: a double counting days since 30 December 1899 (local time), the
// fraction being the time of day. Before that day the whole part is negative
// and the fraction still counts forward from midnight (-1.25 is 29 December
// 1899, 06:00).
//
// Dates are written and read in the user's date style: European
// "dd.MM.yyyy" with "." or US "MM/dd/yyyy" with "/"; times "hh:mm:ss".
#pragma once

#include <string>
#include <string_view>

namespace vandro {

enum class TDateStyle { European, US };

TDateStyle DateStyle();
void SetDateStyle(TDateStyle style);
char DateSeparator(TDateStyle style);

bool IsLeapYear(int year);
// Days in month 1..12 of year (Gregorian).
int DaysInMonth(int year, int month);

// Year 1..9999. Returns false for a date that does not exist.
bool TryEncodeDate(int year, int month, int day, double& date);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, double& time);
double ComposeDateTime(double date, double time);
void DecodeDate(double moment, int& year, int& month, int& day);
void DecodeTime(double moment, int& hour, int& minute, int& second, int& millisecond);

// Reads "d<sep>m<sep>y" (US: month first) with an optional " h:mm[:ss]";
// whatever follows the seconds is not examined. Fields of more than five
// digits are refused.
// A year of one or two digits means 2000 + year.
bool TryTextToDateTime(std::string_view text, TDateStyle style, double& moment);

// Moments that have a date text: 1 January of year 1 up to the end of 9999.
bool HasDateText(long double moment);

// What the texts below give for a moment without a date text: never digits
// that would pass for a date.
inline constexpr const char* kNoDateText = "n/a";

// The date in the current style's pattern.
std::string DateToText(double moment);
// The date, then " hh:mm:ss" unless the time of day is midnight.
std::string DateTimeToText(double moment);
// The date and " hh:mm:ss" always.
std::string FullDateTimeToText(double moment);

} // namespace vandro
