// cp1252.cpp - code page 1252 conversion for the terminal front end.
#include "platform/ui/cp1252.h"

namespace {
// Code points of the bytes 0x80 to 0x9F; 0 where the code page has a hole.
const unsigned kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void putUtf8(std::string& out, unsigned cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}
}  // namespace

std::string Cp1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char c : text) {
    unsigned cp = c;
    if (c >= 0x80 && c < 0xA0) cp = kHigh[c - 0x80] ? kHigh[c - 0x80] : '?';
    putUtf8(out, cp);
  }
  return out;
}

unsigned char UnicodeToCp1252(unsigned cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (unsigned i = 0; i < 32; ++i)
    if (kHigh[i] && kHigh[i] == cp) return static_cast<unsigned char>(0x80 + i);
  return 0;
}

std::string Utf8ToCp1252(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned cp;
    size_t len;
    if (c < 0x80) {
      cp = c;
      len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      len = 4;
    } else {
      out += '?';
      ++i;
      continue;
    }
    if (i + len > text.size()) {
      out += '?';
      break;
    }
    bool ok = true;
    for (size_t k = 1; k < len; ++k) {
      unsigned char n = static_cast<unsigned char>(text[i + k]);
      if ((n & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (n & 0x3F);
    }
    i += ok ? len : 1;
    unsigned char b = ok ? UnicodeToCp1252(cp) : 0;
    out += b ? static_cast<char>(b) : '?';
  }
  return out;
}
