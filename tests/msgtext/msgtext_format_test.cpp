// Message text formatter: the three placeholder grammars, number and time
// conversions, buffer handling, byte order, references and the FEHL lookup.
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/msgtext/msgtext_fixture.h"

namespace msgtext_test {
namespace {

struct Row {
  const char* pattern;
  std::shared_ptr<Meldungskontext> ctx;
  int result;
  std::string text;
};

template <class... A>
std::shared_ptr<Meldungskontext> C(std::uint16_t mode, const char* types, A&&... args) {
  return std::shared_ptr<Meldungskontext>(
      Ctx("EB", 1102, mode, types, std::forward<A>(args)...).release(), MsgFreeDeleter{});
}

using MsgtextLookup = MsgTextTest;

void RunRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pattern);
    int r = -1;
    EXPECT_EQ(FormatWith(row.ctx.get(), row.pattern, &r), row.text);
    EXPECT_EQ(r, row.result);
  }
}

std::string Line(int result) { return std::string(" EB1102  ") + MsgResultText(result); }

UtTimestamp Time(int y, int mo, int d, int h, int mi, int s) {
  UtDate date{y, mo, d, 0, h, mi, s};
  return UtDateTimeToSeconds(&date);
}

const char kFileName[24] = "\\SYS.$DATA.ZOLMA.FILE1";
const char kJulian[8] = {1, 2, 3, 4, 5, 6, 7, 8};

TEST(MsgtextMode0, WidthsAlignmentAndConversions) {
  const std::string ab600 = "ab" + std::string(510, ' ');
  const UtTimestamp t = Time(2017, 8, 28, 13, 5, 9);
  RunRows({
      {"Bahnhof %1d nicht gefunden", C(0, "d", 4711), 0, "Bahnhof 4711 nicht gefunden"},
      {"Bahnhof %1d nicht gefunden", C(0, ""), 7, Line(7)},
      {"%0d", C(0, "d", 1), 8, Line(8)},
      {"%1:-6s|", C(0, "s", "ab"), 0, "ab    |"},
      {"%1:6s|", C(0, "s", "ab"), 0, "    ab|"},
      {"%1:+6s|", C(0, "s", "ab"), 0, "    ab|"},
      {"%1:-s|", C(0, "s", "ab"), 0, "ab   |"},  // no digits: width 5
      {"%1:+s|", C(0, "s", "ab"), 0, "   ab|"},
      {"%1:3s", C(0, "s", "abcdef"), 0, "abc"},
      {"%1:-0s|", C(0, "s", "ab"), 0, "|"},
      {"%1:-600s|", C(0, "s", "ab"), 0, ab600 + "|"},  // a width above 512 counts as 512
      {"%1:99999999999s", C(0, "s", "ab"), 0, std::string(510, ' ') + "ab"},
      {"%1s|", C(0, "s", "ab  "), 0, "ab|"},  // unaligned: trailing blanks dropped
      {"%1:-5s|", C(0, "s", "ab  "), 0, "ab   |"},
      {"<%1s>", C(0, "a", "xyz", 3), 0, "<xyz>"},
      {"%1:9d|", C(0, "d", 42), 0, "       42|"},
      {"%1:-4:xd|", C(0, "d", -1), 0, "0xFF|"},  // longer than the field: cut
      {"%2d-%1d", C(0, "dd", 1, 2), 0, "2-1"},
      {"%1t", C(0, "t", t), 0, "28.08.2017 13:05:09"},
      {"%1:dt", C(0, "t", t), 0, "28.08.2017"},
      {"%1:ut", C(0, "t", t), 0, "13:05:09"},
      {"%1:-12:dt|", C(0, "t", t), 0, "28.08.2017  |"},
      {"%1F", C(0, "F", kFileName), 0, "<Expansion von F nur auf Tandem>"},
      {"%1:-40J|", C(0, "J", kJulian), 0, "<Expansion von J nur auf Tandem>|"},
      {"%1P", C(0, "P", kFileName), 0, "<Expansion von P nur auf Tandem>"},
      {"100%%", C(0, ""), 0, "100%"},
      {"%%1d", C(0, "d", 5), 0, "%1d"},
      {"", C(0, "d", 5), 0, ""},
      {"%11d", C(0, "d", 5), 5, Line(5)},
      {"%1l", C(0, "l", 5), 5, Line(5)},  // integers of both widths use 'd'
      {"%d", C(0, "d", 5), 5, Line(5)},
      {"%1x", C(0, "x"), 5, Line(5)},
      {"%1s", C(0, "d", 5), 7, Line(7)},
      {"%1d", C(0, "s", "5"), 7, Line(7)},
      {"%1t", C(0, "l", 5), 7, Line(7)},
      {"%3d", C(0, "dd", 1, 2), 7, Line(7)},  // beyond the parameters
  });
}

TEST(MsgtextMode0, IntegersOfBothWidthsAndEverySubFormat) {
  RunRows({
      {"%1d", C(0, "d", -1), 0, "-1"},
      {"%1:xd", C(0, "d", -1), 0, "0xFFFF"},
      {"%1:Xd", C(0, "d", -1), 0, "0x0000FFFF"},
      {"%1:od", C(0, "d", -1), 0, "0o177777"},
      {"%1:Od", C(0, "d", -1), 0, "0o00000177777"},
      {"%1d", C(0, "l", -1), 0, "-1"},
      {"%1:xd", C(0, "l", -1), 0, "0xFFFF"},
      {"%1:Xd", C(0, "l", -1), 0, "0xFFFFFFFF"},
      {"%1:od", C(0, "l", -1), 0, "0o177777"},
      {"%1:Od", C(0, "l", -1), 0, "0o37777777777"},
      {"%1d", C(0, "l", INT32_MIN), 0, "-2147483648"},
      {"%1d", C(0, "l", 70000), 0, "70000"},
      {"%1d", C(0, "d", 70000), 0, "4464"},  // 'd' keeps its low 16 bits
      {"%1:xd", C(0, "l", 0x12345678), 0, "0x5678"},
      {"%1:Xd", C(0, "l", 0x12345678), 0, "0x12345678"},
      {"%1:qd", C(0, "d", -7), 0, "-7"},  // an unknown sub-format: decimal
  });
}

TEST(MsgtextMode0, UnstoredAndBadDescriptorsAreNeverRead) {
  // "sss" with 300, 300, 10 characters: the second and third are not stored.
  std::string s300(300, 'x');
  auto m = C(0, "sss", s300.c_str(), s300.c_str(), "0123456789");
  int r = 0;
  EXPECT_EQ(FormatWith(m.get(), "%1s", &r), std::string(255, 'x'));
  EXPECT_EQ(FormatWith(m.get(), "%2s", &r), Line(6));
  EXPECT_EQ(r, 6);
  EXPECT_EQ(FormatWith(m.get(), "%3s", &r), Line(6));

  // A received record whose 'l' would reach past the packed area.
  auto bad = C(0, "l", 1);
  bad->params[0] = MsgParamDesc{510, 4, 'l'};
  EXPECT_EQ(FormatWith(bad.get(), "%1d", &r), Line(6));
  bad->params[0] = MsgParamDesc{511, 0, 'd'};  // its length says 0, its value needs 2
  EXPECT_EQ(FormatWith(bad.get(), "%1d", &r), Line(6));
  bad->params[0] = MsgParamDesc{300, 255, 's'};  // 555 > 512
  EXPECT_EQ(FormatWith(bad.get(), "%1s", &r), Line(6));
}

TEST(MsgtextMode0, PlaceholderAtThePatternsEndIsNotParsedPastIt) {
  for (const char* tail : {"%", "%1", "%1:", "%1:-", "%1:-5", "%1:5:", "%1:x"}) {
    std::string p = std::string(70 - std::strlen(tail), 'x') + tail;
    ASSERT_EQ(p.size(), 70u);
    SCOPED_TRACE(p);
    int r = 0;
    EXPECT_EQ(FormatWith(C(0, "d", 1).get(), p, &r), Line(5));
    EXPECT_EQ(r, 5);
  }
  // The same in the other modes; a '%' with nothing after it is no
  // placeholder where the mode has none.
  int r = 0;
  EXPECT_EQ(FormatWith(C(1, "d", 1).get(), "ab%", &r), Line(5));
  EXPECT_EQ(FormatWith(C(2, "d", 1).get(), "ab%", &r), Line(5));
  EXPECT_EQ(FormatWith(C(3, "d", 1).get(), "ab%", &r), "ab");
  EXPECT_EQ(r, 0);
}

TEST(MsgtextMode1, ByParameterClass) {
  RunRows({
      {"%T: %D", C(1, "ds", 7, "Halt"), 0, "Halt: 7"},
      {"%D %D %D", C(1, "dd", 1, 2), 0, "1 2"},  // no third: nothing
      {"%T/%T", C(1, "sds", "a", 5, "b"), 0, "a/b"},
      {"%H", C(1, "d", 255), 0, "00FF"},
      {"%H", C(1, "d", -1), 0, "FFFF"},
      {"%O", C(1, "d", 8), 0, "%000010"},
      {"%O", C(1, "d", -1), 0, "%177777"},
      {"%D", C(1, "d", -1), 0, "-1"},
      {"%Q", C(1, "l", -1), 0, "-1"},
      {"%Q", C(1, "l", INT32_MAX), 0, "2147483647"},
      {"<%T>", C(1, "a", "a b ", 4), 0, "<a b>"},
      {"%F %J %P", C(1, "FJP", kFileName, kJulian, kFileName), 0,
       "<Expansion von F nur auf Tandem> <Expansion von J nur auf Tandem> "
       "<Expansion von P nur auf Tandem>"},
      {"%Q", C(1, "d", 1), 7, Line(7)},
      {"%D", C(1, "l", 1), 7, Line(7)},
      {"%T", C(1, "F", kFileName), 7, Line(7)},
      {"%X", C(1, "d", 1), 5, Line(5)},
      {"%X", C(1, ""), 0, ""},  // no parameter of its class: nothing
      {"a%%b", C(1, ""), 0, "a%b"},
  });
}

TEST(MsgtextMode2, Sequential) {
  RunRows({
      {"%T/%T", C(2, "s", "x"), 0, "x/"},
      {"%T %T %T", C(2, "dls", -5, -70000, "ab"), 0, "-5 -70000 ab"},
      {"%T", C(2, "a", "ab", 2), 10, Line(10)},
      {"%T", C(2, "t", 5u), 10, Line(10)},
      {"%D", C(2, "d", 1), 5, Line(5)},
      {"%D", C(2, ""), 0, ""},
      {"%T%%", C(2, "d", 3), 0, "3%"},
  });
}

TEST(MsgtextOtherModes, PercentIsDroppedAndTheRestIsText) {
  RunRows({
      {"a%1db%%", C(3, "d", 1), 0, "a1db%"},
      {"%T", C(7, "s", "x"), 0, "T"},
  });
}

TEST(MsgtextBuffer, SizesAndTooManyParameters) {
  auto m = C(0, "d", 4711);
  int r = -1;
  EXPECT_EQ(FormatWith(m.get(), "Bahnhof %1d nicht gefunden", &r, 10), "Bahnhof 4");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(FormatWith(m.get(), "Bahnhof %1d nicht gefunden", &r, 1), "");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(FormatWith(m.get(), "%2d", &r, 10), " EB1102");  // first 9, trimmed
  EXPECT_EQ(r, 7);
  EXPECT_EQ(FormatWith(m.get(), "%2d", &r, 1), "");
  EXPECT_EQ(r, 7);
  // Once the room is used up the walk still parses and tests what follows.
  EXPECT_EQ(FormatWith(m.get(), "Bahnhof %1d nicht %2d", &r, 10), " EB1102");
  EXPECT_EQ(r, 7);
  EXPECT_EQ(FormatWith(m.get(), "Bahnhof %1d nicht %1:", &r, 10), " EB1102");
  EXPECT_EQ(r, 5);

  auto eleven = C(0, "ddddddddddd", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
  ASSERT_EQ(eleven->paramCount, 11);
  EXPECT_EQ(FormatWith(eleven.get(), "x", &r), Line(4));
  EXPECT_EQ(r, 4);
  EXPECT_EQ(FormatWith(eleven.get(), "%1d", &r), Line(4));
}

TEST_F(MsgtextLookup, SizeOfZeroOrLessIsRefused) {
  char buf[8];
  for (int size : {0, -1, -32768}) {
    std::memset(buf, 'Q', sizeof buf);
    EXPECT_EQ(MsgFormat(buf, static_cast<std::int16_t>(size), 'D', "EB", 1102, 0, "d", 1), 1);
    EXPECT_EQ(std::string(buf, sizeof buf), std::string(8, 'Q'));
    auto m = Ctx("EB", 1102, 0, "d", 1);
    EXPECT_EQ(MsgFormatContext(buf, static_cast<std::int16_t>(size), 'D', m.get()), 1);
    EXPECT_EQ(std::string(buf, sizeof buf), std::string(8, 'Q'));
  }
  EXPECT_EQ(MsgFormat(nullptr, 10, 'D', "EB", 1102, 0, "d", 1), 1);
}

// ---- with the FEHL table ------------------------------------------------------

std::string Fmt(char variant, const char* ssid, std::uint16_t number, std::uint16_t mode,
                const char* types, int* result, auto&&... args) {
  char buf[199];
  *result = MsgFormat(buf, sizeof buf, variant, ssid, number, mode, types, args...);
  return buf;
}

TEST_F(MsgtextLookup, LooksUpAndFormats) {
  int r = -1;
  EXPECT_EQ(Fmt('D', "EB", 1102, 0, "d", &r, 4711), "Bahnhof 4711 nicht gefunden");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Fmt('D', "EB", 1102, 0, "", &r), " EB1102  Parameter und Platzhalter passen nicht");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Fmt('D', "DZ", 1999, 0, "", &r),
            " DZ1999  Kein passendes Meldungstextmuster vorhanden");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Fmt('D', "DZ", 1010, 0, "s", &r, "EBHF"), "Tabelle EBHF nicht registriert");
  EXPECT_EQ(Fmt('D', "EB", 3002, 0, "", &r), "");  // a pattern of 70 blanks
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Fmt('D', "EB", 3000, 0, "d", &r, 1),
            " EB3000  Falscher Platzhalter im Meldungstextmuster");
  EXPECT_EQ(Fmt('D', "EB", 3001, 0, "d", &r, 1),
            " EB3001  Falscher Platzhalter im Meldungstextmuster");
  EXPECT_EQ(Fmt('D', "EB", 1102, 0, "ddddddddddd", &r, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11),
            " EB1102  Falscher Meldungskontext (zu viele Parameter)");
  // Dialog use: an engine code as an "EB" number without parameters.
  EXPECT_EQ(Fmt('D', "EB", 2001, 0, "", &r), "Text von D 2001");
}

TEST_F(MsgtextLookup, VariantFallbackAndLookupResults) {
  FehlSatz rec{};
  EXPECT_EQ(MsgFindPattern(&rec, 'J', "EB", 1102), 0);
  EXPECT_EQ(rec.variant, 'I');
  EXPECT_EQ(MsgFindPattern(&rec, 'J', "EB", 2001), 0);
  EXPECT_EQ(rec.variant, 'J');                          // its own pattern first
  EXPECT_EQ(MsgFindPattern(&rec, 'K', "EB", 1102), 2);  // only 'J' falls back
  EXPECT_EQ(MsgFindPattern(&rec, 'J', "EB", 1999), 2);
  EXPECT_EQ(MsgFindPattern(&rec, static_cast<char>(0xC4), "EB", 1102), 2);
  EXPECT_EQ(MsgFindPattern(&rec, 'D', "DZ", 1102), 2);  // ids do not meet
  int r = -1;
  EXPECT_EQ(Fmt('J', "EB", 1102, 0, "d", &r, 4711), "I: Bahnhof 4711 nicht gefunden");
}

TEST_F(MsgtextLookup, PatternIsTheOneValidToday) {
  // Seconds since 1970 of midnight UTC of a day number (1.1.1980 is day
  // 3652 of the Unix count).
  auto midnight = [](long day) { return static_cast<std::time_t>((3652 + day) * 86400L); };
  UtTestSetTimeZone("UTC0");
  struct {
    long day;
    const char* text;
  } rows[] = {
      {kFehlNewerFrom - 1, "Alte Fassung"},
      {kFehlNewerFrom, "Neue Fassung"},
      {kUtOpenEnd, "Neue Fassung"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.day);
    UtTestSetFixedTime(midnight(row.day));
    ASSERT_EQ(UtToday(), row.day);
    int r = -1;
    EXPECT_EQ(Fmt('D', "EB", 2003, 0, "", &r), row.text);
    EXPECT_EQ(r, 0);
  }
  UtTestSetTimeZone(nullptr);
}

TEST_F(MsgtextLookup, References) {
  int r = -1;
  EXPECT_EQ(Fmt('D', "EB", 1300, 0, "d", &r, 1102), "Siehe: Bahnhof %1d nicht gefunden");
  EXPECT_EQ(Fmt('D', "EB", 1300, 0, "l", &r, 1102), "Siehe: Bahnhof %1d nicht gefunden");
  EXPECT_EQ(Fmt('D', "EB", 1300, 0, "d", &r, 1234), "Siehe: %T1234");  // missing
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Fmt('D', "EB", 1300, 0, "l", &r, 70000),
            " EB1300  Referenznummer zu Meldungstextmuster zu gros");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Fmt('D', "EB", 1300, 0, "l", &r, -1),
            " EB1300  Referenznummer zu Meldungstextmuster zu gros");
  EXPECT_EQ(Fmt('D', "EB", 1301, 1, "d", &r, 1102), "Siehe Bahnhof %1d nicht gefunden.");
  EXPECT_EQ(Fmt('D', "EB", 1301, 1, "l", &r, 1102),
            " EB1301  Parameter und Platzhalter passen nicht");
  // Width and alignment do not fit the inserted pattern.
  EXPECT_EQ(Fmt('D', "EB", 1302, 0, "d", &r, 2001), "Breit: Text von D 2001|");
  // 'J' falls back to the pattern under 'I', whose references are resolved
  // under 'I' as well.
  EXPECT_EQ(Fmt('J', "EB", 2000, 0, "d", &r, 2001), "Unter I: Text von I 2001");
  EXPECT_EQ(Fmt('I', "EB", 2000, 0, "d", &r, 2001), "Unter I: Text von I 2001");
}

// Reverses every number of a record, as a machine of the other byte order
// would have written it.
Meldungskontext Swapped(const Meldungskontext& m) {
  Meldungskontext s = m;
  auto rev = [](void* p, std::size_t n) {
    unsigned char* b = static_cast<unsigned char*>(p);
    for (std::size_t i = 0; i < n / 2; ++i) std::swap(b[i], b[n - 1 - i]);
  };
  for (int i = 0; i < m.paramCount && i < kMsgMaxParams; ++i) {
    const MsgParamDesc& d = m.params[i];
    if (d.offset >= 0 && (d.type == 'd' || d.type == 'l' || d.type == 't'))
      rev(s.data + d.offset, d.type == 'd' ? 2 : 4);
    rev(&s.params[i].offset, 2);
  }
  rev(s.data, 2);
  rev(&s.time, 4);
  rev(&s.Meldungsnummer, 2);
  rev(&s.mode, 2);
  rev(&s.paramCount, 2);
  return s;
}

TEST_F(MsgtextLookup, ByteSwappedContextFormatsLikeTheUnswappedOne) {
  const UtTimestamp t = Time(2017, 8, 28, 13, 5, 9);
  auto m = Ctx("EB", 1200, 0, "dlts", -2, 0x01020304, t, "Text");
  char a[199], b[199];
  ASSERT_EQ(MsgFormatContext(a, sizeof a, 'D', m.get()), 0);
  EXPECT_STREQ(a, "-2|16909060|28.08.2017|Text|0x01020304|0xFFFE");

  Meldungskontext s = Swapped(*m);
  ASSERT_NE(s.Meldungsnummer, m->Meldungsnummer);
  Meldungskontext before = s;
  ASSERT_EQ(MsgFormatContext(b, sizeof b, 'D', &s), 0);
  EXPECT_STREQ(b, a);
  EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0);  // the record stays unchanged

  // MsgSwapContext turns it back exactly.
  MsgSwapContext(&s);
  EXPECT_EQ(std::memcmp(&s, m.get(), sizeof s), 0);

  // A mark that is 1 in neither order.
  Meldungskontext bad = *Ctx("EB", 1102, 0, "d", 1);
  bad.data[0] = 2;
  bad.data[1] = 2;
  ASSERT_EQ(MsgFormatContext(a, sizeof a, 'D', &bad), 1);
  EXPECT_STREQ(a, " EB1102  Byteanordnung nicht erkennbar");
  bad.data[0] = 0;
  bad.data[1] = 0;
  ASSERT_EQ(MsgFormatContext(a, sizeof a, 'D', &bad), 1);
  EXPECT_STREQ(a, " EB1102  Byteanordnung nicht erkennbar");
}

// A record in the other byte order whose conversion does not give the mark:
// a "t" value stored over the mark is reversed after it. Such a record is
// not trusted, and the error line names the message as it was handed over,
// its number unconverted (199 reversed is 50944, all five digits shown),
// whatever the pattern lookup or the buffer.
TEST_F(MsgtextLookup, MarkWrongAfterConversionNamesTheNumberAsHandedOver) {
  auto m = Ctx("EB", 199, 0, "t", 0);
  Meldungskontext s = Swapped(*m);
  s.params[0].offset = 0;  // 0 in either byte order
  ASSERT_EQ(s.Meldungsnummer, 50944);
  const Meldungskontext before = s;
  char a[199];
  EXPECT_EQ(MsgFormatContext(a, sizeof a, 'D', &s), 1);
  EXPECT_STREQ(a, " EB50944  Byteanordnung nicht erkennbar");
  EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0);
  char pattern[kMsgPatternSize];
  std::memset(pattern, ' ', sizeof pattern);
  std::memcpy(pattern, "%1t", 3);
  EXPECT_EQ(MsgFormatText(a, sizeof a, &s, kMsgFmtOk, pattern, 'D'), kMsgFmtByteOrder);
  EXPECT_STREQ(a, " EB50944  Byteanordnung nicht erkennbar");
  char small[10];
  EXPECT_EQ(MsgFormatText(small, sizeof small, &s, kMsgFmtNoPattern, pattern, 'D'),
            kMsgFmtByteOrder);
  EXPECT_STREQ(small, " EB50944");
}

TEST_F(MsgtextLookup, SwappedRecordWithWildOffsetsIsNotReadOutside) {
  auto m = Ctx("EB", 1102, 0, "d", 1);
  m->params[0] = MsgParamDesc{511, 2, 'd'};
  Meldungskontext s = Swapped(*m);  // the value at 511 is left alone
  char a[199];
  EXPECT_EQ(MsgFormatContext(a, sizeof a, 'D', &s), 1);
  EXPECT_STREQ(a, " EB1102  Falscher Meldungskontext (falsches Offset)");
  Meldungskontext w = *m;
  w.params[0] = MsgParamDesc{-300, 255, 'l'};
  MsgSwapContext(&w);  // nothing read or written outside the record
  MsgSwapContext(&w);
  EXPECT_EQ(w.params[0].offset, -300);
}

TEST_F(MsgtextLookup, FirstCallLoadsFehlOnceAndKeepsTheStamp) {
  ASSERT_EQ(DbFehlTab.loadCount, 0);
  for (std::int32_t stamp : {0, 123456}) {
    SCOPED_TRACE(stamp);
    MsgFormatTestReset();
    ASSERT_EQ(DbFehlTab.loadCount, 0);
    DbDatenZeitstempel = stamp;
    int r = -1;
    EXPECT_EQ(Fmt('D', "EB", 1102, 0, "d", &r, 1), "Bahnhof 1 nicht gefunden");
    EXPECT_EQ(DbDatenZeitstempel, stamp);
    EXPECT_EQ(DbFehlTab.loadCount, 1);
    Fmt('D', "EB", 1102, 0, "d", &r, 1);
    EXPECT_EQ(DbFehlTab.loadCount, 1);  // later calls do not load again
  }
  // With the application's load first, the formatter only counts one more.
  MsgFormatTestReset();
  DbLoadFehl();
  DbDatenZeitstempel = 0;
  int r = -1;
  Fmt('D', "EB", 1102, 0, "d", &r, 1);
  EXPECT_EQ(DbFehlTab.loadCount, 2);
  EXPECT_EQ(DbDatenZeitstempel, 0);
  MsgFormatTestReset();
  DbUnloadFehl();
  EXPECT_EQ(DbFehlTab.loadCount, 0);
}

TEST_F(MsgtextLookup, FirstLoadThatFailsAfterTheHeaderKeepsTheStamp) {
  dmw::DataFile f = dmw::fehlFile(FehlFixture());
  f.truncate_to = f.blockDataOffset(1) + 10;  // the header is read, block 1 is not
  f.write(fehlPath_);
  DbDatenZeitstempel = 0;
  char buf[199];
  MsgTrapFrame frame;
  int code = MsgTry(frame, [&] { MsgFormat(buf, sizeof buf, 'D', "EB", 1102, 0, "d", 1); });
  ASSERT_EQ(code, 1);
  EXPECT_EQ(std::string(frame.received->SS_id, 2), "DZ");
  MsgFree(frame.received);
  EXPECT_EQ(DbDatenZeitstempel, 0);
  EXPECT_EQ(DbFehlTab.loadCount, 0);
}

TEST_F(MsgtextLookup, NoPatternFile) {
  UtSetName("FEHL", kDbNoFileName);
  int r = -1;
  EXPECT_EQ(Fmt('D', "EB", 1102, 0, "d", &r, 1),
            " EB1102  Keine Meldungstextmusterdatei vorhanden");
  EXPECT_EQ(r, 1);
  FehlSatz rec{};
  EXPECT_EQ(MsgFindPattern(&rec, 'D', "EB", 1102), 3);
}

TEST_F(MsgtextLookup, FirstLoadThatRaisesFreesTheRecordAndIsNotRetried) {
  UtRemoveName(kUtRegisterGroup, "FEHL");
  char buf[199];
  MsgTrapFrame frame;
  int code = MsgTry(frame, [&] { MsgFormat(buf, sizeof buf, 'D', "EB", 1102, 0, "d", 1); });
  ASSERT_EQ(code, 1);
  ASSERT_NE(frame.received, nullptr);
  EXPECT_EQ(frame.received->Meldungsnummer, 1010);
  MsgFree(frame.received);
  // The first call is over: FEHL is not loaded, so there is no pattern file.
  UtSetName("FEHL", fehlPath_.c_str());
  EXPECT_EQ(MsgFormat(buf, sizeof buf, 'D', "EB", 1102, 0, "d", 1), 1);
  EXPECT_STREQ(buf, " EB1102  Keine Meldungstextmusterdatei vorhanden");
}

}  // namespace
}  // namespace msgtext_test
