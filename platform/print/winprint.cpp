// winprint.cpp - the printing layer's state: printer handles, device
// contexts, documents and pages, fonts and bitmaps, the last error.
//
// Owns every handle the layer hands out (each checked on use, so a stale
// or foreign handle fails instead of being followed), the version and
// profile answers, the bitmap resources, the layer's settings and the test
// hooks of printtest.h: the call log and the fault injection. Documents are
// built here as device-independent pages (printdev.h) and handed to the
// installed backend at EndDoc.
#include "platform/print/winprint.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <type_traits>
#include <utility>

#include "platform/print/printdev.h"
#include "platform/print/printtest.h"

// ---- objects behind the handles ---------------------------------------------

struct PrPrinter {
  PrPrinterInfo info;
};

struct PrGdiObject {
  enum class Kind { Font, Bitmap } kind;
  bool stock = false;
  PrFontDesc font;
  std::shared_ptr<const PrBitmapData> bitmap;
};

struct PrModule {
  int unused;
};

struct PrDc {
  bool memory = false;
  int dpi = kPrDotsPerInch;
  std::string printer, port;
  DEVMODEA settings{};
  int paperW = 0, paperH = 0;  // dots, oriented
  int mapMode = MM_TEXT;
  COLORREF color = RGB(0, 0, 0);
  POINT pos{0, 0};
  HGDIOBJ font = nullptr;
  HGDIOBJ bitmap = nullptr;
  std::unique_ptr<PrDocument> doc;
  bool inPage = false;
};

namespace {

PrGdiObject g_stockFont{PrGdiObject::Kind::Font, true,
                        PrFontDesc{0, FW_NORMAL, false, false, false, ANSI_CHARSET,
                                   FIXED_PITCH | FF_MODERN, "Courier New"},
                        nullptr};
PrGdiObject g_stockBitmap{PrGdiObject::Kind::Bitmap, true, PrFontDesc{},
                          std::make_shared<PrBitmapData>(PrBitmapData{1, 1, {0xFFFFFF}})};
PrModule g_module{0};

DWORD g_lastError = 0;
std::unique_ptr<PrBackend> g_backend;
PrSettings g_settings;
OSVERSIONINFOA g_version{sizeof(OSVERSIONINFOA), 6, 1, 7601, VER_PLATFORM_WIN32_NT, ""};
std::map<int, std::shared_ptr<const PrBitmapData>> g_bitmaps;
int g_jobCounter = 0;
// Where the last finished document went, until the front end takes it.
std::string g_note;
bool g_noteReady = false;

// Live handles and their names.
std::map<const void*, std::string> g_live;
std::set<PrPrinter*> g_printers;
std::set<PrDc*> g_dcs;
std::set<PrGdiObject*> g_objects;
std::map<std::string, int> g_serials;

// Test hooks.
bool g_recording = false;
std::vector<PrCall> g_calls;
struct Fault {
  int occurrence;
  long long result;
  DWORD error;
};
std::map<std::string, std::vector<Fault>> g_faults;
std::map<std::string, int> g_callCounts;

std::string fmt(const char* f, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, f);
  std::vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}

std::string quoted(const char* s) {
  if (!s) return "null";
  return std::string("\"") + s + "\"";
}

std::string nameOf(const void* h) {
  if (!h) return "null";
  if (h == &g_stockFont) return "stockfont";
  if (h == &g_stockBitmap) return "stockbitmap";
  auto it = g_live.find(h);
  return it == g_live.end() ? "invalid" : it->second;
}

std::string addLive(const void* h, const std::string& kind) {
  std::string name = kind + std::to_string(++g_serials[kind]);
  g_live[h] = name;
  return name;
}

long long asNumber(long long v) { return v; }
long long asNumber(const void* p) { return p ? 1 : 0; }

template <class R>
R done(const char* call, const std::string& args, R result, const std::string& handle = "") {
  if (g_recording) g_calls.push_back(PrCall{call, args, asNumber(result), g_lastError, handle});
  return result;
}

// Counts the call; true when a fault is armed for it (its last error set).
bool injected(const char* call, long long* result) {
  if (!g_recording) return false;
  int n = ++g_callCounts[call];
  auto it = g_faults.find(call);
  if (it == g_faults.end()) return false;
  for (const Fault& f : it->second) {
    if (f.occurrence == 0 || f.occurrence == n) {
      *result = f.result;
      g_lastError = f.error;
      return true;
    }
  }
  return false;
}

// One call into the layer, from its first line to its return: its name,
// its arguments as the call log shows them and the handle it works on.
// `open` counts the call and answers an injected fault or a handle that
// names nothing the layer owns; every return goes through `done`, so that
// each call is logged once, with the last error it leaves.
template <class R>
class Call {
 public:
  Call(const char* call, std::string args, std::string handle = {})
      : call_(call), args_(std::move(args)), handle_(std::move(handle)) {}

  // A call on a handle: the log shows the handle's name, then `more`.
  static Call on(const char* call, const void* h, const std::string& more = {}) {
    std::string name = nameOf(h);
    return Call(call, name + more, name);
  }

  // False when a fault is armed for the call; its answer is then logged.
  bool open() {
    long long inj;
    if (!injected(call_, &inj)) return true;
    if constexpr (std::is_pointer_v<R>) {
      answer_ = done(call_, args_, static_cast<R>(nullptr), handle_);
    } else {
      answer_ = done(call_, args_, static_cast<R>(inj), handle_);
    }
    return false;
  }

  // `found`, or null when a fault is armed or nothing stands behind the
  // handle (the call then answers `invalid` with ERROR_INVALID_HANDLE).
  template <class T>
  T* open(T* found, R invalid) {
    if (!open()) return nullptr;
    if (!found) answer_ = fail(ERROR_INVALID_HANDLE, invalid);
    return found;
  }

  // The answer `open` logged when it returned false or null.
  R answer() const { return answer_; }

  R fail(DWORD error, R result, const std::string& more = {}) {
    g_lastError = error;
    return done(call_, args_ + more, result, handle_);
  }
  R ok(R result, const std::string& more = {}) { return done(call_, args_ + more, result, handle_); }
  // A call that hands out a new handle: the log names that one.
  R made(R result, const std::string& handle) { return done(call_, args_, result, handle); }

 private:
  const char* call_;
  std::string args_, handle_;
  R answer_{};
};

PrPrinter* printerOf(HANDLE h) {
  auto* p = static_cast<PrPrinter*>(h);
  return g_printers.count(p) ? p : nullptr;
}

PrDc* dcOf(HDC h) { return g_dcs.count(h) ? h : nullptr; }

PrGdiObject* objectOf(HGDIOBJ h) {
  if (h == &g_stockFont || h == &g_stockBitmap) return h;
  return g_objects.count(h) ? h : nullptr;
}

bool sameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

const PrPrinterInfo* findPrinter(const std::string& name, std::vector<PrPrinterInfo>& all) {
  all = PrCurrentBackend().printers();
  for (const auto& p : all)
    if (sameNoCase(p.name, name)) return &p;
  return nullptr;
}

void copyName(char* dst, size_t size, const std::string& src) {
  std::snprintf(dst, size, "%s", src.c_str());
}

DEVMODEA defaultSettings(const std::string& printer) {
  DEVMODEA dm;
  std::memset(&dm, 0, sizeof dm);
  copyName(dm.dmDeviceName, sizeof dm.dmDeviceName, printer);
  dm.dmSpecVersion = 0x0401;
  dm.dmDriverVersion = 0x0100;
  dm.dmSize = sizeof(DEVMODEA);
  dm.dmDriverExtra = 0;
  dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX |
                DM_YRESOLUTION | DM_COLLATE | DM_FORMNAME;
  dm.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmPaperSize = DMPAPER_A4;
  dm.dmScale = 100;
  dm.dmCopies = 1;
  dm.dmDefaultSource = 7;  // automatic
  dm.dmPrintQuality = static_cast<short>(kPrDotsPerInch);
  dm.dmColor = DMCOLOR_COLOR;
  dm.dmDuplex = DMDUP_SIMPLEX;
  dm.dmYResolution = static_cast<short>(kPrDotsPerInch);
  dm.dmCollate = 1;
  copyName(dm.dmFormName, sizeof dm.dmFormName, "A4");
  return dm;
}

const char* formName(short paper) {
  switch (paper) {
    case DMPAPER_LETTER:
      return "Letter";
    case DMPAPER_A3:
      return "A3";
    case DMPAPER_A5:
      return "A5";
    default:
      return "A4";
  }
}

// Merges the fields `in` names into `work`; false for a value no printer
// of the layer can take.
bool mergeSettings(DEVMODEA& work, const DEVMODEA& in) {
  int w, h;
  if (in.dmFields & DM_ORIENTATION) {
    if (in.dmOrientation != DMORIENT_PORTRAIT && in.dmOrientation != DMORIENT_LANDSCAPE)
      return false;
    work.dmOrientation = in.dmOrientation;
  }
  if (in.dmFields & DM_PAPERSIZE) {
    if (!PrPaperDots(in.dmPaperSize, &w, &h)) return false;
    work.dmPaperSize = in.dmPaperSize;
    copyName(work.dmFormName, sizeof work.dmFormName, formName(in.dmPaperSize));
  }
  if (in.dmFields & DM_COPIES) {
    if (in.dmCopies < 1 || in.dmCopies > 999) return false;
    work.dmCopies = in.dmCopies;
  }
  if (in.dmFields & DM_DUPLEX) {
    if (in.dmDuplex < DMDUP_SIMPLEX || in.dmDuplex > DMDUP_HORIZONTAL) return false;
    work.dmDuplex = in.dmDuplex;
  }
  return true;
}

// ---- coordinates ----

double unitsPerInch(const PrDc& dc) {
  switch (dc.mapMode) {
    case MM_LOMETRIC:
      return 254.0;
    case MM_HIMETRIC:
      return 2540.0;
    case MM_LOENGLISH:
      return 100.0;
    case MM_HIENGLISH:
      return 1000.0;
    case MM_TWIPS:
      return 1440.0;
    default:
      return dc.dpi;
  }
}

bool flipsY(const PrDc& dc) { return dc.mapMode != MM_TEXT; }

double toDevX(const PrDc& dc, double x) { return x * dc.dpi / unitsPerInch(dc); }
double toDevY(const PrDc& dc, double y) {
  return (flipsY(dc) ? -y : y) * dc.dpi / unitsPerInch(dc);
}
double toLogX(const PrDc& dc, double x) { return x * unitsPerInch(dc) / dc.dpi; }
double toLogY(const PrDc& dc, double y) {
  return (flipsY(dc) ? -y : y) * unitsPerInch(dc) / dc.dpi;
}

// A font as realised in a context: its em in logical units and in dots.
struct Realised {
  PrFaceMetrics m;
  double emLog;
  double emDots;
};

Realised realise(const PrDc& dc, const PrGdiObject& font) {
  Realised r;
  r.m = PrCurrentBackend().metrics(font.font);
  double cell = r.m.ascent + r.m.descent;
  if (font.font.height < 0) {
    r.emLog = -static_cast<double>(font.font.height);
  } else if (font.font.height > 0) {
    r.emLog = font.font.height / (cell > 0 ? cell : 1.0);
  } else {
    // The device's own size: 12 points.
    r.emLog = toLogX(dc, dc.dpi / 6.0);
  }
  r.emDots = toDevX(dc, r.emLog);
  return r;
}

LONG roundL(double v) { return static_cast<LONG>(std::lround(v)); }

void fillMetrics(const Realised& r, const PrGdiObject& font, TEXTMETRICA* tm) {
  std::memset(tm, 0, sizeof *tm);
  tm->tmHeight = roundL(r.emLog * (r.m.ascent + r.m.descent));
  tm->tmAscent = roundL(r.emLog * r.m.ascent);
  tm->tmDescent = tm->tmHeight - tm->tmAscent;
  tm->tmInternalLeading = tm->tmHeight - roundL(r.emLog);
  tm->tmExternalLeading = 0;
  tm->tmAveCharWidth = roundL(r.emLog * r.m.aveWidth);
  tm->tmMaxCharWidth = roundL(r.emLog * r.m.maxWidth);
  tm->tmWeight = font.font.weight ? font.font.weight : FW_NORMAL;
  tm->tmDigitizedAspectX = kPrDotsPerInch;
  tm->tmDigitizedAspectY = kPrDotsPerInch;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = '?';
  tm->tmBreakChar = ' ';
  tm->tmItalic = font.font.italic;
  tm->tmUnderlined = font.font.underline;
  tm->tmStruckOut = font.font.strikeOut;
  tm->tmPitchAndFamily =
      static_cast<BYTE>((font.font.pitchAndFamily & 0xF0) | (r.m.fixedPitch ? 0 : 1) | 0x04);
  tm->tmCharSet = static_cast<BYTE>(font.font.charSet);
}

std::string textOf(LPCSTR text, int count) {
  if (!text) return "";
  if (count < 0) return text;
  return std::string(text, strnlen(text, static_cast<size_t>(count)));
}

// '&' marks an access key: it is dropped, "&&" stands for '&'.
std::string withoutPrefix(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += s[i];
  }
  return out;
}

// Drops an open document; the backend removes whatever it began for it.
void dropDocument(PrDc& dc) {
  if (dc.doc) PrCurrentBackend().discard(*dc.doc);
  dc.doc.reset();
  dc.inPage = false;
}

void forgetNote() {
  g_note.clear();
  g_noteReady = false;
}

}  // namespace

// ---- backend and settings ---------------------------------------------------

PrBackend& PrCurrentBackend() {
  if (!g_backend) g_backend = PrMakeRealBackend();
  return *g_backend;
}

void PrInstallBackend(std::unique_ptr<PrBackend> backend) { g_backend = std::move(backend); }

const PrSettings& PrGetSettings() { return g_settings; }
void PrSetSettings(const PrSettings& settings) { g_settings = settings; }

bool PrPaperDots(short paper, int* width, int* height) {
  // Sizes in millimetres, portrait.
  double w, h;
  switch (paper) {
    case DMPAPER_A4:
      w = 210, h = 297;
      break;
    case DMPAPER_A5:
      w = 148, h = 210;
      break;
    case DMPAPER_A3:
      w = 297, h = 420;
      break;
    case DMPAPER_LETTER:
      w = 215.9, h = 279.4;
      break;
    default:
      return false;
  }
  *width = static_cast<int>(std::lround(w * kPrDotsPerInch / 25.4));
  *height = static_cast<int>(std::lround(h * kPrDotsPerInch / 25.4));
  return true;
}

double PrFitScale(int paperWidthDots, int paperHeightDots) {
  int a4w, a4h;
  PrPaperDots(DMPAPER_A4, &a4w, &a4h);
  double sx = static_cast<double>(paperWidthDots - 2 * kPrMarginDots) / (a4w - 2 * kPrMarginDots);
  double sy = static_cast<double>(paperHeightDots - 2 * kPrMarginDots) / (a4h - 2 * kPrMarginDots);
  return std::clamp(std::min(sx, sy), 0.0, 1.0);
}

void PrRegisterBitmap(int id, int width, int height, const std::uint32_t* pixels) {
  auto b = std::make_shared<PrBitmapData>();
  if (width > 0 && height > 0 && pixels) {
    b->width = width;
    b->height = height;
    b->pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
  }
  g_bitmaps[id] = b;
}

// ---- last error, version, profile ---------------------------------------------

DWORD GetLastError() { return g_lastError; }

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  Call<BOOL> c("GetVersionExA", "");
  if (!c.open()) return c.answer();
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
    return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  *info = g_version;
  return c.ok(TRUE, fmt("platform %u, %u.%u", static_cast<unsigned>(g_version.dwPlatformId),
                        static_cast<unsigned>(g_version.dwMajorVersion),
                        static_cast<unsigned>(g_version.dwMinorVersion)));
}

DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size) {
  Call<DWORD> c("GetProfileStringA", fmt("%s, %s, %s, %u", quoted(section).c_str(),
                                         quoted(key).c_str(), quoted(def).c_str(),
                                         static_cast<unsigned>(size)));
  if (!c.open()) return c.answer();
  std::string value = def ? def : "";
  if (section && key && sameNoCase(section, "windows") && sameNoCase(key, "device")) {
    std::string name = PrCurrentBackend().defaultPrinter();
    if (!name.empty()) {
      std::vector<PrPrinterInfo> all;
      const PrPrinterInfo* p = findPrinter(name, all);
      value = name + ",winspool," + (p ? p->port : std::string());
    }
  }
  if (!out || size == 0) return c.ok(0);
  size_t n = std::min<size_t>(value.size(), size - 1);
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
  g_lastError = ERROR_SUCCESS;
  return c.ok(static_cast<DWORD>(n), " -> " + quoted(out));
}

// ---- the spooler ------------------------------------------------------------------

void* PrMalloc(std::size_t size) {
  Call<void*> c("malloc", fmt("%zu", size));
  if (!c.open()) return c.answer();
  void* p = std::malloc(size ? size : 1);
  if (!p) return c.fail(ERROR_NOT_ENOUGH_MEMORY, nullptr);
  return c.made(p, addLive(p, "block"));
}

void PrFree(void* block) {
  if (!block) return;
  auto c = Call<long long>::on("free", block);
  long long inj;
  // A failed free leaves the block alive; its log line shows 0 whatever the fault's result.
  if (injected("free", &inj)) {
    c.ok(0);
    return;
  }
  if (g_live.erase(block)) std::free(block);
  c.ok(1);
}

BOOL EnumPrintersA(DWORD flags, LPSTR name, DWORD level, BYTE* buf, DWORD cbBuf, DWORD* needed,
                   DWORD* returned) {
  Call<BOOL> c("EnumPrintersA",
               fmt("0x%x, %s, %u, %s, %u", static_cast<unsigned>(flags), quoted(name).c_str(),
                   static_cast<unsigned>(level), buf ? "buffer" : "null",
                   static_cast<unsigned>(cbBuf)));
  if (!c.open()) return c.answer();
  if (!needed || !returned) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  if (level != 5) return c.fail(ERROR_INVALID_LEVEL, FALSE);
  std::vector<PrPrinterInfo> list;
  if (flags & PRINTER_ENUM_DEFAULT) {
    std::string def = PrCurrentBackend().defaultPrinter();
    std::vector<PrPrinterInfo> all;
    const PrPrinterInfo* p = def.empty() ? nullptr : findPrinter(def, all);
    if (p) list.push_back(*p);
  } else {
    list = PrCurrentBackend().printers();
  }
  size_t size = list.size() * sizeof(PRINTER_INFO_5A);
  for (const auto& p : list) size += p.name.size() + 1 + p.port.size() + 1;
  *needed = static_cast<DWORD>(size);
  *returned = 0;
  if (size > cbBuf || (size > 0 && !buf))
    return c.fail(ERROR_INSUFFICIENT_BUFFER, FALSE, fmt(" -> needs %zu", size));
  if (size > 0 && reinterpret_cast<std::uintptr_t>(buf) % alignof(PRINTER_INFO_5A) != 0)
    return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  char* strings = reinterpret_cast<char*>(buf) + list.size() * sizeof(PRINTER_INFO_5A);
  for (size_t i = 0; i < list.size(); ++i) {
    PRINTER_INFO_5A info{};
    info.pPrinterName = strings;
    std::memcpy(strings, list[i].name.c_str(), list[i].name.size() + 1);
    strings += list[i].name.size() + 1;
    info.pPortName = strings;
    std::memcpy(strings, list[i].port.c_str(), list[i].port.size() + 1);
    strings += list[i].port.size() + 1;
    info.DeviceNotSelectedTimeout = 15000;
    info.TransmissionRetryTimeout = 45000;
    std::memcpy(buf + i * sizeof(PRINTER_INFO_5A), &info, sizeof info);
  }
  *returned = static_cast<DWORD>(list.size());
  g_lastError = ERROR_SUCCESS;
  return c.ok(TRUE, fmt(" -> %zu printer(s)", list.size()));
}

BOOL OpenPrinterA(LPSTR name, HANDLE* printer, void*) {
  Call<BOOL> c("OpenPrinterA", quoted(name));
  if (printer) *printer = nullptr;
  if (!c.open()) return c.answer();
  if (!printer) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  std::vector<PrPrinterInfo> all;
  const PrPrinterInfo* p = name ? findPrinter(name, all) : nullptr;
  if (!p) return c.fail(ERROR_INVALID_PRINTER_NAME, FALSE);
  auto* h = new PrPrinter{*p};
  g_printers.insert(h);
  *printer = h;
  // A new print job begins: a note left from an earlier one is stale.
  forgetNote();
  return c.made(TRUE, addLive(h, "printer"));
}

BOOL ClosePrinter(HANDLE printer) {
  auto c = Call<BOOL>::on("ClosePrinter", printer);
  PrPrinter* p = c.open(printerOf(printer), FALSE);
  if (!p) return c.answer();
  g_printers.erase(p);
  g_live.erase(p);
  delete p;
  return c.ok(TRUE);
}

BOOL GetPrinterA(HANDLE printer, DWORD level, BYTE* buf, DWORD cbBuf, DWORD* needed) {
  auto c = Call<BOOL>::on("GetPrinterA", printer,
                          fmt(", %u, %s, %u", static_cast<unsigned>(level), buf ? "buffer" : "null",
                              static_cast<unsigned>(cbBuf)));
  PrPrinter* p = c.open(printerOf(printer), FALSE);
  if (!p) return c.answer();
  if (!needed) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  if (level != 2) return c.fail(ERROR_INVALID_LEVEL, FALSE);
  const std::string* strs[] = {&p->info.name, &p->info.port, &p->info.driver, &p->info.comment,
                               &p->info.location};
  static const std::string kProcessor = "winprint", kDatatype = "RAW", kEmpty;
  size_t size = sizeof(PRINTER_INFO_2A);
  size = (size + alignof(DEVMODEA) - 1) / alignof(DEVMODEA) * alignof(DEVMODEA);
  size_t devOffset = size;
  size += sizeof(DEVMODEA);
  for (const std::string* s : strs) size += s->size() + 1;
  size += kProcessor.size() + 1 + kDatatype.size() + 1 + 3 * (kEmpty.size() + 1);
  *needed = static_cast<DWORD>(size);
  if (!buf || cbBuf < size) return c.fail(ERROR_INSUFFICIENT_BUFFER, FALSE, fmt(" -> needs %zu", size));
  if (reinterpret_cast<std::uintptr_t>(buf) % alignof(PRINTER_INFO_2A) != 0)
    return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  char* at = reinterpret_cast<char*>(buf) + devOffset + sizeof(DEVMODEA);
  auto put = [&at](const std::string& s) {
    char* start = at;
    std::memcpy(at, s.c_str(), s.size() + 1);
    at += s.size() + 1;
    return start;
  };
  PRINTER_INFO_2A info{};
  info.pServerName = nullptr;
  info.pPrinterName = put(p->info.name);
  info.pShareName = put(kEmpty);
  info.pPortName = put(p->info.port);
  info.pDriverName = put(p->info.driver);
  info.pComment = put(p->info.comment);
  info.pLocation = put(p->info.location);
  info.pSepFile = put(kEmpty);
  info.pPrintProcessor = put(kProcessor);
  info.pDatatype = put(kDatatype);
  info.pParameters = put(kEmpty);
  DEVMODEA dm = defaultSettings(p->info.name);
  std::memcpy(buf + devOffset, &dm, sizeof dm);
  info.pDevMode = reinterpret_cast<DEVMODEA*>(buf + devOffset);
  info.Attributes = 0x40;  // local
  info.Priority = 1;
  info.DefaultPriority = 1;
  std::memcpy(buf, &info, sizeof info);
  g_lastError = ERROR_SUCCESS;
  return c.ok(TRUE);
}

LONG DocumentPropertiesA(HWND owner, HANDLE printer, LPSTR device, DEVMODEA* out, DEVMODEA* in,
                         DWORD mode) {
  std::string name = nameOf(printer);
  Call<LONG> c("DocumentPropertiesA",
               fmt("%s, %s, %s, %s, %s, 0x%x", owner ? "owner" : "null", name.c_str(),
                   quoted(device).c_str(), out ? "out" : "null", in ? "in" : "null",
                   static_cast<unsigned>(mode)),
               name);
  PrPrinter* p = c.open(printerOf(printer), -1);
  if (!p) return c.answer();
  if (mode == 0) {
    g_lastError = ERROR_SUCCESS;
    return c.ok(static_cast<LONG>(sizeof(DEVMODEA)));
  }
  DEVMODEA work = defaultSettings(p->info.name);
  if (mode & DM_IN_BUFFER) {
    DEVMODEA given;
    if (!in) return c.fail(ERROR_INVALID_PARAMETER, -1);
    std::memcpy(&given, in, sizeof given);
    if (given.dmSize != sizeof(DEVMODEA) || !mergeSettings(work, given))
      return c.fail(ERROR_INVALID_PARAMETER, -1);
  }
  if ((mode & DM_OUT_BUFFER) && !out) return c.fail(ERROR_INVALID_PARAMETER, -1);
  if ((mode & DM_IN_PROMPT) && PrRunSettingsPrompt(owner, p->info.name, work) != IDOK)
    return c.fail(ERROR_CANCELLED, IDCANCEL, " -> cancelled");
  if (mode & DM_OUT_BUFFER) std::memcpy(out, &work, sizeof work);
  g_lastError = ERROR_SUCCESS;
  return c.ok(IDOK, fmt(" -> orientation %d, paper %d, copies %d, duplex %d", work.dmOrientation,
                        work.dmPaperSize, work.dmCopies, work.dmDuplex));
}

// ---- contexts, documents, pages --------------------------------------------------

HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* settings) {
  Call<HDC> c("CreateDCA", fmt("%s, %s, %s, %s", quoted(driver).c_str(), quoted(device).c_str(),
                               quoted(output).c_str(), settings ? "settings" : "null"));
  if (!c.open()) return c.answer();
  if (!driver || !sameNoCase(driver, "WINSPOOL") || output)
    return c.fail(ERROR_INVALID_PARAMETER, nullptr);
  std::vector<PrPrinterInfo> all;
  const PrPrinterInfo* p = device ? findPrinter(device, all) : nullptr;
  if (!p) return c.fail(ERROR_INVALID_PRINTER_NAME, nullptr);
  DEVMODEA dm = defaultSettings(p->name);
  if (settings) {
    DEVMODEA given;
    std::memcpy(&given, settings, sizeof given);
    if (given.dmSize != sizeof(DEVMODEA) || !mergeSettings(dm, given))
      return c.fail(ERROR_INVALID_PARAMETER, nullptr);
  }
  auto* dc = new PrDc;
  dc->printer = p->name;
  dc->port = p->port;
  dc->settings = dm;
  PrPaperDots(dm.dmPaperSize, &dc->paperW, &dc->paperH);
  if (dm.dmOrientation == DMORIENT_LANDSCAPE) std::swap(dc->paperW, dc->paperH);
  dc->font = &g_stockFont;
  g_dcs.insert(dc);
  return c.made(dc, addLive(dc, "dc"));
}

HDC CreateCompatibleDC(HDC like) {
  Call<HDC> c("CreateCompatibleDC", nameOf(like));
  if (!c.open()) return c.answer();
  PrDc* base = like ? dcOf(like) : nullptr;
  if (like && !base) return c.fail(ERROR_INVALID_HANDLE, nullptr);
  auto* dc = new PrDc;
  dc->memory = true;
  dc->dpi = base ? base->dpi : 96;
  dc->font = &g_stockFont;
  dc->bitmap = &g_stockBitmap;
  g_dcs.insert(dc);
  return c.made(dc, addLive(dc, "mem"));
}

BOOL DeleteDC(HDC h) {
  auto c = Call<BOOL>::on("DeleteDC", h);
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  dropDocument(*dc);
  g_dcs.erase(dc);
  g_live.erase(dc);
  delete dc;
  return c.ok(TRUE);
}

int StartDocA(HDC h, const DOCINFOA* doc) {
  auto c = Call<int>::on("StartDocA", h,
                         fmt(", %s", doc ? quoted(doc->lpszDocName).c_str() : "null"));
  PrDc* dc = c.open(dcOf(h), -1);
  if (!dc) return c.answer();
  if (dc->memory || dc->doc || !doc || doc->lpszOutput) return c.fail(ERROR_INVALID_PARAMETER, -1);
  dc->doc = std::make_unique<PrDocument>();
  dc->doc->name = doc->lpszDocName ? doc->lpszDocName : "";
  dc->doc->printer = dc->printer;
  dc->doc->port = dc->port;
  dc->doc->settings = dc->settings;
  dc->doc->paperWidthDots = dc->paperW;
  dc->doc->paperHeightDots = dc->paperH;
  dc->doc->fit = PrFitScale(dc->paperW, dc->paperH);
  dc->inPage = false;
  forgetNote();
  DWORD err = 0;
  if (!PrCurrentBackend().begin(*dc->doc, &err)) {
    dc->doc.reset();
    return c.fail(err ? err : ERROR_OPEN_FAILED, -1);
  }
  g_lastError = ERROR_SUCCESS;
  return c.ok(++g_jobCounter);
}

int StartPage(HDC h) {
  auto c = Call<int>::on("StartPage", h);
  PrDc* dc = c.open(dcOf(h), -1);
  if (!dc) return c.answer();
  if (!dc->doc || dc->inPage) return c.fail(ERROR_INVALID_PARAMETER, -1);
  dc->doc->pages.emplace_back();
  dc->inPage = true;
  return c.ok(1);
}

int EndPage(HDC h) {
  auto c = Call<int>::on("EndPage", h);
  PrDc* dc = c.open(dcOf(h), -1);
  if (!dc) return c.answer();
  // No page was started: there is nothing to end.
  if (!dc->doc || !dc->inPage) return c.fail(ERROR_INVALID_PARAMETER, -1);
  dc->inPage = false;
  return c.ok(1);
}

int EndDoc(HDC h) {
  auto c = Call<int>::on("EndDoc", h);
  PrDc* dc = c.open(dcOf(h), -1);
  if (!dc) return c.answer();
  if (!dc->doc) return c.fail(ERROR_INVALID_PARAMETER, -1);
  std::unique_ptr<PrDocument> doc = std::move(dc->doc);
  dc->inPage = false;
  DWORD err = 0;
  std::string note;
  if (!PrCurrentBackend().submit(*doc, &err, &note)) return c.fail(err ? err : ERROR_WRITE_FAULT, -1);
  g_note = note;
  g_noteReady = true;
  g_lastError = ERROR_SUCCESS;
  return c.ok(1);
}

int AbortDoc(HDC h) {
  auto c = Call<int>::on("AbortDoc", h);
  PrDc* dc = c.open(dcOf(h), -1);
  if (!dc) return c.answer();
  if (!dc->doc) return c.fail(ERROR_INVALID_PARAMETER, -1);
  dropDocument(*dc);
  return c.ok(1);
}

int SetMapMode(HDC h, int mode) {
  auto c = Call<int>::on("SetMapMode", h, fmt(", %d", mode));
  PrDc* dc = c.open(dcOf(h), 0);
  if (!dc) return c.answer();
  if (mode < MM_TEXT || mode > MM_TWIPS) return c.fail(ERROR_INVALID_PARAMETER, 0);
  int previous = dc->mapMode;
  dc->mapMode = mode;
  return c.ok(previous);
}

int GetMapMode(HDC h) {
  auto c = Call<int>::on("GetMapMode", h);
  PrDc* dc = c.open(dcOf(h), 0);
  if (!dc) return c.answer();
  return c.ok(dc->mapMode);
}

BOOL GetWindowExtEx(HDC h, SIZE* size) {
  auto c = Call<BOOL>::on("GetWindowExtEx", h);
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (!size) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  if (dc->mapMode == MM_TEXT || dc->memory) {
    size->cx = 1;
    size->cy = 1;
  } else {
    size->cx = roundL(toLogX(*dc, dc->paperW - 2 * kPrMarginDots));
    size->cy = roundL(toLogX(*dc, dc->paperH - 2 * kPrMarginDots));
  }
  return c.ok(TRUE, fmt(" -> %d %d", size->cx, size->cy));
}

namespace {

// The window and the viewport keep their origin at (0, 0).
BOOL zeroOrigin(const char* call, HDC h, POINT* origin) {
  auto c = Call<BOOL>::on(call, h);
  if (!c.open(dcOf(h), FALSE)) return c.answer();
  if (!origin) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  *origin = POINT{0, 0};
  return c.ok(TRUE);
}

}  // namespace

BOOL GetWindowOrgEx(HDC h, POINT* origin) {
  return zeroOrigin("GetWindowOrgEx", h, origin);
}

BOOL GetViewportOrgEx(HDC h, POINT* origin) {
  return zeroOrigin("GetViewportOrgEx", h, origin);
}

namespace {

BOOL convertPoints(const char* call, HDC h, POINT* points, int count, bool toLogical) {
  auto c = Call<BOOL>::on(call, h, fmt(", %d", count));
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (!points || count < 0) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  for (int i = 0; i < count; ++i) {
    POINT& p = points[i];
    if (toLogical) {
      p = POINT{roundL(toLogX(*dc, p.x)), roundL(toLogY(*dc, p.y))};
    } else {
      p = POINT{roundL(toDevX(*dc, p.x)), roundL(toDevY(*dc, p.y))};
    }
  }
  return c.ok(TRUE, count > 0 ? fmt(" -> (%d, %d)", points[0].x, points[0].y) : std::string());
}

}  // namespace

BOOL DPtoLP(HDC h, POINT* points, int count) {
  return convertPoints("DPtoLP", h, points, count, true);
}
BOOL LPtoDP(HDC h, POINT* points, int count) {
  return convertPoints("LPtoDP", h, points, count, false);
}

// ---- fonts and text ------------------------------------------------------------------

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
  Call<HFONT> c("CreateFontA",
                fmt("%d, %d, %d, %d, %d, %u, %u, %u, %u, %u, 0x%x, %u, 0x%x, %s", height, width,
                    escapement, orientation, weight, static_cast<unsigned>(italic),
                    static_cast<unsigned>(underline), static_cast<unsigned>(strikeOut),
                    static_cast<unsigned>(charSet), static_cast<unsigned>(outPrecision),
                    static_cast<unsigned>(clipPrecision), static_cast<unsigned>(quality),
                    static_cast<unsigned>(pitchAndFamily), quoted(face).c_str()));
  if (!c.open()) return c.answer();
  if (weight < 0 || weight > 1000) return c.fail(ERROR_INVALID_PARAMETER, nullptr);
  auto* f = new PrGdiObject{PrGdiObject::Kind::Font, false,
                            PrFontDesc{height, weight, italic != 0, underline != 0, strikeOut != 0,
                                       charSet, pitchAndFamily, face ? face : ""},
                            nullptr};
  g_objects.insert(f);
  return c.made(f, addLive(f, "font"));
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ object) {
  Call<HGDIOBJ> c("SelectObject", fmt("%s, %s", nameOf(h).c_str(), nameOf(object).c_str()));
  if (!c.open()) return c.answer();
  PrDc* dc = dcOf(h);
  PrGdiObject* o = objectOf(object);
  if (!dc || !o) return c.fail(ERROR_INVALID_HANDLE, nullptr);
  HGDIOBJ previous;
  if (o->kind == PrGdiObject::Kind::Font) {
    previous = dc->font;
    dc->font = o;
  } else {
    // A bitmap goes into one memory context at a time.
    bool elsewhere = false;
    for (PrDc* other : g_dcs)
      if (other != dc && other->bitmap == o && !o->stock) elsewhere = true;
    if (!dc->memory || elsewhere) return c.fail(ERROR_INVALID_PARAMETER, nullptr);
    previous = dc->bitmap;
    dc->bitmap = o;
  }
  return c.made(previous, nameOf(previous));
}

BOOL DeleteObject(HGDIOBJ object) {
  auto c = Call<BOOL>::on("DeleteObject", object);
  PrGdiObject* o = c.open(objectOf(object), FALSE);
  if (!o) return c.answer();
  if (o->stock) return c.ok(TRUE);
  for (PrDc* dc : g_dcs) {
    if (dc->font == o) dc->font = &g_stockFont;
    if (dc->bitmap == o) dc->bitmap = &g_stockBitmap;
  }
  g_objects.erase(o);
  g_live.erase(o);
  delete o;
  return c.ok(TRUE);
}

BOOL GetTextMetricsA(HDC h, TEXTMETRICA* metrics) {
  auto c = Call<BOOL>::on("GetTextMetricsA", h);
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (!metrics) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  fillMetrics(realise(*dc, *dc->font), *dc->font, metrics);
  return c.ok(TRUE, fmt(" (%s) -> height %d", nameOf(dc->font).c_str(), metrics->tmHeight));
}

BOOL GetTextExtentPointA(HDC h, LPCSTR text, int count, SIZE* size) {
  std::string s = textOf(text, count);
  auto c = Call<BOOL>::on("GetTextExtentPointA", h, fmt(", %s, %d", quoted(s.c_str()).c_str(), count));
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (!text || !size || count < 0) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  Realised r = realise(*dc, *dc->font);
  TEXTMETRICA tm;
  fillMetrics(r, *dc->font, &tm);
  size->cx = roundL(r.emLog * PrCurrentBackend().advance(dc->font->font, s));
  size->cy = tm.tmHeight;
  return c.ok(TRUE, fmt(" -> %d %d", size->cx, size->cy));
}

COLORREF SetTextColor(HDC h, COLORREF color) {
  auto c = Call<COLORREF>::on("SetTextColor", h, fmt(", 0x%06x", static_cast<unsigned>(color)));
  PrDc* dc = c.open(dcOf(h), CLR_INVALID);
  if (!dc) return c.answer();
  COLORREF previous = dc->color;
  dc->color = color & 0xFFFFFFu;
  return c.ok(previous);
}

COLORREF GetTextColor(HDC h) {
  auto c = Call<COLORREF>::on("GetTextColor", h);
  PrDc* dc = c.open(dcOf(h), CLR_INVALID);
  if (!dc) return c.answer();
  return c.ok(dc->color);
}

int DrawTextA(HDC h, LPCSTR text, int count, RECT* rect, UINT format) {
  std::string s = textOf(text, count);
  auto c = Call<int>::on("DrawTextA", h,
                         fmt(", %s, %d, (%d, %d, %d, %d), 0x%x", quoted(s.c_str()).c_str(), count,
                             rect ? rect->left : 0, rect ? rect->top : 0, rect ? rect->right : 0,
                             rect ? rect->bottom : 0, format));
  PrDc* dc = c.open(dcOf(h), 0);
  if (!dc) return c.answer();
  if (!text || !rect || dc->memory || !dc->inPage) return c.fail(ERROR_INVALID_PARAMETER, 0);
  if (!(format & DT_NOPREFIX)) s = withoutPrefix(s);
  Realised r = realise(*dc, *dc->font);
  TEXTMETRICA tm;
  fillMetrics(r, *dc->font, &tm);
  PrTextOp op;
  op.font = dc->font->font;
  op.resolvedFamily = r.m.resolvedFamily;
  op.x = rect->left;
  op.y = rect->top;
  op.dx = toDevX(*dc, rect->left);
  op.dy = toDevY(*dc, rect->top);
  op.emDots = r.emDots;
  op.ascentDots = r.emDots * r.m.ascent;
  op.text = s;
  op.color = dc->color;
  dc->doc->pages.back().ops.emplace_back(std::move(op));
  return c.ok(static_cast<int>(tm.tmHeight));
}

BOOL MoveToEx(HDC h, int x, int y, POINT* previous) {
  auto c = Call<BOOL>::on("MoveToEx", h, fmt(", %d, %d", x, y));
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (previous) *previous = dc->pos;
  dc->pos = POINT{x, y};
  return c.ok(TRUE);
}

BOOL LineTo(HDC h, int x, int y) {
  auto c = Call<BOOL>::on("LineTo", h, fmt(", %d, %d", x, y));
  PrDc* dc = c.open(dcOf(h), FALSE);
  if (!dc) return c.answer();
  if (dc->memory || !dc->inPage) return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  PrLineOp op{dc->pos.x,      dc->pos.y,     x, y, toDevX(*dc, dc->pos.x), toDevY(*dc, dc->pos.y),
              toDevX(*dc, x), toDevY(*dc, y)};
  dc->doc->pages.back().ops.emplace_back(op);
  dc->pos = POINT{x, y};
  return c.ok(TRUE);
}

// ---- bitmaps -----------------------------------------------------------------------

HINSTANCE GetModuleHandleA(LPCSTR name) {
  if (name) {
    g_lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  return &g_module;
}

HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) {
  auto id = reinterpret_cast<std::uintptr_t>(name);
  Call<HBITMAP> c("LoadBitmapA",
                  id < 0x10000 ? fmt("module, #%u", static_cast<unsigned>(id)) : quoted(name));
  if (!c.open()) return c.answer();
  if (module != &g_module || id >= 0x10000) return c.fail(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
  auto it = g_bitmaps.find(static_cast<int>(id));
  if (it == g_bitmaps.end() || it->second->width <= 0)
    return c.fail(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
  auto* b = new PrGdiObject{PrGdiObject::Kind::Bitmap, false, PrFontDesc{}, it->second};
  g_objects.insert(b);
  return c.made(b, addLive(b, "bitmap"));
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
  auto c = Call<int>::on("GetObjectA", object, fmt(", %d", size));
  PrGdiObject* o = c.open(objectOf(object), 0);
  if (!o) return c.answer();
  if (o->kind != PrGdiObject::Kind::Bitmap || !out || size < static_cast<int>(sizeof(BITMAP)))
    return c.fail(ERROR_INVALID_PARAMETER, 0);
  BITMAP bm{0,  o->bitmap->width, o->bitmap->height, ((o->bitmap->width * 24 + 31) / 32) * 4, 1,
            24, nullptr};
  std::memcpy(out, &bm, sizeof bm);
  return c.ok(static_cast<int>(sizeof bm), fmt(" -> %d x %d", bm.bmWidth, bm.bmHeight));
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs,
                DWORD rop) {
  auto c = Call<BOOL>::on("StretchBlt", dst,
                          fmt(", %d, %d, %d, %d, %s, %d, %d, %d, %d, 0x%x", x, y, w, h,
                              nameOf(src).c_str(), xs, ys, ws, hs, static_cast<unsigned>(rop)));
  PrDc* s = dcOf(src);
  PrDc* d = c.open(s ? dcOf(dst) : nullptr, FALSE);
  if (!d) return c.answer();
  if (rop != SRCCOPY || d->memory || !d->inPage || !s->memory || !s->bitmap)
    return c.fail(ERROR_INVALID_PARAMETER, FALSE);
  PrBitmapOp op;
  op.bitmap = s->bitmap->bitmap;
  op.x = x, op.y = y, op.w = w, op.h = h;
  op.dx = toDevX(*d, x);
  op.dy = toDevY(*d, y);
  op.dw = toDevX(*d, x + w) - op.dx;
  op.dh = toDevY(*d, y + h) - op.dy;
  op.sx = toDevX(*s, xs);
  op.sy = toDevY(*s, ys);
  op.sw = toDevX(*s, xs + ws) - op.sx;
  op.sh = toDevY(*s, ys + hs) - op.sy;
  d->doc->pages.back().ops.emplace_back(std::move(op));
  return c.ok(TRUE);
}

// ---- test hooks ----------------------------------------------------------------------

namespace {

// Frees whatever the program left behind.
void freeLeftovers() {
  for (PrDc* dc : g_dcs) {
    dropDocument(*dc);
    delete dc;
  }
  g_dcs.clear();
  for (PrGdiObject* o : g_objects) delete o;
  g_objects.clear();
  for (PrPrinter* p : g_printers) delete p;
  g_printers.clear();
  for (auto& [p, name] : g_live)
    if (name.rfind("block", 0) == 0) std::free(const_cast<void*>(p));
  g_live.clear();
}

}  // namespace

std::unique_ptr<PrBackend> PrMakeRecordingBackend(const PrRecorderConfig& config);
const std::vector<PrDocument>& PrRecordedDocuments();

void PrTestInstallRecorder(const PrRecorderConfig& config) {
  freeLeftovers();
  forgetNote();
  g_serials.clear();
  g_calls.clear();
  g_faults.clear();
  g_callCounts.clear();
  g_recording = true;
  g_lastError = 0;
  g_version = OSVERSIONINFOA{sizeof(OSVERSIONINFOA), 6, 1, 7601, VER_PLATFORM_WIN32_NT, ""};
  PrInstallBackend(PrMakeRecordingBackend(config));
}

void PrTestUninstall() {
  freeLeftovers();
  forgetNote();
  g_serials.clear();
  g_calls.clear();
  g_faults.clear();
  g_callCounts.clear();
  g_recording = false;
  g_version = OSVERSIONINFOA{sizeof(OSVERSIONINFOA), 6, 1, 7601, VER_PLATFORM_WIN32_NT, ""};
  g_backend.reset();
}

void PrTestInjectFault(const std::string& name, int occurrence, long long result, DWORD lastError) {
  g_faults[name].push_back(Fault{occurrence, result, lastError});
}

const std::vector<PrCall>& PrTestCalls() { return g_calls; }

std::vector<std::string> PrTestLive() {
  std::vector<std::string> out;
  for (const auto& [p, name] : g_live) out.push_back(name);
  std::sort(out.begin(), out.end());
  return out;
}

void PrTestSetVersion(DWORD platformId, DWORD major, DWORD minor) {
  g_version.dwPlatformId = platformId;
  g_version.dwMajorVersion = major;
  g_version.dwMinorVersion = minor;
}

const std::vector<PrDocument>& PrTestSubmitted() { return PrRecordedDocuments(); }

bool PrTakeDocumentNote(std::string& note) {
  note = g_noteReady ? g_note : std::string();
  bool ready = g_noteReady;
  forgetNote();
  return ready;
}
