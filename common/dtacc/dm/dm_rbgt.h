/*
** RBGT: route texts.
**
** RbgtHastBlock holds one record per version of a route-text number; the
** number and the two stations are indices into RbgtRbnrBlock and
** RbgtIbnrBlock, the name a byte offset into the text block RbgtBezBlock.
** This module owns the RBGT descriptors, their load-time checks and the
** keyed lookup.
*/
#ifndef ZOLMA_DM_RBGT_H
#define ZOLMA_DM_RBGT_H

#include <cstdint>

#include "common/dtacc/dm/dm.h"

enum { kRbgtNameLen = 40 };

/* Caller record of DbGetRbgt. */
struct RbgtSatz {
  uint32_t routeTextNo;
  uint16_t validFrom; /* as stored, bit 15 = withdrawn */
  uint32_t station1;
  uint32_t station2;
  char name[kRbgtNameLen]; /* blank-padded, no terminator */
  uint16_t validUntil;
};

enum { kRbgtHastRecLen = 12, kRbgtIbnrRecLen = 4, kRbgtRbnrRecLen = 4, kRbgtBezRecLen = 1 };

/* The RBGT descriptors (code "RBGT", table number 206, version 2,
** highest sub-version 1). */
extern DbTabDesc DbRbgtTab;

void DbInitRbgt();

/* Route text of a number on a day: 0 found, 1 not loaded, 2 not found or
** withdrawn. */
DbLookupResult DbGetRbgt(uint32_t routeTextNo, RbgtSatz* out, UtDayNumber day);

#endif
