// Kilometres between two stations: the choice between the direct route and
// the route over node stations, the node lists and their cache, and every
// raise of the computation, over small fixture networks.
#include <gtest/gtest.h>

#include <random>

#include "common/dtacc/dm/dm_tdrg.h"
#include "engine/ebkm.h"
#include "engine/ebsuche.h"
#include "tests/enginekm/ekm_netz.h"

namespace ekm {
namespace {

// Runs one leg into the route step's scratch slot.
struct Bein {
  Ausgang aus;
  std::uint32_t km = 0;
  std::vector<Seg> segs;
};
Bein bein(std::int32_t a, std::int32_t b, std::uint32_t mode = 0, UtDayNumber tag = kTag) {
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

// A whole type '1' request with the segment list.
struct Antwort {
  int code = 0;
  EbErgebnis erg;
  EbAbschnitte abs;
  std::vector<EbAbschnitt> hin() const { return abschnitte(abs); }
};
Antwort rechnen(EbAnfrage a, std::uint32_t flags = EB_FLAG_ABSCHNITTE) {
  Antwort r;
  std::memset(&r.abs, 0, sizeof r.abs);
  r.code = EbGfEntfernungsBerechnung(&r.erg, &r.abs, &a, flags);
  return r;
}

// ---- direct route against the node route --------------------------------

struct WahlFall {
  const char* name;
  bool direktDa;     // STEN holds the pair 11-12
  char zweiter;      // its second letter
  std::uint16_t km;  // its km (part 1)
  std::uint32_t erwartetKm;
  bool knotenweg;  // the node route's segments are kept
};

TEST(EnginekmKm, DirektOderKnotenweg) {
  // The node route 11 - K1 - 12 is (5 + 1) + 7 = 13 km, over one shared node.
  const WahlFall faelle[] = {
      {"N keeps a longer direct route", true, 'N', 20, 20, false},
      {"J keeps a longer direct route", true, 'J', 20, 20, false},
      {"A lets a shorter node route win", true, 'A', 20, 13, true},
      {"U lets a shorter node route win", true, 'U', 20, 13, true},
      {"A keeps a shorter direct route", true, 'A', 10, 10, false},
      {"U keeps a shorter direct route", true, 'U', 10, 10, false},
      {"A tie goes to the node route", true, 'A', 13, 13, true},
      {"U tie goes to the node route", true, 'U', 13, 13, true},
      {"missing pair falls through to the node route", false, 'N', 0, 13, true},
  };
  for (const WahlFall& f : faelle) {
    SCOPED_TRACE(f.name);
    Netz n = basisNetz();
    if (f.direktDa) n.linie(11, 12, f.km, 0, 'N', f.zweiter);
    Umgebung u(n);
    ASSERT_EQ(u.initCode, 0);

    const std::uint32_t geladen = EbKnotenLadeZaehler();
    Bein b = bein(11, 12);
    ASSERT_EQ(b.aus.code, 0);
    EXPECT_EQ(b.km, f.erwartetKm);
    // A final direct route is taken before any node list is built; a
    // competing one builds the lists of both stations.
    const bool endgueltig = f.direktDa && (f.zweiter == 'N' || f.zweiter == 'J');
    EXPECT_EQ(EbKnotenLadeZaehler() - geladen, endgueltig ? 0u : 2u);
    std::vector<Seg> erwartet =
        f.knotenweg ? std::vector<Seg>{S(11, K1), S(K1, 12)} : std::vector<Seg>{S(11, 12)};
    EXPECT_EQ(b.segs, erwartet);

    // The same through the engine's entry point: km parts apart and the
    // segments in the segment list.
    Antwort a = rechnen(anfrage(11, 12));
    ASSERT_EQ(a.code, 0);
    std::vector<EbAbschnitt> l = a.hin();
    if (f.knotenweg) {
      EXPECT_EQ(a.erg.hin.kmWz, 12u);
      EXPECT_EQ(a.erg.hin.kmDr, 1u);
      ASSERT_EQ(l.size(), 2u);
      EXPECT_EQ(l[0].art, 'S');
      EXPECT_EQ(l[0].von, 11);
      EXPECT_EQ(l[0].nach, K1);
      EXPECT_EQ(l[1].von, K1);
      EXPECT_EQ(l[1].nach, 12);
    } else {
      EXPECT_EQ(a.erg.hin.kmWz, f.km);
      EXPECT_EQ(a.erg.hin.kmDr, 0u);
      ASSERT_EQ(l.size(), 1u);
      EXPECT_EQ(l[0].art, 'S');
      EXPECT_EQ(l[0].von, 11);
      EXPECT_EQ(l[0].nach, 12);
    }
  }
}

TEST(EnginekmKm, UeberZweiGebieteMitKmTeilen) {
  Umgebung u(basisNetz());
  ASSERT_EQ(u.initCode, 0);
  Antwort a = rechnen(anfrage(11, 21));
  ASSERT_EQ(a.code, 0);
  EXPECT_EQ(a.erg.hin.kmWz, 5u + 30u + 4u);
  EXPECT_EQ(a.erg.hin.kmDr, 1u + 2u);
  std::vector<EbAbschnitt> l = a.hin();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0].art, 'S');
  EXPECT_EQ(l[1].art, 'G');
  EXPECT_EQ(l[1].von, K1);
  EXPECT_EQ(l[1].nach, K2);
  EXPECT_EQ(l[1].km1, 30);
  EXPECT_EQ(l[1].km2, 2);
  EXPECT_EQ(l[2].art, 'S');
  EXPECT_EQ(l[2].von, K2);
  EXPECT_EQ(l[2].nach, 21);

  // Backwards the same segments, reversed.
  Bein b = bein(21, 11);
  ASSERT_EQ(b.aus.code, 0);
  EXPECT_EQ(b.km, 42u);
  EXPECT_EQ(b.segs, (std::vector<Seg>{S(21, K2), G(K2, K1), S(K1, 11)}));
}

TEST(EnginekmKm, ZweiKnotenNurGren) {
  // STEN holds a shorter, final pair of the two nodes: it is not consulted.
  Netz n = basisNetz();
  n.linie(K1, K2, 1, 0, 'N', 'N');
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  Bein b = bein(K2, K1);
  ASSERT_EQ(b.aus.code, 0);
  EXPECT_EQ(b.km, 32u);
  EXPECT_EQ(b.segs, (std::vector<Seg>{G(K2, K1)}));
  Antwort a = rechnen(anfrage(K1, K2));
  ASSERT_EQ(a.code, 0);
  EXPECT_EQ(a.erg.hin.kmWz, 30u);
  EXPECT_EQ(a.erg.hin.kmDr, 2u);
  ASSERT_EQ(a.hin().size(), 1u);
  EXPECT_EQ(a.hin()[0].art, 'G');
}

TEST(EnginekmKm, EinKnoten) {
  Umgebung u(basisNetz());
  ASSERT_EQ(u.initCode, 0);
  Bein hin = bein(11, K2);
  ASSERT_EQ(hin.aus.code, 0);
  EXPECT_EQ(hin.km, 6u + 32u);
  EXPECT_EQ(hin.segs, (std::vector<Seg>{S(11, K1), G(K1, K2)}));
  Bein rueck = bein(K2, 11);
  ASSERT_EQ(rueck.aus.code, 0);
  EXPECT_EQ(rueck.km, 38u);
  EXPECT_EQ(rueck.segs, (std::vector<Seg>{G(K2, K1), S(K1, 11)}));
}

TEST(EnginekmKm, EinKnotenLaesstDenKnotenAusDerListe) {
  // Area 3 is served by K1 and K3. From 31 to K1 the list entry of K1 itself
  // is left out (looking up GREN K1-K1 would fail with 1105): the node route
  // goes over K3 and beats the competing direct route.
  constexpr std::int32_t K3 = 3000;
  Netz n = basisNetz();
  n.knotenStation(K3);
  n.station(31, 3);
  n.gebietKnoten(3, K1);
  n.gebietKnoten(3, K3);
  n.linie(31, K1, 10, 0, 'N', 'A');
  n.linie(31, K3, 1);
  n.grenPaar(K3, K1, 3);
  n.grenPaar(K3, K2, 40);
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  Bein b = bein(31, K1);
  ASSERT_EQ(b.aus.code, 0);
  EXPECT_EQ(b.km, 4u);
  EXPECT_EQ(b.segs, (std::vector<Seg>{S(31, K3), G(K3, K1)}));
}

TEST(EnginekmKm, NurDerAndereKnotenIstDa1133) {
  // 11's area lists only K1, the other end of the leg; the direct route
  // competes, so the node route is needed and there is none.
  Netz n;
  n.knotenStation(K1);
  n.station(11, 1);
  n.gebietKnoten(1, K1);
  n.linie(11, K1, 5, 0, 'N', 'A');
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  Bein b = bein(11, K1);
  EXPECT_EQ(b.aus.code, 1133);
  EXPECT_EQ(b.aus.nummer, 1134);
  EXPECT_EQ(b.aus.zahlen, (std::vector<std::int64_t>{11, K1, K1}));
  EXPECT_EQ(b.aus.texte, (std::vector<std::string>{UtDayText(kTag)}));
  // Through the entry point the code comes back.
  EXPECT_EQ(rechnen(anfrage(11, K1)).code, 1133);
}

TEST(EnginekmKm, GemeinsamerBesterKnoten) {
  // 11 and 13 share K1: two line segments, no GREN segment; K1 - K2 would be
  // far longer.
  Umgebung u(basisNetz());
  ASSERT_EQ(u.initCode, 0);
  Antwort a = rechnen(anfrage(13, 11));
  ASSERT_EQ(a.code, 0);
  EXPECT_EQ(a.erg.hin.kmWz + a.erg.hin.kmDr, 3u + 6u);
  std::vector<EbAbschnitt> l = a.hin();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0].art, 'S');
  EXPECT_EQ(l[1].art, 'S');
  EXPECT_EQ(l[0].von, 13);
  EXPECT_EQ(l[0].nach, K1);
  EXPECT_EQ(l[1].von, K1);
  EXPECT_EQ(l[1].nach, 11);
}

TEST(EnginekmKm, GleichstandNachNiedrigererNummerUndTdrgFolge) {
  // 41 (area 4) and 51 (area 5) reach K4 and K5 with 10 km each; the node
  // pairs K4-K4 and K5-K5 tie at 20. The list of the lower station number
  // (41) is walked outside, in its TDRG order: its first node wins, in both
  // directions of the leg.
  constexpr std::int32_t K4 = 4000, K5 = 5000;
  struct Fall {
    bool k4zuerst;  // TDRG order of area 4
    std::int32_t sieger;
  };
  for (Fall f : {Fall{true, K4}, Fall{false, K5}}) {
    SCOPED_TRACE(f.sieger);
    Netz n;
    n.knotenStation(K4);
    n.knotenStation(K5);
    n.station(41, 4);
    n.station(51, 5);
    if (f.k4zuerst) {
      n.gebietKnoten(4, K4);
      n.gebietKnoten(4, K5);
    } else {
      n.gebietKnoten(4, K5);
      n.gebietKnoten(4, K4);
    }
    // Area 5 lists them the other way round.
    if (f.k4zuerst) {
      n.gebietKnoten(5, K5);
      n.gebietKnoten(5, K4);
    } else {
      n.gebietKnoten(5, K4);
      n.gebietKnoten(5, K5);
    }
    for (std::uint32_t s : {41u, 51u})
      for (std::uint32_t k : {4000u, 5000u}) n.linie(s, k, 10);
    n.grenPaar(K4, K5, 5);
    Umgebung u(n);
    ASSERT_EQ(u.initCode, 0);
    Bein hin = bein(41, 51);
    ASSERT_EQ(hin.aus.code, 0);
    EXPECT_EQ(hin.km, 20u);
    EXPECT_EQ(hin.segs, (std::vector<Seg>{S(41, f.sieger), S(f.sieger, 51)}));
    Bein rueck = bein(51, 41);
    ASSERT_EQ(rueck.aus.code, 0);
    EXPECT_EQ(rueck.segs, (std::vector<Seg>{S(51, f.sieger), S(f.sieger, 41)}));
  }
}

// ---- mode word ----------------------------------------------------------

TEST(EnginekmKm, ModusBitsUeberschreibenStenBuchstaben) {
  Netz n = basisNetz();
  n.linie(11, 12, 20, 0, 'N', 'N');  // final and longer than the node route
  n.linie(11, 13, 20, 0, 'N', 'A');  // competing and longer
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  EXPECT_EQ(bein(11, 12, 0).km, 20u);
  EXPECT_EQ(bein(11, 12, 4).km, 13u);  // 4: every pair competes
  EXPECT_EQ(bein(11, 13, 0).km, 9u);
  EXPECT_EQ(bein(11, 13, 8).km, 20u);  // 8: every pair is final
  EXPECT_EQ(bein(11, 13, 8).segs, (std::vector<Seg>{S(11, 13)}));
  // 1: every node is left out of every list.
  Bein b = bein(11, 21, 1);
  EXPECT_EQ(b.aus.code, 1406);
  EXPECT_EQ(b.aus.nummer, 1407);
  EXPECT_EQ(b.aus.zahlen, (std::vector<std::int64_t>{1}));
  // Back to 0: the lists are built afresh and the route is there again.
  EXPECT_EQ(bein(11, 21, 0).km, 42u);
}

TEST(EnginekmKm, ErsterBuchstabeJLaesstKnotenAus) {
  // K9 would be the shorter way out of area 1, but its STEN pair carries the
  // first letter 'J'; mode 2 forces that letter to 'N'.
  constexpr std::int32_t K9 = 9000;
  Netz n = basisNetz();
  n.knotenStation(K9);
  n.gebietKnoten(1, K9);
  for (std::uint32_t s : {12u, 13u}) n.linie(s, K9, 50);
  n.linie(11, K9, 1, 0, 'J');
  n.grenPaar(K9, K2, 1);
  n.grenPaar(K9, K1, 50);
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  Bein b0 = bein(11, 21, 0);
  ASSERT_EQ(b0.aus.code, 0);
  EXPECT_EQ(b0.km, 42u);
  Bein b2 = bein(11, 21, 2);
  ASSERT_EQ(b2.aus.code, 0);
  EXPECT_EQ(b2.km, 1u + 1u + 4u);
  EXPECT_EQ(b2.segs, (std::vector<Seg>{S(11, K9), G(K9, K2), S(K2, 21)}));
}

TEST(EnginekmKm, NeuerTagUndNeuesModuswortBauenListenNeu) {
  // From day kTag + 1 area 1 is also served by K6, which is far shorter.
  constexpr std::int32_t K6 = 6000;
  Netz n = basisNetz();
  n.knotenStation(K6);
  n.gebietKnoten(1, K6, kTag + 1);
  for (std::uint32_t s : {11u, 12u, 13u}) n.linie(s, K6, 1);
  n.grenPaar(K6, K2, 1);
  n.grenPaar(K6, K1, 1);
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);

  EXPECT_EQ(bein(11, 21, 0, kTag).km, 42u);
  std::uint32_t geladen = EbKnotenLadeZaehler();
  EXPECT_EQ(bein(11, 21, 0, kTag).km, 42u);
  EXPECT_EQ(EbKnotenLadeZaehler(), geladen) << "same day and mode: lists from the cache";

  Bein b = bein(11, 21, 0, kTag + 1);
  EXPECT_EQ(b.km, 1u + 1u + 4u);
  EXPECT_EQ(EbKnotenLadeZaehler(), geladen + 2) << "a new day rebuilds both lists";
  EXPECT_EQ(EbKnotenCache[EbKnotenWahlLesen().a].tag, kTag + 1);

  geladen = EbKnotenLadeZaehler();
  EXPECT_EQ(bein(11, 21, 0x20, kTag + 1).km, 6u);
  EXPECT_EQ(EbKnotenLadeZaehler(), geladen + 2) << "a new mode word empties the cache";
  EXPECT_EQ(bein(11, 21, 0, kTag).km, 42u);
}

// ---- the cache against no cache ----------------------------------------

TEST(EnginekmKm, CacheGleichOhneCacheUeberZufaelligeBeine) {
  // Three areas with two or three node stations each (some shared), ten
  // stations per area, every station-node pair in STEN, some direct pairs
  // with random letters, every node pair in GREN. One node of area 2 is in
  // force only from kTag + 1.
  std::mt19937 rnd(4711);
  auto zahl = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
  const std::vector<std::vector<std::uint32_t>> gebiete = {
      {7001, 7002}, {7002, 7003, 7004}, {7004, 7005, 7001}};
  Netz n;
  std::vector<std::uint32_t> knoten = {7001, 7002, 7003, 7004, 7005};
  for (std::uint32_t k : knoten) n.knotenStation(k);
  std::vector<std::int32_t> stationen(knoten.begin(), knoten.end());
  for (std::size_t g = 0; g < gebiete.size(); ++g) {
    auto gebiet = static_cast<std::uint16_t>(g + 1);
    for (std::uint32_t k : gebiete[g])
      n.gebietKnoten(gebiet, k, (g == 1 && k == 7004) ? kTag + 1 : 0);
    for (int i = 0; i < 10; ++i) {
      std::uint32_t s = gebiet * 100u + static_cast<std::uint32_t>(i);
      n.station(s, gebiet);
      stationen.push_back(static_cast<std::int32_t>(s));
      for (std::uint32_t k : gebiete[g])
        n.linie(s, k, static_cast<std::uint16_t>(zahl(1, 40)),
                static_cast<std::uint16_t>(zahl(0, 3)));
    }
  }
  for (std::size_t i = 0; i < knoten.size(); ++i)
    for (std::size_t j = i + 1; j < knoten.size(); ++j)
      n.grenPaar(knoten[i], knoten[j], static_cast<std::uint16_t>(zahl(5, 80)));
  const char buchstaben[] = {'N', 'J', 'A', 'U'};
  for (int i = 0; i < 40; ++i) {
    std::uint32_t a = static_cast<std::uint32_t>(100 * zahl(1, 3) + zahl(0, 9));
    std::uint32_t b = static_cast<std::uint32_t>(100 * zahl(1, 3) + zahl(0, 9));
    if (a == b) continue;
    bool doppelt = false;
    for (const dmw::StenPair& p : n.sten)
      doppelt |= (p.station_a == a && p.station_b == b) || (p.station_a == b && p.station_b == a);
    if (!doppelt)
      n.linie(a, b, static_cast<std::uint16_t>(zahl(1, 120)), 0, 'N', buchstaben[zahl(0, 3)]);
  }
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);

  int benutzt = 0;
  for (int runde = 0; runde < 400; ++runde) {
    std::int32_t a =
        stationen[static_cast<std::size_t>(zahl(0, static_cast<int>(stationen.size()) - 1))];
    std::int32_t b =
        stationen[static_cast<std::size_t>(zahl(0, static_cast<int>(stationen.size()) - 1))];
    UtDayNumber tag = static_cast<UtDayNumber>(kTag + zahl(0, 1));
    SCOPED_TRACE(testing::Message() << "leg " << a << "-" << b << " day " << tag);

    EbKnotenWahlSetzen({-2, -2, EbKnotenWahlLesen().letzter});
    Bein mit = bein(a, b, 0, tag);
    // When the leg used the cache, both its stations keep their lists there.
    const bool cacheBenutzt = EbKnotenWahlLesen().a != -2;
    benutzt += cacheBenutzt;
    for (std::int32_t s : {a, b}) {
      if (s >= 7000 || !cacheBenutzt || mit.aus.code != 0) continue;
      int treffer = 0;
      for (const EbKnotenEintrag& e : EbKnotenCache) treffer += (e.bahnhof == s && e.tag == tag);
      EXPECT_EQ(treffer, 1) << "list of " << s;
    }
    // Save the cache, compute again from an empty cache, put it back.
    EbKnotenEintrag gerettet[EbKnotenCacheGroesse];
    std::memcpy(gerettet, EbKnotenCache, sizeof gerettet);
    const EbKnotenWahl wahl = EbKnotenWahlLesen();
    EbKnotenCacheLeeren();
    Bein ohne = bein(a, b, 0, tag);
    std::memcpy(EbKnotenCache, gerettet, sizeof gerettet);
    EbKnotenWahlSetzen(wahl);
    EbKmModus = 0;

    ASSERT_EQ(mit.aus.code, ohne.aus.code);
    EXPECT_EQ(mit.km, ohne.km);
    EXPECT_EQ(mit.segs, ohne.segs);
  }
  EXPECT_GT(benutzt, 200) << "most legs go over the node lists";
}

TEST(EnginekmKm, FuenfterBahnhofVerdraengtReihum) {
  // Five stations of five areas: new entries rotate 1, 2, 3, 0, 1 ... and
  // never take the entry chosen for the other station of the same leg.
  Netz n;
  n.knotenStation(K1);
  for (std::uint16_t g = 1; g <= 5; ++g) {
    n.station(g * 10u, g);
    n.gebietKnoten(g, K1);
    n.linie(g * 10u, K1, g);
  }
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  ASSERT_EQ(bein(10, 20).aus.code, 0);
  EXPECT_EQ(EbKnotenCache[1].bahnhof, 10);
  EXPECT_EQ(EbKnotenCache[2].bahnhof, 20);
  ASSERT_EQ(bein(10, 30).aus.code, 0);
  EXPECT_EQ(EbKnotenCache[3].bahnhof, 30);
  ASSERT_EQ(bein(10, 40).aus.code, 0);
  EXPECT_EQ(EbKnotenCache[0].bahnhof, 40);
  // The next new entry would be 1, which holds 10, the other station: 2.
  ASSERT_EQ(bein(10, 50).aus.code, 0);
  EXPECT_EQ(EbKnotenCache[1].bahnhof, 10);
  EXPECT_EQ(EbKnotenCache[2].bahnhof, 50);
  EXPECT_EQ(bein(50, 10).km, 1u + 5u);
}

// ---- raises ---------------------------------------------------------------

struct RaiseFall {
  const char* name;
  std::int32_t a, b;
  int code, nummer;
  std::vector<std::int64_t> zahlen;
  Dateien dateien;
};

TEST(EnginekmKm, Raises) {
  // Area 6: station 61 without area; area 7: 71 served by K7, no GREN pair
  // K1-K7; area 8: 81 served by K8 without a STEN pair; area 9: no node at
  // all; area 10: eleven nodes.
  constexpr std::int32_t K7 = 7000, K8 = 8000;
  Netz n = basisNetz();
  n.station(61, 0);
  fehlerGebiete(n, K7, K8);
  const std::vector<RaiseFall> faelle = {
      {"station not in EBHF", 11, 99, 1101, 1102, {80, 99}, {}},
      {"ordinary station without tariff area", 61, 11, 1310, 1310, {}, {}},
      {"no GREN pair of the best candidates", 11, 71, 1105, 1106, {K1, K7}, {}},
      {"no STEN pair to a node of the area", 81, 11, 1107, 1108, {81, K8}, {}},
      {"STEN not loaded", 11, 12, 1107, 1108, {11, 12}, {true, false, true, true, true}},
      {"TDRG not loaded", 11, 21, 1109, 1110, {1}, {true, true, true, false, true}},
      {"GREN not loaded", K1, K2, 1105, 1106, {K1, K2}, {true, true, false, true, true}},
      {"area without node stations", 91, 11, 1406, 1407, {9}, {}},
      {"area with eleven node stations", 11, 101, 1408, 1409, {10}, {}},
  };
  for (const RaiseFall& f : faelle) {
    SCOPED_TRACE(f.name);
    Umgebung u(n, f.dateien);
    ASSERT_EQ(u.initCode, 0);
    Bein b = bein(f.a, f.b);
    EXPECT_EQ(b.aus.code, f.code);
    EXPECT_EQ(b.aus.nummer, f.nummer);
    EXPECT_EQ(b.aus.ss, "EB");
    EXPECT_EQ(b.aus.zahlen, f.zahlen);
    // The entry point hands back the same code.
    EXPECT_EQ(rechnen(anfrage(f.a, f.b)).code, f.code);
    // No TDRG cursor is left behind by a failed node list.
    for (const DbCursorSlot& s : DbTdrgSlots) EXPECT_EQ(s.inUse, 0);
  }
}

TEST(EnginekmKm, BadScratchSlotRaises1003) {
  Umgebung u(basisNetz());
  ASSERT_EQ(u.initCode, 0);
  ASSERT_EQ(bein(11, 12).aus.code, 0);
  const std::int32_t gut = EbSucheScratchSlot;
  EbSucheScratchSlot = 40;
  Ausgang a = fangen([] {
    const EbKmStrecke s{11, 12, kTag};
    EbAbschnittKm(0, &s);
  });
  EbSucheScratchSlot = gut;
  EXPECT_EQ(a.code, 1999);
  EXPECT_EQ(a.nummer, 1003);
}

TEST(EnginekmKm, GleicheStationenNullKmOhneElement) {
  Umgebung u(basisNetz());
  ASSERT_EQ(u.initCode, 0);
  ASSERT_EQ(bein(11, 21).aus.code, 0);    // leaves three elements behind
  Bein b = bein(99, 99, 0x40, kTag + 5);  // not even looked up
  EXPECT_EQ(b.aus.code, 0);
  EXPECT_EQ(b.km, 0u);
  EXPECT_TRUE(b.segs.empty());
  EXPECT_EQ(EbKmStichtag, kTag + 5);
  EXPECT_EQ(EbKmModus, 0x40u);
}

TEST(EnginekmKm, KeinFreierTdrgCursorLaesstFremdeCursorStehen) {
  // Five cursors held elsewhere: the node list cannot open one (1109), and
  // the failure writes over none of the five slots.
  Umgebung u(basisNetz());
  ASSERT_EQ(u.initCode, 0);
  EbKmStichtag = kTag;
  int h[5];
  for (int& x : h) {
    x = -1;
    TdrgSatz t;
    ASSERT_EQ(DbNextTdrg(1, &t, &x), 0);
  }
  Bein b = bein(11, 21);
  EXPECT_EQ(b.aus.code, 1109);
  for (const DbCursorSlot& s : DbTdrgSlots) EXPECT_EQ(s.inUse, 1);
  for (int& x : h) DbReleaseTdrgCursor(&x);
  EXPECT_EQ(bein(11, 21).km, 42u);
}

TEST(EnginekmKm, BahnhofNullNimmtKeinenGeleertenEintrag) {
  // Entries emptied by a new mode word read as station 0; station number 0
  // must still get a list of its own.
  Netz n = basisNetz();
  n.station(0, 1);
  n.linie(0, K1, 2);
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  ASSERT_EQ(bein(11, 21).aus.code, 0);
  ASSERT_EQ(bein(12, 22).aus.code, 0);     // all four entries in use
  ASSERT_EQ(bein(13, 22, 4).aus.code, 0);  // new mode: all emptied, two rebuilt
  Bein b = bein(0, 21, 4);
  ASSERT_EQ(b.aus.code, 0);
  EXPECT_EQ(b.km, 2u + 32u + 4u);
  EXPECT_EQ(b.segs, (std::vector<Seg>{S(0, K1), G(K1, K2), S(K2, 21)}));
}

TEST(EnginekmKm, InitLeertDenKnotenCache) {
  // The same station numbers over two loads of different tables on the same
  // day: the second load's lists are used.
  Netz n1 = basisNetz();
  Netz n2 = basisNetz();
  n2.sten.clear();
  n2.linie(11, K1, 50);
  n2.linie(21, K2, 4);
  {
    Umgebung u(n1);
    ASSERT_EQ(u.initCode, 0);
    EXPECT_EQ(bein(11, 21).km, 42u);
  }
  {
    Umgebung u(n2);
    ASSERT_EQ(u.initCode, 0);
    EXPECT_EQ(bein(11, 21).km, 50u + 32u + 4u);
  }
}

}  // namespace
}  // namespace ekm
