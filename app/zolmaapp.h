// zolmaapp.h - the application object.
//
// CZOLMAApp owns the whole life of the program: its InitInstance registers
// the logical names of the data files, loads the message texts, starts the
// distance engine, loads the station names, runs the main dialog and then
// undoes all of it in reverse order. It returns FALSE in every case.
//
// When a raise reaches its own trap frame (a failed start-up, or a raise
// during the dialog that no lower frame caught), it shows "Fehler bei der
// Initialisierung", keeps a report of the reason for standard error (see
// startbericht.h) and its ExitInstance gives 1; otherwise 0. The report is
// written by main once the terminal is shut down. An allocation failure
// that reaches it (std::bad_alloc, or a name the register cannot store)
// takes the same way, with the reason "nicht genug Speicher".
#ifndef ZOLMA_APP_ZOLMAAPP_H
#define ZOLMA_APP_ZOLMAAPP_H

#include <string>
#include <vector>

#include "platform/ui/afxwin.h"

// The reason of a failure for lack of memory: the line of the report for
// standard error, and the dialog's message box.
inline constexpr char kZolmaKeinSpeicher[] = "nicht genug Speicher";
inline constexpr char kZolmaKeinSpeicherBox[] = "Nicht genug Speicher";

class CZOLMAApp : public CWinApp {
 public:
  CZOLMAApp() = default;
  ~CZOLMAApp() override = default;
  BOOL InitInstance() override;
  int ExitInstance() override { return m_nExitCode; }
  // The lines for standard error after a failure; empty after a normal end
  // (and after a failure that left no memory for them: main then names the
  // reason).
  const std::vector<std::string>& Bericht() const { return m_bericht; }

 private:
  int m_nExitCode = 0;
  std::vector<std::string> m_bericht;
};

// The data files the program reads, in the order of reading, joined by
// ", ": "DMFEHL, DMEBHF, ...".
std::string ZolmaDatendateien();

#endif  // ZOLMA_APP_ZOLMAAPP_H
