/*
** Kilometres between two stations.
**
** One leg between stations A and B is either the line kilometres of the
** pair in STEN (the direct route) or a route over node stations: station to
** a node station of its tariff area (STEN), node to node (GREN), node to
** station (STEN). The direct route stands as it is when STEN marks it final;
** otherwise the shorter of the two wins and a tie goes to the node route.
** The leg's segments are appended as typed elements to the receiving chain
** (the scratch slot of the route step).
**
** This module owns the kilometre reference day's setting (EbKmStichtag
** itself lives with the table manager, whose GREN, STEN and TDRG lookups
** read it), the mode of the previous call and the node-list cache: four
** entries, each holding the node stations of one station's tariff area with
** the kilometres to them, valid for one station and one day.
*/
#ifndef ZOLMA_ENGINE_EBKM_H
#define ZOLMA_ENGINE_EBKM_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"
#include "engine/ebint.h"
#include "support/utday.h"

/* "No route" in every kilometre comparison. */
constexpr uint32_t EbKmKeinWeg = 0x7FFFFFFFu;
/* Room for node stations in one cache entry, and the number of entries. */
constexpr int32_t EbKnotenMax = 10;
constexpr int32_t EbKnotenCacheGroesse = 4;

/* One leg. */
struct EbKmStrecke {
  int32_t bhfA;
  int32_t bhfB;
  UtDayNumber tag;
};

/* One node of a node list: the node station and the km from the station. */
struct EbKnotenPaar {
  int32_t knoten;
  int32_t km;
};

/* One cache entry. */
struct EbKnotenEintrag {
  int32_t bahnhof;                  /* station whose node list this is; 0 = empty */
  int32_t gebiet;                   /* its tariff area */
  int32_t anzahl;                   /* nodes in the list, 1 .. 10 when filled */
  int32_t best;                     /* best node index of the last computation, -1 none */
  UtDayNumber tag;                  /* day the list was built on */
  EbKnotenPaar knoten[EbKnotenMax]; /* in the order TDRG returned them */
};

/* The cache and the mode of the previous call (initially 0xFFFF); the
** node-list store reads the mode too. */
extern EbKnotenEintrag EbKnotenCache[EbKnotenCacheGroesse];
extern uint32_t EbKmModus;

/* The cache's bookkeeping: the entries chosen for A and B in the current
** call (-1 none) and the entry assigned last (round robin). */
struct EbKnotenWahl {
  int32_t a;
  int32_t b;
  int32_t letzter;
};
/* Test support: reads and replaces the bookkeeping (a test that saves and
** restores the cache restores it too). */
EbKnotenWahl EbKnotenWahlLesen();
void EbKnotenWahlSetzen(EbKnotenWahl wahl);

/* Km of one leg; appends its elements to the route step's scratch slot.
** Raises on every failure. */
uint32_t EbAbschnittKm(uint32_t mode, const EbKmStrecke* strecke);

/* Direct route: its km (EbKmKeinWeg when STEN has no pair) and whether a
** node route may compete. */
uint32_t EbStenDirektKm(int32_t a, int32_t b, int32_t* vergleichen);
/* Chooses the cache entries of A and B and fills the missing or stale ones. */
void EbKnotenCacheWaehlen(int32_t a, int32_t b, int32_t gebietA, int32_t gebietB);
/* Builds the node list of one entry. */
void EbKnotenLaden(int32_t bahnhof, int32_t gebiet, int32_t eintrag);
/* The same build into any entry (the cache's or a caller's own): the list
** of bahnhof in tariff area gebiet on EbKmStichtag under the current mode,
** from the node-list store when it holds it; raises as EbKnotenLaden. */
void EbKnotenListeBauen(int32_t bahnhof, int32_t gebiet, EbKnotenEintrag* e);
/* The mode of a call: a mode other than the previous one empties every
** cache entry; then it becomes the previous mode. */
void EbKmModusSetzen(uint32_t mode);
/* Node routes: neither station a node, exactly one (aIstKnoten says which),
** both. Each appends its segments to slot. */
uint32_t EbKmUeberKnotenpaar(int32_t a, int32_t b, int32_t slot);
uint32_t EbKmUeberKnoten(int32_t a, int32_t b, int32_t aIstKnoten, int32_t slot);
uint32_t EbKmKnotenKnoten(int32_t a, int32_t b, int32_t slot);
/* Append one STEN / GREN segment running from -> to (GREN: nothing when
** from equals to). */
void EbStenAbschnittMerken(int32_t von, int32_t nach, int32_t slot);
void EbGrenAbschnittMerken(int32_t von, int32_t nach, int32_t slot);

/* Empties the node-list cache: every entry's station 0, the previous mode
** forgotten, the round robin restarted. The engine's initialisation calls
** it, so that no node list outlives the tables it was built from. */
void EbKnotenCacheLeeren();

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
/* Test support: the number of node lists built since the process started
** (one per EbKnotenLaden that got as far as the TDRG walk). */
uint32_t EbKnotenLadeZaehler();
#endif

#endif
