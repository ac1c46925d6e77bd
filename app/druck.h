// druck.h - printing in the dialog application: the printer set-up that
// the result page and the 50 km list share.
//
// CDruckAuftrag is one print job on the default printer. Einrichten runs
// the set-up: the default printer's name, the printer, its level-2
// information and device settings (portrait, A4, one copy, simplex; the
// printer's own settings prompt first while Shift is held), the device
// context, the document, the twips mapping and the three fonts Bold, Klein
// and Normal with their text metrics. The page and closing steps follow.
// Every step that fails shows its message in a box captioned "Fehler beim
// Drucken", owned by the job's window, and releases everything obtained so
// far in reverse order; the step then returns false and printing ends.
#ifndef ZOLMA_APP_DRUCK_H
#define ZOLMA_APP_DRUCK_H

#include "platform/print/winprint.h"

// The default printer's name into buffer (size bytes): 0, or a system
// error code (ERROR_INSUFFICIENT_BUFFER when the name does not fit).
int GetDefaultPrinterName(char* buffer, unsigned size);

// Appends the formatted text to the trace file "C:\ZOLMA.DBG" while
// ZolmaDruckTrace is on; a file that cannot be opened drops the line.
void DebugTrace(const char* format, ...);

// Registers the program's drawn pictures with the printing layer: the logo
// of the printed pages (133), the logo of the main dialog (136) and the
// icon (128). Repeated calls do nothing.
void ZolmaBilderRegistrieren();

class CDruckAuftrag {
 public:
  enum Schrift { Bold = 0, Klein = 1, Normal = 2 };

  struct Art {
    CWnd* owner;           // owns the messages and the settings prompt
    const char* dokument;  // the document's name
    int normalHoehe;       // character height of Normal in twips
    bool trace;            // write the trace lines of the result page
    bool ursprungLesen;    // also read the window and viewport origins
    Schrift zuletzt;       // the font selected at the end of the set-up
  };

  // The page as the printouts take it, in twips, whatever the device says.
  static constexpr int kBreite = 11420;
  static constexpr int kHoehe = 16360;
  static constexpr int kRand = 610;
  static constexpr int kOben = -554;
  static constexpr int kLogoHoehe = 550;

  explicit CDruckAuftrag(const Art& art);
  // Releases whatever is still held, in reverse order, without a message.
  ~CDruckAuftrag();
  CDruckAuftrag(const CDruckAuftrag&) = delete;
  CDruckAuftrag& operator=(const CDruckAuftrag&) = delete;

  // The set-up. False when printing ends: after a failure (reported) or
  // when the user cancelled the settings prompt (nothing shown).
  bool Einrichten();
  // Starts a page: StartPage, MM_TWIPS again, Bold, text colour black.
  bool SeiteBeginnen();
  // Selects one of the three fonts.
  bool Waehle(Schrift s);
  // Selects the starting font back; `schliessen` picks the closing text.
  bool WaehleStandard(bool schliessen);
  // Ends the page; a failed EndPage is a failed print.
  bool SeiteBeenden();
  // Ends the document, deletes the fonts Normal, Klein, Bold and the
  // context, frees the settings and closes the printer.
  bool Abschliessen();

  // Draws one line of text with its top left corner at (x, y).
  void Text(int x, int y, const char* text);
  // The width of a text in the selected font; 0 when it cannot be measured.
  int Breite(const char* text);
  // The logo (bitmap 133), 550 twips high, its right edge kRand from the
  // page's right edge, its top at kOben. Nothing is shown when it fails.
  void Logo();

  int TextHoehe(Schrift s) const { return metrik_[s].tmHeight; }
  HDC dc() const { return dc_; }

  // Shows a printing failure (formatted into 100 characters) and releases
  // everything. Returns false.
  bool Fehler(const char* format, ...);

 private:
  // The steps of the set-up, in their order; each false when printing ends.
  bool DruckerOeffnen();
  bool EinstellungenSetzen();
  bool DokumentBeginnen();
  bool SchriftenEinrichten();
  void Freigeben();

  Art art_;
  char name_[100];
  HANDLE printer_ = nullptr;
  PRINTER_INFO_2A* info_ = nullptr;
  DEVMODEA* einstellungen_ = nullptr;
  HDC dc_ = nullptr;
  bool dokumentOffen_ = false;
  HFONT schrift_[3] = {nullptr, nullptr, nullptr};
  TEXTMETRICA metrik_[3] = {};
  HGDIOBJ start_ = nullptr;    // the context's starting font
  HGDIOBJ zurueck_ = nullptr;  // to select back while one of ours is selected
};

// "Berechnung vom DD.MM.YYYY (Daten vom DD.MM.YYYY)" for today and the
// data-time stamp, both in local time, into a buffer of 100 characters.
void ZolmaDatumsZeile(char* buffer, unsigned size);

#endif  // ZOLMA_APP_DRUCK_H
