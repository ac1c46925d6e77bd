// EBGB points, point roles and Laufweg records of the route-variant search,
// called directly over writer-made EBGB, EBGG and FBRR files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ebliste.h"
#include "tests/varianten/var_netz.h"

using namespace vartest;

namespace {

Netz grundNetz() {
  Netz n;
  for (std::uint32_t s : {10u, 11u, 12u, 13u, 14u, 15u, 16u, 20u, 31u, 32u, 41u}) n.station(s);
  n.linie(10, 20, 90);
  n.profil(1, 7, 5, 0x01);
  return n;
}

bool ebgbSlotsFrei() {
  for (const DbCursorSlot& s : DbEbgbSlots)
    if (s.inUse != 0) return false;
  return true;
}

EbLaufwegPunkt lwPunkt(std::int32_t b) {
  EbLaufwegPunkt p{};
  p.punkt.bahnhof = b;
  std::memset(p.name, ' ', sizeof p.name);
  return p;
}

// ---- EbEbgbPunktLesen ------------------------------------------------------

TEST(VariantenEbgbPunkt, MapsAPointAndGivesTheCursorBack) {
  Netz n = grundNetz();
  n.abbild(7, 10, 31, "Abbild Nord", 120);
  Umgebung u(n);
  ASSERT_EQ(u.initCode, 0);
  Mithoerer m;

  EbLaufwegPunkt p = lwPunkt(8000010);
  std::int32_t gef = 0;
  EXPECT_EQ(EbEbgbPunktLesen(8000010, kTag, &p, &gef, 7), 0);
  EXPECT_EQ(gef, 1);
  EXPECT_EQ(p.punkt.bahnhof, 8000031);
  EXPECT_EQ(name25(p.name), "Abbild Nord");
  EXPECT_EQ(p.name[24], ' ');  // the 25th character stays as it was
  EXPECT_EQ(p.kmSchwelle, 120);
  EXPECT_TRUE(ebgbSlotsFrei());

  // A local number is looked up the same way; another key maps nothing.
  EbLaufwegPunkt q = lwPunkt(10);
  gef = 0;
  EXPECT_EQ(EbEbgbPunktLesen(10, kTag, &q, &gef, 7), 0);
  EXPECT_EQ(q.punkt.bahnhof, 8000031);
  EbLaufwegPunkt r = lwPunkt(8000010);
  gef = 0;
  EXPECT_EQ(EbEbgbPunktLesen(8000010, kTag, &r, &gef, 8), 0);
  EXPECT_EQ(gef, 0);
  EXPECT_EQ(r.punkt.bahnhof, 8000010);

  // A station of another country is never looked up.
  EbLaufwegPunkt f = lwPunkt(8500010);
  gef = 1;
  EXPECT_EQ(EbEbgbPunktLesen(8500010, kTag, &f, &gef, 7), 0);
  EXPECT_EQ(gef, 0);
  EXPECT_EQ(f.punkt.bahnhof, 8500010);
  EXPECT_TRUE(ebgbSlotsFrei());
  EXPECT_TRUE(m.meldungen().empty());
}

TEST(VariantenEbgbPunkt, TwoRecordsForOnePointWarn1127AndKeepTheFirst) {
  Netz n = grundNetz();
  n.abbild(7, 10, 31, "Erster");
  n.abbild(7, 10, 32, "Zweiter");
  Umgebung u(n);
  Mithoerer m;

  EbLaufwegPunkt p = lwPunkt(8000010);
  std::int32_t gef = 0;
  EXPECT_EQ(EbEbgbPunktLesen(8000010, kTag, &p, &gef, 7), 1127);
  EXPECT_EQ(p.punkt.bahnhof, 8000031);
  EXPECT_EQ(name25(p.name), "Erster");
  EXPECT_TRUE(ebgbSlotsFrei());
  ASSERT_EQ(m.meldungen().size(), 1u);
  EXPECT_EQ(m.meldungen()[0].nummer, 1127);
  EXPECT_EQ(m.meldungen()[0].zahlen, (std::vector<std::int64_t>{7, 8000010}));
  ASSERT_EQ(m.meldungen()[0].texte.size(), 1u);
  EXPECT_EQ(m.meldungen()[0].texte[0], std::string(UtDayText(kTag)));
}

// Cursor step that opens a real cursor and then reports bad arguments on
// the step numbered `fehlerBei` (1 the first, 2 the second).
int fehlerBei = 0;
int schritte = 0;
DbLookupResult schrittMitFehler(EbgbSatz* out, int* handle, std::uint16_t k1, std::uint32_t k2,
                                UtDayNumber day) {
  DbLookupResult r = DbNextEbgb(out, handle, k1, k2, day);
  return ++schritte == fehlerBei ? kDbBadArgs : r;
}

TEST(VariantenEbgbPunkt, BadArgumentsWarn1126OnEitherReadAndReleaseTheCursor) {
  Netz n = grundNetz();
  n.abbild(7, 10, 31, "Abbild");
  Umgebung u(n);
  struct Fall {
    int fehler;
    std::int64_t station;  // as the warning names it
  } faelle[] = {{1, 10}, {2, 8000010}};
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.fehler);
    Mithoerer m;
    fehlerBei = f.fehler;
    schritte = 0;
    EbVarEbgbSchrittSetzen(&schrittMitFehler);
    EbLaufwegPunkt p = lwPunkt(8000010);
    std::int32_t gef = 0;
    EXPECT_EQ(EbEbgbPunktLesen(8000010, kTag, &p, &gef, 7), 1126);
    EbVarEbgbSchrittSetzen(&DbNextEbgb);
    EXPECT_TRUE(ebgbSlotsFrei());
    ASSERT_EQ(m.meldungen().size(), 1u);
    EXPECT_EQ(m.meldungen()[0].nummer, 1126);
    EXPECT_EQ(m.meldungen()[0].zahlen, (std::vector<std::int64_t>{7, f.station}));
  }
}

TEST(VariantenEbgbPunkt, WithoutEbgbFileNothingIsFound) {
  Netz n = grundNetz();
  Dateien d;
  d.ebgb = false;
  Umgebung u(n, d);
  EbLaufwegPunkt p = lwPunkt(8000010);
  std::int32_t gef = 0;
  EXPECT_EQ(EbEbgbPunktLesen(8000010, kTag, &p, &gef, 7), 0);
  EXPECT_EQ(gef, 0);
  EXPECT_EQ(p.punkt.bahnhof, 8000010);
  EXPECT_TRUE(ebgbSlotsFrei());
}

// ---- EbBhfRollenErmitteln ----------------------------------------------------

struct Rollen {
  EbRollenSatz r;
  EbRollenGemeinsam g;
  void ermitteln(const std::vector<EbPunkt>& p) {
    EbBhfRollenErmitteln({p.data(), static_cast<std::uint16_t>(p.size()), kTag, &r, &g});
  }
};

struct RollenZeile {
  const char* rolle;
  EbPunkt EbRollenSatz::*feld;
  int relIndex;  // -1: feld
  std::int32_t bahnhof;
  std::uint16_t punktFlags, seitenFlags, artFlags;
};

// The points the route over variants hands the search for a request with
// every point, classified into their roles. The relation end meets the
// relation in FBRR, so the relation start record carries the relation
// number with the kind flags 0x24.
TEST(VariantenRollen, RoutePointsOfAFullRequestAsATable) {
  Netz n = grundNetz();
  n.fbrr.push_back(
      {1, 4711, 0, 0, {8000012, 8000013, 8000014, 8000015}, {25, 0, 0, 0}, dmw::kOpenEndDay});
  Umgebung u(n);

  EbSuchAnfrage a = suchAnfrage(10, 20);
  a.bpVor = 11;
  a.relBhf[0] = 12;
  a.relBhf[1] = 13;
  a.relBhf[2] = 14;
  a.relBhf[3] = 15;
  a.bpNach = 16;
  EbPunkt p[EB_VAR_MAX_PUNKTE];
  const std::uint16_t anzahl = EbVarRoutenpunkte(&a, p);
  ASSERT_EQ(anzahl, 9);

  Rollen r;
  r.ermitteln(std::vector<EbPunkt>(p, p + anzahl));
  const RollenZeile tabelle[] = {
      {"start", &EbRollenSatz::start, -1, 8000010, 0x02, 0x40, 0},
      {"BP1", &EbRollenSatz::bp1, -1, 8000011, 0x00, 0x10, 0},
      {"relation header", nullptr, EB_REL_KOPF, 1, 0x00, 0x00, 0x13},
      {"relation start", nullptr, EB_REL_START, 4711, 0x10, 0x00, 0x24},
      {"third", nullptr, EB_REL_DRITTE, 8000014, 0x40, 0x00, 0},
      {"fourth", nullptr, EB_REL_VIERTE, 8000015, 0x40, 0x00, 0},
      {"relation end", nullptr, EB_REL_ENDE, 8000013, 0x20, 0x00, 0},
      {"BP2", &EbRollenSatz::bp2, -1, 8000016, 0x00, 0x20, 0},
      {"end", &EbRollenSatz::ende, -1, 8000020, 0x04, 0x80, 0},
      {"plain border", &EbRollenSatz::grenzeEinfach, -1, 0, 0, 0, 0},
      {"marked border", &EbRollenSatz::grenzeMarkiert, -1, 0, 0, 0, 0},
  };
  for (const RollenZeile& z : tabelle) {
    SCOPED_TRACE(z.rolle);
    const EbPunkt& q = z.relIndex >= 0 ? r.g.relation[z.relIndex] : r.r.*(z.feld);
    EXPECT_EQ(q.bahnhof, z.bahnhof);
    EXPECT_EQ(q.punktFlags, z.punktFlags);
    EXPECT_EQ(q.seitenFlags, z.seitenFlags);
    EXPECT_EQ(q.artFlags, z.artFlags);
  }
  EXPECT_EQ(r.r.marke, 'N');
  EXPECT_EQ(r.r.bp1Anzahl, 1);
  EXPECT_EQ(r.r.bp2Anzahl, 1);
  EXPECT_TRUE(EbPunktTraegtRelation(r.g.relation[EB_REL_START]));
}

// Small point sets and the roles they give.
TEST(VariantenRollen, BordersBreakPointsAndRelationSlots) {
  Netz n = grundNetz();
  Umgebung u(n);
  struct Fall {
    const char* was;
    std::vector<EbPunkt> punkte;
    char marke;
    std::int32_t start, ende, bp1, bp2, markiert, einfach, dritte, vierte;
  } faelle[] = {
      // Two marked border points of side role 1, the first the origin: the
      // marker becomes 'H' and the second is taken as the end, which the
      // destination point then replaces.
      {"marked borders",
       {punkt(10, 0x02, 0x49), punkt(11, 0, 0x09), punkt(20, 0x04, 0x80)},
       'H',
       10,
       20,
       0,
       0,
       11,
       0,
       0,
       0},
      // A marked border ahead of the origin starts the route ('V').
      {"border ahead",
       {punkt(11, 0, 0x0A), punkt(10, 0x02, 0x40), punkt(20, 0x04, 0x80)},
       'V',
       10,
       20,
       0,
       0,
       11,
       0,
       0,
       0},
      // A plain border point only fills its role.
      {"plain border",
       {punkt(10, 0x02, 0x40), punkt(12, 0, 0x01), punkt(20, 0x04, 0x80)},
       'N',
       10,
       20,
       0,
       0,
       0,
       12,
       0,
       0},
      // One break point without relation is the first; after a relation
      // start it is the second.
      {"lone break point",
       {punkt(10, 0x02, 0x40), punkt(11, 0, 0x20), punkt(20, 0x04, 0x80)},
       'N',
       10,
       20,
       11,
       0,
       0,
       0,
       0,
       0},
      {"break point behind relation",
       {punkt(10, 0x02, 0x40), punkt(12, 0x10, 0), punkt(13, 0x20, 0), punkt(16, 0, 0x10),
        punkt(20, 0x04, 0x80)},
       'N',
       10,
       20,
       0,
       16,
       0,
       0,
       0,
       0},
      // Further relation stations fill third and fourth; a fifth overwrites
      // the fourth.
      {"relation slots",
       {punkt(10, 0x02, 0x40), punkt(12, 0x10, 0), punkt(14, 0x40, 0), punkt(15, 0x40, 0),
        punkt(16, 0x40, 0), punkt(13, 0x20, 0), punkt(20, 0x04, 0x80)},
       'N',
       10,
       20,
       0,
       0,
       0,
       0,
       14,
       16},
      // A point with point flag 0x08 is passed over.
      {"passed over",
       {punkt(10, 0x02, 0x40), punkt(11, 0x08, 0x10), punkt(20, 0x04, 0x80)},
       'N',
       10,
       20,
       0,
       0,
       0,
       0,
       0,
       0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.was);
    Rollen r;
    r.ermitteln(f.punkte);
    EXPECT_EQ(r.r.marke, f.marke);
    EXPECT_EQ(r.r.start.bahnhof, f.start);
    EXPECT_EQ(r.r.ende.bahnhof, f.ende);
    EXPECT_EQ(r.r.bp1.bahnhof, f.bp1);
    EXPECT_EQ(r.r.bp2.bahnhof, f.bp2);
    EXPECT_EQ(r.r.grenzeMarkiert.bahnhof, f.markiert);
    EXPECT_EQ(r.r.grenzeEinfach.bahnhof, f.einfach);
    EXPECT_EQ(r.g.relation[EB_REL_DRITTE].bahnhof, f.dritte);
    EXPECT_EQ(r.g.relation[EB_REL_VIERTE].bahnhof, f.vierte);
  }
}

// ---- EbLaufwegSaetzeBilden ---------------------------------------------------

std::vector<EbLaufweg> saetze(const UtList& l) {
  std::vector<EbLaufweg> v(l.count);
  if (l.count > 0) std::memcpy(v.data(), l.elements, l.count * sizeof(EbLaufweg));
  return v;
}

// Entry 7 maps the origin only, entry 8 maps nothing, entry 9 maps both
// ends to the same station: origin record 7 with a stand-by destination
// record 7, nothing for 8 and 9, then the plain records.
TEST(VariantenLaufweg, RecordsPerEntryWithStandByAndPlainRecords) {
  Netz n = grundNetz();
  n.abbild(7, 10, 31, "Nordabbild", 40);
  n.abbild(9, 10, 32, "Gleich");
  n.abbild(9, 20, 32, "Gleich");
  n.abbild(7, 11, 41, "Bp-Abbild");
  Umgebung u(n);
  EbLaufwegListen* w = EbVarArbeitslisten();
  // The search sets the work lists up on its first call.
  EbSuchStatus st{};
  EbWegeVariantenSuchen(&listeEbWegeBhf, nullptr, &listeEbWegeVar, &st, 99, 0);
  ASSERT_EQ(st.code, 1125);

  for (EbGlstProfil e :
       {EbGlstProfil{1, 5, 7, 0x01}, EbGlstProfil{1, 4, 8, 0}, EbGlstProfil{1, 3, 9, 0}})
    ASSERT_GE(UtListInsert(&w->glstProfil, w->glstProfil.count, &e), 0);
  EbPunkt rel[EB_REL_ANZAHL] = {};
  const char marke = 'N';
  st = EbLaufwegSaetzeBilden(w, punkt(8000010, 0x02, 0x40), punkt(8000020, 0x04, 0x80), rel, &marke,
                             EbPunkt{}, EbPunkt{}, punkt(8000011, 0, 0x10), EbPunkt{}, kTag);
  EXPECT_EQ(st.code, 0);
  EXPECT_EQ(std::string(st.id, 2), "EB");

  std::vector<EbLaufweg> ab = saetze(w->abgang);
  std::vector<EbLaufweg> zi = saetze(w->ziel);
  ASSERT_EQ(ab.size(), 2u);
  ASSERT_EQ(zi.size(), 2u);
  // origin record of entry 7: point 0 and the break point completed
  EXPECT_EQ(ab[0].eintragKey, 7);
  EXPECT_EQ(ab[0].rang, 5u);
  EXPECT_EQ(ab[0].gefunden, 1);
  EXPECT_EQ(ab[0].p[EB_LW_ENDE].punkt.bahnhof, 8000031);
  EXPECT_EQ(ab[0].p[EB_LW_ENDE].punkt.punktFlags, 0x1002);
  EXPECT_EQ(ab[0].p[EB_LW_ENDE].relFlags, 0x01);
  EXPECT_EQ(ab[0].p[EB_LW_ENDE].kmSchwelle, 40);
  EXPECT_EQ(name25(ab[0].p[EB_LW_ENDE].name), "Nordabbild");
  EXPECT_EQ(ab[0].p[EB_LW_BP1].punkt.bahnhof, 8000041);
  EXPECT_EQ(ab[0].p[EB_LW_BP1].punkt.punktFlags, 0x1000);
  EXPECT_EQ(ab[0].p[EB_LW_BP1].relFlags, 0);
  // stand-by destination record under entry key 7: the plain destination
  EXPECT_EQ(zi[0].eintragKey, 7);
  EXPECT_EQ(zi[0].rang, 0u);
  EXPECT_EQ(zi[0].gefunden, 0);
  EXPECT_EQ(zi[0].p[EB_LW_ENDE].punkt.bahnhof, 8000020);
  EXPECT_EQ(zi[0].p[EB_LW_ENDE].punkt.punktFlags, 0x04);
  EXPECT_EQ(zi[0].p[EB_LW_BP1].punkt.bahnhof, 8000041);
  // the plain records close both lists
  for (const EbLaufweg* s : {&ab[1], &zi[1]}) {
    EXPECT_EQ(s->eintragKey, 0);
    EXPECT_EQ(s->rang, 0u);
    EXPECT_EQ(s->gefunden, 0);
    EXPECT_EQ(s->p[EB_LW_BP1].punkt.bahnhof, 8000011);
    EXPECT_EQ(name25(s->p[EB_LW_ENDE].name), "");
  }
  EXPECT_EQ(ab[1].p[EB_LW_ENDE].punkt.bahnhof, 8000010);
  EXPECT_EQ(zi[1].p[EB_LW_ENDE].punkt.bahnhof, 8000020);
  EbLaufwegListenFreigeben(w);
}

// Profile flags 0x30 skip both sides: nothing is looked up or appended.
// A lookup that fails ends the building with its code.
TEST(VariantenLaufweg, SkippedSidesAndAFailingLookup) {
  Netz n = grundNetz();
  n.abbild(7, 10, 31, "A");
  n.abbild(7, 20, 41, "B");
  n.abbild(7, 20, 42, "C");  // two records for the destination: 1127
  Umgebung u(n);
  EbLaufwegListen* w = EbVarArbeitslisten();
  EbSuchStatus st{};
  EbWegeVariantenSuchen(&listeEbWegeBhf, nullptr, &listeEbWegeVar, &st, 99, 0);
  EbPunkt rel[EB_REL_ANZAHL] = {};
  const char marke = 'N';

  EbGlstProfil e{1, 5, 7, 0x30};
  ASSERT_GE(UtListInsert(&w->glstProfil, 0, &e), 0);
  st = EbLaufwegSaetzeBilden(w, punkt(8000010, 0x02, 0x40), punkt(8000020, 0x04, 0x80), rel, &marke,
                             EbPunkt{}, EbPunkt{}, EbPunkt{}, EbPunkt{}, kTag);
  EXPECT_EQ(st.code, 0);
  EXPECT_EQ(w->abgang.count, 1u);
  EXPECT_EQ(w->ziel.count, 1u);
  EbLaufwegListenFreigeben(w);

  e.profilFlags = 0;
  ASSERT_GE(UtListInsert(&w->glstProfil, 0, &e), 0);
  {
    Mithoerer m;
    st = EbLaufwegSaetzeBilden(w, punkt(8000010, 0x02, 0x40), punkt(8000020, 0x04, 0x80), rel,
                               &marke, EbPunkt{}, EbPunkt{}, EbPunkt{}, EbPunkt{}, kTag);
    EXPECT_EQ(st.code, 1127);
    EXPECT_EQ(std::string(st.id, 2), "EB");
    EXPECT_EQ(w->abgang.count, 0u);
    ASSERT_EQ(m.meldungen().size(), 1u);
    EXPECT_EQ(m.meldungen()[0].nummer, 1127);
  }
  EbLaufwegListenFreigeben(w);
}

}  // namespace
