/*
** GREN: node-to-node kilometres.
**
** The table holds the kilometres between every two node stations as an
** upper triangular matrix without its diagonal (GrenKm1Block, one current
** entry per unordered pair, found by position and never searched), the
** ascending node station numbers that give a station its matrix index
** (GrenIbnrBlock), relation records with four station indices
** (GrenFrelBlock, GrenIb2Block) and the older versions of pair entries
** (GrenKm2Block). This module owns the GREN descriptors, their load-time
** checks and the pair lookup. The day of every lookup is the engine's
** kilometre reference day EbKmStichtag.
*/
#ifndef ZOLMA_DM_GREN_H
#define ZOLMA_DM_GREN_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

/* Caller record of DbGetGren. */
struct GrenSatz {
  uint32_t stationA;  /* lower node station number */
  uint32_t stationB;  /* higher node station number */
  uint16_t validFrom; /* as stored, bit 15 = withdrawn */
  uint16_t kmPart1;
  uint16_t kmPart2;
  int32_t routeTextNo;          /* RBGT number of the pair's route text, 0 = none */
  char relationCode[2];         /* "00" without relation record */
  uint32_t relationStations[4]; /* all 0 without relation record */
  char flag;                    /* 'J' when flags bit 0 is set, else 'N' */
  uint16_t validUntil;
};
static_assert(sizeof(GrenSatz) == 44, "GrenSatz keeps its natural layout");

/* Stored record lengths, in file order of the blocks. */
enum {
  kGrenKm1RecLen = 14,
  kGrenIbnrRecLen = 4,
  kGrenFrelRecLen = 10,
  kGrenKm2RecLen = 18,
  kGrenIb2RecLen = 4
};

/* The GREN descriptors (table code "GREN", table number 211, version 2,
** highest sub-version 1). */
extern DbTabDesc DbGrenTab;
extern DbBlockDesc DbGrenIbnrBlock; /* the station index reads it at load */

/* Resets and fills the descriptors; run once before the first load. */
void DbInitGren();

/* Kilometres of the pair (a, b) in either order on EbKmStichtag:
** 0 found, 1 not loaded, 2 not found / withdrawn / same station twice. */
DbLookupResult DbGetGren(uint32_t stationA, GrenSatz* out, uint32_t stationB);

/* Index of a node station in GrenIbnrBlock, or -1 when it is not a node
** station of the table (or the table is not loaded). */
int32_t DbFindGrenIbnr(uint32_t station);

/* The kilometres (km part 1 + part 2) from a node station to every node
** station, as DbGetGren answers each pair on EbKmStichtag: km[m] for the
** node station of GrenIbnrBlock index m, `keine` where DbGetGren does not
** answer 0 (the station itself included). n must be the number of node
** stations. False, and km untouched, when the table is not loaded, n is
** not that number or the station is no node station. */
bool DbGrenZeile(uint32_t station, uint32_t* km, int32_t n, uint32_t keine);

#endif
