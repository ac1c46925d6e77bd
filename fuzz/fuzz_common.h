/*
** Shared pieces of the fuzz targets: a scratch folder in memory-backed
** storage for the data files a target writes, a protected call that turns a
** raise into its code, and the check that ends the run when a property that
** must hold does not (libFuzzer then reports the input as a crash and keeps
** it as a reproducer).
*/
#ifndef ZOLMA_FUZZ_FUZZ_COMMON_H
#define ZOLMA_FUZZ_FUZZ_COMMON_H

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/msg.h"

namespace zfuzz {

/* A property that must hold; a violation aborts with its text. */
#define ZFUZZ_CHECK(cond, ...)                                                             \
  do {                                                                                     \
    if (!(cond)) {                                                                         \
      std::fprintf(stderr, "fuzz check failed at %s:%d: %s: ", __FILE__, __LINE__, #cond); \
      std::fprintf(stderr, __VA_ARGS__);                                                   \
      std::fprintf(stderr, "\n");                                                          \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)

/* The process's scratch folder: in /dev/shm when there is one (the targets
** write data files for every input), removed when the process ends. */
inline const std::filesystem::path& ScratchDir() {
  static std::filesystem::path dir;
  if (dir.empty()) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string tmpl = (base / "zolma-fuzz-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) std::abort();
    dir = buf.data();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    });
  }
  return dir;
}

inline void WriteFile(const std::filesystem::path& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out.flush()) std::abort();
}

/* Runs fn in a trap frame: 0, or the code of the raise that ended it (the
** raised record is freed). */
template <class F>
int Protected(F&& fn) {
  MsgTrapFrame frame;
  int code = MsgTry(frame, fn);
  if (code != 0 && frame.received) {
    MsgFree(frame.received);
    frame.received = nullptr;
  }
  return code;
}

/* Reads bytes off the front of an input. */
class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), n_(size) {}
  size_t left() const { return n_; }
  uint8_t U8() { return n_ ? (--n_, *p_++) : 0; }
  uint16_t U16() { return static_cast<uint16_t>(U8() | (U8() << 8)); }
  uint32_t U32() { return static_cast<uint32_t>(U16()) | (static_cast<uint32_t>(U16()) << 16); }
  /* Up to max bytes, as given. */
  std::string Bytes(size_t max) {
    size_t k = n_ < max ? n_ : max;
    std::string s(reinterpret_cast<const char*>(p_), k);
    p_ += k;
    n_ -= k;
    return s;
  }
  /* The bytes up to the next stop byte (consumed) or the end. */
  std::string Until(uint8_t stop) {
    std::string s;
    while (n_ && *p_ != stop) s.push_back(static_cast<char>(U8()));
    if (n_) U8();
    return s;
  }

 private:
  const uint8_t* p_;
  size_t n_;
};

}  // namespace zfuzz

#endif
