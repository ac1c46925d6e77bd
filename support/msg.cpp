// Error trap frames, raising and message contexts.
//
// Owns the process-wide chain of MsgTrapFrame records (its top pointer) and
// the sender text that every message context carries, fixed at the first
// build of the process. Builds Meldungskontext records from a type-letter
// string and checked arguments, and delivers raises to the innermost frame
// by throwing MsgRaised after taking that frame off the chain.
#include "support/msg.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/utday.h"
#include "support/utfault.h"
#include "support/utlog.h"
#include "support/utname.h"

namespace {

MsgTrapFrame* g_top = nullptr;  // innermost frame; null = empty chain

bool g_senderFixed = false;
char g_sender[kMsgSenderSize];

// Ends the process because no valid frame is there ("FB" 1000). The
// condition is written nowhere; pending output of the process is flushed so
// that earlier lines are not lost.
[[noreturn]] void MsgFatalNoFrame() {
  std::fflush(nullptr);
  std::_Exit(1);
}

bool FrameValid(const MsgTrapFrame* f) { return f != nullptr && f->marker == kMsgFrameMarker; }

void FixSender() {
  if (g_senderFixed) return;
  g_senderFixed = true;
  std::memset(g_sender, ' ', sizeof g_sender);
  const char* name = UtQueryName(kUtRegisterGroup, "Absender");
  if (name) {
    std::size_t n = std::strlen(name);
    if (n > sizeof g_sender) n = sizeof g_sender;
    std::memcpy(g_sender, name, n);
  }
}

Meldungskontext* AllocContext() {
  if (UtFaultAlloc(kUtFaultMsgContext)) return nullptr;
  return static_cast<Meldungskontext*>(std::malloc(sizeof(Meldungskontext)));
}

// What one parameter contributes: its bytes (or none), and whether the
// arguments were acceptable.
struct ParamBytes {
  bool accepted = true;
  const unsigned char* src = nullptr;  // bytes to copy (null when size 0)
  std::size_t size = 0;
  unsigned char local[4] = {};  // storage for numbers
};

const MsgArg* TakeArg(std::span<const MsgArg> args, std::size_t& next) {
  if (next >= args.size()) {
    ++next;
    return nullptr;
  }
  return &args[next++];
}

bool IsPointer(const MsgArg* a) {
  return a && a->kind == MsgArg::Kind::Pointer && a->ptr != nullptr;
}

bool IsInteger(const MsgArg* a) { return a && a->kind == MsgArg::Kind::Integer; }

// Takes the arguments of one type letter (always as many as the letter
// consumes, so later parameters stay in step) and checks them.
ParamBytes TakeParam(char letter, std::span<const MsgArg> args, std::size_t& next) {
  ParamBytes p;
  switch (letter) {
    case 'F':
    case 'P':
    case 'J': {
      const MsgArg* a = TakeArg(args, next);
      if (!IsPointer(a)) {
        p.accepted = false;
        break;
      }
      p.src = static_cast<const unsigned char*>(a->ptr);
      p.size = letter == 'J' ? 8 : 24;
      break;
    }
    case 'a': {
      const MsgArg* a = TakeArg(args, next);
      const MsgArg* len = TakeArg(args, next);
      if (!IsPointer(a) || !IsInteger(len) || len->beyondSigned || len->value < 0 ||
          len->value > INT_MAX) {
        p.accepted = false;
        break;
      }
      p.src = static_cast<const unsigned char*>(a->ptr);
      p.size = static_cast<std::size_t>(len->value);
      break;
    }
    case 's': {
      const MsgArg* a = TakeArg(args, next);
      if (!IsPointer(a)) {
        p.accepted = false;
        break;
      }
      p.src = static_cast<const unsigned char*>(a->ptr);
      p.size = std::strlen(static_cast<const char*>(a->ptr));
      break;
    }
    case 'd': {
      const MsgArg* a = TakeArg(args, next);
      if (!IsInteger(a)) {
        p.accepted = false;
        break;
      }
      std::uint16_t v = static_cast<std::uint16_t>(static_cast<unsigned long long>(a->value));
      std::memcpy(p.local, &v, sizeof v);
      p.src = p.local;
      p.size = sizeof v;
      break;
    }
    case 'l': {
      const MsgArg* a = TakeArg(args, next);
      if (!IsInteger(a) || a->beyondSigned || a->value < INT32_MIN || a->value > INT32_MAX) {
        p.accepted = false;
        break;
      }
      std::int32_t v = static_cast<std::int32_t>(a->value);
      std::memcpy(p.local, &v, sizeof v);
      p.src = p.local;
      p.size = sizeof v;
      break;
    }
    case 't': {
      const MsgArg* a = TakeArg(args, next);
      if (!IsInteger(a) || a->beyondSigned || a->value < 0 ||
          a->value > static_cast<long long>(UINT32_MAX)) {
        p.accepted = false;
        break;
      }
      UtTimestamp v = static_cast<UtTimestamp>(a->value);
      std::memcpy(p.local, &v, sizeof v);
      p.src = p.local;
      p.size = sizeof v;
      break;
    }
    default:
      break;  // takes nothing, stores nothing
  }
  return p;
}

}  // namespace

std::uint16_t MsgDataU16(const Meldungskontext* m, int offset, bool* ok) {
  if (!m || offset < 0 || offset > kMsgDataSize - 2) {
    if (ok) *ok = false;
    return 0;
  }
  std::uint16_t v;
  std::memcpy(&v, m->data + offset, sizeof v);
  if (ok) *ok = true;
  return v;
}

std::uint32_t MsgDataU32(const Meldungskontext* m, int offset, bool* ok) {
  if (!m || offset < 0 || offset > kMsgDataSize - 4) {
    if (ok) *ok = false;
    return 0;
  }
  std::uint32_t v;
  std::memcpy(&v, m->data + offset, sizeof v);
  if (ok) *ok = true;
  return v;
}

MsgTrapFrame* MsgTopFrame() { return g_top; }

int MsgTryPush(MsgTrapFrame* frame) {
  if (!frame) return 1;
  frame->marker = kMsgFrameMarker;
  frame->next = g_top;
  frame->received = nullptr;
  g_top = frame;
  return 0;
}

void MsgTryPop() {
  if (!FrameValid(g_top)) MsgFatalNoFrame();
  g_top = g_top->next;
}

void MsgTryLeave(MsgTrapFrame* frame) {
  if (!frame) return;
  // The walk is bounded so that a chain corrupted into a cycle (the same
  // frame pushed twice) cannot hang the process.
  long steps = 0;
  for (MsgTrapFrame* f = g_top; f && steps < 1000000; f = f->next, ++steps) {
    if (f == frame) {
      g_top = frame->next;
      return;
    }
  }
}

void MsgBuild(Meldungskontext** out, const char* ssid, std::uint16_t number, std::uint16_t mode,
              const char* types, std::span<const MsgArg> args) {
  FixSender();
  Meldungskontext* m = AllocContext();
  if (!m) {
    std::fflush(nullptr);
    std::_Exit(1);
  }
  std::memset(m, 0, sizeof *m);

  const std::uint16_t mark = 1;
  std::memcpy(m->data, &mark, sizeof mark);
  int offset = kMsgFirstOffset;

  m->time = UtNowSeconds();
  std::memcpy(m->sender, g_sender, sizeof m->sender);
  // The two id characters; a missing (null or short) id reads as blanks,
  // and nothing is read past a terminator.
  m->SS_id[0] = ssid && ssid[0] ? ssid[0] : ' ';
  m->SS_id[1] = ssid && ssid[0] && ssid[1] ? ssid[1] : ' ';
  m->Meldungsnummer = number;
  m->mode = mode;
  std::size_t count = types ? std::strlen(types) : 0;
  m->paramCount = static_cast<std::uint16_t>(count > 0xFFFF ? 0xFFFF : count);

  std::size_t stored = count < static_cast<std::size_t>(kMsgMaxParams) ? count : kMsgMaxParams;
  std::size_t next = 0;
  bool stopped = false;
  for (std::size_t i = 0; i < stored; ++i) {
    char letter = types[i];
    MsgParamDesc& d = m->params[i];
    d.type = letter;
    ParamBytes p = TakeParam(letter, args, next);
    if (!p.accepted) {
      // Refused argument: recorded as not stored, nothing copied.
      d.offset = -1;
      d.length = 0;
      continue;
    }
    if (stopped ||
        static_cast<std::size_t>(offset) + p.size >= static_cast<std::size_t>(kMsgPackLimit)) {
      stopped = true;
      d.offset = -1;
      d.length = 0;
      continue;
    }
    std::size_t keep = p.size > 255 ? 255 : p.size;
    if (keep) std::memcpy(m->data + offset, p.src, keep);
    d.offset = static_cast<std::int16_t>(offset);
    d.length = static_cast<std::uint8_t>(keep);
    offset += static_cast<int>(keep);
  }
  if (out) {
    *out = m;
  } else {
    std::free(m);
  }
}

void MsgFree(Meldungskontext* message) { std::free(message); }

void MsgRaiseList(int code, const char* ssid, std::uint16_t number, std::uint16_t mode,
                  const char* types, std::span<const MsgArg> args) {
  MsgTrapFrame* frame = g_top;
  if (!FrameValid(frame)) MsgFatalNoFrame();
  Meldungskontext* m = nullptr;
  MsgBuild(&m, ssid, number, mode, types, args);
  frame->received = m;
  g_top = frame->next;
  throw MsgRaised{frame, code != 0 ? code : 1};
}

void MsgRethrow(Meldungskontext* message, int code) {
  MsgTrapFrame* frame = g_top;
  if (!FrameValid(frame)) MsgFatalNoFrame();
  frame->received = message;
  g_top = frame->next;
  throw MsgRaised{frame, code != 0 ? code : 1};
}

void MsgSetErrorList(Meldungskontext** out, int code, const char* ssid, std::uint16_t number,
                     std::uint16_t mode, const char* types, std::span<const MsgArg> args) {
  char a = ssid && ssid[0] ? ssid[0] : ' ';
  char b = ssid && ssid[0] && ssid[1] ? ssid[1] : ' ';
  UtLogWrite(1, "Fehler gesetzt: Fehlercode = %d SS_id = '%c%c' Meldungsnummer = %u",
             static_cast<int>(static_cast<std::uint16_t>(static_cast<unsigned>(code))), a, b,
             static_cast<unsigned>(number));
  MsgBuild(out, ssid, number, mode, types, args);
}

void MsgSendList(const char* ssid, std::uint16_t number, std::uint16_t mode, const char* types,
                 std::span<const MsgArg> args) {
  Meldungskontext* m = nullptr;
  MsgBuild(&m, ssid, number, mode, types, args);
  MsgFileWrite(m);
  MsgFree(m);
}

void MsgWrite(const Meldungskontext* message) { MsgFileWrite(message); }

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void MsgTestResetSender() { g_senderFixed = false; }
#endif
