// The cursor tables EBGG, FBRW and EBGB: their records field by field, the
// group walk, continuation with the slot's day, the five slots, argument
// checks before the load check, and stale handles after a reload.
#include <cstring>

#include "tests/dm/dm_fixture.h"

using namespace dmtest;

namespace {

// The stations an FBRW cursor returns for (key1, key2) on day, until it
// answers something other than 0; the last answer is appended as ~answer.
std::vector<uint32_t> WalkFbrw(uint32_t key1, uint16_t key2, UtDayNumber day, int* handle) {
  std::vector<uint32_t> got;
  FbrwSatz s;
  for (int guard = 0; guard < 20; ++guard) {
    DbLookupResult r = DbNextFbrw(&s, handle, key1, key2, day);
    if (r != kDbFound) {
      got.push_back(~static_cast<uint32_t>(r));
      break;
    }
    got.push_back(s.station);
  }
  return got;
}

constexpr uint32_t kEnd = ~static_cast<uint32_t>(kDbNotFound);

}  // namespace

class DmCursor : public DmTest {};

TEST_F(DmCursor, RecordsReadBackFieldByField) {
  dmw::EbggRecord g;
  g.key1 = 0x8182;
  g.key2 = 0x8384;
  g.valid_from = 0x1585;
  g.text_6 = Raw({'T', 0x86, 'x', 't', '8', 0x87, 0x88, '!'});
  g.text_14 = Raw({0x89, 'Z'});
  g.text_16 = "Ein Text mit vierzig Zeichen ......    .";
  g.rank = 0x8A8B;
  g.profile_flags = 0x8C8D;
  g.text_60 = Raw({0x8E, 0x8F, 0x90, 0x91});
  g.text_64 = "zw";
  g.text_66 = Raw({0x92, 'z', 'w', 'a', 'n', 'z', 'i', 'g'});
  g.u16_86 = 0x9394;
  g.u32_88 = 0x95969798;
  Put("EBGG", dmw::ebggFile({g}));

  dmw::FbrwRecord w;
  w.key1 = 0xA0A1A2A3;
  w.key2 = 0xA4A5;
  w.group = 0xA6A7;
  w.valid_from = 0x15A8;
  w.station_number = 0xA9AAABAC;
  w.u16_14 = 0xADAE;
  w.u8_16 = 0xAF;
  w.u8_17 = 0xB0;
  w.u16_18 = 0xB1B2;
  w.u16_20 = 0xB3B4;
  Put("FBRW", dmw::fbrwFile({w}));

  dmw::EbgbRecord b;
  b.key1 = 0xC0C1;
  b.key2 = 0xC2C3C4C5;
  b.group = 0xC6C7C8C9;
  b.valid_from = 0x15CA;
  b.text_12 = std::string(24, 'x') + Raw({0xCB, 'N', 'a', 'm', 'e'}) + std::string(19, 'y');
  b.km_threshold = 0xCCCDCECF;
  b.u32_64 = 0xD0D1D2D3;
  b.text_68 = Raw({0xD4, 's', 'e', 'c', 'h', 's'});
  b.u16_94 = 0xD5D6;
  b.u32_96 = 0xD7D8D9DA;
  Put("EBGB", dmw::ebgbFile({b}));

  ASSERT_EQ(Load(&DbEbggTab).code, 0);
  ASSERT_EQ(Load(&DbFbrwTab).code, 0);
  ASSERT_EQ(Load(&DbEbgbTab).code, 0);

  auto pad = [](std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
  };
  EbggSatz gs;
  int h = -1;
  ASSERT_EQ(DbNextEbgg(&gs, &h, 0x8182, 0x1585), kDbFound);
  EXPECT_EQ(gs.key1, 0x8182u);
  EXPECT_EQ(gs.key2, 0x8384u);
  EXPECT_EQ(gs.validFrom, 0x1585);
  EXPECT_EQ(Field(gs.text8, 8), g.text_6);
  EXPECT_EQ(Field(gs.text2a, 2), g.text_14);
  EXPECT_EQ(Field(gs.text40, 40), g.text_16);
  EXPECT_EQ(gs.rank, 0x8A8Bu);
  EXPECT_EQ(gs.profileFlags, 0x8C8Du);
  EXPECT_EQ(Field(gs.text4, 4), g.text_60);
  EXPECT_EQ(Field(gs.text2b, 2), g.text_64);
  EXPECT_EQ(Field(gs.text20, 20), pad(g.text_66, 20));
  EXPECT_EQ(gs.u16At86, 0x9394u);
  EXPECT_EQ(gs.u32At88, 0x95969798u);
  EXPECT_EQ(gs.validUntil, kDbOpenEnd);

  FbrwSatz ws;
  h = -1;
  ASSERT_EQ(DbNextFbrw(&ws, &h, 0xA0A1A2A3, 0xA4A5, 0x15A8), kDbFound);
  EXPECT_EQ(ws.key1, 0xA0A1A2A3u);
  EXPECT_EQ(ws.key2, 0xA4A5);
  EXPECT_EQ(ws.group, 0xA6A7);
  EXPECT_EQ(ws.validFrom, 0x15A8);
  EXPECT_EQ(ws.station, 0xA9AAABACu);
  EXPECT_EQ(ws.u16At14, 0xADAE);
  EXPECT_EQ(ws.u8At16, 0xAF);
  EXPECT_EQ(ws.u8At17, 0xB0);
  EXPECT_EQ(ws.u16At18, 0xB1B2);
  EXPECT_EQ(ws.u16At20, 0xB3B4);
  EXPECT_EQ(ws.validUntil, kDbOpenEnd);

  EbgbSatz bs;
  h = -1;
  ASSERT_EQ(DbNextEbgb(&bs, &h, 0xC0C1, 0xC2C3C4C5, 0x15CA), kDbFound);
  EXPECT_EQ(bs.key1, 0xC0C1u);
  EXPECT_EQ(bs.key2, 0xC2C3C4C5u);
  EXPECT_EQ(bs.group, 0xC6C7C8C9u);
  EXPECT_EQ(bs.validFrom, 0x15CA);
  EXPECT_EQ(Field(bs.text48, 48), b.text_12);
  EXPECT_EQ(Field(bs.text48 + 24, 5), Raw({0xCB, 'N', 'a', 'm', 'e'}));
  EXPECT_EQ(bs.kmThreshold, 0xCCCDCECFu);
  EXPECT_EQ(bs.u32At64, 0xD0D1D2D3u);
  EXPECT_EQ(Field(bs.text26, 26), pad(b.text_68, 26));
  EXPECT_EQ(bs.u16At94, 0xD5D6u);
  EXPECT_EQ(bs.u32At96, 0xD7D8D9DAu);
  EXPECT_EQ(bs.validUntil, kDbOpenEnd);
}

// A group with nothing in force is passed over, a withdrawn group is
// skipped even though an older version is not withdrawn, the cursor ends
// where (key1, key2) changes, and an exhausted cursor keeps answering 2.
TEST_F(DmCursor, GroupWalk) {
  Put("FBRW", dmw::fbrwFile({
                  dmw::FbrwRecord{.key1 = 7,
                                  .key2 = 1,
                                  .group = 1,
                                  .valid_from = 100,
                                  .withdrawn = false,
                                  .station_number = 11},
                  dmw::FbrwRecord{.key1 = 7,
                                  .key2 = 1,
                                  .group = 2,
                                  .valid_from = 20000,
                                  .withdrawn = false,
                                  .station_number = 12},  // not begun
                  dmw::FbrwRecord{.key1 = 7,
                                  .key2 = 1,
                                  .group = 3,
                                  .valid_from = 16000,
                                  .withdrawn = true,
                                  .station_number = 13},
                  dmw::FbrwRecord{.key1 = 7,
                                  .key2 = 1,
                                  .group = 3,
                                  .valid_from = 100,
                                  .withdrawn = false,
                                  .station_number = 113},
                  dmw::FbrwRecord{.key1 = 7,
                                  .key2 = 1,
                                  .group = 4,
                                  .valid_from = 15000,
                                  .withdrawn = false,
                                  .station_number = 14},
                  dmw::FbrwRecord{.key1 = 7,
                                  .key2 = 1,
                                  .group = 4,
                                  .valid_from = 100,
                                  .withdrawn = false,
                                  .station_number = 114},
                  dmw::FbrwRecord{.key1 = 7,
                                  .key2 = 2,
                                  .group = 1,
                                  .valid_from = 100,
                                  .withdrawn = false,
                                  .station_number = 21},  // next pair
                  dmw::FbrwRecord{.key1 = 6,
                                  .key2 = 1,
                                  .group = 1,
                                  .valid_from = 100,
                                  .withdrawn = false,
                                  .station_number = 61},  // previous pair
              }));
  ASSERT_EQ(Load(&DbFbrwTab).code, 0);
  int h = -1;
  EXPECT_EQ(WalkFbrw(7, 1, 16000, &h), (std::vector<uint32_t>{11, 14, kEnd}));
  FbrwSatz s;
  EXPECT_EQ(DbNextFbrw(&s, &h, 7, 1, 16000), kDbNotFound);
  EXPECT_EQ(DbFbrwSlots[h].inUse, 1);
  EXPECT_EQ(DbFbrwSlots[h].position, -1);
  h = -1;
  EXPECT_EQ(WalkFbrw(7, 1, 14999, &h), (std::vector<uint32_t>{11, 113, 114, kEnd}));
  // The valid-until of a cursor record comes from its own group.
  h = -1;
  ASSERT_EQ(DbNextFbrw(&s, &h, 7, 1, 14999), kDbFound);
  EXPECT_EQ(s.validUntil, kDbOpenEnd);
  ASSERT_EQ(DbNextFbrw(&s, &h, 7, 1, 14999), kDbFound);
  EXPECT_EQ(s.station, 113u);
  EXPECT_EQ(s.validUntil, 15999);
  ASSERT_EQ(DbNextFbrw(&s, &h, 7, 1, 14999), kDbFound);
  EXPECT_EQ(s.validUntil, 14999);
}

// A continuation uses the day and keys of the opening call, whatever the
// continuing call passes.
TEST_F(DmCursor, ContinuationUsesTheSlotsDay) {
  Put("EBGB", dmw::ebgbFile({
                  dmw::EbgbRecord{
                      .key1 = 1, .key2 = 500, .group = 10, .valid_from = 100, .withdrawn = false},
                  dmw::EbgbRecord{
                      .key1 = 1, .key2 = 500, .group = 20, .valid_from = 15000, .withdrawn = false},
                  dmw::EbgbRecord{
                      .key1 = 1, .key2 = 500, .group = 20, .valid_from = 100, .withdrawn = false},
                  dmw::EbgbRecord{
                      .key1 = 1, .key2 = 500, .group = 30, .valid_from = 15000, .withdrawn = true},
                  dmw::EbgbRecord{
                      .key1 = 2, .key2 = 500, .group = 40, .valid_from = 100, .withdrawn = false},
              }));
  ASSERT_EQ(Load(&DbEbgbTab).code, 0);
  EbgbSatz s;
  int h = -1;
  ASSERT_EQ(DbNextEbgb(&s, &h, 1, 500, 14000), kDbFound);
  EXPECT_EQ(s.group, 10u);
  ASSERT_EQ(DbNextEbgb(&s, &h, 2, 500, 16000), kDbFound);  // day and keys not used
  EXPECT_EQ(s.group, 20u);
  EXPECT_EQ(s.validFrom, 100);
  ASSERT_EQ(DbNextEbgb(&s, &h, 2, 500, 16000), kDbNotFound);  // 30 not begun on 14000
  DbReleaseEbgbCursor(&h);
  EXPECT_EQ(h, -1);
  ASSERT_EQ(DbNextEbgb(&s, &h, 1, 500, 16000), kDbFound);
  EXPECT_EQ(s.group, 10u);
  ASSERT_EQ(DbNextEbgb(&s, &h, 1, 500, 16000), kDbFound);
  EXPECT_EQ(s.group, 20u);
  EXPECT_EQ(s.validFrom, 15000);
  EXPECT_EQ(DbNextEbgb(&s, &h, 1, 500, 16000), kDbNotFound);  // 30 withdrawn
}

// Five slots per table: a sixth opening answers 3; a failed opening keeps
// its slot; a released slot is taken by the next opening; a released or
// out-of-range handle answers 4.
TEST_F(DmCursor, FiveSlotsPerTable) {
  Put("EBGB", dmw::ebgbFile({dmw::EbgbRecord{
                  .key1 = 1, .key2 = 500, .group = 10, .valid_from = 100, .withdrawn = false}}));
  ASSERT_EQ(Load(&DbEbgbTab).code, 0);
  EbgbSatz s;
  std::vector<int> handles;
  for (int k = 0; k < 5; ++k) {
    int h = -1;
    // Every second opening is for an absent key: it answers 2 and still
    // keeps its slot.
    DbLookupResult res = DbNextEbgb(&s, &h, 1, k % 2 ? 999 : 500, 200);
    EXPECT_EQ(res, k % 2 ? kDbNotFound : kDbFound) << k;
    EXPECT_EQ(h, k);
    EXPECT_EQ(DbEbgbSlots[k].inUse, 1);
    handles.push_back(h);
  }
  int sixth = -1;
  std::memset(&s, 0x77, sizeof s);
  EXPECT_EQ(DbNextEbgb(&s, &sixth, 1, 500, 200), kDbNoCursor);
  EXPECT_EQ(sixth, -1);
  EXPECT_EQ(s.key1, 0x77777777u);  // untouched on every answer but 0
  EXPECT_EQ(DbNextEbgb(&s, &handles[1], 1, 500, 200), kDbNotFound);  // the failed one
  int released = handles[3];
  DbReleaseEbgbCursor(&handles[3]);
  EXPECT_EQ(handles[3], -1);
  int stale = released;
  EXPECT_EQ(DbNextEbgb(&s, &stale, 1, 500, 200), kDbBadHandle);
  int next = -1;
  EXPECT_EQ(DbNextEbgb(&s, &next, 1, 500, 200), kDbFound);
  EXPECT_EQ(next, released);
  for (int bad : {5, 7, 1000}) {
    int h = bad;
    EXPECT_EQ(DbNextEbgb(&s, &h, 1, 500, 200), kDbBadHandle) << bad;
  }
  // Releasing -1 or an out-of-range handle only sets the handle to -1.
  for (int h : {-1, 7}) {
    DbReleaseEbgbCursor(&h);
    EXPECT_EQ(h, -1);
  }
  DbReleaseEbgbCursor(nullptr);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(DbEbgbSlots[k].inUse, 1) << k;
  // The engine frees a slot by writing the reset value over it.
  DbResetEbgbSlot(2);
  EXPECT_EQ(DbEbgbSlots[2].inUse, 0);
  EXPECT_EQ(DbEbgbSlots[2].day, 0);
  EXPECT_EQ(DbEbgbSlots[2].position, -1);
  DbResetCursorSlot(&DbEbgbSlots[4]);
  EXPECT_EQ(DbEbgbSlots[4].inUse, 0);
}

// EBGG, FBRW and EBGB check their arguments before the load count: bad
// arguments answer 5 even while the table is not loaded.
TEST_F(DmCursor, ArgumentsAreCheckedBeforeTheLoadCount) {
  EbggSatz g;
  FbrwSatz w;
  EbgbSatz b;
  for (int loaded = 0; loaded < 2; ++loaded) {
    SCOPED_TRACE(loaded ? "loaded" : "not loaded");
    if (loaded) {
      Put("EBGG", dmw::ebggFile({}));
      Put("FBRW", dmw::fbrwFile({}));
      Put("EBGB", dmw::ebgbFile({}));
      ASSERT_EQ(Load(&DbEbggTab).code, 0);
      ASSERT_EQ(Load(&DbFbrwTab).code, 0);
      ASSERT_EQ(Load(&DbEbgbTab).code, 0);
    }
    int minus2 = -2;
    int ok = -1;
    EXPECT_EQ(DbNextEbgg(nullptr, &ok, 1, 100), kDbBadArgs);
    EXPECT_EQ(DbNextEbgg(&g, nullptr, 1, 100), kDbBadArgs);
    EXPECT_EQ(DbNextEbgg(&g, &minus2, 1, 100), kDbBadArgs);
    EXPECT_EQ(DbNextEbggFrom(&g, &minus2, 1, 100), kDbBadArgs);
    EXPECT_EQ(DbNextFbrw(nullptr, &ok, 1, 1, 100), kDbBadArgs);
    EXPECT_EQ(DbNextFbrw(&w, nullptr, 1, 1, 100), kDbBadArgs);
    EXPECT_EQ(DbNextFbrw(&w, &minus2, 1, 1, 100), kDbBadArgs);
    EXPECT_EQ(DbNextEbgb(nullptr, &ok, 1, 1, 100), kDbBadArgs);
    EXPECT_EQ(DbNextEbgb(&b, nullptr, 1, 1, 100), kDbBadArgs);
    EXPECT_EQ(DbNextEbgb(&b, &minus2, 1, 1, 100), kDbBadArgs);
    EXPECT_EQ(ok, -1);
    DbLookupResult expect = loaded ? kDbNotFound : kDbNotLoaded;  // empty blocks
    int h1 = -1, h2 = -1, h3 = -1, h4 = -1;
    EXPECT_EQ(DbNextEbgg(&g, &h1, 1, 100), expect);
    EXPECT_EQ(DbNextEbggFrom(&g, &h2, 1, 100), expect);
    EXPECT_EQ(DbNextFbrw(&w, &h3, 1, 1, 100), expect);
    EXPECT_EQ(DbNextEbgb(&b, &h4, 1, 1, 100), expect);
  }
}

// DbNextEbgg keeps to one key1; DbNextEbggFrom starts at the first key1 not
// below the given one and runs on to the end of the table.
TEST_F(DmCursor, EbggRanges) {
  Put("EBGG",
      dmw::ebggFile({
          dmw::EbggRecord{.key1 = 5, .key2 = 1, .valid_from = 100, .withdrawn = false, .rank = 51},
          dmw::EbggRecord{.key1 = 5, .key2 = 2, .valid_from = 15000, .withdrawn = true, .rank = 52},
          dmw::EbggRecord{.key1 = 5, .key2 = 2, .valid_from = 100, .withdrawn = false, .rank = 520},
          dmw::EbggRecord{.key1 = 5, .key2 = 3, .valid_from = 100, .withdrawn = false, .rank = 53},
          dmw::EbggRecord{.key1 = 7, .key2 = 1, .valid_from = 100, .withdrawn = false, .rank = 71},
          dmw::EbggRecord{
              .key1 = 7, .key2 = 2, .valid_from = 30000, .withdrawn = false, .rank = 72},
          dmw::EbggRecord{.key1 = 9, .key2 = 1, .valid_from = 100, .withdrawn = false, .rank = 91},
      }));
  ASSERT_EQ(Load(&DbEbggTab).code, 0);
  auto walk = [](bool from, uint16_t key1, UtDayNumber day) {
    std::vector<uint32_t> got;
    EbggSatz s;
    int h = -1;
    for (int guard = 0; guard < 20; ++guard) {
      DbLookupResult r = from ? DbNextEbggFrom(&s, &h, key1, day) : DbNextEbgg(&s, &h, key1, day);
      if (r != kDbFound) {
        got.push_back(~static_cast<uint32_t>(r));
        break;
      }
      got.push_back(s.rank);
    }
    for (int k = 0; k < kDbCursorSlots; ++k) DbResetEbggSlot(k);
    return got;
  };
  EXPECT_EQ(walk(false, 6, 200), (std::vector<uint32_t>{kEnd}));
  EXPECT_EQ(walk(true, 6, 200), (std::vector<uint32_t>{71, 91, kEnd}));
  EXPECT_EQ(walk(false, 5, 200), (std::vector<uint32_t>{51, 520, 53, kEnd}));
  EXPECT_EQ(walk(false, 5, 15000), (std::vector<uint32_t>{51, 53, kEnd}));
  EXPECT_EQ(walk(true, 5, 15000), (std::vector<uint32_t>{51, 53, 71, 91, kEnd}));
  EXPECT_EQ(walk(true, 0, 200), (std::vector<uint32_t>{51, 520, 53, 71, 91, kEnd}));
  EXPECT_EQ(walk(true, 10, 200), (std::vector<uint32_t>{kEnd}));
  // A failed opening keeps its slot.
  EbggSatz s;
  int h = -1;
  EXPECT_EQ(DbNextEbgg(&s, &h, 6, 200), kDbNotFound);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(DbEbggSlots[0].inUse, 1);
  EXPECT_EQ(DbNextEbgg(&s, &h, 5, 200), kDbNotFound);  // continues the exhausted cursor
}

// A cursor opened before its table was unloaded and loaded again answers 4
// and never reads its old position; while unloaded the load check answers 1.
TEST_F(DmCursor, CursorAcrossAReloadAnswersFour) {
  Put("FBRW", dmw::fbrwFile({dmw::FbrwRecord{.key1 = 7,
                                             .key2 = 1,
                                             .group = 1,
                                             .valid_from = 100,
                                             .withdrawn = false,
                                             .station_number = 11},
                             dmw::FbrwRecord{.key1 = 7,
                                             .key2 = 1,
                                             .group = 2,
                                             .valid_from = 100,
                                             .withdrawn = false,
                                             .station_number = 12},
                             dmw::FbrwRecord{.key1 = 7,
                                             .key2 = 1,
                                             .group = 3,
                                             .valid_from = 100,
                                             .withdrawn = false,
                                             .station_number = 13}}));
  ASSERT_EQ(Load(&DbFbrwTab).code, 0);
  FbrwSatz s;
  int h = -1;
  ASSERT_EQ(DbNextFbrw(&s, &h, 7, 1, 200), kDbFound);
  ASSERT_EQ(DbNextFbrw(&s, &h, 7, 1, 200), kDbFound);
  UnloadAll(&DbFbrwTab);
  EXPECT_EQ(DbNextFbrw(&s, &h, 7, 1, 200), kDbNotLoaded);
  // Reloaded from a shorter file: the old position would lie past its end.
  Put("FBRW", dmw::fbrwFile({dmw::FbrwRecord{.key1 = 7,
                                             .key2 = 1,
                                             .group = 1,
                                             .valid_from = 100,
                                             .withdrawn = false,
                                             .station_number = 11}}));
  ASSERT_EQ(Load(&DbFbrwTab).code, 0);
  EXPECT_EQ(DbNextFbrw(&s, &h, 7, 1, 200), kDbBadHandle);
  // Its slot stays in use until the caller frees it.
  int other = -1;
  ASSERT_EQ(DbNextFbrw(&s, &other, 7, 1, 200), kDbFound);
  EXPECT_NE(other, h);
  DbResetFbrwSlot(h);
  int again = -1;
  ASSERT_EQ(DbNextFbrw(&s, &again, 7, 1, 200), kDbFound);
  EXPECT_EQ(again, h);
  // A second load (count 2) is no reload: the cursor goes on.
  ASSERT_EQ(Load(&DbFbrwTab).code, 0);
  EXPECT_EQ(DbNextFbrw(&s, &again, 7, 1, 200), kDbNotFound);
}
