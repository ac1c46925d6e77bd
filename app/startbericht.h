// startbericht.h - why the program ended with "Fehler bei der Initialisierung".
//
// When a raise reaches the application's own trap frame, the message box
// names no reason, and the message file that would keep it is switched off.
// This module keeps what the reason needs and turns it into lines for
// standard error, which the program writes once the terminal is shut down:
//
//   Fehler bei der Initialisierung
//   Meldung D KB1004, Parameter: 1
//     Initialisierung der Entfernungsberechnung fehlgeschlagen (1)
//   Ursache: Meldung D DZ1013, Parameter: "DMSTEN", "Datei zu kurz"
//     Datei DMSTEN ist nicht vollstaendig lesbar: Datei zu kurz
//   Das Programm liest seine Datendateien (DMFEHL, DMEBHF, ...) aus dem
//   aktuellen Ordner: /home/...
//
// An allocation that failed outside the trap frames' reach (a name that
// could not be registered, a text the dialog could not build) gives the
// report "Fehler bei der Initialisierung" / "nicht genug Speicher".
//
// A message is named by the variant letter, subsystem id and number under
// which its text stands in the message-text table; its parameters follow,
// texts quoted. The text line appears only while the message texts are
// loaded. The file layer's text for a read past the end of a file, "BI: kein
// Fehler", says nothing, so "Datei zu kurz" stands in its place.
//
// The cause: the engine's start-up catches the table manager's raise,
// writes the message and frees it, and hands the application only its raise
// code. While the start-up runs, a message-file watcher therefore keeps a
// copy of the last message written.
//
// The module's own texts are ASCII (umlauts written out), so the lines read
// the same in every locale; parameter bytes pass unchanged except control
// characters, which become '?'.
#ifndef ZOLMA_APP_STARTBERICHT_H
#define ZOLMA_APP_STARTBERICHT_H

#include <string>
#include <vector>

#include "support/msg.h"

// The variant letter under which the program looks up its message texts.
inline constexpr char kZolmaTextVariante = 'D';

// Starts (true: forgets any cause kept before) or stops (false: keeps the
// last cause) watching the messages written.
void ZolmaUrsacheBeobachten(bool an);
// The last message written while watching, or null.
const Meldungskontext* ZolmaUrsache();

// The lines for one message: "Meldung D DZ1011, Parameter: ...", then its
// text when the message texts are loaded and give one.
std::vector<std::string> ZolmaMeldungZeilen(const Meldungskontext* m);

// The whole report: the message box's text, the received message, the
// cause (when given and the received message is the application's "KB"
// 1004 after a failed engine start-up) and, for a failure in the start-up
// (imStart), where the data files are read from.
std::vector<std::string> ZolmaStartBericht(const Meldungskontext* empfangen,
                                           const Meldungskontext* ursache, bool imStart);

// The report after an allocation failed where no message could tell of it:
// the message box's text, then "nicht genug Speicher".
std::vector<std::string> ZolmaSpeicherBericht();

#endif  // ZOLMA_APP_STARTBERICHT_H
