// termtext.h - the terminal's character set at the edge of the front end.
//
// The dialog model keeps its texts in Windows-1252; the terminal speaks
// the character set of the locale (nl_langinfo(CODESET)): UTF-8, a
// single-byte set such as ISO-8859-1, or plain ASCII in the C locale.
//
// TermOutput converts model text for the screen. Its table is built once
// per character set with iconv: every Windows-1252 byte the set can hold
// is written as the set writes it; Ae Oe Ue ae oe ue ss stand in for the
// German letters the set lacks, '?' for any other character, so that the
// C locale still shows "Ueber 1:" rather than "?ber 1:".
//
// TermInput decodes typed bytes in the locale's set, one byte at a time,
// and hands back the Windows-1252 byte of each complete character. It
// never waits for more input than the byte in hand: in UTF-8, bytes that
// cannot start a sequence (0x80-0xC1, 0xF5-0xFF) are dropped at once, and
// a byte that breaks a sequence drops the bytes before it and is decoded
// afresh, so Enter or Esc after a stray byte still arrive as themselves.
// In a single-byte set each byte is its character. A character that
// Windows-1252 cannot hold is dropped.
#ifndef ZOLMA_PLATFORM_UI_TERMTEXT_H
#define ZOLMA_PLATFORM_UI_TERMTEXT_H

#include <array>
#include <string>
#include <vector>

class TermOutput {
 public:
  // The table for a character set named as iconv names it ("UTF-8",
  // "ISO-8859-1", "ANSI_X3.4-1968"). A set iconv cannot convert to is a
  // UiError naming it (no memory for the conversion: std::bad_alloc); the
  // screen never falls back to another set unannounced.
  explicit TermOutput(const std::string& codeset);

  // The screen bytes of one Windows-1252 byte, and how many cells they take.
  const std::string& Of(unsigned char c) const { return bytes_[c]; }
  int CellsOf(unsigned char c) const { return cells_[c]; }
  // A whole text, and the cells it takes.
  std::string Convert(const std::string& cp1252) const;
  int Cells(const std::string& cp1252) const;
  // The longest start of the text that fits into `cells` cells.
  std::string Fit(const std::string& cp1252, int cells) const;

 private:
  std::array<std::string, 256> bytes_;
  std::array<int, 256> cells_{};
};

class TermInput {
 public:
  // Fails as TermOutput's constructor does.
  explicit TermInput(const std::string& codeset);
  ~TermInput();
  TermInput(const TermInput&) = delete;
  TermInput& operator=(const TermInput&) = delete;

  enum Result {
    kMore,     // the byte is part of a character still incomplete
    kChar,     // a character is complete; its Windows-1252 byte is out
    kDropped,  // the byte (and any incomplete bytes before it) were dropped
  };
  // Feeds one byte. On kChar, `out` holds the character in Windows-1252.
  Result Feed(unsigned char byte, unsigned char& out);
  // True while bytes of an incomplete character are held.
  bool Pending() const { return !held_.empty(); }
  // Forgets held bytes (the terminal sent a function key in between).
  void Reset() {
    held_.clear();
    need_ = 0;
  }

 private:
  Result feedUtf8(unsigned char byte, unsigned char& out);
  Result feedOther(unsigned char byte, unsigned char& out);
  bool toCp1252(const std::string& character, unsigned char& out);

  bool utf8_ = false;
  std::string held_;
  void* toCp_ = nullptr;                 // iconv_t from UTF-8 to Windows-1252
  void* toUtf8_ = nullptr;               // iconv_t from a set other than UTF-8 to UTF-8
  int need_ = 0;                         // UTF-8: bytes still expected
  unsigned char lo_ = 0x80, hi_ = 0xBF;  // UTF-8: range of the next byte
};

// Spreads a text over at most `lines` rows of `width` cells. A row of a
// route text ends after a separator between its names ('*', '^', '$'), so
// that no name is torn across rows; a name that fills a row exactly ends
// it, and the separator after it gives way to the break. A row that holds
// no whole name (one longer than the row, or a text without such
// separators) ends after a word end ('/', ',', '-', ')', '#') or before a
// blank, which the break takes the place of, else where it is full. The
// last row takes the rest, whatever its length (the caller cuts it).
std::vector<std::string> TermWrap(const TermOutput& out, const std::string& text, int width,
                                  size_t lines);

// Shortens a status note to `width` cells. A note too long for its line
// keeps its head up to the last ": " and the end of what follows (a
// printout's note ends in its file name, the part a user looks for), with
// "..." between them; a note without ": ", or whose head alone is too long,
// is cut at its end.
std::string TermFitNote(const TermOutput& out, const std::string& note, int width);

// The glyphs of a list's scroll bar as the screen writes them: the arrows
// at its ends, its track and its thumb. Where the set holds them, the
// arrows and block characters (U+2191, U+2193, U+2592, U+2588), else the
// ASCII stand-ins ^ v : #. Each glyph takes one cell.
struct TermScrollGlyphs {
  std::string up, down, track, thumb;
};
TermScrollGlyphs TermScrollBarGlyphs(const std::string& codeset);

// The thumb of a scroll bar with a track of `track` rows, for a list of
// `entries` entries whose page of `page` entries starts at entry `first`:
// its first row in the track and its rows. Its length is the page's share
// of the entries (one row at least); it stands at the top only for the
// first page and at the bottom only for the last, where the track has
// room for that. A track of no rows has no thumb.
struct TermThumb {
  int top = 0, rows = 0;
};
TermThumb TermScrollThumb(int entries, int page, int first, int track);

// The locale's character set as iconv names it (call after setlocale).
std::string TermCodeset();

#endif  // ZOLMA_PLATFORM_UI_TERMTEXT_H
