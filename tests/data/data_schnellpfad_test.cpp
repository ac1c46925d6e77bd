// The fast paths of the lookups and of the kilometre computation against
// the plain searches, over the compiled networks: with the one switch off
// and on, every answer must be the same to the byte (result code, every
// kilometre field, route text, the segment list) and the 50 km lists must
// hold the same rows.
//
//   - the sample network: every request between all pairs of stations, with
//     route text, on days before and after its versions change;
//   - the synthetic network: the 50 km lists of 545, 12345 and random
//     origins, whole (with the stations the fast list leaves out) and every
//     answer of their requests, then random requests with vias.
//
// Under the sanitizer build (every request there runs many times slower)
// the synthetic network is walked from fewer origins and the sample network
// on one day only.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_index.h"
#include "common/dtacc/dm/dm_sten.h"
#include "engine/eb.h"
#include "engine/ebfuenfzig.h"
#include "tests/common/testnetz.h"

namespace {

using testnetz::kLangsam;

// The sample network's days: before and after its kilometre change, and
// after a station is withdrawn.
constexpr UtDayNumber kSampleTage[] = {16588, 16816, 17136};
constexpr UtDayNumber kTag = 16816;  // 2026-01-15

EbAnfrage Anfrage(int32_t von, int32_t nach, int32_t via1, int32_t via2, UtDayNumber tag,
                  char textFlag) {
  EbAnfrage a;
  EbAnfrageFuellen(&a, tag, von, nach, via1, via2, textFlag);
  return a;
}

// One answer as bytes: the code, the answer record and the segment list.
struct Antwort {
  int32_t code = 0;
  std::vector<unsigned char> bytes;
  bool operator==(const Antwort&) const = default;
};

Antwort Rechnen(EbAnfrage a, uint32_t flags) {
  EbErgebnis erg;
  EbAbschnitte abs;
  std::memset(&erg, 0, sizeof erg);
  std::memset(&abs, 0, sizeof abs);
  Antwort r;
  r.code = EbGfEntfernungsBerechnung(&erg, &abs, &a, flags);
  const auto* e = reinterpret_cast<const unsigned char*>(&erg);
  const auto* s = reinterpret_cast<const unsigned char*>(&abs);
  r.bytes.assign(e, e + sizeof erg);
  r.bytes.insert(r.bytes.end(), s, s + sizeof abs);
  return r;
}

// A 64-bit digest of an answer, for the long runs.
uint64_t Digest(const Antwort& a) {
  uint64_t h = 1469598103934665603ull ^ static_cast<uint32_t>(a.code);
  for (unsigned char c : a.bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

// The switch, set for one block and restored after it.
struct Schalter {
  explicit Schalter(bool an) { DbSetFastPaths(an); }
  ~Schalter() { DbSetFastPaths(true); }
};

// ---- the sample network ----------------------------------------------------

TEST(DataSchnellpfad, SampleAllePaareGleich) {
  ASSERT_TRUE(testnetz::datensatzHochfahren(ZOLMA_SAMPLE_DIR));
  std::vector<int32_t> bahnhoefe;
  for (int32_t n = 0; n <= 99999; ++n) {
    EbhfSatz e;
    if (DbGetEbhf(&e, kDbLand, static_cast<uint32_t>(n), kTag) == kDbFound) bahnhoefe.push_back(n);
  }
  ASSERT_GT(bahnhoefe.size(), 100u);
  int verglichen = 0, fehler = 0;
  for (UtDayNumber tag : kSampleTage) {
    if (kLangsam && tag != kTag) continue;
    // Each origin against every station, first plain, then fast; the fast
    // run sees the same origin repeated, as the 50 km list does.
    for (int32_t von : bahnhoefe) {
      std::vector<Antwort> ohne;
      {
        Schalter aus(false);
        for (int32_t nach : bahnhoefe)
          ohne.push_back(Rechnen(Anfrage(von, nach, 0, 0, tag, '1'), EB_FLAG_ABSCHNITTE));
      }
      std::size_t k = 0;
      for (int32_t nach : bahnhoefe) {
        Antwort mit = Rechnen(Anfrage(von, nach, 0, 0, tag, '1'), EB_FLAG_ABSCHNITTE);
        if (!(mit == ohne[k]))
          ADD_FAILURE() << "request " << von << " -> " << nach << " on day " << tag << ": code "
                        << mit.code << " fast, " << ohne[k].code << " plain";
        fehler += mit.code != 0;
        ++verglichen;
        ++k;
      }
    }
  }
  EXPECT_GT(verglichen, 10000);
  EXPECT_LT(fehler, verglichen) << "most requests have an answer";
  EbGfEndeEntfernungsBerechnung();
}

// ---- the synthetic network -------------------------------------------------

// The 50 km list, the engine's list operation: its rows in the order they
// are handed over, and, when every answer is wanted, the digest of every
// request's answer (a request function in the engine's place that notes
// each answer makes every station get its full request).
struct Liste {
  std::vector<uint64_t> antworten;
  std::vector<std::pair<int32_t, int32_t>> zeilen;
};

std::vector<uint64_t>* g_antworten = nullptr;

int32_t AntwortMerken(EbErgebnis* erg, EbAbschnitte* abs, EbAnfrage* a, uint32_t flags) {
  Antwort r;
  r.code = EbGfEntfernungsBerechnung(erg, abs, a, flags);
  const auto* b = reinterpret_cast<const unsigned char*>(erg);
  r.bytes.assign(b, b + sizeof *erg);
  g_antworten->push_back(Digest(r));
  return r.code;
}

void ZeileMerken(void* liste, int32_t bahnhof, const EbhfSatz&, int32_t km) {
  static_cast<Liste*>(liste)->zeilen.emplace_back(bahnhof, km);
}

Liste FuenfzigKm(int32_t abgang, bool antworten) {
  Liste l;
  g_antworten = &l.antworten;
  const EbFuenfzigKmAuftrag auftrag{abgang, kTag, antworten ? &AntwortMerken : nullptr,
                                    &ZeileMerken, &l};
  EbFuenfzigKmListe(auftrag);
  g_antworten = nullptr;
  return l;
}

TEST(DataSchnellpfad, SynthFuenfzigKmListenUndViasGleich) {
  ASSERT_TRUE(testnetz::datensatzHochfahren(ZOLMA_SYNTH_DATA));
  // The generated files keep their stored order: every index is built.
  EXPECT_TRUE(DbIndexReady(&DbEbhfTab));
  EXPECT_TRUE(DbIndexReady(&DbStenTab));
  EXPECT_TRUE(DbIndexReady(&DbGrenTab));
  std::vector<int32_t> bahnhoefe;
  for (int32_t n = 0; n <= 99999; ++n) {
    EbhfSatz e;
    if (DbGetEbhf(&e, kDbLand, static_cast<uint32_t>(n), kTag) == kDbFound) bahnhoefe.push_back(n);
  }
  ASSERT_GT(bahnhoefe.size(), 10000u);
  std::mt19937 rnd(20251214);
  auto irgendeiner = [&] {
    return bahnhoefe[std::uniform_int_distribution<std::size_t>(0, bahnhoefe.size() - 1)(rnd)];
  };

  // The middle node station of the grid and an ordinary station first, then
  // random origins.
  std::vector<int32_t> abgaenge = {545, 12345};
  const std::size_t anzahl = kLangsam ? 3 : 50;
  while (abgaenge.size() < anzahl) abgaenge.push_back(irgendeiner());
  std::size_t zeilen = 0;
  for (int32_t abgang : abgaenge) {
    SCOPED_TRACE(testing::Message() << "origin " << abgang);
    Liste ohne;
    {
      Schalter aus(false);
      ohne = FuenfzigKm(abgang, true);
    }
    // The whole list, with and without the fast paths, and every answer.
    Liste mit = FuenfzigKm(abgang, false);
    EXPECT_EQ(mit.zeilen, ohne.zeilen);
    mit = FuenfzigKm(abgang, true);
    ASSERT_EQ(mit.antworten.size(), ohne.antworten.size());
    for (std::size_t k = 0; k < mit.antworten.size(); ++k)
      if (mit.antworten[k] != ohne.antworten[k]) {
        ADD_FAILURE() << "answer " << k << " of the list differs";
        break;
      }
    EXPECT_EQ(mit.zeilen, ohne.zeilen);
    zeilen += mit.zeilen.size();
  }
  EXPECT_GT(zeilen, 100u);

  // Random requests with one or two vias, each asked plain and fast in turn
  // and then once more fast, so that the store answers the repeats.
  const int anfragen = kLangsam ? 200 : 3000;
  int ok = 0;
  for (int i = 0; i < anfragen; ++i) {
    const int32_t von = irgendeiner();
    const int32_t nach = irgendeiner();
    const int32_t via1 = irgendeiner();
    const int32_t via2 = (i % 2) ? irgendeiner() : 0;
    EbAnfrage a = Anfrage(von, nach, via1, via2, kTag, '1');
    Antwort ohne;
    {
      Schalter aus(false);
      ohne = Rechnen(a, EB_FLAG_ABSCHNITTE);
    }
    Antwort mit = Rechnen(a, EB_FLAG_ABSCHNITTE);
    Antwort nochmal = Rechnen(a, EB_FLAG_ABSCHNITTE);
    EXPECT_TRUE(mit == ohne) << von << " -> " << nach << " via " << via1 << ", " << via2;
    EXPECT_TRUE(nochmal == ohne) << von << " -> " << nach << " via " << via1 << ", " << via2;
    ok += ohne.code == 0;
  }
  EXPECT_GT(ok, anfragen / 2) << "most random requests have an answer";
  EbGfEndeEntfernungsBerechnung();
}

}  // namespace
