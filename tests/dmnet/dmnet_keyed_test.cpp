// NGAT, NESR, LOST and the station master: keyed lookups by the common
// rule, every field read back, LOST's texts and its one result record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm_lost.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "common/dtacc/dm/dm_ngat.h"
#include "common/dtacc/dm/dm_stamm.h"
#include "tests/dmnet/dmnet_fixture.h"

using namespace dmnettest;

namespace {

class DmnetKeyed : public ::testing::Test {
 protected:
  void SetUp() override {
    for (DbTabDesc* t : {&DbNgatTab, &DbNesrTab, &DbLostTab}) UnloadAll(t);
    DbInitNgat();
    DbInitNesr();
    DbInitLost();
  }
  void TearDown() override {
    for (DbTabDesc* t : {&DbNgatTab, &DbNesrTab, &DbLostTab}) UnloadAll(t);
  }
};

TEST_F(DmnetKeyed, NgatFieldsKeysAndValidity) {
  NgatSatz s;
  EXPECT_EQ(DbGetNgat(&s, 1, 2, 3, 4, 100), kDbNotLoaded);
  WriteTable(dmw::ngatFile({
                 dmw::NgatRecord{.key_part1 = 0xFEDC,
                                 .key_part2 = 0x8001,
                                 .key_part3 = 0xA5A5,
                                 .key_part4 = 0x0F0F,
                                 .valid_from = 0x1234,
                                 .withdrawn = false,
                                 .value = 0xBEEF},
                 dmw::NgatRecord{.key_part1 = 4464,
                                 .key_part2 = 7,
                                 .key_part3 = 1,
                                 .key_part4 = 1,
                                 .valid_from = 15000,
                                 .withdrawn = false,
                                 .value = 11},
                 dmw::NgatRecord{.key_part1 = 4464,
                                 .key_part2 = 7,
                                 .key_part3 = 1,
                                 .key_part4 = 1,
                                 .valid_from = 14000,
                                 .withdrawn = false,
                                 .value = 10},
                 dmw::NgatRecord{.key_part1 = 4464,
                                 .key_part2 = 7,
                                 .key_part3 = 1,
                                 .key_part4 = 2,
                                 .valid_from = 16000,
                                 .withdrawn = true,
                                 .value = 21},
                 dmw::NgatRecord{.key_part1 = 4464,
                                 .key_part2 = 7,
                                 .key_part3 = 1,
                                 .key_part4 = 2,
                                 .valid_from = 12000,
                                 .withdrawn = false,
                                 .value = 20},
                 dmw::NgatRecord{.key_part1 = 70000,
                                 .key_part2 = 7,
                                 .key_part3 = 1,
                                 .key_part4 = 1,
                                 .valid_from = 100,
                                 .withdrawn = false,
                                 .value = 99},  // stored above 16 bits: never found
             }),
             "NGAT", "DMNGAT");
  LoadOk(&DbNgatTab);

  std::memset(&s, 0x5A, sizeof s);
  ASSERT_EQ(DbGetNgat(&s, 0xFEDC, 0x8001, 0xA5A5, 0x0F0F, 0x1234), kDbFound);
  EXPECT_EQ(s.key1, 0xFEDCu);
  EXPECT_EQ(s.key2, 0x8001u);
  EXPECT_EQ(s.key3, 0xA5A5);
  EXPECT_EQ(s.key4, 0x0F0F);
  EXPECT_EQ(s.validFrom, 0x1234);
  EXPECT_EQ(s.value, 0xBEEF);
  EXPECT_EQ(s.validUntil, kDbOpenEnd);

  struct Case {
    uint16_t k4;
    UtDayNumber day;
    DbLookupResult res;
    uint16_t value, until;
  };
  const Case cases[] = {
      {1, 13999, kDbNotFound, 0, 0},        {1, 14000, kDbFound, 10, 14999},
      {1, 15000, kDbFound, 11, kDbOpenEnd}, {2, 15999, kDbFound, 20, 15999},
      {2, 16000, kDbNotFound, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.k4 << " day " << c.day);
    // 70000 arrives as its low 16 bits, 4464.
    ASSERT_EQ(DbGetNgat(&s, static_cast<uint16_t>(70000), 7, 1, c.k4, c.day), c.res);
    if (c.res != kDbFound) continue;
    EXPECT_EQ(s.key1, 4464u);
    EXPECT_EQ(s.value, c.value);
    EXPECT_EQ(s.validUntil, c.until);
  }
}

TEST_F(DmnetKeyed, NesrFieldsAndValidity) {
  auto rec = [](uint32_t k1, uint32_t k2, uint16_t from, uint16_t v1) {
    dmw::NesrRecord r;
    r.key_part1 = k1;
    r.key_part2 = k2;
    r.valid_from = from;
    r.value1 = v1;
    r.value2 = 0x8765;
    r.value3 = 0xF1E2D3C4u;
    return r;
  };
  WriteTable(dmw::nesrFile({rec(0x80000001u, 0xFFFFFFFEu, 0x2345, 0xABCD), rec(5, 6, 14000, 1),
                            rec(5, 6, 13000, 2), rec(5, 7, 16000, 3)}),
             "NESR", "DMNESR");
  LoadOk(&DbNesrTab);
  NesrSatz s;
  ASSERT_EQ(DbGetNesr(&s, 0x80000001u, 0xFFFFFFFEu, 0x2345), kDbFound);
  EXPECT_EQ(s.key1, 0x80000001u);
  EXPECT_EQ(s.key2, 0xFFFFFFFEu);
  EXPECT_EQ(s.validFrom, 0x2345);
  EXPECT_EQ(s.value1, 0xABCD);
  EXPECT_EQ(s.value2, 0x8765);
  EXPECT_EQ(s.value3, 0xF1E2D3C4u);
  EXPECT_EQ(s.validUntil, kDbOpenEnd);

  EXPECT_EQ(DbGetNesr(&s, 5, 7, 15999), kDbNotFound);
  ASSERT_EQ(DbGetNesr(&s, 5, 7, 16000), kDbFound);
  EXPECT_EQ(s.validUntil, kDbOpenEnd);
  ASSERT_EQ(DbGetNesr(&s, 5, 6, 13500), kDbFound);
  EXPECT_EQ(s.value1, 2);
  EXPECT_EQ(s.validUntil, 13999);
  EXPECT_EQ(DbGetNesr(&s, 5, 6, 12999), kDbNotFound);
  EXPECT_EQ(DbGetNesr(&s, 6, 5, 14000), kDbNotFound);
}

TEST_F(DmnetKeyed, LostTextsAndTheResultRecord) {
  EXPECT_EQ(DbGetLost(1, 2, 3, 4, 100), kDbNotLoaded);
  const std::string high = Raw({0x80, 0x94, 0xE1, 0xFF});
  WriteTable(dmw::lostFile({
                 dmw::LostRecord{.key_part1 = 0xF001,
                                 .key_part2 = 0x8002,
                                 .key_part3 = 0x90000003u,
                                 .key_part4 = 0xA004,
                                 .valid_from = 0x1111,
                                 .text1 = high + "eins",
                                 .text2 = "zwei" + high,
                                 .text3 = "drei",
                                 .value = 0xC0DE},
                 dmw::LostRecord{.key_part1 = 1,
                                 .key_part2 = 1,
                                 .key_part3 = 1,
                                 .key_part4 = 1,
                                 .valid_from = 100,
                                 .text1 = std::string(50, 'a'),
                                 .text2 = "B",
                                 .text3 = "",
                                 .value = 7},
                 dmw::LostRecord{.key_part1 = 1,
                                 .key_part2 = 1,
                                 .key_part3 = 1,
                                 .key_part4 = 1,
                                 .valid_from = 50,
                                 .text1 = "alt",
                                 .text2 = "",
                                 .text3 = "",
                                 .value = 8},
             }),
             "LOST", "DMLOST");
  LoadOk(&DbLostTab);

  ASSERT_EQ(DbGetLost(0xF001, 0x8002, 0x90000003u, 0xA004, 0x1111), kDbFound);
  const LostSatz& s = DbLostSatz;
  EXPECT_EQ(s.key1, 0xF001u);
  EXPECT_EQ(s.key2, 0x8002u);
  EXPECT_EQ(s.key3, 0x90000003u);
  EXPECT_EQ(s.key4, 0xA004u);
  EXPECT_EQ(s.validFrom, 0x1111);
  EXPECT_EQ(Field(s.text1, 40), high + "eins" + std::string(32, ' '));
  EXPECT_EQ(Field(s.text2, 97), "zwei" + high + std::string(89, ' '));
  EXPECT_EQ(Field(s.text3, 97), "drei" + std::string(93, ' '));
  EXPECT_EQ(s.value, 0xC0DEu);
  EXPECT_EQ(s.validUntil, kDbOpenEnd);

  // A first text longer than its field: its first 40 characters, and the
  // second text still starts after the first one's end. An empty text
  // leaves its field blank.
  ASSERT_EQ(DbGetLost(1, 1, 1, 1, 100), kDbFound);
  EXPECT_EQ(Field(s.text1, 40), std::string(40, 'a'));
  EXPECT_EQ(Field(s.text2, 97), "B" + std::string(96, ' '));
  EXPECT_EQ(Field(s.text3, 97), std::string(97, ' '));
  EXPECT_EQ(s.value, 7u);
  ASSERT_EQ(DbGetLost(1, 1, 1, 1, 99), kDbFound);
  EXPECT_EQ(Field(s.text1, 40), "alt" + std::string(37, ' '));
  EXPECT_EQ(s.validUntil, 99);

  // A failed lookup leaves the previous result as it was.
  unsigned char before[sizeof(LostSatz)];
  std::memcpy(before, &DbLostSatz, sizeof before);
  EXPECT_EQ(DbGetLost(1, 1, 1, 1, 49), kDbNotFound);
  EXPECT_EQ(DbGetLost(2, 1, 1, 1, 100), kDbNotFound);
  EXPECT_EQ(std::memcmp(before, &DbLostSatz, sizeof before), 0);
  DbUnloadTab(&DbLostTab);
  EXPECT_EQ(DbGetLost(1, 1, 1, 1, 100), kDbNotLoaded);
  EXPECT_EQ(std::memcmp(before, &DbLostSatz, sizeof before), 0);
}

TEST_F(DmnetKeyed, StationMasterAlwaysAnswersNotLoaded) {
  BhfSatz b;
  std::memset(&b, 0x5A, sizeof b);
  for (uint32_t st : {0u, 8000001u, 0xFFFFFFFFu})
    for (UtDayNumber day : {UtDayNumber{0}, UtDayNumber{14000}, UtDayNumber{0xFFFF}})
      EXPECT_EQ(DbGetBhf(&b, st, day), kDbNotLoaded);
  for (unsigned char c : std::string(reinterpret_cast<const char*>(&b), sizeof b))
    EXPECT_EQ(c, 0x5A);
  EXPECT_EQ(DbStammTab.loadCount, 0);
}

}  // namespace
