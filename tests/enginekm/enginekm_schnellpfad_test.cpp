// The fast paths of the kilometre computation (station indexes, node-list
// store, kilometre rows) against the plain searches over small fixture
// networks, where the failures are: a missing GREN pair (1105), a missing
// STEN pair (1107), an area without usable node stations (1406) or with too
// many (1408), on days with and without versions, and after the tables are
// loaded anew with other contents. Every leg and every request runs in the
// same order with the one switch off and then twice with it on (the second
// time the store and the rows answer); code, message and parameters,
// kilometres and segments must be the same each time.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_index.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "engine/ebfuenfzig.h"
#include "engine/ebkm.h"
#include "engine/ebknotenspeicher.h"
#include "engine/ebsuche.h"
#include "tests/enginekm/ekm_netz.h"

namespace ekm {
namespace {

constexpr std::int32_t K7 = 7000, K8 = 8000;

// The base network (its kilometres 11-K1 and K1-K2 lengthened by
// kmZuschlag), with versions from kTag + 1: a second node of area 1, new
// kilometres 11-K1 and K1-K2. Area 7: 71 over K7, which GREN does not pair
// with K1 or K2 (1105). Area 8: 81 over K8 without STEN pair (1107). Area 9
// without node (1406), area 10 with eleven (1408). Station 0 of area 1.
Netz fehlerNetz(std::uint16_t kmZuschlag = 0) {
  Netz n = basisNetz(kmZuschlag);
  n.station(0, 1);
  n.gebietKnoten(1, K2, kTag + 1);
  n.linie(0, K1, 2);
  n.linie(0, K2, 40);
  n.linie(11, K1, 9, 0, 'N', 'N', 'N', kTag + 1);
  n.linie(11, K2, 31);
  n.linie(12, K2, 36);
  n.linie(13, K2, 33);
  n.linie(11, 21, 44, 0, 'N', 'A');
  dmw::GrenPair neu = testnetz::grenPaar(K1, K2, 28);
  neu.valid_from = kTag + 1;
  n.gren.push_back(neu);
  fehlerGebiete(n, K7, K8);
  return n;
}

const std::vector<std::int32_t> kStationen = {0,  11, 12,  13, 21, 22, 71,
                                              81, 91, 101, K1, K2, K7, K8};

// One leg's outcome.
struct Bein {
  Ausgang aus;
  std::uint32_t km = 0;
  std::vector<Seg> segs;
};

void gleich(const Bein& mit, const Bein& ohne) {
  EXPECT_EQ(mit.aus.code, ohne.aus.code);
  EXPECT_EQ(mit.aus.nummer, ohne.aus.nummer);
  EXPECT_EQ(mit.aus.ss, ohne.aus.ss);
  EXPECT_EQ(mit.aus.zahlen, ohne.aus.zahlen);
  EXPECT_EQ(mit.aus.texte, ohne.aus.texte);
  EXPECT_EQ(mit.km, ohne.km);
  EXPECT_EQ(mit.segs, ohne.segs);
}

Bein bein(std::int32_t a, std::int32_t b, std::uint32_t mode, UtDayNumber tag) {
  Bein r;
  r.aus = fangen([&] {
    EbSucheSlotsSichern(true);
    const EbKmStrecke s{a, b, tag};
    r.km = EbAbschnittKm(mode, &s);
  });
  if (EbSucheScratchSlot >= 0 && EbSucheScratchSlot < EB_ANZAHL_SLOTS)
    r.segs = kette(EbSucheScratchSlot);
  return r;
}

// A whole request as bytes.
std::pair<int, std::vector<unsigned char>> rechnen(EbAnfrage a) {
  EbErgebnis erg;
  EbAbschnitte abs;
  std::memset(&erg, 0, sizeof erg);
  std::memset(&abs, 0, sizeof abs);
  int code = EbGfEntfernungsBerechnung(&erg, &abs, &a, EB_FLAG_ABSCHNITTE);
  std::vector<unsigned char> v(reinterpret_cast<unsigned char*>(&erg),
                               reinterpret_cast<unsigned char*>(&erg) + sizeof erg);
  v.insert(v.end(), reinterpret_cast<unsigned char*>(&abs),
           reinterpret_cast<unsigned char*>(&abs) + sizeof abs);
  return {code, v};
}

// Every origin against every station, each leg four times in a row (the
// rows start with the third), on both days and under three mode words.
struct Lauf {
  std::vector<Bein> beine;
  std::vector<std::pair<int, std::vector<unsigned char>>> antworten;
};

Lauf laufen() {
  Lauf l;
  for (UtDayNumber tag : {kTag, static_cast<UtDayNumber>(kTag + 1)})
    for (std::uint32_t mode : {0u, 4u, 1u})
      for (std::int32_t a : kStationen)
        for (std::int32_t b : kStationen)
          for (int k = 0; k < 4; ++k) l.beine.push_back(bein(a, b, mode, tag));
  for (UtDayNumber tag : {kTag, static_cast<UtDayNumber>(kTag + 1)})
    for (std::int32_t a : kStationen)
      for (std::int32_t b : kStationen)
        for (int k = 0; k < 3; ++k) l.antworten.push_back(rechnen(anfrage(a, b, 0, 0, tag)));
  return l;
}

void vergleichen(const Lauf& mit, const Lauf& ohne) {
  ASSERT_EQ(mit.beine.size(), ohne.beine.size());
  for (std::size_t i = 0; i < mit.beine.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "leg " << i);
    gleich(mit.beine[i], ohne.beine[i]);
    if (::testing::Test::HasFailure()) return;
  }
  ASSERT_EQ(mit.antworten.size(), ohne.antworten.size());
  for (std::size_t i = 0; i < mit.antworten.size(); ++i) {
    EXPECT_EQ(mit.antworten[i].first, ohne.antworten[i].first) << "request " << i;
    EXPECT_TRUE(mit.antworten[i].second == ohne.antworten[i].second) << "request " << i;
    if (::testing::Test::HasFailure()) return;
  }
}

// Plain, then fast twice, each from an empty cache and the fast runs over
// the store the first one filled; `treffer`: the store and the rows must
// have answered (all three tables loaded).
void vergleicheBeideWege(bool treffer = true) {
  EbKnotenSpeicherLeeren();
  Lauf ohne;
  DbSetFastPaths(false);
  EbKnotenCacheLeeren();
  ohne = laufen();
  DbSetFastPaths(true);
  const std::uint32_t speicher = EbKnotenSpeicherTreffer();
  const std::uint32_t zeilen = EbKmZeilenTreffer();
  for (int runde = 0; runde < 2; ++runde) {
    SCOPED_TRACE(testing::Message() << "fast run " << runde);
    EbKnotenCacheLeeren();
    vergleichen(laufen(), ohne);
  }
  if (!treffer) return;
  EXPECT_GT(EbKnotenSpeicherTreffer(), speicher) << "the store answered";
  EXPECT_GT(EbKmZeilenTreffer(), zeilen) << "the rows answered";
}

TEST(EnginekmSchnellpfad, FehlerUndVersionenGleich) {
  Umgebung u(fehlerNetz());
  ASSERT_EQ(u.initCode, 0);
  EXPECT_TRUE(DbIndexReady(&DbEbhfTab));
  EXPECT_TRUE(DbIndexReady(&DbStenTab));
  EXPECT_TRUE(DbIndexReady(&DbGrenTab));
  vergleicheBeideWege();
  // The failures stay failures, fast or not.
  EXPECT_EQ(bein(11, 71, 0, kTag).aus.code, 1105);
  EXPECT_EQ(bein(K1, 71, 0, kTag).aus.code, 1105);
  EXPECT_EQ(bein(81, 11, 0, kTag).aus.code, 1107);
  EXPECT_EQ(bein(91, 11, 0, kTag).aus.code, 1406);
  EXPECT_EQ(bein(11, 101, 0, kTag).aus.code, 1408);
  EXPECT_EQ(bein(11, 12, 1, kTag).aus.code, 1406);
  // Day kTag + 1 brings K2 into area 1 and new kilometres.
  EXPECT_NE(bein(11, 21, 0, kTag).km, bein(11, 21, 0, kTag + 1).km);
}

TEST(EnginekmSchnellpfad, TabellenOhneDateiGleich) {
  // STEN, TDRG or GREN without file: the lookups answer "not loaded" and
  // nothing kept from a load may stand in.
  const Dateien ohneDatei[] = {{true, false, true, true, true},
                               {true, true, true, false, true},
                               {true, true, false, true, true}};
  for (const Dateien& d : ohneDatei) {
    Umgebung u(fehlerNetz(), d);
    ASSERT_EQ(u.initCode, 0);
    vergleicheBeideWege(false);
  }
}

TEST(EnginekmSchnellpfad, NeuLadenMitAnderenKilometernGleich) {
  // The same stations, days and mode over two loads of different tables:
  // the second load's kilometres are used, fast as plain.
  std::uint32_t km1 = 0;
  {
    Umgebung u(fehlerNetz());
    ASSERT_EQ(u.initCode, 0);
    for (int k = 0; k < 4; ++k) km1 = bein(11, 22, 0, kTag).km;
    vergleicheBeideWege();
  }
  {
    Umgebung u(fehlerNetz(7));
    ASSERT_EQ(u.initCode, 0);
    std::uint32_t km2 = 0;
    for (int k = 0; k < 4; ++k) km2 = bein(11, 22, 0, kTag).km;
    EXPECT_EQ(km2, km1 + 14);
    // Only the fast run here: what the store and the rows hold from the
    // first load must not answer.
    Lauf mit = laufen();
    DbSetFastPaths(false);
    EbKnotenCacheLeeren();
    Lauf ohne = laufen();
    DbSetFastPaths(true);
    vergleichen(mit, ohne);
  }
}

TEST(EnginekmSchnellpfad, VolleCursorSchlitzeGleich) {
  // Five TDRG cursors held elsewhere: a list kept in the store must not
  // stand in for the walk that fails with 1109.
  Umgebung u(fehlerNetz());
  ASSERT_EQ(u.initCode, 0);
  for (int k = 0; k < 4; ++k) ASSERT_EQ(bein(11, 21, 0, kTag).aus.code, 0);
  EbKmStichtag = kTag;
  int h[5];
  for (int& x : h) {
    x = -1;
    TdrgSatz t;
    ASSERT_EQ(DbNextTdrg(1, &t, &x), 0);
  }
  EbKnotenCacheLeeren();
  Bein b = bein(11, 21, 0, kTag);
  EXPECT_EQ(b.aus.code, 1109);
  for (int& x : h) DbReleaseTdrgCursor(&x);
  EXPECT_EQ(bein(11, 21, 0, kTag).aus.code, 0);
}

// ---- the 50 km list --------------------------------------------------------

using Zeilen = std::vector<std::pair<std::int32_t, std::int32_t>>;

void zeileMerken(void* zeilen, std::int32_t bahnhof, const EbhfSatz&, std::int32_t km) {
  static_cast<Zeilen*>(zeilen)->emplace_back(bahnhof, km);
}

Zeilen fuenfzigKm(std::int32_t abgang, UtDayNumber tag, EbFuenfzigKmBericht* bericht) {
  Zeilen z;
  EbFuenfzigKmListe({abgang, tag, nullptr, &zeileMerken, &z}, bericht);
  return z;
}

// The failure network with stations beyond 50 km: 41 and 42 of area 1 far
// out on their lines, node K9 far from K1 and K2 (and without GREN pairs to
// K7 and K8), and 31, an ordinary station without an area (1310).
constexpr std::int32_t K9 = 9000;
Netz listenNetz(std::uint16_t kmZuschlag) {
  Netz n = fehlerNetz(kmZuschlag);
  n.station(31, 0);
  n.linie(31, K1, 3);
  for (std::uint32_t s : {41u, 42u}) n.station(s, 1);
  n.linie(41, K1, 60);
  n.linie(41, K2, 45, 20);
  n.linie(42, K1, 30, 30);
  n.linie(42, K2, 90);
  n.linie(41, 42, 51, 0, 'N', 'A');
  n.knotenStation(K9);
  n.grenPaar(K1, K9, 70);
  n.grenPaar(K2, K9, 40, 15);
  return n;
}

// Every station's list on both days, with the switch off and on, over the
// network with all files and with STEN, TDRG (1109) or GREN without one:
// the same rows in the same order, while the fast list leaves stations out
// without their requests.
TEST(EnginekmSchnellpfad, FuenfzigKmListenGleich) {
  const Dateien varianten[] = {{},
                               {true, false, true, true, true},
                               {true, true, true, false, true},
                               {true, true, false, true, true}};
  std::vector<std::int32_t> abgaenge = kStationen;
  for (std::int32_t s : {31, 41, 42, K9}) abgaenge.push_back(s);
  std::int32_t ausgelassen = 0, zeilen = 0;
  for (std::uint16_t zuschlag : {0, 40}) {
    for (const Dateien& d : varianten) {
      SCOPED_TRACE(testing::Message() << "km + " << zuschlag << ", STEN " << d.sten << ", TDRG "
                                      << d.tdrg << ", GREN " << d.gren);
      Umgebung u(listenNetz(zuschlag), d);
      ASSERT_EQ(u.initCode, 0);
      if (d.sten && d.tdrg && d.gren) {
        // The failures the lists meet.
        EXPECT_EQ(bein(11, 71, 0, kTag).aus.code, 1105);
        EXPECT_EQ(bein(81, 11, 0, kTag).aus.code, 1107);
        EXPECT_EQ(bein(31, 11, 0, kTag).aus.code, 1310);
        EXPECT_EQ(bein(91, 11, 0, kTag).aus.code, 1406);
        EXPECT_EQ(bein(11, 101, 0, kTag).aus.code, 1408);
      } else if (!d.tdrg) {
        EXPECT_EQ(bein(11, 12, 0, kTag).aus.code, 1109);
      }
      for (UtDayNumber tag : {kTag, static_cast<UtDayNumber>(kTag + 1)}) {
        for (std::int32_t abgang : abgaenge) {
          SCOPED_TRACE(testing::Message() << "origin " << abgang << " on day " << tag);
          EbFuenfzigKmBericht ohne{}, mit{};
          DbSetFastPaths(false);
          const Zeilen erwartet = fuenfzigKm(abgang, tag, &ohne);
          DbSetFastPaths(true);
          EXPECT_EQ(ohne.ausgelassen, 0);
          EXPECT_EQ(fuenfzigKm(abgang, tag, &mit), erwartet);
          EXPECT_EQ(mit.anfragen + mit.ausgelassen, ohne.anfragen);
          ausgelassen += mit.ausgelassen;
          zeilen += mit.zeilen;
        }
      }
    }
  }
  EXPECT_GT(ausgelassen, 20);
  EXPECT_GT(zeilen, 100);
}

}  // namespace
}  // namespace ekm
