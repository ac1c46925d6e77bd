// Known distances of the sample data set, computed by the distance engine
// over the compiled files, as the main dialog asks for them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/eb.h"
#include "tests/common/testnetz.h"

namespace {

// Day numbers (days since 1.1.1980) on either side of the kilometre change
// of 14.12.2025 between Hirschaid and Strullendorf.
constexpr UtDayNumber kBefore = 16588;  // 2025-06-01
constexpr UtDayNumber kAfter = 16816;   // 2026-01-15
// Hartershofen is withdrawn from 14.6.2026 on.
constexpr UtDayNumber kLater = 17136;  // 2026-12-01

// Station numbers of the description in data/sample.
enum : int32_t {
  kNuernberg = 1001,
  kFuerth = 1002,
  kErlangen = 1003,
  kBamberg = 1005,
  kWuerzburg = 1024,
  kVach = 2101,
  kEltersdorf = 2102,
  kErlangenBruck = 2103,
  kBubenreuth = 2104,
  kZapfendorf = 3107,
  kLudwigsstadt = 4113,
  kProbstzella = 4114,
  kPleinfeld = 8105,
  kSchwabach = 8116,
  kHartershofen = 9115,
};

class DataEngine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(testnetz::datensatzHochfahren(ZOLMA_SAMPLE_DIR)); }
  static void TearDownTestSuite() { EbGfEndeEntfernungsBerechnung(); }

  // The request of the main dialog, on a given day.
  static int32_t Request(int32_t from, int32_t to, UtDayNumber day, EbErgebnis* out,
                         int32_t via1 = 0) {
    EbAnfrage a;
    EbAnfrageFuellen(&a, day, from, to, via1, 0, '1');
    EbAbschnitte segments;
    std::memset(&segments, 0, sizeof segments);
    return EbGfEntfernungsBerechnung(out, &segments, &a, 0);
  }
};

TEST_F(DataEngine, KnownDistances) {
  struct Case {
    const char* what;
    int32_t from, to, via;
    UtDayNumber day;
    uint32_t km1, km2;
  };
  const Case cases[] = {
      {"two neighbouring node stations", kNuernberg, kFuerth, 0, kAfter, 7, 0},
      {"node to node before the change", kNuernberg, kBamberg, 0, kBefore, 62, 0},
      {"node to node after the change", kNuernberg, kBamberg, 0, kAfter, 61, 0},
      {"the same with a via", kNuernberg, kBamberg, kErlangen, kBefore, 62, 0},
      {"node to node over a third node", kErlangen, kWuerzburg, 0, kAfter, 105, 0},
      {"neighbours of one area", kVach, kEltersdorf, 0, kAfter, 4, 0},
      {"two stations of one stretch", kVach, kErlangenBruck, 0, kAfter, 8, 0},
      {"through a node of the area", kSchwabach, kPleinfeld, 0, kAfter, 25, 0},
      {"two areas over two nodes", kBubenreuth, kZapfendorf, 0, kBefore, 50, 0},
      {"two areas after the change", kZapfendorf, kBubenreuth, 0, kAfter, 49, 0},
      {"kilometres of the second part", kLudwigsstadt, kProbstzella, 0, kAfter, 0, 8},
  };
  for (const Case& c : cases) {
    EbErgebnis r;
    ASSERT_EQ(Request(c.from, c.to, c.day, &r, c.via), 0) << c.what;
    EXPECT_EQ(r.hin.kmWz, c.km1) << c.what;
    EXPECT_EQ(r.hin.kmDr, c.km2) << c.what;
    EXPECT_EQ(r.hin.kmWzVxt + r.hin.kmDrVxt, 0u) << c.what;
  }
}

TEST_F(DataEngine, WithdrawnStationIsUnknownFromItsDay) {
  EbErgebnis r;
  EXPECT_EQ(Request(kHartershofen, kWuerzburg, kBefore, &r), 0);
  EXPECT_EQ(Request(kHartershofen, kWuerzburg, kLater, &r), 1101);
  EXPECT_EQ(Request(kWuerzburg, kHartershofen, kLater, &r), 1101);
}

TEST_F(DataEngine, RouteTextCarriesTheRouteDescriptions) {
  struct Case {
    int32_t from, to;
    const char* text;
  };
  const Case cases[] = {
      // A typed description between neighbouring node stations.
      {kBubenreuth, kZapfendorf, "*Forchheim*Hirschaid*Bamberg"},
      // One derived for a node pair over a further node; its first part is
      // the origin itself and is left out.
      {kNuernberg, kBubenreuth, "*F\x81rth*Vach*Erlangen"},
      // The same two descriptions read against the direction they were
      // written in (the GREN flag letter turns them round).
      {kZapfendorf, kBubenreuth, "*Bamberg*Hirschaid*Forchheim"},
      {kBubenreuth, kNuernberg, "*Erlangen*Vach*F\x81rth"},
      // A node pair whose joined descriptions do not fit: the names of the
      // nodes passed, as many as fit, the ends always kept.
      {kNuernberg, kBamberg, "*F\x81rth*Forchheim"},
  };
  for (const Case& c : cases) {
    EbErgebnis r;
    ASSERT_EQ(Request(c.from, c.to, kBefore, &r), 0);
    std::string text(r.hin.wegetext, sizeof r.hin.wegetext);
    text = text.substr(0, text.find_last_not_of(' ') + 1);
    EXPECT_EQ(text, c.text);
  }
}

}  // namespace
