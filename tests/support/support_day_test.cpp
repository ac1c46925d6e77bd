// Day numbers and timestamps.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/utday.h"

namespace {

using namespace std::chrono;

UtDayNumber Day(int y, int m, int d) {
  UtDate date{y, m, d, 0, 0, 0, 0};
  return UtDateToDay(&date);
}

TEST(SupportDay, RoundTripAgainstTheCalendar) {
  const sys_days epoch = sys_days{1980y / January / 1};
  for (unsigned n = 0; n <= kUtLastDay; ++n) {
    UtDate d{};
    ASSERT_NE(UtDayToDate(&d, static_cast<UtDayNumber>(n)), nullptr);
    const year_month_day ymd{epoch + days{n}};
    ASSERT_EQ(d.year, int(ymd.year())) << n;
    ASSERT_EQ(d.month, int(unsigned(ymd.month()))) << n;
    ASSERT_EQ(d.day, int(unsigned(ymd.day()))) << n;
    ASSERT_EQ(d.weekday, int(weekday{epoch + days{n}}.c_encoding())) << n;
    ASSERT_EQ(UtWeekday(static_cast<UtDayNumber>(n)), d.weekday) << n;
    ASSERT_EQ(Day(d.year, d.month, d.day), n);
  }
}

TEST(SupportDay, ReferenceDaysAndRangeEnds) {
  struct Case {
    int y, m, d;
    int want;
  } cases[] = {
      {1980, 1, 1, 0},
      {1980, 2, 29, 59},
      {1980, 3, 1, 60},
      {2017, 8, 28, 13754},
      {2099, 12, 31, 43829},
      {2100, 1, 31, 43860},
      {2100, 2, 28, 43888},
      {2100, 2, 29, kUtNoDay},
      {2100, 3, 1, kUtNoDay},
      {2096, 2, 29, Day(2096, 3, 1) - 1},
      {1979, 12, 31, kUtNoDay},
      {1980, 1, 0, kUtNoDay},
      {1980, 0, 5, kUtNoDay},
      {1980, 2, 0, 30},   // only January 1980 tests the day
      {1980, 1, 32, 31},  // 32 January counts as 1 February
      {1981, 13, 1, Day(1982, 1, 1)},
      {2101, 1, 1, kUtNoDay},
      // Days so far out of their month that no day number is left.
      {2100, 1, 100000, kUtNoDay},
      {1981, 1, -1000, kUtNoDay},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Day(c.y, c.m, c.d), c.want) << c.d << "." << c.m << "." << c.y;
  EXPECT_NE(Day(2096, 2, 29), kUtNoDay);
  EXPECT_EQ(UtDateToDay(nullptr), kUtNoDay);
}

TEST(SupportDay, DaysBeyondTheRangeContinueTheCycle) {
  struct Case {
    UtDayNumber day;
    int y, m, d, wd;
  } cases[] = {
      {59, 1980, 2, 29, 5}, {0, 1980, 1, 1, 2}, {43889, 2100, 2, 29, -1}, {65534, 2159, 6, 4, -1}};
  for (const Case& c : cases) {
    UtDate d{};
    ASSERT_NE(UtDayToDate(&d, c.day), nullptr);
    EXPECT_EQ(d.year, c.y);
    EXPECT_EQ(d.month, c.m);
    EXPECT_EQ(d.day, c.d);
    if (c.wd >= 0) {
      EXPECT_EQ(d.weekday, c.wd);
    }
  }
  UtDate d{};
  EXPECT_EQ(UtDayToDate(&d, kUtNoDay), nullptr);
}

TEST(SupportDay, SecondsAndTexts) {
  UtDate end{2099, 12, 31, 0, 23, 59, 59};
  EXPECT_EQ(UtDateTimeToSeconds(&end), 3786911999u);
  UtDate last{2100, 2, 28, 0, 0, 0, 0};
  EXPECT_EQ(UtDateTimeToSeconds(&last), 3791923200u);
  UtDate bad{2100, 3, 1, 0, 0, 0, 0};
  EXPECT_EQ(UtDateTimeToSeconds(&bad), kUtNoTime);

  UtDate back{};
  ASSERT_NE(UtSecondsToDateTime(&back, 3786911999u), nullptr);
  EXPECT_EQ(back.year, 2099);
  EXPECT_EQ(back.hour, 23);
  EXPECT_EQ(back.minute, 59);
  EXPECT_EQ(back.second, 59);
  EXPECT_EQ(UtSecondsToDateTime(&back, kUtNoTime), nullptr);

  EXPECT_STREQ(UtDayText(kUtNoDay), "00.00.0000");
  EXPECT_STREQ(UtDayText(43829), "31.12.2099");
  EXPECT_STREQ(UtDayText(0), "01.01.1980");
  EXPECT_STREQ(UtSecondsText(0), "01.01.1980 00:00:00");
  EXPECT_STREQ(UtSecondsText(kUtNoTime), "00.00.0000 00:00:00");
  EXPECT_STREQ(UtSecondsText(13754u * 86400u + 3723u), "28.08.2017 01:02:03");
  // The text buffer is shared: the next call overwrites it.
  const char* first = UtDayText(1);
  UtDayText(2);
  EXPECT_STREQ(first, "03.01.1980");
}

class SupportDayClock : public ::testing::Test {
 protected:
  void TearDown() override {
    UtTestSetClock(nullptr);
    UtTestSetTimeZone(nullptr);
  }
};

TEST_F(SupportDayClock, TodayAndNowInLocalTime) {
  const std::time_t t1980 = 315532800;  // 1.1.1980 00:00 UTC
  struct Case {
    const char* tz;
    std::time_t t;
    UtDayNumber today;
    UtTimestamp now;
  } cases[] = {
      {"UTC0", t1980, 0, 0},
      {"CET-1", t1980, 0, 3600},             // 01:00 local
      {"EST5", t1980, kUtNoDay, kUtNoTime},  // still 1979 there
      {"UTC0", t1980 + 13754 * 86400 + 5, 13754, 13754u * 86400u + 5u},
      {"UTC0", 0, kUtNoDay, kUtNoTime},                             // 1970
      {"UTC0", static_cast<std::time_t>(-1), kUtNoDay, kUtNoTime},  // failing clock
  };
  for (const Case& c : cases) {
    UtTestSetTimeZone(c.tz);
    UtTestSetFixedTime(c.t);
    EXPECT_EQ(UtToday(), c.today) << c.tz << " " << c.t;
    EXPECT_EQ(UtNowSeconds(), c.now) << c.tz << " " << c.t;
  }
}

TEST_F(SupportDayClock, SystemClockGivesTodayInRange) {
  UtDayNumber d = UtToday();
  EXPECT_NE(d, kUtNoDay);
  EXPECT_GT(d, 13754);  // after 28.8.2017
}

}  // namespace
