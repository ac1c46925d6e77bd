// preview.cpp - the 50 km list: the main dialog's handler and the preview.
#include "app/preview.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "app/bhfsuche.h"
#include "app/zolmaapp.h"
#include "app/textconv.h"
#include "app/zolmadlg.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "engine/eb.h"
#include "engine/ebfuenfzig.h"
#include "support/msg.h"
#include "support/utday.h"

namespace {

// The list view and the row counter, the requested position of each row.
struct Zeilen {
  CListCtrl* liste;
  int anzahl;
};

// One row of the list: the name, then the distance in the row's column 1.
void ZeileEinfuegen(void* kontext, std::int32_t, const EbhfSatz& e, std::int32_t km) {
  Zeilen& z = *static_cast<Zeilen*>(kontext);
  char name[21];
  BhfKanonischerName(e.name, name);
  LVITEM item{LVIF_TEXT, z.anzahl, 0, name};
  int at = z.liste->InsertItem(&item);
  char kmText[16];
  std::snprintf(kmText, sizeof kmText, "%d", static_cast<int>(km));
  z.liste->SetItemText(at, 1, kmText);
  ++z.anzahl;
}

}  // namespace

void CZOLMADlg::On50kmListe() {
  try {
    liste();
  } catch (const std::bad_alloc&) {
    // Also from the preview, when its own handling could not catch it.
    MessageBox(kZolmaKeinSpeicherBox, "KRV Entfernungsberechnung", MB_OK);
  }
}

void CZOLMADlg::liste() {
  UpdateData(TRUE);
  if (m_strAbgang.IsEmpty()) {
    MessageBox("Bitte Abgang eingeben", kZolmaUnvollstaendig, MB_OK);
    m_Abgang.SetFocus();
    return;
  }
  char name[21];
  int nr = BhfSuchen(m_strAbgang, name, 0);
  if (nr < 0) {
    MessageBox("Abgang unbekannt", kZolmaUnvollstaendig, MB_OK);
    m_Abgang.SetFocus();
    m_Abgang.SendMessage(EM_SETSEL, 0, -1);
    m_Abgang.SendMessage(EM_SCROLLCARET);
    return;
  }
  m_strAbgang.TrimLeft();
  m_strAbgang.TrimRight();
  if (m_strAbgang.IsEmpty()) {
    UpdateData(FALSE);
    m_Abgang.SetFocus();
    m_Abgang.SendMessage(EM_SETSEL, 0, -1);
    m_Abgang.SendMessage(EM_SCROLLCARET);
    return;
  }
  // The list shows the origin as typed (the field holds at most 20).
  std::snprintf(name, sizeof name, "%s", static_cast<const char*>(m_strAbgang));
  CString caption;
  caption.Format("50km Liste Vorschau f\xFCr %s", name);
  CPreviewDialog preview(caption, name, 21, nr, nullptr);
  preview.DoModal();
}

BEGIN_MESSAGE_MAP(CPreviewDialog, CDialog)
ON_BN_CLICKED(IDOK, OnDrucken)
END_MESSAGE_MAP()

CPreviewDialog::CPreviewDialog(const char* caption, const char* abgang, int, int abgangNr,
                               CWnd* parent)
    : CDialog(IDD_PREVIEW, parent), m_pszAbgang(abgang), m_nAbgang(abgangNr), m_strTitel(caption) {}

void CPreviewDialog::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_LISTE, m_Liste);
  DDX_Control(dx, IDOK, m_Drucken);
}

BOOL CPreviewDialog::OnInitDialog() {
  try {
    listeZeigen();
  } catch (const std::bad_alloc&) {
    // The rows found so far stay.
    MessageBox(kZolmaKeinSpeicherBox, "KRV Entfernungsberechnung", MB_OK);
  }
  return TRUE;
}

void CPreviewDialog::listeZeigen() {
  CDialog::OnInitDialog();
  SetWindowText(m_strTitel);

  m_Liste.SendMessage(LVM_DELETEALLITEMS);
  m_Liste.InsertColumn(0, "Ziel", LVCFMT_LEFT, 240, 0);
  m_Liste.InsertColumn(1, "km", LVCFMT_LEFT, 40, 1);
  m_Liste.ModifyStyle(LVS_TYPEMASK, LVS_REPORT);
  m_Liste.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);

  // One day for the whole list: the stations are tested on the day their
  // requests are computed on, even when the list runs across midnight.
  Zeilen zeilen{&m_Liste, 0};
  EbFuenfzigKmAuftrag auftrag{m_nAbgang, UtToday(), ZolmaEngine(), &ZeileEinfuegen, &zeilen};
  MsgTrapFrame frame;
  int raised = MsgTry(frame, [&] { EbFuenfzigKmListe(auftrag); });
  if (raised != 0) {
    // The raise has taken the frame off the chain; the rows found so far
    // stay in the list.
    MessageBox("Fehler in EB", "KRV Entfernungsberechnung", MB_OK);
    MsgWrite(frame.received);
    MsgFree(frame.received);
    frame.received = nullptr;
    return;
  }
  m_Drucken.EnableWindow(TRUE);
}

void CPreviewDialog::OnCancel() { CDialog::OnCancel(); }

void CPreviewDialog::OnDrucken() { DruckeListe(); }
