// Route along a point sequence, chain reader and segment list: via
// stations, the relation leg, the raises of the answer side (1123, 1405),
// slots after a second initialisation, and no allocation per request.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_nesr.h"
#include "engine/ebinit.h"
#include "engine/ebkette.h"
#include "engine/ebleser.h"
#include "engine/ebsuche.h"
#include "engine/ebwegetext.h"
#include "tests/enginekm/ekm_netz.h"

// Counts operator new while a test asks for it. The replacement pairs
// malloc with free on both sides; GCC cannot see that through the
// replaced operators and would warn about a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {

std::atomic<bool> gZaehlen{false};
std::atomic<long> gNeu{0};

}  // namespace

void* operator new(std::size_t n) {
  if (gZaehlen) ++gNeu;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  if (gZaehlen) ++gNeu;
  return std::malloc(n ? n : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace ekm {
namespace {

// The base network with station 14 of area 1, skipped as a point, and a
// relation.
Netz wegNetz() {
  Netz n = basisNetz();
  n.station(14, 1, 'N');  // skipped as a point
  n.linie(14, K1, 2);
  // Relation 777 of key 1 between 11 and 21, 50 km.
  dmw::FbrrRecord r;
  r.key_number = 1;
  r.relation_number = 777;
  r.stations = {8000011, 8000021, 0, 0};
  r.numbers = {50, 0, 0, 0};
  r.valid_to = dmw::kOpenEndDay;
  n.fbrr.push_back(r);
  return n;
}

struct Antwort {
  int code = 0;
  EbErgebnis erg;
  EbAbschnitte abs;
};
Antwort rechnen(EbAnfrage& a, std::uint32_t flags = EB_FLAG_ABSCHNITTE) {
  Antwort r;
  std::memset(&r.abs, 0, sizeof r.abs);
  r.code = EbGfEntfernungsBerechnung(&r.erg, &r.abs, &a, flags);
  return r;
}
Seg Start(std::int32_t b) { return {EB_ELEM_START, b, 0}; }
Seg Ziel(std::int32_t b) { return {EB_ELEM_ZIEL, b, 0}; }
Seg F(std::int32_t a, std::int32_t b) { return {EB_ELEM_RELATION, a, b}; }

// ---- via stations -----------------------------------------------------------

struct ViaFall {
  const char* name;
  std::int32_t via1, via2;
  std::uint32_t km;
  std::vector<Seg> kette;
};

TEST(EnginekmWeg, Zwischenpunkte) {
  Umgebung u(wegNetz());
  ASSERT_EQ(u.initCode, 0);
  const std::vector<Seg> nach21 = {S(K2, 21), Ziel(21)};
  const ViaFall faelle[] = {
      {"none", 0, 0, 42, {Start(11), S(11, K1), G(K1, K2), S(K2, 21), Ziel(21)}},
      {"one",
       13,
       0,
       9 + 39,
       {Start(11), S(11, K1), S(K1, 13), V(13), S(13, K1), G(K1, K2), S(K2, 21), Ziel(21)}},
      {"two",
       13,
       22,
       9 + 41 + 10,
       {Start(11), S(11, K1), S(K1, 13), V(13), S(13, K1), G(K1, K2), S(K2, 22), V(22), S(22, K2),
        S(K2, 21), Ziel(21)}},
      {"only the second",
       0,
       22,
       44 + 10,
       {Start(11), S(11, K1), G(K1, K2), S(K2, 22), V(22), S(22, K2), S(K2, 21), Ziel(21)}},
      {"via equal to the origin",
       11,
       0,
       42,
       {Start(11), V(11), S(11, K1), G(K1, K2), S(K2, 21), Ziel(21)}},
  };
  for (const ViaFall& f : faelle) {
    SCOPED_TRACE(f.name);
    EbAnfrage a = anfrage(11, 21, f.via1, f.via2);
    Antwort r = rechnen(a);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.erg.hin.kmWz + r.erg.hin.kmDr, f.km);
    EXPECT_EQ(kette(EbSlotHin), f.kette);
    EXPECT_EQ(r.erg.hin.bpVorlauf, static_cast<std::uint32_t>(f.via1));
    EXPECT_EQ(r.erg.hin.bpNachlauf, static_cast<std::uint32_t>(f.via2));
    EXPECT_EQ(r.erg.hin.anstossStart, 11u);
    EXPECT_EQ(r.erg.hin.anstossZiel, 21u);
    // The segment list holds the kilometre segments in chain order.
    std::size_t segmente = 0;
    for (const Seg& s : f.kette) segmente += s.typ == EB_ELEM_LINIE || s.typ == EB_ELEM_KNOTEN;
    EXPECT_EQ(abschnitte(r.abs).size(), segmente);
    EXPECT_EQ(r.abs.gefuellt, 1);
  }
}

TEST(EnginekmWeg, RelationsanfangOhneEnde) {
  // Without a relation end the leg from the relation start runs on to the
  // next point like any other leg; no relation, no via element.
  Umgebung u(wegNetz());
  ASSERT_EQ(u.initCode, 0);
  EbAnfrage a = anfrage(11, 21);
  a.hin.relBhf[0] = 13;
  Antwort r = rechnen(a);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(kette(EbSlotHin), (std::vector<Seg>{Start(11), S(11, K1), S(K1, 13), S(13, K1),
                                                G(K1, K2), S(K2, 21), Ziel(21)}));
  EXPECT_EQ(r.erg.hin.kmWz + r.erg.hin.kmDr, 9u + 39u);
  EXPECT_EQ(r.erg.hin.kmWzVxt, 0u);
}

TEST(EnginekmWeg, ZwischenpunktFehltInEbhf1101) {
  Umgebung u(wegNetz());
  ASSERT_EQ(u.initCode, 0);
  EbAnfrage a = anfrage(11, 21, 55, 0);
  EXPECT_EQ(rechnen(a).code, 1101);
}

// ---- the relation leg ---------------------------------------------------------

struct RelFall {
  const char* name;
  std::int32_t von, nach;
  std::int32_t rel[2];
  std::vector<Seg> kette;
  std::uint32_t relOut;
};

// The relation's route text takes its names from the station master, which
// has no data in this system; here it answers with a name for every
// station, so that the request runs through to the segment list.
DbLookupResult stammMitNamen(BhfSatz* out, std::uint32_t, UtDayNumber) {
  std::memset(out->routeTextName, ' ', sizeof out->routeTextName);
  std::memcpy(out->routeTextName, "Ort", 3);
  std::memcpy(out->shortName, "ORT ", 4);
  return kDbFound;
}

TEST(EnginekmWeg, Relationsabschnitt) {
  struct StammTausch {
    StammTausch() { EbWtStammAbfrageSetzen(stammMitNamen); }
    ~StammTausch() { EbWtStammAbfrageSetzen(DbGetBhf); }
  } stamm;
  Umgebung u(wegNetz());
  ASSERT_EQ(u.initCode, 0);
  const RelFall faelle[] = {
      {"local numbers",
       12,
       22,
       {11, 21},
       {Start(12), S(12, K1), S(K1, 11), F(11, 21), S(21, K2), S(K2, 22), Ziel(22)},
       777},
      {"against the stored direction",
       22,
       12,
       {21, 11},
       {Start(22), S(22, K2), S(K2, 21), F(21, 11), S(11, K1), S(K1, 12), Ziel(12)},
       777u | 0x80000000u},
  };
  for (const RelFall& f : faelle) {
    SCOPED_TRACE(f.name);
    EbAnfrage a = anfrage(f.von, f.nach);
    a.hin.relBhf[0] = f.rel[0];
    a.hin.relBhf[1] = f.rel[1];
    Antwort r = rechnen(a);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(kette(EbSlotHin), f.kette);
    EXPECT_EQ(r.erg.hin.kmWzVxt, 50u);
    EXPECT_EQ(r.erg.hin.kmWz + r.erg.hin.kmDr, 13u + 10u);
    EXPECT_EQ(static_cast<std::uint32_t>(a.hin.relSchluessel2), f.relOut);
    std::vector<EbAbschnitt> l = abschnitte(r.abs);
    ASSERT_EQ(l.size(), 5u);
    EXPECT_EQ(l[2].art, 'F');
    EXPECT_EQ(l[2].von, f.kette[3].von);
    EXPECT_EQ(l[2].nach, f.kette[3].nach);
    EXPECT_EQ(l[2].km1, 50);
  }
}

TEST(EnginekmWeg, RelationsbahnhoefeInVollformUndOrtsnummer) {
  // The station lookup of FBRR wants full forms; a local number is widened,
  // a full form passed on. The element carries local numbers either way, and
  // a first station given in full form does not make the relation reversed.
  Umgebung u(wegNetz());
  ASSERT_EQ(u.initCode, 0);
  struct Fall {
    std::int32_t a, b;
    std::vector<Seg> erwartet;
  };
  for (const Fall& f : {Fall{11, 21, {F(11, 21)}}, Fall{8000011, 8000021, {F(11, 21)}},
                        Fall{8000021, 11, {F(21, 11)}}}) {
    SCOPED_TRACE(f.a);
    std::int32_t slot = -1;
    std::int32_t km = 0;
    Ausgang aus = fangen([&] {
      slot = EbListeBelegen();
      EbSuchAnfrage such{};
      such.relWert = 1;
      such.relBhf[0] = f.a;
      such.relBhf[1] = f.b;
      such.datum = kTag;
      km = EbFbrrAbschnitt(&such, slot);
    });
    ASSERT_EQ(aus.code, 0);
    EXPECT_EQ(km, 50);
    EXPECT_EQ(kette(slot), f.erwartet);
  }
}

TEST(EnginekmWeg, RelationFehlt1103) {
  Umgebung u(wegNetz());
  ASSERT_EQ(u.initCode, 0);
  Ausgang aus = fangen([] {
    EbSuchAnfrage such{};
    such.von = 12;
    such.nach = 22;
    such.relWert = 1;
    such.relBhf[0] = 11;
    such.relBhf[1] = 22;
    such.festeFolge = 1;
    such.datum = kTag;
    EbRelBlockA ra;
    EbRelBlockB rb;
    std::int32_t touch[2];
    EbLaufwegBerechnen(&such, &ra, &rb, touch, 0, static_cast<std::uint32_t>(EbSlotHin));
  });
  EXPECT_EQ(aus.code, 1103);
  EXPECT_EQ(aus.nummer, 1104);
  EXPECT_EQ(aus.zahlen, (std::vector<std::int64_t>{1, 11, 22, 0, 0}));
  EXPECT_EQ(aus.texte, (std::vector<std::string>{UtDayText(kTag)}));
}

// ---- answer side raises ---------------------------------------------------------

TEST(EnginekmWeg, AlleAbschnitteEndgueltigMitKm1405) {
  Netz n = wegNetz();
  n.linie(11, 12, 20, 0, 'N', 'N', 'J');
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  EbAnfrage a = anfrage(11, 12);
  EXPECT_EQ(rechnen(a).code, 1405);
  Antwort r = rechnen(a, EB_FLAG_ABSCHNITTE | EB_FLAG_KEIN_1405);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.erg.hin.endMarke, 'A');
  EXPECT_EQ(r.erg.hin.kmWz, 20u);
}

TEST(EnginekmWeg, KettenbahnhofFehltInEbhf1123) {
  // K1 is in TDRG, STEN and GREN but not in EBHF: the route is built, the
  // chain reader cannot look up the end of the line segment 11 - K1.
  Netz n = wegNetz();
  n.bhf.erase(n.bhf.begin());
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  EbAnfrage a = anfrage(11, 21);
  EXPECT_EQ(rechnen(a).code, 1123);
  std::int32_t erster = 0, letzter = 0, rel = 0;
  Ausgang aus = fangen([&] {
    EbErgKetteAuswerten(&erster, &letzter, static_cast<std::uint32_t>(EbSlotHin), &rel, kTag);
  });
  EXPECT_EQ(aus.code, 1123);
  EXPECT_EQ(aus.nummer, 1124);
  EXPECT_EQ(aus.zahlen, (std::vector<std::int64_t>{80, K1}));
}

// ---- chain reader -----------------------------------------------------------------

class EnginekmLeser : public ::testing::Test {
 protected:
  void SetUp() override {
    u_ = std::make_unique<Umgebung>(wegNetz());
    ASSERT_EQ(u_->initCode, 0);
    ASSERT_EQ(fangen([&] { slot_ = EbListeBelegen(); }).code, 0);
    EbAntwortPunkteLoeschen();
    EbPunkteRichtung = 0;
  }
  void station(std::uint32_t nr, std::int32_t typ) {
    EbhfSatz s;
    ASSERT_EQ(DbGetEbhf(&s, 80, nr, kTag), 0);
    EbListeAnfuegen(static_cast<std::uint32_t>(slot_), &s, typ, 0);
  }
  void linie(std::uint32_t a, std::uint32_t b, std::int32_t umgekehrt = 0) {
    StenSatz s{};
    s.stationA = a;
    s.stationB = b;
    s.kmPart1 = 1;
    EbListeAnfuegen(static_cast<std::uint32_t>(slot_), &s, EB_ELEM_LINIE, umgekehrt);
  }
  void lesen() {
    ASSERT_EQ(fangen([&] {
                EbErgKetteAuswerten(&erster_, &letzter_, static_cast<std::uint32_t>(slot_), &rel_,
                                    kTag);
              }).code,
              0);
  }
  const std::int32_t* p() const { return EbAntwortPunkte.p[0]; }
  std::unique_ptr<Umgebung> u_;
  std::int32_t slot_ = -1;
  std::int32_t erster_ = 0, letzter_ = 0, rel_ = 0;
};

TEST_F(EnginekmLeser, EinLinienabschnitt) {
  station(11, EB_ELEM_START);
  linie(11, 12);
  station(12, EB_ELEM_ZIEL);
  lesen();
  EXPECT_EQ(erster_, 11);
  EXPECT_EQ(letzter_, 12);
  EXPECT_EQ(p()[0], 11);
  EXPECT_EQ(p()[7], 12);
  EXPECT_EQ(rel_, 0) << "a chain without relation leaves the relation alone";
}

TEST_F(EnginekmLeser, UmgekehrteRelation) {
  station(21, EB_ELEM_START);
  FbrrSatz f{};
  f.keyNo = 1;
  f.relationNo = 777;
  f.stations[0] = 8000011;
  f.stations[1] = 8000021;
  EbListeAnfuegen(static_cast<std::uint32_t>(slot_), &f, EB_ELEM_RELATION, 1);
  station(11, EB_ELEM_ZIEL);
  lesen();
  EXPECT_EQ(static_cast<std::uint32_t>(rel_), 777u | 0x80000000u);
  EXPECT_EQ(erster_, 21);
  EXPECT_EQ(letzter_, 11);
}

TEST_F(EnginekmLeser, StartBahnhofDerArtN) {
  station(14, EB_ELEM_START);
  linie(14, K1);
  station(K1, EB_ELEM_ZIEL);
  lesen();
  EXPECT_EQ(erster_, K1);
  EXPECT_EQ(letzter_, K1);
  EXPECT_EQ(p()[0], K1);
}

TEST_F(EnginekmLeser, RueckrichtungSchreibtDieZweitenPunkte) {
  EbPunkteRichtung = 7;  // any non-zero value is the return direction
  station(12, EB_ELEM_START);
  linie(11, 12, 1);
  station(11, EB_ELEM_ZIEL);
  lesen();
  EXPECT_EQ(EbAntwortPunkte.p[1][0], 12);
  EXPECT_EQ(EbAntwortPunkte.p[1][7], 11);
  EXPECT_EQ(p()[0], 0);
}

// ---- segment list ---------------------------------------------------------------------

TEST_F(EnginekmLeser, HoechstensDreizehnAbschnitte) {
  station(11, EB_ELEM_START);
  for (int i = 0; i < 15; ++i) linie(11, 12, i % 2);
  station(12, EB_ELEM_ZIEL);
  // Exactly 13 entries on the heap, so that a 14th write would be caught.
  std::vector<EbAbschnitt> e(EB_MAX_ABSCHNITTE);
  ASSERT_EQ(
      fangen([&] { EbAbschnitteFuellen(static_cast<std::uint32_t>(slot_), e.data(), kTag); }).code,
      0);
  for (int i = 0; i < EB_MAX_ABSCHNITTE; ++i) {
    EXPECT_EQ(e[i].art, 'S');
    EXPECT_EQ(e[i].von, i % 2 ? 12 : 11);
  }
}

TEST_F(EnginekmLeser, RelationKnotenUndNeSeeEintraege) {
  FbrrSatz f{};
  f.stations[0] = 8000011;
  f.stations[1] = 8000021;
  f.stations[2] = 8000013;
  f.stations[3] = 8000022;
  f.numbers[0] = 50;
  EbListeAnfuegen(static_cast<std::uint32_t>(slot_), &f, EB_ELEM_RELATION, 1);
  f.stations[3] = 0;
  EbListeAnfuegen(static_cast<std::uint32_t>(slot_), &f, EB_ELEM_RELATION, 1);
  GrenSatz g{};
  g.stationA = K1;
  g.stationB = K2;
  g.kmPart1 = 30;
  g.kmPart2 = 2;
  g.routeTextNo = 4711;
  EbListeAnfuegen(static_cast<std::uint32_t>(slot_), &g, EB_ELEM_KNOTEN, 0);
  NesrSatz n{};
  n.key1 = 11;  // the Ne/See station
  n.key2 = 21;  // the transfer station, kilometre part 'A'
  n.value2 = 9;
  EbListeAnfuegen(static_cast<std::uint32_t>(slot_), &n, EB_ELEM_NESEE, 0);
  EbListeAnfuegen(static_cast<std::uint32_t>(slot_), nullptr, EB_ELEM_BUS, 0);
  EbAbschnitt e[EB_MAX_ABSCHNITTE];
  ASSERT_EQ(fangen([&] { EbAbschnitteFuellen(static_cast<std::uint32_t>(slot_), e, kTag); }).code,
            0);
  EXPECT_EQ(e[0].art, 'F');
  EXPECT_EQ(e[0].von, 21);
  EXPECT_EQ(e[0].nach, 11);
  EXPECT_EQ(e[0].mitte1, 22);
  EXPECT_EQ(e[0].mitte2, 13);
  EXPECT_EQ(e[0].km1, 50);
  EXPECT_EQ(e[1].mitte1, 13) << "no swap without a second middle station";
  EXPECT_EQ(e[1].mitte2, 0);
  EXPECT_EQ(e[2].art, 'G');
  EXPECT_EQ(e[2].mitte1, 4711);
  EXPECT_EQ(e[2].km1, 30);
  EXPECT_EQ(e[2].km2, 2);
  EXPECT_EQ(e[3].art, 'N');
  EXPECT_EQ(e[3].von, 21) << "not at the head: from the second station";
  EXPECT_EQ(e[3].nach, 11);
  EXPECT_EQ(e[3].km1, 9);
  EXPECT_EQ(e[4].art, 'B');
  EXPECT_EQ(e[5].art, 0);

  // At the head of the list a transition runs from its first station; a
  // transfer station missing from EBHF raises 1101.
  EbListeFreigeben(static_cast<std::uint32_t>(slot_));
  EbListeAnfuegen(static_cast<std::uint32_t>(slot_), &n, EB_ELEM_NESEE, 0);
  ASSERT_EQ(fangen([&] { EbAbschnitteFuellen(static_cast<std::uint32_t>(slot_), e, kTag); }).code,
            0);
  EXPECT_EQ(e[0].von, 11);
  EXPECT_EQ(e[0].nach, 21);
  n.key2 = 99;
  EbListeAnfuegen(static_cast<std::uint32_t>(slot_), &n, EB_ELEM_NESEE, 0);
  Ausgang a = fangen([&] { EbAbschnitteFuellen(static_cast<std::uint32_t>(slot_), e, kTag); });
  EXPECT_EQ(a.code, 1101);
  EXPECT_EQ(a.zahlen, (std::vector<std::int64_t>{80, 99}));
}

// ---- appenders of the other request types ------------------------------------------

TEST(EnginekmWeg, LostUndBusAnfuegen) {
  Umgebung u(wegNetz());  // LOST registered without a file
  ASSERT_EQ(u.initCode, 0);
  Ausgang a = fangen([] { EbErgLostAnfuegen(1, 2, 3, 4, kTag); });
  EXPECT_EQ(a.code, 1121);
  EXPECT_EQ(a.nummer, 1122);
  EXPECT_EQ(a.zahlen, (std::vector<std::int64_t>{1, 2, 3, 4}));
  EbListeFreigeben(static_cast<std::uint32_t>(EbSlotHin));
  ASSERT_EQ(fangen([] { EbErgSatzAnfuegen(); }).code, 0);
  ASSERT_EQ(EbListSlotLesen(EbSlotHin).anzahl, 1);
  EXPECT_EQ(EbListSlotLesen(EbSlotHin).kopf->typ, EB_ELEM_BUS);
}

// ---- slots after a new initialisation, and no allocation per request --------------

TEST(EnginekmWeg, NeuerPoolNimmtDieArbeitsslotsNeu) {
  Umgebung u(wegNetz());
  ASSERT_EQ(u.initCode, 0);
  EbAnfrage a = anfrage(11, 21, 13, 22);
  ASSERT_EQ(rechnen(a).code, 0);
  // The pool is set up anew behind the route step's back (no call that
  // tells it): its slot numbers are free again, and it must take new ones.
  ASSERT_EQ(fangen([] {
              EbListenEnde();
              EbListenInit();
              EbSlotHin = EbListeBelegen();
              EbSlotRueck = EbListeBelegen();
            }).code,
            0);
  Antwort r = rechnen(a);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.erg.hin.kmWz + r.erg.hin.kmDr, 60u);
  const EbSucheArbeitsSlots arbeit = EbSucheArbeitsSlotsLesen();
  for (std::int32_t s : {arbeit.erster, arbeit.mitte, arbeit.letzter, EbSucheScratchSlot}) {
    EXPECT_NE(s, EbSlotHin);
    EXPECT_NE(s, EbSlotRueck);
    EXPECT_EQ(EbListSlotLesen(s).belegt, 1);
  }
}

TEST(EnginekmWeg, ZweiteInitialisierungRechnetWeiter) {
  for (int runde = 0; runde < 2; ++runde) {
    Umgebung u(wegNetz());
    ASSERT_EQ(u.initCode, 0);
    EbAnfrage a = anfrage(11, 21, 13);
    Antwort r = rechnen(a);
    ASSERT_EQ(r.code, 0) << "round " << runde;
    EXPECT_EQ(r.erg.hin.kmWz + r.erg.hin.kmDr, 48u);
  }
}

TEST(EnginekmWeg, KeineAllokationJeAnfrage) {
  Umgebung u(wegNetz());
  ASSERT_EQ(u.initCode, 0);
  const std::int32_t ziele[] = {12, 13, 21, 22, K1, K2};
  EbAnfrage a = anfrage(11, 21, 13, 22);
  ASSERT_EQ(rechnen(a).code, 0);  // the pool grows to the largest chain set here
  const std::int32_t knoten = EbListenPoolAllokiert();

  // The route step alone.
  gNeu = 0;
  gZaehlen = true;
  for (int i = 0; i < 50; ++i) {
    for (std::int32_t z : ziele) {
      EbSuchAnfrage such{};
      such.von = 11;
      such.nach = z;
      such.bpVor = 13;
      such.festeFolge = 1;
      such.datum = kTag;
      EbRelBlockA ra;
      EbRelBlockB rb;
      std::int32_t touch[2];
      MsgTrapFrame frame;
      int code = MsgTry(frame, [&] {
        EbListeFreigeben(static_cast<std::uint32_t>(EbSlotHin));
        EbLaufwegBerechnen(&such, &ra, &rb, touch, 0, static_cast<std::uint32_t>(EbSlotHin));
      });
      EXPECT_EQ(code, 0);
    }
  }
  gZaehlen = false;
  EXPECT_EQ(gNeu.load(), 0) << "route step allocated";

  // Whole requests, as the 50 km list runs them (no texts).
  gNeu = 0;
  gZaehlen = true;
  for (int i = 0; i < 50; ++i) {
    for (std::int32_t z : ziele) {
      EbAnfrage b = anfrage(11, z);
      b.textFlag = '0';
      EbErgebnis erg;
      EbAbschnitte abs;
      EXPECT_EQ(EbGfEntfernungsBerechnung(&erg, &abs, &b, 0), 0);
    }
  }
  gZaehlen = false;
  EXPECT_EQ(gNeu.load(), 0) << "request allocated";
  EXPECT_EQ(EbListenPoolAllokiert(), knoten);
}

}  // namespace
}  // namespace ekm
