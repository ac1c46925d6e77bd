// termkeys.h - keys from the terminal's input, Escape as terminal users know it.
//
// The reader turns the input units of the terminal (bytes, and function
// keys its library has already recognised) into keys: characters decoded
// by the locale (TermInput), control keys and function keys. Escape
// follows the habit of full-screen terminal programs:
//   - Esc, then a printable key within the delay (about a second): Alt+key;
//   - Esc, then any other key within the delay (Tab, Enter, an arrow, a
//     function key): Escape, then that key;
//   - Esc Esc: Escape at once;
//   - a lone Esc: Escape when the delay runs out;
//   - Esc, then Ctrl+C: Ctrl+C alone (it ends the program; the Escape
//     before it does nothing first).
// A terminal that sends Alt+key as Escape and key together is the first
// case at machine speed.
#ifndef ZOLMA_PLATFORM_UI_TERMKEYS_H
#define ZOLMA_PLATFORM_UI_TERMKEYS_H

#include <functional>

#include "platform/ui/termtext.h"

struct TermKey {
  int code = -1;       // character (Windows-1252 byte), or function key code; -1 none
  bool isKey = false;  // a function key (a code above 255)
  bool alt = false;    // Alt + character
  bool none() const { return code == -1; }
  bool is(int ch) const { return !isKey && code == ch; }
};

class TermKeyReader {
 public:
  // Next input unit: a byte 0-255, a function key above 255, or -1 when
  // nothing came within waitMs milliseconds (-1 as waitMs: wait without
  // end) or the input failed.
  using Source = std::function<int(int waitMs)>;
  // The time Esc waits for the key that follows it.
  static constexpr int kEscDelayMs = 1000;
  // Ctrl+C as the terminal sends it in raw mode.
  static constexpr int kCtrlC = 3;

  // The clock the delay is measured on, in milliseconds: the machine's
  // steady clock, or a test's virtual one that moves with its source.
  using Clock = std::function<long long()>;

  TermKeyReader(Source source, TermInput& decoder, int escDelayMs = kEscDelayMs,
                Clock clock = nullptr);

  // The next key; a key with code -1 when the input failed.
  TermKey Next();
  // True while Esc waits for the key that follows it.
  bool EscPending() const { return escPending_; }

 private:
  // One key within waitMs (-1: without end); none when nothing came.
  TermKey readOne(int waitMs);

  Source source_;
  Clock clock_;
  TermInput& decoder_;
  int escDelayMs_;
  TermKey pending_;  // the key that came after an Escape
  bool escPending_ = false;
};

#endif  // ZOLMA_PLATFORM_UI_TERMKEYS_H
