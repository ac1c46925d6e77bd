/*
** The input of the whole-request target: the engine's data files packed
** one after another, each as a 4-byte little-endian length and its bytes,
** in the order of kRequestTables. A length beyond the input's end takes
** what is left; a missing file is empty (its load then fails).
*/
#ifndef ZOLMA_FUZZ_FUZZ_REQUEST_H
#define ZOLMA_FUZZ_FUZZ_REQUEST_H

#include <cstdint>
#include <string>
#include <vector>

namespace zfuzz {

inline constexpr const char* kRequestTables[] = {"EBHF", "FBRR", "FBRW", "GREN",
                                                 "RBGT", "STEN", "TDRG"};
/* The engine's tables that the request target registers without a file. */
inline constexpr const char* kRequestTablesWithoutFile[] = {"EBGG", "EBGB", "LOST", "NESR", "NGAT"};
inline constexpr size_t kRequestTableCount = sizeof kRequestTables / sizeof kRequestTables[0];

inline std::string PackRequestInput(const std::vector<std::string>& files) {
  std::string out;
  for (const std::string& f : files) {
    const uint32_t n = static_cast<uint32_t>(f.size());
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((n >> (8 * k)) & 0xFF));
    out += f;
  }
  return out;
}

inline std::vector<std::string> UnpackRequestInput(const uint8_t* data, size_t size) {
  std::vector<std::string> files(kRequestTableCount);
  size_t at = 0;
  for (size_t i = 0; i < kRequestTableCount && at + 4 <= size; ++i) {
    uint32_t n = static_cast<uint32_t>(data[at]) | (static_cast<uint32_t>(data[at + 1]) << 8) |
                 (static_cast<uint32_t>(data[at + 2]) << 16) |
                 (static_cast<uint32_t>(data[at + 3]) << 24);
    at += 4;
    size_t take = n < size - at ? n : size - at;
    files[i].assign(reinterpret_cast<const char*>(data + at), take);
    at += take;
  }
  return files;
}

}  // namespace zfuzz

#endif
