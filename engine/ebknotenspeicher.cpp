/*
** The node-list store and the kilometre rows (see ebknotenspeicher.h).
**
** Store: an open-addressed table of lists, probed from the station's own
** number over kSonde places. A lookup takes only a place whose whole key
** matches; a new list goes to the first free place of the window, else
** over the window's first place. The table is sized from the station
** table loaded: a power of two above its highest station number (and
** twice its records), so that every station has a home place of its own
** and no list of one day falls out; at most kSpeicherHoechstens places
** (131,072 places of 104 bytes, 13.6 MB, which covers every station
** number below 100,000). It is mapped apart from the heap, so that only
** the pages of stations met cost memory, and mapped anew when the station
** table is loaded with another size; without memory there is no store and
** every list is built.
**
** Rows: kZeilen rows of at most kZeilenKnoten node stations, keyed by the
** node station, the day and the GREN load generation, replaced round robin.
** A row is built on its first use (one GREN lookup per node station) and
** only for the node stations of the repeated station A.
*/
#include "engine/ebknotenspeicher.h"

#include <cstring>


#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_fastpath.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_index.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "support/utfault.h"

namespace {

/* ---- node-list store ---------------------------------------------------------- */

constexpr uint32_t kSpeicherWenigstens = 1u << 10;
constexpr uint32_t kSpeicherHoechstens = 1u << 17;
constexpr uint32_t kSonde = 8;

struct Platz {
  uint32_t stenGeneration; /* 0 = free */
  uint32_t tdrgGeneration;
  int32_t bahnhof;
  int32_t gebiet;
  UtDayNumber tag;
  uint16_t modus; /* mode bits 0 and 1 */
  int32_t anzahl;
  EbKnotenPaar knoten[EbKnotenMax];
};

static_assert(sizeof(Platz) == 104, "the memory bound counts 104 bytes a place");

/* The mapped table, its places (a power of two) and the station table load
** it was sized for. */
Platz* g_plaetze = nullptr;
uint32_t g_plaetzeAnzahl = 0;
uint32_t g_plaetzeFuer = 0;

void SpeicherFreigeben() {
  DbIndexUnmap(g_plaetze, static_cast<std::size_t>(g_plaetzeAnzahl) * sizeof(Platz));
  g_plaetze = nullptr;
  g_plaetzeAnzahl = 0;
  g_plaetzeFuer = 0;
}

/* The places the loaded station table needs. */
uint32_t PlaetzeNoetig() {
  uint64_t noetig = static_cast<uint64_t>(DbEbhfHighestStation()) + 1;
  const uint64_t saetze = 2 * static_cast<uint64_t>(DbEbhfBlock.count > 0 ? DbEbhfBlock.count : 0);
  if (saetze > noetig) noetig = saetze;
  uint32_t n = kSpeicherWenigstens;
  while (n < noetig && n < kSpeicherHoechstens) n *= 2;
  return n;
}

/* The table for the station table loaded, mapped (anew) when it is sized
** for another load; null without memory. */
Platz* Plaetze() {
  if (g_plaetzeFuer == DbEbhfTab.generation && g_plaetzeFuer != 0) return g_plaetze;
  const uint32_t n = PlaetzeNoetig();
  if (g_plaetze && n == g_plaetzeAnzahl) {
    g_plaetzeFuer = DbEbhfTab.generation;
    return g_plaetze;
  }
  SpeicherFreigeben();
  if (DbEbhfTab.generation == 0) return nullptr;
  /* Without memory the load goes without a store (asked again after the
  ** next load of the station table). */
  g_plaetzeFuer = DbEbhfTab.generation;
  void* p = DbIndexMap(static_cast<std::size_t>(n) * sizeof(Platz), kUtFaultEbSpeicher);
  if (!p) return nullptr;
  g_plaetze = static_cast<Platz*>(p); /* zero pages: every place free */
  g_plaetzeAnzahl = n;
  g_plaetzeFuer = DbEbhfTab.generation;
  return g_plaetze;
}

/* The home place of a station: its number itself, so that the stations
** of a list taken in ascending order meet the store in ascending order. */
uint32_t Streuung(int32_t bahnhof) { return static_cast<uint32_t>(bahnhof); }

bool Passt(const Platz& p, int32_t bahnhof, int32_t gebiet) {
  return p.bahnhof == bahnhof && p.gebiet == gebiet && p.tag == EbKmStichtag &&
         p.stenGeneration == DbStenTab.generation && p.tdrgGeneration == DbTdrgTab.generation &&
         p.modus == (EbKmModus & 0x3u);
}

/* The walk would open a TDRG cursor: with every slot taken it fails (and
** the entry must be built, to fail as it does). */
bool CursorFrei() {
  for (const DbCursorSlot& s : DbTdrgSlots)
    if (s.inUse == 0) return true;
  return false;
}

/* ---- kilometre rows ---------------------------------------------------------- */

constexpr int kZeilen = 16;
constexpr int32_t kZeilenKnoten = 4096;
constexpr uint32_t kKeinPaar = 0xFFFFFFFFu;
constexpr int kWiederholungen = 3;

struct Zeile {
  uint32_t generation; /* 0 = empty */
  int32_t knoten;
  UtDayNumber tag;
  uint32_t km[kZeilenKnoten];
};

Zeile g_zeilen[kZeilen];
int g_zeileLetzte = 0;

/* The repeated station A, and for the node stations on its side the row
** that holds their kilometres, addressed by GREN node index (-1 none). */
int32_t g_abgang = 0;
int g_abgangFolge = 0;
int16_t g_zeileVon[kZeilenKnoten];
int32_t g_gesetzt[EbKnotenMax + 1]; /* node indices set in g_zeileVon */
int g_gesetztAnzahl = 0;
bool g_zeileVonBereit = false;
/* What the rows were last set up for. */
uint32_t g_letzteGeneration = 0;
UtDayNumber g_letzterTag = 0;
bool g_letzteArt = false;
int32_t g_letzteKnoten[EbKnotenMax];
int32_t g_letzteAnzahl = 0;

bool GleicheKnoten(const EbKnotenEintrag& e) {
  if (e.anzahl != g_letzteAnzahl) return false;
  for (int32_t i = 0; i < e.anzahl; ++i)
    if (e.knoten[i].knoten != g_letzteKnoten[i]) return false;
  return true;
}

void ZeilenVergessen() {
  if (!g_zeileVonBereit) {
    for (int16_t& z : g_zeileVon) z = -1;
    g_zeileVonBereit = true;
  }
  for (int i = 0; i < g_gesetztAnzahl; ++i) g_zeileVon[g_gesetzt[i]] = -1;
  g_gesetztAnzahl = 0;
}

/* The row of node station n for the day, built when missing; -1 when GREN
** is not loaded or too large for a row. */
int ZeileVon(int32_t n) {
  const uint32_t gen = DbGrenTab.generation;
  const int32_t anzahl = DbGrenIbnrBlock.count;
  if (gen == 0 || anzahl <= 0 || anzahl > kZeilenKnoten) return -1;
  for (int k = 0; k < kZeilen; ++k) {
    const Zeile& z = g_zeilen[k];
    if (z.generation == gen && z.knoten == n && z.tag == EbKmStichtag) return k;
  }
  g_zeileLetzte = (g_zeileLetzte + 1) % kZeilen;
  Zeile& z = g_zeilen[g_zeileLetzte];
  z.generation = 0;
  if (!DbGrenZeile(static_cast<uint32_t>(n), z.km, anzahl, kKeinPaar))
    for (int32_t m = 0; m < anzahl; ++m) z.km[m] = kKeinPaar;
  z.knoten = n;
  z.tag = EbKmStichtag;
  z.generation = gen;
  return g_zeileLetzte;
}

/* A row still holds node station n's kilometres for the day and load. */
bool ZeileGilt(const Zeile& z, int32_t n) {
  return z.knoten == n && z.generation != 0 && z.generation == DbGrenTab.generation &&
         z.tag == EbKmStichtag;
}

/* Makes the row of origin node n reachable through its node index. */
void ZeileSetzen(int32_t n) {
  const int32_t m = DbFindGrenIbnr(static_cast<uint32_t>(n));
  if (m < 0 || m >= kZeilenKnoten || g_zeileVon[m] >= 0) return;
  const int k = ZeileVon(n);
  if (k < 0) return;
  g_zeileVon[m] = static_cast<int16_t>(k);
  g_gesetzt[g_gesetztAnzahl++] = m;
}

/* The best origin node for every node station M: for A's list o_0 .. o_k
** with kilometres k_i, the least k_i + GREN(o_i, M) (0 for o_i = M) and the
** first i that reaches it; kKeinPaar when GREN misses any pair (o_i, M).
** Keyed by A, its list, the day and the GREN load. */
struct Bestes {
  uint32_t generation; /* 0 = not built */
  int32_t abgang;
  UtDayNumber tag;
  int32_t anzahl;
  EbKnotenPaar knoten[EbKnotenMax];
  uint32_t km[kZeilenKnoten];
  int8_t erster[kZeilenKnoten];
};
Bestes g_bestes;

bool GleicheListe(const EbKnotenEintrag& e) {
  if (g_bestes.anzahl != e.anzahl) return false;
  for (int32_t i = 0; i < e.anzahl; ++i)
    if (g_bestes.knoten[i].knoten != e.knoten[i].knoten || g_bestes.knoten[i].km != e.knoten[i].km)
      return false;
  return true;
}

/* The best-origin table for A's list, built when missing; false when a row
** is missing (GREN not loaded, too many nodes). */
bool BestesFuer(int32_t a, const EbKnotenEintrag& e) {
  const uint32_t gen = DbGrenTab.generation;
  const int32_t n = DbGrenIbnrBlock.count;
  if (gen == 0 || n <= 0 || n > kZeilenKnoten || e.anzahl < 1 || e.anzahl > EbKnotenMax)
    return false;
  if (g_bestes.generation == gen && g_bestes.abgang == a && g_bestes.tag == EbKmStichtag &&
      GleicheListe(e))
    return true;
  int zeile[EbKnotenMax];
  int32_t index[EbKnotenMax];
  for (int32_t i = 0; i < e.anzahl; ++i) {
    index[i] = DbFindGrenIbnr(static_cast<uint32_t>(e.knoten[i].knoten));
    zeile[i] = ZeileVon(e.knoten[i].knoten);
    if (zeile[i] < 0) return false;
  }
  g_bestes.generation = 0;
  for (int32_t m = 0; m < n; ++m) {
    uint32_t best = kKeinPaar;
    int8_t erster = -1;
    for (int32_t i = 0; i < e.anzahl; ++i) {
      uint32_t g = 0;
      if (index[i] != m) {
        g = g_zeilen[zeile[i]].km[m];
        if (g == kKeinPaar) {
          best = kKeinPaar;
          erster = -1;
          break;
        }
      }
      const uint32_t summe = static_cast<uint32_t>(e.knoten[i].km) + g;
      if (erster < 0 || summe < best) {
        best = summe;
        erster = static_cast<int8_t>(i);
      }
    }
    g_bestes.km[m] = best;
    g_bestes.erster[m] = erster;
  }
  g_bestes.abgang = a;
  g_bestes.tag = EbKmStichtag;
  g_bestes.anzahl = e.anzahl;
  for (int32_t i = 0; i < e.anzahl; ++i) g_bestes.knoten[i] = e.knoten[i];
  g_bestes.generation = gen;
  return true;
}

uint32_t speicherTreffer = 0;
uint32_t zeilenTreffer = 0;

}  // namespace

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
uint32_t EbKnotenSpeicherTreffer() { return speicherTreffer; }
uint32_t EbKmZeilenTreffer() { return zeilenTreffer; }
#endif

bool EbKnotenSpeicherHolen(int32_t bahnhof, int32_t gebiet, EbKnotenEintrag* e) {
  if (!DbFastPathsOn() || DbStenTab.generation == 0 || DbTdrgTab.generation == 0) return false;
  const Platz* plaetze = Plaetze();
  if (!plaetze) return false;
  const uint32_t maske = g_plaetzeAnzahl - 1;
  const uint32_t h = Streuung(bahnhof);
  for (uint32_t k = 0; k < kSonde; ++k) {
    const Platz& p = plaetze[(h + k) & maske];
    if (p.stenGeneration == 0 || !Passt(p, bahnhof, gebiet)) continue;
    if (p.anzahl < 1 || p.anzahl > EbKnotenMax || !CursorFrei()) return false;
    e->bahnhof = bahnhof;
    e->gebiet = gebiet;
    e->anzahl = p.anzahl;
    e->best = -1;
    e->tag = EbKmStichtag;
    for (int32_t i = 0; i < p.anzahl; ++i) e->knoten[i] = p.knoten[i];
    ++speicherTreffer;
    return true;
  }
  return false;
}

void EbKnotenSpeicherMerken(const EbKnotenEintrag& e) {
  if (!DbFastPathsOn() || DbStenTab.generation == 0 || DbTdrgTab.generation == 0) return;
  if (e.anzahl < 1 || e.anzahl > EbKnotenMax) return;
  Platz* plaetze = Plaetze();
  if (!plaetze) return;
  const uint32_t maske = g_plaetzeAnzahl - 1;
  const uint32_t h = Streuung(e.bahnhof);
  Platz* ziel = &plaetze[h & maske];
  for (uint32_t k = 0; k < kSonde; ++k) {
    Platz& p = plaetze[(h + k) & maske];
    if (p.stenGeneration == 0 || Passt(p, e.bahnhof, e.gebiet)) {
      ziel = &p;
      break;
    }
  }
  Platz& p = *ziel;
  p.stenGeneration = DbStenTab.generation;
  p.tdrgGeneration = DbTdrgTab.generation;
  p.bahnhof = e.bahnhof;
  p.gebiet = e.gebiet;
  p.tag = EbKmStichtag;
  p.modus = static_cast<uint16_t>(EbKmModus & 0x3u);
  p.anzahl = e.anzahl;
  for (int32_t i = 0; i < e.anzahl; ++i) p.knoten[i] = e.knoten[i];
}

void EbKmZeilenAbgang(int32_t a, bool aIstKnoten, const EbKnotenEintrag* listeA) {
  const bool neu = a != g_abgang;
  if (neu) {
    g_abgang = a;
    g_abgangFolge = 0;
  }
  if (g_abgangFolge < kWiederholungen) ++g_abgangFolge;
  const bool an = DbFastPathsOn() && g_abgangFolge >= kWiederholungen;
  /* The rows found for the previous leg stay while A, its kind and list,
  ** the day and the GREN load stay the same. */
  if (an && !neu && g_gesetztAnzahl > 0 && g_letzteGeneration == DbGrenTab.generation &&
      g_letzterTag == EbKmStichtag && g_letzteArt == aIstKnoten &&
      (aIstKnoten || (listeA && GleicheKnoten(*listeA))))
    return;
  ZeilenVergessen();
  if (!an) return;
  g_letzteGeneration = DbGrenTab.generation;
  g_letzterTag = EbKmStichtag;
  g_letzteArt = aIstKnoten;
  g_letzteAnzahl = 0;
  if (!aIstKnoten && listeA)
    for (int32_t i = 0; i < listeA->anzahl && i < EbKnotenMax; ++i)
      g_letzteKnoten[g_letzteAnzahl++] = listeA->knoten[i].knoten;
  if (aIstKnoten) {
    ZeileSetzen(a);
  } else if (listeA) {
    for (int32_t i = 0; i < listeA->anzahl && i < EbKnotenMax; ++i)
      ZeileSetzen(listeA->knoten[i].knoten);
  }
}

namespace {

/* GREN node index of a station, the one asked last kept (the node route of
** a node-station origin asks for the origin with every pair). */
int32_t g_indexStation = -1;
int32_t g_indexWert = -1;
uint32_t g_indexGeneration = 0;

int32_t KnotenIndex(int32_t station) {
  if (station == g_indexStation && g_indexGeneration == DbGrenTab.generation) return g_indexWert;
  g_indexWert = DbFindGrenIbnr(static_cast<uint32_t>(station));
  g_indexStation = station;
  g_indexGeneration = DbGrenTab.generation;
  return g_indexWert;
}

}  // namespace

bool EbKmZeileKm(int32_t p, int32_t q, uint32_t* km) {
  if (g_gesetztAnzahl == 0 || !DbFastPathsOn()) return false;
  const int32_t mp = DbFindGrenIbnr(static_cast<uint32_t>(p));
  const int32_t mq = KnotenIndex(q);
  if (mp < 0 || mq < 0 || mp >= kZeilenKnoten || mq >= kZeilenKnoten || mp == mq) return false;
  int k = g_zeileVon[mp];
  int32_t spalte = mq;
  int32_t knoten = p;
  if (k < 0) {
    k = g_zeileVon[mq];
    spalte = mp;
    knoten = q;
  }
  if (k < 0 || !ZeileGilt(g_zeilen[k], knoten)) return false;
  const uint32_t v = g_zeilen[k].km[spalte];
  if (v == kKeinPaar) return false;
  *km = v;
  ++zeilenTreffer;
  return true;
}

bool EbKmPaarAusZeilen(int32_t a, EbKnotenEintrag& abgang, EbKnotenEintrag& ziel, bool abgangAussen,
                       uint32_t* min) {
  if (g_gesetztAnzahl == 0 || !DbFastPathsOn() || !BestesFuer(a, abgang)) return false;
  /* The destination's nodes: each must be a node station whose best
  ** origin node is known, else the loop runs (and raises) as it is. */
  uint32_t summe[EbKnotenMax];
  int8_t erster[EbKnotenMax];
  for (int32_t j = 0; j < ziel.anzahl; ++j) {
    const int32_t m = DbFindGrenIbnr(static_cast<uint32_t>(ziel.knoten[j].knoten));
    if (m < 0 || m >= kZeilenKnoten || g_bestes.km[m] == kKeinPaar) return false;
    summe[j] = static_cast<uint32_t>(ziel.knoten[j].km) + g_bestes.km[m];
    erster[j] = g_bestes.erster[m];
  }
  /* The loop's first minimum: with the origin's list outside, the least
  ** origin index among the destination nodes that reach the minimum, then
  ** the first such destination node; with it inside, the first destination
  ** node that reaches the minimum and its first origin node. */
  uint32_t m = EbKmKeinWeg;
  int32_t bj = -1;
  for (int32_t j = 0; j < ziel.anzahl; ++j) {
    if (summe[j] < m || (bj >= 0 && summe[j] == m && abgangAussen && erster[j] < erster[bj])) {
      m = summe[j];
      bj = j;
    }
  }
  *min = m;
  ++zeilenTreffer;
  if (bj < 0) return true; /* nothing below "no route": both stay -1 */
  abgang.best = erster[bj];
  ziel.best = bj;
  return true;
}

bool EbKmKnotenAusZeile(int32_t n, EbKnotenEintrag& e, uint32_t* min) {
  if (g_gesetztAnzahl == 0 || !DbFastPathsOn()) return false;
  const int32_t mn = KnotenIndex(n);
  if (mn < 0 || mn >= kZeilenKnoten || g_zeileVon[mn] < 0) return false;
  if (!ZeileGilt(g_zeilen[g_zeileVon[mn]], n)) return false;
  const uint32_t* zeile = g_zeilen[g_zeileVon[mn]].km;
  uint32_t m = EbKmKeinWeg;
  int32_t best = -1;
  for (int32_t i = 0; i < e.anzahl; ++i) {
    if (e.knoten[i].knoten == n) continue;
    const int32_t k = DbFindGrenIbnr(static_cast<uint32_t>(e.knoten[i].knoten));
    if (k < 0 || k >= kZeilenKnoten || zeile[k] == kKeinPaar) return false;
    const uint32_t summe = static_cast<uint32_t>(e.knoten[i].km) + zeile[k];
    if (summe < m) {
      m = summe;
      best = i;
    }
  }
  e.best = best;
  *min = m;
  ++zeilenTreffer;
  return true;
}

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void EbKnotenSpeicherLeeren() {
  g_bestes.generation = 0;
  SpeicherFreigeben();
  for (Zeile& z : g_zeilen) z.generation = 0;
  g_abgang = 0;
  g_abgangFolge = 0;
  ZeilenVergessen();
}
#endif
