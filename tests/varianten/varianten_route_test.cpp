// Routes over variants through the engine's request: requests without a
// fixed point sequence over writer-made EBGG, EBGB and FBRR files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fbrr.h"
#include "common/dtacc/dm/dm_sten.h"
#include "engine/ebinit.h"
#include "engine/ebkette.h"
#include "engine/ebliste.h"
#include "tests/varianten/var_netz.h"

using namespace vartest;

namespace {

// A type '1' request as the dialog fills it, but without a fixed point
// sequence.
EbAnfrage anfrage(std::int32_t von, std::int32_t nach, std::int32_t festeFolge = 0) {
  EbAnfrage a = testnetz::dialogAnfrage(von, nach, 0, 0, kTag);
  a.profilKey = 0;
  a.festeFolge = festeFolge;
  return a;
}

struct Antwort {
  int code = -1;
  EbErgebnis erg{};
  EbAbschnitte abschnitte{};
  std::string segmente() const {
    std::string s;
    for (const EbAbschnitt& x : abschnitte.hin) {
      if (x.art == 0) break;
      if (!s.empty()) s += ' ';
      s += x.art + std::to_string(x.von) + "-" + std::to_string(x.nach) + ":" +
           std::to_string(x.km1);
    }
    return s;
  }
  std::uint32_t km() const {
    return erg.hin.kmWzVxt + erg.hin.kmDrVxt + erg.hin.kmWz + erg.hin.kmDr;
  }
};

// The outbound chain as text: stations of start, via and destination
// elements, and line and relation segments in travel order.
std::string kette(std::uint32_t slot) {
  std::string s;
  for (const EbListNode* k = EbListSlotLesen(slot).kopf; k != nullptr; k = k->next) {
    if (!s.empty()) s += ' ';
    switch (k->typ) {
      case EB_ELEM_START:
      case EB_ELEM_ZIEL:
      case EB_ELEM_VIA: {
        const char* art = k->typ == EB_ELEM_START  ? "start"
                          : k->typ == EB_ELEM_ZIEL ? "ziel"
                                                   : "via";
        s += art + std::to_string(EbNutzlastLesen<EbhfSatz>(k).station);
        break;
      }
      case EB_ELEM_LINIE: {
        StenSatz st = EbNutzlastLesen<StenSatz>(k);
        std::uint32_t a = st.stationA, b = st.stationB;
        if (k->umgekehrt) std::swap(a, b);
        s += "S" + std::to_string(a) + "-" + std::to_string(b);
        break;
      }
      case EB_ELEM_RELATION: {
        FbrrSatz f = EbNutzlastLesen<FbrrSatz>(k);
        std::uint32_t a = f.stations[0], b = f.stations[1];
        if (k->umgekehrt) std::swap(a, b);
        s += "F" + std::to_string(a) + "-" + std::to_string(b);
        break;
      }
      default:
        s += "T" + std::to_string(k->typ);
    }
  }
  return s;
}

Antwort rechnen(EbAnfrage a) {
  Antwort r;
  r.code = EbGfEntfernungsBerechnung(&r.erg, &r.abschnitte, &a, EB_FLAG_ABSCHNITTE);
  return r;
}

// Origin 10, destination 20. Profile 1:
//   entry 7 (rank 5, relation flags 0x01): 10 -> 31 (threshold 100),
//                                          20 -> 41 (threshold 0)
//   entry 8 (rank 3, relation flags 0x01): 10 -> 31 (threshold 10)
// Lines: 31-41 70 km, 31-20 50 km, 10-41 80 km, 10-20 90 km.
// The variants in order: (7,7) 31->41 fails the threshold 100 at 70 km,
// (7,8) 31->20 fails it at 50 km, (8,7) 31->41 meets entry 8's threshold
// 10 and destination threshold 0: the route, its km from the cache.
Netz schwellenNetz() {
  Netz n;
  for (std::uint32_t s : {10u, 20u, 31u, 41u}) n.station(s);
  n.linie(31, 41, 70);
  n.linie(20, 31, 50);
  n.linie(10, 41, 80);
  n.linie(10, 20, 90);
  n.profil(1, 7, 5, 0x01);
  n.profil(1, 8, 3, 0x01);
  n.abbild(7, 10, 31, "Nord hoch", 100);
  n.abbild(7, 20, 41, "Sued", 0);
  n.abbild(8, 10, 31, "Nord tief", 10);
  return n;
}

TEST(VariantenRoute, FirstVariantFailsTheThresholdALaterOnePasses) {
  Umgebung u(schwellenNetz());
  ASSERT_EQ(u.initCode, 0);
  const std::uint32_t vorher = EbVarLegBerechnungen();
  Antwort v = rechnen(anfrage(10, 20));
  ASSERT_EQ(v.code, 0);
  // Three leg computations: 31->41, 31->20, and 31->41 again, because the
  // passing variant's km came from the cache while the work slots held
  // the legs of 31->20.
  EXPECT_EQ(EbVarLegBerechnungen() - vorher, 3u);
  EXPECT_EQ(v.km(), 70u);
  EXPECT_EQ(v.segmente(), "S31-41:70");
  EXPECT_EQ(v.erg.hin.relAStart, 'J');
  EXPECT_EQ(v.erg.hin.relAEnde, 'J');
  EXPECT_EQ(v.erg.hin.relABhfStart, 31u);
  EXPECT_EQ(v.erg.hin.relABhfEnde, 41u);
  EXPECT_EQ(v.erg.hin.relBStart, 'N');

  // The same legs and kilometres as a fresh computation of that point
  // sequence (the chain's start and destination elements stay the
  // request's stations 10 and 20).
  Antwort f = rechnen(anfrage(31, 41, 1));
  ASSERT_EQ(f.code, 0);
  EXPECT_EQ(v.km(), f.km());
  EXPECT_EQ(v.segmente(), f.segmente());
  EXPECT_EQ(v.erg.hin.kmWz, f.erg.hin.kmWz);
  EXPECT_EQ(v.erg.hin.kmDr, f.erg.hin.kmDr);

  // A second request computes the same route again: the cache lives for
  // one direction only.
  Antwort w = rechnen(anfrage(10, 20));
  ASSERT_EQ(w.code, 0);
  EXPECT_EQ(w.km(), 70u);
  EXPECT_EQ(w.segmente(), "S31-41:70");
}

// Relation flags 0x02 (relation block B): such a variant is taken only with
// an option bit; then block B names the mapped origin.
TEST(VariantenRoute, BlockBVariantsNeedAnOptionBit) {
  Netz n;
  for (std::uint32_t s : {10u, 20u, 31u}) n.station(s);
  n.linie(10, 20, 90);
  n.linie(20, 31, 50);
  n.profil(1, 7, 5, 0x02 | 0x10);
  n.abbild(7, 10, 31, "Urbogebiet");
  Umgebung u(n);
  struct Fall {
    const char* was;
    char option;
    std::uint32_t km;
    const char* segmente;
    char relB;
  } faelle[] = {
      {"without option bits the plain variant stands", 'N', 90, "S10-20:90", 'N'},
      {"with the outbound option the mapped origin stands", 'J', 50, "S31-20:50", 'J'},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.was);
    EbAnfrage a = anfrage(10, 20);
    a.hin.optionFlag = 'J';
    a.optionen[0] = f.option;
    Antwort r = rechnen(a);
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.km(), f.km);
    EXPECT_EQ(r.segmente(), f.segmente);
    EXPECT_EQ(r.erg.hin.relBStart, f.relB);
    if (f.relB == 'J') {
      EXPECT_EQ(r.erg.hin.relBBhfStart, 31u);
      EXPECT_EQ(name25(r.erg.hin.textStart), "Urbogebiet");
    }
  }
}

// The search fails: 1420, whatever the cause.
TEST(VariantenRoute, AFailedSearchEndsWith1420) {
  struct Fall {
    const char* was;
    bool mitDateien;
    bool doppelt;
    std::int32_t profil;
  } faelle[] = {
      {"shipped configuration: EBGG and EBGB without a file", false, false, 0},
      {"no EBGG record for the profile key", true, false, 5},
      {"two EBGB records for one point", true, true, 0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.was);
    Netz n = schwellenNetz();
    if (f.doppelt) n.abbild(8, 10, 41, "Doppelt");
    Dateien d;
    d.ebgg = d.ebgb = f.mitDateien;
    Umgebung u(n, d);
    EbAnfrage a = anfrage(10, 20);
    a.profilKey = f.profil;
    EXPECT_EQ(rechnen(a).code, 1420);
    // The same request with its fixed point sequence runs.
    Antwort fest = rechnen(anfrage(10, 20, 1));
    EXPECT_EQ(fest.code, 0);
    EXPECT_EQ(fest.km(), 90u);
  }
}

// Break points and a relation on a route over variants: the plain variant
// runs through them in order. The relation start, which FBRR turns into
// the relation number in the variant's points, is routed from the station
// the request gave.
TEST(VariantenRoute, BreakPointsAndRelationLegOverTheVariants) {
  Netz n;
  for (std::uint32_t s : {10u, 12u, 13u, 15u, 16u, 20u}) n.station(s);
  n.linie(10, 15, 30);
  n.linie(15, 20, 40);
  n.linie(10, 12, 5);
  n.linie(13, 16, 7);
  n.linie(16, 20, 4);
  n.fbrr.push_back({1, 4711, 0, 0, {8000012, 8000013, 0, 0}, {25, 0, 0, 0}, dmw::kOpenEndDay});
  n.profil(1, 7, 5);
  Umgebung u(n);

  EbAnfrage a = anfrage(10, 20);
  a.hin.bpVor = 15;
  Antwort r = rechnen(a);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.km(), 70u);
  EXPECT_EQ(r.segmente(), "S10-15:30 S15-20:40");
  EXPECT_EQ(r.erg.hin.bpVorlauf, 15u);

  // Without route texts (the chain is read directly).
  EbAnfrage b = anfrage(10, 20);
  b.textFlag = '0';
  b.hin.relBhf[0] = 12;
  b.hin.relBhf[1] = 13;
  b.hin.bpNach = 16;
  Antwort q = rechnen(b);
  ASSERT_EQ(q.code, 0);
  EXPECT_EQ(q.erg.hin.kmWzVxt, 25u);
  EXPECT_EQ(q.km(), 5u + 25u + 7u + 4u);
  EXPECT_EQ(q.erg.hin.bpNachlauf, 16u);
  EXPECT_EQ(kette(static_cast<std::uint32_t>(EbSlotHin)),
            "start10 S10-12 F12-13 S13-16 via16 S16-20 ziel20");
}

// The walk over the variants when none stands: every variant failing its
// threshold, or every variant passed over for want of an option bit, is no
// route: 1420, blocks and touch pair cleared, no km.
TEST(VariantenRoute, NoVariantStandingIsNoRoute) {
  Umgebung u(schwellenNetz());
  EbSuchAnfrage a = suchAnfrage(10, 20, 1);
  a.bpVor = 0;
  struct Fall {
    const char* was;
    std::int32_t relFlags, schwelle;
    int code;
  } faelle[] = {
      {"every threshold out of reach", 0x01, 1000, 1420},
      {"every variant needs an option bit", 0x02, 0, 1420},
      {"as the search left them", -1, 0, 0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.was);
    EbPunkt p[EB_VAR_MAX_PUNKTE];
    const std::uint16_t cnt = EbVarRoutenpunkte(&a, p);
    EbSuchStatus st{};
    EbWegeVariantenSuchen(&listeEbWegeBhf, p, &listeEbWegeVar, &st, 1, cnt);
    ASSERT_EQ(st.code, 0);
    if (f.relFlags >= 0) {
      for (std::uint32_t i = 0; i < listeEbWegeVar.count; ++i) {
        auto* v = static_cast<EbWegeVar*>(UtListAt(&listeEbWegeVar, i));
        v->abgang.relFlags = f.relFlags;
        v->abgang.kmSchwelle = f.schwelle;
      }
    }
    EbListeArrayFreigeben(&listeWegeFertig);
    EbRelBlockA A{};
    EbRelBlockB B{};
    A.gefundenStart = 9;
    std::int32_t touch[2] = {5, 6};
    std::int32_t km = -1;
    int nummer = 0;
    int code = fangen([&] { km = EbVarWegWaehlen(&a, &A, &B, touch, 0); }, &nummer);
    EXPECT_EQ(code, f.code);
    // The cache holds each point sequence once, in the list's ascending
    // order of its 36-byte key.
    const std::uint32_t anzahl = listeWegeFertig.count;
    if (f.relFlags == 0x01) {
      EXPECT_EQ(anzahl, 4u);  // 31-41, 31-20, 10-41, 10-20
    }
    for (std::uint32_t i = 1; i < anzahl; ++i)
      EXPECT_LT(std::memcmp(UtListAt(&listeWegeFertig, i - 1), UtListAt(&listeWegeFertig, i), 36),
                0);
    if (f.code != 0) {
      EXPECT_EQ(nummer, 1420);
      EXPECT_EQ(km, -1);
      EXPECT_EQ(A.gefundenStart, 0);
      EXPECT_EQ(touch[0], 0);
      EXPECT_EQ(touch[1], 0);
    } else {
      EXPECT_EQ(km, 70);
      EXPECT_EQ(A.gefundenStart, 1);
      EXPECT_EQ(A.bhfStart, 31);
      EXPECT_EQ(A.kmSchwelleStart, 10);
      EXPECT_EQ(name25(A.nameStart), "Nord tief");
    }
  }
  EbListeArrayFreigeben(&listeWegeFertig);
}

}  // namespace
