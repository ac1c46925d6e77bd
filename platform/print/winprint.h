// winprint.h - our printing layer: the print spooler and printer device
// contexts.
//
// The dialog application prints through spooler and device-context
// operations. This header is our own layer of exactly the operations it
// uses, written for this program: the system version and the profile entry that name the default
// printer, printer handles and their level-2 information, device settings with a settings prompt,
// device contexts with documents and pages, the twips mapping mode, fonts, text metrics and
// extents, text, lines, bitmaps stretched from a memory context, deletion and the last error code.
//
// Where the pages go is decided by the installed backend (printdev.h):
// the real one renders every document to PDF with cairo and hands it to
// the system print service's default queue (CUPS), or, when none is
// configured, writes it into the folder named by PrGetSettings(); the
// recording backend of the tests keeps documents in memory. Texts are
// bytes in the Windows character set (code page 1252).
//
// Every operation sets the last error code when it fails; GetLastError
// reads it. Handles are checked: a handle the layer did not hand out, or
// one already deleted, fails with ERROR_INVALID_HANDLE.
#ifndef ZOLMA_PLATFORM_PRINT_WINPRINT_H
#define ZOLMA_PLATFORM_PRINT_WINPRINT_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ui/afxwin.h"

typedef std::uint8_t BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef std::uint32_t COLORREF;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* HANDLE;
// The owner window of a settings prompt: a window of our dialog framework.
typedef CWnd* HWND;

struct PrDc;
struct PrGdiObject;
struct PrModule;
typedef PrDc* HDC;
typedef PrGdiObject* HGDIOBJ;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HBITMAP;
typedef PrModule* HINSTANCE;

// ---- error codes -----------------------------------------------------------
enum : DWORD {
  ERROR_SUCCESS = 0,
  ERROR_PATH_NOT_FOUND = 3,
  ERROR_ACCESS_DENIED = 5,
  ERROR_INVALID_HANDLE = 6,
  ERROR_NOT_ENOUGH_MEMORY = 8,
  ERROR_WRITE_FAULT = 29,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_OPEN_FAILED = 110,
  ERROR_DISK_FULL = 112,
  ERROR_ALREADY_EXISTS = 183,
  ERROR_INSUFFICIENT_BUFFER = 122,
  ERROR_INVALID_LEVEL = 124,
  ERROR_BUSY = 170,
  ERROR_RESOURCE_NAME_NOT_FOUND = 1814,
  ERROR_CANCELLED = 1223,
  ERROR_INVALID_PRINTER_NAME = 1801,
  ERROR_INVALID_PRINTER_STATE = 1906,
  ERROR_PRINT_CANCELLED = 63
};

DWORD GetLastError();

// ---- system version and profile ---------------------------------------------
enum : DWORD { VER_PLATFORM_WIN32s = 0, VER_PLATFORM_WIN32_WINDOWS = 1, VER_PLATFORM_WIN32_NT = 2 };

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};

// Fills the version record; dwOSVersionInfoSize must be its size.
BOOL GetVersionExA(OSVERSIONINFOA* info);

// Reads a profile entry. The layer knows one: "windows" / "device", the
// default printer as "name,winspool,port". Anything else gives the default.
// The text is cut to size - 1 characters; returns the characters copied.
DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size);

// ---- device settings ----------------------------------------------------------
enum : DWORD {
  DM_ORIENTATION = 0x00000001,
  DM_PAPERSIZE = 0x00000002,
  DM_PAPERLENGTH = 0x00000004,
  DM_PAPERWIDTH = 0x00000008,
  DM_SCALE = 0x00000010,
  DM_COPIES = 0x00000100,
  DM_DEFAULTSOURCE = 0x00000200,
  DM_PRINTQUALITY = 0x00000400,
  DM_COLOR = 0x00000800,
  DM_DUPLEX = 0x00001000,
  DM_YRESOLUTION = 0x00002000,
  DM_TTOPTION = 0x00004000,
  DM_COLLATE = 0x00008000,
  DM_FORMNAME = 0x00010000
};
// Modes of DocumentPropertiesA.
enum : DWORD { DM_OUT_BUFFER = 2, DM_IN_PROMPT = 4, DM_IN_BUFFER = 8 };
enum : short { DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2 };
enum : short { DMPAPER_LETTER = 1, DMPAPER_A3 = 8, DMPAPER_A4 = 9, DMPAPER_A5 = 11 };
enum : short { DMDUP_SIMPLEX = 1, DMDUP_VERTICAL = 2, DMDUP_HORIZONTAL = 3 };
enum : short { DMCOLOR_MONOCHROME = 1, DMCOLOR_COLOR = 2 };

// The device settings record, 156 bytes; the printers of this layer add
// no driver data behind it.
struct DEVMODEA {
  char dmDeviceName[32];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  short dmOrientation;
  short dmPaperSize;
  short dmPaperLength;
  short dmPaperWidth;
  short dmScale;
  short dmCopies;
  short dmDefaultSource;
  short dmPrintQuality;
  short dmColor;
  short dmDuplex;
  short dmYResolution;
  short dmTTOption;
  short dmCollate;
  char dmFormName[32];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFlags;
  DWORD dmDisplayFrequency;
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
};
static_assert(sizeof(DEVMODEA) == 156, "the device settings record is 156 bytes");

// ---- the spooler --------------------------------------------------------------
enum : DWORD { PRINTER_ENUM_DEFAULT = 0x00000001, PRINTER_ENUM_LOCAL = 0x00000002 };

struct PRINTER_INFO_5A {
  LPSTR pPrinterName;
  LPSTR pPortName;
  DWORD Attributes;
  DWORD DeviceNotSelectedTimeout;
  DWORD TransmissionRetryTimeout;
};

struct PRINTER_INFO_2A {
  LPSTR pServerName;
  LPSTR pPrinterName;
  LPSTR pShareName;
  LPSTR pPortName;
  LPSTR pDriverName;
  LPSTR pComment;
  LPSTR pLocation;
  DEVMODEA* pDevMode;
  LPSTR pSepFile;
  LPSTR pPrintProcessor;
  LPSTR pDatatype;
  LPSTR pParameters;
  void* pSecurityDescriptor;
  DWORD Attributes;
  DWORD Priority;
  DWORD DefaultPriority;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD Status;
  DWORD cJobs;
  DWORD AveragePPM;
};

// Level 5 with PRINTER_ENUM_DEFAULT lists the default printer (none: TRUE,
// 0 returned). Without room: FALSE, ERROR_INSUFFICIENT_BUFFER, *needed set.
// The strings follow the records in buf, which must be suitably aligned.
BOOL EnumPrintersA(DWORD flags, LPSTR name, DWORD level, BYTE* buf, DWORD cbBuf, DWORD* needed,
                   DWORD* returned);
// Opens a printer by its name (compared without regard to case).
BOOL OpenPrinterA(LPSTR name, HANDLE* printer, void* defaults);
// Level 2 only; without room: FALSE, ERROR_INSUFFICIENT_BUFFER, *needed set.
BOOL GetPrinterA(HANDLE printer, DWORD level, BYTE* buf, DWORD cbBuf, DWORD* needed);
// Mode 0: the size of the printer's device settings. Otherwise merges
// `in` (DM_IN_BUFFER, the fields its dmFields names), shows the settings
// prompt owned by `owner` (DM_IN_PROMPT; IDCANCEL when the user cancels),
// and writes the result to `out` (DM_OUT_BUFFER). IDOK, or negative on
// failure. The printer keeps no settings between calls: each call starts
// from its defaults.
LONG DocumentPropertiesA(HWND owner, HANDLE printer, LPSTR device, DEVMODEA* out, DEVMODEA* in,
                         DWORD mode);
BOOL ClosePrinter(HANDLE printer);

// Memory for spooler records, taken and returned through the layer so that
// tests see and can fail it ("malloc" and "free" in the call log).
void* PrMalloc(std::size_t size);
void PrFree(void* block);

// ---- device contexts, documents and pages ---------------------------------------
struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct DOCINFOA {
  int cbSize;
  LPCSTR lpszDocName;
  LPCSTR lpszOutput;  // must be null: output always goes to the printer
  LPCSTR lpszDatatype;
  DWORD fwType;
};

// A printer context: driver "WINSPOOL", a printer name, device settings
// (null: the printer's defaults).
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* settings);
// A memory context with the resolution of `like` (null: 96 dots an inch).
HDC CreateCompatibleDC(HDC like);
BOOL DeleteDC(HDC dc);  // aborts an open document

// The job number, <= 0 on failure. The printer is asked here whether it
// can take the document: the file printer creates its file (under a
// temporary name), a CUPS queue must exist and accept jobs.
int StartDocA(HDC dc, const DOCINFOA* doc);
int StartPage(HDC dc);
int EndPage(HDC dc);
int EndDoc(HDC dc);    // hands the document to the printer
int AbortDoc(HDC dc);  // drops the document; the file printer removes its file

enum : int {
  MM_TEXT = 1,
  MM_LOMETRIC = 2,
  MM_HIMETRIC = 3,
  MM_LOENGLISH = 4,
  MM_HIENGLISH = 5,
  MM_TWIPS = 6
};
int SetMapMode(HDC dc, int mode);  // the previous mode, 0 on failure
int GetMapMode(HDC dc);
// The printable area in logical units of the mapping mode (MM_TEXT: 1, 1).
BOOL GetWindowExtEx(HDC dc, SIZE* size);
BOOL GetWindowOrgEx(HDC dc, POINT* origin);
BOOL GetViewportOrgEx(HDC dc, POINT* origin);
BOOL DPtoLP(HDC dc, POINT* points, int count);
BOOL LPtoDP(HDC dc, POINT* points, int count);

// ---- fonts and text -----------------------------------------------------------
enum : int { FW_DONTCARE = 0, FW_NORMAL = 400, FW_BOLD = 700 };
enum : DWORD { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1 };
enum : DWORD { OUT_DEFAULT_PRECIS = 0, OUT_TT_ONLY_PRECIS = 7 };
enum : DWORD { CLIP_DEFAULT_PRECIS = 0, CLIP_TT_ALWAYS = 0x20 };
enum : DWORD { DEFAULT_QUALITY = 0, DRAFT_QUALITY = 1, PROOF_QUALITY = 2 };
// Pitch and family are or-ed together, so they are plain constants.
constexpr DWORD DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2;
constexpr DWORD FF_DONTCARE = 0x00, FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30;

// A negative height is the character height (the em), a positive one the
// cell height, both in logical units of the context the font is used in.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face);

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;  // bit 0 set for a variable pitch
  BYTE tmCharSet;
};

// In logical units of the context.
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
BOOL GetTextExtentPointA(HDC dc, LPCSTR text, int count, SIZE* size);

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}
enum : COLORREF { CLR_INVALID = 0xFFFFFFFFu };
COLORREF SetTextColor(HDC dc, COLORREF color);  // the previous colour
COLORREF GetTextColor(HDC dc);

enum : UINT {
  DT_TOP = 0x0,
  DT_LEFT = 0x0,
  DT_SINGLELINE = 0x20,
  DT_NOCLIP = 0x100,
  DT_NOPREFIX = 0x800
};
// Draws text in the rectangle's top left corner: only single lines
// (DT_SINGLELINE), not clipped, without '&' processing when DT_NOPREFIX.
// A count of -1 takes the text to its NUL. Returns the text's height, 0 on
// failure. Drawing needs an open page.
int DrawTextA(HDC dc, LPCSTR text, int count, RECT* rect, UINT format);
// Lines with the context's pen: one device dot wide, black.
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);

// ---- objects and bitmaps --------------------------------------------------------
// Selects a font or bitmap; returns the object it replaces, null on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Deletes a font or bitmap. A context that has it selected falls back to
// its starting object.
BOOL DeleteObject(HGDIOBJ object);

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};
// For a bitmap with size >= sizeof(BITMAP): fills it; returns the bytes
// written, 0 on failure.
int GetObjectA(HGDIOBJ object, int size, void* out);

// The program's own module, whose bitmaps PrRegisterBitmap names.
HINSTANCE GetModuleHandleA(LPCSTR name);  // name must be null
inline LPCSTR MAKEINTRESOURCEA(int id) {
  return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(id)));
}
HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name);

enum : DWORD { SRCCOPY = 0x00CC0020 };
// Copies a rectangle of the bitmap selected into `src` onto `dst`,
// stretched to the destination rectangle (both in logical units of their
// contexts). SRCCOPY only.
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs,
                DWORD rop);

// Registers a bitmap resource of the program: width x height pixels, rows
// from the top, each pixel 0xRRGGBB. Registering an id again replaces it.
void PrRegisterBitmap(int id, int width, int height, const std::uint32_t* pixels);

// ---- the layer's own settings -----------------------------------------------------
struct PrSettings {
  // Use the system print service (CUPS): its default queue becomes the
  // default printer when one is configured.
  bool useSystemQueue = true;
  // The file printer's folder, relative to the current folder (the data
  // folder the program runs in) unless absolute; made when missing.
  std::string fileFolder = "druck";
};
const PrSettings& PrGetSettings();
// The name of the built-in file printer.
inline constexpr char kPrFilePrinterName[] = "PDF-Datei";
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
// Test hooks: the layer's settings replaced (the tests switch CUPS off or
// pick a folder of their own); the path of the last PDF the file printer
// wrote ("" before the first).
void PrSetSettings(const PrSettings& settings);
std::string PrLastFileWritten();
#endif
// Takes the note on where the last finished document went, once: true and
// the note (Windows-1252) when a document ended since the previous call,
// false otherwise, also after a failed or cancelled print. The notes are
// "Gedruckt: <folder>/<file>.pdf" for the file printer (the folder as
// set: relative to the current folder, or absolute) and "An Drucker
// <queue> übergeben" for a CUPS queue, followed by " (Drucker angehalten)"
// when the queue holds its jobs. The front end shows it on its status line.
bool PrTakeDocumentNote(std::string& note);

#endif  // ZOLMA_PLATFORM_PRINT_WINPRINT_H
