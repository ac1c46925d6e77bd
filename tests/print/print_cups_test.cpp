// Printing through a real, private CUPS server (cupsprivat.h) on the
// sample data set: the program, driven through its dialogs on the scripted
// host, prints on the server's default queue, a PDF queue, and the tests
// read what came out (pdftotext) and what the queue holds (ipptool).
// Skipped, with the reason, where the server cannot run: not root, or the
// CUPS packages missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/tempdir.h"
#include "app/druck.h"
#include "app/resource.h"
#include "app/zolmaapp.h"
#include "platform/print/printsetup.h"
#include "platform/print/printtest.h"
#include "platform/print/winprint.h"
#include "platform/ui/scripthost.h"
#include "tests/print/cupsprivat.h"

namespace {

namespace fs = std::filesystem;

const char kCaption[] = "Fehler beim Drucken";
const std::string kUebergeben = std::string("An Drucker ") + PrivateCups::kQueue +
                                " \xFC"
                                "bergeben";

class PrintCups : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why = cups_.start();
    if (!why.empty()) GTEST_SKIP() << "no private CUPS server: " << why;
    ZolmaRegisterResources();
    PrTestUninstall();  // the real backend
    folder_ = tempdir::Make("zolma-cupsdruck").string();
    PrSettings s;  // the system's queues, as a user has them
    s.fileFolder = folder_ + "/druck";
    PrSetSettings(s);
    std::string ignored;
    PrTakeDocumentNote(ignored);
    ASSERT_NE(getcwd(saved_, sizeof saved_), nullptr);
    ASSERT_EQ(chdir(ZOLMA_SAMPLE_DIR), 0) << ZOLMA_SAMPLE_DIR;
    const char* home = std::getenv("HOME");
    home_ = home ? home : "";
  }
  void TearDown() override {
    if (saved_[0]) {
      EXPECT_EQ(chdir(saved_), 0);
    }
    if (!home_.empty()) setenv("HOME", home_.c_str(), 1);
    unsetenv("LPDEST");
    PrSetSettings(PrSettings());
    PrTestUninstall();
    cups_.stop();
    unsetenv("CUPS_SERVER");
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
  }

  // Computes Nürnberg Hbf - Bamberg in the main dialog and prints the
  // result page; `box` is the message expected ("" for none).
  static void ergebnisDrucken(const std::string& box = "") {
    AfxSetAppName("zolma");
    CZOLMAApp app;
    ScriptHost host;
    host.type(IDC_ABGANG, "N\xFCrnberg Hbf")
        .type(IDC_ZIEL, "Bamberg")
        .click(IDC_BERECHNEN)
        .click(IDC_DRUCKEN);
    if (!box.empty()) host.expectBox(box, kCaption);
    host.close();
    app.InitInstance();
    EXPECT_EQ(host.remaining(), 0u);
    if (box.empty()) {
      EXPECT_TRUE(host.boxes().empty());
    }
  }

  // Opens the 50 km list of Nürnberg Hbf and presses "Drucken" with Shift
  // held, choosing `kopien` copies and duplex on the long side in the
  // settings prompt; `box` is the message expected ("" for none). Returns
  // whether the preview was still open afterwards.
  static bool listeDrucken(const std::string& kopien, const std::string& box = "") {
    AfxSetAppName("zolma");
    CZOLMAApp app;
    ScriptHost host;
    bool offen = false;
    host.type(IDC_ABGANG, "N\xFCrnberg Hbf")
        .click(IDC_50KM)
        .expectDialog(IDD_PREVIEW)
        .click(IDOK, MOD_SHIFT_KEY)
        .expectDialog(IDD_PR_EINSTELLUNGEN)
        .type(IDC_PR_KOPIEN, kopien)
        .select(IDC_PR_DUPLEX, 1)
        .click(IDOK);
    if (!box.empty()) host.expectBox(box, kCaption);
    host.check([&offen](CDialog& d) {
          offen = d.templateId() == IDD_PREVIEW;
          if (offen) {
            EXPECT_FALSE(d.control(IDC_LISTE)->rows.empty());
          }
        })
        .close();
    if (!box.empty()) host.close();  // a failed print: the preview, then the main dialog
    app.InitInstance();
    EXPECT_EQ(host.remaining(), 0u);
    if (box.empty()) {
      EXPECT_TRUE(host.boxes().empty());
    }
    return offen;
  }

  static std::string pdfText(const std::string& pdf) {
    std::string out;
    PrivateCups::command("pdftotext -layout '" + pdf + "' -", &out);
    return out;
  }

  // The one PDF the queue wrote, once it is complete.
  std::string einzigesPdf() {
    for (int i = 0; i < 300 && cups_.pdfs().empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(cups_.waitForJob(1, "completed")) << cups_.log("error_log");
    std::vector<std::string> p = cups_.pdfs();
    EXPECT_EQ(p.size(), 1u) << cups_.log("error_log");
    return p.empty() ? "" : p[0];
  }

  // The process as a user without a print service set up has it: nothing
  // names a server or a destination (CUPS_SERVER, LPDEST, PRINTER, a
  // client.conf, an lpoptions file; HOME is an empty folder), so CUPS asks
  // the local server. "" when so and no local server answers, else why the
  // case cannot be shown on this machine.
  std::string ohneDruckdienst() {
    for (const char* var : {"CUPS_SERVER", "LPDEST", "PRINTER"}) unsetenv(var);
    std::string home = folder_ + "/home";
    fs::create_directories(home);
    setenv("HOME", home.c_str(), 1);
    cupsSetServer(nullptr);
    const char* root = std::getenv("CUPS_SERVERROOT");
    std::string serverRoot = root && *root ? root : "/etc/cups";
    for (const char* f : {"/client.conf", "/lpoptions"})
      if (fs::exists(serverRoot + f)) return serverRoot + f + " names this machine's print service";
    cups_dest_t* dests = nullptr;
    int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    bool answers = n > 0 || cupsLastError() != IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
    cupsFreeDests(n, dests);
    return answers ? "a local print server answers" : "";
  }

  // Prints the result page and returns the note with the file printer's
  // new file in place of its path ("FILE"), or "" for a note without it.
  std::string notizDesNeuenDrucks() {
    std::vector<std::string> vorher = dateien();
    ergebnisDrucken();
    std::string note;
    EXPECT_TRUE(PrTakeDocumentNote(note));
    for (const std::string& d : dateien()) {
      if (std::find(vorher.begin(), vorher.end(), d) != vorher.end()) continue;
      size_t at = note.find(d);
      if (at != std::string::npos) note.replace(at, d.size(), "FILE");
    }
    return note;
  }

  std::vector<std::string> dateien() const {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder_ + "/druck", ec))
      out.push_back(e.path().string());
    return out;
  }

  PrivateCups cups_;
  std::string folder_, home_;
  char saved_[4096] = {0};
};

TEST_F(PrintCups, ResultPageGoesToTheDefaultQueue) {
  char name[100];
  ASSERT_EQ(GetDefaultPrinterName(name, sizeof name), 0);
  EXPECT_STREQ(name, PrivateCups::kQueue);

  ergebnisDrucken();
  std::string note;
  ASSERT_TRUE(PrTakeDocumentNote(note));
  EXPECT_EQ(note, kUebergeben);
  EXPECT_TRUE(dateien().empty());  // not on the file printer

  std::string pdf = einzigesPdf();
  ASSERT_FALSE(pdf.empty());
  std::string t = pdfText(pdf);
  for (const char* s :
       {"Ergebnis der Entfernungsberechnung:", "Von:", "Nürnberg Hbf", "Nach:", "Bamberg",
        "Wegetext:", "Fürth", "Entfernung:", "61 km", "Berechnung vom", "Daten vom"})
    EXPECT_NE(t.find(s), std::string::npos) << s << " not in:\n" << t;
}

TEST_F(PrintCups, ListWithTwoCopiesAndDuplexReachesTheQueueSo) {
  EXPECT_FALSE(listeDrucken("2"));  // a print that worked closes the preview
  std::string note;
  ASSERT_TRUE(PrTakeDocumentNote(note));
  EXPECT_EQ(note, kUebergeben);
  auto job = cups_.jobAttributes(1);
  EXPECT_EQ(job["copies"], "2");
  EXPECT_EQ(job["sides"], "two-sided-long-edge");
  std::string pdf = einzigesPdf();
  ASSERT_FALSE(pdf.empty());
  std::string t = pdfText(pdf);
  EXPECT_NE(t.find("Liste der von Nürnberg Hbf innerhalb von 50 km erreichbaren Ziele"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("Nürnberg Hbf -> Fürth (Bay) Hbf"), std::string::npos) << t;
  EXPECT_NE(t.find("Seite 1 von"), std::string::npos) << t;
}

TEST_F(PrintCups, QueueThatRefusesJobsFailsAtStartDocAndThePreviewStaysOpen) {
  ASSERT_TRUE(PrivateCups::command(std::string("cupsreject ") + PrivateCups::kQueue));
  EXPECT_TRUE(listeDrucken("1",
                           "Kann Drucker nicht \xF6"
                           "ffnen: StartDoc " +
                               std::to_string(ERROR_INVALID_PRINTER_STATE)));
  std::string note;
  EXPECT_FALSE(PrTakeDocumentNote(note));
  EXPECT_TRUE(cups_.jobAttributes(1).empty());  // no job
  EXPECT_TRUE(dateien().empty());
}

TEST_F(PrintCups, DisabledQueueHoldsTheJobAndTheNoteSaysSo) {
  // A stopped queue takes the job and keeps it until it is enabled: the
  // print worked, and the note tells that the printer is halted.
  ASSERT_TRUE(PrivateCups::command(std::string("cupsdisable ") + PrivateCups::kQueue));
  ergebnisDrucken();
  std::string note;
  ASSERT_TRUE(PrTakeDocumentNote(note));
  EXPECT_EQ(note, kUebergeben + " (Drucker angehalten)");
  EXPECT_EQ(cups_.jobAttributes(1)["job-state"], "pending");
  EXPECT_TRUE(cups_.pdfs().empty());

  // Enabled again, the queue prints the job it held.
  ASSERT_TRUE(PrivateCups::command(std::string("cupsenable ") + PrivateCups::kQueue));
  std::string pdf = einzigesPdf();
  ASSERT_FALSE(pdf.empty());
  EXPECT_NE(pdfText(pdf).find("Entfernung:"), std::string::npos);
}

TEST_F(PrintCups, ServerGoneBetweenTwoPrintsFallsBackToTheFilePrinter) {
  ergebnisDrucken();
  std::string note;
  ASSERT_TRUE(PrTakeDocumentNote(note));
  EXPECT_EQ(note, kUebergeben);
  ASSERT_FALSE(einzigesPdf().empty());

  // The server goes away (CUPS_SERVER still names its socket): the default
  // printer is the file printer again, and the note says both that the
  // print service is gone and where the page went.
  cups_.stop();
  char name[100];
  ASSERT_EQ(GetDefaultPrinterName(name, sizeof name), 0);
  EXPECT_STREQ(name, kPrFilePrinterName);
  ergebnisDrucken();
  std::vector<std::string> d = dateien();
  ASSERT_EQ(d.size(), 1u);
  ASSERT_TRUE(PrTakeDocumentNote(note));
  EXPECT_EQ(note, "Drucksystem nicht erreichbar - gedruckt: " + d[0]);
  EXPECT_NE(pdfText(d[0]).find("61 km"), std::string::npos);
}

TEST_F(PrintCups, FallbackNoteOnlyWhereAPrintServiceIsSetUp) {
  // With no print service set up the file printer is simply the printer;
  // one that is named but not reached is gone, and the note says so from
  // the first printout on. The private server runs throughout, named by
  // nothing, as a server the program must not find.
  std::string why = ohneDruckdienst();
  if (!why.empty()) GTEST_SKIP() << why;
  const std::string dead = folder_ + "/kein-server.sock";
  const std::string cupsDir = folder_ + "/home/.cups";
  struct Fall {
    const char* what;
    std::function<void()> setUp;
    std::string note;
  };
  const std::string gone = "Drucksystem nicht erreichbar - gedruckt: FILE";
  const Fall faelle[] = {
      {"nothing set up", [] {}, "Gedruckt: FILE"},
      {"LPDEST", [] { setenv("LPDEST", PrivateCups::kQueue, 1); }, gone},
      {"CUPS_SERVER", [&] { setenv("CUPS_SERVER", dead.c_str(), 1); }, gone},
      {"client.conf",
       [&] {
         fs::create_directories(cupsDir);
         std::ofstream(cupsDir + "/client.conf") << "# ours\nServerName " << dead << "\n";
       },
       gone},
      {"lpoptions",
       [&] {
         fs::create_directories(cupsDir);
         std::ofstream(cupsDir + "/lpoptions") << "Default " << PrivateCups::kQueue << "\n";
       },
       gone},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.what);
    ASSERT_EQ(ohneDruckdienst(), "");
    std::error_code ec;
    fs::remove_all(cupsDir, ec);
    f.setUp();
    cupsSetServer(nullptr);
    PrTestUninstall();  // a new run: no server reached yet
    EXPECT_EQ(notizDesNeuenDrucks(), f.note);
  }
  EXPECT_EQ(dateien().size(), std::size(faelle));
  EXPECT_TRUE(cups_.pdfs().empty());
}

TEST_F(PrintCups, ServerReachedEarlierInTheRunIsGoneThoughNothingNamesIt) {
  std::string why = ohneDruckdienst();
  if (!why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(notizDesNeuenDrucks(), "Gedruckt: FILE");

  // The private server, named for one printout, takes the page.
  setenv("CUPS_SERVER", cups_.socket().c_str(), 1);
  cupsSetServer(nullptr);
  EXPECT_EQ(notizDesNeuenDrucks(), kUebergeben);
  ASSERT_FALSE(einzigesPdf().empty());

  // Named no more, it cannot be reached: it answered in this run, so the
  // note says that the print service is gone.
  unsetenv("CUPS_SERVER");
  cupsSetServer(nullptr);
  EXPECT_EQ(notizDesNeuenDrucks(), "Drucksystem nicht erreichbar - gedruckt: FILE");
  EXPECT_EQ(dateien().size(), 2u);
}

}  // namespace
