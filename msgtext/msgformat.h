// Message text formatter.
//
// Turns a message (id, placeholder mode and typed parameters, a
// Meldungskontext) into one line of German text in a caller's buffer. The
// text comes from the message's Meldungstextmuster, looked up in the FEHL
// message-text table by variant letter, subsystem id, message number and
// today's day, and its placeholders are filled from the message's parameters
// in one of three placeholder modes:
//
//   mode 0, numbered    %n[:[+|-]w][:f]c   n = 1..10 (0 = no parameter), w the
//                                          field width (no digits: 5; '+' or
//                                          a digit right-aligns, '-' left-
//                                          aligns), f a sub-format, c the
//                                          conversion d, s, t, F, J or P;
//                                          "%n:*d" inserts the pattern of the
//                                          message numbered by the parameter
//   mode 1, by class    %c                 T, F, P take the next text-class
//                                          parameter, D, H, O, Q, N, J the
//                                          next number-class one
//   mode 2, sequential  %T                 the parameters in order
//   "%%" is one percent sign in every mode.
//
// When anything fails, the buffer receives an error line instead: a blank,
// the subsystem id, the number in four digits, two blanks and the text of the
// result (MsgResultText).
//
// This library sits above both the support runtime and the table manager:
// the support runtime never calls up into it, and the table manager knows
// nothing of it. The first pattern lookup of the process loads FEHL once
// (one load that is never released) without touching the data-time stamp.
//
// The formatter allocates nothing but the record that MsgFormat builds.
#ifndef ZOLMA_MSGTEXT_MSGFORMAT_H
#define ZOLMA_MSGTEXT_MSGFORMAT_H

#include <cstdint>
#include <span>
#include <utility>

#include "support/msg.h"

struct FehlSatz;

// ---- results ------------------------------------------------------------------

enum : int {
  kMsgFmtOk = 0,
  kMsgFmtByteOrder = 1,       // "Byteanordnung nicht erkennbar"
  kMsgFmtNoPattern = 2,       // "Kein passendes Meldungstextmuster vorhanden"
  kMsgFmtNoPatternFile = 3,   // "Keine Meldungstextmusterdatei vorhanden"
  kMsgFmtTooManyParams = 4,   // "Falscher Meldungskontext (zu viele Parameter)"
  kMsgFmtBadPlaceholder = 5,  // "Falscher Platzhalter im Meldungstextmuster"
  kMsgFmtBadOffset = 6,       // "Falscher Meldungskontext (falsches Offset)"
  kMsgFmtMismatch = 7,        // "Parameter und Platzhalter passen nicht"
  kMsgFmtMissingParam = 8,    // "Falscher Meldungskontext (fehlender Parameter)"
  kMsgFmtRefTooLarge = 9,     // "Referenznummer zu Meldungstextmuster zu gros"
  kMsgFmtBadParamType = 10    // "Falscher Meldungskontext (falscher Parametertyp)"
};

// The text of a result code 0..10 ("" for 0 and for unknown codes).
const char* MsgResultText(int result);

// Width of a pattern and of the formatter's work area.
inline constexpr int kMsgPatternSize = 70;
inline constexpr int kMsgWorkSize = 512;

// ---- the public operations -------------------------------------------------------

// Builds a record from the arguments (as MsgBuild does), looks its pattern up
// under variant, formats it into buffer (size bytes, 1..32767) and frees the
// record. 0 formatted; 1 failed, the buffer then holds the error line. A null
// buffer or a size of 0 or less is refused with 1 and the buffer untouched.
// A FEHL load failure at the first call is raised by the loader.
int MsgFormatList(char* buffer, std::int16_t size, char variant, const char* ssid,
                  std::uint16_t number, std::uint16_t mode, const char* types,
                  std::span<const MsgArg> args);

template <class... A>
int MsgFormat(char* buffer, std::int16_t size, char variant, const char* ssid, std::uint16_t number,
              std::uint16_t mode, const char* types, A&&... args) {
  const MsgArg list[] = {MsgArg(std::forward<A>(args))..., MsgArg(nullptr)};
  return MsgFormatList(buffer, size, variant, ssid, number, mode, types,
                       std::span<const MsgArg>(list, sizeof...(A)));
}

// The same for an existing record, which stays unchanged (the formatter works
// on a copy). A record written on a machine of the other byte order is
// converted first, so its pattern is looked up under its real number. A null
// message is refused with 1 and an empty text.
int MsgFormatContext(char* buffer, std::int16_t size, char variant, const Meldungskontext* message);

// Looks up the pattern of (variant, ssid, number) for today: 0 found, 2 no
// pattern, 3 no pattern file (FEHL not loaded). The variant 'J' falls back to
// 'I'; out's variant letter then is 'I'. A variant of code 128 or more has no
// pattern. The first call of the process loads FEHL (see above).
int MsgFindPattern(FehlSatz* out, char variant, const char* ssid, std::uint16_t number);

// ---- internal steps, exposed for tests ----------------------------------------------

// One placeholder as parsed: parameter index (-1 = none), width, alignment
// (0 none, 1 left, 2 right), sub-format (blank = none) and conversion.
struct MsgPlaceholder {
  int index = -1;
  int width = 0;
  int align = 0;
  char sub = ' ';
  char conv = ' ';
};

// Buffer handling and checks: fills buffer with blanks, works on a copy of
// message (converted when its byte-order mark is not 1), then gives 1 for an
// unrecognisable byte order, 4 for more than 10 parameters, the lookup result
// when it is not 0, else the result of the expansion of the 70-character
// pattern (found under patternVariant). 0: the text, terminated and without
// trailing white space; otherwise the error line alone. A null buffer or
// message, or a size of 0 or less, is refused with -1 and nothing written.
int MsgFormatText(char* buffer, std::int16_t size, const Meldungskontext* message, int lookupResult,
                  const char* pattern, char patternVariant);

// Reverses the byte order of a record written on a machine of the other byte
// order: the mark, time, number, mode and parameter count, then each stored
// parameter's offset and its 'd', 'l' or 't' value. Values whose bytes do not
// lie inside the data area are left alone.
void MsgSwapContext(Meldungskontext* message);

// ---- test hooks -------------------------------------------------------------------------
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS

// Forgets the first call: gives back the formatter's own FEHL load (if it
// made one), so the next lookup sets up and loads FEHL again.
void MsgFormatTestReset();

#endif

#endif  // ZOLMA_MSGTEXT_MSGFORMAT_H
