// The 50 km list at the large end and on days with dated records: whole
// lists with the fast paths on (the walk over the station table, the
// shortcut, the node-list store) against the fast paths off (every station
// number looked up, every station its full request), row by row.
//
//   - a network of grid 45 (37,665 stations, more than a store of 32,768
//     places held): lists from the centre node, an ordinary station beside
//     it, a corner node, an ordinary station on the edge and random
//     origins; the list's own requests made twice, the second time with
//     every node list from the store;
//   - the sample network: the list of every station on the days before and
//     after its kilometre change and after a station is withdrawn, and a
//     list without memory for the node-list store.
//
// Under the sanitizer build (every request there runs many times slower)
// fewer origins are listed.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fastpath.h"
#include "engine/eb.h"
#include "engine/ebfuenfzig.h"
#include "engine/ebkm.h"
#include "engine/ebknotenspeicher.h"
#include "support/utfault.h"
#include "support/utname.h"
#include "tests/common/testnetz.h"

namespace {

using testnetz::kLangsam;

constexpr UtDayNumber kTag = 16816;  // 2026-01-15
// The sample network's days: before and after its kilometre change, and
// after a station is withdrawn.
constexpr UtDayNumber kSampleTage[] = {16588, 16816, 17136};


using Zeilen = std::vector<std::pair<std::int32_t, std::int32_t>>;

void Merken(void* z, std::int32_t bahnhof, const EbhfSatz& s, std::int32_t km) {
  EXPECT_EQ(s.station, static_cast<std::uint32_t>(bahnhof));
  static_cast<Zeilen*>(z)->emplace_back(bahnhof, km);
}

// Every station's full request: the engine's own, from outside the list.
std::int32_t Anfrage(EbErgebnis* e, EbAbschnitte* a, EbAnfrage* r, std::uint32_t f) {
  return EbGfEntfernungsBerechnung(e, a, r, f);
}

Zeilen Liste(std::int32_t abgang, UtDayNumber tag, bool schnell, EbListenAnfrageFn anfrage,
             EbFuenfzigKmBericht* bericht = nullptr) {
  Zeilen z;
  DbSetFastPaths(schnell);
  const EbFuenfzigKmAuftrag auftrag{abgang, tag, anfrage, &Merken, &z};
  EbFuenfzigKmListe(auftrag, bericht);
  DbSetFastPaths(true);
  return z;
}

std::vector<std::int32_t> Bahnhoefe(UtDayNumber tag) {
  std::vector<std::int32_t> v;
  for (std::int32_t n = 0; n <= 99999; ++n) {
    EbhfSatz e;
    if (DbGetEbhf(&e, kDbLand, static_cast<std::uint32_t>(n), tag) == kDbFound) v.push_back(n);
  }
  return v;
}

TEST(DataFuenfzigGross, Grid45ListenGleich) {
  ASSERT_TRUE(testnetz::datensatzHochfahren(ZOLMA_GRID45_DATA));
  ASSERT_TRUE(DbEbhfWalkReady(kDbLand)) << "the generated station table is in order";
  const std::vector<std::int32_t> bahnhoefe = Bahnhoefe(kTag);
  ASSERT_EQ(bahnhoefe.size(), 37665u);

  // The centre node, a corner node, the first ordinary station (node 1's
  // neighbour, on the edge), the middle of the ordinary stations' numbers,
  // then random origins.
  std::vector<std::int32_t> abgaenge = {22 * 45 + 22 + 1, 1, 2026, 2026 + 35640 / 2};
  std::mt19937 rnd(45);
  const std::size_t anzahl = kLangsam ? 4 : 10;
  while (abgaenge.size() < anzahl)
    abgaenge.push_back(
        bahnhoefe[std::uniform_int_distribution<std::size_t>(0, bahnhoefe.size() - 1)(rnd)]);
  std::size_t zeilen = 0;
  for (std::int32_t abgang : abgaenge) {
    SCOPED_TRACE(testing::Message() << "origin " << abgang);
    const Zeilen ohne = Liste(abgang, kTag, false, nullptr);
    EbFuenfzigKmBericht b{0, 0, 0};
    const Zeilen mit = Liste(abgang, kTag, true, nullptr, &b);
    EXPECT_EQ(mit, ohne);
    EXPECT_GT(b.ausgelassen, 30000) << "far stations are left out without a request";
    EXPECT_EQ(b.zeilen, static_cast<std::int32_t>(mit.size()));
    zeilen += mit.size();
  }
  EXPECT_GT(zeilen, 400u * abgaenge.size() / 2);

  // Every station's request from one origin, twice: the second time every
  // node list comes from the store (none falls out of it), and the rows
  // are those of the plain list.
  const std::int32_t abgang = abgaenge[0];
  const Zeilen ohne = Liste(abgang, kTag, false, nullptr);
  EXPECT_EQ(Liste(abgang, kTag, true, &Anfrage), ohne);
  const std::uint32_t geladen = EbKnotenLadeZaehler();
  const std::uint32_t treffer = EbKnotenSpeicherTreffer();
  EXPECT_EQ(Liste(abgang, kTag, true, &Anfrage), ohne);
  EXPECT_GT(EbKnotenLadeZaehler() - geladen, 30000u);
  EXPECT_EQ(EbKnotenLadeZaehler() - geladen, EbKnotenSpeicherTreffer() - treffer)
      << "node lists built again";
  EbGfEndeEntfernungsBerechnung();
}

TEST(DataFuenfzigGross, SampleListenAnDatiertenTagen) {
  ASSERT_TRUE(testnetz::datensatzHochfahren(ZOLMA_SAMPLE_DIR));
  int listen = 0, zeilen = 0;
  for (UtDayNumber tag : kSampleTage) {
    const std::vector<std::int32_t> bahnhoefe = Bahnhoefe(tag);
    ASSERT_GT(bahnhoefe.size(), 100u);
    for (std::size_t k = 0; k < bahnhoefe.size(); k += kLangsam ? 12 : 1) {
      const std::int32_t abgang = bahnhoefe[k];
      const Zeilen ohne = Liste(abgang, tag, false, nullptr);
      EXPECT_EQ(Liste(abgang, tag, true, nullptr), ohne) << "origin " << abgang << " day " << tag;
      EXPECT_EQ(Liste(abgang, tag, true, &Anfrage), ohne) << "origin " << abgang << " day " << tag;
      ++listen;
      zeilen += static_cast<int>(ohne.size());
    }
  }
  EXPECT_GT(zeilen, listen * 5) << "most lists have rows";
  EbGfEndeEntfernungsBerechnung();
}

// Without memory for the node-list store every node list is built, and the
// lists stay the same.
TEST(DataFuenfzigGross, OhneSpeicherDieselbenListen) {
  ASSERT_TRUE(testnetz::datensatzHochfahren(ZOLMA_SAMPLE_DIR));
  const std::int32_t abgang = 1001;
  const Zeilen ohne = Liste(abgang, kTag, false, nullptr);
  ASSERT_FALSE(ohne.empty());
  EbKnotenSpeicherLeeren();
  UtFaultFailAllocAfter(kUtFaultEbSpeicher, 0);
  const std::uint32_t treffer = EbKnotenSpeicherTreffer();
  EXPECT_EQ(Liste(abgang, kTag, true, &Anfrage), ohne);
  EXPECT_EQ(Liste(abgang, kTag, true, &Anfrage), ohne);
  EXPECT_EQ(EbKnotenSpeicherTreffer(), treffer) << "no store, no list from it";
  UtFaultFailAllocAfter(kUtFaultEbSpeicher, -1);
  EbKnotenSpeicherLeeren();
  EXPECT_EQ(Liste(abgang, kTag, true, &Anfrage), ohne);
  EXPECT_EQ(Liste(abgang, kTag, true, &Anfrage), ohne);
  EXPECT_GT(EbKnotenSpeicherTreffer(), treffer) << "with memory the store answers again";
  EbGfEndeEntfernungsBerechnung();
}

}  // namespace
