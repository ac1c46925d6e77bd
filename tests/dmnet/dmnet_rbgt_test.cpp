// RBGT: route texts found through the number index block, with stations
// and names behind their own index block and text pool.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm_rbgt.h"
#include "tests/dmnet/dmnet_fixture.h"

using namespace dmnettest;

namespace {

dmw::RbgtEntry Entry(uint32_t no, uint16_t from, bool wd, uint32_t st1, uint32_t st2,
                     std::string name) {
  dmw::RbgtEntry e;
  e.route_text_number = no;
  e.valid_from = from;
  e.withdrawn = wd;
  e.station1 = st1;
  e.station2 = st2;
  e.name = std::move(name);
  return e;
}

class DmnetRbgt : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadAll(&DbRbgtTab);
    DbInitRbgt();
  }
  void TearDown() override { UnloadAll(&DbRbgtTab); }

  // Numbers and stations written to their index blocks in orders that
  // differ from the sorted record order.
  void LoadStandard() {
    const std::string umlauts = Raw({0x81, 0x84, 0x94, 0xE1, 0x80, 0xFF}) + "Weg";
    std::vector<dmw::RbgtEntry> e = {
        Entry(0x90000000u, 0x4321, false, 0xA0000001u, 17, umlauts),
        Entry(5, 100, false, 300, 17, "Kurz"),
        Entry(5, 14000, false, 301, 18, std::string(45, 'x') + "ENDE"),
        Entry(70000, 15000, true, 300, 301, "Entfallen"),
        Entry(70000, 12000, false, 18, 300, "Alt"),
        Entry(12, 200, false, 17, 0xA0000001u, "Abc"),
    };
    dmw::RbgtOptions opt;
    opt.rbnr_explicit = {70000, 0x90000000u, 12, 5};
    opt.ibnr_order = dmw::IndexOrder::Descending;
    WriteTable(dmw::rbgtFile(e, opt), "RBGT", "DMRBGT");
    LoadOk(&DbRbgtTab);
  }
};

TEST_F(DmnetRbgt, EveryFieldOfOneRecordWithHighBytes) {
  LoadStandard();
  RbgtSatz s;
  std::memset(&s, 0x5A, sizeof s);
  ASSERT_EQ(DbGetRbgt(0x90000000u, &s, 0x4321), kDbFound);
  EXPECT_EQ(s.routeTextNo, 0x90000000u);
  EXPECT_EQ(s.validFrom, 0x4321);
  EXPECT_EQ(s.station1, 0xA0000001u);
  EXPECT_EQ(s.station2, 17u);
  EXPECT_EQ(Field(s.name, 40),
            Raw({0x81, 0x84, 0x94, 0xE1, 0x80, 0xFF}) + "Weg" + std::string(31, ' '));
  EXPECT_EQ(s.validUntil, kDbOpenEnd);
}

TEST_F(DmnetRbgt, NamesAndValidity) {
  LoadStandard();
  struct Case {
    uint32_t no;
    UtDayNumber day;
    DbLookupResult res;
    std::string name;
    uint32_t st1, st2;
    uint16_t until;
  };
  const Case cases[] = {
      {5, 99, kDbNotFound, "", 0, 0, 0},
      {5, 100, kDbFound, "Kurz" + std::string(36, ' '), 300, 17, 13999},
      {5, 14000, kDbFound, std::string(40, 'x'), 301, 18, kDbOpenEnd},  // 49 characters cut to 40
      {70000, 14999, kDbFound, "Alt" + std::string(37, ' '), 18, 300, 14999},
      {70000, 15000, kDbNotFound, "", 0, 0, 0},  // newest version withdrawn
      {12, 200, kDbFound, "Abc" + std::string(37, ' '), 17, 0xA0000001u, kDbOpenEnd},
      {0, 200, kDbNotFound, "", 0, 0, 0},  // an index, not a number
      {3, 200, kDbNotFound, "", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.no << " day " << c.day);
    RbgtSatz s;
    std::memset(&s, 0x5A, sizeof s);
    ASSERT_EQ(DbGetRbgt(c.no, &s, c.day), c.res);
    if (c.res != kDbFound) {
      EXPECT_EQ(s.routeTextNo, 0x5A5A5A5Au);
      continue;
    }
    EXPECT_EQ(s.routeTextNo, c.no);
    EXPECT_EQ(Field(s.name, 40), c.name);
    EXPECT_EQ(s.station1, c.st1);
    EXPECT_EQ(s.station2, c.st2);
    EXPECT_EQ(s.validUntil, c.until);
  }
  RbgtSatz s;
  DbUnloadTab(&DbRbgtTab);
  EXPECT_EQ(DbGetRbgt(5, &s, 100), kDbNotLoaded);
}

}  // namespace
