// druckhilfe.h - helpers of the printing tests: a scripted host that keeps
// the owner of every message box, and readers of the recorded documents
// and of the layer's call log.
#ifndef ZOLMA_TESTS_PRINT_DRUCKHILFE_H
#define ZOLMA_TESTS_PRINT_DRUCKHILFE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/tempdir.h"
#include "app/resource.h"
#include "platform/print/printtest.h"
#include "platform/print/winprint.h"
#include "platform/ui/scripthost.h"

// The standard output of a shell command ("" when it cannot be started).
inline std::string CommandOutput(const std::string& cmd) {
  std::string out;
  std::FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

// True when the shell finds the program `tool`.
inline bool HaveTool(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The text of a PDF file as pdftotext lays it out (UTF-8).
inline std::string PdfLayoutText(const std::string& pdf) {
  return CommandOutput("pdftotext -layout '" + pdf + "' -");
}

// A test of the real backend's file printer: a temporary folder of its own
// (folder_), CUPS switched off by fileFolder(), and afterwards the default
// settings, the current folder and the real backend put back and the folder
// removed.
class RealFilePrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZolmaRegisterResources();
    PrTestUninstall();  // the real backend
    folder_ = tempdir::Make("zolma-druck").string();
    ASSERT_NE(getcwd(saved_, sizeof saved_), nullptr);
  }
  void TearDown() override {
    PrSetSettings(PrSettings());
    PrTestUninstall();
    if (saved_[0]) {
      EXPECT_EQ(chdir(saved_), 0);
    }
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  // The file printer only, writing into `folder`.
  static void fileFolder(const std::string& folder) {
    PrSettings s;
    s.useSystemQueue = false;  // never print on a real queue from a test
    s.fileFolder = folder;
    PrSetSettings(s);
  }
  std::string folder_;
  char saved_[4096] = {0};
};

// A test that reads printed PDF files back with pdftotext: skipped when
// pdftotext is not installed; otherwise a RealFilePrinterTest whose file
// printer writes into `unterordner` of its folder ("" = the folder itself).
// A derived SetUp calls this one first and stops when the test is skipped
// or failed.
class PdfFilePrinterTest : public RealFilePrinterTest {
 protected:
  explicit PdfFilePrinterTest(std::string unterordner = "") : unterordner_(std::move(unterordner)) {}
  void SetUp() override {
    if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    RealFilePrinterTest::SetUp();
    fileFolder(unterordner_.empty() ? folder_ : folder_ + "/" + unterordner_);
  }

 private:
  std::string unterordner_;
};

// A ScriptHost that also remembers which window owned each message box.
class OwnerHost : public ScriptHost {
 public:
  std::vector<CWnd*> owners;
  int MessageBox(CWnd* owner, const std::string& text, const std::string& caption,
                 UINT type) override {
    owners.push_back(owner);
    return ScriptHost::MessageBox(owner, text, caption, type);
  }
};

// The texts of one page in drawing order.
inline std::vector<PrTextOp> TextsOf(const PrPage& page) {
  std::vector<PrTextOp> out;
  for (const PrOp& op : page.ops)
    if (auto* t = std::get_if<PrTextOp>(&op)) out.push_back(*t);
  return out;
}

inline std::vector<PrBitmapOp> BitmapsOf(const PrPage& page) {
  std::vector<PrBitmapOp> out;
  for (const PrOp& op : page.ops)
    if (auto* b = std::get_if<PrBitmapOp>(&op)) out.push_back(*b);
  return out;
}

// Index in the call log of call `name` number `occurrence` (1-based), -1.
inline int CallIndex(const std::string& name, int occurrence) {
  const auto& calls = PrTestCalls();
  int seen = 0;
  for (size_t i = 0; i < calls.size(); ++i)
    if (calls[i].name == name && ++seen == occurrence) return static_cast<int>(i);
  return -1;
}

// Checks that after the call at index `failed` the program released, in
// reverse order of obtaining them, exactly what it still held: printer
// handles, memory blocks, contexts, an open document, fonts and bitmaps.
// The failed call itself counts as releasing its object when it is a
// release (but a failed EndDoc leaves the document open).
inline void ExpectReleasedInReverse(int failed) {
  const auto& calls = PrTestCalls();
  std::vector<std::string> held;
  auto drop = [&held](const std::string& h) {
    for (size_t i = held.size(); i-- > 0;)
      if (held[i] == h) {
        held.erase(held.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
      }
    return false;
  };
  auto isAcquire = [](const PrCall& c) {
    if (c.result == 0) return false;
    return c.name == "OpenPrinterA" || c.name == "malloc" || c.name == "CreateDCA" ||
           c.name == "CreateFontA" || c.name == "LoadBitmapA" || c.name == "CreateCompatibleDC" ||
           (c.name == "StartDocA" && c.result > 0);
  };
  auto key = [](const PrCall& c) {
    if (c.name == "StartDocA" || c.name == "EndDoc" || c.name == "AbortDoc")
      return "doc:" + c.handle;
    return c.handle;
  };
  auto isRelease = [](const PrCall& c) {
    return c.name == "ClosePrinter" || c.name == "free" || c.name == "DeleteDC" ||
           c.name == "DeleteObject" || c.name == "AbortDoc" || c.name == "EndDoc";
  };
  for (int i = 0; i < failed; ++i) {
    const PrCall& c = calls[static_cast<size_t>(i)];
    if (isAcquire(c)) held.push_back(key(c));
    if (isRelease(c) && (c.result > 0 || c.name == "free")) drop(key(c));
  }
  const PrCall& f = calls[static_cast<size_t>(failed)];
  if (isRelease(f) && f.name != "EndDoc") drop(key(f));
  std::vector<std::string> released;
  for (size_t i = static_cast<size_t>(failed) + 1; i < calls.size(); ++i) {
    const PrCall& c = calls[i];
    EXPECT_FALSE(isAcquire(c)) << "obtained after the failure: " << c.name << " " << c.args;
    if (isRelease(c) && c.name != "EndDoc") released.push_back(key(c));
  }
  std::vector<std::string> expected(held.rbegin(), held.rend());
  EXPECT_EQ(released, expected);
}

#endif  // ZOLMA_TESTS_PRINT_DRUCKHILFE_H
