// Little-endian helpers of the tests: a bounds-checked cursor (a read past
// the end sets ok = false and yields 0, so a test can read a whole record
// and check ok once) and the appending of a blank-padded text field.
#ifndef ZOLMA_TESTS_SUPPORT_LE_READER_H
#define ZOLMA_TESTS_SUPPORT_LE_READER_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "support/le.h"

// A cursor over [data, data + size). Every read checks that its bytes lie
// inside the range; the first read that does not sets ok to false, and it
// and every later read return 0 (or copy nothing) without touching memory
// outside the range.
struct LeReader {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  std::size_t pos = 0;
  bool ok = true;

  LeReader() = default;
  LeReader(const unsigned char* d, std::size_t n) : data(d), size(n) {}

  std::size_t Remaining() const { return pos <= size ? size - pos : 0; }

  // True when n more bytes can be read; otherwise marks the reader failed.
  bool Need(std::size_t n) {
    if (!ok || n > Remaining()) {
      ok = false;
      return false;
    }
    return true;
  }

  std::uint8_t U8() {
    if (!Need(1)) return 0;
    return data[pos++];
  }
  std::uint16_t U16() {
    if (!Need(2)) return 0;
    std::uint16_t v = LeGetU16(data + pos);
    pos += 2;
    return v;
  }
  std::uint32_t U32() {
    if (!Need(4)) return 0;
    std::uint32_t v = LeGetU32(data + pos);
    pos += 4;
    return v;
  }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

  // Copies n bytes to out (out must hold n bytes); on failure out is zeroed.
  bool Bytes(void* out, std::size_t n) {
    if (!Need(n)) {
      if (out && n) std::memset(out, 0, n);
      return false;
    }
    if (n) std::memcpy(out, data + pos, n);
    pos += n;
    return true;
  }

  // Skips n bytes.
  bool Skip(std::size_t n) {
    if (!Need(n)) return false;
    pos += n;
    return true;
  }

  // Moves to an absolute offset; an offset beyond the end fails.
  bool Seek(std::size_t offset) {
    if (!ok || offset > size) {
      ok = false;
      return false;
    }
    pos = offset;
    return true;
  }
};

// Appends n bytes of text, padded with pad (blank by default) when text is
// shorter than n or null; a longer text is cut to n bytes.
inline void LeAppendText(std::vector<unsigned char>& out, const char* text, std::size_t n,
                         unsigned char pad = ' ') {
  std::size_t len = text ? std::strlen(text) : 0;
  for (std::size_t i = 0; i < n; ++i)
    out.push_back(i < len ? static_cast<unsigned char>(text[i]) : pad);
}

#endif  // ZOLMA_TESTS_SUPPORT_LE_READER_H
