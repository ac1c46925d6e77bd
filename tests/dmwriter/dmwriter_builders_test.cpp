// Data-file writer, builders: GREN matrix order, history and relation
// records; STEN, TDRG and RBGT records resolved through their index blocks
// (also in orders other than station order); the RBGT and LOST text pools.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/dmwriter/bytes_reader.h"
#include "tools/dmwriter/dmwriter.h"

namespace {

using dmwtest::Bytes;

std::vector<std::uint32_t> u32s(const Bytes& block) {
  EXPECT_EQ(block.size() % 4, 0u);
  std::vector<std::uint32_t> out;
  for (std::size_t k = 0; k + 4 <= block.size(); k += 4) out.push_back(dmwtest::u32(block, k));
  return out;
}

// The NUL-terminated text at `offset` of a text block; fails if it runs off.
std::string textAt(const Bytes& pool, std::size_t offset) {
  std::string s;
  for (std::size_t k = offset; k < pool.size(); ++k) {
    if (pool[k] == 0) return s;
    s.push_back(static_cast<char>(pool[k]));
  }
  ADD_FAILURE() << "text at " << offset << " not terminated";
  return s;
}

// ---- GREN ------------------------------------------------------------------------

// A distinct flags word per pair; bit 0 set for some pairs only.
std::uint16_t grenFlagsFor(std::size_t i, std::size_t j) {
  return static_cast<std::uint16_t>(0x0100 * i + 2 * j + (i + j) % 2);
}

TEST(DmwriterGren, MatrixIndexFollowsTheUpperTriangleRowByRow) {
  // n = 4: (0,1) (0,2) (0,3) (1,2) (1,3) (2,3) are records 0 to 5.
  const std::uint64_t four[][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
  for (std::uint64_t k = 0; k < 6; ++k)
    EXPECT_EQ(dmw::grenMatrixIndex(four[k][0], four[k][1], 4), k);
  EXPECT_EQ(dmw::grenMatrixIndex(0, 4, 5), 3u);
  EXPECT_EQ(dmw::grenMatrixIndex(1, 2, 5), 4u);
  EXPECT_EQ(dmw::grenMatrixIndex(3, 4, 5), 9u);
  // The last pair of a large matrix, beyond 32-bit intermediate products.
  EXPECT_EQ(dmw::grenMatrixIndex(99998, 99999, 100000), 100000ull * 99999 / 2 - 1);
  EXPECT_THROW(dmw::grenMatrixIndex(2, 2, 4), std::invalid_argument);
  EXPECT_THROW(dmw::grenMatrixIndex(0, 4, 4), std::invalid_argument);
}

// Every pair of 4 and of 5 nodes, given in both station orders, lands at its
// matrix position with its own kilometres.
TEST(DmwriterGren, EveryPairAtItsMatrixPosition) {
  for (std::size_t n : {4u, 5u}) {
    SCOPED_TRACE(n);
    // Node numbers not in ascending input order, above 0x80000000 for one.
    std::vector<std::uint32_t> nodes = {8000400, 8000100, 0x80000001u, 8000300, 8000200};
    nodes.resize(n);
    std::vector<std::uint32_t> sorted = nodes;
    std::sort(sorted.begin(), sorted.end());
    std::vector<dmw::GrenPair> pairs;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i + 1; j < n; ++j) {
        dmw::GrenPair p;
        // Alternate the order in which the two stations are named.
        p.station_a = (i + j) % 2 ? sorted[j] : sorted[i];
        p.station_b = (i + j) % 2 ? sorted[i] : sorted[j];
        p.km_part1 = static_cast<std::uint16_t>(100 * i + j);
        p.km_part2 = static_cast<std::uint16_t>(0x8000 + 10 * i + j);
        p.route_text_number = static_cast<std::int32_t>(1000 * i + j);
        p.flags = grenFlagsFor(i, j);
        p.valid_from = static_cast<std::uint16_t>(1000 + i);
        pairs.push_back(p);
      }
    }
    dmw::DataFile f = dmw::grenFile(nodes, pairs);
    EXPECT_EQ(f.table_number, 211);
    EXPECT_EQ(f.version, 2);
    EXPECT_EQ(f.sub_version, 1);
    ASSERT_EQ(f.blocks.size(), 5u);
    EXPECT_EQ(u32s(f.block(2).data), sorted);  // GrenIbnrBlock ascending
    const Bytes& km1 = f.block(1).data;
    ASSERT_EQ(km1.size(), 14 * n * (n - 1) / 2);
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i + 1; j < n; ++j, ++k) {
        SCOPED_TRACE(testing::Message() << i << "," << j);
        std::size_t at = 14 * dmw::grenMatrixIndex(i, j, n);
        EXPECT_EQ(at, 14 * k);
        EXPECT_EQ(dmwtest::u16(km1, at + 0), 100 * i + j);
        EXPECT_EQ(dmwtest::u16(km1, at + 2), 0x8000 + 10 * i + j);
        EXPECT_EQ(dmwtest::i32(km1, at + 4), static_cast<std::int32_t>(1000 * i + j));
        EXPECT_EQ(dmwtest::i16(km1, at + 8), -1);
        EXPECT_EQ(dmwtest::u16(km1, at + 10), grenFlagsFor(i, j));
        EXPECT_EQ(dmwtest::u16(km1, at + 12), 1000 + i);
      }
    }
    EXPECT_TRUE(f.block(3).data.empty());
    EXPECT_TRUE(f.block(4).data.empty());
    EXPECT_TRUE(f.block(5).data.empty());
  }
}

TEST(DmwriterGren, OlderVersionsGoToTheHistoryInPairOrderNewestFirst) {
  // Nodes 10, 20, 30, 40: indices 0..3.
  auto pair = [](std::uint32_t a, std::uint32_t b, std::uint16_t day, std::uint16_t km,
                 bool withdrawn = false) {
    dmw::GrenPair p;
    p.station_a = a;
    p.station_b = b;
    p.valid_from = day;
    p.withdrawn = withdrawn;
    p.km_part1 = km;
    p.km_part2 = static_cast<std::uint16_t>(km + 1);
    p.route_text_number = km * 10;
    p.flags = dmw::grenFlags('J');
    return p;
  };
  std::vector<dmw::GrenPair> pairs = {
      pair(40, 30, 500, 7),  // (2,3): one history version
      pair(30, 40, 900, 8),
      pair(10, 20, 200, 2),  // (0,1): three versions, given out of order
      pair(20, 10, 300, 3, true),
      pair(10, 20, 100, 1),
  };
  dmw::DataFile f = dmw::grenFile({10, 20, 30, 40}, pairs);
  const Bytes& km1 = f.block(1).data;
  ASSERT_EQ(km1.size(), 6u * 14);
  // (0,1) current: the withdrawn version from day 300.
  EXPECT_EQ(dmwtest::u16(km1, 0), 3);
  EXPECT_EQ(dmwtest::u16(km1, 12), 0x8000 | 300);
  EXPECT_EQ(dmwtest::u16(km1, 10), 1);
  // (2,3) current: day 900.
  EXPECT_EQ(dmwtest::u16(km1, 5 * 14), 8);
  EXPECT_EQ(dmwtest::u16(km1, 5 * 14 + 12), 900);
  // Pairs without a version: withdrawn from day 0, no relation.
  for (std::size_t k : {1u, 2u, 3u, 4u}) {
    EXPECT_EQ(dmwtest::u16(km1, 14 * k + 12), 0x8000);
    EXPECT_EQ(dmwtest::i16(km1, 14 * k + 8), -1);
  }
  const Bytes& km2 = f.block(4).data;
  ASSERT_EQ(km2.size(), 3u * 18);
  struct H {
    std::int16_t i, j;
    std::uint16_t km1, km2;
    std::int32_t rt;
    std::uint16_t flags, from;
  };
  const H expect[] = {{0, 1, 2, 3, 20, 1, 200}, {0, 1, 1, 2, 10, 1, 100}, {2, 3, 7, 8, 70, 1, 500}};
  for (std::size_t r = 0; r < 3; ++r) {
    SCOPED_TRACE(r);
    std::size_t at = 18 * r;
    EXPECT_EQ(dmwtest::i16(km2, at + 0), expect[r].i);
    EXPECT_EQ(dmwtest::i16(km2, at + 2), expect[r].j);
    EXPECT_EQ(dmwtest::u16(km2, at + 4), expect[r].km1);
    EXPECT_EQ(dmwtest::u16(km2, at + 6), expect[r].km2);
    EXPECT_EQ(dmwtest::i32(km2, at + 8), expect[r].rt);
    EXPECT_EQ(dmwtest::i16(km2, at + 12), -1);
    EXPECT_EQ(dmwtest::u16(km2, at + 14), expect[r].flags);
    EXPECT_EQ(dmwtest::u16(km2, at + 16), expect[r].from);
  }
}

TEST(DmwriterGren, RelationsAreSharedAndPointIntoTheStationBlock) {
  dmw::GrenRelation r1{"R1", {8000900, 8000100, 0, 8000500}};
  dmw::GrenRelation r2{
      "\x8E"
      "2",
      {8000100, 8000700, 8000800, 8000900}};
  auto pair = [](std::uint32_t a, std::uint32_t b, std::optional<dmw::GrenRelation> rel) {
    dmw::GrenPair p;
    p.station_a = a;
    p.station_b = b;
    p.relation = std::move(rel);
    return p;
  };
  dmw::DataFile f = dmw::grenFile({1, 2, 3}, {pair(2, 3, r2), pair(1, 2, r1), pair(1, 3, r2)});
  const Bytes& km1 = f.block(1).data;
  EXPECT_EQ(dmwtest::i16(km1, 0 * 14 + 8), 1);  // (1,2): r1, first used second
  EXPECT_EQ(dmwtest::i16(km1, 1 * 14 + 8), 0);  // (1,3): r2
  EXPECT_EQ(dmwtest::i16(km1, 2 * 14 + 8), 0);  // (2,3): r2
  const Bytes& frel = f.block(3).data;
  ASSERT_EQ(frel.size(), 2u * 10);
  // GrenIb2Block in order of first use: r2's stations, then r1's new ones.
  std::vector<std::uint32_t> ib2 = u32s(f.block(5).data);
  EXPECT_EQ(ib2, (std::vector<std::uint32_t>{8000100, 8000700, 8000800, 8000900, 0, 8000500}));
  const dmw::GrenRelation* rels[] = {&r2, &r1};
  for (std::size_t r = 0; r < 2; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(dmwtest::text(frel, 10 * r, 2), rels[r]->relation_code);
    for (std::size_t s = 0; s < 4; ++s) {
      std::int16_t idx = dmwtest::i16(frel, 10 * r + 2 + 2 * s);
      ASSERT_GE(idx, 0);
      ASSERT_LT(static_cast<std::size_t>(idx), ib2.size());
      EXPECT_EQ(ib2[static_cast<std::size_t>(idx)], rels[r]->stations[s]);
    }
  }
  // A chosen GrenIb2Block order moves the indices, not the stations.
  dmw::GrenOptions desc;
  desc.ib2_order = dmw::IndexOrder::Descending;
  dmw::DataFile g = dmw::grenFile({1, 2, 3}, {pair(1, 2, r1)}, desc);
  EXPECT_EQ(u32s(g.block(5).data), (std::vector<std::uint32_t>{8000900, 8000500, 8000100, 0}));
  EXPECT_EQ(dmwtest::i16(g.block(3).data, 2), 0);
  EXPECT_EQ(dmwtest::i16(g.block(3).data, 4), 2);
  EXPECT_EQ(dmwtest::i16(g.block(3).data, 6), 3);
  EXPECT_EQ(dmwtest::i16(g.block(3).data, 8), 1);
}

TEST(DmwriterGren, RefusesPairsItCannotPlace) {
  dmw::GrenPair p;
  p.station_a = 1;
  p.station_b = 9;
  EXPECT_THROW(dmw::grenFile({1, 2}, {p}), std::invalid_argument);  // 9 not a node
  p.station_b = 1;
  EXPECT_THROW(dmw::grenFile({1, 2}, {p}), std::invalid_argument);    // same station
  EXPECT_THROW(dmw::grenFile({1, 2, 2}, {}), std::invalid_argument);  // duplicate node
  dmw::DataFile empty = dmw::grenFile({}, {});
  ASSERT_EQ(empty.blocks.size(), 5u);
  EXPECT_TRUE(empty.block(1).data.empty());
}

// ---- STEN ------------------------------------------------------------------------

TEST(DmwriterSten, FlagLetters) {
  EXPECT_EQ(dmw::stenFlags('N', 'N', 'N'), 0);
  EXPECT_EQ(dmw::stenFlags('J', 'N', 'N'), 1);
  EXPECT_EQ(dmw::stenFlags('N', 'N', 'J'), 2);
  EXPECT_EQ(dmw::stenFlags('N', 'J', 'N'), 4);
  EXPECT_EQ(dmw::stenFlags('N', 'A', 'N'), 8);
  EXPECT_EQ(dmw::stenFlags('N', 'U', 'N'), 16);
  EXPECT_EQ(dmw::stenFlags('J', 'U', 'J'), 19);
}

// Reads back each StenKmBlock record as (station a, station b, km1, km2,
// flags, valid-from), resolving its indices through StenIbnrBlock.
std::vector<std::vector<std::uint64_t>> stenRecords(const dmw::DataFile& f) {
  const Bytes& km = f.block(1).data;
  std::vector<std::uint32_t> ibnr = u32s(f.block(2).data);
  EXPECT_EQ(km.size() % 12, 0u);
  std::vector<std::vector<std::uint64_t>> out;
  for (std::size_t at = 0; at + 12 <= km.size(); at += 12) {
    std::uint16_t ia = dmwtest::u16(km, at), ib = dmwtest::u16(km, at + 2);
    EXPECT_LT(ia, ibnr.size());
    EXPECT_LT(ib, ibnr.size());
    if (ia >= ibnr.size() || ib >= ibnr.size()) break;
    out.push_back({ibnr[ia], ibnr[ib], dmwtest::u16(km, at + 4), dmwtest::u16(km, at + 6),
                   dmwtest::u16(km, at + 8), dmwtest::u16(km, at + 10)});
  }
  return out;
}

TEST(DmwriterSten, PairsStoredLowerFirstSortedByStationNumbers) {
  std::vector<dmw::StenPair> pairs = {
      {8000500, 8000100, 10, false, 5, 6, dmw::stenFlags('N', 'A', 'N')},
      {0x80000000u, 8000100, 10, false, 7, 8, 0},
      {8000100, 8000500, 20, true, 9, 1, 0},
      {8000300, 8000100, 10, false, 2, 3, 0},
  };
  const std::vector<std::vector<std::uint64_t>> expect = {
      {8000100, 8000300, 2, 3, 0, 10},
      {8000100, 8000500, 9, 1, 0, 0x8000 | 20},
      {8000100, 8000500, 5, 6, 8, 10},
      {8000100, 0x80000000u, 7, 8, 0, 10},
  };
  dmw::DataFile asc = dmw::stenFile(pairs);
  EXPECT_EQ(asc.table_number, 220);
  EXPECT_EQ(u32s(asc.block(2).data),
            (std::vector<std::uint32_t>{8000100, 8000300, 8000500, 0x80000000u}));
  EXPECT_EQ(stenRecords(asc), expect);

  // Index block deliberately out of station order: the records keep their
  // order by station number, and only the indices change.
  dmw::StenOptions desc;
  desc.ibnr_order = dmw::IndexOrder::Descending;
  dmw::DataFile d = dmw::stenFile(pairs, desc);
  EXPECT_EQ(u32s(d.block(2).data),
            (std::vector<std::uint32_t>{0x80000000u, 8000500, 8000300, 8000100}));
  EXPECT_EQ(stenRecords(d), expect);
  EXPECT_EQ(dmwtest::u16(d.block(1).data, 0), 3);  // 8000100
  EXPECT_EQ(dmwtest::u16(d.block(1).data, 2), 2);  // 8000300

  dmw::StenOptions expl;
  expl.ibnr_explicit = {8000300, 1, 0x80000000u, 8000100, 8000500};
  dmw::DataFile e = dmw::stenFile(pairs, expl);
  EXPECT_EQ(u32s(e.block(2).data), expl.ibnr_explicit);
  EXPECT_EQ(stenRecords(e), expect);

  expl.ibnr_explicit = {8000300, 8000100};
  EXPECT_THROW(dmw::stenFile(pairs, expl), std::invalid_argument);
  expl.ibnr_explicit = {8000300, 8000100, 8000500, 0x80000000u, 8000100};
  EXPECT_THROW(dmw::stenFile(pairs, expl), std::invalid_argument);
}

// ---- TDRG ------------------------------------------------------------------------

TEST(DmwriterTdrg, AreasAscendingGroupsInTheChosenOrderNewestFirst) {
  std::vector<dmw::TdrgEntry> in = {
      {7, 8000900, 100, false},    {7, 8000100, 300, false}, {2, 8000500, 100, false},
      {7, 8000900, 200, true},  // second version of the first group of area 7
      {0x8000, 8000100, 1, false},
  };
  dmw::DataFile f = dmw::tdrgFile(in);
  EXPECT_EQ(f.table_number, 201);
  std::vector<std::uint32_t> ib = u32s(f.block(2).data);
  EXPECT_EQ(ib, (std::vector<std::uint32_t>{8000900, 8000100, 8000500}));  // first seen
  const Bytes& b = f.block(1).data;
  ASSERT_EQ(b.size(), 5u * 6);
  const std::uint64_t expect[][3] = {{2, 8000500, 100},
                                     {7, 8000900, 0x8000 | 200},
                                     {7, 8000900, 100},
                                     {7, 8000100, 300},
                                     {0x8000, 8000100, 1}};
  for (std::size_t r = 0; r < 5; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(dmwtest::u16(b, 6 * r), expect[r][0]);
    std::int16_t idx = dmwtest::i16(b, 6 * r + 2);
    ASSERT_GE(idx, 0);
    ASSERT_LT(static_cast<std::size_t>(idx), ib.size());
    EXPECT_EQ(ib[static_cast<std::size_t>(idx)], expect[r][1]);
    EXPECT_EQ(dmwtest::u16(b, 6 * r + 4), expect[r][2]);
  }
  dmw::TdrgOptions o;
  o.ib_order = dmw::IndexOrder::Ascending;
  dmw::DataFile a = dmw::tdrgFile(in, o);
  EXPECT_EQ(u32s(a.block(2).data), (std::vector<std::uint32_t>{8000100, 8000500, 8000900}));
  EXPECT_EQ(dmwtest::i16(a.block(1).data, 2), 1);      // 8000500
  EXPECT_EQ(dmwtest::i16(a.block(1).data, 6 + 2), 2);  // 8000900
}

// ---- RBGT ------------------------------------------------------------------------

TEST(DmwriterRbgt, RecordsSortedByNumberThroughTheirIndices) {
  const std::string long_name =
      "Strecke \x84"
      "ber Gro\xE1"
      "stadt und weiter bis ans End";  // 45
  ASSERT_EQ(long_name.size(), 45u);
  std::vector<dmw::RbgtEntry> in = {
      {30, 100, false, 8000300, 8000100, long_name},
      {0x80000000u, 5, false, 8000100, 8000200, "Abc"},
      {10, 100, false, 8000200, 8000300, "Abc"},
      {30, 200, true, 8000300, 8000100, "Neu"},
  };
  dmw::DataFile f = dmw::rbgtFile(in);
  EXPECT_EQ(f.table_number, 206);
  ASSERT_EQ(f.blocks.size(), 4u);
  std::vector<std::uint32_t> ibnr = u32s(f.block(2).data);
  std::vector<std::uint32_t> rbnr = u32s(f.block(3).data);
  // First-seen orders: neither block is in ascending order.
  EXPECT_EQ(ibnr, (std::vector<std::uint32_t>{8000300, 8000100, 8000200}));
  EXPECT_EQ(rbnr, (std::vector<std::uint32_t>{30, 0x80000000u, 10}));
  const Bytes& hast = f.block(1).data;
  const Bytes& bez = f.block(4).data;
  ASSERT_EQ(hast.size(), 4u * 12);
  struct E {
    std::uint32_t number, s1, s2;
    std::uint16_t from;
    std::string name;
  };
  const E expect[] = {{10, 8000200, 8000300, 100, "Abc"},
                      {30, 8000300, 8000100, 0x8000 | 200, "Neu"},
                      {30, 8000300, 8000100, 100, long_name},
                      {0x80000000u, 8000100, 8000200, 5, "Abc"}};
  std::map<std::string, std::uint32_t> offsets;
  for (std::size_t r = 0; r < 4; ++r) {
    SCOPED_TRACE(r);
    std::size_t at = 12 * r;
    auto idx = [&](std::size_t off, const std::vector<std::uint32_t>& block) -> std::uint32_t {
      std::int16_t i = dmwtest::i16(hast, at + off);
      EXPECT_GE(i, 0);
      EXPECT_LT(static_cast<std::size_t>(i), block.size());
      return i >= 0 && static_cast<std::size_t>(i) < block.size()
                 ? block[static_cast<std::size_t>(i)]
                 : 0;
    };
    EXPECT_EQ(idx(0, rbnr), expect[r].number);
    EXPECT_EQ(idx(2, ibnr), expect[r].s1);
    EXPECT_EQ(idx(4, ibnr), expect[r].s2);
    std::uint32_t off = dmwtest::u32(hast, at + 6);
    EXPECT_EQ(textAt(bez, off), expect[r].name);
    EXPECT_EQ(dmwtest::u16(hast, at + 10), expect[r].from);
    auto [it, fresh] = offsets.emplace(expect[r].name, off);
    if (!fresh) {
      EXPECT_EQ(it->second, off);  // one name, one copy
    }
  }
  // Pool: the names in sorted record order, each once.
  EXPECT_EQ(bez.size(), 4u + 4u + 46u);
  EXPECT_EQ(bez.back(), 0);
}

// ---- LOST and the text pool -----------------------------------------------------------

TEST(DmwriterLost, ThreeConsecutiveTextsPerRecord) {
  std::vector<dmw::LostRecord> in = {
      {2, 0, 0, 0, 10, false, "Zwei", "", "drei \x94", 0x8182},
      {1, 0xFFFF, 0x80000000u, 7, 10, false, std::string(50, 'x'), "b", "c", 5},
      {1, 0xFFFF, 0x80000000u, 7, 20, true, "Zwei", "", "drei \x94", 6},
  };
  dmw::DataFile f = dmw::lostFile(in);
  EXPECT_EQ(f.table_number, 153);
  const Bytes& main = f.block(1).data;
  const Bytes& pool = f.block(2).data;
  ASSERT_EQ(main.size(), 3u * 18);
  struct E {
    std::uint16_t k1, k2;
    std::uint32_t k3;
    std::uint16_t k4, from;
    std::string t1, t2, t3;
    std::uint16_t value;
  };
  const E expect[] = {{1, 0xFFFF, 0x80000000u, 7, 0x8000 | 20, "Zwei", "", "drei \x94", 6},
                      {1, 0xFFFF, 0x80000000u, 7, 10, std::string(50, 'x'), "b", "c", 5},
                      {2, 0, 0, 0, 10, "Zwei", "", "drei \x94", 0x8182}};
  for (std::size_t r = 0; r < 3; ++r) {
    SCOPED_TRACE(r);
    std::size_t at = 18 * r;
    EXPECT_EQ(dmwtest::u16(main, at + 0), expect[r].k1);
    EXPECT_EQ(dmwtest::u16(main, at + 2), expect[r].k2);
    EXPECT_EQ(dmwtest::u32(main, at + 4), expect[r].k3);
    EXPECT_EQ(dmwtest::u16(main, at + 8), expect[r].k4);
    EXPECT_EQ(dmwtest::u16(main, at + 10), expect[r].from);
    std::uint32_t off = dmwtest::u32(main, at + 12);
    std::string t1 = textAt(pool, off);
    std::string t2 = textAt(pool, off + t1.size() + 1);
    std::string t3 = textAt(pool, off + t1.size() + 1 + t2.size() + 1);
    EXPECT_EQ(t1, expect[r].t1);
    EXPECT_EQ(t2, expect[r].t2);
    EXPECT_EQ(t3, expect[r].t3);
    EXPECT_EQ(dmwtest::u16(main, at + 16), expect[r].value);
  }
  // The repeated triple is stored once: records 0 and 2 share their offset.
  EXPECT_EQ(dmwtest::u32(main, 12), 0u);
  EXPECT_EQ(dmwtest::u32(main, 2 * 18 + 12), 0u);
  EXPECT_EQ(pool.size(), (5u + 1u + 7u) + (51u + 2u + 2u));
}

TEST(DmwriterTextPool, OffsetsDeduplicationAndRefusedNul) {
  dmw::TextPool p;
  EXPECT_EQ(p.add("ab"), 0u);
  EXPECT_EQ(p.add(""), 3u);
  EXPECT_EQ(p.add("ab"), 0u);
  EXPECT_EQ(p.addTriple("ab", "", "c"), 4u);
  EXPECT_EQ(p.addTriple("ab", "", "c"), 4u);
  EXPECT_EQ(p.bytes(), (Bytes{'a', 'b', 0, 0, 'a', 'b', 0, 0, 'c', 0}));
  EXPECT_THROW(p.add(std::string("a\0b", 3)), std::invalid_argument);
  EXPECT_THROW(p.addTriple("a", std::string("\0", 1), "b"), std::invalid_argument);
}

}  // namespace
