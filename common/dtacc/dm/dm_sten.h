/*
** STEN: line kilometres between station pairs.
**
** StenKmBlock holds one record per version of a station pair, naming its two
** stations by index into StenIbnrBlock; the records are ordered by the
** station numbers those indices point to. This module owns the STEN
** descriptors, their load-time checks and the pair lookup, whose day is the
** engine's kilometre reference day EbKmStichtag.
*/
#ifndef ZOLMA_DM_STEN_H
#define ZOLMA_DM_STEN_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

/* Caller record of DbGetSten. */
struct StenSatz {
  uint32_t stationA;  /* lower station number */
  uint32_t stationB;  /* higher station number */
  uint16_t validFrom; /* as stored, bit 15 = withdrawn */
  uint16_t kmPart1;
  uint16_t kmPart2;
  char flag1; /* 'J' bit 0, else 'N' */
  char flag2; /* 'J' bit 2, 'A' bit 3, 'U' bit 4, else 'N' */
  char flag3; /* 'J' bit 1, else 'N' */
  uint16_t validUntil;
};
static_assert(sizeof(StenSatz) == 20, "StenSatz keeps its natural layout");

enum { kStenKmRecLen = 12, kStenIbnrRecLen = 4 };

/* The STEN descriptors (code "STEN", table number 220, version 2,
** highest sub-version 1). */
extern DbTabDesc DbStenTab;
extern DbBlockDesc DbStenIbnrBlock;
extern DbBlockDesc DbStenKmBlock; /* the station indexes decode it in place */

void DbInitSten();

/* Line kilometres of the pair (a, b) in either order on EbKmStichtag:
** 0 found, 1 not loaded, 2 not found or withdrawn. */
DbLookupResult DbGetSten(StenSatz* out, uint32_t stationA, uint32_t stationB);

/* Forgets the pairs DbGetSten kept (the fast-path switch turned off). */
void DbStenGemerktVergessen();

/* Every station that a StenKmBlock record pairs with a station, in any
** version: those above it (oben, ascending) and those below it (unten,
** ascending), a number repeated for each version of its pair. A station
** in neither has no pair in STEN on any day. */
struct DbStenPartner {
  const uint32_t* oben;
  int32_t obenAnzahl;
  const uint32_t* unten;
  int32_t untenAnzahl;
};
/* The partners of a station from the station index; false when the index
** cannot answer (switch off, no index of the current load, no memory for
** the partners below, a station number beyond its reach). */
bool DbStenPartners(uint32_t station, DbStenPartner* out);

#endif
