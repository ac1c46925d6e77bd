// zolmaapp.cpp - start-up and shut-down of the application.
#include "app/zolmaapp.h"

#include "app/resource.h"
#include "app/startbericht.h"
#include "app/zolmadlg.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_fehl.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "engine/eb.h"
#include "support/msg.h"
#include "support/utname.h"

namespace {

// The table names registered after FEHL, in registration order.
struct TabName {
  const char* name;
  const char* datei;
};
const TabName kTabellen[] = {
    {"EBBA", kZolmaOhneDatei}, {"EBGB", kZolmaOhneDatei}, {"EBGG", kZolmaOhneDatei},
    {"EBGM", kZolmaOhneDatei}, {"EBHF", "DMEBHF"},        {"EBHN", "DMEBHN"},
    {"FBRR", "DMFBRR"},        {"FBRW", "DMFBRW"},        {"GREN", "DMGREN"},
    {"LOST", kZolmaOhneDatei}, {"NESR", kZolmaOhneDatei}, {"NGAT", kZolmaOhneDatei},
    {"RBGT", "DMRBGT"},        {"RELA", "DMRELA"},        {"STEN", "DMSTEN"},
    {"TDRG", "DMTDRG"},        {"PBHF", "DMPBHF"},
};

// Removes the 19 names in the order of shut-down, then the group.
void namenEntfernen() {
  for (const auto& t : kTabellen) UtRemoveName(kUtRegisterGroup, t.name);
  UtRemoveName(kUtRegisterGroup, "FEHL");
  UtRemoveName(kUtRegisterGroup, "Absender");
  UtRemoveGroup(kUtRegisterGroup);
}

}  // namespace

BOOL CZOLMAApp::InitInstance() {
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
    UtRegisterName("FEHL", "DMFEHL");
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
