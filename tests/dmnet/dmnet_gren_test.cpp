// GREN: the pair lookup over the triangular matrix, its history block and
// relation records, with files made by the data-file writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/dtacc/dm/dm_gren.h"
#include "tests/dmnet/dmnet_fixture.h"

using namespace dmnettest;

namespace {

class DmnetGren : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadAll(&DbGrenTab);
    DbInitGren();
  }
  void TearDown() override { UnloadAll(&DbGrenTab); }

  void Load(const dmw::DataFile& f) {
    WriteTable(f, "GREN", "DMGREN");
    LoadOk(&DbGrenTab);
  }
};

// Distinct kilometres for the pair of two station numbers (a < b), so that
// every pair of a matrix carries its own values.
uint16_t Km1Of(uint32_t a, uint32_t b) {
  return static_cast<uint16_t>((a * 7u + b * 13u) & 0x7FFF);
}
uint16_t Km2Of(uint32_t a, uint32_t b) {
  return static_cast<uint16_t>(((a ^ b) * 3u + 1u) & 0xFFFF);
}

// Every pair of 4 and of 5 node stations, asked in both orders: the station
// numbers are far from their indices, so a slip between index and number or
// in the matrix position gives the wrong kilometres.
TEST_F(DmnetGren, EveryPairOfFourAndFiveNodesInBothOrders) {
  const std::vector<std::vector<uint32_t>> nodeSets = {
      {0x80000010u, 7u, 300u, 0x7FFFFFFFu},
      {0xFFFFFFF0u, 0x80000010u, 7u, 300u, 0x7FFFFFFFu},
  };
  for (const auto& nodes : nodeSets) {
    SCOPED_TRACE(nodes.size());
    UnloadAll(&DbGrenTab);
    std::vector<dmw::GrenPair> pairs;
    for (std::size_t x = 0; x < nodes.size(); ++x)
      for (std::size_t y = x + 1; y < nodes.size(); ++y) {
        uint32_t a = std::min(nodes[x], nodes[y]);
        uint32_t b = std::max(nodes[x], nodes[y]);
        dmw::GrenPair p;
        p.station_a = nodes[y];  // either order is accepted by the writer
        p.station_b = nodes[x];
        p.valid_from = 100;
        p.km_part1 = Km1Of(a, b);
        p.km_part2 = Km2Of(a, b);
        p.route_text_number = static_cast<int32_t>(a % 1000 + b % 977);
        pairs.push_back(p);
      }
    // The kilometres tell every pair apart.
    for (std::size_t x = 0; x < pairs.size(); ++x)
      for (std::size_t y = x + 1; y < pairs.size(); ++y)
        ASSERT_FALSE(pairs[x].km_part1 == pairs[y].km_part1 &&
                     pairs[x].km_part2 == pairs[y].km_part2);
    Load(dmw::grenFile(nodes, pairs));
    ASSERT_EQ(DbTabBlock(&DbGrenTab, 1)->count,
              static_cast<int32_t>(nodes.size() * (nodes.size() - 1) / 2));

    std::vector<uint32_t> sorted = nodes;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t k = 0; k < sorted.size(); ++k)
      EXPECT_EQ(DbFindGrenIbnr(sorted[k]), static_cast<int32_t>(k));

    EbKmStichtag = 200;
    for (uint32_t x : nodes)
      for (uint32_t y : nodes) {
        GrenSatz s;
        std::memset(&s, 0x5A, sizeof s);
        if (x == y) {
          EXPECT_EQ(DbGetGren(x, &s, y), kDbNotFound);
          continue;
        }
        uint32_t a = std::min(x, y);
        uint32_t b = std::max(x, y);
        ASSERT_EQ(DbGetGren(x, &s, y), kDbFound) << x << " " << y;
        EXPECT_EQ(s.stationA, a);
        EXPECT_EQ(s.stationB, b);
        EXPECT_EQ(s.kmPart1, Km1Of(a, b)) << x << " " << y;
        EXPECT_EQ(s.kmPart2, Km2Of(a, b));
        EXPECT_EQ(s.routeTextNo, static_cast<int32_t>(a % 1000 + b % 977));
        EXPECT_EQ(s.validFrom, 100);
        EXPECT_EQ(s.validUntil, kDbOpenEnd);
      }
  }
}

// One entry whose every field holds its own value, relation code bytes
// 0x80 and 0xFF included; and one without relation record.
TEST_F(DmnetGren, EveryFieldOfAnEntryWithAndWithoutRelation) {
  dmw::GrenPair rel;
  rel.station_a = 0x80000001u;
  rel.station_b = 0xFEDCBA98u;
  rel.valid_from = 0x1234;
  rel.km_part1 = 0x8001;
  rel.km_part2 = 0xFFFE;
  rel.route_text_number = -123456789;
  rel.relation = dmw::GrenRelation{Raw({0x80, 0xFF}), {0x9ABCDEF0u, 17u, 0xFFFFFFFEu, 0x80000000u}};
  rel.flags = 0x0001;
  dmw::GrenPair plain;
  plain.station_a = 0x80000001u;
  plain.station_b = 42u;
  plain.valid_from = 77;
  plain.km_part1 = 5;
  plain.km_part2 = 6;
  plain.flags = 0xFFFE;  // every bit but bit 0
  dmw::GrenOptions opt;
  opt.ib2_order = dmw::IndexOrder::Descending;
  Load(dmw::grenFile({42u, 0x80000001u, 0xFEDCBA98u}, {rel, plain}, opt));

  EbKmStichtag = 0x1234;
  GrenSatz s;
  ASSERT_EQ(DbGetGren(0xFEDCBA98u, &s, 0x80000001u), kDbFound);
  EXPECT_EQ(s.stationA, 0x80000001u);
  EXPECT_EQ(s.stationB, 0xFEDCBA98u);
  EXPECT_EQ(s.validFrom, 0x1234);
  EXPECT_EQ(s.kmPart1, 0x8001);
  EXPECT_EQ(s.kmPart2, 0xFFFE);
  EXPECT_EQ(s.routeTextNo, -123456789);
  EXPECT_EQ(Field(s.relationCode, 2), Raw({0x80, 0xFF}));
  EXPECT_EQ(s.relationStations[0], 0x9ABCDEF0u);
  EXPECT_EQ(s.relationStations[1], 17u);
  EXPECT_EQ(s.relationStations[2], 0xFFFFFFFEu);
  EXPECT_EQ(s.relationStations[3], 0x80000000u);
  EXPECT_EQ(s.flag, 'J');
  EXPECT_EQ(s.validUntil, kDbOpenEnd);

  ASSERT_EQ(DbGetGren(42u, &s, 0x80000001u), kDbFound);
  EXPECT_EQ(s.stationA, 42u);
  EXPECT_EQ(s.stationB, 0x80000001u);
  EXPECT_EQ(Field(s.relationCode, 2), "00");
  for (uint32_t st : s.relationStations) EXPECT_EQ(st, 0u);
  EXPECT_EQ(s.flag, 'N');
  EXPECT_EQ(s.kmPart1, 5);
  EXPECT_EQ(s.kmPart2, 6);
}

// The current entry, the history versions behind it and their valid-until,
// for pairs whose history records stand side by side in the history block.
TEST_F(DmnetGren, HistoryFallbackAndValidUntil) {
  const uint32_t A = 900, B = 0x80000002u, C = 5, D = 0xF0000000u;
  auto pair = [](uint32_t a, uint32_t b, uint16_t from, bool wd, uint16_t km) {
    dmw::GrenPair p;
    p.station_a = a;
    p.station_b = b;
    p.valid_from = from;
    p.withdrawn = wd;
    p.km_part1 = km;
    p.km_part2 = static_cast<uint16_t>(km + 1);
    return p;
  };
  std::vector<dmw::GrenPair> pairs = {
      // (A, B): current from 15000, history 14000 and 13000.
      pair(A, B, 15000, false, 150),
      pair(A, B, 14000, false, 140),
      pair(A, B, 13000, false, 130),
      // (C, D): current withdrawn from 12000, history 11000.
      pair(C, D, 12000, true, 120),
      pair(C, D, 11000, false, 110),
      // (A, D): current 15000, newest history withdrawn from 14000, then 13000.
      pair(A, D, 15000, false, 250),
      pair(A, D, 14000, true, 240),
      pair(A, D, 13000, false, 230),
      // (B, C): only a current entry.
      pair(B, C, 10000, false, 300),
  };
  Load(dmw::grenFile({A, B, C, D}, pairs));
  ASSERT_EQ(DbTabBlock(&DbGrenTab, 4)->count, 5);

  struct Case {
    uint32_t x, y;
    UtDayNumber day;
    DbLookupResult res;
    uint16_t km1, until;
  };
  const Case cases[] = {
      {A, B, 15000, kDbFound, 150, kDbOpenEnd},
      {B, A, 20000, kDbFound, 150, kDbOpenEnd},
      {A, B, 14999, kDbFound, 140, 14999},
      {B, A, 14000, kDbFound, 140, 14999},
      {A, B, 13999, kDbFound, 130, 13999},
      {A, B, 13000, kDbFound, 130, 13999},
      {A, B, 12999, kDbNotFound, 0, 0},
      {C, D, 12000, kDbNotFound, 0, 0},  // current withdrawn and in force
      {D, C, 30000, kDbNotFound, 0, 0},
      {C, D, 11999, kDbFound, 110, 11999},  // newest history: until current - 1
      {C, D, 10999, kDbNotFound, 0, 0},
      {A, D, 14500, kDbNotFound, 0, 0},  // history version in force is withdrawn
      {A, D, 13500, kDbFound, 230, 13999},
      {A, D, 15000, kDbFound, 250, kDbOpenEnd},
      {B, C, 9999, kDbNotFound, 0, 0},  // no history at all
      {C, B, 10000, kDbFound, 300, kDbOpenEnd},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "-" << c.y << " day " << c.day);
    EbKmStichtag = c.day;
    GrenSatz s;
    std::memset(&s, 0x5A, sizeof s);
    ASSERT_EQ(DbGetGren(c.x, &s, c.y), c.res);
    if (c.res != kDbFound) {
      EXPECT_EQ(s.stationA, 0x5A5A5A5Au);  // untouched
      continue;
    }
    EXPECT_EQ(s.stationA, std::min(c.x, c.y));
    EXPECT_EQ(s.stationB, std::max(c.x, c.y));
    EXPECT_EQ(s.kmPart1, c.km1);
    EXPECT_EQ(s.kmPart2, c.km1 + 1);
    EXPECT_EQ(s.validUntil, c.until);
  }
}

TEST_F(DmnetGren, UnknownStationsAndUnloadedTable) {
  EbKmStichtag = 100;
  GrenSatz s;
  EXPECT_EQ(DbGetGren(10, &s, 20), kDbNotLoaded);
  EXPECT_EQ(DbFindGrenIbnr(10), -1);

  dmw::GrenPair p;
  p.station_a = 10;
  p.station_b = 20;
  p.km_part1 = 1;
  Load(dmw::grenFile({10, 20, 30}, {p}));
  EXPECT_EQ(DbGetGren(10, &s, 20), kDbFound);
  EXPECT_EQ(DbGetGren(10, &s, 15), kDbNotFound);  // between two nodes
  EXPECT_EQ(DbGetGren(40, &s, 20), kDbNotFound);  // above the last
  EXPECT_EQ(DbGetGren(5, &s, 10), kDbNotFound);   // below the first
  EXPECT_EQ(DbGetGren(20, &s, 30), kDbNotFound);  // the writer's withdrawn filler
  EXPECT_EQ(DbFindGrenIbnr(15), -1);
  EXPECT_EQ(DbFindGrenIbnr(30), 2);
  EXPECT_EQ(DbGetGren(10, nullptr, 20), kDbBadArgs);
}

}  // namespace
