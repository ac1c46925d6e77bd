// printdev.h - the printing layer's backends and its document model.
//
// The layer (winprint.cpp) keeps the state of printers, contexts and
// objects and builds every document as a list of pages, each a list of
// drawing operations in device dots (600 an inch, origin at the top left
// of the printable area) together with the logical values the program
// passed. A backend answers what depends on the outside world: which
// printers exist and which is the default, how wide a font's letters are,
// and what happens to a finished document. The real backend (printcairo.cpp)
// asks CUPS and fontconfig and renders PDF with cairo; the recording
// backend (printrec.cpp) has fixed answers and keeps documents in memory.
#ifndef ZOLMA_PLATFORM_PRINT_PRINTDEV_H
#define ZOLMA_PLATFORM_PRINT_PRINTDEV_H

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/print/winprint.h"

// Device geometry shared by every printer of the layer.
inline constexpr int kPrDotsPerInch = 600;
inline constexpr int kPrMarginDots = 100;  // unprintable edge on every side

struct PrPrinterInfo {
  std::string name;
  std::string port;
  std::string driver;
  std::string comment;
  std::string location;
};

// A font as the program created it.
struct PrFontDesc {
  int height = 0;  // as passed to CreateFontA
  int weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  DWORD charSet = ANSI_CHARSET;
  DWORD pitchAndFamily = DEFAULT_PITCH;
  std::string face;
};

// Metrics of a face, as fractions of its em.
struct PrFaceMetrics {
  double ascent = 0.9;
  double descent = 0.25;
  double aveWidth = 0.5;
  double maxWidth = 0.6;
  bool fixedPitch = false;
  std::string resolvedFamily;  // the face actually used
};

struct PrBitmapData {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, rows from the top
};

struct PrTextOp {
  PrFontDesc font;
  std::string resolvedFamily;
  int x = 0, y = 0;       // logical top left as passed
  double dx = 0, dy = 0;  // device top left
  double emDots = 0;      // the font's em in device dots
  double ascentDots = 0;
  std::string text;  // code page 1252
  COLORREF color = 0;
};

struct PrLineOp {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // logical
  double dx0 = 0, dy0 = 0, dx1 = 0, dy1 = 0;
};

struct PrBitmapOp {
  std::shared_ptr<const PrBitmapData> bitmap;
  int x = 0, y = 0, w = 0, h = 0;         // logical destination as passed
  double dx = 0, dy = 0, dw = 0, dh = 0;  // device destination (signed)
  double sx = 0, sy = 0, sw = 0, sh = 0;  // source in bitmap pixels (signed)
};

using PrOp = std::variant<PrTextOp, PrLineOp, PrBitmapOp>;

struct PrPage {
  std::vector<PrOp> ops;
};

struct PrDocument {
  std::string name;
  std::string printer;
  std::string port;
  DEVMODEA settings{};
  int paperWidthDots = 0, paperHeightDots = 0;  // the whole sheet, oriented
  // The scale at which the pages reach the sheet: 1, or less when the
  // printable area of an A4 portrait sheet, for which the program lays its
  // pages out, does not fit the printable area of this sheet.
  double fit = 1.0;
  std::vector<PrPage> pages;
  // The backend's own state between begin and submit or discard: the
  // file printer's temporary file ("" when it holds none).
  std::string spoolFile;
  // The file printer stands in for the print service, which could not be
  // reached when the printers were last asked.
  bool serviceGone = false;
};

class PrBackend {
 public:
  virtual ~PrBackend() = default;
  virtual std::vector<PrPrinterInfo> printers() = 0;
  // The default printer's name, "" when there is none.
  virtual std::string defaultPrinter() = 0;
  virtual PrFaceMetrics metrics(const PrFontDesc& font) = 0;
  // The advance width of a text (code page 1252) in ems.
  virtual double advance(const PrFontDesc& font, const std::string& text) = 0;
  // Prepares a document when it starts (StartDoc), before anything is
  // drawn: the file printer makes sure that it can create its file. False
  // with *error set when the document cannot be printed.
  virtual bool begin(PrDocument& doc, DWORD* error) = 0;
  // Hands a finished document on. True with *note saying where it went
  // (code page 1252); false with *error set, and nothing left behind.
  virtual bool submit(PrDocument& doc, DWORD* error, std::string* note) = 0;
  // Drops a begun document that is not handed on (aborted, or its context
  // deleted): whatever begin made is removed.
  virtual void discard(PrDocument& doc) = 0;
};

// The installed backend; the real one until another is installed. The
// layer owns it.
PrBackend& PrCurrentBackend();
std::unique_ptr<PrBackend> PrMakeRealBackend();
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
// Test hook: puts `backend` in place of the installed one.
void PrInstallBackend(std::unique_ptr<PrBackend> backend);
#endif

// The settings prompt: shows the settings for `printer`, owned by `owner`;
// IDOK with `dm` changed, or IDCANCEL with `dm` as it was.
int PrRunSettingsPrompt(HWND owner, const std::string& printer, DEVMODEA& dm);
// Paper size in device dots for a paper code, portrait; false if unknown.
bool PrPaperDots(short paper, int* width, int* height);
// The scale, at most 1, that fits the printable area of an A4 portrait
// sheet into that of a sheet of the given size (dots, oriented), aspect
// kept.
double PrFitScale(int paperWidthDots, int paperHeightDots);

#endif  // ZOLMA_PLATFORM_PRINT_PRINTDEV_H
