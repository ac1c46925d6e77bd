// Tests of the printing layer itself: checked handles, the document and
// page states, device settings, the twips mapping, metrics, bitmaps, the
// fault injection, and the real backend's font resolution.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/print/printtest.h"
#include "platform/print/winprint.h"
#include "support/utfault.h"

namespace {

class PrintLayer : public ::testing::Test {
 protected:
  void SetUp() override { PrTestInstallRecorder(); }
  void TearDown() override { PrTestUninstall(); }

  static HDC printerDc() { return CreateDCA("WINSPOOL", "Testdrucker", nullptr, nullptr); }
  static HFONT font(int height, DWORD pitch = FIXED_PITCH | FF_MODERN) {
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_TT_ONLY_PRECIS,
                       CLIP_TT_ALWAYS, PROOF_QUALITY, pitch, "Courier New");
  }
};

TEST_F(PrintLayer, StaleAndForeignHandlesFail) {
  HANDLE p = nullptr;
  ASSERT_TRUE(OpenPrinterA(const_cast<LPSTR>("testDRUCKER"), &p, nullptr));  // names ignore case
  EXPECT_TRUE(ClosePrinter(p));
  EXPECT_FALSE(ClosePrinter(p));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(OpenPrinterA(const_cast<LPSTR>("Unbekannt"), &p, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);

  HDC dc = printerDc();
  ASSERT_NE(dc, nullptr);
  HFONT f = font(-240);
  ASSERT_NE(SelectObject(dc, f), nullptr);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(SelectObject(dc, f), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(StartPage(dc), -1);
  EXPECT_TRUE(DeleteObject(f));
  EXPECT_FALSE(DeleteObject(f));
  int notAHandle = 0;
  EXPECT_EQ(GetMapMode(reinterpret_cast<HDC>(&notAHandle)), 0);
  EXPECT_TRUE(PrTestLive().empty());
}

TEST_F(PrintLayer, DocumentAndPageStates) {
  HDC dc = printerDc();
  RECT r{0, 0, 100, 100};
  DOCINFOA di{sizeof(DOCINFOA), "Probe", nullptr, nullptr, 0};
  EXPECT_LE(StartPage(dc), 0);  // no document
  ASSERT_GT(StartDocA(dc, &di), 0);
  EXPECT_LE(StartDocA(dc, &di), 0);                         // one at a time
  EXPECT_LE(EndPage(dc), 0);                                // no page was started
  EXPECT_EQ(DrawTextA(dc, "x", -1, &r, DT_SINGLELINE), 0);  // drawing needs a page
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_GT(DrawTextA(dc, "A&&B&C", -1, &r, DT_SINGLELINE), 0);
  EXPECT_GT(DrawTextA(dc, "A&&B", 2, &r, DT_SINGLELINE | DT_NOPREFIX), 0);
  ASSERT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  ASSERT_EQ(PrTestSubmitted().size(), 1u);
  ASSERT_EQ(PrTestSubmitted()[0].pages.size(), 1u);
  const auto& ops = PrTestSubmitted()[0].pages[0].ops;
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(std::get<PrTextOp>(ops[0]).text, "A&BC");
  EXPECT_EQ(std::get<PrTextOp>(ops[1]).text, "A&");

  // An aborted document, and one whose context is deleted, are not handed on.
  ASSERT_GT(StartDocA(dc, &di), 0);
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_GT(AbortDoc(dc), 0);
  EXPECT_LE(EndDoc(dc), 0);
  ASSERT_GT(StartDocA(dc, &di), 0);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(PrTestSubmitted().size(), 1u);
}

TEST_F(PrintLayer, DeviceSettingsMergeOnlyTheNamedFields) {
  HANDLE p = nullptr;
  ASSERT_TRUE(OpenPrinterA(const_cast<LPSTR>("Testdrucker"), &p, nullptr));
  EXPECT_EQ(DocumentPropertiesA(nullptr, p, nullptr, nullptr, nullptr, 0), 156);
  DEVMODEA dm;
  ASSERT_EQ(DocumentPropertiesA(nullptr, p, nullptr, &dm, nullptr, DM_OUT_BUFFER), IDOK);
  EXPECT_STREQ(dm.dmDeviceName, "Testdrucker");
  EXPECT_EQ(dm.dmSize, sizeof(DEVMODEA));
  EXPECT_EQ(dm.dmPaperSize, DMPAPER_A4);

  dm.dmFields = DM_ORIENTATION | DM_COPIES;
  dm.dmOrientation = DMORIENT_LANDSCAPE;
  dm.dmCopies = 3;
  dm.dmPaperSize = DMPAPER_A3;  // not named: stays A4
  ASSERT_EQ(DocumentPropertiesA(nullptr, p, nullptr, &dm, &dm, DM_IN_BUFFER | DM_OUT_BUFFER), IDOK);
  EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(dm.dmCopies, 3);
  EXPECT_EQ(dm.dmPaperSize, DMPAPER_A4);

  dm.dmFields = DM_DUPLEX;
  dm.dmDuplex = 9;
  EXPECT_LT(DocumentPropertiesA(nullptr, p, nullptr, &dm, &dm, DM_IN_BUFFER | DM_OUT_BUFFER), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  // The level-2 information carries the name, the port and default settings.
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterA(p, 2, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  std::vector<std::max_align_t> buf(needed / sizeof(std::max_align_t) + 1);
  ASSERT_TRUE(GetPrinterA(p, 2, reinterpret_cast<BYTE*>(buf.data()), needed, &needed));
  PRINTER_INFO_2A info;
  std::memcpy(&info, buf.data(), sizeof info);
  EXPECT_STREQ(info.pPrinterName, "Testdrucker");
  EXPECT_STREQ(info.pPortName, "TEST:");
  EXPECT_EQ(info.pDevMode->dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_TRUE(ClosePrinter(p));

  // A context made with the settings has the landscape sheet.
  DEVMODEA land = dm;
  land.dmFields = DM_ORIENTATION;
  land.dmOrientation = DMORIENT_LANDSCAPE;
  HDC dc = CreateDCA("WINSPOOL", "Testdrucker", nullptr, &land);
  ASSERT_NE(dc, nullptr);
  SetMapMode(dc, MM_TWIPS);
  SIZE ext;
  ASSERT_TRUE(GetWindowExtEx(dc, &ext));
  EXPECT_GT(ext.cx, ext.cy);
  DeleteDC(dc);
}

TEST_F(PrintLayer, TwipsMappingMetricsAndBitmaps) {
  HDC dc = printerDc();
  SIZE ext;
  ASSERT_TRUE(GetWindowExtEx(dc, &ext));
  EXPECT_EQ(ext.cx, 1);  // MM_TEXT
  EXPECT_EQ(SetMapMode(dc, MM_TWIPS), MM_TEXT);
  ASSERT_TRUE(GetWindowExtEx(dc, &ext));
  // A4 at 600 dots an inch less 100 dots on each side.
  EXPECT_EQ(ext.cx, 11426);
  EXPECT_EQ(ext.cy, 16358);
  POINT pt{600, 300};
  ASSERT_TRUE(DPtoLP(dc, &pt, 1));
  EXPECT_EQ(pt.x, 1440);
  EXPECT_EQ(pt.y, -720);

  // Metrics in twips: em 240 x (0.9 + 0.25); a positive height is the cell.
  TEXTMETRICA tm;
  HFONT f = font(-240);
  HGDIOBJ start = SelectObject(dc, f);
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 276);
  EXPECT_EQ(tm.tmAscent, 216);
  EXPECT_EQ(tm.tmInternalLeading, 36);
  SIZE sz;
  ASSERT_TRUE(GetTextExtentPointA(dc, "abcde", 5, &sz));
  EXPECT_EQ(sz.cx, 5 * 144);
  HFONT cell = font(276, VARIABLE_PITCH | FF_SWISS);
  SelectObject(dc, cell);
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 276);
  EXPECT_EQ(tm.tmPitchAndFamily & 1, 1);
  SelectObject(dc, start);

  // A 20 x 10 bitmap stretched onto a box of 480 x 240 twips (200 x 100 dots).
  std::vector<std::uint32_t> px(200, 0x123456);
  PrRegisterBitmap(901, 20, 10, px.data());
  HBITMAP bmp = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(901));
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(902)), nullptr);
  EXPECT_EQ(SelectObject(dc, bmp), nullptr);  // not into a printer context
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, bmp);
  ASSERT_NE(old, nullptr);
  SetMapMode(mem, MM_TWIPS);
  BITMAP bm;
  ASSERT_EQ(GetObjectA(bmp, sizeof bm, &bm), static_cast<int>(sizeof bm));
  POINT size{bm.bmWidth, bm.bmHeight};
  DPtoLP(dc, &size, 1);
  DOCINFOA di{sizeof(DOCINFOA), "Bild", nullptr, nullptr, 0};
  StartDocA(dc, &di);
  StartPage(dc);
  ASSERT_TRUE(StretchBlt(dc, 1440, -1440, 480, -240, mem, 0, 0, size.x, size.y, SRCCOPY));
  EndPage(dc);
  EndDoc(dc);
  const auto& b = std::get<PrBitmapOp>(PrTestSubmitted()[0].pages[0].ops[0]);
  EXPECT_DOUBLE_EQ(b.dx, 600);
  EXPECT_DOUBLE_EQ(b.dy, 600);
  EXPECT_DOUBLE_EQ(b.dw, 200);
  EXPECT_DOUBLE_EQ(b.dh, 100);
  EXPECT_DOUBLE_EQ(b.sw, 20);
  EXPECT_DOUBLE_EQ(b.sh, 10);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
  DeleteObject(cell);
  DeleteObject(f);
  DeleteDC(dc);
  EXPECT_TRUE(PrTestLive().empty());
}

TEST_F(PrintLayer, FaultsHitTheCallTheyNameAndAreLogged) {
  UtFaultFailCall("CreateFontA", 2, 0, 1234);
  UtFaultFailCall("StartPage", 0, -5, 99);
  HFONT a = font(-100), b = font(-100), c = font(-100);
  EXPECT_NE(a, nullptr);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(GetLastError(), 1234u);
  EXPECT_NE(c, nullptr);
  HDC dc = printerDc();
  EXPECT_EQ(StartPage(dc), -5);
  EXPECT_EQ(StartPage(dc), -5);
  EXPECT_EQ(GetLastError(), 99u);
  const auto& calls = PrTestCalls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[1].name, "CreateFontA");
  EXPECT_EQ(calls[1].result, 0);
  EXPECT_EQ(calls[1].lastError, 1234u);
  EXPECT_EQ(calls[2].handle, "font2");
  EXPECT_EQ(calls[3].name, "CreateDCA");
  EXPECT_EQ(calls[4].args, "dc1");
  DeleteObject(a);
  DeleteObject(c);
  DeleteDC(dc);
}

// The real backend resolves "Courier New" through fontconfig.
TEST(PrintRealBackend, CourierNewResolvesToAMetricCompatibleFace) {
  if (std::system("fc-list 2>/dev/null | grep -q 'Liberation Mono'") != 0)
    GTEST_SKIP() << "the Liberation fonts are not installed";
  PrTestUninstall();
  PrFontDesc bold{-240,         FW_BOLD, false, false, false, ANSI_CHARSET, FIXED_PITCH | FF_MODERN,
                  "Courier New"};
  PrFaceMetrics m = PrCurrentBackend().metrics(bold);
  EXPECT_EQ(m.resolvedFamily, "Liberation Mono");
  EXPECT_TRUE(m.fixedPitch);
  EXPECT_NEAR(m.aveWidth, 0.6, 0.01);  // Courier New's letters are 0.6 em
  EXPECT_NEAR(PrCurrentBackend().advance(bold, "abcdefghij"), 6.0, 0.05);
  PrFontDesc normal = bold;
  normal.weight = FW_NORMAL;
  normal.pitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  PrFaceMetrics n = PrCurrentBackend().metrics(normal);
  EXPECT_EQ(n.resolvedFamily, "Liberation Mono");  // the named face wins over the pitch
  EXPECT_TRUE(n.fixedPitch);
}

}  // namespace
