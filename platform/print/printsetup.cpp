// printsetup.cpp - the device settings prompt (see printsetup.h).
//
// A dialog of our window layer, built from a template registered at its
// first use. Lists are in the order of their codes; the copies field takes
// 1 to 999.
#include "platform/print/printsetup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/print/printdev.h"

namespace {

const char* const kAusrichtung[] = {"Hochformat", "Querformat"};
const short kAusrichtungCode[] = {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE};
const char* const kPapier[] = {"A4", "A5", "A3", "Letter"};
const short kPapierCode[] = {DMPAPER_A4, DMPAPER_A5, DMPAPER_A3, DMPAPER_LETTER};
const char* const kDuplex[] = {"Aus", "Lange Seite", "Kurze Seite"};
const short kDuplexCode[] = {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL};

void registerTemplate() {
  if (AfxFindTemplate(IDD_PR_EINSTELLUNGEN)) return;
  auto label = [](const char* text, int x, int y) {
    return DlgItemTemplate{-1, CtlClass::Static, text, x, y, 44, 8, 0};
  };
  auto list = [](int id, int x, int y, int cy) {
    return DlgItemTemplate{
        id, CtlClass::ListBox, "", x, y, 70, cy, WS_TABSTOP | WS_BORDER | LBS_NOTIFY};
  };
  AfxRegisterTemplate(DlgTemplate{
      IDD_PR_EINSTELLUNGEN,
      "Druckeinstellungen",
      190,
      124,
      "MS Sans Serif",
      {
          label("&Ausrichtung:", 7, 9),
          list(IDC_PR_AUSRICHTUNG, 55, 7, 20),
          label("&Papier:", 7, 33),
          list(IDC_PR_PAPIER, 55, 31, 36),
          label("&Kopien:", 7, 73),
          DlgItemTemplate{IDC_PR_KOPIEN, CtlClass::Edit, "", 55, 71, 30, 14,
                          WS_TABSTOP | WS_BORDER},
          label("&Duplex:", 7, 93),
          list(IDC_PR_DUPLEX, 55, 91, 28),
          DlgItemTemplate{IDOK, CtlClass::Button, "OK", 133, 7, 50, 14,
                          WS_TABSTOP | BS_DEFPUSHBUTTON},
          DlgItemTemplate{IDCANCEL, CtlClass::Button, "Abbrechen", 133, 24, 50, 14, WS_TABSTOP},
      }});
}

template <size_t N>
int codeIndex(const short (&codes)[N], short code) {
  for (size_t i = 0; i < N; ++i)
    if (codes[i] == code) return static_cast<int>(i);
  return 0;
}

class SettingsDialog : public CDialog {
 public:
  SettingsDialog(CWnd* owner, const std::string& printer, DEVMODEA& dm)
      : CDialog(IDD_PR_EINSTELLUNGEN, owner), printer_(printer), dm_(dm) {}

  CListBox m_Ausrichtung, m_Papier, m_Duplex;
  CEdit m_Kopien;

  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_PR_AUSRICHTUNG, m_Ausrichtung);
    DDX_Control(dx, IDC_PR_PAPIER, m_Papier);
    DDX_Control(dx, IDC_PR_KOPIEN, m_Kopien);
    DDX_Control(dx, IDC_PR_DUPLEX, m_Duplex);
  }

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    CString title;
    title.Format("Druckeinstellungen - %s", printer_.c_str());
    SetWindowText(title);
    for (const char* s : kAusrichtung) m_Ausrichtung.AddString(s);
    for (const char* s : kPapier) m_Papier.AddString(s);
    for (const char* s : kDuplex) m_Duplex.AddString(s);
    m_Ausrichtung.SetCurSel(codeIndex(kAusrichtungCode, dm_.dmOrientation));
    m_Papier.SetCurSel(codeIndex(kPapierCode, dm_.dmPaperSize));
    m_Duplex.SetCurSel(codeIndex(kDuplexCode, dm_.dmDuplex));
    CString copies;
    copies.Format("%d", dm_.dmCopies);
    m_Kopien.LimitText(3);
    m_Kopien.SetWindowText(copies);
    return TRUE;
  }

  void OnOK() override {
    CString text;
    m_Kopien.GetWindowText(text);
    char* end = nullptr;
    long copies = std::strtol(text, &end, 10);
    if (text.IsEmpty() || (end && *end) || copies < 1 || copies > 999) {
      MessageBox("Bitte als Kopien eine Zahl von 1 bis 999 eingeben.", "Druckeinstellungen", MB_OK);
      m_Kopien.SetFocus();
      return;
    }
    int a = m_Ausrichtung.GetCurSel(), p = m_Papier.GetCurSel(), d = m_Duplex.GetCurSel();
    if (a >= 0) dm_.dmOrientation = kAusrichtungCode[a];
    if (p >= 0) {
      dm_.dmPaperSize = kPapierCode[p];
      std::snprintf(dm_.dmFormName, sizeof dm_.dmFormName, "%s", kPapier[p]);
    }
    if (d >= 0) dm_.dmDuplex = kDuplexCode[d];
    dm_.dmCopies = static_cast<short>(copies);
    EndDialog(IDOK);
  }

 private:
  std::string printer_;
  DEVMODEA& dm_;
};

}  // namespace

int PrRunSettingsPrompt(HWND owner, const std::string& printer, DEVMODEA& dm) {
  registerTemplate();
  DEVMODEA work = dm;
  SettingsDialog dlg(owner, printer, work);
  if (dlg.DoModal() != IDOK) return IDCANCEL;
  dm = work;
  return IDOK;
}
