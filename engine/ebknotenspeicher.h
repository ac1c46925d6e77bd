/*
** The node-list store and the kilometre rows: work of the kilometre
** computation kept for reuse beneath the four-entry node-list cache.
**
** Node-list store. Every node list that EbKnotenLaden builds successfully
** is kept here, keyed by station, tariff area, day, the mode bits that
** decide which nodes are left out (bits 0 and 1) and the load generations
** of STEN and TDRG, the tables it was built from. When a cache entry must
** be filled again with a list the store holds under the same key, the list
** is copied from here instead of walking TDRG and STEN anew: the walk would
** give the same nodes in the same order. A build that fails is never kept,
** so it fails again, with the same message, every time. The store is
** sized from the station table loaded, so that every station of a day
** keeps its list; it is mapped on its first use after each load of the
** station table (no allocation of a request after that), and when its
** probe window is full a new list takes the place of an older one.
**
** Kilometre rows. When the legs keep the same station A (the 50 km list
** asks from one origin to every station), the node-to-node kilometres from
** each node station on A's side (A itself when it is a node, else the nodes
** of A's list) to every node station are read once per day and kept as a
** row. The node routes then take a pair's kilometres from the row instead
** of a GREN lookup. A pair that GREN does not answer is marked in the row;
** the caller then makes the lookup itself and raises as before, at the same
** pair of the same loop.
**
** Both are fast paths under the table manager's switch (DbSetFastPaths):
** with the switch off they are neither consulted nor filled.
*/
#ifndef ZOLMA_ENGINE_EBKNOTENSPEICHER_H
#define ZOLMA_ENGINE_EBKNOTENSPEICHER_H

#include <cstdint>

#include "engine/ebkm.h"

/* A list kept for (bahnhof, gebiet) on EbKmStichtag under the current mode
** and table loads: copied into e (station, area, count, nodes, best -1,
** day) and true; false when the list must be built. */
bool EbKnotenSpeicherHolen(int32_t bahnhof, int32_t gebiet, EbKnotenEintrag* e);

/* Keeps the list of a freshly and successfully built entry. */
void EbKnotenSpeicherMerken(const EbKnotenEintrag& e);

/* Tells the rows the station A of the current leg: aIstKnoten when A is a
** node station, else listeA is A's node list. */
void EbKmZeilenAbgang(int32_t a, bool aIstKnoten, const EbKnotenEintrag* listeA);

/* GREN kilometres (km part 1 + part 2) of the node pair (p, q) from a row;
** false when no row holds the pair or GREN does not answer it: the caller
** looks the pair up itself. */
bool EbKmZeileKm(int32_t p, int32_t q, uint32_t* km);

/* The node-pair loop of two non-node stations from the rows: the least
** total over A's list (abgang) and B's list (ziel) with the loop's first
** minimum, the entries' best indices set as the loop sets them; false when
** the loop must run itself (no rows, or a pair that GREN does not answer).
** abgangAussen: A's list is the loop's outer one. */
bool EbKmPaarAusZeilen(int32_t a, EbKnotenEintrag& abgang, EbKnotenEintrag& ziel, bool abgangAussen,
                       uint32_t* min);

/* The node route of a node station n (the repeated station A) to the
** nodes of list e: the least total with the loop's first minimum, e.best
** set as the loop sets it (-1 when every node is n); false when the loop
** must run itself (no row for n, or a pair that GREN does not answer). */
bool EbKmKnotenAusZeile(int32_t n, EbKnotenEintrag& e, uint32_t* min);

#if defined(ZOLMA_TEST_HOOKS) && ZOLMA_TEST_HOOKS
/* Test support: forgets every kept list and row. */
void EbKnotenSpeicherLeeren();
/* Test support: node lists copied from the store, and node routes whose
** kilometres came from the rows, since the process started. */
uint32_t EbKnotenSpeicherTreffer();
uint32_t EbKmZeilenTreffer();
#endif

#endif
