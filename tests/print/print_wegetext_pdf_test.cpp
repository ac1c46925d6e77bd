// The printed route text read back from the PDF (pdftotext -layout): a
// route text that does not fit its line goes on in one continuation line
// under its first character, and the lines around it keep their places.
// The route text of the sample network's Nürnberg Hbf - Kronach over
// Bamberg and Lichtenfels is computed by the program; the others are set
// texts. Skipped when pdftotext is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/resource.h"
#include "app/zolmaapp.h"
#include "app/zolmadlg.h"
#include "platform/print/printtest.h"
#include "platform/print/winprint.h"
#include "platform/ui/cp1252.h"
#include "tests/print/druckhilfe.h"

namespace {

// Characters (not bytes) of a UTF-8 text before byte offset `end`.
size_t spalte(const std::string& s, size_t end) {
  size_t n = 0;
  for (size_t i = 0; i < end && i < s.size(); ++i)
    n += (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
  return n;
}

std::vector<std::string> zeilen(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string z; std::getline(in, z);) out.push_back(z);
  return out;
}

// Index of the first line holding `s`, -1 when none does.
int zeileMit(const std::vector<std::string>& z, const std::string& s) {
  for (size_t i = 0; i < z.size(); ++i)
    if (z[i].find(s) != std::string::npos) return static_cast<int>(i);
  return -1;
}

std::string trimmed(const std::string& s) {
  size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

class PrintWegetextPdf : public PdfFilePrinterTest {
 protected:
  void SetUp() override {
    PdfFilePrinterTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_EQ(chdir(ZOLMA_SAMPLE_DIR), 0) << ZOLMA_SAMPLE_DIR;
  }

  // The printed page's lines (UTF-8) after the result page was printed
  // with `wegetext` set as the computed route text.
  std::vector<std::string> druckeGesetzt(const std::string& wegetext) {
    ScriptHost host;
    CZOLMADlg dlg;
    host.check([&wegetext](CDialog& d) {
          d.control(IDC_VON)->text = "Hamburg Hbf";
          d.control(IDC_NACH)->text = "M\xFCnchen Hbf";
          d.control(IDC_WEGETEXT1)->text = wegetext;
          d.control(IDC_ENTFERNUNG)->text = "776 km";
          d.control(IDC_DRUCKEN)->enabled = true;
        })
        .click(IDC_DRUCKEN)
        .close();
    dlg.DoModal();
    EXPECT_TRUE(host.boxes().empty());
    return gelesen();
  }

  std::vector<std::string> gelesen() {
    std::string pdf = PrLastFileWritten();
    EXPECT_EQ(std::filesystem::path(pdf).parent_path(), std::filesystem::path(folder_));
    return zeilen(PdfLayoutText(pdf));
  }

  // Checks the route text's lines: the first after "Wegetext:", the second
  // (when given) on the next line, starting in the first one's column.
  static void expectWegetext(const std::vector<std::string>& z, const std::string& erste,
                             const std::string& zweite) {
    int w = zeileMit(z, "Wegetext:");
    ASSERT_GE(w, 0);
    const std::string& l = z[static_cast<size_t>(w)];
    size_t at = l.find(erste);
    ASSERT_NE(at, std::string::npos) << l;
    EXPECT_EQ(trimmed(l.substr(at)), erste) << l;
    int e = zeileMit(z, "Entfernung:");
    ASSERT_GT(e, w);
    std::vector<std::string> dazwischen;
    for (int i = w + 1; i < e; ++i)
      if (!trimmed(z[static_cast<size_t>(i)]).empty())
        dazwischen.push_back(z[static_cast<size_t>(i)]);
    if (zweite.empty()) {
      EXPECT_TRUE(dazwischen.empty()) << dazwischen[0];
      return;
    }
    ASSERT_EQ(dazwischen.size(), 1u);
    EXPECT_EQ(trimmed(dazwischen[0]), zweite);
    EXPECT_EQ(spalte(dazwischen[0], dazwischen[0].find(zweite)), spalte(l, at)) << l << "\n"
                                                                                << dazwischen[0];
  }
};

TEST_F(PrintWegetextPdf, ThirtyCharactersStayOnOneLine) {
  const std::string text = "Erlangen*Forchheim*Bamberg*Hof";
  ASSERT_EQ(text.size(), 30u);
  expectWegetext(druckeGesetzt(text), text, "");
}

TEST_F(PrintWegetextPdf, ComputedRouteNuernbergKronachBreaksAfterAStar) {
  AfxSetAppName("zolma");
  CZOLMAApp app;
  ScriptHost host;
  std::string wegetext;
  host.type(IDC_ABGANG, "N\xFCrnberg Hbf")
      .type(IDC_ZIEL, "Kronach")
      .type(IDC_UEBER1, "Bamberg")
      .type(IDC_UEBER2, "Lichtenfels")
      .click(IDC_BERECHNEN)
      .check([&wegetext](CDialog& d) { wegetext = d.control(IDC_WEGETEXT1)->text; })
      .click(IDC_DRUCKEN)
      .close();
  app.InitInstance();
  EXPECT_TRUE(host.boxes().empty());
  // "Fürth*Forchheim*Bamberg*Bad Staffelstein*Lichtenfels*(Hochstadt-M.)":
  // longer than the 55 characters the first line holds after its label.
  // The first line ends after the last '*' that fits; the '*' does not
  // start the second.
  const std::string erste = "F\xFCrth*Forchheim*Bamberg*Bad Staffelstein*Lichtenfels*";
  ASSERT_GT(wegetext.size(), 55u) << Cp1252ToUtf8(wegetext);
  ASSERT_EQ(wegetext.compare(0, erste.size(), erste), 0) << Cp1252ToUtf8(wegetext);
  expectWegetext(gelesen(), Cp1252ToUtf8(erste), Cp1252ToUtf8(wegetext.substr(erste.size())));
}

TEST_F(PrintWegetextPdf, HundredCharactersAndHardBreaks) {
  struct Fall {
    const char* name;
    std::string text, erste, zweite;
  };
  std::string stationen;  // 100 characters: 10 x "Bahnhof X*" less the last '*'
  for (char c = 'A'; c <= 'J'; ++c) stationen += std::string("Bahnhof ") + c + "*";
  stationen.pop_back();
  stationen += "!";
  const std::vector<Fall> faelle = {
      {"break after a '*'", stationen, stationen.substr(0, 50), stationen.substr(50)},
      {"no '*' or blank: hard break", std::string(100, 'W'), "", ""},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    ASSERT_EQ(f.text.size(), 100u);
    std::vector<std::string> z = druckeGesetzt(f.text);
    if (!f.erste.empty()) {
      expectWegetext(z, f.erste, f.zweite);
      continue;
    }
    // Hard: the whole text on two lines, the first as full as it can be.
    int w = zeileMit(z, "Wegetext:");
    ASSERT_GE(w, 0);
    std::string l = z[static_cast<size_t>(w)];
    size_t at = l.find('W', l.find("Wegetext:") + 1);
    ASSERT_NE(at, std::string::npos);
    std::string erste = trimmed(l.substr(at));
    ASSERT_LT(erste.size(), 100u);
    expectWegetext(z, erste, std::string(100 - erste.size(), 'W'));
  }
}

}  // namespace
