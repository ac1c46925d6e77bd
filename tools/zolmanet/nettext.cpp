/*
** Text and date conversions of the network compiler (see nettext.h).
*/
#include "tools/zolmanet/nettext.h"

#include <cstdio>
#include <vector>

#include "tools/dmwriter/tables.h"

namespace zolmanet {

namespace {

/* The UTF-8 character at s[i]: its length in bytes with its code point in
** *cp, or 0 for a malformed or overlong sequence. */
size_t DecodeOne(const std::string& s, size_t i, uint32_t* cp) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int extra;
  if (c < 0x80) {
    *cp = c;
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    *cp = c & 0x1F;
    extra = 1;
  } else if ((c & 0xF0) == 0xE0) {
    *cp = c & 0x0F;
    extra = 2;
  } else if ((c & 0xF8) == 0xF0) {
    *cp = c & 0x07;
    extra = 3;
  } else
    return 0;
  if (i + static_cast<size_t>(extra) >= s.size()) return 0;
  for (int k = 1; k <= extra; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((cc & 0xC0) != 0x80) return 0;
    *cp = (*cp << 6) | (cc & 0x3F);
  }
  if ((extra == 1 && *cp < 0x80) || (extra == 2 && *cp < 0x800) || (extra == 3 && *cp < 0x10000)) {
    return 0; /* overlong form */
  }
  return static_cast<size_t>(extra) + 1;
}

/* Decodes UTF-8 into code points; false on a malformed sequence. */
bool DecodeUtf8(const std::string& s, std::vector<uint32_t>* out) {
  out->clear();
  size_t i = 0;
  while (i < s.size()) {
    uint32_t cp;
    size_t len = DecodeOne(s, i, &cp);
    if (len == 0) return false;
    out->push_back(cp);
    i += len;
  }
  return true;
}

/* A control character: C0, DEL and C1. */
bool IsControl(uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp < 0xA0); }

std::string CharName(uint32_t cp) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

struct DosPair {
  uint32_t cp;
  unsigned char dos;
};
/* The German letters of the DOS code page: the only bytes above 127 that
** the dialog turns into the Windows character set. Any other accented
** letter would be shown as a wrong character, and its canonical name
** written back into a station field would no longer be found. */
const DosPair kDos[] = {
    {0xFC, 0x81}, {0xE4, 0x84}, {0xC4, 0x8E}, {0xF6, 0x94},
    {0xD6, 0x99}, {0xDC, 0x9A}, {0xDF, 0xE1},
};

}  // namespace

std::string Showable(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    uint32_t cp = 0;
    size_t len = DecodeOne(text, i, &cp);
    if (len > 0 && !IsControl(cp)) {
      out.append(text, i, len);
      i += len;
      continue;
    }
    /* A control character or a byte that is no UTF-8: each byte as \xNN. */
    for (size_t k = 0; k < (len > 0 ? len : 1); ++k) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(text[i + k]));
      out += buf;
    }
    i += len > 0 ? len : 1;
  }
  return out;
}

size_t NonTextBytes(const std::string& text) {
  size_t n = 0;
  size_t i = 0;
  while (i < text.size()) {
    uint32_t cp = 0;
    size_t len = DecodeOne(text, i, &cp);
    if (len == 0) {
      ++n;
      ++i;
      continue;
    }
    if (IsControl(cp) && cp != '\t' && cp != '\n' && cp != '\r' && cp != '\f') n += len;
    i += len;
  }
  return n;
}

size_t Utf8Length(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) ++n;
  }
  return n;
}

std::optional<std::string> ToDos(const std::string& utf8, std::string* err) {
  std::vector<uint32_t> cps;
  if (!DecodeUtf8(utf8, &cps)) {
    *err = "malformed UTF-8";
    return std::nullopt;
  }
  std::string out;
  for (uint32_t cp : cps) {
    if (cp < 0x80) {
      if (cp < 0x20) {
        *err = "control character " + CharName(cp);
        return std::nullopt;
      }
      out.push_back(static_cast<char>(cp));
      continue;
    }
    bool found = false;
    for (const DosPair& p : kDos) {
      if (p.cp == cp) {
        out.push_back(static_cast<char>(p.dos));
        found = true;
        break;
      }
    }
    if (!found) {
      *err = "character " + CharName(cp) +
             " has no place in the DOS code page (beyond ASCII only the German letters)";
      return std::nullopt;
    }
  }
  return out;
}

std::optional<std::string> ToDin66003(const std::string& utf8, std::string* err) {
  std::vector<uint32_t> cps;
  if (!DecodeUtf8(utf8, &cps)) {
    *err = "malformed UTF-8";
    return std::nullopt;
  }
  std::string out;
  for (uint32_t cp : cps) {
    char c;
    switch (cp) {
      case 0xC4:
        c = '[';
        break;
      case 0xD6:
        c = '\\';
        break;
      case 0xDC:
        c = ']';
        break;
      case 0xE4:
        c = '{';
        break;
      case 0xF6:
        c = '|';
        break;
      case 0xFC:
        c = '}';
        break;
      case 0xDF:
        c = '~';
        break;
      case '[':
      case '\\':
      case ']':
      case '{':
      case '|':
      case '}':
      case '~':
        *err = std::string("character '") + static_cast<char>(cp) +
               "' stands for an umlaut in the 7-bit German code";
        return std::nullopt;
      default:
        if (cp < 0x20 || cp >= 0x7F) {
          *err = "character " + CharName(cp) + " has no place in the 7-bit German code";
          return std::nullopt;
        }
        c = static_cast<char>(cp);
    }
    out.push_back(c);
  }
  return out;
}

std::optional<std::string> ToWin1252(const std::string& utf8, std::string* err) {
  std::vector<uint32_t> cps;
  if (!DecodeUtf8(utf8, &cps)) {
    *err = "malformed UTF-8";
    return std::nullopt;
  }
  std::string out;
  for (uint32_t cp : cps) {
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || cp > 0xFF) {
      *err = "character " + CharName(cp) + " has no place in Windows-1252";
      return std::nullopt;
    }
    out.push_back(static_cast<char>(cp));
  }
  return out;
}

std::optional<std::string> PbhfKey(const std::string& utf8, std::string* err) {
  auto w = ToWin1252(utf8, err);
  if (!w) return std::nullopt;
  std::string out;
  for (char ch : *w) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z')
      out.push_back(static_cast<char>(c - 'a' + 'A'));
    else if (c == 0xC4 || c == 0xE4)
      out += "AE";
    else if (c == 0xD6 || c == 0xF6)
      out += "OE";
    else if (c == 0xDC || c == 0xFC)
      out += "UE";
    else if (c == 0xDF)
      out += "SS";
    else
      out.push_back(ch);
  }
  if (out.size() > dmw::kStationNameWidth) out.resize(dmw::kStationNameWidth);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
  /* Days since 1.1.1970 of a proleptic Gregorian date, then shifted. */
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days1970 = era * 146097 + static_cast<int64_t>(doe) - 719468;
  return days1970 - 3652; /* 1.1.1980 is day 3652 after 1.1.1970 */
}

namespace {

bool ParseDate(const std::string& t, size_t pos, int* y, unsigned* m, unsigned* d) {
  if (t.size() < pos + 10 || t[pos + 4] != '-' || t[pos + 7] != '-') return false;
  for (size_t k : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (t[pos + k] < '0' || t[pos + k] > '9') return false;
  }
  *y = std::stoi(t.substr(pos, 4));
  *m = static_cast<unsigned>(std::stoi(t.substr(pos + 5, 2)));
  *d = static_cast<unsigned>(std::stoi(t.substr(pos + 8, 2)));
  static const unsigned kLen[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (*m < 1 || *m > 12 || *d < 1) return false;
  unsigned len = kLen[*m - 1];
  bool leap = (*y % 4 == 0 && *y % 100 != 0) || *y % 400 == 0;
  if (*m == 2 && leap) len = 29;
  return *d <= len;
}

}  // namespace

std::optional<uint16_t> ParseDay(const std::string& text, std::string* err) {
  int y;
  unsigned m, d;
  if (text.size() != 10 || !ParseDate(text, 0, &y, &m, &d)) {
    *err = "'" + text + "' is no date (YYYY-MM-DD)";
    return std::nullopt;
  }
  int64_t n = DaysFromCivil(y, m, d);
  if (n < 0 || n >= 0x8000) {
    *err = "date " + text + " lies outside 1980-01-01 .. 2069-09-17";
    return std::nullopt;
  }
  return static_cast<uint16_t>(n);
}

namespace {

/* Civil date of a count of days since 1.1.1970 (inverse of DaysFromCivil). */
std::string CivilText(int64_t days1970) {
  int64_t z = days1970 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(y), m, d);
  return buf;
}

}  // namespace

std::string DayText(uint16_t day) { return CivilText(static_cast<int64_t>(day) + 3652); }

std::optional<int64_t> ParseTime(const std::string& text, std::string* err) {
  int y;
  unsigned m, d;
  unsigned hh = 0, mm = 0, ss = 0;
  bool ok = text.size() >= 10 && ParseDate(text, 0, &y, &m, &d);
  if (ok && text.size() > 10) {
    ok = text.size() == 19 && text[10] == 'T' && text[13] == ':' && text[16] == ':';
    for (size_t k : {11, 12, 14, 15, 17, 18}) {
      if (ok && (text[k] < '0' || text[k] > '9')) ok = false;
    }
    if (ok) {
      hh = static_cast<unsigned>(std::stoi(text.substr(11, 2)));
      mm = static_cast<unsigned>(std::stoi(text.substr(14, 2)));
      ss = static_cast<unsigned>(std::stoi(text.substr(17, 2)));
      ok = hh < 24 && mm < 60 && ss < 60;
    }
  }
  if (!ok) {
    *err = "'" + text + "' is no time (YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS)";
    return std::nullopt;
  }
  int64_t days = DaysFromCivil(y, m, d) + 3652;
  int64_t t = days * 86400 + hh * 3600 + mm * 60 + ss;
  if (t < 0 || t > 0x7FFFFFFF) {
    *err = "time " + text + " does not fit the data-file header";
    return std::nullopt;
  }
  return t;
}

std::string TimeText(int64_t seconds) {
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  std::string date = CivilText(days);
  char buf[80];
  std::snprintf(buf, sizeof buf, "%sT%02d:%02d:%02d", date.c_str(), static_cast<int>(rest / 3600),
                static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return buf;
}

}  // namespace zolmanet
