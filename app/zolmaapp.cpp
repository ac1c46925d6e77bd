// zolmaapp.cpp - start-up and shut-down of the application.
#include "app/zolmaapp.h"

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
  MsgFileInstall();
  ZolmaRegisterResources();
  m_nExitCode = 0;
  m_bericht.clear();
  bool imStart = true;
  MsgTrapFrame frame;
  // Until the dialog runs, the messages written are watched: the engine's
  // start-up writes the table manager's message and hands on only a code.
  ZolmaUrsacheBeobachten(true);
  int code = MsgTry(frame, [&] {
    UtRegisterName("Absender", m_pszAppName ? m_pszAppName : "");
    UtRegisterName(kFehl.name, kFehl.datei);
    DbLoadFehl();
    for (const auto& t : kTabellen) UtRegisterName(t.name, t.datei);
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
  if (code == 0) {
    DbUnloadFehl();
    return FALSE;
  }
  // A raise reached this frame: the raise has taken it off the chain, so
  // it is not popped here. The main dialog, if it existed, is gone.
  // The report for standard error is made while the message texts are
  // still loaded; the program ends with exit code 1.
  m_pMainWnd = nullptr;
  ZolmaUrsacheBeobachten(false);
  m_bericht = ZolmaStartBericht(frame.received, imStart ? ZolmaUrsache() : nullptr, imStart);
  m_nExitCode = 1;
  MsgWrite(frame.received);
  MsgFree(frame.received);
  frame.received = nullptr;
  EbGfEndeEntfernungsBerechnung();
  AfxMessageBox("Fehler bei der Initialisierung", MB_OK, "Fehler");
  namenEntfernen();
  DbUnloadFehl();
  return FALSE;
}
