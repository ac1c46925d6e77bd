// Tests of the terminal's text and key layer: the output table of each
// character set, the input decoder, the Escape rules and the wrapping of
// long labels.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/ui/termkeys.h"
#include "platform/ui/termtext.h"
#include "platform/ui/uihost.h"

namespace {

constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kAscii = "ANSI_X3.4-1968";  // the C locale's set
constexpr const char* kLatin1 = "ISO-8859-1";

TEST(UiTermOutput, WritesWhatTheSetHoldsAndStandsInForTheRest) {
  const struct {
    const char* codeset;
    std::string text;  // Windows-1252
    std::string shown;
    int cells;
  } cases[] = {
      {kUtf8,
       "\xDC"
       "ber 1:",
       "\xC3\x9C"
       "ber 1:",
       7},
      {kUtf8, "\x80 \x84", "\xE2\x82\xAC \xE2\x80\x9E", 3},
      {kUtf8, "\x81", "?", 1},  // a hole of the code page
      {kAscii,
       "\xDC"
       "ber 1:",
       "Ueber 1:", 8},
      {kAscii, "\xC4\xD6\xDC\xE4\xF6\xFC\xDF", "AeOeUeaeoeuess", 14},
      {kAscii, "Caf\xE9 \x80 1\xBD", "Caf? ? 1?", 9},
      {kAscii, "N\xFCrnberg Hbf", "Nuernberg Hbf", 13},
      {kLatin1, "M\xFCnchen \xDF", "M\xFCnchen \xDF", 9},
      {kLatin1, "\x80", "?", 1},  // the euro sign is not in ISO-8859-1
      {"ISO-8859-15", "\x80", "\xA4", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.codeset) + " " + c.shown);
    TermOutput out(c.codeset);
    EXPECT_EQ(out.Convert(c.text), c.shown);
    EXPECT_EQ(out.Cells(c.text), c.cells);
  }
}

// A set that cannot be converted is a failure naming the set, never a
// screen or a keyboard quietly reduced to ASCII.
TEST(UiTermOutput, ASetThatCannotBeConvertedIsReported) {
  auto names = [](auto make) {
    try {
      make();
    } catch (const UiError& e) {
      return std::string(e.what());
    }
    return std::string("no failure");
  };
  for (const std::string& what : {
           names([] { TermOutput out("NO-SUCH-SET"); }),
           names([] { TermInput in("NO-SUCH-SET"); }),
           names([] { TermScrollBarGlyphs("NO-SUCH-SET"); }),
       }) {
    EXPECT_NE(what.find("Zeichensatz-Umwandlung"), std::string::npos) << what;
    EXPECT_NE(what.find("NO-SUCH-SET"), std::string::npos) << what;
  }
}

TEST(UiTermOutput, ScrollBarGlyphsWhereTheSetHasThem) {
  const struct {
    const char* codeset;
    TermScrollGlyphs glyphs;
  } cases[] = {
      {kUtf8, {"\xE2\x86\x91", "\xE2\x86\x93", "\xE2\x96\x92", "\xE2\x96\x88"}},
      {kLatin1, {"^", "v", ":", "#"}},
      {kAscii, {"^", "v", ":", "#"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codeset);
    TermScrollGlyphs g = TermScrollBarGlyphs(c.codeset);
    EXPECT_EQ(g.up, c.glyphs.up);
    EXPECT_EQ(g.down, c.glyphs.down);
    EXPECT_EQ(g.track, c.glyphs.track);
    EXPECT_EQ(g.thumb, c.glyphs.thumb);
  }
}

TEST(UiTermScrollThumb, LengthIsThePageShareAndPlaceThePosition) {
  const struct {
    int entries, page, first, track;
    TermThumb thumb;
  } cases[] = {
      {19, 16, 0, 14, {0, 12}},    // the picker for "S": 19 names in 16 rows
      {19, 16, 3, 14, {2, 12}},    // its last page: the thumb at the bottom
      {89, 17, 0, 15, {0, 3}},     // the 50 km list for Nuernberg Hbf
      {89, 17, 72, 15, {12, 3}},
      {89, 17, 200, 15, {12, 3}},  // beyond the end counts as the end
      {1000, 10, 0, 8, {0, 1}},    // one row at least
      {5, 10, 0, 8, {0, 8}},       // all entries shown: the whole track
      {50, 10, 0, 0, {0, 0}},      // no track, no thumb
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.entries) + " entries from " + std::to_string(c.first));
    TermThumb t = TermScrollThumb(c.entries, c.page, c.first, c.track);
    EXPECT_EQ(t.top, c.thumb.top);
    EXPECT_EQ(t.rows, c.thumb.rows);
  }
  // Page by page the thumb moves down, never up, and it touches an end of
  // the track only on the first and the last page.
  for (int entries = 17; entries <= 120; ++entries) {
    const int page = 16, track = 14;
    int before = 0;
    for (int first = 0; first <= entries - page; ++first) {
      TermThumb t = TermScrollThumb(entries, page, first, track);
      ASSERT_GE(t.top, before) << entries << " " << first;
      ASSERT_LE(t.top + t.rows, track);
      bool end = first == 0 || first == entries - page;
      if (t.rows + 2 <= track) {
        ASSERT_EQ(t.top == 0, first == 0) << entries << " " << first;
        ASSERT_EQ(t.top + t.rows == track, first == entries - page) << entries << " " << first;
      }
      (void)end;
      before = t.top;
    }
  }
}

TEST(UiTermOutput, FitCountsCellsNotBytes) {
  TermOutput ascii(kAscii), utf8(kUtf8);
  EXPECT_EQ(ascii.Fit("\xDC"
                      "ber",
                      1),
            "");
  EXPECT_EQ(ascii.Fit("\xDC"
                      "ber",
                      3),
            "\xDC"
            "b");
  EXPECT_EQ(utf8.Fit("\xDC"
                     "ber",
                     3),
            "\xDC"
            "be");
  EXPECT_EQ(utf8.Fit("ab", 10), "ab");
}

// Feeds bytes one at a time; returns the characters that came out.
std::string decode(TermInput& in, const std::string& bytes) {
  std::string out;
  for (unsigned char b : bytes) {
    unsigned char c = 0;
    if (in.Feed(b, c) == TermInput::kChar) out += static_cast<char>(c);
  }
  return out;
}

TEST(UiTermInput, DecodesTheLocaleOneByteAtATime) {
  const struct {
    const char* codeset;
    std::string bytes;
    std::string chars;  // Windows-1252
    bool pending;       // bytes of a character still held at the end
  } cases[] = {
      {kUtf8, "N\xC3\xBCrnberg", "N\xFCrnberg", false},
      {kUtf8, "\xE2\x82\xAC", "\x80", false},
      {kUtf8, "\xFC\r", "\r", false},  // Latin-1 ü: dropped at once
      {kUtf8, "\xC3\r", "\r", false},  // Enter breaks the sequence and arrives
      {kUtf8,
       "\xC3\x1B"
       "b",
       "\x1B"
       "b",
       false},                                 // so does Esc
      {kUtf8, "\xC3\xC3\xBC", "\xFC", false},  // a new start drops the old one
      {kUtf8,
       "\xE0\x80"
       "a",
       "a", false},                        // no overlong forms
      {kUtf8, "\xED\xA0\x80", "", false},  // no surrogates
      {kUtf8,
       "\xF4\x90"
       "a",
       "a", false},  // nothing beyond U+10FFFF
      {kUtf8, "\xC0\xAF\xF5\xFF", "", false},
      {kUtf8, "\xE2\x86\x92x", "x", false},  // an arrow: not in Windows-1252
      {kUtf8, "\xF0\x9F\x98", "", true},
      {kLatin1, "\xFC\xDF\x80", "\xFC\xDF", false},
      {kAscii,
       "ue\xFC\xC3\xBC"
       "a",
       "uea", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.codeset) + " " + c.chars);
    TermInput in(c.codeset);
    EXPECT_EQ(decode(in, c.bytes), c.chars);
    EXPECT_EQ(in.Pending(), c.pending);
  }
}

// No byte, and no two bytes, may hold back the key typed after them.
TEST(UiTermInput, NoBytesFreezeTheInput) {
  for (const char* codeset : {kUtf8, kLatin1, kAscii}) {
    SCOPED_TRACE(codeset);
    TermInput in(codeset);
    for (int a = 0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        std::string got = decode(in, std::string{static_cast<char>(a), static_cast<char>(b), '\r'});
        ASSERT_FALSE(got.empty()) << a << " " << b;
        ASSERT_EQ(got.back(), '\r') << a << " " << b;
        ASSERT_FALSE(in.Pending());
      }
    }
  }
}

// A terminal that plays input units at given times (milliseconds after
// the previous unit) on a virtual clock; it ends with a failed read, after
// the time waited for it.
class Script {
 public:
  struct Unit {
    int afterMs;
    int unit;
  };
  explicit Script(std::vector<Unit> units) : units_(units.begin(), units.end()) {}
  int next(int waitMs) {
    if (units_.empty()) {
      if (waitMs > 0) elapsedMs_ += waitMs;
      return -1;
    }
    Unit& u = units_.front();
    if (waitMs >= 0 && u.afterMs > waitMs) {
      u.afterMs -= waitMs;  // the wait runs out first
      elapsedMs_ += waitMs;
      return -1;
    }
    elapsedMs_ += u.afterMs;
    int unit = u.unit;
    units_.pop_front();
    return unit;
  }
  // The virtual time that has passed.
  int elapsedMs() const { return elapsedMs_; }

 private:
  std::deque<Unit> units_;
  int elapsedMs_ = 0;
};

std::string name(const TermKey& k) {
  if (k.isKey) return "key" + std::to_string(k.code);
  if (k.alt) return "Alt+" + std::string(1, static_cast<char>(k.code));
  if (k.code == 27) return "Esc";
  if (k.code == TermKeyReader::kCtrlC) return "Ctrl+C";
  if (k.code == '\t') return "Tab";
  if (k.code == '\r') return "Enter";
  return std::string(1, static_cast<char>(k.code));
}

TEST(UiTermKeyReader, EscapeAsTerminalUsersKnowIt) {
  constexpr int kEsc = 27, kUp = 0403;
  const struct {
    const char* what;
    std::vector<Script::Unit> units;
    std::vector<std::string> keys;
  } cases[] = {
      {"Esc, 150 ms, b is Alt+B", {{0, kEsc}, {150, 'b'}}, {"Alt+b"}},
      {"Alt+B sent as ESC-prefix at machine speed", {{0, kEsc}, {0, 'b'}}, {"Alt+b"}},
      {"Esc, just within the delay, then e", {{0, kEsc}, {999, 'e'}}, {"Alt+e"}},
      {"a lone Esc acts when the delay runs out", {{0, kEsc}, {1500, 'b'}}, {"Esc", "b"}},
      {"Esc Esc is one Esc at once", {{0, kEsc}, {100, kEsc}, {2000, 'x'}}, {"Esc", "x"}},
      {"three Esc are two", {{0, kEsc}, {50, kEsc}, {50, kEsc}}, {"Esc", "Esc"}},
      {"Esc then Tab: Esc, then Tab", {{0, kEsc}, {200, '\t'}}, {"Esc", "Tab"}},
      {"Esc then Enter: Esc, then Enter", {{0, kEsc}, {200, '\r'}}, {"Esc", "Enter"}},
      {"Esc then an arrow: Esc, then the arrow",
       {{0, kEsc}, {200, kUp}, {0, 'a'}},
       {"Esc", "key259", "a"}},
      {"Esc then a typed umlaut is Alt+umlaut", {{0, kEsc}, {200, 0xC3}, {0, 0xBC}}, {"Alt+\xFC"}},
      {"a function key ends a character begun",
       {{0, 0xC3}, {0, kUp}, {0, 0xBC}, {0, 'a'}},
       {"key259", "a"}},
      {"a stray byte after Esc is dropped", {{0, kEsc}, {100, 0xFC}, {100, 'b'}}, {"Alt+b"}},
      {"typing after the delay is plain", {{0, 'a'}, {2000, 'b'}}, {"a", "b"}},
      {"Esc then Ctrl+C: Ctrl+C alone", {{0, kEsc}, {200, 3}, {0, 'a'}}, {"Ctrl+C", "a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Script script(c.units);
    TermInput decoder(kUtf8);
    TermKeyReader reader([&script](int waitMs) { return script.next(waitMs); }, decoder,
                         TermKeyReader::kEscDelayMs, [&script] { return script.elapsedMs(); });
    std::vector<std::string> keys;
    for (TermKey k = reader.Next(); !k.none(); k = reader.Next()) keys.push_back(name(k));
    EXPECT_EQ(keys, c.keys);
  }
}

// The key after Esc Esc, or after a lone Esc, comes when the virtual clock
// says: Esc Esc acts as the second Esc arrives, a lone Esc when the delay
// has run out, and neither waits longer.
TEST(UiTermKeyReader, EscapeActsAtItsTime) {
  constexpr int kEsc = 27;
  const struct {
    const char* what;
    std::vector<Script::Unit> units;
    int actsAtMs;
  } cases[] = {
      {"Esc Esc, 100 ms apart", {{0, kEsc}, {100, kEsc}}, 100},
      {"Esc Esc at machine speed", {{0, kEsc}, {0, kEsc}}, 0},
      {"a lone Esc", {{0, kEsc}}, TermKeyReader::kEscDelayMs},
      {"a lone Esc, a key long after it", {{0, kEsc}, {5000, 'b'}}, TermKeyReader::kEscDelayMs},
      {"Esc, then Ctrl+C", {{0, kEsc}, {300, 3}}, 300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Script script(c.units);
    TermInput decoder(kUtf8);
    TermKeyReader reader([&script](int waitMs) { return script.next(waitMs); }, decoder,
                         TermKeyReader::kEscDelayMs, [&script] { return script.elapsedMs(); });
    TermKey k = reader.Next();
    EXPECT_FALSE(k.none());
    EXPECT_EQ(script.elapsedMs(), c.actsAtMs);
  }
}

const std::string kProbstzellaCrailsheim =
    "Sonneberg (Th\xFCr) Hbf*Lichtenfels*Hochstadt-Marktzeuln*Hof Hbf*Marktredwitz*Ansbach";

TEST(UiTermWrap, BreaksLongTextsAtASeparatorNearTheEnd) {
  TermOutput utf8(kUtf8), ascii(kAscii);
  const std::string route =
      "F\xFCrth*Forchheim*Bamberg*Bad Staffelstein*Lichtenfels*(Hochstadt-M.)*Kronach";
  const struct {
    const char* what;
    const TermOutput& out;
    std::string text;
    int width;
    size_t lines;
    std::vector<std::string> rows;
  } cases[] = {
      {"fits", utf8, "Bamberg*Forchheim", 61, 4, {"Bamberg*Forchheim"}},
      {"after the last separator that fits",
       utf8,
       route,
       61,
       4,
       {"F\xFCrth*Forchheim*Bamberg*Bad Staffelstein*Lichtenfels*", "(Hochstadt-M.)*Kronach"}},
      {"a blank starting a row is dropped", utf8, "aaaa bbbb cccc", 9, 4, {"aaaa bbbb", "cccc"}},
      {"no separator near the end: the row is full",
       utf8,
       std::string(70, 'x'),
       61,
       4,
       {std::string(61, 'x'), std::string(9, 'x')}},
      {"the last row takes the rest",
       utf8,
       std::string(30, 'x'),
       10,
       2,
       {std::string(10, 'x'), std::string(20, 'x')}},
      {"cells, not bytes, fill a row",
       ascii,
       "\xFC\xFC\xFC\xFC*ab",
       8,
       4,
       {"\xFC\xFC\xFC\xFC", "ab"}},
      {"a name is never torn: the row ends after the '*' before it",
       utf8,
       kProbstzellaCrailsheim,
       59,
       4,
       {"Sonneberg (Th\xFCr) Hbf*Lichtenfels*Hochstadt-Marktzeuln*", "Hof Hbf*Marktredwitz*Ansbach"}},
      {"a name longer than the row breaks at a blank in it",
       utf8,
       "A*Sonneberg (Th\xFCr) Hbf*B",
       12,
       4,
       {"A*", "Sonneberg", "(Th\xFCr) Hbf*B"}},
      {"a name that fills the row exactly: the break takes the '*'", utf8, "Abcdefghij*Klm",
       10, 4, {"Abcdefghij", "Klm"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(TermWrap(c.out, c.text, c.width, c.lines), c.rows);
  }
}

// At every width, each row of a route text but the last ends after a '*'
// (or with a name that fills it exactly), unless it lies inside a name
// longer than the whole row; no character is lost but the blank or the
// '*' a break takes the place of.
TEST(UiTermWrap, RouteTextRowsEndBetweenNamesAtEveryWidth) {
  TermOutput utf8(kUtf8), ascii(kAscii);
  const std::string texts[] = {
      kProbstzellaCrailsheim,
      "F\xFCrth*Forchheim*Bamberg*Bad Staffelstein*Lichtenfels*(Hochstadt-M.)*Kronach",
  };
  for (const TermOutput* out : {&utf8, &ascii}) {
    for (const std::string& text : texts) {
      for (int width = 6; width <= 90; ++width) {
        SCOPED_TRACE(text + " at " + std::to_string(width));
        std::vector<std::string> rows = TermWrap(*out, text, width, 100);
        size_t at = 0;  // where the row starts in the text
        for (size_t i = 0; i < rows.size(); ++i) {
          const std::string& row = rows[i];
          if (at < text.size() && (text[at] == ' ' || text[at] == '*')) ++at;  // the break's
          ASSERT_EQ(text.compare(at, row.size(), row), 0) << "row " << i << ": " << row;
          size_t end = at + row.size();
          if (i + 1 < rows.size()) {
            EXPECT_LE(out->Cells(row), width) << row;
            bool betweenNames = row.back() == '*' || text[end] == '*';
            // The name the row lies in.
            size_t before = at == 0 ? std::string::npos : text.rfind('*', at - 1);
            size_t from = before == std::string::npos ? 0 : before + 1;
            size_t to = text.find('*', at);
            if (to == std::string::npos) to = text.size();
            bool insideLongName = end <= to && out->Cells(text.substr(from, to - from)) > width;
            EXPECT_TRUE(betweenNames || insideLongName) << "row " << i << ": " << row;
          }
          at = end;
        }
        EXPECT_EQ(at, text.size());
      }
    }
  }
}

TEST(UiTermFitNote, AShortenedNoteKeepsItsFileName) {
  TermOutput utf8(kUtf8), ascii(kAscii);
  const std::string note =
      "Drucksystem nicht erreichbar - gedruckt: druck/KRV_Entfernungsberechnung_Liste-20261210-093216.pdf";
  const struct {
    const char* what;
    const TermOutput& out;
    std::string note;
    int width;
    std::string shown;
  } cases[] = {
      {"fits", utf8, "Gedruckt: druck/a.pdf", 79, "Gedruckt: druck/a.pdf"},
      {"the path's start gives way",
       utf8,
       note,
       79,
       "Drucksystem nicht erreichbar - gedruckt: ...erechnung_Liste-20261210-093216.pdf"},
      {"cells, not bytes, in a set without umlauts",
       ascii,
       "An Drucker \xFC: abcdefghij",
       20,
       "An Drucker \xFC: ...ij"},
      {"no colon: cut at the end", utf8, std::string(30, 'x'), 10, std::string(10, 'x')},
      {"a head too long: cut at the end", utf8, "abcdefghijkl: xyz", 10, "abcdefghij"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string shown = TermFitNote(c.out, c.note, c.width);
    EXPECT_EQ(shown, c.shown);
    EXPECT_LE(c.out.Cells(shown), c.width);
  }
}

}  // namespace
