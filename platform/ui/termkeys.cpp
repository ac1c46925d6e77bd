// termkeys.cpp - keys from the terminal's input; Escape and Alt.
#include "platform/ui/termkeys.h"

#include <chrono>
#include <utility>

namespace {
constexpr int kEsc = 27;

bool printable(const TermKey& k) { return !k.isKey && k.code >= 0x20 && k.code != 0x7F; }

long long steadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

TermKeyReader::TermKeyReader(Source source, TermInput& decoder, int escDelayMs, Clock clock)
    : source_(std::move(source)),
      clock_(clock ? std::move(clock) : Clock(steadyMs)),
      decoder_(decoder),
      escDelayMs_(escDelayMs) {}

TermKey TermKeyReader::readOne(int waitMs) {
  const long long deadline = clock_() + (waitMs < 0 ? 0 : waitMs);
  for (;;) {
    int left = -1;
    if (waitMs >= 0) {
      long long ms = deadline - clock_();
      left = ms > 0 ? static_cast<int>(ms) : 0;
    }
    int unit = source_(left);
    if (unit < 0) return TermKey{};
    if (unit > 0xFF) {
      decoder_.Reset();  // a function key ends any character begun
      return TermKey{unit, true};
    }
    unsigned char c = 0;
    if (decoder_.Feed(static_cast<unsigned char>(unit), c) == TermInput::kChar)
      return TermKey{c, false};
    if (waitMs >= 0 && left == 0) return TermKey{};
  }
}

TermKey TermKeyReader::Next() {
  if (!pending_.none()) return std::exchange(pending_, TermKey{});
  TermKey k = readOne(-1);
  if (!k.is(kEsc)) return k;
  escPending_ = true;
  TermKey next = readOne(escDelayMs_);
  escPending_ = false;
  if (next.none() || next.is(kEsc)) return k;  // lone Esc, or Esc Esc
  if (next.is(kCtrlC)) return next;
  if (printable(next)) return TermKey{next.code, false, true};
  pending_ = next;  // Escape first, then that key
  return k;
}
