// printstate.h - what the printing layer's two halves share: the objects
// behind the handles, the handle tables and the prologue of every call.
//
// Private to the layer: winprint.cpp owns the handle tables, the call log
// and the fault injection (and the spooler, the contexts, documents and
// pages on them); printdraw.cpp does the emulated drawing (mapping modes
// and coordinates, fonts, text, lines and bitmaps) and reaches the tables
// only through the functions below.
#ifndef ZOLMA_PLATFORM_PRINT_PRINTSTATE_H
#define ZOLMA_PLATFORM_PRINT_PRINTSTATE_H

#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/print/printdev.h"

// ---- objects behind the handles ---------------------------------------------

struct PrPrinter {
  PrPrinterInfo info;
};

struct PrGdiObject {
  enum class Kind { Font, Bitmap } kind;
  bool stock = false;
  PrFontDesc font;
  std::shared_ptr<const PrBitmapData> bitmap;
};

struct PrModule {
  int unused;
};

struct PrDc {
  bool memory = false;
  int dpi = kPrDotsPerInch;
  std::string printer, port;
  DEVMODEA settings{};
  int paperW = 0, paperH = 0;  // dots, oriented
  int mapMode = MM_TEXT;
  COLORREF color = RGB(0, 0, 0);
  POINT pos{0, 0};
  HGDIOBJ font = nullptr;
  HGDIOBJ bitmap = nullptr;
  std::unique_ptr<PrDocument> doc;
  bool inPage = false;
};

namespace prstate {

// printf into a std::string (at most 511 characters).
std::string fmt(const char* f, ...);
// A text argument as the call log shows it: quoted, or null.
std::string quoted(const char* s);

void setLastError(DWORD error);

// ---- the handle tables (winprint.cpp) ----

// The name of a handle in the call log ("dc1", "font3", "stockfont"),
// "null", or "invalid" for one the layer does not own.
std::string nameOf(const void* h);
// What stands behind a handle; null for one the layer did not hand out or
// has deleted.
PrDc* dcOf(HDC h);
PrGdiObject* objectOf(HGDIOBJ h);
// Takes a new font or bitmap into the tables; its handle's name.
std::string adopt(PrGdiObject* object, const char* kind);
// True when a context other than `dc` holds `bitmap` selected.
bool selectedElsewhere(const PrDc* dc, const PrGdiObject* bitmap);

// ---- the call log and the fault injection (winprint.cpp) ----
// Test hooks: without ZOLMA_TEST_HOOKS nothing is logged or injected.

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
// Logs a call with its result and the last error it leaves.
void logCall(const char* call, const std::string& args, long long result,
             const std::string& handle);
// Counts the call; true when a fault is armed for it (its last error set).
bool injected(const char* call, long long* result);
#else
inline void logCall(const char*, const std::string&, long long, const std::string&) {}
inline bool injected(const char*, long long*) { return false; }
#endif

inline long long asNumber(long long v) { return v; }
inline long long asNumber(const void* p) { return p ? 1 : 0; }

template <class R>
R done(const char* call, const std::string& args, R result, const std::string& handle = "") {
  logCall(call, args, asNumber(result), handle);
  return result;
}

// One call into the layer, from its first line to its return: its name,
// its arguments as the call log shows them and the handle it works on.
// `open` counts the call and answers an injected fault or a handle that
// names nothing the layer owns; every return goes through `done`, so that
// each call is logged once, with the last error it leaves.
template <class R>
class Call {
 public:
  Call(const char* call, std::string args, std::string handle = {})
      : call_(call), args_(std::move(args)), handle_(std::move(handle)) {}

  // A call on a handle: the log shows the handle's name, then `more`.
  static Call on(const char* call, const void* h, const std::string& more = {}) {
    std::string name = nameOf(h);
    return Call(call, name + more, name);
  }

  // False when a fault is armed for the call; its answer is then logged.
  bool open() {
    long long inj;
    if (!injected(call_, &inj)) return true;
    if constexpr (std::is_pointer_v<R>) {
      answer_ = done(call_, args_, static_cast<R>(nullptr), handle_);
    } else {
      answer_ = done(call_, args_, static_cast<R>(inj), handle_);
    }
    return false;
  }

  // `found`, or null when a fault is armed or nothing stands behind the
  // handle (the call then answers `invalid` with ERROR_INVALID_HANDLE).
  template <class T>
  T* open(T* found, R invalid) {
    if (!open()) return nullptr;
    if (!found) answer_ = fail(ERROR_INVALID_HANDLE, invalid);
    return found;
  }

  // The answer `open` logged when it returned false or null.
  R answer() const { return answer_; }

  R fail(DWORD error, R result, const std::string& more = {}) {
    setLastError(error);
    return done(call_, args_ + more, result, handle_);
  }
  R ok(R result, const std::string& more = {}) { return done(call_, args_ + more, result, handle_); }
  // A call that hands out a new handle: the log names that one.
  R made(R result, const std::string& handle) { return done(call_, args_, result, handle); }

 private:
  const char* call_;
  std::string args_, handle_;
  R answer_{};
};

}  // namespace prstate

#endif  // ZOLMA_PLATFORM_PRINT_PRINTSTATE_H
