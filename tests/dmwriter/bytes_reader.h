// Test helper: reads little-endian numbers out of a byte vector, written
// independently of the writer's own put helpers so that a slip in either
// shows. Out-of-range reads fail the test instead of reading past the end.
#ifndef ZOLMA_TESTS_DMWRITER_BYTES_READER_H
#define ZOLMA_TESTS_DMWRITER_BYTES_READER_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dmwtest {

using Bytes = std::vector<std::uint8_t>;

inline std::uint64_t le(const Bytes& b, std::size_t at, std::size_t width) {
  if (at + width > b.size()) {
    ADD_FAILURE() << "read of " << width << " bytes at " << at << " beyond " << b.size();
    return 0;
  }
  std::uint64_t v = 0;
  for (std::size_t k = width; k-- > 0;) v = (v << 8) | b[at + k];
  return v;
}
inline std::uint16_t u16(const Bytes& b, std::size_t at) {
  return static_cast<std::uint16_t>(le(b, at, 2));
}
inline std::uint32_t u32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(le(b, at, 4));
}
inline std::int16_t i16(const Bytes& b, std::size_t at) {
  return static_cast<std::int16_t>(u16(b, at));
}
inline std::int32_t i32(const Bytes& b, std::size_t at) {
  return static_cast<std::int32_t>(u32(b, at));
}
inline std::string text(const Bytes& b, std::size_t at, std::size_t width) {
  if (at + width > b.size()) {
    ADD_FAILURE() << "text of " << width << " bytes at " << at << " beyond " << b.size();
    return {};
  }
  return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                     b.begin() + static_cast<std::ptrdiff_t>(at + width));
}
inline Bytes slice(const Bytes& b, std::size_t at, std::size_t width) {
  if (at + width > b.size()) {
    ADD_FAILURE() << "slice of " << width << " bytes at " << at << " beyond " << b.size();
    return {};
  }
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(at),
               b.begin() + static_cast<std::ptrdiff_t>(at + width));
}

}  // namespace dmwtest

#endif  // ZOLMA_TESTS_DMWRITER_BYTES_READER_H
