// Tests of the real backend: a printed result page and a printed 50 km
// list become PDF files in the file printer's folder whose text pdftotext
// reads back. Skipped when pdftotext is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

#include "app/preview.h"
#include "app/resource.h"
#include "app/zolmadlg.h"
#include "platform/print/printdev.h"
#include "platform/print/printsetup.h"
#include "platform/print/printtest.h"
#include "platform/ui/scripthost.h"
#include "tests/print/druckhilfe.h"

namespace {

class PrintPdf : public PdfFilePrinterTest {
 protected:
  PrintPdf() : PdfFilePrinterTest("ausgabe") {}
  std::string text(const std::string& pdf) { return PdfLayoutText(pdf); }
};

TEST_F(PrintPdf, ResultPageBecomesAPdfWithItsTexts) {
  ScriptHost host;
  CZOLMADlg dlg;
  host.check([](CDialog& d) {
        d.control(IDC_VON)->text = "Hamburg Hbf";
        d.control(IDC_NACH)->text = "M\xFCnchen Hbf";
        d.control(IDC_U1)->text = "W\xFCrzburg Hbf";
        d.control(IDC_WEGETEXT1)->text = "Hamburg*W\xFCrzburg*M\xFCnchen";
        d.control(IDC_ENTFERNUNG)->text = "776 km";
        d.control(IDC_DRUCKEN)->enabled = true;
      })
      .click(IDC_DRUCKEN)
      .close();
  dlg.DoModal();
  EXPECT_TRUE(host.boxes().empty());
  std::string pdf = PrLastFileWritten();
  ASSERT_FALSE(pdf.empty());
  EXPECT_EQ(std::filesystem::path(pdf).parent_path(), std::filesystem::path(folder_ + "/ausgabe"));
  std::string t = text(pdf);
  for (const char* s :
       {"Ergebnis der Entfernungsberechnung:", "Von:", "Hamburg Hbf", "Nach:", "München Hbf",
        "Über 1:", "Würzburg Hbf", "Wegetext:", "Hamburg*Würzburg*München", "Entfernung:", "776 km",
        "Berechnung vom", "Daten vom"})
    EXPECT_NE(t.find(s), std::string::npos) << s << " not in:\n" << t;
  if (HaveTool("pdffonts")) {
    std::string fonts = CommandOutput("pdffonts '" + pdf + "'");
    EXPECT_NE(fonts.find("LiberationMono-Bold"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("+LiberationMono "), std::string::npos) << fonts;  // the regular face
    EXPECT_EQ(fonts.find("LiberationSans"), std::string::npos) << fonts;
  }
}

// 43 list rows, "Ziel 100" to "Ziel 142": one more than a page holds.
std::vector<std::vector<std::string>> ZweiSeiten() {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 43; ++i)
    rows.push_back({"Ziel " + std::to_string(100 + i), std::to_string(i % 50)});
  return rows;
}

TEST_F(PrintPdf, FortyThreeRowListBecomesTwoPages) {
  ScriptHost host;
  char abgang[21] = "Hamburg";
  CPreviewDialog preview("50km Liste Vorschau f\xFCr Hamburg", abgang, 21, 4711, nullptr);
  host.check([](CDialog& d) { d.control(IDC_LISTE)->rows = ZweiSeiten(); }).click(IDOK);
  EXPECT_EQ(preview.DoModal(), IDOK);
  std::string t = text(PrLastFileWritten());
  EXPECT_NE(t.find("Liste der von Hamburg innerhalb von 50 km erreichbaren Ziele"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("Hamburg -> Ziel 100"), std::string::npos);
  EXPECT_NE(t.find("Hamburg -> Ziel 142"), std::string::npos);
  EXPECT_NE(t.find("Seite 1 von 2"), std::string::npos);
  EXPECT_NE(t.find("Seite 2 von 2"), std::string::npos);
  // Pages are separated by form feeds.
  size_t pages = 0;
  for (char c : t) pages += c == '\f';
  EXPECT_EQ(pages, 2u);
}

// The words of a PDF that lie outside their page, by pdftotext -bbox; ""
// when every word is inside.
std::string WordsOffThePage(const std::string& pdf) {
  std::string xml = CommandOutput("pdftotext -bbox '" + pdf + "' -");
  static const std::regex page(R"re(<page width="([0-9.]+)" height="([0-9.]+)">)re");
  static const std::regex word(
      R"re(<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re");
  std::string off;
  double w = 0, h = 0;
  int pages = 0;
  std::istringstream in(xml);
  for (std::string line; std::getline(in, line);) {
    std::smatch m;
    if (std::regex_search(line, m, page)) {
      w = std::stod(m[1]), h = std::stod(m[2]);
      ++pages;
    } else if (std::regex_search(line, m, word)) {
      double x0 = std::stod(m[1]), y0 = std::stod(m[2]), x1 = std::stod(m[3]), y1 = std::stod(m[4]);
      if (x0 < 0 || y0 < 0 || x1 > w || y1 > h)
        off += "page " + std::to_string(pages) + ": " + m[5].str() + "\n";
    }
  }
  return pages > 0 ? off : "no pages in " + pdf;
}

// A list of 43 rows printed on each paper the settings prompt offers, in
// both orientations (the layout is A4 portrait's; A3 holds it unscaled,
// the others are scaled down to fit): every row,
// the title and both footers reach the PDF, on the pages they have on A4
// portrait, and every word lies inside its page.
TEST_F(PrintPdf, ListFitsEveryPaperAndOrientation) {
  struct Papier {
    const char* name;
    int ausrichtung;       // list index: 0 portrait, 1 landscape
    int papier;            // list index: A4, A5, A3, Letter
    double breite, hoehe;  // the sheet in points
  };
  const Papier papiere[] = {
      {"A4 hoch", 0, 0, 595, 842},     {"A4 quer", 1, 0, 842, 595},
      {"A5 hoch", 0, 1, 420, 595},     {"A5 quer", 1, 1, 595, 420},
      {"A3 hoch", 0, 2, 842, 1191},    {"A3 quer", 1, 2, 1191, 842},
      {"Letter hoch", 0, 3, 612, 792}, {"Letter quer", 1, 3, 792, 612},
  };
  for (const Papier& p : papiere) {
    SCOPED_TRACE(p.name);
    ScriptHost host;
    char abgang[21] = "Hamburg";
    CPreviewDialog preview("50km Liste Vorschau f\xFCr Hamburg", abgang, 21, 4711, nullptr);
    host.check([](CDialog& d) { d.control(IDC_LISTE)->rows = ZweiSeiten(); })
        .click(IDOK, MOD_SHIFT_KEY)
        .expectDialog(IDD_PR_EINSTELLUNGEN)
        .select(IDC_PR_AUSRICHTUNG, p.ausrichtung)
        .select(IDC_PR_PAPIER, p.papier)
        .click(IDOK);
    ASSERT_EQ(preview.DoModal(), IDOK);
    std::string pdf = PrLastFileWritten();
    std::string info = CommandOutput("pdfinfo '" + pdf + "'");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(info, m, std::regex(R"(Page size: +([0-9.]+) x ([0-9.]+))")))
        << info;
    EXPECT_NEAR(std::stod(m[1]), p.breite, 1.0);
    EXPECT_NEAR(std::stod(m[2]), p.hoehe, 1.0);
    std::string t = text(pdf);
    size_t seite2 = t.find('\f');
    ASSERT_NE(seite2, std::string::npos) << t;
    EXPECT_NE(t.find("Liste der von Hamburg innerhalb von 50 km erreichbaren Ziele"),
              std::string::npos)
        << t;
    for (int i = 0; i < 43; ++i) {
      size_t at = t.find("Hamburg -> Ziel " + std::to_string(100 + i));
      ASSERT_NE(at, std::string::npos) << "row " << i << " not in:\n" << t;
      EXPECT_EQ(at < seite2, i < 42) << "row " << i << " on the wrong page";
    }
    size_t eins = t.find("Seite 1 von 2"), zwei = t.find("Seite 2 von 2");
    EXPECT_LT(eins, seite2) << t;
    EXPECT_NE(zwei, std::string::npos) << t;
    EXPECT_GT(zwei, seite2) << t;
    size_t dat1 = t.find("Berechnung vom");
    EXPECT_LT(dat1, seite2) << t;
    EXPECT_NE(t.find("Berechnung vom", seite2), std::string::npos) << t;
    EXPECT_EQ(WordsOffThePage(pdf), "");
  }
}

// The result page on the smallest sheet, with a route text that reaches
// past A5's width at A4's size: everything on it, inside the page.
TEST_F(PrintPdf, ResultPageFitsA5Landscape) {
  ScriptHost host;
  CZOLMADlg dlg;
  const std::string lang =
      "Hamburg*L\xFCneburg*Uelzen*Celle*Hannover*G\xF6ttingen*Kassel*Fulda*W\xFCrzburg*Ende";
  host.check([&lang](CDialog& d) {
        d.control(IDC_VON)->text = "Hamburg Hbf";
        d.control(IDC_NACH)->text = "M\xFCnchen Hbf";
        d.control(IDC_WEGETEXT1)->text = lang;
        d.control(IDC_ENTFERNUNG)->text = "776 km";
        d.control(IDC_DRUCKEN)->enabled = true;
      })
      .click(IDC_DRUCKEN, MOD_SHIFT_KEY)
      .expectDialog(IDD_PR_EINSTELLUNGEN)
      .select(IDC_PR_AUSRICHTUNG, 1)
      .select(IDC_PR_PAPIER, 1)
      .click(IDOK)
      .close();
  dlg.DoModal();
  EXPECT_TRUE(host.boxes().empty());
  std::string pdf = PrLastFileWritten();
  std::string t = text(pdf);
  for (const char* s : {"Ergebnis der Entfernungsberechnung:", "Hamburg Hbf", "München Hbf",
                        "Würzburg*Ende", "776 km", "Berechnung vom", "Daten vom"})
    EXPECT_NE(t.find(s), std::string::npos) << s << " not in:\n" << t;
  EXPECT_EQ(WordsOffThePage(pdf), "");
}

}  // namespace
