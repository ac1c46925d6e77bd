// zolmaapp.cpp - start-up and shut-down of the application.
#include "app/zolmaapp.h"

#include <new>
#include <span>

#include "app/resource.h"
#include "app/startbericht.h"
#include "app/zolmadlg.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "msgtext/msgfile.h"
#include "support/msg.h"
#include "support/utname.h"

namespace {

// The logical names of the tables, in the order of registration: FEHL
// first, which is registered and loaded on its own, then the others. Each
// with its physical name (kDbNoFileName for a table without a data file)
// and its place in the order in which the program reads the data files,
// 0 for a name whose file nothing reads.
struct ZolmaTabName {
  const char* name;
  const char* datei;
  int lesefolge;
};
constexpr int kZolmaTabNamenAnzahl = 18;

const ZolmaTabName kZolmaTabNamen[kZolmaTabNamenAnzahl] = {
    {"FEHL", "DMFEHL", 1},      {"EBBA", kDbNoFileName, 0}, {"EBGB", kDbNoFileName, 0},
    {"EBGG", kDbNoFileName, 0}, {"EBGM", kDbNoFileName, 0}, {"EBHF", "DMEBHF", 2},
    {"EBHN", "DMEBHN", 0},      {"FBRR", "DMFBRR", 4},      {"FBRW", "DMFBRW", 8},
    {"GREN", "DMGREN", 5},      {"LOST", kDbNoFileName, 0}, {"NESR", kDbNoFileName, 0},
    {"NGAT", kDbNoFileName, 0}, {"RBGT", "DMRBGT", 7},      {"RELA", "DMRELA", 0},
    {"STEN", "DMSTEN", 6},      {"TDRG", "DMTDRG", 3},      {"PBHF", "DMPBHF", 9},
};

// FEHL, and the names registered after it.
const ZolmaTabName& kFehl = kZolmaTabNamen[0];
const std::span<const ZolmaTabName> kTabellen{kZolmaTabNamen + 1, kZolmaTabNamenAnzahl - 1};

// Removes the 19 names in the order of shut-down, then the group.
void namenEntfernen() {
  for (const auto& t : kTabellen) UtRemoveName(kUtRegisterGroup, t.name);
  UtRemoveName(kUtRegisterGroup, kFehl.name);
  UtRemoveName(kUtRegisterGroup, "Absender");
  UtRemoveGroup(kUtRegisterGroup);
}

// Registers a name; a name the register cannot store means that memory
// ran out (the register refuses nothing else at start-up).
void anmelden(const char* name, const char* wert) {
  if (UtRegisterName(name, wert) == 2) throw std::bad_alloc();
}

}  // namespace

std::string ZolmaDatendateien() {
  std::string text;
  for (int folge = 1; folge <= kZolmaTabNamenAnzahl; ++folge) {
    for (const ZolmaTabName& t : kZolmaTabNamen) {
      if (t.lesefolge != folge) continue;
      if (!text.empty()) text += ", ";
      text += t.datei;
    }
  }
  return text;
}

BOOL CZOLMAApp::InitInstance() {
  m_nExitCode = 0;
  m_bericht.clear();
  bool imStart = true;
  bool ohneSpeicher = false;
  MsgTrapFrame frame;
  int code = 0;
  // An allocation that fails where no raise reports it (the standard
  // library's, a name the register cannot store) ends the program the way
  // a raise that reaches this frame does, with its own reason.
  try {
    MsgFileInstall();
    ZolmaRegisterResources();
    // Until the dialog runs, the messages written are watched: the engine's
    // start-up writes the table manager's message and hands on only a code.
    ZolmaUrsacheBeobachten(true);
    code = MsgTry(frame, [&] {
      anmelden("Absender", m_pszAppName ? m_pszAppName : "");
      anmelden(kFehl.name, kFehl.datei);
      DbLoadFehl();
      for (const auto& t : kTabellen) anmelden(t.name, t.datei);
      int r = EbGfInitEntfernungsBerechnung();
      if (r != 0) MsgRaise(1004, "KB", 1004, 0, "d", r);
      DbLoadPbhf();
      ZolmaUrsacheBeobachten(false);
      imStart = false;
      {
        CZOLMADlg dlg(nullptr);
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
      }
      DbUnloadPbhf();
      EbGfEndeEntfernungsBerechnung();
      namenEntfernen();
    });
  } catch (const std::bad_alloc&) {
    // MsgTry has taken the frame off the chain; nothing was received.
    ohneSpeicher = true;
  }
  if (code == 0 && !ohneSpeicher) {
    DbUnloadFehl();
    return FALSE;
  }
  // A raise reached this frame: the raise has taken it off the chain, so
  // it is not popped here. The main dialog, if it existed, is gone.
  // The report for standard error is made while the message texts are
  // still loaded; the program ends with exit code 1.
  m_pMainWnd = nullptr;
  ZolmaUrsacheBeobachten(false);
  m_nExitCode = 1;
  try {
    m_bericht = ohneSpeicher ? ZolmaSpeicherBericht()
                             : ZolmaStartBericht(frame.received,
                                                 imStart ? ZolmaUrsache() : nullptr, imStart);
  } catch (const std::bad_alloc&) {
    // Without memory for the report, main names the reason itself.
    m_bericht.clear();
  }
  if (frame.received) {
    MsgWrite(frame.received);
    MsgFree(frame.received);
    frame.received = nullptr;
  }
  EbGfEndeEntfernungsBerechnung();
  try {
    AfxMessageBox("Fehler bei der Initialisierung", MB_OK, "Fehler");
  } catch (const std::bad_alloc&) {
    // The box could not be built; the report still tells the reason.
  }
  namenEntfernen();
  DbUnloadFehl();
  return FALSE;
}
