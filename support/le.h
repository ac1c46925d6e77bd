// Little-endian coding helpers: the one place where multi-byte numbers are
// read from and written to byte buffers.
//
// Every stored number of the data files is little-endian. Readers decode it
// with these explicit shifts, never by casting bytes to a struct, so the code
// is independent of the host's byte order and alignment. Writers (the
// data-file writer and test fixtures) encode with the matching Put/Append
// helpers, so both sides of a format use the same definitions.
//
// Two layers:
//   LeGetU16 ... LePutI32     raw access at a pointer; the caller has checked
//                             that the bytes exist.
//   LeAppendU16 ...           append to a growing std::vector (the data-file
//                             writer).
#ifndef ZOLMA_SUPPORT_LE_H
#define ZOLMA_SUPPORT_LE_H

#include <cstddef>
#include <cstdint>
#include <vector>

// ---- raw access -----------------------------------------------------------

inline constexpr std::uint16_t LeGetU16(const unsigned char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned>(p[0]) |
                                    (static_cast<unsigned>(p[1]) << 8));
}

inline constexpr std::uint32_t LeGetU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
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

// ---- appending writers ----------------------------------------------------

inline void LeAppendU8(std::vector<unsigned char>& out, std::uint8_t v) { out.push_back(v); }
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

#endif  // ZOLMA_SUPPORT_LE_H
