// The synthetic network built with the project, run through the distance
// engine: an origin in the middle of the grid has hundreds of stations
// within 50 km, as the 50 km list would show them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "engine/eb.h"
#include "support/utname.h"
#include "tests/data/data_tabellen.h"

namespace {

constexpr UtDayNumber kDay = 16816;  // 2026-01-15

EbAnfrage ListRequest(int32_t from) {
  EbAnfrage a;
  EbAnfrageFuellen(&a, kDay, from, 0, 0, 0, '0');
  return a;
}

TEST(DataSynth, HundredsOfStationsWithinFiftyKilometres) {
  const std::string dir = ZOLMA_SYNTH_DATA;
  static std::string paths[7];
  int k = 0;
  for (const char* code : kDatenTabellen) {
    paths[k] = dir + "/DM" + code;
    ASSERT_EQ(UtSetName(code, paths[k].c_str()), 0);
    ++k;
  }
  for (const char* code : kTabellenOhneDatei) ASSERT_EQ(UtSetName(code, kDbNoFileName), 0);
  ASSERT_EQ(EbGfInitEntfernungsBerechnung(), 0);

  // The node in the middle of the 33 x 33 grid (numbered row by row from 1).
  const int32_t origin = 16 * 33 + 16 + 1;
  EbAnfrage a = ListRequest(origin);
  EbAbschnitte segments;
  std::memset(&segments, 0, sizeof segments);
  int rows = 0, failed = 0;
  for (int32_t n = 1; n < 100000; ++n) {
    if (n == origin) continue;
    EbhfSatz e;
    if (DbGetEbhf(&e, 80, static_cast<uint32_t>(n), kDay) != kDbFound) continue;
    if (e.letters[8] != 'N' || e.letters[9] != 'N' || e.flags3[1] == 'N') continue;
    a.hin.ibn = n;
    EbErgebnis r;
    if (EbGfEntfernungsBerechnung(&r, &segments, &a, 0) != 0) {
      ++failed;
      continue;
    }
    if (static_cast<int32_t>(r.hin.kmWzVxt + r.hin.kmDrVxt + r.hin.kmWz + r.hin.kmDr) <= 50) ++rows;
  }
  EbGfEndeEntfernungsBerechnung();
  EXPECT_EQ(failed, 0);
  EXPECT_GE(rows, 200);
  EXPECT_LE(rows, 2000);
  RecordProperty("rows", rows);
}

}  // namespace
