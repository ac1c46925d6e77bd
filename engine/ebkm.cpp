/*
** Kilometres between two stations: direct STEN route against the route over
** node stations, with the four-entry node-list cache.
**
** Order of work for one leg (EbAbschnittKm): set the reference day, drop
** the cache when the mode word changed, empty the receiving chain, look both
** stations up, take the direct route when STEN marks it final, otherwise
** build the node route and keep it unless the direct route is strictly
** shorter. Every kilometre value is km part 1 plus km part 2, added
** unsigned; EbKmKeinWeg stands for no route.
*/
#include "engine/ebkm.h"

#include "common/dtacc/dm/dm_ebhf.h"
#include "common/dtacc/dm/dm_gren.h"
#include "common/dtacc/dm/dm_sten.h"
#include "common/dtacc/dm/dm_tdrg.h"
#include "engine/ebbahnhof.h"
#include "engine/ebkette.h"
#include "engine/ebknotenspeicher.h"
#include "engine/ebsuche.h"
#include "support/msg.h"

EbKnotenEintrag EbKnotenCache[EbKnotenCacheGroesse];
uint32_t EbKmModus = 0xFFFF;

namespace {
int32_t gewaehltA = -1; /* entry chosen for A in the current call */
int32_t gewaehltB = -1;
int32_t letzterEintrag = 0; /* entry assigned last (round robin) */
uint32_t knotenLadeZaehler = 0;
}  // namespace

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
uint32_t EbKnotenLadeZaehler() { return knotenLadeZaehler; }
#endif

EbKnotenWahl EbKnotenWahlLesen() { return {gewaehltA, gewaehltB, letzterEintrag}; }

void EbKnotenWahlSetzen(EbKnotenWahl wahl) {
  gewaehltA = wahl.a;
  gewaehltB = wahl.b;
  letzterEintrag = wahl.letzter;
}

/* ---- small helpers ---------------------------------------------------- */

namespace {

const char* tagText() { return UtDayText(EbKmStichtag); }

bool istKnoten(const EbhfSatz& s) {
  char art = EbBahnhofArt(s);
  return art == 'A' || art == 'H';
}

uint32_t stenKm(const StenSatz& s) {
  return static_cast<uint32_t>(s.kmPart1) + static_cast<uint32_t>(s.kmPart2);
}

uint32_t grenKm(const GrenSatz& g) {
  return static_cast<uint32_t>(g.kmPart1) + static_cast<uint32_t>(g.kmPart2);
}

/* The mode bits override the first and second letter of the engine's copy
** of a STEN record. */
void modusAnwenden(StenSatz& s) {
  switch (EbKmModus & 0x3u) {
    case 1:
      s.flag1 = 'J';
      break;
    case 2:
      s.flag1 = 'N';
      break;
    default:
      break;
  }
  switch (EbKmModus & 0xCu) {
    case 4:
      s.flag2 = 'A';
      break;
    case 8:
      s.flag2 = 'N';
      break;
    default:
      break;
  }
}

void stenHolen(StenSatz* out, int32_t von, int32_t nach) {
  if (DbGetSten(out, static_cast<uint32_t>(von), static_cast<uint32_t>(nach)) != kDbFound)
    MsgRaise(EB_RC_STEN, kMsgSsEngine, EB_MSG_STEN, kMsgModeNumbered, "lls", von, nach, tagText());
}

void grenHolen(GrenSatz* out, int32_t von, int32_t nach) {
  if (DbGetGren(static_cast<uint32_t>(von), out, static_cast<uint32_t>(nach)) != kDbFound)
    MsgRaise(EB_RC_GREN, kMsgSsEngine, EB_MSG_GREN, kMsgModeNumbered, "lls", von, nach, tagText());
}

EbKnotenEintrag& eintrag(int32_t k) { return EbKnotenCache[k]; }

}  // namespace

/* ---- segments --------------------------------------------------------- */

void EbStenAbschnittMerken(int32_t von, int32_t nach, int32_t slot) {
  StenSatz s;
  stenHolen(&s, von, nach);
  modusAnwenden(s);
  EbListeAnfuegen(static_cast<uint32_t>(slot), &s, EB_ELEM_LINIE,
                  static_cast<uint32_t>(von) != s.stationA ? 1 : 0);
}

void EbGrenAbschnittMerken(int32_t von, int32_t nach, int32_t slot) {
  if (von == nach) return;
  GrenSatz g;
  grenHolen(&g, von, nach);
  EbListeAnfuegen(static_cast<uint32_t>(slot), &g, EB_ELEM_KNOTEN,
                  static_cast<uint32_t>(von) != g.stationA ? 1 : 0);
}

/* ---- direct route ----------------------------------------------------- */

uint32_t EbStenDirektKm(int32_t a, int32_t b, int32_t* vergleichen) {
  *vergleichen = 1;
  StenSatz s;
  DbLookupResult r = DbGetSten(&s, static_cast<uint32_t>(a), static_cast<uint32_t>(b));
  if (r == kDbNotFound) return EbKmKeinWeg;
  if (r != kDbFound)
    MsgRaise(EB_RC_STEN, kMsgSsEngine, EB_MSG_STEN, kMsgModeNumbered, "lls", a, b, tagText());
  char buchstabe = (EbKmModus & 0xCu) == 4 ? 'A' : s.flag2;
  if ((EbKmModus & 0xCu) == 8 || buchstabe == 'N' || buchstabe == 'J') *vergleichen = 0;
  return stenKm(s);
}

/* ---- node-list cache -------------------------------------------------- */

void EbKnotenCacheLeeren() {
  for (EbKnotenEintrag& e : EbKnotenCache) e = EbKnotenEintrag{};
  EbKmModus = 0xFFFF;
  gewaehltA = gewaehltB = -1;
  letzterEintrag = 0;
}

namespace {

/* Next entry of the round robin that is not `meiden`. */
int32_t naechsterEintrag(int32_t meiden) {
  int32_t k = letzterEintrag + 1;
  if (k >= EbKnotenCacheGroesse) k = 0;
  if (k == meiden) k = k + 1;
  if (k >= EbKnotenCacheGroesse) k = 0;
  letzterEintrag = k;
  return k;
}

/* An entry holds the list of a station when it names the station and has
** nodes; an emptied entry (station 0) never stands for station number 0. */
bool belegtFuer(const EbKnotenEintrag& e, std::int32_t bahnhof) {
  return e.bahnhof == bahnhof && e.anzahl > 0;
}

}  // namespace

void EbKnotenCacheWaehlen(int32_t a, int32_t b, int32_t gebietA, int32_t gebietB) {
  gewaehltA = gewaehltB = -1;
  bool brauchtA = gebietA != 0;
  bool brauchtB = gebietB != 0;
  if (brauchtA) {
    for (int32_t k = 0; k < EbKnotenCacheGroesse; ++k) {
      if (belegtFuer(eintrag(k), a)) {
        gewaehltA = k;
        if (eintrag(k).tag == EbKmStichtag) brauchtA = false;
        break;
      }
    }
  }
  if (brauchtB) {
    for (int32_t k = 0; k < EbKnotenCacheGroesse; ++k) {
      if (belegtFuer(eintrag(k), b)) {
        gewaehltB = k;
        if (eintrag(k).tag == EbKmStichtag) brauchtB = false;
        break;
      }
    }
  }
  if (brauchtA && gewaehltA == -1) gewaehltA = naechsterEintrag(gewaehltB);
  if (brauchtB && gewaehltB == -1) gewaehltB = naechsterEintrag(gewaehltA);
  if (brauchtA) EbKnotenLaden(a, gebietA, gewaehltA);
  if (brauchtB) EbKnotenLaden(b, gebietB, gewaehltB);
}

void EbKnotenLaden(int32_t bahnhof, int32_t gebiet, int32_t k) {
  EbKnotenListeBauen(bahnhof, gebiet, &eintrag(k));
}

void EbKnotenListeBauen(int32_t bahnhof, int32_t gebiet, EbKnotenEintrag* ziel) {
  EbKnotenEintrag& e = *ziel;
  if (EbKnotenSpeicherHolen(bahnhof, gebiet, &e)) {
    ++knotenLadeZaehler;
    return;
  }
  int handle = -1;
  MsgTrapFrame frame;
  int code = MsgTry(frame, [&] {
    /* Empty first, so that a failure leaves no half list behind. */
    e.bahnhof = 0;
    e.gebiet = 0;
    e.anzahl = 0;
    ++knotenLadeZaehler;
    int32_t anzahl = 0;
    for (;;) {
      TdrgSatz t;
      DbLookupResult r = DbNextTdrg(static_cast<uint16_t>(gebiet), &t, &handle);
      if (r == kDbFound) {
        int32_t knoten = static_cast<int32_t>(t.station);
        StenSatz s;
        if (DbGetSten(&s, static_cast<uint32_t>(bahnhof), t.station) != kDbFound)
          MsgRaise(EB_RC_STEN, kMsgSsEngine, EB_MSG_STEN, kMsgModeNumbered, "lls", bahnhof, knoten,
                   tagText());
        modusAnwenden(s);
        if (s.flag1 == 'J') continue;
        if (anzahl == EbKnotenMax)
          MsgRaise(EB_RC_ZUVIELE_KNOTEN, kMsgSsEngine, EB_MSG_ZUVIELE_KNOTEN, kMsgModeNumbered, "d",
                   gebiet);
        e.knoten[anzahl].knoten = knoten;
        e.knoten[anzahl].km = static_cast<int32_t>(stenKm(s));
        ++anzahl;
      } else if (r == kDbNotFound) {
        if (anzahl == 0)
          MsgRaise(EB_RC_KEINE_KNOTEN, kMsgSsEngine, EB_MSG_KEINE_KNOTEN, kMsgModeNumbered, "d",
                   gebiet);
        e.bahnhof = bahnhof;
        e.gebiet = gebiet;
        e.anzahl = anzahl;
        e.best = -1;
        e.tag = EbKmStichtag;
        DbReleaseTdrgCursor(&handle);
        EbKnotenSpeicherMerken(e);
        return;
      } else {
        MsgRaise(EB_RC_TDRG, kMsgSsEngine, EB_MSG_TDRG, kMsgModeNumbered, "ds", gebiet, tagText());
      }
    }
  });
  if (code != 0) {
    /* Abandon the cursor and pass the message on to the enclosing frame. */
    if (handle >= 0) DbResetTdrgSlot(handle);
    MsgRethrow(frame.received, code);
  }
}

/* ---- node routes ------------------------------------------------------ */

uint32_t EbKmUeberKnotenpaar(int32_t a, int32_t b, int32_t slot) {
  /* The lower station number's list is walked outside, so that the search
  ** and its tie-breaks are the same for A to B and B to A. */
  bool aUnten = static_cast<uint32_t>(a) < static_cast<uint32_t>(b);
  EbKnotenEintrag& x = eintrag(aUnten ? gewaehltA : gewaehltB);
  EbKnotenEintrag& y = eintrag(aUnten ? gewaehltB : gewaehltA);
  x.best = y.best = -1;
  EbKmZeilenAbgang(a, false, &eintrag(gewaehltA));
  uint32_t min = EbKmKeinWeg;
  /* From the rows of a repeated A the same first minimum comes without the
  ** pair loop; the loop runs when they cannot answer every pair. */
  if (!EbKmPaarAusZeilen(a, aUnten ? x : y, aUnten ? y : x, aUnten, &min)) {
    for (int32_t i = 0; i < x.anzahl; ++i) {
      for (int32_t j = 0; j < y.anzahl; ++j) {
        uint32_t g = 0;
        if (x.knoten[i].knoten != y.knoten[j].knoten &&
            !EbKmZeileKm(x.knoten[i].knoten, y.knoten[j].knoten, &g)) {
          GrenSatz gs;
          grenHolen(&gs, x.knoten[i].knoten, y.knoten[j].knoten);
          g = grenKm(gs);
        }
        uint32_t summe =
            static_cast<uint32_t>(x.knoten[i].km) + static_cast<uint32_t>(y.knoten[j].km) + g;
        if (summe < min) {
          min = summe;
          x.best = i;
          y.best = j;
        }
      }
    }
  }
  const EbKnotenEintrag& ea = eintrag(gewaehltA);
  const EbKnotenEintrag& eb = eintrag(gewaehltB);
  if (ea.best < 0 || eb.best < 0) return min; /* no pair below "no route" */
  int32_t na = ea.knoten[ea.best].knoten;
  int32_t nb = eb.knoten[eb.best].knoten;
  EbStenAbschnittMerken(a, na, slot);
  if (na != nb) EbGrenAbschnittMerken(na, nb, slot);
  EbStenAbschnittMerken(nb, b, slot);
  return min;
}

uint32_t EbKmUeberKnoten(int32_t a, int32_t b, int32_t aIstKnoten, int32_t slot) {
  int32_t n = aIstKnoten ? a : b;
  EbKnotenEintrag& e = eintrag(aIstKnoten ? gewaehltB : gewaehltA);
  e.best = -1;
  EbKmZeilenAbgang(a, aIstKnoten != 0, aIstKnoten ? nullptr : &e);
  uint32_t min = EbKmKeinWeg;
  /* A repeated node station A: its row answers the loop when it can. */
  if (!aIstKnoten || !EbKmKnotenAusZeile(n, e, &min))
    for (int32_t i = 0; i < e.anzahl; ++i) {
      if (e.knoten[i].knoten == n) continue;
      uint32_t g = 0;
      if (!EbKmZeileKm(e.knoten[i].knoten, n, &g)) {
        GrenSatz gs;
        grenHolen(&gs, e.knoten[i].knoten, n);
        g = grenKm(gs);
      }
      uint32_t summe = static_cast<uint32_t>(e.knoten[i].km) + g;
      if (summe < min) {
        min = summe;
        e.best = i;
      }
    }
  if (e.best == -1)
    MsgRaise(EB_RC_KNOTENWEG, kMsgSsEngine, EB_MSG_KNOTENWEG, kMsgModeNumbered, "llls", a, b, n,
             tagText());
  int32_t m = e.knoten[e.best].knoten;
  if (aIstKnoten) {
    EbGrenAbschnittMerken(a, m, slot);
    EbStenAbschnittMerken(m, b, slot);
  } else {
    EbStenAbschnittMerken(a, m, slot);
    EbGrenAbschnittMerken(m, b, slot);
  }
  return min;
}

uint32_t EbKmKnotenKnoten(int32_t a, int32_t b, int32_t slot) {
  GrenSatz g;
  grenHolen(&g, a, b);
  EbListeAnfuegen(static_cast<uint32_t>(slot), &g, EB_ELEM_KNOTEN,
                  static_cast<uint32_t>(a) != g.stationA ? 1 : 0);
  return grenKm(g);
}

/* ---- one leg ---------------------------------------------------------- */

void EbKmModusSetzen(uint32_t mode) {
  if (mode != EbKmModus) {
    for (EbKnotenEintrag& e : EbKnotenCache) {
      e.bahnhof = 0;
      e.anzahl = 0;
    }
  }
  EbKmModus = mode;
}

uint32_t EbAbschnittKm(uint32_t mode, const EbKmStrecke* strecke) {
  EbKmStichtag = strecke->tag;
  EbKmModusSetzen(mode);

  int32_t slot = EbSucheScratchSlot;
  EbListeFreigeben(static_cast<uint32_t>(slot));

  int32_t a = strecke->bhfA;
  int32_t b = strecke->bhfB;
  if (a == b) return 0;

  EbhfSatz pufferA;
  EbhfSatz pufferB;
  const EbhfSatz& sa = EbBahnhofLesen(&pufferA, a, strecke->tag);
  const EbhfSatz& sb = EbBahnhofLesen(&pufferB, b, strecke->tag);
  bool knotenA = istKnoten(sa);
  bool knotenB = istKnoten(sb);
  int32_t gebietA = EbBahnhofGebiet(sa);
  int32_t gebietB = EbBahnhofGebiet(sb);
  if ((!knotenA && gebietA == 0) || (!knotenB && gebietB == 0))
    EbRaiseEinfach(EB_RC_TARIFGEBIET_NULL);

  uint32_t direkt = EbKmKeinWeg;
  int32_t vergleichen = 1;
  if (!(knotenA && knotenB)) {
    direkt = EbStenDirektKm(a, b, &vergleichen);
    if (!vergleichen) {
      EbStenAbschnittMerken(a, b, slot);
      return direkt;
    }
  }

  EbKnotenCacheWaehlen(a, b, gebietA, gebietB);

  uint32_t knoten;
  if (!knotenA && !knotenB)
    knoten = EbKmUeberKnotenpaar(a, b, slot);
  else if (knotenA && knotenB)
    knoten = EbKmKnotenKnoten(a, b, slot);
  else
    knoten = EbKmUeberKnoten(a, b, knotenA ? 1 : 0, slot);

  if (direkt >= knoten) return knoten;
  EbListeFreigeben(static_cast<uint32_t>(slot));
  EbStenAbschnittMerken(a, b, slot);
  return direkt;
}
