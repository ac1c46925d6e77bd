// Tests of the real backend's file printer: where a printout went (the
// note the front end shows), a folder that cannot be written failing at
// StartDoc before anything is drawn, and no partial or temporary file left
// behind by a failed, aborted or dropped document. The result page goes
// through the main dialog on a scripted host; the files are real.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/resource.h"
#include "app/zolmadlg.h"
#include "platform/print/printtest.h"
#include "platform/print/winprint.h"
#include "support/utfault.h"
#include "tests/print/druckhilfe.h"

namespace {

namespace fs = std::filesystem;

const char kCaption[] = "Fehler beim Drucken";

class PrintDatei : public RealFilePrinterTest {
 protected:
  void SetUp() override {
    RealFilePrinterTest::SetUp();
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    fileFolder("druck");
    std::string ignored;
    PrTakeDocumentNote(ignored);
  }
  void TearDown() override {
    UtFaultLimitWrites(-1);
    RealFilePrinterTest::TearDown();
  }

  // Prints the result page from the main dialog; `box` is the message
  // expected ("" for none).
  static void drucke(const std::string& box = "") {
    OwnerHost host;
    CZOLMADlg dlg;
    host.check([](CDialog& d) {
          d.control(IDC_VON)->text = "N\xFCrnberg Hbf";
          d.control(IDC_NACH)->text = "Bamberg";
          d.control(IDC_WEGETEXT1)->text = "F\xFCrth*Erlangen*Forchheim";
          d.control(IDC_ENTFERNUNG)->text = "61 km";
          d.control(IDC_DRUCKEN)->enabled = true;
        })
        .click(IDC_DRUCKEN);
    if (!box.empty()) host.expectBox(box, kCaption);
    host.close();
    dlg.DoModal();
    EXPECT_EQ(host.remaining(), 0u);
    if (box.empty()) {
      EXPECT_TRUE(host.boxes().empty());
    }
  }

  // The names in a folder, hidden ones included.
  static std::vector<std::string> names(const fs::path& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
      out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
};

TEST_F(PrintDatei, NoteNamesTheFileOnceAsTheUserFindsIt) {
  drucke();
  std::vector<std::string> files = names("druck");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].rfind("KRV_Entfernungsberechnung-", 0), 0u) << files[0];
  EXPECT_EQ(fs::path(files[0]).extension(), ".pdf");
  std::string note;
  ASSERT_TRUE(PrTakeDocumentNote(note));
  EXPECT_EQ(note, "Gedruckt: druck/" + files[0]);
  EXPECT_FALSE(PrTakeDocumentNote(note));  // taken once
  EXPECT_EQ(note, "");

  // An absolute folder setting: the note gives the whole path.
  const std::string absolut = folder_ + "/ausgabe";
  fileFolder(absolut);
  drucke();
  files = names(absolut);
  ASSERT_EQ(files.size(), 1u);
  ASSERT_TRUE(PrTakeDocumentNote(note));
  EXPECT_EQ(note, "Gedruckt: " + absolut + "/" + files[0]);
}

TEST_F(PrintDatei, SecondFileNeverReplacesTheFirst) {
  // Two prints in a row, usually within one second: the second file gets
  // "-2" behind the first one's name, and the first stays as it was.
  std::string erste, zweite;
  drucke();
  ASSERT_TRUE(PrTakeDocumentNote(erste));
  const auto groesse = fs::file_size(erste.substr(std::strlen("Gedruckt: ")));
  drucke();
  ASSERT_TRUE(PrTakeDocumentNote(zweite));
  EXPECT_NE(erste, zweite);
  EXPECT_EQ(names("druck").size(), 2u);
  EXPECT_EQ(fs::file_size(erste.substr(std::strlen("Gedruckt: "))), groesse);
  const std::string stamm = erste.substr(0, erste.size() - 4);  // without ".pdf"
  if (zweite.compare(0, stamm.size(), stamm) == 0) {
    EXPECT_EQ(zweite, stamm + "-2.pdf");
  }
}

TEST_F(PrintDatei, FolderThatCannotBeMadeFailsAtStartDoc) {
  // "druck" is a file, so the folder cannot be made (as root, permission
  // bits would not stop the program, so a blocked path stands in for an
  // unwritable folder).
  { std::ofstream("druck") << "kein Ordner"; }
  const std::string code = std::to_string(ERROR_PATH_NOT_FOUND);
  drucke(
      "Kann Drucker nicht \xF6"
      "ffnen: StartDoc " +
      code);
  EXPECT_EQ(names("."), std::vector<std::string>{"druck"});
  std::string note;
  EXPECT_FALSE(PrTakeDocumentNote(note));

  // Below it, too.
  fileFolder("druck/unten");
  drucke(
      "Kann Drucker nicht \xF6"
      "ffnen: StartDoc " +
      code);
  EXPECT_EQ(names("."), std::vector<std::string>{"druck"});
}

TEST_F(PrintDatei, FullDiskLeavesNoFileBehind) {
  UtFaultLimitWrites(1000);
  drucke(
      "Kann Drucker nicht schlie\xDF"
      "en: EndDoc " +
      std::to_string(ERROR_DISK_FULL));
  EXPECT_TRUE(names("druck").empty());
  std::string note;
  EXPECT_FALSE(PrTakeDocumentNote(note));

  // A print that works afterwards is not held back by the failed one.
  UtFaultLimitWrites(-1);
  drucke();
  EXPECT_EQ(names("druck").size(), 1u);
  EXPECT_TRUE(PrTakeDocumentNote(note));
}

TEST_F(PrintDatei, DocumentNotEndedLeavesNoFile) {
  // Aborted, or its context deleted while it is open: the file begun at
  // StartDoc goes again.
  for (bool abort : {true, false}) {
    SCOPED_TRACE(abort ? "AbortDoc" : "DeleteDC");
    HDC dc = CreateDCA("WINSPOOL", kPrFilePrinterName, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    DOCINFOA di{sizeof(DOCINFOA), "Probe", nullptr, nullptr, 0};
    ASSERT_GT(StartDocA(dc, &di), 0);
    EXPECT_EQ(names("druck").size(), 1u);  // created at the start
    ASSERT_GT(StartPage(dc), 0);
    if (abort) {
      EXPECT_GT(AbortDoc(dc), 0);
    }
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(names("druck").empty());
    std::string note;
    EXPECT_FALSE(PrTakeDocumentNote(note));
  }
}

}  // namespace
