// Error trap frames, raising and message contexts.
//
// A failure that ends an operation is raised, not returned. The raiser names
// a raise code, a message id (two-letter subsystem id and 16-bit number), a
// placeholder mode and typed parameters described by a type-letter string;
// this module packs them into a Meldungskontext, hands that record to the
// innermost MsgTrapFrame on the process-wide chain and returns non-locally to
// the protected block that pushed the frame.
//
// The non-local return is a C++ exception of type MsgRaised (deliberately not
// derived from std::exception, so that a catch (std::exception&) never
// swallows a raise). The frame record, the chain and the results are those of
// the classic setjmp/longjmp protocol; only the jump itself is an exception.
//
// Use the scoped helper MsgTry for every protected block:
//
//     MsgTrapFrame frame;
//     int code = MsgTry(frame, [&] { work_that_may_raise(); });
//     if (code != 0) {
//       // frame.received holds the message; the caller owns it.
//       MsgWrite(frame.received);
//       MsgFree(frame.received);
//     }
//
// MsgTry pushes the frame, runs the callable, pops the frame at its normal
// end and returns 0, or returns the raise code (never 0; a raise code 0
// arrives as 1) of a raise that landed in this frame. In every case, also
// when the callable leaves by some other exception, the frame is off the
// chain when MsgTry returns or propagates. A handler does not pop the frame
// again.
//
// Raising, re-raising or popping without a valid frame ends the process with
// exit code 1 (message id "FB" 1000, written nowhere).
//
// Parameters are passed type-safely: the variadic front ends take C++ values
// and check each against its type letter at run time:
//
//   letter  argument(s)                          stored
//   F, P    one pointer                          24 bytes copied from it
//   J       one pointer                          8 bytes copied from it
//   a       one pointer, then one integer length that many bytes
//   d       one integer                          its low 16 bits (2 bytes)
//   l       one integer in int32_t range         4 bytes
//   s       one pointer to a terminated string   its characters
//   t       one UtTimestamp (0 .. 0xFFFFFFFF)    4 bytes
//   other   nothing                              nothing
//
// A malformed argument (a null pointer, a negative 'a' length, a pointer
// where a number belongs or the reverse, a value out of range, a missing
// argument) is refused: the parameter is recorded as not stored (offset -1,
// length 0, its letter) and nothing is copied; the later parameters stay in
// step. Numbers in the data area are stored in this host's byte order, with
// the byte-order mark 1 as the data area's first u16.
#ifndef ZOLMA_SUPPORT_MSG_H
#define ZOLMA_SUPPORT_MSG_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

#include "support/utday.h"

// ---- message ids ----------------------------------------------------------

inline constexpr char kMsgSsEngine[] = "EB";   // distance engine
inline constexpr char kMsgSsTable[] = "DZ";    // table manager (raise code 1)
inline constexpr char kMsgSsList[] = "TT";     // typed lists (not raised)
inline constexpr char kMsgSsFrame[] = "FB";    // error frames (not raised)
inline constexpr char kMsgSsApp[] = "KB";      // application start-up
inline constexpr char kMsgSsBuiltin[] = "HD";  // built-in message texts

inline constexpr std::uint16_t kMsgFbNoFrame = 1000;      // "FB" 1000
inline constexpr std::uint16_t kMsgKbInitFailed = 1004;   // "KB" 1004, 'd'
inline constexpr std::uint16_t kMsgTtAppendBadId = 4002;  // "TT" 4002, 'd'
inline constexpr std::uint16_t kMsgTtSearchNoKey = 4004;  // "TT" 4004, 's'
inline constexpr std::uint16_t kMsgTtAppendKeyed = 4005;  // "TT" 4005, 's'

// Placeholder modes of a message text pattern.
inline constexpr std::uint16_t kMsgModeNumbered = 0;
inline constexpr std::uint16_t kMsgModeByClass = 1;
inline constexpr std::uint16_t kMsgModeSequential = 2;

// ---- the message context ---------------------------------------------------

inline constexpr int kMsgMaxParams = 10;   // descriptors in a record
inline constexpr int kMsgDataSize = 514;   // bytes of the data area
inline constexpr int kMsgPackLimit = 512;  // offset + size must stay below
inline constexpr int kMsgFirstOffset = 2;  // after the byte-order mark
inline constexpr int kMsgSenderSize = 18;

// One parameter descriptor: where the parameter's bytes lie in the data area.
struct MsgParamDesc {
  std::int16_t offset;  // into the data area; -1 = not stored
  std::uint8_t length;  // bytes stored, at most 255
  char type;            // the type letter
};

// The message context of a raised or written message. Fixed layout of 584
// bytes without gaps (checked below), so the record can be copied whole and
// byte-swapped field by field. Numbers are in this host's byte order.
struct Meldungskontext {
  UtTimestamp time;                    // 0: UtNowSeconds at creation
  char sender[kMsgSenderSize];         // 4: program name, blank-padded
  char SS_id[2];                       // 22: subsystem id
  std::uint16_t Meldungsnummer;        // 24: message number
  std::uint16_t mode;                  // 26: placeholder mode
  std::uint16_t paramCount;            // 28: length of the type string
  MsgParamDesc params[kMsgMaxParams];  // 30: stored parameters
  unsigned char data[kMsgDataSize];    // 70: byte-order mark, then values
};

static_assert(sizeof(MsgParamDesc) == 4);
static_assert(sizeof(Meldungskontext) == 584);
static_assert(std::is_standard_layout_v<Meldungskontext>);
static_assert(std::is_trivially_copyable_v<Meldungskontext>);
static_assert(offsetof(Meldungskontext, time) == 0);
static_assert(offsetof(Meldungskontext, sender) == 4);
static_assert(offsetof(Meldungskontext, SS_id) == 22);
static_assert(offsetof(Meldungskontext, Meldungsnummer) == 24);
static_assert(offsetof(Meldungskontext, mode) == 26);
static_assert(offsetof(Meldungskontext, paramCount) == 28);
static_assert(offsetof(Meldungskontext, params) == 30);
static_assert(offsetof(Meldungskontext, data) == 70);
static_assert(offsetof(MsgParamDesc, offset) == 0);
static_assert(offsetof(MsgParamDesc, length) == 2);
static_assert(offsetof(MsgParamDesc, type) == 3);

// Reads host-order numbers from the data area. An offset whose bytes do not
// lie inside the data area (negative, or offset + width > 514) yields 0 and
// *ok = false when ok is given.
std::uint16_t MsgDataU16(const Meldungskontext* m, int offset, bool* ok = nullptr);
std::uint32_t MsgDataU32(const Meldungskontext* m, int offset, bool* ok = nullptr);
inline std::int16_t MsgDataI16(const Meldungskontext* m, int offset, bool* ok = nullptr) {
  return static_cast<std::int16_t>(MsgDataU16(m, offset, ok));
}
inline std::int32_t MsgDataI32(const Meldungskontext* m, int offset, bool* ok = nullptr) {
  return static_cast<std::int32_t>(MsgDataU32(m, offset, ok));
}

// ---- typed parameters --------------------------------------------------------

// One argument of the variadic front ends: a pointer or an integer.
// Construction is implicit from pointers, std::string (its c_str(), valid for
// the duration of the call) and integral types other than bool.
struct MsgArg {
  enum class Kind : std::uint8_t { Pointer, Integer };
  Kind kind;
  const void* ptr;
  long long value;    // the integer, modulo 2^64 for huge unsigned values
  bool beyondSigned;  // an unsigned value above LLONG_MAX

  MsgArg(std::nullptr_t) : kind(Kind::Pointer), ptr(nullptr), value(0), beyondSigned(false) {}
  MsgArg(const void* p) : kind(Kind::Pointer), ptr(p), value(0), beyondSigned(false) {}
  MsgArg(const std::string& s)
      : kind(Kind::Pointer), ptr(s.c_str()), value(0), beyondSigned(false) {}
  template <class T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, bool>) MsgArg(T v)
      : kind(Kind::Integer),
        ptr(nullptr),
        value(static_cast<long long>(v)),
        beyondSigned(std::is_unsigned_v<T> && sizeof(T) >= sizeof(long long) &&
                     static_cast<unsigned long long>(v) > 0x7FFFFFFFFFFFFFFFull) {}
  template <class E>
  requires std::is_enum_v<E> MsgArg(E e) : MsgArg(static_cast<std::underlying_type_t<E>>(e)) {}
};

// ---- the trap frame ------------------------------------------------------------

inline constexpr std::uint32_t kMsgFrameMarker = 0x11011986u;

struct MsgTrapFrame {
  std::uint32_t marker = 0;             // kMsgFrameMarker, written by the push
  MsgTrapFrame* next = nullptr;         // enclosing frame at the time of the push
  Meldungskontext* received = nullptr;  // set by the raise that lands here
};

// The exception that carries a raise to its frame. Not a std::exception.
struct MsgRaised {
  MsgTrapFrame* frame;  // the frame the raise landed in (already popped)
  int code;             // the raise code, never 0
};

// The innermost frame, or null while the chain is empty.
MsgTrapFrame* MsgTopFrame();

// Null frame: 1, nothing changes. Otherwise marker := kMsgFrameMarker,
// next := top, received := null, top := frame; 0.
int MsgTryPush(MsgTrapFrame* frame);

// Valid top frame: top := its next. Otherwise the process ends (exit code 1).
void MsgTryPop();

// Takes frame off the chain if it is still on it, together with any frames
// pushed after it and left behind; does nothing when it is not on the chain.
// Used by MsgTry; a manual protected block may use it on its error paths.
void MsgTryLeave(MsgTrapFrame* frame);

// ---- building, raising, sending -------------------------------------------------

// Builds a record (allocated with the standard allocator, zero-filled) and
// stores its pointer in *out. A null ssid gives blanks; null types gives no
// parameters. No memory: the process ends with exit code 1.
void MsgBuild(Meldungskontext** out, const char* ssid, std::uint16_t number, std::uint16_t mode,
              const char* types, std::span<const MsgArg> args);

template <class... A>
void MsgBuildArgs(Meldungskontext** out, const char* ssid, std::uint16_t number, std::uint16_t mode,
                  const char* types, A&&... args) {
  const MsgArg list[] = {MsgArg(std::forward<A>(args))..., MsgArg(nullptr)};
  MsgBuild(out, ssid, number, mode, types, std::span<const MsgArg>(list, sizeof...(A)));
}

// Returns the record to the allocator; null is allowed.
void MsgFree(Meldungskontext* message);

// Deleter and owner type for callers that prefer RAII over MsgFree.
struct MsgFreeDeleter {
  void operator()(Meldungskontext* m) const { MsgFree(m); }
};
using MsgContextPtr = std::unique_ptr<Meldungskontext, MsgFreeDeleter>;

// Raises: with a valid top frame builds the record, stores it in the frame,
// pops the frame and throws MsgRaised{frame, code ? code : 1}. Without a
// valid frame the process ends with exit code 1.
[[noreturn]] void MsgRaiseList(int code, const char* ssid, std::uint16_t number, std::uint16_t mode,
                               const char* types, std::span<const MsgArg> args);

template <class... A>
[[noreturn]] void MsgRaise(int code, const char* ssid, std::uint16_t number, std::uint16_t mode,
                           const char* types, A&&... args) {
  const MsgArg list[] = {MsgArg(std::forward<A>(args))..., MsgArg(nullptr)};
  MsgRaiseList(code, ssid, number, mode, types, std::span<const MsgArg>(list, sizeof...(A)));
}

// Passes an existing record on to the next frame, like MsgRaise without
// building. Without a valid frame the process ends (exit code 1) and the
// record is not freed.
[[noreturn]] void MsgRethrow(Meldungskontext* message, int code);

// Writes "Fehler gesetzt: ..." to the debug log at level 1, then builds the
// record into *out. Does not raise; the caller writes and frees the record.
void MsgSetErrorList(Meldungskontext** out, int code, const char* ssid, std::uint16_t number,
                     std::uint16_t mode, const char* types, std::span<const MsgArg> args);

template <class... A>
void MsgSetError(Meldungskontext** out, int code, const char* ssid, std::uint16_t number,
                 std::uint16_t mode, const char* types, A&&... args) {
  const MsgArg list[] = {MsgArg(std::forward<A>(args))..., MsgArg(nullptr)};
  MsgSetErrorList(out, code, ssid, number, mode, types,
                  std::span<const MsgArg>(list, sizeof...(A)));
}

// Builds a record, hands it to MsgFileWrite and frees it.
void MsgSendList(const char* ssid, std::uint16_t number, std::uint16_t mode, const char* types,
                 std::span<const MsgArg> args);

template <class... A>
void MsgSend(const char* ssid, std::uint16_t number, std::uint16_t mode, const char* types,
             A&&... args) {
  const MsgArg list[] = {MsgArg(std::forward<A>(args))..., MsgArg(nullptr)};
  MsgSendList(ssid, number, mode, types, std::span<const MsgArg>(list, sizeof...(A)));
}

// Hands a record the caller holds to MsgFileWrite; the caller frees it.
void MsgWrite(const Meldungskontext* message);

// ---- the message file hook ----------------------------------------------------------

// Appends the entry for a message to the message file. Returns at once while
// the message-file switch is off (its only value in a normal run) or while
// no writer is installed.
void MsgFileWrite(const Meldungskontext* message);

// The message-file module installs its writer here (null removes it); the
// support runtime calls it only while the switch is on.
using MsgFileWriter = void (*)(const Meldungskontext*);
void MsgFileSetWriter(MsgFileWriter writer);

// A watcher sees every message handed to MsgFileWrite, before and whatever
// the switch: the application keeps the cause of a failed start-up with it,
// since the engine writes and frees the message of a failed load itself.
// The watcher must not raise. Null removes it; returns the previous one.
using MsgFileWatcher = void (*)(const Meldungskontext*);
MsgFileWatcher MsgFileSetWatcher(MsgFileWatcher watcher);

// The message-file switch: 0 at start, and nothing in the system sets it.
// Tests of the message file turn it on with MsgFileTestSetSwitch.
int MsgFileSwitch();
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void MsgFileTestSetSwitch(int on);
#endif

// ---- the scoped helper -----------------------------------------------------------

// Pushes frame, runs fn(), pops frame at fn's normal end and returns 0; or
// returns the raise code of a raise that landed in frame (frame.received then
// holds the record, owned by the caller). A raise that landed in another
// frame, or any other exception, propagates after frame has been taken off
// the chain. fn's own result is discarded.
template <class F>
int MsgTry(MsgTrapFrame& frame, F&& fn) {
  MsgTryPush(&frame);
  try {
    std::forward<F>(fn)();
  } catch (const MsgRaised& r) {
    if (r.frame == &frame) return r.code;
    MsgTryLeave(&frame);
    throw;
  } catch (...) {
    MsgTryLeave(&frame);
    throw;
  }
  if (MsgTopFrame() == &frame)
    MsgTryPop();
  else
    MsgTryLeave(&frame);
  return 0;
}

// ---- test hooks ---------------------------------------------------------------------
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS

// Forgets the sender fixed by the first build, so a test can observe the
// sender rule from a fresh start.
void MsgTestResetSender();

#endif

#endif  // ZOLMA_SUPPORT_MSG_H
