// zolmadlg.cpp - the main dialog: station input and resolution, the
// calculation and its display, the system menu and the about box.
#include "app/zolmadlg.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

#include "app/bahnhofdlg.h"
#include "app/bhfsuche.h"
#include "app/zolmaapp.h"
#include "app/textconv.h"
#include "common/dtacc/dm/dmbase.h"
#include "engine/eb.h"
#include "msgtext/msgformat.h"
#include "support/msg.h"
#include "support/utday.h"

namespace {

constexpr int kNameBuf = 21;
constexpr int kMsgBuf = 199;

const char kKrv[] = "KRV Entfernungsberechnung";

bool isStationField(int id) { return id >= IDC_ABGANG && id <= IDC_UEBER2; }

// Copies text into a buffer of `size` bytes, cut to fit.
void copyBounded(char* dst, size_t size, const char* src) {
  std::snprintf(dst, size, "%s", src ? src : "");
}

}  // namespace

CString ZolmaTitel(const char* caption, long stamp) {
  CString t;
  std::time_t tt = static_cast<std::time_t>(stamp);
  std::tm tm{};
  if (stamp < 0 || !localtime_r(&tt, &tm)) {
    // A stamp that names no date leaves the caption as it is.
    t = caption;
    return t;
  }
  t.Format("%s - Daten vom %02d.%02d.%04d", caption, tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
  return t;
}

namespace {
ZolmaEngineFn g_engineStandIn = nullptr;
}  // namespace

std::int32_t ZolmaEntfernung(EbErgebnis* ergebnis, EbAbschnitte* abschnitte, EbAnfrage* anfrage,
                             std::uint32_t flags) {
  return ZolmaEngine()(ergebnis, abschnitte, anfrage, flags);
}

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void ZolmaTestSetEngine(ZolmaEngineFn fn) { g_engineStandIn = fn; }
#endif

ZolmaEngineFn ZolmaEngine() {
  return g_engineStandIn ? g_engineStandIn : &EbGfEntfernungsBerechnung;
}

std::int32_t ZolmaKmSumme(const EbWeg& weg) {
  // The four fields are added as 32-bit numbers; unsigned arithmetic wraps
  // where a signed sum of absurd values would overflow.
  std::uint32_t sum = weg.kmWzVxt + weg.kmDrVxt + weg.kmWz + weg.kmDr;
  return static_cast<std::int32_t>(sum);
}

BEGIN_MESSAGE_MAP(CZOLMADlg, CDialog)
ON_BN_CLICKED(IDC_BEENDEN, OnBeenden)
ON_BN_CLICKED(IDC_BERECHNEN, OnBerechnen)
ON_BN_CLICKED(IDC_DRUCKEN, DoDrucken)
ON_BN_CLICKED(IDC_50KM, On50kmListe)
END_MESSAGE_MAP()

CZOLMADlg::CZOLMADlg(CWnd* parent)
    : CDialog(IDD_ZOLMA_DIALOG, parent), m_hIcon(AfxLoadIcon(IDR_MAINFRAME)) {}

void CZOLMADlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDOK, m_OK);
  DDX_Control(dx, IDC_ABGANG, m_Abgang);
  DDX_Control(dx, IDC_ZIEL, m_Ziel);
  DDX_Control(dx, IDC_UEBER1, m_Ueber1);
  DDX_Control(dx, IDC_UEBER2, m_Ueber2);
  DDX_Control(dx, IDC_PRODUKT_LABEL, m_ProduktLabel);
  DDX_Control(dx, IDC_PRODUKT, m_Produkt);
  DDX_Control(dx, IDC_VXT_ABGANG_LABEL, m_VxtAbgangLabel);
  DDX_Control(dx, IDC_VXT_ABGANG, m_VxtAbgang);
  DDX_Control(dx, IDC_VXT_ZIEL_LABEL, m_VxtZielLabel);
  DDX_Control(dx, IDC_VXT_ZIEL, m_VxtZiel);
  DDX_Control(dx, IDC_VXT_LP1_LABEL, m_VxtLp1Label);
  DDX_Control(dx, IDC_VXT_LP1, m_VxtLp1);
  DDX_Control(dx, IDC_VXT_LP2_LABEL, m_VxtLp2Label);
  DDX_Control(dx, IDC_VXT_LP2, m_VxtLp2);
  DDX_Control(dx, IDC_VON_LABEL, m_VonLabel);
  DDX_Control(dx, IDC_VON, m_Von);
  DDX_Control(dx, IDC_NACH_LABEL, m_NachLabel);
  DDX_Control(dx, IDC_NACH, m_Nach);
  DDX_Control(dx, IDC_U1_LABEL, m_U1Label);
  DDX_Control(dx, IDC_U1, m_U1);
  for (int i = 0; i < 8; ++i) DDX_Control(dx, IDC_VXT_VON_LABEL + i, m_VxtWerte[i]);
  DDX_Control(dx, IDC_U2_LABEL, m_U2Label);
  DDX_Control(dx, IDC_U2, m_U2);
  DDX_Control(dx, IDC_ENTFERNUNG_LABEL, m_EntfernungLabel);
  DDX_Control(dx, IDC_ENTFERNUNG, m_Entfernung);
  DDX_Control(dx, IDC_BERECHNEN, m_Berechnen);
  DDX_Control(dx, IDC_DRUCKEN, m_Drucken);
  DDX_Control(dx, IDC_50KM, m_50km);
  DDX_Control(dx, IDC_BEENDEN, m_Beenden);
  DDX_Control(dx, IDC_WEGETEXT_LABEL, m_WegetextLabel);
  for (int i = 0; i < 4; ++i) DDX_Control(dx, IDC_WEGETEXT1 + i, m_Wegetext[i]);

  DDX_Text(dx, IDC_ABGANG, m_strAbgang);
  DDV_MaxChars(dx, m_strAbgang, 20);
  DDX_Text(dx, IDC_ZIEL, m_strZiel);
  DDV_MaxChars(dx, m_strZiel, 20);
  DDX_Text(dx, IDC_UEBER1, m_strUeber1);
  DDV_MaxChars(dx, m_strUeber1, 20);
  DDX_Text(dx, IDC_UEBER2, m_strUeber2);
  DDV_MaxChars(dx, m_strUeber2, 20);
  DDX_Text(dx, IDC_VXT_ABGANG, m_strVxtAbgang);
  DDV_MaxChars(dx, m_strVxtAbgang, 20);
  DDX_Text(dx, IDC_VXT_ZIEL, m_strVxtZiel);
  DDV_MaxChars(dx, m_strVxtZiel, 20);
  DDX_Text(dx, IDC_VXT_LP1, m_strVxtLp1);
  DDV_MaxChars(dx, m_strVxtLp1, 20);
  DDX_Text(dx, IDC_VXT_LP2, m_strVxtLp2);
  DDV_MaxChars(dx, m_strVxtLp2, 20);
  DDX_Text(dx, IDC_VON, m_strVon);
  DDX_Text(dx, IDC_NACH, m_strNach);
  DDX_Text(dx, IDC_U1, m_strU1);
  for (int i = 0; i < 4; ++i) DDX_Text(dx, IDC_VXT_VON + 2 * i, m_strVxtWerte[i]);
  DDX_Text(dx, IDC_U2, m_strU2);
  DDX_Text(dx, IDC_ENTFERNUNG, m_strEntfernung);
  for (int i = 0; i < 4; ++i) DDX_Text(dx, IDC_WEGETEXT1 + i, m_strWegetext[i]);
}

BOOL CZOLMADlg::OnInitDialog() {
  CDialog::OnInitDialog();

  CString about;
  AfxLoadString(IDS_ABOUTBOX, about);
  CMenu* sys = GetSystemMenu(FALSE);
  if (sys && !about.IsEmpty()) {
    sys->AppendMenu(MF_SEPARATOR);
    sys->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
  }
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  m_OK.ShowWindow(SW_HIDE);
  for (auto& w : m_Wegetext) w.SetWindowText("");
  m_U1Label.ShowWindow(SW_HIDE);
  m_U1.SetWindowText("");
  m_U2Label.ShowWindow(SW_HIDE);
  m_U2.SetWindowText("");
  m_ProduktLabel.ShowWindow(SW_HIDE);
  m_Produkt.ShowWindow(SW_HIDE);
  for (int id = IDC_VXT_ABGANG_LABEL; id <= IDC_VXT_LP2; ++id) GetDlgItem(id)->ShowWindow(SW_HIDE);
  for (auto& w : m_VxtWerte) w.ShowWindow(SW_HIDE);

  // "&Drucken" waits for a successful calculation; "50 km Li&ste" is
  // enabled from the start.
  m_Drucken.EnableWindow(FALSE);

  CString caption;
  GetWindowText(caption);
  SetWindowText(ZolmaTitel(caption, DbDatenZeitstempel));
  return TRUE;
}

void CZOLMADlg::OnOK() {
  CWnd* focus = GetFocus();
  if (!focus) return;
  int id = focus->GetDlgCtrlID();
  UpdateData(TRUE);

  const ZolmaFeld* feld = nullptr;
  for (const auto& f : kFelder)
    if (f.id == id) feld = &f;
  if (!feld) return;
  CString* member = id == IDC_ABGANG   ? &m_strAbgang
                    : id == IDC_ZIEL   ? &m_strZiel
                    : id == IDC_UEBER1 ? &m_strUeber1
                                       : &m_strUeber2;
  CWnd* field = GetDlgItem(id);
  CWnd* next = GetDlgItem(feld->next);

  member->TrimLeft();
  member->TrimRight();
  if (member->IsEmpty()) {
    UpdateData(FALSE);
    next->SetFocus();
    return;
  }

  char name[kNameBuf];
  bool picker = GetKeyState(VK_CONTROL) < 0;
  if (!picker) {
    if (BhfSuchen(*member, name, 1) >= 0) {
      field->SetWindowText(name);
      next->SetFocus();
      return;
    }
    if (BhfPrefixAnzahl(*member) == 1 && BhfSuchen(*member, name, 0) >= 0) {
      field->SetWindowText(name);
      next->SetFocus();
      return;
    }
  }

  char buffer[kNameBuf];
  copyBounded(buffer, sizeof buffer, *member);
  CBahnhofDialog dlg(feld->pickerCaption, buffer, kNameBuf, nullptr);
  if (dlg.DoModal() == IDOK) field->SetWindowText(buffer);
  next->SetFocus();
}

void CZOLMADlg::OnSysCommand(UINT id, LPARAM param) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about;
    about.DoModal();
  } else {
    CDialog::OnSysCommand(id, param);
  }
}

void CZOLMADlg::OnPaint() {
  if (IsIconic()) {
    // A minimised dialog paints its icon; the terminal never minimises.
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    // The icon sits in the middle of the client area.
    CRect rect;
    GetClientRect(&rect);
    int x = (rect.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
  } else {
    CDialog::OnPaint();
  }
}

void CZOLMADlg::OnBeenden() { CDialog::OnOK(); }

void CZOLMADlg::selectFocusedField() {
  CWnd* focus = GetFocus();
  if (!focus || !isStationField(focus->GetDlgCtrlID())) return;
  focus->SendMessage(EM_SETSEL, 0, -1);
  focus->SendMessage(EM_SCROLLCARET);
}

void CZOLMADlg::clearResult() {
  m_Von.SetWindowText("");
  m_Nach.SetWindowText("");
  m_U1.SetWindowText("");
  m_U2.SetWindowText("");
  m_U1Label.ShowWindow(SW_HIDE);
  m_U2Label.ShowWindow(SW_HIDE);
  m_Entfernung.SetWindowText("");
}

void CZOLMADlg::OnBerechnen() {
  try {
    berechnen();
  } catch (const std::bad_alloc&) {
    speicherFehlt();
  }
}

void CZOLMADlg::speicherFehlt() {
  clearResult();
  m_Drucken.EnableWindow(FALSE);
  MessageBox(kZolmaKeinSpeicherBox, kKrv, MB_OK);
  selectFocusedField();
}

void CZOLMADlg::berechnen() {
  UpdateData(TRUE);
  int nummer[4] = {0, 0, 0, 0};
  if (!stationenAufloesen(nummer)) return;
  UpdateData(TRUE);

  EbErgebnis ergebnis;
  std::memset(&ergebnis, 0, sizeof ergebnis);
  if (!entfernungBerechnen(nummer, &ergebnis)) return;
  ergebnisZeigen(nummer, ergebnis);
}

bool CZOLMADlg::stationenAufloesen(int nummer[4]) {
  struct Pruefung {
    CString* text;
    CEdit* field;
    const char* leer;  // null: an empty field is allowed
    const char* unbekannt;
  };
  Pruefung pruefungen[4] = {
      {&m_strAbgang, &m_Abgang, "Bitte Abgang eingeben", "Abgang unbekannt"},
      {&m_strZiel, &m_Ziel, "Bitte Ziel eingeben", "Ziel unbekannt"},
      {&m_strUeber1, &m_Ueber1, nullptr,
       "\xDC"
       "ber 1 unbekannt"},
      {&m_strUeber2, &m_Ueber2, nullptr,
       "\xDC"
       "ber 2 unbekannt"},
  };
  for (int i = 0; i < 4; ++i) {
    Pruefung& p = pruefungen[i];
    if (p.text->IsEmpty()) {
      if (p.leer) {
        MessageBox(p.leer, kZolmaUnvollstaendig, MB_OK);
        p.field->SetFocus();
        return false;
      }
      continue;
    }
    char name[kNameBuf];
    int nr = BhfSuchen(*p.text, name, 0);
    if (nr < 0) {
      MessageBox(p.unbekannt, kZolmaUnvollstaendig, MB_OK);
      p.field->SetFocus();
      p.field->SendMessage(EM_SETSEL, 0, -1);
      p.field->SendMessage(EM_SCROLLCARET);
      return false;
    }
    p.field->SetWindowText(name);
    nummer[i] = nr;
  }
  return true;
}

bool CZOLMADlg::entfernungBerechnen(const int nummer[4], EbErgebnis* ergebnis) {
  EbAnfrage anfrage;
  EbAbschnitte abschnitte;
  std::memset(&abschnitte, 0, sizeof abschnitte);
  EbAnfrageFuellen(&anfrage, UtToday(), nummer[0], nummer[1], nummer[2], nummer[3], '1');

  MsgTrapFrame frame;
  int ergebnisCode = 0;
  int raised =
      MsgTry(frame, [&] { ergebnisCode = ZolmaEntfernung(ergebnis, &abschnitte, &anfrage, 0); });
  if (raised != 0) {
    // A raise reached this frame: the raise has taken it off the chain
    // already, so it is not popped again.
    MessageBox("Fehler in EB", kKrv, MB_OK);
    MsgWrite(frame.received);
    MsgFree(frame.received);
    frame.received = nullptr;
    selectFocusedField();
    clearResult();
    return false;
  }
  if (ergebnisCode != 0) {
    engineCodeMelden(ergebnisCode);
    clearResult();
    selectFocusedField();
    return false;
  }
  return true;
}

void CZOLMADlg::engineCodeMelden(int ergebnisCode) {
  char text[kMsgBuf + 1] = {0};
  if (ergebnisCode == EB_RC_FBRR_ABSCHNITT) {
    copyBounded(text, sizeof text, "Unbekannte VXT-Relation");
  } else if (ergebnisCode == EB_RC_KEINE_RELATION) {
    copyBounded(text, sizeof text, "Keine VXT-Relation gefunden");
  } else if (ergebnisCode > 0 && ergebnisCode <= 0xFFFF &&
             MsgFormat(text, kMsgBuf, 'D', "EB", static_cast<std::uint16_t>(ergebnisCode), 0, "") ==
                 0) {
    Din66003ToAnsi(text);
  } else {
    std::snprintf(text, sizeof text, "Fehler in EB, ErrCode %d\n", ergebnisCode);
  }
  MessageBox(text, kKrv, MB_OK);
}

void CZOLMADlg::ergebnisZeigen(const int nummer[4], const EbErgebnis& ergebnis) {
  m_Von.SetWindowText(m_strAbgang);
  m_Nach.SetWindowText(m_strZiel);
  m_U1.SetWindowText("");
  m_U1Label.ShowWindow(SW_HIDE);
  m_U2.SetWindowText("");
  m_U2Label.ShowWindow(SW_HIDE);
  CWnd* rowLabel[2] = {&m_U1Label, &m_U2Label};
  CWnd* rowName[2] = {&m_U1, &m_U2};
  int row = 0;
  if (nummer[2] != 0) {
    rowLabel[row]->SetWindowText(
        "\xDC"
        "ber 1:");
    rowName[row]->SetWindowText(m_strUeber1);
    rowLabel[row]->ShowWindow(SW_SHOW);
    ++row;
  }
  if (nummer[3] != 0) {
    rowLabel[row]->SetWindowText(
        "\xDC"
        "ber 2:");
    rowName[row]->SetWindowText(m_strUeber2);
    rowLabel[row]->ShowWindow(SW_SHOW);
  }

  char wegetext[EB_WEGETEXT_LAENGE + 1];
  std::memcpy(wegetext, ergebnis.hin.wegetext, EB_WEGETEXT_LAENGE);
  wegetext[EB_WEGETEXT_LAENGE] = '\0';
  TrimRight(wegetext);
  DosToAnsi(wegetext);
  for (char* p = wegetext; *p; ++p)
    if (*p == '$') *p = '*';
  const char* shown = wegetext[0] == '*' ? wegetext + 1 : wegetext;
  m_Wegetext[0].SetWindowText(shown);

  std::int32_t km = ZolmaKmSumme(ergebnis.hin);
  char kmText[32];
  std::snprintf(kmText, sizeof kmText, "%d km", static_cast<int>(km));
  m_Entfernung.SetWindowText(kmText);

  selectFocusedField();
  m_Drucken.EnableWindow(TRUE);
}
