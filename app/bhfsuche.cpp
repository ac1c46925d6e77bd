// bhfsuche.cpp - station name resolution over the station-name and
// station tables.
#include "app/bhfsuche.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/textconv.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "support/utday.h"

namespace {

constexpr int kNameLen = 20;

// The two letters an umlaut of code page 1252 is spelled with, or null.
const char* umlautReplacement(unsigned char c) {
  switch (c) {
    case 0xC4:
    case 0xE4:
      return "AE";
    case 0xD6:
    case 0xF6:
      return "OE";
    case 0xDC:
    case 0xFC:
      return "UE";
    case 0xDF:
      return "SS";
    default:
      return nullptr;
  }
}

// Copies at most the first 20 characters of text into a 21-byte buffer.
void copy20(char* buf, const char* text) {
  std::strncpy(buf, text, kNameLen);
  buf[kNameLen] = '\0';
}

int suchen(const char* text, char* name, int exactOnly, bool retry) {
  char buf[kNameLen + 1];
  copy20(buf, text);
  BhfNameNormieren(buf, kNameLen + 1);
  UtDayNumber today = UtToday();

  size_t typed = std::strlen(text);
  if (exactOnly && !retry && typed >= 1 && typed <= 4) {
    std::memcpy(name, buf, sizeof buf);
    TrimRight(name);
    bool digits = name[0] != '\0';
    for (const char* p = name; *p; ++p)
      if (*p < '0' || *p > '9') digits = false;
    if (digits) {
      EbhfSatz e;
      long nr = std::strtol(name, nullptr, 10);
      if (DbGetEbhf(&e, kDbLand, static_cast<uint32_t>(nr), today) == kDbFound) {
        BhfKanonischerName(e.name, name);
        return static_cast<int>(nr);
      }
    }
  }

  char key[kNameLen + 1];
  std::memset(key, ' ', kNameLen);
  key[kNameLen] = '\0';
  std::memcpy(key, buf, std::strlen(buf));
  PbhfSatz p;
  if (DbGetPbhf(&p, key, today) == kDbFound) {
    EbhfSatz e;
    if (DbGetEbhf(&e, kDbLand, p.station, today) != kDbFound) return -1;
    BhfKanonischerName(e.name, name);
    return static_cast<int>(p.station);
  }
  if (exactOnly || retry) return -1;
  if (BhfPrefixSuchen(text, name) != 0) return -1;
  char found[kNameLen + 1];
  std::memcpy(found, name, sizeof found);
  return suchen(found, name, exactOnly, true);
}

}  // namespace

void BhfKanonischerName(const char stationName[20], char* name) {
  std::memcpy(name, stationName, kNameLen);
  name[kNameLen] = '\0';
  // A name field may end early with a NUL; what follows it is not shown.
  TrimRight(name);
  DosToAnsi(name);
}

void BhfNameNormieren(char* text, int n) {
  if (!text || n <= 0) return;
  const size_t width = static_cast<size_t>(n - 1);
  std::string in(text, strnlen(text, width));
  in.resize(width, ' ');
  std::string out;
  out.reserve(width + 2);
  for (unsigned char c : in) {
    if (out.size() >= width) break;
    if (c >= 'a' && c <= 'z') {
      out += static_cast<char>(c - 'a' + 'A');
    } else if (const char* r = umlautReplacement(c)) {
      out += r;
    } else {
      out += static_cast<char>(c);
    }
  }
  out.resize(width);  // the letter that would pass the end drops off
  std::memcpy(text, out.data(), width);
  text[width] = '\0';
  TrimRight(text);
}

int BhfPrefixAnzahl(const char* text) {
  if (!text) return 0;
  char buf[kNameLen + 1];
  copy20(buf, text);
  TrimRight(buf);
  BhfNameNormieren(buf, kNameLen + 1);
  return DbCountPbhfPrefix(buf, UtToday());
}

int BhfPrefixSuchen(const char* text, char* name) {
  if (!text || !name || std::strlen(text) > kNameLen) return -1;
  char buf[kNameLen + 1];
  copy20(buf, text);
  BhfNameNormieren(buf, kNameLen + 1);
  UtDayNumber today = UtToday();
  PbhfSatz p;
  if (DbFindPbhfPrefix(&p, buf, today) != kDbFound) return -1;
  EbhfSatz e;
  if (DbGetEbhf(&e, kDbLand, p.station, today) != kDbFound) return -1;
  BhfKanonischerName(e.name, name);
  return 0;
}

int BhfSuchen(const char* text, char* name, int exactOnly) {
  if (!text || !name) return -1;
  return suchen(text, name, exactOnly, false);
}
