#include "shell/clock.h"
#include "shell/datetime.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace vandro {
namespace {

// Leaves the date style as every other test expects it.
struct DateStyleGuard {
  TDateStyle saved = DateStyle();
  ~DateStyleGuard() { SetDateStyle(saved); }
};

double Date(int y, int m, int d) {
  double date = 0;
  EXPECT_TRUE(TryEncodeDate(y, m, d, date));
  return date;
}

TEST(DateTime, DaysCountFromThe30thOfDecember1899) {
  EXPECT_EQ(0, Date(1899, 12, 30));
  EXPECT_EQ(2, Date(1900, 1, 1));
  EXPECT_EQ(37987, Date(2004, 1, 1));
  EXPECT_EQ(-1, Date(1899, 12, 29));
  double date = 0;
  EXPECT_FALSE(TryEncodeDate(2003, 2, 29, date));
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, date));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, date));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, date));
}

TEST(DateTime, DecodesBackIncludingTimesBefore1899) {
  double time = 0;
  ASSERT_TRUE(TryEncodeTime(6, 0, 0, 0, time));
  const double moment = ComposeDateTime(Date(1899, 12, 29), time);
  EXPECT_DOUBLE_EQ(-1.25, moment);
  int y, m, d, h, mi, s, ms;
  DecodeDate(moment, y, m, d);
  DecodeTime(moment, h, mi, s, ms);
  EXPECT_EQ(std::make_tuple(1899, 12, 29, 6, 0, 0), std::make_tuple(y, m, d, h, mi, s));
  // A moment a hair before midnight is shown as the next day's midnight.
  DecodeDate(Date(2004, 1, 1) - 1e-10, y, m, d);
  EXPECT_EQ(std::make_tuple(2004, 1, 1), std::make_tuple(y, m, d));
}

TEST(DateTime, ReadsAndWritesInTheCurrentStyle) {
  DateStyleGuard guard;
  double moment = 0;
  ASSERT_TRUE(TryTextToDateTime("1.2.03 7:05", TDateStyle::European, moment));
  EXPECT_EQ("01.02.2003 07:05:00", DateTimeToText(moment));
  EXPECT_EQ("01.02.2003", DateTimeToText(Date(2003, 2, 1)));
  SetDateStyle(TDateStyle::US);
  EXPECT_EQ("02/01/2003 07:05:00", DateTimeToText(moment));
  ASSERT_TRUE(TryTextToDateTime("12/31/2004 23:59:59", TDateStyle::US, moment));
  EXPECT_EQ("12/31/2004 23:59:59", FullDateTimeToText(moment));
  for (const char* bad : {"31/12/2004", "12.31.2004", "1/1", "1/1/2004 25:00", "1/1/2004 x"})
    EXPECT_FALSE(TryTextToDateTime(bad, TDateStyle::US, moment)) << bad;
}

TEST(DateTime, AMomentWithoutADateIsNeverWrittenAsOne) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double last = Date(9999, 12, 31) + 0.5;
  EXPECT_EQ("31.12.9999 12:00:00", DateTimeToText(last));
  EXPECT_EQ("01.01.0001", DateTimeToText(Date(1, 1, 1)));
  for (const double moment : {nan, inf, -inf, -1e300, 1e300, last + 1, Date(1, 1, 1) - 0.5}) {
    EXPECT_EQ("n/a", DateToText(moment)) << moment;
    EXPECT_EQ("n/a", DateTimeToText(moment)) << moment;
    EXPECT_EQ("n/a", FullDateTimeToText(moment)) << moment;
    int y = -1, m = -1, d = -1, h = -1, mi = -1, sec = -1, ms = -1;
    DecodeDate(moment, y, m, d);
    DecodeTime(moment, h, mi, sec, ms);
    EXPECT_EQ(std::make_tuple(1899, 12, 30, 0, 0, 0, 0), std::make_tuple(y, m, d, h, mi, sec, ms))
        << moment;
  }
}

TEST(Clock, AFixedClockReplacesTheSystemClock) {
  TFixedClock fixed(Date(2004, 1, 1));
  const TClock* previous = SetClock(&fixed);
  EXPECT_EQ(Date(2004, 1, 1), Now());
  fixed.Advance(0.5);
  EXPECT_EQ(Date(2004, 1, 1) + 0.5, Now());
  SetClock(previous);
  EXPECT_GT(Now(), Date(2020, 1, 1));
}

} // namespace
} // namespace vandro
