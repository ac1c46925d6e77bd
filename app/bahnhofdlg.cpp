// bahnhofdlg.cpp - the station picker.
#include "app/bahnhofdlg.h"

#include <cstring>

#include "app/bhfsuche.h"
#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_pbhf.h"
#include "support/utday.h"

namespace {
// The stations already listed during one fill. A hash set keeps the test
// fast however long the list grows; it remembers at most kBahnhofMerkMax
// numbers, so that one fill holds a bounded set, and numbers beyond that are
// listed without being remembered.
std::unordered_set<uint32_t> g_gemerkt;
}  // namespace

BEGIN_MESSAGE_MAP(CBahnhofDialog, CDialog)
ON_EN_CHANGE(IDC_BHF_EDIT, ListeFuellen)
ON_LBN_SELCHANGE(IDC_BHF_LISTE, OnSelchangeListe)
ON_LBN_SELCANCEL(IDC_BHF_LISTE, OnSelcancelListe)
END_MESSAGE_MAP()

CBahnhofDialog::CBahnhofDialog(const char* caption, char* buffer, int size, CWnd* parent)
    : CDialog(IDD_BAHNHOF, parent), m_strCaption(caption), m_pBuffer(buffer), m_nSize(size) {}

void CBahnhofDialog::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_BHF_EDIT, m_Edit);
  DDX_Control(dx, IDC_BHF_LISTE, m_Liste);
  DDX_Control(dx, IDOK, m_OK);
  DDX_LBString(dx, IDC_BHF_LISTE, m_strListe);
  DDX_Text(dx, IDC_BHF_EDIT, m_strEdit);
}

BOOL CBahnhofDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(m_strCaption);
  m_Edit.SetWindowText(m_pBuffer ? m_pBuffer : "");
  ListeFuellen();
  m_OK.EnableWindow(FALSE);
  return TRUE;
}

void CBahnhofDialog::ListeFuellen() {
  UpdateData(TRUE);
  if (m_strEdit.IsEmpty()) {
    m_Liste.ResetContent();
    m_OK.EnableWindow(FALSE);
    return;
  }
  m_strEdit.TrimRight();
  if (BhfPrefixAnzahl(m_strEdit) <= 0) {
    m_Liste.ResetContent();
    m_OK.EnableWindow(FALSE);
    return;
  }
  m_Liste.ResetContent();
  m_OK.EnableWindow(FALSE);

  char buffer[42];
  std::strncpy(buffer, m_strEdit, 41);
  buffer[41] = '\0';
  BhfNameNormieren(buffer, 42);

  g_gemerkt.clear();
  UtDayNumber today = UtToday();
  PbhfSatz p;
  int index = -1;
  while (DbFindNextPbhfPrefix(&p, &index, buffer, today) == kDbFound) {
    if (g_gemerkt.count(p.station)) continue;
    if (static_cast<int>(g_gemerkt.size()) < kBahnhofMerkMax) g_gemerkt.insert(p.station);
    EbhfSatz e;
    if (DbGetEbhf(&e, kDbLand, p.station, today) == kDbFound) {
      char name[21];
      BhfKanonischerName(e.name, name);
      m_Liste.AddString(name);
    }
  }
}

void CBahnhofDialog::OnSelchangeListe() {
  UpdateData(TRUE);
  m_strEdit = m_strListe;
  UpdateData(FALSE);
  m_OK.EnableWindow(TRUE);
}

void CBahnhofDialog::OnSelcancelListe() { m_OK.EnableWindow(FALSE); }

void CBahnhofDialog::OnOK() {
  UpdateData(TRUE);
  if (m_pBuffer && m_nSize > 0) {
    int len = m_strEdit.GetLength();
    if (len < m_nSize) {
      std::memcpy(m_pBuffer, static_cast<const char*>(m_strEdit), static_cast<size_t>(len) + 1);
    } else {
      std::memcpy(m_pBuffer, static_cast<const char*>(m_strEdit), static_cast<size_t>(m_nSize) - 1);
      m_pBuffer[m_nSize - 1] = '\0';
    }
  }
  CDialog::OnOK();
}

void CBahnhofDialog::OnCancel() { CDialog::OnCancel(); }
