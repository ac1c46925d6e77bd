// Little-endian coding helpers: the one place where multi-byte numbers are
// read from and written to byte buffers.
//
// Every stored number of the data files is little-endian. Readers decode it
// with these explicit shifts, never by casting bytes to a struct, so the code
// is independent of the host's byte order and alignment. Writers (the
// data-file writer and test fixtures) encode with the matching Put/Append
// helpers, so both sides of a format use the same definitions.
//
// Three layers:
//   LeGetU16 ... LePutI32     raw access at a pointer; the caller has checked
//                             that the bytes exist.
//   LeReader                  a bounds-checked cursor over a byte range; a
//                             read past the end sets ok = false and yields 0,
//                             so a decoder can read a whole record and test
//                             ok once.
//   LeAppendU16 ...           append to a growing std::vector (writers).
#ifndef ZOLMA_SUPPORT_LE_H
#define ZOLMA_SUPPORT_LE_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// ---- raw access -----------------------------------------------------------

inline constexpr std::uint16_t LeGetU16(const unsigned char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned>(p[0]) |
                                    (static_cast<unsigned>(p[1]) << 8));
}

inline constexpr std::uint32_t LeGetU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) |
         (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) |
         (static_cast<std::uint32_t>(p[3]) << 24);
}

// Signed values: two's complement, converted without undefined behaviour
// (the unsigned-to-signed conversion is modular since C++20).
inline constexpr std::int16_t LeGetI16(const unsigned char* p) {
  return static_cast<std::int16_t>(LeGetU16(p));
}

inline constexpr std::int32_t LeGetI32(const unsigned char* p) {
  return static_cast<std::int32_t>(LeGetU32(p));
}

inline constexpr void LePutU16(unsigned char* p, std::uint16_t v) {
  p[0] = static_cast<unsigned char>(v & 0xFFu);
  p[1] = static_cast<unsigned char>((v >> 8) & 0xFFu);
}

inline constexpr void LePutU32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v & 0xFFu);
  p[1] = static_cast<unsigned char>((v >> 8) & 0xFFu);
  p[2] = static_cast<unsigned char>((v >> 16) & 0xFFu);
  p[3] = static_cast<unsigned char>((v >> 24) & 0xFFu);
}

inline constexpr void LePutI16(unsigned char* p, std::int16_t v) {
  LePutU16(p, static_cast<std::uint16_t>(v));
}

inline constexpr void LePutI32(unsigned char* p, std::int32_t v) {
  LePutU32(p, static_cast<std::uint32_t>(v));
}

// ---- bounds-checked reader ------------------------------------------------

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

// ---- appending writers ----------------------------------------------------

inline void LeAppendU8(std::vector<unsigned char>& out, std::uint8_t v) {
  out.push_back(v);
}
inline void LeAppendU16(std::vector<unsigned char>& out, std::uint16_t v) {
  unsigned char b[2];
  LePutU16(b, v);
  out.insert(out.end(), b, b + 2);
}
inline void LeAppendU32(std::vector<unsigned char>& out, std::uint32_t v) {
  unsigned char b[4];
  LePutU32(b, v);
  out.insert(out.end(), b, b + 4);
}
inline void LeAppendI16(std::vector<unsigned char>& out, std::int16_t v) {
  LeAppendU16(out, static_cast<std::uint16_t>(v));
}
inline void LeAppendI32(std::vector<unsigned char>& out, std::int32_t v) {
  LeAppendU32(out, static_cast<std::uint32_t>(v));
}
// Appends n bytes of text, padded with pad (blank by default) when text is
// shorter than n or null; a longer text is cut to n bytes.
inline void LeAppendText(std::vector<unsigned char>& out, const char* text,
                         std::size_t n, unsigned char pad = ' ') {
  std::size_t len = text ? std::strlen(text) : 0;
  for (std::size_t i = 0; i < n; ++i)
    out.push_back(i < len ? static_cast<unsigned char>(text[i]) : pad);
}
inline void LeAppendBytes(std::vector<unsigned char>& out, const void* bytes,
                          std::size_t n) {
  if (!n) return;
  const unsigned char* b = static_cast<const unsigned char*>(bytes);
  out.insert(out.end(), b, b + n);
}

#endif  // ZOLMA_SUPPORT_LE_H
