// Day numbers and timestamps.
//
// Owns the clock source (the system clock unless a test replaced it) and the
// two text buffers of UtDayText and UtSecondsText. Local time is taken with
// the reentrant localtime_r.
#include "support/utday.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
UtClockFn g_clock = nullptr;  // null: the system clock
std::time_t g_fixedTime = 0;
#endif

char g_dayText[16];
char g_secondsText[32];

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
bool g_tzSaved = false;
bool g_tzWasSet = false;
std::string g_tzOriginal;

std::time_t FixedClock() { return g_fixedTime; }
#endif

std::time_t ReadClock() {
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
  if (g_clock) return g_clock();
#endif
  return std::time(nullptr);
}

// Local calendar time of now; false when the clock or the conversion fails.
bool LocalNow(std::tm* out) {
  std::time_t t = ReadClock();
  if (t == static_cast<std::time_t>(-1)) return false;
  return localtime_r(&t, out) != nullptr;
}

}  // namespace

UtDayNumber UtDateToDay(const UtDate* date) {
  if (!date) return kUtNoDay;
  const long long y = date->year, m = date->month, d = date->day;
  if (y < 1980) return kUtNoDay;
  if (y == 1980 && (m < 1 || (m == 1 && d < 1))) return kUtNoDay;
  if (y > 2100) return kUtNoDay;
  if (y == 2100 && (m > 2 || (m == 2 && d > 28))) return kUtNoDay;
  long long Y, M;
  if (m > 2) {
    Y = y;
    M = m;
  } else {
    Y = y - 1;
    M = m + 12;
  }
  long long r = 365 * (Y - 1980) + Y / 4 + d + (153 * (M + 1)) / 5 - 558;
  // Month and day are not range-checked; a combination that runs off the
  // day-number range entirely has no day number rather than a wrapped one.
  if (r < 0 || r >= kUtNoDay) return kUtNoDay;
  return static_cast<UtDayNumber>(r);
}

UtDayNumber UtToday() {
  std::tm tm{};
  if (!LocalNow(&tm)) return kUtNoDay;
  UtDate d{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, 0, 0, 0};
  return UtDateToDay(&d);
}

UtTimestamp UtDateTimeToSeconds(const UtDate* date) {
  UtDayNumber day = UtDateToDay(date);
  if (day == kUtNoDay) return kUtNoTime;
  std::uint32_t t = day;
  t = t * 24u + static_cast<std::uint32_t>(date->hour);
  t = t * 60u + static_cast<std::uint32_t>(date->minute);
  t = t * 60u + static_cast<std::uint32_t>(date->second);
  return t;
}

UtTimestamp UtNowSeconds() {
  std::tm tm{};
  if (!LocalNow(&tm)) return kUtNoTime;
  UtDate d{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday,
           tm.tm_hour,        tm.tm_min,     tm.tm_sec};
  return UtDateTimeToSeconds(&d);
}

int UtWeekday(UtDayNumber day) { return ((day % 7) + 2) % 7; }

UtDate* UtDayToDate(UtDate* out, UtDayNumber day) {
  if (!out || day == kUtNoDay) return nullptr;
  out->weekday = UtWeekday(day);
  int base = 1980;
  int n = day;
  if (n < 60) {  // January and February 1980 count from 1.3.1976
    base = 1976;
    n += 1461;
  }
  int b = n - 60;
  int w = b % 1461;
  int k = w / 365;
  if (k > 3) k = 3;
  int year = base + 4 * (b / 1461) + k;
  int f = w - 365 * k;  // 0-based day of the year that begins on 1 March
  int g = f / 153;      // March-July, August-December, January-February
  int h = f - 153 * g;
  int p = h / 61;  // pair of months of 31 and 30 days
  int r = h % 61;
  int q = r / 31;
  int month = 3 + 5 * g + 2 * p + q;
  int mday = r - 31 * q + 1;
  if (month > 12) {
    month -= 12;
    year += 1;
  }
  out->year = year;
  out->month = month;
  out->day = mday;
  return out;
}

UtDate* UtSecondsToDateTime(UtDate* out, UtTimestamp time) {
  if (!out || time == kUtNoTime) return nullptr;
  out->second = static_cast<int>(time % 60);
  out->minute = static_cast<int>((time / 60) % 60);
  out->hour = static_cast<int>((time / 3600) % 24);
  UtDayToDate(out, static_cast<UtDayNumber>(time / 86400));
  return out;
}

const char* UtDayText(UtDayNumber day) {
  std::snprintf(g_dayText, sizeof g_dayText, "00.00.0000");
  UtDate d{};
  if (UtDayToDate(&d, day))
    std::snprintf(g_dayText, sizeof g_dayText, "%02d.%02d.%04d", d.day % 100, d.month % 100,
                  d.year % 10000);
  return g_dayText;
}

const char* UtSecondsText(UtTimestamp time) {
  std::snprintf(g_secondsText, sizeof g_secondsText, "00.00.0000 00:00:00");
  UtDate d{};
  if (UtSecondsToDateTime(&d, time))
    std::snprintf(g_secondsText, sizeof g_secondsText, "%02d.%02d.%04d %02d:%02d:%02d", d.day % 100,
                  d.month % 100, d.year % 10000, d.hour % 100, d.minute % 100, d.second % 100);
  return g_secondsText;
}

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void UtTestSetClock(UtClockFn clock) { g_clock = clock; }

void UtTestSetFixedTime(std::time_t t) {
  g_fixedTime = t;
  g_clock = FixedClock;
}

void UtTestSetTimeZone(const char* tz) {
  if (!g_tzSaved) {
    g_tzSaved = true;
    const char* cur = std::getenv("TZ");
    g_tzWasSet = cur != nullptr;
    if (cur) g_tzOriginal = cur;
  }
  if (tz) {
    setenv("TZ", tz, 1);
  } else if (g_tzWasSet) {
    setenv("TZ", g_tzOriginal.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

#endif
