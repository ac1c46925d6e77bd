// druck.cpp - printing the result page, and the printer set-up that the
// result page and the 50 km list share (CDruckAuftrag, druck.h).
//
// Messages and printed lines are formatted into buffers of 100 characters,
// so no line holds more than 99. A route text too wide for its line goes
// on in one continuation line below it (see WegetextDrucken). Texts are in
// the Windows character set.
#include "app/druck.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "app/zolmadlg.h"
#include "common/dtacc/dm/dmbase.h"
#include "support/utday.h"

namespace {

bool ZolmaDruckTrace = false;

constexpr int kPuffer = 100;
constexpr long kMindestGroesse = 156;  // the device settings record at least
const char kCaption[] = "Fehler beim Drucken";
#define OEFFNEN             \
  "Kann Drucker nicht \xF6" \
  "ffnen: "
#define SCHLIESSEN                \
  "Kann Drucker nicht schlie\xDF" \
  "en: "

const char* const kSchriftName[3] = {"Bold", "Klein", "Normal"};

long letzterFehler() { return static_cast<long>(GetLastError()); }

// The trace lines of the device settings, one per field in record order.
void traceEinstellungen(const DEVMODEA& d) {
  DebugTrace("   dmDeviceName    = '%.32s'\n", d.dmDeviceName);
  DebugTrace("   dmSpecVersion   = %u\n", static_cast<unsigned>(d.dmSpecVersion));
  DebugTrace("   dmDriverVersion = %u\n", static_cast<unsigned>(d.dmDriverVersion));
  DebugTrace("   dmSize          = %u\n", static_cast<unsigned>(d.dmSize));
  DebugTrace("   dmDriverExtra   = %u\n", static_cast<unsigned>(d.dmDriverExtra));
  DebugTrace("   dmFields        = %lx\n", static_cast<unsigned long>(d.dmFields));
  DebugTrace("   dmOrientation   = %d\n", d.dmOrientation);
  DebugTrace("   dmPaperSize     = %d\n", d.dmPaperSize);
  DebugTrace("   dmPaperLength   = %d\n", d.dmPaperLength);
  DebugTrace("   dmPaperWidth    = %d\n", d.dmPaperWidth);
  DebugTrace("   dmScale         = %d\n", d.dmScale);
  DebugTrace("   dmCopies        = %d\n", d.dmCopies);
  DebugTrace("   dmDefaultSource = %d\n", d.dmDefaultSource);
  DebugTrace("   dmPrintQuality  = %d\n", d.dmPrintQuality);
  DebugTrace("   dmColor         = %d\n", d.dmColor);
  DebugTrace("   dmDuplex        = %d\n", d.dmDuplex);
  DebugTrace("   dmYResolution   = %d\n", d.dmYResolution);
  DebugTrace("   dmTTOption      = %d\n", d.dmTTOption);
  DebugTrace("   dmCollate       = %d\n", d.dmCollate);
  DebugTrace("   dmFormName      = '%.32s'\n", d.dmFormName);
  DebugTrace("   dmLogPixels     = %u\n", static_cast<unsigned>(d.dmLogPixels));
  DebugTrace("   dmBitsPerPel    = %lu\n", static_cast<unsigned long>(d.dmBitsPerPel));
  DebugTrace("   dmPelsWidth     = %lu\n", static_cast<unsigned long>(d.dmPelsWidth));
  DebugTrace("   dmPelsHeight    = %lu\n", static_cast<unsigned long>(d.dmPelsHeight));
  DebugTrace("   dmDisplayFlags  = %lu\n", static_cast<unsigned long>(d.dmDisplayFlags));
  DebugTrace("   dmDisplayFrequency = %lu\n", static_cast<unsigned long>(d.dmDisplayFrequency));
}

// Day, month and year of a local time; zeros when it cannot be converted.
struct Datum {
  int tag = 0, monat = 0, jahr = 0;
};

Datum heute() {
  Datum d;
  UtDate u;
  if (UtSecondsToDateTime(&u, UtNowSeconds())) {
    d.tag = u.day;
    d.monat = u.month;
    d.jahr = u.year;
  }
  return d;
}

Datum datenStand() {
  Datum d;
  std::time_t t = static_cast<std::time_t>(DbDatenZeitstempel);
  std::tm tm{};
  // A negative stamp names no date; the line then shows zeros.
  if (DbDatenZeitstempel >= 0 && localtime_r(&t, &tm)) {
    d.tag = tm.tm_mday;
    d.monat = tm.tm_mon + 1;
    d.jahr = tm.tm_year + 1900;
  }
  return d;
}

// The longest start of `text` (at most `hoechstens` characters) that,
// printed after `vor`, is no wider than `platz`.
size_t passendeLaenge(CDruckAuftrag& job, const std::string& vor, const std::string& text,
                      int platz, size_t hoechstens) {
  size_t passt = 0, zuViel = std::min(text.size(), hoechstens) + 1;
  while (zuViel - passt > 1) {
    size_t mitte = (passt + zuViel) / 2;
    if (job.Breite((vor + text.substr(0, mitte)).c_str()) > platz)
      zuViel = mitte;
    else
      passt = mitte;
  }
  return passt;
}

}  // namespace

void DebugTrace(const char* format, ...) {
  if (!ZolmaDruckTrace) return;
  std::FILE* f = std::fopen("C:\\ZOLMA.DBG", "a");
  if (!f) return;
  va_list ap;
  va_start(ap, format);
  std::vfprintf(f, format, ap);
  va_end(ap);
  std::fclose(f);
}

void ZolmaDatumsZeile(char* buffer, unsigned size) {
  Datum h = heute(), d = datenStand();
  std::snprintf(buffer, size, "Berechnung vom %02d.%02d.%04d (Daten vom %02d.%02d.%04d)", h.tag,
                h.monat, h.jahr, d.tag, d.monat, d.jahr);
}

int GetDefaultPrinterName(char* buffer, unsigned size) {
  if (!buffer || size == 0) return ERROR_INSUFFICIENT_BUFFER;
  buffer[0] = '\0';
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return static_cast<int>(GetLastError());

  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    DWORD needed = 0, returned = 0;
    if (!EnumPrintersA(PRINTER_ENUM_DEFAULT, nullptr, 5, nullptr, 0, &needed, &returned)) {
      DWORD err = GetLastError();
      if (err != ERROR_INSUFFICIENT_BUFFER) return static_cast<int>(err);
    }
    if (needed == 0) return 0;  // no printer: the name stays empty
    BYTE* info = static_cast<BYTE*>(PrMalloc(needed));
    if (!info) return static_cast<int>(GetLastError());
    int result = 0;
    if (!EnumPrintersA(PRINTER_ENUM_DEFAULT, nullptr, 5, info, needed, &needed, &returned)) {
      result = static_cast<int>(GetLastError());
    } else if (returned > 0 && needed >= sizeof(PRINTER_INFO_5A)) {
      // The first record heads the buffer; a buffer too short to hold it
      // names no printer.
      PRINTER_INFO_5A first;
      std::memcpy(&first, info, sizeof first);
      const char* name = first.pPrinterName ? first.pPrinterName : "";
      if (std::strlen(name) > size - 1)
        result = ERROR_INSUFFICIENT_BUFFER;
      else
        std::snprintf(buffer, size, "%s", name);
    }
    PrFree(info);
    return result;
  }

  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    if (version.dwMajorVersion >= 15) return ERROR_INSUFFICIENT_BUFFER;
    DWORD n = GetProfileStringA("windows", "device", "", buffer, size);
    if (n == size - 1) return ERROR_INSUFFICIENT_BUFFER;
    buffer[size - 1] = '\0';
    char* comma = std::strchr(buffer, ',');
    if (comma) *comma = '\0';
    return 0;
  }
  // The other platforms are not ours: no printer name.
  return ERROR_INVALID_PARAMETER;
}

// ---- CDruckAuftrag ------------------------------------------------------------

CDruckAuftrag::CDruckAuftrag(const Art& art) : art_(art) { name_[0] = '\0'; }

CDruckAuftrag::~CDruckAuftrag() { Freigeben(); }

bool CDruckAuftrag::Fehler(const char* format, ...) {
  char text[kPuffer];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(text, sizeof text, format, ap);
  va_end(ap);
  art_.owner->MessageBox(text, kCaption, MB_OK);
  Freigeben();
  return false;
}

void CDruckAuftrag::Freigeben() {
  if (zurueck_ && dc_) SelectObject(dc_, zurueck_);
  zurueck_ = nullptr;
  for (int s : {Normal, Klein, Bold}) {
    if (schrift_[s]) DeleteObject(schrift_[s]);
    schrift_[s] = nullptr;
  }
  if (dokumentOffen_) AbortDoc(dc_);
  dokumentOffen_ = false;
  if (dc_) DeleteDC(dc_);
  dc_ = nullptr;
  if (einstellungen_) PrFree(einstellungen_);
  einstellungen_ = nullptr;
  if (info_) PrFree(info_);
  info_ = nullptr;
  if (printer_) ClosePrinter(printer_);
  printer_ = nullptr;
}

bool CDruckAuftrag::Einrichten() {
  return DruckerOeffnen() && EinstellungenSetzen() && DokumentBeginnen() && SchriftenEinrichten();
}

// Opens the default printer and reads its level-2 information, whose
// printer name the device context is made for.
bool CDruckAuftrag::DruckerOeffnen() {
  const bool trace = art_.trace;

  if (GetDefaultPrinterName(name_, sizeof name_) != 0)
    return Fehler(OEFFNEN "GetDefaultPrinterName");
  if (trace) DebugTrace("DoDrucken: GetDefaultPrinterName '%s'\n", name_);

  if (!OpenPrinterA(name_, &printer_, nullptr)) {
    printer_ = nullptr;
    return Fehler(OEFFNEN "OpenPrinter %ld", letzterFehler());
  }
  if (trace) DebugTrace("DoDrucken: OpenPrinter erfolgreich\n");

  // Asked without a buffer, the spooler answers "no room" with the size it
  // needs; any other answer is a failure.
  DWORD groesse = 0;
  if (GetPrinterA(printer_, 2, nullptr, 0, &groesse) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return Fehler(OEFFNEN "GetPrinter %ld", letzterFehler());
  if (trace)
    DebugTrace("DoDrucken: GetPrinter ben\xF6tigt %ld Bytes\n", static_cast<long>(groesse));
  info_ = static_cast<PRINTER_INFO_2A*>(PrMalloc(groesse));
  if (!info_) return Fehler("Kann keinen Speicher anlegen");

  if (!GetPrinterA(printer_, 2, reinterpret_cast<BYTE*>(info_), groesse, &groesse))
    return Fehler(OEFFNEN "GetPrinter (2) %ld", letzterFehler());
  if (trace) DebugTrace("DoDrucken: GetPrinter erfolgreich\n");
  return true;
}

// The device settings: the printer's own, with orientation, paper, copies
// and duplex set for the page layout and merged back by the printer.
bool CDruckAuftrag::EinstellungenSetzen() {
  const bool trace = art_.trace;

  // A record shorter than the fields written below cannot be used.
  LONG dmGroesse = DocumentPropertiesA(nullptr, printer_, name_, nullptr, nullptr, 0);
  if (dmGroesse < 0) return Fehler(OEFFNEN "DocumentProperties %ld", letzterFehler());
  if (dmGroesse < kMindestGroesse)
    return Fehler(OEFFNEN "DocumentProperties %ld bytes", static_cast<long>(dmGroesse));
  einstellungen_ = static_cast<DEVMODEA*>(PrMalloc(static_cast<std::size_t>(dmGroesse)));
  if (!einstellungen_) return Fehler("Kann keinen Speicher anlegen (2)");
  if (trace)
    DebugTrace("DoDrucken: DocumentProperties ben\xF6tigt %ld Bytes\n",
               static_cast<long>(dmGroesse));

  LONG r = DocumentPropertiesA(nullptr, printer_, name_, einstellungen_, nullptr, DM_OUT_BUFFER);
  if (r != IDOK) {
    if (r < 0) return Fehler(OEFFNEN "DocumentProperties (2) %ld", letzterFehler());
    return Fehler(OEFFNEN "DocumentProperties (2) %ld bytes", static_cast<long>(r));
  }

  // The pages are laid out for one copy of A4 portrait, one-sided.
  einstellungen_->dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DUPLEX;
  einstellungen_->dmOrientation = DMORIENT_PORTRAIT;
  einstellungen_->dmPaperSize = DMPAPER_A4;
  einstellungen_->dmCopies = 1;
  einstellungen_->dmDuplex = DMDUP_SIMPLEX;

  // With Shift held the printer shows its settings prompt first; cancelled
  // there, printing ends without a message.
  DWORD modus = DM_IN_BUFFER | DM_OUT_BUFFER;
  if (GetKeyState(VK_SHIFT) < 0) modus |= DM_IN_PROMPT;
  r = DocumentPropertiesA(art_.owner, printer_, name_, einstellungen_, einstellungen_, modus);
  if (r == IDCANCEL) {
    Freigeben();
    return false;
  }
  if (r < 0) return Fehler(OEFFNEN "DocumentProperties (3) %ld", letzterFehler());
  if (r != IDOK) return Fehler(OEFFNEN "DocumentProperties (3) %ld bytes", static_cast<long>(r));
  if (trace) {
    DebugTrace("DoDrucken: DocumentProperties liefert:\n");
    traceEinstellungen(*einstellungen_);
  }
  return true;
}

// The device context, the document and the twips mapping mode.
bool CDruckAuftrag::DokumentBeginnen() {
  const bool trace = art_.trace;

  // The level-2 information was needed only for the printer's name.
  dc_ = CreateDCA("WINSPOOL", info_->pPrinterName, nullptr, einstellungen_);
  if (!dc_) return Fehler(OEFFNEN "CreateDC %ld", letzterFehler());
  PrFree(info_);
  info_ = nullptr;
  if (trace) DebugTrace("DoDrucken: CreateDC erfolgreich\n");

  DOCINFOA doc{sizeof(DOCINFOA), art_.dokument, nullptr, nullptr, 0};
  if (StartDocA(dc_, &doc) <= 0) return Fehler(OEFFNEN "StartDoc %ld", letzterFehler());
  dokumentOffen_ = true;
  if (trace) DebugTrace("DoDrucken: StartDoc erfolgreich\n");

  if (SetMapMode(dc_, MM_TWIPS) == 0) return Fehler(OEFFNEN "SetMapMode %ld", letzterFehler());
  if (trace) DebugTrace("DoDrucken: SetMapMode erfolgreich\n");

  // The window extent is only asked as a check: the page is laid out at a
  // fixed size, whatever the device reports.
  SIZE ausdehnung;
  if (!GetWindowExtEx(dc_, &ausdehnung))
    return Fehler(OEFFNEN "GetWindowExtEx %ld", letzterFehler());
  if (trace) DebugTrace("DoDrucken: GetWindowExtEx erfolgreich %d %d\n", kBreite, kHoehe);
  if (art_.ursprungLesen) {
    POINT p;
    if (!GetWindowOrgEx(dc_, &p)) return Fehler(OEFFNEN "GetWindowOrgEx %ld", letzterFehler());
    if (trace)
      DebugTrace("DoDrucken: GetWindowOrgEx erfolgreich %d %d\n", static_cast<int>(p.x),
                 static_cast<int>(p.y));
    if (!GetViewportOrgEx(dc_, &p)) return Fehler(OEFFNEN "GetViewportOrgEx %ld", letzterFehler());
    if (trace)
      DebugTrace("DoDrucken: GetViewportOrgEx erfolgreich %d %d\n", static_cast<int>(p.x),
                 static_cast<int>(p.y));
  }
  return true;
}

// The three fonts and their metrics; the font they replace is kept, to be
// selected back before they are deleted.
bool CDruckAuftrag::SchriftenEinrichten() {
  const bool trace = art_.trace;

  struct Def {
    int hoehe, gewicht;
    DWORD pitch;
  };
  const Def defs[3] = {{240, FW_BOLD, FIXED_PITCH | FF_MODERN},
                       {120, FW_NORMAL, FIXED_PITCH | FF_MODERN},
                       {art_.normalHoehe, FW_NORMAL, VARIABLE_PITCH | FF_SWISS}};
  for (int s : {Bold, Klein, Normal}) {
    schrift_[s] = CreateFontA(-defs[s].hoehe, 0, 0, 0, defs[s].gewicht, FALSE, FALSE, FALSE,
                              ANSI_CHARSET, OUT_TT_ONLY_PRECIS, CLIP_TT_ALWAYS, PROOF_QUALITY,
                              defs[s].pitch, "Courier New");
    if (!schrift_[s]) return Fehler(OEFFNEN "CreateFont %s %ld", kSchriftName[s], letzterFehler());
    if (trace) DebugTrace("DoDrucken: CreateFont %s erfolgreich\n", kSchriftName[s]);
  }

  // Each font's metrics give the line steps; the previous font goes back
  // at once, so that a failure leaves the starting font selected.
  for (int s : {Bold, Klein, Normal}) {
    HGDIOBJ vorher = SelectObject(dc_, schrift_[s]);
    if (!vorher) return Fehler(OEFFNEN "SelectObject %s %ld", kSchriftName[s], letzterFehler());
    zurueck_ = vorher;
    if (!GetTextMetricsA(dc_, &metrik_[s]))
      return Fehler(OEFFNEN "GetTextMetrics %s %ld", kSchriftName[s], letzterFehler());
    if (!SelectObject(dc_, vorher)) {
      zurueck_ = nullptr;
      return Fehler(OEFFNEN "SelectObject Standard %ld", letzterFehler());
    }
    zurueck_ = nullptr;
    if (trace)
      DebugTrace("DoDrucken: Font %s ist %d hoch\n", kSchriftName[s],
                 static_cast<int>(metrik_[s].tmHeight));
  }
  start_ = SelectObject(dc_, schrift_[art_.zuletzt]);
  if (!start_)
    return Fehler(OEFFNEN "SelectObject %s %ld", kSchriftName[art_.zuletzt], letzterFehler());
  zurueck_ = start_;
  return true;
}

bool CDruckAuftrag::SeiteBeginnen() {
  if (StartPage(dc_) <= 0) return Fehler(OEFFNEN "StartPage %ld", letzterFehler());
  if (art_.trace) DebugTrace("DoDrucken: StartPage erfolgreich\n");
  if (SetMapMode(dc_, MM_TWIPS) == 0) return Fehler(OEFFNEN "SetMapMode %ld", letzterFehler());
  if (!Waehle(Bold)) return false;
  if (art_.trace)
    DebugTrace("DoDrucken: GetTextColor liefert: %lx\n",
               static_cast<unsigned long>(GetTextColor(dc_)));
  SetTextColor(dc_, RGB(0, 0, 0));
  return true;
}

bool CDruckAuftrag::Waehle(Schrift s) {
  HGDIOBJ vorher = SelectObject(dc_, schrift_[s]);
  if (!vorher) return Fehler(OEFFNEN "SelectObject %s %ld", kSchriftName[s], letzterFehler());
  if (!zurueck_) zurueck_ = vorher;
  return true;
}

bool CDruckAuftrag::WaehleStandard(bool schliessen) {
  if (!SelectObject(dc_, start_)) {
    // Not tried again while releasing.
    zurueck_ = nullptr;
    if (schliessen) return Fehler(SCHLIESSEN "SelectObject Standard %ld", letzterFehler());
    return Fehler(OEFFNEN "SelectObject Standard %ld", letzterFehler());
  }
  zurueck_ = nullptr;
  return true;
}

bool CDruckAuftrag::SeiteBeenden() {
  if (EndPage(dc_) <= 0) return Fehler(SCHLIESSEN "EndPage %ld", letzterFehler());
  return true;
}

bool CDruckAuftrag::Abschliessen() {
  if (EndDoc(dc_) <= 0) return Fehler(SCHLIESSEN "EndDoc %ld", letzterFehler());
  dokumentOffen_ = false;
  for (int s : {Normal, Klein, Bold}) {
    BOOL ok = DeleteObject(schrift_[s]);
    schrift_[s] = nullptr;
    if (!ok) return Fehler(SCHLIESSEN "DeleteObject %s %ld", kSchriftName[s], letzterFehler());
  }
  BOOL ok = DeleteDC(dc_);
  dc_ = nullptr;
  if (!ok) return Fehler(SCHLIESSEN "DeleteDC %ld", letzterFehler());
  PrFree(einstellungen_);
  einstellungen_ = nullptr;
  ok = ClosePrinter(printer_);
  printer_ = nullptr;
  if (!ok) return Fehler(SCHLIESSEN "ClosePrinter %ld", letzterFehler());
  return true;
}

void CDruckAuftrag::Text(int x, int y, const char* text) {
  RECT r{x, y, kBreite, -kHoehe};
  DrawTextA(dc_, text, -1, &r, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
}

int CDruckAuftrag::Breite(const char* text) {
  SIZE s{0, 0};
  if (!GetTextExtentPointA(dc_, text, static_cast<int>(std::strlen(text)), &s)) return 0;
  return static_cast<int>(s.cx);
}

void CDruckAuftrag::Logo() {
  ZolmaBilderRegistrieren();
  HBITMAP bild = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LOGO_DRUCK));
  if (!bild) return;
  HDC speicher = CreateCompatibleDC(dc_);
  if (!speicher) {
    DeleteObject(bild);
    return;
  }
  HGDIOBJ alt = SelectObject(speicher, bild);
  if (alt) {
    SetMapMode(speicher, GetMapMode(dc_));
    BITMAP bm;
    std::memset(&bm, 0, sizeof bm);
    if (GetObjectA(bild, sizeof bm, &bm) && bm.bmWidth > 0 && bm.bmHeight > 0) {
      POINT groesse{bm.bmWidth, bm.bmHeight};
      DPtoLP(dc_, &groesse, 1);
      int breite = static_cast<int>(static_cast<double>(bm.bmWidth) / bm.bmHeight *
                                    static_cast<double>(kLogoHoehe));
      StretchBlt(dc_, kBreite - breite - kRand, kOben, breite, -kLogoHoehe, speicher, 0, 0,
                 groesse.x, groesse.y, SRCCOPY);
    }
    SelectObject(speicher, alt);
  }
  DeleteDC(speicher);
  DeleteObject(bild);
}

// ---- the route text -----------------------------------------------------------------

namespace {

// The route-text line at (x, y) in the selected font (Normal). A route text
// that does not fit between the line's start and the right margin goes on
// in one continuation line at y - schritt, starting under its first
// character. The first line ends after the last '*' or blank that fits
// (the '*' stays on the first line, a blank is dropped); only a route text
// with no such place is broken hard at the last character that fits. When
// even the two lines cannot hold it, the second is cut at the last
// character that fits. Every line holds at most 99 characters.
void WegetextDrucken(CDruckAuftrag& job, int x, int y, int schritt, const std::string& wegetext) {
  static const std::string kLabel = "Wegetext:      ";
  constexpr size_t kZeichen = kPuffer - 1;
  const int rechts = CDruckAuftrag::kBreite - CDruckAuftrag::kRand;
  const int platz = rechts - x;
  if (kLabel.size() + wegetext.size() <= kZeichen &&
      job.Breite((kLabel + wegetext).c_str()) <= platz) {
    job.Text(x, y, (kLabel + wegetext).c_str());
    return;
  }
  const int spalte = x + job.Breite(kLabel.c_str());
  const int platz2 = rechts - spalte;
  // Hard: as many characters as the first line holds.
  const size_t hart = passendeLaenge(job, kLabel, wegetext, platz, kZeichen - kLabel.size());
  size_t bruch = hart;
  bool weich = false;  // broken after a separator
  for (size_t i = hart; i > 0 && !weich; --i) {
    char c = wegetext[i - 1];
    if (c == '*' || c == ' ') {
      bruch = i;
      weich = true;
    }
  }
  auto passtZweite = [&](const std::string& r) {
    return r.size() <= kZeichen && job.Breite(r.c_str()) <= platz2;
  };
  std::string rest = wegetext.substr(bruch);
  if (bruch != hart && !passtZweite(rest) && passtZweite(wegetext.substr(hart))) {
    // The break at a separator leaves too much for the second line; the
    // hard break lets the two lines hold the whole text.
    bruch = hart;
    weich = false;
    rest = wegetext.substr(bruch);
  }
  std::string erste = wegetext.substr(0, bruch);
  if (weich && erste.back() == ' ') erste.pop_back();
  rest.resize(passendeLaenge(job, "", rest, platz2, kZeichen));
  job.Text(x, y, (kLabel + erste).c_str());
  if (!rest.empty()) job.Text(spalte, y - schritt, rest.c_str());
}

}  // namespace

// ---- the result page --------------------------------------------------------------

void CZOLMADlg::DoDrucken() {
  ZolmaDruckTrace = false;
  DebugTrace("DoDrucken: Begin\n");

  CDruckAuftrag job(CDruckAuftrag::Art{.owner = this,
                                       .dokument = "KRV Entfernungsberechnung",
                                       .normalHoehe = 240,
                                       .trace = true,
                                       .ursprungLesen = true,
                                       .zuletzt = CDruckAuftrag::Bold});
  if (!job.Einrichten()) return;

  // The title, underlined with its own width.
  if (!job.SeiteBeginnen()) return;
  const int x = CDruckAuftrag::kRand;
  const int hoehe = job.TextHoehe(CDruckAuftrag::Bold);
  const int schritt = hoehe * 11 / 10;
  int y = CDruckAuftrag::kOben;
  const char titel[] = "Ergebnis der Entfernungsberechnung:";
  job.Text(x, y, titel);
  MoveToEx(job.dc(), x, y - hoehe, nullptr);
  int titelBreite = job.Breite(titel);
  LineTo(job.dc(), x + titelBreite, y - hoehe);

  // The result area as the dialog shows it: its controls' texts, read
  // back into the members first.
  UpdateData(TRUE);
  char zeile[kPuffer];
  y -= 2 * schritt;
  std::snprintf(zeile, sizeof zeile, "Von:           %s", static_cast<const char*>(m_strVon));
  job.Text(x, y, zeile);
  y -= schritt;
  std::snprintf(zeile, sizeof zeile, "Nach:          %s", static_cast<const char*>(m_strNach));
  job.Text(x, y, zeile);

  if (!job.Waehle(CDruckAuftrag::Normal)) return;
  if (!m_strU1.IsEmpty()) {
    y -= schritt;
    std::snprintf(zeile, sizeof zeile,
                  "\xDC"
                  "ber 1:        %s",
                  static_cast<const char*>(m_strU1));
    job.Text(x, y, zeile);
  }
  if (!m_strU2.IsEmpty()) {
    y -= schritt;
    std::snprintf(zeile, sizeof zeile,
                  "\xDC"
                  "ber 2:        %s",
                  static_cast<const char*>(m_strU2));
    job.Text(x, y, zeile);
  }
  y -= 2 * schritt;
  WegetextDrucken(job, x, y, schritt, static_cast<const char*>(m_strWegetext[0]));

  if (!job.Waehle(CDruckAuftrag::Bold)) return;
  y -= 2 * schritt;
  std::snprintf(zeile, sizeof zeile, "Entfernung:    %s",
                static_cast<const char*>(m_strEntfernung));
  job.Text(x, y, zeile);

  if (!job.Waehle(CDruckAuftrag::Klein)) return;
  y -= 2 * schritt;
  ZolmaDatumsZeile(zeile, sizeof zeile);
  job.Text(x, y, zeile);

  // A logo that cannot be drawn leaves the page without it, silently.
  job.Logo();
  if (!job.SeiteBeenden()) return;
  if (!job.WaehleStandard(true)) return;
  job.Abschliessen();
}
