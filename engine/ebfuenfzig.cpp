/*
** The 50 km list (see ebfuenfzig.h): the loop over the station numbers,
** the origin's work done once per list, and the shortcut for the stations
** whose one leg is certainly longer than 50 km.
**
** The leg from origin A to a station B is computed as the kilometre
** computation computes it with mode 0 (ebkm.cpp): the direct STEN
** route as it stands when STEN marks it final, else the shorter of it and
** the route over node stations. The node route is found from the origin's
** tables: for every GREN node station m, paar[m] is the least km from A's
** side to m (A a node: GREN(A, m); A no node: the least km(o) + GREN(o, m)
** over A's nodes o, 0 for o = m) and zuKnoten[m] the same without the node
** m itself (the route of A to the node station m). Where the engine would
** ask GREN for a pair GREN does not hold, the entry is unknown, and a
** station that needs it gets its full request, which raises as it does.
**
** Most stations lie far off and are left out with two tests, without their
** node lists: a station that STEN pairs with the origin in no version has
** no direct route (STEN's partners of the origin are walked beside the
** stations, both ascending), and its node route is at least the least
** paar[m] over the node stations m that TDRG names for its area on any
** day, since its node list is some of them. When that bound is above 50
** km, so is its leg.
**
** The stations come from the walk over EBHF's records in stored order
** (DbEbhfWalkNext), which gives the stations and records that a lookup of
** every number from 0 to 99999 gives, in the same order; without the
** station index (fast paths off, records out of order) every number is
** looked up.
*/
#include "engine/ebfuenfzig.h"

#include <cstring>

#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_fastpath.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "engine/ebbahnhof.h"
#include "engine/ebkm.h"
#include "support/msg.h"

namespace {

constexpr std::int32_t kLetzteNummer = 99999;
/* Node stations of GREN that the origin's tables hold: the most the data
** files can hold (the compiler takes at most 4096), so that the shortcut
** is on for every network the tools write; with more it stays off. */
constexpr std::int32_t kSpalten = 4096;
constexpr std::uint32_t kUnbekannt = 0xFFFFFFFFu;
/* TDRG records of one area that the area bound reads at most (an area
** lists at most 10 node stations, each with its versions). */
constexpr std::int32_t kGebietSaetze = 256;

/* The origin's work, done once per list. */
struct Abgang {
  std::int32_t bahnhof;
  bool knoten;           /* station kind 'A' or 'H' */
  EbKnotenEintrag liste; /* its node list, when it is no node */
  std::uint32_t paar[kSpalten];
  std::uint32_t zuKnoten[kSpalten];
};
Abgang g_abgang;
/* One GREN row, read for each node of the origin's list. */
std::uint32_t g_zeile[kSpalten];

/* The GREN column of every station number (-1: not a node station of
** GREN), and the station numbers set for the last list. */
std::int16_t g_spalte[kLetzteNummer + 1];
std::int32_t g_gesetzt[kSpalten];
std::int32_t g_gesetztAnzahl = 0;
bool g_spalteBereit = false;

/* The area bound of every tariff area (the field's 65536 numbers), worked
** out on the area's first station of a list: g_gebietListe[area] holds the
** number of the list it belongs to. */
std::uint32_t g_gebietListe[65536];
std::uint32_t g_gebietMin[65536];
std::uint32_t g_listeNr = 0;

bool istKnoten(char art) { return art == 'A' || art == 'H'; }

std::int32_t spalte(std::int32_t bahnhof) {
  return bahnhof >= 0 && bahnhof <= kLetzteNummer ? g_spalte[bahnhof] : -1;
}

/* The node list of a station as the kilometre computation builds it; false
** when the build raises (the station's request then raises too). */
bool listeVon(std::int32_t bahnhof, std::int32_t gebiet, EbKnotenEintrag* e) {
  MsgTrapFrame frame;
  const int code = MsgTry(frame, [&] { EbKnotenListeBauen(bahnhof, gebiet, e); });
  if (code == 0) return true;
  MsgFree(frame.received);
  frame.received = nullptr;
  return false;
}

/* paar and zuKnoten of a node-station origin: its GREN row. */
void knotenAbgang(std::int32_t spalten) {
  Abgang& a = g_abgang;
  if (!DbGrenZeile(static_cast<std::uint32_t>(a.bahnhof), a.paar, spalten, kUnbekannt))
    for (std::int32_t m = 0; m < spalten; ++m) a.paar[m] = kUnbekannt;
  for (std::int32_t m = 0; m < spalten; ++m) a.zuKnoten[m] = a.paar[m];
}

/* paar and zuKnoten of an origin that is no node: over its list, row by
** row; a node m whose GREN pair with any node of the list is missing is
** unknown (the engine would raise there). */
void listenAbgang(std::int32_t spalten) {
  Abgang& a = g_abgang;
  for (std::int32_t m = 0; m < spalten; ++m) a.paar[m] = a.zuKnoten[m] = kUnbekannt;
  bool fehlt[kSpalten] = {};
  for (std::int32_t i = 0; i < a.liste.anzahl; ++i) {
    const std::int32_t o = a.liste.knoten[i].knoten;
    const std::uint32_t km = static_cast<std::uint32_t>(a.liste.knoten[i].km);
    const std::int32_t eigene = spalte(o);
    if (!DbGrenZeile(static_cast<std::uint32_t>(o), g_zeile, spalten, kUnbekannt))
      for (std::int32_t m = 0; m < spalten; ++m) g_zeile[m] = kUnbekannt;
    for (std::int32_t m = 0; m < spalten; ++m) {
      if (m == eigene) {
        if (km < a.paar[m]) a.paar[m] = km;
        continue;
      }
      const std::uint32_t g = g_zeile[m];
      if (g == kUnbekannt) {
        fehlt[m] = true;
        continue;
      }
      if (km + g < a.paar[m]) a.paar[m] = km + g;
      if (km + g < a.zuKnoten[m]) a.zuKnoten[m] = km + g;
    }
  }
  for (std::int32_t m = 0; m < spalten; ++m)
    if (fehlt[m]) a.paar[m] = a.zuKnoten[m] = kUnbekannt;
}

/* The origin's work for the list; false when the shortcut cannot be used
** for it (then every station gets its full request). */
bool abgangEinrichten(std::int32_t abgang, UtDayNumber tag) {
  if (!g_spalteBereit) {
    for (std::int16_t& s : g_spalte) s = -1;
    g_spalteBereit = true;
  }
  for (std::int32_t i = 0; i < g_gesetztAnzahl; ++i) g_spalte[g_gesetzt[i]] = -1;
  g_gesetztAnzahl = 0;
  if (++g_listeNr == 0) {
    for (std::uint32_t& l : g_gebietListe) l = 0;
    g_listeNr = 1;
  }

  if (!DbFastPathsOn() || !DbIsLoaded(&DbStenTab) || !DbIsLoaded(&DbGrenTab) ||
      !DbIsLoaded(&DbTdrgTab))
    return false;
  const std::int32_t spalten = DbGrenIbnrBlock.count;
  if (spalten <= 0 || spalten > kSpalten) return false;

  /* Every request of the list sets the day and mode 0 before its first
  ** lookup; the lookups below read them. */
  EbKmStichtag = tag;
  EbKmModusSetzen(0);

  EbhfSatz puffer;
  DbLookupResult r = kDbNotFound;
  const EbhfSatz* s = DbGetEbhfRef(&puffer, kDbLand, static_cast<std::uint32_t>(abgang), tag, &r);
  if (s == nullptr || r != kDbFound) return false;
  Abgang& a = g_abgang;
  a.bahnhof = abgang;
  a.knoten = istKnoten(EbBahnhofArt(*s));
  const std::int32_t gebiet = EbBahnhofGebiet(*s);
  if (!a.knoten && gebiet == 0) return false;
  /* The kilometre computation builds the list of every station with an
  ** area, node stations too. */
  if (gebiet != 0 && !listeVon(abgang, gebiet, &a.liste)) return false;

  for (std::int32_t m = 0; m < spalten; ++m) {
    const unsigned char* rec = DbRec(&DbGrenIbnrBlock, m);
    if (rec == nullptr) return false;
    const std::uint32_t station = LeGetU32(rec);
    if (station <= static_cast<std::uint32_t>(kLetzteNummer)) {
      if (g_spalte[station] < 0) g_gesetzt[g_gesetztAnzahl++] = static_cast<std::int32_t>(station);
      g_spalte[station] = static_cast<std::int16_t>(m);
    }
  }
  if (a.knoten)
    knotenAbgang(spalten);
  else
    listenAbgang(spalten);
  return true;
}

/* Whether a km value is certainly a leg above 50 km: "no route" is not,
** since a leg without a route appends no segment. */
bool weiterAls50(std::uint32_t km) {
  return km > static_cast<std::uint32_t>(kEbListeMaxKm) && km < EbKmKeinWeg;
}

/* The least km of a node route from the origin to any station of an area
** that is no node station: the least paar[m] over every node station the
** area names; 0 (no bound) when one of them is unknown or no node station
** of GREN, or the area names none. */
std::uint32_t gebietUntergrenze(std::int32_t gebiet) {
  const std::uint16_t g = static_cast<std::uint16_t>(gebiet);
  if (g_gebietListe[g] == g_listeNr) return g_gebietMin[g];
  std::uint32_t knoten[kGebietSaetze];
  const std::int32_t n = DbTdrgAreaNodes(g, knoten, kGebietSaetze);
  const Abgang& a = g_abgang;
  std::uint32_t min = n > 0 ? kUnbekannt : 0;
  for (std::int32_t i = 0; i < n && min > 0; ++i) {
    const std::int32_t nr = static_cast<std::int32_t>(knoten[i]);
    if (a.knoten && nr == a.bahnhof) continue; /* the node route passes it by */
    const std::int32_t k = spalte(nr);
    const std::uint32_t p = k < 0 ? kUnbekannt : a.paar[k];
    min = p == kUnbekannt ? 0 : (p < min ? p : min);
  }
  if (min == kUnbekannt) min = 0;
  g_gebietListe[g] = g_listeNr;
  g_gebietMin[g] = min;
  return min;
}

/* The node route from the origin to station b (a node or not) over b's
** node list; kUnbekannt when the engine would raise or a pair is unknown. */
std::uint32_t knotenWeg(std::int32_t b, bool knotenB, const EbKnotenEintrag& liste) {
  const Abgang& a = g_abgang;
  if (knotenB) {
    const std::int32_t k = spalte(b);
    if (k < 0) return kUnbekannt;
    return a.knoten ? a.paar[k] : a.zuKnoten[k];
  }
  std::uint32_t min = kUnbekannt;
  for (std::int32_t j = 0; j < liste.anzahl; ++j) {
    const std::int32_t n = liste.knoten[j].knoten;
    if (a.knoten && n == a.bahnhof) continue;
    const std::int32_t k = spalte(n);
    if (k < 0 || a.paar[k] == kUnbekannt) return kUnbekannt;
    const std::uint32_t summe = static_cast<std::uint32_t>(liste.knoten[j].km) + a.paar[k];
    if (summe < min) min = summe;
  }
  return min;
}

/* True when the leg from the origin to station b is certainly longer than
** 50 km; false when it may not be, or when anything is not known for
** certain (the full request decides). partner: STEN may pair b with the
** origin (else it certainly does not). */
bool sicherWeiter(std::int32_t b, bool knotenB, std::int32_t gebietB, bool partner) {
  const Abgang& a = g_abgang;
  if (!knotenB && gebietB == 0) return false;
  if (!knotenB && !partner && weiterAls50(gebietUntergrenze(gebietB))) return true;

  std::uint32_t direkt = EbKmKeinWeg;
  if (!(a.knoten && knotenB) && partner) {
    StenSatz st;
    const DbLookupResult r =
        DbGetSten(&st, static_cast<std::uint32_t>(a.bahnhof), static_cast<std::uint32_t>(b));
    if (r == kDbFound) {
      direkt = static_cast<std::uint32_t>(st.kmPart1) + static_cast<std::uint32_t>(st.kmPart2);
      if (st.flag2 == 'N' || st.flag2 == 'J') return weiterAls50(direkt);
    } else if (r != kDbNotFound) {
      return false;
    }
  }
  EbKnotenEintrag liste;
  liste.anzahl = 0;
  if (gebietB != 0 && !listeVon(b, gebietB, &liste)) return false;
  const std::uint32_t knoten = knotenWeg(b, knotenB, liste);
  if (knoten == kUnbekannt) return false;
  return weiterAls50(direkt >= knoten ? knoten : direkt);
}

/* STEN's partners of the origin, met in ascending station number beside
** the stations of the list. Without them every station may be a partner. */
struct Partner {
  DbStenPartner p{nullptr, 0, nullptr, 0};
  bool bekannt = false;
  std::int32_t oben = 0;
  std::int32_t unten = 0;

  /* n ascending from call to call. */
  bool ist(std::uint32_t n) {
    if (!bekannt) return true;
    while (oben < p.obenAnzahl && p.oben[oben] < n) ++oben;
    while (unten < p.untenAnzahl && p.unten[unten] < n) ++unten;
    return (oben < p.obenAnzahl && p.oben[oben] == n) ||
           (unten < p.untenAnzahl && p.unten[unten] == n);
  }
};

/* One list's run: what its stations share. */
struct Lauf {
  const EbFuenfzigKmAuftrag& auftrag;
  EbListenAnfrageFn anfrageFn;
  bool abkuerzen;
  Partner partner;
  EbAnfrage anfrage;
  EbErgebnis ergebnis;
  EbAbschnitte abschnitte;
  EbFuenfzigKmBericht bericht;
};

/* A station that passed the list's tests and the shortcut: its request,
** and its row when it lies within 50 km. */
void anfragen(Lauf& l, std::int32_t n, const EbhfSatz& s, EbFuenfzigKmBericht* bericht) {
  l.anfrage.hin.ibn = n;
  ++l.bericht.anfragen;
  if (l.anfrageFn(&l.ergebnis, &l.abschnitte, &l.anfrage, 0) != 0) return;
  const std::uint32_t summe =
      l.ergebnis.hin.kmWzVxt + l.ergebnis.hin.kmDrVxt + l.ergebnis.hin.kmWz + l.ergebnis.hin.kmDr;
  const std::int32_t km = static_cast<std::int32_t>(summe);
  if (km > kEbListeMaxKm) return;
  ++l.bericht.zeilen;
  if (l.auftrag.zeile) l.auftrag.zeile(l.auftrag.kontext, n, s, km);
  if (bericht) *bericht = l.bericht;
}

/* Whether the shortcut leaves station n out. */
bool auslassen(Lauf& l, std::int32_t n, char art, std::int32_t gebiet) {
  if (!l.abkuerzen) return false;
  const bool partner = l.partner.ist(static_cast<std::uint32_t>(n));
  if (!sicherWeiter(n, istKnoten(art), gebiet, partner)) return false;
  ++l.bericht.ausgelassen;
  return true;
}

/* The stations from the walk over EBHF's records. */
void gehen(Lauf& l, EbFuenfzigKmBericht* bericht) {
  std::int32_t pos = 0;
  std::int32_t satz = -1;
  while (const DbEbhfKurz* k = DbEbhfWalkNext(l.auftrag.tag, &pos, &satz)) {
    if (k->station > static_cast<std::uint32_t>(kLetzteNummer)) break;
    const std::int32_t n = static_cast<std::int32_t>(k->station);
    if (n == l.auftrag.abgang) continue;
    if (k->list1 != 'N' || k->list2 != 'N' || k->flagList == 'N') continue;
    if (auslassen(l, n, k->kind, k->tariffArea)) continue;
    EbhfSatz puffer;
    if (const EbhfSatz* s = DbEbhfRecordAt(satz, &puffer)) anfragen(l, n, *s, bericht);
  }
}

/* Every station number looked up. */
void proben(Lauf& l, EbFuenfzigKmBericht* bericht) {
  for (std::int32_t n = 0; n <= kLetzteNummer; ++n) {
    if (n == l.auftrag.abgang) continue;
    EbhfSatz puffer;
    DbLookupResult r = kDbNotFound;
    const EbhfSatz* s =
        DbGetEbhfRef(&puffer, kDbLand, static_cast<std::uint32_t>(n), l.auftrag.tag, &r);
    if (s == nullptr || r != kDbFound || !EbListenTauglich(*s)) continue;
    if (auslassen(l, n, EbBahnhofArt(*s), EbBahnhofGebiet(*s))) continue;
    anfragen(l, n, *s, bericht);
  }
}

}  // namespace

bool EbListenTauglich(const EbhfSatz& e) {
  return e.letters[kEbhfLetterList1] == 'N' && e.letters[kEbhfLetterList2] == 'N' &&
         e.flags3[kEbhfFlagList] != 'N';
}

std::int32_t EbFuenfzigKmListe(const EbFuenfzigKmAuftrag& auftrag, EbFuenfzigKmBericht* bericht) {
  const EbListenAnfrageFn anfrageFn =
      auftrag.anfrage ? auftrag.anfrage : &EbGfEntfernungsBerechnung;
  Lauf l{auftrag,     anfrageFn,    false,          Partner{},
         EbAnfrage{}, EbErgebnis{}, EbAbschnitte{}, EbFuenfzigKmBericht{0, 0, 0}};
  l.abkuerzen =
      anfrageFn == &EbGfEntfernungsBerechnung && abgangEinrichten(auftrag.abgang, auftrag.tag);
  if (l.abkuerzen)
    l.partner.bekannt = DbStenPartners(static_cast<std::uint32_t>(auftrag.abgang), &l.partner.p);
  EbAnfrageFuellen(&l.anfrage, auftrag.tag, auftrag.abgang, 0, 0, 0, '0');
  std::memset(&l.ergebnis, 0, sizeof l.ergebnis);
  std::memset(&l.abschnitte, 0, sizeof l.abschnitte);

  if (DbEbhfWalkReady(kDbLand))
    gehen(l, bericht);
  else
    proben(l, bericht);
  if (bericht) *bericht = l.bericht;
  return l.bericht.zeilen;
}
