// Tests of the real backend: a printed result page and a printed 50 km
// list become PDF files in the file printer's folder whose text pdftotext
// reads back. Skipped when pdftotext is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/preview.h"
#include "app/resource.h"
#include "app/zolmadlg.h"
#include "platform/print/printdev.h"
#include "platform/print/printtest.h"
#include "platform/ui/scripthost.h"
#include "tests/print/druckhilfe.h"

namespace {

class PrintPdf : public RealFilePrinterTest {
 protected:
  void SetUp() override {
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    RealFilePrinterTest::SetUp();
    fileFolder(folder_ + "/ausgabe");
  }
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

TEST_F(PrintPdf, FortyThreeRowListBecomesTwoPages) {
  ScriptHost host;
  char abgang[21] = "Hamburg";
  CPreviewDialog preview("50km Liste Vorschau f\xFCr Hamburg", abgang, 21, 4711, nullptr);
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < 43; ++i)
    rows.push_back({"Ziel " + std::to_string(100 + i), std::to_string(i % 50)});
  host.check([rows](CDialog& d) { d.control(IDC_LISTE)->rows = rows; }).click(IDOK);
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

}  // namespace
