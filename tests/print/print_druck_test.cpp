// Tests of printing the result page and the 50 km list on the recording
// backend: every set-up, page and closing step failing, the settings
// prompt, the page layout computed from the reported text height, and the
// list's pages.
#include <gtest/gtest.h>

#include <cstring>

#include "app/druck.h"
#include "app/preview.h"
#include "app/resource.h"
#include "app/zolmadlg.h"
#include "common/dtacc/dm/dmbase.h"
#include "platform/print/printsetup.h"
#include "support/utday.h"
#include "support/utfault.h"
#include "tests/print/druckhilfe.h"

namespace {

const char kCaption[] = "Fehler beim Drucken";
// 10.12.2026 12:00 UTC and 1.2.2018 12:00 UTC.
constexpr std::time_t kJetzt = 1796904000;
constexpr std::int32_t kDatenStand = 1517486400;

// Text heights of the recording backend: em x (0.91 + 0.22), so Bold and
// Normal of 240 twips report 271, Klein 136, Normal of 180 203.
PrRecorderConfig config() {
  PrRecorderConfig c;
  c.ascent = 0.91;
  c.descent = 0.22;
  return c;
}

class PrintDruck : public ::testing::Test {
 protected:
  void SetUp() override {
    ZolmaRegisterResources();
    PrTestInstallRecorder(config());
    UtTestSetTimeZone("UTC0");
    UtTestSetFixedTime(kJetzt);
    savedStamp_ = DbDatenZeitstempel;
    DbDatenZeitstempel = kDatenStand;
  }
  void TearDown() override {
    PrTestUninstall();
    UtTestSetClock(nullptr);
    UtTestSetTimeZone(nullptr);
    DbDatenZeitstempel = savedStamp_;
  }

  struct Ergebnis {
    const char* von = "Hamburg Hbf";
    const char* nach = "M\xFCnchen Hbf";
    const char* u1 = "";
    const char* u2 = "";
    const char* wegetext = "Hamburg*Hannover*W\xFCrzburg";
    const char* km = "776 km";
  };

  // Fills the main dialog's result area as a calculation would and enables
  // "&Drucken".
  static void fill(CDialog& d, const Ergebnis& e) {
    d.control(IDC_VON)->text = e.von;
    d.control(IDC_NACH)->text = e.nach;
    d.control(IDC_U1)->text = e.u1;
    d.control(IDC_U2)->text = e.u2;
    d.control(IDC_WEGETEXT1)->text = e.wegetext;
    d.control(IDC_ENTFERNUNG)->text = e.km;
    d.control(IDC_DRUCKEN)->enabled = true;
  }

  // Runs the main dialog: fill, click "&Drucken" (with mods), then what
  // `more` scripts, then close.
  void drucke(OwnerHost& host, CZOLMADlg& dlg, const Ergebnis& e, unsigned mods = 0,
              const std::function<void(OwnerHost&)>& more = nullptr) {
    host.check([e](CDialog& d) { fill(d, e); }).click(IDC_DRUCKEN, mods);
    if (more) more(host);
    host.close();
    dlg.DoModal();
    EXPECT_EQ(host.remaining(), 0u);
  }

  std::int32_t savedStamp_ = 0;
};

struct Zeile {
  std::string text;
  int x, y, height, weight;
  DWORD pitch;
};

std::vector<Zeile> zeilen(const PrPage& page) {
  std::vector<Zeile> out;
  for (const PrTextOp& t : TextsOf(page))
    out.push_back(Zeile{t.text, t.x, t.y, t.font.height, t.font.weight, t.font.pitchAndFamily});
  return out;
}

void expectZeile(const Zeile& z, const std::string& text, int x, int y, int height, int weight,
                 DWORD pitch) {
  EXPECT_EQ(z.text, text);
  EXPECT_EQ(z.x, x) << text;
  EXPECT_EQ(z.y, y) << text;
  EXPECT_EQ(z.height, height) << text;
  EXPECT_EQ(z.weight, weight) << text;
  EXPECT_EQ(z.pitch, pitch) << text;
}

constexpr DWORD kFest = FIXED_PITCH | FF_MODERN;
constexpr DWORD kVariabel = VARIABLE_PITCH | FF_SWISS;
const char kDatum[] = "Berechnung vom 10.12.2026 (Daten vom 01.02.2018)";

// ---- the result page ------------------------------------------------------------------

TEST_F(PrintDruck, ResultPageWithoutViasFollowsTheTextHeight) {
  OwnerHost host;
  CZOLMADlg dlg;
  drucke(host, dlg, Ergebnis{});
  EXPECT_TRUE(host.boxes().empty());
  ASSERT_EQ(PrTestSubmitted().size(), 1u);
  const PrDocument& doc = PrTestSubmitted()[0];
  EXPECT_EQ(doc.name, "KRV Entfernungsberechnung");
  EXPECT_EQ(doc.printer, "Testdrucker");
  EXPECT_EQ(doc.settings.dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(doc.settings.dmPaperSize, DMPAPER_A4);
  EXPECT_EQ(doc.settings.dmCopies, 1);
  EXPECT_EQ(doc.settings.dmDuplex, DMDUP_SIMPLEX);
  ASSERT_EQ(doc.pages.size(), 1u);

  // H = 271 (Bold), s = 298.
  auto z = zeilen(doc.pages[0]);
  ASSERT_EQ(z.size(), 6u);
  expectZeile(z[0], "Ergebnis der Entfernungsberechnung:", 610, -554, -240, 700, kFest);
  expectZeile(z[1], "Von:           Hamburg Hbf", 610, -554 - 596, -240, 700, kFest);
  expectZeile(z[2], "Nach:          M\xFCnchen Hbf", 610, -1150 - 298, -240, 700, kFest);
  expectZeile(z[3], "Wegetext:      Hamburg*Hannover*W\xFCrzburg", 610, -1448 - 596, -240, 400,
              kVariabel);
  expectZeile(z[4], "Entfernung:    776 km", 610, -2044 - 596, -240, 700, kFest);
  expectZeile(z[5], kDatum, 610, -2640 - 596, -120, 400, kFest);
  for (const PrTextOp& t : TextsOf(doc.pages[0])) {
    EXPECT_EQ(t.font.face, "Courier New");
    EXPECT_EQ(t.color, RGB(0, 0, 0));
  }

  // The title underlined at its text height, as wide as the title
  // (35 letters of 0.6 em).
  int lines = 0;
  for (const PrOp& op : doc.pages[0].ops)
    if (auto* l = std::get_if<PrLineOp>(&op)) {
      ++lines;
      EXPECT_EQ(l->x0, 610);
      EXPECT_EQ(l->y0, -554 - 271);
      EXPECT_EQ(l->x1, 610 + 35 * 144);
      EXPECT_EQ(l->y1, -554 - 271);
    }
  EXPECT_EQ(lines, 1);

  // The logo: 550 high, 200 / 60 x 550 = 1833 wide, right edge 610 from
  // the page's.
  auto b = BitmapsOf(doc.pages[0]);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0].x, 11420 - 1833 - 610);
  EXPECT_EQ(b[0].y, -554);
  EXPECT_EQ(b[0].w, 1833);
  EXPECT_EQ(b[0].h, -550);
  EXPECT_DOUBLE_EQ(b[0].sw, 200.0);
  EXPECT_DOUBLE_EQ(b[0].sh, 60.0);
  EXPECT_TRUE(PrTestLive().empty());

  // The fonts as created.
  std::vector<std::string> fonts;
  for (const PrCall& c : PrTestCalls())
    if (c.name == "CreateFontA") fonts.push_back(c.args);
  EXPECT_EQ(fonts, (std::vector<std::string>{
                       "-240, 0, 0, 0, 700, 0, 0, 0, 0, 7, 0x20, 2, 0x31, \"Courier New\"",
                       "-120, 0, 0, 0, 400, 0, 0, 0, 0, 7, 0x20, 2, 0x31, \"Courier New\"",
                       "-240, 0, 0, 0, 400, 0, 0, 0, 0, 7, 0x20, 2, 0x22, \"Courier New\""}));
}

TEST_F(PrintDruck, ResultPageViaRowsPrintByPosition) {
  struct Fall {
    const char* u1;
    const char* u2;
    std::vector<std::string> via;
  };
  const Fall faelle[] = {
      {"Hannover Hbf",
       "W\xFCrzburg Hbf",
       {"\xDC"
        "ber 1:        Hannover Hbf",
        "\xDC"
        "ber 2:        W\xFCrzburg Hbf"}},
      // Via 2 alone stands in the dialog's first row and prints as "Über 1:".
      {"W\xFCrzburg Hbf",
       "",
       {"\xDC"
        "ber 1:        W\xFCrzburg Hbf"}},
  };
  for (const Fall& f : faelle) {
    PrTestInstallRecorder(config());
    OwnerHost host;
    CZOLMADlg dlg;
    Ergebnis e;
    e.u1 = f.u1;
    e.u2 = f.u2;
    drucke(host, dlg, e);
    ASSERT_EQ(PrTestSubmitted().size(), 1u);
    auto z = zeilen(PrTestSubmitted()[0].pages[0]);
    ASSERT_EQ(z.size(), 6u + f.via.size());
    int y = -1448;
    for (size_t i = 0; i < f.via.size(); ++i) {
      y -= 298;
      expectZeile(z[3 + i], f.via[i], 610, y, -240, 400, kVariabel);
    }
    size_t w = 3 + f.via.size();
    expectZeile(z[w], "Wegetext:      Hamburg*Hannover*W\xFCrzburg", 610, y - 596, -240, 400,
                kVariabel);
    expectZeile(z[w + 1], "Entfernung:    776 km", 610, y - 2 * 596, -240, 700, kFest);
    expectZeile(z[w + 2], kDatum, 610, y - 3 * 596, -120, 400, kFest);
  }
}

TEST_F(PrintDruck, RouteTextWrapsOntoOneContinuationLine) {
  // Normal letters are 0.5 x 240 = 120 wide: the first line holds 85
  // characters from x = 610 to the right margin at 11420 - 610, that is
  // 70 of route text after the label; the continuation line starts under
  // the route text's first character (610 + 15 x 120) and holds 70.
  const int spalte = 610 + 15 * 120;
  std::string bahnhoefe;  // 184 characters, a '*' after every seventh
  for (int i = 0; i < 23; ++i) bahnhoefe += "Bahnhof*";
  const std::string kronach =
      "F\xFCrth*Forchheim*Bamberg*Bad Staffelstein*Lichtenfels*(Hochstadt-Marktzeuln)*";
  struct Fall {
    const char* name;
    std::string wegetext;
    std::string erste;   // after the label
    std::string zweite;  // "" = no continuation line
  };
  const std::vector<Fall> faelle = {
      {"30 characters fit", std::string(30, 'x'), std::string(30, 'x'), ""},
      {"70 characters fit exactly", std::string(70, 'x'), std::string(70, 'x'), ""},
      {"break after the last '*' that fits", kronach + "Kronach",
       "F\xFCrth*Forchheim*Bamberg*Bad Staffelstein*Lichtenfels*",
       "(Hochstadt-Marktzeuln)*Kronach"},
      {"100 characters",
       std::string(40, 'a') + "*" + std::string(25, 'b') + "*" + std::string(33, 'c'),
       std::string(40, 'a') + "*" + std::string(25, 'b') + "*", std::string(33, 'c')},
      {"a blank breaks and is dropped", std::string(60, 'a') + " " + std::string(39, 'b'),
       std::string(60, 'a'), std::string(39, 'b')},
      {"a blank as the last character that fits", std::string(69, 'a') + " " + std::string(30, 'b'),
       std::string(69, 'a'), std::string(30, 'b')},
      {"no '*' or blank: hard break", std::string(100, 'h'), std::string(70, 'h'),
       std::string(30, 'h')},
      {"the soft break would overfill the second line", "aaaa*" + std::string(135, 'b'),
       "aaaa*" + std::string(65, 'b'), std::string(70, 'b')},
      {"too long for two lines: the second is cut", bahnhoefe, bahnhoefe.substr(0, 64),
       bahnhoefe.substr(64, 70)},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    PrTestInstallRecorder(config());
    OwnerHost host;
    CZOLMADlg dlg;
    Ergebnis e;
    e.wegetext = f.wegetext.c_str();
    drucke(host, dlg, e);
    EXPECT_TRUE(host.boxes().empty());
    ASSERT_EQ(PrTestSubmitted().size(), 1u);
    auto z = zeilen(PrTestSubmitted()[0].pages[0]);
    const size_t extra = f.zweite.empty() ? 0 : 1;
    ASSERT_EQ(z.size(), 6u + extra);
    expectZeile(z[3], "Wegetext:      " + f.erste, 610, -2044, -240, 400, kVariabel);
    if (extra) expectZeile(z[4], f.zweite, spalte, -2044 - 298, -240, 400, kVariabel);
    // Every other line keeps its place.
    expectZeile(z[4 + extra], "Entfernung:    776 km", 610, -2044 - 596, -240, 700, kFest);
    expectZeile(z[5 + extra], kDatum, 610, -2640 - 596, -120, 400, kFest);
    for (const Zeile& l : z) EXPECT_LE(l.text.size(), 99u) << l.text;
  }
}

TEST_F(PrintDruck, NoteSaysWhereTheDocumentWentOnlyAfterASuccess) {
  std::string note;
  EXPECT_FALSE(PrTakeDocumentNote(note));
  {
    OwnerHost host;
    CZOLMADlg dlg;
    drucke(host, dlg, Ergebnis{});
  }
  ASSERT_TRUE(PrTakeDocumentNote(note));
  EXPECT_EQ(note,
            "An Drucker Testdrucker \xFC"
            "bergeben");
  EXPECT_FALSE(PrTakeDocumentNote(note));

  // A failed print, and one cancelled in the settings prompt, leave no
  // note, not even one of an earlier print that nobody took.
  struct Fall {
    const char* name;
    const char* call;
    int occurrence;
    long long result;
  };
  // Occurrences count from the install: the second print's calls.
  const Fall faelle[] = {{"EndDoc fails", "EndDoc", 2, -1},
                         {"StartDoc fails", "StartDocA", 2, 0},
                         {"prompt cancelled", "DocumentPropertiesA", 6, IDCANCEL}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    PrTestInstallRecorder(config());
    {
      OwnerHost ok;
      CZOLMADlg dlg;
      drucke(ok, dlg, Ergebnis{});
    }
    UtFaultFailCall(f.call, f.occurrence, f.result, 5);
    OwnerHost host;
    CZOLMADlg dlg;
    drucke(host, dlg, Ergebnis{}, 0, [&f](OwnerHost& h) {
      if (f.result != IDCANCEL)
        h.expectBox(std::string("Kann Drucker nicht ") + (std::string(f.call) == "EndDoc"
                                                              ? "schlie\xDF"
                                                                "en: EndDoc 5"
                                                              : "\xF6"
                                                                "ffnen: StartDoc 5"),
                    kCaption);
    });
    EXPECT_FALSE(PrTakeDocumentNote(note));
  }
}

// ---- every step failing ------------------------------------------------------------

struct Schritt {
  const char* call;
  int occurrence;
  long long result;
  std::string text;        // "" = no message
  bool submitted = false;  // the document was handed on before the failure
};

std::string oeffnen(const std::string& s) {
  return "Kann Drucker nicht \xF6"
         "ffnen: " +
         s;
}
std::string schliessen(const std::string& s) {
  return "Kann Drucker nicht schlie\xDF"
         "en: " +
         s;
}

TEST_F(PrintDruck, EveryStepOfTheResultPageFailing) {
  const DWORD e = 4711;
  const std::vector<Schritt> schritte = {
      {"GetVersionExA", 1, 0, oeffnen("GetDefaultPrinterName")},
      {"GetProfileStringA", 1, 99, oeffnen("GetDefaultPrinterName")},
      {"OpenPrinterA", 1, 0, oeffnen("OpenPrinter 4711")},
      {"GetPrinterA", 1, 0, oeffnen("GetPrinter 4711")},
      {"GetPrinterA", 1, 1, oeffnen("GetPrinter 4711")},
      {"malloc", 1, 0, "Kann keinen Speicher anlegen"},
      {"GetPrinterA", 2, 0, oeffnen("GetPrinter (2) 4711")},
      {"DocumentPropertiesA", 1, -1, oeffnen("DocumentProperties 4711")},
      {"DocumentPropertiesA", 1, 155, oeffnen("DocumentProperties 155 bytes")},
      {"malloc", 2, 0, "Kann keinen Speicher anlegen (2)"},
      {"DocumentPropertiesA", 2, -1, oeffnen("DocumentProperties (2) 4711")},
      {"DocumentPropertiesA", 2, 5, oeffnen("DocumentProperties (2) 5 bytes")},
      {"DocumentPropertiesA", 3, -1, oeffnen("DocumentProperties (3) 4711")},
      {"DocumentPropertiesA", 3, 7, oeffnen("DocumentProperties (3) 7 bytes")},
      {"DocumentPropertiesA", 3, IDCANCEL, ""},
      {"CreateDCA", 1, 0, oeffnen("CreateDC 4711")},
      {"StartDocA", 1, 0, oeffnen("StartDoc 4711")},
      {"SetMapMode", 1, 0, oeffnen("SetMapMode 4711")},
      {"GetWindowExtEx", 1, 0, oeffnen("GetWindowExtEx 4711")},
      {"GetWindowOrgEx", 1, 0, oeffnen("GetWindowOrgEx 4711")},
      {"GetViewportOrgEx", 1, 0, oeffnen("GetViewportOrgEx 4711")},
      {"CreateFontA", 1, 0, oeffnen("CreateFont Bold 4711")},
      {"CreateFontA", 2, 0, oeffnen("CreateFont Klein 4711")},
      {"CreateFontA", 3, 0, oeffnen("CreateFont Normal 4711")},
      {"SelectObject", 1, 0, oeffnen("SelectObject Bold 4711")},
      {"GetTextMetricsA", 1, 0, oeffnen("GetTextMetrics Bold 4711")},
      {"SelectObject", 2, 0, oeffnen("SelectObject Standard 4711")},
      {"SelectObject", 3, 0, oeffnen("SelectObject Klein 4711")},
      {"GetTextMetricsA", 2, 0, oeffnen("GetTextMetrics Klein 4711")},
      {"SelectObject", 4, 0, oeffnen("SelectObject Standard 4711")},
      {"SelectObject", 5, 0, oeffnen("SelectObject Normal 4711")},
      {"GetTextMetricsA", 3, 0, oeffnen("GetTextMetrics Normal 4711")},
      {"SelectObject", 6, 0, oeffnen("SelectObject Standard 4711")},
      {"SelectObject", 7, 0, oeffnen("SelectObject Bold 4711")},
      // The page.
      {"StartPage", 1, 0, oeffnen("StartPage 4711")},
      {"SetMapMode", 2, 0, oeffnen("SetMapMode 4711")},
      {"SelectObject", 8, 0, oeffnen("SelectObject Bold 4711")},
      {"SelectObject", 9, 0, oeffnen("SelectObject Normal 4711")},
      {"SelectObject", 10, 0, oeffnen("SelectObject Bold 4711")},
      {"SelectObject", 11, 0, oeffnen("SelectObject Klein 4711")},
      {"EndPage", 1, 0, schliessen("EndPage 4711")},
      // Closing.
      {"SelectObject", 14, 0, schliessen("SelectObject Standard 4711")},
      {"EndDoc", 1, 0, schliessen("EndDoc 4711")},
      {"DeleteObject", 2, 0, schliessen("DeleteObject Normal 4711"), true},
      {"DeleteObject", 3, 0, schliessen("DeleteObject Klein 4711"), true},
      {"DeleteObject", 4, 0, schliessen("DeleteObject Bold 4711"), true},
      {"DeleteDC", 2, 0, schliessen("DeleteDC 4711"), true},
      {"ClosePrinter", 1, 0, schliessen("ClosePrinter 4711"), true},
  };
  for (const Schritt& s : schritte) {
    SCOPED_TRACE(std::string(s.call) + " #" + std::to_string(s.occurrence) + " -> " +
                 std::to_string(s.result));
    PrTestInstallRecorder(config());
    UtFaultFailCall(s.call, s.occurrence, s.result, e);
    OwnerHost host;
    CZOLMADlg dlg;
    drucke(host, dlg, Ergebnis{}, 0, [&s](OwnerHost& h) {
      if (!s.text.empty()) h.expectBox(s.text, kCaption);
    });
    ASSERT_EQ(host.boxes().size(), s.text.empty() ? 0u : 1u);
    if (!s.text.empty()) {
      ASSERT_EQ(host.owners.size(), 1u);
      EXPECT_EQ(host.owners[0], &dlg);
    }
    EXPECT_EQ(PrTestSubmitted().size(), s.submitted ? 1u : 0u);
    int failed = CallIndex(s.call, s.occurrence);
    ASSERT_GE(failed, 0);
    ExpectReleasedInReverse(failed);
    // Only an object whose own release failed is left.
    std::vector<std::string> left;
    std::string name = s.call;
    if (name == "DeleteObject" || name == "DeleteDC" || name == "ClosePrinter")
      left.push_back(PrTestCalls()[static_cast<size_t>(failed)].handle);
    EXPECT_EQ(PrTestLive(), left);
  }
}

TEST_F(PrintDruck, LogoStepsFailQuietly) {
  for (const char* call : {"LoadBitmapA", "CreateCompatibleDC"}) {
    SCOPED_TRACE(call);
    PrTestInstallRecorder(config());
    UtFaultFailCall(call, 1, 0, 5);
    OwnerHost host;
    CZOLMADlg dlg;
    drucke(host, dlg, Ergebnis{});
    EXPECT_TRUE(host.boxes().empty());
    ASSERT_EQ(PrTestSubmitted().size(), 1u);
    EXPECT_TRUE(BitmapsOf(PrTestSubmitted()[0].pages[0]).empty());
    EXPECT_EQ(zeilen(PrTestSubmitted()[0].pages[0]).size(), 6u);
    EXPECT_TRUE(PrTestLive().empty());
  }
}

TEST_F(PrintDruck, DefaultPrinterOnBothPlatformFamilies) {
  struct Fall {
    DWORD platform, major;
    std::vector<PrPrinterInfo> printers;
    std::string def;
    int result;
    std::string name;
  };
  const std::string lang(100, 'L');  // one more than the buffer holds
  const std::vector<Fall> faelle = {
      {VER_PLATFORM_WIN32_NT, 6, {{"Laser 3", "LPT1:", "", "", ""}}, "Laser 3", 0, "Laser 3"},
      {VER_PLATFORM_WIN32_NT, 6, {}, "", 0, ""},
      {VER_PLATFORM_WIN32_NT, 6, {{lang, "X:", "", "", ""}}, lang, ERROR_INSUFFICIENT_BUFFER, ""},
      {VER_PLATFORM_WIN32_NT,
       15,
       {{"Laser 3", "LPT1:", "", "", ""}},
       "Laser 3",
       ERROR_INSUFFICIENT_BUFFER,
       ""},
      {VER_PLATFORM_WIN32_WINDOWS, 4, {{"Laser 3", "LPT1:", "", "", ""}}, "Laser 3", 0, "Laser 3"},
      {VER_PLATFORM_WIN32_WINDOWS, 4, {}, "", 0, ""},
      {VER_PLATFORM_WIN32_WINDOWS,
       4,
       {{lang, "X:", "", "", ""}},
       lang,
       ERROR_INSUFFICIENT_BUFFER,
       ""},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.def + " on platform " + std::to_string(f.platform));
    PrRecorderConfig c = config();
    c.printers = f.printers;
    c.defaultPrinter = f.def;
    PrTestInstallRecorder(c);
    PrTestSetVersion(f.platform, f.major, 0);
    char name[100] = "?";
    EXPECT_EQ(GetDefaultPrinterName(name, sizeof name), f.result);
    if (f.result == 0) {
      EXPECT_STREQ(name, f.name.c_str());
    }
    EXPECT_TRUE(PrTestLive().empty());
  }
  // The profile entry holds name, driver and port: the name alone is taken.
  PrTestInstallRecorder(config());
  char name[100];
  ASSERT_EQ(GetDefaultPrinterName(name, sizeof name), 0);
  EXPECT_STREQ(name, "Testdrucker");
  ASSERT_GE(CallIndex("GetProfileStringA", 1), 0);
  EXPECT_NE(PrTestCalls()[static_cast<size_t>(CallIndex("GetProfileStringA", 1))].args.find(
                "\"Testdrucker,winspool,TEST:\""),
            std::string::npos);

  // No default printer on the 9x family: the name is empty and opening it fails.
  PrRecorderConfig c = config();
  c.defaultPrinter = "";
  PrTestInstallRecorder(c);
  PrTestSetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
  OwnerHost host;
  CZOLMADlg dlg;
  drucke(host, dlg, Ergebnis{}, 0, [](OwnerHost& h) {
    h.expectBox(oeffnen("OpenPrinter " + std::to_string(ERROR_INVALID_PRINTER_NAME)), kCaption);
  });
  EXPECT_TRUE(PrTestLive().empty());
}

TEST_F(PrintDruck, DefaultPrinterFailuresOnThe9xFamily) {
  // Each failure of the enumeration or its memory is the function's result;
  // the memory taken is always given back.
  struct Fall {
    const char* call;
    int occurrence;
    DWORD error;
  };
  const Fall faelle[] = {
      {"EnumPrintersA", 1, 1722},  // the size query fails otherwise than for room
      {"malloc", 1, ERROR_NOT_ENOUGH_MEMORY},
      {"EnumPrintersA", 2, 5},  // the second query fails
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(std::string(f.call) + " #" + std::to_string(f.occurrence));
    PrTestInstallRecorder(config());
    PrTestSetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
    UtFaultFailCall(f.call, f.occurrence, 0, f.error);
    char name[100];
    EXPECT_EQ(GetDefaultPrinterName(name, sizeof name), static_cast<int>(f.error));
    EXPECT_TRUE(PrTestLive().empty());
  }
  // Printing then stops at its first step.
  PrTestInstallRecorder(config());
  PrTestSetVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
  UtFaultFailCall("EnumPrintersA", 2, 0, 5);
  OwnerHost host;
  CZOLMADlg dlg;
  drucke(host, dlg, Ergebnis{}, 0,
         [](OwnerHost& h) { h.expectBox(oeffnen("GetDefaultPrinterName"), kCaption); });
  EXPECT_EQ(CallIndex("OpenPrinterA", 1), -1);
  EXPECT_TRUE(PrTestSubmitted().empty());
  EXPECT_TRUE(PrTestLive().empty());
}

// ---- the settings prompt ----------------------------------------------------------------

TEST_F(PrintDruck, ShiftShowsTheSettingsPromptCancelPrintsNothing) {
  OwnerHost host;
  CZOLMADlg dlg;
  drucke(host, dlg, Ergebnis{}, MOD_SHIFT_KEY, [&dlg](OwnerHost& h) {
    h.expectDialog(IDD_PR_EINSTELLUNGEN)
        .check([&dlg](CDialog& d) {
          EXPECT_EQ(d.owner(), &dlg);
          EXPECT_FALSE(dlg.enabledAsOwner());
          // The prompt shows what the program asked for: portrait, A4, 1, simplex.
          EXPECT_EQ(d.control(IDC_PR_AUSRICHTUNG)->curSel, 0);
          EXPECT_EQ(d.control(IDC_PR_PAPIER)->curSel, 0);
          EXPECT_EQ(d.control(IDC_PR_KOPIEN)->text, "1");
          EXPECT_EQ(d.control(IDC_PR_DUPLEX)->curSel, 0);
        })
        .click(IDCANCEL);
  });
  EXPECT_TRUE(host.boxes().empty());
  EXPECT_TRUE(PrTestSubmitted().empty());
  EXPECT_TRUE(PrTestLive().empty());
  int prompt = CallIndex("DocumentPropertiesA", 3);
  ASSERT_GE(prompt, 0);
  EXPECT_NE(PrTestCalls()[static_cast<size_t>(prompt)].args.find("0xe"), std::string::npos);
  ExpectReleasedInReverse(prompt);

  // Without Shift no prompt.
  PrTestInstallRecorder(config());
  OwnerHost plain;
  CZOLMADlg dlg2;
  drucke(plain, dlg2, Ergebnis{});
  EXPECT_NE(
      PrTestCalls()[static_cast<size_t>(CallIndex("DocumentPropertiesA", 3))].args.find("0xa"),
      std::string::npos);
  EXPECT_EQ(PrTestSubmitted().size(), 1u);
}

TEST_F(PrintDruck, SettingsPromptChoicesReachTheDocument) {
  OwnerHost host;
  CZOLMADlg dlg;
  drucke(host, dlg, Ergebnis{}, MOD_SHIFT_KEY, [](OwnerHost& h) {
    h.expectDialog(IDD_PR_EINSTELLUNGEN)
        .select(IDC_PR_AUSRICHTUNG, 1)
        .select(IDC_PR_DUPLEX, 1)
        .type(IDC_PR_KOPIEN, "0")
        .click(IDOK)
        .expectBox("Bitte als Kopien eine Zahl von 1 bis 999 eingeben.", "Druckeinstellungen")
        .type(IDC_PR_KOPIEN, "2")
        .click(IDOK);
  });
  ASSERT_EQ(PrTestSubmitted().size(), 1u);
  const PrDocument& doc = PrTestSubmitted()[0];
  EXPECT_EQ(doc.settings.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(doc.settings.dmCopies, 2);
  EXPECT_EQ(doc.settings.dmDuplex, DMDUP_VERTICAL);
  EXPECT_GT(doc.paperWidthDots, doc.paperHeightDots);
}

// ---- the 50 km list ---------------------------------------------------------------------

// The preview on an empty station table (its own loop finds nothing); the
// test puts the rows into the list view itself.
std::vector<std::vector<std::string>> reihen(int n) {
  std::vector<std::vector<std::string>> r;
  for (int i = 0; i < n; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Ziel %03d", i);
    r.push_back({name, std::to_string(i % 51)});
  }
  return r;
}

class PrintListe : public PrintDruck {
 protected:
  // Runs the preview, fills it, presses "Drucken" and then `more`; returns
  // whether the preview ended by itself (it closes after a print).
  bool drucke(OwnerHost& host, int n,
              const std::function<void(OwnerHost&, CPreviewDialog&)>& more = nullptr) {
    char abgang[21] = "Hamburg";
    CPreviewDialog preview("50km Liste Vorschau f\xFCr Hamburg", abgang, 21, 4711, nullptr);
    auto rows = reihen(n);
    host.check([rows](CDialog& d) { d.control(IDC_LISTE)->rows = rows; }).click(IDOK);
    if (more) more(host, preview);
    bool stillOpen = false;
    host.check([&stillOpen](CDialog& d) { stillOpen = d.templateId() == IDD_PREVIEW; });
    host.click(IDCANCEL);
    int r = preview.DoModal();
    if (stillOpen) {
      EXPECT_EQ(r, IDCANCEL);
    } else {
      EXPECT_EQ(r, IDOK);
      // The two steps after the print were never needed.
      EXPECT_EQ(host.remaining(), 2u);
    }
    return !stillOpen;
  }
};

std::string listenZeile(const std::string& ziel, const std::string& km) {
  char z[100];
  std::snprintf(z, sizeof z, "Hamburg -> %-23s %2.2s km", ziel.c_str(), km.c_str());
  return z;
}

// Checks one page of the list: title, lines first..last-1, footer.
void expectListenSeite(const PrPage& page, int first, int last, int seite, int seiten) {
  const int schritt = 271 * 12 / 10;
  auto rows = reihen(last);
  auto z = zeilen(page);
  ASSERT_EQ(z.size(), static_cast<size_t>(last - first) + 3);
  expectZeile(z[0], "Liste der von Hamburg innerhalb von 50 km erreichbaren Ziele", 610, -554, -180,
              400, kVariabel);
  for (int i = first; i < last; ++i) {
    int k = i - first;
    expectZeile(z[static_cast<size_t>(k) + 1],
                listenZeile(rows[static_cast<size_t>(i)][0], rows[static_cast<size_t>(i)][1]), 610,
                -554 - (k + 2) * schritt, -240, 700, kFest);
  }
  std::string seiteText = "Seite " + std::to_string(seite) + " von " + std::to_string(seiten);
  int breite = static_cast<int>(seiteText.size()) * 90;  // 0.5 x 180
  expectZeile(z[z.size() - 2], seiteText, 11420 - 610 - breite, 1200 - 16360, -180, 400, kVariabel);
  expectZeile(z[z.size() - 1], kDatum, 610, 1200 - 16360, -120, 400, kFest);
  auto b = BitmapsOf(page);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0].x, 11420 - 1833 - 610);
  EXPECT_EQ(b[0].y, -554);
}

TEST_F(PrintListe, FortyTwoRowsFillOnePage) {
  OwnerHost host;
  EXPECT_TRUE(drucke(host, 42));
  EXPECT_TRUE(host.boxes().empty());
  ASSERT_EQ(PrTestSubmitted().size(), 1u);
  const PrDocument& doc = PrTestSubmitted()[0];
  EXPECT_EQ(doc.name, "KRV Entfernungsberechnung Liste");
  ASSERT_EQ(doc.pages.size(), 1u);
  expectListenSeite(doc.pages[0], 0, 42, 1, 1);
  EXPECT_TRUE(PrTestLive().empty());
  // The list's set-up reads no origins.
  EXPECT_EQ(CallIndex("GetWindowOrgEx", 1), -1);
  EXPECT_EQ(CallIndex("GetViewportOrgEx", 1), -1);
}

TEST_F(PrintListe, FortyThreeRowsTakeTwoPages) {
  OwnerHost host;
  EXPECT_TRUE(drucke(host, 43));
  ASSERT_EQ(PrTestSubmitted().size(), 1u);
  const PrDocument& doc = PrTestSubmitted()[0];
  ASSERT_EQ(doc.pages.size(), 2u);
  expectListenSeite(doc.pages[0], 0, 42, 1, 2);
  expectListenSeite(doc.pages[1], 42, 43, 2, 2);
  // Short names padded to 23, distances right-aligned in two.
  EXPECT_EQ(TextsOf(doc.pages[0])[1].text, "Hamburg -> Ziel 000                 0 km");
  EXPECT_EQ(TextsOf(doc.pages[0])[6].text, "Hamburg -> Ziel 005                 5 km");
  EXPECT_EQ(TextsOf(doc.pages[1])[1].text, "Hamburg -> Ziel 042                42 km");
}

TEST_F(PrintListe, EmptyListPrintsOnePageWithItsFooter) {
  OwnerHost host;
  EXPECT_TRUE(drucke(host, 0));
  EXPECT_TRUE(host.boxes().empty());
  ASSERT_EQ(PrTestSubmitted().size(), 1u);
  ASSERT_EQ(PrTestSubmitted()[0].pages.size(), 1u);
  expectListenSeite(PrTestSubmitted()[0].pages[0], 0, 0, 1, 1);
  EXPECT_TRUE(PrTestLive().empty());
}

TEST_F(PrintListe, EveryPageAndClosingStepFailingLeavesThePreviewOpen) {
  const DWORD e = 33;
  // One row, one page. Selections: 1 to 7 the set-up (7 = Normal at its
  // end), 8 Bold at the page's start, 9 and 10 the logo, 11 Normal for
  // the title, 12 Bold after it, 13 Normal, 14 Klein, 15 the starting font.
  const std::vector<Schritt> schritte = {
      {"OpenPrinterA", 1, 0, oeffnen("OpenPrinter 33")},
      {"GetWindowExtEx", 1, 0, oeffnen("GetWindowExtEx 33")},
      {"CreateFontA", 3, 0, oeffnen("CreateFont Normal 33")},
      {"SelectObject", 7, 0, oeffnen("SelectObject Normal 33")},
      {"DocumentPropertiesA", 3, IDCANCEL, ""},
      {"StartPage", 1, 0, oeffnen("StartPage 33")},
      {"SetMapMode", 2, 0, oeffnen("SetMapMode 33")},
      {"SelectObject", 8, 0, oeffnen("SelectObject Bold 33")},
      {"SelectObject", 11, 0, oeffnen("SelectObject Normal 33")},
      {"SelectObject", 12, 0, oeffnen("SelectObject Bold 33")},
      {"SelectObject", 13, 0, oeffnen("SelectObject Normal 33")},
      {"SelectObject", 14, 0, oeffnen("SelectObject Klein 33")},
      {"SelectObject", 15, 0, schliessen("SelectObject Standard 33")},
      {"EndPage", 1, 0, schliessen("EndPage 33")},
      {"EndDoc", 1, -1, schliessen("EndDoc 33")},
      {"DeleteObject", 2, 0, schliessen("DeleteObject Normal 33"), true},
      {"DeleteObject", 3, 0, schliessen("DeleteObject Klein 33"), true},
      {"DeleteObject", 4, 0, schliessen("DeleteObject Bold 33"), true},
      {"DeleteDC", 2, 0, schliessen("DeleteDC 33"), true},
      {"ClosePrinter", 1, 0, schliessen("ClosePrinter 33"), true},
  };
  for (const Schritt& s : schritte) {
    SCOPED_TRACE(std::string(s.call) + " #" + std::to_string(s.occurrence));
    PrTestInstallRecorder(config());
    UtFaultFailCall(s.call, s.occurrence, s.result, e);
    OwnerHost host;
    CPreviewDialog* shown = nullptr;
    bool closed = drucke(host, 1, [&s, &shown](OwnerHost& h, CPreviewDialog& p) {
      shown = &p;
      if (!s.text.empty()) h.expectBox(s.text, kCaption);
    });
    EXPECT_FALSE(closed);
    ASSERT_EQ(host.boxes().size(), s.text.empty() ? 0u : 1u);
    if (!s.text.empty()) {
      EXPECT_EQ(host.owners[0], shown);
    }
    EXPECT_EQ(PrTestSubmitted().size(), s.submitted ? 1u : 0u);
    int failed = CallIndex(s.call, s.occurrence);
    ASSERT_GE(failed, 0);
    ExpectReleasedInReverse(failed);
  }
}

TEST_F(PrintListe, FailedEndPageBetweenPagesIsAFailedPrint) {
  UtFaultFailCall("EndPage", 1, 0, 77);
  OwnerHost host;
  bool closed = drucke(host, 43, [](OwnerHost& h, CPreviewDialog&) {
    h.expectBox(schliessen("EndPage 77"), kCaption);
  });
  EXPECT_FALSE(closed);
  EXPECT_TRUE(PrTestSubmitted().empty());
  EXPECT_TRUE(PrTestLive().empty());
  // Printing stopped at the first page.
  EXPECT_EQ(CallIndex("StartPage", 2), -1);
}

TEST_F(PrintListe, ShiftPromptIsOwnedByThePreview) {
  OwnerHost host;
  char abgang[21] = "Hamburg";
  CPreviewDialog preview("50km Liste Vorschau f\xFCr Hamburg", abgang, 21, 4711, nullptr);
  host.click(IDOK, MOD_SHIFT_KEY)
      .expectDialog(IDD_PR_EINSTELLUNGEN)
      .check([&preview](CDialog& d) { EXPECT_EQ(d.owner(), &preview); })
      .click(IDCANCEL)
      .expectDialog(IDD_PREVIEW)
      .click(IDCANCEL);
  EXPECT_EQ(preview.DoModal(), IDCANCEL);
  EXPECT_TRUE(host.boxes().empty());
  EXPECT_TRUE(PrTestSubmitted().empty());
  EXPECT_TRUE(PrTestLive().empty());
}

}  // namespace
