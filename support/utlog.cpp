// Debug log and byte-string helpers.
//
// Owns the process-wide log stream (null at start) and the German 7-bit
// conversion table. The helpers treat every byte as unsigned and use the
// fixed white-space set of StrIsSpace, never the locale.
#include "support/utlog.h"

#include <climits>
#include <cstdarg>
#include <cstring>

namespace {

std::FILE* g_log = nullptr;

void LogV(int level, bool flush, const char* format, va_list ap) {
  if (!g_log || level < kUtLogMinLevel || !format) return;
  std::vfprintf(g_log, format, ap);
  std::fputc('\n', g_log);
  if (flush) std::fflush(g_log);
}

// The German 7-bit table.
constexpr struct German7Bit {
  unsigned char t[256];
  constexpr German7Bit() : t() {
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i < 0x80 ? i : ' ');
    t[0x81] = '}';   // ue
    t[0x84] = '{';   // ae
    t[0x8E] = '[';   // Ae
    t[0x94] = '|';   // oe
    t[0x99] = '\\';  // Oe
    t[0x9A] = ']';   // Ue
    t[0xE1] = '~';   // sharp s
  }
} kGerman7Bit;

}  // namespace

void UtLogSetStream(std::FILE* stream) { g_log = stream; }

std::FILE* UtLogStream() { return g_log; }

void UtLogWrite(int level, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  LogV(level, true, format, ap);
  va_end(ap);
}

void UtLogWriteNoFlush(int level, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  LogV(level, false, format, ap);
  va_end(ap);
}

char* StrTrimRight(char* text) {
  if (!text) return nullptr;
  std::size_t n = std::strlen(text);
  while (n > 0 && StrIsSpace(static_cast<unsigned char>(text[n - 1]))) --n;
  text[n] = '\0';
  return text;
}

unsigned char* StrTranslate(unsigned char* bytes, std::size_t n, const unsigned char table[256]) {
  if (!bytes || !table) return bytes;
  for (std::size_t i = 0; i < n; ++i) bytes[i] = table[bytes[i]];
  return bytes;
}

char* UtToGerman7Bit(char* bytes, int n) {
  if (!bytes || n <= 0) return bytes;
  StrTranslate(reinterpret_cast<unsigned char*>(bytes), static_cast<std::size_t>(n), kGerman7Bit.t);
  return bytes;
}

void StrReverse(char* target, const char* source, std::size_t n) {
  if (!target || !source || n == 0) return;
  if (target == source) {
    for (std::size_t i = 0, j = n - 1; i < j; ++i, --j) {
      char c = target[i];
      target[i] = target[j];
      target[j] = c;
    }
    return;
  }
  for (std::size_t i = 0; i < n; ++i) target[i] = source[n - 1 - i];
}

int StrToIntFeld(const char* field, int length, int* error) {
  int dummy;
  if (!error) error = &dummy;
  *error = 0;
  if (!field || length <= 0) {
    *error = 1;
    return 0;
  }
  // The field ends after length characters or at a terminator, whichever
  // comes first, so a short string is never read beyond its end.
  int i = 0;
  auto at_end = [&] { return i >= length || field[i] == '\0'; };
  auto ch = [&] { return static_cast<unsigned char>(field[i]); };

  while (!at_end() && StrIsSpace(ch())) ++i;
  if (i >= length) {  // white space only
    *error = 1;
    return 0;
  }
  bool negative = false;
  if (!at_end() && (ch() == '+' || ch() == '-')) {
    negative = ch() == '-';
    ++i;
    if (at_end()) {  // a sign alone
      *error = 1;
      return 0;
    }
  }
  int value = 0;
  bool digits = false;
  while (!at_end() && ch() >= '0' && ch() <= '9') {
    int d = ch() - '0';
    if (value > (INT_MAX - d) / 10) {
      *error = 1;
      return 0;
    }
    value = value * 10 + d;
    digits = true;
    ++i;
  }
  while (!at_end() && StrIsSpace(ch())) ++i;
  if (!at_end()) *error = 1;
  if (!digits) *error = 1;
  return negative ? -value : value;
}
