// winprint.cpp - the printing layer's state: the handle tables, the call
// log and the fault injection, and on them the system version and profile,
// the spooler's printers and device settings, the device contexts with
// their documents and pages, and the layer's settings.
//
// Owns every handle the layer hands out (each checked on use, so a stale
// or foreign handle fails instead of being followed) and the test hooks of
// printtest.h. Every call begins with the prologue of printstate.h, which
// logs it and asks support/utfault whether a fault is armed for it. The
// drawing on a context is printdraw.cpp's. Documents are built as
// device-independent pages (printdev.h) and handed to the installed
// backend at EndDoc.
#include "platform/print/winprint.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <set>
#include <utility>

#include "platform/print/printdev.h"
#include "platform/print/printstate.h"
#include "support/utfault.h"
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
#include "platform/print/printtest.h"
#endif

using prstate::Call;
using prstate::dcOf;
using prstate::fmt;
using prstate::nameOf;
using prstate::objectOf;
using prstate::quoted;

namespace {

// The version the layer reports: the NT family, 6.1 build 7601.
constexpr OSVERSIONINFOA kVersion{sizeof(OSVERSIONINFOA), 6, 1, 7601, VER_PLATFORM_WIN32_NT, ""};

// The timeouts a printer's port reports (milliseconds), the spooler's own.
constexpr DWORD kDeviceNotSelectedTimeout = 15000;
constexpr DWORD kTransmissionRetryTimeout = 45000;
// The level-2 attribute of a printer attached to this machine.
constexpr DWORD kPrinterAttributeLocal = 0x40;
// The paper source that lets the printer choose (DMBIN_AUTO).
constexpr short kPaperSourceAuto = 7;
// A memory context made without a device is compatible with the screen.
constexpr int kScreenDotsPerInch = 96;

// The stock objects that a context holds before the program selects its
// own. The stock bitmap's pixels are made with the first memory context
// (stockBitmapReady), so that nothing of the layer is allocated before
// main and a failed allocation is a failed call.
PrGdiObject g_stockFont{PrGdiObject::Kind::Font, true,
                        PrFontDesc{0, FW_NORMAL, false, false, false, ANSI_CHARSET,
                                   FIXED_PITCH | FF_MODERN, "Courier New"},
                        nullptr};
PrGdiObject g_stockBitmap{PrGdiObject::Kind::Bitmap, true, PrFontDesc{}, nullptr};

DWORD g_lastError = 0;
std::unique_ptr<PrBackend> g_backend;
PrSettings g_settings;
OSVERSIONINFOA g_version = kVersion;
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

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
// The call log, kept while the recording backend is installed. Faults are
// asked for only then, so that their counting, which allocates, stays out
// of prints with the real backend.
bool g_recording = false;
std::vector<PrCall> g_calls;
#endif

std::string addLive(const void* h, const std::string& kind) {
  std::string name = kind + std::to_string(++g_serials[kind]);
  g_live[h] = name;
  return name;
}

PrPrinter* printerOf(HANDLE h) {
  auto* p = static_cast<PrPrinter*>(h);
  return g_printers.count(p) ? p : nullptr;
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
  dm.dmDefaultSource = kPaperSourceAuto;
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

// The stock bitmap's pixels, one white dot; false when they cannot be made.
bool stockBitmapReady() {
  if (g_stockBitmap.bitmap) return true;
  try {
    g_stockBitmap.bitmap = std::make_shared<PrBitmapData>(PrBitmapData{1, 1, {0xFFFFFF}});
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

// ---- what the drawing half shares (printstate.h) ------------------------------

std::string prstate::fmt(const char* f, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, f);
  std::vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}

std::string prstate::quoted(const char* s) {
  if (!s) return "null";
  return std::string("\"") + s + "\"";
}

void prstate::setLastError(DWORD error) { g_lastError = error; }

std::string prstate::nameOf(const void* h) {
  if (!h) return "null";
  if (h == &g_stockFont) return "stockfont";
  if (h == &g_stockBitmap) return "stockbitmap";
  auto it = g_live.find(h);
  return it == g_live.end() ? "invalid" : it->second;
}

PrDc* prstate::dcOf(HDC h) { return g_dcs.count(h) ? h : nullptr; }

PrGdiObject* prstate::objectOf(HGDIOBJ h) {
  if (h == &g_stockFont || h == &g_stockBitmap) return h;
  return g_objects.count(h) ? h : nullptr;
}

std::string prstate::adopt(PrGdiObject* object, const char* kind) {
  g_objects.insert(object);
  return addLive(object, kind);
}

bool prstate::selectedElsewhere(const PrDc* dc, const PrGdiObject* bitmap) {
  for (const PrDc* other : g_dcs)
    if (other != dc && other->bitmap == bitmap) return true;
  return false;
}

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void prstate::logCall(const char* call, const std::string& args, long long result,
                      const std::string& handle) {
  if (g_recording) g_calls.push_back(PrCall{call, args, result, g_lastError, handle});
}

bool prstate::injected(const char* call, long long* result) {
  if (!g_recording) return false;
  UtFaultAnswer answer;
  if (!UtFaultCall(call, &answer)) return false;
  *result = answer.result;
  g_lastError = answer.error;
  return true;
}
#endif

// ---- backend and settings ---------------------------------------------------

PrBackend& PrCurrentBackend() {
  if (!g_backend) g_backend = PrMakeRealBackend();
  return *g_backend;
}

const PrSettings& PrGetSettings() { return g_settings; }

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
  if (prstate::injected("free", &inj)) {
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
    info.DeviceNotSelectedTimeout = kDeviceNotSelectedTimeout;
    info.TransmissionRetryTimeout = kTransmissionRetryTimeout;
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
  info.Attributes = kPrinterAttributeLocal;
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
  if (!stockBitmapReady()) return c.fail(ERROR_NOT_ENOUGH_MEMORY, nullptr);
  auto* dc = new PrDc;
  dc->memory = true;
  dc->dpi = base ? base->dpi : kScreenDotsPerInch;
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

// ---- fonts and text ------------------------------------------------------------------

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

// ---- bitmaps -----------------------------------------------------------------------

// ---- test hooks ----------------------------------------------------------------------

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS

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

// Back to the layer's state at the start, with the call log on or off:
// nothing alive, no note, no call logged or counted, no fault armed.
void resetLayer(bool recording) {
  freeLeftovers();
  forgetNote();
  g_serials.clear();
  g_calls.clear();
  UtFaultResetCalls();
  g_recording = recording;
  g_lastError = 0;
  g_version = kVersion;
}

}  // namespace

void PrInstallBackend(std::unique_ptr<PrBackend> backend) { g_backend = std::move(backend); }

void PrSetSettings(const PrSettings& settings) { g_settings = settings; }

void PrTestInstallRecorder(const PrRecorderConfig& config) {
  resetLayer(true);
  PrInstallBackend(PrMakeRecordingBackend(config));
}

void PrTestUninstall() {
  resetLayer(false);
  g_backend.reset();
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

#endif

bool PrTakeDocumentNote(std::string& note) {
  note = g_noteReady ? g_note : std::string();
  bool ready = g_noteReady;
  forgetNote();
  return ready;
}
