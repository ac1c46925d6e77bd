// Message file and built-in messages.
//
// The writer behind MsgFileWrite: appends one entry per message to the text
// file "ZOLMACE.TXT" in the current directory, opened and closed for every
// entry. An entry carries the message's time, its sender, its id and its
// text, taken from the built-in message table when that has the message, and
// from the message text formatter (variant "D") otherwise.
//
// The support runtime owns the message-file switch and calls the installed
// writer only while the switch is on; the switch starts off and nothing in
// the system turns it on (tests do, with MsgFileTestSetSwitch). The writer
// checks the switch again itself. Installing the writer is what links the
// support runtime's MsgFileWrite to this library without the support
// runtime depending on it. The writer never raises: a raise from the
// formatter's first call (its FEHL load) lands in a frame of the writer and
// the entry is written as one without text.
//
// Entry formats (time text "DD.MM.YYYY HH:MM:SS", sender 18 characters):
//   built-in text   "<time>: <sender>: HD0004E Kann 'X25' nicht anmelden"
//   formatted text  "<time>: <sender>: TT4002  <text>"
//   no text         "<time>: <sender>: TT4002  Unbekannter Fehler: Flags 0 #Param 1"
//                   followed by "  d 7" per parameter
//   null message    "<time>: <Absender>: Ungueltiger Meldungskontext uebergeben"
#ifndef ZOLMA_MSGTEXT_MSGFILE_H
#define ZOLMA_MSGTEXT_MSGFILE_H

#include <cstdint>

#include "support/msg.h"

// One record of a built-in text table. The texts use the placeholders
// "%" digit letter: s (types 'a', 's'), d ('d', 'l'), t ('t'), F, J, P.
struct BuiltinMessage {
  char variant;   // 'D'
  char SS_id[2];  // "HD"
  char zero;      // 0
  std::uint16_t number;
  char severity;  // 'E' error, 'M' message, 'W' warning
  char text[71];  // terminated
};

// A chain of built-in text tables.
struct BuiltinTable {
  const BuiltinMessage* records;
  int count;
  const BuiltinTable* next;
};

// The chain: one table of the 141 "HD" messages, numbers 1 to 141.
extern const BuiltinTable MsgBuiltinTables;

// The built-in record for (ssid, number): the tables in chain order, in each
// the records from the last to the first; the variant is not compared.
// Null when there is none.
const BuiltinMessage* MsgFindBuiltin(const char* ssid, std::uint16_t number);

// The real writer (see above); null writes the line for an invalid message.
void MsgFileWriteEntry(const Meldungskontext* message);

// Installs MsgFileWriteEntry as the support runtime's message-file writer.
// The switch stays as it is. A program calls it where it starts its message
// layer (the application at the start of InitInstance); calling it again
// does no harm.
void MsgFileInstall();

// The file name the writer appends to, built at the first write while the
// switch is on ("ZOLMACE.TXT").
inline constexpr char kMsgFileName[] = "ZOLMACE.TXT";

#endif  // ZOLMA_MSGTEXT_MSGFILE_H
