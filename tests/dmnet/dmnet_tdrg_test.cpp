// TDRG: the node-station cursor of an area, its slots and its day, over an
// index block that is not in station order.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/dtacc/dm/dm_tdrg.h"
#include "tests/dmnet/dmnet_fixture.h"

using namespace dmnettest;

namespace {

dmw::TdrgEntry Entry(uint16_t area, uint32_t node, uint16_t from, bool wd = false) {
  dmw::TdrgEntry e;
  e.area_number = area;
  e.node_station = node;
  e.valid_from = from;
  e.withdrawn = wd;
  return e;
}

class DmnetTdrg : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadAll(&DbTdrgTab);
    DbInitTdrg();
  }
  void TearDown() override { UnloadAll(&DbTdrgTab); }

  // Areas 3, 5 and 9. Area 5 lists its stations in an order that is neither
  // ascending nor the index order; the index block is written descending.
  void LoadStandard() {
    std::vector<dmw::TdrgEntry> e = {
        Entry(5, 900, 100),          Entry(5, 0x80000001u, 12000),
        Entry(5, 0x80000001u, 100),                      // newer after the day
        Entry(5, 30, 10000, true),   Entry(5, 30, 100),  // withdrawn on the day
        Entry(5, 77, 11000),                             // begins on day 11000
        Entry(5, 0xFFFFFFF0u, 9000), Entry(3, 30, 100),
        Entry(9, 900, 100),
    };
    dmw::TdrgOptions opt;
    opt.ib_order = dmw::IndexOrder::Descending;
    WriteTable(dmw::tdrgFile(e, opt), "TDRG", "DMTDRG");
    LoadOk(&DbTdrgTab);
  }

  // Walks a cursor to its end; the stations it returned.
  std::vector<uint32_t> Walk(uint16_t area, int* handle, std::vector<TdrgSatz>* recs = nullptr) {
    std::vector<uint32_t> out;
    TdrgSatz s;
    for (int guard = 0; guard < 50; ++guard) {
      DbLookupResult r = DbNextTdrg(area, &s, handle);
      if (r != kDbFound) {
        EXPECT_EQ(r, kDbNotFound);
        break;
      }
      out.push_back(s.station);
      if (recs) recs->push_back(s);
    }
    return out;
  }
};

// Stored group order, the older version when the newer starts after the
// day, a withdrawn group and a group with nothing in force passed over.
TEST_F(DmnetTdrg, WalksTheGroupsOfOneAreaInStoredOrder) {
  LoadStandard();
  EbKmStichtag = 11000;
  int h = -1;
  std::vector<TdrgSatz> recs;
  EXPECT_EQ(Walk(5, &h, &recs), (std::vector<uint32_t>{900, 0x80000001u, 77, 0xFFFFFFF0u}));
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(recs[0].area, 5);
  EXPECT_EQ(recs[0].validFrom, 100);
  EXPECT_EQ(recs[0].validUntil, kDbOpenEnd);
  EXPECT_EQ(recs[1].validFrom, 100);
  EXPECT_EQ(recs[1].validUntil, 11999);  // from the same station's newer version
  EXPECT_EQ(recs[2].validFrom, 11000);
  EXPECT_EQ(recs[3].validFrom, 9000);
  EXPECT_EQ(recs[3].validUntil, kDbOpenEnd);
  EXPECT_EQ(h, 0);
  // Exhausted: 2 on every further step, slot still in use.
  TdrgSatz s;
  EXPECT_EQ(DbNextTdrg(5, &s, &h), kDbNotFound);
  EXPECT_EQ(DbNextTdrg(5, &s, &h), kDbNotFound);
  EXPECT_EQ(DbTdrgSlots[0].inUse, 1);
  DbReleaseTdrgCursor(&h);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(DbTdrgSlots[0].inUse, 0);

  EbKmStichtag = 9999;  // before 77 and before the withdrawal of 30
  EXPECT_EQ(Walk(5, &h), (std::vector<uint32_t>{900, 0x80000001u, 30, 0xFFFFFFF0u}));
  DbReleaseTdrgCursor(&h);
  EbKmStichtag = 12000;
  EXPECT_EQ(Walk(3, &h), (std::vector<uint32_t>{30}));
  DbReleaseTdrgCursor(&h);
}

// A continuation takes the day kept in the slot, not EbKmStichtag as it
// stands, and ignores its area argument.
TEST_F(DmnetTdrg, ContinuationUsesTheSlotsDay) {
  LoadStandard();
  EbKmStichtag = 9999;
  int h = -1;
  TdrgSatz s;
  ASSERT_EQ(DbNextTdrg(5, &s, &h), kDbFound);
  EXPECT_EQ(s.station, 900u);
  EbKmStichtag = 12000;  // would give 0x80000001's newer version and drop 30
  ASSERT_EQ(DbNextTdrg(9, &s, &h), kDbFound);
  EXPECT_EQ(s.station, 0x80000001u);
  EXPECT_EQ(s.validFrom, 100);
  ASSERT_EQ(DbNextTdrg(9, &s, &h), kDbFound);
  EXPECT_EQ(s.station, 30u);
  DbReleaseTdrgCursor(&h);
}

// Slots: an empty area keeps its slot, the sixth opening answers 3, a
// release frees the slot for the next opening, bad handles answer 4.
TEST_F(DmnetTdrg, SlotsAndHandles) {
  LoadStandard();
  EbKmStichtag = 11000;
  TdrgSatz s;
  std::memset(&s, 0x5A, sizeof s);
  int h[6] = {-1, -1, -1, -1, -1, -1};
  EXPECT_EQ(DbNextTdrg(4, &s, &h[0]), kDbNotFound);  // no such area
  EXPECT_EQ(h[0], 0);
  EXPECT_EQ(DbTdrgSlots[0].inUse, 1);
  EXPECT_EQ(s.station, 0x5A5A5A5Au);
  for (int k = 1; k < 5; ++k) {
    EXPECT_EQ(DbNextTdrg(5, &s, &h[k]), kDbFound);
    EXPECT_EQ(h[k], k);
  }
  EXPECT_EQ(DbNextTdrg(5, &s, &h[5]), kDbNoCursor);
  EXPECT_EQ(h[5], -1);
  DbReleaseTdrgCursor(&h[2]);
  EXPECT_EQ(DbNextTdrg(3, &s, &h[5]), kDbFound);
  EXPECT_EQ(h[5], 2);

  int bad[] = {5, -2, 99};
  for (int b : bad) {
    int hb = b;
    EXPECT_EQ(DbNextTdrg(5, &s, &hb), kDbBadHandle) << b;
  }
  int released = 3;
  DbReleaseTdrgCursor(&h[3]);
  EXPECT_EQ(DbNextTdrg(5, &s, &released), kDbBadHandle);
  // The engine abandons a cursor by writing the reset value over its slot.
  DbTdrgSlots[1] = kDbCursorSlotReset;
  int abandoned = 1;
  EXPECT_EQ(DbNextTdrg(5, &s, &abandoned), kDbBadHandle);
  for (int& x : h) DbReleaseTdrgCursor(&x);
  int none = -1;
  DbReleaseTdrgCursor(&none);  // -1: nothing happens
  EXPECT_EQ(none, -1);
}

// Not loaded answers 1 before any handle check; a cursor continued after
// its table was unloaded and loaded again answers 4.
TEST_F(DmnetTdrg, NotLoadedAndStaleCursor) {
  TdrgSatz s;
  int h = -2;
  EXPECT_EQ(DbNextTdrg(5, &s, &h), kDbNotLoaded);
  h = -1;
  EXPECT_EQ(DbNextTdrg(5, &s, &h), kDbNotLoaded);
  EXPECT_EQ(h, -1);

  LoadStandard();
  EbKmStichtag = 11000;
  ASSERT_EQ(DbNextTdrg(5, &s, &h), kDbFound);
  DbUnloadTab(&DbTdrgTab);
  EXPECT_EQ(DbNextTdrg(5, &s, &h), kDbNotLoaded);
  LoadOk(&DbTdrgTab);
  EXPECT_EQ(DbNextTdrg(5, &s, &h), kDbBadHandle);
  DbReleaseTdrgCursor(&h);
  EXPECT_EQ(Walk(5, &h).size(), 4u);
  DbReleaseTdrgCursor(&h);
  // Null pointers are refused instead of followed, and take no slot.
  EXPECT_EQ(DbNextTdrg(5, nullptr, &h), kDbBadArgs);
  EXPECT_EQ(DbNextTdrg(5, &s, nullptr), kDbBadArgs);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(DbTdrgSlots[0].inUse, 0);
}

}  // namespace
