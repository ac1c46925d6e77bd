// The synthetic network built with the project, run through the distance
// engine: an origin in the middle of the grid has hundreds of stations
// within 50 km, as the 50 km list would show them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "engine/eb.h"
#include "engine/ebfuenfzig.h"
#include "tests/common/testnetz.h"

namespace {

constexpr UtDayNumber kDay = 16816;  // 2026-01-15

// A request function in the engine's place that counts the requests that
// end with a code (every station then gets its full request).
int g_failed = 0;
int32_t CountingRequest(EbErgebnis* r, EbAbschnitte* s, EbAnfrage* a, uint32_t flags) {
  const int32_t code = EbGfEntfernungsBerechnung(r, s, a, flags);
  g_failed += code != 0;
  return code;
}

// The rows of a list in the order they come, with a 64-bit digest of them.
struct Rows {
  int count = 0;
  uint64_t digest = 1469598103934665603ull;
};
void AddRow(void* rows, int32_t station, const EbhfSatz&, int32_t km) {
  Rows& r = *static_cast<Rows*>(rows);
  for (uint32_t v : {static_cast<uint32_t>(station), static_cast<uint32_t>(km)})
    for (int k = 0; k < 4; ++k) r.digest = (r.digest ^ ((v >> (8 * k)) & 0xFF)) * 1099511628211ull;
  ++r.count;
}

TEST(DataSynth, HundredsOfStationsWithinFiftyKilometres) {
  ASSERT_TRUE(testnetz::datensatzHochfahren(ZOLMA_SYNTH_DATA));

  // The node in the middle of the 33 x 33 grid (numbered row by row from 1).
  const int32_t origin = 16 * 33 + 16 + 1;
  Rows every, fast;
  g_failed = 0;
  EbFuenfzigKmListe({origin, kDay, &CountingRequest, &AddRow, &every});
  EbFuenfzigKmListe({origin, kDay, nullptr, &AddRow, &fast});
  EbGfEndeEntfernungsBerechnung();
  EXPECT_EQ(g_failed, 0);
  EXPECT_EQ(every.count, 466);
  EXPECT_EQ(every.digest, 5073405566155179925ull);
  EXPECT_EQ(fast.count, every.count);
  EXPECT_EQ(fast.digest, every.digest);
  const int rows = fast.count;
  RecordProperty("rows", rows);
}

}  // namespace
