// zolmadlg.h - the main dialog and the about box.
//
// CZOLMADlg is the program's only main window: four station fields
// (origin, destination, two vias), the result area (the stations resolved,
// the distance, the route text) and the buttons for the calculation,
// printing, the 50 km list and the end.
#ifndef ZOLMA_APP_ZOLMADLG_H
#define ZOLMA_APP_ZOLMADLG_H

#include <cstdint>

#include "app/resource.h"
#include "engine/eb.h"
#include "platform/ui/afxwin.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};

class CZOLMADlg : public CDialog {
 public:
  explicit CZOLMADlg(CWnd* parent = nullptr);
  ~CZOLMADlg() override = default;

  // Controls of the template, attached by the data exchange.
  CEdit m_Abgang, m_Ziel, m_Ueber1, m_Ueber2;                              // 1000 .. 1003
  CStatic m_ProduktLabel;                                                  // 1004
  CListBox m_Produkt;                                                      // 1005
  CStatic m_VxtAbgangLabel, m_VxtZielLabel, m_VxtLp1Label, m_VxtLp2Label;  // 1006 .. 1012
  CEdit m_VxtAbgang, m_VxtZiel, m_VxtLp1, m_VxtLp2;                        // 1007 .. 1013
  CStatic m_VonLabel, m_Von, m_NachLabel, m_Nach;                          // 1014 .. 1017
  CStatic m_U1Label, m_U1, m_U2Label, m_U2;                                // 1018, 1019, 1028, 1029
  CStatic m_VxtWerte[8];                                                   // 1020 .. 1027
  CStatic m_EntfernungLabel, m_Entfernung;                                 // 1030, 1031
  CButton m_Berechnen, m_Drucken, m_50km, m_Beenden;                       // 1032 .. 1035
  CStatic m_WegetextLabel;                                                 // 1036
  CStatic m_Wegetext[4];                                                   // 1037 .. 1040
  CButton m_OK;                                                            // 1

  // Text members exchanged with the controls.
  CString m_strAbgang, m_strZiel, m_strUeber1, m_strUeber2;
  CString m_strVxtAbgang, m_strVxtZiel, m_strVxtLp1, m_strVxtLp2;
  CString m_strVon, m_strNach, m_strU1, m_strU2;
  CString m_strVxtWerte[4];  // 1021, 1023, 1025, 1027
  CString m_strEntfernung;
  CString m_strWegetext[4];

  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnSysCommand(UINT id, LPARAM param) override;
  void OnPaint() override;
  HICON OnQueryDragIcon() { return m_hIcon; }

  void OnBeenden();
  void OnBerechnen();
  void DoDrucken();
  void On50kmListe();

  DECLARE_MESSAGE_MAP()

 private:
  // Selects the whole text of the focused station field and scrolls its
  // caret into view.
  void selectFocusedField();
  // Empties the names, the via rows and the distance after a failure.
  void clearResult();
  // After an allocation failed in a handler: the display emptied,
  // "&Drucken" disabled, and the message box "Nicht genug Speicher".
  void speicherFehlt();

  // "&Berechnen" and "50 km Li&ste" themselves; their handlers catch a
  // failed allocation.
  void berechnen();
  void liste();
  // The steps of "&Berechnen". Resolves the four station fields into
  // nummer (0 for an empty via) and writes each proper name back; false
  // after a message about a field that cannot be used.
  bool stationenAufloesen(int nummer[4]);
  // Runs the engine under an error trap frame; false after the message
  // about a raise or a raise code.
  bool entfernungBerechnen(const int nummer[4], EbErgebnis* ergebnis);
  // The message box for a raise code the engine returned.
  void engineCodeMelden(int ergebnisCode);
  // Shows the stations, the via rows, the route text and the distance.
  void ergebnisZeigen(const int nummer[4], const EbErgebnis& ergebnis);
  HICON m_hIcon;
};

// The window title "<caption> - Daten vom DD.MM.YYYY" for a data-time stamp.
CString ZolmaTitel(const char* caption, long stamp);

// One distance request of the dialog (the calculation and the 50 km list):
// the engine's EbGfEntfernungsBerechnung, unless a test has put a stand-in
// in its place with ZolmaTestSetEngine (null restores the engine).
struct EbErgebnis;
struct EbAbschnitte;
struct EbAnfrage;
using ZolmaEngineFn = std::int32_t (*)(EbErgebnis*, EbAbschnitte*, EbAnfrage*, std::uint32_t);
std::int32_t ZolmaEntfernung(EbErgebnis* ergebnis, EbAbschnitte* abschnitte, EbAnfrage* anfrage,
                             std::uint32_t flags);
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void ZolmaTestSetEngine(ZolmaEngineFn fn);
#endif
// The request function in use: the stand-in, else the engine's.
ZolmaEngineFn ZolmaEngine();

// The station fields, in the order Enter moves through them: the
// caption of the picker each opens and the control the focus moves to.
struct ZolmaFeld {
  int id;
  const char* pickerCaption;
  int next;
};
inline constexpr ZolmaFeld kFelder[] = {
    {IDC_ABGANG, "Abgangsbahnhof eingeben", IDC_ZIEL},
    {IDC_ZIEL, "Zielbahnhof eingeben", IDC_UEBER1},
    {IDC_UEBER1,
     "1. \xDC"
     "ber-Bahnhof eingeben",
     IDC_UEBER2},
    {IDC_UEBER2,
     "2. \xDC"
     "ber-Bahnhof eingeben",
     IDC_BERECHNEN},
};

// The caption of the message boxes about station input that cannot be used.
inline constexpr char kZolmaUnvollstaendig[] =
    "Unvollst\xE4"
    "ndige Daten";

// The distance of one direction of an answer: "Km-WZ-VXT" + "Km-DR-VXT" +
// "Km-WZ" + "Km-DR" as a signed 32-bit number (added without overflow).
struct EbWeg;
std::int32_t ZolmaKmSumme(const EbWeg& weg);

#endif  // ZOLMA_APP_ZOLMADLG_H
