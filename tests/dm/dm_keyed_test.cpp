// The keyed tables EBHF, PBHF, FEHL and FBRR: every field read back from
// its stored place, unsigned key order, the validity rule with its
// valid-until, the PBHF prefix operations and the FBRR station lookup.
#include <cstdlib>
#include <cstring>

#include "tests/dm/dm_fixture.h"

using namespace dmtest;

class DmKeyed : public DmTest {};

// ---- every field from its stored place --------------------------------------

TEST_F(DmKeyed, EbhfRecordReadsBackFieldByField) {
  dmw::EbhfRecord r;
  r.country = 0x8182;
  r.station_number = 0x83848586;
  r.valid_from = 0x1788;
  r.station_name = Raw({0x81, 'A', 0x84, 'B', 0x94, 'C', 0xE1, 'D', 0xFF, 'E',
                        0x80, 'F', '1',  '2', '3',  '4', '5',  '6', '7',  '8'});
  r.second_name = "Zweiter Name ";
  r.further_name = Raw({0x99, 0x9A, 0x8E, 'x', 'y', 'z', '9', '8', '7'});
  r.unread_57 = 0xEE;
  r.u16_58 = 0x8A8B;
  r.tariff_area = 0x8C8D;
  r.u32_62 = 0x8E8F9091;
  r.u8_66 = 0x92;
  r.unread_67 = 0xEE;
  r.u16_68 = 0x9394;
  r.u32_70 = {0x95969798, 0x999A9B9C, 0x9D9E9FA0, 0xA1A2A3A4, 0xA5A6A7A8, 0xA9AAABAC};
  r.u16_94 = 0xADAE;
  r.u8_96 = 0xAF;
  r.unread_97 = 0xEE;
  r.u32_98 = 0xB0B1B2B3;
  r.u32_102 = 0xB4B5B6B7;
  r.flag_chars = Raw({'J', 'N', 0xB8});
  r.unread_109 = 0xEE;
  r.u32_110 = 0xB9BABBBC;
  r.flag_letters = Raw({'a', 'b', 'c', 'd', 'e', 'H', 'g', 'h', 'N', 'N', 'k', 'B', 0xBD, 0xFE});
  r.u16_128 = 0xBEBF;
  Put("EBHF", dmw::ebhfFile({r}));
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);

  EbhfSatz s;
  ASSERT_EQ(DbGetEbhf(&s, 0x8182, 0x83848586, 0x1788), kDbFound);
  EXPECT_EQ(s.country, 0x8182);
  EXPECT_EQ(s.station, 0x83848586u);
  EXPECT_EQ(s.validFrom, 0x1788);
  EXPECT_EQ(Field(s.name, 20), r.station_name);
  EXPECT_EQ(Field(s.name2, 20), Name20(r.second_name));
  EXPECT_EQ(Field(s.name3, 9), r.further_name);
  EXPECT_EQ(s.u16At58, 0x8A8B);
  EXPECT_EQ(s.tariffArea, 0x8C8D);
  EXPECT_EQ(s.u32At62, 0x8E8F9091u);
  EXPECT_EQ(s.u8At66, 0x92);
  EXPECT_EQ(s.u16At68, 0x9394);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(s.u32At70[k], r.u32_70[static_cast<std::size_t>(k)]) << k;
  EXPECT_EQ(s.u16At94, 0xADAE);
  EXPECT_EQ(s.u8At96, 0xAF);
  EXPECT_EQ(s.u32At98, 0xB0B1B2B3u);
  EXPECT_EQ(s.u32At102, 0xB4B5B6B7u);
  EXPECT_EQ(Field(s.flags3, 3), r.flag_chars);
  EXPECT_EQ(s.u32At110, 0xB9BABBBCu);
  EXPECT_EQ(Field(s.letters, 14), r.flag_letters);
  EXPECT_EQ(s.letters[kEbhfLetterKind], 'H');
  EXPECT_EQ(s.letters[kEbhfLetterKmPart], 'B');
  EXPECT_EQ(s.u16At128, 0xBEBF);
  for (uint8_t b : s.reserved) EXPECT_EQ(b, 0);
}

TEST_F(DmKeyed, PbhfFehlFbrrRecordsReadBackFieldByField) {
  dmw::PbhfRecord p;
  p.station_name = Raw({'K', 0x94, 'l', 'n', ' ', 0x81, 0xE1, 0xFF, 0x80});
  p.valid_from = 0x1234;
  p.station_number = 0x80A0B0C0;
  p.u8_26 = 0xC1;
  p.unread_27 = 0xEE;
  Put("PBHF", dmw::pbhfFile({p}));

  dmw::FehlRecord f;
  f.variant = static_cast<char>(0xD0);
  f.subsystem_id = Raw({0xD1, 0xD2});
  f.unread_3 = 0xEE;
  f.message_number = 0xD3D4;
  f.valid_from = 0x1345;
  f.char_8 = static_cast<char>(0xD5);
  f.text_pattern = Raw({'F', 'e', 'h', 'l', 'e', 'r', ' ', '%', '1', ' ', 0x84, 0x94, 0x81, 0xE1});
  f.unread_79 = 0xEE;
  Put("FEHL", dmw::fehlFile({f}));

  dmw::FbrrRecord b;
  b.key_number = 0xE0E1;
  b.relation_number = 0xE2E3E4E5;
  b.valid_from = 0x1456;
  b.u16_8 = 0xE6E7;
  b.stations = {0x8000001, 0xE8E9EAEB, 0xECEDEEEF, 0xF0F1F2F3};
  b.numbers = {0xF4F5, 0xF6F7, 0xF8F9, 0xFAFB};
  b.valid_to = 0xFCFD;
  Put("FBRR", dmw::fbrrFile({b}));

  ASSERT_EQ(Catch([] { DbLoadPbhf(); }).code, 0);
  ASSERT_EQ(Catch([] { DbLoadFehl(); }).code, 0);
  ASSERT_EQ(Load(&DbFbrrTab).code, 0);

  PbhfSatz ps;
  ASSERT_EQ(DbGetPbhf(&ps, Name20(p.station_name).c_str(), 0x1234), kDbFound);
  EXPECT_EQ(Field(ps.name, 20), Name20(p.station_name));
  EXPECT_EQ(ps.validFrom, 0x1234);
  EXPECT_EQ(ps.station, 0x80A0B0C0u);
  EXPECT_EQ(ps.u8At26, 0xC1);
  EXPECT_EQ(ps.validUntil, kDbOpenEnd);

  FehlSatz fs;
  std::string id = Raw({0xD1, 0xD2});
  std::string var = Raw({0xD0});
  ASSERT_EQ(DbGetFehl(var.c_str(), id.c_str(), &fs, 0xD3D4, 0x1345), kDbFound);
  EXPECT_EQ(static_cast<unsigned char>(fs.variant), 0xD0);
  EXPECT_EQ(Field(fs.ssId, 2), id);
  EXPECT_EQ(fs.number, 0xD3D4);
  EXPECT_EQ(fs.validFrom, 0x1345);
  EXPECT_EQ(static_cast<unsigned char>(fs.c8), 0xD5);
  std::string pattern = f.text_pattern;
  pattern.resize(70, ' ');
  EXPECT_EQ(Field(fs.pattern, 70), pattern);
  EXPECT_EQ(fs.validUntil, kDbOpenEnd);

  for (int via = 0; via < 2; ++via) {
    SCOPED_TRACE(via ? "by stations" : "by number");
    FbrrSatz s;
    DbLookupResult res =
        via ? DbGetFbrrBhf(&s, 0xE0E1, 0x8000001, 0xE8E9EAEB, 0xECEDEEEF, 0xF0F1F2F3, 0x1456)
            : DbGetFbrr(&s, 0xE0E1, 0xE2E3E4E5, 0x1456);
    ASSERT_EQ(res, kDbFound);
    EXPECT_EQ(s.keyNo, 0xE0E1);
    EXPECT_EQ(s.relationNo, 0xE2E3E4E5u);
    EXPECT_EQ(s.validFrom, 0x1456);
    EXPECT_EQ(s.u16At8, 0xE6E7);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(s.stations[k], b.stations[static_cast<std::size_t>(k)]);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(s.numbers[k], b.numbers[static_cast<std::size_t>(k)]);
    EXPECT_EQ(s.validTo, 0xFCFD);
  }
}

// ---- unsigned order ---------------------------------------------------------------

TEST_F(DmKeyed, StationNumbersAboveTheSignedRangeAreFound) {
  std::vector<dmw::EbhfRecord> recs;
  const std::vector<uint32_t> numbers = {0,          5,          99999,      0x7FFFFFFF,
                                         0x80000000, 0x80000001, 0xC0000000, 0xFFFFFFFF};
  for (uint32_t n : numbers) {
    dmw::EbhfRecord r;
    r.station_number = n;
    r.valid_from = 100;
    r.u32_62 = n ^ 0x5A5A5A5A;
    recs.push_back(r);
  }
  Put("EBHF", dmw::ebhfFile(recs));
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  for (uint32_t n : numbers) {
    SCOPED_TRACE(n);
    EbhfSatz s;
    ASSERT_EQ(DbGetEbhf(&s, 80, n, 200), kDbFound);
    EXPECT_EQ(s.station, n);
    EXPECT_EQ(s.u32At62, n ^ 0x5A5A5A5Au);
  }
  EbhfSatz s;
  EXPECT_EQ(DbGetEbhf(&s, 80, 0x90000000, 200), kDbNotFound);
  EXPECT_EQ(DbGetEbhf(&s, 81, 5, 200), kDbNotFound);
}

TEST_F(DmKeyed, PbhfNamesWithUmlautBytesAreFoundByBinarySearch) {
  // In the DOS code page: 0x81 u-umlaut, 0x84 a-umlaut, 0x94 o-umlaut,
  // 0xE1 sharp s. As signed characters these would sort before 'A'.
  const std::vector<std::string> names = {"Aachen",
                                          "Berlin",
                                          Raw({'B', 0x81, 'h', 'l'}),
                                          "Celle",
                                          "Dresden",
                                          Raw({'D', 0x84, 'n'}),
                                          "Essen",
                                          Raw({'K', 0x94, 'l', 'n'}),
                                          "Mainz",
                                          Raw({'M', 0x81, 'n', 'c', 'h', 'e', 'n'}),
                                          "Zwickau",
                                          Raw({0x84, 'r', 'a'}),
                                          Raw({'S', 't', 'r', 'a', 0xE1, 'e'}),
                                          Raw({0x94, 'l'}),
                                          Raw({0xE1, 'a'}),
                                          "Zug"};
  std::vector<dmw::PbhfRecord> recs;
  uint32_t no = 1;
  for (const std::string& n : names) {
    dmw::PbhfRecord r;
    r.station_name = n;
    r.valid_from = 100;
    r.station_number = no++;
    recs.push_back(r);
  }
  Put("PBHF", dmw::pbhfFile(recs));
  ASSERT_EQ(Catch([] { DbLoadPbhf(); }).code, 0);
  no = 1;
  for (const std::string& n : names) {
    SCOPED_TRACE(n);
    PbhfSatz s;
    ASSERT_EQ(DbGetPbhf(&s, Name20(n).c_str(), 200), kDbFound);
    EXPECT_EQ(s.station, no);
    ASSERT_EQ(DbFindPbhfPrefix(&s, n.c_str(), 200), kDbFound);
    EXPECT_EQ(s.station, no);
    EXPECT_EQ(DbCountPbhfPrefix(n.c_str(), 200), 1);
    ++no;
  }
  EXPECT_EQ(DbCmpPbhfKey(Name20(Raw({0x81})).c_str(), Name20("z").c_str()), 1);
  EXPECT_EQ(DbCmpPbhfPrefix(1, Raw({0xE1}).c_str(), Name20("a").c_str()), 1);
}

// ---- validity ------------------------------------------------------------------------

// One table of validity cases, through FEHL (whose caller record has a
// valid-until). Keys are message numbers of "D"/"DZ"; records newest first.
TEST_F(DmKeyed, ValidityCases) {
  auto rec = [](uint16_t number, uint16_t from, bool withdrawn, const char* text) {
    dmw::FehlRecord r;
    r.variant = 'D';
    r.subsystem_id = "DZ";
    r.message_number = number;
    r.valid_from = from;
    r.withdrawn = withdrawn;
    r.text_pattern = text;
    return r;
  };
  std::vector<dmw::FehlRecord> recs = {
      rec(1, 15000, false, "one"),                                           // single, late
      rec(2, 15000, false, "two new"),   rec(2, 14000, false, "two old"),    // two versions
      rec(3, 16000, true, "three gone"), rec(3, 15000, false, "three old"),  // withdrawn newest
      rec(4, 20000, false, "four"),  // its neighbour in the block is key 3's oldest
      rec(5, 0, false, "five"),      // valid from day 0
  };
  dmw::FehlRecord eb = rec(2, 100, false, "EB two");
  eb.subsystem_id = "EB";
  recs.push_back(eb);
  Put("FEHL", dmw::fehlFile(recs));
  ASSERT_EQ(Catch([] { DbLoadFehl(); }).code, 0);

  struct Case {
    uint16_t number;
    UtDayNumber day;
    DbLookupResult res;
    const char* text;
    uint16_t validUntil;
  };
  const std::vector<Case> cases = {
      {1, 14999, kDbNotFound, nullptr, 0},  // before the first version
      {1, 15000, kDbFound, "one", 43829},   // exactly on its valid-from
      {2, 13999, kDbNotFound, nullptr, 0},
      {2, 14000, kDbFound, "two old", 14999},
      {2, 14999, kDbFound, "two old", 14999},
      {2, 15000, kDbFound, "two new", 43829},
      {3, 15999, kDbFound, "three old", 15999},  // until the withdrawal
      {3, 16000, kDbNotFound, nullptr, 0},       // withdrawn: no fallback
      {3, 30000, kDbNotFound, nullptr, 0},
      {4, 20000, kDbFound, "four", 43829},  // valid-until from its own key only
      {5, 0, kDbFound, "five", 43829},
      {5, 0xFFFF, kDbFound, "five", 43829},
      {6, 20000, kDbNotFound, nullptr, 0},  // absent key
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.number << " on " << c.day);
    FehlSatz s;
    std::memset(&s, 0x55, sizeof s);
    ASSERT_EQ(DbGetFehl("D", "DZ", &s, c.number, c.day), c.res);
    if (c.res != kDbFound) {
      EXPECT_EQ(s.validUntil, 0x5555) << "caller record written on " << c.res;
      continue;
    }
    EXPECT_EQ(Field(s.pattern, std::strlen(c.text)), c.text);
    EXPECT_EQ(s.validUntil, c.validUntil);
  }
  // The same number under another subsystem id is another key.
  FehlSatz s;
  ASSERT_EQ(DbGetFehl("D", "EB", &s, 2, 200), kDbFound);
  EXPECT_EQ(Field(s.pattern, 6), "EB two");
  EXPECT_EQ(DbGetFehl("D", "DZ", &s, 2, 200), kDbNotFound);
  EXPECT_EQ(DbGetFehl("I", "DZ", &s, 2, 20000), kDbNotFound);
}

TEST_F(DmKeyed, EbhfTakesTheOlderRecordBeforeTheNewerBegins) {
  dmw::EbhfRecord newer;
  newer.station_number = 4711;
  newer.valid_from = 15000;
  newer.station_name = "Neu";
  dmw::EbhfRecord older = newer;
  older.valid_from = 14000;
  older.station_name = "Alt";
  dmw::EbhfRecord gone = newer;
  gone.station_number = 4712;
  gone.withdrawn = true;
  dmw::EbhfRecord before = gone;
  before.withdrawn = false;
  before.valid_from = 100;
  Put("EBHF", dmw::ebhfFile({newer, older, gone, before}));
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  EbhfSatz s;
  ASSERT_EQ(DbGetEbhf(&s, 80, 4711, 14500), kDbFound);
  EXPECT_EQ(Field(s.name, 3), "Alt");
  ASSERT_EQ(DbGetEbhf(&s, 80, 4711, 15000), kDbFound);
  EXPECT_EQ(Field(s.name, 3), "Neu");
  EXPECT_EQ(DbGetEbhf(&s, 80, 4712, 15000), kDbNotFound);
  EXPECT_EQ(DbGetEbhf(&s, 80, 4712, 14999), kDbFound);
}

TEST_F(DmKeyed, LookupsAnswerOneWhileNotLoaded) {
  EbhfSatz e;
  PbhfSatz p;
  FehlSatz f;
  FbrrSatz b;
  int idx = -1;
  EXPECT_EQ(DbGetEbhf(&e, 80, 1, 100), kDbNotLoaded);
  EXPECT_EQ(DbGetPbhf(&p, Name20("A").c_str(), 100), kDbNotLoaded);
  EXPECT_EQ(DbCountPbhfPrefix("A", 100), -1);
  EXPECT_EQ(DbFindPbhfPrefix(&p, "A", 100), kDbNotLoaded);
  EXPECT_EQ(DbFindNextPbhfPrefix(&p, &idx, "A", 100), kDbNotLoaded);
  EXPECT_EQ(DbGetFehl("D", "DZ", &f, 1, 100), kDbNotLoaded);
  EXPECT_EQ(DbGetFbrr(&b, 1, 1, 100), kDbNotLoaded);
  EXPECT_EQ(DbGetFbrrBhf(&b, 1, 1, 2, 3, 4, 100), kDbNotLoaded);
  // An empty block answers 2.
  Put("EBHF", dmw::ebhfFile({}));
  ASSERT_EQ(Load(&DbEbhfTab).code, 0);
  EXPECT_EQ(DbGetEbhf(&e, 80, 1, 100), kDbNotFound);
  EXPECT_EQ(DbGetEbhf(nullptr, 80, 1, 100), kDbBadArgs);
}

// ---- PBHF prefixes ----------------------------------------------------------------------

class DmPbhfPrefix : public DmKeyed {
 protected:
  void SetUp() override {
    DmKeyed::SetUp();
    auto rec = [](const char* name, uint16_t from, bool withdrawn, uint32_t no) {
      dmw::PbhfRecord r;
      r.station_name = name;
      r.valid_from = from;
      r.withdrawn = withdrawn;
      r.station_number = no;
      return r;
    };
    Put("PBHF", dmw::pbhfFile({
                    rec("Bad", 100, false, 1), rec("Bad Ems", 15000, false, 3),
                    rec("Bad Ems", 100, false, 2), rec("Bad Kissingen", 100, false, 4),
                    rec("Bad Nauheim", 16000, true, 6), rec("Bad Nauheim", 100, false, 5),
                    rec("Badenweiler", 100, false, 7), rec("Bonn", 100, false, 8),
                    rec("Spaeter", 20000, false, 9),
                    rec("Zwischenahner Bahnho", 100, false, 10),  // 20 characters
                }));
    ASSERT_EQ(Catch([] { DbLoadPbhf(); }).code, 0);
  }
  std::vector<uint32_t> Walk(const char* text, UtDayNumber day) {
    std::vector<uint32_t> got;
    PbhfSatz s;
    int idx = -1;
    for (int guard = 0; guard < 20 && DbFindNextPbhfPrefix(&s, &idx, text, day) == kDbFound;
         ++guard)
      got.push_back(s.station);
    return got;
  }
};

TEST_F(DmPbhfPrefix, CountFindAndWalk) {
  struct Case {
    const char* text;
    UtDayNumber day;
    int32_t count;
    std::vector<uint32_t> walk;  // its first element is what Find returns
  };
  const std::vector<Case> cases = {
      // A trailing blank asks for a further word: Find skips "Bad" alone,
      // Count (plain comparison) counts it.
      {"Bad ", 14999, 4, {2, 4, 5}},
      {"Bad", 14999, 5, {1, 2, 4, 5, 7}},
      {"Bad Ems", 14999, 1, {2}},  // one record of the name per day
      {"Bad Ems", 15000, 1, {3}},
      {"Bad N", 16000, 0, {}},  // withdrawn from 16000
      {"Bad N", 15999, 1, {5}},
      {"B", 20000, 5, {1, 3, 4, 7, 8}},
      {"", 20000, 7, {1, 3, 4, 7, 8, 9, 10}},
      {"Spaeter", 19999, 0, {}},
      {"Zwischenahner Bahnhof West", 100, 1, {10}},  // compared on its first 20
      {"X", 100, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" on " << c.day);
    EXPECT_EQ(DbCountPbhfPrefix(c.text, c.day), c.count);
    PbhfSatz s;
    if (c.walk.empty()) {
      EXPECT_EQ(DbFindPbhfPrefix(&s, c.text, c.day), kDbNotFound);
    } else {
      ASSERT_EQ(DbFindPbhfPrefix(&s, c.text, c.day), kDbFound);
      EXPECT_EQ(s.station, c.walk.front());
    }
    EXPECT_EQ(Walk(c.text, c.day), c.walk);
  }
}

TEST_F(DmPbhfPrefix, WalkEndsWithTwoAndKeepsTheLastIndex) {
  PbhfSatz s;
  int idx = -1;
  ASSERT_EQ(DbFindNextPbhfPrefix(&s, &idx, "Bad K", 100), kDbFound);
  int last = idx;
  EXPECT_EQ(DbFindNextPbhfPrefix(&s, &idx, "Bad K", 100), kDbNotFound);
  EXPECT_EQ(idx, last);
  idx = DbPbhfBlock.count - 1;
  EXPECT_EQ(DbFindNextPbhfPrefix(&s, &idx, "S", 30000), kDbNotFound);
  idx = -7;
  EXPECT_EQ(DbFindNextPbhfPrefix(&s, &idx, "B", 100), kDbNotFound);
  EXPECT_EQ(DbFindNextPbhfPrefix(&s, nullptr, "B", 100), kDbBadArgs);
}

TEST_F(DmPbhfPrefix, ExactLookupCarriesValidUntilOfTheName) {
  PbhfSatz s;
  ASSERT_EQ(DbGetPbhf(&s, Name20("Bad Ems").c_str(), 14999), kDbFound);
  EXPECT_EQ(s.station, 2u);
  EXPECT_EQ(s.validUntil, 14999);
  ASSERT_EQ(DbGetPbhf(&s, Name20("Bad Kissingen").c_str(), 14999), kDbFound);
  EXPECT_EQ(s.validUntil, kDbOpenEnd);  // its neighbour is another name
  EXPECT_EQ(DbGetPbhf(&s, Name20("Bad Nauheim").c_str(), 16000), kDbNotFound);
  EXPECT_EQ(DbGetPbhf(&s, Name20("Ba").c_str(), 100), kDbNotFound);
}

// The prefix find lands on the first name that matches under the trailing-
// blank rule, wherever the binary search first meets a match; count keeps
// its plain comparison.
TEST_F(DmKeyed, PbhfPrefixFindsTheFirstMatchingName) {
  struct Case {
    std::vector<const char*> names;  // one record each, stations 1, 2, ...
    const char* text;
    int32_t count;
    std::vector<uint32_t> walk;  // its first element is what Find returns
  };
  const std::vector<Case> cases = {
      {{"HOF", "HOF HBF", "ULM", "UTZ", "ZELL"}, "HOF ", 2, {2}},
      {{"HOF", "HOF HBF", "ULM", "UTZ", "ZELL"}, "HOF", 2, {1, 2}},
      {{"HOF", "HOF HBF", "ULM", "UTZ", "ZELL"}, "U", 2, {3, 4}},
      {{"HOF", "HOF HBF", "ULM", "UTZ", "ZELL"}, "", 5, {1, 2, 3, 4, 5}},
      {{"HOF", "HOF HBF", "ULM", "UTZ", "ZELL"}, "ZELL AM SEE", 0, {}},  // longer than the name
      {{"HOF", "HOF HBF", "ULM", "UTZ", "ZELL"}, "ULM  ", 1, {}},  // ends in blanks where ULM ends
      // Blanks inside: a first word alone, then two- and three-word names.
      {{"A", "BAD", "BAD EMS", "BAD EMS WEST", "BAD KOESEN", "BADEN", "C"}, "BAD ", 4, {3, 4, 5}},
      {{"A", "BAD", "BAD EMS", "BAD EMS WEST", "BAD KOESEN", "BADEN", "C"}, "BAD EMS ", 2, {4}},
      {{"A", "BAD", "BAD EMS", "BAD EMS WEST", "BAD KOESEN", "BADEN", "C"}, "BAD E", 2, {3, 4}},
      {{"A", "BAD", "BAD EMS", "BAD EMS WEST", "BAD KOESEN", "BADEN", "C"}, "BAD  ", 1, {}},
      // Many one-word names before the match, so the search meets the
      // trailing-blank rule on either side of its middle.
      {{"HOF", "HOF A", "HOF B", "HOF C", "HOF D", "HOF E", "HOF F", "HOF G", "I"},
       "HOF ",
       8,
       {2, 3, 4, 5, 6, 7, 8}},
      {{"B", "C", "D", "E", "F", "G", "HOF", "HOF HBF"}, "HOF ", 2, {8}},
      {{"HOF", "HOF HBF"}, "HOF ", 2, {2}},
      {{"HOF"}, "HOF ", 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" over " << c.names.size() << " names");
    std::vector<dmw::PbhfRecord> recs;
    for (size_t k = 0; k < c.names.size(); ++k) {
      dmw::PbhfRecord r;
      r.station_name = c.names[k];
      r.valid_from = 100;
      r.station_number = static_cast<uint32_t>(k + 1);
      recs.push_back(r);
    }
    Put("PBHF", dmw::pbhfFile(recs));
    ASSERT_EQ(Catch([] { DbLoadPbhf(); }).code, 0);
    EXPECT_EQ(DbCountPbhfPrefix(c.text, 200), c.count);
    PbhfSatz s;
    if (c.walk.empty()) {
      EXPECT_EQ(DbFindPbhfPrefix(&s, c.text, 200), kDbNotFound);
    } else {
      ASSERT_EQ(DbFindPbhfPrefix(&s, c.text, 200), kDbFound);
      EXPECT_EQ(s.station, c.walk.front());
    }
    std::vector<uint32_t> got;
    int idx = -1;
    for (int guard = 0; guard < 20 && DbFindNextPbhfPrefix(&s, &idx, c.text, 200) == kDbFound;
         ++guard)
      got.push_back(s.station);
    EXPECT_EQ(got, c.walk);
    DbUnloadPbhf();
  }
}

// ---- FBRR ------------------------------------------------------------------------------------

TEST_F(DmKeyed, FbrrIntervalsAndStationNormalisation) {
  auto rel = [](uint32_t no, uint16_t from, uint16_t to, std::array<uint32_t, 4> st) {
    dmw::FbrrRecord r;
    r.key_number = 7;
    r.relation_number = no;
    r.valid_from = from;
    r.valid_to = to;
    r.stations = st;
    r.numbers = {static_cast<uint16_t>(no), 0, 0, 0};
    return r;
  };
  // Relation 1 in two disjoint versions, written older first on purpose.
  dmw::DataFile f = dmw::fbrrFile(
      {rel(1, 14000, 14100, {8000001, 8000002, 8000009, 8000003}),
       rel(1, 15000, 16000, {8000001, 8000002, 8000009, 8000004}),
       rel(2, 100, 43829, {8000001, 8000005, 0, 0}), rel(3, 100, 43829, {8000006, 8000007, 9, 2})},
      dmw::Order::AsGiven);
  Put("FBRR", f);
  ASSERT_EQ(Load(&DbFbrrTab).code, 0);
  struct Case {
    UtDayNumber day;
    DbLookupResult res;
    uint32_t station4;
  };
  for (const Case& c : std::vector<Case>{{13999, kDbNotFound, 0},
                                         {14000, kDbFound, 8000003},
                                         {14100, kDbFound, 8000003},
                                         {14101, kDbNotFound, 0},
                                         {15500, kDbFound, 8000004}}) {
    SCOPED_TRACE(c.day);
    FbrrSatz s;
    ASSERT_EQ(DbGetFbrr(&s, 7, 1, c.day), c.res);
    if (c.res == kDbFound) {
      EXPECT_EQ(s.stations[3], c.station4);
    }
  }
  FbrrSatz s;
  // (b, a, d, c) finds (a, b, c, d) when d is not 0.
  ASSERT_EQ(DbGetFbrrBhf(&s, 7, 8000002, 8000001, 8000004, 8000009, 15500), kDbFound);
  EXPECT_EQ(s.relationNo, 1u);
  ASSERT_EQ(DbGetFbrrBhf(&s, 7, 8000002, 8000001, 8000003, 8000009, 14050), kDbFound);
  EXPECT_EQ(s.stations[3], 8000003u);
  // (b, a, 0, 0) searches (a, b, 0, 0).
  ASSERT_EQ(DbGetFbrrBhf(&s, 7, 8000005, 8000001, 0, 0, 200), kDbFound);
  EXPECT_EQ(s.relationNo, 2u);
  // a < b: c and d are never swapped, even when c > d.
  ASSERT_EQ(DbGetFbrrBhf(&s, 7, 8000006, 8000007, 9, 2, 200), kDbFound);
  EXPECT_EQ(s.relationNo, 3u);
  EXPECT_EQ(DbGetFbrrBhf(&s, 7, 8000006, 8000007, 2, 9, 200), kDbNotFound);
  EXPECT_EQ(DbGetFbrrBhf(&s, 8, 8000001, 8000005, 0, 0, 200), kDbNotFound);
}
