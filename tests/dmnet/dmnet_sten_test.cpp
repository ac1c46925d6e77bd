// STEN: the pair lookup through the station index block, its flag letters
// and validity, with index blocks that are not in station order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/dtacc/dm/dm_sten.h"
#include "tests/dmnet/dmnet_fixture.h"

using namespace dmnettest;

namespace {

class DmnetSten : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadAll(&DbStenTab);
    DbInitSten();
  }
  void TearDown() override { UnloadAll(&DbStenTab); }

  void Load(const std::vector<dmw::StenPair>& pairs, const dmw::StenOptions& opt) {
    WriteTable(dmw::stenFile(pairs, opt), "STEN", "DMSTEN");
    LoadOk(&DbStenTab);
  }
};

dmw::StenPair Pair(uint32_t a, uint32_t b, uint16_t from, bool wd, uint16_t km1, uint16_t km2,
                   uint16_t flags = 0) {
  dmw::StenPair p;
  p.station_a = a;
  p.station_b = b;
  p.valid_from = from;
  p.withdrawn = wd;
  p.km_part1 = km1;
  p.km_part2 = km2;
  p.flags = flags;
  return p;
}

// The index block is written in an order of its own (not ascending), so the
// block's records are sorted by station numbers while their indices are
// not: comparing indices instead of numbers finds the wrong pairs.
TEST_F(DmnetSten, PairsThroughAnIndexBlockOutOfStationOrder) {
  const uint32_t S1 = 0x80000005u, S2 = 20, S3 = 7, S4 = 0xFFFFFFFFu, S5 = 3;
  std::vector<dmw::StenPair> pairs = {
      Pair(S1, S2, 100, false, 11, 12), Pair(S2, S3, 100, false, 21, 22),
      Pair(S3, S1, 100, false, 31, 32), Pair(S4, S5, 100, false, 41, 42),
      Pair(S5, S2, 100, false, 51, 52), Pair(S3, S3, 100, false, 61, 62),
  };
  dmw::StenOptions opt;
  opt.ibnr_explicit = {S2, S4, S3, S1, S5};
  Load(pairs, opt);
  ASSERT_EQ(DbStenIbnrBlock.count, 5);

  EbKmStichtag = 500;
  for (const dmw::StenPair& p : pairs) {
    for (int order = 0; order < 2; ++order) {
      uint32_t x = order ? p.station_b : p.station_a;
      uint32_t y = order ? p.station_a : p.station_b;
      SCOPED_TRACE(testing::Message() << x << "-" << y);
      StenSatz s;
      ASSERT_EQ(DbGetSten(&s, x, y), kDbFound);
      EXPECT_EQ(s.stationA, std::min(x, y));
      EXPECT_EQ(s.stationB, std::max(x, y));
      EXPECT_EQ(s.kmPart1, p.km_part1);
      EXPECT_EQ(s.kmPart2, p.km_part2);
    }
  }
  StenSatz s;
  EXPECT_EQ(DbGetSten(&s, S1, S4), kDbNotFound);
  EXPECT_EQ(DbGetSten(&s, 0, 1), kDbNotFound);  // indices, not stations
}

// Every field of one record with its own value, and the three letters
// for each combination of flag bits that decides them.
TEST_F(DmnetSten, FieldsAndFlagLetters) {
  struct Case {
    uint16_t flags;
    char f1, f2, f3;
  };
  const Case cases[] = {
      {0x0000, 'N', 'N', 'N'}, {0x0001, 'J', 'N', 'N'}, {0x0002, 'N', 'N', 'J'},
      {0x0004, 'N', 'J', 'N'}, {0x0008, 'N', 'A', 'N'}, {0x0010, 'N', 'U', 'N'},
      {0x000C, 'N', 'J', 'N'}, {0x0018, 'N', 'A', 'N'}, {0x001C, 'N', 'J', 'N'},
      {0xFFE0, 'N', 'N', 'N'}, {0xFFFF, 'J', 'J', 'J'}, {0x0013, 'J', 'U', 'J'},
  };
  std::vector<dmw::StenPair> pairs;
  uint32_t k = 0;
  for (const Case& c : cases) {
    pairs.push_back(Pair(0x90000000u + k, 1000 + k, static_cast<uint16_t>(0x0100 + k), false,
                         static_cast<uint16_t>(0x8000 + k), static_cast<uint16_t>(0xFF00 + k),
                         c.flags));
    ++k;
  }
  dmw::StenOptions opt;
  opt.ibnr_order = dmw::IndexOrder::Descending;
  Load(pairs, opt);

  EbKmStichtag = 0x0200;
  k = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    StenSatz s;
    std::memset(&s, 0x5A, sizeof s);
    ASSERT_EQ(DbGetSten(&s, 0x90000000u + k, 1000 + k), kDbFound);
    EXPECT_EQ(s.stationA, 1000 + k);
    EXPECT_EQ(s.stationB, 0x90000000u + k);
    EXPECT_EQ(s.validFrom, 0x0100 + k);
    EXPECT_EQ(s.kmPart1, 0x8000 + k);
    EXPECT_EQ(s.kmPart2, 0xFF00 + k);
    EXPECT_EQ(s.flag1, c.f1);
    EXPECT_EQ(s.flag2, c.f2);
    EXPECT_EQ(s.flag3, c.f3);
    EXPECT_EQ(s.validUntil, kDbOpenEnd);
    ++k;
  }
}

// Validity on EbKmStichtag: before the first version, on a valid-from, a
// withdrawn newest version, and valid-until from the same pair only.
TEST_F(DmnetSten, ValidityOnTheReferenceDay) {
  const uint32_t A = 10, B = 0x80000000u, C = 30;
  std::vector<dmw::StenPair> pairs = {
      Pair(A, B, 15000, false, 150, 0), Pair(A, B, 14000, false, 140, 0),
      Pair(A, C, 16000, true, 260, 0),  Pair(A, C, 12000, false, 220, 0),
      Pair(B, C, 14500, false, 345, 0),  // its own key: no influence on (A, B)
  };
  dmw::StenOptions opt;
  opt.ibnr_order = dmw::IndexOrder::Descending;
  Load(pairs, opt);
  struct Case {
    uint32_t x, y;
    UtDayNumber day;
    DbLookupResult res;
    uint16_t km1, until;
  };
  const Case cases[] = {
      {A, B, 13999, kDbNotFound, 0, 0},         {A, B, 14000, kDbFound, 140, 14999},
      {B, A, 14999, kDbFound, 140, 14999},      {A, B, 15000, kDbFound, 150, kDbOpenEnd},
      {C, A, 15999, kDbFound, 220, 15999},      {A, C, 16000, kDbNotFound, 0, 0},
      {A, C, 40000, kDbNotFound, 0, 0},         {B, C, 14499, kDbNotFound, 0, 0},
      {C, B, 14500, kDbFound, 345, kDbOpenEnd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "-" << c.y << " day " << c.day);
    EbKmStichtag = c.day;
    StenSatz s;
    std::memset(&s, 0x5A, sizeof s);
    ASSERT_EQ(DbGetSten(&s, c.x, c.y), c.res);
    if (c.res != kDbFound) {
      EXPECT_EQ(s.kmPart1, 0x5A5A);
      continue;
    }
    EXPECT_EQ(s.kmPart1, c.km1);
    EXPECT_EQ(s.validUntil, c.until);
  }
}

TEST_F(DmnetSten, NotLoadedAnswersOne) {
  StenSatz s;
  EXPECT_EQ(DbGetSten(&s, 1, 2), kDbNotLoaded);
  Load({Pair(1, 2, 0, false, 1, 1)}, {});
  EbKmStichtag = 0;
  EXPECT_EQ(DbGetSten(&s, 2, 1), kDbFound);
  DbUnloadTab(&DbStenTab);
  EXPECT_EQ(DbGetSten(&s, 2, 1), kDbNotLoaded);
}

}  // namespace
