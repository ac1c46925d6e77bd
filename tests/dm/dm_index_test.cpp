// The direct station indexes of EBHF, STEN and GREN against the binary
// search: with the fast-path switch on and off every lookup gives the same
// result and the same record, over files with several countries, versions
// and withdrawn records, a station number beyond the index's reach, files
// whose stored order is broken (no index: the search answers), and a table
// loaded anew with other contents. Beside the lookups: the station walk of
// EBHF against a lookup of every number, STEN's partners against every
// pair, a GREN row against its pairs, TDRG's nodes of an area against its
// records, and an index whose memory fails.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_index.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "support/utfault.h"
#include "tests/dm/dm_fixture.h"

namespace {

using dmtest::Put;
using dmtest::UnloadAll;

dmw::EbhfRecord Station(std::uint16_t country, std::uint32_t nr, std::uint16_t ab = 0,
                        bool withdrawn = false, std::uint16_t area = 1) {
  dmw::EbhfRecord r;
  r.country = country;
  r.station_number = nr;
  r.valid_from = ab;
  r.withdrawn = withdrawn;
  r.station_name = "Bf " + std::to_string(nr) + "/" + std::to_string(ab);
  r.second_name = "B" + std::to_string(nr);
  r.further_name = "X";
  r.tariff_area = area;
  r.flag_chars = "   ";
  r.flag_letters = "              ";
  return r;
}

// Stations of three countries, with versions (newest first per key) and a
// station beyond a million, which the index does not reach.
std::vector<dmw::EbhfRecord> Stationen(std::uint16_t area = 1) {
  std::vector<dmw::EbhfRecord> v;
  for (std::uint32_t nr : {1u, 5u, 6u, 200u}) v.push_back(Station(79, nr, 0, false, area));
  for (std::uint32_t nr = 0; nr < 60; nr += 3) v.push_back(Station(80, nr, 0, false, area));
  v.push_back(Station(80, 7, 100, false, area));
  v.push_back(Station(80, 7, 50, true, area));
  v.push_back(Station(80, 7, 10, false, area));
  v.push_back(Station(80, 8, 100, true, area));
  v.push_back(Station(80, 2000000, 0, false, area));
  v.push_back(Station(81, 3, 0, false, area));
  return v;
}

// Every key asked on several days with the switch off and on: the same
// result and the same record, also from the lookup without the copy.
void EbhfGleich(const char* was) {
  SCOPED_TRACE(was);
  int gefunden = 0;
  for (std::uint16_t country : {78, 79, 80, 81, 82})
    for (std::uint32_t nr :
         {0u, 1u, 2u, 3u, 5u, 6u, 7u, 8u, 9u, 57u, 58u, 60u, 200u, 999999u, 2000000u, 2000001u})
      for (UtDayNumber day : {0, 9, 10, 49, 50, 99, 100, 500}) {
        EbhfSatz ohne{}, mit{};
        std::memset(&ohne, 0x5A, sizeof ohne);
        std::memset(&mit, 0x5A, sizeof mit);
        DbSetFastPaths(false);
        const DbLookupResult r0 = DbGetEbhf(&ohne, country, nr, day);
        DbSetFastPaths(true);
        // Twice: the second time from the decoded records kept.
        for (int k = 0; k < 2; ++k) {
          const DbLookupResult r1 = DbGetEbhf(&mit, country, nr, day);
          ASSERT_EQ(r1, r0) << country << "/" << nr << " day " << day;
          ASSERT_EQ(std::memcmp(&mit, &ohne, sizeof mit), 0)
              << country << "/" << nr << " day " << day;
        }
        // The lookup without the copy: the same result and record.
        EbhfSatz puffer{};
        DbLookupResult r2 = kDbBadArgs;
        const EbhfSatz* ref = DbGetEbhfRef(&puffer, country, nr, day, &r2);
        ASSERT_EQ(r2, r0) << country << "/" << nr << " day " << day;
        ASSERT_EQ(ref != nullptr, r0 == kDbFound);
        if (ref) {
          ASSERT_EQ(std::memcmp(ref, &ohne, sizeof ohne), 0) << country << "/" << nr;
        }
        gefunden += r0 == kDbFound;
      }
  EXPECT_GT(gefunden, 50);
}

// STEN pairs of odd stations below 30 with stations up to 40, some with a
// newer version from day 100 (withdrawn for every other station a).
std::vector<dmw::StenPair> StenGitter() {
  std::vector<dmw::StenPair> paare;
  for (std::uint32_t a = 1; a < 30; a += 2)
    for (std::uint32_t b = a + 1; b < 40; b += 5) {
      dmw::StenPair p;
      p.station_a = a;
      p.station_b = b;
      p.km_part1 = static_cast<std::uint16_t>(a + b);
      paare.push_back(p);
      if (b % 3 == 0) {
        p.valid_from = 100;
        p.km_part1 = static_cast<std::uint16_t>(a * b);
        p.withdrawn = (a % 4 == 1);
        paare.push_back(p);
      }
    }
  return paare;
}

class DmIndex : public dmtest::DmTest {
 protected:
  void TearDown() override {
    DbSetFastPaths(true);
    UnloadAll(&DbStenTab);
    UnloadAll(&DbGrenTab);
    dmtest::DmTest::TearDown();
  }
};

TEST_F(DmIndex, EbhfGleichMitUndOhneIndex) {
  Put("EBHF", dmw::ebhfFile(Stationen()));
  ASSERT_EQ(dmtest::Load(&DbEbhfTab).code, 0);
  EXPECT_TRUE(DbIndexReady(&DbEbhfTab));
  EbhfGleich("ordered");
  // The station beyond the index's reach is still found, by the search.
  EbhfSatz s;
  EXPECT_EQ(DbGetEbhf(&s, 80, 2000000, 0), kDbFound);
  EXPECT_EQ(s.station, 2000000u);
}

TEST_F(DmIndex, EbhfUngeordnetOhneIndex) {
  // Two records of country 80 swapped in the stored block: the order does
  // not hold, no index is built, and every lookup searches as before.
  dmw::DataFile f = dmw::ebhfFile(Stationen());
  dmw::Bytes& d = f.blocks.at(0).data;
  const std::size_t a = 6 * kEbhfRecLen;
  const std::size_t b = 9 * kEbhfRecLen;
  ASSERT_LE(b + kEbhfRecLen, d.size());
  for (std::size_t k = 0; k < static_cast<std::size_t>(kEbhfRecLen); ++k)
    std::swap(d[a + k], d[b + k]);
  Put("EBHF", f);
  ASSERT_EQ(dmtest::Load(&DbEbhfTab).code, 0);
  EXPECT_FALSE(DbIndexReady(&DbEbhfTab));
  EbhfGleich("unordered");
}

TEST_F(DmIndex, EbhfNeuGeladenFolgtDerNeuenDatei) {
  Put("EBHF", dmw::ebhfFile(Stationen(1)));
  ASSERT_EQ(dmtest::Load(&DbEbhfTab).code, 0);
  EbhfSatz s;
  ASSERT_EQ(DbGetEbhf(&s, 80, 9, 0), kDbFound);
  EXPECT_EQ(s.tariffArea, 1);
  DbUnloadTab(&DbEbhfTab);
  EXPECT_FALSE(DbIndexReady(&DbEbhfTab));
  EXPECT_EQ(DbGetEbhf(&s, 80, 9, 0), kDbNotLoaded);
  Put("EBHF", dmw::ebhfFile(Stationen(4)));
  ASSERT_EQ(dmtest::Load(&DbEbhfTab).code, 0);
  EXPECT_TRUE(DbIndexReady(&DbEbhfTab));
  ASSERT_EQ(DbGetEbhf(&s, 80, 9, 0), kDbFound);
  EXPECT_EQ(s.tariffArea, 4);
  EbhfGleich("reloaded");
}

TEST_F(DmIndex, StenUndGrenGleichMitUndOhneIndex) {
  // STEN pairs with versions and a withdrawn one, the index block stored in
  // descending order (the lookups go through it); GREN nodes.
  std::vector<dmw::StenPair> paare = StenGitter();
  // Station 2 with a long run of pairs, some with two versions: the search
  // that starts from where it ended before.
  for (std::uint32_t b = 50; b < 400; b += 3) {
    dmw::StenPair p;
    p.station_a = 2;
    p.station_b = b;
    p.km_part1 = static_cast<std::uint16_t>(b);
    paare.push_back(p);
    if (b % 7 == 0) {
      p.valid_from = 100;
      p.km_part1 = static_cast<std::uint16_t>(b + 1);
      paare.push_back(p);
    }
  }
  dmw::StenOptions so;
  so.ibnr_order = dmw::IndexOrder::Descending;
  Put("STEN", dmw::stenFile(paare, so));
  DbInitSten();
  ASSERT_EQ(dmtest::Load(&DbStenTab).code, 0);
  EXPECT_TRUE(DbIndexReady(&DbStenTab));
  const std::vector<std::uint32_t> knoten = {3, 9, 27, 81, 1500000};
  std::vector<dmw::GrenPair> gp;
  Put("GREN", dmw::grenFile(knoten, gp));
  DbInitGren();
  ASSERT_EQ(dmtest::Load(&DbGrenTab).code, 0);
  EXPECT_TRUE(DbIndexReady(&DbGrenTab));

  int gefunden = 0;
  for (UtDayNumber day : {0, 99, 100, 200}) {
    EbKmStichtag = day;
    for (std::uint32_t a = 0; a < 45; ++a)
      for (std::uint32_t b = 0; b < 45; ++b) {
        StenSatz ohne{}, mit{};
        DbSetFastPaths(false);
        const DbLookupResult r0 = DbGetSten(&ohne, a, b);
        DbSetFastPaths(true);
        // Twice: the second time from the pairs kept.
        for (int k = 0; k < 2; ++k) {
          const DbLookupResult r1 = DbGetSten(&mit, a, b);
          ASSERT_EQ(r1, r0) << a << "-" << b << " day " << day;
          ASSERT_EQ(std::memcmp(&mit, &ohne, sizeof mit), 0) << a << "-" << b << " day " << day;
        }
        gefunden += r0 == kDbFound;
      }
  }
  EXPECT_GT(gefunden, 100);
  // The long run asked upwards, downwards and in a scattered order.
  std::vector<std::uint32_t> folge;
  for (std::uint32_t b = 0; b < 420; ++b) folge.push_back(b);
  for (std::uint32_t b = 420; b-- > 0;) folge.push_back(b);
  for (std::uint32_t k = 0; k < 2000; ++k) folge.push_back((k * 7919u) % 433u);
  int lang = 0;
  for (UtDayNumber day : {0, 100}) {
    EbKmStichtag = day;
    for (std::uint32_t b : folge) {
      StenSatz ohne{}, mit{};
      DbSetFastPaths(false);
      const DbLookupResult r0 = DbGetSten(&ohne, 2, b);
      DbSetFastPaths(true);
      const DbLookupResult r1 = DbGetSten(&mit, b, 2);
      ASSERT_EQ(r1, r0) << "2-" << b << " day " << day;
      ASSERT_EQ(std::memcmp(&mit, &ohne, sizeof mit), 0) << "2-" << b << " day " << day;
      lang += r0 == kDbFound;
    }
  }
  EXPECT_GT(lang, 1000);
  for (std::uint32_t s : {0u, 3u, 4u, 9u, 27u, 81u, 82u, 999u, 1500000u, 1500001u}) {
    DbSetFastPaths(false);
    const int32_t ohne = DbFindGrenIbnr(s);
    DbSetFastPaths(true);
    EXPECT_EQ(DbFindGrenIbnr(s), ohne) << s;
  }
  EXPECT_EQ(DbFindGrenIbnr(1500000), 4);
}

// The walk over country 80 on every day a version begins or ends: the
// stations and records that a lookup of every number finds, in ascending
// order, withdrawn and not yet valid records included.
TEST_F(DmIndex, EbhfWalkGleichDenLookups) {
  std::vector<dmw::EbhfRecord> v = Stationen();
  // More versions: a station valid only from day 60, one withdrawn from 30
  // and valid again from 70, one whose only record is withdrawn.
  v.push_back(Station(80, 61, 60));
  v.push_back(Station(80, 62, 70));
  v.push_back(Station(80, 62, 30, true));
  v.push_back(Station(80, 62, 0));
  v.push_back(Station(80, 63, 0, true));
  Put("EBHF", dmw::ebhfFile(v));
  ASSERT_EQ(dmtest::Load(&DbEbhfTab).code, 0);
  ASSERT_TRUE(DbEbhfWalkReady(80));
  EXPECT_FALSE(DbEbhfWalkReady(79));
  for (UtDayNumber day : {0, 9, 10, 29, 30, 49, 50, 59, 60, 69, 70, 99, 100, 500}) {
    SCOPED_TRACE(testing::Message() << "day " << day);
    std::vector<std::pair<std::uint32_t, std::vector<unsigned char>>> probe, walk;
    std::vector<std::uint32_t> nummern(101);
    for (std::uint32_t nr = 0; nr <= 100; ++nr) nummern[nr] = nr;
    nummern.push_back(2000000);
    for (std::uint32_t nr : nummern) {
      EbhfSatz e;
      if (DbGetEbhf(&e, 80, nr, day) != kDbFound) continue;
      const auto* b = reinterpret_cast<const unsigned char*>(&e);
      probe.emplace_back(nr, std::vector<unsigned char>(b, b + sizeof e));
    }
    std::int32_t pos = 0, satz = -1;
    while (const DbEbhfKurz* k = DbEbhfWalkNext(day, &pos, &satz)) {
      EbhfSatz puffer;
      const EbhfSatz* e = DbEbhfRecordAt(satz, &puffer);
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->station, k->station);
      EXPECT_EQ(e->validFrom, k->validFrom);
      EXPECT_EQ(e->tariffArea, k->tariffArea);
      EXPECT_EQ(e->letters[kEbhfLetterKind], k->kind);
      const auto* b = reinterpret_cast<const unsigned char*>(e);
      walk.emplace_back(k->station, std::vector<unsigned char>(b, b + sizeof *e));
    }
    EXPECT_EQ(walk, probe);
  }
  EXPECT_EQ(DbEbhfHighestStation(), 2000000u);
  // Switched off, or over a table out of order, there is no walk.
  DbSetFastPaths(false);
  EXPECT_FALSE(DbEbhfWalkReady(80));
  DbSetFastPaths(true);
  EXPECT_TRUE(DbEbhfWalkReady(80));
}

// STEN's partners of every station against a scan of every pair, GREN's row
// of every node against its pair lookups on days of its history, and TDRG's
// node stations of an area against its records.
TEST_F(DmIndex, PartnerZeileUndGebietsknoten) {
  const std::vector<dmw::StenPair> paare = StenGitter();
  Put("STEN", dmw::stenFile(paare));
  DbInitSten();
  ASSERT_EQ(dmtest::Load(&DbStenTab).code, 0);
  for (std::uint32_t s = 0; s < 45; ++s) {
    std::vector<std::uint32_t> oben, unten;
    for (const dmw::StenPair& p : paare) {
      if (p.station_a == s) oben.push_back(p.station_b);
      if (p.station_b == s) unten.push_back(p.station_a);
    }
    DbStenPartner pt;
    ASSERT_TRUE(DbStenPartners(s, &pt));
    EXPECT_EQ(std::vector<std::uint32_t>(pt.oben, pt.oben + pt.obenAnzahl), oben) << s;
    EXPECT_EQ(std::vector<std::uint32_t>(pt.unten, pt.unten + pt.untenAnzahl), unten) << s;
  }
  DbSetFastPaths(false);
  DbStenPartner pt;
  EXPECT_FALSE(DbStenPartners(3, &pt));
  DbSetFastPaths(true);

  // GREN: four nodes; the pair (3, 27) with a newer version from day 100
  // and an older one, (9, 81) withdrawn from day 50, the rest plain.
  const std::vector<std::uint32_t> knoten = {3, 9, 27, 81};
  std::vector<dmw::GrenPair> gp;
  for (std::size_t i = 0; i < knoten.size(); ++i)
    for (std::size_t j = i + 1; j < knoten.size(); ++j) {
      dmw::GrenPair p;
      p.station_a = knoten[i];
      p.station_b = knoten[j];
      p.km_part1 = static_cast<std::uint16_t>(10 * i + j);
      p.km_part2 = 1;
      gp.push_back(p);
    }
  dmw::GrenPair neu = gp[1];  // (3, 27)
  neu.valid_from = 100;
  neu.km_part1 = 77;
  gp.push_back(neu);
  dmw::GrenPair weg = gp[4];  // (9, 81)
  weg.valid_from = 50;
  weg.withdrawn = true;
  gp.push_back(weg);
  Put("GREN", dmw::grenFile(knoten, gp));
  DbInitGren();
  ASSERT_EQ(dmtest::Load(&DbGrenTab).code, 0);
  constexpr std::uint32_t kKeine = 0xFFFFFFFFu;
  for (UtDayNumber day : {0, 49, 50, 99, 100}) {
    EbKmStichtag = day;
    for (std::uint32_t von : knoten) {
      std::uint32_t km[4];
      ASSERT_TRUE(DbGrenZeile(von, km, 4, kKeine));
      for (std::size_t m = 0; m < knoten.size(); ++m) {
        GrenSatz g;
        const std::uint32_t soll = DbGetGren(von, &g, knoten[m]) == kDbFound
                                       ? static_cast<std::uint32_t>(g.kmPart1) + g.kmPart2
                                       : kKeine;
        EXPECT_EQ(km[m], soll) << von << "-" << knoten[m] << " day " << day;
      }
    }
  }
  EbKmStichtag = 0;
  std::uint32_t km[4];
  EXPECT_FALSE(DbGrenZeile(4, km, 4, kKeine)) << "no node station";
  EXPECT_FALSE(DbGrenZeile(3, km, 3, kKeine)) << "a row of another length";

  // TDRG: every record's node station of the area, withdrawn ones too.
  std::vector<dmw::TdrgEntry> td = {{2, 27, 0, false}, {1, 3, 0, false},  {1, 9, 100, false},
                                    {1, 9, 0, true},   {1, 81, 0, false}, {4, 3, 0, false}};
  Put("TDRG", dmw::tdrgFile(td));
  DbInitTdrg();
  ASSERT_EQ(dmtest::Load(&DbTdrgTab).code, 0);
  std::uint32_t nodes[8];
  ASSERT_EQ(DbTdrgAreaNodes(1, nodes, 8), 4);
  EXPECT_EQ(std::vector<std::uint32_t>(nodes, nodes + 4),
            (std::vector<std::uint32_t>{3, 9, 9, 81}));
  EXPECT_EQ(DbTdrgAreaNodes(3, nodes, 8), 0);
  EXPECT_EQ(DbTdrgAreaNodes(1, nodes, 3), -1) << "more records than room";
  UnloadAll(&DbTdrgTab);
  EXPECT_EQ(DbTdrgAreaNodes(1, nodes, 8), -1);
}

// Memory of an index that fails, at each of its allocations in turn: the
// table is loaded without that part of its index, and every lookup answers
// as the search does.
TEST_F(DmIndex, IndexOhneSpeicherSucht) {
  Put("EBHF", dmw::ebhfFile(Stationen()));
  int ohneIndex = 0, ohneWalk = 0;
  for (int n = 0; n < 6; ++n) {
    SCOPED_TRACE(testing::Message() << "allocation " << n << " fails");
    UtFaultFailAllocAfter(kUtFaultDbIndex, n);
    ASSERT_EQ(dmtest::Load(&DbEbhfTab).code, 0);
    UtFaultFailAllocAfter(kUtFaultDbIndex, -1);
    ohneIndex += !DbIndexReady(&DbEbhfTab);
    ohneWalk += !DbEbhfWalkReady(80);
    EbhfGleich("without memory");
    UnloadAll(&DbEbhfTab);
  }
  EXPECT_EQ(ohneIndex, 1) << "the first allocation leaves the table without index";
  EXPECT_EQ(ohneWalk, 2) << "so does the summary's: no walk";
}

}  // namespace
