// Day numbers and timestamps.
//
// All dates of the system are day numbers counted from 1 January 1980 (day
// 0), all times are seconds counted from 1 January 1980 00:00 local time.
// This module converts between calendar dates, day numbers and timestamps,
// reads the clock (local time through localtime_r), and writes both as
// German-style text into buffers that it owns: each call of UtDayText and of
// UtSecondsText overwrites the previous text of the same operation.
//
// The calendar counts every fourth year as a leap year without a century
// rule, which is why the valid range ends on 28.2.2100 (day 43888).
//
// Tests can replace the clock and the time zone (UtTestSetClock,
// UtTestSetTimeZone).
#ifndef ZOLMA_SUPPORT_UTDAY_H
#define ZOLMA_SUPPORT_UTDAY_H

#include <cstdint>
#include <ctime>

using UtDayNumber = std::uint16_t;
using UtTimestamp = std::uint32_t;

inline constexpr UtDayNumber kUtNoDay = 0xFFFF;        // no valid date
inline constexpr UtDayNumber kUtOpenEnd = 43829;       // 31.12.2099
inline constexpr UtDayNumber kUtLastDay = 43888;       // 28.2.2100
inline constexpr UtTimestamp kUtNoTime = 0xFFFFFFFFu;  // no valid time

struct UtDate {
  int year;     // four digits
  int month;    // 1-12
  int day;      // 1-31
  int weekday;  // 0 Sunday ... 6 Saturday
  int hour;
  int minute;
  int second;
};

// From year, month and day; only the ends of the range are tested (32
// January counts as 1 February). Outside 1.1.1980 .. 28.2.2100: kUtNoDay.
// A null date gives kUtNoDay.
UtDayNumber UtDateToDay(const UtDate* date);

// Today in local time; kUtNoDay when the clock fails.
UtDayNumber UtToday();

// Seconds since 1.1.1980 00:00 of date and time; kUtNoTime when the day is
// invalid. Hour, minute and second are not tested.
UtTimestamp UtDateTimeToSeconds(const UtDate* date);

// Now in local time; kUtNoTime when the clock fails.
UtTimestamp UtNowSeconds();

// 0 Sunday ... 6 Saturday; day 0 was a Tuesday.
int UtWeekday(UtDayNumber day);

// Fills year, month, day and weekday; null for kUtNoDay (or a null out).
UtDate* UtDayToDate(UtDate* out, UtDayNumber day);

// Fills all seven fields; null for kUtNoTime (or a null out).
UtDate* UtSecondsToDateTime(UtDate* out, UtTimestamp time);

// "DD.MM.YYYY"; "00.00.0000" for kUtNoDay.
const char* UtDayText(UtDayNumber day);

// "DD.MM.YYYY HH:MM:SS"; "00.00.0000 00:00:00" for kUtNoTime.
const char* UtSecondsText(UtTimestamp time);

// ---- test hooks -----------------------------------------------------------
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS

// Replaces the clock: every later reading returns the result of clock()
// (seconds since 1970, (time_t)-1 for a failing clock). Null restores the
// system clock.
using UtClockFn = std::time_t (*)();
void UtTestSetClock(UtClockFn clock);

// Fixes the clock at t (seconds since 1970); (time_t)-1 makes it fail.
void UtTestSetFixedTime(std::time_t t);

// Sets the process time zone (the TZ variable, then tzset); null restores
// the zone the process started with.
void UtTestSetTimeZone(const char* tz);

#endif

#endif  // ZOLMA_SUPPORT_UTDAY_H
