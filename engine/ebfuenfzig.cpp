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
*/
#include "engine/ebfuenfzig.h"

#include <cstring>

#include "common/dtacc/dm/dm_bhfnr.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_index.h"
#include "common/dtacc/dm/dm_sten.h"
#include "engine/ebbahnhof.h"
#include "engine/ebkm.h"
#include "support/msg.h"

namespace {

constexpr std::int32_t kLetzteNummer = 99999;
/* Node stations of GREN that the origin's tables hold; with more the
** shortcut stays off. */
constexpr std::int32_t kSpalten = 4096;
constexpr std::uint32_t kUnbekannt = 0xFFFFFFFFu;

/* The origin's work, done once per list. */
struct Abgang {
  std::int32_t bahnhof;
  bool knoten;           /* station kind 'A' or 'H' */
  EbKnotenEintrag liste; /* its node list, when it is no node */
  std::uint32_t paar[kSpalten];
  std::uint32_t zuKnoten[kSpalten];
};
Abgang g_abgang;

/* The GREN column of every station number (-1: not a node station of
** GREN), and the station numbers set for the last list. */
std::int16_t g_spalte[kLetzteNummer + 1];
std::int32_t g_gesetzt[kSpalten];
std::int32_t g_gesetztAnzahl = 0;
bool g_spalteBereit = false;

bool istKnoten(const EbhfSatz& s) {
  const char art = EbBahnhofArt(s);
  return art == 'A' || art == 'H';
}

std::uint32_t grenKm(std::uint32_t von, std::uint32_t nach) {
  GrenSatz g;
  if (DbGetGren(von, &g, nach) != kDbFound) return kUnbekannt;
  return static_cast<std::uint32_t>(g.kmPart1) + static_cast<std::uint32_t>(g.kmPart2);
}

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

/* The origin's work for the list; false when the shortcut cannot be used
** for it (then every station gets its full request). */
bool abgangEinrichten(std::int32_t abgang, UtDayNumber tag) {
  if (!g_spalteBereit) {
    for (std::int16_t& s : g_spalte) s = -1;
    g_spalteBereit = true;
  }
  for (std::int32_t i = 0; i < g_gesetztAnzahl; ++i) g_spalte[g_gesetzt[i]] = -1;
  g_gesetztAnzahl = 0;

  if (!DbFastPathsOn() || !DbIsLoaded(&DbStenTab) || !DbIsLoaded(&DbGrenTab)) return false;
  const std::int32_t spalten = DbGrenIbnrBlock.count;
  if (spalten <= 0 || spalten > kSpalten) return false;

  /* Every request of the list sets the day and mode 0 before its first
  ** lookup; the lookups below read them. */
  EbKmStichtag = tag;
  EbKmModusSetzen(0);

  EbhfSatz puffer;
  DbLookupResult r = kDbNotFound;
  const EbhfSatz* s =
      DbGetEbhfRef(&puffer, kDbLand, static_cast<std::uint32_t>(abgang), tag, &r);
  if (s == nullptr || r != kDbFound) return false;
  Abgang& a = g_abgang;
  a.bahnhof = abgang;
  a.knoten = istKnoten(*s);
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
    if (a.knoten) {
      a.paar[m] = a.zuKnoten[m] = grenKm(static_cast<std::uint32_t>(abgang), station);
      continue;
    }
    std::uint32_t paar = kUnbekannt, zuKnoten = kUnbekannt;
    bool fehlt = false;
    for (std::int32_t i = 0; i < a.liste.anzahl && !fehlt; ++i) {
      const std::uint32_t o = static_cast<std::uint32_t>(a.liste.knoten[i].knoten);
      const std::uint32_t km = static_cast<std::uint32_t>(a.liste.knoten[i].km);
      if (o == station) {
        if (km < paar) paar = km;
        continue;
      }
      const std::uint32_t g = grenKm(o, station);
      if (g == kUnbekannt) {
        fehlt = true;
        break;
      }
      if (km + g < paar) paar = km + g;
      if (km + g < zuKnoten) zuKnoten = km + g;
    }
    a.paar[m] = fehlt ? kUnbekannt : paar;
    a.zuKnoten[m] = fehlt ? kUnbekannt : zuKnoten;
  }
  return true;
}

/* Whether a km value is certainly a leg above 50 km: "no route" is not,
** since a leg without a route appends no segment. */
bool weiterAls50(std::uint32_t km) {
  return km > static_cast<std::uint32_t>(kEbListeMaxKm) && km < EbKmKeinWeg;
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
** certain (the full request decides). */
bool sicherWeiter(std::int32_t b, const EbhfSatz& sb) {
  const Abgang& a = g_abgang;
  const bool knotenB = istKnoten(sb);
  const std::int32_t gebietB = EbBahnhofGebiet(sb);
  if (!knotenB && gebietB == 0) return false;

  std::uint32_t direkt = EbKmKeinWeg;
  if (!(a.knoten && knotenB)) {
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

}  // namespace

bool EbListenTauglich(const EbhfSatz& e) {
  return e.letters[kEbhfLetterList1] == 'N' && e.letters[kEbhfLetterList2] == 'N' &&
         e.flags3[kEbhfFlagList] != 'N';
}

std::int32_t EbFuenfzigKmListe(const EbFuenfzigKmAuftrag& auftrag, EbFuenfzigKmBericht* bericht) {
  EbFuenfzigKmBericht b{0, 0, 0};
  const EbListenAnfrageFn anfrageFn =
      auftrag.anfrage ? auftrag.anfrage : &EbGfEntfernungsBerechnung;
  const bool abkuerzen = anfrageFn == &EbGfEntfernungsBerechnung &&
                         abgangEinrichten(auftrag.abgang, auftrag.tag);

  EbAnfrage anfrage;
  EbAnfrageFuellen(&anfrage, auftrag.tag, auftrag.abgang, 0, 0, 0, '0');
  EbErgebnis ergebnis;
  std::memset(&ergebnis, 0, sizeof ergebnis);
  EbAbschnitte abschnitte;
  std::memset(&abschnitte, 0, sizeof abschnitte);

  for (std::int32_t n = 0; n <= kLetzteNummer; ++n) {
    if (n == auftrag.abgang) continue;
    EbhfSatz puffer;
    DbLookupResult r = kDbNotFound;
    const EbhfSatz* s =
        DbGetEbhfRef(&puffer, kDbLand, static_cast<std::uint32_t>(n), auftrag.tag, &r);
    if (s == nullptr || r != kDbFound || !EbListenTauglich(*s)) continue;
    if (abkuerzen && sicherWeiter(n, *s)) {
      ++b.ausgelassen;
      continue;
    }
    anfrage.hin.ibn = n;
    ++b.anfragen;
    if (anfrageFn(&ergebnis, &abschnitte, &anfrage, 0) != 0) continue;
    const std::uint32_t summe =
        ergebnis.hin.kmWzVxt + ergebnis.hin.kmDrVxt + ergebnis.hin.kmWz + ergebnis.hin.kmDr;
    const std::int32_t km = static_cast<std::int32_t>(summe);
    if (km > kEbListeMaxKm) continue;
    ++b.zeilen;
    if (auftrag.zeile) auftrag.zeile(auftrag.kontext, n, *s, km);
    if (bericht) *bericht = b;
  }
  if (bericht) *bericht = b;
  return b.zeilen;
}
