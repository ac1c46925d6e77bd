/*
** ebvar.h - the route-variant search of the distance engine.
**
** A route-search request without a fixed point sequence does not follow the
** points the caller gave: the engine reads the ranked entries of an EBGG
** route profile, maps the request points per profile entry through EBGB,
** pairs every origin description with every destination description into
** route variants, distributes them over the profile entries and marks one
** as chosen. The route over variants then computes the kilometres of each
** variant and applies the relation rules of its ends.
**
**   ebvarianten.cpp   route over variants, the kilometre cache
**   ebvarsuche.cpp    EbWegeVariantenSuchen: profile groups, distribution,
**                     choice, the work lists of the search
**   ebvarlaufweg.cpp  EbEbgbPunktLesen, EbLaufwegSaetzeBilden
**   ebvarrollen.cpp   EbBhfRollenErmitteln, EbWegeZusammenstellen
**
** Every record below that lives in a list is plain data with explicit
** filler fields, so that no byte of it is indeterminate: unique lists
** compare their elements byte by byte. Build records value-initialised
** ({}), never field by field on uninitialised storage.
*/
#ifndef ZOLMA_ENGINE_EBVAR_H
#define ZOLMA_ENGINE_EBVAR_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"
#include "common/dtacc/dm/dm_ebgb.h"
#include "engine/ebint.h"
#include "engine/ebliste.h"
#include "support/utday.h"
#include "support/utlist.h"

/* ---- flag words of a route point --------------------------------------- */

enum : std::uint16_t {
  /* point flags */
  EB_PF_URSPRUNG = 0x0002,    /* origin */
  EB_PF_ZIEL = 0x0004,        /* destination */
  EB_PF_UEBERGEHEN = 0x0008,  /* passed over by the role classification */
  EB_PF_REL_START = 0x0010,   /* relation start */
  EB_PF_REL_ENDE = 0x0020,    /* relation end */
  EB_PF_REL_WEITERE = 0x0040, /* a further (third or fourth) relation station */
  EB_PF_ERSATZ = 0x1000,      /* completed from EBGB: stands for the point before */
  EB_PF_ZWEITE = 0x2000,      /* belongs to the second point list */
  EB_PF_ART_MASKE = 0x3000,
  /* side flags */
  EB_SF_ROLLE = 0x0003,    /* border role 1, 2 or 3 */
  EB_SF_MARKIERT = 0x0008, /* marked border point */
  EB_SF_BP_VOR = 0x0010,   /* break point before the relation */
  EB_SF_BP_NACH = 0x0020,  /* break point after the relation */
  EB_SF_URSPRUNG = 0x0040,
  EB_SF_ZIEL = 0x0080,
  /* kind flags */
  EB_AF_ART_MASKE = 0x001F,    /* low five bits: the kind */
  EB_AF_ZUSATZ_MASKE = 0x01E0, /* the bits above the kind */
  EB_AF_REL_KOPF = 0x0013,     /* kind: the relation header point */
  EB_AF_REL_NUMMER = 0x0024    /* kind 4 with 0x20 above it: the station field
                                  holds an FBRR relation number */
};

/* Profile flags of an EBGG entry read by the Laufweg building. */
enum : std::uint32_t { EB_PROFIL_OHNE_ZIEL = 0x10, EB_PROFIL_OHNE_URSPRUNG = 0x20 };

/* Status codes of the search besides the EBGG/EBGB warnings. */
enum : std::uint16_t { EB_VAR_LISTENFEHLER = 4006 };

/* ---- records ------------------------------------------------------------ */

/* A route point: the element of the point arrays and of "listeEbWegeBhf",
** "listeEbBhf" and "listeEbBhf2". */
struct EbPunkt {
  std::int32_t bahnhof; /* full form, or the relation value (header) */
  std::uint16_t punktFlags;
  std::uint16_t seitenFlags;
  std::uint16_t artFlags;
  std::uint16_t fuell; /* always 0 */
};
static_assert(sizeof(EbPunkt) == 12);

/* Outcome of the search, of the Laufweg building and of the assembly. */
struct EbSuchStatus {
  char id[2];         /* "EB", or "TT" after list operations */
  std::uint16_t code; /* 0 success */
  std::int32_t wert;
};
static_assert(sizeof(EbSuchStatus) == 8);

/* Element of "listeEbGlstProfil" (key: the first 8 bytes). */
struct EbGlstProfil {
  std::uint32_t profilKey; /* EBGG key1 */
  std::uint32_t rang;
  std::uint32_t eintragKey; /* EBGG key2 */
  std::uint32_t profilFlags;
};
static_assert(sizeof(EbGlstProfil) == 16);

/* One end of a route variant, from its Laufweg record. */
struct EbWegeVarSeite {
  std::int32_t eintragKey; /* 0 = none */
  std::uint32_t rang;
  std::int32_t relFlags; /* 0x01 / 0x02 read by the relation rules */
  std::int32_t kmSchwelle;
  std::int32_t relBits; /* 0x01 plain, 0x02 marked border completed */
  char name[25];
  char fuell[3];
};
static_assert(sizeof(EbWegeVarSeite) == 48);

/* A route variant: element of "listeEbWegeVar", "...S", "...N". */
struct EbWegeVar {
  std::int32_t ersterIndex; /* first point in "listeEbWegeBhf" */
  std::int32_t anzahl;      /* point count */
  std::int32_t frei[2];     /* zero */
  std::int32_t profilKey;
  std::int32_t gewaehlterEintrag; /* entry key it was selected under; 0 closing copy */
  char gewaehlt;                  /* 'J' the chosen variant */
  char standard;                  /* default mark 'J' / 'N' */
  char fuell[2];
  EbWegeVarSeite abgang;
  EbWegeVarSeite ziel;
};
static_assert(sizeof(EbWegeVar) == 124);

/* A route point inside a Laufweg record. */
struct EbLaufwegPunkt {
  EbPunkt punkt;
  char name[25]; /* blank-filled; from EBGB */
  char fuell[3];
  std::int32_t kmSchwelle;
  std::int32_t relFlags; /* point 0 only: the entry's profile flags */
};
static_assert(sizeof(EbLaufwegPunkt) == 48);

/* Indexes of the points of a Laufweg record. */
enum {
  EB_LW_ENDE = 0,        /* the side's end point */
  EB_LW_GRENZE_MARK = 1, /* marked border point */
  EB_LW_GRENZE = 2,      /* plain border point */
  EB_LW_BP1 = 3,
  EB_LW_BP2 = 4,
  EB_LW_REL_START = 5,
  EB_LW_REL_ENDE = 6,
  EB_LW_ANZAHL = 7
};

/* Element of "listeEbLaufwegAbgang" and "listeEbLaufwegZiel". */
struct EbLaufweg {
  std::int32_t eintragKey; /* 0 for the closing plain record */
  std::uint32_t rang;      /* 0 for stand-by and plain records */
  std::int32_t gefunden;   /* 1 when point 0 was found in EBGB */
  EbLaufwegPunkt p[EB_LW_ANZAHL];
};
static_assert(sizeof(EbLaufweg) == 348);

/* Indexes of the relation record. */
enum {
  EB_REL_KOPF = 0,
  EB_REL_START = 1,
  EB_REL_DRITTE = 2,
  EB_REL_VIERTE = 3,
  EB_REL_ENDE = 4,
  EB_REL_ANZAHL = 5
};

/* The most points the route over variants hands the search. */
enum { EB_VAR_MAX_PUNKTE = 9 };

/* True when a point's station field carries an FBRR relation number (kind
** flags low five bits 4 with bit 0x20) instead of a station. */
inline bool EbPunktTraegtRelation(const EbPunkt& p) {
  return (p.artFlags & (EB_AF_ART_MASKE | EB_AF_ZUSATZ_MASKE)) == EB_AF_REL_NUMMER;
}

/* The roles of the points of one point list ("listeEbBhf" or
** "listeEbBhf2"); a role that no point took stays all zero. */
struct EbRollenSatz {
  EbPunkt start{};
  EbPunkt ende{};
  EbPunkt bp1{};            /* first break point */
  EbPunkt bp2{};            /* second break point */
  EbPunkt grenzeEinfach{};  /* side role 1 or 2 without the marked flag */
  EbPunkt grenzeMarkiert{}; /* side role 1 or 2 with the marked flag */
  char marke = 'N';         /* 'V' border on the origin side, 'H' on the destination side */
  std::int32_t bp1Anzahl = 0;
  std::int32_t bp2Anzahl = 0;
};

/* The roles that both point lists share. */
struct EbRollenGemeinsam {
  EbPunkt grenzeRolle3{}; /* side role 3 with the marked flag */
  EbPunkt relation[EB_REL_ANZAHL] = {};
  std::int32_t rolle3Position = 0; /* 1 origin side, 2 destination side */
};

/* One classification: the points of one list and the day in, the role
** records out. */
struct EbRollenParameter {
  const EbPunkt* punkte;
  std::uint16_t anzahl;
  UtDayNumber tag;
  EbRollenSatz* rollen;
  EbRollenGemeinsam* gemeinsam;
};

/* ---- ebvarlaufweg.cpp --------------------------------------------------- */

/* Completes one point from EBGB under the first key: 0, 1126 or 1127. */
/* Fault injection for tests: the EBGB cursor step that EbEbgbPunktLesen
** uses (DbNextEbgb unless a test puts another one here; nullptr puts
** DbNextEbgb back). */
using EbEbgbSchritt = DbLookupResult (*)(EbgbSatz* out, int* handle, std::uint16_t key1,
                                         std::uint32_t key2, UtDayNumber day);
#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
void EbVarEbgbSchrittSetzen(EbEbgbSchritt schritt);
#endif

std::int32_t EbEbgbPunktLesen(std::uint32_t bahnhof, UtDayNumber tag, EbLaufwegPunkt* punkt,
                              std::int32_t* gefunden, std::uint16_t ebgbKey);

/* Origin and destination Laufweg records of every entry of
** "listeEbGlstProfil" into "listeEbLaufwegAbgang" and "listeEbLaufwegZiel". */
EbSuchStatus EbLaufwegSaetzeBilden(EbLaufwegListen* arbeit, EbPunkt ursprung, EbPunkt ziel,
                                   const EbPunkt relation[EB_REL_ANZAHL], const char* marke,
                                   EbPunkt grenzeMarkiert, EbPunkt grenzeEinfach, EbPunkt bp1,
                                   EbPunkt bp2, UtDayNumber tag);

/* ---- ebvarrollen.cpp ---------------------------------------------------- */

/* Gives every point its role. The role records are written only where a
** point takes the role, and the counts only rise: the caller clears them
** first. */
void EbBhfRollenErmitteln(const EbRollenParameter& p);

/* The route variants of one profile group into the work "listeEbWegeVar"
** and their point sequences into the work "listeEbWegeBhf". */
EbSuchStatus EbWegeZusammenstellen(EbLaufwegListen* arbeit, std::uint32_t gruppenKey,
                                   const EbPunkt* punkte, std::uint16_t anzahl, UtDayNumber tag);

/* ---- ebvarsuche.cpp ----------------------------------------------------- */

/* The route-variant search. Leaves the selected variants in varErgebnis and
** their points in bhfErgebnis; the outcome is in *status. The search day is
** the route step's day (EbSucheTag). */
void EbWegeVariantenSuchen(UtList* bhfErgebnis, const EbPunkt* punkte, UtList* varErgebnis,
                           EbSuchStatus* status, std::int32_t profilKey, std::uint16_t anzahl);

/* The search's work object (set up on the first search). */
EbLaufwegListen* EbVarArbeitslisten();

/* ---- ebvarianten.cpp ---------------------------------------------------- */

/* The route points of a search request: origin, "BP-Vor", relation header,
** relation start, third and fourth station, relation end, "BP-Nach",
** destination, leaving out points whose station is 0. Returns the count. */
std::uint16_t EbVarRoutenpunkte(const EbSuchAnfrage* anfrage, EbPunkt punkte[EB_VAR_MAX_PUNKTE]);

/* The point sequence of a variant decoded into the nine words of the
** kilometre cache: origin, destination, BP-Vor, BP-Nach, relation value,
** relation start, relation end, third and fourth relation station (local
** numbers). */
struct EbVarFolge {
  std::int32_t w[9];
};
enum {
  EB_VF_VON,
  EB_VF_NACH,
  EB_VF_BP_VOR,
  EB_VF_BP_NACH,
  EB_VF_REL_WERT,
  EB_VF_REL_START,
  EB_VF_REL_ENDE,
  EB_VF_DRITTE,
  EB_VF_VIERTE
};
EbVarFolge EbVarFolgeLesen(const EbSuchAnfrage* anfrage, const UtList* bhf, const EbWegeVar& v);

/* The walk over the variants of "listeEbWegeVar" (points in
** "listeEbWegeBhf"): the first variant that satisfies the relation rules of
** both ends is the route; returns its km with its legs in the route step's
** work slots. No such variant raises 1420. */
std::int32_t EbVarWegWaehlen(const EbSuchAnfrage* anfrage, EbRelBlockA* blockA, EbRelBlockB* blockB,
                             std::int32_t beruehrung[2], std::uint32_t flags);

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
/* Test support: how many point sequences had their legs computed (cache
** misses and leg rebuilds) since the process started. */
std::uint32_t EbVarLegBerechnungen();
#endif

/* ---- ebvarianten.cpp: route over variants ------------------------------ */

/* Route of a direction without fixed point sequence: variants from the
** route-variant search, their km, the relation rules. Fills the relation
** blocks and the touch pair; returns the km. Raises 1420 when the search
** fails. */
std::int32_t EbWegUeberVarianten(const EbSuchAnfrage* anfrage, EbRelBlockA* blockA,
                                 EbRelBlockB* blockB, std::int32_t beruehrung[2],
                                 std::uint32_t flags);

#endif /* ZOLMA_ENGINE_EBVAR_H */
