// The 50 km list through the application on the sample data set: the
// rows and kilometres for known origins, the stations the list's tests
// keep off it, the origin absent, and the list printed from the preview
// (on the recording backend).
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>

#include "app/preview.h"
#include "app/resource.h"
#include "app/zolmaapp.h"
#include "platform/print/printtest.h"
#include "platform/ui/scripthost.h"
#include "tests/print/druckhilfe.h"

namespace {

class PrintSampleListe : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(saved_, sizeof saved_), nullptr);
    ASSERT_EQ(chdir(ZOLMA_SAMPLE_DIR), 0) << ZOLMA_SAMPLE_DIR;
    PrTestInstallRecorder();
  }
  void TearDown() override {
    PrTestUninstall();
    ASSERT_EQ(chdir(saved_), 0);
  }

  // Opens the list for `abgang` (code page 1252) and returns its rows as
  // name -> km; `print` presses "Drucken" instead of "Abbruch".
  std::map<std::string, int> liste(const std::string& abgang, bool print = false) {
    std::map<std::string, int> rows;
    std::string caption;
    AfxSetAppName("zolma");
    CZOLMAApp app;
    ScriptHost host;
    host.type(IDC_ABGANG, abgang)
        .click(IDC_50KM)
        .expectDialog(IDD_PREVIEW)
        .check([&rows, &caption](CDialog& d) {
          caption = d.title();
          for (const auto& r : d.control(IDC_LISTE)->rows) {
            EXPECT_EQ(rows.count(r[0]), 0u) << r[0];
            rows[r[0]] = std::stoi(r[1]);
          }
        })
        .click(print ? IDOK : IDCANCEL)
        .expectDialog(IDD_ZOLMA_DIALOG)
        .check([&abgang](CDialog& d) { EXPECT_EQ(d.control(IDC_ABGANG)->text, abgang); })
        .close();
    app.InitInstance();
    EXPECT_EQ(host.remaining(), 0u);
    EXPECT_TRUE(host.boxes().empty());
    EXPECT_EQ(caption, "50km Liste Vorschau f\xFCr " + abgang);
    return rows;
  }

  char saved_[4096] = {0};
};

TEST_F(PrintSampleListe, RowsForKnownOriginsAndTheStationsKeptOff) {
  auto n = liste("N\xFCrnberg Hbf");
  EXPECT_EQ(n.count("N\xFCrnberg Hbf"), 0u);  // the origin itself
  EXPECT_EQ(n.count("N\xFCrnberg Rbf"), 0u);  // second flag 'N'
  EXPECT_EQ(n.at("F\xFCrth (Bay) Hbf"), 7);
  EXPECT_EQ(n.at("Behringersdorf"), 10);
  EXPECT_EQ(n.at("Altdorf (b N\xFCrnberg)"), 26);
  EXPECT_EQ(n.at("Ansbach"), 44);
  for (const auto& [name, km] : n) EXPECT_LE(km, 50) << name;

  auto b = liste("Bamberg");
  EXPECT_EQ(b.count("Bamberg"), 0u);
  EXPECT_EQ(b.count("Bamberg Gbf"), 0u);  // flag letter 9 not 'N'
  EXPECT_EQ(b.size(), 36u);

  auto w = liste("W\xFCrzburg Hbf");
  EXPECT_EQ(w.count("W\xFCrzburg Zell"), 0u);  // flag letter 8 not 'N'
  EXPECT_EQ(w.size(), 19u);
}

TEST_F(PrintSampleListe, PrintedListFollowsThePreview) {
  auto rows = liste("N\xFCrnberg Hbf", true);
  ASSERT_EQ(PrTestSubmitted().size(), 1u);
  const PrDocument& doc = PrTestSubmitted()[0];
  ASSERT_EQ(doc.pages.size(), static_cast<size_t>((rows.size() + 41) / 42));
  auto first = TextsOf(doc.pages[0]);
  ASSERT_GE(first.size(), 2u);
  EXPECT_EQ(first[0].text, "Liste der von N\xFCrnberg Hbf innerhalb von 50 km erreichbaren Ziele");
  EXPECT_EQ(first[1].text, "N\xFCrnberg Hbf -> Altdorf (b N\xFCrnberg)    26 km");
  size_t lines = 0;
  for (const PrPage& p : doc.pages) lines += TextsOf(p).size() - 3;
  EXPECT_EQ(lines, rows.size());
  EXPECT_TRUE(PrTestLive().empty());
}

}  // namespace
